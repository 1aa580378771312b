#!/usr/bin/env bash
# Draws the README's maps: docs/map-within.png (a ring and the zip codes inside it) and
# docs/map-legs.png (a list's legs, one zip code to the next), with the built
# quorvane-cli map against the shipped database. Run it again whenever the maps' look
# changes. Usage: tools/map-pictures.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target quorvane-cli quorvane-map
mkdir -p "$root/docs"
cli=$build/bin/quorvane-cli
"$cli" map --within 60601 15 --size 1000x640 --output "$root/docs/map-within.png"
printf '%s\n' 98101 94103 90012 85004 80202 75201 60601 30303 33101 10001 02108 |
  "$cli" map --size 1000x640 --output "$root/docs/map-legs.png"
echo "wrote $root/docs/map-within.png and $root/docs/map-legs.png"
