#!/usr/bin/env bash
# One "Volume control" for a whole fleet: PLAYERS emulated players register
# with the controller (window and registration service in one process,
# bench/players/bulk_volume.cpp); once all are listed, Ctrl+A selects them,
# the bulk menu's "Volume control" gives them one value, and the window's own
# bulk path sends the calls. Per run: the time from the dialog's OK until
# every player has answered, calls per second, the GUI-thread round trip
# while the calls run (p50 / p99 / max), the most calls outstanding at once,
# and from the emulator's journal how many players received "Kivo.SetVolume"
# exactly once, with the value given.
# Loopback only: players on FIRST_ADDRESS onwards (default 127.19.0.1).
# Usage: bench/bulk_volume.sh [BUILD_DIR]
# Environment: PLAYERS (default 2000, at most 5000), RUNS (default 3),
# INTERVAL (seconds between a player's registrations, default 15), TIMEOUT
# (seconds per run, default 300), FIRST_ADDRESS.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${1:-build}
players=${PLAYERS:-2000}
runs=${RUNS:-3}
interval=${INTERVAL:-15}
timeout=${TIMEOUT:-300}
first_address=${FIRST_ADDRESS:-127.19.0.1}
controller_bin="$build/bench/players/kvo-bench-bulk-volume"
cmake --build "$build" -j2 --target kvo-bench-bulk-volume >/dev/null
controller_bin=$(realpath "$controller_bin")

work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

run_once() { # run_once RUN VOLUME
  local run=$1 volume=$2 out="$work/controller$1.out" err="$work/controller$1.err"
  local journal="$work/journal$1.jsonl" controller emulator port status=0
  # No batch download server: its fixed port would meet other runs'.
  (cd "$work" && KVO_BENCH_EXPECT=$players KVO_BENCH_TIMEOUT=$timeout \
    KVO_BATCH_SERVER= exec "$controller_bin" 127.0.0.1 "$volume" >"$out" 2>"$err") &
  controller=$!
  pids+=("$controller")
  for _ in $(seq 100); do
    [[ -s "$out" ]] && break
    sleep 0.1
  done
  port=$(head -n1 "$out")
  [[ -n "$port" ]] || { echo "controller did not start" >&2; cat "$err" >&2; return 1; }

  /usr/bin/python3 "$source_dir/tools/kvo_player_emulator.py" --count "$players" \
    --first-address "$first_address" --controller 127.0.0.1 --controller-port "$port" \
    --interval "$interval" --name "Bulk{n}" --control none --journal "$journal" \
    --state-dir "$work/players$run" >"$work/emulator$run.out" 2>"$work/emulator$run.err" &
  emulator=$!
  pids+=("$emulator")

  wait "$controller" || status=$?
  kill -TERM "$emulator" 2>/dev/null || true
  wait "$emulator" 2>/dev/null || true
  if ((status != 0)); then
    echo "run $run: the controller ended with status $status" >&2
    tail -n 5 "$err" >&2
    tail -n 3 "$work/emulator$run.err" >&2
  fi

  /usr/bin/python3 - "$run" "$players" "$volume" "$journal" "$(tail -n +2 "$out" | tr '\n' '\t')" <<'PY'
import collections, json, sys
run, players, volume, journal, figures = sys.argv[1:]
calls = collections.Counter()
wrong_value = 0
with open(journal, encoding="utf-8") as lines:
    for line in lines:
        try:
            record = json.loads(line)
        except ValueError:
            continue
        if record.get("event") == "call" and record.get("method") == "Kivo.SetVolume":
            calls[record["player"]] += 1
            wrong_value += record.get("params") != [int(volume)]
figure = {}
for line in figures.split("\t"):
    key, _, rest = line.partition(" ")
    figure[key] = rest.split()
def word(key, index=0, after=None):
    words = figure.get(key, [])
    if after is not None:
        index = words.index(after) + 1 if after in words else len(words)
    return words[index] if index < len(words) else "-"
once = sum(1 for count in calls.values() if count == 1)
more = sum(1 for count in calls.values() if count > 1)
never = int(players) - len(calls)
reach = word("reach_ms")
print("%3s | %7s | %8s | %9s | %6s | %6s %6s %7s | %4s / %4s / %5s | %4s / %4s / %5s / %5s | %s" % (
    run, word("selected"), "%.2f s" % (int(reach) / 1000.0) if reach.lstrip("-").isdigit() and int(reach) >= 0
    else "-", word("calls_per_second"), word("answered", after="failed"),
    word("gui_round_trip_ms", after="p50"), word("gui_round_trip_ms", after="p99"),
    word("gui_round_trip_ms", after="max"), word("max_in_flight"), word("max_in_flight", after="volume"),
    word("max_in_flight", after="other_calls"), once, more, never, wrong_value,
    " ".join(figure.get("summary", []))))
PY
}

echo "$players players registering every ${interval}s, $runs run(s); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "(reach: from the dialog's OK until every player answered; gui: round trip of an event posted to"
echo " the window's thread every 5 ms while the calls ran, ms; in flight: most calls outstanding at once,"
echo " any call and volume calls, and other calls answered meanwhile (players admitted again);"
echo " journal: players that received Kivo.SetVolume once / more than once / never, and calls with another value)"
printf '%3s | %7s | %8s | %9s | %6s | %6s %6s %7s | %s | %s | %s\n' run selected reach "calls/s" failed \
  "gui p50" p99 max "in flight: all / volume / other calls" "journal once / more / never / wrong" summary
for run in $(seq "$runs"); do
  run_once "$run" $((40 + run))
done
