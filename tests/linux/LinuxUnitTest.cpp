// The Linux host's own parts in-process: the registry it links against
// (every command once, the ones without a back end filed as unavailable),
// the names in their errors, and the x87 guard.

#include <fpu_control.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "io/QXProcess.h"
#include "io/QXStream.h"
#include "runtime/QXFpu.h"
#include "runtime/QXRegistry.h"
#include "runtime/linux/LinuxUnavailable.h"

TEST(LinuxRegistry, CommandNamesInTheUnavailableError) {
    struct Case {
        const char* signature;
        const char* name;
    } cases[] = {
        {"Graphics%width%height%depth=0%flags=0", "Graphics"},
        {"%CreateWindow$text%x%y%width%height%group=0%style=15", "CreateWindow"},
        {"#GadgetX%gadget", "GadgetX"},
        {"$Input$prompt=\"\"", "Input"},
        {"Flip%vwait=1", "Flip"},
        {"_qxLoadLibs", "_qxLoadLibs"},
    };
    for (const Case& c : cases) {
        char name[128];
        commandNameOf(c.signature, name, sizeof name);
        EXPECT_STREQ(name, c.name);
    }
    char small[6];
    commandNameOf("%CreateWindow$text", small, sizeof small);
    EXPECT_STREQ(small, "Creat");
}

TEST(LinuxRegistry, EverySignatureOnceAndGuiHotKeysMoviesUnavailable) {
    std::set<std::string> seen;
    int unavailable = 0;
    for (const QXSymbolTable* table = QXSymbolTable::first(); table; table = table->next())
        for (const QXSymbol& symbol : *table) {
            const bool first = seen.insert(symbol.signature).second;
            // A signature twice: a command built for shared code, left unavailable.
            EXPECT_TRUE(first || unavailableOnLinux(symbol.signature)) << symbol.signature;
            if (first && unavailableOnLinux(symbol.signature)) ++unavailable;
        }
    EXPECT_EQ(static_cast<std::size_t>(unavailable), unavailableCount());
    for (const char* signature : {"%CreateWindow$text%x%y%width%height%group=0%style=15",
                                  "HotKeyEvent%rawkey%modifier%ev_id%ev_data=0%ev_x=0%ev_y=0%ev_z=0%ev_source=0",
                                  "%OpenMovie$file", "%StartNetGame", "%JoyType%port=0"})
        EXPECT_TRUE(unavailableOnLinux(signature)) << signature;
    for (const char* signature : {"Print$text", "%ReadFile$filename", "%CreateBank%size=0", "#Sin#degrees", "End",
                                  "%WaitEvent%timeout=-1", "%CreateTimer#hertz", "%CreateProcess$command",
                                  "Graphics%width%height%depth=0%flags=0", "%KeyDown%keycode", "Flip%vwait=1",
                                  "%LoadImage$file%flags=1", "%LoadFont$fontname%height%bold=0%italic=0%underline=0",
                                  "%LoadSound$filename", "%PlayMusic$file%flags=0",
                                  "%OpenTCPStream$server%server_port%local_port=0", "%CreateUDPStream%port=0",
                                  "%CountHostIPs$host_name", "%HostNetGame$game_name",
                                  "%JoinNetGame$game_name$ip_address", "%RecvNetMsg"})
        EXPECT_FALSE(unavailableOnLinux(signature)) << signature;
}

// glibc's i386 maths runs on the x87: at the program's 24-bit precision the
// guard must bring back the full precision, and restore the program's after.
TEST(LinuxFpu, GuardRaisesPrecisionAndRestoresTheProgramsWord) {
    setProgramFpuControl();
    fpu_control_t program;
    _FPU_GETCW(program);
    EXPECT_EQ(program & 0x300, 0) << "24-bit precision";
    volatile double base = 1.0001, power = 10000.0;
    double result;
    {
        QXFpuPrecisionGuard guard;
        result = std::pow(base, power);
    }
    fpu_control_t after;
    _FPU_GETCW(after);
    restoreRuntimeFpuControl();
    EXPECT_EQ(after, program);
    EXPECT_NEAR(result, 2.718145926825225, 1e-12);
}

namespace {
// The state letter of /proc/PID/stat, or 0 when the process is gone (reaped).
char processState(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return 0;
    const auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() ? '?' : line[close + 2];
}
}  // namespace

// A child still running when its stream is closed is reaped once it has
// ended, at the next stream that closes or child that starts: it does not
// stay a zombie for the rest of the program.
TEST(LinuxProcesses, AChildThatOutlivesItsStreamIsReapedLater) {
    QXStream* stream = startProcessStream("/bin/sh -c \"echo $$; read line\"");
    ASSERT_NE(stream, nullptr);
    char text[32] = {};
    int got = 0;
    for (int tries = 0; tries < 500 && (got == 0 || text[got - 1] != '\n'); ++tries)
        got += stream->read(text + got, static_cast<int>(sizeof text) - 1 - got);
    const int pid = std::atoi(text);
    ASSERT_GT(pid, 0) << text;
    release(stream);  // closes its input: the child's read ends, then the child
    for (int waited = 0; waited < 500 && processState(pid) != 'Z'; ++waited) usleep(10000);
    ASSERT_EQ(processState(pid), 'Z');
    QXStream* next = startProcessStream("/bin/true");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(processState(pid), 0);
    release(next);
}
