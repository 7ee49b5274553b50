// Program-chosen numbers into the image rules: transform matrices, sizes and
// handles; mask placements and rectangles; tile anchors; animation cells. None
// may crash, overflow or read outside a store, and results keep their bounds.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/images/QXCollisionMask.h"
#include "graphics/images/QXImageLayout.h"
#include "graphics/images/QXImageTransform.h"

namespace {

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    template <class T> T next() {
        T value{};
        const std::size_t n = size < sizeof(T) ? size : sizeof(T);
        std::memcpy(&value, data, n);
        data += n, size -= n;
        return value;
    }
};

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in{data, size};
    const int width = 1 + in.next<std::uint8_t>() % 40, height = 1 + in.next<std::uint8_t>() % 40;
    std::vector<std::uint32_t> pixels(std::size_t(width * height));
    for (auto& p : pixels) p = in.next<std::uint8_t>() & 1 ? 0xFFFFFF : 0;
    const QXPixelView view{reinterpret_cast<std::uint8_t*>(pixels.data()), width * 4, 4, width, height};

    // Transform: any matrix, any handle; a planned result must fit the limits and render in place.
    const QXTransformMatrix matrix{in.next<float>(), in.next<float>(), in.next<float>(), in.next<float>()};
    const int handleX = in.next<int>(), handleY = in.next<int>();
    QXTransformPlan plan{};
    if (planTransform(matrix, width, height, handleX, handleY, plan) == QXTransformResult::Ok) {
        require(plan.width >= 1 && plan.height >= 1);
        if (std::int64_t(plan.width) * plan.height <= 1 << 16) {
            std::vector<std::uint32_t> out(std::size_t(plan.width) * plan.height);
            const QXPixelView target{reinterpret_cast<std::uint8_t*>(out.data()), plan.width * 4, 4, plan.width,
                                     plan.height};
            renderTransform(plan, view, target, in.next<std::uint8_t>() & 1, 0x123456);
        }
    }

    // Collision: any placement, any rectangle.
    const QXCollisionMask mask(view, 0);
    const std::int64_t x1 = in.next<int>(), y1 = in.next<int>(), x2 = in.next<int>(), y2 = in.next<int>();
    const bool hit = masksCollide(mask, x1, y1, mask, x2, y2);
    require(hit == masksCollide(mask, x2, y2, mask, x1, y1));
    if (hit) require(rectsOverlap(x1, y1, width, height, x2, y2, width, height));
    maskMeetsRect(mask, x1, y1, in.next<int>(), in.next<int>(), in.next<int>(), in.next<int>());

    // Tiles: every tile meets the viewport; stop counting early on huge viewports.
    const QXRect viewport{in.next<std::int16_t>(), in.next<std::int16_t>(), in.next<std::int16_t>(),
                          in.next<std::int16_t>()};
    int tiles = 0;
    if (viewport.width() * viewport.height() <= 1 << 14)
        forEachTile(viewport, in.next<int>(), in.next<int>(), width, height, [&](const QXRect& tile) {
            ++tiles;
            require(tile.right > viewport.left && tile.left < viewport.right && tile.bottom > viewport.top &&
                    tile.top < viewport.bottom);
        });

    // Cells lie inside the picture.
    const int pictureWidth = in.next<std::uint16_t>(), pictureHeight = in.next<std::uint16_t>();
    const int cellWidth = in.next<std::int16_t>(), cellHeight = in.next<std::int16_t>();
    const int first = in.next<int>(), count = in.next<std::uint8_t>();
    if (auto cells = animationCells(pictureWidth, pictureHeight, cellWidth, cellHeight, first, count))
        for (const QXCell& cell : *cells)
            require(cell.x >= 0 && cell.y >= 0 && cell.x + cellWidth <= pictureWidth &&
                    cell.y + cellHeight <= pictureHeight);
    return 0;
}
