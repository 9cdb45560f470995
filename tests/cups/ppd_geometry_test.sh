#!/usr/bin/env bash
# Every page size and resolution of the PPD, for JPEG and PDF documents of
# that size, through the real scheduler and CUPS's own converters: each
# page must reach the queue's filter as 8-bit RGB raster of the paper's
# nominal size at that resolution (borderless: no margin taken off). A probe
# stands in for the filter and reports the page geometry it receives.
# Usage: ppd_geometry_test.sh PPD PROBE BACKEND
set -uo pipefail
source "$(dirname "$0")/harness/scheduler_test.sh" "$0" "$@"

kzr_cupsd_start "$1" "$2" "$3" || exit 1
kzr_check "queue added with the daemon's command line" kzr_add_queue A1234
docs=$(mktemp -d)

declare -A xres=([300dpi]=1 [300x600dpi]=1 [600x600dpi]=2) yres=([300dpi]=1 [300x600dpi]=2 [600x600dpi]=2)
for name in $(kzr_ppd_sizes "$1"); do
  read -r wpt hpt <<<"${KZR_NOMINAL_PT[$name]}"
  w=$((wpt * 300 / 72)) h=$((hpt * 300 / 72))
  kzr_make_jpeg "$docs/$name.jpg" "$w" "$h"
  kzr_make_pdf "$docs/$name.pdf" "$wpt" "$hpt"
  for res in 300dpi 300x600dpi 600x600dpi; do
    expect="page=1 size=$((w * xres[$res]))x$((h * yres[$res])) bits=24 space=1 lines=$((h * yres[$res]))"
    for kind in jpg pdf; do
      id=$(kzr_print KORVANE-ZR "$docs/$name.$kind" -o "PageSize=$name" -o "Resolution=$res")
      if ! kzr_wait_job "$id" 120; then kzr_fail "$name $res $kind: job failed"; continue; fi
      got=$(sed -E 's/ (res|copies)=[^ ]*//g' "$(kzr_job_stream "$id")")
      kzr_check_eq "$name $res $kind raster" "$expect" "$got"
    done
  done
done

# The queue's defaults alone (no -o at all) give a 4 x 6 in page.
id=$(kzr_print KORVANE-ZR "$docs/102x153mm.jpg")
kzr_wait_job "$id" 120
kzr_check_eq "defaults: 4 x 6 in at 300 dpi" "page=1 size=1200x1800 res=300x300 bits=24 space=1 copies=1 lines=1800" \
  "$(cat "$(kzr_job_stream "$id")")"
kzr_finish
