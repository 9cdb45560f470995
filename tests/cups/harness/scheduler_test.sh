# The start every scheduler test shares: source it with the test's "$0" and
# arguments. It moves the test into a private /tmp (once), then loads the
# checks, the private scheduler, the test documents, the media table and the
# expected prints. `here` is the folder of the scheduler tests.
#   source "$(dirname "$0")/harness/scheduler_test.sh" "$0" "$@"
# shellcheck shell=bash

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$here/../../scripts/lib/private_tmp.sh"
kzr_private_tmp "$@"
source "$here/../../scripts/lib/checks.sh"
source "$here/../../scripts/lib/cupsd.sh"
source "$here/harness/inputs.sh"
source "$here/harness/media.sh"
source "$here/harness/expect.sh"
