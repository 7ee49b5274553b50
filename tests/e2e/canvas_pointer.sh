#!/usr/bin/env bash
# End to end on the virtual display: xdotool clicks on a canvas whose buffer
# is twice its client size; the program reports the pointer in buffer pixels,
# then moves the real pointer with MoveMouse, which xdotool reads back.
#   canvas_pointer.sh PROGRAM
program=$1
. "$(dirname "$0")/common.sh"
report="$work/report.txt"

launch "$program" "$(winepath -w "$report")"
window=$(window_named '^QXCanvasPointer$') || fail "no window named QXCanvasPointer"
sleep 0.5

# Client (100, 100) + canvas (20, 20) + (50, 25) of its 100x50 client area:
# buffer pixel (100, 50).
xdotool mousemove 170 145
sleep 0.3
xdotool click 1
program_ends "the program did not end after the click"

got=$(tr -d '\r' < "$report")
expected="ready
down 100 50 100 50"
[ "$got" = "$expected" ] || { diff <(echo "$expected") <(echo "$got"); fail "positions differ"; }
# Buffer pixel (150, 80) is client (75, 40): the display's (195, 160).
eval "$(xdotool getmouselocation --shell)"
[ "$X" = 195 ] && [ "$Y" = 160 ] || fail "MoveMouse put the pointer at $X,$Y"
echo "ok: canvas pointer in buffer pixels, MoveMouse moved the real pointer"
