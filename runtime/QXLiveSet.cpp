#include "runtime/QXLiveSet.h"

#include <bit>
#include <new>

#include "runtime/QXError.h"

namespace {
constexpr std::size_t kMinSlots = 8;
}  // namespace

QXLiveSet::QXLiveSet(std::size_t initialSlots)
    : firstSlots_(std::bit_ceil(initialSlots < kMinSlots ? kMinSlots : initialSlots)) {}

QXLiveSet::~QXLiveSet() { delete[] slots_; }

void QXLiveSet::allocate(std::size_t slotCount) {
    slots_ = new (std::nothrow) std::uintptr_t[slotCount]();
    // Objects are built inside commands: no exception may leave from here.
    if (!slots_) internalError("Out of memory");
    mask_ = slotCount - 1;
    growAt_ = slotCount / 2;
    shift_ = kKeyBits - static_cast<unsigned>(std::countr_zero(slotCount));
}

void QXLiveSet::place(std::uintptr_t key) {
    std::size_t i = home(key);
    while (slots_[i] != 0) i = next(i);
    slots_[i] = key;
    ++count_;
}

bool QXLiveSet::insertPastHome(std::uintptr_t key, std::size_t i) {
    for (; slots_[i] != 0; i = next(i))
        if (slots_[i] == key) return false;
    slots_[i] = key;
    ++count_;
    return true;
}

bool QXLiveSet::erasePastHome(std::uintptr_t key, std::size_t hole) {
    for (; slots_[hole] != key; hole = next(hole))
        if (slots_[hole] == 0) return false;
    // Backward shift: a later member of the run moves into the hole unless its
    // home lies cyclically in (hole, j], where it would become unreachable.
    for (std::size_t j = next(hole); slots_[j] != 0; j = next(j)) {
        const std::size_t want = home(slots_[j]);
        const bool homeAfterHole = hole <= j ? (want > hole && want <= j) : (want > hole || want <= j);
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
    const std::size_t oldCount = old ? mask_ + 1 : 0;
    allocate(old ? oldCount * 2 : firstSlots_);
    count_ = 0;
    for (std::size_t i = 0; i < oldCount; ++i)
        if (old[i]) place(old[i]);
    delete[] old;
}
