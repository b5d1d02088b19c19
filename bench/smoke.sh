#!/usr/bin/env bash
# Runs every benchmark once, very briefly, on one case each, so that none can
# rot: fails when a benchmark exits non-zero or reports an error.
#
#   bench/smoke.sh [BUILD_DIR]      (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
filter='NodeCount|NodeIdByName/1000$|Hierarchy|emptied:0|Cylinder|generated|SciBatch|JsonMesh/vertices:100000$|GeometryIntoArrays'
shopt -s nullglob
benchmarks=("$build"/bin/*_bench)
[ ${#benchmarks[@]} -gt 0 ] || { echo "smoke.sh: no benchmarks in $build/bin" >&2; exit 1; }
failed=0
for b in "${benchmarks[@]}"; do
  out="$("$b" --benchmark_min_time=0.01 --benchmark_filter="$filter" 2>&1)" || { echo "$out"; failed=1; continue; }
  if grep -q 'ERROR OCCURRED' <<<"$out" || ! grep -q '^BM_' <<<"$out"; then echo "$out"; failed=1; continue; fi
  echo "$(basename "$b"): $(grep -c '^BM_' <<<"$out") benchmarks ran"
done
exit "$failed"
