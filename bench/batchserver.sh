#!/usr/bin/env bash
# Batch download server throughput: one 200 MB file and 1,000 small files
# fetched over loopback HTTP from the launcher (as a player pulls them, one
# kept-alive connection, files in turn), next to reading the same bytes
# straight from disk (the page cache, warm for both) in the same run.
# Prints MB/s and files/s of each and the ratio HTTP / disk.
# Usage: bench/batchserver.sh [BUILD_DIR]
# Environment: BIG_MB (default 200), SMALL_FILES (default 1000), SMALL_KB (default 16).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
big_mb=${BIG_MB:-200}
small_files=${SMALL_FILES:-1000}
small_kb=${SMALL_KB:-16}
launcher="$build/kvo-batch-server"
[[ -x "$launcher" ]] || cmake --build "$build" -j2 --target kvo-batch-server

work=$(mktemp -d)
pid=
cleanup() { [[ -n "$pid" ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

root="$work/repository"
mkdir -p "$root/MIRRORS/Bench/contents/small"
head -c "${big_mb}M" /dev/urandom >"$root/MIRRORS/Bench/contents/big.mpg"
head -c "$((small_files * small_kb))K" /dev/urandom | split -a 4 -d -b "${small_kb}K" - "$root/MIRRORS/Bench/contents/small/clip"
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
base="http://127.0.0.1:$port/MIRRORS/Bench/contents"
(cd "$work" && exec "$launcher" -root "$root" -ports "127.0.0.1:$port" -access_log access.log -error_log error.log) &
pid=$!
for _ in $(seq 50); do curl -s -o /dev/null "$base/big.mpg" -r 0-0 && break; sleep 0.1; done

list="$work/urls"
for f in "$root"/MIRRORS/Bench/contents/small/clip*; do
  printf 'url = "%s/small/%s"\noutput = "/dev/null"\n' "$base" "${f##*/}"
done >"$list"

now() { date +%s.%N; }
# Runs "$@" twice (the first warms the cache), prints the seconds of the second run.
timed() { "$@" >/dev/null; local t0; t0=$(now); "$@" >/dev/null; awk -v a="$(now)" -v b="$t0" 'BEGIN { print a - b }'; }

disk_big=$(timed cat "$root/MIRRORS/Bench/contents/big.mpg")
http_big=$(timed curl -sf "$base/big.mpg" -o /dev/null)
disk_small=$(timed cat "$root"/MIRRORS/Bench/contents/small/clip*)
http_small=$(timed curl -sf -K "$list")
bytes_small=$((small_files * small_kb * 1024))

report() { # name bytes files disk_s http_s
  awk -v n="$1" -v b="$2" -v f="$3" -v d="$4" -v h="$5" 'BEGIN {
    printf "%-22s disk %8.0f MB/s %8.0f files/s | http %8.0f MB/s %8.0f files/s | http/disk %.2f\n",
      n, b / d / 1e6, f / d, b / h / 1e6, f / h, d / h }'
}
echo "batch download server, loopback, $(nproc) CPU(s)"
report "1 x ${big_mb} MB" $((big_mb * 1024 * 1024)) 1 "$disk_big" "$http_big"
report "${small_files} x ${small_kb} KB" "$bytes_small" "$small_files" "$disk_small" "$http_small"
