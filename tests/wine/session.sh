#!/usr/bin/env bash
# Runs a command inside a Wine session of one build tree and tears the session down afterwards,
# whatever the command's outcome:
#   tests/wine/session.sh BUILD_DIR COMMAND [ARGS...]
# The session is an Xvfb of its own (unless DISPLAY is set), the tree's private prefix and a
# persistent, warmed wineserver. Wine's own services are started here, before the command, so
# that they never hold on to the pipes of ctest or of a test (which would make ctest -j hang).
# The command sees WINEPREFIX, DISPLAY, NIMBREL_BUILD_DIR and NIMBREL_WINE_RUN (the wine-run
# wrapper), so a script can start the widget and drive it with xdotool on the same display.
# Its exit status is the command's.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"

if (($# < 2)); then
  echo "usage: $0 BUILD_DIR COMMAND [ARGS...]" >&2
  exit 2
fi
build_dir=$(mkdir -p "$1" && cd "$1" && pwd) || exit 2
shift
session_file=$build_dir/wine-session.env

# A session of this tree already running (a test, or a hand run next to scripts/test.sh) is
# joined rather than duplicated: one prefix cannot have two wineservers.
if ! nimbrel_in_session "$build_dir" && [ -f "$session_file" ]; then
  { read -r owner && read -r owner_display; } <"$session_file"
  # The file outlives a session that was killed outright, and its pid may have been reused.
  if grep -qs session.sh "/proc/${owner:-0}/cmdline"; then
    export NIMBREL_WINE_SESSION=$owner DISPLAY=$owner_display NIMBREL_BUILD_DIR=$build_dir
  fi
fi
if nimbrel_in_session "$build_dir"; then
  nimbrel_wine_env "$build_dir"
  export NIMBREL_WINE_RUN=$here/wine-run
  exec "$@"
fi
nimbrel_wine_env "$build_dir"

xvfb_pid='' server_pid='' keeper_pid='' explorer_pid='' command_pid='' display_file=''
keeper_fifo=$build_dir/wine-session.keeper

stop_pid() {
  local pid=$1 deadline=$((SECONDS + 10))
  kill -TERM "$pid" 2>/dev/null
  while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

# wineserver -k ends every Wine process of this prefix, the session's own and any a test left.
stop_wine() {
  local deadline=$((SECONDS + 10))
  "$NIMBREL_WINESERVER" -k >/dev/null 2>&1
  while kill -0 "$server_pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
  local pid
  for pid in "$keeper_pid" "$explorer_pid" "$server_pid"; do
    [ -n "$pid" ] && stop_pid "$pid"
  done
}

teardown() {
  trap - EXIT INT TERM HUP
  [ -n "$command_pid" ] && stop_pid "$command_pid"
  if [ -n "$server_pid" ]; then
    rm -f "$session_file"
    stop_wine
  fi
  rm -f "$keeper_fifo"
  [ -n "$xvfb_pid" ] && stop_pid "$xvfb_pid"
  [ -n "$display_file" ] && rm -f "$display_file"
}

on_signal() {
  teardown
  exit $((128 + $1))
}
trap teardown EXIT
trap 'on_signal 1' HUP
trap 'on_signal 2' INT
trap 'on_signal 15' TERM

wait_until() {
  local what=$1 deadline=$((SECONDS + 15))
  shift
  until "$@"; do
    if ((SECONDS >= deadline)); then
      nimbrel_log "$what did not start (see $build_dir/wine.log and xvfb.log)"
      return 1
    fi
    sleep 0.1
  done
}

start_xvfb() {
  display_file=$(mktemp)
  # -displayfd: Xvfb picks a free display itself and reports it once it accepts clients.
  Xvfb -displayfd 3 -screen 0 "$NIMBREL_SCREEN" -nolisten tcp 3>"$display_file" \
    </dev/null >>"$build_dir/xvfb.log" 2>&1 8>&- &
  xvfb_pid=$!
  wait_until Xvfb test -s "$display_file" || return 1
  export DISPLAY=:$(head -n 1 "$display_file")
}

# Long-lived Wine processes of the session: no timeout, and nothing of ours handed down.
start_detached() {
  LC_ALL=$NIMBREL_WINE_LOCALE "$NIMBREL_WINE_LOADER" "$@" >>"$build_dir/wine.log" 2>&1 8>&- &
}

explorer_has_windows() {
  xwininfo -root -tree 2>/dev/null | grep -q '("explorer.exe" "explorer.exe")'
}

# Wine closes the desktop a second after its last user leaves, and the next GUI program then
# starts explorer.exe /desktop itself, handing it its own stderr: ctest then waits for that
# explorer to exit before it sees the test end. So explorer is started here, with the
# session's output, and an idle cmd.exe stays on the desktop to keep it open.
start_desktop() {
  rm -f "$keeper_fifo"
  mkfifo "$keeper_fifo" || return 1
  start_detached cmd.exe <>"$keeper_fifo"
  keeper_pid=$!
  start_detached explorer.exe /desktop </dev/null
  explorer_pid=$!
  wait_until "explorer.exe /desktop" explorer_has_windows
}

start_wine() {
  "$NIMBREL_WINESERVER" -f -p </dev/null >>"$build_dir/wine.log" 2>&1 8>&- &
  server_pid=$!
  # The first client brings up services, plugplay and rpcss; they stay for the whole session.
  nimbrel_wine_quiet "$NIMBREL_WINE_LOADER" wineboot || {
    nimbrel_log "wineboot failed (see $build_dir/wine.log)"
    return 1
  }
  # With no window manager on our own Xvfb, Wine must place and focus windows itself;
  # "managed" windows would get no keyboard input and take 2 s each to be destroyed.
  nimbrel_window_manager "$([ -n "$xvfb_pid" ] && echo N || echo Y)" || return 1
  start_desktop
}

write_session_file() {
  printf '%s\n%s\n' "$$" "$DISPLAY" >"$session_file"
}

# Sessions of one tree follow each other; the lock is not handed down to anything started.
exec 8>"$build_dir/wine-session.lock"
flock -w 3600 8 || { nimbrel_log "another session of $build_dir does not end"; exit 1; }

# A DISPLAY that no X server answers (a stale variable) is as good as none.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  start_xvfb || exit 1
fi
nimbrel_prefix_ensure || { nimbrel_log "no usable prefix (see $build_dir/wine.log)"; exit 1; }
start_wine || exit 1
write_session_file
export NIMBREL_WINE_SESSION=$$ NIMBREL_WINE_RUN=$here/wine-run

# In the background so that a signal reaches the trap at once instead of after the command;
# with the caller's input handed on explicitly, since background jobs would get /dev/null.
{ : <&0; } 2>/dev/null || exec </dev/null
"$@" <&0 8>&- &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=''
exit "$status"
