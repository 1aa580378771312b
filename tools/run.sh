#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Quorvane.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" "$root/build"
if [[ -x "$root/build/bin/quorvane" ]]; then
  exec "$root/build/bin/quorvane" "$@"
fi
"$root/build/bin/quorvane-cli" distance 03053 92018
exec "$root/build/bin/quorvane-cli" distance 92018 60628
