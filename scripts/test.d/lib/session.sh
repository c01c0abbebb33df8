# shellcheck shell=bash
# One session library for every stage that plays the game in a real window on a private Xvfb
# screen: the SDL build, the Windows build under Wine (lib/wine.sh adds the prefix), the
# packages, the pads (lib/pad.sh) and the storm (lib/stress.sh). Source it from the
# repository's top folder. A new check is a few lines in an existing session:
#
#   session_begin NAME            pictures and logs in $out (build/NAME/out, kept); checks
#                                 counted; at exit the game, openbox, Wine and Xvfb ended
#   session_screen                a screen of our own; exports DISPLAY
#   session_openbox / session_openbox_end     a window manager, for the checks that want one
#   launch [VAR=VALUE...] PROGRAM [ARG...]    starts the game from $launch_dir (assets), its
#                                 output in $out/game.out and game.err; sets game_pid
#   find_window                   waits up to $window_wait seconds for the window titled
#                                 Fennwick, asking again until it answers; sets wid and
#                                 client (where the game puts it), focuses it
#   focus                         gives the window the focus the way a player does
#   locate                        sets client (WxH+X+Y) to where the window's inside is now
#   hold KEY SECONDS              holds a key down that long in the focused window
#   screenshot FILE [CROP]        the window's inside (client, unless a crop is given)
#   differing A B                 how many pixels differ between two pictures
#   wait_for_picture FILE REF [TRIES] [EVERY]  until the inside equals REF; sets differing
#   wait_for_still FILE [SAME] [EVERY] [TRIES]  until SAME looks in a row are equal
#   expect_exit CODE WHAT [SECONDS]           the game ends with CODE within SECONDS ($exit_wait)
#   recorded_frame WORDS / wait_recorded WORDS    the frame of a line in $recording
#   key_frames VK FILE            the first and last frame a recording saw key VK go down
#   ticks PID / core_share TICKS MS       processor time used, and as a share of one core
#   shown_before_exit FILE REF    whether the inside equals REF at some look before the game ends
#   pass / fail / finish_session WHAT         one output format for every stage
# shellcheck disable=SC2034  # the variables set here are read by the stages
root=$PWD
# shellcheck source=lib/replays.sh
source scripts/test.d/lib/replays.sh

now_ms() { date +%s%3N; }
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*" >&2; failures=$((failures + 1)); }
# Fails the stage at once: nothing after it could run.
session_abort() { echo "FAIL $*" >&2; exit 1; }
finish_session() {
  if [ "$failures" -gt 0 ]; then
    echo "$1: $failures check(s) failed; pictures and logs in $out" >&2
    exit 1
  fi
  echo "$1: all checks passed"
}

session_begin() {  # name
  work=$root/build/$1
  out=$work/out
  rm -rf "$out"
  mkdir -p "$out"
  failures=0 xvfb_pid="" openbox_pid="" game_pid="" wid="" other_pids=()
  launch_dir=assets window_wait=10 exit_wait=10 client=800x600+50+150
  trap session_end EXIT INT TERM
}
session_end() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  for pid in "${other_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  session_openbox_end
  if declare -F session_cleanup >/dev/null; then session_cleanup; fi
  [ -n "${session_wine:-}" ] && wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}

# Xvfb picks a free display number and says which once it is ready. It must not reset when its
# last client leaves (a window manager ending, say): a game starting at that moment would find
# no display.
session_screen() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 +extension GLX -nolisten tcp -noreset 3>"$out/display" 2>"$out/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$out/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$out/xvfb.log" >&2; session_abort "Xvfb did not start"; }
    sleep 0.1
  done
  [ -s "$out/display" ] || session_abort "Xvfb gave no display within 10 s"
  export DISPLAY=":$(head -n1 "$out/display")"
  unset WAYLAND_DISPLAY
  echo "Xvfb on $DISPLAY"
}
session_openbox() {
  openbox >"$out/openbox.log" 2>&1 &
  openbox_pid=$!
  sleep 1
}
session_openbox_end() {
  [ -n "$openbox_pid" ] || return 0
  kill "$openbox_pid" 2>/dev/null || true
  wait "$openbox_pid" 2>/dev/null || true
  openbox_pid=""
}

launch() {
  local settings=()
  while [[ ${1:-} =~ ^[A-Za-z_][A-Za-z0-9_]*= ]]; do settings+=("$1"); shift; done
  (cd "$launch_dir" && exec env "${settings[@]}" "$@" >"$out/game.out" 2>"$out/game.err") &
  game_pid=$!
}
# One search gives up at once when a window it looks at is destroyed under it, as a window
# manager's or Wine's passing windows may be: it is asked again until it answers.
find_window() {
  local started
  started=$(now_ms)
  wid=""
  while [ -z "$wid" ] && [ $(($(now_ms) - started)) -lt $((window_wait * 1000)) ]; do
    kill -0 "$game_pid" 2>/dev/null || { echo "the game ended at start: $(tail -n 3 "$out/game.err")" >&2; return 1; }
    wid=$(xdotool search --onlyvisible --name '^Fennwick$' 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] || sleep 0.1
  done
  [ -n "$wid" ] || { echo "no window titled Fennwick within $window_wait s" >&2; return 1; }
  echo "   (window $wid after $(($(now_ms) - started)) ms)"
  client=800x600+50+150  # where the game puts its window's inside
  focus
}
# Keys and pads are for the window with the focus; without a window manager nobody gives it,
# so it is set. Wine takes it from a click, as a player gives it; under a window manager the
# click alone, which leaves the focus to the manager as on a desktop.
focus() {
  [ -n "${session_wine:-}" ] && [ -n "$openbox_pid" ] || timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null || true
  [ -z "${session_wine:-}" ] || xdotool mousemove --window "$wid" 400 300 click 1 2>/dev/null || true
}
locate() {
  read -r client < <(xwininfo -id "$wid" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w "x" h "+" x "+" y}')
}

# Held, not tapped: the game reads keys once a frame, and a press and release that both land
# between two frames would be seen by neither. Under Wine a full-screen switch may have moved
# the focus, so it is given back first.
hold() {  # key seconds
  [ -z "${session_wine:-}" ] || xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}

screenshot() { xwd -root -silent | convert xwd:- -crop "${2:-$client}" +repage "PNG24:$1"; }
# ImageMagick prints the count on standard error.
differing() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
wait_for_picture() {  # file reference [tries] [every]
  for _ in $(seq "${3:-$picture_tries}"); do
    screenshot "$1"
    differing=$(differing "$1" "$2")
    [ "$differing" = "0" ] && return 0
    sleep "${4:-$picture_every}"
  done
  return 1
}
picture_tries=20 picture_every=0.1
# A figure gliding or falling changes the picture between two looks; SAME equal looks in a row
# tell a game at rest from one held up for a moment by a busy machine.
wait_for_still() {  # file [same] [every] [tries]
  local previous=$1.previous.png same=0
  screenshot "$previous"
  for _ in $(seq "${4:-40}"); do
    sleep "${3:-0.25}"
    screenshot "$1"
    if [ "$(differing "$1" "$previous")" = "0" ]; then
      same=$((same + 1))
      [ "$same" -ge "${2:-1}" ] && return 0
    else
      same=0
      cp "$1" "$previous"
    fi
  done
  return 1
}

# A demo ends by itself: its pictures can only be looked at while it runs.
shown_before_exit() {  # file reference
  while kill -0 "$game_pid" 2>/dev/null; do
    screenshot "$1" 2>/dev/null || true
    [ "$(differing "$1" "$2")" = "0" ] && return 0
    sleep 0.1
  done
  return 1
}

# Sets exit_code (or "running", after killing it) and exit_ms; passes or fails on the code.
expect_exit() {  # code what [seconds]
  local started
  started=$(now_ms)
  while kill -0 "$game_pid" 2>/dev/null && [ $(($(now_ms) - started)) -lt $((${3:-$exit_wait} * 1000)) ]; do sleep 0.02; done
  exit_ms=$(($(now_ms) - started))
  exit_code=0
  if kill -0 "$game_pid" 2>/dev/null; then
    exit_code=running
    kill "$game_pid" 2>/dev/null || true
    wait "$game_pid" 2>/dev/null || true
  else
    wait "$game_pid" || exit_code=$?
  fi
  game_pid=""
  if [ "$exit_code" = "$1" ]; then pass "$2: exit code $exit_code after $exit_ms ms"
  else fail "$2: exit code $exit_code after $exit_ms ms, expected $1"; fi
}

# The game flushes its recording every frame, so it can be read while it plays.
recorded_frame() { tr -d '\r' <"$recording" | awk -v want="$1" '{ f = $1; $1 = "" } substr($0, 2) == want { print f; exit }'; }
wait_recorded() {
  for _ in $(seq 150); do
    [ -n "$(recorded_frame "$1")" ] && return 0
    sleep 0.1
  done
  return 1
}
key_frames() {  # vk file
  tr -d '\r' <"$2" | awk -v vk="$1" '$2 == "down" && $3 == vk { f[++n] = $1 } END { print f[1] + 0, f[n] + 0 }'
}
# Frames a second: frames over milliseconds, to one decimal, and whether it lies in LOW..HIGH.
pace_within() {  # frames ms low high
  pace=$(awk -v f="$1" -v ms="$2" 'BEGIN { printf "%.1f", (ms > 0 ? f / (ms / 1000) : 0) }')
  awk -v p="$pace" -v lo="$3" -v hi="$4" 'BEGIN { exit !(p >= lo && p <= hi) }'
}
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
# The share of one core that TICKS of processor time make over MS milliseconds.
core_share() { awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v ms="$2" 'BEGIN { printf "%.2f", t / hz / (ms / 1000) }'; }
