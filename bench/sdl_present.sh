#!/usr/bin/env bash
# The live SDL game's processor time against the least an SDL program spends showing an 800 x 600
# frame 60 times a second (fennwick-bare-present), side by side on one private Xvfb screen with a
# window manager, in a window and in full screen. By hand, on the default build:
#
#   bench/sdl_present.sh [SECONDS] [ROUNDS]      (default 8 seconds, 3 rounds)
#
# Each round runs the bare presenter, then the game playing a demo (running back and forth,
# jumping; in full screen the demo's first key is F11), one at a time, and reads the processor
# time of all their threads (/proc/PID/task/*/schedstat) over SECONDS, after two seconds to
# settle. The ratio is the game's time over the presenter's, summed over the rounds; the two
# alternate, so a busy moment of the shared machine falls on both alike.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BUILD:-$root/build/default}
game=$build/src/fennwick
bare=$build/bench/fennwick-bare-present
seconds=${1:-8}
rounds=${2:-3}
settle=2
target=1.3
for program in "$game" "$bare"; do
  [ -x "$program" ] || { echo "sdl_present: $program is not built (cmake --build --preset default)" >&2; exit 1; }
done
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "sdl_present: $tool is not installed (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid="" openbox_pid="" pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "sdl_present: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY
openbox >"$work/openbox.log" 2>&1 &
openbox_pid=$!
sleep 1

# A demo long enough to outlast the measurement: right, left, a jump, over and over.
frames=$(( (settle + seconds + 10) * 60 ))
demo() {  # window | full
  {
    [ "$1" = full ] && printf '1 down 122\n2 up 122\n'  # F11
    for ((f = 10; f + 120 < frames; f += 120)); do
      printf '%d down 39\n%d down 32\n%d up 32\n%d up 39\n' "$f" $((f + 20)) $((f + 35)) $((f + 55))
      printf '%d down 37\n%d up 37\n' $((f + 60)) $((f + 115))
    done
    echo "$frames end"
  } >"$work/$1.script"
}
demo window
demo full

cpu_ns() { cat "/proc/$1/task/"*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%d", sum }'; }
# Starts a program, lets it settle, and prints the processor nanoseconds it used over SECONDS,
# and the size of its window then.
measure() {  # program...
  (cd "$root/assets" && exec "$@" >"$work/program.log" 2>&1) &
  pid=$!
  sleep "$settle"
  kill -0 "$pid" 2>/dev/null || { echo "sdl_present: $* ended early: $(cat "$work/program.log")" >&2; exit 1; }
  local from to size window
  from=$(cpu_ns "$pid")
  sleep "$seconds"
  to=$(cpu_ns "$pid")
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1 || true)
  size=$( [ -n "$window" ] && xdotool getwindowgeometry "$window" | awk '/Geometry/ { print $2 }' || echo "?")
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
  echo "$((to - from)) $size"
}

status=0
for mode in window full; do
  bare_args=()
  [ "$mode" = full ] && bare_args=(--fullscreen)
  bare_total=0 game_total=0
  for round in $(seq "$rounds"); do
    read -r bare_ns bare_size < <(measure "$bare" "${bare_args[@]}")
    read -r game_ns game_size < <(measure "$game" --play "$work/$mode.script")
    bare_total=$((bare_total + bare_ns)) game_total=$((game_total + game_ns))
    awk -v m="$mode" -v r="$round" -v b="$bare_ns" -v g="$game_ns" -v s="$seconds" -v bs="$bare_size" -v gs="$game_size" \
      'BEGIN { printf "%-6s round %d: bare %5.1f%% of a core (%s), game %5.1f%% (%s), ratio %.2f\n", m, r, b / s / 1e7, bs, g / s / 1e7, gs, g / b }'
  done
  awk -v m="$mode" -v b="$bare_total" -v g="$game_total" -v t="$target" \
    'BEGIN { r = g / b; printf "%-6s game / bare presenter: %.2f (target <= %s) %s\n", m, r, t, (r <= t ? "met" : "MISSED"); exit !(r <= t) }' ||
    status=1
done
exit "$status"
