#pragma once
// Decoding of picture files (BMP, PNG, JPEG) into 32-bit colour values.
//
// Picture files come from anywhere, so every byte is distrusted: the file is
// read up to a size limit, its signature must match the format its extension
// names, its structure is walked before the decoder sees it (PNG chunks and
// their CRCs, JPEG segments up to the end-of-image marker, BMP offsets, row
// sizes and palette indexes), and the declared size must lie within the
// limits below and be plausible for the amount of data the file holds. The
// decoder's own allocations are capped too. Portable code: no platform calls.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

enum class QXPictureFormat { Bmp, Png, Jpeg };

struct QXPictureLimits {
    static constexpr int kMaxSide = 16384;                                  // pixels, either side
    static constexpr std::size_t kMaxDecodedBytes = std::size_t(256) << 20;  // 4 bytes per pixel
    static constexpr std::size_t kMaxFileBytes = std::size_t(256) << 20;
};

// The format a file name asks for: the text after the last "." decides,
// whatever its case: "jpg" and "jpeg" are JPEG, "png" is PNG, anything else
// BMP. A name without a dot has no format.
std::optional<QXPictureFormat> pictureFormatForName(std::string_view fileName);

// Decoded pixels: width × height colour values 0xAARRGGBB, top row first,
// rows packed (width × 4 bytes apart). Alpha is kept from the file, 0xFF
// where the file has none.
class QXDecodedPicture {
public:
    int width = 0;
    int height = 0;
    std::uint32_t* pixels() const { return pixels_.get(); }

    struct Release {
        void operator()(std::uint32_t* pixels) const;
    };
    std::unique_ptr<std::uint32_t, Release> pixels_;
};

// Decodes `bytes` as `format`. Nothing on any failure (wrong signature,
// malformed or truncated data, sizes beyond the limits, memory); never throws.
std::optional<QXDecodedPicture> decodePicture(std::span<const std::uint8_t> bytes, QXPictureFormat format);

// The whole file, when it can be opened, read and is no larger than
// `maxBytes`; nothing otherwise. Never throws.
std::optional<std::vector<std::uint8_t>> readPictureFile(const char* fileName,
                                                        std::size_t maxBytes = QXPictureLimits::kMaxFileBytes);
