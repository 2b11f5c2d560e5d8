#!/usr/bin/env bash
# Checks that the host reports failures as it should:
#   1. host/tests/fails.scn runs with the stand-in library; each of its
#      "# want-fail: TEXT" lines must match one FAIL line of the run (and no
#      FAIL line may be left over), each "# want-out: TEXT" some output line;
#   2. each line of host/tests/script-errors.txt, a scenario line and the
#      error it must give, is read with --check-script (exit code 2).
# usage: run-fails.sh HOST_EXE OUT_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
host=$(realpath -m -- "$1")
out=$(realpath -m -- "$2")
bad=0
fail() {
  echo "run-fails: $*"
  bad=$((bad + 1))
}

bash "$KRED_ROOT/tests/e2e/run-scenario.sh" --clean "$host" "$here/fails.scn" \
  "$KRED_ROOT/data/demo.lvl" "$out" --dll testdll.dll >/dev/null 2>&1
rc=$?
log="$out/host.log"
[ "$rc" = 1 ] || fail "fails.scn: exit code $rc, expected 1"
grep -E '^FAIL ' "$log" >"$out/fails.txt"
nwant=0
while IFS= read -r want; do
  nwant=$((nwant + 1))
  grep -qF -- "$want" "$out/fails.txt" || fail "no FAIL line with: $want"
done < <(sed -n 's/^# want-fail: //p' "$here/fails.scn")
nfail=$(wc -l <"$out/fails.txt")
[ "$nfail" = "$nwant" ] || fail "fails.scn: $nfail FAIL lines, expected $nwant (see $log)"
while IFS= read -r want; do
  grep -qF -- "$want" "$log" || fail "no output line with: $want"
done < <(sed -n 's/^# want-out: //p' "$here/fails.scn")

kred_wine_prefix || exit 2
# A display of its own, as for a scenario: a Wine session started without
# one would leave the later runs of the session without windows.
trap kred_xvfb_stop EXIT
KRED_XVFB_LOG="$out/xvfb.log" kred_xvfb_start || exit 2
scn="$out/error.scn"
while IFS= read -r line; do
  case "$line" in '' | '#'*) continue ;; esac
  cmd=${line%% ||| *}
  want=${line#* ||| }
  printf '%s\n' "$cmd" >"$scn"
  # Into a file, not a pipe: a Wine server started here would inherit the
  # pipe and hold the command substitution open until it ends.
  wine "$host" --level "$(kred_winpath "$KRED_ROOT/data/demo.lvl")" \
    --script "$(kred_winpath "$scn")" --check-script >/dev/null 2>"$out/error.txt" </dev/null
  rc=$?
  msg=$(cat "$out/error.txt")
  [ "$rc" = 2 ] || fail "'$cmd': exit code $rc, expected 2"
  grep -qF -- "error.scn:1: $want" <<<"$msg" || fail "'$cmd': \"$msg\", expected \"$want\""
done <"$here/script-errors.txt"

if [ "$bad" -gt 0 ]; then
  echo "run-fails: $bad problems"
  exit 1
fi
echo "run-fails: all failures reported as expected"
