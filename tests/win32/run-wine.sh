#!/usr/bin/env bash
# Runs a Windows console program under Wine in the worktree's prefix, on an
# Xvfb display of its own like every scenario, and passes its exit code
# through. A Wine process started without a display would leave the prefix's
# desktop without one, and the windows of every scenario running beside it
# would fail.
#
# usage: run-wine.sh PROGRAM.exe [ARGS...]
set -uo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/../../scripts/wine-env.sh"

[ $# -ge 1 ] || {
  sed -n '8p' "$0" >&2
  exit 2
}
kred_wine_prefix || exit 2
log=$(mktemp)
# shellcheck disable=SC2317 # called by the trap
rw_cleanup() {
  kred_xvfb_stop
  rm -f -- "$log"
}
trap rw_cleanup EXIT
trap 'exit 143' TERM INT HUP
kred_xvfb_start || exit 2
# Output to a file, not the caller's pipe: a Wine server started by this run
# would inherit the pipe and keep the caller waiting.
timeout -k 5 90 wine "$@" </dev/null >"$log" 2>&1
rc=$?
cat -- "$log"
exit "$rc"
