// libFuzzer target over everything the built-in game service reads from the
// network: the byte stream is cut into frames in pieces whose sizes come
// from the input, each frame's payload goes through every record reader,
// and the whole input is read as a datagram, a reply and an address text.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "netgame/QXNetMessage.h"
#include "netgame/QXNetNode.h"
#include "netgame/QXNetProtocol.h"

namespace {
void readPayload(std::span<const std::uint8_t> payload) {
    (void)decodeNetHello(payload);
    (void)decodeNetWelcome(payload);
    (void)decodeNetMachine(payload);
    (void)decodeNetPlayer(payload);
    (void)decodeNetId(payload);
    (void)decodeNetGameReply(payload);
    (void)readNetWire(payload.data(), payload.size());
    (void)decodeNodeEvent(payload.data(), payload.size());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    if (const auto datagram = decodeNetDatagram(input)) readPayload(datagram->payload);
    (void)parseNetHostPort(std::string_view(reinterpret_cast<const char*>(data), size));

    // The first byte picks the piece size, so frames split everywhere.
    const std::size_t piece = size ? (data[0] % 64) + 1 : 1;
    QXNetFrameReader reader;
    for (std::size_t at = 0; at < size; at += piece) {
        reader.feed(input.subspan(at, std::min(piece, size - at)));
        QXNetFrame frame;
        while (reader.next(frame) == QXNetFrameReader::Status::Frame) readPayload(frame.payload);
        if (reader.buffered() > kNetMaxFrameBytes + kNetFrameLengthBytes + piece) __builtin_trap();
    }
    return 0;
}
