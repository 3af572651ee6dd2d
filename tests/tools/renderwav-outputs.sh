#!/usr/bin/env bash
# renderwav's output is whole or not at all: on a FIFO, a device or one of its
# own inputs it refuses at once; under a file-size limit and on a full disk it
# fails with one line and leaves the WAV that was there as it was, with no
# temporary file beside it. A named input it cannot read is an error too,
# with no WAV written. Usage: renderwav-outputs.sh RENDERWAV
set -u
renderwav=$1
dir=$(mktemp -d /tmp/renderwav-out.XXXXXX); trap 'umount "$dir/full" 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
mkfifo "$dir/fifo"; mkdir "$dir/full"
cp "$(dirname "$renderwav")/pitches/$(ls "$(dirname "$renderwav")/pitches" | head -1)" "$dir/pitch.txt"
"$renderwav" --seconds 0.01 --output "$dir/old.wav" >/dev/null || fail "no first WAV"
cp "$dir/old.wav" "$dir/kept.wav"
# output | extra options | the line wanted | the file that must stay as it was
cases=("$dir/fifo||renderwav: $dir/fifo is not a regular file; nothing written|"
       "/dev/null||renderwav: /dev/null is not a regular file; nothing written|"
       "$dir/pitch.txt|--pitches $dir/pitch.txt|renderwav: $dir/pitch.txt is an input ($dir/pitch.txt); nothing written|$dir/pitch.txt"
       "$dir/old.wav|LIMIT|renderwav: could not write $dir/old.wav: File too large|$dir/old.wav"
       "$dir/new.wav|--data $dir/none|renderwav: --data $dir/none: No such file or directory; nothing written|"
       "$dir/new.wav|--data $dir/pitch.txt|renderwav: --data $dir/pitch.txt: not a folder; nothing written|"
       "$dir/new.wav|--pitches $dir/none.txt|PitchTable: Could not read pitch file $dir/none.txt: No such file or directory|")
if unshare -m true 2>/dev/null; then
    cases+=("$dir/full/old.wav|FULL|renderwav: could not write $dir/full/old.wav: No space left on device|")
else
    echo "no full-disk case: a small file system needs root"
fi
for entry in "${cases[@]}"; do
    IFS='|' read -r output extra want keep <<<"$entry"
    [ -n "$keep" ] && cp "$keep" "$dir/before"
    command=(timeout 20 "$renderwav" --seconds 1 --output "$output")
    case $extra in
        LIMIT) out=$(ulimit -f 64; "${command[@]}") ;;
        # A tiny file system of its own, filled up, in a private mount namespace.
        FULL) out=$(D=$dir R=$renderwav unshare -m bash -c 'mount -t tmpfs -o size=64k none "$D/full" || exit 9
                    cp "$D/kept.wav" "$D/full/old.wav"; head -c 1M /dev/zero > "$D/full/filler" 2>/dev/null
                    timeout 20 "$R" --seconds 1 --output "$D/full/old.wav"; s=$?
                    cmp -s "$D/kept.wav" "$D/full/old.wav" || echo changed; ls "$D/full"; exit $s') ;;
        *) out=$("${command[@]}" $extra) ;;
    esac
    status=$?
    [ $status = 1 ] || fail "$output ($extra): status $status, want 1: $out"
    grep -qxF "$want" <<<"$out" || fail "$output ($extra): no line '$want' in: $out"
    [ "$extra" != FULL ] || [ "$(tail -2 <<<"$out" | tr '\n' ' ')" = "filler old.wav " ] || fail "full disk: $out"
    [ -z "$keep" ] || cmp -s "$keep" "$dir/before" || fail "$keep changed"
done
[ ! -e "$dir/new.wav" ] || fail "a WAV was written without its input"
[ -z "$(ls "$dir" | grep tmp)" ] || fail "temporary files left: $(ls "$dir")"
echo "passed"
