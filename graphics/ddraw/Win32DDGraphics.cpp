#include "graphics/ddraw/Win32DDGraphics.h"

#include "graphics/QXPixelFormatDirectDraw.h"
#include "graphics/QXPixmap.h"
#include "graphics/ddraw/Win32DD.h"
#include "runtime/QXError.h"

namespace {
RECT rectOf(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

bool isDisplayKind(int kind) { return kind == kDDDisplay || kind == kDDPrimary || kind == kDDFlipPrimary ||
                                      kind == kDDFlipPrimaryCopy; }
}  // namespace

Win32DDGraphics::Win32DDGraphics(IDirectDraw7* directDraw, int surfaceKind, int surfaceWidth, int surfaceHeight)
    : QXGraphics(surfaceWidth, surfaceHeight), kind(surfaceKind), generation(theWin32DD.generation()),
      directDraw_(directDraw), library_(LoadLibraryA("ddraw.dll")) {
    directDraw_->AddRef();
}

Win32DDGraphics::~Win32DDGraphics() {
    if (dc && surface) surface->ReleaseDC(dc);
    if (surfaceLocked_ && surface) surface->Unlock(nullptr);
    release(fallback);
    release(twin);
    releaseSurfaces();
    if (directDraw_) directDraw_->Release();
    if (library_) FreeLibrary(library_);
}

void Win32DDGraphics::releaseSurfaces() {
    if (surface) surface->Release();
    if (front) front->Release();
    surface = nullptr;
    front = nullptr;
}

bool Win32DDGraphics::createSurface() {
    if (!directDraw_) return false;
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.dwWidth = static_cast<DWORD>(width);
    description.dwHeight = static_cast<DWORD>(height);
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    if (isChain()) {
        description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        description.dwBackBufferCount = 1;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        if (FAILED(directDraw_->CreateSurface(&description, &front, nullptr))) front = nullptr;
        if (!front) return false;
        // Without its back buffer the front stays, for the caller to tell.
        DDSCAPS2 back{};
        back.dwCaps = DDSCAPS_BACKBUFFER;
        if (FAILED(front->GetAttachedSurface(&back, &surface))) surface = nullptr;
    } else if (kind == kDDPrimary) {
        // The display's own surface: its size is the display's.
        description.dwFlags = DDSD_CAPS;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        if (FAILED(directDraw_->CreateSurface(&description, &surface, nullptr))) surface = nullptr;
    } else if (kind == kDDDisplay) {
        if (FAILED(directDraw_->CreateSurface(&description, &surface, nullptr))) {
            surface = nullptr;
            description.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
            if (FAILED(directDraw_->CreateSurface(&description, &surface, nullptr))) surface = nullptr;
        }
    } else {
        description.dwFlags |= DDSD_PIXELFORMAT;
        description.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
        description.ddpfPixelFormat = describeFormat(QXFormatRGB888);
        if (FAILED(directDraw_->CreateSurface(&description, &surface, nullptr))) surface = nullptr;
    }
    DDSCAPS2 caps{};
    systemMemory = surface && SUCCEEDED(surface->GetCaps(&caps)) && (caps.dwCaps & DDSCAPS_SYSTEMMEMORY) != 0;
    return surface != nullptr;
}

Win32DDGraphics* createDDFlipChain(int kind) {
    IDirectDraw7* directDraw = theWin32DD.directDraw7();
    if (!directDraw || (kind != kDDFlipPrimary && kind != kDDFlipPrimaryCopy)) return nullptr;
    auto* graphics = new Win32DDGraphics(directDraw, kind, 0, 0);
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof description;
    if (!graphics->createSurface() || FAILED(graphics->surface->GetSurfaceDesc(&description))) {
        const bool noBackBuffer = graphics->front && !graphics->surface;
        release(graphics);
        if (noBackBuffer) runtimeError("Failed to get backbuffer surface");
        return nullptr;
    }
    graphics->format = recogniseFormat(description.ddpfPixelFormat, true);
    graphics->width = static_cast<int>(description.dwWidth);
    graphics->height = static_cast<int>(description.dwHeight);
    return graphics;
}

Win32DDGraphics* createDDGraphics(int kind, int width, int height) {
    IDirectDraw7* directDraw = theWin32DD.directDraw7();
    const bool primary = kind == kDDPrimary;
    if (!directDraw || (!primary && (width < 1 || height < 1)) || kind < kDDSystem24 || kind > kDDPrimary)
        runtimeError("Failed to create DirectDraw surface");
    auto* graphics = new Win32DDGraphics(directDraw, kind, width, height);
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof description;
    if (!graphics->createSurface() || FAILED(graphics->surface->GetSurfaceDesc(&description))) {
        release(graphics);
        runtimeError("Failed to create DirectDraw surface");
    }
    graphics->format = recogniseFormat(description.ddpfPixelFormat, true);
    if (primary) {
        graphics->width = static_cast<int>(description.dwWidth);
        graphics->height = static_cast<int>(description.dwHeight);
    }
    if (kind == kDDSystem24WithTwin) {
        graphics->twin = createDDGraphics(kDDDisplay, width, height);
        graphics->modified = true;  // the twin has yet to be filled
    }
    return graphics;
}

void Win32DDGraphics::restore() {
    // A chain is restored through its front, which restores the back buffer too.
    IDirectDrawSurface7* whole = isChain() ? front : surface;
    if (!whole || held()) return;
    const bool lost = whole->IsLost() == DDERR_SURFACELOST ||
                      (isChain() && surface && surface->IsLost() == DDERR_SURFACELOST);
    if (!lost) return;
    if (FAILED(whole->Restore()) || (isChain() && surface && surface->IsLost() == DDERR_SURFACELOST)) {
        releaseSurfaces();
        // A chain that cannot be made again stays empty and draws nothing.
        if (!createSurface()) releaseSurfaces();
    }
    // The contents are gone: a kind-2 store refreshes its twin from its own
    // pixels, which system memory kept, before the twin's next use.
    modified = true;
}

bool Win32DDGraphics::valid() const {
    if (!surface || surface->IsLost() != DD_OK) return false;
    return !isChain() || (front && front->IsLost() == DD_OK);
}

void Win32DDGraphics::present(bool vwait, IDirectDrawClipper* clipper) {
    if (!isChain() || !front || !surface) return;
    HRESULT result;
    if (kind == kDDFlipPrimaryCopy) {
        if (vwait) directDraw_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        front->SetClipper(clipper);
        result = front->Blt(nullptr, surface, nullptr, DDBLT_WAIT, nullptr);
        front->SetClipper(nullptr);
    } else {
        result = front->Flip(nullptr, vwait ? DDFLIP_WAIT : DDFLIP_WAIT | DDFLIP_NOVSYNC);
    }
    if (FAILED(result)) restore();
}

// ---------------------------------------------------------------- fill and copy

void Win32DDGraphics::fill(int x, int y, int w, int h, QXColour colour) {
    modified = true;
    // A locked surface (or one whose DC is out) refuses the blitter.
    if (busy() || !surface || !isConvertibleFormat(format)) {
        QXGraphics::fill(x, y, w, h, colour);
        return;
    }
    RECT area = rectOf(x, y, w, h);
    DDBLTFX effects{};
    effects.dwSize = sizeof effects;
    effects.dwFillColor = toPixel(format, colour);
    if (SUCCEEDED(surface->Blt(&area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects))) return;
    restore();
    if (surface && SUCCEEDED(surface->Blt(&area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects))) return;
    QXGraphics::fill(x, y, w, h, colour);
}

Win32DDGraphics* Win32DDGraphics::blitSourceFor(Win32DDGraphics* source) {
    if (source->kind != kDDSystem24WithTwin || !isDisplayKind(kind) || !source->twin) return source;
    if (source->modified) {
        Win32DDGraphics* twinStore = source->twin;
        twinStore->QXGraphics::copy(0, 0, source->width, source->height, source, 0, 0, 0);
        twinStore->modified = true;
        source->modified = false;
    }
    source->twin->maskColour = source->maskColour;
    return source->twin;
}

bool Win32DDGraphics::blitsFrom(const Win32DDGraphics& source) const {
    if (&source == this || !isConvertibleFormat(format)) return false;
    const bool twinServes = source.kind == kDDSystem24WithTwin && isDisplayKind(kind) && source.twin &&
                            source.twin->format == format;
    return source.format == format || twinServes;
}

bool Win32DDGraphics::blitFrom(Win32DDGraphics* source, int x, int y, int w, int h, int sourceX, int sourceY,
                               bool masked) {
    if (!surface || !source->surface || source->format != format || !isConvertibleFormat(format)) return false;
    RECT to = rectOf(x, y, w, h);
    RECT from = rectOf(sourceX, sourceY, w, h);
    DDBLTFX effects{};
    effects.dwSize = sizeof effects;
    DWORD flags = DDBLT_WAIT;
    if (masked) {
        const DWORD key = toPixel(format, source->maskColour);
        effects.ddckSrcColorkey.dwColorSpaceLowValue = key;
        effects.ddckSrcColorkey.dwColorSpaceHighValue = key;
        flags |= DDBLT_KEYSRCOVERRIDE;
    }
    return SUCCEEDED(surface->Blt(&to, source->surface, &from, flags, &effects));
}

void Win32DDGraphics::copy(int x, int y, int w, int h, QXGraphics* source, int sourceX, int sourceY, int flags) {
    modified = true;
    auto* surfaceSource = dynamic_cast<Win32DDGraphics*>(source);
    // Within one surface the areas may overlap, which only the portable copy
    // is sure to handle; locked surfaces refuse the blitter.
    if (!surfaceSource || surfaceSource == this || busy() || surfaceSource->busy()) {
        QXGraphics::copy(x, y, w, h, source, sourceX, sourceY, flags);
        return;
    }
    const bool masked = (flags & QXCopyMasked) != 0;
    Win32DDGraphics* from = blitSourceFor(surfaceSource);
    if (from->format != format) from = surfaceSource;  // the twin serves only its own format
    if (blitFrom(from, x, y, w, h, sourceX, sourceY, masked)) return;
    restore();
    if (from->surface && from->surface->IsLost() == DDERR_SURFACELOST) {
        from->restore();
        if (from != surfaceSource) {
            surfaceSource->modified = true;
            from = blitSourceFor(surfaceSource);
        }
    }
    if (from->format == format && blitFrom(from, x, y, w, h, sourceX, sourceY, masked)) return;
    QXGraphics::copy(x, y, w, h, source, sourceX, sourceY, flags);
}

// ---------------------------------------------------------------- lock and DC

QXPixelLock Win32DDGraphics::lock() {
    modified = true;
    if (lockCount++ > 0) return fallback ? fallback->lock() : QXPixelLock{lockAddress, lockPitch, format};
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof description;
    bool locked = surface && SUCCEEDED(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr));
    if (!locked) {
        restore();
        description = {};
        description.dwSize = sizeof description;
        locked = surface && SUCCEEDED(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr));
    }
    if (!locked) {
        fallback = createPixmap(width, height, QXFormatXRGB8888, 4);
        return fallback->lock();
    }
    surfaceLocked_ = true;
    lockAddress = static_cast<std::uint8_t*>(description.lpSurface);
    lockPitch = static_cast<int>(description.lPitch);
    return {lockAddress, lockPitch, format};
}

void Win32DDGraphics::unlock() {
    if (lockCount <= 0 || --lockCount > 0) return;
    if (fallback) {
        release(fallback);
        fallback = nullptr;
    } else if (surface) {
        surface->Unlock(nullptr);
    }
    surfaceLocked_ = false;
    lockAddress = nullptr;
    restore();  // one lost while locked was left alone until now
}

HDC Win32DDGraphics::getDC() {
    if (dc || !surface) runtimeError("Failed to lock HDC");
    modified = true;
    if (FAILED(surface->GetDC(&dc))) {
        restore();
        if (!surface || FAILED(surface->GetDC(&dc))) {
            dc = nullptr;
            runtimeError("Failed to lock HDC");
        }
    }
    return dc;
}

void Win32DDGraphics::releaseDC() {
    if (dc && surface) surface->ReleaseDC(dc);
    dc = nullptr;
    restore();
}
