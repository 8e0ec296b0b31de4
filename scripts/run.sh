#!/usr/bin/env bash
# Sets everything up and runs Brellix against the built-in simulated module:
# the window where a display exists, else the headless runner drawing the
# module in this terminal. Extra arguments go to the program; the settings
# file of this demo lives in build/demo.ini unless --config is given.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
args=(--simulate)
case " $* " in *" --config "*) ;; *) args+=(--config build/demo.ini) ;; esac
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/brellix "${args[@]}" "$@"
else
  exec build/src/brellixd "${args[@]}" "$@"
fi
