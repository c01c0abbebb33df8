# The page's benchmarks' common ground, sourced by bench/web_load.sh and bench/lighthouse.sh
# from the source tree's root: the web site built (web preset), tests/web's node modules there,
# and folders served as a simple static host serves them (python3's http.server, no
# compression) on 127.0.0.1. The servers and the work folder go when the script exits.
#
#   build_web_site WHO MODULE     builds; npm ci in tests/web when node_modules/MODULE is missing;
#                                 sets site (the folder built)
#   serve_folder WHO FOLDER       serves FOLDER; sets served_port
# WHO names the script in what it says when something fails. Both browsers' paths come from
# FENNWICK_CHROMIUM (default /usr/bin/chromium), read by the benchmarks' own scripts.

web_site_work=$(mktemp -d)
web_site_servers=()
web_site_cleanup() {
  local pid
  for pid in "${web_site_servers[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$web_site_work"
}
trap web_site_cleanup EXIT

build_web_site() {
  cmake --preset web >/dev/null
  cmake --build --preset web >/dev/null
  site=build/web/site
  (cd tests/web && [ -d "node_modules/$2" ] || npm ci --no-audit --no-fund --loglevel=error)
}

serve_folder() {
  local log="$web_site_work/server-${#web_site_servers[@]}.log"
  # Port 0: the system picks a free one, and the server names it on its first line.
  python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$2" >"$log" 2>&1 &
  web_site_servers+=($!)
  served_port=""
  for _ in $(seq 100); do
    served_port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$log" | head -n 1)
    [ -n "$served_port" ] && return 0
    sleep 0.1
  done
  cat "$log" >&2
  echo "$1: the server did not start" >&2
  exit 1
}
