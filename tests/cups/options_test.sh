#!/usr/bin/env bash
# Queue defaults set with lpadmin -o must reach the filter and a job option
# must override them (what each option does to the stream is pinned by
# tests/golden, that every choice acts by options_act_test.sh); the
# backend's pause file is held while a job prints and gone afterwards, also
# when the job is cancelled.
# Usage: options_test.sh PPD FILTER BACKEND MKRASTER INSPECT PROBE
set -uo pipefail
source "$(dirname "$0")/harness/scheduler_test.sh" "$0" "$@"

mkraster=$4 inspect=$5 probe=$6
kzr_cupsd_start "$1" "$2" "$3" || exit 1
kzr_add_queue SN0001 && kzr_add_queue SN0002 2 && kzr_add_queue SN0003 3 || kzr_fail "queues added"
kzr_backend_config media_size=310
docs=$(mktemp -d)
"$mkraster" -o "$docs/4x6.ras" --width 1844 --height 1240 --pattern solid --color 3366aa
"$mkraster" -o "$docs/3.5x5-portrait-fine.ras" --width 1088 --height 3096 --dpi 300x600 --pattern solid --color 3366aa

declare -A job=()
# run NAME QUEUE FILE lp-options...: submits; results are read after wait_all.
run() { job[$1]=$(kzr_print "$2" "$3" "${@:4}") || kzr_fail "$1: lp refused"; }
wait_all() {
  local n
  for n in "${!job[@]}"; do kzr_wait_job "${job[$n]}" 300 || kzr_fail "$n: job did not complete"; done
}
prints() { "$inspect" "$(kzr_job_stream "${job[$1]}")" | grep '^print '; }
# expected zr_inspect lines of a one-picture 4 x 6 in job at 300 dpi
sheet4x6() { kzr_expected_prints 153x102mm 300dpi 1 1 "$@" | sed '/^--$/,$d'; }

# Queue defaults as an administrator sets them: the filter finds them in
# the queue's copy of the PPD.
kzr_check "lpadmin sets finish and cutter defaults" \
  lpadmin -p KORVANE-ZR-2 -o ZvoOvercoatFinish=Matte -o Zvo2InchCut=Enable
kzr_check "lpadmin sets page size and resolution defaults" \
  lpadmin -p KORVANE-ZR-3 -o PageSize=89x127mm -o Resolution=300x600dpi

run q2_defaults KORVANE-ZR-2 "$docs/4x6.ras"
run q2_override KORVANE-ZR-2 "$docs/4x6.ras" -o ZvoOvercoatFinish=Luster
run q3_defaults KORVANE-ZR-3 "$docs/3.5x5-portrait-fine.ras"
wait_all

kzr_check_eq "queue defaults from lpadmin reach the filter" "$(sheet4x6 120 1)" "$(prints q2_defaults)"
kzr_check_eq "a job option overrides the queue default" "$(sheet4x6 120 22)" "$(prints q2_override)"
kzr_check_eq "default page size and resolution from lpadmin" \
  "$(kzr_expected_prints 89x127mm 300x600dpi 1 1)" \
  "$(kzr_actual_prints "$(kzr_job_stream "${job[q3_defaults]}")" "$inspect" "$probe")"

# The pause file of the job's printer exists while the job prints.
kzr_backend_config media_size=310 hold_ms=3000
pause='/tmp/Pause_korvane-zvobackend:__KORVANE_ZR?serial=SN0001'
id=$(kzr_print KORVANE-ZR "$docs/4x6.ras")
kzr_check "pause file held while printing" kzr_wait_for 30 test -e "$pause"
kzr_check "job file present while printing" test -e "/tmp/Print_$id.log"
kzr_wait_job "$id" 60
kzr_check "pause and job files gone when the job is done" test ! -e "$pause" -a ! -e "/tmp/Print_$id.log"

# A job cancelled while the backend holds the printer releases it at once.
kzr_backend_config media_size=310 hold_ms=60000
id=$(kzr_print KORVANE-ZR "$docs/4x6.ras")
kzr_wait_for 30 test -e "$pause"
cancel "$id"
canceled() { [[ $(kzr_job_state "$id") == canceled* ]]; }
kzr_check "cancelled job ends as canceled" kzr_wait_for 20 canceled
kzr_check "cancel removes the pause and job files" kzr_wait_for 10 test ! -e "$pause" -a ! -e "/tmp/Print_$id.log"
kzr_finish
