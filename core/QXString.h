#pragma once
// Immutable reference-counted byte strings: the one text type of compiled code.
//
// A string is a QXObject whose count is its reference count; it starts at 1.
// Its `length` bytes may include zero bytes; `data[length]` is always 0, so C
// string consumers see the text up to its first zero byte. Operations take
// their arguments borrowed (a null string reads as empty) and return an owned
// reference: a new string, or a new reference to a shared or unchanged one.

#include <string_view>

#include "runtime/QXModule.h"
#include "runtime/QXObject.h"

class QXString final : public QXObject {
public:
    // The three construction forms. Lengths beyond what memory holds stop the
    // program with "Out of memory".
    // `length` bytes for the caller to fill; the terminator is already set.
    static QXString* withLength(int length);
    // The bytes before the text's first zero byte.
    static QXString* fromCText(const char* text);
    // `count` bytes as they are, zero bytes included.
    static QXString* fromBytes(const char* bytes, int count);

    // Compatibility forms for `new QXString(...)`: the bytes get a block of
    // their own. The factories above are cheaper (one block for both).
    explicit QXString(const char* text);
    QXString(const char* bytes, int count);
    static void* operator new(std::size_t size);

    ~QXString() override;
    static void operator delete(void* block);

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

private:
    struct InlineBytes {};
    QXString(InlineBytes, int length);
    void fill(const char* bytes, int count);
    static void* operator new(std::size_t size, int length);
    static void operator delete(void* block, int length);  // pairs with the above if construction throws

    QXString* self();
};

// ---------------------------------------------------------------- module level

// A new reference to the shared empty string.
QXString* emptyString();
// A new reference to the shared one-byte string of the low 8 bits of `code`.
QXString* charString(int code);
// Number texts (not pushed on the temporary stack).
QXString* fromInt(int value);
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
