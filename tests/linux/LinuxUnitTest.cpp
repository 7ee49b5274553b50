// The Linux host's own parts in-process: the registry it links against
// (every command once, the ones without a back end filed as unavailable),
// the names in their errors, and the x87 guard.

#include <fpu_control.h>

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

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

TEST(LinuxRegistry, EverySignatureOnceAndGraphicsGuiSoundInputUnavailable) {
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
    for (const char* signature : {"Graphics%width%height%depth=0%flags=0", "%CreateWindow$text%x%y%width%height%group=0%style=15",
                                  "%LoadSound$filename", "%KeyDown%keycode",
                                  "HotKeyEvent%rawkey%modifier%ev_id%ev_data=0%ev_x=0%ev_y=0%ev_z=0%ev_source=0",
                                  "%StartNetGame", "%JoyType%port=0"})
        EXPECT_TRUE(unavailableOnLinux(signature)) << signature;
    for (const char* signature : {"Print$text", "%ReadFile$filename", "%CreateBank%size=0", "#Sin#degrees", "End",
                                  "%WaitEvent%timeout=-1", "%CreateTimer#hertz", "%CreateProcess$command",
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
