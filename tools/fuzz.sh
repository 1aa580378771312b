#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for a short fixed time from
# the committed seed corpus, so that a regression shows in CI. Usage:
#   tools/fuzz.sh [SECONDS_EACH] [HARNESS...]     (4 seconds each, all harnesses)
# New inputs go to a scratch folder, not to the committed corpus; a failing input is
# kept in build-fuzz/artifacts/ for reproduction: build-fuzz/fuzz/fuzz_NAME FILE.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds=${1:-4}
shift || true
harnesses=("$@")
((${#harnesses[@]})) || harnesses=(list_entries numbers distance_text sqlite_table access_stream settings csv_table)

"$root/tools/setup.sh" "$build" -DQUORVANE_FUZZ=ON -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/artifacts"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
failed=0
for name in "${harnesses[@]}"; do
  mkdir -p "$scratch/$name"
  if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
    "$scratch/$name" "$root/fuzz/corpus/$name" >"$scratch/$name.log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$scratch/$name.log" | grep -o '[0-9]*$')
    echo "fuzz_$name: ${runs:-?} inputs in ${seconds} s, no failure"
  else
    failed=$((failed + 1))
    echo "fuzz_$name: FAILED"
    tail -n 40 "$scratch/$name.log"
  fi
done
echo "fuzz: $((${#harnesses[@]} - failed)) passed, $failed failed"
exit $((failed > 0))
