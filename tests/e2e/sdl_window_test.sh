#!/usr/bin/env bash
# The SDL game in a real X window, on a private Xvfb screen, driven from outside with xdotool:
# the window's place, size, title and icon; its first picture against the replay tool's;
# a run to the right; two display-mode toggles; the processor time it takes; Escape; the
# close button; a pad (SDL's virtual joystick) that runs, jumps, is pulled out and quits; and
# the clear failure without a display.
#
#   tests/e2e/sdl_window_test.sh [BUILD_DIR]     (default build/default, already built)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${1:-build/default}
game=$root/$build/src/fennwick
replay=$root/$build/tools/replay/fennwick-replay
for program in "$game" "$replay"; do
  [ -x "$program" ] || { echo "FAIL: $program is not built" >&2; exit 1; }
done
for tool in Xvfb xdotool xwininfo xprop xwd convert compare c++; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/fennwick-e2e-sdl.XXXXXX")
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

failures=0
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*" >&2; failures=$((failures + 1)); }
now_ms() { date +%s%3N; }

# The window manager's close button, which Xvfb does not have.
c++ -std=c++17 -O1 -o "$work/x11_close_window" tests/e2e/x11_close_window.cpp -lX11

# A screen of our own: Xvfb picks a free display number and says which once it is ready.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; echo "FAIL: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "FAIL: Xvfb gave no display within 10 s" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY
echo "Xvfb on $DISPLAY"

# Starts the game from assets/ and waits for its window; sets game_pid and wid. Words before a
# "--" are NAME=VALUE settings for its environment, words after it the game's options.
start_game() {
  local settings=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do settings+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  (cd assets && exec env "${settings[@]}" "$game" "$@" >"$work/game.out" 2>"$work/game.err") &
  game_pid=$!
  wid=""
  local started
  started=$(now_ms)
  while [ -z "$wid" ] && [ $(($(now_ms) - started)) -lt 10000 ]; do
    kill -0 "$game_pid" 2>/dev/null || { cat "$work/game.err" >&2; echo "FAIL: the game exited at start" >&2; exit 1; }
    wid=$(xdotool search --onlyvisible --name '^Fennwick$' 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] || sleep 0.1
  done
  [ -n "$wid" ] || { echo "FAIL: no window titled Fennwick within 10 s" >&2; exit 1; }
  echo "game $game_pid, window $wid after $(($(now_ms) - started)) ms"
  # Keys go to the window with the focus; without a window manager nobody else gives it.
  timeout 5 xdotool windowfocus --sync "$wid" || true
}

# Waits up to $1 ms for the game to end; sets exit_code ("running" if it did not) and exit_ms.
wait_for_exit() {
  local limit=$1 started
  started=$(now_ms)
  while kill -0 "$game_pid" 2>/dev/null && [ $(($(now_ms) - started)) -lt "$limit" ]; do sleep 0.02; done
  exit_ms=$(($(now_ms) - started))
  if kill -0 "$game_pid" 2>/dev/null; then
    exit_code=running
    return
  fi
  exit_code=0
  wait "$game_pid" || exit_code=$?
  game_pid=""
}

# A key held for a moment: the game reads keys once a frame, and a press and release that both
# land between two frames would be seen by neither.
press() {
  xdotool keydown "$1"
  sleep "${2:-0.1}"
  xdotool keyup "$1"
}

# The window's inside as the screen shows it.
screenshot() {  # x y file
  xwd -root -silent | convert xwd:- -crop "800x600+$1+$2" +repage "$3"
}

# Pixels that differ between two pictures (ImageMagick prints the count on standard error).
difference() {
  compare -metric AE "$1" "$2" null: 2>&1 || true
}

# The figure: every pixel that is neither the open cells' grey nor the walls' black. Prints
# how many there are and their mean column.
figure_column() {
  convert "$1" -transparent '#E0E0E0' -transparent '#000000' sparse-color:- | tr ' ' '\n' |
    awk -F, 'NF >= 3 { sum += $1; n++ } END { if (n) printf "%d %.1f\n", n, sum / n; else print "0 -1" }'
}

geometry() {  # prints "x y width height" of the window's inside
  xwininfo -id "$wid" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# What the first frame must look like: the figure standing at its start, nothing pressed.
: >"$work/empty.script"
"$replay" --assets assets --frames 1 --dump 1 "$work/frame1.bmp" "$work/empty.script" >/dev/null

# --- Window, first picture, running, display mode, pace, Escape -----------------------------
start_game

read -r x y w h <<<"$(geometry)"
if [ "$x $y $w $h" = "50 150 800 600" ]; then pass "inside of the window is 800 x 600 at (50, 150)"
else fail "window inside is ${w} x ${h} at ($x, $y), wanted 800 x 600 at (50, 150)"; fi

hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
if grep -q "minimum size: 800 by 600" <<<"$hints" && grep -q "maximum size: 800 by 600" <<<"$hints"; then
  pass "window cannot be resized"
else fail "window can be resized: $hints"; fi

# The icon as the window system holds it (width, height, then 0xAARRGGBB pixels), against the
# pixels compiled into the game.
xprop -id "$wid" -notype 32c _NET_WM_ICON | sed 's/^[^=]*= *//' | tr -s ', ' '\n\n' >"$work/icon.shown"
{ echo 32; echo 32; printf '%d\n' $(grep -o '0x[0-9A-Fa-f]\{8\}u' src/app/resources/icon32_pixels.inc | tr -d u); } >"$work/icon.wanted"
if cmp -s "$work/icon.shown" "$work/icon.wanted"; then pass "window carries the game's 32 x 32 icon, pixel for pixel"
else fail "window icon is not the game's: starts $(head -c 60 "$work/icon.shown" | tr '\n' ' ')"; fi

# The first frames may still be on their way to the screen: allow a little time to settle.
matched=""
for _ in $(seq 20); do
  screenshot 50 150 "$work/start.png"
  differing=$(difference "$work/start.png" "$work/frame1.bmp")
  [ "$differing" = "0" ] && { matched=yes; break; }
  sleep 0.1
done
if [ -n "$matched" ]; then pass "window shows the replay tool's first frame exactly (compare -metric AE: 0)"
else fail "window differs from the replay tool's first frame in $differing pixels"; fi

# Processor time over two seconds of standing still: paced, not spinning. Only a game that
# never waits comes near a whole core; a busy machine can only push the figure down.
ticks() { awk '{print $14 + $15}' "/proc/$game_pid/stat"; }
hertz=$(getconf CLK_TCK)
before=$(ticks); started=$(now_ms)
sleep 2
after=$(ticks); elapsed=$(($(now_ms) - started))
load=$(awk -v t=$((after - before)) -v hz="$hertz" -v ms="$elapsed" 'BEGIN { printf "%.2f", t / hz / (ms / 1000) }')
if awk -v l="$load" 'BEGIN { exit !(l < 0.95) }'; then pass "game uses $load of a core while idle under Xvfb"
else fail "game uses $load of a core while idle under Xvfb (limit 0.95: it must wait for its frame, not spin)"; fi

read -r count start_column <<<"$(figure_column "$work/start.png")"
press Right 0.5
sleep 0.5  # let it glide to a stop
screenshot 50 150 "$work/ran.png"
read -r ran_count ran_column <<<"$(figure_column "$work/ran.png")"
if [ "$count" -gt 0 ] && awk -v a="$start_column" -v b="$ran_column" 'BEGIN { exit !(b > a + 20) }'; then
  pass "half a second of the right arrow moved the figure from column $start_column to $ran_column"
else fail "figure did not move right: $count pixels at column $start_column, then $ran_count at $ran_column"; fi

# Before the round trip, a picture at rest: from a short run the figure glides on for a while.
for _ in $(seq 16); do
  sleep 0.25
  screenshot 50 150 "$work/rest.png"
  [ "$(difference "$work/rest.png" "$work/ran.png")" = "0" ] && break
  cp "$work/rest.png" "$work/ran.png"
done

press F11
sleep 0.3
press F11
sleep 0.3
if kill -0 "$game_pid" 2>/dev/null && xwininfo -id "$wid" >/dev/null 2>&1; then pass "game runs on after F11 twice"
else fail "game is gone after F11 twice"; fi
# Back in a window: at (100, 150), 800 x 600 outside (there are no borders without a window
# manager), resizable, showing the same picture as before the round trip.
read -r x y w h <<<"$(geometry)"
if [ "$x $y $w $h" = "100 150 800 600" ]; then pass "after the round trip the window is 800 x 600 at (100, 150)"
else fail "after the round trip the window is ${w} x ${h} at ($x, $y), wanted 800 x 600 at (100, 150)"; fi
if xprop -id "$wid" WM_NORMAL_HINTS | grep -q "maximum size: 800 by 600"; then fail "window is still fixed in size after the round trip"
else pass "window is resizable after the round trip"; fi
screenshot 100 150 "$work/toggled.png"
differing=$(difference "$work/toggled.png" "$work/rest.png")
# A figure still creeping on could account for a few hundred pixels; a picture that is
# shifted, scaled or missing would differ in thousands.
if [ "$differing" = "0" ]; then pass "picture unchanged by the round trip (compare -metric AE: 0)"
elif [[ "$differing" =~ ^[0-9]+$ ]] && [ "$differing" -le $((2 * ran_count)) ]; then
  pass "picture after the round trip differs only where the figure crept on ($differing pixels)"
else fail "picture after the round trip differs in $differing pixels"; fi

# The pointer in, a drag out of the window and back, a click: the game reads none of it, but
# taking and releasing the mouse capture must not upset anything.
xdotool mousemove --window "$wid" 400 300 mousedown 1 mousemove 1000 900 mousemove --window "$wid" 300 200 \
  mouseup 1 click 3 mousemove 5 5 mousemove --window "$wid" 200 200 mousemove 1200 1000
sleep 0.2
if kill -0 "$game_pid" 2>/dev/null; then pass "game runs on after the pointer came, dragged, clicked and left"
else fail "game is gone after the pointer moved over it"; fi

press Escape
wait_for_exit 2000
if [ "$exit_code" = "0" ]; then pass "Escape ended the game with code 0, $exit_ms ms after the key came up"
else fail "Escape: after $exit_ms ms the game's exit code is $exit_code"; fi
if [ -s "$work/game.out" ] || [ -s "$work/game.err" ]; then
  fail "the game wrote something: $(cat "$work/game.out" "$work/game.err")"
else pass "the game wrote nothing"; fi

# --- The close button -------------------------------------------------------------------------
start_game
"$work/x11_close_window" "$wid"
wait_for_exit 2000
if [ "$exit_code" = "0" ]; then pass "closing the window ended the game with code 0 after $exit_ms ms"
else fail "close button: after $exit_ms ms the game's exit code is $exit_code"; fi
if [ -s "$work/game.out" ] || [ -s "$work/game.err" ]; then
  fail "the game wrote something: $(cat "$work/game.out" "$work/game.err")"
fi

# --- A pad -----------------------------------------------------------------------------------
# SDL's virtual joystick, plugged in and played through the test hook of the SDL entry.
# shellcheck source=tests/e2e/pad_session.sh
source tests/e2e/pad_session.sh
pad_commands=$work/pad.commands
recording=$work/pad.recording
pad_work=$work
snapshot() { screenshot 50 150 "$1"; }
wait_game_exit() { wait_for_exit $(($1 * 1000)); }
: >"$pad_commands"
start_game "FENNWICK_TEST_PAD=$pad_commands" -- --record "$recording"
play_pad_session
[ -n "$game_pid" ] && { kill "$game_pid" 2>/dev/null || true; wait "$game_pid" 2>/dev/null || true; game_pid=""; }
if [ -s "$work/game.err" ]; then fail "the game with a pad wrote: $(cat "$work/game.err")"; fi

# --- No display -------------------------------------------------------------------------------
code=0
(cd assets && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 timeout 10 "$game") 2>"$work/nodisplay.err" || code=$?
if [ "$code" != "0" ] && grep -q "^fennwick: " "$work/nodisplay.err"; then
  pass "without a display the game exits with code $code: $(head -n1 "$work/nodisplay.err")"
else fail "without a display the game exited with code $code and said: $(cat "$work/nodisplay.err")"; fi
code=0
env -u DISPLAY -u WAYLAND_DISPLAY scripts/play.sh >/dev/null 2>"$work/play.err" || code=$?
if [ "$code" != "0" ] && grep -qi "display" "$work/play.err"; then
  pass "without a display play.sh exits with code $code: $(head -n1 "$work/play.err")"
else fail "without a display play.sh exited with code $code and said: $(cat "$work/play.err")"; fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "SDL window: all checks passed"
