#!/usr/bin/env bash
# `within --centres` and `assign` against the npm package zipcodes@8.0.0 doing the same
# jobs in one node process (a benchmark peer, never a dependency: installed into a
# scratch folder under /tmp). Every figure is a whole process, ours and the peer's
# alternating for $ROUNDS rounds (default 3).
#
#   bash bench/spatial_peer_bench.sh [centres|assign|all]
#
#   centres  1,000 centres at 25 miles: ours in one process against the peer's loop of
#            zipcodes.radius (with zipcodes.distance for each zip code found).
#   assign   1,000,000 customers to 2,000 stores, 3 nearest: ours as a whole process;
#            the peer measures each customer against every store, timed on the first
#            $PEER_CUSTOMERS customers (default 10,000) and scaled to 1,000,000.
#   QUORVANE_BIN_DIR  folder of quorvane-cli and dbZips.mdb (default build/bin)
#   PEER_SCRATCH      scratch folder (default /tmp/quorvane-peer-bench)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
bin=${QUORVANE_BIN_DIR:-$repo/build/bin}
cli=$bin/quorvane-cli
scratch=${PEER_SCRATCH:-/tmp/quorvane-peer-bench}
rounds=${ROUNDS:-3}
peer_customers=${PEER_CUSTOMERS:-10000}
jobs_js=$here/peer/zipcodes_jobs.js

die() {
  echo "spatial_peer_bench: $*" >&2
  exit 1
}
now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.${2:-0}f\", $1 }"; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Seconds a command takes as a whole process, its output to the file first named; exit
# status 1 (some rows without a distance) is not a failure.
seconds() {
  local out=$1 t0 t1
  shift
  t0=$(now)
  "$@" > "$out" 2> "$out.err" || (($? == 1)) || die "failed: $* ($(head -c 300 "$out.err"))"
  t1=$(now)
  calc "$t1 - $t0" 4
}

setup() {
  local tool
  for tool in node npm sqlite3; do
    command -v "$tool" > /dev/null || die "$tool is missing"
  done
  [[ -x $cli && -f $bin/dbZips.mdb ]] || die "build quorvane-cli first (or set QUORVANE_BIN_DIR)"
  mkdir -p "$scratch"
  if ! grep -q '"version": "8.0.0"' "$scratch/node_modules/zipcodes/package.json" 2> /dev/null; then
    echo "installing zipcodes@8.0.0 into $scratch"
    npm install --prefix "$scratch" --no-audit --no-fund --loglevel=error zipcodes@8.0.0 > /dev/null
  fi
  export NODE_PATH=$scratch/node_modules
  # Zip codes both know, so that neither answers "not found" for its share.
  sqlite3 "$bin/dbZips.mdb" "SELECT zip_code FROM zip_code2016 ORDER BY zip_code" > "$scratch/ours.txt"
  node -e 'const z = require("zipcodes"); const fs = require("fs");
    const ours = fs.readFileSync(process.argv[1], "latin1").split("\n").filter(Boolean);
    fs.writeFileSync(process.argv[2], ours.filter((c) => z.lookup(c)).join("\n") + "\n");' \
    "$scratch/ours.txt" "$scratch/both.txt"
  customers=$scratch/customers.csv stores=$scratch/stores.csv centres=$scratch/centres.txt
  [[ -s $customers ]] || node "$jobs_js" make "$scratch/both.txt" "$customers" "$stores" "$centres"
}

bench_centres() {
  echo "== within --centres: 1,000 centres at 25 miles, whole processes"
  local r ours peer ratios=()
  for ((r = 1; r <= rounds; r++)); do
    ours=$(seconds "$scratch/ours_centres.csv" "$cli" within --centres "$centres" 25 --format csv)
    peer=$(seconds "$scratch/peer_stdout.txt" node "$jobs_js" centres "$centres" 25 "$scratch/peer_centres.csv")
    printf 'round %d  ours %8s s  peer %8s s  peer/ours %s\n' "$r" "$ours" "$peer" "$(calc "$peer / $ours" 1)"
    ratios+=("$(calc "$peer / $ours" 4)")
  done
  echo "rows: ours $(wc -l < "$scratch/ours_centres.csv"), peer $(wc -l < "$scratch/peer_centres.csv")"
  echo "median peer/ours: $(calc "$(median "${ratios[@]}")" 1)"
}

bench_assign() {
  echo "== assign: 1,000,000 customers, 2,000 stores, 3 nearest, whole processes"
  local r ours peer scaled ratios=() times=()
  for ((r = 1; r <= rounds; r++)); do
    ours=$(seconds "$scratch/ours_assign.csv" "$cli" assign "$customers" --to "$stores" --from zip --count 3)
    peer=$(seconds "$scratch/peer_stdout.txt" node "$jobs_js" assign "$customers" "$stores" 3 "$peer_customers" \
      "$scratch/peer_assign.csv")
    scaled=$(calc "$peer * 1000000 / $peer_customers" 1)
    printf 'round %d  ours %8s s  peer %8s s for %d customers (%s s scaled)  peer/ours %s\n' \
      "$r" "$ours" "$peer" "$peer_customers" "$scaled" "$(calc "$scaled / $ours" 0)"
    ratios+=("$(calc "$scaled / $ours" 4)")
    times+=("$ours")
  done
  echo "rows: ours $(wc -l < "$scratch/ours_assign.csv"), peer $(wc -l < "$scratch/peer_assign.csv")"
  echo "median ours: $(median "${times[@]}") s; median peer/ours: $(calc "$(median "${ratios[@]}")" 0)"
}

what=${1:-all}
case $what in
  centres | assign | all) ;;
  *) die "usage: bash bench/spatial_peer_bench.sh [centres|assign|all]" ;;
esac
setup
[[ $what == centres || $what == all ]] && bench_centres
[[ $what == assign || $what == all ]] && bench_assign
exit 0
