# shellcheck shell=bash
# Sourced by the scripts that use the Linux program as a user would: a private Xvfb display with
# a window manager (openbox), driven with xdotool and read back by window titles and
# screenshots.
#
#   source scripts/lib.sh
#   source scripts/linux-desktop.sh
#   trap desktop_stop EXIT
#   desktop_start ART || exit 1   # exports DISPLAY, XDG_RUNTIME_DIR, LC_ALL, QT_QPA_PLATFORM,
#                                 # DBUS_SESSION_BUS_ADDRESS (none)
#   desktop_tray                  # trayer, the tray host, at the top of the screen
#   desktop_run command...        # started in the background; its pid in DESKTOP_PID
#
# Every process is started in the background and remembered by its pid; nothing is looked up
# or ended by name.

DESKTOP_PIDS=()
DESKTOP_PID=""
DESKTOP_ART=""

desktop_run() {  # desktop_run command...: in the background, tracked, its output in the log
  "$@" >>"$DESKTOP_ART/processes.log" 2>&1 &
  DESKTOP_PID=$!
  DESKTOP_PIDS+=("$DESKTOP_PID")
}

desktop_stop() {
  local i
  for ((i = ${#DESKTOP_PIDS[@]} - 1; i >= 0; i--)); do end_process "${DESKTOP_PIDS[$i]}"; done
  DESKTOP_PIDS=()
}

desktop_start() {  # desktop_start ART: Xvfb on a display number it picks, and openbox
  DESKTOP_ART="$1"
  ensure_packages xvfb openbox xdotool x11-utils x11-xserver-utils imagemagick fonts-ipafont-gothic
  exec 3>"$DESKTOP_ART/display"
  # -noreset: without it the server resets whenever its last client leaves, and a client
  # connecting in that moment (the window manager after the first probe) is refused.
  desktop_run Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset
  exec 3>&-
  wait_for 20 grep -q '[0-9]' "$DESKTOP_ART/display" || { echo "Xvfb did not start" >&2 && return 1; }
  # The tools match the Japanese window titles in UTF-8; the program runs in the Japanese
  # locale (desktop_pindle).
  DISPLAY=":$(cat "$DESKTOP_ART/display")"
  # No session bus unless a script starts one: without it a client would start one of its own
  # for the display (dbus-launch), a process nobody ends.
  export DISPLAY LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$DESKTOP_ART/runtime" \
    DBUS_SESSION_BUS_ADDRESS=disabled:
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  wait_for 20 xdpyinfo || { echo "display $DISPLAY does not answer" >&2 && return 1; }
  desktop_run openbox --sm-disable
  wait_for 20 window_manager_runs ||
    { echo "openbox did not start:" >&2 && tail -5 "$DESKTOP_ART/processes.log" >&2 && return 1; }
}
window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

desktop_tray() {  # trayer as the tray host, at the top right
  ensure_packages trayer
  desktop_run trayer --edge top --align right --widthtype request --height 24 --SetDockType true
  wait_for 20 xdotool search --name '^panel$' || { echo "trayer did not start" >&2 && return 1; }
}

desktop_pindle() { desktop_run env LC_ALL=ja_JP.UTF-8 "$@"; }  # desktop_pindle path/to/pindle

# The program's visible window of this title (Qt names windows in _NET_WM_NAME, UTF-8).
window_of() {
  local w
  for w in $(xdotool search --onlyvisible --class pindle); do
    xprop -id "$w" _NET_WM_NAME | grep -qF "= \"$1\"" && echo "$w" && return 0
  done
  return 1
}
shown() { window_of "$1"; }
gone() { ! shown "$1"; }
running() { kill -0 "$1" 2>/dev/null; }
shot() { import -window root "$DESKTOP_ART/$1.png"; }
# The top left corner of a window's client area on the screen, as "X Y".
window_origin() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { print x, $NF }'
}
