#!/usr/bin/env bash
# Builds the fuzzers and runs each for SECONDS seconds, one after another, on
# one core: fuzz/run.sh SECONDS [FUZZER...] (FUZZER: project_file,
# xml_writers, importer, gltf_reader, batch_line, snapshot; all when none is
# named).
#
# Builds in build-fuzz/ (clang, libFuzzer, ASan, UBSan). Each fuzzer keeps its
# growing corpus in build-fuzz/fuzz/corpus/<fuzzer>/ and starts from the seeds
# written by fuzz_make_seeds, the small scene files of the repository and the
# inputs kept under tests/data/fuzz/<fuzzer>/. A crash leaves its input in
# build-fuzz/fuzz/artifacts/<fuzzer>/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run.sh SECONDS [project_file|xml_writers|importer|gltf_reader|batch_line|snapshot ...]" >&2
  exit 2
fi
seconds=$1
shift
fuzzers=("$@")
if [ ${#fuzzers[@]} -eq 0 ]; then fuzzers=(project_file xml_writers importer gltf_reader batch_line snapshot); fi

build=${SCI_FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -DSCI_BUILD_FUZZERS=ON -DSCI_BUILD_TESTS=OFF \
  -DSCI_BUILD_BENCHMARKS=OFF -DSCI_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target fuzz_make_seeds $(printf 'fuzz_%s ' "${fuzzers[@]}")

work="$build/fuzz"
"$build/bin/fuzz_make_seeds" "$work/seeds"
# Compressed glTF seeds for the glTF reader: the demo scene quantized and
# meshopt-compressed, as gltfpack writes them.
if command -v gltfpack >/dev/null; then
  for variant in "quantized:" "meshopt:-c" "meshopt_filters:-cc"; do
    gltfpack -i examples/demo/demo.gltf -o "$work/seeds/gltf_reader/demo_${variant%%:*}.glb" ${variant#*:} >/dev/null
  done
fi

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
for fuzzer in "${fuzzers[@]}"; do
  corpus="$work/corpus/$fuzzer"
  artifacts="$work/artifacts/$fuzzer"
  mkdir -p "$corpus" "$artifacts" "$work/logs"
  seeds=("$work/seeds/$fuzzer")
  if [ -d "tests/data/fuzz/$fuzzer" ]; then seeds+=("tests/data/fuzz/$fuzzer"); fi
  dict=()
  if [ -f "fuzz/$fuzzer.dict" ]; then dict=("-dict=fuzz/$fuzzer.dict"); fi
  log="$work/logs/$fuzzer.log"
  echo "== $fuzzer: ${seconds}s, log in $log"
  # SCI_FUZZ_FORK=1: one child process at a time that carries on past a crash,
  # for a library (Assimp) whose own crashes cannot be fixed here. Each input
  # it saves is replayed afterwards; one whose crash starts outside libassimp,
  # or inside it after our validation fallback, or a hang, or running out of
  # memory, fails the run.
  mode=()
  if [ "${SCI_FUZZ_FORK:-0}" = 1 ]; then
    mode=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
    rm -f "$artifacts"/*
  fi
  if "$build/bin/fuzz_$fuzzer" "${dict[@]}" "${mode[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
       -print_final_stats=1 -print_funcs=0 -artifact_prefix="$artifacts/" \
       "$corpus" "${seeds[@]}" >"$log" 2>&1 || [ ${#mode[@]} -gt 0 ]; then
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$log" || true
    grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -1 || true
    for input in "$artifacts"/*; do
      [ -f "$input" ] || continue
      # Replayed alone with the fuzzing limits, three times: a job can die on an
      # input for reasons it does not carry (the job's own end, state left by
      # earlier inputs), and such an input is kept and named, not failed on.
      replay=$("$build/bin/fuzz_$fuzzer" -runs=3 -timeout=20 -rss_limit_mb=2560 "$input" 2>&1) && {
        echo "   did not fail when replayed alone, kept: $input"; continue; }
      # The frames past the sanitizer's, libFuzzer's and libc's own; the first is
      # where the crash started, also when an assert aborted.
      stack=$(grep -E '^ +#[0-9]+ |fuzz property failed' <<<"$replay" |
        grep -v -E '__sanitizer_print_stack_trace|fuzzer::|libc\.so\.6|__pthread_kill_implementation| in (raise|abort|__assert_fail(_base)?) ' ||
        true)
      top=$(head -1 <<<"$stack")
      if [ -z "$top" ]; then top=$(grep -o -E 'ERROR: libFuzzer: [a-z-]+' <<<"$replay" | head -1); fi
      # A crash in Assimp's post-processing of a scene that validation refused
      # and our own checks let through is ours: those checks missed a fault.
      # One inside a reader (under BaseImporter::ReadFile) is Assimp's own,
      # whichever of the two reads it came from.
      case "$(basename "$input")" in
        crash-*) if [[ "$top" == *libassimp.so* && ( "$stack" != *ReadWithValidationFallback* ||
                                                     "$stack" == *BaseImporter::ReadFile* ) ]]; then
                   echo "   inside Assimp: $input"; continue
                 fi ;;
      esac
      if [[ "$stack" == *ReadWithValidationFallback* ]]; then
        echo "!! $fuzzer: $input crashes Assimp after our validation fallback let it through: $top" >&2
      else
        echo "!! $fuzzer: $input is not Assimp's own crash: ${top:-no stack}" >&2
      fi
      failed=1
    done
  else
    echo "!! $fuzzer found a problem; input in $artifacts/, see $log" >&2
    grep -E 'ERROR|fuzz property failed|SUMMARY' "$log" | head -5 >&2 || true
    failed=1
  fi
done
exit $failed
