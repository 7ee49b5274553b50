// Image transforms: placement, pinned results of the usual turns, mirrors and
// scales, and every pixel against a direct evaluation of the sampling rule.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "graphics/images/QXImageTransform.h"

#ifdef _WIN32
#include "TestSupport.h"
#endif

namespace {

constexpr QXColour kMask = 0x00FF00FF;

struct Frame {
    int width, height, format;
    std::vector<std::uint8_t> memory;
    Frame(int w, int h, int f = QXFormatXRGB8888)
        : width(w), height(h), format(f), memory(std::size_t(w * bytesPerPixel(f) * h + 1), 0) {}
    QXPixelView view() { return {memory.data(), width * bytesPerPixel(format), format, width, height}; }
    QXColour at(int x, int y) { return view().colour(x, y); }
};

Frame randomFrame(std::mt19937& random, int width, int height, int format = QXFormatXRGB8888) {
    Frame frame(width, height, format);
    std::uniform_int_distribution<std::uint32_t> any;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) frame.view().setColour(x, y, any(random));
    return frame;
}

struct Result {
    QXTransformPlan plan;
    Frame frame;
};

Result transform(Frame& source, QXTransformMatrix matrix, int hx, int hy, bool filter) {
    QXTransformPlan plan{};
    EXPECT_EQ(planTransform(matrix, source.width, source.height, hx, hy, plan), QXTransformResult::Ok);
    Frame out(plan.width, plan.height, source.format);
    renderTransform(plan, source.view(), out.view(), filter, kMask);
    return {plan, out};
}

// The sampling rule evaluated for one destination pixel, straight from its
// statement, with nothing shared with the code under test.
QXColour referencePixel(Frame& source, QXTransformMatrix m, int hx, int hy, int minX, int minY, int i, int j,
                        bool filter) {
    const float det = m.a * m.d - m.b * m.c;
    const float ia = m.d / det, ib = -m.b / det, ic = -m.c / det, id = m.a / det;
    const float px = float(minX + i) + 0.5f, py = float(minY + j) + 0.5f;
    const float sx = ia * px + ib * py + float(hx), sy = ic * px + id * py + float(hy);
    auto pixel = [&](double x, double y) {
        if (x < 0 || y < 0 || x >= source.width || y >= source.height) return kMask;
        return source.at(int(x), int(y));
    };
    if (!filter) return pixel(std::floor(sx), std::floor(sy));
    const float u = sx - 0.5f, v = sy - 0.5f;
    const float x0 = std::floor(u), y0 = std::floor(v), fx = u - x0, fy = v - y0;
    const QXColour c[4] = {pixel(x0, y0), pixel(x0 + 1, y0), pixel(x0, y0 + 1), pixel(x0 + 1, y0 + 1)};
    const float w[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    QXColour out = 0;
    for (int shift : {24, 16, 8, 0}) {
        float sum = 0;
        for (int k = 0; k < 4; ++k) sum += float((c[k] >> shift) & 255) * w[k];
        out |= QXColour(int(sum + 0.5f)) << shift;
    }
    return out;
}

void expectMatchesReference(Frame& source, QXTransformMatrix m, int hx, int hy, bool filter) {
    Result result = transform(source, m, hx, hy, filter);
    for (int j = 0; j < result.plan.height; ++j)
        for (int i = 0; i < result.plan.width; ++i)
            ASSERT_EQ(result.frame.at(i, j),
                      toColour(source.format, toPixel(source.format, referencePixel(source, m, hx, hy, result.plan.minX,
                                                                                    result.plan.minY, i, j, filter))))
                << "pixel " << i << "," << j << " filter " << filter << " matrix " << m.a << " " << m.b << " "
                << m.c << " " << m.d;
}

TEST(ImageTransform, ScaleByTwoAboutTheHandle) {
    std::mt19937 random(3);
    Frame source = randomFrame(random, 10, 10);
    Result atCorner = transform(source, {2, 0, 0, 2}, 0, 0, false);
    EXPECT_EQ(atCorner.plan.width, 20);
    EXPECT_EQ(atCorner.plan.height, 20);
    EXPECT_EQ(atCorner.plan.newHandleX(), 0);
    EXPECT_EQ(atCorner.plan.newHandleY(), 0);
    Result centred = transform(source, {2, 0, 0, 2}, 5, 5, false);
    EXPECT_EQ(centred.plan.width, 20);
    EXPECT_EQ(centred.plan.newHandleX(), 10);
    EXPECT_EQ(centred.plan.newHandleY(), 10);
    for (int j = 0; j < 20; ++j)
        for (int i = 0; i < 20; ++i) ASSERT_EQ(centred.frame.at(i, j), source.at(i / 2, j / 2));
}

TEST(ImageTransform, MirrorMovesTheHandleToTheOtherSide) {
    std::mt19937 random(4);
    Frame source = randomFrame(random, 10, 7);
    for (bool filter : {false, true}) {
        Result mirrored = transform(source, {-1, 0, 0, 1}, 0, 0, filter);
        EXPECT_EQ(mirrored.plan.width, 10);
        EXPECT_EQ(mirrored.plan.height, 7);
        EXPECT_EQ(mirrored.plan.newHandleX(), 10);
        EXPECT_EQ(mirrored.plan.newHandleY(), 0);
        for (int j = 0; j < 7; ++j)
            for (int i = 0; i < 10; ++i) ASSERT_EQ(mirrored.frame.at(i, j), source.at(9 - i, j)) << filter;
    }
}

TEST(ImageTransform, IdentityAndNoTurnCopyExactlyWithOrWithoutFilter) {
    std::mt19937 random(5);
    Frame source = randomFrame(random, 13, 9, QXFormatRGB888);
    for (bool filter : {false, true})
        for (QXTransformMatrix m : {QXTransformMatrix{1, 0, 0, 1}, rotationMatrix(0)}) {
            Result same = transform(source, m, 3, 4, filter);
            ASSERT_EQ(same.plan.width, 13);
            ASSERT_EQ(same.plan.height, 9);
            EXPECT_EQ(same.plan.newHandleX(), 3);
            EXPECT_EQ(same.plan.newHandleY(), 4);
            EXPECT_EQ(same.frame.memory, source.memory);
        }
}

// cos(−90°) in single precision is −4.37e-8, not 0: a corner lands just left
// of 0 and the box gains a column. That is what the rule gives; the extra
// column shows the mask colour.
TEST(ImageTransform, QuarterTurnOfTenByTenGivesElevenByTenWithTheRoundingNoise) {
    std::mt19937 random(6);
    Frame source = randomFrame(random, 10, 10);
    const QXTransformMatrix quarter = rotationMatrix(90);
    EXPECT_EQ(quarter.b, 1.0f);
    EXPECT_LT(quarter.a, 0.0f);
    EXPECT_GT(quarter.a, -1e-7f);
    Result turned = transform(source, quarter, 0, 0, false);
    EXPECT_EQ(turned.plan.width, 11);
    EXPECT_EQ(turned.plan.height, 10);
    EXPECT_EQ(turned.plan.newHandleX(), 1);
    EXPECT_EQ(turned.plan.newHandleY(), 10);
    for (int j = 0; j < 10; ++j) {
        EXPECT_EQ(turned.frame.at(0, j), kMask | 0xFF000000) << j;
        for (int i = 1; i < 11; ++i) ASSERT_EQ(turned.frame.at(i, j), source.at(9 - j, i - 1)) << i << "," << j;
    }
}

TEST(ImageTransform, EveryPixelFollowsTheSamplingRule) {
    std::mt19937 random(8);
    std::uniform_real_distribution<float> scale(-3.0f, 3.0f);
    std::uniform_int_distribution<int> size(1, 24);
    std::vector<QXTransformMatrix> matrices = {rotationMatrix(45), rotationMatrix(90), rotationMatrix(-30),
                                               rotationMatrix(180), {1.5f, 0, 0, 0.5f}, {-1, 0, 0, -1},
                                               {0.3f, 0.2f, -0.1f, 0.7f}};
    for (int k = 0; k < 20; ++k) matrices.push_back({scale(random), scale(random), scale(random), scale(random)});
    int tested = 0;
    for (const QXTransformMatrix& m : matrices) {
        const int w = size(random), h = size(random);
        Frame source = randomFrame(random, w, h, tested % 2 ? QXFormatRGB565 : QXFormatARGB8888);
        const int hx = w / 2, hy = h / 3;
        QXTransformPlan plan{};
        if (planTransform(m, w, h, hx, hy, plan) != QXTransformResult::Ok) continue;
        for (bool filter : {false, true}) expectMatchesReference(source, m, hx, hy, filter);
        ++tested;
    }
    EXPECT_GT(tested, 20);
}

TEST(ImageTransform, SingularNonFiniteAndHugeResultsAreRefused) {
    QXTransformPlan plan{};
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const QXTransformMatrix illegal[] = {{0, 0, 0, 0}, {1, 2, 2, 4}, {inf, 0, 0, 1}, {nan, 0, 0, 1},
                                         {1, 0, 0, nan}, {1e-30f, 0, 0, 1e-30f}, {1e-45f, 0, 0, 1e-45f},
                                         {3e38f, 0, 0, 3e38f}};
    for (const QXTransformMatrix& m : illegal)
        EXPECT_EQ(planTransform(m, 10, 10, 0, 0, plan), QXTransformResult::IllegalMatrix) << m.a << " " << m.d;
    EXPECT_EQ(planTransform({1e6f, 0, 0, 1e6f}, 10, 10, 0, 0, plan), QXTransformResult::TooLarge);
    EXPECT_EQ(planTransform({100000, 0, 0, 1000}, 10, 10, 0, 0, plan), QXTransformResult::TooLarge);
    EXPECT_EQ(planTransform({100000, 0, 0, 1}, 10, 10, 0, 0, plan), QXTransformResult::Ok);
    // The new handle must fit 32 bits too.
    EXPECT_EQ(planTransform({1, 0, 0, 1}, 10, 10, 2000000, 0, plan), QXTransformResult::Ok);
    EXPECT_EQ(plan.newHandleX(), 2000000);
    EXPECT_EQ(planTransform({1100, 0, 0, 1}, 10, 10, 2000000, 0, plan), QXTransformResult::TooLarge);
    // A tiny but regular scale still leaves a one-pixel frame.
    ASSERT_EQ(planTransform({1e-6f, 0, 0, 1e-6f}, 10, 10, 0, 0, plan), QXTransformResult::Ok);
    EXPECT_EQ(plan.width, 1);
    EXPECT_EQ(plan.height, 1);
}

// A regular matrix can still map destination points back beyond the range of
// floats: those points are outside the source and read as the mask colour.
TEST(ImageTransform, PointsMappedBeyondTheFloatRangeReadAsTheMaskColour) {
    std::mt19937 random(10);
    Frame source = randomFrame(random, 4, 4);
    QXTransformPlan plan{{1, 0, 0, 1}, {3e38f, 0, 0, 3e38f}, 0, 0, 0, 0, 3, 3};
    for (bool filter : {false, true}) {
        Frame out(3, 3);
        renderTransform(plan, source.view(), out.view(), filter, kMask);
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 3; ++i) EXPECT_EQ(out.at(i, j), kMask | 0xFF000000) << i << "," << j << " " << filter;
    }
}

#ifdef _WIN32
// Programs hold the x87 unit at 24-bit precision; the result must not change.
TEST(ImageTransform, SameResultUnderTheProgramsX87Precision) {
    std::mt19937 random(9);
    Frame source = randomFrame(random, 17, 11);
    Result normal = transform(source, rotationMatrix(33), 8, 5, true);
    QXTransformMatrix turn{};
    Frame underProgram(1, 1);
    {
        ProgramFpuState programState;
        turn = rotationMatrix(33);
        underProgram = transform(source, turn, 8, 5, true).frame;
    }
    EXPECT_EQ(turn.a, rotationMatrix(33).a);
    EXPECT_EQ(underProgram.memory, normal.frame.memory);
}
#endif

}  // namespace
