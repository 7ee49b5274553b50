#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "runtime/QXModuleImage.h"

namespace {

// Builds module images field by field.
class ImageBuilder {
public:
    ImageBuilder& code(std::vector<std::uint8_t> bytes) {
        int32(static_cast<std::int32_t>(bytes.size()));
        data.insert(data.end(), bytes.begin(), bytes.end());
        return *this;
    }
    ImageBuilder& int32(std::int32_t v) {
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
        return *this;
    }
    ImageBuilder& record(const std::string& name, std::int32_t offset) {
        data.insert(data.end(), name.begin(), name.end());
        data.push_back(0);
        return int32(offset);
    }
    std::vector<std::uint8_t> data;
};

struct Linked {
    QXImageLinkResult result;
    std::vector<std::uint8_t> block;
    std::uint32_t base() const { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(result.codeBase)); }
    std::uint32_t word(std::size_t at) const {
        std::uint32_t v;
        std::memcpy(&v, block.data() + at, 4);
        return v;
    }
};

const std::map<std::string, std::uint32_t> kRuntimeNames = {{"_fprint", 0x1000}, {"__qxStrConcat", 0x2000},
                                                            {"_fend", 0x3000}};

// Links into a block with guard bytes after the code, to catch writes past it.
Linked link(const std::vector<std::uint8_t>& image) {
    Linked linked;
    linked.block.assign(1 << 16, 0xAB);
    auto resolve = [](std::string_view name) -> std::optional<std::uint32_t> {
        auto it = kRuntimeNames.find(std::string(name));
        if (it == kRuntimeNames.end()) return std::nullopt;
        return it->second;
    };
    auto allocate = [&](std::size_t bytes) -> std::uint8_t* {
        return bytes + 64 <= linked.block.size() ? linked.block.data() : nullptr;
    };
    linked.result = linkModuleImage(image.data(), image.size(), resolve, allocate);
    return linked;
}

}  // namespace

TEST(ModuleImage, EmptyTablesLeaveTheCodeAsItIs) {
    Linked l = link(ImageBuilder().code({0xC3, 1, 2}).int32(0).int32(0).int32(0).data);
    ASSERT_TRUE(l.result.ok()) << l.result.error;
    EXPECT_EQ(l.block[0], 0xC3);
    EXPECT_EQ(l.block[2], 2);
    // Negative counts mean empty tables too.
    EXPECT_TRUE(link(ImageBuilder().code({0xC3}).int32(-1).int32(-5).int32(0).data).result.ok());
}

TEST(ModuleImage, AbsoluteRelocationToAModuleSymbol) {
    Linked l = link(ImageBuilder().code(std::vector<std::uint8_t>(8, 0)).int32(1).record("X", 4).int32(0).int32(1).record("X", 0).data);
    ASSERT_TRUE(l.result.ok()) << l.result.error;
    EXPECT_EQ(l.word(0), l.base() + 4);
    EXPECT_EQ(l.word(4), 0u);
}

TEST(ModuleImage, RelocationArithmeticWrapsAndKeepsTheAddend) {
    // Field 0 holds -4 (a call displacement), field 4 holds 8.
    std::vector<std::uint8_t> code = {0xFC, 0xFF, 0xFF, 0xFF, 8, 0, 0, 0};
    Linked l = link(ImageBuilder().code(code).int32(0).int32(1).record("_fprint", 0).int32(1).record("__qxStrConcat", 4).data);
    ASSERT_TRUE(l.result.ok()) << l.result.error;
    EXPECT_EQ(l.word(0), 0x1000u - (l.base() + 4));
    EXPECT_EQ(l.word(4), 0x2000u + 8);
}

TEST(ModuleImage, ModuleSymbolsShadowRuntimeNamesAndTheLaterDuplicateWins) {
    Linked l = link(ImageBuilder().code(std::vector<std::uint8_t>(12, 0))
                        .int32(3).record("_fend", 4).record("Y", 8).record("Y", 0)
                        .int32(0).int32(2).record("_fend", 0).record("Y", 8).data);
    ASSERT_TRUE(l.result.ok()) << l.result.error;
    EXPECT_EQ(l.word(0), l.base() + 4);
    EXPECT_EQ(l.word(8), l.base());
}

TEST(ModuleImage, SymbolOffsetsOutsideTheCodeAreIllegal) {
    for (std::int32_t offset : {8, 9, -1, INT32_MIN}) {
        Linked l = link(ImageBuilder().code(std::vector<std::uint8_t>(8, 0)).int32(1).record("X", offset).int32(0).int32(0).data);
        EXPECT_EQ(l.result.error, "Illegal symbol value") << offset;
    }
    EXPECT_TRUE(link(ImageBuilder().code({1}).int32(1).record("X", 0).int32(0).int32(0).data).result.ok());
}

TEST(ModuleImage, UnknownNamesAreReportedByName) {
    Linked l = link(ImageBuilder().code(std::vector<std::uint8_t>(4, 0)).int32(0).int32(1).record("_fPrint", 0).int32(0).data);
    EXPECT_EQ(l.result.error, "Can't find symbol: _fPrint");
}

TEST(ModuleImage, MalformedImagesAreRefusedWithoutWritingOutsideTheCode) {
    // A relocation whose four bytes would cross the end of the code.
    for (std::int32_t offset : {5, 6, 7, 8, -1, INT32_MAX}) {
        Linked l = link(ImageBuilder().code(std::vector<std::uint8_t>(8, 0)).int32(0).int32(1).record("_fprint", offset).int32(0).data);
        EXPECT_FALSE(l.result.ok()) << offset;
        EXPECT_EQ(l.block[8], 0xAB);
    }
    // Counts larger than the data, truncated tables, a name without its 0, a code size beyond the image.
    std::vector<std::vector<std::uint8_t>> bad = {
        {},
        {1, 0},
        ImageBuilder().int32(100).data,
        ImageBuilder().int32(-3).data,
        ImageBuilder().code({0}).data,
        ImageBuilder().code({0}).int32(0x7FFFFFFF).data,
        ImageBuilder().code({0}).int32(1).data,
        ImageBuilder().code({0, 0, 0, 0}).int32(0).int32(1000000).record("_fprint", 0).data,
        [] { auto d = ImageBuilder().code({0, 0, 0, 0}).int32(1).data; d.push_back('X'); return d; }(),
        ImageBuilder().code({0, 0, 0, 0}).int32(0).int32(0).data,
    };
    for (const auto& image : bad) EXPECT_FALSE(link(image).result.ok());
}

TEST(ModuleImage, RandomCorruptionNeverCrashes) {
    std::vector<std::uint8_t> good = ImageBuilder().code(std::vector<std::uint8_t>(16, 0x90))
                                         .int32(2).record("A", 0).record("B", 12)
                                         .int32(2).record("_fprint", 4).record("A", 8)
                                         .int32(1).record("B", 12).data;
    ASSERT_TRUE(link(good).result.ok());
    std::mt19937 random(1234);
    for (int round = 0; round < 20000; ++round) {
        std::vector<std::uint8_t> image = good;
        int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) image[random() % image.size()] = static_cast<std::uint8_t>(random());
        image.resize(random() % (image.size() + 1));
        Linked l = link(image);
        if (l.result.codeBase) {
            EXPECT_EQ(l.block[l.result.codeSize + 3], 0xAB);
        }
    }
}
