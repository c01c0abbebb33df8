#!/usr/bin/env bash
# The SDL game in a real X window, on a private Xvfb screen, driven from outside with xdotool:
# the window's place, size, title and icon; its first picture against the replay tool's;
# its pace and the processor time it takes; a run to the right; two display-mode toggles,
# without and with a window manager; keys let go when the focus goes; a played session
# recorded, replayed by the replay tool and played back as a demo, all ending on the picture
# the screen showed, and proved by its checkpoints (--verify, natively and under Node), and the
# demo paused, stepped and sought to the replay tool's pictures; a recording that cannot be
# written, told at once; one cut short by kill -9, proved to its last second; the live loop
# under a storm of input (lib/stress.sh); a sound device that
# opens and one that does not; Escape; the close button; the README's bug-report steps; a
# damaged picture named; a pad (SDL's virtual joystick, lib/pad.sh) that runs, jumps, is pulled
# out, runs again after the focus went and came back, and quits; a bad option; and the clear
# failure without a display, of the game and of play.sh. Runs on the default build, already built.
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=lib/session.sh
source scripts/test.d/lib/session.sh
build=$root/build/default
game=$build/src/fennwick
# The game with the test pad, for the pad session.
pad_game=$build/src/fennwick-e2e
native_replay=$build/tools/replay/fennwick-replay
close_window=$build/tests/e2e/x11_close_window
for program in "$game" "$pad_game" "$native_replay" "$close_window"; do
  [ -x "$program" ] || session_abort "$program is not built"
done
for tool in Xvfb xdotool xwininfo xprop xwd convert compare xlogo openbox; do
  command -v "$tool" >/dev/null || session_abort "$tool is not installed (scripts/install-deps.sh)"
done

session_begin e2e-sdl
# The replay tool built for Node, which proves the recordings too.
find_node_replay
session_screen
start_game() { launch "$@" && find_window && locate || session_abort "the game did not start: $*"; }

# The figure: every pixel that is neither the open cells' grey nor the walls' black. Prints
# how many there are and their mean column.
figure_column() {
  convert "$1" -transparent '#E0E0E0' -transparent '#000000' sparse-color:- | tr ' ' '\n' |
    awk -F, 'NF >= 3 { sum += $1; n++ } END { if (n) printf "%d %.1f\n", n, sum / n; else print "0 -1" }'
}
wrote_nothing() {
  check "$1" "it wrote $(cat "$out/game.out" "$out/game.err")" -- '[ ! -s "$out/game.out" ] && [ ! -s "$out/game.err" ]'
}

# What the first frame must look like: the figure standing at its start, nothing pressed.
"$native_replay" --assets assets --frames 1 --dump 1 "$out/frame1.bmp" </dev/null >/dev/null

# --- Window, first picture, pace, running, display mode, Escape -----------------------------
# With a sound device that opens; the close button's start has none.
start_game SDL_AUDIODRIVER=dummy "$game" --record "$out/pace.script"

check "inside of the window is 800 x 600 at (50, 150)" "it is $client" -- [ "$client" = 800x600+50+150 ]

hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
check "window cannot be resized" "$hints" -- \
  'grep -q "minimum size: 800 by 600" <<<"$hints" && grep -q "maximum size: 800 by 600" <<<"$hints"'

# The icon as the window system holds it (width, height, then 0xAARRGGBB pixels), against the
# pixels compiled into the game.
xprop -id "$wid" -notype 32c _NET_WM_ICON | sed 's/^[^=]*= *//' | tr -s ', ' '\n\n' >"$out/icon.shown"
{ echo 32; echo 32; printf '%d\n' $(grep -o '0x[0-9A-Fa-f]\{8\}u' src/front/icon32_pixels.inc | tr -d u); } >"$out/icon.wanted"
check "window carries the game's 32 x 32 icon, pixel for pixel" "it starts $(head -c 60 "$out/icon.shown" | tr '\n' ' ')" -- \
  cmp -s "$out/icon.shown" "$out/icon.wanted"

# The first frames may still be on their way to the screen: allow a little time to settle.
expect_picture "$out/start.png" "$out/frame1.bmp" "window shows the replay tool's first frame exactly (compare -metric AE: 0)"

# Ten seconds standing, under half a core.
pace_from "$game_pid"
sleep 10
pace_check "$out/pace.script" 0.5

read -r count start_column <<<"$(figure_column "$out/start.png")"
hold Right 0.5
sleep 0.5  # let it glide to a stop
screenshot "$out/ran.png"
read -r ran_count ran_column <<<"$(figure_column "$out/ran.png")"
check "half a second of the right arrow moved the figure from column $start_column to $ran_column" \
  "$count pixels at column $start_column, then $ran_count at $ran_column" -- \
  holds 'n > 0 && b > a + 20' n="$count" a="$start_column" b="$ran_column"

# Before the round trip, a picture at rest: from a short run the figure glides on for a while.
wait_for_still "$out/rest.png" 1 0.25 16 || true

hold F11 0.1
sleep 0.3
hold F11 0.1
sleep 0.3
check "game runs on after F11 twice" "it is gone" -- 'kill -0 "$game_pid" 2>/dev/null && xwininfo -id "$wid" >/dev/null 2>&1'
# Back in a window: at (100, 150), 800 x 600 outside (there are no borders without a window
# manager), resizable, showing the same picture as before the round trip.
locate
check "after the round trip the window is 800 x 600 at (100, 150)" "it is $client" -- [ "$client" = 800x600+100+150 ]
check "window is resizable after the round trip" "it is still fixed in size" -- \
  '! xprop -id "$wid" WM_NORMAL_HINTS | grep -q "maximum size: 800 by 600"'
screenshot "$out/toggled.png"
differing=$(differing "$out/toggled.png" "$out/rest.png")
# A figure still creeping on could account for a few hundred pixels; a picture that is
# shifted, scaled or missing would differ in thousands.
check "picture after the round trip is unchanged, or differs only where the figure crept on ($differing pixels)" \
  "more than $((2 * ran_count))" -- '[ "$differing" = 0 ] || { [[ $differing =~ ^[0-9]+$ ]] && [ "$differing" -le $((2 * ran_count)) ]; }'

# The pointer in, a drag out of the window and back, a click: the game reads none of it, but
# taking and releasing the mouse capture must not upset anything.
xdotool mousemove --window "$wid" 400 300 mousedown 1 mousemove 1000 900 mousemove --window "$wid" 300 200 \
  mouseup 1 click 3 mousemove 5 5 mousemove --window "$wid" 200 200 mousemove 1200 1000
sleep 0.2
check "game runs on after the pointer came, dragged, clicked and left" "it is gone" -- 'kill -0 "$game_pid" 2>/dev/null'

quit "Escape ended the game"
wrote_nothing "the game wrote nothing"

# --- Focus, and a session recorded, replayed and played back ---------------------------------
start_game "$game" --record "$out/session.script"
other_window 100x100+1000+0 || true

# A key left down as the focus goes would run the figure on into the wall, where the first run
# stopped it; let go, it glides to rest well short of it.
wait_for_still "$out/before-focus.png" || true
rested=yes
key_up_elsewhere "$out/after-focus.png" 0.1 || rested=""
read -r _ away_column <<<"$(figure_column "$out/after-focus.png")"
check "with the focus gone the figure came to rest at column $away_column, short of the wall at $ran_column" \
  "at rest: ${rested:-no}" -- holds 'rested && a < wall - 3' rested="${rested:+1}" a="$away_column" wall="$ran_column"
focus
hold Left 0.3
sleep 0.3
screenshot "$out/focus-back.png"
read -r _ back_column <<<"$(figure_column "$out/focus-back.png")"
check "with the focus back the arrows run again (column $away_column to $back_column)" "the left arrow did not move the figure" -- \
  holds 'b < a - 10' a="$away_column" b="$back_column"

# Run at the wall, jump, cling, jump off it, and a little more: over five seconds of play. The
# keys leave the figure time to spare at each step, so a busy machine cannot make it miss the
# wall: run right until pressed against the step, jump it, run on off its edge and fall against
# the pit's far wall, which catches the figure while right is held; then left and space push
# it off.
xdotool keydown Right sleep 1.0 keydown space sleep 0.3 keyup space sleep 2.5 \
  keydown Left sleep 0.1 keydown space sleep 0.1 keyup space keyup Left keyup Right
hold Left 0.6
hold space 0.4
sleep 0.5
hold Right 0.3
wait_for_still "$out/session-end.png" || fail "the figure did not come to rest after the session"
sleep 2
# Tapped, as on-screen keyboards and remote desktops send it: the press counts though the key is
# up again before the game's next frame, and the recording, replayed, ends there too.
tap Escape
expect_exit 0 "a tap of Escape, with no hold, ended the game after the session" "$escape_wait"
check_replay "$out/session.script" "$out/session-end.png" replay wall
check_demo 30 "$game" --play "$out/session.script"
check_viewer "$out/session.script" "$game" --play "$out/session.script"
check_take_over "$out/session.script" "$out/taken.script" "$game" --play "$out/session.script" --record "$out/taken.script"

# --- A recording that cannot be written, and one cut short ------------------------------------
start_game "$game" --record /dev/full
hold Right 0.3
check "a recording that cannot be written is told at once, and the game plays on" "it said: $(game_said)" -- \
  'game_said | grep -q "cannot be written: No space left on device" && kill -0 "$game_pid" 2>/dev/null'
hold Escape "$key_hold"
expect_exit 1 "a game whose recording could not be written exits 1 at the end" "$escape_wait"

recording=$out/killed.script
start_game "$game" --record "$recording"
hold Right 0.4
hold space 0.3
# The press's release is the last line of play; the game runs on over a second past it, and a
# checkpoint must have come after it, the one a replay is proved to.
wait_recorded "up 32" || fail "killed: the recording never showed the release of space"
sleep 1.5
kill -9 "$game_pid"
wait "$game_pid" 2>/dev/null || true
game_pid=""
released=$(recorded_frame "up 32")
proved=$(awk '$2 == "check" { f = $1 } END { print f + 0 }' "$recording")
ok=yes
verifies 0 ' frames, [0-9,]+ checkpoints?, all match' "$recording" "$native_replay" || ok=""
check "killed with -9 a second after play, the recording is proved to frame $proved, past the last key at $released" \
  "it says: $said" -- '[ -n "$ok" ] && [ "${proved:-0}" -gt "${released:-0}" ]'

# --- The README's bug-report steps, as written ------------------------------------------------
# Typed as a player types them, in a top folder laid out as the repository's: record a session,
# then the replay tool's frame lines, the last frame as a picture, and the demo.
bugtop=$out/bug-report
mkdir -p "$bugtop"
cp -r assets "$bugtop/"
ln -sfn "$root/build" "$bugtop/build"
readme_block() {  # N: the Nth code block of the README's "Reporting a bug"
  awk -v n="$1" '/^## / { s = ($0 == "## Reporting a bug") }
    s && /^```/ { if (open) open = 0; else { open = 1; b++ }; next } s && open && b == n' README.md
}
mapfile -t replay_steps < <(readme_block 2)
launch_dir=$bugtop start_game bash -c "$(readme_block 1)"
hold Right 0.4
hold space 0.3
wait_for_still "$out/bug-end.png" || fail "bug report: the figure did not come to rest"
quit "bug report: Escape"
last=$(cd "$bugtop" && bash -c "${replay_steps[0]}" | tail -n 1 | cut -d' ' -f1) || true
(cd "$bugtop" && bash -c "${replay_steps[1]//1234/$last}") >/dev/null 2>&1 || true
differing=$(differing "$bugtop/frame.bmp" "$out/bug-end.png")
check "the README's bug-report steps replay the session to the picture the screen showed (frame $last)" \
  "${#replay_steps[@]} steps; frame '$last' differs from the screen in '$differing' pixels" -- \
  '[ "${#replay_steps[@]}" = 3 ] && [ "$differing" = 0 ]'
launch_dir=$bugtop start_game bash -c "${replay_steps[2]}"
expect_exit 0 "the README's demo step played the session and ended" 30
close_other_window

# --- Keys of the player's choosing ---------------------------------------------------------------
# D and W play as the right arrow and space do, so the recording holds the game's own keys and
# replays to the screen's picture; the arrow that D replaced is heard nowhere.
start_game "$game" --keys a,d,w --record "$out/keys.script"
hold d 0.5
hold Right 0.3
hold w 0.3
wait_for_still "$out/keys-end.png" || fail "keys: the figure did not come to rest"
quit "keys: Escape"
check "keys: D and W were recorded as the right arrow and space, and nothing else" "it holds: $(grep -c down "$out/keys.script") presses" -- \
  '[ "$(grep -c " down 39$" "$out/keys.script")" = 1 ] && [ "$(grep -c " down 32$" "$out/keys.script")" = 1 ] && ! grep -Eq " (down|up) (68|87)$" "$out/keys.script"'
check_replay "$out/keys.script" "$out/keys-end.png" "keys a,d,w"

# --- A slower pace ----------------------------------------------------------------------------
# Half pace is thirty frames a second, each the frame it is at full pace: the recording replays
# to the screen's picture.
start_game "$game" --pace 50 --record "$out/slow.script"
pace_from "$game_pid"
sleep 10
pace_check "$out/slow.script" 0.5 30 3
hold Right 0.5
wait_for_still "$out/slow-end.png" || fail "pace 50: the figure did not come to rest"
quit "pace 50: Escape"
check_replay "$out/slow.script" "$out/slow-end.png" "pace 50"

# --- Full screen and back with a window manager ------------------------------------------------
check_managed_round_trip "$game"

# Full screen shows the whole picture scaled with its shape kept: on the 1280 x 1024 screen,
# 1280 x 960 from row 32, each pixel the frame's pixel under its centre (ImageMagick's -sample),
# black bars above and below.
session_openbox
start_game "$game"
wait_for_picture "$out/fullscreen-start.png" "$out/frame1.bmp" || true
convert "$out/frame1.bmp" -sample 1280x960 "$out/frame1-scaled.png"
hold F11 "$key_hold"
client=1280x960+0+32 expect_picture "$out/fullscreen.png" "$out/frame1-scaled.png" \
  "full screen: the first frame scaled to 1280 x 960, pixel for pixel"
bars=$(screenshot "$out/fullscreen-all.png" 1280x1024+0+0 && for crop in 1280x32+0+0 1280x32+0+992; do
  convert "$out/fullscreen-all.png" -crop "$crop" +repage -format '%[fx:maxima] ' info:; done)
check "full screen: the bars above and below the picture are black" "their brightest: $bars" -- [ "$bars" = "0 0 " ]
quit "full screen: Escape"
session_openbox_end

# --- The live loop under stress ----------------------------------------------------------------
# With a window manager, as a player has one: without it SDL waits a tenth of a second for an
# answer that never comes to every full-screen change, and the storm's twenty F11 would cost
# frames that no player's desktop costs.
# shellcheck source=lib/stress.sh
source scripts/test.d/lib/stress.sh
session_openbox
if stress_open_other_window; then
  start_game SDL_AUDIODRIVER=dummy "$game" --record "$out/stress.script"
  stress_check "under stress" "$out/stress.script"
  quit "under stress: Escape ended the game"
  check_replay "$out/stress.script" "$out/stress-rest.png" "under stress"
  close_other_window
else fail "under stress: no window to take the focus away to"; fi
session_openbox_end

# --- No sound, then the close button -----------------------------------------------------------
start_game SDL_AUDIODRIVER=no-such-driver "$game"
expect_picture "$out/silent.png" "$out/frame1.bmp" "without a sound driver the game runs, silent, showing its first frame"
"$close_window" "$wid"
expect_exit 0 "closing the window ended the game" 2
wrote_nothing "closing the window: the game wrote nothing"

# --- A damaged picture ---------------------------------------------------------------------------
check_damaged_picture "$out/damaged" "$game"

# --- A pad -----------------------------------------------------------------------------------
# SDL's virtual joystick, plugged in and played through the test hook of the SDL entry.
# shellcheck source=lib/pad.sh
source scripts/test.d/lib/pad.sh
pad_commands=$out/pad.commands
recording=$out/pad.recording
other_window 100x100+1000+0 || true
: >"$pad_commands"
start_game FENNWICK_TEST_PAD="$pad_commands" "$pad_game" --record "$recording"
play_pad_session
[ -n "$game_pid" ] && { kill "$game_pid" 2>/dev/null || true; wait "$game_pid" 2>/dev/null || true; game_pid=""; }
[ ! -s "$out/game.err" ] || fail "the game with a pad wrote: $(cat "$out/game.err")"

# --- No display -------------------------------------------------------------------------------
# Neither an unset DISPLAY nor one with no server behind it may leave the game running unseen.
unused=$(( $(head -n1 "$out/display") + 1 ))
while [ -e "/tmp/.X11-unix/X$unused" ]; do unused=$((unused + 1)); done
for setting in "-u DISPLAY" "DISPLAY=:$unused"; do
  code=0
  # shellcheck disable=SC2086
  (cd assets && env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER $setting timeout 2 "$game") 2>"$out/nodisplay.err" || code=$?
  check "with env $setting the game exits at once with code 1: $(grep '^fennwick' "$out/nodisplay.err")" \
    "code $code (124: still running after 2 s), and it said: $(cat "$out/nodisplay.err")" -- \
    '[ "$code" = 1 ] && grep -q "^fennwick: no display: " "$out/nodisplay.err"'
done
# A bad option: the usage on standard error and code 2, before any window (with a display nobody
# serves, trying to open one would end in code 1).
code=0
(cd assets && DISPLAY=":$unused" "$game" --no-such-option) >"$out/badopt.out" 2>"$out/badopt.err" || code=$?
check "a bad option ends the game with code 2 and the usage, opening no window: $(head -n1 "$out/badopt.err")" \
  "code $code, said '$(cat "$out/badopt.out" "$out/badopt.err")'" -- \
  '[ "$code" = 2 ] && grep -q "^usage: fennwick" "$out/badopt.err" && [ ! -s "$out/badopt.out" ]'
code=0
(cd assets && DISPLAY=":$unused" "$game" --keys a,escape,w) >"$out/badkeys.out" 2>"$out/badkeys.err" || code=$?
check "keys that take Escape are refused with code 2, saying why: $(head -n1 "$out/badkeys.err")" \
  "code $code, said '$(cat "$out/badkeys.out" "$out/badkeys.err")'" -- \
  '[ "$code" = 2 ] && grep -q "escape cannot be the key for right" "$out/badkeys.err"'
code=0
(cd assets && DISPLAY=":$unused" "$game" --keys backspace,d,w) >"$out/badkeys.out" 2>"$out/badkeys.err" || code=$?
check "keys that take Backspace, the rewind, are refused with code 2" "code $code, said '$(cat "$out/badkeys.err")'" -- \
  '[ "$code" = 2 ] && grep -q "backspace cannot be the key for left" "$out/badkeys.err"'
# Fourteen bytes naming a frame past a day of play: refused at once, in words, with no window.
printf '100000000 end\n' >"$out/too-long.script"
code=0
(cd assets && DISPLAY=":$unused" timeout 5 "$game" --play "$out/too-long.script") 2>"$out/too-long.err" || code=$?
check "a script past 24 hours is refused with code 2: $(cat "$out/too-long.err")" "code $code" -- \
  '[ "$code" = 2 ] && grep -q "past 24 hours" "$out/too-long.err"'
code=0
env -u WAYLAND_DISPLAY DISPLAY=":$unused" timeout 120 scripts/play.sh >/dev/null 2>"$out/play.err" || code=$?
check "with a display nobody serves play.sh builds, then exits with code $code: $(grep '^fennwick' "$out/play.err")" \
  "124 is still running; it said: $(tail -n 3 "$out/play.err")" -- \
  '[ "$code" != 0 ] && [ "$code" != 124 ] && grep -q "^fennwick: no display" "$out/play.err"'
# The build's own lines come first; the game's answer is the last.
said=$(env -u WAYLAND_DISPLAY DISPLAY=":$unused" timeout 120 scripts/play.sh --version 2>"$out/play.err" | tail -n 1) || true
check "play.sh passes its arguments to the game: --version prints '$said'" "it said: $(tail -n 3 "$out/play.err")" -- \
  '[[ $said == "fennwick "[0-9]* ]]'
code=0
env -u DISPLAY -u WAYLAND_DISPLAY scripts/play.sh >/dev/null 2>"$out/play.err" || code=$?
check "without a display play.sh exits with code $code: $(head -n1 "$out/play.err")" "it said: $(cat "$out/play.err")" -- \
  '[ "$code" != 0 ] && grep -qi "display" "$out/play.err"'

finish_session "SDL window"
