#include "io/QXBank.h"

#include <algorithm>
#include <cstring>

#include "io/QXStream.h"
#include "runtime/QXMemory.h"
#include "runtime/QXRegistry.h"

namespace {
constexpr int kSpareBytes = 10;
}

QXBank* QXBank::create(int requested) {
    const int size = requested < 0 ? 0 : requested;
    // The spare bytes are slack: a bank near the size limit goes without them.
    const std::int64_t capacity = std::min<std::int64_t>(std::int64_t(size) + kSpareBytes, kMaxBlockBytes);
    auto* memory = static_cast<std::uint8_t*>(allocateBytes(capacity, true));
    if (!memory) outOfMemory();
    return new QXBank(memory, size, static_cast<int>(capacity));
}

QXBank::QXBank(std::uint8_t* memory, int bankSize, int bankCapacity)
    : data(memory), size(bankSize), capacity(bankCapacity) {}

QXBank::QXBank() = default;

QXBank::~QXBank() {
    if (!isView()) freeBytes(data);
}

void QXBank::setData(void* memory, int viewSize) {
    if (!isView()) runtimeError("Bank data cannot be modified");
    data = static_cast<std::uint8_t*>(memory);
    size = memory ? viewSize : 0;
}

void QXBank::reserve(std::int64_t newCapacity) {
    if (isView()) runtimeError("Bank cannot be resized");
    if (newCapacity <= capacity) return;
    auto* memory = static_cast<std::uint8_t*>(allocateBytes(newCapacity, false));
    if (!memory) outOfMemory();
    std::memcpy(memory, data, static_cast<std::size_t>(size));
    freeBytes(data);
    data = memory;
    capacity = static_cast<int>(newCapacity);
}

void QXBank::resize(int newSize) {
    if (isView()) runtimeError("Bank cannot be resized");
    if (newSize < 0) newSize = 0;
    if (newSize > capacity) {
        // Growth by half again plus 10, computed in 64 bits and kept to the
        // size limit; when that much cannot be had, exactly what is needed.
        const std::int64_t wanted = std::min<std::int64_t>(std::int64_t(newSize) + newSize / 2 + kSpareBytes, kMaxBlockBytes);
        auto* memory = static_cast<std::uint8_t*>(allocateBytes(wanted, false));
        std::int64_t got = wanted;
        if (!memory) memory = static_cast<std::uint8_t*>(allocateBytes(got = newSize, false));
        if (!memory) outOfMemory();
        std::memcpy(memory, data, static_cast<std::size_t>(size));
        freeBytes(data);
        data = memory;
        capacity = static_cast<int>(got);
    }
    if (newSize > size) std::memset(data + size, 0, static_cast<std::size_t>(newSize - size));
    size = newSize;
}

void QXBank::checkRange(int offset, int count) const {
    if (offset < 0 || count < 0 || std::int64_t(offset) + count > size)
        runtimeError("Bank offset %d and count %d lie outside the bank of %d bytes", offset, count, size);
}

QXBank* checkBank(int handle) { return checkHandle<QXBank>(handle, "Bank"); }

namespace {

// Reads and writes of a value at any (unaligned) offset, checked against the bank.
template <class T> T peek(int handle, int offset) {
    QXBank* bank = checkBank(handle);
    bank->checkRange(offset, sizeof(T));
    T value;
    std::memcpy(&value, bank->data + offset, sizeof(T));
    return value;
}
template <class T> void poke(int handle, int offset, T value) {
    QXBank* bank = checkBank(handle);
    bank->checkRange(offset, sizeof(T));
    std::memcpy(bank->data + offset, &value, sizeof(T));
}

int QXCALL CreateBank(int size) { return handleOf(QXBank::create(size)); }

void QXCALL FreeBank(int handle) {
    if (!handle) return;
    QXBank* bank = checkBank(handle);
    // A view bank (a locked buffer's pixels) belongs to its buffer, which
    // keeps using it: the program holds no reference to drop.
    if (!bank->isView()) release(bank);
}

int QXCALL BankSize(int handle) { return checkBank(handle)->size; }

void QXCALL ResizeBank(int handle, int size) { checkBank(handle)->resize(size); }

void QXCALL CopyBank(int source, int sourceOffset, int dest, int destOffset, int count) {
    QXBank* from = checkBank(source);
    QXBank* to = checkBank(dest);
    if (count <= 0) return;
    from->checkRange(sourceOffset, count);
    to->checkRange(destOffset, count);
    std::memmove(to->data + destOffset, from->data + sourceOffset, static_cast<std::size_t>(count));
}

int QXCALL PeekByte(int bank, int offset) { return peek<std::uint8_t>(bank, offset); }
int QXCALL PeekShort(int bank, int offset) { return peek<std::uint16_t>(bank, offset); }
int QXCALL PeekInt(int bank, int offset) { return peek<std::int32_t>(bank, offset); }
float QXCALL PeekFloat(int bank, int offset) { return peek<float>(bank, offset); }
void QXCALL PokeByte(int bank, int offset, int value) { poke<std::uint8_t>(bank, offset, static_cast<std::uint8_t>(value)); }
void QXCALL PokeShort(int bank, int offset, int value) { poke<std::uint16_t>(bank, offset, static_cast<std::uint16_t>(value)); }
void QXCALL PokeInt(int bank, int offset, int value) { poke<std::int32_t>(bank, offset, value); }
void QXCALL PokeFloat(int bank, int offset, float value) { poke<float>(bank, offset, value); }

int QXCALL ReadBytes(int handle, int file, int offset, int count) {
    QXBank* bank = checkBank(handle);
    QXStream* stream = checkHandle<QXStream>(file, "Stream");
    if (count <= 0) return 0;
    bank->checkRange(offset, count);
    return stream->read(bank->data + offset, count);
}

int QXCALL WriteBytes(int handle, int file, int offset, int count) {
    QXBank* bank = checkBank(handle);
    QXStream* stream = checkHandle<QXStream>(file, "Stream");
    if (count <= 0) return 0;
    bank->checkRange(offset, count);
    return stream->write(bank->data + offset, count);
}

const QXSymbol commands[] = {
    QX_COMMAND("%CreateBank%size=0", CreateBank),
    QX_COMMAND("FreeBank%bank", FreeBank),
    QX_COMMAND("%BankSize%bank", BankSize),
    QX_COMMAND("ResizeBank%bank%size", ResizeBank),
    QX_COMMAND("CopyBank%src_bank%src_offset%dest_bank%dest_offset%count", CopyBank),
    QX_COMMAND("%PeekByte%bank%offset", PeekByte),
    QX_COMMAND("%PeekShort%bank%offset", PeekShort),
    QX_COMMAND("%PeekInt%bank%offset", PeekInt),
    QX_COMMAND("#PeekFloat%bank%offset", PeekFloat),
    QX_COMMAND("PokeByte%bank%offset%value", PokeByte),
    QX_COMMAND("PokeShort%bank%offset%value", PokeShort),
    QX_COMMAND("PokeInt%bank%offset%value", PokeInt),
    QX_COMMAND("PokeFloat%bank%offset#value", PokeFloat),
    QX_COMMAND("%ReadBytes%bank%file%offset%count", ReadBytes),
    QX_COMMAND("%WriteBytes%bank%file%offset%count", WriteBytes),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
