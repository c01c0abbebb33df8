# shellcheck shell=bash
# A pad session, played the same way on every platform: SDL's virtual joystick in the SDL
# stage, a stand-in XInput DLL under Wine. The game records what it was sent (--record), so
# every check reads the game's own account: which key lines the pad became, and, replayed
# headless, what the figure did with them. Needs lib/session.sh; the stage sets pad_commands
# (the file the test pad reads, see virtual_pad_sdl.h) and recording, opens the other window
# (other_window) and starts the game.

pad() { echo "$*" >>"$pad_commands"; }

# The figure's column, state and speed, frame by frame, as the recorded session made them.
replay_recording() {  # frames
  tr -d '\r' <"$recording" | grep -v ' end$' >"$out/pad.script"
  "$native_replay" --assets assets --frames "$1" --dump "$1" "$out/replayed.bmp" "$out/pad.script" >"$out/replayed.txt"
}

play_pad_session() {
  : >"$pad_commands"
  # Stick right, jump while running, a bump of Back, then the pad pulled out mid-run.
  pad attach
  pad axis leftx 32767
  if ! wait_recorded "down 39"; then
    fail "pad: the stick held right never pressed the right arrow"
    return
  fi
  sleep 0.5
  pad button a 1
  wait_recorded "down 32" || fail "pad: button A never pressed space"
  sleep 0.2
  pad button a 0
  wait_recorded "up 32" || fail "pad: letting go of A never released space"
  pad button back 1
  sleep 0.25
  pad button back 0
  sleep 0.2
  pad detach
  wait_recorded "up 39" || fail "pad: pulling the pad out while it held right never released the arrow"

  local lines run_frame jump_frame stop_frame
  lines=$(tr -d '\r' <"$recording" | grep -v -e ' end$' -e ' check ' -e '^#' | cut -d' ' -f2- | tr '\n' ',')
  check "pad: recorded as key lines, one press each however long held: $lines" \
    "wanted 'down 39,down 32,up 32,up 39,' (no Escape from a bump)" -- [ "$lines" = "down 39,down 32,up 32,up 39," ]

  # Once the figure has glided to rest, the window must show exactly what the recording
  # replays to: the game saw what it recorded, and the recording is a script like any other.
  run_frame=$(recorded_frame "down 39")
  jump_frame=$(recorded_frame "down 32")
  stop_frame=$(recorded_frame "up 39")
  replay_recording $((stop_frame + 600))
  wait_for_picture "$out/pad-rest.png" "$out/replayed.bmp" 40 0.25 || true
  check "pad: the window at rest shows the recording's replay exactly" "$differing pixels differ" -- [ "$differing" = 0 ]

  local moved=yes
  awk -v run="$run_frame" -v jump="$jump_frame" -v stop="$stop_frame" '
    $1 == run { x0 = $6 } $1 == stop { x1 = $6 } $1 >= jump && $1 < stop && $2 == "jumping" { jumped = 1 }
    END {
      vx = $8 < 0 ? -$8 : $8
      if (x1 > x0 + 20 && jumped && $2 == "standing" && vx < 0.01) exit 0
      printf "ran from x %s to %s, jumped: %s, last: %s %s vx %s\n", x0, x1, jumped ? "yes" : "no", $2, $6, $8 > "/dev/stderr"
      exit 1
    }' "$out/replayed.txt" 2>"$out/moved.txt" || moved=no
  check "pad: the figure ran, jumped, and came to rest after the pad was pulled out" "$(cat "$out/moved.txt")" -- \
    [ "$moved" = yes ]

  # The stick held while the focus goes and comes back: the game lets go when it goes, and
  # presses again when it returns, so the figure runs on.
  pad attach
  pad axis leftx 32767
  if wait_recorded "down 39" 2 && focus_away && wait_recorded "up 39" 2 && focus_back && wait_recorded "down 39" 3; then
    sleep 0.5
    pad axis leftx 0
    wait_recorded "up 39" 3 || fail "pad: letting go of the stick after the focus came back never released the arrow"
    local back_frame up_frame
    back_frame=$(tr -d '\r' <"$recording" | awk '$2 == "down" && $3 == 39 { f = $1 } END { print f }')
    up_frame=$(tr -d '\r' <"$recording" | awk '$2 == "up" && $3 == 39 { f = $1 } END { print f }')
    # Where the figure then is (running, or pressed against a wall or clinging to one, as the
    # first session left it), the press after the focus came back is what put it there: without
    # it, the same recording replays to another place or state.
    replay_recording "$up_frame"
    local with without
    with=$(tail -n 1 "$out/replayed.txt" | cut -d' ' -f2-)
    grep -v "^$back_frame down 39\$" "$out/pad.script" >"$out/pad-unpressed.script"
    without=$("$native_replay" --assets assets --frames "$up_frame" "$out/pad-unpressed.script" | tail -n 1 | cut -d' ' -f2-)
    check "pad: a stick held through a focus loss steers the figure again when the focus returns" \
      "frames $back_frame to $up_frame end as if it were not held: $with" -- '[ -n "$with" ] && [ "$with" != "$without" ]'
  else fail "pad: the stick held through a focus loss recorded: $(tr -d '\r' <"$recording" | cut -d' ' -f2- | tr '\n' ',')"; fi
  pad detach

  # Plugged in again and Back held: the game ends as with Escape, and records it.
  pad attach
  pad button back 1
  expect_exit 0 "pad: plugged in again, Back held ended the game" "$exit_wait"
  local quit_frame end_frame
  quit_frame=$(recorded_frame "down 27")
  end_frame=$(tr -d '\r' <"$recording" | awk '$2 == "end" { print $1 }')
  local replayed=no
  [ -n "$quit_frame" ] && [ -n "$end_frame" ] && "$native_replay" --assets assets "$recording" >"$out/whole.txt" 2>&1 &&
    [ -s "$out/whole.txt" ] && replayed=yes
  check "pad: Escape recorded at frame $quit_frame, the whole session replays ($(wc -l 2>/dev/null <"$out/whole.txt") frames)" \
    "the recording lacks Escape or its end, or does not replay: $(tail -n 3 "$recording" | tr '\n' '|')" -- [ "$replayed" = yes ]
}
