#!/usr/bin/env bash
# korvane.exe with a console on its standard input, as when it is started in a Command Prompt
# window: wine gives a program a console when it runs on a terminal, so it runs here on the
# pseudo-terminal of `script`, and the lines are typed into that console. This is the poll's
# console branch (console mode, flush, input events); the pipe branch is what every other test
# of the Windows build drives.
#   tests/windows/console_check.sh BUILD_DIR     (WINEPREFIX set up by run_windows_tests.sh)
set -euo pipefail
build=$(cd "$1" && pwd)
transcript=$(mktemp)
trap 'rm -f "$transcript"' EXIT

# The transcript as text: wine's console draws every character with terminal escapes around
# it, and a blank as "erase, cursor right".
clean() { sed -e 's/\x1b\[K\x1b\[1C/ /g' -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\r//g' "$transcript"; }

# Waits until the transcript holds the pattern count times (at most a minute).
wait_for() {
    for _ in $(seq 600); do
        [ "$(clean | grep -c -- "$1" || true)" -ge "$2" ] && return 0
        sleep 0.1
    done
    echo "console: no \"$1\" (x$2) in time" >&2
    return 1
}

# The keys typed: a console line ends with Enter, a carriage return.
type_lines() {
    wait_for "^Korvane [0-9.]* by Merevik Tavo" 1 || return
    # A timed search that nobody interrupts ends on its clock: a console with nothing typed
    # does not read as input waiting.
    printf 'go movetime 1500\r'
    wait_for "^bestmove " 1 || return
    # "isready" typed during a search is read and dropped; "stop" then ends the search.
    printf 'go infinite\r'
    wait_for "^info depth 5 " 1 || return
    printf 'isready\r'
    sleep 1
    printf 'stop\r'
    wait_for "^bestmove " 2 || return
    printf 'isready\r'
    wait_for "^readyok" 1 || return
    printf 'quit\r'
    sleep 5  # the terminal stays open until the program has ended
}

type_lines | timeout 120 script -qfec "wine '$build/korvane.exe'" "$transcript" > /dev/null || {
    echo "console: korvane.exe failed or did not end (status $?)" >&2
    clean | tail -20 >&2
    exit 1
}
replies=$(clean | grep -E "^(bestmove|readyok)" | sed -E 's/^(bestmove ).*/\1/' || true)
expected=$'bestmove \nbestmove \nreadyok'
if [ "$replies" != "$expected" ]; then
    echo "console: replies were:" >&2
    echo "$replies" >&2
    exit 1
fi
echo "console: movetime search, isready and stop during a search, quit: as expected"
