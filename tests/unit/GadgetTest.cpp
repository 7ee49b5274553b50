// The portable gadget tree on the logging test driver: creation steps,
// layout, freeing, reference counts and the handle checks of the commands.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "GuiTestDriver.h"
#include "TestSupport.h"
#include "core/QXString.h"
#include "gui/QXGadget.h"
#include "gui/QXLayout.h"

namespace {
using Strings = std::vector<std::string>;

struct GadgetCommands {
    using Create7 = int(QXCALL*)(QXString*, int, int, int, int, int, int);
    using Create6 = int(QXCALL*)(int, int, int, int, int, int);
    Create7 createLabel = command<Create7>("%CreateLabel$text%x%y%width%height%group%style=0");
    Create7 createButton = command<Create7>("%CreateButton$text%x%y%width%height%group%style=1");
    Create6 createTextField = command<Create6>("%CreateTextField%x%y%width%height%group%style=0");
    Create6 createSlider = command<Create6>("%CreateSlider%x%y%width%height%group%style=1");
    Create6 createProgBar = command<Create6>("%CreateProgBar%x%y%width%height%group%style=0");
    Create6 createComboBox = command<Create6>("%CreateComboBox%x%y%width%height%group%style=0");
    Create6 createListBox = command<Create6>("%CreateListBox%x%y%width%height%group%style=0");
    Create6 createTreeView = command<Create6>("%CreateTreeView%x%y%width%height%group%style=0");
    Create6 createTextArea = command<Create6>("%CreateTextArea%x%y%width%height%group%style=0");
    Create7 createToolBar = command<Create7>("%CreateToolBar$icons%x%y%width%height%group%style=0");
    Create6 createHtmlView = command<Create6>("%CreateHtmlView%x%y%width%height%group%style=0");
    Create7 createWindow = command<Create7>("%CreateWindow$text%x%y%width%height%group=0%style=15");
    Create6 createTabber = command<Create6>("%CreateTabber%x%y%width%height%group%style=0");
    Create6 createPanel = command<Create6>("%CreatePanel%x%y%width%height%group%style=0");
    void(QXCALL* freeGadget)(int) = command<void(QXCALL*)(int)>("FreeGadget%gadget");
    void(QXCALL* setShape)(int, int, int, int, int) =
        command<void(QXCALL*)(int, int, int, int, int)>("SetGadgetShape%gadget%x%y%width%height");
    void(QXCALL* setLayout)(int, int, int, int, int) =
        command<void(QXCALL*)(int, int, int, int, int)>("SetGadgetLayout%gadget%left%right%top%bottom");
    void(QXCALL* setText)(int, QXString*) = command<void(QXCALL*)(int, QXString*)>("SetGadgetText%gadget$text");
    void(QXCALL* setFont)(int, int) = command<void(QXCALL*)(int, int)>("SetGadgetFont%gadget%font");
    void(QXCALL* show)(int) = command<void(QXCALL*)(int)>("ShowGadget%gadget");
    void(QXCALL* hide)(int) = command<void(QXCALL*)(int)>("HideGadget%gadget");
    void(QXCALL* enable)(int) = command<void(QXCALL*)(int)>("EnableGadget%gadget");
    void(QXCALL* disable)(int) = command<void(QXCALL*)(int)>("DisableGadget%gadget");
    void(QXCALL* activate)(int) = command<void(QXCALL*)(int)>("ActivateGadget%gadget");
    int(QXCALL* x)(int) = command<int(QXCALL*)(int)>("%GadgetX%gadget");
    int(QXCALL* y)(int) = command<int(QXCALL*)(int)>("%GadgetY%gadget");
    int(QXCALL* width)(int) = command<int(QXCALL*)(int)>("%GadgetWidth%gadget");
    int(QXCALL* height)(int) = command<int(QXCALL*)(int)>("%GadgetHeight%gadget");
    QXString*(QXCALL* text)(int) = command<QXString*(QXCALL*)(int)>("$GadgetText%gadget");
    int(QXCALL* font)(int) = command<int(QXCALL*)(int)>("%GadgetFont%gadget");
    int(QXCALL* group)(int) = command<int(QXCALL*)(int)>("%GadgetGroup%gadget");
    int(QXCALL* clientWidth)(int) = command<int(QXCALL*)(int)>("%ClientWidth%group");
    int(QXCALL* clientHeight)(int) = command<int(QXCALL*)(int)>("%ClientHeight%group");
    int(QXCALL* desktop)() = command<int(QXCALL*)()>("%Desktop");
};

QXGadget* gadgetAt(int handle) { return reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(handle)); }
QXGroup* groupAt(int handle) { return reinterpret_cast<QXGroup*>(static_cast<std::uintptr_t>(handle)); }

// An owned text to hand to commands as compiled code would.
struct Text {
    explicit Text(const char* s) : string(newString(s)) {}
    ~Text() { release(string); }
    operator QXString*() const { return string; }
    QXString* string;
};

class Gadgets : public testing::Test {
protected:
    void SetUp() override {
        driver.start();
        emptyString();  // the shared strings exist before counting
        startObjects = liveObjectCount();
        window = cmd.createWindow(Text("Main"), 10, 20, 208, 130, 0, 15);  // client 200 x 100
        driver.takeLog();
    }
    void TearDown() override {
        driver.stop();
        setCurrentScreen(nullptr);
    }

    std::string name(int handle) { return testGadgetName(gadgetAt(handle)); }

    GuiTestDriver driver;
    GadgetCommands cmd;
    int startObjects = 0;
    int window = 0;
};
}  // namespace

// ---------------------------------------------------------------- layout

namespace {
// The layout rules computed directly in unsigned 32-bit arithmetic (which
// wraps by definition), for comparison with the gadget code.
struct Wrapped {
    static std::int32_t s(std::uint32_t v) { return static_cast<std::int32_t>(v); }
    static std::int32_t add(std::int32_t a, std::int32_t b) { return s(std::uint32_t(a) + std::uint32_t(b)); }
    static std::int32_t sub(std::int32_t a, std::int32_t b) { return s(std::uint32_t(a) - std::uint32_t(b)); }
    static std::int32_t mul(std::int32_t a, std::int32_t b) { return s(std::uint32_t(a) * std::uint32_t(b)); }
};

void referenceAxis(int r0, int rs, int pw, int lo, int hi, int cur, int curSize, int w, int& outLow, int& outHigh) {
    using W = Wrapped;
    if (w < 1) w = 1;
    if (pw < 1) pw = 1;
    if (lo == 0 && hi == 0) {
        outLow = W::sub(W::mul(w, W::add(r0, rs / 2)) / pw, rs / 2);
        outHigh = W::add(outLow, rs);
        return;
    }
    int left = lo == 1 ? r0 : lo == 2 ? W::mul(w, r0) / pw : cur;
    int right = hi == 1 ? W::sub(W::add(W::add(r0, rs), w), pw) : hi == 2 ? W::mul(w, W::add(r0, rs)) / pw
                                                                            : W::add(cur, curSize);
    if (lo == 0) left = W::sub(right, rs);
    else if (hi == 0) right = W::add(left, rs);
    outLow = left;
    outHigh = right;
}

QXShape referenceLayout(const QXLayoutRules& r, const QXShape& cur, int w, int h) {
    int l, rt, t, b;
    referenceAxis(r.reference.x, r.reference.width, r.referenceClientWidth, r.left, r.right, cur.x, cur.width, w, l, rt);
    referenceAxis(r.reference.y, r.reference.height, r.referenceClientHeight, r.top, r.bottom, cur.y, cur.height, h, t,
                  b);
    return {l, t, Wrapped::sub(rt, l), Wrapped::sub(b, t)};
}
}  // namespace

TEST(GadgetLayout, RulesOfEachCode) {
    QXLayoutRules rules;
    rules.reference = {50, 10, 100, 20};
    rules.referenceClientWidth = 200;
    rules.referenceClientHeight = 100;
    const QXShape at = rules.reference;

    // Aligned on all four edges: grows with the parent, keeps its place.
    rules.left = rules.right = rules.top = rules.bottom = kLayoutAligned;
    EXPECT_EQ(layoutShape(rules, at, 300, 150), (QXShape{50, 10, 200, 70}));
    // Relative: 300 x 50 / 200 = 75, right edge 300 x 150 / 200 = 225.
    rules.left = rules.right = rules.top = rules.bottom = kLayoutRelative;
    rules.reference = {50, 10, 100, 20};
    EXPECT_EQ(layoutShape(rules, at, 300, 100).x, 75);
    EXPECT_EQ(layoutShape(rules, at, 300, 100).width, 150);
    // Centred: 400 x (50 + 50) / 200 - 50 = 150, width kept.
    rules.left = rules.right = rules.top = rules.bottom = kLayoutCentred;
    EXPECT_EQ(layoutShape(rules, at, 400, 100), (QXShape{150, 10, 100, 20}));
    // Right edge only: keeps width and the distance to the right edge (50).
    rules.left = kLayoutCentred;
    rules.right = kLayoutAligned;
    EXPECT_EQ(layoutShape(rules, at, 300, 100).x, 150);
    EXPECT_EQ(layoutShape(rules, at, 300, 100).width, 100);
    // Left edge aligned, right centred: keeps left and width.
    rules.left = kLayoutAligned;
    rules.right = kLayoutCentred;
    EXPECT_EQ(layoutShape(rules, {7, 10, 3, 20}, 300, 100).x, 50);
    EXPECT_EQ(layoutShape(rules, {7, 10, 3, 20}, 300, 100).width, 100);
    // Unknown codes keep the current edges.
    rules.left = rules.right = 7;
    EXPECT_EQ(layoutShape(rules, {7, 10, 3, 20}, 300, 100).x, 7);
    EXPECT_EQ(layoutShape(rules, {7, 10, 3, 20}, 300, 100).width, 3);
    // A client size of 0 (or below) counts as 1.
    rules.left = rules.right = kLayoutRelative;
    EXPECT_EQ(layoutShape(rules, at, 0, 100), layoutShape(rules, at, 1, 100));
    EXPECT_EQ(layoutShape(rules, at, -5, 100), layoutShape(rules, at, 1, 100));
}

TEST(GadgetLayout, RandomShapesMatchWrapped32BitArithmetic) {
    std::mt19937 random(18);
    std::uniform_int_distribution<int> code(0, 3);
    std::uniform_int_distribution<int> small(-3000, 3000);
    std::uniform_int_distribution<int> any(INT32_MIN, INT32_MAX);
    for (int i = 0; i < 20000; ++i) {
        // Mostly ordinary sizes, some huge to make the products wrap.
        auto value = [&] { return i % 4 == 0 ? any(random) : small(random); };
        QXLayoutRules rules;
        rules.reference = {value(), value(), value(), value()};
        rules.referenceClientWidth = std::max(1, value());
        rules.referenceClientHeight = std::max(1, value());
        rules.left = code(random);
        rules.right = code(random);
        rules.top = code(random);
        rules.bottom = code(random);
        const QXShape current{value(), value(), value(), value()};
        const int w = value(), h = value();
        ASSERT_EQ(layoutShape(rules, current, w, h), referenceLayout(rules, current, w, h)) << "case " << i;
    }
}

TEST_F(Gadgets, LayoutFollowsTheWindowAndDoesNotDrift) {
    int a = cmd.createButton(Text("A"), 50, 10, 100, 20, window, 1);
    int b = cmd.createButton(Text("B"), 50, 40, 100, 20, window, 1);
    int c = cmd.createButton(Text("C"), 50, 70, 100, 20, window, 1);
    cmd.setLayout(a, 1, 1, 1, 1);
    cmd.setLayout(b, 2, 2, 2, 2);
    // c keeps the default codes (centred).
    EXPECT_EQ(cmd.clientWidth(window), 200);
    EXPECT_EQ(cmd.clientHeight(window), 100);

    cmd.setShape(window, 10, 20, 308, 180);  // client 300 x 150: grown by 100 x 50
    EXPECT_EQ(cmd.x(a), 50);
    EXPECT_EQ(cmd.y(a), 10);
    EXPECT_EQ(cmd.width(a), 200);
    EXPECT_EQ(cmd.height(a), 70);
    EXPECT_EQ(cmd.x(b), 75);
    EXPECT_EQ(cmd.width(b), 150);
    EXPECT_EQ(cmd.x(c), 300 * 100 / 200 - 50);
    EXPECT_EQ(cmd.width(c), 100);

    // Many odd sizes, then back: every child is where it started.
    for (int i = 0; i < 50; ++i) cmd.setShape(window, 10, 20, 8 + 137 + i * 7, 30 + 91 + i * 3);
    cmd.setShape(window, 10, 20, 208, 130);
    for (int child : {a, b, c}) {
        EXPECT_EQ(cmd.width(child), 100) << name(child);
        EXPECT_EQ(cmd.x(child), 50) << name(child);
    }
    EXPECT_EQ(cmd.y(b), 40);
    EXPECT_EQ(cmd.y(c), 70);

    // A new shape is a new reference: later resizes scale from it.
    cmd.setShape(b, 0, 0, 50, 50);
    cmd.setShape(window, 10, 20, 408, 230);  // client 400 x 200
    EXPECT_EQ(cmd.x(b), 0);
    EXPECT_EQ(cmd.width(b), 100);
    EXPECT_EQ(cmd.height(b), 100);
}

TEST_F(Gadgets, AClientWidthOfZeroCountsAsOne) {
    cmd.setShape(window, 0, 0, 8, 130);  // client width 0
    int a = cmd.createLabel(Text(""), 0, 0, 10, 10, window, 0);
    cmd.setLayout(a, 2, 2, 1, 1);
    EXPECT_EQ(gadgetAt(a)->layoutRules().referenceClientWidth, 1);
    cmd.setShape(window, 0, 0, 8 + 3, 130);  // client 3: scales by 3
    EXPECT_EQ(cmd.width(a), 30);
    // Only the shape, the layout and creation take a reference: hiding or
    // moving the parent does not.
    cmd.hide(window);
    EXPECT_EQ(gadgetAt(a)->layoutRules().referenceClientWidth, 1);
}

// ---------------------------------------------------------------- creation

TEST_F(Gadgets, CreationTakesItsStepsInOrderForEveryKind) {
    struct Case {
        std::string kind;
        std::function<int()> create;
        bool hasText;
    };
    const int g = window;
    const std::vector<Case> cases = {
        {"label", [&] { return cmd.createLabel(Text("L"), 1, 2, 3, 4, g, 3); }, true},
        {"button", [&] { return cmd.createButton(Text("B"), 1, 2, 3, 4, g, 3); }, true},
        {"field", [&] { return cmd.createTextField(1, 2, 3, 4, g, 3); }, false},
        {"slider", [&] { return cmd.createSlider(1, 2, 3, 4, g, 3); }, false},
        {"progbar", [&] { return cmd.createProgBar(1, 2, 3, 4, g, 3); }, false},
        {"combo", [&] { return cmd.createComboBox(1, 2, 3, 4, g, 3); }, false},
        {"list", [&] { return cmd.createListBox(1, 2, 3, 4, g, 3); }, false},
        {"tree", [&] { return cmd.createTreeView(1, 2, 3, 4, g, 3); }, false},
        {"area", [&] { return cmd.createTextArea(1, 2, 3, 4, g, 3); }, false},
        {"toolbar", [&] { return cmd.createToolBar(Text("missing.bmp"), 1, 2, 3, 4, g, 3); }, false},
        {"html", [&] { return cmd.createHtmlView(1, 2, 3, 4, g, 3); }, false},
        {"window", [&] { return cmd.createWindow(Text("W"), 1, 2, 3, 4, g, 3); }, true},
        {"tabber", [&] { return cmd.createTabber(1, 2, 3, 4, g, 3); }, false},
        {"panel", [&] { return cmd.createPanel(1, 2, 3, 4, g, 3); }, false},
    };
    for (const Case& c : cases) {
        const int gadget = c.create();
        const std::string n = name(gadget);
        ASSERT_EQ(n.rfind(c.kind, 0), 0u) << n;
        Strings expected = {n + " create style 3", n + " setFont", n + " setShape 1,2,3,4"};
        // The texts are the kind's initial in capitals.
        if (c.hasText) expected.push_back(n + " setText " + std::string(1, static_cast<char>(c.kind[0] - 'a' + 'A')));
        expected.push_back(n + " show");
        EXPECT_EQ(driver.takeLog(), expected) << c.kind;
        EXPECT_EQ(cmd.group(gadget), window) << c.kind;
        EXPECT_EQ(cmd.font(gadget), handleOf(driver.defaultFont())) << c.kind;
        EXPECT_TRUE(gadgetAt(gadget)->visible());
        EXPECT_EQ(gadgetAt(gadget)->layoutRules().reference, (QXShape{1, 2, 3, 4})) << c.kind;
        EXPECT_EQ(gadgetAt(gadget)->layoutRules().referenceClientWidth, 200) << c.kind;
    }
    EXPECT_EQ(groupAt(window)->children().size(), cases.size());
}

TEST_F(Gadgets, TopLevelWindowsAndTheDesktop) {
    EXPECT_EQ(cmd.group(window), 0);
    const int desktop = cmd.desktop();
    EXPECT_EQ(cmd.clientWidth(desktop), 1024);
    EXPECT_EQ(cmd.clientHeight(desktop), 768);
    // The driver owns the desktop: freeing it does nothing.
    cmd.freeGadget(desktop);
    EXPECT_TRUE(isLiveObject(gadgetAt(desktop)));
    EXPECT_EQ(cmd.desktop(), desktop);
    // A window inside the desktop is an ordinary child.
    int inner = cmd.createWindow(Text("Inner"), 0, 0, 100, 100, desktop, 1);
    EXPECT_EQ(cmd.group(inner), desktop);
    cmd.freeGadget(inner);
    cmd.freeGadget(0);  // nothing
}

TEST_F(Gadgets, CommonCommandsReachTheNativeSide) {
    int b = cmd.createButton(Text("OK"), 0, 0, 10, 10, window, 1);
    driver.takeLog();
    const std::string n = name(b);
    cmd.hide(b);
    cmd.show(b);
    cmd.disable(b);
    cmd.enable(b);
    cmd.activate(b);
    cmd.setText(b, Text("Cancel"));
    cmd.setText(b, nullptr);
    cmd.setShape(b, -1, -2, 30, 40);
    EXPECT_EQ(driver.takeLog(), (Strings{n + " hide", n + " show", n + " disable", n + " enable", n + " activate",
                                         n + " setText Cancel", n + " setText ", n + " setShape -1,-2,30,40"}));
    EXPECT_EQ(cmd.x(b), -1);
    EXPECT_EQ(cmd.y(b), -2);
    EXPECT_EQ(cmd.width(b), 30);
    EXPECT_EQ(cmd.height(b), 40);
    EXPECT_TRUE(gadgetAt(b)->enabled());
    // A layout change takes a reference but moves nothing.
    cmd.setLayout(b, 1, 2, 0, 1);
    EXPECT_TRUE(driver.takeLog().empty());
    const QXLayoutRules& rules = gadgetAt(b)->layoutRules();
    EXPECT_EQ(rules.left, 1);
    EXPECT_EQ(rules.right, 2);
    EXPECT_EQ(rules.top, 0);
    EXPECT_EQ(rules.bottom, 1);
}

// ---------------------------------------------------------------- freeing

TEST_F(Gadgets, FreeingAWindowFreesItsChildrenDepthFirst) {
    int panel = cmd.createPanel(0, 0, 100, 100, window, 0);
    int inner = cmd.createButton(Text("in"), 0, 0, 10, 10, panel, 1);
    int label = cmd.createLabel(Text("after"), 0, 0, 10, 10, window, 0);
    const std::string w = name(window), p = name(panel), i = name(inner), l = name(label);
    driver.takeLog();
    cmd.freeGadget(window);
    EXPECT_EQ(driver.takeLog(), (Strings{i + " destroy", p + " destroy", l + " destroy", w + " destroy"}));
    EXPECT_EQ(liveObjectCount(), startObjects);
    // Dead handles are refused from now on.
    EXPECT_EQ(runtimeErrorOf([&] { cmd.x(inner); }), "Invalid Gadget handle");
}

TEST_F(Gadgets, AChildHeldElsewhereStopsTheFreeingAndTheEndStaysClean) {
    int first = cmd.createButton(Text("first"), 0, 0, 10, 10, window, 1);
    int held = cmd.createButton(Text("held"), 0, 0, 10, 10, window, 1);
    int last = cmd.createLabel(Text("last"), 0, 0, 10, 10, window, 0);
    const std::string f = name(first), h = name(held), w = name(window);
    retain(gadgetAt(held));
    driver.takeLog();
    EXPECT_EQ(runtimeErrorOf([&] { cmd.freeGadget(window); }), "Error removing child gadget");
    // The first child went; the held one and the rest lost their parent; the window is gone.
    EXPECT_EQ(driver.takeLog(), (Strings{f + " destroy", w + " destroy"}));
    EXPECT_FALSE(isLiveObject(gadgetAt(window)));
    EXPECT_EQ(cmd.group(held), 0);
    EXPECT_EQ(cmd.group(last), 0);
    // The end of the program frees the driver's module: nothing is freed twice.
    driver.stop();
    EXPECT_TRUE(isLiveObject(gadgetAt(held)));
    release(gadgetAt(held));
    release(gadgetAt(held));
    release(gadgetAt(last));
    EXPECT_EQ(liveObjectCount(), startObjects - 3);  // the driver's desktop, default font and module root
    driver.start();
}

TEST_F(Gadgets, AHeldGrandchildIsReportedOnceAfterTheWholeTreeWent) {
    int panel = cmd.createPanel(0, 0, 100, 100, window, 0);
    int held = cmd.createButton(Text("held"), 0, 0, 10, 10, panel, 1);
    int sibling = cmd.createLabel(Text("sibling"), 0, 0, 10, 10, window, 0);
    retain(gadgetAt(held));
    EXPECT_EQ(runtimeErrorOf([&] { cmd.freeGadget(window); }), "Error removing child gadget");
    EXPECT_FALSE(isLiveObject(gadgetAt(panel)));
    EXPECT_FALSE(isLiveObject(gadgetAt(sibling)));
    EXPECT_FALSE(isLiveObject(gadgetAt(window)));
    release(gadgetAt(held));
    release(gadgetAt(held));
    EXPECT_EQ(liveObjectCount(), startObjects);
}

TEST_F(Gadgets, TheModuleEndFreesTopLevelWindowsLeftBehind) {
    cmd.createButton(Text("x"), 0, 0, 10, 10, window, 1);
    cmd.createWindow(Text("second"), 0, 0, 10, 10, 0, 1);
    driver.stop();
    EXPECT_EQ(liveObjectCount(), startObjects - 3);
    driver.start();
}

// ---------------------------------------------------------------- handles

TEST_F(Gadgets, WrongHandlesStopWithTheKindExpected) {
    int button = cmd.createButton(Text("b"), 0, 0, 10, 10, window, 1);
    int dead = cmd.createButton(Text("d"), 0, 0, 10, 10, window, 1);
    cmd.freeGadget(dead);
    Text notAGadget("text");
    Text empty("");
    const int textHandle = handleOf(notAGadget.string);

    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { cmd.createLabel(empty, 0, 0, 1, 1, button, 0); }, "Invalid Group Gadget handle"},
        {[&] { cmd.createLabel(empty, 0, 0, 1, 1, dead, 0); }, "Invalid Group Gadget handle"},
        {[&] { cmd.createLabel(empty, 0, 0, 1, 1, 0, 0); }, "Invalid Group Gadget handle"},
        {[&] { cmd.createPanel(0, 0, 1, 1, 0, 0); }, "Invalid Group Gadget handle"},
        {[&] { cmd.createTabber(0, 0, 1, 1, 0, 0); }, "Invalid Group Gadget handle"},
        {[&] { cmd.createWindow(empty, 0, 0, 1, 1, button, 0); }, "Invalid Group Gadget handle"},
        {[&] { cmd.clientWidth(button); }, "Invalid Group Gadget handle"},
        {[&] { cmd.clientHeight(0); }, "Invalid Group Gadget handle"},
        {[&] { cmd.x(dead); }, "Invalid Gadget handle"},
        {[&] { cmd.setText(0, nullptr); }, "Invalid Gadget handle"},
        {[&] { cmd.freeGadget(textHandle); }, "Invalid Gadget handle"},
        {[&] { cmd.freeGadget(dead); }, "Invalid Gadget handle"},
        {[&] { cmd.setFont(button, textHandle); }, "Invalid Font handle"},
        {[&] { cmd.setFont(button, 0); }, "Invalid Font handle"},
        {[&] { cmd.setFont(dead, handleOf(driver.defaultFont())); }, "Invalid Gadget handle"},
    };
    const std::size_t childrenBefore = groupAt(window)->children().size();
    for (const auto& [body, message] : cases) EXPECT_EQ(runtimeErrorOf(body), message);
    // Nothing was made by the refused creations.
    EXPECT_EQ(groupAt(window)->children().size(), childrenBefore);
}

TEST_F(Gadgets, FontAndTextReferencesAreCounted) {
    int button = cmd.createButton(Text("b"), 0, 0, 10, 10, window, 1);
    auto* font = new TestFont;
    const int defaultCount = driver.defaultFont()->refCount;

    cmd.setFont(button, handleOf(font));
    EXPECT_EQ(font->refCount, 2);
    EXPECT_EQ(driver.defaultFont()->refCount, defaultCount - 1);
    cmd.setFont(button, handleOf(font));  // the same font again survives
    EXPECT_EQ(font->refCount, 2);
    EXPECT_EQ(cmd.font(button), handleOf(font));
    EXPECT_EQ(font->refCount, 2) << "GadgetFont adds no reference";

    QXString* text = newString("counted");
    cmd.setText(button, text);
    EXPECT_EQ(text->refCount, 2);
    cmd.setText(button, text);
    EXPECT_EQ(text->refCount, 2);
    QXString* got = cmd.text(button);
    EXPECT_EQ(got, text);
    EXPECT_EQ(text->refCount, 3) << "GadgetText hands out a reference of its own";
    release(got);
    cmd.setText(button, Text("other"));
    EXPECT_EQ(text->refCount, 1);
    release(text);

    release(font);  // the program frees it; the gadget still holds it
    EXPECT_TRUE(isLiveObject(font));
    cmd.freeGadget(button);
    EXPECT_FALSE(isLiveObject(font));
    EXPECT_EQ(driver.defaultFont()->refCount, defaultCount - 1);
    EXPECT_EQ(liveObjectCount(), startObjects + 3);  // the window, its title and its root menu
}

// ---------------------------------------------------------------- screens

namespace {
// A screen as the graphics side will provide: a resource with a native window.
class FakeScreen : public QXResource {
public:
    int query(int id) override { return id == kGadgetClientWindowQuery ? 0x1234 : 0; }
};
}  // namespace

TEST_F(Gadgets, ATopLevelWindowMadeUnderAScreenBelongsToIt) {
    auto* screen = new FakeScreen;
    setCurrentScreen(screen);
    int owned = cmd.createWindow(Text("owned"), 0, 0, 50, 50, 0, 1);
    int child = cmd.createButton(Text("c"), 0, 0, 5, 5, owned, 1);
    int nested = cmd.createWindow(Text("nested"), 0, 0, 50, 50, window, 1);
    EXPECT_EQ(gadgetAt(owned)->screen(), screen);
    EXPECT_EQ(gadgetAt(child)->screen(), screen);
    EXPECT_EQ(gadgetAt(nested)->screen(), nullptr) << "children take their parent's screen";
    setCurrentScreen(nullptr);
    release(screen);
    EXPECT_FALSE(isLiveObject(gadgetAt(owned)));
    EXPECT_FALSE(isLiveObject(gadgetAt(child)));
    // A screen without a native window owns nothing.
    auto* bare = new QXResource;
    setCurrentScreen(bare);
    int free = cmd.createWindow(Text("free"), 0, 0, 50, 50, 0, 1);
    setCurrentScreen(nullptr);
    release(bare);
    EXPECT_TRUE(isLiveObject(gadgetAt(free)));
}
