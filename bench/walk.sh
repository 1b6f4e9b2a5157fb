#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# Times kestrova-list against find, fdfind and tree (where installed) and against the floor, a walk
# that only calls getdents64 and openat (with --print, one that also writes the listing's lines).
# Every round runs every command once, in an order rotated from round to round, so that the
# commands share the machine's state and its noise; each command's wall and CPU time (user + sys,
# from the child's rusage) is recorded, and the report gives each one's medians and the medians of
# its per-round ratios to the others, with the quartiles of those ratios as a measure of the noise.
#
#   bench/walk.sh [--cold] [--rounds N] [--compare OTHER-KESTROVA-LIST] [--only "NAME..."]
#                 [--check] [TREE]
#
# TREE: a number of entries for a synthetic bushy tree (300000 if none is given), chain:DEPTH for
# a chain of folders, siblings:DEPTH for a chain with an empty folder after the branch at every
# level, or the path of an existing folder (/ included). Trees are made under TREE_DIR
# (default $BUILD/bench-trees, BUILD=build).
#   --cold     drop the caches before every run (root only), against find, fdfind -uu and
#              fdfind -uu -j16; without it the caches are warmed first and stay warm.
#   --compare  another build's kestrova-list, timed alongside as "compare" (say, the last commit's).
#   --only     run only the commands named (kestrova-list, compare, find, floor, floor+print,
#              fdfind, fdfind-j16, tree), for more rounds of the ones that matter.
#   --check    also check that every folder `find` reaches appears in the listing.
# Needs: bash, awk, python3 for --check; fdfind (Debian package fd-find, which `make bench`
# installs) and tree are used when installed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
trees=${TREE_DIR:-$build/bench-trees}
cold=false
check=false
rounds=""
compare=""
only=""
target=300000
while [ $# -gt 0 ]; do
  case $1 in
    --cold) cold=true ;;
    --check) check=true ;;
    --rounds) rounds=$2; shift ;;
    --compare) compare=$2; shift ;;
    --only) only=$2; shift ;;
    -*) echo "walk.sh: unknown option $1" >&2; exit 2 ;;
    *) target=$1 ;;
  esac
  shift
done
rounds=${rounds:-$($cold && echo 5 || echo 9)}

case $target in
  chain:* | siblings:*)
    tree="$trees/${target%%:*}-${target#*:}"
    [ -d "$tree" ] || { mkdir -p "$trees"; "$build/bench/kestrova-bench-mktree" "--${target%%:*}" "$tree" "${target#*:}"; } ;;
  *[!0-9]*) tree=$target ;;
  *)
    tree="$trees/tree-$target"
    [ -d "$tree" ] || { mkdir -p "$trees"; "$build/bench/kestrova-bench-mktree" "$tree" "$target"; } ;;
esac
[ -d "$tree" ] || { echo "walk.sh: $tree is not a folder" >&2; exit 2; }
if $cold && ! [ -w /proc/sys/vm/drop_caches ]; then
  echo "walk.sh: --cold drops the caches and must run as root" >&2
  exit 2
fi

declare -A commands=(
  [kestrova-list]="$build/cli/kestrova-list --color=never $tree"
  [find]="find $tree"
  [floor]="$build/bench/kestrova-bench-floor $tree"
  [floor+print]="$build/bench/kestrova-bench-floor --print $tree"
)
names=(kestrova-list)
if [ -n "$compare" ]; then
  commands[compare]="$compare --color=never $tree"
  names+=(compare)
fi
names+=(find floor floor+print)
if command -v fdfind >/dev/null; then
  commands[fdfind]="fdfind -uu . $tree"
  commands[fdfind-j16]="fdfind -uu -j16 . $tree"
  names+=(fdfind fdfind-j16)
fi
if ! $cold && command -v tree >/dev/null; then
  commands[tree]="tree -a -U $tree"
  names+=(tree)
fi

if [ -n "$only" ]; then
  kept=()
  for name in "${names[@]}"; do [[ " $only " == *" $name "* ]] && kept+=("$name"); done
  names=("${kept[@]}")
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
results="$scratch/results"
: >"$results"
drop() { sync; echo 3 >/proc/sys/vm/drop_caches; }
# One run: "name round wall user sys", seconds, from bash's own rusage of the child.
run() {
  local name=$1 round=$2
  $cold && drop
  local TIMEFORMAT="%3R %3U %3S"
  { time ${commands[$name]} >/dev/null 2>&1; } 2>"$scratch/time" || true
  echo "$name $round $(cat "$scratch/time")" >>"$results"
}

if ! $cold; then
  for name in "${names[@]}"; do ${commands[$name]} >/dev/null 2>&1 || true; done
fi
count=${#names[@]}
for ((round = 0; round < rounds; ++round)); do
  for ((i = 0; i < count; ++i)); do
    run "${names[(i + round) % count]}" "$round"
  done
done

$cold && mode="cold (caches dropped before every run)" || mode="warm"
lines=$(${commands[kestrova-list]} 2>/dev/null | wc -l)
echo "tree: $tree, $lines lines of listing; $rounds rounds, $mode"
references=""
for name in compare find floor+print; do
  [[ " ${names[*]} " == *" $name "* ]] && references="$references $name"
done
awk -v names="${names[*]}" -v refs="$references" '
  function sortd(a, n,   i, j, t) {
    for (i = 2; i <= n; ++i) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; --j) a[j + 1] = a[j]; a[j + 1] = t }
  }
  function quant(a, n, q,   x, i) { x = 1 + (n - 1) * q; i = int(x); return i >= n ? a[n] : a[i] + (x - i) * (a[i + 1] - a[i]) }
  { wall[$1, $2] = $3; cpu[$1, $2] = $4 + $5; if ($2 + 1 > rounds) rounds = $2 + 1 }
  END {
    n = split(names, name, " "); r = split(refs, ref, " ")
    printf "%-14s %9s %9s", "command", "wall ms", "cpu ms"
    for (k = 1; k <= r; ++k) printf " %19s", "wall/" ref[k]
    if (refs ~ /compare/) printf " %19s", "cpu/compare"
    printf "\n"
    for (c = 1; c <= n; ++c) {
      m = 0; for (i = 0; i < rounds; ++i) if ((name[c], i) in wall) { ++m; w[m] = wall[name[c], i]; u[m] = cpu[name[c], i] }
      sortd(w, m); sortd(u, m)
      printf "%-14s %9.0f %9.0f", name[c], 1000 * quant(w, m, 0.5), 1000 * quant(u, m, 0.5)
      for (k = 1; k <= r + (refs ~ /compare/ ? 1 : 0); ++k) {
        against = k <= r ? ref[k] : "compare"
        m = 0
        for (i = 0; i < rounds; ++i) {
          if (k <= r && wall[against, i] > 0) { ++m; q[m] = wall[name[c], i] / wall[against, i] }
          if (k > r && cpu[against, i] > 0) { ++m; q[m] = cpu[name[c], i] / cpu[against, i] }
        }
        sortd(q, m)
        if (m == 0) printf " %19s", "-"
        else printf " %5.2f [%5.2f-%5.2f]", quant(q, m, 0.5), quant(q, m, 0.25), quant(q, m, 0.75)
      }
      printf "\n"
    }
    print "ratios: medians of per-round ratios [first and third quartiles]"
  }' "$results"

# Every folder that find reaches must appear as a folder line, those under hidden folders aside.
if $check; then
  listing="$scratch/listing" found="$scratch/found"
  ${commands[kestrova-list]} >"$listing" 2>/dev/null || true
  find "$tree" -type d -print0 2>/dev/null >"$found" || true
  python3 - "$tree" "$listing" "$found" <<'EOF'
import sys
root, listing, found = sys.argv[1], sys.argv[2], sys.argv[3]
BIDI = {"\u200e", "\u200f", "\u061c"} | {chr(c) for c in range(0x202A, 0x202F)} | {chr(c) for c in range(0x2066, 0x206A)}
def shown(raw):
    out, text = [], raw.decode("utf-8", "surrogateescape")
    for ch in text:
        if "\udc80" <= ch <= "\udcff":
            out.append("\\x%02X" % (ord(ch) - 0xDC00))
        elif ch == "\\":
            out.append("\\\\")
        elif ord(ch) < 0x20 or 0x7F <= ord(ch) <= 0x9F or ch in BIDI:
            out.extend("\\x%02X" % b for b in ch.encode())
        else:
            out.append(ch)
    return "".join(out)
listed, stack = set(), []
with open(listing, encoding="utf-8", errors="replace") as lines:
    next(lines)
    for line in lines:
        line, depth = line.rstrip("\n"), 0
        while line.startswith("│  "):
            line, depth = line[3:], depth + 1
        if line.startswith("├文件夹"):
            name = line[line.index("[") + 1:-1]
            del stack[depth:]
            stack.append(name)
            listed.add("/".join(stack))
prefix = root.rstrip("/").encode() + b"/"
missing = []
for path in open(found, "rb").read().split(b"\0"):
    if not path.startswith(prefix) or path.rstrip(b"/") == prefix.rstrip(b"/"):
        continue
    parts = path[len(prefix):].split(b"/")
    if any(part.startswith(b".") for part in parts):
        continue
    if "/".join(shown(part) for part in parts) not in listed:
        missing.append(path.decode("utf-8", "replace"))
areas = {}
for path in missing:
    area = "/".join(path.split("/")[:3])
    areas[area] = areas.get(area, 0) + 1
print("check: %d folder lines listed; %d folders that find reached are missing" % (len(listed), len(missing)))
for area, count in sorted(areas.items(), key=lambda item: -item[1])[:10]:
    print("  %6d under %s" % (count, area))
EOF
fi
