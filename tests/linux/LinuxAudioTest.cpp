// Sound on the Linux host, beyond what the Windows build's program tests
// check: a program that plays sound still ends on SIGINT (Ctrl+C) and SIGTERM
// as any other does (SDL, which takes both signals for itself by default,
// must not keep it running), and a device that never blocks (ALSA's null
// device) plays in real time, without spinning a core, and lets the program
// end at once.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {
long long nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Reads the child's output until `text` shows or `ms` pass; true when it showed.
bool waitForText(int fd, const std::string& text, long long ms, std::string& output) {
    const long long end = nowMs() + ms;
    while (output.find(text) == std::string::npos) {
        const long long left = end - nowMs();
        if (left <= 0) return false;
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left)) <= 0) return false;
        char buffer[512];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) return false;
        output.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}
}  // namespace

TEST(LinuxAudio, SignalsStillEndAProgramThatPlaysSound) {
    const std::string tone = std::string(QX_AUDIO_DATA_DIR) + "/e2e_tone.wav";
    if (access(tone.c_str(), R_OK) != 0) GTEST_SKIP() << "sox made no test tone";
    const std::string program = std::string(QX_BUILD_DIR) + "/programs/audio_commands.exe";
    for (int signal : {SIGINT, SIGTERM}) {
        int out[2];
        ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(out[1], 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);  // a device on every machine
            execl(QX_LINUX_HOST, QX_LINUX_HOST, program.c_str(), tone.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::string output;
        // The one-second tone plays: the sound device is open.
        const bool playing = waitForText(out[0], "ok the sound plays", 10000, output);
        kill(child, signal);
        int status = 0;
        const long long end = nowMs() + 5000;
        pid_t done = 0;
        while ((done = waitpid(child, &status, WNOHANG)) == 0 && nowMs() < end) usleep(10000);
        if (done == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
        close(out[0]);
        EXPECT_TRUE(playing) << strsignal(signal) << ": " << output;
        EXPECT_NE(done, 0) << strsignal(signal) << " left the program running: " << output;
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << strsignal(signal) << ": " << output;
    }
}

TEST(LinuxAudio, ADeviceThatNeverBlocksPlaysInRealTimeAndLetsTheProgramEnd) {
    const std::string tone = std::string(QX_AUDIO_DATA_DIR) + "/e2e_tone.wav";
    if (access(tone.c_str(), R_OK) != 0) GTEST_SKIP() << "sox made no test tone";
    const std::string program = std::string(QX_BUILD_DIR) + "/programs/audio_commands.exe";
    const std::string alsa = "/usr/share/alsa/alsa.conf:" + std::string(QX_LINUX_AUDIO_DIR) + "/null.conf";
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    const long long start = nowMs();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], 1);
        setenv("SDL_AUDIODRIVER", "alsa", 1);
        setenv("ALSA_CONFIG_PATH", alsa.c_str(), 1);
        execl(QX_LINUX_HOST, QX_LINUX_HOST, program.c_str(), tone.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string output;
    // The program's last line: it has played the tone (one second), waited
    // 300 ms and started and stopped the rest.
    const bool finished = waitForText(out[0], "StopChannel stops the stream", 20000, output);
    const long long finishedAt = nowMs();
    int status = 0;
    rusage usage{};
    pid_t done = 0;
    while ((done = wait4(child, &status, WNOHANG, &usage)) == 0 && nowMs() < finishedAt + 10000) usleep(5000);
    const long long endedAt = nowMs();
    if (done == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    close(out[0]);
    ASSERT_TRUE(finished) << output;
    EXPECT_EQ(output.find("FAIL"), std::string::npos) << output;
    EXPECT_EQ(output.find("silent"), std::string::npos) << output;
    // The tone took its second: the device was not let to race through it.
    EXPECT_GE(finishedAt - start, 1250) << output;
    // Nothing spun a core meanwhile (unheld, SDL's thread takes a whole one).
    const double cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    EXPECT_LT(cpuMs, 0.5 * static_cast<double>(endedAt - start)) << "processor time " << cpuMs << " ms";
    // Closing the device does not wait behind SDL's callback.
    EXPECT_NE(done, 0);
    EXPECT_LT(endedAt - finishedAt, 1000) << "the program took " << endedAt - finishedAt << " ms to end";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
