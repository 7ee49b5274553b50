// Movies in a stand-alone program: a tiny AVI played frame by frame into a
// windowed DirectDraw screen and read back, the end of the stream, and the
// families without movies.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

TEST(MovieProgram, ATinyAviPlaysIntoAWindowedScreenThenStops) {
    QXRunOptions options;
    options.arguments = {windowsPath(std::string(QX_SOURCE_DIR) + "/tests/data/movies/tiny.avi")};
    options.timeoutMs = 60000;
    QXRunResult run = runBound("movie_play", options);
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.output, "ok a missing file opens no movie\nok the movie opens\nok size and playing\n"
                          "ok five frames drawn with their pixels\nok the end of the stream stops playback\n"
                          "ok a stopped movie draws nothing\nok drawing a stopped movie\n"
                          "ok no movies under the Native family\n")
        << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "Invalid Movie Graphics handle");
}
