#!/usr/bin/env bash
# The project's run command: builds the widget and the portal, lays them out in build/run/
# beside a boot.ini and starts both under Wine, the portal on 127.0.0.1:8383 where the
# widget's default weather base points. Then saves a screenshot to build/run/screenshot.png
# and, since Wine here draws no HTML, Chromium's picture of the page the widget requested to
# build/run/page.png.
# With DISPLAY set the widget and the portal keep running there; without, they run in an Xvfb
# of their own and are stopped, together with that Xvfb, once the pictures are taken.
# The run directory has a Wine prefix of its own, so a run never disturbs a test session.
# NIMBREL_RUN_FAKE_UPSTREAM=1 serves made-up weather from a loopback fake of Open-Meteo, for
# machines without the internet.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tests/wine/common.sh"
run_dir=$root/build/run
exe_name=Nimbrel.exe
portal_name=nimbrel-portal.exe
portal_address=127.0.0.1:8383
screenshot=$run_dir/screenshot.png
page_picture=$run_dir/page.png
portal_start_seconds=30
# Long enough for the window to appear and the page request to be made.
settle_seconds=${NIMBREL_RUN_SETTLE:-8}

take_screenshot() {
  /usr/bin/import -window root "$screenshot" && echo "run: screenshot saved to $screenshot"
}

fake_pid=
portal_arguments=(--listen "$portal_address")

# Sets portal_arguments to point the portal at a loopback fake of Open-Meteo.
start_fake_upstream() {
  [ "${NIMBREL_RUN_FAKE_UPSTREAM:-0}" = 1 ] || return 0
  python3 "$root/tests/portal/fake_open_meteo.py" >"$run_dir/fake-upstream.txt" &
  fake_pid=$!
  local fake_base=
  for _ in $(seq 1 50); do
    fake_base=$(head -n 1 "$run_dir/fake-upstream.txt" 2>/dev/null)
    [ -n "$fake_base" ] && break
    sleep 0.1
  done
  [ -n "$fake_base" ] || { echo "run: the fake upstream did not start" >&2; return 1; }
  portal_arguments+=(--forecast-base "$fake_base" --geocode-base "$fake_base")
}

wait_for_portal() {
  for _ in $(seq 1 $((portal_start_seconds * 5))); do
    curl -sf -o /dev/null "http://$portal_address/healthz" && return 0
    sleep 0.2
  done
  echo "run: the portal did not answer on $portal_address (see portal.log)" >&2
  return 1
}

# Chromium draws the page the widget asked for, in the widget's view size.
save_page_picture() {
  local city
  city=$(sed -n 's/.* city=\([^ ]*\) cache=.*/\1/p' "$run_dir/portal.log" | grep -v '^-$' |
    tail -n 1)
  if [ -z "$city" ]; then
    echo "run: the widget has not requested a page yet; no page.png" >&2
    return 1
  fi
  local escaped profile
  escaped=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1]))' "$city")
  profile=$(mktemp -d)
  rm -f "$page_picture"
  timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --hide-scrollbars --window-size=264,199 --user-data-dir="$profile" \
    --screenshot="$page_picture" "http://$portal_address/tb.q?cid=tb.tq&cin=&city=$escaped" \
    >/dev/null 2>&1
  rm -rf "$profile"
  [ -f "$page_picture" ] && echo "run: the page of $city saved to $page_picture"
}

# Runs inside the session that the Xvfb case sets up around this script.
show_in_session() {
  cd "$run_dir" || return 1
  start_fake_upstream || return 1
  "$NIMBREL_WINE_RUN" "$run_dir/$portal_name" "${portal_arguments[@]}" </dev/null \
    >>"$run_dir/portal.log" 2>&1 &
  wait_for_portal || return 1
  "$NIMBREL_WINE_RUN" "$run_dir/$exe_name" </dev/null >>"$run_dir/widget.log" 2>&1 &
  local widget=$!
  sleep "$settle_seconds"
  take_screenshot
  local status=$?
  save_page_picture || status=1
  "$NIMBREL_WINE_RUN" "$run_dir/$portal_name" --stop
  [ -z "$fake_pid" ] || kill "$fake_pid" 2>/dev/null
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
  start_fake_upstream || return 1
  LC_ALL=$NIMBREL_WINE_LOCALE setsid "$NIMBREL_WINE_LOADER" "$run_dir/$portal_name" \
    "${portal_arguments[@]}" </dev/null >>"$run_dir/portal.log" 2>&1 &
  wait_for_portal || return 1
  LC_ALL=$NIMBREL_WINE_LOCALE setsid "$NIMBREL_WINE_LOADER" "$run_dir/$exe_name" </dev/null \
    >>"$run_dir/widget.log" 2>&1 &
  local widget=$!
  sleep "$settle_seconds"
  take_screenshot || return 1
  save_page_picture
  kill -0 "$widget" 2>/dev/null || { echo "run: the widget exited early (see widget.log)"; return 1; }
  echo "run: the widget and the portal run on $DISPLAY (widget pid $widget);" \
    "stop them with: WINEPREFIX=$WINEPREFIX $NIMBREL_WINESERVER -k"
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
  cp "$root/build/win64/portal/$portal_name" "$run_dir/$portal_name" || return 1
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
