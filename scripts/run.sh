#!/usr/bin/env bash
# Sets up, builds and starts the program (the README's run command).
# Without a display: the command line's demo. With one, until the desktop program is in place, an
# end-to-end check: the simulated programmer is served on a pseudo-terminal (kvqor-sim) and
# identified over the real serial-port code (kvqor-cli identify), which prints its code.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
bin=build/default

# No display: kvqor-cli runs auto (erase, blank check, program, verify, lock) of a small example
# firmware on the built-in simulated programmer, and shows the five steps pass.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/src/cli/kvqor-cli" --port sim --device AT89C2051 auto examples/blink51_at89c2051.hex
fi

tmp=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT

"$bin/sim/kvqor-sim" --link "$tmp/ttyKVQOR" >"$tmp/path" &
sim_pid=$!
for _ in $(seq 50); do
  [ -L "$tmp/ttyKVQOR" ] && break
  sleep 0.1
done
echo "Simulated programmer on $(head -n1 "$tmp/path") (linked as $tmp/ttyKVQOR)"
"$bin/src/cli/kvqor-cli" --port "$tmp/ttyKVQOR" identify
