#!/usr/bin/env bash
# What `cmake --install` puts into a staging folder: every file at its path
# with its mode (CUPS refuses group- or world-writable filters and backends
# and runs a 0700 backend as root), the unit's restart and boot, the udev rule
# that starts it, and the desktop entry naming the monitor where the
# monitor's single-instance check looks for it. The Debian packages (and with
# them the unit's command and the icons' sizes) are checked by package_check.sh.
#   install_test.sh BUILD_DIR
set -u
build=$1
# The folders as this build was configured (asked of cups-config by default).
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
serverbin=$(cache_value KZR_CUPS_SERVERBIN)
modeldir=$(cache_value KZR_CUPS_MODELDIR)
statusdir=$(cache_value KZR_STATUS_DIR)
source "$(dirname "$0")/../../scripts/lib/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected=(
  "755 $serverbin/filter/korvane_zr_filter"
  "700 $serverbin/backend/korvane-zvobackend"
  "644 $modeldir/KORVANE_ZR.ppd"
  "755 /usr/sbin/korvane_zr_usbd"
  "644 /lib/systemd/system/korvane-zr-usbd.service"
  "644 /lib/udev/rules.d/60-korvane-zr.rules"
  "644 /usr/share/man/man8/korvane_zr_usbd.8"
  "644 /usr/share/man/man8/korvane-zvobackend.8"
  "644 /usr/share/man/man7/korvane_zr_filter.7"
  "644 /usr/share/metainfo/com.brennholt.korvane_zr.metainfo.xml"
  "755 $statusdir/korvane_zr_status"
  "644 /usr/share/applications/korvane-zr-status.desktop"
  "644 /usr/share/metainfo/com.brennholt.korvane_zr_status.metainfo.xml"
  "644 /usr/share/man/man1/korvane_zr_status.1"
)

stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
  kzr_fail "cmake --install failed: $(tail -3 "$work/install.log")"
for entry in "${expected[@]}"; do
  path=${entry#* }
  kzr_check_eq "staged $path" "$entry" "$(stat -c '%a' "$stage$path" 2>&1) $path"
done
unit=$stage/lib/systemd/system/korvane-zr-usbd.service
kzr_check "unit restarts it on failure" grep -qx 'Restart=on-failure' "$unit"
kzr_check "unit starts at boot" grep -qx 'WantedBy=multi-user.target' "$unit"
kzr_check "udev rule pulls in the unit for 1343:0005" grep -q \
  'ATTR{idVendor}=="1343", ATTR{idProduct}=="0005", TAG+="systemd", ENV{SYSTEMD_WANTS}+="korvane-zr-usbd.service"' \
  "$stage/lib/udev/rules.d/60-korvane-zr.rules"
kzr_check "desktop entry starts the installed monitor" \
  grep -qx "Exec=$statusdir/korvane_zr_status" "$stage/usr/share/applications/korvane-zr-status.desktop"
kzr_check "the monitor looks for other copies at its installed path" \
  grep -qa "$statusdir/korvane_zr_status" "$stage$statusdir/korvane_zr_status"
writable=$(find "$stage" -perm /022 -type f)
kzr_check_eq "nothing group- or world-writable" "" "$writable"

kzr_finish
