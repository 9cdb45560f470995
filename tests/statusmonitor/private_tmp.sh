#!/bin/sh
# Runs a command with a private, empty /tmp: the status monitor's files live
# at fixed names in /tmp, and tests must neither see nor leave any there.
# Needs root for the mount namespace; elsewhere the test is skipped (77).
if [ "$(id -u)" -ne 0 ] || ! command -v unshare >/dev/null 2>&1; then
    echo "private /tmp needs root and unshare; skipping" >&2
    exit 77
fi
exec unshare -m sh -c 'mount --make-rprivate / && mount -t tmpfs -o mode=1777 tmpfs /tmp && exec "$@"' private-tmp "$@"
