#!/usr/bin/env bash
# The catalogues survive Qt's own tools: lupdate over the monitor's sources
# finds every message of copies of the .ts files, none obsolete or added, and
# lrelease makes the same catalogues from the copies as from the originals.
#   lupdate_roundtrip.sh LUPDATE LRELEASE SOURCE_DIR
set -u
lupdate=$1 lrelease=$2 src=$3
source "$(dirname "$0")/../../scripts/lib/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for ts in "$src"/translations/localize_*.ts; do
  name=$(basename "$ts" .ts)
  cp "$ts" "$work/$name.ts"
  "$lupdate" -silent -no-obsolete -locations none "$src"/*.cpp "$src"/*.h -ts "$work/$name.ts" >"$work/$name.log" 2>&1 ||
    kzr_fail "lupdate on $name: $(cat "$work/$name.log")"
  kzr_check_eq "$name: lupdate keeps every message" "$(grep -c '<message>' "$ts")" "$(grep -c '<message>' "$work/$name.ts")"
  kzr_check_eq "$name: nothing unfinished after lupdate" "" "$(grep -o 'type="[a-z]*"' "$work/$name.ts" | sort -u)"
  "$lrelease" -silent "$ts" -qm "$work/$name.orig.qm" >/dev/null 2>&1
  "$lrelease" -silent "$work/$name.ts" -qm "$work/$name.qm" >/dev/null 2>&1
  kzr_check "$name: lrelease gives the same catalogue" cmp -s "$work/$name.orig.qm" "$work/$name.qm"
done
kzr_finish
