# The live loop under stress, shared by the SDL and the Windows stages: a storm of input at the
# game's real window, from outside, through the X server, within 30 seconds. Source it after
# lib/session.sh, open the other window, then call stress_check; a stage that moves the focus
# another way redefines stress_focus_away and stress_focus_back.
#
#   10,000 key events in fifty bursts of 100 presses and releases (arrows, space, letters,
#   digits, Return, Tab, Shift, Control), never Escape and never the marker key; after each of
#   the first twenty bursts F11 (twenty times, so the game ends in a window); after each burst
#   a mouse storm of 30 moves in and out of the window, then the focus taken away and given
#   back, every other time with an arrow held down while it goes and let go while it is away.
#
# Needs: xdotool, xlogo (the window that takes the focus away).
# shellcheck disable=SC2154  # game_pid and out come from the session

stress_keys=(Left Right Up Down space space a s d f j k l 1 2 3 Return Tab Shift_L Control_L)
# Marks a moment in the recording: a key the storm never presses.
stress_marker=m
stress_marker_vk=77

# Opens the window that takes the focus away, at the top right, clear of the game's window.
stress_open_other_window() { other_window 160x120+1100+20; }
stress_focus_away() { focus_away || true; }
stress_focus_back() { focus; }

# One burst: n presses and releases of keys drawn from stress_keys, plus any extra keys given.
stress_burst() {
  local n=$1 i
  shift
  local keys=("$@")
  for ((i = 0; i < n; i++)); do keys+=("${stress_keys[RANDOM % ${#stress_keys[@]}]}"); done
  xdotool key --delay 0 "${keys[@]}"
}

# Thirty moves of the pointer, each to a random point of the screen: about a third of them land
# in the game's window, the rest outside it.
stress_mouse_storm() {
  local moves=() i
  for ((i = 0; i < 30; i++)); do moves+=(mousemove $((RANDOM % 1280)) $((RANDOM % 1024))); done
  xdotool "${moves[@]}"
}

# The storm itself. Prints how many key events it sent.
stress_storm() {
  RANDOM=2026
  local round events=0
  for ((round = 1; round <= 50; round++)); do
    stress_burst 100
    events=$((events + 200))
    if ((round <= 20)); then
      # Held as long as the session holds any key, as a player holds it.
      xdotool keydown F11 sleep "$key_hold" keyup F11
      events=$((events + 2))
    fi
    stress_mouse_storm
    if ((round % 2 == 0)); then
      xdotool keydown Right
      stress_focus_away
      xdotool keyup Right
      events=$((events + 2))
    else
      stress_focus_away
    fi
    stress_focus_back
    # Bursts, not one flood: the storm fills about twenty of its thirty seconds, so the
    # machine's two processors are not all xdotool's while the game's pace is measured.
    sleep 0.25
  done
  echo "$events"
}

# Presses the marker key while the game has the focus; prints the wall-clock time, in ms, at
# which it went down.
stress_mark() {
  local at
  at=$(date +%s%3N)
  xdotool keydown "$stress_marker"
  sleep 0.1
  xdotool keyup "$stress_marker"
  echo "$at"
}

# The frames between the first and the last time a recording saw the marker key go down.
stress_marked_frames() {
  tr -d '\r' <"$1" | awk -v vk="$stress_marker_vk" '$2 == "down" && $3 == vk { f[++n] = $1 }
    END { if (n >= 2) print f[n] - f[1]; else print "none" }'
}

# Lets go of every key the storm may have left down.
stress_release_all() {
  xdotool keyup "${stress_keys[@]}" "$stress_marker" 2>/dev/null || true
}

# The game's resident memory in KB: the Linux process behind game_pid, which under Wine is the
# Windows process itself (the loader execs into it).
stress_memory_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$game_pid/status" 2>/dev/null || echo 0; }

# The storm at a game started with --record RECORDING that has the focus, with the checks made
# while it runs: it ends within 30 s, the game is still there, its pace held at 60 +- 3 frames a
# second (the recording's frames between two marks against the wall clock), and once it is at
# rest again its memory is within 5 MB of where it was before. The picture at rest is left in
# $out/stress-rest.png (the caller then presses Escape and checks the replay with check_replay).
stress_check() {
  local name=$1 recording=$2
  sleep 1
  local memory_before first last events frames memory_after
  memory_before=$(stress_memory_kb)
  local waits_before waited
  waits_before=$(waits "$game_pid")
  first=$(stress_mark)
  events=$(stress_storm)
  last=$(stress_mark)
  waited=$(waited_ms "$game_pid" "$waits_before")
  check "$name: the game ran through $events key events, 20 F11, 1,500 pointer moves, 50 focus changes" \
    "it is gone after the storm" -- 'kill -0 "$game_pid" 2>/dev/null'
  kill -0 "$game_pid" 2>/dev/null || return 0
  check "$name: the storm took $((last - first)) ms" "more than 30 s" -- [ $((last - first)) -le 30000 ]
  stress_release_all
  # A machine busy enough can hand the focus back too late for one burst's F11, which the game
  # then never hears of; one more evens the count, so the game ends in its window, where its
  # picture at rest is compared.
  sleep 0.2
  if (($(tr -d '\r' <"$recording" | grep -c ' down 122$') % 2)); then
    echo "   (the game heard an odd number of F11 presses: one more)"
    stress_focus_back
    xdotool keydown F11 sleep "$key_hold" keyup F11
  fi
  # The storm leaves the window wherever its last F11 put it: what it and the screen looked
  # like are kept with the stage's pictures.
  locate || true
  xwd -root -silent | convert xwd:- "$out/stress-screen.png" || true
  # A figure at rest for a whole second: a game held up for a moment by a busy machine cannot
  # fake that.
  wait_for_still "$out/stress-rest.png" 4 0.25 80 || fail "$name: the figure did not come to rest after the storm"
  frames=$(stress_marked_frames "$recording")
  pace=0
  [ "$frames" = none ] || pace_within "$frames" $((last - first)) 57 63 || true
  # As in pace_check: time the game waited for a processor other work held may cost frames.
  check "$name: $frames frames in $((last - first)) ms of storm: $pace a second" \
    "wanted 60 +- 3 (its busiest thread waited $waited ms for a processor)" -- \
    '[ "$frames" != none ] && pace_within "$frames" $((last - first - waited)) 57 1000 &&
     pace_within "$frames" $((last - first)) 0 63'
  memory_after=$(stress_memory_kb)
  check "$name: memory $memory_before KB before the storm, $memory_after KB after" "more than 5 MB apart" -- \
    '[ "$memory_before" -gt 0 ] && [ $((memory_after - memory_before)) -le 5120 ] && [ $((memory_before - memory_after)) -le 5120 ]'
}
