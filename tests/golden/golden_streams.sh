#!/usr/bin/env bash
# The filter's command streams for a fixed set of jobs, as SHA-256 digests:
# every page size at every resolution with the queue's defaults and once
# with white borders, and every option on its own. A change to the image
# maths or the record writers that moves a single byte of what the printer
# receives fails here.
#
#   golden_streams.sh FILTER MKRASTER PPD DIGESTS [--update]
# Runs inside a private /tmp (scripts/lib/with_private_tmp.sh): the filter reads the
# backend's job file from /tmp.
set -euo pipefail
filter=$1 mkraster=$2 ppd=$3 digests=$4 update=${5:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# page size, picture pixels at 300 dpi (across x along), portrait, MEDIA_SIZE
sizes=(
  "127x89mm 1548 1088 0 210"    "89x127mm 1548 1088 1 210"
  "127x89mmx2 1548 1088 0 210"  "89x127mmx2 1548 1088 1 210"
  "127x127mm 1548 1540 0 210"   "127x178mm 1548 2138 0 210"
  "153x102mm 1844 1240 0 310"   "102x153mm 1844 1240 1 310"
  "153x102mmx2 1844 1240 0 310" "102x153mmx2 1844 1240 1 310"
  "153x153mm 1844 1836 0 310"   "153x204mm 1844 2436 0 310"
)
# One option at a time over 4x6 in at 300 dpi (the default job).
option_sets=(
  "ZvoBorder=Enable" "ZvoOvercoatFinish=Luster" "ZvoOvercoatFinish=Matte"
  "ZvoOvercoatFinish=FineMatte" "ZvoPrintRetry=Disable" "ZvoDecurl=Enable" "ZvoDecurl=Disable"
  "ZvoSharpness=-2" "ZvoSharpness=-1" "ZvoSharpness=1" "ZvoSharpness=2" "ZvoSharpness=3" "ZvoSharpness=4"
  "ZvoColorAdjustment=Enable ZvoGamma=30 ZvoBrightness=-20 ZvoContrast=40 ZvoChroma=50"
  "ZvoColorAdjustment=Enable ZvoGammaR=-40 ZvoGammaG=20 ZvoGammaB=100 ZvoBrightnessR=10 ZvoBrightnessG=-100 ZvoBrightnessB=60 ZvoContrastR=-30 ZvoContrastG=90 ZvoContrastB=-100 ZvoChroma=-70"
  "ZvoChroma=100 ZvoGamma=-100"
  "PageSize=153x204mm Zvo2InchCut=Enable" "PageSize=153x102mmx2 Zvo2InchCut=Enable"
  "Resolution=300x600dpi ZvoPrintSpeed=Enable" "PageSize=127x89mm ZvoBorder=Enable ZvoSharpness=4"
)

raster() {  # W H XDPI YDPI PAGES -> path of a cached raster
  local path=$work/r-$1-$2-$3-$4-$5.ras
  [[ -e $path ]] || "$mkraster" -o "$path" --width "$1" --height "$2" --dpi "$3x$4" --pages "$5" --pattern gradient
  echo "$path"
}

run() {  # NAME MEDIA RASTER OPTIONS -> "digest  NAME"
  printf 'MEDIA_SIZE="%s"\n' "$2" >/tmp/Print_77.log
  local status=0
  PPD=$ppd "$filter" 77 tester photo 1 "$4" "$3" >"$work/out" 2>"$work/err" || status=$?
  rm -f /tmp/Print_77.log
  if ((status != 0)); then
    echo "FAIL: $1: the filter ended with status $status" >&2
    tail -5 "$work/err" >&2
    exit 1
  fi
  echo "$(sha256sum <"$work/out" | cut -c1-64)  $1"
}

compute() {
  local row name w l portrait media res x y
  for res in 300dpi 300x600dpi 600x600dpi; do
    case $res in 300dpi) x=1 y=1 ;; 300x600dpi) x=1 y=2 ;; 600x600dpi) x=2 y=2 ;; esac
    for row in "${sizes[@]}"; do
      read -r name w l portrait media <<<"$row"
      ((portrait)) && { local t=$w; w=$l; l=$t; }
      run "$name/$res" "$media" "$(raster $((w * x)) $((l * y)) $((300 * x)) $((300 * y)) 2)" \
        "PageSize=$name Resolution=$res"
    done
  done
  # White borders depend on each sheet's margins: every size once with them.
  for row in "${sizes[@]}"; do
    read -r name w l portrait media <<<"$row"
    ((portrait)) && { local t=$w; w=$l; l=$t; }
    run "$name/300dpi/border" "$media" "$(raster "$w" "$l" 300 300 2)" "PageSize=$name ZvoBorder=Enable"
  done
  local opts
  for opts in "${option_sets[@]}"; do
    case $opts in
      *300x600dpi*) r=$(raster 1844 2480 300 600 1) ;;
      *127x89mm\ *) r=$(raster 1548 1088 300 300 1) ;;
      *153x204mm*) r=$(raster 1844 2436 300 300 1) ;;
      *) r=$(raster 1844 1240 300 300 2) ;;
    esac
    run "${opts// /,}" 310 "$r" "$opts"
  done
}

if [[ $update == --update ]]; then
  compute >"$digests"
  echo "wrote $(wc -l <"$digests") digests to $digests"
  exit 0
fi
compute >"$work/now"
if ! diff -u "$digests" "$work/now"; then
  echo "FAIL: the streams above differ from the recorded ones" >&2
  exit 1
fi
echo "all $(wc -l <"$work/now") streams match"
