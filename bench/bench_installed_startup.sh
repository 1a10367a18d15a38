#!/usr/bin/env bash
# Start-up time of an installed kzpc (default /usr/bin/kzpc) to its main window, the 2 s splash
# left out, on a virtual X display: from the launch until the main window is mapped, minus the
# splash's 2000 ms. Runs the tool N times (default 5) with a fresh settings folder each time.
# Usage: bench/bench_installed_startup.sh [KZPC] [N]
set -euo pipefail
if [ -z "${KZ_BENCH_XVFB:-}" ]; then KZ_BENCH_XVFB=1 exec xvfb-run -a "$0" "$@"; fi
unset QT_QPA_PLATFORM
kzpc="${1:-/usr/bin/kzpc}"
runs="${2:-5}"
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  XDG_CONFIG_HOME="$config" "$kzpc" &
  pid=$!
  until xwininfo -root -tree 2>/dev/null | grep -q '"KZ PC-Software Ver'; do sleep 0.002; done
  shown=$(date +%s%N)
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "start-up to the main window (splash excluded): $(( (shown - start) / 1000000 - 2000 )) ms"
done
