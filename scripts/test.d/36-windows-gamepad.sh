#!/usr/bin/env bash
# The Windows build's pads under Wine on a virtual X display.
#
#   1. A stand-in xinput1_4.dll (tests/e2e/wine_xinput_shim.cpp) reports a pad that the test
#      plays (lib/pad.sh, as the SDL stage does): the figure runs and jumps,
#      pulling the pad out stops it, Back held quits, and the recorded session replays on Linux
#      to the picture the window showed.
#   2. With only xinput9_1_0.dll, as on Windows 7, the pad still plays and quits.
#   3. With no XInput DLL at all the game runs on keys.
#
# Needs what scripts/test.d/lib/wine.sh needs.
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=lib/wine.sh
source scripts/test.d/lib/wine.sh
wine_stage_start wine-gamepad

pad_dir=$(beside_game xinput "$test_programs/xinput1_4/xinput1_4.dll")
cp "$pad_dir/xinput1_4.dll" "$pad_dir/xinput9_1_0.dll"

# shellcheck source=lib/pad.sh
source scripts/test.d/lib/pad.sh
pad_commands=$out/pad.commands
# The game (by default the copy beside the stand-ins) with the DLL overrides given: "xinput1_4=n"
# takes the stand-in, an empty setting no DLL of that name at all. It records into $recording.
launch_pad() {
  : >"$pad_commands"
  : >"$recording"
  launch "WINEDLLOVERRIDES=$1;mscoree,mshtml=" "FENNWICK_XINPUT_PAD=$(game_path "$pad_commands")" \
    wine "${2:-$pad_dir/fennwick.exe}" --record "$(game_path "$recording")"
  find_window
}

# --- 1. A pad through xinput1_4.dll -------------------------------------------------------------

# Another window to take the focus away to; a click brings it back.
other_window 100x100+1000+0 || true

start=$SECONDS
recording=$out/pad.recording
if launch_pad "xinput1_4=n"; then
  play_pad_session
else
  fail "pad: no window titled Fennwick appeared"
fi
echo "Pad session in $((SECONDS - start)) s"

# --- 2. Only xinput9_1_0.dll --------------------------------------------------------------------

start=$SECONDS
recording=$out/pad-9_1_0.recording
if launch_pad "xinput1_4=;xinput9_1_0=n"; then
  pad attach
  pad button dpright 1
  check "xinput9_1_0.dll: the D-pad pressed the right arrow" "it never did" -- wait_recorded "down 39"
  # Back is counted in frames, so a slow start cannot make it too short, as it can a key.
  pad button back 1
  expect_exit 0 "xinput9_1_0.dll, Back held"
else
  fail "xinput9_1_0.dll: no window titled Fennwick appeared"
fi

# --- 3. No XInput at all -------------------------------------------------------------------------
# Wine's own XInput DLLs switched off, and no stand-in beside the game.

recording=$out/no-xinput.recording
shown=no
launch_pad "xinput1_4,xinput9_1_0=" "$game_exe" && wait_for_picture "$out/no-xinput.png" "$out/frame1.bmp" && shown=yes
check "no XInput DLL: the game runs and shows the first frame" "it did not show it" -- [ "$shown" = yes ]
if [ "$shown" = yes ]; then
  hold Right 0.5
  check "no XInput DLL: the keys still play" "the right arrow was not recorded" -- wait_recorded "up 39"
  quit "no XInput DLL, Escape"
fi
echo "Without the stand-in in $((SECONDS - start)) s"

finish_session "Windows pads"
