#!/bin/sh
# Runs a command on a private X server (Xvfb, 1024x768, black root). Call
# inside a private /tmp: the server's socket lives there, and it listens on
# nothing else, so it cannot meet another X server on this machine.
set -eu
display=:42
Xvfb "$display" -screen 0 1024x768x24 -br -nolisten tcp -nolisten local >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -S /tmp/.X11-unix/X42 ] && break
    sleep 0.1
done
[ -S /tmp/.X11-unix/X42 ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
"$@"
