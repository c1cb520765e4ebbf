# Wine session helpers shared by scripts/test, scripts/demo and scripts/bench.
# Source after env.sh. Call wine_session_start; wine_session_stop runs on exit.
#
# Safety: the tool removes its own folder. A fresh prefix links the user's
# Desktop, Documents, ... to $HOME and maps Z: to the Linux root, so the prefix
# made here gets real folders instead of those links, no Z: drive, and a HOME
# of its own. The win64 build tree is reachable as Y: (tests run from there).

PREFIX_TEMPLATE=$WINE_DIR/template
WINEPREFIX_DIR=$WINE_DIR/prefix
WINE_HOME=$WINE_DIR/home
XVFB_PID=
COMPOSITOR_PID=
WINESERVER_PID=
KEEPER_PID=
PREFIX_SETTINGS_VERSION=3

wine_env() {
  export HOME=$WINE_HOME WINEPREFIX=$WINEPREFIX_DIR WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
  export VELMORA_WINEPREFIX=$WINEPREFIX_DIR VELMORA_WIN64_DIR=$WIN64_DIR
}

# Makes the template prefix once: Windows 10, 96 dpi, Chinese font
# replacements, unmanaged X windows (no 2 s stall per dialog close), no crash
# debugger (a crash exits at once instead of hanging on a dialog).
prefix_template() {
  local stamp=$PREFIX_TEMPLATE/.velmora-settings
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$PREFIX_SETTINGS_VERSION" ]; then return 0; fi
  echo "== preparing the wine prefix template (once, ~15 s)"
  rm -rf "$PREFIX_TEMPLATE"
  mkdir -p "$PREFIX_TEMPLATE" "$WINE_HOME"
  (
    export HOME=$WINE_HOME WINEPREFIX=$PREFIX_TEMPLATE WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    timeout 180 wine wineboot -i >/dev/null 2>&1 || { echo "wine wineboot -i failed" >&2; exit 1; }
    R="timeout 60 wine reg add"
    $R 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null
    $R 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null
    for f in SimSun 宋体 NSimSun 新宋体 'Microsoft YaHei' 微软雅黑; do
      $R 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /d 'WenQuanYi Micro Hei' /f >/dev/null
    done
    $R 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    $R 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null
    $R 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
    timeout 60 wineserver -w
  ) || { echo "preparing the wine prefix failed (see above)" >&2; return 1; }
  # Every link into $HOME (Desktop, Documents, Templates, ...) becomes a real folder.
  find "$PREFIX_TEMPLATE/drive_c/users" -type l | while read -r l; do rm -f "$l"; mkdir -p "$l"; done
  rm -f "$PREFIX_TEMPLATE/dosdevices/z:"
  echo "$PREFIX_SETTINGS_VERSION" > "$stamp"
}

# A fresh copy of the template for this run, with Y: on the win64 tree.
prefix_fresh() {
  rm -rf "$WINEPREFIX_DIR"
  cp -a "$PREFIX_TEMPLATE" "$WINEPREFIX_DIR"
  rm -f "$WINEPREFIX_DIR/dosdevices/z:"
  ln -sfn "$WIN64_DIR" "$WINEPREFIX_DIR/dosdevices/y:"
  # Links for the tests that show nothing follows one (wine's programs cannot
  # make links): C:\velmora-links\<n> leads to C:\velmora-tests\link-target-<n>,
  # which the test that borrows it makes.
  mkdir -p "$WINEPREFIX_DIR/drive_c/velmora-links"
  local n
  for n in 1 2 3 4 5 6 7 8; do
    ln -s "$WINEPREFIX_DIR/drive_c/velmora-tests/link-target-$n" "$WINEPREFIX_DIR/drive_c/velmora-links/$n"
  done
  # No link may lead out of the prefix but Y:.
  local bad
  bad=$(find "$WINEPREFIX_DIR/drive_c" -type l -lname '/*' ! -lname "$WINEPREFIX_DIR/*" 2>/dev/null | head -n 3)
  if [ -n "$bad" ]; then echo "unsafe links in the prefix: $bad" >&2; return 1; fi
}

xvfb_start() {
  if [ -n "${VELMORA_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local n
  if ! read -r -t 20 n <"$fifo"; then rm -f "$fifo"; echo "Xvfb did not start" >&2; return 1; fi
  rm -f "$fifo"
  export DISPLAY=:$n
  # A compositing manager, so per-pixel-alpha windows (the prompt's soft
  # shadow) are blended as on a Windows desktop instead of drawn opaque.
  if command -v xcompmgr >/dev/null; then
    xcompmgr >/dev/null 2>&1 &
    COMPOSITOR_PID=$!
  fi
}

wine_session_start() {
  trap wine_session_stop EXIT
  trap 'exit 130' INT TERM
  prefix_template || return 1
  prefix_fresh || return 1
  xvfb_start || return 1
  wine_env
  wineserver -p >/dev/null 2>&1 &
  WINESERVER_PID=$!
  # Pre-warm outside any test's pipe: the services and the desktop process that
  # the first program and the first window start would otherwise inherit a
  # test's output pipe and keep it open long after that test has ended.
  timeout 120 wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  # The desktop process the pre-warm started may have come up before the RPC
  # service it registers the desktop shell with (the shell starts the tool's
  # removal command after the end), and then has no shell for the whole
  # session. It closes by itself once the pre-warm has ended; the next
  # desktop, the keeper's, starts with the service running.
  wine_desktop_gone || echo "the pre-warm's wine desktop did not close; the desktop shell may be missing" >&2
  # Keep the desktop for the whole session: wine closes it a second after the
  # last program using it ends, and a program starting just then can fail to
  # create windows (see tools/desktopkeeper).
  if [ -x "$WIN64_DIR/bin/standins/desktopkeeper.exe" ]; then
    wine 'Y:\bin\standins\desktopkeeper.exe' >/dev/null 2>&1 </dev/null &
    KEEPER_PID=$!
  fi
  if [ -x "$WIN64_DIR/bin/win_tests.exe" ]; then
    timeout 120 wine 'Y:\bin\win_tests.exe' --gtest_filter='Templates.MainWindowHasItsFiveControlsInTabOrder' \
      >/dev/null 2>&1 </dev/null || true
  fi
}

# True once this session prefix's desktop process (explorer.exe) has ended;
# waits at most 10 s.
wine_desktop_gone() {
  local i p running
  for i in $(seq 1 100); do
    running=
    for p in /proc/[0-9]*; do
      grep -qa 'explorer.exe' "$p/cmdline" 2>/dev/null || continue
      if tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then running=1; break; fi
    done
    [ -z "$running" ] && return 0
    sleep 0.1
  done
  return 1
}

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then timeout 30 wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$KEEPER_PID" ]; then kill "$KEEPER_PID" 2>/dev/null || true; wait "$KEEPER_PID" 2>/dev/null || true; fi
  [ -n "$WINESERVER_PID" ] && wait "$WINESERVER_PID" 2>/dev/null || true
  if [ -n "$COMPOSITOR_PID" ]; then kill "$COMPOSITOR_PID" 2>/dev/null || true; wait "$COMPOSITOR_PID" 2>/dev/null || true; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID= COMPOSITOR_PID= WINESERVER_PID= KEEPER_PID=
}
