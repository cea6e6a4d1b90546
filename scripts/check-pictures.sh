#!/usr/bin/env bash
# Builds the picture tests and the picture fuzzer with AddressSanitizer and UBSan
# (KESTRAVA_SANITIZE, whose render budgets and time limits are four times a release
# build's) in BUILD_DIR, runs the picture tests (the hostile pictures among them), then
# loads COUNT mutated pictures of each kind (EMF, WMF, BMP, ICO, JPEG). Any sanitizer
# report stops the program that made it and fails the check; so does an input that
# takes longer than the scaled limit. Then, when valgrind is there, a short run of the
# fuzzer built without sanitizers in RELEASE_DIR catches reads of uninitialised memory.
# ASan keeps at most 64 MB of freed memory in quarantine, so that the tests' memory
# figures stay near what a release build uses.
# Usage: check-pictures.sh [BUILD_DIR [COUNT [RELEASE_DIR]]]
#        (defaults: build-asan, 2000 of each kind, build)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$source_dir/build-asan}
count=${2:-2000}
release=${3:-$source_dir/build}
kinds=emf,wmf,bmp,ico,jpg

cmake -S "$source_dir" -B "$build" -G Ninja -DKESTRAVA_SANITIZE=ON >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target test_picture test_picture_preview fuzz_pictures

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:quarantine_size_mb=64}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

echo "== Picture tests"
"$build/tests/picture/test_picture"
"$build/tests/picture/preview/test_picture_preview"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fuzz() { # fuzz PROGRAM LIMIT_MS [runner...]: loads the mutated pictures, keeps what failed
  local program=$1 limit=$2; shift 2
  if ! "$@" "$program" --count "$((count * 5))" --formats "$kinds" --limit-ms "$limit" --out "$out"; then
    for kept in "$out"/current.* "$out"/slow-*; do
      [[ -f $kept ]] && cp "$kept" "$source_dir/fuzz-$(basename "$kept")" && echo "FAIL: kept as fuzz-$(basename "$kept")"
    done
    exit 1
  fi
}

echo "== $count mutated pictures of each kind, under ASan and UBSan"
fuzz "$build/tests/picture/fuzz/fuzz_pictures" 8000

if command -v valgrind >/dev/null; then
  echo "== $((count / 20)) of each kind under valgrind"
  cmake -S "$source_dir" -B "$release" -G Ninja >/dev/null
  cmake --build "$release" -j"${JOBS:-2}" --target fuzz_pictures
  count=$((count / 20))
  # Under valgrind everything is many times slower: the time limit is left out.
  fuzz "$release/tests/picture/fuzz/fuzz_pictures" 3600000 valgrind -q --error-exitcode=3 --track-origins=yes
fi
echo "OK"
