#include "io/QXTcpIp.h"

QXNetTimeouts& netTimeouts() {
    static QXNetTimeouts timeouts;
    return timeouts;
}

int QXDeadline::remaining(std::uint32_t nowMs) const {
    // Unsigned difference: correct across the clock's wrap.
    std::uint32_t elapsed = nowMs - start_;
    return elapsed >= static_cast<std::uint32_t>(timeout_) ? 0 : timeout_ - static_cast<int>(elapsed);
}

std::string dottedIP(std::uint32_t ip) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (shift != 24) text += '.';
        text += std::to_string((ip >> shift) & 0xFF);
    }
    return text;
}

QXHostIPList& hostIPs() {
    static QXHostIPList list;
    return list;
}
