#!/bin/sh
# Runs both fuzz targets for a bounded time each and prints the executions
# reached. Usage: fuzz/run.sh [seconds per target, default 30]
# Builds into build-fuzz with clang; new inputs go to build-fuzz/corpus so the
# shipped seeds stay as they are.
set -eu
seconds=${1:-30}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${MILTA_FUZZ_BUILD:-$root/build-fuzz}

CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DMILTA_FUZZ=ON >/dev/null
cmake --build "$build" -j2 --target ranking_fuzz midi_fuzz >/dev/null

status=0
for target in ranking midi; do
    work="$build/corpus/$target"
    mkdir -p "$work"
    log="$build/$target.log"
    # One worker: the machine's second core stays for the rest.
    # Inputs may be up to 1.1 MiB so that the table's size limit is reached.
    if "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=1200000 -len_control=200 -print_final_stats=1 -artifact_prefix="$build/$target-" \
        "$work" "$here/corpus/$target" >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    cover=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
    echo "$target: $result, ${runs:-?} executions in ${seconds} s, $cover (log: $log)"
done
exit $status
