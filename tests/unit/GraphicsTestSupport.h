#pragma once
// Drawing tests: the drawing commands as compiled code calls them, and a
// reference rasteriser written straight from the drawing rules (independent
// of the runtime's own code) to compare what the drivers draw against.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/QXString.h"
#include "graphics/Q2DBuffer.h"

struct DrawCommands {
    void(QXCALL* color)(int, int, int) = command<void(QXCALL*)(int, int, int)>("Color%red%green%blue");
    void(QXCALL* clsColor)(int, int, int) = command<void(QXCALL*)(int, int, int)>("ClsColor%red%green%blue");
    void(QXCALL* setFont)(int) = command<void(QXCALL*)(int)>("SetFont%font");
    void(QXCALL* origin)(int, int) = command<void(QXCALL*)(int, int)>("Origin%x%y");
    void(QXCALL* viewport)(int, int, int, int) = command<void(QXCALL*)(int, int, int, int)>("Viewport%x%y%width%height");
    void(QXCALL* cls)() = command<void(QXCALL*)()>("Cls");
    void(QXCALL* plot)(int, int) = command<void(QXCALL*)(int, int)>("Plot%x%y");
    void(QXCALL* line)(int, int, int, int) = command<void(QXCALL*)(int, int, int, int)>("Line%x1%y1%x2%y2");
    void(QXCALL* rect)(int, int, int, int, int) =
        command<void(QXCALL*)(int, int, int, int, int)>("Rect%x%y%width%height%solid=1");
    void(QXCALL* oval)(int, int, int, int, int) =
        command<void(QXCALL*)(int, int, int, int, int)>("Oval%x%y%width%height%solid=1");
    void(QXCALL* text)(int, int, QXString*, int, int) =
        command<void(QXCALL*)(int, int, QXString*, int, int)>("Text%x%y$text%center_x=0%center_y=0");
    void(QXCALL* getColor)(int, int) = command<void(QXCALL*)(int, int)>("GetColor%x%y");
    int(QXCALL* colorRed)() = command<int(QXCALL*)()>("%ColorRed");
    int(QXCALL* colorGreen)() = command<int(QXCALL*)()>("%ColorGreen");
    int(QXCALL* colorBlue)() = command<int(QXCALL*)()>("%ColorBlue");
    int(QXCALL* stringWidth)(QXString*) = command<int(QXCALL*)(QXString*)>("%StringWidth$str");
    int(QXCALL* stringHeight)(QXString*) = command<int(QXCALL*)(QXString*)>("%StringHeight$str");
    int(QXCALL* fontWidth)() = command<int(QXCALL*)()>("%FontWidth");
    int(QXCALL* fontHeight)() = command<int(QXCALL*)()>("%FontHeight");
    int(QXCALL* setBuffer)(int) = command<int(QXCALL*)(int)>("%SetBuffer%buffer");
    int(QXCALL* graphicsBuffer)() = command<int(QXCALL*)()>("%GraphicsBuffer");
    int(QXCALL* countGfxDrivers)() = command<int(QXCALL*)()>("%CountGfxDrivers");
    QXString*(QXCALL* gfxDriverName)(int) = command<QXString*(QXCALL*)(int)>("$GfxDriverName%driver");
    void(QXCALL* setGfxDriver)(int) = command<void(QXCALL*)(int)>("SetGfxDriver%driver");
};

// A canvas of colour values drawn by the rules as stated, nothing shared with
// the runtime. Colours are compared in 24 bits (what a 24-bit store keeps).
class ReferenceCanvas {
public:
    ReferenceCanvas(int w, int h) : width(w), height(h), pixels(std::size_t(w) * h, 0) {}

    int width, height;
    std::vector<std::uint32_t> pixels;
    int vl = 0, vt = 0, vr = 0, vb = 0;  // viewport
    std::uint32_t colour = 0xFFFFFF, clear = 0;
    int ox = 0, oy = 0;

    void reset() { vl = 0, vt = 0, vr = width, vb = height, ox = oy = 0; }
    std::uint32_t& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }

    void setViewport(int x, int y, int w, int h) {
        long long X = x < 0 ? 0 : (x < width ? x : width);
        long long W = w < 0 ? 0 : (X + w > width ? width - X : w);
        long long Y = y < 0 ? 0 : (y < height ? y : height);
        long long H = h < 0 ? 0 : (Y + h > height ? height - Y : h);
        vl = int(X), vt = int(Y), vr = int(X + W), vb = int(Y + H);
    }
    void fill(long long x, long long y, long long w, long long h, std::uint32_t c) {
        for (long long j = y; j < y + h; ++j)
            for (long long i = x; i < x + w; ++i)
                if (i >= vl && i < vr && j >= vt && j < vb) at(int(i), int(j)) = c & 0xFFFFFF;
    }
    void solid(long long x, long long y, long long w, long long h) { fill(x, y, w, h, colour); }
    void rect(int x, int y, int w, int h, bool isSolid) {
        x += ox, y += oy;
        if (w <= 0 || h <= 0) return;
        if (isSolid) return solid(x, y, w, h);
        solid(x, y, w, 1), solid(x, y, 1, h), solid(x + (long long)w - 1, y, 1, h), solid(x, y + (long long)h - 1, w, 1);
    }
    void plot(int x, int y) { rect(x, y, 1, 1, true); }
    void cls() { fill(vl, vt, vr - vl, vb - vt, clear); }

    void line(int x1, int y1, int x2, int y2) {
        long long ax = x1 + ox, ay = y1 + oy, bx = x2 + ox, by = y2 + oy;
        auto code = [&](long long x, long long y) {
            return (y > vb - 1 ? 1 : y < vt ? 2 : 0) | (x > vr - 1 ? 4 : x < vl ? 8 : 0);
        };
        int ca = code(ax, ay), cb = code(bx, by);
        while (ca | cb) {
            if (ca & cb) return;
            bool first = ca != 0;
            int c = first ? ca : cb;
            long long x, y;
            if (c & 3) {
                y = (c & 1) ? vb - 1 : vt;
                x = ax + (y - ay) * (bx - ax) / (by - ay);
            } else {
                x = (c & 4) ? vr - 1 : vl;
                y = ay + (x - ax) * (by - ay) / (bx - ax);
            }
            if (first) ax = x, ay = y, ca = code(x, y);
            else bx = x, by = y, cb = code(x, y);
        }
        long long dx = bx - ax, dy = by - ay, sx = dx > 0 ? 1 : dx < 0 ? -1 : 0, sy = dy > 0 ? 1 : dy < 0 ? -1 : 0;
        long long a = dx < 0 ? -dx : dx, b = dy < 0 ? -dy : dy, x = ax, y = ay;
        if (a >= b) {
            long long err = -a;
            for (long long i = 0; i <= a; ++i) {
                at(int(x), int(y)) = colour & 0xFFFFFF;
                x += sx, err += 2 * b;
                if (err >= 0) y += sy, err -= 2 * a;
            }
        } else {
            long long err = -b;
            for (long long i = 0; i <= b; ++i) {
                at(int(x), int(y)) = colour & 0xFFFFFF;
                y += sy, err += 2 * a;
                if (err >= 0) x += sx, err -= 2 * b;
            }
        }
    }

    // The oval by the stated rule, in single precision; the outline closes its
    // top and bottom rows with the whole span.
    void oval(int x, int y, int w, int h, bool isSolid) {
        x += ox, y += oy;
        if (w <= 0 || h <= 0) return;
        if (x + w <= vl || x >= vr || y + h <= vt || y >= vb) return;
        const float ry = float(h) * 0.5f, k = float(w) / float(h);
        const float cx = float(w) * 0.5f + float(x) + 0.5f, cy = float(y) + ry - 0.5f;
        auto span = [&](int row, int& l, int& r) {
            float dy = float(row) - cy;
            float sq = ry * ry - dy * dy;
            if (sq < 0) sq = 0;
            float half = std::sqrt(sq) * k;
            l = int(std::floor(cx - half)), r = int(std::floor(cx + half));
        };
        const int top = y > vt ? y : vt, bottom = y + h < vb ? y + h : vb, middle = y + h / 2;
        for (int row = top; row < bottom; ++row) {
            int l, r;
            span(row, l, r);
            if (isSolid) {
                solid(l, row, r - l, 1);
            } else if (row == y || row == y + h - 1) {
                solid(l, row, r > l ? r - l : 1, 1);
            } else {
                int pl, pr;
                span(row < middle ? row - 1 : row + 1, pl, pr);
                solid(l, row, (pl > l + 1 ? pl : l + 1) - l, 1);
                int start = pr < r - 1 ? pr : r - 1;
                solid(start, row, r - start, 1);
            }
        }
    }

    // Copies from a canvas of colours (24-bit), masked by `key` when asked.
    void blit(int x, int y, int w, int h, const ReferenceCanvas& source, int sx, int sy, bool masked,
              std::uint32_t key) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                long long dx = (long long)x + i, dy = (long long)y + j;
                if (dx < vl || dx >= vr || dy < vt || dy >= vb) continue;
                std::uint32_t c = source.pixels[std::size_t(sy + j) * source.width + sx + i];
                if (masked && (c & 0xFFFFFF) == (key & 0xFFFFFF)) continue;
                at(int(dx), int(dy)) = c & 0xFFFFFF;
            }
    }
};

// Every pixel of a store as 24-bit colours.
inline std::vector<std::uint32_t> pixelsOf(QXGraphics& graphics) {
    std::vector<std::uint32_t> colours(std::size_t(graphics.width) * graphics.height);
    graphics.read(0, 0, graphics.width, graphics.height, colours.data(), graphics.width * 4);
    for (auto& c : colours) c &= 0xFFFFFF;
    return colours;
}

// The first pixels that differ, for failure messages; empty when none does.
inline std::string differences(const std::vector<std::uint32_t>& got, const std::vector<std::uint32_t>& want,
                               int width, int limit = 12) {
    std::string text;
    int shown = 0, total = 0;
    for (std::size_t i = 0; i < got.size() && i < want.size(); ++i) {
        if (got[i] == want[i]) continue;
        ++total;
        if (shown++ < limit) {
            char line[96];
            std::snprintf(line, sizeof line, "(%d,%d) got %06X want %06X\n", int(i % width), int(i / width),
                          unsigned(got[i]), unsigned(want[i]));
            text += line;
        }
    }
    if (total) text += std::to_string(total) + " pixels differ\n";
    return text;
}
