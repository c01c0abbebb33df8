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
# shellcheck source=lib/wine.sh
source scripts/test.d/lib/wine.sh
wine_stage_start wine-e2e

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

# --- 1. Replays: byte-identical to the Linux build ----------------------------------------

start=$SECONDS
compare_replays "$out" windows wine "$replay_exe"
echo "Replays compared in $((SECONDS - start)) s"

# --- Helpers for the game's window ----------------------------------------------------------

probe() { wine "$work/wine_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
# The same game behind the stand-in d3d9.dll, which makes the given fault.
launch_shim() {
  launch "$shim_dir/fennwick.exe" "WINEDLLOVERRIDES=d3d9=n,b;mscoree,mshtml=" "FENNWICK_D3D9_FAULT=$1" \
    "FENNWICK_D3D9_LOG=$(windows_path "$out/d3d9-$1.log")"
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

wine_stage_finish "Windows build"
