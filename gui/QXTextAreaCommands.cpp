// The text area commands.

#include "core/QXString.h"
#include "events/QXFont.h"
#include "gui/QXGadget.h"
#include "runtime/QXRegistry.h"

namespace {
QXTextArea& areaOf(int handle) { return *checkHandle<QXTextArea>(handle, "TextArea Gadget"); }

void QXCALL SetTextAreaTabs(int area, int tabs) { areaOf(area).setTabs(tabs); }

void QXCALL SetTextAreaFont(int area, int font) {
    QXTextArea& a = areaOf(area);
    a.setFont(checkHandle<QXFont>(font, "Font"));
}

void QXCALL SetTextAreaColor(int area, int red, int green, int blue, int background) {
    QXTextArea& a = areaOf(area);
    if (background != 0) a.setBackgroundColour(red, green, blue);
    else a.setTextColour(red, green, blue);
}

int QXCALL TextAreaLen(int area, int units) { return areaOf(area).length(units); }
int QXCALL TextAreaSelLen(int area, int units) { return areaOf(area).selectionLength(units); }
int QXCALL TextAreaCursor(int area, int units) { return areaOf(area).cursor(units); }
int QXCALL TextAreaChar(int area, int line) { return areaOf(area).characterOfLine(line); }
int QXCALL TextAreaLine(int area, int character) { return areaOf(area).lineOfCharacter(character); }
int QXCALL TextAreaLineLen(int area, int line) { return areaOf(area).lineLength(line); }
void QXCALL AddTextAreaText(int area, QXString* text) { areaOf(area).addText(text); }
void QXCALL SetTextAreaText(int area, QXString* text, int pos, int len, int units) {
    areaOf(area).replaceText(text, pos, len, units);
}
void QXCALL FormatTextAreaText(int area, int red, int green, int blue, int flags, int pos, int len, int units) {
    areaOf(area).formatText(red, green, blue, flags, pos, len, units);
}
QXString* QXCALL TextAreaText(int area, int pos, int len, int units) { return areaOf(area).readText(pos, len, units); }
void QXCALL LockTextArea(int area) { areaOf(area).lock(); }
void QXCALL UnlockTextArea(int area) { areaOf(area).unlock(); }

const QXSymbol commands[] = {
    QX_COMMAND("SetTextAreaTabs%textarea%tabs", SetTextAreaTabs),
    QX_COMMAND("SetTextAreaFont%textarea%font", SetTextAreaFont),
    QX_COMMAND("SetTextAreaColor%textarea%red%green%blue%background=0", SetTextAreaColor),
    QX_COMMAND("%TextAreaLen%textarea%units=1", TextAreaLen),
    QX_COMMAND("%TextAreaSelLen%textarea%units=1", TextAreaSelLen),
    QX_COMMAND("%TextAreaCursor%textarea%units=1", TextAreaCursor),
    QX_COMMAND("%TextAreaChar%textarea%line", TextAreaChar),
    QX_COMMAND("%TextAreaLine%textarea%char", TextAreaLine),
    QX_COMMAND("%TextAreaLineLen%textarea%line", TextAreaLineLen),
    QX_COMMAND("AddTextAreaText%textarea$text", AddTextAreaText),
    QX_COMMAND("SetTextAreaText%textarea$text%pos=0%len=-1%units=1", SetTextAreaText),
    QX_COMMAND("FormatTextAreaText%textarea%red%green%blue%flags%pos=0%len=-1%units=1", FormatTextAreaText),
    QX_COMMAND("$TextAreaText%textarea%pos=0%len=-1%units=1", TextAreaText),
    QX_COMMAND("LockTextArea%textarea", LockTextArea),
    QX_COMMAND("UnlockTextArea%textarea", UnlockTextArea),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Gui, commands);
}  // namespace
