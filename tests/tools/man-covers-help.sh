#!/usr/bin/env bash
# Every option the game's --help lists (long and short forms) is in its
# manual page. Usage: man-covers-help.sh HELP.txt vantorrel.6
set -u
help=$1; page=$2
# The page's text with roff's escaped hyphens and font changes undone.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIR]//g' -e 's/"//g' "$page")
options=$(grep -oE '(^|[ |])--?[a-z][a-z-]*' "$help" | tr -d ' |' | sort -u)
[ -n "$options" ] || { echo "FAIL: no options found in $help"; exit 1; }
missing=0
for option in $options; do
    grep -qE -- "(^|[ ,])$option([ ,]|$)" <<<"$text" || { echo "FAIL: $option is not in $page"; missing=1; }
done
[ $missing = 0 ] && echo "passed: $(wc -w <<<"$options") options"
exit $missing
