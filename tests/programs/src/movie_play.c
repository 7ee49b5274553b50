/* A tiny uncompressed AVI (16x12, five frames) played into a windowed
   DirectDraw screen: each frame's pixels read back (blue counts frames,
   green the row, red the column), the end of the stream, a stretched draw,
   and the Native family without movies. The movie file is named on the
   command line. Ends with an invalid movie handle. */
#include "qxprog.h"
#include "qxtest.h"

static void check(int ok, const char* what, int got) {
    QXString* s = text(ok ? "ok " : "FAIL ");
    Write(s);
    _qxStrRelease(s);
    s = text(what);
    Write(s);
    _qxStrRelease(s);
    if (!ok) {
        s = _qxStrFromInt(got);
        Write(text(" got "));
        Write(s);
        _qxStrRelease(s);
    }
    Print(text(""));
}

void qxmain(void) {
    QXString* file = Trim(CommandLine());
    check(OpenMovie(text("missing.avi")) == 0, "a missing file opens no movie", 0);
    Graphics(64, 48, 24, 2);
    int movie = OpenMovie(file);
    check(movie != 0, "the movie opens", 0);
    if (!movie) return;
    check(MovieWidth(movie) == 16 && MovieHeight(movie) == 12 && MoviePlaying(movie) == 1, "size and playing",
          MovieWidth(movie));
    int frame, good = 1, bad = 0;
    for (frame = 0; frame < 5; ++frame) {
        int playing = DrawMovie(movie, 0, 0, -1, -1);
        int first = ReadPixel(0, 0, 0) & 0xFFFFFF, fifth = ReadPixel(5, 0, 0) & 0xFFFFFF;
        if (!(playing == 1 && first == (11 * 20) * 256 + frame * 50 && (fifth >> 16) == 5 * 15)) {
            good = 0;
            bad = first;
        }
    }
    check(good, "five frames drawn with their pixels", bad);
    WritePixel(0, 0, 0xFFFFFFFF, 0);
    check(DrawMovie(movie, 0, 0, -1, -1) == 0 && MoviePlaying(movie) == 0, "the end of the stream stops playback", 1);
    check((ReadPixel(0, 0, 0) & 0xFFFFFF) == 0xFFFFFF, "a stopped movie draws nothing", ReadPixel(0, 0, 0));
    check(DrawMovie(movie, 20, 0, -1, 50) == 0, "drawing a stopped movie", 1);
    CloseMovie(0);
    CloseMovie(movie);
    EndGraphics();
    SetGfxDriver(1);
    check(OpenMovie(file) == 0, "no movies under the Native family", 1);
    SetGfxDriver(3);
    MovieWidth(movie);
    Print(text("not reached"));
}
