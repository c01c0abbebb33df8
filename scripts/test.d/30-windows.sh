#!/usr/bin/env bash
# The Windows build: cross-built with mingw-w64, then run under Wine on a virtual X display.
#
#   1. fennwick-replay.exe prints, byte for byte, what the Linux fennwick-replay prints for the
#      same scripts (tests/e2e/wine_replays): the game is the same on both systems.
#   2. fennwick.exe opens its window (class, title, placement, icons, manifest), shows exactly
#      the frame the headless replay draws, moves the figure while the right arrow is held,
#      and quits with exit code 0 on Escape and when its window is closed.
#   3. With a stand-in d3d9.dll in front of Wine's (tests/e2e/wine_d3d9_shim.cpp), the display
#      copes with a device that cannot do hardware vertex processing, with no device at all
#      (message box, exit code 1), with a lost device, and with a failed Reset while switching
#      to and from full screen.
#
# Needs: mingw-w64, wine, Xvfb, xdotool, xwd, xprop, ImageMagick. FENNWICK_NATIVE_REPLAY may
# name the Linux fennwick-replay to compare with.
# pass only prints, so "test && pass || fail" below is an if-else.
# shellcheck disable=SC2015
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

work=$root/build/wine-e2e
out=$work/out
rm -rf "$out"
mkdir -p "$out"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# --- Build ---------------------------------------------------------------------------------

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j 2
game_exe=$root/build/mingw/src/fennwick.exe
replay_exe=$root/build/mingw/tools/replay/fennwick-replay.exe

# The Linux replay tool to compare with: scripts/test.sh has built it in build/default; run on
# its own, this stage builds one of its own.
native_replay=${FENNWICK_NATIVE_REPLAY:-$root/build/default/tools/replay/fennwick-replay}
if [ ! -x "$native_replay" ]; then
  cmake -S . -B "$work/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFENNWICK_TESTS=OFF \
    -DFENNWICK_BENCH=OFF >/dev/null
  cmake --build "$work/native" -j 2 --target fennwick-replay
  native_replay=$work/native/tools/replay/fennwick-replay
fi

if [ ! -f assets/StickStand/Stand0000.bmp ]; then
  echo "FAIL: the frame bitmaps are missing from assets/" >&2
  exit 1
fi

mingw_cxx=(x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -Werror -static)
"${mingw_cxx[@]}" -municode -o "$work/wine_probe.exe" tests/e2e/wine_probe.cpp
shim_dir=$work/shim
mkdir -p "$shim_dir"
"${mingw_cxx[@]}" -shared -o "$shim_dir/d3d9.dll" tests/e2e/wine_d3d9_shim.cpp
cp "$game_exe" "$shim_dir/fennwick.exe"
wine_d3d9=""
for candidate in /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/d3d9.dll \
                 /usr/lib/wine/x86_64-windows/d3d9.dll /usr/lib64/wine/x86_64-windows/d3d9.dll \
                 /opt/wine*/lib*/wine/x86_64-windows/d3d9.dll; do
  if [ -f "$candidate" ]; then wine_d3d9=$candidate; break; fi
done
if [ -z "$wine_d3d9" ]; then
  echo "FAIL: cannot find Wine's own x86_64 d3d9.dll for the stand-in to pass calls to" >&2
  exit 1
fi
cp "$wine_d3d9" "$shim_dir/d3d9real.dll"

# --- Wine and the X display ------------------------------------------------------------------

display_number=92
while [ -e "/tmp/.X${display_number}-lock" ] || [ -e "/tmp/.X11-unix/X${display_number}" ]; do
  display_number=$((display_number + 1))
done
export DISPLAY=:$display_number
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
game_pid=""
cleanup() {
  if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then kill "$game_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

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

quiet_wine() { grep -v -e '^it looks like wine32' -e '^multiarch needs' -e '^execute "dpkg' -e '^apt-get install wine32' -e '^ALSA lib' || true; }

start=$SECONDS
wineboot -i 2>&1 | quiet_wine
# One wine server for the whole stage, so each program starts quickly.
wineserver -p
echo "Wine prefix ready in $((SECONDS - start)) s"

# --- 1. Replays: byte-identical to the Linux build ----------------------------------------

start=$SECONDS
# shellcheck source=lib/replays.sh
source scripts/test.d/lib/replays.sh
compare_replays "$out" windows wine "$replay_exe"
echo "Replays compared in $((SECONDS - start)) s"

# --- Helpers for the game's window ----------------------------------------------------------

"$native_replay" --assets assets --frames 1 --dump 1 "$out/frame1.bmp" </dev/null >/dev/null

window=""
# Starts the game from assets/, with any extra environment given as NAME=VALUE words.
launch() {
  local exe=$1
  shift
  (cd assets && exec env "$@" wine "$exe" >/dev/null 2>&1) &
  game_pid=$!
}
find_window() {
  local since=$SECONDS
  window=$(timeout 120 xdotool search --sync --name '^Fennwick$' 2>/dev/null | head -n 1 || true)
  echo "   (window after $((SECONDS - since)) s)"
  [ -n "$window" ]
}
# The client area, where the game's 800 x 600 window puts it.
screenshot() { xwd -root -silent | convert xwd:- -crop "${2:-800x600+50+150}" +repage "PNG24:$1"; }
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
# Waits until the window shows exactly the reference picture.
wait_for_picture() {
  local shot=$1 reference=$2
  for _ in $(seq 60); do
    screenshot "$shot"
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
probe() { wine "$work/wine_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
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
# The same game behind the stand-in d3d9.dll, which makes the given fault.
launch_shim() {
  launch "$shim_dir/fennwick.exe" "WINEDLLOVERRIDES=d3d9=n,b;mscoree,mshtml=" "FENNWICK_D3D9_FAULT=$1" \
    "FENNWICK_D3D9_LOG=$(winepath -w "$out/d3d9-$1.log" 2>/dev/null)"
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
launch "$game_exe"
if find_window; then
  info=$(probe window)
  echo "$info" >"$out/window.txt"
  grep -qx 'class=Marrowby DirectX Framework Window' <<<"$info" && pass "window class" || fail "window class: $info"
  grep -qx 'title=Fennwick' <<<"$info" && pass "window title" || fail "window title: $info"
  grep -qx 'classstyle=0x0040' <<<"$info" && pass "class style CS_CLASSDC" || fail "class style: $info"
  style_is "$info" 0x00CA0000 && pass "window style" || fail "window style: $info"
  grep -qx 'client=50,150,800,600' <<<"$info" && pass "client area 800 x 600 at 50, 150" || fail "client area: $info"

  resources=$(probe resources "$(winepath -w "$game_exe" 2>/dev/null)")
  echo "$resources" >"$out/resources.txt"
  for want in icon101=16x16@32 icon103=32x32@32 manifest=yes asinvoker=yes uiaccess=false; do
    grep -qx "$want" <<<"$resources" && pass "resource $want" || fail "resource $want: $resources"
  done
  icons=$(xprop -id "$window" _NET_WM_ICON 2>/dev/null | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u | tr '\n' ' ')
  [[ $icons == *"16 x 16"* && $icons == *"32 x 32"* ]] && pass "window icons: $icons" || fail "window icons: '$icons'"

  if wait_for_picture "$out/game-start.png" "$out/frame1.bmp"; then
    pass "the window shows the replay's first frame exactly (0 differing pixels)"
  else
    fail "the window differs from the replay's first frame in $(differing_pixels "$out/game-start.png" "$out/frame1.bmp") pixels"
    compare "$out/game-start.png" "$out/frame1.bmp" "$out/game-start-diff.png" 2>/dev/null || true
  fi

  press Right 0.5
  sleep 0.5
  screenshot "$out/game-after-right.png"
  moved=$(differing_pixels "$out/game-after-right.png" "$out/frame1.bmp")
  if [ "$moved" != "0" ] && [[ $moved =~ ^[0-9.e+]+$ ]]; then pass "the figure moved ($moved pixels changed)"; else fail "the figure did not move ($moved)"; fi

  press Escape
  expect_exit 0 "Escape"
else
  fail "no window titled Fennwick appeared"
fi
echo "Game run in $((SECONDS - start)) s"

# --- 3. The display's recovery, through the stand-in d3d9.dll ------------------------------

start=$SECONDS

# No device with hardware vertex processing: the software one serves and the game runs.
launch_shim hardware-fails
log=$out/d3d9-hardware-fails.log
if find_window && wait_for_picture "$out/hardware-fails.png" "$out/frame1.bmp"; then
  pass "hardware-fails: the game runs and shows the first frame"
else
  fail "hardware-fails: no picture"
fi
in_order "$log" 'CreateDevice adapter=0 type=1 focus=game flags=0x50 .* -> 0x8876086a' \
  'CreateDevice adapter=0 type=1 focus=game flags=0x20 .* -> 0x00000000' 'GetBackBuffer 0 0 0 -> 0x00000000' \
  'Present #1 source=null target=null window=null dirty=null -> 0x00000000' &&
  pass "hardware-fails: retried with software vertex processing" || fail "hardware-fails: calls were $(cat "$log")"
# This time the window is closed as by its close box: WM_CLOSE, WM_DESTROY, then the quit.
probe close >/dev/null || fail "close: no window to close"
expect_exit 0 "hardware-fails, closed by the close box"

# No device at all: a message box says so, and the program ends with exit code 1.
launch_shim no-device
log=$out/d3d9-no-device.log
dialog=""
for _ in $(seq 60); do
  dialog=$(probe dialog) && break
  sleep 0.5
done
echo "$dialog" >"$out/no-device-dialog.txt"
grep -q '^text=Fennwick could not start its display' <<<"$dialog" && pass "no-device: message box shown" ||
  fail "no-device: no message box ($dialog)"
expect_exit 1 "no-device"
[ "$(grep -c '^CreateDevice' "$log" 2>/dev/null)" = 2 ] && ! grep -q '^GetBackBuffer' "$log" &&
  pass "no-device: two device requests, nothing more" || fail "no-device: calls were $(cat "$log")"

# The device is lost at the 60th frame: nothing is drawn until it may be reset, then the
# game resets it and shows the same picture again.
launch_shim lost
log=$out/d3d9-lost.log
if find_window && wait_for_line "$log" '^Present #61 .* -> 0x00000000' &&
   wait_for_picture "$out/lost.png" "$out/frame1.bmp"; then
  pass "lost: the picture is back after the reset"
else
  fail "lost: no picture after the device was lost"
fi
in_order "$log" '^Present #60 .* -> 0x88760868' '^TestCooperativeLevel -> 0x88760868' \
  '^TestCooperativeLevel -> 0x88760869' '^Reset .* -> 0x00000000' '^GetBackBuffer 0 0 0 -> 0x00000000' \
  '^Present #61 .* -> 0x00000000' && pass "lost: waited, reset, fetched the back buffer, presented" ||
  fail "lost: calls were $(cat "$log")"
press Escape
expect_exit 0 "lost"

# F11 twice, with the way back to the window failing once: the game resets again when the
# device allows it and ends up windowed at 100, 150 with an outer size of 800 x 600.
launch_shim windowed-reset-fails-once
log=$out/d3d9-windowed-reset-fails-once.log
if find_window && wait_for_picture "$out/toggle-start.png" "$out/frame1.bmp"; then
  press F11
  sleep 1
  full=$(probe window)
  press F11
  wait_for_line "$log" '^Reset .*Windowed=1 .* -> 0x00000000' || true
  sleep 1
  windowed=$(probe window)
  echo "$full" >"$out/toggle-full.txt"
  echo "$windowed" >"$out/toggle-windowed.txt"
  style_is "$full" 0x80880000 && pass "F11: full-screen style" || fail "F11: full-screen window $full"
  style_is "$windowed" 0x00CF0000 && grep -qx 'outer=100,150,800,600' <<<"$windowed" &&
    pass "F11 twice: overlapped window at 100, 150, 800 x 600" || fail "F11 twice: window $windowed"
  screenshot "$out/toggle-windowed.png" 800x600+100+150
  brightness=$(convert "$out/toggle-windowed.png" -format '%[fx:int(mean*100)]' info: 2>/dev/null || echo 0)
  [ "$brightness" -gt 10 ] && pass "F11 twice: the picture is shown again" || fail "F11 twice: the window is dark ($brightness%)"
else
  fail "windowed-reset-fails-once: the game did not start"
fi
in_order "$log" '^Reset BackBufferWidth=800 BackBufferHeight=600 BackBufferFormat=22 .* Windowed=0 ' \
  '^Reset BackBufferWidth=800 BackBufferHeight=600 BackBufferFormat=0 .*hDeviceWindow=game Windowed=1 .* -> 0x8876086c' \
  '^TestCooperativeLevel -> 0x88760869' '^Reset .*BackBufferFormat=0 .* Windowed=1 .* -> 0x00000000' \
  '^GetBackBuffer 0 0 0 -> 0x00000000' '^Present #[0-9]* .* -> 0x00000000' &&
  pass "F11: X8R8G8B8 for full screen, a failed Reset recovered" || fail "F11: calls were $(cat "$log")"
press Escape
expect_exit 0 "windowed-reset-fails-once"
grep -q '^Device released' "$log" && grep -q '^Direct3D released' "$log" &&
  pass "the device and Direct3D are released at exit" || fail "not released: $(tail -n 3 "$log")"
echo "Stand-in runs in $((SECONDS - start)) s"

if [ "$failures" -gt 0 ]; then
  echo "Windows build: $failures check(s) failed; pictures and logs in $out" >&2
  exit 1
fi
echo "Windows build: all checks passed"
