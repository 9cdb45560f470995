# A private CUPS scheduler for tests and the demo: its own configuration,
# filter and backend folders and a Unix socket in a temporary folder, the
# queue's PPD, filter and backend installed as root-owned copies, and the
# ZR queue added with the same lpadmin command line the USB daemon uses.
# Source this file, then:
#   kzr_cupsd_start PPD FILTER BACKEND [OTHER_BACKEND...]
#                                        start; sets KZR_CUPSD_DIR, exports
#                                        the client environment
#   kzr_backend_config LINE...           settings of the stand-in backend
#   kzr_add_queue SERIAL [N]             queue KORVANE-ZR or KORVANE-ZR-N
#   kzr_add_foreign_queue NAME           a queue behind another backend
#   kzr_print QUEUE FILE [lp options]    prints; the job id on stdout
#   kzr_wait_job ID [SECONDS]            0 once completed, 1 otherwise
#   kzr_job_state ID                     "state,reasons" of a job, now
#   kzr_job_stream ID                    path of the stream the backend got
#   kzr_cupsd_stop                       stop and remove everything (also
#                                        runs on exit)
# Root is needed: the scheduler runs filters as lp and backends as root.
# shellcheck shell=bash

KZR_CUPSD_DIR=
KZR_CUPSD_PID=
KZR_SERIAL_URI_PREFIX='korvane-zvobackend://KORVANE/ZR?serial='

_kzr_write_conf() {
  local d=$1
  cat >"$d/etc/cupsd.conf" <<CONF
LogLevel debug
MaxLogSize 0
Listen $d/cups.sock
Browsing Off
BrowseLocalProtocols none
DefaultShared No
WebInterface No
# A failed job must end at once as aborted; the stock retry-job policy would
# hold it for minutes.
ErrorPolicy abort-job
JobRetryLimit 0
DirtyCleanInterval 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer CUPS-Add-Modify-Class CUPS-Delete-Class CUPS-Set-Default CUPS-Get-Devices Pause-Printer Resume-Printer Enable-Printer Disable-Printer CUPS-Accept-Jobs CUPS-Reject-Jobs Set-Printer-Attributes>
    AuthType Default
    Require user @SYSTEM
    Order deny,allow
  </Limit>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$d/etc/cups-files.conf" <<CONF
ServerRoot $d/etc
ServerBin $d/bin
DataDir $d/data
CacheDir $d/cache
StateDir $d/state
RequestRoot $d/spool
TempDir $d/spool/tmp
DocumentRoot /usr/share/cups/doc-root
AccessLog $d/log/access_log
ErrorLog $d/log/error_log
PageLog $d/log/page_log
Printcap $d/printcap
SystemGroup root
SetEnv KZR_BACKEND_CONFIG $d/backend.conf
CONF
}

# Programs CUPS runs must be root-owned copies in root-owned folders that
# nobody else can write to; anything else leaves jobs stuck in
# processing-stopped with a misleading error.
_kzr_install_programs() {
  local d=$1 filter=$2 backend=$3 f
  shift 3
  mkdir -p "$d/bin/filter" "$d/bin/backend"
  for f in "$@"; do install -o root -g root -m 0755 "$f" "$d/bin/backend/"; done
  for f in daemon cgi-bin notifier monitor; do ln -s "/usr/lib/cups/$f" "$d/bin/$f"; done
  # The stock converters turn JPEG and PDF into raster for our filter.
  for f in /usr/lib/cups/filter/*; do ln -s "$f" "$d/bin/filter/"; done
  install -o root -g root -m 0755 "$filter" "$d/bin/filter/korvane_zr_filter"
  # Mode 0700 makes CUPS run the backend as root, as a USB backend runs.
  install -o root -g root -m 0700 "$backend" "$d/bin/backend/korvane-zvobackend"
  mkdir -p "$d/data/model"
  for f in /usr/share/cups/*; do
    [[ $(basename "$f") == model ]] || ln -s "$f" "$d/data/"
  done
}

kzr_cupsd_start() {
  local ppd=$1 filter=$2 backend=$3 d
  shift 3
  d=$(mktemp -d "${TMPDIR:-/tmp}/kzr-cupsd.XXXXXX") || return 1
  chmod 755 "$d"
  KZR_CUPSD_DIR=$d
  # Signals end the script through exit, so the EXIT trap stops cupsd too.
  trap kzr_cupsd_stop EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  mkdir -p "$d/etc/ppd" "$d/cache" "$d/state" "$d/spool/tmp" "$d/log" "$d/out"
  _kzr_write_conf "$d"
  _kzr_install_programs "$d" "$filter" "$backend" "$@"
  install -m 0644 "$ppd" "$d/data/model/KORVANE_ZR.ppd"
  kzr_backend_config
  export CUPS_SERVER=$d/cups.sock CUPS_SERVERROOT=$d/etc HOME=$d
  cupsd -f -c "$d/etc/cupsd.conf" -s "$d/etc/cups-files.conf" &
  KZR_CUPSD_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    [[ "$(lpstat -r 2>/dev/null)" == "scheduler is running" ]] && return 0
    kill -0 "$KZR_CUPSD_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "private cupsd did not start; its log:" >&2
  tail -n 30 "$d/log/error_log" >&2 2>/dev/null
  return 1
}

# Settings of the stand-in backend for the next jobs; the stream always
# goes to the scheduler's out/ folder. Without arguments: no media size.
kzr_backend_config() {
  { echo "output_dir=$KZR_CUPSD_DIR/out"; printf '%s\n' "$@"; } >"$KZR_CUPSD_DIR/backend.conf"
}

# The queue exactly as the USB daemon registers it, through the shell.
kzr_add_queue() {
  local serial=$1 n=${2:-} cmd
  if [[ -z $n ]]; then
    cmd="lpadmin -p KORVANE-ZR -E -D \"KORVANE ZR\" -m KORVANE_ZR.ppd -v $KZR_SERIAL_URI_PREFIX$serial -o printer-is-shared=false -o print-scaling-default=fill"
  else
    cmd="lpadmin -p KORVANE-ZR-$n -E -D \"KORVANE ZR $n\" -m KORVANE_ZR.ppd -v $KZR_SERIAL_URI_PREFIX$serial -o printer-is-shared=false -o print-scaling-default=fill"
  fi
  # lpadmin warns that PPD models are deprecated; only other output matters.
  sh -c "$cmd" </dev/null 2>&1 | { grep -v -i deprecated >&2 || true; }
  return "${PIPESTATUS[0]}"
}

# kzr_add_foreign_queue NAME: a queue of our PPD behind a backend of another
# scheme (the stand-in installed as "zrforeign"), which never announces jobs.
kzr_add_foreign_queue() {
  install -o root -g root -m 0700 "$KZR_CUPSD_DIR/bin/backend/korvane-zvobackend" \
    "$KZR_CUPSD_DIR/bin/backend/zrforeign"
  lpadmin -p "$1" -E -m KORVANE_ZR.ppd -v "zrforeign://printer" -o print-scaling-default=fill 2>&1 |
    { grep -v -i deprecated >&2 || true; }
  return "${PIPESTATUS[0]}"
}

kzr_print() {
  local queue=$1 file=$2 reply; shift 2
  reply=$(lp -d "$queue" "$@" "$file" </dev/null) || return 1
  # "request id is QUEUE-12 (1 file(s))"
  reply=${reply#request id is "$queue"-}
  echo "${reply%% *}"
}

kzr_job_state() {
  local sock=${KZR_CUPSD_DIR//\//%2F}
  ipptool -c "ipp://$sock%2Fcups.sock/jobs/$1" \
    -d "job=$1" "$(dirname "${BASH_SOURCE[0]}")/job-state.test" 2>/dev/null | tail -n 1
}

# Older name, still used by scripts written against the first version.
_kzr_job_state() { kzr_job_state "$@"; }

kzr_wait_job() {
  local id=$1 limit=${2:-120} deadline state
  deadline=$((SECONDS + limit))
  while ((SECONDS < deadline)); do
    state=$(kzr_job_state "$id")
    case $state in
      completed*) return 0 ;;
      aborted* | canceled* | processing-stopped*)
        echo "job $id ended as: $state" >&2; _kzr_log_tail; return 1 ;;
    esac
    sleep 0.25
  done
  echo "job $id did not complete within ${limit}s (last state: $state)" >&2
  _kzr_log_tail
  return 1
}

_kzr_log_tail() {
  grep -E '\[Job|E \[' "$KZR_CUPSD_DIR/log/error_log" 2>/dev/null | grep -vE 'D \[' | tail -n 20 >&2
}

kzr_job_stream() { echo "$KZR_CUPSD_DIR/out/job-$1.zr"; }

kzr_cupsd_stop() {
  # Every step tolerates failure: this runs from an EXIT trap, also in
  # callers that use set -e, and must always get to the clean-up.
  if [[ -n $KZR_CUPSD_PID ]]; then
    kill -TERM "$KZR_CUPSD_PID" 2>/dev/null || true
    local i
    for ((i = 0; i < 100; i++)); do
      kill -0 "$KZR_CUPSD_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$KZR_CUPSD_PID" 2>/dev/null || true
    wait "$KZR_CUPSD_PID" 2>/dev/null || true
    KZR_CUPSD_PID=
  fi
  if [[ -n $KZR_CUPSD_DIR && -d $KZR_CUPSD_DIR ]]; then
    rm -rf "$KZR_CUPSD_DIR" || true
  fi
  KZR_CUPSD_DIR=
}
