#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <utility>
#include <vector>

#include "graphics/QXGraphics.h"
#include "graphics/QXPixmap.h"

namespace {

constexpr int kConvertible[] = {1, 2, 3, 4, 7};

// A pixmap with the lifetime of a local variable: it gives back the
// reference it was created with when it goes out of scope.
struct LocalPixmap : QXPixmap {
    using QXPixmap::QXPixmap;
    ~LocalPixmap() override { refCount = 0; }
};

// A pixmap viewing rows that are padded and surrounded by guard bytes, so a
// test can see whether an operation wrote anywhere but into the pixels.
class GuardedStore {
public:
    static constexpr int kGuard = 64;
    static constexpr std::uint8_t kFill = 0xCD;

    GuardedStore(int width, int height, int format, int padding = 3)
        : rowBytes_(width * bytesPerPixel(format)),
          pitch_(rowBytes_ + padding),
          height_(height),
          memory_(static_cast<std::size_t>(2 * kGuard + pitch_ * height), kFill),
          pixmap(new QXPixmap(width, height, format, memory_.data() + kGuard, pitch_)) {}
    ~GuardedStore() { release(pixmap); }
    GuardedStore(const GuardedStore&) = delete;
    GuardedStore& operator=(const GuardedStore&) = delete;

    bool untouchedOutside() const {
        auto unchanged = [&](std::size_t from, std::size_t count) {
            for (std::size_t i = from; i < from + count; ++i)
                if (memory_[i] != kFill) return false;
            return true;
        };
        if (!unchanged(0, kGuard) || !unchanged(memory_.size() - kGuard, kGuard)) return false;
        for (int row = 0; row < height_; ++row)
            if (!unchanged(std::size_t(kGuard + row * pitch_ + rowBytes_), std::size_t(pitch_ - rowBytes_)))
                return false;
        return true;
    }
    const std::uint8_t* row(int y) const { return memory_.data() + kGuard + y * pitch_; }

private:
    int rowBytes_, pitch_, height_;
    std::vector<std::uint8_t> memory_;

public:
    QXPixmap* pixmap;
};

QXColour colourAt(QXGraphics& graphics, int x, int y) {
    QXColour colour = 0xDEADBEEF;
    graphics.read(x, y, 1, 1, &colour, 4);
    return colour;
}

void put(QXGraphics& graphics, int x, int y, QXColour colour) { graphics.write(x, y, 1, 1, &colour, 4); }

// Every pixel of the store as colour values, row after row.
std::vector<QXColour> snapshot(QXGraphics& graphics) {
    std::vector<QXColour> colours(static_cast<std::size_t>(graphics.width * graphics.height));
    graphics.read(0, 0, graphics.width, graphics.height, colours.data(), graphics.width * 4);
    return colours;
}

// What reading a colour back shows after it went through two formats.
QXColour throughBoth(int first, int second, QXColour colour) {
    auto kept = [](int format) -> QXColour {
        return format == 1 ? 0x00F8FCF8 : format == 2 ? 0x00F8F8F8 : format == 7 ? 0xFFFFFFFF : 0x00FFFFFF;
    };
    QXColour result = colour & kept(first) & kept(second);
    return (first == 7 && second == 7) ? result : result | 0xFF000000;
}

// A store that implements only lock and unlock, counting both.
class LockOnlyStore : public QXGraphics {
public:
    LockOnlyStore(int width, int height) : QXGraphics(width, height), memory(std::size_t(width * height * 4)) {}
    QXPixelLock lock() override {
        ++locks;
        ++depth;
        return {reinterpret_cast<std::uint8_t*>(memory.data()), width * 4, QXFormatARGB8888};
    }
    void unlock() override { --depth; }
    ~LockOnlyStore() override { refCount = 0; }

    std::vector<std::uint32_t> memory;
    int locks = 0;
    int depth = 0;
};

}  // namespace

TEST(Pixmap, PitchIsTheRowRoundedUpToTheAlignment) {
    const struct {
        int width, format, alignment, pitch;
    } cases[] = {{3, 3, 4, 12}, {5, 3, 4, 16}, {3, 1, 1, 6}, {3, 4, 8, 16}, {0, 4, 4, 0},
                 {7, 2, 2, 14}, {3, 3, 0, 9},  {3, 3, -4, 9}, {10, 99, 4, 0}};
    for (const auto& c : cases) {
        QXPixmap* pixmap = createPixmap(c.width, 2, c.format, c.alignment);
        EXPECT_EQ(pixmap->pitch, c.pitch) << c.width << " " << c.format << " " << c.alignment;
        EXPECT_TRUE(pixmap->hasPixels());
        QXPixelLock lock = pixmap->lock();
        EXPECT_EQ(lock.pixels, pixmap->pixels);
        EXPECT_EQ(lock.pitch, c.pitch);
        EXPECT_EQ(lock.format, c.format);
        pixmap->unlock();
        release(pixmap);
    }

    QXPixmap* pixmap = createPixmap(3, 3, 1, 8);
    auto* compatible = dynamic_cast<QXPixmap*>(pixmap->createCompatible(5, 2));
    ASSERT_NE(compatible, nullptr);
    EXPECT_EQ(compatible->width, 5);
    EXPECT_EQ(compatible->height, 2);
    EXPECT_EQ(compatible->format, 1);
    EXPECT_EQ(compatible->pitch, 16);
    EXPECT_EQ(compatible->refCount, 1);
    release(compatible);
    release(pixmap);
}

TEST(Pixmap, UnsafeSizesGiveAnEmptyOrMemorylessStore) {
    LocalPixmap negative(-5, 3, 4, 4);
    EXPECT_EQ(negative.width, 0);
    EXPECT_EQ(negative.height, 3);
    EXPECT_EQ(negative.pitch, 0);

    // Sizes beyond 32-bit offsets are never allocated (nor computed with overflow).
    for (auto [width, height] : std::initializer_list<std::pair<int, int>>{{0x40000000, 4}, {INT_MAX, INT_MAX}, {70000, 70000}}) {
        LocalPixmap huge(width, height, 4, 4);
        EXPECT_FALSE(huge.hasPixels());
        EXPECT_EQ(huge.lock().pixels, nullptr);
        huge.unlock();
        // Operations on a store without memory do nothing.
        QXColour colour = 0x12345678;
        huge.fill(0, 0, 10, 1, 0xFFFFFFFF);
        huge.write(0, 0, 1, 1, &colour, 4);
        huge.read(0, 0, 1, 1, &colour, 4);
        EXPECT_EQ(colour, 0x12345678u);
        LocalPixmap small(2, 2, 4, 4);
        small.copy(0, 0, 2, 2, &huge, 0, 0, 0);
        huge.copy(0, 0, 2, 2, &small, 0, 0, 0);
    }
}

TEST(Pixmap, FillStoresTheConvertedColourInsideTheRectangleOnly) {
    GuardedStore store(4, 3, 1);
    store.pixmap->fill(0, 0, 4, 3, 0xFF000000);
    store.pixmap->fill(1, 1, 2, 2, 0xFF123456);
    EXPECT_EQ(loadPixel(1, store.row(1) + 2), 0x11AAu);
    EXPECT_EQ(colourAt(*store.pixmap, 1, 1), 0xFF103450u);
    EXPECT_EQ(colourAt(*store.pixmap, 2, 2), 0xFF103450u);
    EXPECT_EQ(colourAt(*store.pixmap, 0, 1), 0xFF000000u);
    EXPECT_EQ(colourAt(*store.pixmap, 3, 2), 0xFF000000u);
    EXPECT_EQ(colourAt(*store.pixmap, 1, 0), 0xFF000000u);
    EXPECT_TRUE(store.untouchedOutside());

    GuardedStore rgb(3, 2, 3);
    rgb.pixmap->fill(0, 0, 3, 2, 0x80FF0080);
    EXPECT_EQ(std::vector<int>(rgb.row(1), rgb.row(1) + 9), (std::vector<int>{0x80, 0, 0xFF, 0x80, 0, 0xFF, 0x80, 0, 0xFF}));
    EXPECT_TRUE(rgb.untouchedOutside());

    GuardedStore xrgb(2, 1, 4);
    xrgb.pixmap->fill(0, 0, 2, 1, 0x00ABCDEF);
    EXPECT_EQ(loadPixel(4, xrgb.row(0) + 4), 0x00ABCDEFu);  // the top byte is stored too
    EXPECT_EQ(colourAt(*xrgb.pixmap, 1, 0), 0xFFABCDEFu);

    // Reserved 16-bit codes take the low half of opaque magenta; unknown codes have no pixels.
    GuardedStore reserved(2, 1, 5);
    reserved.pixmap->fill(0, 0, 2, 1, 0xFFFFFFFF);
    EXPECT_EQ(loadPixel(5, reserved.row(0) + 2), 0x00FFu);
    EXPECT_EQ(colourAt(*reserved.pixmap, 0, 0), 0xFFFF00FFu);
    EXPECT_TRUE(reserved.untouchedOutside());
    GuardedStore unknown(2, 1, 99);
    unknown.pixmap->fill(0, 0, 2, 1, 0xFFFFFFFF);
    EXPECT_TRUE(unknown.untouchedOutside());
}

TEST(Pixmap, ReadAndWriteConvertAndFollowTheCallersPitch) {
    GuardedStore store(3, 2, 4);
    // Rows of the caller buffer are 4 values apart; the fourth value of each row is not touched.
    const QXColour source[] = {0x00ABCDEF, 0x80FF0000, 0xFF00FF00, 0x11111111,
                               0x0000FF00, 0x000000FF, 0x7F7F7F7F, 0x22222222};
    store.pixmap->write(0, 0, 3, 2, source, 16);
    EXPECT_TRUE(store.untouchedOutside());
    QXColour back[8];
    std::fill(std::begin(back), std::end(back), 0x5A5A5A5A);
    store.pixmap->read(0, 0, 3, 2, back, 16);
    const QXColour expected[] = {0xFFABCDEF, 0xFFFF0000, 0xFF00FF00, 0x5A5A5A5A,
                                 0xFF00FF00, 0xFF0000FF, 0xFF7F7F7F, 0x5A5A5A5A};
    EXPECT_TRUE(std::equal(std::begin(back), std::end(back), std::begin(expected)));

    // A 24-bit write sets three bytes and leaves the next pixel alone.
    GuardedStore rgb(2, 1, 3);
    rgb.pixmap->fill(0, 0, 2, 1, 0xFF445566);
    put(*rgb.pixmap, 0, 0, 0x80FF0000);
    EXPECT_EQ(std::vector<int>(rgb.row(0), rgb.row(0) + 6), (std::vector<int>{0, 0, 0xFF, 0x66, 0x55, 0x44}));

    // Pixels of codes without conversions read as opaque magenta and are never written.
    GuardedStore reserved(2, 1, 6);
    put(*reserved.pixmap, 0, 0, 0xFF000000);
    EXPECT_EQ(reserved.row(0)[0], GuardedStore::kFill);
    EXPECT_EQ(colourAt(*reserved.pixmap, 1, 0), 0xFFFF00FFu);
}

TEST(Pixmap, CopyConvertsBetweenEveryPairOfFormats) {
    const QXColour colours[] = {0x00000000, 0xFFFFFFFF, 0x80123456, 0x7F0800F8, 0x00FF0401, 0xFF07FC07};
    for (int from : kConvertible)
        for (int to : kConvertible) {
            LocalPixmap source(3, 2, from, 1);
            source.write(0, 0, 3, 2, colours, 12);
            GuardedStore destination(5, 3, to);
            destination.pixmap->fill(0, 0, 5, 3, 0xFF0000FF);
            destination.pixmap->copy(1, 1, 3, 2, &source, 0, 0, 0);
            EXPECT_TRUE(destination.untouchedOutside());
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(colourAt(*destination.pixmap, 1 + i % 3, 1 + i / 3), throughBoth(from, to, colours[i]))
                    << from << " -> " << to << " pixel " << i;
            EXPECT_EQ(colourAt(*destination.pixmap, 0, 1), toColour(to, toPixel(to, 0xFF0000FF)));
            EXPECT_EQ(colourAt(*destination.pixmap, 4, 2), toColour(to, toPixel(to, 0xFF0000FF)));
        }

    // A source whose format has no conversions reads as opaque magenta; a
    // destination of such a format is left alone.
    LocalPixmap reserved(2, 1, 5, 4);
    LocalPixmap target(2, 1, 4, 4);
    target.fill(0, 0, 2, 1, 0xFF000000);
    target.copy(0, 0, 2, 1, &reserved, 0, 0, QXCopyMasked);
    EXPECT_EQ(colourAt(target, 1, 0), 0xFF000000u);
    target.copy(0, 0, 2, 1, &reserved, 0, 0, 0);
    EXPECT_EQ(colourAt(target, 1, 0), 0xFFFF00FFu);
    GuardedStore untouched(2, 1, 6);
    untouched.pixmap->copy(0, 0, 2, 1, &target, 0, 0, 0);
    EXPECT_EQ(untouched.row(0)[0], GuardedStore::kFill);
}

TEST(Pixmap, MaskedCopyComparesTheKeyInTheSourcesPrecisionWithoutAlpha) {
    auto maskedCopy = [](int format, QXColour mask, std::vector<QXColour> pixels) {
        const int count = static_cast<int>(pixels.size());
        LocalPixmap source(count, 1, format, 4);
        source.write(0, 0, count, 1, pixels.data(), count * 4);
        source.setMask(mask);
        LocalPixmap destination(count, 1, 7, 4);
        destination.fill(0, 0, count, 1, 0x12345678);
        destination.copy(0, 0, count, 1, &source, 0, 0, QXCopyMasked);
        return snapshot(destination);
    };
    constexpr QXColour kept = 0x12345678;
    // In 1:5:5:5 the mask 0x000007 becomes black, and so do the dark pixels.
    EXPECT_EQ(maskedCopy(2, 0x000007, {0xFF000000, 0xFF000007, 0x00000000, 0xFFFFFFFF}),
              (std::vector<QXColour>{kept, kept, kept, 0xFFF8F8F8}));
    // Alpha never counts, neither in the mask nor in the pixels.
    EXPECT_EQ(maskedCopy(7, 0xFFFF00FF, {0x00FF00FF, 0x80FF00FF, 0xFFFF00FE}),
              (std::vector<QXColour>{kept, kept, 0xFFFF00FE}));
    EXPECT_EQ(maskedCopy(1, 0xFF0000FF, {0xFF0000F9, 0xFF0000F7, 0xFF0004F8}),
              (std::vector<QXColour>{kept, 0xFF0000F0, 0xFF0004F8}));

    // Unmasked copies ignore the mask colour.
    LocalPixmap source(1, 1, 4, 4);
    source.fill(0, 0, 1, 1, 0xFF000000);
    LocalPixmap destination(1, 1, 4, 4);
    destination.fill(0, 0, 1, 1, 0xFFFFFFFF);
    destination.copy(0, 0, 1, 1, &source, 0, 0, 0);
    EXPECT_EQ(colourAt(destination, 0, 0), 0xFF000000u);
}

TEST(Pixmap, CopyWithinOneStoreReadsEveryPixelBeforeOverwritingIt) {
    for (int format : {1, 3, 4}) {
        LocalPixmap store(8, 6, format, 4);
        std::vector<QXColour> original(48);
        for (int i = 0; i < 48; ++i) original[i] = toColour(format, toPixel(format, 0xFF000000 | (i * 0x050301 + 0x102030)));
        for (int flags : {0, QXCopyMasked})
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    store.write(0, 0, 8, 6, original.data(), 32);
                    store.copy(2 + dx, 2 + dy, 3, 2, &store, 2, 2, flags);
                    std::vector<QXColour> expected = original;
                    for (int y = 0; y < 2; ++y)
                        for (int x = 0; x < 3; ++x) expected[(2 + dy + y) * 8 + 2 + dx + x] = original[(2 + y) * 8 + 2 + x];
                    ASSERT_EQ(snapshot(store), expected) << "format " << format << " offset " << dx << "," << dy;
                }
    }
}

TEST(Pixmap, OperationsStayInsideTheStoresWhateverTheRectangle) {
    GuardedStore store(4, 3, 3);
    store.pixmap->fill(-2, -2, 100, 100, 0xFF010203);
    EXPECT_EQ(snapshot(*store.pixmap), std::vector<QXColour>(12, 0xFF010203));
    const int extremes[][4] = {{INT_MAX, 0, INT_MAX, 1}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, -1, 5},
                               {3, 2, INT_MIN, INT_MIN}, {-5, 0, 5, 3}, {4, 0, 1, 1}};
    for (const auto& e : extremes) store.pixmap->fill(e[0], e[1], e[2], e[3], 0xFFFFFFFF);
    EXPECT_EQ(snapshot(*store.pixmap), std::vector<QXColour>(12, 0xFF010203));
    store.pixmap->fill(-1, -1, INT_MAX, INT_MAX, 0xFF040506);
    EXPECT_EQ(snapshot(*store.pixmap), std::vector<QXColour>(12, 0xFF040506));
    EXPECT_TRUE(store.untouchedOutside());

    // Cutting the store's side moves the caller's buffer along.
    QXColour row[3] = {1, 2, 3};
    put(*store.pixmap, 0, 0, 0xFFAAAAAA);
    store.pixmap->read(-1, 0, 3, 1, row, 12);
    EXPECT_EQ(row[0], 1u);
    EXPECT_EQ(row[1], 0xFFAAAAAAu);
    const QXColour written[3] = {0xFF111111, 0xFF222222, 0xFF333333};
    store.pixmap->write(2, -1, 3, 2, written, 0);  // pitch 0: every row takes the same values
    EXPECT_EQ(colourAt(*store.pixmap, 2, 0), 0xFF111111u);
    EXPECT_EQ(colourAt(*store.pixmap, 3, 0), 0xFF222222u);
    EXPECT_EQ(colourAt(*store.pixmap, 2, 1), 0xFF040506u);
    EXPECT_TRUE(store.untouchedOutside());

    // Cuts on either side of a copy move the other side along.
    LocalPixmap source(3, 3, 4, 4);
    for (int i = 0; i < 9; ++i) put(source, i % 3, i / 3, 0xFF000000 | i);
    GuardedStore destination(4, 3, 4);
    destination.pixmap->fill(0, 0, 4, 3, 0xFFFFFFFF);
    destination.pixmap->copy(2, -1, 3, 3, &source, 0, 0, 0);
    EXPECT_EQ(snapshot(*destination.pixmap),
              (std::vector<QXColour>{0xFFFFFFFF, 0xFFFFFFFF, 0xFF000003, 0xFF000004,  //
                                     0xFFFFFFFF, 0xFFFFFFFF, 0xFF000006, 0xFF000007,  //
                                     0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}));
    destination.pixmap->fill(0, 0, 4, 3, 0xFFFFFFFF);
    destination.pixmap->copy(0, 0, 4, 3, &source, 1, -1, 0);
    EXPECT_EQ(snapshot(*destination.pixmap),
              (std::vector<QXColour>{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,  //
                                     0xFF000001, 0xFF000002, 0xFFFFFFFF, 0xFFFFFFFF,  //
                                     0xFF000004, 0xFF000005, 0xFFFFFFFF, 0xFFFFFFFF}));
    destination.pixmap->copy(INT_MIN, INT_MAX, INT_MAX, INT_MAX, &source, INT_MAX, INT_MIN, QXCopyMasked);
    destination.pixmap->copy(0, 0, 4, 3, nullptr, 0, 0, 0);
    EXPECT_TRUE(destination.untouchedOutside());
}

TEST(Pixmap, PortableOperationsNeedOnlyLockAndUnlock) {
    LockOnlyStore store(3, 2);
    store.setMask(0xFF00FF00);
    EXPECT_EQ(store.maskColour, 0xFF00FF00u);
    store.fill(0, 0, 3, 2, 0x80808080);
    put(store, 2, 1, 0x00FF00FF);
    EXPECT_EQ(colourAt(store, 0, 0), 0x80808080u);
    EXPECT_EQ(colourAt(store, 2, 1), 0x00FF00FFu);

    LockOnlyStore other(3, 2);
    other.fill(0, 0, 3, 2, 0);
    const int locksBefore = store.locks;
    other.copy(0, 0, 3, 2, &store, 0, 0, QXCopyMasked);
    EXPECT_EQ(store.locks, locksBefore + 1);
    EXPECT_EQ(store.depth, 0);
    EXPECT_EQ(other.depth, 0);
    EXPECT_EQ(colourAt(other, 0, 0), 0x80808080u);
    EXPECT_EQ(colourAt(other, 2, 1), 0x00FF00FFu);

    // The base answers a 32-bit memory store with rows aligned to 4 bytes.
    auto* compatible = dynamic_cast<QXPixmap*>(store.createCompatible(3, 5));
    ASSERT_NE(compatible, nullptr);
    EXPECT_EQ(compatible->format, 4);
    EXPECT_EQ(compatible->alignment, 4);
    EXPECT_EQ(compatible->height, 5);
    release(compatible);
}
