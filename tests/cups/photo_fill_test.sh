#!/usr/bin/env bash
# Photos of every common shape, as JPEG, PNG and PDF, printed with lp on
# every page size through the real scheduler and CUPS's converters, as a
# user prints them. Borderless (the queue's default) must cover the whole
# picture area of the sheet, whatever the photo's shape; print-scaling=fit
# must keep the whole photo, with white bands where its shape differs; white
# borders leave a margin all round.
# Usage: photo_fill_test.sh PPD FILTER BACKEND MKRASTER INSPECT PROBE
set -uo pipefail
source "$(dirname "$0")/harness/scheduler_test.sh" "$0" "$@"

inspect=$5 probe=$6
kzr_cupsd_start "$1" "$2" "$3" || exit 1
kzr_add_queue SN0001 && kzr_add_queue SN0002 2 || kzr_fail "queues added"
docs=$(mktemp -d)

# shape -> pixels of the JPEG and PNG, points of the PDF
declare -A px=([3:2]="1800 1200" [4:3]="1600 1200" [1:1]="1200 1200" [16:9]="1920 1080" [2:3]="1200 1800")
declare -A pt=([3:2]="432 288" [4:3]="384 288" [1:1]="360 360" [16:9]="512 288" [2:3]="288 432")
shapes=(3:2 4:3 1:1 16:9 2:3)
kinds=(jpg png pdf)
for s in "${shapes[@]}"; do
  f=${s/:/x}
  kzr_make_photo "$docs/$f.jpg" ${px[$s]}
  kzr_make_photo "$docs/$f.png" ${px[$s]}
  kzr_make_photo "$docs/$f.pdf" ${pt[$s]}
done

declare -A job=() what=()
n=0
# submit QUEUE SHAPE KIND PAGESIZE MODE [lp options]: jobs alternate between
# the two queues so that both cores convert.
submit() {
  local key="$4 $2 $3 $5" f=${2/:/x}
  job[$key]=$(kzr_print "KORVANE-ZR${1}" "$docs/$f.$3" -o "PageSize=$4" "${@:6}") || kzr_fail "$key: lp refused"
}
i=0
for name in $(kzr_ppd_sizes "$1"); do
  for s in "${shapes[@]}"; do
    # Every shape on every size, each format in turn across the sizes.
    kind=${kinds[$((i % 3))]}
    q=$([[ $((i % 2)) == 0 ]] && echo "" || echo "-2")
    submit "$q" "$s" "$kind" "$name" fill
    i=$((i + 1))
  done
done
for name in 102x153mm 127x178mm 153x153mm; do
  for s in "${shapes[@]}"; do
    kind=${kinds[$((i % 3))]}
    submit "" "$s" "$kind" "$name" fit -o print-scaling=fit
    i=$((i + 1))
  done
done
submit "-2" 4:3 jpg 102x153mm border -o ZvoBorder=Enable
for res in 300x600dpi 600x600dpi; do
  submit "" 4:3 jpg 102x153mm "fill-$res" -o Resolution=$res
  submit "-2" 16:9 pdf 127x178mm "fill-$res" -o Resolution=$res
done

# Standard paper names: what CUPS publishes for the queue, and what lp -o
# media= prints (5x5 in goes by its PWG name, which CUPS's own table lacks).
sock=${KZR_CUPSD_DIR//\//%2F}
published=$(ipptool -tv "ipp://$sock%2Fcups.sock/printers/KORVANE-ZR" get-printer-attributes.test 2>/dev/null |
  sed -n 's/.*media-supported (1setOf keyword) = //p')
kzr_check_eq "standard names published" \
  "na_index-4x6_4x6in,oe_photo-l_3.5x5in,custom_5x5in_5x5in,na_5x7_5x7in,custom_6x6in_6x6in,na_index-4x6-ext_6x8in" \
  "$published"
declare -A by_name=()
for pair in na_index-4x6_4x6in:102x153mm oe_photo-l_3.5x5in:89x127mm oe_square-photo_5x5in:127x127mm \
  na_5x7_5x7in:127x178mm custom_6x6in_6x6in:153x153mm na_index-4x6-ext_6x8in:153x204mm; do
  by_name[$pair]=$(kzr_print KORVANE-ZR-2 "$docs/3x2.jpg" -o "media=${pair%%:*}") || kzr_fail "$pair: lp refused"
done

# Behind another backend no job file ever comes: the filter must not wait
# for one (it would for two minutes), and prints one picture per sheet.
kzr_add_foreign_queue OTHER || kzr_fail "queue behind another backend added"
foreign=$(kzr_print OTHER "$docs/4x3.jpg")
kzr_check "a queue behind another backend prints at once" kzr_wait_job "$foreign" 20
for key in "${!job[@]}"; do kzr_wait_job "${job[$key]}" 300 || kzr_fail "$key: job did not complete"; done
for pair in "${!by_name[@]}"; do
  kzr_wait_job "${by_name[$pair]}" 300 || { kzr_fail "media=${pair%%:*}: job did not complete"; continue; }
  kzr_check_eq "media=${pair%%:*} prints ${pair##*:}: its sheet code, covered" \
    "$(kzr_expected_prints "${pair##*:}" 300dpi 1 0)" \
    "$(kzr_actual_prints "$(kzr_job_stream "${by_name[$pair]}")" "$inspect" "$probe")"
done
# A paper the printer does not have fails the job instead of printing on
# another size.
a4=$(kzr_print KORVANE-ZR "$docs/3x2.jpg" -o media=iso_a4_210x297mm)
kzr_wait_job "$a4" 60 2>/dev/null && kzr_fail "media=iso_a4_210x297mm printed"
# CUPS stops a job whose filter failed (processing-stopped), whatever the
# error policy, which governs backend failures only.
kzr_check_eq "media=iso_a4_210x297mm: the job is stopped" processing-stopped "$(kzr_job_state "$a4" | cut -d, -f1)"
kzr_check "and the log says why" grep -q "no paper of size .*iso_a4_210x297mm" "$KZR_CUPSD_DIR/log/error_log"
kzr_check_eq "behind another backend: the sheet is covered" "$(kzr_expected_prints 102x153mm 300dpi 1 0 |
  sed -n '/^--$/,$p' | sed 1d)" "$("$probe" "$(kzr_job_stream "$foreign")" | sed -E 's/ mean .*//')"

# The picture area of a size, as the probe reports a sheet it covers.
area() {  # NAME RES
  kzr_expected_prints "$1" "$2" 1 0 | sed -n '/^--$/,$p' | sed 1d
}
measure() { "$probe" "$(kzr_job_stream "${job[$1]}")" | sed -E 's/ mean .*//'; }

# "print 1: box X0-X1 Y0-Y1 blank K" -> "X0 X1 Y0 Y1 K"
box() { sed -E 's/.*box ([0-9]+)-([0-9]+) ([0-9]+)-([0-9]+) blank ([0-9]+).*/\1 \2 \3 \4 \5/' <<<"$1"; }

# fit: the whole photo is on the sheet (the box has the photo's shape, one
# way round or the other), with bands where the shapes differ.
check_fit() {
  local key=$1 shape=$2 full got
  full=$(box "$(area "${key%% *}" 300dpi)")
  got=$(box "$(measure "$key")")
  read -r fx0 fx1 fy0 fy1 _ <<<"$full"
  read -r x0 x1 y0 y1 blank <<<"$got"
  local bw=$((x1 - x0 + 1)) bh=$((y1 - y0 + 1)) pw=${shape%%:*} ph=${shape##*:}
  # aspect ratios compared in thousandths, either orientation
  local a=$((1000 * bw / bh)) r1=$((1000 * pw / ph)) r2=$((1000 * ph / pw)) ok=0
  for r in $r1 $r2; do ((a * 100 >= r * 98 && a * 100 <= r * 102)) && ok=1; done
  # Fitting the converter's page inside the picture may leave a few rows
  # (under 1%) on the side the photo fills as well.
  local slackx=$(((fx1 - fx0) / 100)) slacky=$(((fy1 - fy0) / 100))
  local across=$((x0 - fx0 <= slackx && fx1 - x1 <= slackx)) along=$((y0 - fy0 <= slacky && fy1 - y1 <= slacky))
  ((ok && blank == 0 && x0 >= fx0 && x1 <= fx1 && y0 >= fy0 && y1 <= fy1 && (across || along))) ||
    kzr_fail "$key: photo not whole inside the sheet: box $got, picture area $full"
}

for key in "${!job[@]}"; do
  read -r name shape kind mode <<<"$key"
  case $mode in
    fill) kzr_check_eq "$key covers the sheet" "$(area "$name" 300dpi)" "$(measure "$key")" ;;
    fill-*) kzr_check_eq "$key covers the sheet" "$(area "$name" "${mode#fill-}")" "$(measure "$key")" ;;
    fit) check_fit "$key" "$shape" ;;
    border)
      read -r fx0 fx1 fy0 fy1 _ <<<"$(box "$(area "$name" 300dpi)")"
      read -r x0 x1 y0 y1 _ <<<"$(box "$(measure "$key")")"
      ((x0 > fx0 && x1 < fx1 && y0 > fy0 && y1 < fy1)) || kzr_fail "$key: no white border all round" ;;
  esac
done
kzr_finish
