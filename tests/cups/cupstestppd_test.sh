#!/usr/bin/env bash
# cupstestppd must find no failure in the queue's PPD. It also checks that
# the filter the PPD names exists, so the built filter is placed into a
# scratch root where cupstestppd looks for it.
# Usage: cupstestppd_test.sh PPD FILTER
set -euo pipefail
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/usr/lib/cups/filter"
install -m 0755 "$2" "$root/usr/lib/cups/filter/korvane_zr_filter"
cupstestppd -R "$root" "$1"
