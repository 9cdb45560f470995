# Runs the calling script (a test, the demo, a soak) in a mount namespace of
# its own with an empty tmpfs on /tmp. The programs share files in /tmp by
# fixed names; a private /tmp keeps runs from seeing each other's files
# (CTest runs tests in parallel) or the machine's. Needs root, as CI has.
# shellcheck shell=bash

# kzr_private_tmp "$0" "$@": re-executes the script inside the namespace
# (once) and returns there; the outer call never returns.
kzr_private_tmp() {
  if [[ "${KZR_PRIVATE_TMP:-}" != 1 ]]; then
    if [[ $(id -u) -ne 0 ]]; then
      echo "this test needs root for a private /tmp (unshare -m)" >&2
      exit 1
    fi
    # The shared wrapper also carries a checkout or build tree that lies
    # under /tmp into the private one.
    KZR_PRIVATE_TMP=1 exec sh "$(dirname "${BASH_SOURCE[0]}")/with_private_tmp.sh" "$BASH" "$@"
  fi
}
