#!/usr/bin/env bash
# Players on line under load: the controller (window and registration service
# in one process) with 200 emulated players registering every 5 seconds.
# Measures the registration round trip seen by a probe player, with the 200
# running and, as the baseline, alone; and the controller's event-loop delay
# (intervals of a 10 ms timer inside the controller). Loopback only: the
# players use 127.0.2.1-127.0.2.200, the probe 127.0.2.250.
# Usage: bench/players.sh [BUILD_DIR]
# Environment: DURATION (seconds of probing per phase, default 20),
# RATE (probe calls per second, default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${1:-build}
duration=${DURATION:-20}
rate=${RATE:-20}
players=200
interval=5
controller_bin="$build/bench/players/kvo-bench-players-controller"
[[ -x "$controller_bin" ]] || cmake --build "$build" -j2 --target kvo-bench-players-controller
controller_bin=$(realpath "$controller_bin")

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The window keeps its layout in the settings store: a scratch one here.
export XDG_CONFIG_DIRS=$work/settings/system XDG_CONFIG_HOME=$work/settings/user

# Runs one phase; prints "probe-json|controller figures".
run_phase() {
  local with_players=$1 out="$work/controller.out" port controller emulator="" probe
  rm -f "$out"
  (cd "$work" && exec "$controller_bin" 127.0.0.1 0 >"$out" 2>"$work/controller.err") &
  controller=$!
  pids+=("$controller")
  # The first line of its output is the port.
  for _ in $(seq 100); do
    [[ -s "$out" ]] && break
    sleep 0.1
  done
  port=$(head -n1 "$out")
  [[ -n "$port" ]] || { echo "controller did not start" >&2; cat "$work/controller.err" >&2; return 1; }

  if [[ $with_players == yes ]]; then
    /usr/bin/python3 "$source_dir/tools/kvo_player_emulator.py" --count "$players" \
      --first-address 127.0.2.1 --controller 127.0.0.1 --controller-port "$port" \
      --interval "$interval" --control none --state-dir "$work/players" >"$work/emulator.out" 2>"$work/emulator.err" &
    emulator=$!
    pids+=("$emulator")
    # Every player has registered once after one interval.
    sleep $((interval + 2))
  fi

  kill -USR1 "$controller"
  probe=$(/usr/bin/python3 "$source_dir/bench/players/registration_probe.py" 127.0.0.1 "$port" 127.0.2.250 \
    "$duration" "$rate") || { echo "probe failed: $probe" >&2; return 1; }
  kill -TERM "$controller"
  wait "$controller" || true
  if [[ -n $emulator ]]; then
    kill -TERM "$emulator"
    wait "$emulator" || true
  fi
  echo "$probe|$(tail -n +2 "$out" | tr '\n' ' ')"
}

field() { # field JSON KEY
  /usr/bin/python3 -c 'import json, sys; print(json.loads(sys.argv[1]).get(sys.argv[2], "-"))' "$1" "$2"
}
word_after() { # word_after TEXT WORD
  awk -v w="$2" '{ for (i = 1; i < NF; ++i) if ($i == w) { print $(i + 1); exit } }' <<<"$1"
}

echo "players $players every ${interval}s; probe $rate calls/s for ${duration}s per phase"
baseline=$(run_phase no)
loaded=$(run_phase yes)

printf '%-12s %6s %6s %8s %8s %8s | %8s %8s %8s %8s | %8s %7s %5s\n' phase calls errors \
  "rt med" "rt p95" "rt p99" "tick med" "tick p95" "tick p99" "tick max" "regs/s" listed boxes
for row in "baseline|$baseline" "$players players|$loaded"; do
  IFS='|' read -r label probe figures <<<"$row"
  ticks=$(grep -o 'tick_interval_ms.*max [0-9.]*' <<<"$figures")
  printf '%-12s %6s %6s %8s %8s %8s | %8s %8s %8s %8s | %8s %7s %5s\n' "$label" \
    "$(field "$probe" calls)" "$(field "$probe" errors)" "$(field "$probe" median_ms)" \
    "$(field "$probe" p95_ms)" "$(field "$probe" p99_ms)" \
    "$(word_after "$ticks" median)" "$(word_after "$ticks" p95)" "$(word_after "$ticks" p99)" \
    "$(word_after "$ticks" max)" "$(word_after "$figures" per_second)" \
    "$(word_after "$figures" players_listed)" "$(word_after "$figures" message_boxes)"
done
echo "(rt: registration round trip in ms; tick: intervals of the controller's 10 ms timer in ms)"
/usr/bin/python3 - "$players" "${baseline%%|*}" "${loaded%%|*}" <<'PY'
import json, sys
base, load = json.loads(sys.argv[2]), json.loads(sys.argv[3])
print("round trip with %s players / alone: median %.2fx, p95 %.2fx"
      % (sys.argv[1], load["median_ms"] / base["median_ms"], load["p95_ms"] / base["p95_ms"]))
PY
