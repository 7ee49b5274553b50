// Images in a stand-alone program under each 2D driver: drawn into through
// their buffers, drawn, tiled, grabbed, transformed and tested for collision,
// read back with GetColor. The drivers share every rule the scene uses, so
// their read-backs must be identical.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/ProgramTestSupport.h"

namespace {

// The program's output split into one block per driver ("driver N" lines start a block).
std::vector<std::string> driverBlocks(const std::string& output, std::vector<std::string>& headers) {
    std::vector<std::string> blocks;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("driver ", 0) == 0) {
            headers.push_back(line);
            blocks.emplace_back();
            continue;
        }
        if (!blocks.empty()) blocks.back() += line + "\n";
    }
    return blocks;
}

}  // namespace

TEST(ImageCommands, EveryDriverDrawsTheSameImagePixels) {
    QXRunResult run = runBound("images_draw");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    std::vector<std::string> headers;
    const std::vector<std::string> blocks = driverBlocks(run.output, headers);
    ASSERT_EQ(headers, (std::vector<std::string>{"driver 3", "driver 1", "driver 2"})) << describe(run);
    const std::string checks = "ok a new image is black\n"
                               "ok drawing into the image's buffer\n"
                               "ok DrawBlock copies every pixel\n"
                               "ok DrawImage leaves out the mask colour\n"
                               "ok the handle is at the point\n"
                               "ok DrawBlockRect cuts the part to the frame\n"
                               "ok the origin moves images\n"
                               "ok TileImage covers the viewport from the floored first tile\n"
                               "ok GrabImage\n"
                               "ok red squares overlapping collide\n"
                               "ok boxes overlap, solid pixels do not\n"
                               "ok green corner on red\n"
                               "ok ImageRectCollide\n"
                               "ok a mirror moves the handle\n"
                               "ok the mirrored image\n";
    const std::string afterHash = "ok an image drawn into itself, then redrawn\n";
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        // Per driver: the scene with images of creation flags 2, 1 and 0.
        std::size_t at = 0;
        for (const char* flags : {"flags 2\n", "flags 1\n", "flags 0\n"}) {
            ASSERT_EQ(blocks[i].compare(at, std::string(flags).size(), flags), 0) << headers[i] << "\n" << describe(run);
            at += std::string(flags).size();
            EXPECT_EQ(blocks[i].substr(at, checks.size()), checks) << headers[i] << " " << flags << describe(run);
            at += checks.size();
            ASSERT_EQ(blocks[i].compare(at, 5, "hash "), 0) << headers[i] << "\n" << describe(run);
            at = blocks[i].find('\n', at) + 1;
            EXPECT_EQ(blocks[i].substr(at, afterHash.size()), afterHash) << headers[i] << " " << flags;
            at += afterHash.size();
        }
        // The hash of the whole target: the same pixels under every driver.
        EXPECT_EQ(blocks[i], blocks[0]) << headers[i] << " differs from " << headers[0];
    }
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "Illegal image frame index");
}

TEST(ImageCommands, SpritesMatchTheProgramsModelOnEveryTarget) {
    QXRunResult run = runBound("images_blits");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    const std::string steps = "ok clipped at every edge of the target\n"
                              "ok clipped at every edge of a viewport\n"
                              "ok plots and rects between sprites\n"
                              "ok text between sprites\n"
                              "ok sprites on a locked target\n"
                              "ok a source changed after it was drawn\n"
                              "ok a source freed after it was drawn\n"
                              "ok the target drawn into itself\n"
                              "ok a changed sprite onto another target\n";
    std::string expected;
    for (const char* header : {"driver 3 flags 0\n", "driver 3 flags 1\n", "driver 3 flags 2\n", "driver 1 flags 2\n"})
        expected += header + steps;
    EXPECT_EQ(run.output, expected) << describe(run);
    EXPECT_TRUE(run.messageBoxes.empty()) << describe(run);
}

TEST(ImageCommands, FailuresStopTheProgramWithTheirMessages) {
    const struct {
        const char* argument;
        const char* output;
        const char* message;
    } cases[] = {
        {"s", "sizes\n", "Illegal Parameter for CreateImage"},
        {"t", "transform\n", "Illegal image transform"},
        {"d", "driver changed\n", "Invalid Image handle"},
        {"r", "resize\n", "Transformed image too large"},
    };
    for (const auto& c : cases) {
        QXRunOptions options;
        options.arguments = {c.argument};
        QXRunResult run = runBound("images_errors", options);
        EXPECT_FALSE(run.timedOut) << describe(run);
        EXPECT_EQ(run.exitCode, 0u) << describe(run);
        EXPECT_EQ(run.output, c.output) << describe(run);
        ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
        EXPECT_EQ(run.messageBoxes[0].text, c.message) << c.argument;
    }
}
