#!/bin/sh
# Usage: tmpdir_unchanged.sh COMMAND [ARG...]
# Runs COMMAND with TMPDIR a fresh, empty folder; fails when COMMAND fails or
# leaves anything in that folder once it has exited, so that what a program
# removes only at its exit is seen too.
dir=$(mktemp -d) || exit 2
TMPDIR=$dir "$@"
status=$?
left=$(cd "$dir" && find . -mindepth 1 | sort)
rm -rf "$dir"
[ "$status" -eq 0 ] || exit "$status"
if [ -n "$left" ]; then
    echo "tmpdir_unchanged: left in TMPDIR:" $left >&2
    exit 1
fi
