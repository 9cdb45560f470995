#!/usr/bin/env bash
# The real backend program against emulated printers on zr_usb_rig's bus: a
# job's pause and job files and its records sent unchanged to its printer
# only, a cancel while it waits for data, the listing of ZR printers only,
# links planted at its names in /tmp, refused URIs, serials, job ids and
# copies, and an interface a driver will not give up. Root, private /tmp.
#   backend_test.sh BACKEND RIG
set -u
backend=$1 rig=$2
source "$(dirname "$0")/../../scripts/lib/checks.sh"

if [[ -z ${KZR_ON_BUS:-} ]]; then
  work=$(mktemp -d /tmp/kzr-backend.XXXXXX)
  long=$(printf 'Z%.0s' {1..64})
  # The stuck printer has a bus of its own: other jobs would wait for it.
  printf '%s\n' "plug zr serial=A1234 media=MS210 driver=bound" "plug other serial=B777" \
    "plug nomedia serial=M1 media=M" "plug cancel serial=K1" "plug camera serial=C5 product-string=Camera" \
    "plug hostile serial=\$(reboot)" "plug long serial=$long" "plug partial serial=D6 device-id=MFG:KORVANE;MDL:ZR;" start wait \
    "save-job zr $work/zr.got" "save-job other $work/other.got" "save-job nomedia $work/nomedia.got" \
    "save-job cancel $work/cancel.got" >"$work/jobs"
  printf '%s\n' "plug stuck serial=S1 driver=stuck" start wait "save-job stuck $work/stuck.got" >"$work/busy"
  for bus in jobs busy; do
    KZR_ON_BUS=$bus KZR_BACKEND_WORK=$work umockdev-wrapper "$rig" "$work/$bus" -- bash "$0" "$@"
    kzr_check_eq "the checks on the emulated bus ($bus) passed" 0 $?
  done
  kzr_check "the job's printer got its records unchanged" cmp "$work/job.zr" "$work/zr.got"
  kzr_check "cancelled: the printer got the first record only" cmp "$work/first.zr" "$work/cancel.got"
  kzr_check_eq "no other printer got anything" "0 0 0" \
    "$(stat -c %s "$work/other.got" "$work/nomedia.got" "$work/stuck.got" | xargs)"
  kzr_finish
  exit
fi

# Everything below runs on the emulated bus.
work=$KZR_BACKEND_WORK
uri=korvane-zvobackend://KORVANE/ZR?serial=
job_file=/tmp/Print_17.log
pause() { echo "/tmp/Pause_korvane-zvobackend:__KORVANE_ZR?serial=$1"; }
# record NAME PARAMETER [DATA]: one command record.
record() {
  printf '\033P%-6s%-16s' "$1" "$2"
  if [[ -n ${3:-} ]]; then printf '%08d%s' "${#3}" "$3"; else printf '%8s' ''; fi
}
# run SERIAL ARGS...: the backend as CUPS starts it, its messages in $work/err.
run() { DEVICE_URI=$uri$1 "$backend" "${@:2}" 2>"$work/err"; }
# job SERIAL: job 17 in the background, its input from what is written to fd 4.
job() {
  rm -f "$work/in" && mkfifo "$work/in"
  DEVICE_URI=$uri$1 "$backend" 17 alice photo 1 "" <"$work/in" 2>"$work/err" &
  exec 4>"$work/in"
}
said() { grep -qF "$1" "$work/err"; }
gone() { [[ ! -e $job_file && ! -e $(pause "$1") ]]; }

if [[ $KZR_ON_BUS == busy ]]; then
  # A driver that cannot be detached keeps interface 0 busy: the backend
  # holds the pause file through the daemon's longest access, sends nothing,
  # makes no job file, then asks CUPS to retry.
  start=$SECONDS
  job S1
  kzr_wait_for 5 test -e "$(pause S1)"
  held=1
  while kill -0 $! 2>/dev/null; do
    [[ -e $(pause S1) && ! -e $job_file ]] || ! kill -0 $! 2>/dev/null || held=0
    sleep 0.1
  done
  exec 4>&-
  wait $!
  kzr_check_eq "busy: CUPS is asked to retry" 6 $?
  kzr_check "busy: the pause file held and no job file made while waiting" test $held = 1
  kzr_check "busy: it waited the daemon's longest access (29 s)" test $((SECONDS - start)) -ge 29
  kzr_check "busy: the backend says why" said "ERROR: The printer stayed busy"
  kzr_check "busy: both files gone" gone S1
  kzr_finish
  exit
fi

# One job: pause file, then the job file with the loaded media, both
# readable by the filter's user; the records go out as they came.
{ record IMAGE MULTICUT 00000001; record IMAGE YPLANE "$(head -c 52500 /dev/urandom | base64 -w0)"
  record CNTRL START; } >"$work/job.zr"
job A1234
kzr_check "job: the job file appears" kzr_wait_for 10 test -f "$job_file"
kzr_check "job: the pause file is there too" test -e "$(pause A1234)"
kzr_check_eq "job: the job file holds the loaded media" 'MEDIA_SIZE="210"' "$(cat "$job_file")"
kzr_check_eq "job: both files are 0644" "644 644" "$(stat -c %a "$job_file" "$(pause A1234)" | xargs)"
cat "$work/job.zr" >&4
exec 4>&-
wait $!
kzr_check_eq "job: the backend ends well" 0 $?
kzr_check "job: both files gone" gone A1234
kzr_check "job: CUPS is told it connects" said "STATE: +connecting-to-device"
kzr_check "job: CUPS is told the data was sent" said "INFO: Print data sent"

# SIGTERM while the backend waits for the rest of a record: it ends at once,
# sends nothing more and removes its files.
job K1
kzr_wait_for 10 said "INFO: Sending data to the printer" || kzr_fail "cancel: the job never started"
record IMAGE MULTICUT 00000002 >"$work/first.zr"
{ cat "$work/first.zr"; record IMAGE YPLANE | head -c 20; } >&4
reading() { read -r call fd _ <"/proc/$1/syscall" && [[ $call == 0 && $fd == 0x0 ]]; }
kzr_wait_for 10 reading $! || kzr_fail "cancel: the backend never waited for more input"
kill -TERM $!
kzr_check "cancel: the backend ends at once" kzr_wait_for 3 eval '! kill -0 $! 2>/dev/null'
exec 4>&-
wait $!
kzr_check_eq "cancel: the job ends well" 0 $?
kzr_check "cancel: CUPS is told" said "INFO: Job cancelled"
kzr_check "cancel: both files gone" gone K1

# Without arguments: the ZR printers whose serials can name files, each with
# its device URI.
listing=$("$backend")
kzr_check_eq "listing: the ZR printers with usable serial numbers" "A1234 B777 K1 M1" \
  "$(sed -n 's/^direct [^ ]*serial=\([^ ]*\) .*/\1/p' <<<"$listing" | sort | xargs)"
kzr_check "listing: the line CUPS shows for A1234" grep -qxF "direct ${uri}A1234 \"KORVANE ZR\" \"KORVANE ZR \
(serial A1234)\" \"MFG:KORVANE;MANUFACTURER:KORVANE;MODEL:ZR;CLASS:PRINTER;COMMAND SET:KZR;\" \"\"" <<<"$listing"

# Links planted at the backend's names are replaced, not followed; media the
# printer does not name is unknown. Raw input ends the job (see printer_state).
echo keep >/tmp/victim
ln -s /tmp/victim "$job_file"
ln -s /tmp/victim "$(pause M1)"
job M1
kzr_check "planted links: a job file of its own" kzr_wait_for 10 test -f "$job_file" -a ! -L "$job_file"
kzr_check_eq "unknown media: empty" 'MEDIA_SIZE=""' "$(cat "$job_file")"
echo "not a record at all, but bytes all the same" >&4
exec 4>&-
wait $!
kzr_check_eq "planted links: the target is untouched" keep "$(cat /tmp/victim)"
kzr_check "planted links: both files gone" gone M1

# A URI not of this backend or a serial that may not name a file stops the
# queue; a job id that may not name a file, or too many copies, fails the job.
for bad in "usb://KORVANE/ZR?serial=A1234" "${uri}../../etc/x" "$uri"; do
  DEVICE_URI=$bad "$backend" 17 alice photo 1 "" </dev/null 2>"$work/err"
  kzr_check_eq "$bad: the queue stops" 4 $?
  kzr_check "$bad: the backend says why" said "ERROR: "
done
run A1234 ../17 alice photo 1 "" </dev/null
kzr_check_eq "job id ../17: the job fails" 1 $?
record CNTRL START >"$work/start.zr"
run A1234 17 alice photo 1000 "" "$work/start.zr"
kzr_check_eq "1000 copies: the job fails" 1 $?
kzr_check "1000 copies: the backend says why" said "ERROR: "
kzr_check "refused jobs: no file made" gone A1234
kzr_finish
