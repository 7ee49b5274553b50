#pragma once
// A GUI driver for tests: its gadgets act on no native control but log every
// native call ("button2 setShape 1,2,3,4"), so that tests can check what the
// portable gadget code asks of a binding, and in which order.

#include <string>
#include <vector>

#include "events/QXFont.h"
#include "gui/QXGadget.h"
#include "gui/QXGuiDriver.h"

// A font that measures nothing; tests count references on it.
class TestFont : public QXFont {
public:
    int width() override { return 8; }
    int height() override { return 12; }
    int ascent() override { return 10; }
    int descent() override { return 2; }
    QXTextSize measure(const QXString*) override { return {}; }
    QXString* name() override;
    int size() override { return 12; }
    int style() override { return 0; }
};

class GuiTestDriver : public QXGuiDriver {
public:
    GuiTestDriver();
    ~GuiTestDriver();

    // Makes the desktop (as a group of `desktopWidth` x `desktopHeight`) and
    // the default font, and becomes the running driver.
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
    QXGroup* desktop() override { return desktop_; }

    // Starts the driver in a module list of its own (so that the runtime's
    // modules never see it) and stops it again.
    void start();
    void stop();

    QXFont* defaultFont() const { return defaultFont_; }
    // Window client areas are the outer shape less these insets.
    int windowInsetWidth = 8;
    int windowInsetHeight = 30;
    // When false, gadgets keep quiet (for benchmarks).
    bool logging = true;

    std::vector<std::string> log;
    // The log entries since the last call.
    std::vector<std::string> takeLog();
    void write(const std::string& line) {
        if (logging) log.push_back(line);
    }
    std::string nameFor(const char* kind);

private:
    template <class Gadget> QXGadget* make(const char* kind, QXGroup* group, int style);

    QXGroup* desktop_ = nullptr;
    QXFont* defaultFont_ = nullptr;
    int made_ = 0;
};

// The log name of a gadget the test driver made ("" for others).
std::string testGadgetName(const QXGadget* gadget);
