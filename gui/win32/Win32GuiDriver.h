#pragma once
// The native GUI driver: makes every gadget over a Windows control.

#include "gui/QXGuiDriver.h"

class Win32Font;
class Win32Desktop;

class Win32GuiDriver : public QXGuiDriver {
public:
    Win32GuiDriver();

    // Common controls, the rich edit library, the default font and the
    // desktop; then becomes the running driver.
    bool startup() override;
    void shutdown() override;

    QXGadget* createLabel(QXGroup* group, int style) override;
    QXGadget* createButton(QXGroup* group, int style) override;
    QXGadget* createTextField(QXGroup* group, int style) override;
    QXGadget* createSlider(QXGroup* group, int style) override;
    QXGadget* createProgBar(QXGroup* group, int style) override;
    QXGadget* createComboBox(QXGroup* group, int style) override;
    QXGadget* createListBox(QXGroup* group, int style) override;
    QXGadget* createTreeView(QXGroup* group, int style) override;
    QXGadget* createTextArea(QXGroup* group, int style) override;
    QXGadget* createToolBar(QXGroup* group, int style) override;
    QXGadget* createHtmlView(QXGroup* group, int style) override;
    QXGadget* createWindow(QXGroup* group, int style) override;
    QXGadget* createTabber(QXGroup* group, int style) override;
    QXGadget* createPanel(QXGroup* group, int style) override;
    QXGadget* createSplitter(QXGroup* group, int style) override;
    QXGroup* desktop() override;
    QXIconStrip* loadIconStrip(QXPixmap* pixmap) override;  // Win32IconStrip.cpp

    Win32Font* defaultFont() const { return defaultFont_; }

private:
    template <class Gadget> QXGadget* make(const char* kind, QXGroup* group, int style);

    Win32Font* defaultFont_ = nullptr;
    Win32Desktop* desktop_ = nullptr;
};

extern Win32GuiDriver theWin32GuiDriver;
