#!/usr/bin/env bash
# Soak run of the real game: random key presses for SECONDS with the sound
# recorded, then Escape.
#   tests/soak/soak.sh GAME SECONDS [GAME OPTIONS...]
# GAME is the built executable (build/vantorrel). Without options the game
# starts as a player's would, with no arguments, so it reads its settings
# file: the soak writes one into a temporary XDG_CONFIG_HOME asking for a
# 1280 x 720 window, the logical size (options such as "-w 1920 -h 1080" give
# the full screen a first start would choose). It runs on $DISPLAY, or on a
# private Xvfb when DISPLAY is unset, with its sound going to a private
# PulseAudio sink (tests/audio/with-sound-sink).
# Fails on: a crash or a non-zero exit status, an exit before Escape, a hang
# (no CPU time used between two samples, or no exit within 10 s of Escape),
# memory that keeps growing after the warm-up, and sound that drops out
# (output underflows the game reports, music cut off by silence in the
# recording, tests/soak/gaps.py) more than once a minute or for longer than
# a quarter of a second.
# SOAK_SEED fixes the random key sequence; SOAK_KEEP=1 keeps the work folder.
# Needs xdotool, Xvfb, pulseaudio, pulseaudio-utils, libasound2-plugins, python3.
set -uo pipefail

if [ $# -lt 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
    echo "usage: soak.sh GAME SECONDS [GAME OPTIONS...]" >&2
    exit 2
fi
game=$(readlink -f "$1")
seconds=$2
shift 2
options=("$@")
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$game" ] || { echo "soak: $game is not an executable"; exit 2; }

sampleEvery=5      # seconds between memory samples
exitWithin=10      # seconds the game may take to end after Escape
# Textures, fonts, the level and the sound server's buffers are all in place
# within the first minute; from then on memory stays flat, idle or playing.
warmup=60
# Flat means within 1 MiB of the first minute's highest RSS: what the
# allocator and the X connection keep for a while stays well below it, and a
# leak of one small allocation per frame (64 bytes at 66 frames/s, 250 KiB a
# minute) passes it within a few minutes of a soak.
growthLimitKiB=1024
# One screen change may add its resources at once: the ending's measured
# 14 MiB with room to spare, far below what a runaway allocation would take.
stepLimitKiB=32768

# A render that waits on the game, or a stream that stops, drops the sound
# again and again, or for long. An isolated dropout also comes from the
# machine: through the private sound server, quiet 180 s soaks here showed
# none or one (34.6 ms, no underflow reported), and one on the CI machine
# (63.7 ms with one underflow); ALSA's PulseAudio plugin starts its stream
# afresh after an underflow, so each such dropout lasts 35 ms or more.
dropoutsPerMinute=1
longestDropoutMs=250

seed=${SOAK_SEED:-$(( $(date +%s) % 32768 ))}
RANDOM=$seed

work=$(mktemp -d /tmp/vantorrel-soak.XXXXXX)
xvfbPid=""
runner=""
cleanup() {
    [ -n "$runner" ] && kill "$runner" 2>/dev/null
    [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null
    if [ -n "${SOAK_KEEP:-}" ]; then echo "soak: work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 130); do
        [ -e /tmp/.X$n-lock ] && continue
        Xvfb :$n -screen 0 1920x1080x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
        xvfbPid=$!
        sleep 1
        if kill -0 $xvfbPid 2>/dev/null; then export DISPLAY=:$n; break; fi
        xvfbPid=""
    done
    [ -n "${DISPLAY:-}" ] || { echo "soak: could not start Xvfb"; exit 1; }
fi

mkdir -p "$work/config/Plumbrook"
export XDG_CONFIG_HOME=$work/config
printf '%s\n' "w 1280" "h 720" "a 0" "f 0" "ns 0" "nm 0" "aa ALSA" >"$work/config/Plumbrook/Plumbrook.conf"

start=$(date +%s)
# The wrapper writes the game's process id, then becomes the game.
"$here/../audio/with-sound-sink" "$work/capture.raw" -- \
    bash -c 'echo $$ >"$0"; exec "$@"' "$work/pid" "$game" "${options[@]}" >"$work/output.log" 2>&1 &
runner=$!

fail=()
for _ in $(seq 100); do [ -s "$work/pid" ] && break; sleep 0.1; done
pid=$(cat "$work/pid" 2>/dev/null)
# SDL makes a first, never shown window and replaces it when OpenGL starts:
# only a visible window takes the keys.
findWindow() { timeout "$1" xdotool search --sync --onlyvisible --name '^Vantorrel$' 2>/dev/null | tail -1; }
window=""
[ -n "$pid" ] && window=$(findWindow 30)
if [ -z "$window" ]; then
    echo "soak: the game's window did not appear"
    cat "$work/output.log"
    exit 1
fi

# xdotool with a timeout, so a wedged X server cannot hang the soak.
xdo() { timeout 5 xdotool "$@" >/dev/null 2>&1; }
# Without a window manager nothing gives the window the keyboard: focus it
# with every key, in the same xdotool call. A key that could not be sent is
# tried once more with the window looked up again, and counted if it fails.
send() {
    if ! xdo windowfocus --sync "$window" "$@"; then
        window=$(findWindow 5)
        if [ -z "$window" ] || ! xdo windowfocus --sync "$window" "$@"; then
            keysLost=$((keysLost + 1))
            return 1
        fi
    fi
    keysSent=$((keysSent + 1))
}

keysSent=0
keysLost=0
taps=(space z Return Up Down Left Right space z a Tab 1 BackSpace)
holds=(Left Right Right Left Up Down)
samples=()   # "elapsed rss hwm"
lastCpu=-1
lastSample=-$sampleEvery
stalls=0
exitedEarly=""

cpuTicks() { awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null; }
statusKiB() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$pid/status" 2>/dev/null; }

while :; do
    now=$(( $(date +%s) - start ))
    [ "$now" -ge "$seconds" ] && break
    if ! kill -0 "$pid" 2>/dev/null; then exitedEarly="after ${now} s"; break; fi
    if [ $(( now - lastSample )) -ge $sampleEvery ]; then
        rss=$(statusKiB VmRSS); hwm=$(statusKiB VmHWM); cpu=$(cpuTicks)
        [ -n "$rss" ] && samples+=("$now $rss $hwm")
        if [ -n "$cpu" ] && [ "$cpu" = "$lastCpu" ]; then stalls=$((stalls + 1)); fi
        lastCpu=${cpu:-$lastCpu}
        lastSample=$now
    fi
    if (( RANDOM % 3 == 0 )); then
        # Hold a direction for 0.1 to 1.6 s, jumping now and then meanwhile.
        key=${holds[RANDOM % ${#holds[@]}]}
        send keydown "$key"
        for _ in $(seq $(( 1 + RANDOM % 4 ))); do
            sleep 0.$(( 1 + RANDOM % 4 ))
            (( RANDOM % 2 )) && send key space
        done
        xdo keyup "$key"
    else
        send key "${taps[RANDOM % ${#taps[@]}]}"
        sleep 0.0$(( RANDOM % 10 ))
    fi
done

if [ -n "$exitedEarly" ]; then
    fail+=("the game ended without Escape $exitedEarly")
else
    # A loaded X server may drop a key whose focus request timed out, so
    # Escape is sent again every 2 s until the game is gone.
    escapeAt=$(date +%s%N)
    for _ in $(seq $(( exitWithin / 2 ))); do
        send key Escape
        for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break 2; sleep 0.1; done
    done
    exitMs=$(( ($(date +%s%N) - escapeAt) / 1000000 ))
    if kill -0 "$pid" 2>/dev/null; then
        fail+=("the game did not end within ${exitWithin} s of Escape")
        # Where it hangs, for the report.
        command -v xwd >/dev/null && timeout 20 xwd -root -display "$DISPLAY" -out "$work/hang.xwd" 2>/dev/null
        echo "soak: threads of the hung game (CPU ticks):"
        for task in /proc/$pid/task/*; do
            awk '{ printf "  | %s %s %d\n", $1, $2, $14 + $15 }' "$task/stat" 2>/dev/null
        done
        if command -v gdb >/dev/null; then
            timeout 60 gdb -p "$pid" -batch -ex 'thread apply all bt' >"$work/stacks.txt" 2>&1
            echo "soak: threads of the hung game:"
            grep -E '^(Thread|#)' "$work/stacks.txt" | head -60 | sed 's/^/  | /'
        fi
        kill -KILL "$pid" 2>/dev/null
    fi
fi
wait "$runner"
status=$?
runner=""
elapsed=$(( $(date +%s) - start ))
[ "$status" -ne 0 ] && fail+=("exit status $status$( [ "$status" -gt 128 ] && echo " (signal $((status - 128)))")")
# A soak whose keys do not arrive tests nothing.
[ "$keysLost" -gt $(( keysSent / 20 )) ] && fail+=("$keysLost keys could not be sent to the game's window")
[ "$stalls" -gt 0 ] && fail+=("the game used no CPU time over $stalls sample interval(s): hung")

# Memory: the highest RSS of the warm-up against every later sample. Random
# keys often win the run; the ending screen then loads its level, pictures and
# font once (about 14 MiB here), so the largest single rise is set apart and
# the rest must stay within the limit: a leak rises sample after sample.
warmRss=0; endRss=0; peakHwm=0; worst=0; high=0; largestStep=0
for sample in "${samples[@]}"; do
    read -r t rss hwm <<<"$sample"
    [ "$hwm" -gt "$peakHwm" ] && peakHwm=$hwm
    if [ "$t" -le "$warmup" ]; then
        [ "$rss" -gt "$warmRss" ] && warmRss=$rss
        high=$warmRss
    else
        [ $(( rss - warmRss )) -gt "$worst" ] && worst=$(( rss - warmRss ))
        if [ "$rss" -gt "$high" ]; then
            [ $(( rss - high )) -gt "$largestStep" ] && largestStep=$(( rss - high ))
            high=$rss
        fi
    fi
    endRss=$rss
done
creep=$(( worst - largestStep ))
if [ "${#samples[@]}" -lt 3 ]; then
    fail+=("only ${#samples[@]} memory samples")
elif [ "$creep" -gt "$growthLimitKiB" ]; then
    fail+=("RSS grew ${creep} KiB beyond the warm-up level besides its largest single rise (limit ${growthLimitKiB} KiB)")
elif [ "$largestStep" -gt "$stepLimitKiB" ]; then
    fail+=("RSS rose ${largestStep} KiB at once (limit ${stepLimitKiB} KiB)")
fi

dropoutsAllowed=$(( elapsed * dropoutsPerMinute / 60 ))
underflows=$(grep -o '[0-9]* output underflow' "$work/output.log" | awk '{ n += $1 } END { print n + 0 }')
[ "$underflows" -gt "$dropoutsAllowed" ] &&
    fail+=("the game reported $underflows output underflow(s) (at most $dropoutsAllowed in ${elapsed} s)")

gapReport=$(python3 "$here/gaps.py" "$work/capture.raw")
gaps=$(sed -n '1s/.*gaps=\([0-9]*\).*/\1/p' <<<"$gapReport")
longestGap=$(sed -n 's/^gap at .*: \([0-9.]*\) ms of silence.*/\1/p' <<<"$gapReport" | sort -n | tail -1)
if [ -z "$gaps" ]; then
    fail+=("the recording could not be read")
elif [ "$gaps" -gt "$dropoutsAllowed" ]; then
    fail+=("silence cut into the sound $gaps time(s) (at most $dropoutsAllowed in ${elapsed} s)")
elif [ -n "$longestGap" ] && awk -v g="$longestGap" -v l="$longestDropoutMs" 'BEGIN { exit !(g > l) }'; then
    fail+=("silence cut into the sound for $longestGap ms (at most $longestDropoutMs ms)")
fi

echo "soak: ran ${elapsed} s (asked ${seconds} s), seed ${seed}, ${keysSent} keys sent (${keysLost} lost), DISPLAY ${DISPLAY}"
echo "soak: game options: ${options[*]:-(none: the settings file asks for a 1280 x 720 window)}"
echo "soak: quit ${exitMs:-?} ms after the first Escape"
echo "soak: RSS samples (s:KiB): $(printf '%s\n' "${samples[@]}" | awk '{ printf "%s:%s ", $1, $2 }')"
echo "soak: RSS warm-up ${warmRss} KiB (first ${warmup} s), end ${endRss} KiB, most above warm-up $((worst)) KiB (largest single rise ${largestStep} KiB), peak (VmHWM) ${peakHwm} KiB, ${#samples[@]} samples"
echo "soak: underflows ${underflows}; recording: ${gapReport%%$'\n'*}"
sed -n '2,$p' <<<"$gapReport" | sed 's/^/soak: /'
echo "soak: game output:"
sed 's/^/  | /' "$work/output.log"
if [ ${#fail[@]} -gt 0 ]; then
    printf 'soak: FAILED: %s\n' "${fail[@]}"
    exit 1
fi
echo "soak: passed"
