# The emulated USB bus of printer_controller, driven from a shell test.
# Source this file, then:
#   kzr_controller_start CONTROLLER WORK   start it; sets bus_env (the
#                                          LD_PRELOAD and UMOCKDEV_DIR that let
#                                          a program see the emulated bus)
#   order VERB [ARGS...]                   one order; its answer in $answer
#   kzr_bus_backend BACKEND PATH           writes a wrapper at PATH that runs
#                                          the real backend on the bus
# The caller stops the controller with the rest of its processes (its pid is
# appended to the array pids).
# shellcheck shell=bash

_kzr_orders=0
answer=
bus_env=()

kzr_controller_start() {
  local controller=$1 work=$2
  _kzr_controller_dir=$work
  mkfifo "$work/orders"
  umockdev-wrapper "$controller" <"$work/orders" >"$work/answers" 2>"$work/controller.err" &
  pids+=($!)
  exec 3>"$work/orders"
  kzr_wait_for 10 grep -q '^env ' "$work/answers" || { cat "$work/controller.err" >&2; return 1; }
  read -r -a bus_env < <(grep '^env ' "$work/answers" | cut -d' ' -f2-)
}

_kzr_answered() { (($(grep -c '^done ' "$_kzr_controller_dir/answers") >= $1)); }

order() {
  echo "$*" >&3
  _kzr_orders=$((_kzr_orders + 1))
  kzr_wait_for 30 _kzr_answered "$_kzr_orders" || { kzr_fail "no answer to: $*"; return 1; }
  answer=$(grep '^done ' "$_kzr_controller_dir/answers" | sed -n "${_kzr_orders}p" | cut -d' ' -f2-)
}

kzr_bus_backend() {
  printf '#!/bin/sh\nexec env %s %s "$@"\n' "${bus_env[*]}" "$1" >"$2"
}
