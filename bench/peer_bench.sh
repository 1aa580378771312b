#!/usr/bin/env bash
# Quorvane against the npm package zipcodes@8.0.0, a benchmark peer (never a
# dependency: it is installed into a scratch folder under /tmp, not into the repo).
#
#   bash bench/peer_bench.sh [engine|run|within|augment|all]
#
# Each workload runs ours and the peer alternately for $ROUNDS rounds (default 5),
# prints every round and the median ratio ours/peer of the rates (above 1: ours is
# faster). Our commands can be replaced through variables; {PAIRS}, {LIST},
# {CENTRES}, {TABLE} and {MILES} stand for the workload files and the radius:
#   QUORVANE_BIN_DIR  folder of our binaries and dbZips.mdb (default build/bin)
#   OURS_ENGINE       default "$QUORVANE_BIN_DIR/engine_bench --pairs {PAIRS} --database 2012"
#   OURS_RUN          default "$QUORVANE_BIN_DIR/quorvane-cli run --database 2012 {LIST}"
#   OURS_WITHIN       default "$QUORVANE_BIN_DIR/spatial_bench --centres {CENTRES} --miles {MILES}"
#   OURS_AUGMENT      default "$QUORVANE_BIN_DIR/quorvane-cli augment {TABLE} --from from_zip --to to_zip"
#   PEER_SCRATCH      scratch folder (default /tmp/quorvane-peer-bench)
# OURS_ENGINE must print `pairs_per_second N`; OURS_WITHIN prints `queries_per_second N`
# (and `median_query_ms X`) or is timed from outside; OURS_RUN writes its lines to
# standard output and is timed from outside. The within workload then times
# `quorvane-cli within`, one process per centre, for the first $WITHIN_CLI_CENTRES
# centres (default 100), as a second figure of ours.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
bin=${QUORVANE_BIN_DIR:-$repo/build/bin}
db=$bin/dbZips.mdb
scratch=${PEER_SCRATCH:-/tmp/quorvane-peer-bench}
rounds=${ROUNDS:-5}
miles=25
peer_js=$here/peer/zipcodes_peer.js
make_js=$here/peer/make_workload.js
ours_engine=${OURS_ENGINE:-"$bin/engine_bench --pairs {PAIRS} --database 2012"}
ours_run=${OURS_RUN:-"$bin/quorvane-cli run --database 2012 {LIST}"}
ours_within=${OURS_WITHIN:-"$bin/spatial_bench --centres {CENTRES} --miles {MILES}"}
ours_augment=${OURS_AUGMENT:-"$bin/quorvane-cli augment {TABLE} --from from_zip --to to_zip"}

die() {
  echo "peer_bench: $*" >&2
  exit 1
}

# First `name value` line of a program's output.
field() { awk -v k="$1" '$1 == k { print $2; exit }' "$2"; }
now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.${2:-0}f\", $1 }"; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Our command as words, with the workload placeholders filled in.
ours_words() {
  local cmd=$1 w
  words=()
  for w in $cmd; do
    w=${w//\{PAIRS\}/$pairs_file}
    w=${w//\{LIST\}/$list_file}
    w=${w//\{CENTRES\}/$centres_file}
    w=${w//\{MILES\}/$miles}
    w=${w//\{TABLE\}/$table_file}
    words+=("$w")
  done
}

# Whether our program exists and knows what the workload needs: an option found among
# its strings, or (for quorvane-cli) a command its help names.
ours_ready() {
  local exe=$1 option=$2 command=$3
  if [[ ! -x $exe ]]; then
    echo "SKIPPED: $exe is not built"
    return 1
  fi
  if [[ -n $option ]] && ! grep -qaF -- "$option" "$exe"; then
    echo "SKIPPED: $exe has no $option option yet"
    return 1
  fi
  if [[ -n $command && $exe == */quorvane-cli ]] && ! "$exe" --help 2>&1 | grep -qw "$command"; then
    echo "SKIPPED: $exe has no $command command yet"
    return 1
  fi
}

setup() {
  local tool
  for tool in node npm sqlite3; do
    command -v "$tool" > /dev/null || die "$tool is missing (sqlite3: apt-get install sqlite3)"
  done
  [[ -f $db ]] || die "$db is missing: build Quorvane first (or set QUORVANE_BIN_DIR)"
  mkdir -p "$scratch"
  local installed=$scratch/node_modules/zipcodes/package.json
  if ! grep -q '"version": "8.0.0"' "$installed" 2> /dev/null; then
    echo "installing zipcodes@8.0.0 into $scratch"
    npm install --prefix "$scratch" --no-audit --no-fund --loglevel=error zipcodes@8.0.0 > /dev/null
  fi
  export NODE_PATH=$scratch/node_modules
  sqlite3 "$db" "SELECT printf('%05d', zip_code) FROM zip_code ORDER BY zip_code" > "$scratch/zips2012.txt"
  sqlite3 "$db" "SELECT zip_code FROM zip_code2016 ORDER BY zip_code" > "$scratch/zips2016.txt"
  pairs_file=$scratch/engine_pairs.tsv
  list_file=$scratch/run_list.txt
  consecutive_file=$scratch/run_pairs.tsv
  centres_file=$scratch/within_centres.txt
  table_file=$scratch/augment_table.csv
}

# One round of a workload: both rates and their ratio.
round_line() {
  local r=$1 ours=$2 peer=$3 unit=$4
  printf 'round %d  ours %12s %s  peer %12s %s  ours/peer %s\n' "$r" "$ours" "$unit" "$peer" \
    "$unit" "$(calc "$ours / $peer" 2)"
}

bench_engine() {
  echo "== engine: 1,000,000 random pairs of the 2012 table, sentence per pair"
  node "$make_js" pairs "$scratch/zips2012.txt" 1000000 2012 "$pairs_file"
  ours_words "$ours_engine"
  ours_ready "${words[0]}" --pairs "" || return 0
  local r ours peer ratios=()
  for ((r = 1; r <= rounds; r++)); do
    "${words[@]}" > "$scratch/ours_engine.txt" || die "ours failed: ${words[*]}"
    ours=$(field pairs_per_second "$scratch/ours_engine.txt")
    [[ -n $ours ]] || die "ours printed no 'pairs_per_second N' line: ${words[*]}"
    node "$peer_js" lines "$pairs_file" "$scratch/peer_engine_out.txt" > "$scratch/peer_engine.txt" ||
      die "the peer failed"
    peer=$(field pairs_per_second "$scratch/peer_engine.txt")
    round_line "$r" "$ours" "$peer" pairs/s
    ratios+=("$(calc "$ours / $peer" 4)")
  done
  echo "median ours/peer: $(calc "$(median "${ratios[@]}")" 2)"
}

bench_run() {
  echo "== run: 1,000,000-entry list of the 2012 table, 999,999 consecutive pairs"
  node "$make_js" list "$scratch/zips2012.txt" 1000000 1 "$list_file"
  node "$make_js" consecutive "$list_file" "$consecutive_file"
  ours_words "$ours_run"
  ours_ready "${words[0]}" "" run || return 0
  local pairs=999999 r t0 t1 ours inside whole in_ratios=() whole_ratios=()
  echo "(ours timed as a whole process; peer: inside node, then as a whole process)"
  for ((r = 1; r <= rounds; r++)); do
    t0=$(now)
    # Exit status 1 only says some comparisons had no distance (zero coordinates).
    "${words[@]}" > "$scratch/ours_run_out.txt" 2> "$scratch/ours_run_err.txt" || (($? == 1)) ||
      die "ours failed: ${words[*]} ($(head -c 300 "$scratch/ours_run_err.txt"))"
    t1=$(now)
    ours=$(calc "$pairs / ($t1 - $t0)")
    t0=$(now)
    ZIPCODES_PEER_WARMUP=0 node "$peer_js" lines "$consecutive_file" "$scratch/peer_run_out.txt" \
      > "$scratch/peer_run.txt" || die "the peer failed"
    t1=$(now)
    inside=$(field pairs_per_second "$scratch/peer_run.txt")
    whole=$(calc "$pairs / ($t1 - $t0)")
    printf 'round %d  ours %12s pairs/s  peer %12s inside, %12s whole  ours/peer %s, %s\n' \
      "$r" "$ours" "$inside" "$whole" "$(calc "$ours / $inside" 2)" "$(calc "$ours / $whole" 2)"
    in_ratios+=("$(calc "$ours / $inside" 4)")
    whole_ratios+=("$(calc "$ours / $whole" 4)")
  done
  echo "median ours/peer (peer inside node): $(calc "$(median "${in_ratios[@]}")" 2)"
  echo "median ours/peer (peer whole process): $(calc "$(median "${whole_ratios[@]}")" 2)"
  echo "output lines: ours $(wc -l < "$scratch/ours_run_out.txt"), peer $(wc -l < "$scratch/peer_run_out.txt");" \
    "ours' messages: $scratch/ours_run_err.txt"
}

bench_within() {
  echo "== within: 1,000 random centres of the 2016 table, radius $miles miles"
  node "$make_js" sample "$scratch/zips2016.txt" 1000 2016 "$centres_file"
  ours_words "$ours_within"
  local option=""
  [[ ${words[0]} == */spatial_bench ]] && option=--centres
  ours_ready "${words[0]}" "$option" within || return 0
  local r t0 t1 ours ours_median peer ratios=()
  for ((r = 1; r <= rounds; r++)); do
    t0=$(now)
    "${words[@]}" > "$scratch/ours_within.txt" || die "ours failed: ${words[*]}"
    t1=$(now)
    ours=$(field queries_per_second "$scratch/ours_within.txt")
    if [[ -z $ours ]]; then
      # A command that prints no rate of its own is timed as a whole process.
      ours=$(calc "1000 / ($t1 - $t0)" 1)
      echo "         (ours printed no queries_per_second line: timed from outside)"
    fi
    node "$peer_js" radius "$centres_file" "$miles" > "$scratch/peer_within.txt" ||
      die "the peer failed"
    peer=$(field queries_per_second "$scratch/peer_within.txt")
    round_line "$r" "$ours" "$peer" queries/s
    ours_median=$(field median_query_ms "$scratch/ours_within.txt")
    echo "         median query: ours ${ours_median:-(not printed)} ms," \
      "peer $(field median_query_ms "$scratch/peer_within.txt") ms"
    ratios+=("$(calc "$ours / $peer" 4)")
  done
  echo "median ours/peer: $(calc "$(median "${ratios[@]}")" 2)"
  bench_within_cli
}

# A second figure: quorvane-cli within, one process per centre, timed from outside, so
# each query pays for the program's start, the table's load and the index's build.
bench_within_cli() {
  local cli=$bin/quorvane-cli n=${WITHIN_CLI_CENTRES:-100} c t0 t1
  ours_ready "$cli" "" within > /dev/null || return 0
  t0=$(now)
  while read -r c; do
    "$cli" within "$c" "$miles" > /dev/null || (($? == 1)) || die "ours failed: $cli within $c $miles"
  done < <(head -n "$n" "$centres_file")
  t1=$(now)
  echo "quorvane-cli within, one process per centre (first $n centres): $(calc "$n / ($t1 - $t0)" 1) queries/s"
}

# Peak resident memory in KB of our command on the given table.
peak_kb() {
  local saved=$table_file
  table_file=$1
  ours_words "$ours_augment"
  table_file=$saved
  /usr/bin/time -f '%M' -o "$scratch/augment_peak.txt" "${words[@]}" > /dev/null 2>&1 || (($? == 1)) ||
    die "ours failed: ${words[*]}"
  cat "$scratch/augment_peak.txt"
}

bench_augment() {
  local rows=2000000
  echo "== augment: a $rows-row CSV export (id, two zip codes as spreadsheets write them," \
    "a name with commas and quotes), both as whole processes"
  node "$make_js" table "$scratch/zips2016.txt" "$rows" 3 "$table_file"
  ours_words "$ours_augment"
  ours_ready "${words[0]}" "" augment || return 0
  local r t0 t1 ours peer ratios=()
  for ((r = 1; r <= rounds; r++)); do
    t0=$(now)
    # Exit status 1 only says some rows had no distance.
    "${words[@]}" > "$scratch/ours_augment_out.csv" 2> "$scratch/ours_augment_err.txt" ||
      (($? == 1)) || die "ours failed: ${words[*]} ($(head -c 300 "$scratch/ours_augment_err.txt"))"
    t1=$(now)
    ours=$(calc "$rows / ($t1 - $t0)")
    t0=$(now)
    node "$peer_js" augment "$table_file" "$scratch/peer_augment_out.csv" || die "the peer failed"
    t1=$(now)
    peer=$(calc "$rows / ($t1 - $t0)")
    round_line "$r" "$ours" "$peer" rows/s
    ratios+=("$(calc "$ours / $peer" 4)")
  done
  echo "median ours/peer: $(calc "$(median "${ratios[@]}")" 2)"
  echo "output lines: ours $(wc -l < "$scratch/ours_augment_out.csv"), peer" \
    "$(wc -l < "$scratch/peer_augment_out.csv"); ours' summary: $scratch/ours_augment_err.txt"
  if [[ -x /usr/bin/time ]]; then
    node "$make_js" table "$scratch/zips2016.txt" $((3 * rows)) 3 "$scratch/augment_table6m.csv"
    local small big
    small=$(peak_kb "$table_file")
    big=$(peak_kb "$scratch/augment_table6m.csv")
    echo "peak memory: $small KB for $rows rows, $big KB for $((3 * rows)) rows" \
      "($((big - small)) KB more)"
    rm -f "$scratch/augment_table6m.csv"
  else
    echo "peak memory: SKIPPED (no /usr/bin/time)"
  fi
}

what=${1:-all}
case $what in
  engine | run | within | augment | all) ;;
  *) die "usage: bash bench/peer_bench.sh [engine|run|within|augment|all]" ;;
esac
setup
[[ $what == engine || $what == all ]] && bench_engine
[[ $what == run || $what == all ]] && bench_run
[[ $what == within || $what == all ]] && bench_within
[[ $what == augment || $what == all ]] && bench_augment
exit 0
