# shellcheck shell=bash
# Shared settings of the scripts: repository root, Wine prefix and private
# Xvfb displays. Source it from bash: . "$(dirname "$0")/wine-env.sh"

KRED_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

export WINEPREFIX="${KRED_WINEPREFIX:-$KRED_ROOT/build/wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: their installers would wait for a click nobody makes.
export WINEDLLOVERRIDES="mscoree,mshtml="

kred_log() { printf '[%s] %s\n' "$(basename "$0")" "$*"; }

# Runs a command as root: directly, through sudo, or not at all.
kred_as_root() {
  if [ "$(id -u)" = 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    kred_log "need root for: $*" >&2
    return 1
  fi
}

# Creates the Wine prefix when it is missing. A lock keeps parallel callers
# from building it twice.
kred_wine_prefix() {
  if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.kred-ready" ]; then
    return 0
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.kred-ready" ]; then
      exit 0
    fi
    local created=0
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      kred_log "creating the Wine prefix $WINEPREFIX"
      # Without a display wineboot skips its progress window.
      env -u DISPLAY wineboot -i >/dev/null 2>&1 || exit 1
      created=1
    fi
    # Xvfb has no window manager: an unmanaged driver does not wait for one
    # each time a window is hidden or destroyed.
    env -u DISPLAY wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      >/dev/null 2>&1 || exit 1
    # A new prefix: let the server write the registry to disk and end.
    [ "$created" = 0 ] || wineserver -w
    touch "$WINEPREFIX/.kred-ready"
  ) 9>"$WINEPREFIX.lock"
}

# Windows form of an absolute or relative Unix path, through drive Z:.
kred_winpath() {
  local p
  p=$(realpath -m -- "$1")
  printf 'Z:%s' "${p//\//\\}"
}

# Starts Xvfb on the first free display from KRED_XVFB_BASE (70) upward,
# exports DISPLAY and sets KRED_XVFB_PID. Two callers racing for the same
# number are sorted out by Xvfb's own lock file: the loser exits and we move on.
KRED_XVFB_PID=
kred_xvfb_start() {
  local n=${KRED_XVFB_BASE:-70}
  local last=$((n + 200)) pid lock
  while [ "$n" -lt "$last" ]; do
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
      n=$((n + 1))
      continue
    fi
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"${KRED_XVFB_LOG:-/dev/null}" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      lock=$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock" || true)
      if [ "$lock" = "$pid" ] && [ -S "/tmp/.X11-unix/X$n" ]; then
        if ! command -v xdpyinfo >/dev/null 2>&1 ||
          xdpyinfo -display ":$n" >/dev/null 2>&1; then
          KRED_XVFB_PID=$pid
          export DISPLAY=":$n"
          return 0
        fi
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    n=$((n + 1))
  done
  kred_log "no free X display found" >&2
  return 1
}

kred_xvfb_stop() {
  if [ -n "$KRED_XVFB_PID" ]; then
    kill "$KRED_XVFB_PID" 2>/dev/null
    wait "$KRED_XVFB_PID" 2>/dev/null
    KRED_XVFB_PID=
  fi
  return 0
}
