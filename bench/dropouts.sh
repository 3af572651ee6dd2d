#!/usr/bin/env bash
# Output underflows and dropouts of the real game's sound while two busy
# processes compete for the processors.
#   bench/dropouts.sh GAME SECONDS
# The game starts as a player's would (settings file: 1280 x 720 window,
# ALSA), its sound going to a private PulseAudio sink
# (tests/audio/with-sound-sink); play is started with keys, two `yes`
# processes run for SECONDS, then Escape. Prints the underflows the game
# reported and the dropouts tests/soak/gaps.py finds in the recording.
# Runs on $DISPLAY (use xvfb-run). DROPOUTS_BUSY sets how many busy
# processes this run starts (default 2): two runs side by side, one with 2
# and one with 0, compare two builds under the very same load.
set -uo pipefail
[ $# -eq 2 ] && [[ $2 =~ ^[0-9]+$ ]] || { echo "usage: dropouts.sh GAME SECONDS" >&2; exit 2; }
game=$(readlink -f "$1")
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantorrel-dropouts.XXXXXX)
busy=()
cleanup() {
    for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/config/Plumbrook"
export XDG_CONFIG_HOME=$work/config
printf '%s\n' "w 1280" "h 720" "a 0" "f 0" "ns 0" "nm 0" "aa ALSA" >"$work/config/Plumbrook/Plumbrook.conf"
"$here/../tests/audio/with-sound-sink" "$work/capture.raw" -- \
    bash -c 'echo $$ >"$0"; exec "$@"' "$work/pid" "$game" >"$work/output.log" 2>&1 &
runner=$!
for _ in $(seq 100); do [ -s "$work/pid" ] && break; sleep 0.1; done
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vantorrel$' 2>/dev/null | tail -1)
[ -n "$window" ] || { echo "dropouts: no window"; cat "$work/output.log"; exit 1; }
# Keys go to the window under the pointer: asking for the focus without a
# window manager sends a focus loss first, which would pause play.
timeout 5 xdotool mousemove --window "$window" 100 100
for _ in $(seq 7); do timeout 5 xdotool key Return; sleep 0.2; done
for _ in $(seq "${DROPOUTS_BUSY:-2}"); do yes >/dev/null & busy+=($!); done
sleep "$seconds"
for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null; done
busy=()
pid=$(cat "$work/pid")
for _ in $(seq 5); do
    timeout 5 xdotool key Escape
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break 2; sleep 0.1; done
done
wait "$runner"
underflows=$(grep -o '[0-9]* output underflow' "$work/output.log" | awk '{ n += $1 } END { print n + 0 }')
echo "dropouts: underflows=$underflows; recording: $(python3 "$here/../tests/soak/gaps.py" "$work/capture.raw" | sed -n 1p)"
