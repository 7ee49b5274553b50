#include "gui/QXGuiDriver.h"

#include "core/QXString.h"

namespace {
QXGuiDriver* runningDriver = nullptr;
}

void setGuiDriver(QXGuiDriver* driver) { runningDriver = driver; }
QXGuiDriver* guiDriver() { return runningDriver; }

QXIconStrip* QXGuiDriver::loadIconStrip(QXPixmap*) { return nullptr; }
void QXGuiDriver::notify(QXString*, bool) {}
int QXGuiDriver::confirm(QXString*, bool) { return 0; }
int QXGuiDriver::proceed(QXString*, bool) { return -1; }
QXFont* QXGuiDriver::requestFont() { return nullptr; }
bool QXGuiDriver::requestColour(int&) { return false; }
QXString* QXGuiDriver::requestDirectory(QXString*, QXString*) { return emptyString(); }
QXString* QXGuiDriver::requestFile(QXString*, QXString*, bool, QXString*) { return emptyString(); }
