#!/bin/bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer included) in a tree of their own, then runs each on
# a scratch copy of its seed corpus, so nothing is ever written into the
# repository. A crash leaves its input under <build dir>/scratch/<target>/artifacts;
# keep it in tests/fuzz/regressions/<target>/ once the fault is fixed.
#
#   tools/run-fuzzers.sh                     build, then run all three for 60 s each
#   tools/run-fuzzers.sh --time 3600         a longer run
#   tools/run-fuzzers.sh --time 600 preset-file
#   tools/run-fuzzers.sh --build-only        (CTest's fixture)
#   tools/run-fuzzers.sh --no-build configuration
#
# Options: --build-dir DIR (default build/fuzz), --jobs N (default: all cores).
# Targets: preset-manager, preset-file, configuration (default: all).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$root/build/fuzz"
seconds=60
jobs=$(nproc)
build=1
run=1
targets=()

while [ $# -gt 0 ]; do
    case "$1" in
        --build-dir) build_dir=$2; shift 2 ;;
        --time) seconds=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        --build-only) run=0; shift ;;
        --no-build) build=0; shift ;;
        preset-manager|preset-file|configuration) targets+=("$1"); shift ;;
        *) echo "run-fuzzers.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
done

[ ${#targets[@]} -eq 0 ] && targets=(preset-manager preset-file configuration)

if [ $build -eq 1 ]; then
    start=$(date +%s)
    mkdir -p "$build_dir"
    CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -DTONAREL_FUZZ=ON -DTONAREL_BUILD_TESTS=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build_dir/configure.log" 2>&1 ||
        { cat "$build_dir/configure.log"; exit 1; }
    cmake --build "$build_dir" -j"$jobs" $(printf -- '--target tonarel-fuzz-%s ' "${targets[@]}")
    echo "fuzz build: $(( $(date +%s) - start )) s"
fi

[ $run -eq 1 ] || exit 0

# A sanitizer report is a crash like any other, so libFuzzer keeps its input.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0

for target in "${targets[@]}"; do
    scratch="$build_dir/scratch/$target"
    rm -rf "$scratch"
    mkdir -p "$scratch/corpus" "$scratch/artifacts"
    cp -R "$root/tests/fuzz/corpus/$target/." "$scratch/corpus/"
    # The inputs of past crashes go in too: libFuzzer runs every input it is given first, so
    # each run replays them under the sanitizers.
    [ -d "$root/tests/fuzz/regressions/$target" ] && cp -R "$root/tests/fuzz/regressions/$target/." "$scratch/corpus/"

    log="$scratch/fuzz.log"
    set +e
    "$build_dir/tests/fuzz/tonarel-fuzz-$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$scratch/artifacts/" "$scratch/corpus" > "$log" 2>&1
    result=$?
    set -e

    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    inputs=$(find "$scratch/corpus" -type f | wc -l)

    if [ $result -ne 0 ]; then
        tail -n 80 "$log"
        echo "fuzz $target: FAILED after ${executions:-?} executions; inputs in $scratch/artifacts"
        status=1
    else
        echo "fuzz $target: ${executions:-?} executions in $seconds s, corpus $inputs inputs"
    fi
done

exit $status
