#!/usr/bin/env bash
# Everything a change must pass: setup, build of the three trees, then the
# native unit tests (under sanitizers), the end-to-end scenarios under Wine
# and a short run of every fuzzer (KRED_FUZZ_SECONDS each, default 4).
# Ends with one line "N passed, M failed" over the ctest tests of all trees
# (a tree that does not build counts as one failure); exits non-zero on any.
set -uo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh"

JOBS=${KRED_JOBS:-2}
t0=$(date +%s)
passed=0
failed=0
notes=()

if ! bash "$KRED_ROOT/scripts/setup.sh"; then
  echo "setup failed"
  echo "0 passed, 1 failed"
  exit 1
fi

for tree in native win32 fuzz; do
  dir="$KRED_ROOT/build/$tree"
  echo
  echo "==== build/$tree: build ===="
  # Keep going past a broken target: what did build can still be tested.
  if ! bash "$KRED_ROOT/scripts/build.sh" "$tree"; then
    failed=$((failed + 1))
    notes+=("build/$tree: build FAILED")
    if [ -f "$dir/Makefile" ]; then
      cmake --build "$dir" -j "$JOBS" -- -k >/dev/null 2>&1
    fi
  fi
  if [ ! -f "$dir/CTestTestfile.cmake" ]; then
    notes+=("build/$tree: not configured, no tests run")
    continue
  fi

  echo
  echo "==== build/$tree: tests ===="
  log="$dir/ctest.log"
  (cd "$dir" && ctest --output-on-failure -j "$JOBS") 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    all=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + all - bad))
    failed=$((failed + bad))
    notes+=("build/$tree: $((all - bad)) passed, $bad failed")
  elif grep -q 'No tests were found' "$log"; then
    notes+=("build/$tree: no tests")
  else
    failed=$((failed + 1))
    notes+=("build/$tree: ctest gave no result (exit code $rc)")
  fi
done

# Let the Wine server of the prefix end, so that nothing is left running.
timeout 30 wineserver -w 2>/dev/null

t=$(($(date +%s) - t0))
echo
echo "==== summary ($((t / 60))m$((t % 60))s) ===="
for n in "${notes[@]}"; do
  echo "$n"
done
echo "$passed passed, $failed failed"
if [ "$failed" -gt 0 ] || [ "$passed" -eq 0 ]; then
  exit 1
fi
exit 0
