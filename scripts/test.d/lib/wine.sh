# Shared by the stages that run the Windows build under Wine (30-windows.sh,
# 35-windows-reliability.sh, 36-windows-gamepad.sh): the build, a private X display, a Wine
# prefix with its server kept running, and the helpers that start the game, look at its window
# and wait for it to end.
# Source it from the repository's top folder, then call wine_stage_start NAME.
#
# Needs: mingw-w64, wine, Xvfb, xdotool, xwd, ImageMagick.
# pass only prints, so "test && pass || fail" in the stages is an if-else.
# shellcheck disable=SC2015
root=$PWD
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# Wine's own chatter: no 32-bit Wine, no sound card, no 32-bit rundll32 in a 64-bit prefix.
# None of it is the game's or the test's; everything else a Wine command says is let through.
quiet_wine() {
  grep -v -e '^it looks like wine32' -e '^multiarch needs' -e '^execute "dpkg' -e '^apt-get install wine32' \
    -e '^ALSA lib' -e 'failed to open .*rundll32\.exe' -e '^wine: created the configuration directory' \
    -e '^wine: configuration in .* has been updated' || true
}

# shellcheck source=lib/replays.sh
source scripts/test.d/lib/replays.sh

mingw_cxx=(x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -Werror -static)

# Builds the Windows game, then sets up build/NAME: out/ for pictures and logs, an Xvfb display
# and a booted Wine prefix. Sets work, out, game_exe, replay_exe and native_replay.
wine_stage_start() {
  work=$root/build/$1
  out=$work/out
  rm -rf "$out"
  mkdir -p "$out"

  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j 2
  game_exe=$root/build/mingw/src/fennwick.exe
  replay_exe=$root/build/mingw/tools/replay/fennwick-replay.exe

  # The Linux replay tool draws the pictures to compare with.
  find_native_replay "$work"
  if [ ! -f assets/StickStand/Stand0000.bmp ]; then
    echo "FAIL: the frame bitmaps are missing from assets/" >&2
    exit 1
  fi

  local display_number=92
  while [ -e "/tmp/.X${display_number}-lock" ] || [ -e "/tmp/.X11-unix/X${display_number}" ]; do
    display_number=$((display_number + 1))
  done
  export DISPLAY=:$display_number
  export WINEPREFIX=$work/prefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="

  xvfb_pid=""
  game_pid=""
  trap wine_stage_cleanup EXIT
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 +extension GLX -nolisten tcp >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 150); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.2
  done
  if ! xdpyinfo >/dev/null 2>&1; then
    echo "FAIL: Xvfb did not start on $DISPLAY" >&2
    cat "$out/xvfb.log" >&2
    exit 1
  fi

  local start=$SECONDS
  wineboot -i 2>&1 | quiet_wine
  # One wine server for the whole stage, so each program starts quickly.
  wineserver -p
  echo "Wine prefix ready in $((SECONDS - start)) s"

  "$native_replay" --assets assets --frames 1 --dump 1 "$out/frame1.bmp" </dev/null >/dev/null
}

wine_stage_cleanup() {
  if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then kill "$game_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}

# Ends the stage: the count of failed checks, or that all passed.
wine_stage_finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$1: $failures check(s) failed; pictures and logs in $out" >&2
    exit 1
  fi
  echo "$1: all checks passed"
}

window=""
# Starts the game from assets/, with any extra environment given as NAME=VALUE words, and
# after a "--" the game's options.
launch() {
  local exe=$1 settings=()
  shift
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do settings+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  (cd assets && exec env "${settings[@]}" wine "$exe" "$@" >/dev/null 2>&1) &
  game_pid=$!
}
# Asked again until it answers: one search gives up at once when a window it looks at is
# destroyed under it, as a window manager's or Wine's passing windows may be.
find_window() {
  local since=$SECONDS
  window=""
  while [ -z "$window" ] && [ $((SECONDS - since)) -lt 120 ]; do
    window=$(xdotool search --name '^Fennwick$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] || sleep 0.2
  done
  echo "   (window after $((SECONDS - since)) s)"
  [ -n "$window" ]
}
# The client area, where the game's 800 x 600 window puts it.
screenshot() { xwd -root -silent | convert xwd:- -crop "${2:-800x600+50+150}" +repage "PNG24:$1"; }
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
# Waits until the window shows exactly the reference picture; a third word is the crop, as for
# screenshot.
wait_for_picture() {
  local shot=$1 reference=$2
  for _ in $(seq 60); do
    screenshot "$shot" "${3:-}"
    [ "$(differing_pixels "$shot" "$reference")" = "0" ] && return 0
    sleep 0.5
  done
  return 1
}
# Holds a key long enough for at least one frame to see it down.
press() {
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool keydown "$1"
  sleep "${2:-0.3}"
  xdotool keyup "$1"
}
# Waits for the game to end and checks its exit code.
expect_exit() {
  local expected=$1 what=$2 code=0
  for _ in $(seq 150); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 "$game_pid" 2>/dev/null; then
    fail "$what: the game did not end"
    kill "$game_pid" 2>/dev/null || true
  fi
  wait "$game_pid" || code=$?
  game_pid=""
  if [ "$code" = "$expected" ]; then pass "$what: exit code $code"; else fail "$what: exit code $code, expected $expected"; fi
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
# A Windows path for a file of the stage, for the environment of a program under Wine.
windows_path() { winepath -w "$1" 2>/dev/null; }

# tests/e2e/wine_probe.cpp looks at the game's window from outside: probe window, probe close...
build_wine_probe() { "${mingw_cxx[@]}" -municode -o "$work/wine_probe.exe" tests/e2e/wine_probe.cpp; }
probe() { wine "$work/wine_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
