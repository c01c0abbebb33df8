#!/usr/bin/env bash
# The SDL game in a real window under Xvfb (tests/e2e/sdl_window_test.sh), on the default build.
set -euo pipefail
cd "$(dirname "$0")/../.."
exec tests/e2e/sdl_window_test.sh build/default
