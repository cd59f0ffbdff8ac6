#!/usr/bin/env bash
# Sets up, builds and starts the program (the README's run command).
# With a display it starts the desktop program kvqor. Without one it runs the command line's demo:
# kvqor-cli runs auto (erase, blank check, program, verify, lock) of a small example firmware on
# the built-in simulated programmer, and shows the five steps pass.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
bin=build/default

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/src/app/kvqor" "$@"
fi
exec "$bin/src/cli/kvqor-cli" --port sim --device AT89C2051 auto examples/blink51_at89c2051.hex
