#!/usr/bin/env bash
# Answers from the snapshot cache against `assimp info` on the same file, as
# whole processes in interleaved pairs (sci, assimp, sci, assimp, ...): the
# median wall time of each, the median of the pairs' ratios, and the peak
# resident memory of one run of each. Warm rows ask a cache filled before the
# first pair; cold rows use --no-cache (the reader in its helper, nothing kept).
# Files, generated so that both tools read the same bytes: the grid-tree GLB
# (1,000,000 triangles, 20,000 nodes), a tree of 1,000,000 nodes with one small
# mesh, and an OBJ of
# one 1,000,000-vertex grid (read through Assimp).
#
#   bench/instant_answers.sh [BUILD_DIR] [OUTPUT.md]     (defaults: build, stdout)
#
# Needs assimp-utils and GNU time (/usr/bin/time). SCI_PAIRS sets the pairs (10).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
output="${2:-/dev/stdout}"
pairs="${SCI_PAIRS:-10}"
for tool in assimp /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "instant_answers.sh: $tool not found" >&2; exit 2; }
done
sci="$build/bin/sci"
[ -x "$sci" ] || { echo "instant_answers.sh: $sci not built" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cache="$work/cache"
"$build/bin/write_bench_files" glb "$work/grid-tree.glb"
"$build/bin/write_bench_files" tree "$work/tree-1M-nodes.glb" 1000000
"$build/bin/write_bench_files" obj "$work/grid-1M-vertices.obj" 1000

# Wall seconds of one run of "$@", output thrown away.
wall() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", (b - a) / 1e9 }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak_mib() {
  /usr/bin/time -f '%M' -o "$work/peak" "$@" >/dev/null 2>&1 || true
  awk 'END { printf "%.1f", $1 / 1024 }' "$work/peak"  # the last line: GNU time may note an exit status first
}

# row LABEL FILE -- SCI_ARGS...: one table row of sci against assimp info on FILE.
row() {
  local label="$1" file="$2"
  shift 3
  local a b
  assimp info "$file" >/dev/null 2>&1 || { echo "instant_answers.sh: assimp info cannot read $file" >&2; exit 1; }
  : > "$work/sci" ; : > "$work/assimp" ; : > "$work/ratio"
  for _ in $(seq "$pairs"); do
    a=$(wall "$sci" --cache-dir "$cache" "$@")
    b=$(wall assimp info "$file")
    echo "$a" >> "$work/sci"; echo "$b" >> "$work/assimp"
    awk -v a="$a" -v b="$b" 'BEGIN { printf "%.6f\n", a / b }' >> "$work/ratio"
  done
  printf '| %s | %.1f | %.1f | %.4f | %s | %s |\n' "$label" \
    "$(median < "$work/sci" | awk '{ print $1 * 1000 }')" "$(median < "$work/assimp" | awk '{ print $1 * 1000 }')" \
    "$(median < "$work/ratio")" "$(peak_mib "$sci" --cache-dir "$cache" "$@")" "$(peak_mib assimp info "$file")"
}

glb="$work/grid-tree.glb" tree="$work/tree-1M-nodes.glb" obj="$work/grid-1M-vertices.obj"
for f in "$glb" "$tree" "$obj"; do "$sci" --cache-dir "$cache" "$f" node-count >/dev/null; done
{
  echo "| question | sci ms | assimp info ms | sci / assimp (median of pairs) | sci peak MiB | assimp peak MiB |"
  echo "|---|---:|---:|---:|---:|---:|"
  row "warm \`node-count\`, grid-tree GLB (31 MB)" "$glb" -- "$glb" node-count
  row "warm \`geometry-bounding-box 0\`, grid-tree GLB" "$glb" -- "$glb" geometry-bounding-box 0
  row "warm \`node-count\`, 1,000,000-node tree" "$tree" -- "$tree" node-count
  row "warm \`node-name 999999\`, 1,000,000-node tree" "$tree" -- "$tree" node-name 999999
  row "warm \`geometry 0\` (text), 1,000,000-vertex OBJ" "$obj" -- "$obj" geometry 0
  row "cold \`node-count\`, 1,000,000-vertex OBJ (Assimp route)" "$obj" -- --no-cache "$obj" node-count
  row "cold \`node-count\`, grid-tree GLB (own glTF reader)" "$glb" -- --no-cache "$glb" node-count
  echo
  echo "Medians of $pairs interleaved pairs, each a whole process; the ratio is the median of the pairs' ratios."
  echo "Peak memory: maximum resident set size of one run (GNU time), for sci the larger of sci and its helper."
} > "$output"
