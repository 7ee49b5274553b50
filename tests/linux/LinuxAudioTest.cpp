// Sound on the Linux host, beyond what the Windows build's program tests
// check: a program that plays sound still ends on SIGINT (Ctrl+C) and SIGTERM
// as any other does; SDL, which takes both signals for itself by default,
// must not keep it running.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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
