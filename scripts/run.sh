#!/usr/bin/env bash
# Starts the program the way a user meets it, with the whole system on this
# machine: our vendor host on 127.0.0.1 serves the data file, answers the
# version check and records the click reports, and the program, pointed at
# it, runs in its own run folder. The host stops when the program ends.
# Without a display the three charts are drawn into PNG files instead.
#
#   scripts/run.sh BUILD_DIR RUN_DIR
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
mkdir -p "${2:-run}"
run=$(cd "${2:-run}" && pwd)
source_root=$(cd "$(dirname "$0")/.." && pwd)
skyvane="$build/app/skyvane"

cp "$build/datas.bin" "$run/datas.bin"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display: drawing the charts for now at Zurich instead."
  cd "$run"
  for chart in horizontal geocentric heliocentric; do
    "$skyvane" render "$chart" --now --lon -8.5 --lat 47.32 --tz 1 --data-dir "$run" -o "$chart.png"
  done
  echo "The charts are in $run/ (horizontal.png, geocentric.png, heliocentric.png)"
  exit 0
fi

host_log="$run/vendor-host.log"
"$build/tools/vendor-host/vendor-host" --port 0 --bind 127.0.0.1 \
  --data "$build/datas.bin" --db "$run/vendor.sqlite" \
  --stars "$source_root/data/stars.txt" >"$host_log" 2>&1 &
host_pid=$!
trap 'kill "$host_pid" 2>/dev/null || true; wait "$host_pid" 2>/dev/null || true' EXIT

# The host names its address on its first line.
address=""
for _ in $(seq 1 100); do
  address=$(sed -n 's|^vendor-host: listening on http://\([^/]*\)/.*|\1|p' "$host_log" | head -n 1)
  [[ -n "$address" ]] && break
  kill -0 "$host_pid" 2>/dev/null || { cat "$host_log" >&2; exit 1; }
  sleep 0.05
done
[[ -n "$address" ]] || { echo "vendor-host did not start" >&2; cat "$host_log" >&2; exit 1; }

echo "Vendor host on http://$address/ (reports in $run/vendor.sqlite)"
cd "$run"
SKYVANE_HOST="$address" "$skyvane" --data-dir "$run"
