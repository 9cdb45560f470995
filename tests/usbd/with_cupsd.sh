#!/usr/bin/env bash
# Runs COMMAND as root in a private /tmp against a private CUPS scheduler
# that knows the queue PPD. The lpadmin first on PATH logs each command line
# to $KZR_CUPSD_DIR/commands.log and runs the real one off umockdev's bus.
# Usage: with_cupsd.sh PPD COMMAND...
set -eu
ppd=$1
shift
source "$(dirname "$0")/../../scripts/lib/cupsd.sh"
# Queues only need their backend's scheme to exist: nothing is printed.
kzr_cupsd_start "$ppd" /bin/true /bin/true || exit 1
mkdir "$KZR_CUPSD_DIR/wrap"
cat >"$KZR_CUPSD_DIR/wrap/lpadmin" <<EOF
#!/bin/sh
printf '%s\n' "lpadmin \$*" >>"$KZR_CUPSD_DIR/commands.log"
exec env -u LD_PRELOAD -u UMOCKDEV_DIR /usr/sbin/lpadmin "\$@"
EOF
chmod 755 "$KZR_CUPSD_DIR/wrap/lpadmin"
export KZR_CUPSD_DIR PATH=$KZR_CUPSD_DIR/wrap:$PATH
"$@"
