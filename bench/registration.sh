#!/usr/bin/env bash
# Registration throughput: requests/s of the controller's registration
# service against Python's standard XML-RPC server offering the same method,
# on loopback, with kept-alive connections and with one connection per
# request. Usage: bench/registration.sh [BUILD_DIR]
# Environment: DURATION (seconds per run, default 5), CONNECTIONS (default 16).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
duration=${DURATION:-5}
connections=${CONNECTIONS:-16}
server_bin="$build/bench/kvo-bench-registration-server"
[[ -x "$server_bin" ]] || cmake --build "$build" -j2 --target kvo-bench-registration-server

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# Starts a server that prints its port first; sets $port and records its pid.
start_server() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  "$@" >"$fifo" &
  pids+=($!)
  read -r port <"$fifo"
  rm -f "$fifo"
}

# Prints requests/s of one wrk run; fails when any answer was wrong.
measure() {
  local port=$1 close=$2 output
  output=$(KVO_BENCH_CLOSE=$close wrk -t1 -c"$connections" -d"${duration}s" \
    -s bench/registration.lua "http://127.0.0.1:$port/RPC2")
  if ! grep -q '^wrong answers: 0$' <<<"$output" || grep -q 'Non-2xx' <<<"$output"; then
    echo "wrong answers from port $port:" >&2
    echo "$output" >&2
    return 1
  fi
  awk '/^Requests\/sec:/ { print $2 }' <<<"$output"
}

start_server "$server_bin" 127.0.0.1 0 128
ours_port=$port
answer=$(/usr/bin/python3 -c 'import xmlrpc.client, sys; print(xmlrpc.client.ServerProxy(sys.argv[1]).Kivo_SVR.registerNewPlayer())' \
  "http://127.0.0.1:$ours_port/RPC2")
start_server /usr/bin/python3 bench/python_registration_server.py 127.0.0.1 0 "$answer"
python_port=$port

printf '%-28s %14s %14s %7s\n' "mode ($connections connections)" "ours req/s" "python req/s" "ratio"
for mode in keep-alive close; do
  close=0
  [[ $mode == close ]] && close=1
  ours=$(measure "$ours_port" $close)
  python=$(measure "$python_port" $close)
  ratio=$(awk -v a="$ours" -v b="$python" 'BEGIN { printf "%.2f", a / b }')
  printf '%-28s %14s %14s %7s\n' "$mode" "$ours" "$python" "$ratio"
done
