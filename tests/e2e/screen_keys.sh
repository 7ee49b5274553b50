#!/usr/bin/env bash
# End to end on the virtual display: xdotool clicks, types 40 characters,
# presses arrows, holds a key and turns the wheel over a windowed screen; the
# program polls the keyboard and mouse state (never taking events) and writes
# what it reads to a file.
#   screen_keys.sh PROGRAM
program=$1
. "$(dirname "$0")/common.sh"
report="$work/report.txt"

launch "$program" "$(program_path "$report")"
window=$(window_named '^QXScreenKeys$') || fail "no window named QXScreenKeys"
wait_lines 1
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1   # focus, and a button for GetMouse
sleep 0.3
xdotool key Return
wait_lines 2

# 40 characters while the program does not read them: the queue keeps 32.
typed='tall foxes quietly jumped over a sad dog'
xdotool type --delay 20 "$typed"
sleep 0.3
xdotool key Return
wait_lines 4

xdotool key Up Up Left Down
sleep 0.3
xdotool key Return
wait_lines 5

# Held past the auto-repeat delay (on by default in the X server): characters
# repeat, the key is hit once.
xdotool keydown x
wait_lines 6
sleep 1.2
xdotool keyup x
wait_lines 7

xdotool click 4 click 4 click 4 click 5
sleep 0.3
xdotool key Escape
program_ends "the program did not end after Escape"

# Key codes are scan codes ("a" 30, "o" 24, space 57; arrows 128 + 72, 75,
# 80, 77); the arrows' characters are 0xF700 up, 0xF702 left, 0xF701 down,
# followed by Return's 13. "x" was hit twice by the time it is held: once in
# "foxes", once now; its repeats add characters but no hit. The wheel turned
# three steps up and one down.
expected="ready
click 1 1 0 13 0
typed ${typed:0:32}
hits 3 3 7
arrows 2 1 1 0 chars 63232 63232 63234 63233 13
x down 2
x up 0 repeated
wheel 2 2 0"
got=$(tr -d '\r' < "$report")
[ "$got" = "$expected" ] || { diff <(echo "$expected") <(echo "$got"); fail "polled state differs"; }
echo "ok: clicks, 40 typed characters, arrows, a held key and wheel steps read by polling"
