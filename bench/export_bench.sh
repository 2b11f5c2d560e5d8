#!/usr/bin/env bash
# Times "&Add Whole Level to Fixup File" plus "Save &Fixup File" through the
# real library under Wine, on a generated level (default 20000 sectors of 10
# walls). The host prints each scenario line as it starts it; the time from
# the export command's line to the line after the save is the figure.
#
# usage: bench/export_bench.sh [--host HOST_EXE] [--out DIR] [SECTORS WALLS]
set -uo pipefail
. "$(dirname "$0")/../scripts/wine-env.sh"

host="$KRED_ROOT/build/win32/bin/kredhost.exe"
out="${TMPDIR:-/tmp}/kred_export_bench"
while [ $# -gt 0 ]; do
  case "$1" in
  --host)
    host=$2
    shift 2
    ;;
  --out)
    out=$2
    shift 2
    ;;
  *) break ;;
  esac
done
sectors=${1:-20000}
walls=${2:-10}
limit_ms=${KRED_EXPORT_LIMIT_MS:-3000}
scenario="$KRED_ROOT/tests/e2e/bench_export.scn"

host=$(realpath -m -- "$host")
out=$(realpath -m -- "$out")
if [ ! -f "$host" ]; then
  echo "export_bench.sh: no host at $host (build the win32 tree first)" >&2
  exit 2
fi
rm -rf -- "$out"
mkdir -p -- "$out"
cd -- "$out" || exit 2
kred_wine_prefix || exit 2
if [ -z "${KRED_BENCH_SHOW:-}" ]; then
  trap kred_xvfb_stop EXIT
  KRED_XVFB_LOG="$out/xvfb.log" kred_xvfb_start || exit 2
fi

# Stamp every host line with the time it arrived (the host flushes each one).
wine "$host" --gen-level "$sectors" "$walls" --script "$(kred_winpath "$scenario")" \
  --out "$(kred_winpath "$out")" 2>&1 |
  while IFS= read -r line; do
    line=${line%$'\r'}
    printf '%s %s\n' "$EPOCHREALTIME" "$line"
  done >"$out/host.log"
rc=${PIPESTATUS[0]}
sed 's/^[0-9.]* //' "$out/host.log"

t_export=$(awk '$3 == "command" && $5 == "1140" { print $1; exit }' "$out/host.log")
t_save=$(awk '$3 == "command" && $5 == "1050" { print $1; exit }' "$out/host.log")
t_after=$(awk -v s="$t_save" 'f { print $1; exit } $1 == s && $5 == "1050" { f = 1 }' "$out/host.log")
if [ "$rc" != 0 ] || [ -z "$t_export" ] || [ -z "$t_after" ]; then
  echo "export_bench.sh: the run failed (host exit code $rc)"
  exit 1
fi
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%d", (b - a) * 1000 }'; }
total=$(ms "$t_export" "$t_after")
size=$(stat -c %s "$out/generated.NFU" 2>/dev/null || echo 0)
echo "export $(ms "$t_export" "$t_save") ms + save $(ms "$t_save" "$t_after") ms = $total ms" \
  "($sectors sectors x $walls walls, $size bytes; limit $limit_ms ms)"
[ "$total" -lt "$limit_ms" ]
