#!/usr/bin/env bash
# Vantorrel's one entry point for players and developers.
#   ./dev.sh play [game options]   install what is missing, build, start the game
#   ./dev.sh test                  install what is missing, build, run every test
# VANTORREL_FUZZ_SECONDS (per reader, default 30) and VANTORREL_SOAK_SECONDS
# (default 180) lengthen the fuzzing and the soak run outside CI.
# Safe to run again: it installs only missing Debian packages and rebuilds only
# what changed. Needs root or sudo only while packages are missing.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"

jobs=$(nproc 2>/dev/null || echo 2)
# -noreset: otherwise the server resets whenever its last client leaves, and a
# test that opens the next window at that moment cannot connect.
xvfb=(xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")

say() { printf 'dev.sh: %s\n' "$*"; }

install_missing() {
    local wanted missing=()
    mapfile -t wanted < <(grep -v -E '^\s*(#|$)' packages.txt)
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing Debian packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { say "run as root or install sudo to install: ${missing[*]}"; exit 1; }
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build DIR TYPE [cmake options...]
build() {
    local dir=$1 type=$2
    shift 2
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
}

run_tests() {
    local dir=$1
    shift
    "${xvfb[@]}" ctest --test-dir "$dir" --output-on-failure -j1 "$@"
}

case "${1:-}" in
play)
    shift
    install_missing
    build build Release -DVANTORREL_TESTS=OFF -DVANTORREL_BENCH=OFF
    if [ -z "${DISPLAY:-}" ]; then
        say "no display: Vantorrel needs an X server. Start it from a desktop session (DISPLAY is not set)."
        say "the game is built at build/vantorrel; run it there once a display is available."
        exit 1
    fi
    exec build/vantorrel "$@"
    ;;
test)
    install_missing
    say "release build and tests"
    build build Release
    run_tests build
    say "address and undefined-behaviour sanitizer build and tests"
    build build-asan Debug -DVANTORREL_SANITIZE=address,undefined -DVANTORREL_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
    LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_tests build-asan
    say "thread sanitizer build of everything that crosses the audio thread"
    cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DVANTORREL_SANITIZE=thread -DVANTORREL_BENCH=OFF >/dev/null
    cmake --build build-tsan -j"$jobs" --target audio_thread_tests audio_thread_play_tests audio_device_probe
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp \
        run_tests build-tsan -R "audio_thread|audio_device_sink"
    say "fuzzing the settings, command-line, patch, pitch, level, replay and record readers"
    tests/fuzz/run-fuzzers.sh build-fuzz "${VANTORREL_FUZZ_SECONDS:-30}"
    say "soak run of the game with random keys and recorded sound"
    tests/soak/soak.sh build/vantorrel "${VANTORREL_SOAK_SECONDS:-180}"
    ;;
*)
    echo "usage: ./dev.sh play [game options] | ./dev.sh test" >&2
    exit 2
    ;;
esac
