#include <gtest/gtest.h>

#include "TestSupport.h"
#include "runtime/QXAppTitle.h"
#include "runtime/QXCommandLine.h"
#include "core/QXString.h"
#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"
#include "runtime/QXRuntime.h"

TEST(CommandLine, SplitsProgramNameFromArguments) {
    EXPECT_EQ(programArguments("\"C:\\My Games\\game.exe\" -x"), " -x");
    EXPECT_EQ(programArguments("C:\\games\\game.exe -x  y"), "-x  y");
    EXPECT_EQ(programArguments("game.exe"), "");
    EXPECT_EQ(programArguments("\"C:\\My Games\\game.exe -x"), "");
    EXPECT_EQ(programArguments("   game.exe  a"), " a");
    EXPECT_EQ(programArguments("\tgame.exe a"), "a");  // only blanks are skipped
    EXPECT_EQ(programArguments(""), "");
    EXPECT_EQ(programArguments("\"\""), "");
}

TEST(AppTitle, IsTheFileNameWithoutDirectoryAndExtension) {
    EXPECT_EQ(titleFromPath("C:\\games\\Game.exe"), "Game");
    EXPECT_EQ(titleFromPath("Game"), "Game");
    EXPECT_EQ(titleFromPath("C:\\a.b\\Game"), "Game");
    EXPECT_EQ(titleFromPath("C:\\games\\my.game.exe"), "my.game");
    EXPECT_EQ(titleFromPath("C:\\games\\"), "");
}

TEST(RuntimeInterface, VersionAndRepeatedEnumeration) {
    Runtime* runtime = runtimeGetRuntime();
    EXPECT_EQ(runtime->version(), 0x0010008B);
    auto enumerate = [&] {
        std::vector<std::string> texts;
        while (const char* s = runtime->nextSym()) {
            texts.push_back(s);
            EXPECT_NE(runtime->symValue(s), -1) << s;
        }
        return texts;
    };
    std::vector<std::string> first = enumerate();
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(enumerate(), first);
    runtime->nextSym();
    EXPECT_EQ(runtime->symValue("NoSuchCommand"), -1);
    runtime->shutdown();
    EXPECT_EQ(enumerate(), first);
}

TEST(RuntimeError, TakesTheTextLiterallyAndStopsBeforeReporting) {
    using Fn = void(QXCALL*)(QXString*);
    auto command = reinterpret_cast<Fn>(findRegisteredSymbol("RuntimeError$error")->address);
    QXString* text = newString("100% %s %d");
    testDebugger().events.clear();
    auto message = runtimeErrorOf([&] { command(text); });
    release(text);
    EXPECT_EQ(message, "100% %s %d");
    ASSERT_EQ(testDebugger().events.size(), 2u);
    EXPECT_EQ(testDebugger().events[0], "stop");
    EXPECT_EQ(testDebugger().events[1], "error(1): 100% %s %d");
}

TEST(RuntimeError, MessagesAreCutTo255Characters) {
    std::string longText(400, 'x');
    auto message = runtimeErrorOf([&] { runtimeError("%s", longText.c_str()); });
    EXPECT_EQ(message, std::string(255, 'x'));
}

TEST(RuntimeError, EndFromInsideNestedFramesReturnsToTheEndPoint) {
    int reached = 0;
    EXPECT_TRUE(runUntilEnd([](void* r) {
        ++*static_cast<int*>(r);
        qxEnd();
        ++*static_cast<int*>(r);
    }, &reached));
    EXPECT_EQ(reached, 1);
    EXPECT_FALSE(runUntilEnd([](void*) {}, nullptr));
}
