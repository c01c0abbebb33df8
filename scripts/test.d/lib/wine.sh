# shellcheck shell=bash
# What the Windows build under Wine adds to lib/session.sh: the prefix, the paths of the mingw
# build and its test programs, and the filtering of Wine's noise. Source it from the
# repository's top folder, then call wine_stage_start NAME (or wine_prefix alone).
#
# Needs: mingw-w64, wine, Xvfb, xdotool, xwd, ImageMagick.
# shellcheck source=lib/session.sh
source scripts/test.d/lib/session.sh
session_wine=yes

# Wine's own chatter: no 32-bit Wine, no sound card, no 32-bit rundll32 in a 64-bit prefix.
# None of it is the game's or the test's; everything else a Wine command says is let through.
quiet_wine() {
  grep -v -e '^it looks like wine32' -e '^multiarch needs' -e '^execute "dpkg' -e '^apt-get install wine32' \
    -e '^ALSA lib' -e 'failed to open .*rundll32\.exe' -e '^wine: created the configuration directory' \
    -e '^wine: configuration in .* has been updated' || true
}

# A booted prefix in $work/prefix, with one wine server for the whole stage so that each
# program starts quickly. Wine is slow to show a window and to end a program.
wine_prefix() {
  export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  local start=$SECONDS
  timeout 300 wineboot -i 2>&1 | quiet_wine || session_abort "wineboot failed, or took over 5 minutes"
  wineserver -p
  # A crash is to end the program and say so on its standard error, not wait for good behind
  # a debugger's dialog that would also cover the screen of the checks after it.
  timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  echo "Wine prefix ready in $((SECONDS - start)) s"
  window_wait=120 exit_wait=30 escape_wait=30 picture_tries=60 picture_every=0.5
  key_hold=0.3 still_every=0.3 still_tries=50
}

# Builds the Windows game and its test programs, then the screen, the prefix and the first
# frame the game must show ($out/frame1.bmp, from the native replay tool).
wine_stage_start() {  # name
  session_begin "$1"
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j 2
  local mingw=$root/build/mingw
  game_exe=$mingw/src/fennwick.exe
  replay_exe=$mingw/tools/replay/fennwick-replay.exe
  test_programs=$mingw/tests/e2e
  find_native_replay "$work"
  [ -f assets/StickStand/Stand0000.bmp ] || session_abort "the frame bitmaps are missing from assets/"
  session_screen
  wine_prefix
  "$native_replay" --assets assets --frames 1 --dump 1 "$out/frame1.bmp" </dev/null >/dev/null
}

# A Windows path for a file of the stage, for the environment of a program under Wine.
game_path() { winepath -w "$1" 2>/dev/null; }
# Wine has its own things to say on standard error; the game's lines are the ones it signs.
game_said() { tr -d '\r' <"$out/game.err" | grep '^fennwick:' || true; }
# A copy of the game in $work/NAME beside the given stand-in DLLs, which an override naming them
# native puts in front of Wine's own. Prints the folder.
beside_game() {  # name dll...
  local dir=$work/$1
  shift
  mkdir -p "$dir"
  cp "$@" "$game_exe" "$dir/"
  echo "$dir"
}
# tests/e2e/wine_probe.cpp looks at the game's window from inside Wine: probe window, probe close...
probe() { timeout 60 wine "$test_programs/wine_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
# Without a window manager Wine draws the frame itself: the probe says where the inside is.
# When it cannot tell, client stays as it was and locate fails.
locate() {
  local cx cy cw ch
  IFS=, read -r cx cy cw ch < <(probe window | sed -n 's/^client=//p') || true
  [ -n "${ch:-}" ] || return 1
  client=${cw}x${ch}+${cx}+${cy}
}
# Whether half a second of the right arrow changed the picture from the first frame; sets moved.
runs_right() {  # picture
  hold Right 0.5
  sleep 0.5
  screenshot "$1"
  moved=$(differing "$1" "$out/frame1.bmp")
  [ "$moved" != "0" ] && [[ $moved =~ ^[0-9.e+]+$ ]]
}
# Until a message box of the game's shows (the probe then presses its OK): sets dialog, and
# game_window to what the probe last saw of a game window.
wait_for_dialog() {
  dialog=""
  for _ in $(seq 60); do
    game_window=$(probe window || true)
    dialog=$(probe dialog) && return 0
    sleep 0.5
  done
  return 1
}
