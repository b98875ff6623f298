#!/usr/bin/env bash
# A fleet at scale: the controller (window and registration service in one
# process) with 1,000, 5,000, 10,000 and 20,000 emulated players registering
# every 15 seconds. For each size: how long until every player is listed, how
# many were dropped as silent while they kept registering, the registration
# round trip seen by a probe player (p50 / p99 / max), the controller's CPU
# while probed, its memory and its open descriptors, the emulators' CPU, and
# the controller's CPU and memory per thousand players.
# A second table tells a late sender from a late reader: how late the
# emulators sent their heartbeats and how long the replies took, against the
# time between two registrations of one player as the controller read them.
# Loopback only: players on 127.1.0.1 onwards (5,000 per emulator process),
# the probe on 127.0.9.250.
# Usage: bench/fleet.sh [BUILD_DIR]
# Environment: SIZES (default "1000 5000 10000 20000"), INTERVAL (seconds between a
# player's registrations, default 15), DURATION (seconds of probing, default
# 30), RATE (probe calls per second, default 20), ADMIT_TIMEOUT (seconds to
# wait for all players to be listed, default 120).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${1:-build}
sizes=${SIZES:-1000 5000 10000 20000}
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
  local rss_empty
  rss_empty=$(status_kib "$controller" VmRSS)

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

  # The emulators stop first, so that no heartbeat fails on a controller that has gone.
  for e in "${emulators[@]}"; do kill -TERM "$e" 2>/dev/null || true; done
  for e in "${emulators[@]}"; do wait "$e" 2>/dev/null || true; done
  kill -TERM "$controller"
  wait "$controller" || true

  local figures admitted_ms sent
  figures=$(tail -n +2 "$out" | tr '\n' ' ')
  admitted_ms=$(awk '{ for (i = 1; i < NF; ++i) if ($i == "all_admitted_ms") print $(i + 1) }' <<<"$figures")
  sent=$(cat "$work"/emulator*.out | grep -h '^kvo-player-emulator: stopping; ' | sed 's/^[^;]*; //' | tr '\n' '|')
  rm -f "$work"/emulator*.out
  /usr/bin/python3 - "$players" "$probe" "$figures" "$admitted_ms" "$started" \
    "$cpu_before" "$cpu_after" "$t_before" "$t_after" "$ticks" "$rss" "$hwm" "$fds" "$emu_cpu" "$rss_empty" \
    "$sent" "$work/heartbeats.txt" <<'PY'
import json, re, sys, time
(players, probe, figures, admitted_ms, started, c0, c1, t0, t1, hz, rss, hwm, fds, emu, rss_empty, sent,
 heartbeats) = sys.argv[1:]
try:
    probe = json.loads(probe)
except ValueError:
    probe = {}
words = figures.split()
def after(word):
    return words[words.index(word) + 1] if word in words else "-"
cpu = 100.0 * (float(c1) - float(c0)) / float(hz) / (float(t1) - float(t0))
admit = "%.1f s" % (int(admitted_ms) / 1000.0) if admitted_ms not in ("", "-1") else "not all"
thousands = int(players) / 1000.0
print("%6s | %9s | %7s | %5s/%-5s | %6s %6s %7s | %5.0f%% | %4.0f / %4.0f MiB | %5s | %4s | %5.1f%% %5.1f MiB | %s" % (
    players, admit, after("dropped"), probe.get("calls", 0), probe.get("errors", "-"),
    probe.get("median_ms", "-"), probe.get("p99_ms", "-"), probe.get("max_ms", "-"), cpu,
    int(rss) / 1024.0, int(hwm) / 1024.0, fds, after("max"), cpu / thousands,
    (int(rss) - int(rss_empty)) / 1024.0 / thousands, emu.strip()))

# Heartbeats of all emulators together: the worst p99 and max of each.
reports = [r for r in sent.split("|") if r]
def worst(pattern):
    found = [re.search(pattern, r) for r in reports]
    return [float(m.group(1)) for m in found if m]
late99, late_max = worst(r"late by p50 \S+ p99 (\S+)"), worst(r"late by .*? max (\S+) s;")
rt99, rt_max = worst(r"round trip p50 \S+ p99 (\S+)"), worst(r"round trip .*? max (\S+) s;")
failed = sum(int(v) for v in worst(r"(\d+) failed"))
def seconds(values):
    return "%.2f" % max(values) if values else "-"
gap_words = words[words.index("heartbeat_gap_ms"):] if "heartbeat_gap_ms" in words else []
def gap_after(word):
    return gap_words[gap_words.index(word) + 1] if word in gap_words else "-"
first_drop = after("first_drop_ms")
with open(heartbeats, "a") as out:
    out.write("%6s | %5s %5s s | %5s %5s s | %6s | %5s %5s %5s s | %8s | %s\n" % (
        players, seconds(late99), seconds(late_max), seconds(rt99), seconds(rt_max), failed,
        "%.1f" % (int(gap_after("p50")) / 1000.0) if gap_words else "-",
        "%.1f" % (int(gap_after("p99")) / 1000.0) if gap_words else "-",
        "%.1f" % (int(gap_after("max")) / 1000.0) if gap_words else "-", gap_after("over_20s"),
        "-" if first_drop in ("-1", "-") else "%.1f s" % (int(first_drop) / 1000.0)))
PY
}

echo "players registering every ${interval}s; probe $rate calls/s for ${duration}s once all are listed"
echo "(admitted: time from start until every player was listed, the emulators' start included;"
echo " dropped: players removed as silent during the whole run; rt: probe round trip in ms;"
echo " CPU: controller while probed; RSS now / peak; fds: controller's open descriptors;"
echo " loop: the controller's longest event-loop delay while probed, ms; per 1,000 players: the"
echo " controller's CPU while probed and its memory above its size before players came; emulators' CPU)"
printf '%6s | %9s | %7s | %11s | %6s %6s %7s | %6s | %16s | %5s | %4s | %16s | %s\n' players admitted dropped "calls/errs" \
  "rt p50" "p99" "max" CPU "memory" fds "loop" "per 1,000" emulators
for players in $sizes; do
  run_size "$players"
done
echo
echo "heartbeats over the whole run (sent late: after its due time, worst emulator; round trip: from"
echo " connecting to the reply; gap: between two registrations of a player as the controller read them)"
printf '%6s | %13s | %13s | %6s | %19s | %8s | %s\n' players "sent late p99/max" "round trip p99/max" failed \
  "gap p50/p99/max" "gap >20s" "first drop"
cat "$work/heartbeats.txt"
