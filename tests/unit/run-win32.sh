#!/usr/bin/env bash
# Runs a Windows unit-test program under Wine in the worktree's prefix.
# usage: tests/unit/run-win32.sh PROGRAM.exe [GTEST_ARGS...]
set -uo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/../../scripts/wine-env.sh"
kred_wine_prefix || exit 2
exe=$1
shift

# The end-to-end tests share the prefix's Wine server, whose background
# processes the first client starts: they must meet an X display, as the
# scenarios' windows need one, so the program gets its own Xvfb too.
log=$(mktemp)
# shellcheck disable=SC2317 # called by the trap
rw_cleanup() {
  kred_xvfb_stop
  rm -f -- "$log"
}
trap rw_cleanup EXIT
trap 'exit 143' TERM INT HUP
kred_xvfb_start || exit 2

# Output to a file, not ctest's pipe: those background processes inherit
# the descriptors and would hold a pipe open for as long as the server runs.
timeout -k 5 240 wine "$exe" --gtest_color=no "$@" </dev/null >"$log" 2>&1
rc=$?
tr -d '\r' <"$log"
exit "$rc"
