/* Every requester in turn, answered by a person at the keyboard and mouse
   (the script tests/e2e/requesters.sh). The program gets a folder on its
   command line and writes what each requester returned to report.txt in it,
   a line as soon as the requester has closed, so the script knows when the
   next one opens:
     ready                       the window is up
     confirm 1, confirm 0        OK, then Cancel
     proceed 1, 0, -1, -1        Yes, No, Cancel, then the close box
     notify plain, notify serious
     dir, dir <folder>           the folder chooser cancelled, then a folder chosen
     font <name> <size>          a chosen font accepted, then cancelled (0)
     colour <ok> <r> <g> <b>     a colour accepted, then cancelled
     objects <difference>        live objects at the end minus at the start
   Message boxes take their caption from the application title "QXAsk"; the
   folder chooser starts in pick\second of the folder given. */
#include "qxprog.h"
#include "qxtest.h"

static int out;

/* Seeking in place empties the file's buffer, so the script sees each line
   as soon as it is written. */
static void writeLine(QXString* line) {
    WriteLine(out, line);
    _qxStrRelease(line);
    SeekFile(out, FilePos(out));
}

static void labelled(const char* label, int value) {
    QXString* line = text(label);
    appendInt(&line, value);
    writeLine(line);
}

static int confirm(int serious) {
    QXString* question = text("Keep going?");
    int answer = Confirm(question, serious);
    _qxStrRelease(question);
    return answer;
}

static int proceed(int serious) {
    QXString* question = text("Save the changes?");
    int answer = Proceed(question, serious);
    _qxStrRelease(question);
    return answer;
}

static void notify(const char* message, int serious, const char* label) {
    QXString* s = text(message);
    Notify(s, serious);
    _qxStrRelease(s);
    writeLine(text(label));
}

static void requestDir(QXString* start) {
    QXString* prompt = text("Pick a folder");
    QXString* line = text("dir ");
    append(&line, RequestDir(prompt, start));
    _qxStrRelease(prompt);
    writeLine(line);
}

static void requestFont(void) {
    int font = RequestFont();
    QXString* line = text("font");
    if (font) {
        append(&line, text(" "));
        append(&line, FontName(font));
        appendInt(&line, FontSize(font));
        FreeFont(font);
    } else {
        appendInt(&line, 0);
    }
    writeLine(line);
}

static void requestColour(int red, int green, int blue) {
    QXString* line = text("colour");
    appendInt(&line, RequestColor(red, green, blue));
    appendInt(&line, RequestedRed());
    appendInt(&line, RequestedGreen());
    appendInt(&line, RequestedBlue());
    writeLine(line);
}

void qxmain(void) {
    QXString* arguments = CommandLine();
    QXString* folder = Trim(arguments);
    _qxStrRelease(arguments);
    QXString* backslash = text("\\");
    QXString* prefix = _qxStrConcat(folder, backslash);
    QXString* reportName = text("report.txt");
    QXString* report = _qxStrConcat(prefix, reportName);
    out = WriteFile(report);
    _qxStrRelease(report);
    _qxStrRelease(reportName);
    QXString* startName = text("pick\\second");
    QXString* start = _qxStrConcat(prefix, startName);
    _qxStrRelease(startName);
    _qxStrRelease(prefix);
    _qxStrRelease(backslash);
    _qxStrRelease(folder);

    QXString* title = text("QXAsk");
    AppTitle(title);
    _qxStrRelease(title);
    title = text("QXRequesterAnswers");
    int window = CreateWindow(title, 40, 40, 300, 200, 0, 15);
    _qxStrRelease(title);
    ActivateWindow(window);
    int objects = ActiveObjects();
    writeLine(text("ready"));

    labelled("confirm", confirm(0));
    labelled("confirm", confirm(1));
    labelled("proceed", proceed(0));
    labelled("proceed", proceed(0));
    labelled("proceed", proceed(1));
    labelled("proceed", proceed(0));
    notify("Plain note", 0, "notify plain");
    notify("Serious note", 0x101, "notify serious"); /* only the low byte counts */

    requestDir(start);
    requestDir(start);
    requestFont();
    requestFont();
    requestColour(10, 20, 30);
    requestColour(200, 100, 50);

    labelled("objects", ActiveObjects() - objects);
    _qxStrRelease(start);
    FreeGadget(window);
    CloseFile(out);
}
