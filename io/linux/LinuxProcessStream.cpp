// Child processes on Linux: the command line is split into words as a
// Windows program splits its own (splitCommandLine), its program path mapped
// by the path rule and looked up on PATH when it has no slash; the child's
// standard output and error share one pipe, its input another.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <new>
#include <string>
#include <vector>

#include "runtime/QXHostPath.h"
#include "io/QXProcess.h"
#include "io/QXReadAhead.h"
#include "io/QXStream.h"

extern char** environ;

namespace {

// Children whose streams were closed while they still ran. Each is reaped
// (without waiting) whenever a stream closes or a child starts, so that one
// that has ended since does not stay a zombie while the program runs.
std::vector<pid_t> runningOrphans;

void reapEndedOrphans() {
    std::erase_if(runningOrphans, [](pid_t child) { return waitpid(child, nullptr, WNOHANG) != 0; });
}

class LinuxProcessStream final : public QXStream {
public:
    enum State { kOpen = 0, kClosedByChild = 1, kFailed = -1 };

    LinuxProcessStream(pid_t child, int output, int input) : child_(child), output_(output), input_(input) {}
    ~LinuxProcessStream() override {
        close(output_);
        close(input_);
        // The child goes on running; one that has already ended is reaped
        // now, any other later.
        if (waitpid(child_, nullptr, WNOHANG) == 0) runningOrphans.push_back(child_);
        reapEndedOrphans();
    }

    int read(void* buffer, int count) override {
        if (count <= 0) return 0;
        auto* bytes = static_cast<char*>(buffer);
        int delivered = readAhead_.take(bytes, count);
        if (delivered == count || state_ != kOpen) return delivered;
        // Like a read of the pipe itself, only the first byte is waited for.
        if (delivered > 0 && pipeAvail() == 0) return delivered;
        const int rest = count - delivered;
        if (rest >= QXReadAhead::kSize) return delivered + readPipe(bytes + delivered, rest);
        readAhead_.filled(readPipe(readAhead_.space(), QXReadAhead::kSize));
        return delivered + readAhead_.take(bytes + delivered, rest);
    }

    int write(const void* buffer, int count) override {
        if (state_ != kOpen || count <= 0) return 0;
        const char* bytes = static_cast<const char*>(buffer);
        int done = 0;
        while (done < count) {
            ssize_t put = ::write(input_, bytes + done, static_cast<std::size_t>(count - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                state_ = errno == EPIPE ? kClosedByChild : kFailed;
                break;
            }
            done += static_cast<int>(put);
        }
        return done;
    }

    int avail() override { return readAhead_.plus(pipeAvail()); }

    int eof() override {
        // Output already received is still to come, whatever the pipe says.
        if (readAhead_.buffered() > 0) return 0;
        if (state_ == kOpen) pipeAvail();  // notices a pipe the child closed
        return state_;
    }

private:
    int readPipe(void* buffer, int count) {
        if (state_ != kOpen) return 0;
        for (;;) {
            ssize_t got = ::read(output_, buffer, static_cast<std::size_t>(count));
            if (got > 0) return static_cast<int>(got);
            if (got < 0 && errno == EINTR) continue;
            state_ = got == 0 ? kClosedByChild : kFailed;
            return 0;
        }
    }

    int pipeAvail() {
        if (state_ != kOpen) return 0;
        int waiting = 0;
        if (ioctl(output_, FIONREAD, &waiting) != 0) {
            state_ = kFailed;
            return 0;
        }
        if (waiting > 0) return waiting;
        // Nothing waiting: a hang-up means every writer has gone.
        pollfd polled{output_, POLLIN, 0};
        if (poll(&polled, 1, 0) > 0 && (polled.revents & (POLLHUP | POLLERR))) state_ = kClosedByChild;
        return 0;
    }

    pid_t child_;
    int output_;  // read end of the pipe that carries the child's output
    int input_;   // write end of the pipe that feeds the child's input
    int state_ = kOpen;
    QXReadAhead readAhead_;
};

void closePair(int pair[2]) {
    close(pair[0]);
    close(pair[1]);
}

}  // namespace

QXStream* startProcessStream(const char* commandLine) {
    reapEndedOrphans();
    std::vector<std::string> words = splitCommandLine(commandLine ? commandLine : "");
    if (words.empty()) return nullptr;
    words[0] = linuxPathOf(words[0]);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // Both pipes close on exec: the child keeps only the copies made its
    // standard streams, so a later child never holds an earlier one's pipes.
    int output[2], input[2];
    if (pipe2(output, O_CLOEXEC) != 0) return nullptr;
    if (pipe2(input, O_CLOEXEC) != 0) {
        closePair(output);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, output[1], 2);
    // The child starts with the default handling of broken pipes, whatever the runtime set.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    close(input[0]);
    if (failed) {
        close(output[0]);
        close(input[1]);
        return nullptr;
    }
    auto* stream = new (std::nothrow) LinuxProcessStream(child, output[0], input[1]);
    if (!stream) {
        close(output[0]);
        close(input[1]);
    }
    return stream;
}
