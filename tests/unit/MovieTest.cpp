// Movie playback rules against a stream double: frames until the end of the
// stream, the size rule of DrawMovie, targets the movie cannot draw on, and
// the fallback copy.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "graphics/QXMovie.h"
#include "graphics/QXPixmap.h"

namespace {

struct Rect {
    int x, y, w, h;
    bool operator==(const Rect&) const = default;
};

// Frames come from a script of stream results; copies are recorded, and the
// first copy way can be made to fail. Only memory pixmaps are drawable.
class StreamDouble : public QXStreamedMovie {
public:
    explicit StreamDouble(std::deque<int> results) : QXStreamedMovie(64, 48), results_(std::move(results)) {}

    std::vector<Rect> copies, fallbackCopies;
    int framesAsked = 0;
    bool storesUsable = true;
    bool firstCopyWorks = true;

protected:
    bool acceptsTarget(QXGraphics* target) override { return dynamic_cast<QXPixmap*>(target) != nullptr; }
    bool storesAvailable(QXGraphics*) override { return storesUsable; }
    int nextFrame() override {
        ++framesAsked;
        if (results_.empty()) return 1;
        int result = results_.front();
        results_.pop_front();
        return result;
    }
    bool copyFrame(QXGraphics* target, int x, int y, int w, int h) override {
        copies.push_back({x, y, w, h});
        if (firstCopyWorks) target->fill(x, y, 1, 1, 0xFF00FF00);
        return firstCopyWorks;
    }
    bool copyFrameFallback(QXGraphics* target, int x, int y, int w, int h) override {
        fallbackCopies.push_back({x, y, w, h});
        target->fill(x, y, 1, 1, 0xFF0000FF);
        return true;
    }

private:
    std::deque<int> results_;
};

// A store that is not a pixmap.
class OtherStore : public QXGraphics {
public:
    OtherStore() : QXGraphics(100, 100) {}
    QXPixelLock lock() override { return {nullptr, 0, 4}; }
    void unlock() override {}
};

QXColour pixelAt(QXPixmap* pixmap, int x, int y) {
    QXColour colour = 0;
    pixmap->read(x, y, 1, 1, &colour, 4);
    return colour;
}

}  // namespace

TEST(Movie, DrawsUntilTheStreamEndsThenStaysStoppedAndLeavesTheTargetAlone) {
    const int liveBefore = liveObjectCount();
    auto* movie = new StreamDouble({0, 0, 1});
    QXPixmap* target = createPixmap(100, 100, 4, 4);
    target->fill(0, 0, 100, 100, 0xFF000000);
    EXPECT_EQ(movie->width(), 64);
    EXPECT_EQ(movie->height(), 48);
    EXPECT_TRUE(movie->playing());

    EXPECT_EQ(drawMovieOn(*movie, target, 1, 2, -1, -1), 1);
    EXPECT_EQ(drawMovieOn(*movie, target, 3, 4, -1, -1), 1);
    EXPECT_EQ(pixelAt(target, 3, 4), 0xFF00FF00u);
    target->fill(0, 0, 100, 100, 0xFF000000);
    EXPECT_EQ(drawMovieOn(*movie, target, 5, 6, -1, -1), 0) << "the end of the stream";
    EXPECT_FALSE(movie->playing());
    EXPECT_EQ(drawMovieOn(*movie, target, 7, 8, -1, -1), 0);
    EXPECT_EQ(movie->framesAsked, 3) << "a stopped movie no longer reads its stream";
    EXPECT_EQ(movie->copies, (std::vector<Rect>{{1, 2, 64, 48}, {3, 4, 64, 48}}));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(pixelAt(target, x, y), 0xFF000000u);

    release(target);
    release(movie);
    EXPECT_EQ(liveObjectCount(), liveBefore);
}

TEST(Movie, ANegativeWidthOrHeightIsTheMoviesOwn) {
    auto* movie = new StreamDouble({0, 0, 0, 0});
    QXPixmap* target = createPixmap(10, 10, 4, 4);
    drawMovieOn(*movie, target, 0, 0, -1, 50);
    drawMovieOn(*movie, target, 0, 0, 20, -7);
    drawMovieOn(*movie, target, 0, 0, 0, 0);
    drawMovieOn(*movie, target, -3, -4, 128, 96);
    EXPECT_EQ(movie->copies, (std::vector<Rect>{{0, 0, 64, 50}, {0, 0, 20, 48}, {0, 0, 0, 0}, {-3, -4, 128, 96}}));
    release(target);
    release(movie);
}

TEST(Movie, TargetsItCannotDrawOnAndUnavailableStoresDrawNothingAndKeepTheStream) {
    auto* movie = new StreamDouble({0});
    OtherStore* other = new OtherStore;
    QXPixmap* target = createPixmap(10, 10, 4, 4);
    EXPECT_EQ(drawMovieOn(*movie, other, 0, 0, -1, -1), 1);
    EXPECT_EQ(drawMovieOn(*movie, nullptr, 0, 0, -1, -1), 1);
    movie->storesUsable = false;
    EXPECT_FALSE(movie->draw(target, 0, 0, 10, 10));
    EXPECT_EQ(movie->framesAsked, 0);
    EXPECT_TRUE(movie->copies.empty());
    movie->storesUsable = true;
    EXPECT_TRUE(movie->draw(target, 0, 0, 10, 10));
    EXPECT_EQ(movie->framesAsked, 1);
    release(target);
    release(other);
    release(movie);
}

TEST(Movie, AFailedCopyFallsBackToTheSecondWay) {
    auto* movie = new StreamDouble({0});
    movie->firstCopyWorks = false;
    QXPixmap* target = createPixmap(10, 10, 4, 4);
    target->fill(0, 0, 10, 10, 0xFF000000);
    EXPECT_TRUE(movie->draw(target, 2, 3, 5, 5));
    EXPECT_EQ(movie->fallbackCopies, (std::vector<Rect>{{2, 3, 5, 5}}));
    EXPECT_EQ(pixelAt(target, 2, 3), 0xFF0000FFu);
    EXPECT_TRUE(movie->playing());
    release(target);
    release(movie);
}
