#!/usr/bin/env bash
# Runs one libFuzzer fuzzer for a bounded time.
#
# usage: run-fuzzer.sh FUZZER_EXE NAME SECONDS WORK_DIR
#
# The committed seeds in tests/fuzz/corpus/NAME are read, never written: new
# inputs go to WORK_DIR/NAME/corpus, and a crashing, hanging or leaking
# input to WORK_DIR/NAME/artifacts, whose path is printed.
set -uo pipefail

if [ $# -ne 4 ]; then
  sed -n '4p' "$0" >&2
  exit 2
fi
exe=$1
name=$2
seconds=$3
work=$4/$name
seeds=$(cd "$(dirname "$0")" && pwd)/corpus/$name

mkdir -p "$work/corpus" "$work/artifacts"
dirs=("$work/corpus")
[ -d "$seeds" ] && dirs+=("$seeds")

# A single input that takes more than 10 s counts as a hang.
"$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "${dirs[@]}" 2>&1 | tail -n 80
rc=${PIPESTATUS[0]}
if [ "$rc" -ne 0 ]; then
  echo "fuzz_$name FAILED (exit code $rc); inputs kept in $work/artifacts:"
  ls -l "$work/artifacts"
fi
exit "$rc"
