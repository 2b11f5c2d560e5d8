#!/usr/bin/env bash
# Longer fuzzing on demand: builds build/fuzz and runs every fuzzer (or the
# ones named) for SECONDS each, one after the other. New inputs collect in
# build/fuzz/tests/fuzz/work/NAME/corpus; copy the interesting ones into
# tests/fuzz/corpus/NAME to keep them as seeds.
#
# usage: scripts/fuzz.sh SECONDS [NAME...]     e.g. scripts/fuzz.sh 600 flagnames
set -uo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh"

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  sed -n '7p' "$0" >&2
  exit 2
fi
seconds=$1
shift

bash "$KRED_ROOT/scripts/setup.sh" || exit 1
bash "$KRED_ROOT/scripts/build.sh" fuzz || exit 1

bin="$KRED_ROOT/build/fuzz/tests/fuzz"
names=("$@")
if [ "${#names[@]}" -eq 0 ]; then
  for src in "$KRED_ROOT"/tests/fuzz/*_fuzz.cpp; do
    [ -e "$src" ] || continue
    n=$(basename "$src" .cpp)
    names+=("${n%_fuzz}")
  done
fi

passed=0
failed=0
for name in "${names[@]}"; do
  echo
  echo "==== fuzz_$name: $seconds s ===="
  if [ ! -x "$bin/${name}_fuzz" ]; then
    echo "no fuzzer $name (tests/fuzz/${name}_fuzz.cpp)"
    failed=$((failed + 1))
    continue
  fi
  if bash "$KRED_ROOT/tests/fuzz/run-fuzzer.sh" "$bin/${name}_fuzz" "$name" "$seconds" "$bin/work"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done
echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
