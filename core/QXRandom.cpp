#include "core/QXRandom.h"

#include <utility>

#include "runtime/QXRegistry.h"

namespace {

constexpr int kModulus = 0x7FFFFFFF;
constexpr int kMultiplier = 48271;
// Schrage's decomposition of the modulus: kModulus = kMultiplier * kQuotient + kRemainder.
constexpr int kQuotient = kModulus / kMultiplier;   // 44488
constexpr int kRemainder = kModulus % kMultiplier;  // 3399
static_assert(kQuotient == 44488 && kRemainder == 3399);

}  // namespace

int QXRandom::step() {
    // Schrage's method keeps every product within 32 bits.
    int next = (state_ % kQuotient) * kMultiplier - (state_ / kQuotient) * kRemainder;
    if (next < 0) next += kModulus;
    // Only the state 2^31 - 1 (congruent to 0) steps to 0, where the
    // generator would stay for ever; it goes on from 1 instead, as SeedRnd 0 does.
    state_ = next == 0 ? 1 : next;
    return state_;
}

double QXRandom::unit() { return (step() & 0x0FFFFFF0) * 0x1p-28; }

int QXRandom::between(int from, int to) {
    if (to < from) std::swap(from, to);
    const auto u = static_cast<std::uint64_t>(step());
    const auto v = static_cast<std::uint64_t>(step());
    // r = ((u & 0x1FFFFFFC) + (v & 0x1FFFFFF8) * 2^-27) * 2^-29 is exactly
    // n * 2^-53 with the 53-bit integer n below; r * range is truncated in
    // integers, so no rounding can carry the result past `to`.
    const std::uint64_t n = ((u & 0x1FFFFFFC) << 24) + ((v & 0x1FFFFFF8) >> 3);
    const auto range = static_cast<std::uint64_t>(std::int64_t{to} - from + 1);  // 1 .. 2^32
    // floor(n * range / 2^53) with n * range split into 32-bit halves of n.
    const std::uint64_t low = (n & 0xFFFFFFFF) * range;
    const std::uint64_t high = (n >> 32) * range + (low >> 32);
    const auto offset = static_cast<std::int64_t>(high >> 21);
    return static_cast<int>(from + offset);
}

void QXRandom::seed(int seed) {
    state_ = seed & 0x7FFFFFFF;
    if (state_ == 0) state_ = 1;
}

QXRandom& programRandom() {
    static QXRandom random;
    return random;
}

// ---------------------------------------------------------------- commands

namespace {

float QXCALL Rnd(float from, float to) {
    const double r = programRandom().unit();
    return static_cast<float>(from + r * (static_cast<double>(to) - from));
}

int QXCALL Rand(int from, int to) { return programRandom().between(from, to); }

void QXCALL SeedRnd(int seed) { programRandom().seed(seed); }

int QXCALL RndSeed() { return programRandom().state(); }

const QXSymbol commands[] = {
    QX_COMMAND("#Rnd#from#to=0", Rnd),
    QX_COMMAND("%Rand%from%to=1", Rand),
    QX_COMMAND("SeedRnd%seed", SeedRnd),
    QX_COMMAND("%RndSeed", RndSeed),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
