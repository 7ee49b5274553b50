// The text area's ranges and measurements for any text and any numbers the
// program passes: every range lies within the text, no arithmetic wraps.
// The control is a stand-in holding the text as lines split at line feeds.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "events/QXEvent.h"
#include "gui/QXGadget.h"

// What the gadget store asks of the kernel and the event queue, which this
// target leaves out: no program runs, no event is posted.
int executionState() { return 0; }
void flushEvents(int, int) {}
void postEvent(const QXEvent&) {}

namespace {
class TextArea final : public QXTextArea {
public:
    TextArea(const std::uint8_t* text, std::size_t size, int selStart, int selEnd) : QXTextArea(nullptr, 0) {
        length_ = static_cast<int>(size);
        starts_.push_back(0);
        for (std::size_t i = 0; i < size; ++i)
            if (text[i] == '\n') starts_.push_back(static_cast<int>(i + 1));
        selStart_ = clamp(selStart);
        selEnd_ = clamp(selEnd);
        if (selEnd_ < selStart_) std::swap(selStart_, selEnd_);
    }
    void setFont(QXFont*) override {}
    void setShape(int, int, int, int) override {}
    void setVisible(bool) override {}
    void setEnabled(bool) override {}
    void activate() override {}

protected:
    int textLength() override { return length_; }
    int lineCount() override { return static_cast<int>(starts_.size()); }
    int lineStart(int line) override {
        if (line < 0 || line >= lineCount()) __builtin_trap();  // outside what the primitive promises
        return starts_[static_cast<std::size_t>(line)];
    }
    int lineAt(int character) override {
        if (character < 0 || character > length_) __builtin_trap();
        int line = 0;
        while (line + 1 < lineCount() && starts_[static_cast<std::size_t>(line + 1)] <= character) ++line;
        return line;
    }
    void selection(int& start, int& end) override {
        start = selStart_;
        end = selEnd_;
    }

private:
    int clamp(int c) const { return c < 0 ? 0 : c > length_ ? length_ : c; }
    int length_ = 0;
    std::vector<int> starts_;
    int selStart_ = 0, selEnd_ = 0;
};

int intAt(const std::uint8_t* data, int index) {
    std::int32_t value;
    std::memcpy(&value, data + 4 * index, 4);
    return value;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Six numbers (position, length, units, a line, selection start and end), then the text.
    if (size < 24) return 0;
    // Objects are counted: made with one reference, gone with its release.
    TextArea& area = *new TextArea(data + 24, size - 24, intAt(data, 4), intAt(data, 5));
    const int total = area.length(1);
    for (int units : {1, 2, intAt(data, 2)}) {
        const QXTextArea::Range range = area.normalise(intAt(data, 0), intAt(data, 1), units);
        if (range.pos < 0 || range.len < 0 || range.pos > total || range.len > total - range.pos) __builtin_trap();
    }
    const int line = intAt(data, 3);
    if (area.lineLength(line) < 0) __builtin_trap();
    if (area.lineOfCharacter(line) < 0 || area.characterOfLine(line) > total) __builtin_trap();
    if (area.cursor(1) > total || area.cursor(2) > area.length(2)) __builtin_trap();
    if (area.selectionLength(1) < 0 || area.selectionLength(2) < 1) __builtin_trap();
    release(&area);
    return 0;
}
