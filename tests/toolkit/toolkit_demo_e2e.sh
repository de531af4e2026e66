#!/usr/bin/env bash
# Drives toolkit_demo with real pointer moves, presses, drags and keys (xdotool)
# and checks the events and states it prints.
#   toolkit_demo_e2e.sh DEMO SEND_WM_DELETE
# The demo's main window is 400 x 300 with A (20, 20, 100, 60), B (150, 20,
# 100, 60), the movable M (20, 150, 120, 100) holding MC (40, 170, 40, 30); the
# second window is 200 x 150 with C (20, 20, 80, 60). Positions are window pixels
# with y upward; GLUT's (and xdotool's) y runs downward from the top.
set -u
demo=${1:?demo program}
send_wm_delete=${2:?send_wm_delete program}
TIMEOUT=${E2E_TIMEOUT:-30}  # seconds to wait for any one thing
MAIN_H=300
SECOND_H=150

work=$(mktemp -d)
out=$work/stdout
err=$work/stderr
pid=
failures=0

cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

die() {
  echo "FAIL: $*" >&2
  echo "--- demo stdout (last 40 lines)" >&2
  tail -n 40 "$out" >&2
  echo "--- demo stderr" >&2
  cat "$err" >&2
  exit 1
}

# wait_for PATTERN [COUNT]: until COUNT lines of the output match (grep -E).
wait_for() {
  local pattern=$1 count=${2:-1} waited=0
  while [ "$(grep -cE -- "$pattern" "$out")" -lt "$count" ]; do
    kill -0 "$pid" 2>/dev/null || die "demo ended while waiting for '$pattern'"
    sleep 0.05
    waited=$((waited + 1))
    [ "$waited" -lt $((TIMEOUT * 20)) ] || die "no line matching '$pattern' after ${TIMEOUT}s"
  done
}

lines() { wc -l <"$out"; }
# Output lines after line number $1.
since() { tail -n +"$(($1 + 1))" "$out"; }

# move WINDOW HEIGHT X Y: pointer to (X, Y) of the window, y upward.
move() { xdotool mousemove --sync --window "$1" "$3" $(($2 - $4)); }
# Every pointer event ends with a redraw of both windows; waiting for it keeps
# the next step from overtaking this one.
redrawn() { wait_for '^display demo second$' $(($1 + 1)); }
displays() { grep -c '^display demo second$' "$out"; }

focus() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# key WINDOW NAME: focus the window, press the key, wait until its walk has run.
key() {
  local before
  before=$(grep -c "^key demo" "$out")
  focus "$1"
  xdotool key "$2"
  wait_for "^key demo" $((before + 1))
}

dumps=0
# dump: the states the demo prints for key d, one "state NAME x y w h FLAGS" line each.
dump() {
  dumps=$((dumps + 1))
  key "$main" d
  wait_for "^dump end $dumps\$"
  sed -n "/^dump begin $dumps\$/,/^dump end $dumps\$/p" "$out" >"$work/dump"
}
state() { grep "^state $1 " "$work/dump"; }
has_flag() { state "$1" | grep -qw "$2"; }
expect_flag() { has_flag "$1" "$2" || fail "$3: $1 lacks $2 ($(state "$1"))"; }
expect_no_flag() { has_flag "$1" "$2" && fail "$3: $1 has $2 ($(state "$1"))"; }
expect_rect() {
  [ "$(state "$1" | cut -d' ' -f3-6)" = "$2" ] || fail "$3: $1 is at '$(state "$1")', expected '$2'"
}

find_window() {
  local id
  id=$(timeout "$TIMEOUT" xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
  [ -n "$id" ] || die "window '$1' not found"
  echo "$id"
}

: >"$out"
: >"$err"
"$demo" >>"$out" 2>>"$err" &
pid=$!

# Start-up: the root and both windows reported, each window prepared before its init walk.
wait_for '^init C$'
head -n 3 "$out" | tr '\n' '|' | grep -qx '_glutInterface.level: -1|id: 1|id: 2|' ||
  fail "start-up lines: $(head -n 3 "$out" | tr '\n' '|')"
order=$(grep -E '^(prepare|init)' "$out" | tr '\n' ' ')
[ "$order" = "prepare 0 init demo main init M init MC init B init A prepare 1 init demo second init C " ] ||
  fail "preparation order: $order"
main=$(find_window "demo main")
second=$(find_window "demo second")
wait_for '^display demo main$'
wait_for '^display demo second$'

# A click on A: press, then release, relative to A; the switch turns on.
d=$(displays)
move "$main" $MAIN_H 50 50
redrawn "$d"
mark=$(lines)
xdotool mousedown 1
wait_for '^press A '
xdotool mouseup 1
wait_for '^release A '
[ "$(since "$mark" | grep -E '^(press|release)' | tr '\n' '|')" = "press A 30 30|release A 30 30|" ] ||
  fail "click on A: $(since "$mark" | grep -E '^(press|release)' | tr '\n' '|')"
dump
expect_flag A SWITCHED_ON "click on A"
expect_flag A RELEASED "click on A"
expect_no_flag A PRESSED "click on A"
expect_no_flag A LEFT_BUTTON "click on A"

# Press on A, release over B: A hears of it outside, B's release is not called.
mark=$(lines)
xdotool mousedown 1
wait_for '^press A ' 2
d=$(displays)
move "$main" $MAIN_H 160 30
redrawn "$d"
xdotool mouseup 1
wait_for '^releaseOutside A '
since "$mark" | grep -q '^releaseOutside A 140 10$' ||
  fail "release outside position: $(since "$mark" | grep releaseOutside)"
since "$mark" | grep -q '^release B' && fail "B's release callback was called"
dump
expect_flag A RELEASED_OUTSIDE "release over B"
expect_no_flag A PRESSED "release over B"
expect_no_flag A RELEASED "release over B"
expect_flag A SWITCHED_ON "release over B leaves A's switch"
expect_flag B RELEASED "release over B"
expect_no_flag B SWITCHED_ON "release over B"

# Roll-over and roll-out.
d=$(displays)
move "$main" $MAIN_H 170 40
redrawn "$d"
d=$(displays)
move "$main" $MAIN_H 50 50
redrawn "$d"
dump
expect_flag A ROLL_OVER "pointer onto A"
expect_flag B ROLL_OUT "pointer from B onto A"
expect_no_flag B ROLL_OVER "pointer from B onto A"
d=$(displays)
move "$main" $MAIN_H 300 280
redrawn "$d"
dump
expect_flag A ROLL_OUT "pointer onto empty space"
expect_no_flag A ROLL_OVER "pointer onto empty space"
move "$main" $MAIN_H 60 60
dump
expect_flag A ROLL_OUT "back onto A without another object between"
expect_no_flag A ROLL_OVER "back onto A without another object between"

# Dragging the movable M by (5, -3) moves it with its child; dragging A moves nothing.
d=$(displays)
move "$main" $MAIN_H 30 160
redrawn "$d"
mark=$(lines)
xdotool mousedown 1
wait_for '^press M 10 10$'
d=$(displays)
move "$main" $MAIN_H 35 157
redrawn "$d"
xdotool mouseup 1
wait_for '^release M 10 10$'  # M has moved with the pointer
since "$mark" | grep -E '^(press|release)' | grep -vq ' M ' && fail "callbacks while dragging M"
d=$(displays)
move "$main" $MAIN_H 50 50
redrawn "$d"
xdotool mousedown 1
d=$(displays)
move "$main" $MAIN_H 70 40
redrawn "$d"
xdotool mouseup 1
wait_for '^release A ' 2
dump
expect_rect M "25 147 120 100" "drag M by (5, -3)"
expect_rect MC "45 167 40 30" "drag M by (5, -3)"
expect_rect A "20 20 100 60" "drag of the fixed A"

# Turning the wheel over A clicks nothing: no press, no release, no switch.
mark=$(lines)
was_on=$(has_flag A SWITCHED_ON && echo 1 || echo 0)
move "$main" $MAIN_H 50 50
xdotool click 4 click 5
dump
since "$mark" | grep -qE '^(press|release)' && fail "the wheel clicked: $(since "$mark" | grep -E '^(press|release)')"
grep -q 'Unknown mouse button' "$err" && fail "the wheel was taken for a button"
[ "$(has_flag A SWITCHED_ON && echo 1 || echo 0)" = "$was_on" ] || fail "the wheel flipped A's switch"

# Keys reach every object of their window and no other.
d=$(displays)
move "$second" $SECOND_H 50 50
redrawn "$d"
mark=$(lines)
key "$second" k
wait_for '^key C 107$'
got=$(since "$mark" | grep '^key' | sort | tr '\n' '|')
[ "$got" = "key C 107|key demo second 107|" ] || fail "k in the second window: $got"
d=$(displays)
move "$main" $MAIN_H 300 280
redrawn "$d"
mark=$(lines)
key "$main" k
wait_for '^key A 107$' 1
got=$(since "$mark" | grep '^key' | sort | tr '\n' '|')
[ "$got" = "key A 107|key B 107|key M 107|key MC 107|key demo main 107|" ] ||
  fail "k in the main window: $got"

# Idle: at most 30 walks a second, one walk per window per tick.
mark=$(lines)
key "$main" i
wait_for '^idle ' 1
read -r _ main1 second1 ms1 < <(since "$mark" | grep '^idle ' | head -n 1)
sleep 2
mark=$(lines)
key "$main" i
wait_for '^idle ' 2
read -r _ main2 second2 ms2 < <(since "$mark" | grep '^idle ' | head -n 1)
walks=$((main2 - main1))
elapsed=$((ms2 - ms1))
echo "idle: $walks walks in $elapsed ms"
# A tick leaves up to one period gathered, so a span can hold two walks more
# than its length in periods (one more for the rounding down here).
[ "$walks" -le $((elapsed * 30 / 1000 + 3)) ] || fail "$walks idle walks in $elapsed ms"
[ "$walks" -ge $((elapsed / 200)) ] || fail "only $walks idle walks in $elapsed ms"
[ $((second2 - second1)) -eq "$walks" ] ||
  fail "second window walked $((second2 - second1)) times, main $walks"

# After a one-second stall the next check runs one walk, not thirty.
key "$main" s
wait_for '^after stall '
read -r _ _ stall_walks _ _ stall_ms _ < <(grep '^after stall ' "$out")
echo "after the stall: $stall_walks walks in $stall_ms ms"
[ "$stall_walks" -ge 1 ] || fail "no idle walk after the stall"
[ "$stall_walks" -le $((stall_ms * 30 / 1000 + 3)) ] ||
  fail "$stall_walks idle walks in the $stall_ms ms after the stall"

# The close button of one window closes it; the program and the other window go on.
"$send_wm_delete" "$second" || die "could not send the close request"
wait_for '^closed demo second$'
key "$main" k
wait_for '^key A 107$' 2
mark=$(lines)
key "$main" i
wait_for '^idle ' 3
kill -0 "$pid" 2>/dev/null || die "the demo ended when a window was closed"

# Esc: the keyboard walk runs, then the process ends with code 1.
mark=$(lines)
focus "$main"
xdotool key Escape
code=
for _ in $(seq 1 $((TIMEOUT * 20))); do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    code=$?
    break
  fi
  sleep 0.05
done
[ -n "$code" ] || die "the demo did not end after Esc"
pid=
[ "$code" -eq 1 ] || fail "exit code after Esc: $code"
since "$mark" | grep -q '^key A 27$' || fail "Esc did not reach the objects first"
since "$mark" | grep -q '^closed' && fail "window-closed hook called while the process ended"

if [ -s "$err" ]; then
  echo "--- demo stderr" >&2
  cat "$err" >&2
  grep -qE 'ERROR|runtime error|LeakSanitizer' "$err" && fail "errors on the demo's stderr"
fi
if [ "$failures" -ne 0 ]; then
  echo "--- demo stdout (last 60 lines)" >&2
  tail -n 60 "$out" >&2
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
