#!/usr/bin/env bash
# tools/xvfb-session never runs a command on a display it did not start (a developer's desktop
# would get the tests' key events), and nested calls join the session they run in.
set -u
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)
fail() { echo "FAIL: $*"; exit 1; }

outer=$(DISPLAY=:4242 "$tools/xvfb-session" sh -c 'echo "$DISPLAY"') || fail "no session"
[ -n "$outer" ] && [ "$outer" != ":4242" ] || fail "ran on the existing display '$outer'"

nested=$(unset DISPLAY; "$tools/xvfb-session" sh -c \
  'echo "$DISPLAY $("$0" sh -c "echo \$DISPLAY")"' "$tools/xvfb-session") || fail "no nested session"
set -- $nested
[ "$1" = "$2" ] || fail "nested call left session $1 for $2"
echo "1 passed, 0 failed"
