#include "graphics/picture/QXPicture.h"

#include <utility>

#include "graphics/QXPixmap.h"
#include "graphics/picture/QXPictureDecoder.h"
#include "runtime/QXHostPath.h"

namespace {
// A pixmap over the decoder's own pixel memory: the decoded rows already have
// the layout of code 4 with alignment 4, so they are kept rather than copied.
class QXPicturePixmap : public QXPixmap {
public:
    explicit QXPicturePixmap(QXDecodedPicture&& picture)
        : QXPixmap(picture.width, picture.height, QXFormatXRGB8888, picture.pixels(), picture.width * 4),
          picture_(std::move(picture)) {}

private:
    QXDecodedPicture picture_;
};
}  // namespace

QXPixmap* loadPicture(const char* fileName) {
    if (!fileName) return nullptr;
    std::optional<QXPictureFormat> format = pictureFormatForName(fileName);
    if (!format) return nullptr;
    std::optional<std::vector<std::uint8_t>> bytes = readPictureFile(hostPath(fileName).c_str());
    if (!bytes) return nullptr;
    std::optional<QXDecodedPicture> picture = decodePicture(*bytes, *format);
    if (!picture) return nullptr;
    bytes.reset();  // the file's bytes are not needed beside the pixels
    try {
        return new QXPicturePixmap(std::move(*picture));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
