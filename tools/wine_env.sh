# Sourced by the run and test scripts: a Wine prefix of Folivex's own (never
# ~/.wine), an Xvfb display, and a wineserver kept alive while they work.
FV_CACHE=${FOLIVEX_CACHE:-$HOME/.cache/folivex}
export WINEPREFIX=${FV_WINEPREFIX:-$FV_CACHE/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
FV_DISPLAY_NUM=${FV_DISPLAY_NUM:-77}

fv_start_display() {
  # Use the caller's display when it works; otherwise start our own Xvfb.
  if [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then return 0; fi
  export DISPLAY=:$FV_DISPLAY_NUM
  if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    # A server that ended without cleaning up leaves its socket and lock.
    rm -f "/tmp/.X11-unix/X$FV_DISPLAY_NUM" "/tmp/.X$FV_DISPLAY_NUM-lock"
    Xvfb ":$FV_DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 100); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
  fi
}

# Wine's own fonts (Tahoma, Marlett) are not registered in a fresh prefix on
# Debian; without them caption buttons draw as letters.
fv_copy_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  [ -f "$fonts/tahoma.ttf" ] || cp /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
}

fv_prepare_prefix() {
  if [ -f "$WINEPREFIX/.folivex-ready" ]; then fv_copy_fonts; return 0; fi
  echo "wine: preparing the prefix $WINEPREFIX (once)" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  fv_copy_fonts
  # Report Windows 10, and draw every window inside one virtual desktop so
  # that screenshots show real frames and captions.
  wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.folivex-ready"
}

fv_wine_up() {
  fv_start_display
  fv_prepare_prefix
  wineserver -p >/dev/null 2>&1 || true
  # Start Wine's background services and the desktop now, detached from our
  # output: started later by a test, they would inherit its output pipe and
  # keep ctest waiting after the test has ended.
  wine reg query 'HKCU\Software\Wine' >/dev/null 2>&1 </dev/null || true
  if ! pgrep -f 'explorer.exe /desktop' >/dev/null; then
    setsid wine explorer /desktop=Default,1280x1024 >/dev/null 2>&1 </dev/null &
    sleep 2
  fi
}

fv_wine_down() {
  wineserver -k >/dev/null 2>&1 || true
}
