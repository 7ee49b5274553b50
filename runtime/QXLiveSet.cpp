#include "runtime/QXLiveSet.h"

#include <bit>
#include <new>

#include "runtime/QXError.h"

namespace {
constexpr std::size_t kMinSlots = 8;
constexpr unsigned kKeyBits = sizeof(std::uintptr_t) * 8;
}  // namespace

QXLiveSet::QXLiveSet(std::size_t initialSlots)
    : firstSlots_(std::bit_ceil(initialSlots < kMinSlots ? kMinSlots : initialSlots)) {}

QXLiveSet::~QXLiveSet() { delete[] slots_; }

std::size_t QXLiveSet::home(std::uintptr_t key) const {
    // Fibonacci hashing: the top bits of the product depend on every bit of the
    // address, so the always-zero alignment bits cost nothing.
    if constexpr (kKeyBits == 32)
        return static_cast<std::size_t>((static_cast<std::uint32_t>(key) * 2654435769u) >> shift_);
    else
        return static_cast<std::size_t>((static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull) >> shift_);
}

void QXLiveSet::allocate(std::size_t slotCount) {
    slots_ = new (std::nothrow) std::uintptr_t[slotCount]();
    // Objects are built inside commands: no exception may leave from here.
    if (!slots_) internalError("Out of memory");
    slotCount_ = slotCount;
    shift_ = kKeyBits - static_cast<unsigned>(std::countr_zero(slotCount));
}

void QXLiveSet::place(std::uintptr_t key) {
    std::size_t i = home(key);
    while (slots_[i] != 0) i = next(i);
    slots_[i] = key;
    ++count_;
}

bool QXLiveSet::insert(const void* address) {
    auto key = reinterpret_cast<std::uintptr_t>(address);
    if (key == 0) return false;
    // At most half full, so probe runs stay short.
    if ((count_ + 1) * 2 > slotCount_) grow();
    std::size_t i = home(key);
    for (; slots_[i] != 0; i = next(i))
        if (slots_[i] == key) return false;
    slots_[i] = key;
    ++count_;
    return true;
}

bool QXLiveSet::contains(const void* address) const {
    auto key = reinterpret_cast<std::uintptr_t>(address);
    if (key == 0 || slotCount_ == 0) return false;
    for (std::size_t i = home(key); slots_[i] != 0; i = next(i))
        if (slots_[i] == key) return true;
    return false;
}

bool QXLiveSet::erase(const void* address) {
    auto key = reinterpret_cast<std::uintptr_t>(address);
    if (key == 0 || slotCount_ == 0) return false;
    std::size_t hole = home(key);
    while (slots_[hole] != key) {
        if (slots_[hole] == 0) return false;
        hole = next(hole);
    }
    // Backward shift: a later member of the run moves into the hole unless its
    // home lies cyclically in (hole, j], where it would become unreachable.
    for (std::size_t j = next(hole); slots_[j] != 0; j = next(j)) {
        std::size_t want = home(slots_[j]);
        bool homeAfterHole = hole <= j ? (want > hole && want <= j) : (want > hole || want <= j);
        if (!homeAfterHole) {
            slots_[hole] = slots_[j];
            hole = j;
        }
    }
    slots_[hole] = 0;
    --count_;
    return true;
}

void QXLiveSet::grow() {
    std::uintptr_t* old = slots_;
    std::size_t oldCount = slotCount_;
    allocate(old ? oldCount * 2 : firstSlots_);
    count_ = 0;
    for (std::size_t i = 0; i < oldCount; ++i)
        if (old[i]) place(old[i]);
    delete[] old;
}
