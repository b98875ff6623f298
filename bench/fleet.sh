#!/usr/bin/env bash
# A fleet at scale: the controller (window and registration service in one
# process) with 1,000, 5,000 and 10,000 emulated players registering every
# 15 seconds. For each size: how long until every player is listed, how many
# were dropped as silent while they kept registering, the registration round
# trip seen by a probe player (p50 / p99 / max), the controller's CPU while
# probed, its memory and its open descriptors, and the emulators' CPU.
# Loopback only: players on 127.1.0.1 onwards (5,000 per emulator process),
# the probe on 127.0.9.250.
# Usage: bench/fleet.sh [BUILD_DIR]
# Environment: SIZES (default "1000 5000 10000"), INTERVAL (seconds between a
# player's registrations, default 15), DURATION (seconds of probing, default
# 30), RATE (probe calls per second, default 20), ADMIT_TIMEOUT (seconds to
# wait for all players to be listed, default 120).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${1:-build}
sizes=${SIZES:-1000 5000 10000}
interval=${INTERVAL:-15}
duration=${DURATION:-30}
rate=${RATE:-20}
admit_timeout=${ADMIT_TIMEOUT:-120}
per_process=5000
controller_bin="$build/bench/players/kvo-bench-players-controller"
[[ -x "$controller_bin" ]] || cmake --build "$build" -j2 --target kvo-bench-players-controller
controller_bin=$(realpath "$controller_bin")
ticks=$(getconf CLK_TCK)

work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cpu_ticks() { # user + system clock ticks of a process; 0 when it has gone
  awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0
}
alive_or_report() { # alive_or_report PID NAME LOG
  kill -0 "$1" 2>/dev/null && return 0
  echo "$2 has ended early:" >&2
  tail -n 5 "$3" >&2
  return 1
}
status_kib() { # status_kib PID FIELD
  awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status"
}

run_size() {
  local players=$1 out="$work/controller.out" port controller emulators=() started listed=0
  rm -f "$out"
  (cd "$work" && KVO_BENCH_EXPECT=$players exec "$controller_bin" 127.0.0.1 0 >"$out" 2>"$work/controller.err") &
  controller=$!
  pids+=("$controller")
  for _ in $(seq 100); do
    [[ -s "$out" ]] && break
    sleep 0.1
  done
  port=$(head -n1 "$out")
  [[ -n "$port" ]] || { echo "controller did not start" >&2; cat "$work/controller.err" >&2; return 1; }

  local remaining=$players index=0
  started=$(date +%s.%N)
  while ((remaining > 0)); do
    local count=$((remaining < per_process ? remaining : per_process))
    /usr/bin/python3 "$source_dir/tools/kvo_player_emulator.py" --count "$count" \
      --first-address "127.$((index + 1)).0.1" --controller 127.0.0.1 --controller-port "$port" \
      --interval "$interval" --name "Fleet$index-{n}" --control none --state-dir "$work/players$index" \
      >"$work/emulator$index.out" 2>"$work/emulator$index.err" &
    emulators+=($!)
    pids+=($!)
    remaining=$((remaining - count))
    index=$((index + 1))
  done

  # Every player registers once within one interval (after binding its ports).
  local deadline=$(($(date +%s) + admit_timeout))
  until grep -q "^all admitted" "$work/controller.err" || (($(date +%s) >= deadline)); do
    sleep 1
  done
  sleep "$interval" # a full round of heartbeats after the last admission

  alive_or_report "$controller" controller "$work/controller.err" || return 1
  local k=0
  for e in "${emulators[@]}"; do
    alive_or_report "$e" "emulator $k" "$work/emulator$k.err" || return 1
    k=$((k + 1))
  done

  kill -USR1 "$controller"
  local cpu_before emu_before=() t_before
  cpu_before=$(cpu_ticks "$controller")
  for e in "${emulators[@]}"; do emu_before+=("$(cpu_ticks "$e")"); done
  t_before=$(date +%s.%N)
  local probe
  probe=$(/usr/bin/python3 "$source_dir/bench/players/registration_probe.py" 127.0.0.1 "$port" 127.0.9.250 \
    "$duration" "$rate") || true
  local cpu_after t_after rss hwm fds emu_cpu=""
  cpu_after=$(cpu_ticks "$controller")
  t_after=$(date +%s.%N)
  local i=0
  for e in "${emulators[@]}"; do
    emu_cpu+="$(awk -v a="${emu_before[$i]}" -v b="$(cpu_ticks "$e")" -v s="$t_before" -v t="$t_after" -v hz="$ticks" \
      'BEGIN { printf "%.0f%%", 100 * (b - a) / hz / (t - s) }') "
    i=$((i + 1))
  done
  rss=$(status_kib "$controller" VmRSS)
  hwm=$(status_kib "$controller" VmHWM)
  fds=$(ls "/proc/$controller/fd" | wc -l)

  kill -TERM "$controller"
  wait "$controller" || true
  for e in "${emulators[@]}"; do kill -TERM "$e" 2>/dev/null || true; done
  for e in "${emulators[@]}"; do wait "$e" 2>/dev/null || true; done

  local figures admitted_ms
  figures=$(tail -n +2 "$out" | tr '\n' ' ')
  admitted_ms=$(awk '{ for (i = 1; i < NF; ++i) if ($i == "all_admitted_ms") print $(i + 1) }' <<<"$figures")
  /usr/bin/python3 - "$players" "$probe" "$figures" "$admitted_ms" "$started" \
    "$cpu_before" "$cpu_after" "$t_before" "$t_after" "$ticks" "$rss" "$hwm" "$fds" "$emu_cpu" <<'PY'
import json, sys, time
(players, probe, figures, admitted_ms, started, c0, c1, t0, t1, hz, rss, hwm, fds, emu) = sys.argv[1:]
try:
    probe = json.loads(probe)
except ValueError:
    probe = {}
words = figures.split()
def after(word):
    return words[words.index(word) + 1] if word in words else "-"
cpu = 100.0 * (float(c1) - float(c0)) / float(hz) / (float(t1) - float(t0))
admit = "%.1f s" % (int(admitted_ms) / 1000.0) if admitted_ms not in ("", "-1") else "not all"
print("%6s | %9s | %7s | %5s/%-5s | %6s %6s %7s | %5.0f%% | %4.0f / %4.0f MiB | %5s | %4s | %s" % (
    players, admit, after("dropped"), probe.get("calls", 0), probe.get("errors", "-"),
    probe.get("median_ms", "-"), probe.get("p99_ms", "-"), probe.get("max_ms", "-"), cpu,
    int(rss) / 1024.0, int(hwm) / 1024.0, fds, after("max"), emu.strip()))
PY
}

echo "players registering every ${interval}s; probe $rate calls/s for ${duration}s once all are listed"
echo "(admitted: time from start until every player was listed, the emulators' start included;"
echo " dropped: players removed as silent during the whole run; rt: probe round trip in ms;"
echo " CPU: controller while probed; RSS now / peak; fds: controller's open descriptors;"
echo " loop: the controller's longest event-loop delay while probed, ms; emulators' CPU)"
printf '%6s | %9s | %7s | %11s | %6s %6s %7s | %6s | %16s | %5s | %4s | %s\n' players admitted dropped "calls/errs" \
  "rt p50" "p99" "max" CPU "memory" fds "loop" emulators
for players in $sizes; do
  run_size "$players"
done
