// libFuzzer target: any bytes through the picture decoder. The format is
// taken from the leading bytes, as the extension would name it, so that each
// decoder sees inputs that pass the signature check.

#include <cstddef>
#include <cstdint>

#include "graphics/picture/QXPictureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QXPictureFormat format = QXPictureFormat::Bmp;
    if (size > 0 && data[0] == 0x89) format = QXPictureFormat::Png;
    if (size > 0 && data[0] == 0xFF) format = QXPictureFormat::Jpeg;
    std::optional<QXDecodedPicture> picture = decodePicture({data, size}, format);
    if (picture) {
        // Touch every pixel: the decoder must have delivered all of them.
        std::uint32_t sum = 0;
        for (std::size_t i = 0; i < std::size_t(picture->width) * std::size_t(picture->height); ++i)
            sum += picture->pixels()[i];
        volatile std::uint32_t sink = sum;
        (void)sink;
    }
    return 0;
}
