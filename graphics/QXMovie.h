#pragma once
// Movies: video streamed into a frame store of the movie's size, copied onto
// a target store on request. The streaming itself is the platform's (see
// QXStreamedMovie); the rules of playback are here.

#include "graphics/QXGraphics.h"

// What OpenMovie returns; handle kind "Movie Graphics".
class QXMovie : public QXResource {
public:
    // Slots after QXObject's destructor, destroy and query; the order is part
    // of the drivers' contract.
    virtual int width() = 0;
    virtual int height() = 0;
    // Copies the current frame onto the target's rectangle, stretched to it;
    // false when nothing was drawn.
    virtual bool draw(QXGraphics* target, int x, int y, int w, int h) = 0;
    virtual bool playing() = 0;
};

// A movie whose frames come from a stream: each draw asks the stream for the
// next frame; the end of the stream (or any stream error) stops playback for
// good, and a stopped movie draws nothing.
class QXStreamedMovie : public QXMovie {
public:
    QXStreamedMovie(int frameWidth, int frameHeight) : frameWidth_(frameWidth), frameHeight_(frameHeight) {}

    int width() override { return frameWidth_; }
    int height() override { return frameHeight_; }
    bool playing() override { return playing_ != 0; }
    bool draw(QXGraphics* target, int x, int y, int w, int h) override;

protected:
    // Whether the movie can draw onto this kind of store at all.
    virtual bool acceptsTarget(QXGraphics* target) = 0;
    // Whether the frame store and the target can be used now (restoring them
    // if they were lost).
    virtual bool storesAvailable(QXGraphics* target) = 0;
    // Brings the next frame into the frame store: 0 when it did, anything
    // else at the end of the stream or on an error.
    virtual int nextFrame() = 0;
    // Copies the frame store onto the target rectangle, stretching as needed.
    virtual bool copyFrame(QXGraphics* target, int x, int y, int w, int h) = 0;
    // The second way of copying, used when the first one fails.
    virtual bool copyFrameFallback(QXGraphics* target, int x, int y, int w, int h) = 0;

    void stop() { playing_ = 0; }

private:
    unsigned char playing_ = 1;
    int frameWidth_;
    int frameHeight_;
};

// DrawMovie's rule: a negative width or height is the movie's own; draws,
// then returns the playing flag (0 or 1). A null target draws nothing.
int drawMovieOn(QXMovie& movie, QXGraphics* target, int x, int y, int width, int height);
