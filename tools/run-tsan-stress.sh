#!/bin/bash
# Builds tonarel-stress with ThreadSanitizer in a tree of its own and runs it; fails on a failed
# test and on any ThreadSanitizer report, data race or thread leak alike. CTest runs it from the
# plain build (label "stress"):
#   tools/run-tsan-stress.sh SOURCE_DIR TREE
set -euo pipefail

source_dir=$1
tree=$2
log="$tree/stress.log"

started=$(date +%s)
cmake -S "$source_dir" -B "$tree" -DTONAREL_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$tree" --target tonarel-stress -j"$(nproc)"
built=$(date +%s)
echo "tonarel-stress built with ThreadSanitizer in $((built - started)) s"

run_stress() {
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
        "$@" "$tree/tests/tonarel-stress" >"$log" 2>&1
}

status=0
run_stress || status=$?

# ThreadSanitizer cannot start on kernels that randomise the address space more widely than it
# expects; without the randomisation it can.
if grep -q "ThreadSanitizer: unexpected memory mapping" "$log" && command -v setarch >/dev/null; then
    echo "ThreadSanitizer needs the address space unrandomised here; running again under setarch -R"
    status=0
    run_stress setarch "$(uname -m)" -R || status=$?
fi

cat "$log"
echo "tonarel-stress ran in $(($(date +%s) - built)) s"

if grep -q "ThreadSanitizer" "$log"; then
    echo "FAILED: ThreadSanitizer reported a problem" >&2
    exit 1
fi

exit "$status"
