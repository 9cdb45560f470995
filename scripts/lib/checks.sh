# Small assertion helpers for the shell tests, soaks and package checks.
# Every failed check prints what was expected and counts; kzr_finish turns
# the count into the exit status, so one run reports every broken
# expectation, not just the first.
# shellcheck shell=bash

kzr_failures=0
kzr_checks=0

kzr_fail() {
  echo "FAIL: $*" >&2
  kzr_failures=$((kzr_failures + 1))
}

# kzr_check DESCRIPTION COMMAND...: passes when the command succeeds.
kzr_check() {
  local what=$1; shift
  kzr_checks=$((kzr_checks + 1))
  if "$@"; then echo "ok: $what"; else kzr_fail "$what"; fi
}

# kzr_check_eq DESCRIPTION EXPECTED ACTUAL
kzr_check_eq() {
  kzr_checks=$((kzr_checks + 1))
  if [[ "$2" == "$3" ]]; then
    echo "ok: $1"
  else
    kzr_fail "$1: expected [$2], got [$3]"
  fi
}

# kzr_wait_for SECONDS COMMAND...: polls every 50 ms until the command succeeds.
kzr_wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

# A run in which no check ran proves nothing and fails.
kzr_finish() {
  ((kzr_checks > 0)) || kzr_fail "no check ran"
  if ((kzr_failures > 0)); then
    echo "$kzr_failures check(s) failed" >&2
    exit 1
  fi
  echo "all $kzr_checks checks passed"
}
