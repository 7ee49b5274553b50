#include "GuiTestDriver.h"

#include "core/QXString.h"

QXString* TestFont::name() { return newString("TestFont"); }

namespace {
QXModuleList& privateModules() {
    static QXModuleList list;
    return list;
}

std::string shapeText(int x, int y, int width, int height) {
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," + std::to_string(height);
}

// Every test gadget names itself in the log.
class Named {
public:
    Named(GuiTestDriver& driver, std::string name) : driver_(driver), name_(std::move(name)) {}
    const std::string& name() const { return name_; }

protected:
    void note(const std::string& what) { driver_.write(name_ + " " + what); }
    GuiTestDriver& driver_;

private:
    std::string name_;
};

template <class Base> class TestGadget : public Base, public Named {
public:
    TestGadget(GuiTestDriver& driver, const std::string& name, QXGroup* group, int style)
        : Base(group, style), Named(driver, name) {
        note("create style " + std::to_string(style));
    }
    ~TestGadget() override { note("destroy"); }

    void setFont(QXFont* font) override {
        note(font ? "setFont" : "setFont none");
        this->storeFont(font);
    }
    void setText(QXString* text) override {
        note("setText " + std::string(stringCText(text)));
        Base::setText(text);
    }
    void setShape(int x, int y, int width, int height) override {
        if (driver_.logging) note("setShape " + shapeText(x, y, width, height));
        shapeFromNative(x, y, width, height);
    }
    void setVisible(bool visible) override {
        note(visible ? "show" : "hide");
        this->storeVisible(visible);
    }
    void setEnabled(bool enabled) override {
        note(enabled ? "enable" : "disable");
        this->storeEnabled(enabled);
    }
    void activate() override { note("activate"); }

protected:
    virtual void shapeFromNative(int x, int y, int width, int height) { this->storeShape(x, y, width, height); }
};

template <class Base> class TestGroup : public TestGadget<Base> {
public:
    TestGroup(GuiTestDriver& driver, const std::string& name, QXGroup* group, int style, int insetWidth = 0,
              int insetHeight = 0)
        : TestGadget<Base>(driver, name, group, style), insetWidth_(insetWidth), insetHeight_(insetHeight) {}

    void getClientArea(int& x, int& y, int& width, int& height) override {
        const QXShape s = this->shape();
        x = 0;
        y = 0;
        width = s.width - insetWidth_;
        height = s.height - insetHeight_;
    }

protected:
    void shapeFromNative(int x, int y, int width, int height) override { QXGroup::setShape(x, y, width, height); }

private:
    int insetWidth_;
    int insetHeight_;
};

// The desktop takes no argument; it is made once with its shape.
class TestDesktop : public QXDesktop, public Named {
public:
    TestDesktop(GuiTestDriver& driver) : Named(driver, "desktop") { QXGroup::setShape(0, 0, 1024, 768); }
    void setFont(QXFont*) override {}
    void setShape(int, int, int, int) override {}
    void setVisible(bool) override {}
    void setEnabled(bool) override {}
    void activate() override {}
    void getClientArea(int& x, int& y, int& width, int& height) override {
        x = 0;
        y = 0;
        width = 1024;
        height = 768;
    }
};
}  // namespace

std::string testGadgetName(const QXGadget* gadget) {
    auto* named = dynamic_cast<const Named*>(gadget);
    return named ? named->name() : std::string();
}

GuiTestDriver::GuiTestDriver() : QXGuiDriver(privateModules()) {
    registerModule("GuiTestDriver", nullptr, nullptr);
}

GuiTestDriver::~GuiTestDriver() = default;

bool GuiTestDriver::startup() {
    made_ = 0;
    defaultFont_ = new TestFont;
    addModuleResource(defaultFont_);
    desktop_ = new TestDesktop(*this);
    addModuleResource(desktop_);
    setGuiDriver(this);
    return true;
}

void GuiTestDriver::shutdown() {
    if (guiDriver() == this) setGuiDriver(nullptr);
    desktop_ = nullptr;
    defaultFont_ = nullptr;
}

void GuiTestDriver::start() { privateModules().startModule(this); }
void GuiTestDriver::stop() { privateModules().stopModule(this); }

std::vector<std::string> GuiTestDriver::takeLog() {
    std::vector<std::string> taken;
    taken.swap(log);
    return taken;
}

std::string GuiTestDriver::nameFor(const char* kind) { return kind + std::to_string(++made_); }

template <class Gadget> QXGadget* GuiTestDriver::make(const char* kind, QXGroup* group, int style) {
    QXGadget* gadget = new Gadget(*this, nameFor(kind), group, style);
    gadget->setFont(defaultFont_);
    return gadget;
}

QXGadget* GuiTestDriver::createLabel(QXGroup* g, int s) { return make<TestGadget<QXLabel>>("label", g, s); }
QXGadget* GuiTestDriver::createButton(QXGroup* g, int s) { return make<TestGadget<QXButton>>("button", g, s); }
QXGadget* GuiTestDriver::createTextField(QXGroup* g, int s) { return make<TestGadget<QXTextField>>("field", g, s); }
QXGadget* GuiTestDriver::createSlider(QXGroup* g, int s) { return make<TestGadget<QXSlider>>("slider", g, s); }
QXGadget* GuiTestDriver::createProgBar(QXGroup* g, int s) { return make<TestGadget<QXProgBar>>("progbar", g, s); }
QXGadget* GuiTestDriver::createComboBox(QXGroup* g, int s) { return make<TestGadget<QXComboBox>>("combo", g, s); }
QXGadget* GuiTestDriver::createListBox(QXGroup* g, int s) { return make<TestGadget<QXListBox>>("list", g, s); }
QXGadget* GuiTestDriver::createTreeView(QXGroup* g, int s) { return make<TestGadget<QXTreeView>>("tree", g, s); }
QXGadget* GuiTestDriver::createTextArea(QXGroup* g, int s) { return make<TestGadget<QXTextArea>>("area", g, s); }
QXGadget* GuiTestDriver::createToolBar(QXGroup* g, int s) { return make<TestGadget<QXToolBar>>("toolbar", g, s); }
QXGadget* GuiTestDriver::createHtmlView(QXGroup* g, int s) { return make<TestGadget<QXHtmlView>>("html", g, s); }
QXGadget* GuiTestDriver::createTabber(QXGroup* g, int s) { return make<TestGroup<QXTabber>>("tabber", g, s); }
QXGadget* GuiTestDriver::createPanel(QXGroup* g, int s) { return make<TestGroup<QXPanel>>("panel", g, s); }
QXGadget* GuiTestDriver::createSplitter(QXGroup* g, int s) { return make<TestGroup<QXSplitter>>("splitter", g, s); }

QXGadget* GuiTestDriver::createWindow(QXGroup* group, int style) {
    auto* window = new TestGroup<QXWindow>(*this, nameFor("window"), group, style, windowInsetWidth, windowInsetHeight);
    window->setFont(defaultFont_);
    if (!group) addModuleResource(window);
    return window;
}
