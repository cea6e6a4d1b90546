#!/usr/bin/env bash
# Builds the picture tests and the metafile fuzzer with AddressSanitizer and UBSan
# (KESTRAVA_SANITIZE) in BUILD_DIR, runs the picture tests (the hostile metafiles among
# them), then renders COUNT mutated metafiles. Any sanitizer report stops the program
# that made it and fails the check; so does an input that takes longer than 2 s. ASan
# keeps at most 64 MB of freed memory in quarantine, so that the tests' memory figures
# stay near what a release build uses.
# Usage: check-pictures.sh [BUILD_DIR [COUNT]]   (defaults: build-asan, 20000)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$source_dir/build-asan}
count=${2:-20000}

cmake -S "$source_dir" -B "$build" -G Ninja -DKESTRAVA_SANITIZE=ON >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target test_picture test_picture_preview fuzz_metafiles

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:quarantine_size_mb=64}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

echo "== Picture tests"
"$build/tests/picture/test_picture"
"$build/tests/picture/preview/test_picture_preview"

echo "== $count mutated metafiles"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if ! "$build/tests/picture/fuzz/fuzz_metafiles" --count "$count" --out "$out"; then
  [[ -f $out/current ]] && cp "$out/current" "$source_dir/fuzz-crash.bin" && echo "FAIL: the input is in fuzz-crash.bin"
  ls "$out"/slow-* >/dev/null 2>&1 && cp "$out"/slow-* "$source_dir/" && echo "FAIL: slow inputs copied as slow-*"
  exit 1
fi
echo "OK"
