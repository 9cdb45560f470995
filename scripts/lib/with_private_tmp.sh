#!/bin/sh
# Runs a command with a private, empty /tmp: the programs share files at
# fixed names in /tmp, and neither a test nor the demo may see or leave any
# there (CTest runs tests in parallel, and the machine may have its own).
# A checkout or build tree that itself lies under /tmp (the command, its
# arguments, the working folder) is carried into the private /tmp by a bind
# mount, so the command can still be found.
# Needs root for the mount namespace; elsewhere the test is skipped (77).
if [ "$(id -u)" -ne 0 ] || ! command -v unshare >/dev/null 2>&1; then
    echo "private /tmp needs root and unshare; skipping" >&2
    exit 77
fi
exec unshare -m sh -c '
    set -e
    mount --make-rprivate /
    mkdir -p /mnt
    mount -t tmpfs tmpfs /mnt
    mkdir /mnt/host-tmp
    mount --bind /tmp /mnt/host-tmp
    mount -t tmpfs -o mode=1777 tmpfs /tmp
    for path in "$PWD" "$@"; do
        case "$path" in
        /tmp/?*)
            top=${path#/tmp/}
            top=${top%%/*}
            if [ -d "/mnt/host-tmp/$top" ] && [ ! -e "/tmp/$top" ]; then
                mkdir "/tmp/$top"
                mount --bind "/mnt/host-tmp/$top" "/tmp/$top"
            fi
            ;;
        esac
    done
    exec "$@"' private-tmp "$@"
