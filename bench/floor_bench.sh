#!/usr/bin/env bash
# The engine of this build, and of another build when given, against the floor loop
# (engine_bench --floor), on the same 1,000,000 random pairs of the 2012 table, in
# alternating rounds; prints every round and the medians of the rates and ratios.
#
#   OLD_BIN_DIR=/path/to/other/build/bin bash bench/floor_bench.sh      # ROUNDS=5
#
#   QUORVANE_BIN_DIR  this build's binaries and dbZips.mdb (default build/bin)
#   OLD_BIN_DIR       another build's binaries (its engine_bench needs --pairs)
#   SCRATCH           folder for the pairs file (default /tmp/quorvane-floor-bench)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bin=${QUORVANE_BIN_DIR:-$(dirname "$here")/build/bin}
old=${OLD_BIN_DIR:-}
rounds=${ROUNDS:-5}
scratch=${SCRATCH:-/tmp/quorvane-floor-bench}
pairs=$scratch/pairs2012.tsv

mkdir -p "$scratch"
if [ ! -s "$pairs" ]; then
  sqlite3 "$bin/dbZips.mdb" "SELECT printf('%05d', zip_code) FROM zip_code" |
    awk 'BEGIN { srand(2012) } { z[n++] = $1 }
         END { for (i = 0; i < 1000000; i++) print z[int(rand() * n)] "\t" z[int(rand() * n)] }' \
      >"$pairs"
fi

rate() { "$@" --pairs "$pairs" --database 2012 | awk '$1 == "pairs_per_second" { print $2 }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

new=() floor=() older=() rnew=() rold=()
for ((r = 1; r <= rounds; r++)); do
  n=$(rate "$bin/engine_bench")
  f=$(rate "$bin/engine_bench" --floor)
  new+=("$n") floor+=("$f") rnew+=("$(awk "BEGIN { print $n / $f }")")
  line="round $r: engine $n, floor $f pairs/s"
  if [ -n "$old" ]; then
    o=$(rate "$old/engine_bench")
    older+=("$o") rold+=("$(awk "BEGIN { print $o / $f }")")
    line+=", other build's engine $o"
  fi
  echo "$line"
done
echo "median: engine $(median "${new[@]}"), floor $(median "${floor[@]}") pairs/s," \
  "engine/floor $(median "${rnew[@]}")"
if [ -n "$old" ]; then
  echo "median: other build's engine $(median "${older[@]}") pairs/s," \
    "its engine/floor $(median "${rold[@]}")"
fi
