#!/usr/bin/env bash
# End to end on the virtual display: xdotool types and clicks into a program's
# window as a person would; the program writes the events it takes to a file,
# which must hold the expected records.
#   gui_input.sh PROGRAM
program=$1
. "$(dirname "$0")/common.sh"
report="$work/events.txt"

launch "$program" "$(winepath -w "$report")"
window=$(window_named '^QXGuiInput$') || fail "no window named QXGuiInput"
sleep 0.5

# The frameless window's client area starts at (100, 100).
xdotool mousemove 150 150 click 1                 # the panel: gives the window focus
sleep 0.3
xdotool key a Left F1
xdotool keydown shift mousemove 160 170 click 3 keyup shift
sleep 0.3
xdotool mousemove 300 130 click 1                 # the button at (250..350, 110..150)
program_ends "the program did not end after the button's click"

# Every event in order (activation changes left out; ids in hex): the click
# that focuses the window, "a" (scan code 30, character 97), the left arrow
# (0x4B + 128 = 203, character 0xF702), F1 (59, 0xF704), shift (42) held for
# a right click (z = 1), then the button's action.
expected="ready
00000201 1 50 50 0 panel
00000202 1 50 50 0 panel
00000101 30 0 0 0 panel
00000103 97 0 0 0 panel
00000102 30 0 0 0 panel
00000101 203 0 0 0 panel
00000103 63234 0 0 0 panel
00000102 203 0 0 0 panel
00000101 59 0 0 0 panel
00000103 63236 0 0 0 panel
00000102 59 0 0 0 panel
00000101 42 0 0 0 panel
00000201 2 60 70 1 panel
00000202 2 60 70 1 panel
00000102 42 0 0 0 panel
00000401 0 0 0 0 button"
got=$(tr -d '\r' < "$report" | grep -v -E '^0000200[12] ')
[ "$got" = "$expected" ] || { diff <(echo "$expected") <(echo "$got"); fail "events differ"; }
echo "ok: $(echo "$got" | wc -l) lines"
