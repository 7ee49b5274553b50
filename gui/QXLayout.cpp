#include "gui/QXLayout.h"

#include <cstdint>

namespace {
// 32-bit wrap-around without signed overflow.
int wrap(std::int64_t value) { return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value))); }
int add(int a, int b) { return wrap(static_cast<std::int64_t>(a) + b); }
int sub(int a, int b) { return wrap(static_cast<std::int64_t>(a) - b); }
int mul(int a, int b) { return wrap(static_cast<std::int64_t>(a) * b); }
// The divisor is a client size, never below 1, so no quotient overflows.
int div(int a, int b) { return a / b; }
int half(int n) { return n / 2; }

struct Span {
    int low;
    int high;
};

// One axis: reference start and size, reference client extent, the codes of
// the low and high edge, the current start and size, the client extent now.
Span layoutAxis(int refStart, int refSize, int refClient, int lowCode, int highCode, int start, int size, int client) {
    if (lowCode == kLayoutCentred && highCode == kLayoutCentred) {
        const int low = sub(div(mul(client, add(refStart, half(refSize))), refClient), half(refSize));
        return {low, add(low, refSize)};
    }
    int low = start;
    if (lowCode == kLayoutAligned) low = refStart;
    else if (lowCode == kLayoutRelative) low = div(mul(client, refStart), refClient);
    int high = add(start, size);
    if (highCode == kLayoutAligned) high = sub(add(add(refStart, refSize), client), refClient);
    else if (highCode == kLayoutRelative) high = div(mul(client, add(refStart, refSize)), refClient);
    if (lowCode == kLayoutCentred) low = sub(high, refSize);
    else if (highCode == kLayoutCentred) high = add(low, refSize);
    return {low, high};
}

int atLeastOne(int n) { return n < 1 ? 1 : n; }
}  // namespace

QXShape layoutShape(const QXLayoutRules& rules, const QXShape& current, int clientWidth, int clientHeight) {
    const int width = atLeastOne(clientWidth), height = atLeastOne(clientHeight);
    const QXShape& ref = rules.reference;
    const Span h = layoutAxis(ref.x, ref.width, atLeastOne(rules.referenceClientWidth), rules.left, rules.right,
                              current.x, current.width, width);
    const Span v = layoutAxis(ref.y, ref.height, atLeastOne(rules.referenceClientHeight), rules.top, rules.bottom,
                              current.y, current.height, height);
    return {h.low, v.low, sub(h.high, h.low), sub(v.high, v.low)};
}
