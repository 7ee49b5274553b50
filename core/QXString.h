#pragma once
// Immutable reference-counted byte strings: the one text type of compiled code.
//
// A string is a QXObject whose count is its reference count; it starts at 1.
// Its `length` bytes may include zero bytes; `data[length]` is always 0, so C
// string consumers see the text up to its first zero byte. Operations take
// their arguments borrowed (a null string reads as empty) and return an owned
// reference: a new string, or a new reference to a shared or unchanged one.

#include <new>
#include <string_view>

#include "core/QXNumberText.h"
#include "runtime/QXBlockHeap.h"
#include "runtime/QXModule.h"
#include "runtime/QXObject.h"

class QXString final : public QXObject {
public:
    // The three construction forms. Lengths beyond what memory holds stop the
    // program with "Out of memory".
    // `length` bytes for the caller to fill; the terminator is already set.
    static QXString* withLength(int length) {
        if (length < 0 || length > kMaxLength) [[unlikely]]
            lengthError();
        return new (length + 1) QXString(InlineBytes{}, length);
    }
    // The bytes before the text's first zero byte.
    static QXString* fromCText(const char* text);
    // `count` bytes as they are, zero bytes included.
    static QXString* fromBytes(const char* bytes, int count);

    // Compatibility forms for `new QXString(...)`: the bytes get a block of
    // their own. The factories above are cheaper (one block for both).
    explicit QXString(const char* text);
    QXString(const char* bytes, int count);
    static void* operator new(std::size_t size);

    // Inline, like construction: statement temporaries come and go by the million.
    ~QXString() override {
        // Only the compatibility forms keep their bytes in a block of their own.
        if (data != inlineBytes()) freeBlock(data);
    }
    static void operator delete(void* block) { freeBlock(block); }
    // Final: on a QXString* this call, and the deletion in it, need no virtual dispatch.
    void destroy() override { delete this; }

    std::string_view view() const { return {data, static_cast<std::size_t>(length)}; }

    QXString* concat(const QXString* other) const;
    // Negative, 0 or positive as this sorts before, with or after `other`
    // (bytes unsigned, then the shorter first).
    int compare(const QXString* other) const;
    // Positions are 0-based; -1 means not found.
    int find(const QXString* text) const;
    int find(const QXString* text, int from) const;
    QXString* substring(int start, int count);
    QXString* left(int count);
    QXString* right(int count);
    QXString* padRight(int size);
    QXString* padLeft(int size);
    QXString* trim();
    QXString* upper() const;
    QXString* lower() const;
    // Every occurrence of `from`, left to right, never inside inserted text.
    QXString* replace(const QXString* from, const QXString* to);
    QXString* repeat(int times);
    // The file name after the last / or \, optionally without its extension.
    QXString* baseName(bool keepExtension);
    int toInt() const;
    // In double precision; the caller narrows it to a float.
    double toFloat() const;

    int length = 0;
    char* data = nullptr;  // length + 1 bytes, always 0-terminated

    // The longest string: leaves headroom so that length + header sums cannot overflow.
    static constexpr int kMaxLength = 0x7FFFFFFF - 64;

private:
    struct InlineBytes {};
    QXString(InlineBytes, int n) : length(n), data(inlineBytes()) { data[n] = 0; }
    struct Unterminated {};
    QXString(Unterminated, int n) : length(n), data(inlineBytes()) {}
    char* inlineBytes() { return reinterpret_cast<char*>(this + 1); }
    void fill(const char* bytes, int count);
    [[noreturn]] static void lengthError();
    // The object with `bytes` bytes after it, in one block.
    static void* operator new(std::size_t size, int bytes) {
        return allocateBlock(size + static_cast<std::size_t>(bytes));
    }
    // Pairs with the above if construction throws.
    static void operator delete(void* block, int) { freeBlock(block); }

    friend QXString* fromInt(int value);

    QXString* self();
};

// ---------------------------------------------------------------- module level

// A new reference to the shared empty string.
QXString* emptyString();
// A new reference to the shared one-byte string of the low 8 bits of `code`.
QXString* charString(int code);
// Number texts (not pushed on the temporary stack).
inline QXString* fromInt(int value) {
    const int length = intTextLength(value);
    // The text goes in before the object is built around it, so that few
    // values are live at once; the block has room for the digit writer's scratch.
    void* block = QXString::operator new(sizeof(QXString), kIntTextRoom);
    char* text = static_cast<char*>(block) + sizeof(QXString);
    writeIntText(value, text, length);
    text[length] = 0;
    return ::new (block) QXString(QXString::Unterminated{}, length);
}
QXString* fromFloat(float value);

// A new string of the text (count 1), or a new reference to the shared empty
// string for no text (null included).
QXString* newString(const char* text);
QXString* newString(std::string_view bytes);
// The text as a C string (stops at the first zero byte); "" for null.
const char* stringCText(const QXString* s);

// The strings that exist once per process and are never destroyed.
struct QXSharedStrings {
    QXString* empty;
    QXString* notANumber;
    QXString* infinity;
    QXString* negativeInfinity;
    QXString* characters[256];
};
// The shared strings (created on first use if the module has not started yet).
const QXSharedStrings& sharedStrings();

// Creates the shared strings when it starts.
class QXStringModule : public QXModule {
public:
    QXStringModule();
    bool startup() override;
};
