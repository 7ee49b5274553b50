#!/usr/bin/env bash
# The editor example driven as a person would, with xdotool on the virtual
# display: open a file by clicking it in the tree, type, save through the
# menu bar (Alt+F), find words through Edit > Find (one found, one not: its
# message box is answered with Return), move the caret, "Save as" by typing a
# name into the file requester, and quit. Checks the files on disk, the
# editor's log (--log FILE) and a picture of its window against the README's.
#   editor.sh PROGRAM REFERENCE.png SCREENSHOT.png
program=$1 reference=$2 screenshot=$3
. "$(dirname "$0")/common.sh"
folder="$work/files"
log="$work/editor.log"
report=$log

mkdir -p "$folder/notes"
printf 'alpha one\nalpha two\n' > "$folder/alpha.txt"
printf 'beta first line\nsecond line has a word\nthird line\n' > "$folder/beta.txt"
printf 'gamma\n' > "$folder/notes/gamma.txt"
# More than the editor holds (1 MiB): refused with a message, never cut short.
head -c 1100000 /dev/zero | tr '\0' 'x' | fold -w 99 > "$folder/huge.txt"

title_becomes() { window_named "^$1\$" >/dev/null || fail "the title never became \"$1\""; }

xdotool mousemove 1200 1000
launch "$program" --log "$(winepath -w "$log")" "$(winepath -w "$folder")"
editor=$(window_named '^Editor - Untitled$') || fail "no editor window"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$editor")"   # X, Y: the frame's top-left corner
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.3; }

# The tree lists the folder "notes" (open, with gamma.txt), then alpha.txt,
# beta.txt and huge.txt.
click 46 144                                      # huge.txt, the fifth row
window_named '^Editor$' >/dev/null || fail "no message box for a file too large"
sleep 0.3
xdotool key Return
window_gone '^Editor$'
title_becomes 'Editor - Untitled'
click 46 128                                      # beta.txt, the fourth row
title_becomes 'Editor - beta\.txt'
click 464 97                                     # right of the second line: its end
xdotool type --delay 20 ' more'
xdotool key Return
xdotool type --delay 20 'added'
title_becomes 'Editor - beta\.txt \*'
xdotool key alt+f; sleep 0.4; xdotool key s       # File > Save
title_becomes 'Editor - beta\.txt'
expected=$'beta first line\r\nsecond line has a word more\r\nadded\r\nthird line\r\n'
[ "$(cat "$folder/beta.txt"; echo .)" = "$expected." ] || fail "beta.txt holds: $(od -c "$folder/beta.txt" | head)"

# Edit > Find: the Find window opens beside the editor with the focus in its field.
xdotool key alt+e; sleep 0.4; xdotool key f
find=$(window_named '^Find$') || fail "no Find window"
sleep 0.3
xdotool type --delay 20 'third'
xdotool key Return                                # found: the editor selects it
sleep 0.5
eval "$(xdotool getwindowgeometry --shell --prefix FIND_ "$find")"
xdotool mousemove $((FIND_X + 150)) $((FIND_Y + 40)) click 1   # the field
xdotool key End shift+Home
xdotool type --delay 20 'zzz'
xdotool key Return                                # not found: a message box
window_named '^Editor$' >/dev/null || fail "no message box for a word not found"
sleep 0.3
xdotool key Return
window_gone '^Editor$'
xdotool mousemove $((FIND_X + 275)) $((FIND_Y + 73)) click 1   # Close
sleep 0.3

# The caret to the end of the third line: the status bar says "Line 3, Col 6".
click 600 300
xdotool key ctrl+Home Down Down End
sleep 0.3

# File > Save as, typing a new name into the requester.
xdotool key alt+f; sleep 0.4; xdotool key a
window_named '^Save as$' >/dev/null || fail "no Save as requester"
sleep 0.5
xdotool type --delay 20 'copy.txt'
xdotool key Return
title_becomes 'Editor - copy\.txt'
[ "$(cat "$folder/copy.txt"; echo .)" = "$expected." ] || fail "copy.txt holds: $(od -c "$folder/copy.txt" | head)"

# The window as it is now, for the README and against its picture.
sleep 0.8
xdotool mousemove 1200 1000; sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$editor")"
mkdir -p "$(dirname "$screenshot")"
/usr/bin/python3 - "$screenshot" "$reference" "$X" "$Y" "$WIDTH" "$HEIGHT" <<'EOF' || fail "the window differs from the picture"
import sys
from PIL import Image, ImageGrab
shot, reference, x, y, w, h = sys.argv[1], sys.argv[2], *map(int, sys.argv[3:])
picture = ImageGrab.grab(bbox=(x, y, x + w, y + h)).convert("RGB")
picture.save(shot)
try:
    expected = Image.open(reference).convert("RGB")
except OSError:
    sys.exit(f"no reference picture {reference}: run scripts/screenshots")
if expected.size != picture.size:
    sys.exit(f"picture {picture.size} against reference {expected.size}; see {shot}")
a, b = picture.load(), expected.load()
off, total = 0, 0
for j in range(h):
    for i in range(w):
        d = max(abs(p - q) for p, q in zip(a[i, j], b[i, j]))
        total += d
        off += d > 24
mean = total / (w * h)
print(f"picture: {off} pixels differ, mean distance {mean:.2f}")
# A blinking caret and font edges, no more.
if off > w * h // 200 or mean > 2.0:
    sys.exit(f"see {shot}")
EOF

xdotool key alt+f; sleep 0.4; xdotool key q      # File > Quit: nothing unsaved
program_ends "the editor did not quit"
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the editor ended with status $status"

# What the editor did, in order (status lines only where the caret was
# last moved by hand).
got=$(tr -d '\r' < "$log" | grep -v '^status ')
want="folder $(winepath -w "$folder")\\
opened beta.txt (3 lines)
saved beta.txt (4 lines)
find window
found third at line 4
not found zzz
saved copy.txt (4 lines)
quit"
[ "$got" = "$want" ] || { diff <(echo "$want") <(echo "$got"); fail "the log differs"; }
tr -d '\r' < "$log" | grep -q '^status Line 3, Col 6$' || fail "the status bar never said Line 3, Col 6"
[ "$(tr -d '\r' < "$log" | grep '^status ' | sed -n '$p')" = "status Line 3, Col 6" ] \
    || fail "the status bar's last text is not Line 3, Col 6"
echo "ok: $(wc -l < "$log") log lines"
