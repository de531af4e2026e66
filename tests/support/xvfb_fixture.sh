#!/usr/bin/env bash
# Starts or stops the Xvfb server that GL and end-to-end tests share.
#   xvfb_fixture.sh start FILE   start a server on a free display, write ":N pid" to FILE
#   xvfb_fixture.sh stop FILE    stop the server named in FILE
# XVFB_SCREEN sets the screen (default 1920x1200x24).
# When the caller already has a working DISPLAY, start records it and starts nothing.
set -u
action=${1:?start or stop}
file=${2:?display file}

case "$action" in
start)
  if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    echo "$DISPLAY 0" >"$file"
    echo "using the caller's display $DISPLAY"
    exit 0
  fi
  command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${XVFB_SCREEN:-1920x1200x24}" -noreset -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do
      if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
        echo ":$n $pid" >"$file"
        echo "Xvfb started on :$n (pid $pid)"
        exit 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null
  done
  echo "could not start Xvfb" >&2
  exit 1
  ;;
stop)
  [ -f "$file" ] || exit 0
  read -r display pid <"$file"
  if [ "${pid:-0}" != 0 ]; then
    kill "$pid" 2>/dev/null
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$file"
  ;;
*)
  echo "usage: $0 start|stop FILE" >&2
  exit 2
  ;;
esac
