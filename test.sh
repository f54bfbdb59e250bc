#!/usr/bin/env bash
# Builds everything and runs every test, then the Windows program cross-built and run under Wine, then the
# fuzz targets over their regression inputs, then the web page built with emscripten and played in
# headless Chromium and Firefox, then the tests of the threads (life cycle, NFO screen, sound) and the real
# program under ThreadSanitizer, then the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
# Each stage starts with a heading; at the end, or where a stage fails, one line per stage gives its time.
set -euo pipefail
usage() { echo "usage: ./test.sh (no arguments): installs what is missing, builds and runs every test in 7 stages"; }
case "$*" in
  "") ;;
  -h | --help) usage; exit 0 ;;
  *) usage >&2; exit 2 ;;
esac
cd "$(dirname "$0")"

stage_count=7
stage_number=0
stage_title=""
stage_started=0
stage_times=()

# Closes the stage that runs with one line for the summary: its number, title and time.
end_stage() {
  local seconds=$((SECONDS - stage_started))
  stage_times+=("$(printf 'stage %d/%d  %3dm%02ds  %s' "$stage_number" "$stage_count" $((seconds / 60)) \
    $((seconds % 60)) "$stage_title")")
  stage_title=""
}

begin_stage() {
  [ -z "$stage_title" ] || end_stage
  stage_number=$((stage_number + 1))
  stage_title=$1
  stage_started=$SECONDS
  echo "== stage $stage_number/$stage_count: $stage_title"
}

# On every way out, the stages run so far with their times, and the one that failed.
summarise() {
  local status=$?
  local failed_title=$stage_title
  [ -z "$stage_title" ] || end_stage
  echo "== times"
  [ ${#stage_times[@]} -eq 0 ] || printf '%s\n' "${stage_times[@]}"
  if [ "$status" -ne 0 ]; then
    echo "== failed in stage $stage_number/$stage_count: $failed_title (exit code $status)"
  fi
  exit "$status"
}
trap summarise EXIT

begin_stage "the packages the tests need"
scripts/install-deps.sh
jobs=$(nproc)

begin_stage "the native build and every test of build/release"
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build/release --output-on-failure -j "$jobs"

begin_stage "the Windows program under Wine"
scripts/build-win32.sh build/win32
ctest --test-dir build/win32 --output-on-failure

# Every fuzz target once over its seeds and the inputs that once broke it: a check, not a campaign.
begin_stage "the fuzz targets over their regression inputs"
scripts/fuzz.sh regress

begin_stage "the web page in headless Chromium and Firefox"
scripts/build-web.sh build/web
ctest --test-dir build/web --output-on-failure

# The test programs whose tests carry the label threads (target thread_tests), and the program itself.
begin_stage "the threads and the program under ThreadSanitizer"
scripts/build.sh build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARN_SANITIZE=thread -DZARN_BUILD_BENCH=OFF \
  -- thread_tests zarn
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure -L '^threads$'

begin_stage "the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DZARN_SANITIZE=address -DZARN_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" -L '^(unit|threads)$'
