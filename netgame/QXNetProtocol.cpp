#include "netgame/QXNetProtocol.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------- bytes

QXNetWriter& QXNetWriter::u8(std::uint8_t value) {
    out_.push_back(value);
    return *this;
}

QXNetWriter& QXNetWriter::u16(std::uint16_t value) {
    out_.push_back(static_cast<std::uint8_t>(value));
    out_.push_back(static_cast<std::uint8_t>(value >> 8));
    return *this;
}

QXNetWriter& QXNetWriter::u32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
}

QXNetWriter& QXNetWriter::name(std::string_view text) {
    text = text.substr(0, kNetMaxNameBytes);
    u8(static_cast<std::uint8_t>(text.size()));
    out_.insert(out_.end(), text.begin(), text.end());
    return *this;
}

QXNetWriter& QXNetWriter::bytes(std::span<const std::uint8_t> data) {
    out_.insert(out_.end(), data.begin(), data.end());
    return *this;
}

bool QXNetReader::take(std::size_t count) {
    if (!ok_ || data_.size() - position_ < count) {
        ok_ = false;
        return false;
    }
    return true;
}

std::uint8_t QXNetReader::u8() {
    if (!take(1)) return 0;
    return data_[position_++];
}

std::uint16_t QXNetReader::u16() {
    if (!take(2)) return 0;
    const std::uint16_t value = static_cast<std::uint16_t>(data_[position_] | (data_[position_ + 1] << 8));
    position_ += 2;
    return value;
}

std::uint32_t QXNetReader::u32() {
    if (!take(4)) return 0;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(data_[position_ + i]) << (8 * i);
    position_ += 4;
    return value;
}

std::string QXNetReader::name() {
    const std::size_t length = u8();
    if (!take(length)) return {};
    std::string text(reinterpret_cast<const char*>(data_.data() + position_), length);
    position_ += length;
    return text;
}

std::span<const std::uint8_t> QXNetReader::rest() {
    if (!ok_) return {};
    auto rest = data_.subspan(position_);
    position_ = data_.size();
    return rest;
}

// ---------------------------------------------------------------- frames

bool appendNetFrame(QXNetBytes& out, QXNetFrameKind kind, std::span<const std::uint8_t> payload) {
    const std::size_t body = kNetFrameHeadBytes + payload.size();
    if (body > kNetMaxFrameBytes) return false;
    QXNetWriter(out).u32(static_cast<std::uint32_t>(body)).u8(kNetProtocolVersion).u8(static_cast<std::uint8_t>(kind)).bytes(
        payload);
    return true;
}

std::span<std::uint8_t> QXNetFrameReader::space(std::size_t most) {
    // Read bytes move to the front before the block grows, so the block stays
    // within one frame plus one piece.
    if (start_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
    }
    if (buffer_.size() < end_ + most) buffer_.resize(end_ + most);
    return {buffer_.data() + end_, most};
}

void QXNetFrameReader::received(std::size_t count) { end_ = std::min(end_ + count, buffer_.size()); }

void QXNetFrameReader::feed(std::span<const std::uint8_t> bytes) {
    auto room = space(bytes.size());
    if (!bytes.empty()) std::memcpy(room.data(), bytes.data(), bytes.size());
    received(bytes.size());
}

QXNetFrameReader::Status QXNetFrameReader::next(QXNetFrame& frame) {
    if (failed_) return failure_;
    const std::size_t waiting = end_ - start_;
    if (waiting < kNetFrameLengthBytes) return Status::NeedMore;
    QXNetReader length({buffer_.data() + start_, kNetFrameLengthBytes});
    const std::uint32_t body = length.u32();
    Status failure = Status::NeedMore;
    if (body > kNetMaxFrameBytes)
        failure = Status::TooLong;
    else if (body < kNetFrameHeadBytes)
        failure = Status::TooShort;
    else if (waiting >= kNetFrameLengthBytes + 1 && buffer_[start_ + kNetFrameLengthBytes] != kNetProtocolVersion)
        failure = Status::WrongVersion;
    if (failure != Status::NeedMore) {
        failed_ = true;
        failure_ = failure;
        return failure;
    }
    if (waiting < kNetFrameLengthBytes + body) return Status::NeedMore;
    const std::uint8_t* at = buffer_.data() + start_ + kNetFrameLengthBytes;
    frame.kind = static_cast<QXNetFrameKind>(at[1]);
    frame.payload = {at + kNetFrameHeadBytes, body - kNetFrameHeadBytes};
    start_ += kNetFrameLengthBytes + body;
    return Status::Frame;
}

// ---------------------------------------------------------------- records

namespace {
template <class T> std::optional<T> finishedOr(const QXNetReader& reader, T value) {
    if (!reader.finished()) return std::nullopt;
    return value;
}
}  // namespace

QXNetBytes encodeNetHello(const QXNetHello& hello) {
    QXNetBytes out;
    QXNetWriter(out).u32(hello.machine).u32(hello.token).u16(hello.tcpPort).u16(hello.udpPort).name(hello.game);
    return out;
}

std::optional<QXNetHello> decodeNetHello(std::span<const std::uint8_t> payload) {
    QXNetReader reader(payload);
    QXNetHello hello;
    hello.machine = reader.u32();
    hello.token = reader.u32();
    hello.tcpPort = reader.u16();
    hello.udpPort = reader.u16();
    hello.game = reader.name();
    return finishedOr(reader, std::move(hello));
}

QXNetBytes encodeNetWelcome(const QXNetWelcome& welcome) {
    QXNetBytes out;
    QXNetWriter(out).u32(welcome.you).u32(welcome.host).u32(welcome.token);
    return out;
}

std::optional<QXNetWelcome> decodeNetWelcome(std::span<const std::uint8_t> payload) {
    QXNetReader reader(payload);
    QXNetWelcome welcome;
    welcome.you = reader.u32();
    welcome.host = reader.u32();
    welcome.token = reader.u32();
    if (welcome.you == 0 || welcome.host == 0) return std::nullopt;
    return finishedOr(reader, welcome);
}

QXNetBytes encodeNetMachine(const QXNetMachineInfo& machine) {
    QXNetBytes out;
    QXNetWriter(out).u32(machine.id).u32(machine.ip).u16(machine.tcpPort).u16(machine.udpPort);
    return out;
}

std::optional<QXNetMachineInfo> decodeNetMachine(std::span<const std::uint8_t> payload) {
    QXNetReader reader(payload);
    QXNetMachineInfo machine;
    machine.id = reader.u32();
    machine.ip = reader.u32();
    machine.tcpPort = reader.u16();
    machine.udpPort = reader.u16();
    if (machine.id == 0) return std::nullopt;
    return finishedOr(reader, machine);
}

QXNetBytes encodeNetPlayer(const QXNetPlayerInfoRecord& player) {
    QXNetBytes out;
    QXNetWriter(out).u32(player.id).u32(player.machine).u32(player.order).name(player.name);
    return out;
}

std::optional<QXNetPlayerInfoRecord> decodeNetPlayer(std::span<const std::uint8_t> payload) {
    QXNetReader reader(payload);
    QXNetPlayerInfoRecord player;
    player.id = reader.u32();
    player.machine = reader.u32();
    player.order = reader.u32();
    player.name = reader.name();
    if (player.id == 0) return std::nullopt;
    return finishedOr(reader, std::move(player));
}

QXNetBytes encodeNetId(std::uint32_t id) {
    QXNetBytes out;
    QXNetWriter(out).u32(id);
    return out;
}

std::optional<std::uint32_t> decodeNetId(std::span<const std::uint8_t> payload) {
    QXNetReader reader(payload);
    const std::uint32_t id = reader.u32();
    if (id == 0) return std::nullopt;
    return finishedOr(reader, id);
}

QXNetBytes encodeNetDatagram(QXNetDatagramKind kind, std::uint32_t token, std::span<const std::uint8_t> payload) {
    QXNetBytes out;
    QXNetWriter(out).u8(kNetProtocolVersion).u8(static_cast<std::uint8_t>(kind)).u32(token).bytes(payload);
    return out;
}

std::optional<QXNetDatagram> decodeNetDatagram(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kNetMaxDatagramBytes) return std::nullopt;
    QXNetReader reader(bytes);
    const std::uint8_t version = reader.u8();
    QXNetDatagram datagram;
    datagram.kind = static_cast<QXNetDatagramKind>(reader.u8());
    datagram.token = reader.u32();
    datagram.payload = reader.rest();
    if (!reader.ok() || version != kNetProtocolVersion) return std::nullopt;
    switch (datagram.kind) {
    case QXNetDatagramKind::Message:
    case QXNetDatagramKind::Query:
    case QXNetDatagramKind::Reply:
        return datagram;
    }
    return std::nullopt;
}

QXNetBytes encodeNetGameReply(const QXNetGameReply& reply) {
    QXNetBytes out;
    QXNetWriter(out).u16(reply.tcpPort).u16(reply.players).name(reply.name);
    return out;
}

std::optional<QXNetGameReply> decodeNetGameReply(std::span<const std::uint8_t> payload) {
    QXNetReader reader(payload);
    QXNetGameReply reply;
    reply.tcpPort = reader.u16();
    reply.players = reader.u16();
    reply.name = reader.name();
    if (reply.tcpPort == 0) return std::nullopt;
    return finishedOr(reader, std::move(reply));
}

std::optional<QXNetHostPort> parseNetHostPort(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    QXNetHostPort result;
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        result.host = std::string(text);
        return result;
    }
    const std::string_view digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    unsigned port = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        port = port * 10 + static_cast<unsigned>(c - '0');
    }
    if (port == 0 || port > 65535) return std::nullopt;
    result.host = std::string(text.substr(0, colon));
    result.port = static_cast<std::uint16_t>(port);
    return result;
}
