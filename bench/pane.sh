#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# The Output command into the real pane against kestrova-list on the same tree of a million
# entries, taking turns round after round; medians and their ratio. Then how long expanding a
# folder of 100,000 subfolders holds up the folder tree. Then the pane at scale, on listings made
# in memory: finding the one match at the far end of 1,000,000 and of 16,777,216 lines (against a
# bare memmem of the same text), pasting all of 1,100,000 lines and of a full pane as HTML and as
# text (HTML also against the way it was first made, at 1.1M lines), and the memory left once a
# full pane is replaced by a small listing.
#
#   bench/pane.sh [ENTRIES (1000000)] [ROUNDS (5)]     BUILD=build, TREE_DIR=$BUILD/bench-trees
#   SCALE_ROUNDS (3) rounds of each figure at scale; REFERENCE_AT_CAPACITY=1 also times the first
#   HTML copy on a full pane (about half a minute and 6 GB).
set -euo pipefail
cd "$(dirname "$0")/.."
entries=${1:-1000000}
rounds=${2:-5}
build=${BUILD:-build}
trees=${TREE_DIR:-$build/bench-trees}
tree="$trees/tree-$entries"
wide="$trees/wide-100000"
export QT_QPA_PLATFORM=offscreen

mkdir -p "$trees"
[ -d "$tree" ] || "$build/bench/kestrova-bench-mktree" "$tree" "$entries"
if [ ! -d "$wide" ]; then
  mkdir -p "$wide.part" && (cd "$wide.part" && seq -f 'folder-%06g' 100000 | xargs mkdir)
  mv "$wide.part" "$wide"
fi

pane_seconds=() list_seconds=()
pane_line=""
"$build/cli/kestrova-list" --color=never "$tree" >/dev/null  # warm the caches
for ((round = 0; round < rounds; ++round)); do
  pane_line=$("$build/bench/kestrova-bench-pane" "$tree" 2>/dev/null | tail -n 1)
  pane_seconds+=("$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$pane_line")")
  start=$(date +%s%N)
  "$build/cli/kestrova-list" --color=never "$tree" >/dev/null
  end=$(date +%s%N)
  list_seconds+=("$(awk -v d=$((end - start)) 'BEGIN { printf "%.3f", d / 1e9 }')")
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
pane=$(median "${pane_seconds[@]}")
list=$(median "${list_seconds[@]}")
echo "tree: $tree; $rounds rounds, medians"
echo "last pane run: $pane_line"
awk -v p="$pane" -v l="$list" \
  'BEGIN { printf "pane %.3f s, kestrova-list %.3f s, pane / kestrova-list = %.2f\n", p, l, p / l }'
KESTROVA_BENCH_USABILITY=1 "$build/bench/kestrova-bench-pane" "$tree" 2>/dev/null | tail -n 1
echo "folder tree, expanding 100,000 subfolders: $("$build/bench/kestrova-bench-tree" "$wide" 2>/dev/null)"

capacity=16777216
scale_rounds=${SCALE_ROUNDS:-3}
field() { sed -E "s/.*[ ^]$1=([0-9.]+).*/\\1/" <<<" $2"; }
for lines in 1000000 $capacity; do
  finds=() scans=() stalls=()
  for ((round = 0; round < scale_rounds; ++round)); do
    line=$("$build/bench/kestrova-bench-pane" --find $lines 2>/dev/null | tail -n 1)
    finds+=("$(field find_ms "$line")") scans+=("$(field scan_ms "$line")")
    stalls+=("$(field longest_stall_ms "$line")")
  done
  echo "find at the far end of $lines lines: $(median "${finds[@]}") ms, memmem" \
    "$(median "${scans[@]}") ms, longest event-loop stall $(median "${stalls[@]}") ms (medians)"
done
for lines in 1100000 $capacity; do
  html=() html_mb=() text=() text_mb=() ref=() ref_mb=() line=""
  rounds_here=$scale_rounds
  [ $lines = $capacity ] && rounds_here=1
  for ((round = 0; round < rounds_here; ++round)); do
    reference=
    [ $lines != $capacity ] || [ -n "${REFERENCE_AT_CAPACITY:-}" ] && reference=1
    line=$(KESTROVA_BENCH_REFERENCE=$reference "$build/bench/kestrova-bench-pane" --paste $lines \
      2>/dev/null | tail -n 1)
    html+=("$(field html_ms "$line")") html_mb+=("$(field html_mb "$line")")
    text+=("$(field text_ms "$line")") text_mb+=("$(field text_mb "$line")")
    if [ -n "$reference" ]; then
      ref+=("$(field reference_html_ms "$line")") ref_mb+=("$(field reference_html_mb "$line")")
    fi
  done
  echo "paste of $lines lines: $line"
  echo "  HTML $(median "${html[@]}") ms, +$(median "${html_mb[@]}") MB peak;" \
    "text $(median "${text[@]}") ms, +$(median "${text_mb[@]}") MB peak"
  if [ ${#ref[@]} -gt 0 ]; then
    awk -v n="$(median "${html[@]}")" -v r="$(median "${ref[@]}")" -v m="$(median "${ref_mb[@]}")" \
      'BEGIN { printf "  HTML as first made: %d ms, +%d MB peak; now %.1f times faster\n", r, m, r / n }'
  fi
done
echo "memory once a full pane is replaced: $("$build/bench/kestrova-bench-pane" --reclaim $capacity \
  2>/dev/null | tail -n 1)"
