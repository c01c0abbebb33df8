#!/usr/bin/env bash
# The Windows build's reliability under Wine on a virtual X display.
#
#   1. Every file of the hostile bitmap corpus goes through the Windows loading path (the
#      header check, then GDI+; tests/reliability/wine_bitmap_corpus.cpp): none crashes or
#      hangs, each loads as the manifest says for GDI+, and the process's peak memory stays
#      less than 64 MB above where it started.
#   2. With a stand-in dsound.dll (tests/e2e/wine_dsound_shim.cpp) the game's DirectSound
#      sequence runs whole and is checked call by call, arguments and release order included;
#      then each step fails in turn, and the game runs on, silent, and ends with exit code 0 on
#      Escape.
#   3. The run with nothing failing is also the live loop's storm (scripts/test.d/lib/stress.sh),
#      as the SDL stage runs it; FENNWICK_WINE_STRESS=0 leaves it out.
#
# Needs what scripts/test.d/lib/wine.sh needs.
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=lib/wine.sh
source scripts/test.d/lib/wine.sh
# shellcheck source=lib/stress.sh
source scripts/test.d/lib/stress.sh
wine_stage_start wine-reliability
# The replay tool built for Node, which proves the storm's recording too.
find_node_replay

# --- 1. The hostile bitmap corpus through GDI+ -----------------------------------------------

start=$SECONDS
code=0
timeout 120 wine "$test_programs/wine_bitmap_corpus.exe" "$(game_path tests/corpus/bmp)" \
  >"$out/corpus.txt" 2>"$out/corpus.err" || code=$?
tr -d '\r' <"$out/corpus.txt" >"$out/corpus.log"
last=$(sed -n 's/^loading //p' "$out/corpus.log" | tail -n 1)
if [ "$code" = 124 ]; then
  fail "corpus: hung on $last"
elif ! grep -q '^peak above baseline' "$out/corpus.log"; then
  fail "corpus: ended with code $code while loading $last"
fi
clean=no
relay_checks "corpus: " "$out/corpus.log" && [ "$code" = 0 ] && clean=yes
summary=$(grep '^files: ' "$out/corpus.log" || true)
peak=$(grep '^peak above baseline' "$out/corpus.log" || true)
check "corpus under GDI+: every file as its manifest says ($summary); $peak" "see $out/corpus.log" -- [ "$clean" = yes ]
echo "Corpus loaded in $((SECONDS - start)) s"

# --- 2. The sound device through the stand-in dsound.dll -------------------------------------

start=$SECONDS
sound_dir=$(beside_game dsound "$test_programs/dsound/dsound.dll")

created='DirectSoundCreate8 device=null outer=null'
cooperative='SetCooperativeLevel window=game level=2'
# dwSize is the structure's size for the build: 40 on 64-bit Windows, where the pointer before
# the GUID is 8 bytes (36 on 32-bit).
buffer='CreateSoundBuffer dwSize=40 dwFlags=0x81 dwBufferBytes=0 dwReserved=0 lpwfxFormat=null guid3DAlgorithm=null outer=null'
format='SetFormat wFormatTag=1 nChannels=2 nSamplesPerSec=44100 nAvgBytesPerSec=176400 nBlockAlign=4 wBitsPerSample=16 cbSize=0'
ok=0x00000000
# Each step's failure as the stand-in gives it: DSERR_NODRIVER, DSERR_INVALIDPARAM,
# DSERR_OUTOFMEMORY, DSERR_BADFORMAT.
declare -A expected_calls=(
  [none]="$created -> $ok|$cooperative -> $ok|$buffer -> $ok|$format -> $ok|Buffer released|DirectSound released"
  [create]="$created -> 0x88780078"
  [cooperative-level]="$created -> $ok|$cooperative -> 0x80070057|DirectSound released"
  [create-buffer]="$created -> $ok|$cooperative -> $ok|$buffer -> 0x8007000e|DirectSound released"
  [set-format]="$created -> $ok|$cooperative -> $ok|$buffer -> $ok|$format -> 0x88780064|Buffer released|DirectSound released"
)

# The run with nothing failing is also the live loop's storm (lib/stress.sh), with a window
# manager to move the focus: without one, Wine stops passing keys on after a few changes.
stress_focus_away() { xdotool windowactivate "$other" 2>/dev/null || true; }
stress_focus_back() {
  xdotool windowactivate "$(xdotool search --name '^Fennwick$' 2>/dev/null | head -n 1)" 2>/dev/null || true
}

wine_stress=${FENNWICK_WINE_STRESS:-1}
if [ "$wine_stress" = 1 ]; then
  stress_open_other_window || fail "under stress: no window to take the focus away to"
else
  echo "note: the live loop's storm under Wine is left out (FENNWICK_WINE_STRESS=0)"
fi
for fault in none create cooperative-level create-buffer set-format; do
  log=$out/dsound-$fault.log
  [ "$fault" = none ] && [ "$wine_stress" = 1 ] && session_openbox
  what="sound, $fault failing"
  [ "$fault" = none ] && what="sound, nothing failing"
  launch "WINEDLLOVERRIDES=dsound=n,b;mscoree,mshtml=" "FENNWICK_DSOUND_FAULT=$fault" \
    "FENNWICK_DSOUND_LOG=$(game_path "$log")" wine "$sound_dir/fennwick.exe" --record "$(game_path "$out/stress-$fault.script")"
  if find_window && wait_for_picture "$out/dsound-$fault.png" "$out/frame1.bmp"; then
    if [ -n "$openbox_pid" ]; then
      stress_focus_back
      stress_check "under stress" "$out/stress-$fault.script"
    else
      ran=no
      runs_right "$out/dsound-$fault-right.png" && ran=yes
      check "$what: the game runs on" "the figure did not move ($moved)" -- [ "$ran" = yes ]
    fi
  else
    fail "$what: the game showed no picture"
  fi
  quit "$what, Escape"
  session_openbox_end
  tr '|' '\n' <<<"${expected_calls[$fault]}" >"$out/dsound-$fault.expected"
  tr -d '\r' <"$log" >"$log.txt" 2>/dev/null || true
  called=no
  diff "$out/dsound-$fault.expected" "$log.txt" >"$out/dsound-$fault.diff" 2>&1 && called=yes
  sequence="$what: nothing after the failed step but the releases"
  [ "$fault" != none ] ||
    sequence="DirectSound: created, priority level on the game's window, primary buffer 0x81, 16-bit stereo 44,100 Hz, buffer released before the device"
  check "$sequence" "calls differ from what was expected: $(tr '\n' ' ' <"$out/dsound-$fault.diff")" -- [ "$called" = yes ]
done
[ "$wine_stress" = 1 ] && check_replay "$out/stress-none.script" "$out/stress-rest.png" "under stress"
close_other_window
echo "Sound and stress runs in $((SECONDS - start)) s"

finish_session "Windows reliability"
