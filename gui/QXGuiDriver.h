#pragma once
// The GUI driver: the module (subsystem "Gui") that makes every native
// gadget. One driver runs at a time; every GUI command reaches it through
// guiDriver().

#include "runtime/QXModule.h"

class QXFont;
class QXGadget;
class QXGroup;
class QXIconStrip;
class QXPixmap;
class QXString;

class QXGuiDriver : public QXModule {
public:
    using QXModule::QXModule;

    // Each create operation makes the native gadget of its kind as the last
    // child of `group` (none only for a top-level window), in the driver's
    // default font, hidden, with its shape still empty. The result holds one
    // reference, the caller's.
    virtual QXGadget* createLabel(QXGroup* group, int style) = 0;
    virtual QXGadget* createButton(QXGroup* group, int style) = 0;
    virtual QXGadget* createTextField(QXGroup* group, int style) = 0;
    virtual QXGadget* createSlider(QXGroup* group, int style) = 0;
    virtual QXGadget* createProgBar(QXGroup* group, int style) = 0;
    virtual QXGadget* createComboBox(QXGroup* group, int style) = 0;
    virtual QXGadget* createListBox(QXGroup* group, int style) = 0;
    virtual QXGadget* createTreeView(QXGroup* group, int style) = 0;
    virtual QXGadget* createTextArea(QXGroup* group, int style) = 0;
    virtual QXGadget* createToolBar(QXGroup* group, int style) = 0;
    virtual QXGadget* createHtmlView(QXGroup* group, int style) = 0;
    // A window without a group is also owned by the driver's module.
    virtual QXGadget* createWindow(QXGroup* group, int style) = 0;
    virtual QXGadget* createTabber(QXGroup* group, int style) = 0;
    virtual QXGadget* createPanel(QXGroup* group, int style) = 0;
    virtual QXGadget* createSplitter(QXGroup* group, int style) = 0;
    // The desktop group, made when the driver started; the driver owns it.
    virtual QXGroup* desktop() = 0;

    // Icon strips and requesters. Until their commands exist, drivers answer
    // with the failure values: no strip, no font, no colour, empty texts.
    virtual QXIconStrip* loadIconStrip(QXPixmap* pixmap);
    virtual void notify(QXString* text, bool serious);
    virtual int confirm(QXString* text, bool serious);
    virtual int proceed(QXString* text, bool serious);
    virtual QXFont* requestFont();
    virtual bool requestColour(int& colour);
    virtual QXString* requestDirectory(QXString* prompt, QXString* path);
    virtual QXString* requestFile(QXString* prompt, QXString* extensions, bool save, QXString* defaultName);
};

// The running driver, or null.
void setGuiDriver(QXGuiDriver* driver);
QXGuiDriver* guiDriver();
