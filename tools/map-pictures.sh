#!/usr/bin/env bash
# Draws the README's maps: docs/map-within.png (a ring and the zip codes inside it),
# docs/map-legs.png (a list's legs, one zip code to the next) and docs/map-assign.png
# (customers coloured by their nearest store, with spokes), with the built
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
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf 'zip,name\n60601,Chicago\n53202,Milwaukee\n46204,Indianapolis\n48226,Detroit\n63101,St. Louis\n' \
  >"$scratch/stores.csv"
{
  echo zip
  printf '%s\n' 60614 60540 60004 60120 61801 61602 62701 53703 53901 54301 53081 46601 46802 \
    47401 47906 46514 49503 48104 48823 48502 49007 43604 63301 62901 61101 52801 52240 46360 \
    60435 61761 47803 62220 65201 53511 49085 48601 48066 46901 47304 62526
} >"$scratch/customers.csv"
"$cli" map --assign "$scratch/customers.csv" --to "$scratch/stores.csv" --from zip \
  --size 1000x640 --output "$root/docs/map-assign.png"
echo "wrote $root/docs/map-within.png, $root/docs/map-legs.png and $root/docs/map-assign.png"
