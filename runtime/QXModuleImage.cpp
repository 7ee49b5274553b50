#include "runtime/QXModuleImage.h"

#include <cstring>
#include <unordered_map>

namespace {

class ImageReader {
public:
    ImageReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool readInt(std::int32_t& value) {
        if (size_ - pos_ < 4) return false;
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + i];
        value = static_cast<std::int32_t>(v);
        pos_ += 4;
        return true;
    }
    bool readName(std::string_view& name) {
        const void* end = std::memchr(data_ + pos_, 0, size_ - pos_);
        if (!end) return false;
        const auto* e = static_cast<const std::uint8_t*>(end);
        name = std::string_view(reinterpret_cast<const char*>(data_ + pos_), e - (data_ + pos_));
        pos_ = e - data_ + 1;
        return true;
    }
    const std::uint8_t* take(std::size_t bytes) {
        if (size_ - pos_ < bytes) return nullptr;
        const std::uint8_t* p = data_ + pos_;
        pos_ += bytes;
        return p;
    }
    std::size_t remaining() const { return size_ - pos_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

constexpr const char* kTruncated = "Corrupt module image: the image ends inside its tables";

std::uint32_t load32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
void store32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

class Linker {
public:
    Linker(ImageReader& reader, const QXRuntimeResolver& resolve) : in_(reader), resolveRuntime_(resolve) {}

    std::string readSymbols() {
        std::int32_t count = 0;
        if (!in_.readInt(count)) return kTruncated;
        for (std::int32_t i = 0; i < count; ++i) {
            std::string_view name;
            std::int32_t offset = 0;
            if (!in_.readName(name) || !in_.readInt(offset)) return kTruncated;
            if (offset < 0 || static_cast<std::size_t>(offset) >= size_) return "Illegal symbol value";
            moduleTable_[name] = addressOf(offset);
        }
        return {};
    }

    // Relative records add target - p, absolute ones add target.
    std::string applyRelocations(bool relative) {
        std::int32_t count = 0;
        if (!in_.readInt(count)) return kTruncated;
        if (count > 0 && static_cast<std::size_t>(count) > in_.remaining() / 5) return kTruncated;
        for (std::int32_t i = 0; i < count; ++i) {
            std::string_view name;
            std::int32_t offset = 0;
            if (!in_.readName(name) || !in_.readInt(offset)) return kTruncated;
            if (offset < 0 || size_ < 4 || static_cast<std::size_t>(offset) > size_ - 4)
                return "Corrupt module image: a relocation lies outside the code";
            std::optional<std::uint32_t> target = resolve(name);
            if (!target) return "Can't find symbol: " + std::string(name);
            std::uint8_t* field = code_ + offset;
            std::uint32_t delta = relative ? *target - addressOf(offset) : *target;
            store32(field, load32(field) + delta);
        }
        return {};
    }

    void setCode(std::uint8_t* code, std::size_t size) { code_ = code; size_ = size; }

private:
    std::uint32_t addressOf(std::int32_t offset) const {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(code_)) + static_cast<std::uint32_t>(offset);
    }
    std::optional<std::uint32_t> resolve(std::string_view name) const {
        auto it = moduleTable_.find(name);
        if (it != moduleTable_.end()) return it->second;
        return resolveRuntime_(name);
    }

    ImageReader& in_;
    const QXRuntimeResolver& resolveRuntime_;
    std::unordered_map<std::string_view, std::uint32_t> moduleTable_;
    std::uint8_t* code_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace

QXImageLinkResult linkModuleImage(const std::uint8_t* image, std::size_t size,
                                  const QXRuntimeResolver& resolveRuntime,
                                  const QXCodeAllocator& allocateCode) {
    QXImageLinkResult result;
    ImageReader in(image, size);
    std::int32_t codeSize = 0;
    if (!in.readInt(codeSize)) {
        result.error = kTruncated;
        return result;
    }
    if (codeSize < 0 || static_cast<std::size_t>(codeSize) > in.remaining()) {
        result.error = "Corrupt module image: the code size exceeds the image";
        return result;
    }
    const std::uint8_t* bytes = in.take(static_cast<std::size_t>(codeSize));
    std::uint8_t* code = allocateCode(codeSize > 0 ? static_cast<std::size_t>(codeSize) : 1);
    if (!code) {
        result.error = "Not enough memory for the module's code";
        return result;
    }
    if (codeSize > 0) std::memcpy(code, bytes, static_cast<std::size_t>(codeSize));

    Linker linker(in, resolveRuntime);
    linker.setCode(code, static_cast<std::size_t>(codeSize));
    result.error = linker.readSymbols();
    if (result.ok()) result.error = linker.applyRelocations(true);
    if (result.ok()) result.error = linker.applyRelocations(false);
    result.codeBase = code;
    result.codeSize = static_cast<std::size_t>(codeSize);
    return result;
}
