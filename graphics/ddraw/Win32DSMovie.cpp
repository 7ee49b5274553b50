// Movies over DirectShow multimedia streams ("Win32DSMovieDriver"): the video
// stream is bound to the DirectDraw object and updates a sample whose surface
// is the movie's frame surface; each draw takes the next frame and copies it
// onto the target surface.

#include <windows.h>
#include <ddraw.h>
#include <mmstream.h>
#include <amstream.h>
#include <ddstream.h>

#include <algorithm>
#include <string>

#include "core/QXString.h"
#include "graphics/Q2DBuffer.h"
#include "graphics/QXMovie.h"
#include "graphics/ddraw/Win32DDGrDriver2D.h"
#include "graphics/ddraw/Win32DD.h"
#include "graphics/ddraw/Win32DDGraphics.h"
#include "runtime/QXError.h"
#include "runtime/QXModule.h"
#include "runtime/QXRegistry.h"

namespace {
// Spelled out here so that no GUID library is needed for them.
constexpr GUID kCLSID_AMMultiMediaStream = {
    0x49C47CE5, 0x9BA4, 0x11D0, {0x82, 0x12, 0x00, 0xC0, 0x4F, 0xC3, 0x2C, 0x45}};
constexpr GUID kIID_IAMMultiMediaStream = {
    0xBEBE595C, 0x9A6F, 0x11D0, {0x8F, 0xDE, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
constexpr GUID kMSPID_PrimaryVideo = {0xA35FF56A, 0x9FDA, 0x11D0, {0x8F, 0xDF, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
constexpr GUID kMSPID_PrimaryAudio = {0xA35FF56B, 0x9FDA, 0x11D0, {0x8F, 0xDF, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
constexpr GUID kIID_IDirectDrawMediaStream = {
    0xF4104FCE, 0x9A70, 0x11D0, {0x8F, 0xDE, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
constexpr GUID kIID_IDirectDraw = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID kIID_IDirectDrawSurface = {
    0x6C14DB81, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

template <class T> void releaseInterface(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

class Win32DSMovie : public QXStreamedMovie {
public:
    Win32DSMovie(Win32DDGraphics* frame, IAMMultiMediaStream* stream, IDirectDrawMediaStream* video,
                 IDirectDrawStreamSample* sample)
        : QXStreamedMovie(frame->width, frame->height), frame_(frame), stream_(stream), video_(video),
          sample_(sample) {}

    ~Win32DSMovie() override {
        if (stream_) stream_->SetState(STREAMSTATE_STOP);
        releaseInterface(sample_);
        releaseInterface(video_);
        releaseInterface(stream_);
        release(frame_);
    }

    int query(int id) override {
        static const int movieQuery = queryId("QXMovie");
        return id == movieQuery ? handleOf(this) : QXStreamedMovie::query(id);
    }

protected:
    bool acceptsTarget(QXGraphics* target) override { return dynamic_cast<Win32DDGraphics*>(target) != nullptr; }

    bool storesAvailable(QXGraphics* target) override {
        auto* surface = static_cast<Win32DDGraphics*>(target);
        frame_->restore();
        surface->restore();
        return frame_->surface && surface->surface;
    }

    int nextFrame() override {
        const HRESULT result = sample_->Update(0, nullptr, nullptr, 0);
        frame_->modified = true;
        return result == S_OK ? 0 : 1;
    }

    bool copyFrame(QXGraphics* target, int x, int y, int w, int h) override {
        auto* surface = static_cast<Win32DDGraphics*>(target);
        RECT to{x, y, x + w, y + h};
        theWin32DDGrDriver2D.settle();  // plots may still hold the target's lock
        return SUCCEEDED(surface->surface->Blt(&to, frame_->surface, nullptr, DDBLT_WAIT, nullptr));
    }

    bool copyFrameFallback(QXGraphics* target, int x, int y, int w, int h) override {
        auto* surface = static_cast<Win32DDGraphics*>(target);
        HDC to = nullptr;
        HDC from = nullptr;
        if (FAILED(surface->surface->GetDC(&to))) return false;
        bool copied = false;
        if (SUCCEEDED(frame_->surface->GetDC(&from))) {
            copied = (w == frame_->width && h == frame_->height)
                         ? BitBlt(to, x, y, w, h, from, 0, 0, SRCCOPY)
                         : StretchBlt(to, x, y, w, h, from, 0, 0, frame_->width, frame_->height, SRCCOPY);
            frame_->surface->ReleaseDC(from);
        }
        surface->surface->ReleaseDC(to);
        return copied;
    }

private:
    Win32DDGraphics* frame_;
    IAMMultiMediaStream* stream_;
    IDirectDrawMediaStream* video_;
    IDirectDrawStreamSample* sample_;
};

class Win32DSMovieDriver : public QXModule {
public:
    Win32DSMovieDriver() { registerModule("Win32DSMovieDriver", "Graphics", "DirectDraw"); }

    bool startup() override {
        // DirectDraw is made when the first movie opens (Win32DD).
        if (!startModuleNamed("Win32DD")) return false;
        comStarted_ = SUCCEEDED(CoInitialize(nullptr));
        running = this;
        return true;
    }
    void shutdown() override {
        if (running == this) running = nullptr;
        if (comStarted_) CoUninitialize();
        comStarted_ = false;
    }

    // The movie (count 1), or null when the file cannot be opened.
    QXMovie* open(const char* file) {
        IAMMultiMediaStream* stream = nullptr;
        if (FAILED(CoCreateInstance(kCLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, kIID_IAMMultiMediaStream,
                                    reinterpret_cast<void**>(&stream))) ||
            !stream)
            return nullptr;
        if (FAILED(stream->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr))) {
            stream->Release();
            return nullptr;
        }
        IDirectDraw* directDraw = nullptr;
        theWin32DD.directDraw7()->QueryInterface(kIID_IDirectDraw, reinterpret_cast<void**>(&directDraw));
        if (SUCCEEDED(stream->AddMediaStream(directDraw, &kMSPID_PrimaryVideo, 0, nullptr))) {
            // Sound is optional: a machine without an audio device still plays the video.
            stream->AddMediaStream(nullptr, &kMSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER, nullptr);
        }
        releaseInterface(directDraw);
        const int length = MultiByteToWideChar(CP_ACP, 0, file, -1, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
        MultiByteToWideChar(CP_ACP, 0, file, -1, wide.data(), length);
        IMediaStream* media = nullptr;
        IDirectDrawMediaStream* video = nullptr;
        if (FAILED(stream->OpenFile(wide.c_str(), 0)) ||
            FAILED(stream->GetMediaStream(kMSPID_PrimaryVideo, &media)) || !media ||
            FAILED(media->QueryInterface(kIID_IDirectDrawMediaStream, reinterpret_cast<void**>(&video)))) {
            releaseInterface(media);
            stream->Release();
            return nullptr;
        }
        releaseInterface(media);
        DDSURFACEDESC format{};
        format.dwSize = sizeof format;
        if (FAILED(video->GetFormat(&format, nullptr, nullptr, nullptr)) || format.dwWidth < 1 || format.dwHeight < 1) {
            video->Release();
            stream->Release();
            return nullptr;
        }
        Win32DDGraphics* frame = createFrame(static_cast<int>(format.dwWidth), static_cast<int>(format.dwHeight));
        if (!frame) {
            video->Release();
            stream->Release();
            runtimeError("Failed to create DirectDraw graphics");
        }
        IDirectDrawSurface* surface = nullptr;
        IDirectDrawStreamSample* sample = nullptr;
        frame->surface->QueryInterface(kIID_IDirectDrawSurface, reinterpret_cast<void**>(&surface));
        if (!surface || FAILED(video->CreateSample(surface, nullptr, 0, &sample)) || !sample) {
            releaseInterface(surface);
            release(frame);
            video->Release();
            stream->Release();
            return nullptr;
        }
        releaseInterface(surface);
        stream->SetState(STREAMSTATE_RUN);
        return new Win32DSMovie(frame, stream, video, sample);
    }

    static inline Win32DSMovieDriver* running = nullptr;

private:
    // A kind-1 surface, or null (createDDGraphics stops the program instead).
    static Win32DDGraphics* createFrame(int width, int height) {
        if (!theWin32DD.directDraw7()) return nullptr;
        return createDDGraphics(kDDDisplay, width, height);
    }

    bool comStarted_ = false;
};

QXMovie& movieOf(int movie) { return *checkHandle<QXMovie>(movie, "Movie Graphics"); }

int QXCALL OpenMovie(QXString* file) {
    Win32DSMovieDriver* driver = Win32DSMovieDriver::running;
    if (!driver) return 0;
    return handleOf(driver->open(stringCText(file)));
}

void QXCALL CloseMovie(int movie) {
    if (movie) release(&movieOf(movie));
}

int QXCALL MovieWidth(int movie) { return movieOf(movie).width(); }
int QXCALL MovieHeight(int movie) { return movieOf(movie).height(); }
int QXCALL MoviePlaying(int movie) { return movieOf(movie).playing() ? 1 : 0; }

int QXCALL DrawMovie(int movie, int x, int y, int width, int height) {
    QXMovie& played = movieOf(movie);
    return drawMovieOn(played, q2dCurrent.graphics, x, y, width, height);
}

const QXSymbol commands[] = {
    QX_COMMAND("%OpenMovie$file", OpenMovie),
    QX_COMMAND("CloseMovie%movie", CloseMovie),
    QX_COMMAND("%MovieWidth%movie", MovieWidth),
    QX_COMMAND("%MovieHeight%movie", MovieHeight),
    QX_COMMAND("%MoviePlaying%movie", MoviePlaying),
    QX_COMMAND("%DrawMovie%movie%x%y%width=-1%height=-1", DrawMovie),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Graphics, commands);

}  // namespace

QX_MODULE_INSTANCE(Win32DSMovieDriver, 19);
