#!/usr/bin/env bash
# sci's guarded import against `assimp info`, side by side in one hyperfine
# run per file: `sci FILE node-count` with a warm snapshot cache, the same
# with --no-cache (the reader in its helper process, nothing kept) and
# `assimp info FILE`; and the peak memory of the cold sci (the larger of sci
# and its helper) against assimp's. Files: the generated scene of 1,000,000
# triangles and every sample scene. Writes a Markdown table.
#
#   bench/cache_compare.sh [BUILD_DIR] [OUTPUT.md]      (defaults: build, stdout)
#
# Needs hyperfine, assimp-utils and GNU time (/usr/bin/time).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
output="${2:-/dev/stdout}"
scenes="$root/../shared/scenes"
runs="${SCI_COMPARE_RUNS:-10}"

for tool in hyperfine assimp /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "cache_compare.sh: $tool not found" >&2; exit 2; }
done
sci="$build/bin/sci"
[ -x "$sci" ] || { echo "cache_compare.sh: $sci not built" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME="$work/cache"

files=()
"$build/bin/import_bench" --write-generated="$work/generated-1M-triangles-20k-nodes.glb"
files+=("$work/generated-1M-triangles-20k-nodes.glb")
if [ -d "$scenes" ]; then
  while IFS= read -r f; do files+=("$f"); done < <(
    find "$scenes" -type f \( -iname '*.gltf' -o -iname '*.glb' -o -iname '*.fbx' -o -iname '*.dae' \
      -o -iname '*.obj' -o -iname '*.3ds' -o -iname '*.x' -o -iname '*.ply' -o -iname '*.stl' \) | sort)
fi

peak_kib() {
  /usr/bin/time -v "$@" >/dev/null 2>"$work/t.txt" || true
  awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/t.txt"
}
# Row N of hyperfine's CSV: median wall ms and mean user+system ms.
wall_ms() { awk -F, -v n="$1" 'NR == n + 1 { printf "%.1f", $4 * 1000 }' "$work/h.csv"; }
cpu_ms() { awk -F, -v n="$1" 'NR == n + 1 { printf "%.1f", ($5 + $6) * 1000 }' "$work/h.csv"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "-" }'; }

{
  echo "| file | assimp ms (cpu) | warm sci ms (cpu) | warm/assimp | cold sci ms (cpu) | cold/assimp | cold sci MiB | assimp MiB | memory cold/assimp |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|"
  for f in "${files[@]}"; do
    name="${f#"$scenes"/}"; name="${name#"$work"/}"
    "$sci" "$f" node-count >/dev/null 2>&1 || true   # fills the cache
    hyperfine -N -i --warmup 2 --runs "$runs" --style none --export-csv "$work/h.csv" \
      "assimp info $f" "$sci $f node-count" "$sci --no-cache $f node-count" >/dev/null 2>&1
    assimp_k=$(peak_kib assimp info "$f"); sci_k=$(peak_kib "$sci" --no-cache "$f" node-count)
    echo "| \`$name\` | $(wall_ms 1) ($(cpu_ms 1)) | $(wall_ms 2) ($(cpu_ms 2)) | $(ratio "$(wall_ms 2)" "$(wall_ms 1)") |" \
         "$(wall_ms 3) ($(cpu_ms 3)) | $(ratio "$(wall_ms 3)" "$(wall_ms 1)") |" \
         "$(awk -v k="$sci_k" 'BEGIN { printf "%.1f", k / 1024 }') | $(awk -v k="$assimp_k" 'BEGIN { printf "%.1f", k / 1024 }') |" \
         "$(ratio "$sci_k" "$assimp_k") |"
  done
  echo
  echo "Medians of $runs runs after 2 warm-up runs (hyperfine, the three commands of a row in one run); in brackets the"
  echo "mean user + system CPU time, children included. Peak memory: maximum resident set size of one run (/usr/bin/time -v)."
} > "$output"
