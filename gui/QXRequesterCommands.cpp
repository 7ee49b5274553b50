// The requesters: message boxes and the file, folder, colour and font
// choosers, each a thin wrapper around the GUI driver. None stops the
// program: without a driver, and on cancel or failure, they answer with the
// empty string, 0 or -1.

#include "core/QXString.h"
#include "events/QXFont.h"
#include "gui/QXGuiDriver.h"
#include "runtime/QXRegistry.h"

namespace {
// 0xRRGGBB of the colour last accepted; all ones before the first.
unsigned requestedColour = 0xFFFFFFFF;

bool isSerious(int serious) { return (serious & 0xFF) != 0; }
QXString* orEmpty(QXString* text) { return text ? text : emptyString(); }

void QXCALL Notify(QXString* text, int serious) {
    if (QXGuiDriver* driver = guiDriver()) driver->notify(text, isSerious(serious));
}
int QXCALL Confirm(QXString* text, int serious) {
    QXGuiDriver* driver = guiDriver();
    return driver ? driver->confirm(text, isSerious(serious)) : 0;
}
int QXCALL Proceed(QXString* text, int serious) {
    QXGuiDriver* driver = guiDriver();
    return driver ? driver->proceed(text, isSerious(serious)) : -1;
}

QXString* QXCALL RequestFile(QXString* prompt, QXString* extensions, int save, QXString* defaultName) {
    QXGuiDriver* driver = guiDriver();
    return orEmpty(driver ? driver->requestFile(prompt, extensions, save != 0, defaultName) : nullptr);
}
QXString* QXCALL RequestDir(QXString* prompt, QXString* path) {
    QXGuiDriver* driver = guiDriver();
    return orEmpty(driver ? driver->requestDirectory(prompt, path) : nullptr);
}

int QXCALL RequestColor(int red, int green, int blue) {
    QXGuiDriver* driver = guiDriver();
    int colour = red * 65536 + green * 256 + blue;
    if (!driver || !driver->requestColour(colour)) return 0;
    requestedColour = static_cast<unsigned>(colour) & 0xFFFFFF;
    return 1;
}
int QXCALL RequestedRed() { return static_cast<int>((requestedColour >> 16) & 0xFF); }
int QXCALL RequestedGreen() { return static_cast<int>((requestedColour >> 8) & 0xFF); }
int QXCALL RequestedBlue() { return static_cast<int>(requestedColour & 0xFF); }

int QXCALL RequestFont() {
    QXGuiDriver* driver = guiDriver();
    return driver ? handleOf(driver->requestFont()) : 0;
}

const QXSymbol commands[] = {
    QX_COMMAND("Notify$text%serious=0", Notify),
    QX_COMMAND("%Confirm$text%serious=0", Confirm),
    QX_COMMAND("%Proceed$text%serious=0", Proceed),
    QX_COMMAND("$RequestFile$prompt=\"\"$exts=\"\"%save=0$defname=\"\"", RequestFile),
    QX_COMMAND("$RequestDir$prompt=\"\"$path=\"\"", RequestDir),
    QX_COMMAND("%RequestColor%red=255%green=255%blue=255", RequestColor),
    QX_COMMAND("%RequestedRed", RequestedRed),
    QX_COMMAND("%RequestedGreen", RequestedGreen),
    QX_COMMAND("%RequestedBlue", RequestedBlue),
    QX_COMMAND("%RequestFont", RequestFont),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Gui, commands);
}  // namespace
