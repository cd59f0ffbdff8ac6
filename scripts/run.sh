#!/usr/bin/env bash
# Sets up, builds and starts the program (the README's run command).
# With a display it starts the desktop program kvqor. Without one it runs an end-to-end check
# instead: the simulated programmer is served on a pseudo-terminal (kvqor-sim) and identified over
# the real serial-port code (kvqor-identify), which prints the programmer's code.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
bin=build/default

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/src/app/kvqor" "$@"
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
"$bin/src/wire/kvqor-identify" "$tmp/ttyKVQOR"
