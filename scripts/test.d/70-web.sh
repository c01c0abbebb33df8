#!/usr/bin/env bash
# The web build: built with emscripten, then
#
#   1. fennwick-replay.js under Node prints, byte for byte, what the native fennwick-replay
#      prints for the same scripts (tests/e2e/wine_replays), hashes included;
#   2. the web build's bitmap decoder reads the hostile corpus (tests/corpus/bmp) as its
#      manifest says, as the other platforms do;
#   3. the page as a player gets it (the web package of scripts/package.sh, unzipped), served
#      on 127.0.0.1 by scripts/play-web.sh, played in Debian's chromium, headless, through
#      playwright-core (tests/web, pinned by its package-lock.json): see tests/web/web_test.js;
#      the run played there proves itself by its checkpoints (--verify, natively and under
#      Node); then its load is measured once (bench/web_load.js) and Lighthouse's mobile audit run
#      once (bench/lighthouse.js), their figures printed: the stage fails only on Lighthouse's
#      accessibility or best practices under 1, its timings being a benchmark's;
#   4. scripts/play-web.sh typed as the README has it, with the built site gone: it builds the
#      whole site again and serves a page that shows the native replay's first frame;
#   5. the page's own unpacker (web/inflate.js) against zlib, and the links' reader against
#      real links bent at random, under Node.
#
# Needs: emscripten, libstb-dev, node-terser, chromium, node and npm, python3. FENNWICK_NATIVE_REPLAY may
# name the native fennwick-replay to compare with.
set -euo pipefail
cd "$(dirname "$0")/../.."
# The session library's checks and output; the browser brings its own screen.
# shellcheck source=lib/session.sh
source scripts/test.d/lib/session.sh
session_begin web-e2e
work=$out

# --- Build -----------------------------------------------------------------------------------

cmake --preset web >/dev/null
cmake --build --preset web -j 2
replay_js=$root/build/web/tools/replay/fennwick-replay.js
node_replay=$replay_js

find_native_replay "$work"

# The page's two builds: the one most browsers run has SIMD and bulk memory, the plain one has
# neither, or a browser without them could not compile it.
features() {  # wasm file: "SIMD and bulk memory" words, as many as it has
  local text
  text=$(wasm-dis "$1")
  grep -q 'v128' <<<"$text" && printf 'SIMD '
  grep -q 'memory\.fill\|memory\.copy' <<<"$text" && printf 'bulk-memory '
  return 0
}
check "the page's WebAssembly uses SIMD and bulk memory, its plain build neither" \
  "fennwick.wasm: $(features build/web/unpacked/fennwick.wasm), fennwick-plain.wasm: $(features build/web/unpacked/fennwick-plain.wasm)" -- \
  test "$(features build/web/unpacked/fennwick.wasm)/$(features build/web/unpacked/fennwick-plain.wasm)" = "SIMD bulk-memory /"

# --- 1. Replays: byte-identical under Node ---------------------------------------------------

compare_replays "$work" node node "$replay_js"

# --- 2. The bitmap decoder against the hostile corpus, under Node ---------------------------

node "$root/build/web/tests/web/fennwick-decode-corpus.js" tests/corpus/bmp >"$work/corpus.txt" || true
check "the web decoder reads the bitmap corpus as its manifest says ($(grep '^corpus: ' "$work/corpus.txt"))" \
  "$(tail -n 1 "$work/corpus.txt"), see $work/corpus.txt" -- relay_checks "web decoder: " "$work/corpus.txt"


# --- 3. The page in chromium -----------------------------------------------------------------

# The pictures the page must show, from the native game.
pictures=$work/pictures
mkdir -p "$pictures"
demo=tests/e2e/wine_replays/wall_jump.txt
"$native_replay" --assets assets --frames 1 --dump 1 "$pictures/frame1.bmp" </dev/null >/dev/null
printf '1 down 39\n60 up 39\n120 end\n' | "$native_replay" --assets assets --dump 120 "$pictures/at-wall.bmp" - >/dev/null
demo_frames=$("$native_replay" --assets assets "$demo" | wc -l)
"$native_replay" --assets assets --dump "$demo_frames" "$pictures/demo-last.bmp" "$demo" >/dev/null

# What is served: the web package unzipped (one folder), the demo beside it, copies without
# its script, without its pictures and with the WebAssembly in its page cut short, and the page
# with the test's own build of the game.
web_zip=$(scripts/package.sh web | tail -n 1)
mkdir -p "$work/unzipped"
(cd "$work/unzipped" && unzip -q "$web_zip")
served=$work/unzipped/$(basename "$web_zip" .zip)
mkdir -p "$served/no-script" "$served/no-data" "$served/cut-short" "$served/e2e"
cp "$demo" "$served/demo.script"
find "$served" -maxdepth 1 -type f -exec cp {} "$served/e2e/" \;
cp build/web/site-e2e/index.html build/web/site-e2e/fennwick.js.gz build/web/site-e2e/fennwick.data.gz "$served/e2e/"
cp "$served"/index.html "$served"/fennwick.data.gz "$served/no-script/"
cp "$served"/index.html "$served"/fennwick.js.gz "$served/no-data/"
cp "$served"/fennwick.js.gz "$served"/fennwick.data.gz "$served/cut-short/"
python3 -c 'import re, sys; page = open(sys.argv[1], encoding="utf-8").read()
print(re.sub(r"(data-bytes=\"\d+\">)([^<]*)", lambda m: m[1] + m[2][:len(m[2]) // 2], page), end="")' \
  "$served/index.html" >"$served/cut-short/index.html"

(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)

# Served as a player serves it, through scripts/play-web.sh, on a port the system found free:
# `serve LOG SECONDS [FOLDER]` sets port once the server says it serves there.
serve() {  # log seconds [folder]
  local log=$1 seconds=$2
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  scripts/play-web.sh "$port" ${3:+"$3"} >"$log" 2>&1 &
  other_pids+=($!)
  for _ in $(seq $((seconds * 10))); do
    grep -q "^Serving HTTP on 127.0.0.1 port $port" "$log" && break
    kill -0 "${other_pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  grep -q "^Fennwick is at http://127.0.0.1:$port/ " "$log" && grep -q "^Serving HTTP on 127.0.0.1 port $port" "$log" ||
    { cat "$log" >&2; session_abort "play-web.sh ${3:+$3 }did not serve the page"; }
  pass "play-web.sh ${3:+FOLDER }serves the page at http://127.0.0.1:$port/, as it says"
}
serve "$work/server.log" 10 "$served"

node tests/web/web_test.js --url "http://127.0.0.1:$port/" --pictures "$pictures" --demo demo.script --e2e e2e/ \
    --replay "$native_replay" --assets "$root/assets" --work "$work" ||
  failures=$((failures + 1))

# The run played in the browser, as its page let it be downloaded, proves itself natively and
# under Node; a copy with a key a frame late parts.
check_verify "$work/downloaded-run.txt" "the browser's run"

# The page's load, once, for its figures: a benchmark, not a check of them.
echo "The page's load (bench/web_load.js, one run of each):"
node bench/web_load.js --url "http://127.0.0.1:$port/" --runs 1 || fail "the load benchmark could not measure the page"
echo "Lighthouse's mobile audit of the page (bench/lighthouse.js, one run):"
node bench/lighthouse.js --url "http://127.0.0.1:$port/" --runs 1 --require-perfect yes ||
  fail "Lighthouse finds the page's accessibility or best practices under 1, or could not audit it"

# --- 4. The README's web command, from a build without the site ------------------------------

rm -rf build/web/site
serve "$work/server-built.log" 600
node tests/web/web_test.js --url "http://127.0.0.1:$port/" --pictures "$pictures" --only first-frame ||
  failures=$((failures + 1))

# --- 5. The page's own unpacker ---------------------------------------------------------------

node tests/web/inflate_test.js || failures=$((failures + 1))
finish_session "Web build"
