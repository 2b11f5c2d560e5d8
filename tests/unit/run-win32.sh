#!/usr/bin/env bash
# Runs a Windows unit-test program under Wine in the worktree's prefix.
# usage: tests/unit/run-win32.sh PROGRAM.exe [GTEST_ARGS...]
set -euo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/../../scripts/wine-env.sh"
kred_wine_prefix
exe=$1
shift
# A console program: no display needed.
exec env -u DISPLAY wine "$exe" --gtest_color=no "$@"
