#!/usr/bin/env bash
# Times levelcheck on the shipped play level: wall time, CPU time and peak
# memory at the press gaps the level tests search (1, 2, 3, 8, 12, 16, 24),
# on one worker thread and on two.
#   bench/levelcheck.sh [BUILD_DIR]      (default: build, a Release build)
# Needs GNU time (/usr/bin/time). Prints the machine's load first.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
tool=$build/tools/levelcheck/levelcheck
level=$here/runtime/levels/pilot.png
[ -x "$tool" ] || { echo "levelcheck.sh: no $tool; build it first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "levelcheck.sh: needs /usr/bin/time" >&2; exit 2; }
echo "load: $(uptime)"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(nproc) cores"
printf '%-4s %-8s %10s %10s %10s  %s\n' gap threads "wall s" "cpu s" "peak MB" "fastest win"
for gap in 1 2 3 8 12 16 24; do
    for threads in 1 2; do
        # levelcheck exits 1 when it finds no win (gaps 16 and 24): still a result.
        out=$( { /usr/bin/time -f 'TIME %e %U %S %M' "$tool" "$level" --press-gap "$gap" --threads "$threads" 2>&1 >&3 | grep '^TIME'; } 3>&1 || true )
        win=$(printf '%s\n' "$out" | grep 'fastest win:' | sed 's/levelcheck: fastest win: //; s/ at 66.*//' || true)
        set -- $(printf '%s\n' "$out" | grep '^TIME')
        printf '%-4s %-8s %10s %10.2f %10d  %s\n' "$gap" "$threads" "$2" "$(echo "$3 + $4" | bc)" $(( $5 / 1024 )) "$win"
    done
done
