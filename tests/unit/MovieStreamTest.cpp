// The platform's multimedia streams, as the movie player will use them: a
// tiny uncompressed AVI opened into a DirectDraw video stream delivers its
// five frames with the right pixels, then reports the end of the stream.

#define CINTERFACE
#define COBJMACROS
#define INITGUID
#include <windows.h>
#include <ddraw.h>
#include <mmstream.h>
#include <amstream.h>
#include <ddstream.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

template <class T> struct ComReleaser {
    void operator()(T* object) const {
        if (object) reinterpret_cast<IUnknown*>(object)->lpVtbl->Release(reinterpret_cast<IUnknown*>(object));
    }
};
template <class T> using Com = std::unique_ptr<T, ComReleaser<T>>;

struct Pixel {
    int blue, green, red;
};

// The top-left pixel and the pixel at (5, 0) of the sample's surface (32-bit).
std::vector<Pixel> readPixels(IDirectDrawStreamSample* sample) {
    IDirectDrawSurface* raw = nullptr;
    RECT rect;
    if (FAILED(IDirectDrawStreamSample_GetSurface(sample, &raw, &rect))) return {};
    Com<IDirectDrawSurface> surface(raw);
    DDSURFACEDESC locked = {};
    locked.dwSize = sizeof locked;
    if (FAILED(IDirectDrawSurface_Lock(surface.get(), nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
        return {};
    std::vector<Pixel> pixels;
    if (locked.ddpfPixelFormat.dwRGBBitCount == 32) {
        const auto* top = static_cast<const unsigned char*>(locked.lpSurface);
        for (int x : {0, 5}) pixels.push_back({top[x * 4], top[x * 4 + 1], top[x * 4 + 2]});
    }
    IDirectDrawSurface_Unlock(surface.get(), nullptr);
    return pixels;
}

}  // namespace

TEST(MovieStreams, ATinyAviPlaysItsFramesIntoADirectDrawStreamThenEnds) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    struct Uninitialize {
        ~Uninitialize() { CoUninitialize(); }
    } uninitialize;
    HMODULE ddrawLibrary = LoadLibraryA("ddraw.dll");
    ASSERT_NE(ddrawLibrary, nullptr);
    auto create = reinterpret_cast<HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*)>(
        reinterpret_cast<void*>(GetProcAddress(ddrawLibrary, "DirectDrawCreate")));
    ASSERT_NE(create, nullptr);
    IDirectDraw* rawDraw = nullptr;
    ASSERT_EQ(create(nullptr, &rawDraw, nullptr), S_OK);
    Com<IDirectDraw> draw(rawDraw);
    ASSERT_EQ(IDirectDraw_SetCooperativeLevel(draw.get(), nullptr, DDSCL_NORMAL), S_OK);

    IAMMultiMediaStream* rawStream = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IAMMultiMediaStream,
                               reinterpret_cast<void**>(&rawStream)),
              S_OK);
    Com<IAMMultiMediaStream> stream(rawStream);
    ASSERT_EQ(IAMMultiMediaStream_Initialize(stream.get(), STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr), S_OK);
    ASSERT_EQ(IAMMultiMediaStream_AddMediaStream(stream.get(), reinterpret_cast<IUnknown*>(draw.get()),
                                                 &MSPID_PrimaryVideo, 0, nullptr),
              S_OK);
    const std::string file = std::string(QX_SOURCE_DIR) + "/tests/data/movies/tiny.avi";
    std::wstring wide(file.begin(), file.end());
    ASSERT_EQ(IAMMultiMediaStream_OpenFile(stream.get(), wide.c_str(), 0), S_OK);

    IMediaStream* rawVideo = nullptr;
    ASSERT_EQ(IAMMultiMediaStream_GetMediaStream(stream.get(), MSPID_PrimaryVideo, &rawVideo), S_OK);
    Com<IMediaStream> video(rawVideo);
    IDirectDrawMediaStream* rawDrawStream = nullptr;
    ASSERT_EQ(IMediaStream_QueryInterface(video.get(), IID_IDirectDrawMediaStream,
                                          reinterpret_cast<void**>(&rawDrawStream)),
              S_OK);
    Com<IDirectDrawMediaStream> drawStream(rawDrawStream);
    DDSURFACEDESC format = {};
    format.dwSize = sizeof format;
    ASSERT_EQ(IDirectDrawMediaStream_GetFormat(drawStream.get(), &format, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(sizeof format, 108u);
    EXPECT_EQ(format.dwWidth, 16u);
    EXPECT_EQ(format.dwHeight, 12u);

    IDirectDrawStreamSample* rawSample = nullptr;
    ASSERT_EQ(IDirectDrawMediaStream_CreateSample(drawStream.get(), nullptr, nullptr, 0, &rawSample), S_OK);
    Com<IDirectDrawStreamSample> sample(rawSample);
    ASSERT_EQ(IAMMultiMediaStream_SetState(stream.get(), STREAMSTATE_RUN), S_OK);
    for (int frame = 0; frame < 5; ++frame) {
        ASSERT_EQ(IDirectDrawStreamSample_Update(sample.get(), 0, nullptr, nullptr, 0), S_OK) << "frame " << frame;
        // The movie's rows come top row first: blue counts frames, green the
        // row (11 at the top of a bottom-up DIB), red the column.
        const std::vector<Pixel> pixels = readPixels(sample.get());
        ASSERT_EQ(pixels.size(), 2u);
        EXPECT_EQ(pixels[0].blue, frame * 50);
        EXPECT_EQ(pixels[0].green, 11 * 20);
        EXPECT_EQ(pixels[0].red, 0);
        EXPECT_EQ(pixels[1].red, 5 * 15);
    }
    EXPECT_EQ(IDirectDrawStreamSample_Update(sample.get(), 0, nullptr, nullptr, 0), MS_S_ENDOFSTREAM);
    IAMMultiMediaStream_SetState(stream.get(), STREAMSTATE_STOP);
}
