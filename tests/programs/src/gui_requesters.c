/* Every requester in turn, each answered from outside by its default button.
   Prints what each returned and whether the focus came back to the text
   field that had it. */
#include "qxprog.h"
#include "qxtest.h"

#define WINAPI __attribute__((stdcall))
static int(WINAPI* getFocus)(void);
static struct __attribute__((packed)) {
    char user32[sizeof "user32.dll"];
    char n1[sizeof "GetFocus"]; void* s1;
    char userEnd;
    char tableEnd;
} libs = {"user32.dll", "GetFocus", &getFocus, 0, 0};
static void* constants[] = {0};

static void show(const char* bytes) {
    QXString* s = text(bytes);
    Write(s);
    _qxStrRelease(s);
}

static void showInt(int value) {
    QXString* s = _qxStrFromInt(value);
    Write(s);
    _qxStrRelease(s);
}

static void line(const char* label, int value) {
    show(label);
    show(" ");
    showInt(value);
    show("\n");
}

static void lineText(const char* label, QXString* value) {
    show(label);
    show(" ");
    Write(value);
    _qxStrRelease(value);
    show("\n");
}

static int field;
static int focusBack(void) { return getFocus() == QueryObject(field, 1); }

void qxmain(void) {
    _qxInitCStrs(constants);
    _qxLoadLibs(&libs);
    QXString* title = text("QXRequesters");
    int window = CreateWindow(title, 40, 40, 300, 200, 0, 15);
    _qxStrRelease(title);
    field = CreateTextField(10, 10, 200, 24, window, 0);
    ActivateWindow(window);
    ActivateGadget(field);
    line("focus", focusBack());

    QXString* s = text("Plain note");
    Notify(s, 0);
    _qxStrRelease(s);
    s = text("Serious note");
    Notify(s, 0x100); /* only the low byte counts */
    _qxStrRelease(s);
    s = text("Sure?");
    line("confirm", Confirm(s, 1));
    _qxStrRelease(s);
    s = text("Save changes?");
    line("proceed", Proceed(s, 0));
    _qxStrRelease(s);
    line("focus", focusBack());

    line("red before", RequestedRed());
    line("colour", RequestColor(10, 20, 30));
    line("rgb", RequestedRed() * 65536 + RequestedGreen() * 256 + RequestedBlue());
    line("focus", focusBack());

    QXString* prompt = text("Save as");
    QXString* exts = text("txt,log");
    QXString* name = text("C:/windows/temp/qx-request.txt");
    lineText("file", RequestFile(prompt, exts, 1, name));
    _qxStrRelease(prompt);
    _qxStrRelease(exts);
    _qxStrRelease(name);
    line("focus", focusBack());
    FreeGadget(window);
    line("no owner", Confirm(0, 0) >= 0);
}
