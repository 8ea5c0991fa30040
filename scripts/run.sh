#!/usr/bin/env bash
# The project's run command: builds the widget, lays it out in build/run/ beside a boot.ini
# and starts it under Wine, then saves a screenshot to build/run/screenshot.png.
# With DISPLAY set the widget appears there and keeps running; without, it runs in an Xvfb of
# its own and is stopped, together with that Xvfb, once the screenshot is taken.
# The run directory has a Wine prefix of its own, so a run never disturbs a test session.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tests/wine/common.sh"
run_dir=$root/build/run
exe_name=Nimbrel.exe
screenshot=$run_dir/screenshot.png
# Long enough for the window to appear and the page request to be made.
settle_seconds=${NIMBREL_RUN_SETTLE:-8}

take_screenshot() {
  /usr/bin/import -window root "$screenshot" && echo "run: screenshot saved to $screenshot"
}

# Runs inside the session that the Xvfb case sets up around this script.
show_in_session() {
  cd "$run_dir" || return 1
  "$NIMBREL_WINE_RUN" "$run_dir/$exe_name" </dev/null >>"$run_dir/widget.log" 2>&1 &
  local widget=$!
  sleep "$settle_seconds"
  take_screenshot
  local status=$?
  kill -0 "$widget" 2>/dev/null || { echo "run: the widget exited early (see widget.log)"; status=1; }
  kill -TERM "$widget" 2>/dev/null
  wait "$widget" 2>/dev/null
  return "$status"
}

show_on_display() {
  nimbrel_wine_env "$run_dir"
  nimbrel_prefix_ensure || return 1
  nimbrel_window_manager Y || return 1
  cd "$run_dir" || return 1
  LC_ALL=$NIMBREL_WINE_LOCALE setsid "$NIMBREL_WINE_LOADER" "$run_dir/$exe_name" </dev/null \
    >>"$run_dir/widget.log" 2>&1 &
  local widget=$!
  sleep "$settle_seconds"
  take_screenshot || return 1
  kill -0 "$widget" 2>/dev/null || { echo "run: the widget exited early (see widget.log)"; return 1; }
  echo "run: the widget runs on $DISPLAY (pid $widget);" \
    "stop it with: WINEPREFIX=$WINEPREFIX $NIMBREL_WINESERVER -k"
}

build() {
  cmake --preset "$1" -Wno-dev >/dev/null && cmake --build "$root/build/$1" -j2
}

lay_out() {
  local exe
  exe=$(find "$root/build/win64" -name "$exe_name" -type f -not -path '*/wineprefix/*' |
    head -n 1)
  if [ -z "$exe" ]; then
    echo "run: build/win64 holds no $exe_name: the program is not part of the build yet." >&2
    return 1
  fi
  mkdir -p "$run_dir"
  cp "$exe" "$run_dir/$exe_name" || return 1
  # The widget keeps its settings in boot.ini: an existing one is the user's, not replaced.
  [ -f "$run_dir/boot.ini" ] || cp "$root/resources/boot.ini" "$run_dir/boot.ini"
}

if [ "${1:-}" = --show-in-session ]; then
  show_in_session
  exit
fi

cd "$root" || exit 1
bash scripts/setup.sh || exit 1
build win64 || { echo "run: the win64 build failed" >&2; exit 1; }
build win32 || echo "run: warning: the win32 build failed; running the win64 build anyway" >&2
lay_out || exit 1
rm -f "$screenshot"
if [ -n "${DISPLAY:-}" ]; then
  show_on_display
else
  tests/wine/session.sh "$run_dir" bash "$root/scripts/run.sh" --show-in-session
fi
