#!/usr/bin/env bash
# The media repository listing with 2,000 media files: the first listing, a
# refresh of the unchanged repository, and how late the GUI thread serves a
# 10 ms timer meanwhile (see bench/repository/repository_bench.cpp).
# The repository: 20 folders, each with 50 MPEG and 30 MP4 clips made by
# ffmpeg, 15 JPEG pictures and 5 capture items.
# Usage: bench/repository.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bench_bin="$build/bench/repository/kvo-bench-repository"
[[ -x "$bench_bin" ]] || cmake --build "$build" -j2 --target kvo-bench-repository
bench_bin=$(realpath "$bench_bin")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg -v error -y -f lavfi -i "testsrc=duration=2:size=64x48:rate=25" -c:v mpeg1video -f mpeg "$work/clip.mpg"
ffmpeg -v error -y -f lavfi -i "testsrc=duration=2:size=64x48:rate=25" -pix_fmt yuv420p -c:v mpeg4 "$work/clip.mp4"
ffmpeg -v error -y -f lavfi -i "testsrc=size=64x48" -frames:v 1 "$work/photo.jpg"
printf -- '-I vin116a CVBS1\n-if NTSC_M\n' >"$work/cam.cap"
repository="$work/repository"
for folder in $(seq -w 1 20); do
  dir="$repository/Folder$folder"
  mkdir -p "$dir"
  for n in $(seq -w 1 50); do cp "$work/clip.mpg" "$dir/clip$n.mpg"; done
  for n in $(seq -w 1 30); do cp "$work/clip.mp4" "$dir/movie$n.mp4"; done
  for n in $(seq -w 1 15); do cp "$work/photo.jpg" "$dir/photo$n.jpg"; done
  for n in $(seq -w 1 5); do cp "$work/cam.cap" "$dir/cam$n.cap"; done
done
QT_QPA_PLATFORM=offscreen "$bench_bin" "$repository"
