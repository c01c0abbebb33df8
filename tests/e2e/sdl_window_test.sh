#!/usr/bin/env bash
# The SDL game in a real X window, on a private Xvfb screen, driven from outside with xdotool:
# the window's place, size, title and icon; its first picture against the replay tool's;
# its pace and the processor time it takes; a run to the right; two display-mode toggles,
# without and with a window manager; keys let go when the focus goes; a played session
# recorded, replayed by the replay tool and played back as a demo, all ending on the picture
# the screen showed; the live loop under a storm of input (scripts/test.d/lib/stress.sh); a
# sound device that opens and one that does not; Escape; the close button; a pad (SDL's
# virtual joystick) that runs, jumps, is pulled out and quits; and the clear failure without
# a display.
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
for tool in Xvfb xdotool xwininfo xprop xwd convert compare c++ xlogo openbox; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps.sh)" >&2; exit 1; }
done

# shellcheck source=tests/e2e/x11_session.sh
source tests/e2e/x11_session.sh
begin_session e2e-sdl

# The window manager's close button, which Xvfb does not have.
c++ -std=c++17 -O1 -o "$work/x11_close_window" tests/e2e/x11_close_window.cpp -lX11

start_xvfb

# Starts the game from assets/ with the given options and waits for its window; sets game_pid
# and wid.
start_game() { start_in assets "$game" "$@"; }

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

# --- Window, first picture, pace, running, display mode, Escape -----------------------------
# With a sound device that opens; the close button's start has none.
SDL_AUDIODRIVER=dummy start_game --record "$work/pace.script"

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
if wait_for_picture "$work/start.png" "$work/frame1.bmp"; then pass "window shows the replay tool's first frame exactly (compare -metric AE: 0)"
else fail "window differs from the replay tool's first frame in $differing pixels"; fi

# The pace, counted in frames: a key the game ignores (Shift) pressed at two moments ten
# seconds apart lands in the recording with the frame it came before. The processor time over
# the same seconds shows the game sleeps between frames instead of spinning.
ticks() { awk '{print $14 + $15}' "/proc/$game_pid/stat"; }
hertz=$(getconf CLK_TCK)
press Shift_L 0.1
before=$(ticks); started=$(now_ms)
sleep 10
press Shift_L 0.1
after=$(ticks); elapsed=$(($(now_ms) - started))
read -r first_frame last_frame <<<"$(awk '$2 == "down" && $3 == 16 { f[++n] = $1 } END { print f[1], f[n] }' "$work/pace.script")"
rate=$(awk -v a="$first_frame" -v b="$last_frame" -v ms="$elapsed" 'BEGIN { if (a == "" || b == a) print 0; else printf "%.1f", (b - a) / (ms / 1000) }')
if awk -v r="$rate" 'BEGIN { exit !(r >= 58 && r <= 62) }'; then
  pass "the game ran $((last_frame - first_frame)) frames in $elapsed ms: $rate a second"
else fail "the game ran frames $first_frame to $last_frame in $elapsed ms: $rate a second, wanted 60 +- 2"; fi
load=$(awk -v t=$((after - before)) -v hz="$hertz" -v ms="$elapsed" 'BEGIN { printf "%.2f", t / hz / (ms / 1000) }')
if awk -v l="$load" 'BEGIN { exit !(l < 0.5) }'; then pass "game uses $load of a core while standing under Xvfb"
else fail "game uses $load of a core while standing under Xvfb (limit 0.5: it must sleep between frames)"; fi

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

# --- Focus, and a session recorded, replayed and played back ---------------------------------
# Waits until the window's picture stops changing; leaves it in $1.
wait_for_rest() {
  local previous="$work/rest-previous.png"
  screenshot "$x" "$y" "$previous"
  for _ in $(seq 40); do
    sleep 0.25
    screenshot "$x" "$y" "$1"
    [ "$(difference "$1" "$previous")" = "0" ] && return 0
    cp "$1" "$previous"
  done
  return 1
}

start_game --record "$work/session.script"
read -r x y w h <<<"$(geometry)"
xlogo -geometry 100x100+1000+0 2>/dev/null &
other_pids+=($!)
other=""
for _ in $(seq 50); do
  other=$(xdotool search --onlyvisible --class xlogo 2>/dev/null | head -n1 || true)
  [ -n "$other" ] && break
  sleep 0.1
done

# The right arrow goes down in the game, the focus moves away, the arrow comes up elsewhere. A
# key left down would run the figure on into the wall, where the first run stopped it; let go,
# it glides to rest well short of it.
wait_for_rest "$work/before-focus.png" || true
xdotool keydown Right
sleep 0.1
timeout 5 xdotool windowfocus --sync "$other" || true
xdotool keyup Right
rested=yes
wait_for_rest "$work/after-focus.png" || rested=""
read -r _ away_column <<<"$(figure_column "$work/after-focus.png")"
if [ -n "$rested" ] && awk -v a="$away_column" -v wall="$ran_column" 'BEGIN { exit !(a < wall - 3) }'; then
  pass "with the focus gone the figure came to rest at column $away_column, short of the wall at $ran_column"
else fail "with the focus gone the figure did not stop short of the wall (column $away_column, wall at $ran_column)"; fi
timeout 5 xdotool windowfocus --sync "$wid" || true
press Left 0.3
sleep 0.3
screenshot "$x" "$y" "$work/focus-back.png"
read -r _ back_column <<<"$(figure_column "$work/focus-back.png")"
if awk -v a="$away_column" -v b="$back_column" 'BEGIN { exit !(b < a - 10) }'; then
  pass "with the focus back the arrows run again (column $away_column to $back_column)"
else fail "with the focus back the left arrow did not move the figure (column $away_column to $back_column)"; fi

# Run at the wall, jump, cling, jump off it, and a little more: over five seconds of play.
xdotool keydown Right
sleep 0.25
xdotool keydown space
sleep 1.2
xdotool keydown Left
sleep 0.05
xdotool keyup space
sleep 0.05
xdotool keydown space
sleep 0.1
xdotool keyup space keyup Left
sleep 1.5
xdotool keyup Right
press Left 0.6
press space 0.4
sleep 0.5
press Right 0.3
wait_for_rest "$work/session-end.png" || fail "the figure did not come to rest after the session"
sleep 2
press Escape
wait_for_exit 2000
[ "$exit_code" = "0" ] || fail "Escape after the session: exit code $exit_code"
last=$(awk '$2 == "end" { print $1 }' "$work/session.script")
frames=$(grep -c '^[0-9]' "$work/session.script" || true)
"$replay" --assets assets --dump "$last" "$work/replayed.bmp" "$work/session.script" >/dev/null ||
  fail "the replay tool refused the recording"
differing=$(difference "$work/session-end.png" "$work/replayed.bmp")
if [ "$differing" = "0" ]; then
  pass "the recording ($frames lines, $last frames) replays to the picture the screen showed (AE 0)"
else fail "the recording replays to a picture that differs from the screen's in $differing pixels"; fi

# The demo: it stands at rest for its last two seconds, so the screen shows its last picture
# before it ends by itself.
start_game --play "$work/session.script"
shown=""
while kill -0 "$game_pid" 2>/dev/null; do
  read -r x y w h <<<"$(geometry 2>/dev/null || echo 0 0 0 0)"
  [ "$w" = "800" ] || { sleep 0.1; continue; }
  screenshot "$x" "$y" "$work/demo.png" 2>/dev/null || true
  [ "$(difference "$work/demo.png" "$work/replayed.bmp")" = "0" ] && { shown=yes; break; }
  sleep 0.1
done
if [ -n "$shown" ]; then pass "the demo showed the recording's last picture"
else fail "the demo never showed the recording's last picture"; fi
wait_for_exit 30000
if [ "$exit_code" = "0" ]; then pass "the demo ended by itself with code 0"
else fail "the demo: exit code $exit_code after its script"; fi
kill "${other_pids[@]}" 2>/dev/null || true

# --- The README's bug-report steps, as written -----------------------------------------------
# Typed as a player types them, in a top folder laid out as the repository's: record a session,
# then the replay tool's frame lines, the last frame as a picture, and the demo.
bugtop=$work/bug-report
mkdir -p "$bugtop"
cp -r assets "$bugtop/"
ln -s "$root/build" "$bugtop/build"
readme_block() {  # N: the Nth code block of the README's "Reporting a bug"
  awk -v n="$1" '/^## / { s = ($0 == "## Reporting a bug") }
    s && /^```/ { if (open) open = 0; else { open = 1; b++ }; next } s && open && b == n' README.md
}
mapfile -t replay_steps < <(readme_block 2)
start_in "$bugtop" bash -c "$(readme_block 1)"
read -r x y w h <<<"$(geometry)"
press Right 0.4
press space 0.3
wait_for_rest "$work/bug-end.png" || fail "bug report: the figure did not come to rest"
press Escape
wait_for_exit 2000
(cd "$bugtop" && bash -c "${replay_steps[0]}") >"$work/bug.hash" 2>&1 || true
last=$(tail -n 1 "$work/bug.hash" | cut -d' ' -f1)
(cd "$bugtop" && bash -c "${replay_steps[1]//1234/$last}") >/dev/null 2>&1 || true
differing=$(difference "$bugtop/frame.bmp" "$work/bug-end.png")
if [ "${#replay_steps[@]}" = 3 ] && [ "$differing" = "0" ]; then
  pass "the README's bug-report steps replay the session to the picture the screen showed (frame $last)"
else fail "the README's bug-report steps: frame '$last' differs from the screen in '$differing' pixels; steps: ${replay_steps[*]}"; fi
start_in "$bugtop" bash -c "${replay_steps[2]}"
wait_for_exit 30000
[ "$exit_code" = "0" ] && pass "the README's demo step played the session and ended" ||
  fail "the README's demo step: exit code $exit_code"

# --- Full screen and back with a window manager ------------------------------------------------
openbox >/dev/null 2>&1 &
other_pids+=($!)
sleep 1
start_game
read -r x y w h <<<"$(geometry)"
wait_for_rest "$work/managed-before.png" || true
press F11
sleep 0.5
press F11
sleep 0.5
read -r x y w h <<<"$(geometry)"
if [ "$w $h" = "800 600" ]; then pass "with a window manager, after F11 twice the inside of the window is 800 x 600"
else fail "with a window manager, after F11 twice the inside of the window is $w x $h"; fi
wait_for_rest "$work/managed-after.png" || true
differing=$(difference "$work/managed-after.png" "$work/frame1.bmp")
if [ "$differing" = "0" ]; then pass "and it shows the replay's picture pixel for pixel"
else fail "after F11 twice with a window manager the picture differs from the replay's in $differing pixels"; fi
press Escape
wait_for_exit 2000
[ "$exit_code" = "0" ] || fail "Escape with a window manager: exit code $exit_code"

# --- The live loop under stress ----------------------------------------------------------------
# Still with the window manager, as a player has one: without it SDL waits a tenth of a second
# for an answer that never comes to every full-screen change, and the storm's twenty F11 would
# cost frames that no player's desktop costs.
# shellcheck source=../../scripts/test.d/lib/stress.sh
source scripts/test.d/lib/stress.sh
stress_screenshot() {
  local sx sy
  read -r sx sy _ _ <<<"$(geometry)"
  screenshot "$sx" "$sy" "$1"
}
stress_locate_window() { :; }
stress_focus_away() { timeout 5 xdotool windowfocus --sync "$stress_other" 2>/dev/null || true; }
stress_focus_back() { timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null || true; }
if stress_open_other_window; then
  SDL_AUDIODRIVER=dummy start_game --record "$work/stress.script"
  stress_check "under stress" "$work/stress.script" "$work"
  press Escape
  wait_for_exit 2000
  if [ "$exit_code" = "0" ]; then pass "under stress: Escape ended the game with code 0"
  else fail "under stress: after Escape the game's exit code is $exit_code"; fi
  stress_check_replay "under stress" "$work/stress.script" "$replay" "$work"
  stress_close_other_window
else fail "under stress: no window to take the focus away to"; fi
kill "${other_pids[@]}" 2>/dev/null || true
other_pids=()

# --- No sound, then the close button -----------------------------------------------------------
SDL_AUDIODRIVER=no-such-driver start_game
matched=""
for _ in $(seq 20); do
  screenshot 50 150 "$work/silent.png"
  [ "$(difference "$work/silent.png" "$work/frame1.bmp")" = "0" ] && { matched=yes; break; }
  sleep 0.1
done
if [ -n "$matched" ]; then pass "without a sound driver the game runs, silent, showing its first frame"
else fail "without a sound driver the window does not show the first frame"; fi
"$work/x11_close_window" "$wid"
wait_for_exit 2000
if [ "$exit_code" = "0" ]; then pass "closing the window ended the game with code 0 after $exit_ms ms"
else fail "close button: after $exit_ms ms the game's exit code is $exit_code"; fi
if [ -s "$work/game.out" ] || [ -s "$work/game.err" ]; then
  fail "the game wrote something: $(cat "$work/game.out" "$work/game.err")"
fi

# --- A damaged picture ---------------------------------------------------------------------------
# One running frame cut short in a copy of the pictures: named with the reason, and the game plays.
mkdir -p "$work/damaged"
cp -r assets/Stick* "$work/damaged/"
truncate -s 1000 "$work/damaged/StickRun/Run0003.bmp"
start_in "$work/damaged" "$game"
wait_for_picture "$work/damaged.png" "$work/frame1.bmp" || fail "with a damaged running frame the first frame is not the replay's"
press Escape
wait_for_exit 2000
said=$(cat "$work/game.err")
if [ "$exit_code" = "0" ] && [ "$said" = "fennwick: 1 picture file in $work/damaged cannot be shown: StickRun/Run0003.bmp: not a bitmap (the file is cut short)" ]; then
  pass "a damaged picture is named and the game plays on: $said"
else fail "with a damaged picture: exit code $exit_code, said '$said'"; fi

# --- A pad -----------------------------------------------------------------------------------
# SDL's virtual joystick, plugged in and played through the test hook of the SDL entry.
# shellcheck source=tests/e2e/pad_session.sh
source tests/e2e/pad_session.sh
pad_commands=$work/pad.commands
recording=$work/pad.recording
pad_work=$work
snapshot() { screenshot 50 150 "$1"; }
expect_exit() {
  wait_for_exit 10000
  if [ "$exit_code" = "$1" ]; then pass "$2: exit code $exit_code"; else fail "$2: exit code $exit_code, expected $1"; fi
}
xlogo -geometry 100x100+1000+0 2>/dev/null &
other_pids+=($!)
other=$(timeout 20 xdotool search --sync --class '^xlogo$' 2>/dev/null | head -n1 || true)
focus_away() { timeout 5 xdotool windowfocus --sync "$other"; }
focus_back() { timeout 5 xdotool windowfocus --sync "$wid"; }
: >"$pad_commands"
FENNWICK_TEST_PAD=$pad_commands start_in assets "$root/$build/src/fennwick-e2e" --record "$recording"
play_pad_session
[ -n "$game_pid" ] && { kill "$game_pid" 2>/dev/null || true; wait "$game_pid" 2>/dev/null || true; game_pid=""; }
if [ -s "$work/game.err" ]; then fail "the game with a pad wrote: $(cat "$work/game.err")"; fi

# --- No display -------------------------------------------------------------------------------
# Neither an unset DISPLAY nor one with no server behind it may leave the game running unseen.
unused=$(( $(head -n1 "$work/display") + 1 ))
while [ -e "/tmp/.X11-unix/X$unused" ]; do unused=$((unused + 1)); done
for setting in "-u DISPLAY" "DISPLAY=:$unused"; do
  code=0
  # shellcheck disable=SC2086
  (cd assets && env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER $setting timeout 2 "$game") 2>"$work/nodisplay.err" || code=$?
  if [ "$code" = "1" ] && grep -q "^fennwick: no display: " "$work/nodisplay.err"; then
    pass "with env $setting the game exits at once with code 1: $(grep '^fennwick' "$work/nodisplay.err")"
  else fail "with env $setting the game exited with code $code (124: still running after 2 s) and said: $(cat "$work/nodisplay.err")"; fi
done
# A bad option: the usage on standard error and code 2, before any window (with a display nobody
# serves, trying to open one would end in code 1).
code=0
(cd assets && env DISPLAY=":$unused" "$game" --no-such-option) >"$work/badopt.out" 2>"$work/badopt.err" || code=$?
if [ "$code" = "2" ] && grep -q "^usage: fennwick" "$work/badopt.err" && [ ! -s "$work/badopt.out" ]; then
  pass "a bad option ends the game with code 2 and the usage, opening no window: $(head -n1 "$work/badopt.err")"
else fail "a bad option: code $code, said '$(cat "$work/badopt.out" "$work/badopt.err")'"; fi
code=0
env -u WAYLAND_DISPLAY DISPLAY=":$unused" timeout 120 scripts/play.sh >/dev/null 2>"$work/play.err" || code=$?
if [ "$code" != "0" ] && [ "$code" != "124" ] && grep -q "^fennwick: no display" "$work/play.err"; then
  pass "with a display nobody serves play.sh builds, then exits with code $code: $(grep '^fennwick' "$work/play.err")"
else fail "with a display nobody serves play.sh exited with code $code (124: still running) and said: $(tail -n 3 "$work/play.err")"; fi
code=0
env -u DISPLAY -u WAYLAND_DISPLAY scripts/play.sh >/dev/null 2>"$work/play.err" || code=$?
if [ "$code" != "0" ] && grep -qi "display" "$work/play.err"; then
  pass "without a display play.sh exits with code $code: $(head -n1 "$work/play.err")"
else fail "without a display play.sh exited with code $code and said: $(cat "$work/play.err")"; fi

finish_session "SDL window"
