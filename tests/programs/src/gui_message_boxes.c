/* Every message box the commands show, each answered from outside with the
   button the test asks for (GuiRequesters.MessageBoxFlagWordsAndAnswers).
   Prints each result on a line of its own; ends with a runtime error, whose
   box is the last one. The text of each box names the call. */
#include "qxprog.h"
#include "qxtest.h"

static void result(const char* label, int value) {
    put(Write, label);
    number(value);
    put(Print, "");
}

static void notify(const char* message, int serious) {
    QXString* s = text(message);
    Notify(s, serious);
    _qxStrRelease(s);
    put(Print, message);
}

static void confirm(const char* message, int serious) {
    QXString* s = text(message);
    int answer = Confirm(s, serious);
    _qxStrRelease(s);
    put(Write, message);
    result(" ", answer);
}

static void proceed(const char* message, int serious) {
    QXString* s = text(message);
    int answer = Proceed(s, serious);
    _qxStrRelease(s);
    put(Write, message);
    result(" ", answer);
}

void qxmain(void) {
    notify("notify plain", 0);
    notify("notify plain closed", 0);
    notify("notify serious", 1);
    confirm("confirm plain", 0);
    confirm("confirm plain", 0);
    confirm("confirm plain", 0);
    confirm("confirm serious", 1);
    confirm("confirm serious", 1);
    /* Only the low byte of the serious flag counts. */
    confirm("confirm 256", 256);
    proceed("proceed plain", 0);
    proceed("proceed plain", 0);
    proceed("proceed plain", 0);
    proceed("proceed plain", 0);
    proceed("proceed serious", 1);
    proceed("proceed serious", 1);
    proceed("proceed serious", 1);
    QXString* s = text("stopped here");
    RuntimeError(s);
}
