#!/usr/bin/env bash
# The window's command line, run without a display: each row gives the arguments, the
# exit status, and a text that must stand in standard output or standard error.
# Usage: window_options_test.sh QUORVANE SCRATCH_DIR [GUI_BENCH]
set -uo pipefail
quorvane=$1
scratch=$2
bench=${3:-}
rm -rf "$scratch"
mkdir -p "$scratch/home"
failures=0

# row PROGRAM STATUS STREAM TEXT ARGUMENTS...
row() {
  local program=$1 status=$2 stream=$3 text=$4
  shift 4
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$scratch/home" \
    XDG_CONFIG_HOME="$scratch/home/.config" timeout 60 "$program" "$@" \
    >"$scratch/out" 2>"$scratch/err"
  local got=$?
  local where="$scratch/$stream"
  if [[ $got -ne $status ]] || ! grep -qF -- "$text" "$where"; then
    echo "FAILED: $(basename "$program") $*: status $got (wanted $status)," \
      "$stream without \"$text\"" >&2
    sed 's/^/  out: /' "$scratch/out" >&2
    sed 's/^/  err: /' "$scratch/err" >&2
    failures=$((failures + 1))
  fi
  # A usage error says nothing on standard output.
  if [[ $status -eq 2 && -s "$scratch/out" ]]; then
    echo "FAILED: $(basename "$program") $*: a usage error wrote to standard output" >&2
    failures=$((failures + 1))
  fi
}

row "$quorvane" 0 out "Usage: quorvane" --help
row "$quorvane" 0 out "Usage: quorvane" -h
row "$quorvane" 0 out "quorvane 1." --version
row "$quorvane" 0 out "Usage: quorvane" --check --help
row "$quorvane" 2 err "unknown option --bogus" --bogus
row "$quorvane" 2 err "Usage: quorvane" file.txt
row "$quorvane" 2 err "a value is missing after -style" -style
row "$quorvane" 0 out "database: " --check
if [[ -n $bench ]]; then
  row "$bench" 0 out "Usage: gui_bench" --help
  row "$bench" 2 err "cannot use the argument abc" abc
  row "$bench" 2 err "Usage: gui_bench" 10 --faster
  row "$bench" 2 err "cannot use the argument 99999999999999999999" 99999999999999999999
fi
exit $((failures > 0))
