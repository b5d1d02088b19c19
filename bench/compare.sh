#!/usr/bin/env bash
# Wall time and peak memory of `sci FILE node-count` against `assimp info FILE`
# (and `gltf-transform inspect FILE` for glTF files, where it is installed) on
# the same files: every model of the sample scenes and a generated scene of
# 1,000,000 triangles and 20,000 nodes. Writes a Markdown table.
#
#   bench/compare.sh [BUILD_DIR] [OUTPUT.md]      (defaults: build, stdout)
#
# Needs hyperfine, assimp-utils and GNU time (/usr/bin/time); gltf-transform
# comes from npm (npm install -g @gltf-transform/cli) and is skipped when absent.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
output="${2:-/dev/stdout}"
scenes="$root/../shared/scenes"
runs="${SCI_COMPARE_RUNS:-10}"

for tool in hyperfine assimp /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool not found" >&2; exit 2; }
done
sci="$build/bin/sci"
[ -x "$sci" ] || { echo "compare.sh: $sci not built" >&2; exit 2; }
gltf_transform="$(command -v gltf-transform || true)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

files=()
"$build/bin/import_bench" --write-generated="$work/generated-1M-triangles-20k-nodes.glb"
files+=("$work/generated-1M-triangles-20k-nodes.glb")
if [ -d "$scenes" ]; then
  while IFS= read -r f; do files+=("$f"); done < <(
    find "$scenes" -type f \( -iname '*.gltf' -o -iname '*.glb' -o -iname '*.fbx' -o -iname '*.dae' \
      -o -iname '*.obj' -o -iname '*.3ds' -o -iname '*.x' -o -iname '*.ply' -o -iname '*.stl' \) | sort)
else
  echo "compare.sh: no sample scenes at $scenes; the generated scene only" >&2
fi

# Median wall seconds over $runs runs (failures included: a file a tool rejects
# is still timed, and marked in the table).
median_seconds() {
  hyperfine -N -i --warmup 2 --runs "$runs" --style none --export-csv "$work/h.csv" "$*" >/dev/null 2>&1
  awk -F, 'NR == 2 { print $4 }' "$work/h.csv"
}
# Peak resident memory in KiB, and the exit status, of one run.
peak_kib() {
  local status=0
  /usr/bin/time -v "$@" >/dev/null 2>"$work/t.txt" || status=$?
  awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/t.txt"
  return "$status"
}
ms() { awk -v s="$1" 'BEGIN { printf "%.1f", s * 1000 }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

{
  echo "| file | sci ms | assimp ms | time sci/assimp | sci MiB | assimp MiB | memory sci/assimp | gltf-transform ms | gltf-transform MiB |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|"
  for f in "${files[@]}"; do
    name="${f#"$scenes"/}"; name="${name#"$work"/}"
    sci_s=$(median_seconds "$sci" "$f" node-count)
    assimp_s=$(median_seconds assimp info "$f")
    sci_note=""; assimp_note=""
    sci_k=$(peak_kib "$sci" "$f" node-count) || sci_note=" (exit $?)"
    assimp_k=$(peak_kib assimp info "$f") || assimp_note=" (exit $?)"
    gt_ms="-"; gt_mib="-"
    case "${f,,}" in
      *.gltf|*.glb)
        if [ -n "$gltf_transform" ]; then
          gt_ms=$(ms "$(median_seconds "$gltf_transform" inspect "$f")")
          gt_note=""
          gt_k=$(peak_kib "$gltf_transform" inspect "$f") || gt_note=" (exit $?)"
          gt_mib="$(mib "$gt_k")$gt_note"
        fi ;;
    esac
    echo "| \`$name\` | $(ms "$sci_s")$sci_note | $(ms "$assimp_s")$assimp_note | $(ratio "$sci_s" "$assimp_s") |" \
         "$(mib "$sci_k") | $(mib "$assimp_k") | $(ratio "$sci_k" "$assimp_k") | $gt_ms | $gt_mib |"
  done
  echo
  echo "Medians of $runs runs after 2 warm-up runs (hyperfine); peak memory is the maximum resident set size of one run"
  echo "(/usr/bin/time -v). \"(exit N)\": the tool rejected the file with that status."
  [ -n "$gltf_transform" ] || echo "gltf-transform was not installed: its columns are empty."
} > "$output"
