#include "netgame/QXNetMessage.h"

#include <cstring>

namespace {
void putU32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getU32(const std::uint8_t* in) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    return value;
}
}  // namespace

void writeNetWire(std::uint8_t* out, QXNetPlayerId from, QXNetPlayerId to, int type, std::string_view text) {
    putU32(out, from);
    putU32(out + 4, to);
    out[8] = static_cast<std::uint8_t>(type);
    if (!text.empty()) std::memcpy(out + kNetWireHeaderBytes, text.data(), text.size());
}

std::optional<QXNetWireMessage> readNetWire(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size < kNetWireHeaderBytes) return std::nullopt;
    QXNetWireMessage message;
    message.from = getU32(bytes);
    message.to = getU32(bytes + 4);
    message.type = static_cast<std::int8_t>(bytes[8]);
    message.text = {reinterpret_cast<const char*>(bytes + kNetWireHeaderBytes), size - kNetWireHeaderBytes};
    return message;
}
