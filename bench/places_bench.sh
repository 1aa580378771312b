#!/usr/bin/env bash
# quorvane-cli lookup and find as whole processes, against the npm package
# zipcodes@8.0.0 doing the same jobs (a benchmark peer, installed into a scratch folder,
# never a dependency).
#
#   bash bench/places_bench.sh          # ROUNDS=5, QUORVANE_BIN_DIR=build/bin
#
# lookup: --file with 1,000,000 zip codes drawn (seeded) from data/places.csv, CSV to
# /dev/null; target at least 3 million a second. find: one "Springfield, IL"; target
# under 20 ms. Each round runs ours, then the peer; medians are printed at the end.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
bin=${QUORVANE_BIN_DIR:-$repo/build/bin}
scratch=${PEER_SCRATCH:-/tmp/quorvane-peer-bench}
rounds=${ROUNDS:-5}
cli=$bin/quorvane-cli

mkdir -p "$scratch"
if ! grep -q '"version": "8.0.0"' "$scratch/node_modules/zipcodes/package.json" 2> /dev/null; then
  echo "installing zipcodes@8.0.0 into $scratch"
  npm install --prefix "$scratch" --no-audit --no-fund --loglevel=error zipcodes@8.0.0 > /dev/null
fi
export NODE_PATH=$scratch/node_modules

list=$scratch/places_list.txt
if [ ! -s "$list" ]; then
  awk -F, 'NR > 1 { z[n++] = $1 } END { srand(21); for (i = 0; i < 1000000; i++) print z[int(rand() * n)] }' \
    "$repo/data/places.csv" > "$list"
fi

now() { date +%s.%N; }
seconds() { local t0; t0=$(now); "$@" > /dev/null; awk -v a="$t0" -v b="$(now)" 'BEGIN { printf "%.4f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ours_lookup=() peer_lookup=() ours_find=() peer_find=()
for ((r = 1; r <= rounds; r++)); do
  a=$(seconds "$cli" lookup --file "$list" --format csv)
  b=$(seconds node "$here/peer/places_peer.js" lookup "$list")
  c=$(seconds "$cli" find "Springfield, IL" --format csv)
  d=$(seconds node "$here/peer/places_peer.js" find Springfield IL)
  echo "round $r: lookup ours ${a}s peer ${b}s; find ours ${c}s peer ${d}s"
  ours_lookup+=("$a") peer_lookup+=("$b") ours_find+=("$c") peer_find+=("$d")
done
ol=$(median "${ours_lookup[@]}") pl=$(median "${peer_lookup[@]}")
of=$(median "${ours_find[@]}") pf=$(median "${peer_find[@]}")
awk -v ol="$ol" -v pl="$pl" -v of="$of" -v pf="$pf" 'BEGIN {
  printf "lookup of 1,000,000: ours %.3f s (%.2f million/s), peer %.3f s (%.2f million/s), ours/peer speed %.1f\n", ol, 1 / ol, pl, 1 / pl, pl / ol
  printf "find Springfield, IL: ours %.1f ms, peer %.1f ms\n", of * 1000, pf * 1000
}'
