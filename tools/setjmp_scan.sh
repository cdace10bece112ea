#!/bin/sh
# Usage: setjmp_scan.sh DIR [ALLOWED...]
# Fails when a setjmp call (setjmp, _setjmp, sigsetjmp followed by "(")
# appears in a file under DIR other than the ALLOWED paths (relative to
# DIR). Host errors may jump only to the one guarded host call; any other
# setjmp point would let a jump skip C++ destructors unseen.
dir=$1
shift
[ -d "$dir" ] || { echo "setjmp_scan: no folder $dir" >&2; exit 2; }
found=0
for file in $(cd "$dir" && find . -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' \
        -o -name '*.cpp' -o -name '*.cc' -o -name '*.inc' \) | sed 's|^\./||' | sort); do
    allowed=0
    for path in "$@"; do
        [ "$file" = "$path" ] && allowed=1
    done
    [ $allowed = 1 ] && continue
    if grep -nE '(^|[^A-Za-z0-9_])_{0,2}(sig)?setjmp[[:space:]]*\(' "$dir/$file" >/tmp/setjmp_scan.$$; then
        sed "s|^|$dir/$file:|" /tmp/setjmp_scan.$$ >&2
        found=1
    fi
done
rm -f /tmp/setjmp_scan.$$
if [ $found = 1 ]; then
    echo "setjmp_scan: setjmp outside the guarded host call" >&2
    exit 1
fi
echo "setjmp_scan: clean"
