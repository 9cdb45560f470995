#!/usr/bin/env bash
# Every option and every choice the queue's PPD offers must change what is
# printed when chosen with lp -o through the scheduler: each choice is
# compared with the option's default under a setting where the option can
# act (the colour options with Color Adjustment on, High Speed at 300 x 600
# dpi, two-up sizes with two pages and the paper for them loaded). A choice
# that leaves the stream byte for byte as the default fails the test.
# Usage: options_act_test.sh PPD FILTER BACKEND MKRASTER INSPECT PROBE
set -uo pipefail
source "$(dirname "$0")/harness/scheduler_test.sh" "$0" "$@"

ppd=$1 mkraster=$4
kzr_cupsd_start "$1" "$2" "$3" || exit 1
kzr_add_queue SN0001 && kzr_add_queue SN0002 2 || kzr_fail "queues added"
# Paper for two-up sheets is loaded, so two-up sizes can pair their pages.
kzr_backend_config media_size=310
docs=$(mktemp -d)
# Pictures with detail in every channel, so sharpening and tone curves show.
"$mkraster" -o "$docs/one.ras" --width 1844 --height 1240 --pattern random --seed 7
"$mkraster" -o "$docs/two.ras" --width 1844 --height 1240 --pattern random --seed 7 --pages 2

# The setting under which an option can act.
context() {
  case $1 in
    ZvoChroma | ZvoGamma? | ZvoBrightness? | ZvoContrast?) echo "-o ZvoColorAdjustment=Enable" ;;
    ZvoColorAdjustment) echo "-o ZvoChroma=-100" ;;
    ZvoPrintSpeed) echo "-o Resolution=300x600dpi" ;;
    *) echo "" ;;
  esac
}

declare -A job=()
i=0
submit() {  # KEY FILE OPTIONS...
  [[ -n ${job[$1]:-} ]] && return
  local q=KORVANE-ZR
  ((i++ % 2)) && q=KORVANE-ZR-2
  # shellcheck disable=SC2086
  job[$1]=$(kzr_print "$q" "$2" ${@:3}) || kzr_fail "$1: lp refused"
}

# option keyword, default, choices: from the PPD as CUPS reads it.
mapfile -t options < <(sed -n 's/^\*OpenUI \*\([A-Za-z0-9]*\)\/.*/\1/p' "$ppd" | grep -v '^PageRegion$')
declare -A default=() choices=()
for o in "${options[@]}"; do
  default[$o]=$(sed -n "s/^\*Default$o: *//p" "$ppd")
  choices[$o]=$(sed -n "s/^\*$o \([^/:]*\)[/:].*/\1/p" "$ppd" | tr '\n' ' ')
done
[[ ${#options[@]} -ge 15 ]] || kzr_fail "options read from the PPD: ${options[*]}"

for o in "${options[@]}"; do
  file=$docs/one.ras
  [[ $o == PageSize ]] && file=$docs/two.ras
  ctx=$(context "$o")
  for c in ${default[$o]} ${choices[$o]}; do
    # shellcheck disable=SC2086
    submit "$o=$c" "$file" $ctx -o "$o=$c"
  done
done
for key in "${!job[@]}"; do kzr_wait_job "${job[$key]}" 300 || kzr_fail "$key: job did not complete"; done

digest() { sha256sum <"$(kzr_job_stream "${job[$1]}")" | cut -d' ' -f1; }
for o in "${options[@]}"; do
  d=$(digest "$o=${default[$o]}")
  for c in ${choices[$o]}; do
    [[ $c == "${default[$o]}" ]] && continue
    kzr_check "$o=$c prints otherwise than $o=${default[$o]} ($(context "$o"))" \
      test "$(digest "$o=$c")" != "$d"
  done
done
kzr_finish
