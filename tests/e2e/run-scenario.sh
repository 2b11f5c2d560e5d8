#!/usr/bin/env bash
# Runs one scenario with the replacement host under Wine, on an Xvfb display
# of its own, and passes the host's exit code through (124: timed out).
#
# usage: run-scenario.sh [--clean] [--show] [--timeout SECONDS]
#                        HOST_EXE SCENARIO LEVEL OUT_DIR [HOST_ARGS...]
#
#   --clean    empty OUT_DIR first
#   --show     use the current $DISPLAY instead of a private Xvfb
#   --timeout  limit of the host run (default 100 s)
# A scenario whose first lines say "# level: PATH" (PATH relative to the
# repository) runs on that level instead of LEVEL. The host runs in OUT_DIR,
# its output is also kept in OUT_DIR/host.log.
set -uo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/../../scripts/wine-env.sh"

clean=0
show=0
limit=100
while [ $# -gt 0 ]; do
  case "$1" in
  --clean) clean=1 ;;
  --show) show=1 ;;
  --timeout)
    limit=$2
    shift
    ;;
  --) ;;
  -*)
    echo "run-scenario.sh: unknown option $1" >&2
    exit 2
    ;;
  *) break ;;
  esac
  shift
done
if [ $# -lt 4 ]; then
  sed -n '5,6p' "$0" >&2
  exit 2
fi
host=$(realpath -m -- "$1")
scenario=$(realpath -m -- "$2")
level=$(realpath -m -- "$3")
out=$(realpath -m -- "$4")
shift 4
[ "${1:-}" != "--" ] || shift

for f in "$host" "$scenario"; do
  if [ ! -f "$f" ]; then
    echo "run-scenario.sh: missing $f" >&2
    exit 2
  fi
done

named=$(head -n 10 "$scenario" | sed -n 's/^#[[:space:]]*level:[[:space:]]*\([^[:space:]]*\).*/\1/p' | head -n 1)
if [ -n "$named" ]; then
  level=$(realpath -m -- "$KRED_ROOT/$named")
fi

if [ "$clean" = 1 ]; then
  case "$out" in
  / | "$KRED_ROOT" | "$HOME")
    echo "run-scenario.sh: will not empty $out" >&2
    exit 2
    ;;
  esac
  rm -rf -- "$out"
fi
mkdir -p -- "$out"
cd -- "$out" || exit 2

kred_wine_prefix || {
  echo "run-scenario.sh: no Wine prefix at $WINEPREFIX" >&2
  exit 2
}

if [ "$show" = 1 ]; then
  if [ -z "${DISPLAY:-}" ]; then
    echo "run-scenario.sh: --show needs DISPLAY" >&2
    exit 2
  fi
fi
pid=
# shellcheck disable=SC2317 # called by the trap
rs_cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null
  kred_xvfb_stop
}
trap rs_cleanup EXIT
trap 'exit 143' TERM INT HUP
if [ "$show" = 0 ]; then
  KRED_XVFB_LOG="$out/xvfb.log" kred_xvfb_start || exit 2
fi

echo "scenario $scenario"
echo "level    $level"
echo "output   $out (display $DISPLAY)"

# The host's own watchdog goes first, so that it can report where it hung.
# Its output goes to a file, not a pipe: Wine's background processes, which
# the first client of a Wine server starts, inherit the descriptors and would
# hold a pipe open for as long as the server runs.
log="$out/host.log"
rs_run() {
  : >"$log"
  timeout -k 5 "$limit" wine "$host" --timeout $((limit > 20 ? limit - 10 : limit)) \
    --level "$(kred_winpath "$level")" --script "$(kred_winpath "$scenario")" \
    --out "$(kred_winpath "$out")" "$@" </dev/null >"$log" 2>&1 &
  pid=$!
  tail -n +1 -s 0.1 -f --pid="$pid" "$log"
  wait "$pid"
  rc=$?
  pid=
}

rs_run "$@"
# Wine's X11 driver now and then ends the process on an X protocol error
# (BadWindow on a window that another of its connections has just
# destroyed) when windows close under heavy load. That is the platform, not
# the scenario: run it once more (from an emptied output folder with
# --clean), and say so.
if [ "$rc" != 0 ] && grep -q '^X Error of failed request' "$log"; then
  echo "NOTE: Wine's X11 driver ended the host on an X error; running the scenario again"
  cp "$log" "$out/host-x-error.log"
  if [ "$clean" = 1 ]; then
    find "$out" -mindepth 1 -maxdepth 1 ! -name host-x-error.log ! -name xvfb.log -exec rm -rf -- {} +
  fi
  rs_run "$@"
fi
if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
  echo "TIMEOUT: the host did not finish within $limit s"
fi
exit "$rc"
