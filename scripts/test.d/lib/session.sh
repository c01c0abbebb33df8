# shellcheck shell=bash
# One session library for every stage that plays the game in a real window on a private Xvfb
# screen: the SDL build, the Windows build under Wine (lib/wine.sh adds the prefix), the
# packages, the pads (lib/pad.sh) and the storm (lib/stress.sh); the stages without a window
# (sanitizers, fuzzing, soak) take only its checks. Source it from the repository's top folder.
# A new check is a few lines in an existing session:
#
#   check WHAT [WHY] -- COMMAND [ARG...]
#   check WHAT [WHY] -- 'CONDITION'
#                                 runs COMMAND (its standard input is check's), or evaluates
#                                 CONDITION, a list such as '[ "$a" = 1 ] && grep -q x "$f"',
#                                 when it is all there is after --: prints "ok   WHAT" when it
#                                 holds, else "FAIL WHAT: WHY" and counts the failure. WHY says
#                                 what was found instead; its values are taken before the check.
#                                 It always returns 0: a failed check never stops the stage
#   pass WHAT / fail WHAT         the same lines where there is no condition to run
#   holds 'EXPRESSION' NAME=VALUE...          whether an awk expression of the numbers holds,
#                                 a condition for check: holds 'b > a + 20' a="$x" b="$y"
#   relay_checks PREFIX FILE      a test program's "FAIL ..." lines in FILE as the stage's own;
#                                 whether FILE ends with its "...: all checks passed"
#   checks_begin                  checks counted, for a stage without a session
#   finish_session WHAT           the closing line, "WHAT: all checks passed" or "WHAT: N
#                                 check(s) failed"; exits 1 after a failure
#   session_abort WHAT            fails the stage at once, when nothing after could run
#
#   session_begin NAME            pictures and logs in $out (build/NAME/out, kept); checks
#                                 counted; at exit the game, $other_pids, openbox, Wine and
#                                 Xvfb ended
#   session_screen                a screen of our own; exports DISPLAY
#   session_openbox / session_openbox_end     a window manager, for the checks that want one
#   launch [VAR=VALUE...] PROGRAM [ARG...]    starts the game from $launch_dir (assets), its
#                                 output in $out/game.out and game.err; sets game_pid
#   game_path FILE / game_said    a file's path as the game takes it; what the game said
#   find_window                   waits up to $window_wait seconds for the window titled
#                                 Fennwick, asking again until it answers; sets wid and
#                                 client (where the game puts it), focuses it
#   focus                         gives the window the focus the way a player does
#   other_window GEOMETRY / focus_away / focus_back / close_other_window
#                                 another window to move the focus to and back from
#   locate                        sets client (WxH+X+Y) to where the window's inside is now
#   hold KEY SECONDS              holds a key down that long in the focused window
#   tap KEY                       presses and lets go of a key at once, with no hold
#   screenshot FILE [CROP]        the window's inside (client, unless a crop is given)
#   differing A B                 how many pixels differ between two pictures
#   wait_for_picture FILE REF [TRIES] [EVERY]  until the inside equals REF; sets differing
#   expect_picture FILE REF WHAT  checks that the inside comes to equal REF
#   wait_for_still FILE [SAME] [EVERY] [TRIES]  until SAME looks in a row are equal
#   expect_exit CODE WHAT [SECONDS]           the game ends with CODE within SECONDS ($exit_wait)
#   quit WHAT [SECONDS]           Escape, then the game ends with 0 within SECONDS ($escape_wait)
#   recorded_frame WORDS / wait_recorded WORDS [N]    the frame of a line in $recording
#   key_frames VK FILE            the first and last frame a recording saw key VK go down
#   pace_from PID / pace_check RECORDING CORES [RATE [SLACK]]   frames a second and the share of a core
#   shown_before_exit FILE REF [SECONDS]      whether the inside equals REF at some look before
#                                 the game ends, looking for at most SECONDS ($exit_wait)
#   title_frame TITLE / viewer_shows WHAT RECORDING [FRAME]   the frame a demo's title names; whether
#                                 the window shows the replay tool's picture of it
#   verifies CODE PATTERN FILE TOOL...   whether TOOL --verify FILE exits CODE saying PATTERN
#   key_up_elsewhere, check_replay (with check_verify), check_demo, check_viewer, check_take_over, check_damaged_picture, check_managed_round_trip:
#                                 checks the SDL and the Windows stages make in the same way
# shellcheck disable=SC2034  # the variables set here are read by the stages
root=$PWD
# shellcheck source=lib/replays.sh
source scripts/test.d/lib/replays.sh

now_ms() { date +%s%3N; }
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*" >&2; failures=$((failures + 1)); }
check() {  # what [why] -- command... | what [why] -- 'condition'
  # Named apart from anything a condition, evaluated here, may read of its caller's.
  local check_what=$1 check_why="" check_held=no
  shift
  if [ "${1:-}" != -- ]; then
    check_why=$1
    shift
  fi
  [ "${1:-}" = -- ] && [ $# -gt 1 ] || session_abort "check '$check_what' names no condition after --"
  shift
  if [ $# -eq 1 ]; then eval "$1" && check_held=yes
  else "$@" && check_held=yes; fi
  if [ "$check_held" = yes ]; then pass "$check_what"
  else fail "$check_what${check_why:+: $check_why}"; fi
}
# A test program that prints the same lines: its failures become the stage's own, each named
# after PREFIX. Succeeds when the program got as far as its closing line and it was clean.
relay_checks() {  # prefix file
  local line
  while read -r line; do fail "$1${line#FAIL }"; done < <(tr -d '\r' <"$2" | grep '^FAIL ' || true)
  tr -d '\r' <"$2" | tail -n 1 | grep -q ': all checks passed$'
}
# Fails the stage at once: nothing after it could run.
session_abort() { echo "FAIL $*" >&2; exit 1; }
checks_begin() { failures=0 out=""; }
finish_session() {
  if [ "$failures" -gt 0 ]; then
    echo "$1: $failures check(s) failed${out:+; pictures and logs in $out}" >&2
    exit 1
  fi
  echo "$1: all checks passed"
}

session_begin() {  # name
  checks_begin
  work=$root/build/$1
  out=$work/out
  rm -rf "$out"
  mkdir -p "$out"
  xvfb_pid="" openbox_pid="" game_pid="" wid="" other_pid="" other_pids=()
  launch_dir=assets window_wait=10 exit_wait=10 escape_wait=2 client=800x600+50+150
  key_hold=0.1 still_every=0.25 still_tries=40
  trap session_end EXIT INT TERM
}
session_end() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  for pid in "${other_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  close_other_window
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
game_path() { echo "$1"; }
game_said() { cat "$out/game.err"; }
# One search gives up at once when a window it looks at is destroyed under it, as a window
# manager's or Wine's passing windows may be: it is asked again until it answers.
find_window() {
  local started
  started=$(now_ms)
  wid=""
  while [ -z "$wid" ] && [ $(($(now_ms) - started)) -lt $((window_wait * 1000)) ]; do
    kill -0 "$game_pid" 2>/dev/null || { echo "the game ended at start: $(tail -n 3 "$out/game.err")" >&2; return 1; }
    wid=$(xdotool search --onlyvisible --name '^Fennwick$' 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] || wid=$(demo_window)
    [ -n "$wid" ] || sleep 0.1
  done
  [ -n "$wid" ] || { echo "no window titled Fennwick within $window_wait s" >&2; return 1; }
  echo "   (window $wid after $(($(now_ms) - started)) ms)"
  client=800x600+50+150  # where the game puts its window's inside
  focus
}
# A demo's title says where it stands ("Fennwick — 0:12.35 / 1:00.00 · 1×"), which the name
# search cannot read outside ASCII: its window is the game's (class fennwick, or fennwick.exe
# under Wine) whose title, read whole, says so.
demo_window() {
  local candidate
  for candidate in $(xdotool search --onlyvisible --classname '^fennwick' 2>/dev/null); do
    [[ $(xdotool getwindowname "$candidate" 2>/dev/null) == "Fennwick — "* ]] && { echo "$candidate"; return; }
  done
}
# Keys and pads are for the window with the focus; without a window manager nobody gives it,
# so it is set. Wine takes it from a click, as a player gives it; under a window manager the
# click alone, which leaves the focus to the manager as on a desktop.
focus() {
  [ -n "${session_wine:-}" ] && [ -n "$openbox_pid" ] || timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null || true
  [ -z "${session_wine:-}" ] || xdotool mousemove --window "$wid" 400 300 click 1 2>/dev/null || true
}
# Another window to take the focus away to, as a player's Alt-Tab does, in place of any before.
other_window() {  # geometry
  close_other_window
  xlogo -geometry "$1" >/dev/null 2>&1 &
  other_pid=$!
  other=$(timeout 20 xdotool search --sync --onlyvisible --class '^xlogo$' 2>/dev/null | head -n1 || true)
  [ -n "$other" ]
}
close_other_window() {
  [ -n "$other_pid" ] && kill "$other_pid" 2>/dev/null || true
  other_pid=""
}
focus_away() { timeout 5 xdotool windowfocus --sync "$other" 2>/dev/null; }
focus_back() { focus; }
locate() {
  read -r client < <(xwininfo -id "$wid" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print w "x" h "+" x "+" y}')
}

# Held, as a player holds a key, over several frames. Under Wine a full-screen switch may have
# moved the focus, so it is given back first.
hold() {  # key seconds
  [ -z "${session_wine:-}" ] || timeout 5 xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}
# As an on-screen keyboard or a remote desktop sends a key: down and up again at once, most
# likely both between two frames.
tap() { xdotool key --delay 0 "$1"; }

screenshot() { xwd -root -silent | convert xwd:- -crop "${2:-$client}" +repage "PNG24:$1"; }
# ImageMagick prints the count on standard error.
differing() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
expect_picture() {  # file reference what (on failure the difference is kept as FILE-diff.png)
  wait_for_picture "$1" "$2" || compare "$1" "$2" "${1%.png}-diff.png" 2>/dev/null || true
  check "$3" "$differing pixels differ" -- [ "$differing" = 0 ]
}
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
  for _ in $(seq "${4:-$still_tries}"); do
    sleep "${3:-$still_every}"
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

# A demo ends by itself: its pictures can only be looked at while it runs. One that never shows
# the picture and never ends is given up on.
shown_before_exit() {  # file reference [seconds]
  local until=$(($(now_ms) + ${3:-$exit_wait} * 1000))
  while kill -0 "$game_pid" 2>/dev/null && [ "$(now_ms)" -lt "$until" ]; do
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
  # Under Wine a crash while the program ends can leave its exit code as it was.
  local crash
  crash=$(grep -a -m1 -e '^wine: Unhandled' "$out/game.err" 2>/dev/null || true)
  check "$2: exit code $exit_code after $exit_ms ms" "expected $1${crash:+, but it crashed: $crash}" -- \
    [ "$exit_code${crash:+ crashed}" = "$1" ]
}
quit() {  # what [seconds]
  hold Escape "$key_hold"
  expect_exit 0 "$1" "${2:-$escape_wait}"
}

# The game flushes its recording every frame, so it can be read while it plays.
recorded_frame() { tr -d '\r' <"$recording" | awk -v want="$1" '{ f = $1; $1 = "" } substr($0, 2) == want { print f; exit }'; }
# Waits until the recording holds N (1) lines "F WORDS".
wait_recorded() {  # words [n]
  for _ in $(seq 150); do
    [ "$(tr -d '\r' <"$recording" | awk -v want="$1" '{ $1 = "" } substr($0, 2) == want { n++ } END { print n + 0 }')" -ge "${2:-1}" ] && return 0
    sleep 0.1
  done
  return 1
}
key_frames() {  # vk file
  tr -d '\r' <"$2" | awk -v vk="$1" '$2 == "down" && $3 == vk { f[++n] = $1 } END { print f[1] + 0, f[n] + 0 }'
}
# Whether an awk expression of the numbers given holds:  holds 'b > a + 20' a="$x" b="$y"
holds() {  # expression name=value...
  local expression=$1 settings=() setting
  shift
  for setting in "$@"; do settings+=(-v "$setting"); done
  awk "${settings[@]}" "BEGIN { exit !($expression) }"
}
# Frames a second: frames over milliseconds, to one decimal, and whether it lies in LOW..HIGH.
pace_within() {  # frames ms low high
  pace=$(awk -v f="$1" -v ms="$2" 'BEGIN { printf "%.1f", (ms > 0 ? f / (ms / 1000) : 0) }')
  awk -v p="$pace" -v lo="$3" -v hi="$4" 'BEGIN { exit !(p >= lo && p <= hi) }'
}
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
# The share of one core that TICKS of processor time make over MS milliseconds.
core_share() { awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v ms="$2" 'BEGIN { printf "%.2f", t / hz / (ms / 1000) }'; }
# Milliseconds the threads of PID have spent ready to run but waiting for a processor: a frame
# count that falls short while this grows says the machine was busy, not that the game slept.
# The time each thread of PID has waited for a processor, in ns, one "thread time" a line; then,
# given such a list, the most any one thread has waited since, in ms. The game's frames come
# from one thread, so that is the most of its time other work can have taken from them.
waits() {  # pid
  local task
  for task in "/proc/$1/task/"*; do echo "${task##*/} $(cut -d' ' -f2 "$task/schedstat" 2>/dev/null)"; done
}
waited_ms() {  # pid waits
  waits "$1" | awk -v before="$2" 'BEGIN { n = split(before, l, "\n"); for (i = 1; i <= n; i++) { split(l[i], f, " "); was[f[1]] = f[2] } }
    { d = $2 - was[$1]; if (d > most) most = d } END { printf "%d", most / 1e6 }'
}

# The pace, counted in frames: a key the game ignores (Shift, VK 16), pressed at two moments,
# lands in the recording with the frame it came before. The processor time of PID over the same
# span shows whether the game sleeps between frames instead of spinning.
pace_from() {  # pid
  pace_pid=$1 paced_from=$(now_ms) ticks_from=$(ticks "$1") waits_from=$(waits "$1")
  hold Shift_L "$key_hold"
}
pace_check() {  # recording cores [rate [slack]]: RATE (60) frames a second, give or take SLACK frames
  local paced_to ticks_to waited frame_from frame_to elapsed load rate=${3:-60} slack=${4:-}
  paced_to=$(now_ms) ticks_to=$(ticks "$pace_pid") waited=$(waited_ms "$pace_pid" "$waits_from")
  hold Shift_L "$key_hold"
  read -r frame_from frame_to <<<"$(key_frames 16 "$1")"
  elapsed=$((paced_to - paced_from))
  # Two frames a second either way, unless the caller allows a number of frames over the span.
  [ -n "$slack" ] || slack=$((2 * elapsed / 1000))
  pace_within $((frame_to - frame_from)) "$elapsed" 0 1000 || true
  # Time the game's threads spent waiting for a processor that other work held is the machine's,
  # not the game's: it may cost frames, never add them.
  check "pace: frames $frame_from to $frame_to in $elapsed ms, $pace a second" \
    "wanted $rate a second, give or take $slack frames (its busiest thread waited $waited ms for a processor)" -- \
    holds 'f >= r * (ms - w) / 1000 - s && f <= r * ms / 1000 + s' f=$((frame_to - frame_from)) r="$rate" ms="$elapsed" \
    s="$slack" w="$waited"
  load=$(core_share $((ticks_to - ticks_from)) "$elapsed")
  check "pace: the game used $load of a core" "wanted under $2: it must sleep between frames" -- holds 'l < most' l="$load" most="$2"
}

# --- Checks the SDL and the Windows stages make in the same way -------------------------------

# The right arrow goes down in the game, the focus moves to another window, and the arrow comes
# up there, where the game never hears of it. Whether the figure then came to rest.
key_up_elsewhere() {  # picture seconds-held
  xdotool keydown Right
  sleep "$2"
  focus_away || true
  xdotool keyup Right
  wait_for_still "$1"
}

# A recording whose session the screen showed last as PICTURE, at rest: replayed by the replay
# tool it ends on that picture ($out/replayed.bmp). Sets last, the recording's end frame.
check_replay() {  # recording picture [what [wall]]
  local what=${3:-replay} frames clung
  last=$(tr -d '\r' <"$1" | awk '$2 == "end" { print $1 }') || true
  frames=$(grep -c '^[0-9]' "$1" || true)
  "$native_replay" --assets assets --dump "$last" "$out/replayed.bmp" "$1" >"$out/replayed.txt" ||
    fail "$what: the replay tool refused the recording"
  clung=$(grep -c ' repel ' "$out/replayed.txt" || true)
  differing=$(differing "$2" "$out/replayed.bmp")
  check "$what: the recording ($frames lines, $last frames, $clung on a wall) ends on the picture the screen showed" \
    "it differs from the screen's in $differing pixels" -- [ "$differing" = 0 ]
  # A session meant to wall-jump shows the cling in its replay.
  [ "${4:-}" != wall ] || check "$what: the replay clings to a wall" "no frame of it is on a wall" -- [ "$clung" -gt 0 ]
  check_verify "$1" "$what"
}

# fennwick-replay --verify FILE by the given tool: whether it exits with CODE and says what
# PATTERN matches. What it said is left in `said`.
verifies() {  # code pattern file tool...
  local want=$1 pattern=$2 file=$3 code=0
  shift 3
  said=$(timeout "$replay_limit" "$@" --assets assets --verify "$file" 2>&1) || code=$?
  said="$said (exit $code)"
  [ "$code" = "$want" ] && [[ $said =~ $pattern ]]
}
# The recording proves itself, by the native replay tool and by its Node build: every
# checkpoint met. A copy with one key press a frame later parts, named at the first checkpoint
# from that frame on.
check_verify() {  # recording what
  local what=$2 moved=$out/moved-${2// /-}.txt line at part tool ok
  # The first press of an arrow not held already whose next line is a later frame, so that the
  # copy's frames still go forward and the press still counts; space only in a run without one.
  # An arrow's frame late leaves the figure elsewhere for good, where a jump from standing a
  # frame late lands on the very same state. Typed characters play no part in the game: the
  # copy leaves them out, so a key that types one (keys of the player's choosing) moves as an
  # arrow does.
  read -r line at < <(awk '{ sub(/\r$/, "") }
    pending && $1 ~ /^[0-9]+$/ && $2 != "char" { if ($1 > at) found[kind] = found[kind] ? found[kind] : pending " " at; pending = "" }
    $2 == "down" && ($3 == 32 || $3 == 37 || $3 == 39) && !held[$3] { pending = NR; at = $1; kind = $3 == 32 ? "jump" : "arrow" }
    $2 == "down" { held[$3] = 1 } $2 == "up" { held[$3] = 0 }
    END { if (found["arrow"]) print found["arrow"]; else if (found["jump"]) print found["jump"] }' "$1") || true
  if [ -z "${at:-}" ]; then fail "$what: the recording has no key press to move"; return; fi
  awk -v line="$line" '{ sub(/\r$/, "") } NR == line { $1 = $1 + 1 } $2 != "char" { print }' "$1" >"$moved"
  part=$(awk -v at="$at" '{ sub(/\r$/, "") } $2 == "check" && $1 >= at { print $1; exit }' "$1")
  for tool in native node; do
    local run=("$native_replay")
    [ "$tool" = native ] || run=(node "$node_replay")
    ok=yes
    verifies 0 ' frames, [0-9,]+ checkpoints?, all match' "$1" "${run[@]}" || ok=""
    check "$what: --verify ($tool): every checkpoint matches" "it says: $said" -- [ -n "$ok" ]
    ok=yes
    verifies 1 ": differs from frame $part: checkpoint recorded [0-9A-F]{8}, replayed [0-9A-F]{8}" "$moved" "${run[@]}" || ok=""
    check "$what: --verify ($tool): a copy with the press at frame $at a frame later parts at frame $part" \
      "it says: $said" -- [ -n "$ok" ]
  done
}

# Whether the demo's window, once found, shows the picture before the demo ends.
demo_shows() {  # file reference seconds
  find_window && shown_before_exit "$@"
}

# The recording played back by the game (--play among the arguments) stands at rest for its last
# two seconds: the screen shows the replay's last picture before the demo ends by itself.
check_demo() {  # seconds program...
  local seconds=$1
  shift
  launch "$@"
  check "play: the demo showed the recording's last picture" "it never did" -- demo_shows "$out/demo.png" "$out/replayed.bmp" "$seconds"
  expect_exit 0 "play: the demo ended by itself" "$seconds"
}

# The frame a demo's title names: its m:ss.cc at 60 frames a second, every frame a time of its own.
title_frame() {  # title
  awk '{ split($3, t, "[:.]"); h = t[1] * 6000 + t[2] * 100 + t[3]; printf "%d\n", int((h * 3 + 4) / 5) }' <<<"$1"
}
# Whether the window shows exactly the replay tool's picture of the frame its title names, and
# that frame is the one wanted (any, when none is given). A busy machine hands the keys on late:
# the title is read until it says the demo is paused there, for up to ten seconds.
viewer_shows() {  # what recording [frame]
  local frame wanted=${3:-} title tries=0
  while :; do
    sleep 0.2
    title=$(xdotool getwindowname "$wid" 2>/dev/null || true)
    frame=$(title_frame "$title")
    [[ $title == *paused ]] && { [ -z "$wanted" ] || [ "$frame" = "$wanted" ]; } && break
    tries=$((tries + 1))
    [ "$tries" -lt 50 ] || break
  done
  viewed=$frame
  "$native_replay" --assets assets --dump "${frame:-1}" "$out/viewer.bmp" "$2" >/dev/null 2>&1 || true
  wait_for_picture "$out/viewer.png" "$out/viewer.bmp" 10 0.1 || cp "$out/viewer.png" "$out/viewer-$frame.png"
  check "viewer: $1, the window shows frame $frame as the replay tool draws it" \
    "the title is '$title' (wanted frame ${wanted:-any}); $differing pixels differ" -- \
    '[ "$differing" = 0 ] && [[ $title == *paused ]] && { [ -z "$wanted" ] || [ "$frame" = "$wanted" ]; }'
}
# A recorded run played as a demo and steered as a video: paused, ten frames on, five back, the
# first frame, half way, each a picture the replay tool draws; Escape then ends it.
check_viewer() {  # recording program...
  local recording=$1 paused_at length
  shift
  length=$(tr -d '\r' <"$recording" | awk '$2 == "end" { print $1 }')
  launch "$@"
  find_window || { fail "viewer: the demo did not start"; return; }
  # Each press steps once: let go before the viewer's own repeat would start.
  xdotool key --delay 20 k
  viewer_shows "paused" "$recording"
  paused_at=${viewed:-0}
  xdotool key --delay 20 period period period period period period period period period period
  viewer_shows "ten frames on" "$recording" $((paused_at + 10))
  xdotool key --delay 20 comma comma comma comma comma
  viewer_shows "five frames back" "$recording" $((paused_at + 5))
  xdotool key --delay 20 Home
  viewer_shows "the first frame" "$recording" 1
  xdotool key --delay 20 5
  viewer_shows "half way" "$recording" $((length / 2))
  quit "viewer: Escape ended the demo"
}

# A recorded run played as a demo and taken over half way with Enter, as a player practising a
# jump would: played on with an arrow held, rewound with Backspace held, played on again, and
# quit. The title says the run is live, then that it rewinds. What the game recorded holds the
# demo's frames up to the take-over (the replay tool's lines for them are the demo's), goes back
# where the rewind let go, verifies, and replays to the screen's last picture.
window_title() { xdotool getwindowname "$wid" 2>/dev/null || true; }
check_take_over() {  # demo taken program...
  local demo=$1 taken=$2 half title
  shift 2
  half=$(($(tr -d '\r' <"$demo" | awk '$2 == "end" { print $1 }') / 2))
  launch "$@"
  find_window || { fail "take-over: the demo did not start"; return; }
  xdotool key --delay 20 k
  viewer_shows "paused, before a take-over" "$demo"
  xdotool key --delay 20 5
  viewer_shows "half way, before a take-over" "$demo" "$half"
  xdotool key --delay 20 Return
  sleep 0.3
  title=$(window_title)
  check "take-over: Enter hands the demo to the player, and the title says so: $title" -- '[[ $title == *"live from"* ]]'
  hold Right 1.5
  xdotool keydown BackSpace
  sleep 0.5
  title=$(window_title)
  xdotool keyup BackSpace
  check "rewind: Backspace held runs the game backwards, and the title says so: $title" -- '[[ $title == *rewinding* ]]'
  hold Left 0.4
  wait_for_still "$out/taken-end.png" || fail "take-over: the figure did not come to rest"
  quit "take-over: Escape ended the run played on"
  check "rewind: the recording goes back once, where the rewind let go" "it reads: $(grep -c back "$taken") lines back" -- \
    '[ "$(tr -d "\r" <"$taken" | grep -c " back$")" = 1 ]'
  check_replay "$taken" "$out/taken-end.png" "take-over"
  "$native_replay" --assets assets "$demo" 2>/dev/null | head -n "$half" >"$out/demo-lines.txt" || true
  "$native_replay" --assets assets "$taken" 2>/dev/null | head -n "$half" >"$out/taken-lines.txt" || true
  check "take-over: its first $half frames are the demo's, line for line" "they differ (see $out/taken-lines.txt)" -- \
    '[ "$(wc -l <"$out/taken-lines.txt")" = "$half" ] && cmp -s "$out/demo-lines.txt" "$out/taken-lines.txt"'
}

# One running frame cut short in a copy of the pictures: named on standard error with the reason,
# and the game plays on. PLACE is the copy's folder as the game names it (a pattern).
check_damaged_picture() {  # place program...
  local place=$1 said
  shift
  rm -rf "$out/damaged"
  mkdir -p "$out/damaged"
  cp -r assets/Stick* "$out/damaged/"
  truncate -s 1000 "$out/damaged/StickRun/Run0003.bmp"
  launch_dir=$out/damaged launch "$@"
  find_window && wait_for_picture "$out/damaged.png" "$out/frame1.bmp" ||
    fail "damaged picture: the game did not show its first frame"
  quit "damaged picture: Escape"
  said=$(game_said)
  local named=no
  # shellcheck disable=SC2027  # the place, unquoted, is a pattern
  [[ $said == "fennwick: 1 picture file in "$place" cannot be shown: StickRun/Run0003.bmp: not a bitmap (the file is cut short)" ]] && named=yes
  check "damaged picture: named with the reason: $said" "it said something else" -- [ "$named" = yes ]
}

# With a window manager, F11 twice leaves a window whose inside is 800 x 600 again, showing the
# first frame pixel for pixel.
check_managed_round_trip() {  # program...
  session_openbox
  launch "$@"
  if find_window; then
    locate || true
    wait_for_picture "$out/managed-start.png" "$out/frame1.bmp" || true
    hold F11 "$key_hold"
    sleep 1
    hold F11 "$key_hold"
    sleep 1
    locate || client=unknown
    check "window manager: after F11 twice the inside of the window is 800 x 600" "it is $client" -- \
      [ "${client%%+*}" = 800x600 ]
    expect_picture "$out/managed-after.png" "$out/frame1.bmp" "window manager: after F11 twice the window shows the first frame, pixel for pixel"
  else fail "window manager: the game did not start"; fi
  quit "window manager: Escape"
  session_openbox_end
}
