#!/usr/bin/env bash
# Runs a command against a private CUPS scheduler (scripts/lib/cupsd.sh) with
# three queues: two of ZR printers and one of another printer under a name
# like theirs, served by the stand-in backends in STANDIN-DIR. Call inside a
# private /tmp.
# Usage: with_cupsd.sh STANDIN-DIR COMMAND...
set -eu
standin=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/cupsd.sh"
kzr_cupsd_start /dev/null /dev/null "$standin/korvane-zvobackend" "$standin/otherbackend" || exit 1
add() {
  lpadmin -p "$1" -E -v "$2" </dev/null >/dev/null 2>&1 || { echo "lpadmin $1 failed" >&2; exit 1; }
}
add KORVANE-ZR "korvane-zvobackend://KORVANE/ZR?serial=A1234"
add KORVANE-ZR-9 "otherbackend://KORVANE/ZR?serial=A1234"
add KORVANE-ZR-2 "korvane-zvobackend://KORVANE/ZR?serial=B5678"
"$@"
