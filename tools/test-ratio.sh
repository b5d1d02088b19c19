#!/usr/bin/env bash
# Prints the non-blank lines of the test code, of the product code it tests,
# and their ratio. Test code: tests/ and python/tests/ (sample data excluded).
# Product code: the plug-in, host, scene, session, CLI and Python module
# folders and the page's scripts. Fuzzers, benchmarks, crosscheck and examples
# count in neither. Code files only: C++, Python, JavaScript, CMake.
set -euo pipefail
cd "$(dirname "$0")/.."

# count PATH... : non-blank lines of the code files under PATH.
count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.js' -o -name '*.mjs' \
      -o -name CMakeLists.txt -o -name '*.cmake' \) -not -path '*/node_modules/*' -not -path 'tests/data/*' \
      -print0 | xargs -0 cat | grep -c -v '^[[:space:]]*$'
}

tests=$(count tests python/tests)
product=$(( $(count host scene module channel queries xml cli session python web/js) - $(count python/tests) ))
echo "tests:   $tests lines"
echo "product: $product lines"
awk -v t="$tests" -v p="$product" 'BEGIN { printf "ratio:   %.1f%% (target at most 35%%)\n", 100 * t / p }'
