#!/usr/bin/env bash
# Whole jobs through a private scheduler at one resolution: for every page
# size a CUPS raster job and a JPEG job go through the real converters and
# our filter to the stand-in backend, and each stream must pass the
# inspector with the sheet codes and sizes of the media table, the default
# per-print records, and pictures that fill their sheets edge to edge. The
# two-up sizes print two pictures per job, once with the backend reporting
# its media (one shared sheet) and once without (a sheet each).
# Usage: print_test.sh RESOLUTION PPD FILTER BACKEND MKRASTER INSPECT PROBE
set -uo pipefail
source "$(dirname "$0")/harness/scheduler_test.sh" "$0" "$@"

res=$1 mkraster=$5 inspect=$6 probe=$7
declare -A xs=([300dpi]=1 [300x600dpi]=1 [600x600dpi]=2) ys=([300dpi]=1 [300x600dpi]=2 [600x600dpi]=2)

kzr_cupsd_start "$2" "$3" "$4" || exit 1
# Four printers, so that four jobs print at the same time; the numbered
# queues use the daemon's second command form.
queues=(KORVANE-ZR KORVANE-ZR-2 KORVANE-ZR-3 KORVANE-ZR-4)
kzr_check "base queue added" kzr_add_queue SN0001
for n in 2 3 4; do kzr_check "queue KORVANE-ZR-$n added" kzr_add_queue "SN000$n" "$n"; done
docs=$(mktemp -d)

declare -A expect=() label=()
submitted=0
# submit LABEL EXPECTED FILE lp-options...: queues a job round-robin.
submit() {
  local id
  id=$(kzr_print "${queues[submitted++ % 4]}" "$3" "${@:4}") || { kzr_fail "$1: lp refused"; return; }
  expect[$id]=$2 label[$id]=$1
}
check_all() {
  local id
  for id in "${!expect[@]}"; do
    if kzr_wait_job "$id" 300; then
      kzr_check_eq "${label[$id]}" "${expect[$id]}" \
        "$(kzr_actual_prints "$(kzr_job_stream "$id")" "$inspect" "$probe")"
    else
      kzr_fail "${label[$id]}: job did not complete"
    fi
  done
  expect=() label=()
}

kzr_backend_config media_size=310
for row in "${KZR_MEDIA[@]}"; do
  read -r name _ _ _ two _ <<<"$row"
  read -r w h <<<"$(kzr_page_px "$name")"
  pictures=$((two ? 2 : 1))
  "$mkraster" -o "$docs/$name.ras" --width $((w * xs[$res])) --height $((h * ys[$res])) \
    --dpi "$((300 * xs[$res]))x$((300 * ys[$res]))" --pages "$pictures" --pattern solid --color 3366aa
  kzr_make_jpeg "$docs/$name.jpg" "$w" "$h"
  expected=$(kzr_expected_prints "$name" "$res" "$pictures" 1)
  submit "$name $res raster, media known" "$expected" "$docs/$name.ras" -o "PageSize=$name" -o "Resolution=$res"
  submit "$name $res JPEG, media known" "$expected" "$docs/$name.jpg" -n "$pictures" \
    -o "PageSize=$name" -o "Resolution=$res"
done
check_all

# Without a media size from the backend a two-up size prints one picture per sheet.
kzr_backend_config
for name in 127x89mmx2 89x127mmx2 153x102mmx2 102x153mmx2; do
  submit "$name $res raster, media unknown" "$(kzr_expected_prints "$name" "$res" 2 0)" \
    "$docs/$name.ras" -o "PageSize=$name" -o "Resolution=$res"
done
check_all

# An odd picture count leaves the last picture of a two-up job on a sheet of
# its own. (The backend reads its settings when a job starts, so they change
# only between batches.)
"$mkraster" -o "$docs/three.ras" --width $((1844 * xs[$res])) --height $((1240 * ys[$res])) \
  --dpi "$((300 * xs[$res]))x$((300 * ys[$res]))" --pages 3 --pattern solid --color 3366aa
kzr_backend_config media_size=310
submit "153x102mmx2 $res raster, three pictures" "$(kzr_expected_prints 153x102mmx2 "$res" 3 1)" \
  "$docs/three.ras" -o PageSize=153x102mmx2 -o "Resolution=$res"
check_all

kzr_check_eq "the backend leaves no job or pause file behind" "" "$(ls /tmp | grep -E '^(Print|Pause)_' || true)"
kzr_finish
