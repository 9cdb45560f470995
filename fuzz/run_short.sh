#!/usr/bin/env bash
# Runs one fuzz harness under CTest.
#   run_short.sh replay HARNESS DIR...      every file in the folders once
#   run_short.sh short HARNESS RUNS WORK DIR...
#                                           a fixed number of new mutations,
#                                           starting from the folders' inputs
# A fixed seed keeps the short run repeatable; what it finds goes to WORK,
# never into the source tree.
set -euo pipefail
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
    exec "$harness" -rss_limit_mb=4096 -malloc_limit_mb=8192 "${files[@]}"
    ;;
  short)
    runs=$1 work=$2
    shift 2
    rm -rf "$work"
    mkdir -p "$work"
    dirs=()
    for dir in "$@"; do [[ -d $dir ]] && dirs+=("$dir"); done
    exec "$harness" -runs="$runs" -seed=1 -max_total_time=600 -timeout=30 -rss_limit_mb=4096 -malloc_limit_mb=8192 \
      -artifact_prefix="$work/" "$work" "${dirs[@]}"
    ;;
  *) echo "usage: $0 replay|short ..." >&2; exit 2 ;;
esac
