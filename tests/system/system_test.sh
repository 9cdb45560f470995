#!/usr/bin/env bash
# The whole package at work with an emulated ZR printer, in a private /tmp
# with a private CUPS scheduler: the daemon finds the printer and adds its
# queue, the status monitor watches it, a JPEG printed with lp goes through
# the filter and the real backend into the printer, and the printed sheet is
# decoded into a PNG. Run as root inside a private /tmp (see CMakeLists.txt).
#   system_test.sh PPD FILTER BACKEND DAEMON STATUS_PROBE CONTROLLER INSPECT SAMPLEPHOTO KEEP_DIR
set -u
ppd=$1 filter=$2 backend=$3 daemon=$4 probe=$5 controller=$6 inspect=$7 samplephoto=$8 keep=$9
# shellcheck source=controller.sh
source "$(dirname "$0")/controller.sh"

serial=SYS42
info=/tmp/ZR_$serial.log
watch=/tmp/ZR_${serial}_UTIL
pause="/tmp/Pause_korvane-zvobackend:__KORVANE_ZR?serial=$serial"
work=$(mktemp -d /tmp/kzr-system.XXXXXX)
mkdir -p "$keep"

# The emulated bus, taking orders through a FIFO; every order is answered.
kzr_controller_start "$controller" "$work" || exit 1

# CUPS runs the real backend; the wrapper only lets it see the emulated bus.
kzr_bus_backend "$backend" "$work/backend"
kzr_cupsd_start "$ppd" "$filter" "$work/backend" || exit 1
trap kzr_stop_all EXIT
trap 'exit 143' TERM INT
# lpadmin, started by the daemon, has no business on the emulated bus.
mkdir "$work/path"
printf '#!/bin/sh\nexec env -u LD_PRELOAD -u UMOCKDEV_DIR /usr/sbin/lpadmin "$@"\n' >"$work/path/lpadmin"
chmod 755 "$work/path/lpadmin"

PATH=$work/path:$PATH env "${bus_env[@]}" "$daemon" &
pids+=($!)

# Plugged in: the daemon adds the queue and writes the information file.
order plug "serial=$serial" media=MS310 counter=100 driver=bound
queue_uri() { lpstat -v KORVANE-ZR 2>/dev/null | sed -n 's/^device for KORVANE-ZR: //p'; }
queue_added() { [ -n "$(queue_uri)" ]; }
kzr_wait_for 30 queue_added
kzr_check_eq "daemon added KORVANE-ZR for the printer" "${KZR_SERIAL_URI_PREFIX}$serial" "$(queue_uri)"

# The status monitor lists the queue, watches the printer, shows its state.
QT_QPA_PLATFORM=offscreen "$probe" "$work/shown" "$keep/status_offline.png" 2>"$work/probe.err" &
probe_pid=$!
pids+=("$probe_pid")
shows() { grep -qxF "$1" "$work/shown" 2>/dev/null; }
kzr_check "monitor shows the printer waiting" kzr_wait_for 20 shows "status=Waiting"
kzr_check "monitor lists KORVANE-ZR" shows "printers=KORVANE-ZR"
kzr_check "monitor created the watch file" test -e "$watch"
kzr_check "monitor shows the serial number" shows "serial=$serial"
kzr_check "monitor shows the media" shows "media=6x8in"
kzr_check "monitor shows the print count" kzr_wait_for 20 shows "count=100"

# A JPEG through lp, the filter and the real backend into the printer; it
# is the last print the loaded ribbon has. Printing takes a while, as on a
# real printer: the daemon, which looks once a second, sees the backend's
# pause file and reads the counter again once it is gone.
order set remain=MQR:1 print-ms=2000
"$samplephoto" "$work/photo.jpg" 1844 1240 >/dev/null
job=$(kzr_print KORVANE-ZR "$work/photo.jpg" -o media=na_index-4x6_4x6in) || { kzr_fail "lp refused the job"; kzr_finish; }
pause_seen=0
deadline=$((SECONDS + 180))
until state=$(_kzr_job_state "$job"); [[ $state == completed* || $state == aborted* || $state == canceled* ]] ||
  ((SECONDS > deadline)); do
  [[ -e $pause ]] && pause_seen=1
  sleep 0.05
done
kzr_check_eq "job completed" completed "${state%%,*}"
kzr_check_eq "backend held the pause file while it printed" 1 "$pause_seen"
kzr_check "pause file gone after the job" test ! -e "$pause"
kzr_check "job file gone after the job" test ! -e "/tmp/Print_$job.log"
order daemon-queries-in-job
kzr_check_eq "the daemon asked the printer nothing while the job was sent" 0 "$answer"
order save-job "$work/job.zr"
"$inspect" --png "$keep" "$work/job.zr" >"$work/inspect.txt" 2>&1
kzr_check "printer received a well-formed job" grep -q '^ok: .* 1 prints' "$work/inspect.txt"
kzr_check "one 6x4 in print at 300 dpi" grep -q '^print 1: sheet .*x1240 dots at 300x300 dpi' "$work/inspect.txt"
kzr_check "printed sheet decoded into a PNG" test -s "$keep/sheet-001.png"

# CUPS and the status monitor agree on the state the job left.
alerts() { lpstat -l -p KORVANE-ZR 2>/dev/null | sed -n 's/^[[:space:]]*Alerts: //p'; }
kzr_check "CUPS reports the ribbon used up by the last print" grep -qw marker-supply-empty-error <<<"$(alerts)"
kzr_check "monitor shows the same state as CUPS" kzr_wait_for 20 shows "status=Ribbon end"

# The daemon reads the counter again once the pause file has gone.
order state
kzr_check_eq "printer counted the print" 101 "$(field counter)"
kzr_check "monitor shows the new count" kzr_wait_for 20 shows "count=101"
kzr_check "information file holds the new count" grep -q '^TOTAL_COUNT="101"' "$info"

# Unplugged: the daemon writes the offline form, the monitor shows it.
order unplug
kzr_check "monitor shows Offline" kzr_wait_for 20 shows "status=Offline"
kzr_check "information file in its offline form" grep -q '^PRINTER_STATUS="99999"' "$info"

kill -TERM "$probe_pid"
wait "$probe_pid"
kzr_check "monitor removed its watch file on closing" test ! -e "$watch"
kzr_check "window saved" test -s "$keep/status_offline.png"
if ((kzr_failures > 0)); then
  echo "--- shown:"; cat "$work/shown"; echo "--- inspect:"; head -20 "$work/inspect.txt"
  echo "--- cups log:"; grep -E 'E \[|Job' "$KZR_CUPSD_DIR/log/error_log" | tail -30
fi >&2
kzr_finish
