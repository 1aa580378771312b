#!/usr/bin/env bash
# Times whole runs of `quorvane-cli map --all` (every zip code of the 2016 table as a
# dot, 41,637 points), SVG and PNG in alternating rounds, and prints each round and
# the median of each; the aim is under 1.5 s a map.
#
#   bash bench/map_bench.sh [BIN_DIR]     (default build/bin; ROUNDS, default 7)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$(dirname "$here")/build/bin}
rounds=${ROUNDS:-7}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

declare -A times
for ((i = 1; i <= rounds; i++)); do
  for kind in svg png; do
    start=$(date +%s.%N)
    "$bin/quorvane-cli" map --all --output "$out/all.$kind"
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc)
    times[$kind]+="$t "
    printf 'round %d %s %.3f s (%s bytes)\n' "$i" "$kind" "$t" "$(stat -c %s "$out/all.$kind")"
  done
done
for kind in svg png; do
  median=$(tr ' ' '\n' <<<"${times[$kind]}" | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  printf 'median %s %.3f s\n' "$kind" "$median"
done
