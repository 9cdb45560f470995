#!/usr/bin/env bash
# Job options through the private scheduler: options given with lp -o and
# queue defaults set with lpadmin -o must reach the filter (what each option
# does to the stream is pinned by tests/golden); a PDF prints; the backend's
# pause file is held while a job prints and gone afterwards.
# Usage: options_test.sh PPD FILTER BACKEND MKRASTER INSPECT PROBE
set -uo pipefail
source "$(dirname "$0")/harness/scheduler_test.sh" "$0" "$@"

mkraster=$4 inspect=$5 probe=$6
kzr_cupsd_start "$1" "$2" "$3" || exit 1
kzr_add_queue SN0001 && kzr_add_queue SN0002 2 && kzr_add_queue SN0003 3 || kzr_fail "queues added"
kzr_backend_config media_size=310
docs=$(mktemp -d)
"$mkraster" -o "$docs/4x6.ras" --width 1844 --height 1240 --pattern solid --color 3366aa
"$mkraster" -o "$docs/4x6-fine.ras" --width 1844 --height 2480 --dpi 300x600 --pattern solid --color 3366aa
"$mkraster" -o "$docs/5x7.ras" --width 1548 --height 2138 --pattern solid --color 3366aa
"$mkraster" -o "$docs/3.5x5-portrait-fine.ras" --width 1088 --height 3096 --dpi 300x600 --pattern solid --color 3366aa
kzr_make_pdf "$docs/4x6.pdf" "$(kzr_px_to_pt 1844)" "$(kzr_px_to_pt 1240)"

declare -A job=()
# run NAME QUEUE FILE lp-options...: submits; results are read after wait_all.
run() { job[$1]=$(kzr_print "$2" "$3" "${@:4}") || kzr_fail "$1: lp refused"; }
wait_all() {
  local n
  for n in "${!job[@]}"; do kzr_wait_job "${job[$n]}" 300 || kzr_fail "$n: job did not complete"; done
}
prints() { "$inspect" "$(kzr_job_stream "${job[$1]}")" | grep '^print '; }
probe() { "$probe" "$(kzr_job_stream "${job[$1]}")"; }
# expected zr_inspect lines of a one-picture 4 x 6 in job at 300 dpi
sheet4x6() { kzr_expected_prints 153x102mm 300dpi 1 1 "$@" | sed '/^--$/,$d'; }

# Queue defaults as an administrator sets them: the filter finds them in
# the queue's copy of the PPD.
kzr_check "lpadmin sets finish and cutter defaults" \
  lpadmin -p KORVANE-ZR-2 -o ZvoOvercoatFinish=Matte -o Zvo2InchCut=Enable
kzr_check "lpadmin sets page size and resolution defaults" \
  lpadmin -p KORVANE-ZR-3 -o PageSize=89x127mm -o Resolution=300x600dpi

Q=KORVANE-ZR
run plain $Q "$docs/4x6.ras" -o PageSize=153x102mm
run fast $Q "$docs/4x6-fine.ras" -o Resolution=300x600dpi -o ZvoPrintSpeed=Enable
run border $Q "$docs/4x6.ras" -o ZvoBorder=Enable
run bright $Q "$docs/4x6.ras" -o ZvoColorAdjustment=Enable -o ZvoBrightness=50
run bright_off $Q "$docs/4x6.ras" -o ZvoBrightness=50
run redgamma $Q "$docs/4x6.ras" -o ZvoColorAdjustment=Enable -o ZvoGamma=0 -o ZvoGammaR=100
run grey $Q "$docs/4x6.ras" -o ZvoColorAdjustment=Enable -o ZvoChroma=-100
run media $Q "$docs/5x7.ras" -o media=127x178mm
run pdf $Q "$docs/4x6.pdf" -o PageSize=153x102mm
run q2_defaults KORVANE-ZR-2 "$docs/4x6.ras"
run q2_override KORVANE-ZR-2 "$docs/4x6.ras" -o ZvoOvercoatFinish=Luster
run q3_defaults KORVANE-ZR-3 "$docs/3.5x5-portrait-fine.ras"
wait_all

kzr_check_eq "defaults: no cut, glossy, retry, normal speed" "$(sheet4x6)" "$(prints plain)"
kzr_check_eq "high speed at 300x600 dpi" \
  "$(kzr_expected_prints 153x102mm 300x600dpi 1 1 0 0 1 30 | sed '/^--$/,$d')" "$(prints fast)"
kzr_check_eq "media option chooses the page size" \
  "$(kzr_expected_prints 127x178mm 300dpi 1 1 | sed '/^--$/,$d')" "$(prints media)"
kzr_check_eq "PDF prints" "$(sheet4x6)" "$(prints pdf)"
# Ghostscript's raster converter is handed the page height in whole points
# (297 of 297.605), which leaves the top two rows of the raster blank.
read -r _ _ _ x y _ <<<"$(probe pdf)"
kzr_check "PDF fills the sheet except Ghostscript's top rows ($x $y)" \
  bash -c "[[ '$x' == 38-1881 && '$y' =~ ^[0-3]-1239$ ]]"
kzr_check_eq "queue defaults from lpadmin reach the filter" "$(sheet4x6 120 1)" "$(prints q2_defaults)"
kzr_check_eq "a job option overrides the queue default" "$(sheet4x6 120 22)" "$(prints q2_override)"
kzr_check_eq "default page size and resolution from lpadmin" \
  "$(kzr_expected_prints 89x127mm 300x600dpi 1 1)" \
  "$(kzr_actual_prints "$(kzr_job_stream "${job[q3_defaults]}")" "$inspect" "$probe")"

# White borders: the picture shrinks to the middle with white all round.
read -r _ _ _ x y _ <<<"$(probe border)"
kzr_check "borders leave white margins on every side (box $x $y)" \
  bash -c "[[ '$x' =~ ^1[0-9][0-9]-17[0-9][0-9]$ && '$y' =~ ^[4-9][0-9]-11[0-9][0-9]$ ]]"

# Tone options: compare the mean colour with the plain job's.
read -r _ _ _ _ _ _ _ _ pr pg pb <<<"$(probe plain)"
read -r _ _ _ _ _ _ _ _ br bg bb <<<"$(probe bright)"
read -r _ _ _ _ _ _ _ _ or og ob <<<"$(probe bright_off)"
read -r _ _ _ _ _ _ _ _ gr gg gb <<<"$(probe redgamma)"
read -r _ _ _ _ _ _ _ _ cr cg cb <<<"$(probe grey)"
kzr_check "brightness lightens every channel ($pr $pg $pb -> $br $bg $bb)" \
  test "$br" -gt "$pr" -a "$bg" -gt "$pg" -a "$bb" -gt "$pb"
kzr_check_eq "brightness without colour adjustment changes nothing" "$pr $pg $pb" "$or $og $ob"
kzr_check "the combined gamma wins over the red gamma" test "$gr $gg $gb" == "$pr $pg $pb"
kzr_check "chroma -100 prints grey ($cr $cg $cb)" test "$cr" == "$cg" -a "$cg" == "$cb"

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
