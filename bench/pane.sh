#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# The Output command into the real pane against kestrova-list on the same tree of a million
# entries, taking turns round after round; medians and their ratio. Then how long expanding a
# folder of 100,000 subfolders holds up the folder tree.
#
#   bench/pane.sh [ENTRIES (1000000)] [ROUNDS (5)]     BUILD=build, TREE_DIR=$BUILD/bench-trees
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
