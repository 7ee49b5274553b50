#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "TestSupport.h"
#include "graphics/win32/Win32DIBGraphics.h"

namespace {

struct Releaser {
    void operator()(QXObject* object) const { release(object); }
};
using DIB = std::unique_ptr<Win32DIBGraphics, Releaser>;

DIB makeDIB(int width, int height, int bits) { return DIB(createDIB(width, height, bits)); }

QXColour colourAt(QXGraphics& graphics, int x, int y) {
    QXColour colour = 0;
    graphics.read(x, y, 1, 1, &colour, 4);
    return colour;
}

}  // namespace

TEST(PixmapDIB, BitCountsGiveFormatAndFourBytePitch) {
    const struct {
        int width, bits, format, pitch;
    } cases[] = {{3, 16, 2, 8}, {4, 16, 2, 8}, {5, 24, 3, 16}, {1, 24, 3, 4}, {3, 32, 7, 12}};
    for (const auto& c : cases) {
        DIB dib = makeDIB(c.width, 2, c.bits);
        EXPECT_EQ(dib->format, c.format);
        EXPECT_EQ(dib->pitch, c.pitch);
        QXPixelLock lock = dib->lock();
        EXPECT_NE(lock.pixels, nullptr);
        EXPECT_EQ(lock.pitch, c.pitch);
        EXPECT_EQ(lock.format, c.format);
        dib->unlock();

        DIB compatible(dynamic_cast<Win32DIBGraphics*>(dib->createCompatible(7, 3)));
        ASSERT_TRUE(compatible);
        EXPECT_EQ(compatible->bitsPerPixel, c.bits);
        EXPECT_EQ(compatible->width, 7);
        EXPECT_EQ(compatible->height, 3);
    }
    EXPECT_EQ(runtimeErrorOf([] { createDIB(4, 4, 8); }), "Illegal DIB bits");
    // Sizes Windows cannot or should not make stop the same way as a refusal.
    EXPECT_EQ(runtimeErrorOf([] { createDIB(4, -1, 24); }), "CreateDIBSection failed:4 -1");
    EXPECT_EQ(runtimeErrorOf([] { createDIB(-4, 1, 24); }), "CreateDIBSection failed:-4 1");
    EXPECT_EQ(runtimeErrorOf([] { createDIB(0x7FFFFFFF, 0x7FFFFFFF, 32); }),
              "CreateDIBSection failed:2147483647 2147483647");
}

TEST(PixmapDIB, DeviceContextIsSharedAndDeletedWithItsLastUser) {
    DIB dib = makeDIB(4, 4, 24);
    HDC first = dib->getDC();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(dib->getDC(), first);
    EXPECT_EQ(dib->dcUseCount, 2);
    EXPECT_EQ(GetCurrentObject(first, OBJ_BITMAP), dib->bitmap);
    dib->releaseDC();
    EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_MEMDC));
    dib->releaseDC();
    EXPECT_EQ(dib->dc, nullptr);
    EXPECT_EQ(GetObjectType(first), 0u);
    dib->releaseDC();  // unpaired: nothing to give back
    EXPECT_EQ(dib->dcUseCount, 0);

    // A DC still held when the store goes is deleted with it, and so is the bitmap.
    HDC held = dib->getDC();
    HBITMAP bitmap = dib->bitmap;
    dib.reset();
    EXPECT_EQ(GetObjectType(held), 0u);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST(PixmapDIB, RowsRunTopDownAndGdiAndPixelAccessSeeEachOther) {
    for (int bits : {16, 24, 32}) {
        DIB dib = makeDIB(5, 4, bits);
        dib->fill(0, 0, 5, 4, 0xFF000000);
        HDC dc = dib->getDC();
        RECT topRow = {0, 0, 5, 1};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &topRow, red);
        DeleteObject(red);
        // GDI drawing is visible through a lock without further ado (the first row is the top one).
        const QXColour alpha = bits == 32 ? 0x00000000 : 0xFF000000;
        EXPECT_EQ(colourAt(*dib, 4, 0), alpha | 0xF80000 | (bits == 16 ? 0 : 0x070000)) << bits;
        EXPECT_EQ(colourAt(*dib, 4, 1), 0xFF000000u) << bits;

        dib->fill(1, 2, 1, 1, 0xFF00FF00);
        if (bits != 16) {
            EXPECT_EQ(GetPixel(dc, 1, 2), RGB(0, 255, 0)) << bits;
        }
        dib->releaseDC();
    }
}
