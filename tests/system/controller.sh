# The emulated USB bus of zr_usb_rig (its serving form), driven from a shell
# test, with the check helpers and the private scheduler. Source this file, then:
#   kzr_controller_start RIG WORK          start it; sets bus_env (the
#                                          LD_PRELOAD and UMOCKDEV_DIR that let
#                                          a program see the emulated bus)
#   order VERB [ARGS...]                   one order about the one printer on
#                                          the bus; its answer in $answer
#   field NAME                             NAME's value in the answer to "state"
#   kzr_bus_backend BACKEND PATH           writes a wrapper at PATH that runs
#                                          the real backend on the bus
#   ipp_attr printer|job-attribute URI NAME  one attribute's value as ipptool
#   printer_attr NAME                      shows it; of the printer at $uri
# Programs the caller starts in the background go into the array pids;
# kzr_stop_all stops them, the controller and the private scheduler.
# shellcheck shell=bash
_kzr_system=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/checks.sh
source "$_kzr_system/../../scripts/lib/checks.sh"
# shellcheck source=../../scripts/lib/cupsd.sh
source "$_kzr_system/../../scripts/lib/cupsd.sh"

_kzr_orders=0
answer=
bus_env=()
pids=()

kzr_stop_all() {
  local p
  for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  pids=()
  kzr_cupsd_stop
}

kzr_controller_start() {
  local controller=$1 work=$2
  _kzr_controller_dir=$work
  mkfifo "$work/orders"
  umockdev-wrapper "$controller" - <"$work/orders" >"$work/answers" 2>"$work/controller.err" &
  pids+=($!)
  exec 3>"$work/orders"
  kzr_wait_for 10 grep -q '^env ' "$work/answers" || { cat "$work/controller.err" >&2; return 1; }
  read -r -a bus_env < <(grep '^env ' "$work/answers" | cut -d' ' -f2-)
}

_kzr_answered() { (($(grep -c '^done ' "$_kzr_controller_dir/answers") >= $1)); }

order() {
  local verb=$1; shift
  echo "$verb P $*" >&3
  _kzr_orders=$((_kzr_orders + 1))
  kzr_wait_for 30 _kzr_answered "$_kzr_orders" || { kzr_fail "no answer to: $*"; return 1; }
  answer=$(grep '^done ' "$_kzr_controller_dir/answers" | sed -n "${_kzr_orders}p" | cut -d' ' -f2-)
}

field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$answer"; }

kzr_bus_backend() {
  printf '#!/bin/sh\nexec env %s %s "$@"\n' "${bus_env[*]}" "$1" >"$2"
}

ipp_attr() {
  ipptool -tv "$2" -d "attr=$3" "$_kzr_system/$1.test" 2>/dev/null | sed -n "s/^[[:space:]]*$3 ([^)]*) = //p" | head -n 1
}
printer_attr() { ipp_attr printer-attribute "$uri" "$1"; }
