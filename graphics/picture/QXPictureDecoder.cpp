#include "graphics/picture/QXPictureDecoder.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// ---------------------------------------------------------------- the decoder
// stb_image, private to this file, with only the three formats we read. Its
// allocations go through a budget set for each picture, so that no input can
// make it take more memory than the picture's size justifies (its zlib output
// otherwise grows without bound on a stream that inflates past the picture).
namespace {
void* budgetMalloc(std::size_t size);
void* budgetRealloc(void* block, std::size_t size);
void budgetFree(void* block);
}  // namespace

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS QXPictureLimits::kMaxSide
#define STBI_MALLOC(size) budgetMalloc(size)
#define STBI_REALLOC(block, size) budgetRealloc(block, size)
#define STBI_FREE(block) budgetFree(block)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#if defined(__clang__)
#pragma GCC diagnostic ignored "-Wunknown-warning-option"
#else
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

// ---------------------------------------------------------------- allocation budget
// Each block carries its size in a header that keeps the block's alignment.
constexpr std::size_t kBlockHeader = 16;

struct DecodeBudget {
    bool active = false;
    std::size_t left = 0;
};
thread_local DecodeBudget budget;

std::size_t blockSize(void* block) {
    std::size_t size;
    std::memcpy(&size, static_cast<char*>(block) - kBlockHeader, sizeof size);
    return size;
}

void* budgetMalloc(std::size_t size) {
    if (budget.active) {
        if (size > budget.left) return nullptr;
        budget.left -= size;
    }
    if (size > SIZE_MAX - kBlockHeader) return nullptr;
    auto* raw = static_cast<char*>(std::malloc(size + kBlockHeader));
    if (!raw) {
        if (budget.active) budget.left += size;
        return nullptr;
    }
    std::memcpy(raw, &size, sizeof size);
    return raw + kBlockHeader;
}

void budgetFree(void* block) {
    if (!block) return;
    if (budget.active) budget.left += blockSize(block);
    std::free(static_cast<char*>(block) - kBlockHeader);
}

void* budgetRealloc(void* block, std::size_t size) {
    if (!block) return budgetMalloc(size);
    void* grown = budgetMalloc(size);
    if (!grown) return nullptr;
    std::size_t old = blockSize(block);
    std::memcpy(grown, block, old < size ? old : size);
    budgetFree(block);
    return grown;
}

// Sets the budget for one decode and lifts it afterwards.
class BudgetScope {
public:
    explicit BudgetScope(std::size_t bytes) { budget = {true, bytes}; }
    ~BudgetScope() { budget = {}; }
    BudgetScope(const BudgetScope&) = delete;
    BudgetScope& operator=(const BudgetScope&) = delete;
};

// ---------------------------------------------------------------- byte reading
using Bytes = std::span<const std::uint8_t>;

std::uint32_t be32(Bytes b, std::size_t at) {
    return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) | (std::uint32_t(b[at + 2]) << 8) | b[at + 3];
}
std::uint32_t be16(Bytes b, std::size_t at) { return (std::uint32_t(b[at]) << 8) | b[at + 1]; }
std::uint32_t le32(Bytes b, std::size_t at) {
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}
std::uint32_t le16(Bytes b, std::size_t at) { return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8); }

bool startsWith(Bytes bytes, std::initializer_list<std::uint8_t> signature) {
    if (bytes.size() < signature.size()) return false;
    return std::equal(signature.begin(), signature.end(), bytes.begin());
}

// What the structural walk learns about a file before decoding.
struct Shape {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
};

std::uint64_t decodedBytes(const Shape& shape) { return shape.width * shape.height * 4; }

bool withinLimits(std::uint64_t width, std::uint64_t height) {
    return width >= 1 && height >= 1 && width <= QXPictureLimits::kMaxSide && height <= QXPictureLimits::kMaxSide &&
           width * height * 4 <= QXPictureLimits::kMaxDecodedBytes;
}

// ---------------------------------------------------------------- PNG
constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

std::uint32_t crc32(Bytes bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t byte : bytes) c = kCrcTable[(c ^ byte) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

constexpr std::uint32_t chunkType(const char (&name)[5]) {
    return (std::uint32_t(std::uint8_t(name[0])) << 24) | (std::uint32_t(std::uint8_t(name[1])) << 16) |
           (std::uint32_t(std::uint8_t(name[2])) << 8) | std::uint8_t(name[3]);
}

struct PngLayout {
    Shape shape;
    int bitDepth = 0;
    int colourType = 0;
    bool interlaced = false;
    std::uint32_t paletteEntries = 0;
    std::uint64_t compressedBytes = 0;
    std::vector<Bytes> idat;
};

constexpr int samplesPerPixel(int colourType) {
    switch (colourType) {
    case 0: return 1;  // grey
    case 2: return 3;  // RGB
    case 3: return 1;  // palette index
    case 4: return 2;  // grey and alpha
    case 6: return 4;  // RGBA
    default: return 0;
    }
}

// Chunks in order, each within the file and with a correct CRC, IHDR first,
// at least one IDAT, ending with IEND.
std::optional<PngLayout> walkPng(Bytes bytes) {
    if (!startsWith(bytes, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) return std::nullopt;
    PngLayout png;
    bool sawHeader = false;
    for (std::size_t at = 8;;) {
        if (bytes.size() - at < 12) return std::nullopt;
        const std::uint32_t length = be32(bytes, at);
        const std::uint32_t type = be32(bytes, at + 4);
        if (length > 0x7FFFFFFFu || bytes.size() - at - 12 < length) return std::nullopt;
        Bytes data = bytes.subspan(at + 8, length);
        if (crc32(bytes.subspan(at + 4, length + 4)) != be32(bytes, at + 8 + length)) return std::nullopt;
        at += 12 + std::size_t(length);
        if (!sawHeader) {
            if (type != chunkType("IHDR") || length != 13) return std::nullopt;
            sawHeader = true;
            png.shape = {be32(data, 0), be32(data, 4)};
            png.bitDepth = data[8];
            png.colourType = data[9];
            png.interlaced = data[12] != 0;
            if (samplesPerPixel(png.colourType) == 0) return std::nullopt;
        } else if (type == chunkType("PLTE")) {
            png.paletteEntries = length / 3;
        } else if (type == chunkType("IDAT")) {
            png.compressedBytes += length;
            png.idat.push_back(data);
        } else if (type == chunkType("IEND")) {
            if (png.idat.empty()) return std::nullopt;
            return png;
        }
    }
}

std::uint64_t pngRowBytes(const PngLayout& png, std::uint64_t width) {
    return (width * std::uint64_t(samplesPerPixel(png.colourType)) * std::uint64_t(png.bitDepth) + 7) / 8;
}

// Deflate cannot expand its input more than 1032 times: a picture that needs
// more filtered bytes than its compressed data can give is a lie about its size.
bool pngSizeIsPlausible(const PngLayout& png) {
    const std::uint64_t filtered = png.shape.height * (1 + pngRowBytes(png, png.shape.width));
    return filtered <= png.compressedBytes * 1040 + 4096;
}

// Undoes the PNG row filters of one pass in place (the filter byte stays).
// Palette pictures filter whole bytes, so one byte is one step.
bool unfilterRows(std::uint8_t* rows, std::uint64_t rowBytes, std::uint64_t rowCount) {
    const std::uint8_t* prior = nullptr;
    for (std::uint64_t y = 0; y < rowCount; ++y) {
        std::uint8_t* row = rows + y * (rowBytes + 1);
        const int filter = row[0];
        std::uint8_t* x = row + 1;
        const std::uint8_t* up = prior ? prior + 1 : nullptr;
        for (std::uint64_t i = 0; i < rowBytes; ++i) {
            const int a = i ? x[i - 1] : 0;
            const int b = up ? up[i] : 0;
            const int c = (i && up) ? up[i - 1] : 0;
            switch (filter) {
            case 0: break;
            case 1: x[i] = std::uint8_t(x[i] + a); break;
            case 2: x[i] = std::uint8_t(x[i] + b); break;
            case 3: x[i] = std::uint8_t(x[i] + ((a + b) >> 1)); break;
            case 4: {
                const int p = a + b - c;
                const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                x[i] = std::uint8_t(x[i] + ((pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c)));
                break;
            }
            default: return false;
            }
        }
        prior = row;
    }
    return true;
}

// The decoder reads indexes past the palette from uninitialised memory; such
// pictures are refused here. Inflates the image data once more (palette
// pictures only) and checks every index of every pass.
bool pngIndexesInPalette(const PngLayout& png) {
    struct Pass {
        int x0, y0, dx, dy;
    };
    static constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                      {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static constexpr Pass kWhole[] = {{0, 0, 1, 1}};
    const std::span<const Pass> passes = png.interlaced ? std::span<const Pass>(kAdam7) : std::span<const Pass>(kWhole);

    std::vector<std::uint8_t> compressed;
    compressed.reserve(png.compressedBytes);
    for (Bytes part : png.idat) compressed.insert(compressed.end(), part.begin(), part.end());

    std::uint64_t expected = 0;
    for (const Pass& pass : passes) {
        const std::uint64_t w = png.shape.width > std::uint64_t(pass.x0) ? (png.shape.width - pass.x0 + pass.dx - 1) / pass.dx : 0;
        const std::uint64_t h = png.shape.height > std::uint64_t(pass.y0) ? (png.shape.height - pass.y0 + pass.dy - 1) / pass.dy : 0;
        if (w && h) expected += h * (1 + pngRowBytes(png, w));
    }
    BudgetScope scope(static_cast<std::size_t>(expected * 2 + compressed.size() + (1u << 20)));
    int inflatedSize = 0;
    std::unique_ptr<char, decltype(&budgetFree)> inflated(
        stbi_zlib_decode_malloc_guesssize(reinterpret_cast<const char*>(compressed.data()), int(compressed.size()),
                                          int(expected), &inflatedSize),
        &budgetFree);
    if (!inflated || std::uint64_t(inflatedSize) < expected) return false;

    auto* data = reinterpret_cast<std::uint8_t*>(inflated.get());
    const int depth = png.bitDepth;
    for (const Pass& pass : passes) {
        const std::uint64_t w = png.shape.width > std::uint64_t(pass.x0) ? (png.shape.width - pass.x0 + pass.dx - 1) / pass.dx : 0;
        const std::uint64_t h = png.shape.height > std::uint64_t(pass.y0) ? (png.shape.height - pass.y0 + pass.dy - 1) / pass.dy : 0;
        if (!w || !h) continue;
        const std::uint64_t rowBytes = pngRowBytes(png, w);
        if (!unfilterRows(data, rowBytes, h)) return false;
        for (std::uint64_t y = 0; y < h; ++y) {
            const std::uint8_t* row = data + y * (rowBytes + 1) + 1;
            for (std::uint64_t x = 0; x < w; ++x) {
                const std::uint64_t bit = x * depth;
                const unsigned index = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
                if (index >= png.paletteEntries) return false;
            }
        }
        data += h * (1 + rowBytes);
    }
    return true;
}

std::optional<Shape> checkPng(Bytes bytes) {
    std::optional<PngLayout> png = walkPng(bytes);
    if (!png || !pngSizeIsPlausible(*png) || !withinLimits(png->shape.width, png->shape.height)) return std::nullopt;
    if (png->colourType == 3) {
        const int depth = png->bitDepth;
        if ((depth != 1 && depth != 2 && depth != 4 && depth != 8) || !pngIndexesInPalette(*png)) return std::nullopt;
    }
    return png->shape;
}

// ---------------------------------------------------------------- JPEG
// Every coded block takes at least one bit, and a block covers at most 32 × 32
// pixels (sampling factors up to 4): more pixels than that per bit of file is
// a lie about the size.
constexpr std::uint64_t kJpegMaxDecodedBytesPerFileByte = 32 * 32 * 4 * 8;

bool isFrameMarker(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Huffman tables: the decoder trusts the code counts of a table (more than
// 256 codes overrun its arrays), so every table of the segment is checked:
// known class and slot, at most 256 codes, no oversubscribed code length, and
// all within the segment.
bool huffmanTablesAreSound(Bytes segment) {
    std::size_t at = 0;
    while (at < segment.size()) {
        if (segment.size() - at < 17) return false;
        const int classAndSlot = segment[at];
        if ((classAndSlot >> 4) > 1 || (classAndSlot & 15) > 3) return false;
        std::size_t codes = 0;
        std::uint32_t available = 1;  // codes of the current length still free
        for (int length = 1; length <= 16; ++length) {
            available *= 2;
            const int count = segment[at + length];
            if (std::uint32_t(count) > available) return false;
            available -= std::uint32_t(count);
            codes += std::size_t(count);
        }
        if (codes > 256 || segment.size() - at - 17 < codes) return false;
        at += 17 + codes;
    }
    return true;
}

// The Huffman tables a DHT segment defines, as bits: DC slots 0-3, then AC
// slots 4-7. The segment has passed huffmanTablesAreSound.
unsigned huffmanTablesDefined(Bytes segment) {
    unsigned defined = 0;
    for (std::size_t at = 0; at < segment.size();) {
        const int classAndSlot = segment[at];
        defined |= 1u << ((classAndSlot >> 4) * 4 + (classAndSlot & 15));
        std::size_t codes = 0;
        for (int length = 1; length <= 16; ++length) codes += segment[at + length];
        at += 17 + codes;
    }
    return defined;
}

// A scan may only decode with tables defined before it: the decoder does not
// clear its table state, so an undefined one is whatever the heap held, and
// its lookups then index far outside their arrays. Which tables a scan reads
// depends on the frame: sequential scans read both of every component;
// progressive DC scans read the DC table only on their first pass (a
// refinement reads raw bits), and AC scans read the AC table.
bool scanUsesDefinedTables(Bytes segment, bool progressive, unsigned defined) {
    if (segment.empty()) return false;
    const std::size_t components = segment[0];
    if (components < 1 || components > 4 || segment.size() < 1 + 2 * components + 3) return false;
    const int spectralStart = segment[1 + 2 * components];
    const int approximationHigh = segment[3 + 2 * components] >> 4;
    const bool readsDc = !progressive || (spectralStart == 0 && approximationHigh == 0);
    const bool readsAc = !progressive || spectralStart != 0;
    for (std::size_t i = 0; i < components; ++i) {
        const int tables = segment[2 + 2 * i];
        const int dc = tables >> 4, ac = tables & 15;
        if (readsDc && (dc > 3 || !(defined & (1u << dc)))) return false;
        if (readsAc && (ac > 3 || !(defined & (1u << (4 + ac))))) return false;
    }
    return true;
}

// Segments within the file from the start-of-image marker, a baseline,
// extended or progressive Huffman frame, at least one scan, and the
// end-of-image marker: a file cut short anywhere fails here (the decoder
// would fill the missing data with grey).
std::optional<Shape> checkJpeg(Bytes bytes) {
    if (!startsWith(bytes, {0xFF, 0xD8, 0xFF})) return std::nullopt;
    std::optional<Shape> frame;
    bool progressive = false;
    bool sawScan = false;
    unsigned tablesDefined = 0;
    std::size_t at = 2;
    for (;;) {
        if (at >= bytes.size() || bytes[at] != 0xFF) return std::nullopt;
        while (at < bytes.size() && bytes[at] == 0xFF) ++at;  // fill bytes
        if (at >= bytes.size()) return std::nullopt;
        const int marker = bytes[at++];
        if (marker == 0xD9) break;                                    // end of image
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (bytes.size() - at < 2) return std::nullopt;
        const std::size_t length = be16(bytes, at);
        if (length < 2 || bytes.size() - at < length) return std::nullopt;
        const Bytes segment = bytes.subspan(at + 2, length - 2);
        if (marker == 0xC4) {
            if (!huffmanTablesAreSound(segment)) return std::nullopt;
            tablesDefined |= huffmanTablesDefined(segment);
        }
        if (isFrameMarker(marker)) {
            // Lossless, hierarchical and arithmetic-coded frames are not decoded.
            if (frame || marker > 0xC2 || length < 8) return std::nullopt;
            frame = Shape{be16(bytes, at + 5), be16(bytes, at + 3)};
            progressive = marker == 0xC2;
        }
        at += length;
        if (marker == 0xDA) {
            if (!frame || !scanUsesDefinedTables(segment, progressive, tablesDefined)) return std::nullopt;
            sawScan = true;
            // Entropy-coded data: a 0xFF byte is followed by a stuffed 0 or a restart marker.
            for (;; ++at) {
                if (at >= bytes.size()) return std::nullopt;
                const void* mark = std::memchr(bytes.data() + at, 0xFF, bytes.size() - at);
                if (!mark) return std::nullopt;
                at = std::size_t(static_cast<const std::uint8_t*>(mark) - bytes.data());
                if (at + 1 >= bytes.size()) return std::nullopt;
                const std::uint8_t next = bytes[at + 1];
                if (next != 0 && !(next >= 0xD0 && next <= 0xD7)) break;
            }
        }
    }
    if (!frame || !sawScan) return std::nullopt;
    if (decodedBytes(*frame) > kJpegMaxDecodedBytesPerFileByte * bytes.size()) return std::nullopt;
    return frame;
}

// ---------------------------------------------------------------- BMP
// Header, pixel offset, row sizes and palette as the decoder will read them:
// the pixel rows must lie within the file (the decoder would read zeros past
// its end) and palette pictures may only use entries the palette has (the
// decoder would read the rest from uninitialised memory).
std::optional<Shape> checkBmp(Bytes bytes) {
    constexpr std::size_t kFileHeader = 14;
    if (!startsWith(bytes, {'B', 'M'}) || bytes.size() < kFileHeader + 4) return std::nullopt;
    const std::uint64_t offset = le32(bytes, 10);
    const std::uint32_t headerSize = le32(bytes, 14);
    if (headerSize != 12 && headerSize != 40 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        return std::nullopt;
    if (bytes.size() < kFileHeader + headerSize) return std::nullopt;
    std::int64_t width, height;
    int bitCount, compression = 0;
    if (headerSize == 12) {
        width = le16(bytes, 18);
        height = le16(bytes, 20);
        bitCount = int(le16(bytes, 24));
    } else {
        width = std::int32_t(le32(bytes, 18));
        height = std::int32_t(le32(bytes, 22));
        bitCount = int(le16(bytes, 28));
        compression = int(le32(bytes, 30));
    }
    if (width <= 0 || height == 0) return std::nullopt;
    if (height < 0) height = -height;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return std::nullopt;
    // Only uncompressed rows, or bit fields for 16 and 32 bits (run-length
    // and embedded JPEG or PNG are not decoded).
    if (compression != 0 && !(compression == 3 && (bitCount == 16 || bitCount == 32))) return std::nullopt;

    std::uint64_t headersEnd = kFileHeader + headerSize;
    if ((headerSize == 40 || headerSize == 56) && compression == 3) headersEnd += 12;  // the three masks
    if (offset < headersEnd || offset > bytes.size()) return std::nullopt;
    const std::uint64_t stride = (std::uint64_t(width) * bitCount + 31) / 32 * 4;
    const std::uint64_t rows = std::uint64_t(height);
    if ((bytes.size() - offset) / stride < rows) return std::nullopt;

    if (bitCount < 16) {
        // The palette fills the gap between the headers and the pixels.
        const std::uint64_t entryBytes = headerSize == 12 ? 3 : 4;
        const std::uint64_t paletteBytes = headerSize == 12 ? (offset >= 38 ? offset - 38 : 0) : offset - headersEnd;
        const std::uint64_t entries = paletteBytes / entryBytes;
        if (entries == 0 || entries > 256) return std::nullopt;
        for (std::uint64_t y = 0; y < rows; ++y) {
            const std::uint8_t* row = bytes.data() + offset + y * stride;
            for (std::uint64_t x = 0; x < std::uint64_t(width); ++x) {
                const std::uint64_t bit = x * bitCount;
                const unsigned index = (row[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                if (index >= entries) return std::nullopt;
            }
        }
    }
    return Shape{std::uint64_t(width), std::uint64_t(height)};
}

// ---------------------------------------------------------------- common
std::optional<Shape> checkStructure(Bytes bytes, QXPictureFormat format) {
    switch (format) {
    case QXPictureFormat::Png: return checkPng(bytes);
    case QXPictureFormat::Jpeg: return checkJpeg(bytes);
    case QXPictureFormat::Bmp: return checkBmp(bytes);
    }
    return std::nullopt;
}

// RGBA bytes become colour values 0xAARRGGBB in place.
void rgbaToColours(std::uint8_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, pixels += 4) {
        const std::uint32_t colour = (std::uint32_t(pixels[3]) << 24) | (std::uint32_t(pixels[0]) << 16) |
                                     (std::uint32_t(pixels[1]) << 8) | pixels[2];
        std::memcpy(pixels, &colour, 4);
    }
}

std::optional<QXDecodedPicture> decodeChecked(Bytes bytes, QXPictureFormat format) {
    if (bytes.size() > QXPictureLimits::kMaxFileBytes) return std::nullopt;
    // The structure walk gives the size the decoder is asked for next; both
    // must lie within the limits before anything is decoded.
    std::optional<Shape> shape = checkStructure(bytes, format);
    if (!shape || !withinLimits(shape->width, shape->height)) return std::nullopt;
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &channels)) return std::nullopt;
    if (format == QXPictureFormat::Bmp && height < 0 && height != INT_MIN) height = -height;  // top-down rows
    if (!withinLimits(std::uint64_t(width), std::uint64_t(height))) return std::nullopt;

    // Room for the decoder's working copies (at most a few times the 16-bit
    // picture) and the file itself; more means the data inflates past the picture.
    const std::uint64_t pictureBytes = std::uint64_t(width) * std::uint64_t(height) * 4;
    BudgetScope scope(static_cast<std::size_t>(
        std::min<std::uint64_t>(pictureBytes * 6 + bytes.size() * 2 + (1u << 20), SIZE_MAX / 2)));
    int decodedWidth = 0, decodedHeight = 0;
    stbi_uc* rgba = stbi_load_from_memory(bytes.data(), length, &decodedWidth, &decodedHeight, &channels, 4);
    if (!rgba) return std::nullopt;
    QXDecodedPicture picture;
    picture.pixels_.reset(reinterpret_cast<std::uint32_t*>(rgba));
    if (decodedWidth != width || decodedHeight != height) return std::nullopt;
    picture.width = width;
    picture.height = height;
    rgbaToColours(rgba, std::size_t(width) * std::size_t(height));
    return picture;
}

}  // namespace

void QXDecodedPicture::Release::operator()(std::uint32_t* pixels) const { stbi_image_free(pixels); }

std::optional<QXPictureFormat> pictureFormatForName(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    std::string_view extension = fileName.substr(dot + 1);
    auto is = [extension](std::string_view name) {
        if (extension.size() != name.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i) {
            char c = extension[i];
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
            if (c != name[i]) return false;
        }
        return true;
    };
    if (is("jpg") || is("jpeg")) return QXPictureFormat::Jpeg;
    if (is("png")) return QXPictureFormat::Png;
    return QXPictureFormat::Bmp;
}

std::optional<QXDecodedPicture> decodePicture(std::span<const std::uint8_t> bytes, QXPictureFormat format) {
    try {
        return decodeChecked(bytes, format);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<std::vector<std::uint8_t>> readPictureFile(const char* fileName, std::size_t maxBytes) {
    if (!fileName) return std::nullopt;
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(fileName, "rb"));
    if (!file) return std::nullopt;
    try {
        std::vector<std::uint8_t> bytes;
        if (std::fseek(file.get(), 0, SEEK_END) == 0) {
            const long size = std::ftell(file.get());
            if (size > 0 && std::uint64_t(size) > maxBytes) return std::nullopt;
            if (size > 0) bytes.reserve(std::size_t(size));
        }
        std::rewind(file.get());
        std::array<std::uint8_t, 64 * 1024> chunk;
        for (;;) {
            const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
            if (got == 0) break;
            if (bytes.size() + got > maxBytes) return std::nullopt;
            bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
        }
        if (std::ferror(file.get())) return std::nullopt;
        return bytes;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
