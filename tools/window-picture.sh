#!/usr/bin/env bash
# Draws docs/window.png, the README's and the metainfo's picture of the window: the
# program under Xvfb with fresh settings, the sample list loaded and compared. Run it
# again whenever the window's look changes. Usage: tools/window-picture.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target window_picture quorvane
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$root/docs"
HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=xcb \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  "$build/tools/window_picture" "$build/bin" "$root/docs/window.png"
echo "wrote $root/docs/window.png"
