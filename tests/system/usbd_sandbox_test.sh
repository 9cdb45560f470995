#!/usr/bin/env bash
# The USB daemon's systemd unit keeps the daemon in a tight sandbox, and the
# daemon still does its work in there: with a private scheduler it registers
# its queue, replaces a planted information file and uses up a count request
# under the unit's limits, as far as a machine without a running systemd can
# impose them. DevicePolicy= and IPAddressDeny= need systemd's cgroup
# programs; they are only scored. (package_check.sh verifies the unit.)
# Run as root in a private /tmp (scripts/lib/with_private_tmp.sh):
#   usbd_sandbox_test.sh UNIT_IN DAEMON RIG PPD FILTER BACKEND
set -u

# In the rig's child: the limits (from KZR_SBX_*), then the daemon.
if [[ ${1:-} == --inside ]]; then
  set -e
  echo $$ >"$KZR_SBX_KEEP/pid"
  mount --make-rprivate /
  # ProtectSystem=strict: every mount read-only but /dev, /proc and the
  # writable paths, bound onto themselves so that the read-only pass leaves
  # them be. umockdev's folder (the emulated kernel and udev) and the test's
  # own stay writable whatever the unit says.
  read -r -a writable <<<"$KZR_SBX_RW"
  writable+=("$UMOCKDEV_DIR" "$KZR_SBX_KEEP")
  for path in "${writable[@]}"; do mount --rbind "$path" "$path"; done
  if [[ -n $KZR_SBX_STRICT ]]; then
    while read -r point; do
      case $point in /dev | /dev/* | /proc | /proc/*) continue ;; esac
      [[ -e $point ]] || continue # hidden under a later mount
      for path in "${writable[@]}"; do
        [[ $point == "$path" || $point == "$path"/* ]] && continue 2
      done
      mount -o remount,bind,ro "$point"
    done < <(awk '{print $5}' /proc/self/mountinfo | sort -u)
    # The emulation must hold, or the daemon's success proves nothing.
    if touch /etc/kzr-sandbox-probe 2>/dev/null; then
      rm -f /etc/kzr-sandbox-probe
      echo "sandbox emulation: /etc is still writable" >&2
      exit 1
    fi
  fi
  # The unit has /run/cups read-only: a socket is connected to, not written.
  mount --bind "$KZR_SBX_CUPS" "$KZR_SBX_CUPS"
  mount -o remount,bind,ro "$KZR_SBX_CUPS"
  # ProtectHome=yes; ProtectProc=invisible; /proc/sys read-only.
  for home in /home /root /run/user; do
    [[ -d $home ]] && mount -t tmpfs -o ro,mode=000 tmpfs "$home"
  done
  mount -t proc -o hidepid=invisible proc /proc || echo "note: no hidepid /proc here" >&2
  mount --bind /proc/sys /proc/sys
  mount -o remount,bind,ro /proc/sys
  umask "$KZR_SBX_UMASK"
  unset HOME
  tracer=()
  [[ -n $KZR_SBX_TRACE ]] && tracer=(strace -f -qq -s 0 -o "$KZR_SBX_KEEP/trace" --)
  exec setpriv --no-new-privs --inh-caps=-all --bounding-set="$KZR_SBX_BOUNDING" -- \
    "${tracer[@]}" "$KZR_SBX_DAEMON"
fi

unit_in=$1 daemon=$2 rig=$3 ppd=$4 filter=$5 backend=$6
lib=$(cd "$(dirname "$0")/../../scripts/lib" && pwd)
# shellcheck source=../../scripts/lib/cupsd.sh
source "$lib/cupsd.sh"
# shellcheck source=../../scripts/lib/checks.sh
source "$lib/checks.sh"
if [[ $(id -u) -ne 0 ]] || ! command -v systemd-analyze setpriv unshare umockdev-wrapper >/dev/null; then
  echo "needs root, systemd-analyze, setpriv, unshare and umockdev-wrapper; skipping" >&2
  exit 77
fi
work=$(mktemp -d /tmp/kzr-sandbox.XXXXXX)
chmod 755 "$work"

# --- 1. The unit, naming the built daemon, and its score.
unit=$work/korvane-zr-usbd.service
sed "s|@CMAKE_INSTALL_FULL_SBINDIR@|$(dirname "$daemon")|" "$unit_in" >"$unit"
# A placeholder the install fills and this line does not would leave the
# unit broken here but not in the package: refuse to judge it.
if grep -q '@[A-Za-z_]*@' "$unit"; then echo "the unit has a placeholder this test does not fill" >&2; exit 1; fi
# The assignments of a [Service] key, one a line, in order.
unit_values() { sed -n "/^\[Service\]/,/^\[/s/^$1=//p" "$unit"; }

score=$(systemd-analyze security --offline=true "$unit" 2>&1 |
  sed -n 's/^→ Overall exposure level for .*: \([0-9.]*\) .*/\1/p')
kzr_check "exposure ${score:-none} is 3.0 or lower" awk -v s="$score" 'BEGIN { exit !(s != "" && s <= 3.0) }'
# Settings that would break the daemon where the emulation cannot show it.
for why in "PrivateTmp:the daemon shares /tmp with the monitor, the filter and the backend" \
  "PrivateDevices:it would hide /dev/bus/usb" \
  "PrivateNetwork:udev's netlink events would not reach the daemon"; do
  kzr_check "${why%%:*}= is off: ${why#*:}" \
    grep -qvxiE 'yes|true|on|1' <<<"$(unit_values "${why%%:*}" | tail -n 1)"
done
# The emulation takes from the unit what it grants (capabilities, writable
# paths, umask), with systemd's defaults where a key is missing.
bounding=+all
if unit_values CapabilityBoundingSet | grep -q "^"; then
  caps=$(unit_values CapabilityBoundingSet | tail -n 1)
  [[ $caps == *~* ]] && kzr_fail "the emulation reads CapabilityBoundingSet only as a plain list"
  bounding=-all
  for cap in ${caps//\~/}; do
    cap=${cap#CAP_}
    bounding+=",+${cap,,}"
  done
fi
rw_paths=$(unit_values ReadWritePaths | tr '\n' ' ' | sed 's/\(^\| \)-/\1/g')
umask_value=$(unit_values UMask | tail -n 1)
strict=
[[ $(unit_values ProtectSystem | tail -n 1) == strict ]] && strict=1

# --- 2. The daemon at work inside the emulated sandbox.
serial=SBX1
info=/tmp/ZR_$serial.log
request=/tmp/ZR_${serial}_TC_UTIL
keep=$work/keep
mkdir "$keep"
mount -t tmpfs tmpfs "$keep"
kzr_cupsd_start "$ppd" "$filter" "$backend" || exit 1
trace=
strace -V >/dev/null 2>&1 && trace=$keep/trace
# The daemon's pid: the sandbox's own, or strace's first child.
daemon_pid() {
  if [[ -n $trace ]]; then awk 'NR == 1 { print $1 }' "$trace" 2>/dev/null; else cat "$keep/pid" 2>/dev/null; fi
}
rig_pid=
stop_all() {
  local pid
  if [[ -n $rig_pid ]]; then
    pid=$(daemon_pid)
    [[ -n $pid ]] && kill -TERM "$pid" 2>/dev/null
    kill -TERM "$rig_pid" 2>/dev/null && wait "$rig_pid" 2>/dev/null
  fi
  kzr_cupsd_stop
  umount "$keep" 2>/dev/null
}
trap stop_all EXIT
# lpadmin, started by the daemon, has no business on the emulated bus.
mkdir "$work/path"
printf '#!/bin/sh\nexec env -u LD_PRELOAD -u UMOCKDEV_DIR /usr/sbin/lpadmin "$@" 2>>%s\n' \
  "$keep/lpadmin.err" >"$work/path/lpadmin"
chmod 755 "$work/path/lpadmin"
# A desktop user planted the information file, watches, and asks for a count.
desktop_uid=$(id -u nobody 2>/dev/null || echo 65534)
echo planted >"$info"
touch "/tmp/ZR_${serial}_UTIL" "$request"
chown "$desktop_uid" "$info" "/tmp/ZR_${serial}_UTIL" "$request"
chmod 644 "$info" "/tmp/ZR_${serial}_UTIL" "$request"
printf 'plug P1 serial=%s\nwait\n' "$serial" >"$work/rig.script"

export KZR_SBX_RW=$rw_paths KZR_SBX_CUPS=$KZR_CUPSD_DIR KZR_SBX_UMASK=${umask_value:-0022} \
  KZR_SBX_STRICT=$strict KZR_SBX_BOUNDING=$bounding KZR_SBX_DAEMON=$daemon KZR_SBX_KEEP=$keep KZR_SBX_TRACE=$trace
PATH=$work/path:$PATH umockdev-wrapper "$rig" "$work/rig.script" -- \
  unshare -m bash "$0" --inside 2>"$work/rig.err" &
rig_pid=$!

started() { [[ $(readlink "/proc/$(daemon_pid)/exe" 2>/dev/null) == "$(readlink -f "$daemon")" ]]; }
if ! kzr_wait_for 20 started; then
  kzr_fail "the daemon did not start in the sandbox"
  cat "$work/rig.err" >&2
  kzr_finish
fi
pid=$(daemon_pid)
expected=$(setpriv --bounding-set="$bounding" grep CapBnd /proc/self/status)
kzr_check_eq "daemon runs with the unit's bounding set" "$expected" "$(grep CapBnd "/proc/$pid/status")"
kzr_check_eq "daemon holds no capability beyond it" "${expected/CapBnd/CapEff}" "$(grep CapEff "/proc/$pid/status")"
kzr_check "daemon cannot gain privileges" grep -q '^NoNewPrivs:[[:space:]]*1' "/proc/$pid/status"

queue_uri() { lpstat -v KORVANE-ZR 2>/dev/null | sed -n 's/^device for KORVANE-ZR: //p'; }
has_queue() { [[ -n $(queue_uri) ]]; }
kzr_wait_for 30 has_queue
kzr_check_eq "daemon registered KORVANE-ZR through cupsd's socket" "${KZR_SERIAL_URI_PREFIX}$serial" "$(queue_uri)"
replaced() { [[ $(head -n 1 "$info" 2>/dev/null) == "#PRINTER_INFORMATION" ]]; }
kzr_check "daemon replaced the planted information file" kzr_wait_for 30 replaced
kzr_check_eq "information file is the daemon's and readable by all" "0 644" "$(stat -c '%u %a' "$info")"
kzr_check "information file names the printer" grep -qx "PRINTER_SERIAL_NO=\"$serial\"" "$info"
kzr_check "daemon used up the desktop user's count request" kzr_wait_for 20 test ! -e "$request"
kzr_check "daemon is still running" kill -0 "$pid"
kill -TERM "$pid" 2>/dev/null
kzr_wait_for 10 test ! -e "/proc/$rig_pid" || kzr_fail "the rig did not end with the daemon"
wait "$rig_pid" 2>/dev/null
rig_pid=

# --- 3. The daemon's and lpadmin's system calls against the unit's filters.
if [[ -n $trace ]]; then
  # System calls and groups, the groups replaced by their members.
  expand() {
    local item members
    for item in "$@"; do
      if [[ $item == @* ]]; then
        mapfile -t members < <(systemd-analyze syscall-filter "$item" 2>/dev/null |
          sed -n 's/^ \+\([-@a-z0-9_]\+\)$/\1/p')
        expand "${members[@]}"
      else
        echo "$item"
      fi
    done
  }
  # SystemCallFilter=: an allow list, from which "~" assignments take away.
  [[ $(unit_values SystemCallFilter | head -n 1) == [^~]* ]] ||
    kzr_fail "the check reads SystemCallFilter= only as an allow list"
  declare -A allowed=()
  while read -r entry; do
    remove=
    [[ $entry == \~* ]] && remove=1 entry=${entry#\~}
    read -r -a items <<<"$entry"
    for name in $(expand "${items[@]}"); do
      if [[ -n $remove ]]; then unset "allowed[$name]"; else allowed[$name]=1; fi
    done
  done < <(unit_values SystemCallFilter)
  # systemd lets these through whatever the filter says.
  for name in execve exit exit_group getrlimit rt_sigreturn sigreturn; do
    allowed[$name]=1
  done
  refused=()
  for name in $(sed -n 's/^[0-9]\+ \+\([a-z0-9_]\+\)(.*/\1/p' "$trace" | sort -u); do
    [[ -n ${allowed[$name]:-} ]] || refused+=("$name")
  done
  kzr_check_eq "every system call passes SystemCallFilter=" "" "${refused[*]}"
  # RestrictAddressFamilies=: the families allowed.
  families=" $(unit_values RestrictAddressFamilies | tr '\n' ' ') "
  [[ $families == *~* ]] && kzr_fail "the check reads RestrictAddressFamilies= only as an allow list"
  outside=
  for family in $(sed -n 's/^[0-9]\+ \+socket\(pair\)\?(\(AF_[A-Z0-9]\+\).*/\2/p' "$trace" | sort -u); do
    [[ $families == *" $family "* ]] || outside+="$family "
  done
  kzr_check_eq "every socket is of a family in RestrictAddressFamilies=" "" "$outside"
  kzr_check "no memory both writable and executable (MemoryDenyWriteExecute=)" \
    test -z "$(grep -E '^[0-9]+ +(mmap\(.*PROT_WRITE\|PROT_EXEC|(pkey_)?mprotect\(.*PROT_EXEC)' "$trace")"
  kzr_check "no namespace made or joined (RestrictNamespaces=)" \
    test -z "$(grep -E '^[0-9]+ +((clone3?|unshare)\(.*CLONE_NEW|setns\()' "$trace")"
else
  echo "skipped: no strace, system calls unchecked"
fi

if ((kzr_failures > 0)); then
  echo "--- rig:"; tail -n 20 "$work/rig.err"
  echo "--- lpadmin:"; tail -n 20 "$keep/lpadmin.err" 2>/dev/null
  echo "--- cups log:"; grep -E 'E \[' "$KZR_CUPSD_DIR/log/error_log" | tail -n 20
fi >&2
kzr_finish
