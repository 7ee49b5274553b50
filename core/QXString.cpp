#include "core/QXString.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/QXNumberText.h"
#include "runtime/QXBlockHeap.h"
#include "runtime/QXRegistry.h"

namespace {

QXSharedStrings shared;
bool sharedReady = false;

void createSharedStrings() {
    sharedReady = true;
    shared.empty = QXString::withLength(0);
    shared.notANumber = QXString::fromCText("NaN");
    shared.infinity = QXString::fromCText("Infinity");
    shared.negativeInfinity = QXString::fromCText("-Infinity");
    for (int code = 0; code < 256; ++code) {
        const char byte = static_cast<char>(code);
        shared.characters[code] = QXString::fromBytes(&byte, 1);
    }
}

QXString* newReference(QXString* s) {
    retain(s);
    return s;
}

// A borrowed argument: a null string reads as empty.
std::string_view textOf(const QXString* s) { return s ? s->view() : std::string_view{}; }

// A length computed in 64 bits, refused when no string can hold it.
int checkedLength(std::int64_t length) {
    if (length < 0 || length > QXString::kMaxLength) runtimeError("Out of memory");
    return static_cast<int>(length);
}

// Lowest position p >= from of `needle` in `text`; needle is not empty.
int findBytes(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.size() > text.size() || from > text.size() - needle.size()) return -1;
    const char* begin = text.data();
    const char* p = begin + from;
    const char* lastStart = begin + (text.size() - needle.size());
    const char first = needle[0];
    while (p <= lastStart) {
        p = static_cast<const char*>(std::memchr(p, first, static_cast<std::size_t>(lastStart - p) + 1));
        if (!p) return -1;
        if (std::memcmp(p + 1, needle.data() + 1, needle.size() - 1) == 0) return static_cast<int>(p - begin);
        ++p;
    }
    return -1;
}

bool isTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }

template <class Map> QXString* mapBytes(const QXString& s, Map map) {
    if (s.length == 0) return emptyString();
    QXString* result = QXString::withLength(s.length);
    for (int i = 0; i < s.length; ++i) result->data[i] = map(s.data[i]);
    return result;
}

}  // namespace

// ---------------------------------------------------------------- construction

void* QXString::operator new(std::size_t size) { return allocateBlock(size); }

void QXString::lengthError() { runtimeError("Out of memory"); }

QXString::QXString(const char* text) { fill(text, checkedLength(static_cast<std::int64_t>(std::strlen(text)))); }

QXString::QXString(const char* bytes, int count) { fill(bytes, checkedLength(count)); }

void QXString::fill(const char* bytes, int count) {
    data = static_cast<char*>(allocateBlock(static_cast<std::size_t>(count) + 1));
    length = count;
    if (count > 0) std::memcpy(data, bytes, static_cast<std::size_t>(count));
    data[count] = 0;
}

QXString* QXString::fromCText(const char* text) {
    return fromBytes(text, checkedLength(static_cast<std::int64_t>(std::strlen(text))));
}

QXString* QXString::fromBytes(const char* bytes, int count) {
    QXString* s = withLength(count);
    if (count > 0) std::memcpy(s->data, bytes, static_cast<std::size_t>(count));
    return s;
}

QXString* QXString::self() { return newReference(this); }

// ---------------------------------------------------------------- operations

QXString* QXString::concat(const QXString* other) const {
    const std::string_view tail = textOf(other);
    if (length == 0 && tail.empty()) return emptyString();
    QXString* result = withLength(checkedLength(std::int64_t{length} + static_cast<std::int64_t>(tail.size())));
    std::memcpy(result->data, data, static_cast<std::size_t>(length));
    std::memcpy(result->data + length, tail.data(), tail.size());
    return result;
}

int QXString::compare(const QXString* other) const {
    const std::string_view b = textOf(other);
    const std::size_t common = std::min(static_cast<std::size_t>(length), b.size());
    if (common > 0)
        if (int order = std::memcmp(data, b.data(), common)) return order;
    if (static_cast<std::size_t>(length) == b.size()) return 0;
    return static_cast<std::size_t>(length) < b.size() ? -1 : 1;
}

int QXString::find(const QXString* text) const {
    if (length == 0) return -1;
    const std::string_view needle = textOf(text);
    return needle.empty() ? 0 : findBytes(view(), needle, 0);
}

int QXString::find(const QXString* text, int from) const {
    if (from < 0) from = 0;
    if (from >= length) return -1;
    const std::string_view needle = textOf(text);
    return needle.empty() ? from : findBytes(view(), needle, static_cast<std::size_t>(from));
}

QXString* QXString::substring(int start, int count) {
    std::int64_t first = start;
    std::int64_t wanted = count;
    if (first < 0) {
        wanted += first;
        first = 0;
    }
    if (first >= length || wanted <= 0) return emptyString();
    const std::int64_t taken = std::min<std::int64_t>(wanted, length - first);
    if (taken == length) return self();
    return fromBytes(data + first, static_cast<int>(taken));
}

QXString* QXString::left(int count) {
    if (count <= 0) return emptyString();
    if (count >= length) return self();
    return fromBytes(data, count);
}

QXString* QXString::right(int count) {
    if (count <= 0) return emptyString();
    if (count >= length) return self();
    return fromBytes(data + length - count, count);
}

QXString* QXString::padRight(int size) {
    if (size <= 0) return emptyString();
    if (size <= length) return left(size);
    QXString* result = withLength(size);
    std::memcpy(result->data, data, static_cast<std::size_t>(length));
    std::memset(result->data + length, ' ', static_cast<std::size_t>(size - length));
    return result;
}

QXString* QXString::padLeft(int size) {
    if (size <= 0) return emptyString();
    if (size <= length) return right(size);
    QXString* result = withLength(size);
    std::memset(result->data, ' ', static_cast<std::size_t>(size - length));
    std::memcpy(result->data + (size - length), data, static_cast<std::size_t>(length));
    return result;
}

QXString* QXString::trim() {
    int begin = 0;
    int end = length;
    while (begin < end && isTrimmed(data[begin])) ++begin;
    while (end > begin && isTrimmed(data[end - 1])) --end;
    if (begin == 0 && end == length && length > 0) return self();
    return newString(view().substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

QXString* QXString::upper() const {
    return mapBytes(*this, [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
}

QXString* QXString::lower() const {
    return mapBytes(*this, [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
}

QXString* QXString::replace(const QXString* from, const QXString* to) {
    const std::string_view pattern = textOf(from);
    const std::string_view insert = textOf(to);
    // An empty pattern would match everywhere without end: nothing to replace.
    if (pattern.empty()) return self();

    // Searching on in the original text after each match is the same as
    // searching the rebuilt text after the inserted part, so one pass counts
    // the matches and a second builds the result.
    const std::string_view text = view();
    int matches = 0;
    for (int p = findBytes(text, pattern, 0); p >= 0; p = findBytes(text, pattern, p + pattern.size())) ++matches;
    if (matches == 0) return self();

    const std::int64_t resultLength =
        std::int64_t{length} + std::int64_t{matches} * (static_cast<std::int64_t>(insert.size()) -
                                                        static_cast<std::int64_t>(pattern.size()));
    if (resultLength == 0) return emptyString();
    QXString* result = withLength(checkedLength(resultLength));
    char* out = result->data;
    std::size_t copied = 0;
    for (int p = findBytes(text, pattern, 0); p >= 0; p = findBytes(text, pattern, p + pattern.size())) {
        const auto at = static_cast<std::size_t>(p);
        std::memcpy(out, text.data() + copied, at - copied);
        out += at - copied;
        std::memcpy(out, insert.data(), insert.size());
        out += insert.size();
        copied = at + pattern.size();
    }
    std::memcpy(out, text.data() + copied, text.size() - copied);
    return result;
}

QXString* QXString::repeat(int times) {
    if (length == 0 || times <= 0) return emptyString();
    if (times == 1) return self();
    QXString* result = withLength(checkedLength(std::int64_t{length} * times));
    for (int i = 0; i < times; ++i)
        std::memcpy(result->data + static_cast<std::size_t>(i) * static_cast<std::size_t>(length), data,
                    static_cast<std::size_t>(length));
    return result;
}

QXString* QXString::baseName(bool keepExtension) {
    std::string_view name = view();
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    if (name.empty()) return emptyString();
    if (!keepExtension) {
        const std::size_t dot = name.rfind('.');
        // A name made only of its extension becomes an empty string of its own.
        if (dot == 0) return withLength(0);
        if (dot != std::string_view::npos) name = name.substr(0, dot);
    }
    if (name.size() == static_cast<std::size_t>(length)) return self();
    return fromBytes(name.data(), static_cast<int>(name.size()));
}

int QXString::toInt() const { return parseInt(data); }

double QXString::toFloat() const { return parseFloat(data); }

// ---------------------------------------------------------------- module level

const QXSharedStrings& sharedStrings() {
    if (!sharedReady) createSharedStrings();
    return shared;
}

QXString* emptyString() { return newReference(sharedStrings().empty); }

QXString* charString(int code) { return newReference(sharedStrings().characters[code & 0xFF]); }

QXString* fromFloat(float value) {
    if (std::isnan(value)) return newReference(sharedStrings().notANumber);
    if (std::isinf(value)) return newReference(value > 0 ? sharedStrings().infinity : sharedStrings().negativeInfinity);
    char text[kNumberTextCapacity];
    const int n = formatFloat(value, text);
    return QXString::fromBytes(text, n);
}

QXString* newString(const char* text) {
    if (!text || !*text) return emptyString();
    return QXString::fromCText(text);
}

QXString* newString(std::string_view bytes) {
    if (bytes.empty()) return emptyString();
    return QXString::fromBytes(bytes.data(), checkedLength(static_cast<std::int64_t>(bytes.size())));
}

const char* stringCText(const QXString* s) { return s ? s->data : ""; }

// ---------------------------------------------------------------- module

QXStringModule::QXStringModule() { registerModule("QXString", nullptr, nullptr); }

bool QXStringModule::startup() {
    sharedStrings();
    return true;
}

QX_MODULE_INSTANCE(QXStringModule, 2);
