#include "graphics/gl/Win32GLGrDriver2D.h"

#include <vector>

#include "core/QXString.h"
#include "events/win32/Win32Font.h"
#include "runtime/QXError.h"

#ifndef GL_BGRA_EXT
#define GL_BGRA_EXT 0x80E1
#endif

namespace {

int powerOfTwoAtLeast(int value) {
    int result = 1;
    while (result < value && result < (1 << 30)) result <<= 1;
    return result;
}

// A store's pixels as a texture: the size rounded up to powers of two, the
// margin in the mask colour, alpha 0 where a pixel shows the mask colour (as
// the store's format keeps it) and 0xFF elsewhere. 0 when it is too large.
GLuint buildTexture(QXGraphics& store, int& textureWidth, int& textureHeight) {
    textureWidth = powerOfTwoAtLeast(store.width);
    textureHeight = powerOfTwoAtLeast(store.height);
    const int limit = theWin32GL.maxTextureSize();
    if (textureWidth > limit || textureHeight > limit) return 0;
    QXColour key;
    {
        QXGraphicsLock lock(store);
        key = maskKey(lock->format, store.maskColour);
    }
    std::vector<std::uint32_t> texels(std::size_t(textureWidth) * textureHeight, store.maskColour & 0xFFFFFF);
    store.read(0, 0, store.width, store.height, texels.data(), textureWidth * 4);
    for (std::uint32_t& texel : texels) texel = (texel & 0xFFFFFF) | ((texel & 0xFFFFFF) == key ? 0 : 0xFF000000u);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, textureWidth, textureHeight, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, texels.data());
    return texture;
}

// The display lists of a font's 256 byte values, owned by the font.
class Win32GLFont : public QXResource {
public:
    explicit Win32GLFont(GLuint listBase) : base(listBase), generation(theWin32GL.generation()) {}
    ~Win32GLFont() override {
        if (generation != theWin32GL.generation() || !theWin32GL.rootContext()) return;
        HGLRC previous = wglGetCurrentContext();
        HDC previousDc = wglGetCurrentDC();
        theWin32GL.makeRootCurrent();
        glDeleteLists(base, 256);
        if (previous) wglMakeCurrent(previousDc, previous);
    }
    int query(int id) override {
        static const int glFontQuery = queryId("GLFont");
        return id == glFontQuery ? handleOf(this) : QXResource::query(id);
    }
    GLuint base;
    int generation;
};

Win32GLFont* glFontOf(Win32Font& font, HDC dc) {
    static const int glFontQuery = queryId("GLFont");
    if (auto* existing = reinterpret_cast<Win32GLFont*>(static_cast<std::uintptr_t>(font.findOwned(glFontQuery))))
        if (existing->generation == theWin32GL.generation()) return existing;
    const GLuint base = glGenLists(256);
    if (!base) return nullptr;
    HGDIOBJ previous = SelectObject(dc, font.handle());
    const bool made = wglUseFontBitmapsA(dc, 0, 256, base);
    SelectObject(dc, previous);
    if (!made) {
        glDeleteLists(base, 256);
        return nullptr;
    }
    auto* lists = new Win32GLFont(base);
    font.addOwned(lists);
    return lists;
}

}  // namespace

Win32GLGrDriver2D::Win32GLGrDriver2D() { registerModule("Win32GLGrDriver2D", "GrDriver2D", "OpenGL"); }

QX_MODULE_INSTANCE(Win32GLGrDriver2D, 21);

bool Win32GLGrDriver2D::startup() { return startModuleNamed("Win32GL") && Win32GrDriver2D::startup(); }

QXGraphics* Win32GLGrDriver2D::createGraphics(int width, int height, int) { return new Win32GLPixmap(width, height); }

bool Win32GLGrDriver2D::ownsGraphics(QXGraphics* graphics) {
    if (auto* frame = dynamic_cast<Win32GLGraphics*>(graphics)) return frame->generation == theWin32GL.generation();
    return dynamic_cast<Win32GLPixmap*>(graphics) != nullptr;
}

QXGrContext* Win32GLGrDriver2D::newContext(QXGraphics* graphics, QXFont* font) {
    auto* context = new Context(graphics, font, *this);
    if (auto* frame = dynamic_cast<Win32GLGraphics*>(graphics)) {
        frame->makeCurrent();
        frame->flushPoints();  // in the state they were plotted in
        glViewport(0, 0, frame->width, frame->height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, frame->width, frame->height, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glAlphaFunc(GL_GREATER, 0.5f);
        glDisable(GL_DEPTH_TEST);
        glColor4ub(255, 255, 255, 255);
        // Restore whatever context was current before.
        if (QXGrContext* active = this->context()) contextChanged(nullptr, active);
    }
    return context;
}

Win32GLGraphics* Win32GLGrDriver2D::frameBuffer() {
    auto* frame = dynamic_cast<Win32GLGraphics*>(current().graphics);
    if (frame) frame->makeCurrent();
    return frame;
}

Win32GLGraphics* Win32GLGrDriver2D::drawingFrame() {
    Win32GLGraphics* frame = frameBuffer();
    if (frame) frame->flushPoints();
    return frame;
}

void Win32GLGrDriver2D::applyState() {
    QXGrContext& c = current();
    if (!drawingFrame()) return;
    const QXColour colour = c.colour;
    glColor4ub((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF, 255);
    const Q2DRect& v = c.viewport;
    if (v == Q2DRect{0, 0, c.graphics->width, c.graphics->height}) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(v.left, c.graphics->height - v.bottom, v.width(), v.height());
    }
}

void Win32GLGrDriver2D::contextChanged(QXGrContext*, QXGrContext* next) {
    if (currentFrame_) currentFrame_->flushPoints();
    currentFrame_ = next ? dynamic_cast<Win32GLGraphics*>(next->graphics) : nullptr;
    if (next) applyState();
}

void Win32GLGrDriver2D::colourChanged() { applyState(); }
void Win32GLGrDriver2D::viewportChanged() { applyState(); }

// ---------------------------------------------------------------- primitives

void Win32GLGrDriver2D::quad(const Q2DRect& a) {
    glBegin(GL_QUADS);
    glVertex2i(a.left, a.top);
    glVertex2i(a.right, a.top);
    glVertex2i(a.right, a.bottom);
    glVertex2i(a.left, a.bottom);
    glEnd();
}

void Win32GLGrDriver2D::plot(int x, int y) {
    // No context switch: the frame buffer draws its points when they are flushed.
    Win32GLGraphics* frame = currentFrame_;
    if (!frame) return Win32GrDriver2D::plot(x, y);
    // A frame buffer is current only with a context.
    const QXGrContext& c = *context();
    const Q2DRect& v = c.viewport;
    if (x < v.left || x >= v.right || y < v.top || y >= v.bottom) return;
    frame->modified = true;
    frame->addPoint(x, y, c.colour);
}

void Win32GLGrDriver2D::rect(int x, int y, int w, int h, bool solid) {
    // Solid boxes wait in the frame buffer, to be drawn together.
    if (solid && currentFrame_) {
        Q2DRect box;
        if (!q2dClip(current().viewport, x, y, w, h, box)) return;
        currentFrame_->modified = true;
        return currentFrame_->addRect(box);
    }
    Win32GLGraphics* frame = drawingFrame();
    if (!frame) return Win32GrDriver2D::rect(x, y, w, h, solid);
    const Q2DRect& view = current().viewport;
    Q2DRect box;
    if (!q2dClip(view, x, y, w, h, box)) return;
    frame->modified = true;
    if (solid) return quad(box);
    // The outline as four one-pixel rectangles: the same pixels as the
    // shared rule, where a line loop would leave corners to the rasteriser.
    Q2DRect edge;
    if (q2dClip(view, x, y, w, 1, edge)) quad(edge);
    if (q2dClip(view, x, y, 1, h, edge)) quad(edge);
    const std::int64_t right = std::int64_t(x) + w - 1, bottom = std::int64_t(y) + h - 1;
    if (right < box.right && q2dClip(view, static_cast<int>(right), y, 1, h, edge)) quad(edge);
    if (bottom < box.bottom && q2dClip(view, x, static_cast<int>(bottom), w, 1, edge)) quad(edge);
}

void Win32GLGrDriver2D::line(int x1, int y1, int x2, int y2) {
    Win32GLGraphics* frame = drawingFrame();
    if (!frame) return Win32GrDriver2D::line(x1, y1, x2, y2);
    if (!q2dClipLine(current().viewport, x1, y1, x2, y2)) return;
    frame->modified = true;
    const float ax = static_cast<float>(x1) + 0.5f, ay = static_cast<float>(y1) + 0.5f;
    const float bx = static_cast<float>(x2) + 0.5f, by = static_cast<float>(y2) + 0.5f;
    glBegin(GL_LINES);
    glVertex2f(ax, ay);
    glVertex2f(bx, by);
    glEnd();
    // GL leaves out a line's last pixel; both ends belong to the line.
    glBegin(GL_POINTS);
    glVertex2f(ax, ay);
    glVertex2f(bx, by);
    glEnd();
}

void Win32GLGrDriver2D::blit(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) {
    Win32GLGraphics* frame = drawingFrame();
    if (!frame || !source) return Win32GrDriver2D::blit(x, y, w, h, source, sourceX, sourceY, flags);
    Q2DRect area;
    if (!q2dClipWithSource(current().viewport, x, y, w, h, sourceX, sourceY, area)) return;
    auto* image = dynamic_cast<Win32GLPixmap*>(source);
    if (image && image->texture && image->textureGeneration != theWin32GL.generation()) image->texture = 0;
    int textureWidth = powerOfTwoAtLeast(source->width), textureHeight = powerOfTwoAtLeast(source->height);
    GLuint texture = image && !image->modified ? image->texture : 0;
    if (!texture) {
        if (image && image->texture) glDeleteTextures(1, &image->texture), image->texture = 0;
        texture = buildTexture(*source, textureWidth, textureHeight);
        frame->makeCurrent();  // reading a frame-buffer source may have switched contexts
        if (!texture) {
            // Larger than GL can take: the portable copy.
            Win32GrDriver2D::blit(area.left, area.top, area.width(), area.height(), source, sourceX, sourceY, flags);
            return;
        }
        if (image) image->texture = texture, image->textureGeneration = theWin32GL.generation(), image->modified = false;
    }
    frame->modified = true;
    const bool masked = (flags & QXCopyMasked) != 0;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    if (masked) glEnable(GL_ALPHA_TEST);
    else glDisable(GL_ALPHA_TEST);
    const float s0 = float(sourceX) / float(textureWidth), t0 = float(sourceY) / float(textureHeight);
    const float s1 = float(sourceX + area.width()) / float(textureWidth);
    const float t1 = float(sourceY + area.height()) / float(textureHeight);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0), glVertex2i(area.left, area.top);
    glTexCoord2f(s1, t0), glVertex2i(area.right, area.top);
    glTexCoord2f(s1, t1), glVertex2i(area.right, area.bottom);
    glTexCoord2f(s0, t1), glVertex2i(area.left, area.bottom);
    glEnd();
    glPopAttrib();
    if (!image) glDeleteTextures(1, &texture);
}

void Win32GLGrDriver2D::text(int x, int y, const QXString* string) {
    Win32GLGraphics* frame = drawingFrame();
    if (!frame) return Win32GrDriver2D::text(x, y, string);
    auto* font = dynamic_cast<Win32Font*>(current().font);
    if (!font || !string || string->length == 0) return;
    Win32GLFont* lists = glFontOf(*font, frame->dc);
    if (!lists) return;
    frame->modified = true;
    // Each glyph goes where GDI's own text would put it, from the font's
    // advances: the display lists' advances are not relied on, since the
    // empty glyph of a space moves nothing under Wine and Mesa.
    const int length = string->length;
    std::vector<INT> ends(static_cast<std::size_t>(length));
    SIZE extent{};
    HGDIOBJ previous = SelectObject(frame->dc, font->handle());
    const bool measured =
        GetTextExtentExPointA(frame->dc, reinterpret_cast<LPCSTR>(string->data), length, 0, nullptr, ends.data(), &extent);
    SelectObject(frame->dc, previous);
    glListBase(lists->base);
    const int baseline = y + font->ascent();
    if (!measured) {
        glRasterPos2i(x, baseline);
        glCallLists(length, GL_UNSIGNED_BYTE, string->data);
        return;
    }
    for (int i = 0; i < length; ++i) {
        glRasterPos2i(x + (i ? ends[static_cast<std::size_t>(i) - 1] : 0), baseline);
        glCallLists(1, GL_UNSIGNED_BYTE, string->data + i);
    }
}

// Text on a memory store goes through a DIB copy of it.
HDC Win32GLGrDriver2D::takeTextDC() {
    QXGraphics* store = current().graphics;
    textDib_ = createDIB(store->width, store->height, 32);
    textDib_->copy(0, 0, store->width, store->height, store, 0, 0, 0);
    return textDib_->getDC();
}

void Win32GLGrDriver2D::releaseTextDC() {
    if (!textDib_) return;
    textDib_->releaseDC();
    QXGraphics* store = current().graphics;
    store->copy(0, 0, store->width, store->height, textDib_, 0, 0, 0);
    release(textDib_);
    textDib_ = nullptr;
}
