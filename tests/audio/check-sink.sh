#!/usr/bin/env bash
# check-sink.sh EXPECT PROBE [ARGS...]
# Runs PROBE through a private sound server, records what it plays and checks
# the recording: EXPECT "sound" needs a clear peak, "silence" needs none.
set -eu
expect=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
capture=$(mktemp /tmp/vantorrel-sink.XXXXXX.raw)
trap 'rm -f "$capture"' EXIT
output=$("$here/with-sound-sink" "$capture" -- "$@")
echo "$output"
if [ "$expect" = sound ] && ! grep -q '^open: yes$' <<<"$output"; then
  echo "the stream did not open"; exit 1
fi
if [ "$expect" = sound ] && ! grep -q '^second open: no$' <<<"$output"; then
  echo "a second open did not refuse"; exit 1
fi
if [ ! -s "$capture" ]; then
  echo "nothing was recorded"; exit 1
fi
peak=$(sox -t raw -r 44100 -e float -b 32 -c 2 "$capture" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
echo "recorded peak: $peak"
case $expect in
  sound) awk -v p="$peak" 'BEGIN { exit !(p > 0.05 && p < 1.0) }' ;;
  silence) awk -v p="$peak" 'BEGIN { exit !(p == 0) }' ;;
esac
