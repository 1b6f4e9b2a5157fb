#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# Times kestrova-list against find, fdfind and tree (where installed) and against the floor, a walk
# that only calls getdents64 and openat, on one synthetic tree. The commands take turns, round after
# round, so that they share the machine's state; the report gives each one's median and its ratio
# to find and to the floor.
#
#   bench/walk.sh [ENTRIES (300000)] [ROUNDS (9)]     BUILD=build, TREE_DIR=$BUILD/bench-trees
set -euo pipefail
cd "$(dirname "$0")/.."
entries=${1:-300000}
rounds=${2:-9}
build=${BUILD:-build}
trees=${TREE_DIR:-$build/bench-trees}
tree="$trees/tree-$entries"

if [ ! -d "$tree" ]; then
  mkdir -p "$trees"
  "$build/bench/kestrova-bench-mktree" "$tree" "$entries"
fi

declare -A commands=(
  [kestrova-list]="$build/cli/kestrova-list --color=never $tree"
  [find]="find $tree"
  [floor]="$build/bench/kestrova-bench-floor $tree"
)
command -v fdfind >/dev/null && commands[fdfind]="fdfind -u . $tree"
command -v tree >/dev/null && commands[tree]="tree -a -U $tree"
names=(kestrova-list find floor)
for extra in fdfind tree; do [ -n "${commands[$extra]:-}" ] && names+=("$extra"); done

declare -A times
for name in "${names[@]}"; do ${commands[$name]} >/dev/null; done  # warm the caches
for ((round = 0; round < rounds; ++round)); do
  for name in "${names[@]}"; do
    start=$(date +%s%N)
    ${commands[$name]} >/dev/null
    end=$(date +%s%N)
    times[$name]+="$(( (end - start) / 1000 )) "
  done
done

median() { tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
declare -A medians
for name in "${names[@]}"; do medians[$name]=$(echo "${times[$name]}" | median); done

lines=$(${commands[kestrova-list]} | wc -l)
echo "tree: $tree, $entries entries, $lines lines of listing; $rounds rounds, medians"
printf '%-14s %10s %9s %9s\n' command ms "/find" "/floor"
for name in "${names[@]}"; do
  awk -v n="$name" -v t="${medians[$name]}" -v f="${medians[find]}" -v l="${medians[floor]}" \
    'BEGIN { printf "%-14s %10.1f %9.2f %9.2f\n", n, t / 1000, t / f, t / l }'
done
