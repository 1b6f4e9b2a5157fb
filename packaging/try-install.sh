#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# Installs the package made by `make package` on a clean Debian 12, a chroot made with debootstrap
# from Debian's own packages, and tries what it installed: kestrova-list, the manuals, the launcher
# entry with its icon, and the window starting offscreen. Needs root.
#   packaging/try-install.sh [CHROOT (build-package/chroot)]
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-build-package/chroot}
deb=$(ls build-package/kestrova_*_amd64.deb | tail -n 1)
command -v debootstrap >/dev/null ||
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap
if [ ! -x "$root/usr/bin/apt-get" ]; then
  rm -rf "$root"
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
fi
mounted=()
cleanup() { for m in "${mounted[@]}"; do umount -l "$m" || true; done; }
trap cleanup EXIT
for fs in proc sys dev; do
  mount --bind "/$fs" "$root/$fs" && mounted+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
inside() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
inside apt-get update -qq
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq man-db "/tmp/$(basename "$deb")"

echo "--- kestrova-list"
inside kestrova-list --version | head -n 1
inside sh -c 'mkdir -p /tmp/t/sub && touch /tmp/t/sub/a && kestrova-list /tmp/t'
echo "--- manuals"
inside man -w kestrova-list kestrova
inside sh -c 'MANWIDTH=80 man kestrova-list 2>/dev/null | head -n 4'
echo "--- launcher entry and icon"
inside grep -E '^(Exec|Icon)=' /usr/share/applications/org.kestrova.Kestrova.desktop
inside ls /usr/share/icons/hicolor/48x48/apps/org.kestrova.Kestrova.png \
  /usr/share/icons/hicolor/scalable/apps/org.kestrova.Kestrova.svg
echo "--- the window, offscreen, for two seconds"
inside sh -c 'QT_QPA_PLATFORM=offscreen timeout 2 kestrova; test $? = 124 && echo "kestrova ran until stopped"'
