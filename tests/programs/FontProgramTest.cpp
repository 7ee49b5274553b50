// Fonts in a stand-alone program: loading, style and size, freeing, and the
// invalid-handle stop.

#include <gtest/gtest.h>

#include "support/ProgramTestSupport.h"

TEST(FontCommands, LoadMeasureAndFreeFontsAsAProgramCallsThem) {
    QXRunResult run = runBound("fonts_commands");
    EXPECT_FALSE(run.timedOut) << describe(run);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
    EXPECT_EQ(run.output, "ok LoadFont\n"
                          "ok FontSize is the height asked for\n"
                          "ok plain style\n"
                          "ok ascent and descent\n"
                          "ok FontName\n"
                          "ok bold\n"
                          "ok 256 is not bold\n"
                          "ok italic and underlined\n"
                          "ok unknown faces and missing files still give fonts\n"
                          "ok the substitute has a name\n"
                          "ok freed fonts are gone\n")
        << describe(run);
    ASSERT_EQ(run.messageBoxes.size(), 1u) << describe(run);
    EXPECT_EQ(run.messageBoxes[0].text, "Invalid Font handle");
}
