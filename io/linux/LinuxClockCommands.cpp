// The clock commands on Linux: milliseconds of the monotonic clock, a sleep,
// and the local date and time as text.

#include <time.h>

#include <cerrno>
#include <cstdint>

#include "core/QXString.h"
#include "events/QXEventDriver.h"
#include "io/QXClock.h"
#include "runtime/QXRegistry.h"

namespace {
QXClockTime localClockTime() {
    time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// Milliseconds since the system started, wrapping as the Windows counter does.
int QXCALL MilliSecs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<int>(static_cast<std::uint32_t>(ms));
}

// Output held back for batching (the net game's) leaves first.
void QXCALL Delay(int millisecs) {
    runBeforeWaitHooks();
    if (millisecs <= 0) return;
    timespec left{millisecs / 1000, static_cast<long>(millisecs % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

QXString* QXCALL CurrentDate() { return newString(formatClockDate(localClockTime()).c_str()); }

QXString* QXCALL CurrentTime() { return newString(formatClockTime(localClockTime()).c_str()); }

const QXSymbol commands[] = {
    QX_COMMAND("%MilliSecs", MilliSecs),
    QX_COMMAND("Delay%millisecs", Delay),
    QX_COMMAND("$CurrentDate", CurrentDate),
    QX_COMMAND("$CurrentTime", CurrentTime),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
