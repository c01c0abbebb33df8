# Shared by the scripts that run the game in a real X window on a private Xvfb screen
# (tests/e2e/sdl_window_test.sh, scripts/test.d/75-package.sh): the screen, starting the game
# and waiting for its window, keys, screenshots and picture comparison, waiting for the end.
# Source it, then call begin_session.

now_ms() { date +%s%3N; }

# A scratch folder in `work`, checks counted into `failures`, and at exit the game, the programs
# in other_pids and the screen ended, after the caller's own session_cleanup if it has one.
begin_session() {  # name
  work=$(mktemp -d "${TMPDIR:-/tmp}/fennwick-$1.XXXXXX")
  xvfb_pid=""
  game_pid=""
  other_pids=()
  failures=0
  trap end_session EXIT INT TERM
}
end_session() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  for pid in "${other_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if declare -F session_cleanup >/dev/null; then session_cleanup; fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*" >&2; failures=$((failures + 1)); }
# The count of failed checks and exit code 1, or that all passed.
finish_session() {  # what
  if [ "$failures" -gt 0 ]; then
    echo "$1: $failures check(s) failed" >&2
    exit 1
  fi
  echo "$1: all checks passed"
}

# A screen of our own: Xvfb picks a free display number and says which once it is ready. It
# must not reset when its last client leaves (a window manager ending, say): a game starting at
# that moment would find no display. Exports DISPLAY; sets xvfb_pid.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; echo "FAIL: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "FAIL: Xvfb gave no display within 10 s" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$work/display")"
  unset WAYLAND_DISPLAY
  echo "Xvfb on $DISPLAY"
}

# Runs a command in the folder DIR, its output in $work/game.out and game.err, and waits up to
# $window_wait_ms (10 s unless set) for its window titled Fennwick; sets game_pid and wid.
start_in() {
  local dir=$1
  shift
  (cd "$dir" && exec "$@" >"$work/game.out" 2>"$work/game.err") &
  game_pid=$!
  wid=""
  local started
  started=$(now_ms)
  while [ -z "$wid" ] && [ $(($(now_ms) - started)) -lt "${window_wait_ms:-10000}" ]; do
    kill -0 "$game_pid" 2>/dev/null || { cat "$work/game.err" >&2; echo "FAIL: the game exited at start" >&2; exit 1; }
    wid=$(xdotool search --onlyvisible --name '^Fennwick$' 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] || sleep 0.1
  done
  [ -n "$wid" ] || { echo "FAIL: no window titled Fennwick within ${window_wait_ms:-10000} ms" >&2; exit 1; }
  echo "game $game_pid, window $wid after $(($(now_ms) - started)) ms"
  # Keys go to the window with the focus; without a window manager nobody else gives it.
  timeout 5 xdotool windowfocus --sync "$wid" || true
}

# Waits up to $1 ms for the game to end; sets exit_code ("running" if it did not) and exit_ms.
wait_for_exit() {
  local limit=$1 started
  started=$(now_ms)
  while kill -0 "$game_pid" 2>/dev/null && [ $(($(now_ms) - started)) -lt "$limit" ]; do sleep 0.02; done
  exit_ms=$(($(now_ms) - started))
  if kill -0 "$game_pid" 2>/dev/null; then
    exit_code=running
    return
  fi
  exit_code=0
  wait "$game_pid" || exit_code=$?
  game_pid=""
}

# A key held for a moment: the game reads keys once a frame, and a press and release that both
# land between two frames would be seen by neither.
press() {
  xdotool keydown "$1"
  sleep "${2:-0.1}"
  xdotool keyup "$1"
}

# The window's inside as the screen shows it.
screenshot() {  # x y file
  xwd -root -silent | convert xwd:- -crop "800x600+$1+$2" +repage "$3"
}

# Pixels that differ between two pictures (ImageMagick prints the count on standard error).
difference() {
  compare -metric AE "$1" "$2" null: 2>&1 || true
}

# Waits up to $3 tenths of a second for the inside of the window at (50, 150) to show exactly
# the picture $2; the last screenshot is left in $1 and its difference in `differing`.
wait_for_picture() {
  local tries=${3:-20}
  for _ in $(seq "$tries"); do
    screenshot 50 150 "$1"
    differing=$(difference "$1" "$2")
    [ "$differing" = "0" ] && return 0
    sleep 0.1
  done
  return 1
}
