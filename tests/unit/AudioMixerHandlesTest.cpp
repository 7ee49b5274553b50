// The mixer's lock under contention makes no handle: with std::mutex the
// thread library created an event the first time the program's thread and
// the mixer thread met on it, one handle more at a random moment of a run.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <windows.h>

#include "audio/engine/QXMixer.h"

namespace {

// The process's handles: GetProcessHandleCount, or under Wine (which answers
// 0) its entries in the system's handle table.
int handleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) return static_cast<int>(count);
    using Query = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    static unsigned table[256 * 1024 / 4];
    ULONG length = 0;
    if (!query || query(16 /* SystemHandleInformation */, table, sizeof table, &length) != 0) return -1;
    int mine = 0;
    for (unsigned i = 0; i < table[0] && 1 + 4 * (i + 1) <= sizeof table / 4; ++i)
        mine += table[1 + 4 * i] == GetCurrentProcessId();
    return mine;
}

TEST(AudioMixerHandles, ContendedLockMakesNoHandle) {
    QXMixer mixer(44100, 8);
    std::atomic<bool> stop{false};
    std::atomic<long> rendered{0};
    std::thread mixing([&] {
        std::int16_t out[2 * 64];
        while (!stop) mixer.render(out, 64), ++rendered;
    });
    while (rendered == 0) std::this_thread::yield();
    const int before = handleCount();
    ASSERT_GT(before, 0);
    long changes = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < until) {
        for (int i = 0; i < 1000; ++i) mixer.setVolume(i, i & 255), mixer.stopAll(), ++changes;
    }
    const int after = handleCount();
    stop = true;
    mixing.join();
    EXPECT_GT(rendered.load(), 10);
    EXPECT_GT(changes, 1000);
    EXPECT_EQ(after, before);
}

}  // namespace
