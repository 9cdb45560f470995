#!/bin/sh
# The installed program as a user starts it: it must come up, list the ZR
# queues and watch the first printer through its watch file, and keep
# running. Call inside a private /tmp with the private scheduler.
# Usage: program_runs.sh PROGRAM
program=$1
fail() { echo "FAIL: $*" >&2; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; echo "0 passed, 1 failed"; exit 1; }

"$program" >/dev/null &
pid=$!
tries=0
while [ ! -e /tmp/ZR_A1234_UTIL ]; do
    kill -0 "$pid" 2>/dev/null || fail "the program ended early"
    tries=$((tries + 1))
    [ "$tries" -lt 200 ] || fail "no watch file for the first ZR queue"
    sleep 0.1
done
[ "$(stat -c %a /tmp/ZR_A1234_UTIL)" = 666 ] || fail "watch file mode is not 0666"
[ ! -e /tmp/ZR_B5678_UTIL ] || fail "the second printer is watched too"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the program did not keep running"
kill "$pid"
wait "$pid" 2>/dev/null
echo "1 passed, 0 failed"
