#!/usr/bin/env bash
# The Windows build: cross-built with mingw-w64, then run under Wine on a virtual X display.
#
#   1. fennwick-replay.exe prints, byte for byte, what the Linux fennwick-replay prints for the
#      same scripts (tests/e2e/wine_replays): the game is the same on both systems.
#   2. fennwick.exe opens its window (class, title, placement, icons, manifest), shows exactly
#      the frame the headless replay draws, moves the figure while the right arrow is held,
#      and quits with exit code 0 on Escape and when its window is closed; a bad option is
#      shown in a message box and ends it with code 2; a damaged picture is named.
#   3. With a stand-in d3d9.dll in front of Wine's (tests/e2e/wine_d3d9_shim.cpp), the display
#      copes with a device that cannot do hardware vertex processing, with no device at all
#      (message box, exit code 1), with a lost device, and with a failed Reset while switching
#      to and from full screen; a 16-bit back buffer gets the frame converted and nothing past
#      its rows, and one of a format it does not know is said once on stderr.
#   4. One recorded start runs 60 frames a second, counted in the recording, on under half a
#      core; lets go of a held key when the focus goes to another window, and runs again when
#      it comes back; and the recording of its play, replayed by both replay tools and played
#      back by the game, ends on the picture the screen showed, and its checkpoints prove it
#      (--verify, natively and under Node; a copy with a key a frame late parts); the demo,
#      paused, stepped and sought, shows the replay tool's picture of the frame its title names.
#      With a window manager, F11
#      twice leaves an 800 x 600 inside showing the same picture.
#
# Needs: mingw-w64, wine, Xvfb, xdotool, xwd, xprop, xlogo, openbox, ImageMagick.
# FENNWICK_NATIVE_REPLAY may name the Linux fennwick-replay to compare with.
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=lib/wine.sh
source scripts/test.d/lib/wine.sh
wine_stage_start wine-e2e
# The replay tool built for Node, which proves the session's recording too.
find_node_replay

shim_dir=$(beside_game shim "$test_programs/d3d9/d3d9.dll")
wine_d3d9=""
for candidate in /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/d3d9.dll \
                 /usr/lib/wine/x86_64-windows/d3d9.dll /usr/lib64/wine/x86_64-windows/d3d9.dll \
                 /opt/wine*/lib*/wine/x86_64-windows/d3d9.dll; do
  if [ -f "$candidate" ]; then wine_d3d9=$candidate; break; fi
done
[ -n "$wine_d3d9" ] || session_abort "cannot find Wine's own x86_64 d3d9.dll for the stand-in to pass calls to"
cp "$wine_d3d9" "$shim_dir/d3d9real.dll"

# --- 1. Replays: byte-identical to the Linux build ----------------------------------------

start=$SECONDS
compare_replays "$out" windows wine "$replay_exe"
echo "Replays compared in $((SECONDS - start)) s"

# --- Helpers for the game's window ----------------------------------------------------------

# The same game behind the stand-in d3d9.dll, which makes the given fault and logs to $log.
launch_shim() {
  log=$out/d3d9-$1.log
  launch "WINEDLLOVERRIDES=d3d9=n,b;mscoree,mshtml=" "FENNWICK_D3D9_FAULT=$1" \
    "FENNWICK_D3D9_LOG=$(game_path "$log")" "FENNWICK_D3D9_DUMP=$(game_path "$out/$1.raw")" \
    wine "$shim_dir/fennwick.exe"
}
# Whether the lines matching the given patterns appear in the file in this order.
in_order() {
  local file=$1
  shift
  awk -v patterns="$(printf '%s\n' "$@")" '
    BEGIN { n = split(patterns, want, "\n"); if (want[n] == "") n--; i = 1 }
    i <= n && $0 ~ want[i] { i++ }
    END { exit (i > n) ? 0 : 1 }' "$file"
}
wait_for_line() {
  for _ in $(seq 120); do
    grep -q -e "$2" "$1" 2>/dev/null && return 0
    sleep 0.25
  done
  return 1
}
# Whether the window's style, as the probe printed it, has exactly these style bits of
# interest (popup, caption, border, system menu, sizing border, minimise and maximise boxes).
style_is() {
  local style
  style=$(sed -n 's/^style=//p' <<<"$1")
  [ -n "$style" ] && (( (style & 0x80FF0000) == $2 ))
}

# --- 2. The game under Wine's own Direct3D 9 ---------------------------------------------------

start=$SECONDS
launch wine "$game_exe"
if find_window; then
  info=$(probe window)
  echo "$info" >"$out/window.txt"
  check "window class" "$info" -- grep -qx 'class=Marrowby DirectX Framework Window' <<<"$info"
  check "window title" "$info" -- grep -qx 'title=Fennwick' <<<"$info"
  check "class style CS_CLASSDC" "$info" -- grep -qx 'classstyle=0x0040' <<<"$info"
  check "window style" "$info" -- style_is "$info" 0x00CA0000
  check "client area 800 x 600 at 50, 150" "$info" -- grep -qx 'client=50,150,800,600' <<<"$info"

  resources=$(probe resources "$(winepath -w "$game_exe" 2>/dev/null)")
  echo "$resources" >"$out/resources.txt"
  for want in icon101=16x16@32 icon103=32x32@32 manifest=yes asinvoker=yes uiaccess=false; do
    check "resource $want" "$resources" -- grep -qx "$want" <<<"$resources"
  done
  icons=$(xprop -id "$wid" _NET_WM_ICON 2>/dev/null | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u | tr '\n' ' ')
  check "window icons: $icons" "'$icons'" -- '[[ $icons == *"16 x 16"* && $icons == *"32 x 32"* ]]'

  expect_picture "$out/game-start.png" "$out/frame1.bmp" "the window shows the replay's first frame exactly (0 differing pixels)"
  ran=no
  runs_right "$out/game-after-right.png" && ran=yes
  check "the figure moved ($moved pixels changed)" "it did not" -- [ "$ran" = yes ]
  quit "Escape"
else
  fail "no window titled Fennwick appeared"
fi

# A bad option: a message box with the fault and the usage, no game window, and code 2 once the
# box is dismissed (the probe presses its OK).
launch wine "$game_exe" --no-such-option
wait_for_dialog || true
check "bad option: the message box gives the fault and the usage, no game window" \
  "message box '$dialog', game window '$game_window'" -- \
  'grep -q "^text=.*--no-such-option" <<<"$dialog" && grep -q "^usage: fennwick" <<<"$dialog" && grep -qx "found=no" <<<"$game_window"'
# Lines short enough that the box never breaks one itself, inside an option say.
long_lines=$(sed 's/^text=//; /^found=/d' <<<"$dialog" | tr -d '\r' | awk 'length > 50' | wc -l)
check "bad option: the box's lines come broken between options" "$long_lines lines longer than 50 characters: '$dialog'" -- \
  '[ "$long_lines" = 0 ] && grep -q "\[--play FILE\]" <<<"$dialog"'
expect_exit 2 "bad option, once the message box was dismissed"

check_damaged_picture '*damaged' wine "$game_exe"
echo "Game run in $((SECONDS - start)) s"

# --- 3. The display's recovery, through the stand-in d3d9.dll ------------------------------

start=$SECONDS

# No device with hardware vertex processing: the software one serves and the game runs.
launch_shim hardware-fails
find_window || fail "hardware-fails: no window"
expect_picture "$out/hardware-fails.png" "$out/frame1.bmp" "hardware-fails: the game runs and shows the first frame"
check "hardware-fails: retried with software vertex processing" "calls were $(cat "$log")" -- \
  in_order "$log" 'CreateDevice adapter=0 type=1 focus=game flags=0x50 .* -> 0x8876086a' \
  'CreateDevice adapter=0 type=1 focus=game flags=0x20 .* -> 0x00000000' 'GetBackBuffer 0 0 0 -> 0x00000000' \
  'Present #1 source=null target=null window=null dirty=null -> 0x00000000'
# This time the window is closed as by its close box: WM_CLOSE, WM_DESTROY, then the quit.
probe close >/dev/null || fail "close: no window to close"
expect_exit 0 "hardware-fails, closed by the close box"

# No device at all: a message box says so, and the program ends with exit code 1.
launch_shim no-device
wait_for_dialog || true
echo "$dialog" >"$out/no-device-dialog.txt"
check "no-device: message box shown" "none ($dialog)" -- grep -q '^text=Fennwick could not start its display' <<<"$dialog"
expect_exit 1 "no-device"
check "no-device: two device requests, nothing more" "calls were $(cat "$log")" -- \
  '[ "$(grep -c "^CreateDevice" "$log" 2>/dev/null)" = 2 ] && ! grep -q "^GetBackBuffer" "$log"'

# The device is lost at the 60th frame: nothing is drawn until it may be reset, then the
# game resets it and shows the same picture again.
launch_shim lost
check "lost: the picture is back after the reset" "no picture after the device was lost" -- \
  'find_window && wait_for_line "$log" "^Present #61 .* -> 0x00000000" && wait_for_picture "$out/lost.png" "$out/frame1.bmp"'
check "lost: waited, reset, fetched the back buffer, presented" "calls were $(cat "$log")" -- \
  in_order "$log" '^Present #60 .* -> 0x88760868' '^TestCooperativeLevel -> 0x88760868' \
  '^TestCooperativeLevel -> 0x88760869' '^Reset .* -> 0x00000000' '^GetBackBuffer 0 0 0 -> 0x00000000' \
  '^Present #61 .* -> 0x00000000'
quit "lost"

# F11 twice, with the way back to the window failing once: the game resets again when the
# device allows it and ends up in a window at 100, 150 whose inside is 800 x 600 again, showing
# the picture pixel for pixel.
launch_shim windowed-reset-fails-once
if find_window && wait_for_picture "$out/toggle-start.png" "$out/frame1.bmp"; then
  hold F11 0.3
  sleep 1
  full=$(probe window)
  hold F11 0.3
  wait_for_line "$log" '^Reset .*Windowed=1 .* -> 0x00000000' || true
  sleep 1
  windowed=$(probe window)
  echo "$full" >"$out/toggle-full.txt"
  echo "$windowed" >"$out/toggle-windowed.txt"
  check "F11: full-screen style" "the window is $full" -- style_is "$full" 0x80880000
  check "F11 twice: overlapped window at 100, 150 with an 800 x 600 inside" "the window is $windowed" -- \
    'style_is "$windowed" 0x00CF0000 && grep -q "^outer=100,150," <<<"$windowed" &&
     grep -q "^client=[0-9]*,[0-9]*,800,600\$" <<<"$windowed"'
  locate || true
  expect_picture "$out/toggle-windowed.png" "$out/frame1.bmp" "F11 twice: the window shows the first frame again, pixel for pixel"
else
  fail "windowed-reset-fails-once: the game did not start"
fi
check "F11: X8R8G8B8 for full screen, a failed Reset recovered" "calls were $(cat "$log")" -- \
  in_order "$log" '^Reset BackBufferWidth=800 BackBufferHeight=600 BackBufferFormat=22 .* Windowed=0 ' \
  '^Reset BackBufferWidth=800 BackBufferHeight=600 BackBufferFormat=0 .*hDeviceWindow=game Windowed=1 .* -> 0x8876086c' \
  '^TestCooperativeLevel -> 0x88760869' '^Reset .*BackBufferFormat=0 .* Windowed=1 .* -> 0x00000000' \
  '^GetBackBuffer 0 0 0 -> 0x00000000' '^Present #[0-9]* .* -> 0x00000000'
quit "windowed-reset-fails-once"
check "the device and Direct3D are released at exit, and the device's thread finishes before the end" \
  "not released, or the end cut the device's thread short: $(tail -n 3 "$log")" -- \
  in_order "$log" '^Device released' '^Direct3D released' '^Device thread done'

# Desktops of other depths: the back buffer's rows hold 1,600 bytes, with guard bytes after the
# last. A 16-bit frame is the replay's first frame as ImageMagick converts it (its pixel rows
# are the file's last bytes, and the flip puts them top row first), and nothing lands past the
# rows; a format the game does not know gets one line on its error stream, and the game runs on.
for format in r5g6b5:RGB565 x1r5g5b5:RGB555; do
  subtype=${format#*:} format=${format%:*}
  launch_shim "$format"
  find_window && wait_for_line "$log" '^Frame 30 dumped' || fail "$format: no frame written"
  convert "$out/frame1.bmp" -flip -define "bmp:subtype=$subtype" "$out/frame1-$format.bmp"
  check "$format: the frame arrives converted, pixel for pixel" \
    "it differs from the replay's converted, in $(tail -c 960000 "$out/frame1-$format.bmp" | cmp -l - "$out/$format.raw" 2>&1 | wc -l) bytes" -- \
    'tail -c 960000 "$out/frame1-$format.bmp" | cmp -s - "$out/$format.raw"'
  quit "$format"
  check "$format: the guard bytes after the rows are intact" "$(grep -e '^Guard' -e 'frames written' "$log")" -- \
    grep -q '^[0-9]* frames written, guard bytes intact' "$log"
done
launch_shim unknown-format
find_window && wait_for_line "$out/game.err" 'pixel format 35, which the game cannot draw into' && sleep 2 ||
  fail "unknown-format: no window, or no word of the format on stderr"
quit "unknown-format"
check "unknown-format: said once, never locked, and went on presenting" \
  "$(grep -c 'pixel format' "$out/game.err") lines on the format; see $out/game.err and $log" -- \
  '[ "$(grep -c "pixel format" "$out/game.err")" = 1 ] && ! grep -q "^LockRect" "$log" &&
   grep -q "^Device released after \([6-9][0-9]\|[0-9]\{3,\}\) presents" "$log"'
echo "Stand-in runs in $((SECONDS - start)) s"

# --- 4. Pace, focus, a recorded session, and full screen with a window manager -----------------

start=$SECONDS
# One recorded start. Wine's Direct3D normally hands its work to a thread of its own, and the
# game's thread spins at every LockRect until that thread has read the back buffer back: the
# processor time would be Wine's waiting, not the game's. Without that thread the time measured
# is the frames' own work and the sleeps between them.
recording=$out/session.txt
launch WINE_D3D_CONFIG=csmt=0 wine "$game_exe" --record "$(game_path "$recording")"
other_window 100x100+900+0 || true
if find_window && wait_for_picture "$out/session-start.png" "$out/frame1.bmp"; then
  focus
  # The pace over ten and a half seconds of play: it holds while the game is played.
  pace_from "$game_pid"

  # From the start: run right until pressed against the block, jump it, fall into the gap and
  # cling to its far wall, jump off it with the other arrow held against the gap's near wall, and
  # drop to the bottom. Each step has time to spare, so a busy machine cannot make it miss.
  xdotool keydown Right sleep 1.0 keydown space sleep 0.3 keyup space sleep 2.5 keydown Left sleep 0.1 \
    keydown space sleep 0.1 keyup space keyup Left sleep 2 keyup Right

  wait_for_still "$out/focus-before.png" || true
  check "focus: with the focus gone the figure came to rest, though its key came up elsewhere" \
    "it kept running after the focus went to another window" -- key_up_elsewhere "$out/focus-away.png" 0.4
  focus
  xdotool keydown Right
  sleep 0.4
  screenshot "$out/focus-back.png"
  xdotool keyup Right
  moved=$(differing "$out/focus-back.png" "$out/focus-away.png")
  check "focus: back in the game, the right arrow runs again" "it does nothing ($moved pixels changed)" -- \
    '[ "$moved" != 0 ] && [[ $moved =~ ^[0-9]+$ ]]'

  # Every key is up: at rest, this is the picture the recording must end on.
  wait_for_still "$out/session-end.png" || fail "session: the figure did not come to rest"
  sleep "$(awk -v ms=$((10500 - ($(now_ms) - paced_from))) 'BEGIN { print (ms > 0 ? ms / 1000 : 0) }')"
  # Here every Present goes through Wine's Direct3D to Mesa's OpenGL drawn by the processor,
  # which alone costs about half a core at 60 frames a second (the SDL build, putting up the
  # same frames without it, uses under a tenth). A loop that spins instead of sleeping takes
  # well over a core, so that is what the limit tells apart.
  pace_check "$recording" 0.8
  sleep 2
  quit "session: Escape"
else
  fail "session: the game did not start"
fi
close_other_window

# The recording, replayed by both replay tools and played back as a demo, ends on the picture
# the screen showed.
check_replay "$recording" "$out/session-end.png" replay wall
timeout "$replay_limit" wine "$replay_exe" --assets assets --dump "$last" "$(game_path "$out/replayed-windows.bmp")" \
  "$(game_path "$recording")" >/dev/null 2>&1 || true
check "replay: fennwick-replay.exe draws the same picture, byte for byte" "another (see $out/replayed-windows.bmp)" -- \
  cmp -s "$out/replayed.bmp" "$out/replayed-windows.bmp"
# A game short of processor time plays its frames late: allow twice the demo's length.
check_demo $((${last:-0} / 30 + 30)) wine "$game_exe" --play "$(game_path "$recording")"
check_viewer "$recording" wine "$game_exe" --play "$(game_path "$recording")"
check_take_over "$recording" "$out/taken.script" wine "$game_exe" --play "$(game_path "$recording")" \
  --record "$(game_path "$out/taken.script")"

# Under Wine on Xvfb the switch into full screen itself fails and shows nothing: only the state
# after the second F11 tells.
check_managed_round_trip wine "$game_exe"
echo "Pace, focus, recording and window manager in $((SECONDS - start)) s"

finish_session "Windows build"
