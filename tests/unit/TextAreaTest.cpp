// The text area under Wine: ranges against an independent model of the
// clamping rules, formatting read back from the rich edit control, and the
// events of user edits against the program's own.

#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "NativeGuiSession.h"
#include "TestSupport.h"
#include "core/QXString.h"
#include "events/QXEventDriver.h"
#include "events/QueFilter.h"
#include "events/win32/Win32CatchFilter.h"
#include "events/win32/Win32EventDriver.h"
#include "gui/QXGadget.h"
#include "runtime/QXModule.h"
#include "gui/win32/Win32GuiDriver.h"

namespace {
using Create7 = int(QXCALL*)(QXString*, int, int, int, int, int, int);
using Create6 = int(QXCALL*)(int, int, int, int, int, int);

struct Commands {
    Create7 createWindow = command<Create7>("%CreateWindow$text%x%y%width%height%group=0%style=15");
    Create6 createTextArea = command<Create6>("%CreateTextArea%x%y%width%height%group%style=0");
    int(QXCALL* len)(int, int) = command<int(QXCALL*)(int, int)>("%TextAreaLen%textarea%units=1");
    int(QXCALL* selLen)(int, int) = command<int(QXCALL*)(int, int)>("%TextAreaSelLen%textarea%units=1");
    int(QXCALL* cursor)(int, int) = command<int(QXCALL*)(int, int)>("%TextAreaCursor%textarea%units=1");
    int(QXCALL* charOfLine)(int, int) = command<int(QXCALL*)(int, int)>("%TextAreaChar%textarea%line");
    int(QXCALL* lineOfChar)(int, int) = command<int(QXCALL*)(int, int)>("%TextAreaLine%textarea%char");
    int(QXCALL* lineLen)(int, int) = command<int(QXCALL*)(int, int)>("%TextAreaLineLen%textarea%line");
    void(QXCALL* add)(int, QXString*) = command<void(QXCALL*)(int, QXString*)>("AddTextAreaText%textarea$text");
    void(QXCALL* set)(int, QXString*, int, int, int) =
        command<void(QXCALL*)(int, QXString*, int, int, int)>("SetTextAreaText%textarea$text%pos=0%len=-1%units=1");
    void(QXCALL* format)(int, int, int, int, int, int, int, int) =
        command<void(QXCALL*)(int, int, int, int, int, int, int, int)>(
            "FormatTextAreaText%textarea%red%green%blue%flags%pos=0%len=-1%units=1");
    QXString*(QXCALL* text)(int, int, int, int) =
        command<QXString*(QXCALL*)(int, int, int, int)>("$TextAreaText%textarea%pos=0%len=-1%units=1");
    void(QXCALL* lock)(int) = command<void(QXCALL*)(int)>("LockTextArea%textarea");
    void(QXCALL* unlock)(int) = command<void(QXCALL*)(int)>("UnlockTextArea%textarea");
    void(QXCALL* colour)(int, int, int, int, int) =
        command<void(QXCALL*)(int, int, int, int, int)>("SetTextAreaColor%textarea%red%green%blue%background=0");
    void(QXCALL* tabs)(int, int) = command<void(QXCALL*)(int, int)>("SetTextAreaTabs%textarea%tabs");
    int(QXCALL* waitEvent)(int) = command<int(QXCALL*)(int)>("%WaitEvent%timeout=-1");
    int(QXCALL* eventData)() = command<int(QXCALL*)()>("%EventData");
};

struct Text {
    explicit Text(const std::string& s) : string(newString(s.c_str())) {}
    ~Text() { release(string); }
    operator QXString*() const { return string; }
    QXString* string;
};

std::string take(QXString* s) {
    std::string text(stringCText(s), static_cast<std::size_t>(s->length));
    release(s);
    return text;
}

HWND hwndOf(int gadget) {
    auto* g = reinterpret_cast<QXGadget*>(static_cast<std::uintptr_t>(static_cast<unsigned>(gadget)));
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<unsigned>(g->query(1))));
}

// The rules written out again over the control's own text: lines start after
// each "\r\n".
struct Model {
    std::string text;
    std::vector<int> starts{0};
    explicit Model(std::string t) : text(std::move(t)) {
        for (std::size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == '\r' && text[i + 1] == '\n') starts.push_back(static_cast<int>(i + 2));
    }
    int total(int units) const { return units == 2 ? static_cast<int>(starts.size()) : static_cast<int>(text.size()); }
    int charOfLine(int line) const {
        if (line < 0) return 0;
        return line < static_cast<int>(starts.size()) ? starts[static_cast<std::size_t>(line)]
                                                       : static_cast<int>(text.size());
    }
    std::string read(long long pos, long long len, int units) const {
        const long long t = total(units);
        if (pos < 0) pos = 0;
        if (pos > t) pos = t;
        if (len < 0 || pos + len > t) len = t - pos;
        if (len == 0) return "";
        long long from = pos, to = pos + len;
        if (units == 2) {
            from = charOfLine(static_cast<int>(pos));
            to = charOfLine(static_cast<int>(pos + len));
        }
        return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    }
};

class TextAreas : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startNativeGui());
        window = cmd.createWindow(Text("Text"), 20, 20, 400, 300, 0, 3);
        area = cmd.createTextArea(0, 0, 300, 200, window, 0);
    }
    void TearDown() override {
        stopNativeGui();
    }
    std::vector<int> takeActions(std::size_t atLeast) {
        std::vector<int> got;
        for (int tries = 0; tries < 20 && got.size() < atLeast; ++tries)
            while (int id = cmd.waitEvent(got.size() < atLeast ? 50 : 0))
                if (id == 0x401) got.push_back(cmd.eventData());
        return got;
    }
    std::string controlText() {
        HWND h = hwndOf(area);
        std::string text(static_cast<std::size_t>(GetWindowTextLengthA(h)) + 1, '\0');
        text.resize(static_cast<std::size_t>(GetWindowTextA(h, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    Commands cmd;
    int window = 0;
    int area = 0;
};
}  // namespace

TEST_F(TextAreas, EveryRangeIsClampedAsTheModelSays) {
    cmd.set(area, Text("first line\r\nsecond\r\n\r\nfourth is longer\r\nlast"), 0, -1, 1);
    const Model model(controlText());
    ASSERT_EQ(model.starts.size(), 5u) << model.text;
    EXPECT_EQ(cmd.len(area, 1), static_cast<int>(model.text.size()));
    EXPECT_EQ(cmd.len(area, 2), 5);
    const int positions[] = {INT_MIN, -5, -1, 0, 1, 2, 3, 4, 5, 7, 12, 30, 44, 45, 46, 1000, INT_MAX};
    const int lengths[] = {INT_MIN, -1, 0, 1, 2, 3, 10, 1000, INT_MAX};
    for (int units : {1, 2})
        for (int pos : positions)
            for (int len : lengths)
                EXPECT_EQ(take(cmd.text(area, pos, len, units)), model.read(pos, len, units))
                    << "pos " << pos << " len " << len << " units " << units;
    // Lines and characters, past both ends.
    for (int line : {INT_MIN, -1, 0, 1, 2, 3, 4, 5, 100, INT_MAX}) {
        EXPECT_EQ(cmd.charOfLine(area, line), model.charOfLine(line)) << line;
        if (line != INT_MAX) {
            EXPECT_EQ(cmd.lineLen(area, line), model.charOfLine(line + 1) - model.charOfLine(line)) << line;
        }
    }
    EXPECT_EQ(cmd.lineOfChar(area, -3), 0);
    EXPECT_EQ(cmd.lineOfChar(area, 1000), 5);
    EXPECT_EQ(cmd.lineOfChar(area, model.starts[3]), 3);
    // The second line with its line break.
    EXPECT_EQ(take(cmd.text(area, 1, 1, 2)), "second\r\n");
}

TEST_F(TextAreas, ChangesKeepTheUsersSelection) {
    cmd.set(area, Text("0123456789"), 0, -1, 1);
    CHARRANGE user{2, 5};
    SendMessageA(hwndOf(area), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&user));
    EXPECT_EQ(cmd.cursor(area, 1), 2);
    EXPECT_EQ(cmd.selLen(area, 1), 3);
    // Appending with pos = length and len 0.
    cmd.set(area, Text("AB"), 10, 0, 1);
    cmd.set(area, Text("x"), 0, 1, 1);
    EXPECT_EQ(controlText(), "x123456789AB");
    EXPECT_EQ(cmd.cursor(area, 1), 2);
    EXPECT_EQ(cmd.selLen(area, 1), 3);
    // Defaults replace everything.
    cmd.set(area, Text("line one\r\nline two"), 0, -1, 1);
    EXPECT_EQ(controlText(), "line one\r\nline two");
    EXPECT_EQ(cmd.selLen(area, 2), 1);
    // A lock held by the program spans operations; unlocking twice goes below zero.
    cmd.lock(area);
    cmd.add(area, Text("\r\nthree"));
    cmd.unlock(area);
    cmd.unlock(area);
    cmd.lock(area);
    EXPECT_EQ(cmd.len(area, 2), 3);
}

TEST_F(TextAreas, FormattingReadsBackFromTheControl) {
    HWND h = hwndOf(area);
    cmd.set(area, Text("plain bold rest"), 0, -1, 1);
    cmd.format(area, 255, 0, 0, 3, 6, 4, 1);
    auto formatAt = [&](int from, int to) {
        CHARRANGE r{from, to};
        SendMessageA(h, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        CHARFORMATA f{};
        f.cbSize = sizeof f;
        SendMessageA(h, EM_GETCHARFORMAT, TRUE, reinterpret_cast<LPARAM>(&f));
        return f;
    };
    CHARFORMATA bold = formatAt(6, 10);
    EXPECT_TRUE(bold.dwEffects & CFE_BOLD);
    EXPECT_TRUE(bold.dwEffects & CFE_ITALIC);
    EXPECT_TRUE(bold.dwEffects & CFE_PROTECTED);
    EXPECT_EQ(bold.crTextColor, RGB(255, 0, 0));
    CHARFORMATA plain = formatAt(0, 5);
    EXPECT_FALSE(plain.dwEffects & CFE_BOLD);
    cmd.format(area, 0, 0, 255, 0, 6, 4, 1);
    CHARFORMATA cleared = formatAt(6, 10);
    EXPECT_FALSE(cleared.dwEffects & (CFE_BOLD | CFE_ITALIC));
    EXPECT_EQ(cleared.crTextColor, RGB(0, 0, 255));
    cmd.colour(area, 0, 128, 0, 0);
    EXPECT_EQ(formatAt(0, 15).crTextColor, RGB(0, 128, 0));
    cmd.tabs(area, 4);
    PARAFORMAT p{};
    p.cbSize = sizeof p;
    SendMessageA(h, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
    EXPECT_EQ(p.cTabCount, 32);
    EXPECT_EQ(p.rgxTabs[0] & 0xFFFFFF, 0);
    EXPECT_GT(p.rgxTabs[1] & 0xFFFFFF, 0);
}

TEST_F(TextAreas, UserEditsPostOneChangeAndTheProgramsPostNothing) {
    HWND h = hwndOf(area);
    cmd.add(area, Text("hello"));
    SetFocus(h);
    EXPECT_TRUE(takeActions(1).empty()) << "the program's own change";
    // Wine's rich edit sends no protected-text notification before a user
    // edit; Windows does. Post the one Windows sends, then type.
    static ENPROTECTED before;
    before = {};
    before.nmhdr = {h, 0, static_cast<UINT>(EN_PROTECTED)};
    before.msg = WM_CHAR;
    PostMessageA(GetParent(h), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&before));
    PostMessageA(h, WM_CHAR, 'x', 1);
    EXPECT_EQ(takeActions(2), std::vector<int>{1});
    EXPECT_EQ(controlText(), "hellox");
    // Moving the caret is a selection change.
    PostMessageA(h, WM_KEYDOWN, VK_HOME, 1);
    std::vector<int> moved = takeActions(1);
    ASSERT_FALSE(moved.empty());
    for (int data : moved) EXPECT_EQ(data, 0);
    cmd.lock(area);
    cmd.add(area, Text(" more"));
    PostMessageA(h, WM_KEYDOWN, VK_END, 1);
    EXPECT_TRUE(takeActions(1).empty()) << "locked";
    cmd.unlock(area);
}

// Typing that no protected-text notification announces (Wine's rich edit
// sends none) still reports the change, once a key, after the caret's move.
TEST_F(TextAreas, UserEditsWithoutTheProtectedNotificationAreStillChanges) {
    HWND h = hwndOf(area);
    cmd.set(area, Text("abc"), 0, -1, 1);
    SetFocus(h);
    EXPECT_TRUE(takeActions(1).empty()) << "the program's own change";
    PostMessageA(h, WM_CHAR, 'x', 1);
    PostMessageA(h, WM_CHAR, 'y', 1);
    std::vector<int> typed = takeActions(4);
    EXPECT_EQ(std::count(typed.begin(), typed.end(), 1), 2);
    EXPECT_EQ(controlText().find("xy") != std::string::npos, true) << controlText();
    // The program's own changes, formats and colours still post nothing.
    cmd.set(area, Text("replaced"), 0, -1, 1);
    cmd.add(area, Text(" and more"));
    cmd.format(area, 255, 0, 0, 1, 0, 8, 1);
    cmd.colour(area, 0, 0, 0, 0);
    EXPECT_TRUE(takeActions(1).empty());
}

TEST_F(TextAreas, MegabytesStreamIn) {
    std::string piece(1024, 'a');
    piece.back() = '\n';
    std::string big;
    for (int i = 0; i < 3 * 1024; ++i) big += piece;
    cmd.add(area, Text(big));
    EXPECT_GE(cmd.len(area, 1), 3 * 1024 * 1024);
    EXPECT_EQ(take(cmd.text(area, 0, 1023, 1)), std::string(1023, 'a'));
}
