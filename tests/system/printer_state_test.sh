#!/usr/bin/env bash
# The printer's state as CUPS and its clients see it, with the real backend
# driving an emulated ZR through a private scheduler: errors raised before
# and during jobs show as standard printer-state-reasons while they last,
# jobs complete once they clear with every print made once, the media left
# is the queue's marker level, each print counts as an impression, media
# that cannot print the job is asked for, and a printer that leaves, input
# that is not ours or a cancel during a wait never end as "completed".
# Run as root inside a private /tmp (see CMakeLists.txt).
#   printer_state_test.sh PPD FILTER BACKEND CONTROLLER MKRASTER
set -u
ppd=$1 filter=$2 backend=$3 controller=$4 mkraster=$5
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=controller.sh
source "$here/controller.sh"

work=$(mktemp -d /tmp/kzr-state.XXXXXX)
chmod 755 "$work"
kzr_controller_start "$controller" "$work" || exit 1
order plug serial=ST1 media=MS310 counter=100 driver=bound
order set print-ms=1500 initial=MQD:400 remain=MQR:123
kzr_bus_backend "$backend" "$work/backend"
kzr_cupsd_start "$ppd" "$filter" "$work/backend" || exit 1
trap kzr_stop_all EXIT
kzr_add_queue ST1 || { kzr_fail "queue not added"; kzr_finish; }
uri="ipp://${KZR_CUPSD_DIR//\//%2F}%2Fcups.sock/printers/KORVANE-ZR"

"$mkraster" -o "$work/one.ras" --width 1844 --height 1240 --pattern gradient >/dev/null
"$mkraster" -o "$work/two.ras" --width 1844 --height 1240 --pages 2 --pattern gradient >/dev/null
"$mkraster" -o "$work/5x7.ras" --width 1548 --height 2138 --pattern gradient >/dev/null

# What the queue's clients are told: printer-state-reasons, as lpstat shows it.
reasons() { lpstat -l -p KORVANE-ZR 2>/dev/null | sed -n 's/^[[:space:]]*Alerts: //p'; }
has_reason() { reasons | tr ' ' '\n' | grep -qx "$1"; }
lacks_reason() { ! has_reason "$1"; }
job_is() { [[ $(kzr_job_state "$1") == $2* ]]; }
printing() { order state && (($(field pending) > 0)); }
job_attr() { ipp_attr job-attribute "${uri%/printers/*}/jobs/$1" "$2"; }

order state
starts=$(field starts) counter=$(field counter)
first=1

for error in "1100 media-empty-error" "1200 marker-supply-empty-error" "1000 door-open-error" \
  "1300 media-jam-error"; do
  status=${error%% *} reason=${error#* }
  # Raised before the job: the job waits, the reason shows, then it prints.
  order set "status=$status"
  job=$(kzr_print KORVANE-ZR "$work/one.ras")
  kzr_check "$status before a job: $reason shown" kzr_wait_for 30 has_reason "$reason"
  kzr_check "$status before a job: the job waits" job_is "$job" processing
  if ((first)); then
    kzr_check_eq "marker level before the first print is the emulated count (123 of 400)" 30 \
      "$(printer_attr marker-levels)"
    first=0
  fi
  order set status=0
  kzr_check "$status before a job: the job completes once it clears" kzr_wait_job "$job" 60
  kzr_check "$status before a job: $reason gone" lacks_reason "$reason"
  kzr_check_eq "$status before a job: one print made" 1 "$(job_attr "$job" job-impressions-completed)"

  # Raised while the job prints: the prints wait, then all come out once.
  job=$(kzr_print KORVANE-ZR "$work/two.ras")
  kzr_wait_for 60 printing || kzr_fail "$status during a job: printing never started"
  order set "status=$status"
  kzr_check "$status during a job: $reason shown" kzr_wait_for 30 has_reason "$reason"
  kzr_check "$status during a job: the job waits" job_is "$job" processing
  order set status=0
  kzr_check "$status during a job: the job completes once it clears" kzr_wait_job "$job" 60
  kzr_check "$status during a job: $reason gone" lacks_reason "$reason"
  kzr_check_eq "$status during a job: two prints made" 2 "$(job_attr "$job" job-impressions-completed)"
  order state
  kzr_check_eq "$status: every print delivered once" "$((starts + 3)) $((counter + 3)) 0" \
    "$(field starts) $(field counter) $(field pending)"
  starts=$(field starts) counter=$(field counter)
done
kzr_check_eq "marker level after the jobs follows the count (111 of 400)" 27 "$(printer_attr marker-levels)"
kzr_check_eq "the marker is the media set" "6x8 ribbon and paper" "$(printer_attr marker-names)"

# 5x7 in on 6x4 in media: asked for, printed once the right set is in.
order set media=MS301
job=$(kzr_print KORVANE-ZR "$work/5x7.ras" -o PageSize=127x178mm)
kzr_check "wrong media: media-needed-error shown" kzr_wait_for 30 has_reason media-needed-error
order state
kzr_check_eq "wrong media: nothing printed meanwhile" "$starts" "$(field starts)"
order set media=MS210
kzr_check "wrong media: the job completes once 5x7 media is in" kzr_wait_job "$job" 60
kzr_check "wrong media: media-needed-error gone" lacks_reason media-needed-error
order set media=MS310

# A cancel while the job waits for an error ends the backend at once.
order set status=1000
job=$(kzr_print KORVANE-ZR "$work/one.ras")
kzr_wait_for 30 has_reason door-open-error || kzr_fail "door open never shown"
cancel "KORVANE-ZR-$job" </dev/null
no_backend() { ! pgrep -f "$work/backend" >/dev/null; }
kzr_check "cancelled while waiting: the backend ends within a few seconds" kzr_wait_for 3 no_backend
kzr_check "cancelled while waiting: the job is cancelled" kzr_wait_for 5 job_is "$job" canceled
order set status=0

# Bytes that are not ZR command records never reach the printer.
order state
starts=$(field starts)
printf 'not a command stream\n' >"$work/text.txt"
job=$(kzr_print KORVANE-ZR "$work/text.txt" -o raw)
kzr_wait_job "$job" 30 2>/dev/null
kzr_check "raw text: the job is not completed" job_is "$job" aborted
kzr_check "raw text: the backend said why" grep -q 'not a ZR command stream' "$KZR_CUPSD_DIR/log/error_log"
order state
kzr_check_eq "raw text: the printer printed nothing" "$starts" "$(field starts)"

# A printer that leaves in the middle of a job: never "completed".
order set print-ms=10000
job=$(kzr_print KORVANE-ZR "$work/two.ras")
kzr_wait_for 60 printing || kzr_fail "unplug: printing never started"
order unplug
settled() { ! job_is "$job" processing; }
kzr_wait_for 30 settled
kzr_check "unplugged mid-job: the job did not complete" test "$(kzr_job_state "$job")" != completed
kzr_check "unplugged mid-job: the backend said so" grep -q "^E .*\\[Job $job\\] The printer stopped" \
  "$KZR_CUPSD_DIR/log/error_log"

if ((kzr_failures > 0)); then
  echo "--- cups log:"; grep -E 'E \[|Job [0-9]+\]' "$KZR_CUPSD_DIR/log/error_log" | tail -40
fi >&2
kzr_finish
