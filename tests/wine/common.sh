# The Wine world Nimbrel's tests and run command share: one private prefix per build tree,
# an X display, and a persistent wineserver. Sourced by wine-run, session.sh and scripts/run.sh.

NIMBREL_WINE_LOADER=/usr/lib/wine/wine64
NIMBREL_WINESERVER=/usr/lib/wine/wineserver64
# Wine's i386 half (wine32:i386). A prefix runs 32-bit programs only when it was made with it.
NIMBREL_WINE32_DLL=/usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll
NIMBREL_WINE_LOCALE=zh_CN.UTF-8
# Gecko and Mono are absent and cannot be downloaded here; mscoree would offer to, and
# winemenubuilder would write menu entries into $HOME. mshtml stays on: the WebBrowser
# control must still navigate, it merely renders nothing.
NIMBREL_WINE_OVERRIDES='mscoree=d;winemenubuilder.exe=d'
NIMBREL_SCREEN=1280x1024x24
# Raise when the prefix recipe changes, so that existing prefixes are rebuilt.
NIMBREL_PREFIX_RECIPE=1
NIMBREL_STEP_TIMEOUT=180

nimbrel_log() { echo "wine: $*" >&2; }

# The build tree a program belongs to: the nearest directory above it holding a CMake cache.
nimbrel_build_dir_of() {
  local dir
  dir=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || return 1
  while [ "$dir" != / ]; do
    [ -f "$dir/CMakeCache.txt" ] && { echo "$dir"; return 0; }
    dir=$(dirname "$dir")
  done
  return 1
}

# True inside a live session of the given build tree (session.sh exports both variables).
nimbrel_in_session() {
  [ -n "${NIMBREL_WINE_SESSION:-}" ] && [ -n "$1" ] && [ "${NIMBREL_BUILD_DIR:-}" = "$1" ] &&
    kill -0 "$NIMBREL_WINE_SESSION" 2>/dev/null
}

nimbrel_wine_env() {
  local build_dir=$1
  export NIMBREL_BUILD_DIR=$build_dir
  export WINEPREFIX=$build_dir/wineprefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES=$NIMBREL_WINE_OVERRIDES
  export WINESERVER=$NIMBREL_WINESERVER
}

# Runs a Wine command of the harness itself, detached from the caller's terminal and pipes.
nimbrel_wine_quiet() {
  LC_ALL=$NIMBREL_WINE_LOCALE timeout "$NIMBREL_STEP_TIMEOUT" "$@" </dev/null \
    >>"$NIMBREL_BUILD_DIR/wine.log" 2>&1 8>&- 9>&-
}

# Y when a window manager runs on DISPLAY, N when Wine must manage its windows alone.
nimbrel_window_manager() {
  nimbrel_wine_quiet "$NIMBREL_WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d "$1" /f
}

# What the ready-mark holds: the recipe, and whether Wine's i386 half was there when the prefix
# was made. A prefix made before wine32 was installed cannot load a 32-bit program
# ("could not load kernel32.dll"), so installing wine32 afterwards makes it stale.
nimbrel_prefix_mark() {
  if [ -f "$NIMBREL_WINE32_DLL" ]; then
    echo "$NIMBREL_PREFIX_RECIPE wine32"
  else
    echo "$NIMBREL_PREFIX_RECIPE"
  fi
}

nimbrel_prefix_ready() {
  [ "$(cat "$WINEPREFIX/.nimbrel-ready" 2>/dev/null)" = "$(nimbrel_prefix_mark)" ]
}

# Chinese UI texts ask for SimSun; map it, under its English and its Chinese name, to the
# installed WenQuanYi font so that they draw as glyphs rather than boxes.
nimbrel_font_replacements() {
  local reg=$WINEPREFIX/nimbrel-fonts.reg
  {
    printf '\xff\xfe'
    iconv -f UTF-8 -t UTF-16LE <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"宋体"="WenQuanYi Micro Hei"
EOF
  } >"$reg"
  nimbrel_wine_quiet "$NIMBREL_WINE_LOADER" reg import "$(basename "$reg")" || return 1
  rm -f "$reg"
}

# Builds the prefix from scratch. Needs DISPLAY: wineboot opens windows while it works.
nimbrel_prefix_create() {
  nimbrel_log "creating the prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  nimbrel_wine_quiet "$NIMBREL_WINE_LOADER" wineboot -i || return 1
  (cd "$WINEPREFIX" && nimbrel_font_replacements) || return 1
  # The registry reaches the disk when the server goes away.
  nimbrel_wine_quiet "$NIMBREL_WINESERVER" -w || return 1
  nimbrel_prefix_mark >"$WINEPREFIX/.nimbrel-ready"
}

# Two sessions may start at once; the first builds the prefix, the other waits for it.
nimbrel_prefix_ensure() {
  nimbrel_prefix_ready && return 0
  (
    flock -w "$NIMBREL_STEP_TIMEOUT" 9 || { nimbrel_log "prefix lock timed out"; exit 1; }
    nimbrel_prefix_ready || nimbrel_prefix_create
  ) 9>"$NIMBREL_BUILD_DIR/wineprefix.lock"
}
