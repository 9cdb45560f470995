#!/usr/bin/env bash
# The stand-in print backend run directly, as CUPS would start it: the job
# and pause files it must keep in /tmp, the stream it must pass on
# unchanged, and files planted in /tmp that must not redirect it.
# Usage: backend_test.sh BACKEND
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/harness/private_tmp.sh"
kzr_private_tmp "$0" "$@"
source "$here/harness/checks.sh"

backend=$(realpath "$1")
uri='korvane-zvobackend://KORVANE/ZR?serial=A1234'
pause='/tmp/Pause_korvane-zvobackend:__KORVANE_ZR?serial=A1234'
work=$(mktemp -d)
out=$work/out
mkdir "$out"
trap 'kill $(jobs -p) 2>/dev/null; exec 9>&- 2>/dev/null' EXIT

config() { printf '%s\n' "$@" >"$work/config"; }

# start_job ID: runs the backend on a FIFO that the test holds open on fd 9,
# so the job stays "printing" until the test closes it.
start_job() {
  rm -f "$work/fifo"; mkfifo "$work/fifo"
  DEVICE_URI=$uri KZR_BACKEND_CONFIG=$work/config \
    "$backend" "$1" alice title 1 "" <"$work/fifo" 2>"$work/stderr" &
  backend_pid=$!
  exec 9>"$work/fifo"
}

# --- device discovery and arguments -----------------------------------------
line=$("$backend"); status=$?
kzr_check_eq "no arguments: exit 0" 0 "$status"
kzr_check "no arguments: a device line for the scheme" \
  grep -qE '^direct korvane-zvobackend "[^"]+" "[^"]+"$' <<<"$line"
"$backend" 1 2 3 2>/dev/null
kzr_check_eq "wrong argument count fails" 1 "$?"

# --- a whole job: files while printing, stream unchanged, files gone after --
config media_size=310 "output_dir=$out"
head -c 300000 /dev/urandom >"$work/stream"
start_job 42
kzr_check "job file appears" kzr_wait_for 5 test -f /tmp/Print_42.log
kzr_check "pause file named after the device URI while printing" test -f "$pause"
kzr_check "job file carries the media size" grep -qx 'MEDIA_SIZE="310"' /tmp/Print_42.log
kzr_check_eq "job and pause files are readable by all, written by the backend alone" "644 644" \
  "$(stat -c %a /tmp/Print_42.log) $(stat -c %a "$pause")"
kzr_check "no stream published before the job ends" test ! -e "$out/job-42.zr"
cat "$work/stream" >&9; exec 9>&-
wait "$backend_pid"
kzr_check_eq "job exit status" 0 "$?"
kzr_check "stream delivered byte for byte" cmp -s "$work/stream" "$out/job-42.zr"
kzr_check "job file removed afterwards" test ! -e /tmp/Print_42.log
kzr_check "pause file removed afterwards" test ! -e "$pause"

# --- media size absent or empty ----------------------------------------------
config "output_dir=$out"
start_job 43
kzr_wait_for 5 test -f /tmp/Print_43.log
kzr_check "without media size the job file has no MEDIA_SIZE line" \
  bash -c '! grep -q MEDIA_SIZE= /tmp/Print_43.log && grep -qx "JOB_ID=\"43\"" /tmp/Print_43.log'
exec 9>&-; wait "$backend_pid"
config media_size= "output_dir=$out"
start_job 44
kzr_wait_for 5 test -f /tmp/Print_44.log
kzr_check "an empty media size is written as an empty value" grep -qx 'MEDIA_SIZE=""' /tmp/Print_44.log
exec 9>&-; wait "$backend_pid"
kzr_check "an empty stream is delivered as an empty file" test -f "$out/job-44.zr" -a ! -s "$out/job-44.zr"

# --- the pause file outlives the stream by the configured hold -------------
config media_size=310 "output_dir=$out" hold_ms=1500
start_job 45
exec 9>&-
kzr_check "stream published while the pause file is still held" \
  kzr_wait_for 5 test -e "$out/job-45.zr"
kzr_check "pause file kept during the hold" test -e "$pause"
wait "$backend_pid"
kzr_check "pause file gone after the hold" test ! -e "$pause"

# --- planted symbolic links do not redirect the backend's files ----------------
echo keep >"$work/victim"
ln -s "$work/victim" /tmp/Print_46.log
ln -s "$work/created-through-link" "$pause"
config media_size=310 "output_dir=$out"
start_job 46
kzr_wait_for 5 test -f /tmp/Print_46.log -a ! -L /tmp/Print_46.log
kzr_check "job file replaced by a regular file of its own" \
  bash -c "test ! -L /tmp/Print_46.log && grep -q MEDIA_SIZE= /tmp/Print_46.log"
kzr_check "pause file replaced by a regular file of its own" bash -c "test -f '$pause' -a ! -L '$pause'"
echo x >&9; exec 9>&-; wait "$backend_pid"
kzr_check_eq "link target untouched" keep "$(cat "$work/victim")"
kzr_check "nothing created through the dangling link" test ! -e "$work/created-through-link"

# --- cancellation: SIGTERM mid-stream removes every file -----------------------
start_job 47
kzr_wait_for 5 test -f /tmp/Print_47.log
echo partial >&9
kill -TERM "$backend_pid"; wait "$backend_pid"
kzr_check_eq "cancelled job exits 0" 0 "$?"
exec 9>&-
kzr_check "cancel removes job and pause files" test ! -e /tmp/Print_47.log -a ! -e "$pause"
kzr_check "cancel publishes no stream, partial or whole" \
  bash -c "! ls '$out' | grep -q '^job-47'"

# --- refused input: nothing is created -----------------------------------------
DEVICE_URI=$uri KZR_BACKEND_CONFIG=$work/config "$backend" ../etc/x u t 1 "" </dev/null 2>/dev/null
kzr_check_eq "a job id that is not a number is refused" 1 "$?"
# Under another scheme it stands in for a foreign backend: the stream is
# taken, but no job is announced and no pause file held.
printf 'stream' | DEVICE_URI=usb://KORVANE/ZR KZR_BACKEND_CONFIG=$work/config "$backend" 48 u t 1 "" 2>/dev/null
kzr_check_eq "a foreign scheme takes the stream" 0 "$?"
kzr_check "a foreign scheme keeps the stream" test -s "$out/job-48.zr"
kzr_check_eq "a foreign scheme announces nothing" "" "$(ls /tmp | grep -E '^(Print|Pause)_' || true)"
config media_size=310 colour=blue
DEVICE_URI=$uri KZR_BACKEND_CONFIG=$work/config "$backend" 49 u t 1 "" </dev/null 2>"$work/stderr"
kzr_check_eq "an unknown setting is refused" 1 "$?"
kzr_check "the refusal says why" grep -q "unknown key colour" "$work/stderr"
kzr_check_eq "refused jobs leave nothing in /tmp" "" "$(ls /tmp | grep -E '^(Print|Pause)_' || true)"

kzr_finish
