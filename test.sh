#!/usr/bin/env bash
# Builds everything and runs every test, then the Windows program cross-built and run under Wine, then the
# fuzz targets over their regression inputs, then the web page built with emscripten and played in
# headless Chromium and Firefox, then the tests of the threads (life cycle, NFO screen, sound) and the real
# program under ThreadSanitizer, then the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
jobs=$(nproc)

scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build/release --output-on-failure -j "$jobs"

scripts/build-win32.sh build/win32
ctest --test-dir build/win32 --output-on-failure

# Every fuzz target once over its seeds and the inputs that once broke it: a check, not a campaign.
scripts/fuzz.sh regress

scripts/build-web.sh build/web
ctest --test-dir build/web --output-on-failure

# The test programs whose tests carry the label threads (target thread_tests), and the program itself.
scripts/build.sh build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARN_SANITIZE=thread -DZARN_BUILD_BENCH=OFF \
  -- thread_tests zarn
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -L '^threads$'

scripts/build.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DZARN_SANITIZE=address -DZARN_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" -L '^(unit|threads)$'
