#!/usr/bin/env bash
# The Debian packages as a distribution's packager would look at them: both
# built twice from the same sources with dpkg-buildpackage (the second copy
# in another folder, its files group-writable as a git archive under umask
# 002 leaves them), and the two builds byte-identical; lintian with no
# errors; the AppStream data, desktop entry, unit and manual pages through
# their validators; generated dependencies, stripped and hardened binaries;
# and the maintainer scripts' queue handling against a stand-in scheduler.
#   package_check.sh [OUT_DIR]     (the packages stay in OUT_DIR/a)
# Skipped (77) where the packaging tools or the build dependencies are missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
source "$here/../../scripts/lib/checks.sh"
out=${1:-$(mktemp -d)}

for tool in dpkg-buildpackage dpkg-checkbuilddeps lintian appstreamcli desktop-file-validate systemd-analyze man; do
  command -v "$tool" >/dev/null || { echo "$tool is missing; skipping"; exit 77; }
done
(cd "$src" && dpkg-checkbuilddeps) || { echo "build dependencies missing; skipping"; exit 77; }

rm -rf "$out/a" "$out/b"
# copy_sources DEST: the sources without build trees or demo output.
copy_sources() {
  mkdir -p "$1"
  tar -C "$src" --exclude=./.git --exclude='./build*' --exclude=./out --exclude=./obj-\* \
    --exclude=./debian/.debhelper --exclude=./debian/tmp -cf - . | tar -C "$1" -xf -
}
copy_sources "$out/a/korvane-zr"
copy_sources "$out/b/second-copy"
chmod -R g+w "$out/b/second-copy"
for copy in a/korvane-zr b/second-copy; do
  (cd "$out/$copy" && umask "$([[ $copy == b/* ]] && echo 0002 || echo 0022)" &&
    DEB_BUILD_OPTIONS="parallel=2 ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -b -us -uc >../build.log 2>&1) ||
    { kzr_fail "dpkg-buildpackage in $copy: $(tail -15 "$out/${copy%%/*}/build.log")"; kzr_finish; }
done
cd "$out/a"
main=$(ls korvane-zr_*.deb 2>/dev/null) status=$(ls korvane-zr-status_*.deb 2>/dev/null)
# A build that ends well but leaves no package behind checks nothing below.
[[ -f $main && -f $status ]] || { kzr_fail "dpkg-buildpackage left no korvane-zr and korvane-zr-status packages"; kzr_finish; }
for pkg in "$main" "$status"; do
  kzr_check "$pkg was built by the second copy too" test -f "../b/$pkg"
done
# The Printer Application's package, built where libpappl-dev is installed.
app=$(ls korvane-zr-printer-app_*.deb 2>/dev/null)

# Reproducible: every package of the second build equals the first's.
for pkg in *.deb *.ddeb; do
  [[ -e $pkg ]] || continue
  kzr_check "$pkg is byte-identical in both builds" cmp -s "$pkg" "../b/$pkg"
done

lintian -EvIL +pedantic --fail-on error "$main" "$status" $app >lintian.txt 2>&1
kzr_check_eq "lintian finds no errors" 0 $?
grep -E '^(E|W): ' lintian.txt | sed 's/^/  lintian: /'
kzr_check_eq "lintian finds no warnings" "" "$(grep -E '^W: ' lintian.txt)"
# Overridden only where the override says why (a comment in front of it).
for file in "$src"/debian/*.lintian-overrides; do
  kzr_check_eq "every override in ${file##*/} has its reason" "" \
    "$(awk '/^#/ { why = 1; next } /^[^[:space:]]/ && !why { print } !/^#/ { why = why && /^[^[:space:]]/ }' "$file")"
done

# What each package holds and needs: Qt only for the monitor, dependencies
# from the binaries (libc6 with a minimum version).
depends_main=$(dpkg-deb -f "$main" Depends) depends_status=$(dpkg-deb -f "$status" Depends)
kzr_check "driver depends on libc6, libcups2 and libusb with versions" \
  grep -qE 'libc6 \(>= [^)]+\).*libcups2 \(>= [^)]+\).*libusb-1.0-0 \(>= ' <<<"$depends_main"
kzr_check "driver pulls no Qt" bash -c "! grep -q libqt5 <<<'$depends_main'"
kzr_check "monitor depends on Qt Widgets with a version" grep -qE 'libqt5widgets5 \(>= ' <<<"$depends_status"
for deb in "$main" "$status"; do
  dpkg-deb -x "$deb" root
done
# Where each file goes and its mode are install_test.sh's, and dh_missing
# fails the build for a file no package takes; dh_fixperms is told to leave
# the backend as CUPS needs it.
kzr_check "backend is root's, mode 0700" grep -qE '^-rwx------ root/root .* \./usr/lib/cups/backend/korvane-zvobackend$' \
  <<<"$(dpkg-deb -c "$main")"
for program in usr/lib/cups/filter/korvane_zr_filter usr/lib/cups/backend/korvane-zvobackend usr/sbin/korvane_zr_usbd \
  opt/brennholt/korvane_zr_status/korvane_zr_status; do
  elf=$(readelf -W -S -d -s --dyn-syms "root/$program" 2>&1)
  kzr_check "$program is stripped" bash -c "! grep -q ' \\.symtab ' <<<\"\$1\"" _ "$elf"
  kzr_check "$program has full RELRO" grep -qE 'BIND_NOW|FLAGS.*NOW' <<<"$elf"
  kzr_check "$program has the stack protector" grep -q '__stack_chk_fail' <<<"$elf"
  kzr_check "$program has fortified calls" grep -qE '__[a-z]+_chk' <<<"$elf"
done

remarks=$(appstreamcli validate --no-net --pedantic --no-color root/usr/share/metainfo/*.xml 2>&1)
kzr_check_eq "AppStream data validates (exit status)" 0 $?
kzr_check_eq "appstreamcli has no remarks, pedantic ones included" "" "$(grep -E '^[EWIP]: ' <<<"$remarks")"
kzr_check "driver component provides the ZR's modalias" \
  grep -q '<modalias>usb:v1343p0005d\*</modalias>' root/usr/share/metainfo/com.brennholt.korvane_zr.metainfo.xml
kzr_check "desktop entry validates" desktop-file-validate root/usr/share/applications/korvane-zr-status.desktop
for lang in de es fr ja zh; do
  kzr_check "desktop entry is named in $lang" grep -q "^Name\\[$lang\\]=" root/usr/share/applications/korvane-zr-status.desktop
  kzr_check "desktop entry is explained in $lang" grep -q "^Comment\\[$lang\\]=" root/usr/share/applications/korvane-zr-status.desktop
done
# verify wants the daemon at the unit's path: a copy names the unpacked one.
mkdir unit
sed "s|^ExecStart=/usr/sbin/|ExecStart=$PWD/root/usr/sbin/|" root/lib/systemd/system/korvane-zr-usbd.service \
  >unit/korvane-zr-usbd.service
verify=$(MANPATH=$PWD/root/usr/share/man systemd-analyze verify unit/korvane-zr-usbd.service 2>&1)
kzr_check_eq "systemd-analyze verify has nothing to say about the unit" "" "$verify"
for page in root/usr/share/man/man*/*; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  kzr_check_eq "man -l ${page##*/} without warnings" "" "$warnings"
done

# The driver's maintainer scripts against stand-ins: a scheduler with a ZR
# queue, a queue of another printer and a queue whose name merely mentions
# us; systemd's helpers record what they are asked.
dpkg-deb -e "$main" control
mkdir bin
for tool in lpstat lpadmin deb-systemd-helper deb-systemd-invoke systemctl; do
  printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$tool" "$PWD/calls" >"bin/$tool"
done
cat >>bin/lpstat <<'EOF'
case "$1" in
-r) echo "scheduler is running" ;;
-v) echo "device for KORVANE-ZR: korvane-zvobackend://KORVANE/ZR?serial=A1"
    echo "device for office: ipp://printer.example/ipp/print"
    echo "device for korvane-zvobackend-notes: usb://Other/Printer" ;;
esac
EOF
chmod 755 bin/*
run_script() { : >calls; PATH=$PWD/bin:$PATH sh "control/$1" "${@:2}"; }
run_script postinst configure
kzr_check "first install enables the unit" grep -qx 'deb-systemd-helper enable korvane-zr-usbd.service' calls
kzr_check_eq "first install changes no queue" "" "$(grep lpadmin calls)"
run_script postinst configure 0.9.0
kzr_check_eq "upgrade refreshes the PPD of the ZR queue only" "lpadmin -p KORVANE-ZR -m KORVANE_ZR.ppd" "$(grep lpadmin calls)"
run_script prerm remove
run_script postrm remove
kzr_check_eq "removal keeps the queues" "" "$(grep lpadmin calls)"
run_script postrm purge
kzr_check_eq "purge removes the ZR queue only" "lpadmin -x KORVANE-ZR" "$(grep lpadmin calls)"
kzr_finish
