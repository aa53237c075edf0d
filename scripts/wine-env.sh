# Sourced by the scripts that run the Windows build under Wine: a private X display with a
# window manager, and a fresh Wine prefix that looks like a Japanese Windows desktop.
#
#   source scripts/wine-env.sh
#   trap wine_env_stop EXIT
#   wine_env_start build/windows/wine || exit 1   # exports DISPLAY, WINEPREFIX, WINE, ...
#   "$WINE" program.exe
#
# wine_env_start DIR [--display] [--keep-prefix]
#                                 Sets up under DIR.  --display: the caller's $DISPLAY instead
#                                 of a private Xvfb (for scripts/run); --keep-prefix: reuse the
#                                 prefix a former run prepared instead of making it afresh.
#                                 WINE_ENV_SCREEN sets the Xvfb screen (default 1280x1024x24).
# wine_env_set_dpi DPI            Sets the prefix's LogPixels (96, 120, 144, 192, ...) and
#                                 restarts its Windows processes, so that every program started
#                                 afterwards, the desktop and tray included, runs at that DPI.
# wine_env_track PID              Adds a process for wine_env_stop to end.
# wine_env_stop                   Ends everything started here, by process id, and the prefix's
#                                 wineserver, and removes a fresh prefix (WINE_ENV_KEEP=1 keeps
#                                 it for a look afterwards).  Safe to call more than once.
# wine_env_wait_for SECONDS CMD.. Runs CMD until it succeeds or SECONDS have passed.
#
# Every process is started in the background and remembered by its pid; nothing is looked up
# or killed by name.

WINE_ENV_PIDS=()
WINE_ENV_DIR=""
WINE_ENV_FRESH_PREFIX=0

wine_env_wait_for() {
  local seconds="$1"
  shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      return 1
    fi
    sleep 0.1
  done
}

wine_env_track() {
  WINE_ENV_PIDS+=("$1")
}

# The 64-bit Wine loader (Debian keeps it outside PATH) and the matching wineserver.
wine_env_find_wine() {
  local candidate
  for candidate in /usr/lib/wine/wine64 /usr/lib64/wine/wine64 "$(command -v wine64 || true)" \
    "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      WINE="$candidate"
      break
    fi
  done
  for candidate in "$(dirname "${WINE:-/}")/wineserver" /usr/lib/wine/wineserver64 \
    "$(command -v wineserver || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ] && [ ! -d "$candidate" ]; then
      WINESERVER="$candidate"
      break
    fi
  done
  [ -n "${WINE:-}" ] && [ -n "${WINESERVER:-}" ]
}

wine_env_display_answers() {
  xdpyinfo -display "$DISPLAY" >/dev/null 2>&1
}

wine_env_window_manager_runs() {
  xprop -display "$DISPLAY" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# A private X server on a display number the server picks itself (-displayfd), so two runs
# at once never race for the same number.
wine_env_start_xvfb() {
  local number_file="$WINE_ENV_DIR/display-number"
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 "${WINE_ENV_SCREEN:-1280x1024x24}" -nolisten tcp -noreset \
    3>"$number_file" >"$WINE_ENV_DIR/xvfb.log" 2>&1 &
  wine_env_track $!
  if ! wine_env_wait_for 20 grep -q '[0-9]' "$number_file"; then
    echo "wine-env: Xvfb did not start (see $WINE_ENV_DIR/xvfb.log)" >&2
    return 1
  fi
  DISPLAY=":$(tr -dc '0-9' <"$number_file")"
  export DISPLAY
  if ! wine_env_wait_for 20 wine_env_display_answers; then
    echo "wine-env: display $DISPLAY does not answer" >&2
    return 1
  fi
  openbox --sm-disable >"$WINE_ENV_DIR/openbox.log" 2>&1 &
  wine_env_track $!
  if ! wine_env_wait_for 20 wine_env_window_manager_runs; then
    echo "wine-env: openbox did not take over $DISPLAY (see $WINE_ENV_DIR/openbox.log)" >&2
    return 1
  fi
}

# Japanese for Wine's locale (so its ANSI code page is 932), compiled into the run's own
# directory: the system's locale settings stay untouched.  Exported for the programs started
# from here; bash itself cannot load a locale from LOCPATH and would only warn about it.
wine_env_japanese_locale() {
  local dir="$WINE_ENV_DIR/locale"
  if [ ! -d "$dir/ja_JP.UTF-8" ]; then
    mkdir -p "$dir"
    localedef -i ja_JP -f UTF-8 "$dir/ja_JP.UTF-8" >/dev/null 2>&1 || return 1
  fi
  export LOCPATH="$dir"
  { export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null
}

# The prefix's settings, written as a UTF-16 .reg file so the Japanese face names survive
# whatever the code page: IPA Gothic and Mincho stand in for the Japanese Windows fonts, and a
# crash does not wait for someone to close Wine's crash dialog.
wine_env_settings() {
  local reg="$WINE_ENV_DIR/fonts.reg"
  local replacements='HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements'
  local substitutes='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  {
    printf '\xff\xfe'
    printf '%s\r\n' \
      'Windows Registry Editor Version 5.00' '' \
      "[$replacements]" \
      '"ＭＳ ゴシック"="IPAGothic"' \
      '"ＭＳ Ｐゴシック"="IPAPGothic"' \
      '"MS Gothic"="IPAGothic"' \
      '"MS PGothic"="IPAPGothic"' \
      '"MS UI Gothic"="IPAPGothic"' \
      '"ＭＳ 明朝"="IPAMincho"' \
      '"ＭＳ Ｐ明朝"="IPAPMincho"' \
      '"MS Mincho"="IPAMincho"' \
      '"MS PMincho"="IPAPMincho"' \
      '"メイリオ"="IPAPGothic"' \
      '"Meiryo"="IPAPGothic"' \
      '"Yu Gothic UI"="IPAPGothic"' \
      '' \
      "[$substitutes]" \
      '"MS Shell Dlg"="MS UI Gothic"' \
      '"MS Shell Dlg 2"="MS UI Gothic"' \
      '' \
      '; A crashing program ends with a backtrace on stderr instead of waiting in a dialog.' \
      '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' \
      '"ShowCrashDialog"=dword:00000000' \
      '' | iconv -f UTF-8 -t UTF-16LE
  } >"$reg"
  "$WINE" regedit /S "$(wine_env_windows_path "$reg")" &&
    "$WINESERVER" -w
}

# The Windows name of a Linux file: Wine shows the Linux root as drive Z:.
wine_env_windows_path() {
  local path
  path="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
  printf 'Z:%s' "${path//\//\\}"
}

wine_env_start() {
  local dir="$1"
  shift
  local own_display=1 fresh=1
  local option
  for option in "$@"; do
    case "$option" in
      --display) own_display=0 ;;
      --keep-prefix) fresh=0 ;;
      *)
        echo "wine-env: unknown option $option" >&2
        return 2
        ;;
    esac
  done
  # An interrupted run still ends through the caller's EXIT trap, and so cleans up.
  trap 'exit 130' INT
  trap 'exit 143' TERM
  mkdir -p "$dir"
  WINE_ENV_DIR="$(cd "$dir" && pwd)"
  if ! wine_env_find_wine; then
    echo "wine-env: no Wine found (install wine and wine64)" >&2
    return 1
  fi
  export WINE WINESERVER
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko installer dialogs: nothing here needs .NET or the HTML engine.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  if ! wine_env_japanese_locale; then
    echo "wine-env: no Japanese locale (package locales); Wine runs in the C locale" >&2
  fi

  if [ "$own_display" = 1 ]; then
    wine_env_start_xvfb || return 1
  elif [ -z "${DISPLAY:-}" ]; then
    echo "wine-env: no X display (\$DISPLAY is empty)" >&2
    return 1
  fi

  export WINEPREFIX="$WINE_ENV_DIR/prefix"
  if [ "$fresh" = 1 ] || [ ! -f "$WINEPREFIX/.pindle-ready" ]; then
    rm -rf "$WINEPREFIX"
    WINE_ENV_FRESH_PREFIX="$fresh"
    "$WINE" wineboot -i >"$WINE_ENV_DIR/wineboot.log" 2>&1 || {
      echo "wine-env: wineboot failed (see $WINE_ENV_DIR/wineboot.log)" >&2
      return 1
    }
    "$WINESERVER" -w
    wine_env_settings || {
      echo "wine-env: could not write the prefix settings" >&2
      return 1
    }
    touch "$WINEPREFIX/.pindle-ready"
  fi
  # Keep one wineserver for the whole run: every program starts faster.
  "$WINESERVER" -p
}

# Wine reads the DPI once per process, from HKCU\Control Panel\Desktop\LogPixels (before
# HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts\LogPixels).  The
# processes still running (the desktop and its tray) end, so none of them keeps the old DPI.
wine_env_set_dpi() {
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >"$WINE_ENV_DIR/set-dpi.log" 2>&1 || {
    echo "wine-env: cannot set LogPixels to $1 (see $WINE_ENV_DIR/set-dpi.log)" >&2
    return 1
  }
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w
  "$WINESERVER" -p
}

# Ends a process by its pid: TERM, then KILL if it is still there after ten seconds.
wine_env_end_process() {
  kill "$1" 2>/dev/null || return 0
  if ! wine_env_wait_for 10 wine_env_process_gone "$1"; then
    kill -KILL "$1" 2>/dev/null || true
  fi
  wait "$1" 2>/dev/null || true
}

wine_env_process_gone() {
  local state
  state="$(ps -o stat= -p "$1" 2>/dev/null)" || return 0
  [[ "$state" == Z* ]]  # ended, only not yet waited for
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${WINESERVER:-}" ] && [ -d "$WINEPREFIX" ]; then
    # Ends every Windows process of this prefix, then the server itself.
    "$WINESERVER" -k >/dev/null 2>&1 || true
    timeout 20 "$WINESERVER" -w >/dev/null 2>&1 || true
    # A fresh prefix takes some 700 MB; it goes with the run unless WINE_ENV_KEEP=1.
    if [ "$WINE_ENV_FRESH_PREFIX" = 1 ] && [ "${WINE_ENV_KEEP:-0}" != 1 ]; then
      rm -rf "$WINEPREFIX"
    fi
  fi
  local i
  for ((i = ${#WINE_ENV_PIDS[@]} - 1; i >= 0; i--)); do
    wine_env_end_process "${WINE_ENV_PIDS[$i]}"
  done
  WINE_ENV_PIDS=()
}
