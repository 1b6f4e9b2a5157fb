#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# Makes docs/screenshot.png: the main window after a listing, as a user sees it, under Xvfb. The
# program runs with a home folder of its own whose desktop holds a small sample project; the script
# presses "输出" from the keyboard and captures the window.
#
#   docs/screenshot.sh [BUILD (build)]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
need=()
for tool in Xvfb:xvfb xdotool:xdotool import:imagemagick; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool##*:}")
done
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

home=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$home"' EXIT
desktop="$home/Desktop"
mkdir -p "$desktop"/{src/listing,src/ui,docs,.git} "$home/文档"
touch "$desktop"/{README.md,CMakeLists.txt,.clang-format} "$desktop"/src/main.cpp \
  "$desktop"/src/listing/{walk.cpp,walk.h} "$desktop"/src/ui/{window.cpp,window.ui} \
  "$desktop"/docs/{说明.txt,screenshot.png}

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
sleep 1
HOME="$home" DISPLAY="$display" QT_QPA_PLATFORM=xcb "$build/app/kestrova" &
for _ in $(seq 50); do
  window=$(DISPLAY="$display" xdotool search --name '^Kestrova$' 2>/dev/null | head -n 1) && break
  sleep 0.2
done
sleep 1
# Focus goes field, tree, pane, button: three tabs reach "输出".
DISPLAY="$display" xdotool windowfocus --sync "$window" key Tab Tab Tab space
sleep 1
DISPLAY="$display" import -window "$window" docs/screenshot.png
echo "docs/screenshot.png"
