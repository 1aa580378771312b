#!/bin/bash
# Mutation testing by hand (never in CI): applies each mutant of a fixed list to the
# source, one at a time, rebuilds the tests that should notice, runs them and prints
# killed (a test failed) or survived (every test passed: a test is missing). The source
# is put back after each mutant, and on any exit.
#
#   tools/mutants.sh [BUILD_DIR]        (default: build; configured already)
#
# Every build and test run takes /work/.buildlock when it exists, as the machine's
# other builds do.
set -u
cd "$(dirname "$0")/.."
build=${1:-build}
lock=/work/.buildlock
locked() { if [ -e "$lock" ]; then flock "$lock" "$@"; else "$@"; fi; }

# file @ sed expression @ test targets @ ctest name pattern @ what the mutant does
mutants=(
  "engine/zip_table.cpp@s/ \&\& v == std::floor(v)//@engine_tests@ZipStore@the 2012 table finds a zip code by a number with a fraction"
  "engine/text.h@s/return _mm_cvtsd_si64(_mm_set_sd(x));/return std::llround(x);/@engine_tests@DistanceText|DistanceDigits|PutShort@rounding ties away from zero"
  "engine/fast_distance.cpp@s/kRouteError = 1e-13/kRouteError = 1e-16/@engine_tests@FastRoute@a weakened rounding guard on the fast route"
  "format/aligned_text.cpp@s/const std::size_t n = char_count(text);/const std::size_t n = text.size();/@output_tests@TextExport@aligned text padded by bytes"
  "format/csv.cpp@s/ || c == '\\\\r' || c == '\\\\n'//@engine_tests@CsvField@CSV quoting ignores CR and LF"
  "engine/list_reader.cpp@s/if (bytes.front() != kBom\[pending_.size()\]) return started_ = true;/if (bytes.front() != kBom[pending_.size()]) { pending_.clear(); return started_ = true; }/@engine_tests@ListReader@a partial byte-order mark is dropped"
  "engine/pairing.cpp@s/mode_ == Mode::None || !starts_comparison(entry)/mode_ == Mode::None/@engine_tests@Pairing@entries that fail the numeric test start comparisons"
  "engine/text.cpp@s/return c == ' ' || c == '\\\\t';/return c == ' ';/@engine_tests@NumericTest@a tab around a number fails the numeric test"
  "engine/zip_distance.cpp@s/if (from.count \&\& tallies_\[k\].count == 0)/if (from.count)/@cli_tests@Threads@a later block's first failing zip code replaces the first"
  "cli/run.cpp@s/first_number + (i - own)/first_number + i/@quorvane-cli cli_tests@Threads@entry numbers in a later block count the entry carried over"
  "cli/augment_write.cpp@s/if (cleaned_.first.empty()) cleaned_.first/if (!b.cleaned.first.empty()) cleaned_.first/@quorvane-cli cli_tests@Threads@a later block's first cleaned zip code replaces the first"
)

saved=$(mktemp -d)
restore() {
  [ -n "${current:-}" ] && cp "$saved/file" "$current"
  current=
}
trap 'restore; rm -rf "$saved"' EXIT
trap 'exit 1' INT TERM

killed=0 survived=0
for m in "${mutants[@]}"; do
  IFS='@' read -r file expr targets pattern what <<<"$m"
  current=$file
  cp "$file" "$saved/file"
  sed -i "$expr" "$file"
  if cmp -s "$file" "$saved/file"; then
    echo "NOT APPLIED  $file: $what (the expression matches nothing; update the list)"
    restore
    continue
  fi
  if ! locked cmake --build "$build" --target $targets >"$saved/log" 2>&1; then
    echo "NO BUILD     $file: $what"
    restore
    continue
  fi
  if locked ctest --test-dir "$build" -R "$pattern" >"$saved/log" 2>&1; then
    echo "SURVIVED     $file: $what"
    survived=$((survived + 1))
  else
    echo "killed       $file: $what"
    killed=$((killed + 1))
  fi
  restore
done
echo "$killed killed, $survived survived"
# The build is left as the restored source gives it at the next build.
