#!/usr/bin/env bash
# Runs one fuzz harness under CTest.
#   run_short.sh replay HARNESS DIR...      every file in the folders once
#   run_short.sh short HARNESS RUNS WORK DIR...
#                                           a fixed number of new mutations,
#                                           starting from the folders' inputs
# A fixed seed keeps the short run repeatable; what it finds goes to WORK,
# never into the source tree.
set -euo pipefail
# libcups reserves a line buffer of whatever size a page header states
# before our own header check sees it; a system with bounded memory refuses
# such a request and the filter reports the page unreadable. The harnesses
# run the same way instead of spending minutes clearing gigabytes.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_may_return_null=1:max_allocation_size_mb=2048
mode=$1 harness=$2
shift 2
case $mode in
  replay)
    files=()
    for dir in "$@"; do
      [[ -d $dir ]] || continue
      while IFS= read -r -d '' f; do files+=("$f"); done < <(find "$dir" -type f ! -name '*.md' -print0 | sort -z)
    done
    (( ${#files[@]} > 0 )) || { echo "no inputs to replay" >&2; exit 1; }
    echo "replaying ${#files[@]} inputs"
    exec "$harness" -rss_limit_mb=4096 "${files[@]}"
    ;;
  short)
    runs=$1 work=$2
    shift 2
    rm -rf "$work"
    mkdir -p "$work"
    dirs=()
    for dir in "$@"; do [[ -d $dir ]] && dirs+=("$dir"); done
    exec "$harness" -runs="$runs" -seed=1 -max_total_time=600 -timeout=30 -rss_limit_mb=4096 \
      -artifact_prefix="$work/" "$work" "${dirs[@]}"
    ;;
  *) echo "usage: $0 replay|short ..." >&2; exit 2 ;;
esac
