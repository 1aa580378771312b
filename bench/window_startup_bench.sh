#!/usr/bin/env bash
# The window's start-up with a saved list of 1,000,000 entries against a Qt hello
# window, both whole processes on the offscreen platform, in alternating rounds.
#
#   bash bench/window_startup_bench.sh [OTHER_QUORVANE]
#
# Each round starts the hello window (build/bin/hello_window), then `quorvane` with a
# settings file holding ENTRIES saved zip codes (default 1000000), then OTHER_QUORVANE
# when given (another build of the window, with the same settings file). Each program
# ends once its window has been drawn, the window's with the whole list in its view
# (bench/quit_when_drawn.cpp, loaded with LD_PRELOAD). The settings live in a scratch
# HOME and XDG_CONFIG_HOME: the user's own are never touched. Prints each round's wall
# and CPU times and the medians of ROUNDS rounds (default 11) with their ratios.
#   QUORVANE_BIN_DIR  folder of quorvane, hello_window and quit_when_drawn.so
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
bin=${QUORVANE_BIN_DIR:-$repo/build/bin}
rounds=${ROUNDS:-11}
entries=${ENTRIES:-1000000}
other=${1:-}

for f in "$bin/quorvane" "$bin/hello_window" "$bin/quit_when_drawn.so" ${other:+"$other"}; do
  [[ -x $f || -f $f ]] || { echo "window_startup_bench: $f is missing (build the bench targets)" >&2; exit 1; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch XDG_CONFIG_HOME=$scratch/.config XDG_RUNTIME_DIR=$scratch/run
export QT_QPA_PLATFORM=offscreen STDERR_FILE=$scratch/stderr
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
settings=$XDG_CONFIG_HOME/Kelvarin.ini

# The settings file as the window writes it at close: the list is one value, each
# entry followed by ";", quoted because it holds ";".
awk -v n="$entries" 'BEGIN { srand(2016) } NR > 1 { z[++k] = substr($0, 1, 5) }
  END {
    printf "[Quorvane]\nOption1=True\nOption2=False\nOption3=True\nOption4=False\n"
    printf "Option5=False\nOption6=False\nOption7=True\nText1=\nZip%%20Codes=\""
    for (i = 0; i < n; i++) printf "%s;", z[1 + int(rand() * k)]
    printf "\"\n"
  }' "$repo/data/zip_code2016.csv" >"$settings.saved"
echo "settings file: $(stat -c %s "$settings.saved") bytes, $entries entries"

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
calc() { awk "BEGIN { printf \"%.${2:-3}f\", $1 }"; }

# Runs one program to its end; sets wall and cpu (seconds). The processor time is the
# kernel's account of that one finished process: nothing else started for the round
# (a watchdog, the shell) is counted, and the library that ends the window is loaded
# into the program alone.
timed() {
  local rows=$1
  shift
  cp "$settings.saved" "$settings"
  local times
  times=$(QUIT_WHEN_ROWS=$rows PRELOAD=$bin/quit_when_drawn.so /usr/bin/python3 -c '
import os, signal, subprocess, sys, time
env = dict(os.environ, LD_PRELOAD=os.environ["PRELOAD"])
start = time.perf_counter()
child = subprocess.Popen(sys.argv[1:], env=env, stdout=subprocess.DEVNULL,
                         stderr=open(os.environ["STDERR_FILE"], "w"))
signal.signal(signal.SIGALRM, lambda *_: child.kill())
signal.alarm(60)
_, status, usage = os.wait4(child.pid, 0)
wall = time.perf_counter() - start
if os.waitstatus_to_exitcode(status) != 0:
    sys.exit(1)
print(f"{wall:.4f} {usage.ru_utime + usage.ru_stime:.4f}")' "$@") || {
    echo "window_startup_bench: $* failed:" >&2
    cat "$scratch/stderr" >&2
    exit 1
  }
  read -r wall cpu <<<"$times"
}

hello_wall=() hello_cpu=() ours_wall=() ours_cpu=() other_wall=() other_cpu=()
for ((r = 1; r <= rounds; r++)); do
  timed 0 "$bin/hello_window"
  hello_wall+=("$wall") hello_cpu+=("$cpu")
  line="round $r: hello $wall s (cpu $cpu)"
  timed "$entries" "$bin/quorvane"
  ours_wall+=("$wall") ours_cpu+=("$cpu")
  line+=", quorvane $wall s (cpu $cpu)"
  if [[ -n $other ]]; then
    timed "$entries" "$other"
    other_wall+=("$wall") other_cpu+=("$cpu")
    line+=", other $wall s (cpu $cpu)"
  fi
  echo "$line"
done

hw=$(median "${hello_wall[@]}") hc=$(median "${hello_cpu[@]}")
ow=$(median "${ours_wall[@]}") oc=$(median "${ours_cpu[@]}")
echo "medians of $rounds rounds:"
echo "  hello window:               $hw s wall, $hc s cpu"
echo "  quorvane, $entries saved:  $ow s wall, $oc s cpu: $(calc "$ow / $hw" 2) times the hello window (cpu $(calc "$oc / $hc" 2))"
if [[ -n $other ]]; then
  tw=$(median "${other_wall[@]}") tc=$(median "${other_cpu[@]}")
  echo "  $other: $tw s wall, $tc s cpu: $(calc "$tw / $hw" 2) times the hello window (cpu $(calc "$tc / $hc" 2))"
fi
