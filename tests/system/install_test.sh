#!/usr/bin/env bash
# What `cmake --install` puts into a staging folder and what the Debian
# package holds: every file at its path with its mode (CUPS refuses group- or
# world-writable filters and backends and runs a 0700 backend as root), the
# unit naming the installed daemon, the package's dependencies, and a
# postinst that enables the unit and stays harmless without systemd.
#   install_test.sh BUILD_DIR
set -u
build=$1
# The folders as this build was configured (asked of cups-config by default).
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
serverbin=$(cache_value KZR_CUPS_SERVERBIN)
modeldir=$(cache_value KZR_CUPS_MODELDIR)
source "$(dirname "$0")/../cups/harness/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected=(
  "755 $serverbin/filter/korvane_zr_filter"
  "700 $serverbin/backend/korvane-zvobackend"
  "644 $modeldir/KORVANE_ZR.ppd"
  "755 /usr/sbin/korvane_zr_usbd"
  "644 /lib/systemd/system/korvane-zr-usbd.service"
  "755 /opt/brennholt/korvane_zr_status/korvane_zr_status"
  "644 /usr/share/applications/korvane-zr-status.desktop"
  "644 /usr/share/icons/hicolor/256x256/apps/korvane-zr-status.png"
)

stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
  kzr_fail "cmake --install failed: $(tail -3 "$work/install.log")"
for entry in "${expected[@]}"; do
  path=${entry#* }
  kzr_check_eq "staged $path" "$entry" "$(stat -c '%a' "$stage$path" 2>&1) $path"
done
unit=$stage/lib/systemd/system/korvane-zr-usbd.service
kzr_check "unit starts the installed daemon" grep -qx 'ExecStart=/usr/sbin/korvane_zr_usbd' "$unit"
kzr_check "unit restarts it on failure" grep -qx 'Restart=on-failure' "$unit"
kzr_check "unit starts at boot" grep -qx 'WantedBy=multi-user.target' "$unit"
kzr_check "desktop entry starts the installed monitor" \
  grep -qx 'Exec=/opt/brennholt/korvane_zr_status/korvane_zr_status' "$stage/usr/share/applications/korvane-zr-status.desktop"
# PNG signature, then the IHDR width and height (256 x 256).
kzr_check_eq "icon is a 256x256 PNG" "89504e47 0000010000000100" \
  "$(od -An -tx1 -N4 "$stage/usr/share/icons/hicolor/256x256/apps/korvane-zr-status.png" | tr -d ' \n') $(od -An -tx1 -j16 -N8 "$stage/usr/share/icons/hicolor/256x256/apps/korvane-zr-status.png" | tr -d ' \n')"
writable=$(find "$stage" -perm /022 -type f)
kzr_check_eq "nothing group- or world-writable" "" "$writable"

# The Debian package, built into a folder of its own.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
  kzr_fail "cpack failed: $(tail -5 "$work/cpack.log")"
deb=$(ls "$work"/pkg/*.deb 2>/dev/null | head -n 1)
if [[ -z $deb ]]; then
  kzr_finish
fi
listing=$(dpkg-deb -c "$deb")
for entry in "${expected[@]}"; do
  path=${entry#* }
  mode=${entry%% *}
  want=$([[ $mode == 700 ]] && echo '-rwx------' || ([[ $mode == 755 ]] && echo '-rwxr-xr-x' || echo '-rw-r--r--'))
  kzr_check "package holds $path as $want root" grep -qE "^$want root/root .* \\.$path\$" <<<"$listing"
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in cups libcups2 libusb-1.0-0 libqt5widgets5; do
  kzr_check "package depends on $dep" grep -qE "(^|, )$dep( |,|$)" <<<"$depends"
done

# postinst with a stand-in systemctl: it enables the unit and, whatever
# systemctl answers, never fails the installation.
dpkg-deb -e "$deb" "$work/control"
mkdir "$work/bin"
printf '#!/bin/sh\necho "$*" >>%s\nexit 1\n' "$work/systemctl.log" >"$work/bin/systemctl"
chmod 755 "$work/bin/systemctl"
PATH=$work/bin:$PATH sh "$work/control/postinst" configure
kzr_check_eq "postinst succeeds even when systemctl fails" 0 $?
kzr_check "postinst enables the unit" grep -q 'enable.* korvane-zr-usbd.service' "$work/systemctl.log"
kzr_check "prerm is harmless too" env PATH="$work/bin:$PATH" sh "$work/control/prerm" remove
kzr_finish
