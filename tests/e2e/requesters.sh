#!/usr/bin/env bash
# Every requester answered as a person would, with xdotool on the virtual
# display: message boxes by Return, Escape, a mnemonic and the close box
# (each box's caption is the program's title, its icon checked on the
# screen), the folder chooser by moving down the tree, the font chooser by
# typing a face and a size, the colour chooser by typing red, green and blue;
# each chooser also cancelled once. The program writes what each returned to
# a report, which must read exactly as expected.
#   requesters.sh PROGRAM
program=$1
# The folders live on the prefix's drive C:, not under /tmp: the folder
# chooser finds its starting folder only when no folder on the way to it
# changes while it opens, and /tmp changes all the time (docs/wine-notes.md).
drive_c=$(winepath -u 'C:\' 2>/dev/null)
[ -d "$drive_c" ] || { echo "FAIL: no drive C: in the Wine prefix"; exit 1; }
work=$(mktemp -d "${drive_c%/}/qx-requesters.XXXXXX")
. "$(dirname "$0")/common.sh"
report="$work/report.txt"
mkdir -p "$work/pick/first" "$work/pick/second" "$work/pick/third"

# The icon left of a message box's text: "information" (blue) or "warning"
# (orange), read from the screen inside the box at (X, Y).
icon_at() {
    /usr/bin/python3 - "$1" "$2" <<'EOF'
import sys
from PIL import ImageGrab
x, y = map(int, sys.argv[1:3])
# Below the caption bar, left of the text.
picture = ImageGrab.grab(bbox=(x + 5, y + 25, x + 60, y + 70)).convert("RGB")
blue = sum(1 for r, g, b in picture.getdata() if b > r + 60 and b > 120)
orange = sum(1 for r, g, b in picture.getdata() if r > 200 and 80 < g < 200 and b < 80)
print("information" if blue > 200 and orange < 20 else "warning" if orange > 200 and blue < 100 else f"unknown ({blue} blue, {orange} orange)")
EOF
}

# Answers the next message box: checks its caption and icon, then gives the
# answer (keys, or "close" for the close box) and waits for report line LINE.
answer_box() {
    local line=$1 icon=$2 answer=$3 box seen
    box=$(window_named '^QXAsk$') || fail "no message box for report line $line"
    sleep 0.4
    eval "$(xdotool getwindowgeometry --shell "$box")"   # X, Y, WIDTH: the frame
    seen=$(icon_at "$X" "$Y")
    [ "$seen" = "$icon" ] || fail "message box for line $line shows the $seen icon, not the $icon one"
    if [ "$answer" = close ]; then
        xdotool mousemove $((X + WIDTH - 15)) $((Y + 11)) click 1
    else
        xdotool key "$answer"
    fi
    wait_lines "$line"
}

# Waits for a chooser by its title and lets it settle before typing.
chooser() { window_named "^$1\$" >/dev/null || fail "no \"$1\" window"; sleep 0.6; }

xdotool mousemove 1200 1000
launch "$program" "$(winepath -w "$work")"
window_named '^QXRequesterAnswers$' >/dev/null || fail "no window named QXRequesterAnswers"
wait_lines 1

answer_box 2 information Return          # Confirm: OK
answer_box 3 warning Escape              # Confirm, serious: Cancel
answer_box 4 information Return          # Proceed: Yes
answer_box 5 information n               # Proceed: No, by its mnemonic
answer_box 6 warning Escape              # Proceed, serious: Cancel
answer_box 7 information close           # Proceed: the close box
answer_box 8 information Return          # Notify
answer_box 9 warning space               # Notify, serious (0x101)

# The folder chooser opens on pick\second. Cancelled first: the first
# chooser opened after the folders were made may start at the desktop
# instead (docs/wine-notes.md). Then the tree takes the focus, Down moves to
# pick\third and Return accepts.
chooser 'Browse for Folder'
xdotool key Escape
wait_lines 10
chooser 'Browse for Folder'
xdotool key shift+Tab Down Return
wait_lines 11

# The font chooser: a face and a size typed into its fields. The face is one
# that fontconfig (which Wine brings) has installed with it: DejaVu Sans, its
# first choice on Debian, or Liberation Sans, which Wine recommends.
face="DejaVu Sans"
if command -v fc-list >/dev/null && ! fc-list : family | grep -qx "$face"; then face="Liberation Sans"; fi
chooser Font
xdotool type --delay 20 "$face"
xdotool key Tab Tab
xdotool type --delay 20 '12'
xdotool key Return
wait_lines 12
chooser Font
xdotool key Escape
wait_lines 13

# The colour chooser opens on 10, 20, 30 with the focus in its red field.
chooser Color
xdotool type --delay 20 '99'; xdotool key Tab
xdotool type --delay 20 '88'; xdotool key Tab
xdotool type --delay 20 '77'; xdotool key Return
wait_lines 14
chooser Color
xdotool key Escape
wait_lines 16

program_ends "the program did not end"
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"

# A cancelled colour leaves the one accepted before; the fonts were freed,
# so no object outlives the requesters.
expected="ready
confirm 1
confirm 0
proceed 1
proceed 0
proceed -1
proceed -1
notify plain
notify serious
dir 
dir $(winepath -w "$work/pick/third")
font $face 12
font 0
colour 1 99 88 77
colour 0 99 88 77
objects 0"
got=$(tr -d '\r' < "$report")
[ "$got" = "$expected" ] || { diff <(echo "$expected") <(echo "$got"); fail "the report differs"; }
echo "ok: $(echo "$got" | wc -l) lines"
