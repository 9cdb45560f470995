#!/bin/sh
# Runs a command against a private CUPS scheduler with three queues: two of
# ZR printers and one of another printer. Call inside a private /tmp.
# Usage: with_cupsd.sh STANDIN-DIR COMMAND...
set -eu
standin=$1
shift
dir=$(mktemp -d /tmp/cupsd.XXXXXX)
chmod 755 "$dir"
mkdir -p "$dir/etc/ppd" "$dir/bin/backend" "$dir/bin/filter" "$dir/data" "$dir/cache" \
         "$dir/state" "$dir/spool" "$dir/spool/tmp" "$dir/log" "$dir/doc"
for sub in daemon cgi-bin notifier monitor; do
    [ -e "/usr/lib/cups/$sub" ] && ln -s "/usr/lib/cups/$sub" "$dir/bin/$sub"
done
for entry in /usr/share/cups/*; do
    [ "$(basename "$entry")" = model ] || ln -s "$entry" "$dir/data/"
done
mkdir -p "$dir/data/model"
# Backends must be root-owned copies, not links into the source tree.
install -m 0755 "$standin/korvane-zvobackend" "$standin/otherbackend" "$dir/bin/backend/"

cat > "$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
ServerBin $dir/bin
DataDir $dir/data
CacheDir $dir/cache
StateDir $dir/state
RequestRoot $dir/spool
TempDir $dir/spool/tmp
DocumentRoot $dir/doc
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
SystemGroup root
CONF
cat > "$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
Browsing Off
BrowseLocalProtocols none
DefaultShared No
WebInterface No
ErrorPolicy abort-job
JobRetryLimit 0
DirtyCleanInterval 0
LogLevel warn
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer CUPS-Add-Modify-Class CUPS-Delete-Class CUPS-Set-Default>
    Require user @SYSTEM
    Order deny,allow
  </Limit>
</Policy>
CONF

cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" &
pid=$!
stop() {
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
trap stop EXIT

export CUPS_SERVER="$dir/cups.sock" CUPS_SERVERROOT="$dir/etc" HOME="$dir"
tries=0
until [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || { echo "private cupsd did not start" >&2; exit 1; }
    sleep 0.1
done

add() {
    lpadmin -p "$1" -E -v "$2" </dev/null >/dev/null 2>&1 || { echo "lpadmin $1 failed" >&2; exit 1; }
}
add KORVANE-ZR "korvane-zvobackend://KORVANE/ZR?serial=A1234"
add Office-Laser "otherbackend://office/laser?serial=A1234"
add KORVANE-ZR-2 "korvane-zvobackend://KORVANE/ZR?serial=B5678"

"$@"
