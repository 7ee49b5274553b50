#include "graphics/QXMovie.h"

bool QXStreamedMovie::draw(QXGraphics* target, int x, int y, int w, int h) {
    if (!playing_ || !target || !acceptsTarget(target)) return false;
    if (!storesAvailable(target)) return false;
    if (nextFrame() != 0) {
        stop();
        return false;
    }
    if (copyFrame(target, x, y, w, h)) return true;
    return copyFrameFallback(target, x, y, w, h);
}

int drawMovieOn(QXMovie& movie, QXGraphics* target, int x, int y, int width, int height) {
    if (width < 0) width = movie.width();
    if (height < 0) height = movie.height();
    if (target) movie.draw(target, x, y, width, height);
    return movie.playing() ? 1 : 0;
}
