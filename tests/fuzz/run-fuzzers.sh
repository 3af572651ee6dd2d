#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one for a bounded time.
#   tests/fuzz/run-fuzzers.sh BUILD_DIR SECONDS_PER_TARGET
# Each target starts from a scratch copy of its seed corpus, so nothing new is
# written into the repository. A crash, leak, slow input (over 10 s: a
# decoder spinning on crafted data), or more than 2 GB of memory fails the
# run; the input is kept in BUILD_DIR/fuzz-findings/<target>/.
set -uo pipefail

if [ $# -ne 2 ] || ! [[ $2 =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 BUILD_DIR SECONDS_PER_TARGET" >&2
    exit 2
fi
here=$(cd "$(dirname "$(readlink -f "$0")")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
build_dir=$(mkdir -p "$1" && cd "$1" && pwd)
seconds=$2
targets=(SettingsFuzz:settings CommandLineFuzz:commandline PatchFuzz:patch PitchFuzz:pitch LevelFuzz:level
         RunFilesFuzz:runfiles)
jobs=$(nproc 2>/dev/null || echo 2)

for compiler in clang clang++; do
    command -v "$compiler" >/dev/null || { echo "run-fuzzers: $compiler is missing (Debian packages clang, libclang-rt-14-dev)" >&2; exit 1; }
done
CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
    -DVANTORREL_FUZZ=ON -DVANTORREL_TESTS=OFF -DVANTORREL_BENCH=OFF >/dev/null || exit 1
names=()
for entry in "${targets[@]}"; do names+=("${entry%%:*}"); done
cmake --build "$build_dir" -j"$jobs" --target "${names[@]}" >/dev/null || {
    echo "run-fuzzers: the build failed; rerun cmake --build $build_dir to see why" >&2
    exit 1
}

# The path-taking readers get their input through a file rewritten for every
# run: keep those in memory when possible.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantorrel-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failed=0
for entry in "${targets[@]}"; do
    name=${entry%%:*}
    corpus=${entry#*:}
    work="$scratch/$name"
    findings="$build_dir/fuzz-findings/$name"
    mkdir -p "$work/corpus" "$findings"
    cp -p "$here/corpus/$corpus/." "$work/corpus/" -R
    log="$build_dir/fuzz-findings/$name.log"
    # Work in the scratch folder: libFuzzer drops crash files into the
    # current directory unless told otherwise.
    (cd "$work" && ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build_dir/tests/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=1 corpus) >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    if [ $status -eq 0 ]; then
        result=ok
    else
        failed=1
        kind=$(grep -o -m1 -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer): [a-z-]+|runtime error|fuzz expectation failed' "$log" || true)
        result="FAILED (${kind:-exit status $status}); input and log in $findings"
    fi
    printf 'run-fuzzers: %-16s %10s runs %5s s  %s\n' "$name" "${runs:-?}" "${took:-$seconds}" "$result"
done
exit $failed
