# What a ZR job stream must look like, in the words of zr_inspect and the
# sheet probe, worked out from the printer's media table (harness/media.sh)
# rather than from the filter's code.
# shellcheck shell=bash

# kzr_expected_prints NAME RES PICTURES MEDIA_KNOWN(1/0) [CUTTER OVERCOAT RETRY SPEED]
# prints two lines per sheet: first the zr_inspect "print" lines, then
# (after a line "--") the probe lines without their mean colour.
kzr_expected_prints() {
  local name=$1 res=$2 count=$3 known=$4 cutter=${5:-0} overcoat=${6:-0} retry=${7:-1} speed=${8:-}
  local row n w l p two mc mc2 ys=1 ydpi=300 gap=0 sheets=() i
  for row in "${KZR_MEDIA[@]}"; do
    read -r n w l p two mc mc2 <<<"$row"
    [[ $n == "$name" ]] && break
  done
  [[ $res == 300dpi ]] || { ys=2; ydpi=600; }
  [[ -n $speed ]] || { [[ $res == 300x600dpi ]] && speed=10 || speed=0; }
  [[ $mc2 == 12 ]] && gap=18
  local pairs=0 singles=$count
  if ((two && known)); then pairs=$((count / 2)); singles=$((count % 2)); fi
  for ((i = 0; i < pairs; i++)); do sheets+=("$mc2 $(((2 * l + gap) * ys)) $((gap * ys * w))"); done
  for ((i = 0; i < singles; i++)); do sheets+=("$mc $((l * ys)) 0"); done
  local x0=$(((1920 - w) / 2)) k=0 s code rows blank
  for s in "${sheets[@]}"; do
    read -r code rows _ <<<"$s"
    echo "print $((++k)): sheet $code, 1920x$rows dots at 300x$ydpi dpi, cutter $cutter overcoat $overcoat retry $retry speed $speed"
  done
  echo --
  k=0
  for s in "${sheets[@]}"; do
    read -r code rows blank <<<"$s"
    echo "print $((++k)): box $x0-$((x0 + w - 1)) 0-$((rows - 1)) blank $blank"
  done
}

# kzr_actual_prints STREAM INSPECT PROBE: the same two blocks, measured.
# Fails (status 1) when the inspector rejects the stream.
kzr_actual_prints() {
  local inspected
  inspected=$("$2" "$1") || { echo "inspector rejected the stream: $("$2" --quiet "$1" 2>&1)"; return 1; }
  grep '^print ' <<<"$inspected"
  echo --
  "$3" "$1" | sed -E 's/ mean .*//'
}
