#!/bin/sh
# Runs a checker and passes only when it exits 0 and has nothing to say (desktop-file-validate
# exits 0 on hints).
out=$("$@" 2>&1)
status=$?
[ -n "$out" ] && printf '%s\n' "$out"
[ "$status" -eq 0 ] && [ -z "$out" ]
