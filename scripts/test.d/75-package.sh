#!/usr/bin/env bash
# The packages a player installs (scripts/package.sh), installed and started the way a player
# would, on a private Xvfb screen:
#
#   1. the .deb: lintian reports no errors; dpkg -i installs it; the installed fennwick,
#      started from /tmp, shows the replay tool's first frame (so it found its pictures in the
#      data folder) and Escape ends it with code 0; --version prints the version; the README's
#      bug report for the installed game replays what the screen showed, and its installed
#      fennwick-replay --verify proves it; dpkg -r leaves none
#      of its files behind;
#   2. the game copied away from its data and started from a folder without pictures: it names
#      every place it tried on standard error, once, and runs on;
#   3. the Windows zip unzipped into a new folder, fennwick.exe started under Wine from another
#      folder: its version, the first frame, then Escape and code 0; alone in a folder, it names
#      the places it tried;
#   4. the web zip holds the whole site (70-web.sh plays that site in a browser);
#   5. every copy of the controls a package carries (--help, the .deb's description, the manual
#      page, "How to play.txt" with Windows line ends, the web page's table) is the table's.
#
# Installs and removes the package fennwick on this machine: needs root or sudo.
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=lib/wine.sh
source scripts/test.d/lib/wine.sh
version=$(sed -n 's/^project(Fennwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
packages=$root/build/packages
deb=$packages/fennwick_${version}_amd64.deb
win_zip=$packages/fennwick-${version}-win64.zip
web_zip=$packages/fennwick-${version}-web.zip
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

session_begin package-e2e
session_wine=""  # until the Windows zip's part: the first parts play the Linux game
installed=""
session_cleanup() { [ -n "$installed" ] && $sudo dpkg -r fennwick >/dev/null 2>&1 || true; }

# --- The packages, and the picture they must show first ---------------------------------------
scripts/package.sh deb win64 web

find_native_replay "$work"
"$native_replay" --assets assets --frames 1 --dump 1 "$out/frame1.bmp" </dev/null >/dev/null
session_screen

# A zip holds one folder, named as the zip is, so that unpacking it scatters nothing. Unpacks
# it into DIR.
unzip_one_folder() {  # zip dir
  local top
  mkdir -p "$2"
  top=$(unzip -Z1 "$1" | cut -d/ -f1 | sort -u | paste -sd " ")
  check "$(basename "$1") unpacks into one folder, $top" "it unpacks into $top" -- [ "$top" = "$(basename "$1" .zip)" ]
  (cd "$2" && unzip -q "$1")
}

# Passes when TEXT holds the controls in FORM (cmake/controls.cmake) whole; with "squeezed", both
# without line breaks and indents, as the web page travels.
holds_controls() {  # what form text [squeezed]
  local wanted text=$3
  cmake -DMODE=form -DFORM="$2" -DOUT="$out/controls.$2" -P cmake/controls.cmake
  wanted=$(cat "$out/controls.$2")
  if [ "${4:-}" = squeezed ]; then
    wanted=$(sed 's/^[[:space:]]*//' <<<"$wanted" | tr -d '\n')
    text=$(sed 's/^[[:space:]]*//' <<<"$text" | tr -d '\n')
  fi
  check "$1: the controls as packaging/controls.txt has them" "they differ:"$'\n'"$3" -- '[[ $text == *"$wanted"* ]]'
}

# Starts a program in a folder, checks that its window shows the first frame, presses Escape and
# checks that it ended with code 0.
play_first_frame_then_escape() {  # what dir command...
  local what=$1
  launch_dir=$2
  shift 2
  launch "$@"
  find_window || fail "$what: no window"
  expect_picture "$out/shot.png" "$out/frame1.bmp" "$what: the window shows the replay tool's first frame exactly"
  focus
  quit "$what: Escape ended it"
}

# --- 1. The Debian package ------------------------------------------------------------------
lintian_report=$(lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || true)
check "lintian: no errors${lintian_report:+ ($lintian_report)}" -- 'lintian --fail-on error "$deb" >/dev/null 2>&1'

# What the .deb asks of the system must be there on Ubuntu 22.04 (SDL 2.0.20, glibc 2.35), and
# nothing only a test uses may be in the game it carries.
depends=$(dpkg-deb -f "$deb" Depends)
for limit in libsdl2-2.0-0:2.0.20 libc6:2.35; do
  name=${limit%%:*} most=${limit#*:}
  asked=$(tr ',' '\n' <<<"$depends" | sed -n "s/^ *$name (>= \([^)]*\)).*/\1/p")
  check "the .deb asks for $name >= ${asked:-(nothing)}, at most $most" "its Depends are $depends" -- \
    '[ -n "$asked" ] && dpkg --compare-versions "$asked" le "$most"'
done
mkdir -p "$out/deb"
dpkg-deb -x "$deb" "$out/deb"
imports=$(nm -D --undefined-only "$out/deb/usr/games/fennwick" || true)
check "the packaged fennwick imports no SDL_JoystickAttachVirtual*" \
  "it imports $(grep -o 'SDL_JoystickAttachVirtual[A-Za-z]*' <<<"$imports" | tr '\n' ' '), or its SDL imports cannot be read" -- \
  'grep -q " SDL_Init$" <<<"$imports" && ! grep -q "SDL_JoystickAttachVirtual" <<<"$imports"'
help_code=0
help=$("$out/deb/usr/games/fennwick" --help) || help_code=$?
check "fennwick --help prints the usage, the options and the controls, and exits 0" "it exited $help_code and printed: $help" -- \
  '[ "$help_code" = 0 ] && grep -q "^usage: fennwick " <<<"$help" && grep -q -- "--record FILE" <<<"$help" && grep -q Escape <<<"$help"'
holds_controls "fennwick --help" text "$help"
# The .deb's description as dpkg shows it: the summary, then lines indented by one space, " ."
# for a blank one.
holds_controls "the .deb's description" text "$(dpkg-deb -f "$deb" Description | tail -n +2 | sed 's/^ //; s/^\.$//')"
man_page=$(zcat "$out/deb/usr/share/man/man6/fennwick.6.gz")
holds_controls "the manual page's keys" roff-keys "$man_page"
holds_controls "the manual page's options" roff-options "$man_page"
holds_controls "the manual page's synopsis" roff-synopsis "$man_page"

$sudo dpkg -i "$deb" >/dev/null
installed=yes
dpkg -L fennwick >"$out/installed.txt"
game=/usr/games/fennwick
for want in "$game" /usr/games/fennwick-replay /usr/share/fennwick/StickStand/Stand0000.bmp /usr/share/applications/fennwick.desktop \
            /usr/share/icons/hicolor/16x16/apps/fennwick.png /usr/share/icons/hicolor/32x32/apps/fennwick.png \
            /usr/share/doc/fennwick/copyright /usr/share/man/man6/fennwick-replay.6.gz; do
  check "installed: $want" "it is not" -- [ -e "$want" ]
done

said=$("$game" --version || true)
check "fennwick --version prints 'fennwick $version'" "it printed '$said'" -- [ "$said" = "fennwick $version" ]

escape_wait=5
play_first_frame_then_escape "installed game started from /tmp" /tmp "$game"
[ ! -s "$out/game.err" ] || fail "the installed game complained: $(cat "$out/game.err")"

# The README's bug report for the installed game, typed as written from another folder by a
# player whose PATH has /usr/games: record into the home folder, then watch it again; the demo
# ends on the picture the screen showed when the session ended.
mkdir -p "$out/home"
as_player=(HOME="$out/home" PATH="/usr/games:$PATH")
launch_dir=/tmp
launch "${as_player[@]}" sh -c 'exec fennwick --record ~/bug.txt'
find_window || fail "bug report: no window"
hold Right 0.5
wait_for_still "$out/bug-live.png" 4 || fail "bug report: the figure never came to rest"
sleep 1
quit "bug report: the recorded session ended with Escape"
launch "${as_player[@]}" sh -c 'exec fennwick --play ~/bug.txt'
find_window || fail "bug report: no window for the demo"
check "bug report: fennwick --play ~/bug.txt ends on the picture the session showed" "it never showed it" -- \
  shown_before_exit "$out/bug-demo.png" "$out/bug-live.png" 30
expect_exit 0 "bug report: the demo ended by itself" 30
# The replay tool the package carries, from another folder and without --assets: it finds the
# pictures where the game does, and its last frame is the picture the session showed.
(cd /tmp && env "${as_player[@]}" fennwick-replay --dump last "$out/bug-replayed.bmp" "$out/home/bug.txt" \
   >/dev/null 2>"$out/bug-replay.err") || true
differ=$(differing "$out/bug-live.png" "$out/bug-replayed.bmp")
check "bug report: the installed fennwick-replay --dump last draws the picture the session showed" \
  "$differ pixels differ; it said: $(cat "$out/bug-replay.err")" -- '[ "$differ" = 0 ] && [ ! -s "$out/bug-replay.err" ]'
# ...and it proves the recording by its checkpoints, as the how-to-play says.
said=$(cd /tmp && env "${as_player[@]}" fennwick-replay --verify "$out/home/bug.txt" 2>&1) || said="$said (exit $?)"
check "bug report: the installed fennwick-replay --verify proves the recording ('$said')" -- \
  '[[ $said == "$out/home/bug.txt: "*" frames, "*", all match" ]]'

# --- 2. No pictures anywhere it looks -------------------------------------------------------
mkdir -p "$out/alone/bin" "$out/empty"
cp "$game" "$out/alone/bin/fennwick"
launch_dir=$out/empty
launch "$out/alone/bin/fennwick"
find_window || fail "without pictures: no window"
sleep 0.5
check "without pictures the game runs on" "it ended" -- 'kill -0 "$game_pid" 2>/dev/null'
quit "without pictures, Escape ended it"
said=$(cat "$out/game.err")
wanted="fennwick: 16 picture files missing in $out/empty, for example StickStand/Stand0000.bmp; also looked in $out/alone/bin (16 missing) and $out/alone/share/fennwick (no such folder)"
check "without pictures it said once where it looked: $said" "wanted '$wanted'" -- [ "$said" = "$wanted" ]

files_left=()
while read -r path; do
  [ -d "$path" ] && continue
  files_left+=("$path")
done <"$out/installed.txt"
$sudo dpkg -r fennwick >/dev/null
installed=""
left=()
for path in "${files_left[@]}" /usr/share/fennwick /usr/share/doc/fennwick; do
  [ -e "$path" ] && left+=("$path")
done
check "dpkg -r removed all ${#files_left[@]} files it installed" "it left ${left[*]}" -- [ ${#left[@]} -eq 0 ]

# --- 3. The Windows zip under Wine ------------------------------------------------------------
session_wine=yes
wine_prefix
picture_tries=300 picture_every=0.1

mkdir -p "$out/windows/elsewhere" "$out/windows/alone" "$out/windows/empty"
unzip_one_folder "$win_zip" "$out/windows"
windows=$out/windows/$(basename "$win_zip" .zip)
for want in fennwick.exe fennwick-replay.exe StickStand/Stand0000.bmp StickRun/Run0012.bmp StickJump/Jump0000.bmp \
            StickFall/Fall0000.bmp "How to play.txt" LICENSE.txt; do
  [ -f "$windows/$want" ] || fail "the Windows zip has no $want"
done
how_to_play=$windows/How\ to\ play.txt
bom=$(head -c 3 "$how_to_play" | od -An -tx1 | tr -d ' ')
check "\"How to play.txt\" begins with a UTF-8 byte-order mark, for Notepad before Windows 10" "it begins $bom" -- [ "$bom" = efbbbf ]
holds_controls '"How to play.txt"' text "$(tr -d '\r' <"$how_to_play")"
for text in "$how_to_play" "$windows/LICENSE.txt"; do
  bare=$(awk '!/\r$/' "$text" | wc -l)
  check "\"${text##*/}\" ends every line with CR LF" "$bare lines without CR LF" -- [ "$bare" = 0 ]
done
said=$(cd "$out/windows/elsewhere" && timeout 60 wine "$windows/fennwick-replay.exe" --verify \
  "$(game_path "$root/tests/corpus/recordings/wall_jump.txt")" 2>/dev/null | tr -d '\r') || true
check "the zip's fennwick-replay.exe --verify proves a recording from another folder ('$said')" -- \
  '[[ $said == *": 450 frames, 8 checkpoints, all match" ]]'
said=$(cd "$out/windows/elsewhere" && timeout 60 wine "$windows/fennwick.exe" --version 2>/dev/null | tr -d '\r')
check "fennwick.exe --version prints 'fennwick $version'" "it printed '$said'" -- [ "$said" = "fennwick $version" ]
play_first_frame_then_escape \
  "Windows zip, fennwick.exe started from another folder" "$out/windows/elsewhere" \
  wine "$windows/fennwick.exe"

cp "$windows/fennwick.exe" "$out/windows/alone/"
launch_dir=$out/windows/empty
launch wine "$out/windows/alone/fennwick.exe"
find_window || fail "Windows, without pictures: no window"
sleep 1
# Wine does not always hand a new window the focus: the player clicks it first.
focus
quit "Windows, without pictures, Escape"
said=$(game_said)
check "Windows, without pictures: ran on, ended with code 0, said where it looked: $said" "exit code $exit_code" -- \
  '[ "$exit_code" = 0 ] && [[ $said == "fennwick: 16 picture files missing in "*empty", for example StickStand/Stand0000.bmp; also looked in "*alone" (16 missing) and "*"share"?"fennwick (no such folder)" ]]'

# --- 4. The web zip ---------------------------------------------------------------------------
if [ -f "$web_zip" ]; then
  unzip_one_folder "$web_zip" "$out/web"
  site=$out/web/$(basename "$web_zip" .zip)
  for want in index.html fennwick.js.gz fennwick-plain.wasm.gz fennwick.data.gz inflate.js LICENSE.txt; do
    check "web zip: $want" "it is not there" -- [ -f "$site/$want" ]
  done
  holds_controls "the web page's table" html "$(cat "$site/index.html")" squeezed
  check "the web page's table has no developer's options" "it shows players ?play=" -- '! grep -q "?play=" "$site/index.html"'
else
  echo "skip the web zip: this build has no web preset"
fi

finish_session Packages
