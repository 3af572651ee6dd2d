#!/bin/sh
# Frame rates of the real game under a virtual X server with Mesa's software
# renderer: a 1280 x 720 window and full screen at 1920 x 1080, each with the
# bare clear+swap and one-layer yardsticks measured in the same run.
#
#     bench/frame-rates.sh [BUILD_DIR] [SECONDS_PER_CASE]
#
# BUILD_DIR is a Release build (default: build); the load average is printed
# before each size, since other work on the machine lowers every figure.
set -e
build=${1:-build}
seconds=${2:-4}
program="$build/bench/bench_frameRate"
if [ ! -x "$program" ]; then
    echo "no $program: build the bench_frameRate target first" >&2
    exit 1
fi
for size in "1280 720 -win" "1920 1080"; do
    set -- $size
    echo "== $1 x $2 $([ -n "$3" ] && echo window || echo full screen); load: $(cut -d' ' -f1-3 /proc/loadavg)"
    xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
        "$program" --seconds "$seconds" -- -ns -w "$1" -h "$2" $3
done
