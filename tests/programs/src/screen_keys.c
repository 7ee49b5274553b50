/* Polled input on a windowed screen under real keys and wheel steps. The
   program never takes events: it reads only the polling state, and writes
   what it reads to the file named on the command line, a line per phase.
   Each phase ends when Return is pressed (scan code 28), which the program
   notices with KeyHit, so the character queue stays untouched meanwhile:
     click    MouseHit 1, GetMouse twice (1, then 0), GetKey twice (the
              Return that ended the phase, then 0)
     typed    the characters GetKey returns (at most 32 kept of 40 typed),
              then KeyHit of "a", "o" and space
     arrows   KeyHit of up, left, down, right; the characters as numbers
     held     KeyHit of "x" once it is down, then after auto-repeat
     wheel    MouseZ, MouseZSpeed twice, after Escape ends the program */
#include "qxprog.h"
#include "qxtest.h"

/* Seeking in place empties the file's buffer, so the script sees each line
   as soon as it is written. */
static void writeLine(int out, QXString* line) {
    WriteLine(out, line);
    _qxStrRelease(line);
    SeekFile(out, FilePos(out));
}

enum { KeyReturn = 28, KeyEscape = 1, KeyA = 30, KeyO = 24, KeySpace = 57, KeyX = 45,
       KeyUp = 200, KeyLeft = 203, KeyDown_ = 208, KeyRight = 205 };

/* Waits until a key was pressed, for at most about twenty seconds. */
static int waitForKey(int key) {
    for (int i = 0; i < 1000; ++i) {
        if (KeyHit(key)) return 1;
        Delay(20);
    }
    return 0;
}

void qxmain(void) {
    QXString* line = CommandLine();
    QXString* name = Trim(line);
    int out = WriteFile(name);
    _qxStrRelease(name);
    _qxStrRelease(line);
    AppTitle(text("QXScreenKeys"));
    Graphics(320, 240, 0, 2);
    ClsColor(0, 80, 0);
    Cls();
    Flip(0);
    writeLine(out, text("ready"));

    if (!waitForKey(KeyReturn)) return;
    QXString* report = text("click");
    appendInt(&report, MouseHit(1));
    appendInt(&report, GetMouse());
    appendInt(&report, GetMouse());
    appendInt(&report, GetKey());
    appendInt(&report, GetKey());
    writeLine(out, report);

    if (!waitForKey(KeyReturn)) return;
    report = text("typed ");
    for (int c; (c = GetKey()) != 0;) append(&report, Chr(c));
    writeLine(out, report);
    report = text("hits");
    appendInt(&report, KeyHit(KeyA));
    appendInt(&report, KeyHit(KeyO));
    appendInt(&report, KeyHit(KeySpace));
    writeLine(out, report);

    if (!waitForKey(KeyReturn)) return;
    report = text("arrows");
    appendInt(&report, KeyHit(KeyUp));
    appendInt(&report, KeyHit(KeyLeft));
    appendInt(&report, KeyHit(KeyDown_));
    appendInt(&report, KeyHit(KeyRight));
    append(&report, text(" chars"));
    for (int c; (c = GetKey()) != 0;) appendInt(&report, c);
    writeLine(out, report);

    /* A held key: down while held, one hit however long it repeats. */
    for (int i = 0; i < 1000 && !KeyDown(KeyX); ++i) Delay(20);
    report = text("x down");
    appendInt(&report, KeyHit(KeyX));
    writeLine(out, report);
    for (int i = 0; i < 1000 && KeyDown(KeyX); ++i) Delay(20);
    int repeats = 0;
    while (GetKey() == 'x') ++repeats;
    report = text("x up");
    appendInt(&report, KeyHit(KeyX));
    append(&report, text(repeats > 1 ? " repeated" : " once"));
    writeLine(out, report);

    if (!waitForKey(KeyEscape)) return;
    report = text("wheel");
    appendInt(&report, MouseZ());
    appendInt(&report, MouseZSpeed());
    appendInt(&report, MouseZSpeed());
    writeLine(out, report);
    CloseFile(out);
}
