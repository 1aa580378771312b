#!/usr/bin/env bash
# Sets up what is missing, builds and runs every test. With --sanitize the build and
# the tests run under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ "${1:-}" == "--sanitize" ]]; then
  build="$root/build-sanitize"
  "$root/tools/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON -DQUORVANE_BENCH=OFF -DQUORVANE_PYTHON=OFF
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build="$root/build"
  "$root/tools/setup.sh" "$build"
fi
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
