#!/usr/bin/env bash
# Fuzzes the program's file readers, its module replay and the tools' imports and kit reader with libFuzzer,
# under AddressSanitizer and UndefinedBehaviorSanitizer, in its own clang build tree (build/fuzz).
#
#   scripts/fuzz.sh TARGET SECONDS [RUNS]   fuzz one target (bmp script nfo object obj xm xm_play image kit)
#                                           for SECONDS, or until it has made RUNS runs when that comes first
#   scripts/fuzz.sh all SECONDS [RUNS]      every target in turn, SECONDS (and RUNS) each
#   scripts/fuzz.sh regress                 every target once over its seed files and committed findings (test.sh)
#
# A run starts from the target's corpus (fuzz/corpus/TARGET, kept between runs, not committed) and its
# seeds: the default assets, the test data, the XM writer's seed modules, the default kit, the small models
# and pictures of fuzz/seeds/ and the findings kept with the tests (tests/data/fuzz/TARGET). What it finds
# that adds coverage is merged into the corpus; every crash, hang (a run longer than the timeout), sanitizer
# report or memory blow-up is left as a file in fuzz/findings/TARGET. Ends with one line of figures per
# target; exits 1 when anything was found.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(bmp script nfo object obj xm xm_play image kit)
usage_line() { echo "usage: scripts/fuzz.sh TARGET|all SECONDS [RUNS] | regress  (targets: ${targets[*]})"; }
usage() { usage_line >&2; exit 2; }
case "${1:-}" in -h | --help) usage_line; exit 0 ;; esac
[ $# -ge 1 ] || usage
what=$1
case "$what" in
  regress) ;;
  all) [ $# -eq 2 ] || [ $# -eq 3 ] || usage ;;
  *) { [ $# -eq 2 ] || [ $# -eq 3 ]; } && [[ " ${targets[*]} " == *" $what "* ]] || usage ;;
esac
seconds=${2:-0}
runs=${3:--1}  # libFuzzer's -runs: -1 for no limit
[[ "$seconds" =~ ^[0-9]+$ ]] || usage
[[ "$runs" =~ ^(-1|[0-9]+)$ ]] || usage

build=build/fuzz
command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is missing; scripts/install-deps.sh installs it" >&2; exit 1; }
CC=clang CXX=clang++ scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARN_SANITIZE=address \
  -DZARN_BUILD_FUZZ=ON -DZARN_BUILD_TESTS=OFF -DZARN_BUILD_BENCH=OFF -- \
  "${targets[@]/#/fuzz_}" make_xm_seeds make_kit_seeds >/dev/null

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Regression: every seed file and every committed finding runs once; any crash or report fails.
regress() {
  local target=$1
  # shellcheck disable=SC2046
  local inputs=($(seed_files "$target") $(committed_findings "$target"))
  if [ "$target" = xm ] || [ "$target" = xm_play ]; then
    mkdir -p "$build/xm-seeds" && "$build/make_xm_seeds" "$build/xm-seeds"
    inputs+=("$build"/xm-seeds/*)
  fi
  if [ "$target" = kit ]; then
    mkdir -p "$build/kit-seeds" && "$build/make_kit_seeds" "$build/kit-seeds"
    inputs+=("$build"/kit-seeds/*)
  fi
  "$build/fuzz_$target" -timeout="$hang_seconds" "${inputs[@]}" >"$build/regress-$target.log" 2>&1 || {
    cat "$build/regress-$target.log" >&2
    echo "fuzz.sh: fuzz_$target fails on its regression inputs" >&2
    return 1
  }
  echo "fuzz_$target: ${#inputs[@]} regression inputs pass"
}

# Seeds per target, gathered into one folder each (libFuzzer takes folders).
seed_files() {
  case "$1" in
    bmp) echo assets/*.bmp ;;
    script) echo assets/zarn.dat ;;
    nfo) echo assets/ZARN.NFO ;;
    object) echo assets/3d-obj.3d ;;
    obj) echo assets/kit-example.obj fuzz/seeds/obj/*.obj ;;
    xm | xm_play) echo assets/music.xm tests/data/xm-libxmp/*.xm tests/data/xm-libxmp/invalid/* ;;
    image) echo assets/kit-example-logo.png fuzz/seeds/image/* ;;
    kit) echo assets/kit-example.toml ;;
  esac
}
# The inputs that once broke a target, minimised, kept with the tests.
committed_findings() { find "tests/data/fuzz/$1" -type f ! -name '*.md' 2>/dev/null | sort; }

# Longest input tried: room for the real files' headers and structure, short enough to run fast.
max_len() {
  case "$1" in
    bmp | nfo | script) echo 16384 ;;
    object | obj) echo 32768 ;;
    xm | xm_play | image) echo 65536 ;;
    bmp | nfo | script | kit) echo 16384 ;;
    object) echo 32768 ;;
    xm | xm_play) echo 65536 ;;
  esac
}
dictionary() {
  case "$1" in
    xm | xm_play) echo fuzz/xm.dict ;;
    *) echo "fuzz/$1.dict" ;;
  esac
}
# Longest a single input may run before it counts as a hang. The readers take milliseconds and a module
# plays a bounded number of blocks, but libFuzzer's clock is the wall's: a campaign at the lowest priority
# on a loaded machine has seen a reader's run stall for 7 s in the allocator (alone, that input loads in
# milliseconds).
hang_seconds=20

fuzz_target() {
  local target=$1 seeds="$build/seeds/$1" run="$build/run/$1" corpus="fuzz/corpus/$1" findings="fuzz/findings/$1"
  rm -rf "$seeds" "$run"
  mkdir -p "$seeds" "$run" "$corpus" "$findings"
  # shellcheck disable=SC2046
  cp $(seed_files "$target") "$seeds/"
  [ "$target" = xm ] || [ "$target" = xm_play ] && "$build/make_xm_seeds" "$seeds"
  [ "$target" = kit ] && "$build/make_kit_seeds" "$seeds"
  # shellcheck disable=SC2046
  cp $(committed_findings "$target") "$seeds/" 2>/dev/null || true
  local log="$build/fuzz-$target.log"
  local status=0
  "$build/fuzz_$target" -max_total_time="$seconds" -runs="$runs" -timeout="$hang_seconds" -rss_limit_mb=2048 \
    -max_len="$(max_len "$target")" -dict="$(dictionary "$target")" -artifact_prefix="$findings/" \
    -print_final_stats=1 "$run" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  "$build/fuzz_$target" -merge=1 -timeout="$hang_seconds" "$corpus" "$run" >"$build/merge-$target.log" 2>&1 || true
  report "$target" "$log" "$status" "$findings"
  return "$status"
}

# target, seconds, executions, executions per second, coverage (edges), features, corpus size, findings
report() {
  local target=$1 log=$2 status=$3 findings=$4
  local execs speed cov ft corpus found
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  corpus=$(find "fuzz/corpus/$target" -type f | wc -l)
  found=$(find "$findings" -type f | wc -l)
  printf 'fuzz_%-8s seconds %-6s execs %-10s exec/s %-7s cov %-6s ft %-6s corpus %-6s findings %s%s\n' \
    "$target" "$seconds" "${execs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "$corpus" "$found" \
    "$([ "$status" -ne 0 ] && echo " (stopped on a finding: $log)")"
}

failed=0
if [ "$what" = regress ]; then
  for target in "${targets[@]}"; do regress "$target" || failed=1; done
elif [ "$what" = all ]; then
  for target in "${targets[@]}"; do fuzz_target "$target" || failed=1; done
else
  fuzz_target "$what" || failed=1
fi
exit "$failed"
