#!/usr/bin/env bash
# Registration throughput: the controller's registration service against
# Python's standard XML-RPC server offering the same method, on loopback,
# with kept-alive connections and with one connection per request.
# For each run it prints requests/s and the server's CPU time per request
# (user + system, from /proc): on a small shared machine the load generator
# itself can limit requests/s, while CPU per request shows each server's cost.
# Then, in a separate run under strace (which slows the server, so only counts
# are taken from it), the system calls each server makes per request.
# Usage: bench/registration.sh [BUILD_DIR]
# Environment: DURATION (seconds per run, default 5), CONNECTIONS (default 16).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
duration=${DURATION:-5}
connections=${CONNECTIONS:-16}
server_bin="$build/bench/kvo-bench-registration-server"
[[ -x "$server_bin" ]] || cmake --build "$build" -j2 --target kvo-bench-registration-server
ticks_per_second=$(getconf CLK_TCK)

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# Starts a server that prints its port first; sets $port and $pid.
start_server() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  "$@" >"$fifo" 2>/dev/null &
  pid=$!
  pids+=("$pid")
  read -r port <"$fifo"
  rm -f "$fifo"
}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# System calls of server pid per request over a short run; "-" without strace.
syscalls_per_request() {
  local port=$1 pid=$2 close=$3 counts tracer output
  command -v strace >/dev/null || { echo -; return; }
  counts=$(mktemp)
  strace -c -f -p "$pid" -o "$counts" 2>/dev/null &
  tracer=$!
  sleep 0.5
  output=$(KVO_BENCH_CLOSE=$close wrk -t1 -c"$connections" -d2s -s bench/registration.lua "http://127.0.0.1:$port/RPC2")
  kill -INT "$tracer"
  wait "$tracer" 2>/dev/null || true
  awk -v requests="$(awk '/requests in/ { print $1 }' <<<"$output")" '
    $NF == "total" { calls = $4 }
    END { if (requests > 0 && calls > 0) printf "%.1f\n", calls / requests; else print "-" }' "$counts"
  rm -f "$counts"
}

# Checks every answer for a short while, then measures; prints
# "requests/s cpu-microseconds-per-request".
measure() {
  local port=$1 pid=$2 close=$3 output before after
  output=$(KVO_BENCH_VERIFY=1 KVO_BENCH_CLOSE=$close wrk -t1 -c"$connections" -d1s \
    -s bench/registration.lua "http://127.0.0.1:$port/RPC2")
  if ! grep -q '^wrong answers: 0$' <<<"$output" || grep -q 'Non-2xx' <<<"$output"; then
    echo "wrong answers from port $port:" >&2
    echo "$output" >&2
    return 1
  fi
  before=$(cpu_ticks "$pid")
  output=$(KVO_BENCH_CLOSE=$close wrk -t1 -c"$connections" -d"${duration}s" \
    -s bench/registration.lua "http://127.0.0.1:$port/RPC2")
  after=$(cpu_ticks "$pid")
  awk -v ticks=$((after - before)) -v hz="$ticks_per_second" '
    /requests in/ { requests = $1 }
    /^Requests\/sec:/ { rate = $2 }
    END { printf "%.0f %.1f\n", rate, ticks / hz / requests * 1e6 }' <<<"$output"
}

start_server "$server_bin" 127.0.0.1 0 128
ours_port=$port ours_pid=$pid
answer=$(/usr/bin/python3 -c 'import sys, xmlrpc.client; print(xmlrpc.client.ServerProxy(sys.argv[1]).Kivo_SVR.registerNewPlayer())' \
  "http://127.0.0.1:$ours_port/RPC2")
start_server /usr/bin/python3 bench/python_registration_server.py 127.0.0.1 0 "$answer"
python_port=$port python_pid=$pid

echo "registration calls, ${duration} s per run, $connections connections, loopback"
printf '%-11s %11s %11s %6s   %13s %13s %6s   %17s\n' mode "ours req/s" "python" ratio \
  "ours cpu/req" "python" ratio "syscalls/req ours / python"
for mode in keep-alive close; do
  close=0
  [[ $mode == close ]] && close=1
  read -r ours_rate ours_cpu < <(measure "$ours_port" "$ours_pid" $close)
  read -r python_rate python_cpu < <(measure "$python_port" "$python_pid" $close)
  ours_calls=$(syscalls_per_request "$ours_port" "$ours_pid" $close)
  python_calls=$(syscalls_per_request "$python_port" "$python_pid" $close)
  printf '%-11s %11s %11s %6s   %11s us %10s us %6s   %10s / %s\n' "$mode" "$ours_rate" "$python_rate" \
    "$(awk -v a="$ours_rate" -v b="$python_rate" 'BEGIN { printf "%.2f", a / b }')" \
    "$ours_cpu" "$python_cpu" \
    "$(awk -v a="$ours_cpu" -v b="$python_cpu" 'BEGIN { printf "%.2f", b / a }')" "$ours_calls" "$python_calls"
done
