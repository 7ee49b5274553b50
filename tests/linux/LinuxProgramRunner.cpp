// The program runner of the Linux host's tests: runs a module (a .qxm file,
// or a program bound for Windows) in qxlinux as a child process, feeding its
// standard input and reading its standard output and standard error under a
// time-out. What qxlinux writes on standard error is what the Windows program
// shows in a box, so it is reported as one message box.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "tools/run/QXProgramRunner.h"

namespace {

constexpr char kLoaderCaption[] = "Unable to run Quelt Basic module";

long long nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// An argument quoted for a Windows command line loses its quotes here.
std::string unquoted(const std::string& argument) {
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
        return argument.substr(1, argument.size() - 2);
    return argument;
}

void addBox(QXRunResult& result, std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.empty()) return;
    QXMessageBoxSeen box;
    const std::string loader = std::string(kLoaderCaption) + ": ";
    if (text.compare(0, loader.size(), loader) == 0) {
        box.caption = kLoaderCaption;
        text.erase(0, loader.size());
    }
    box.text = text;
    result.messageBoxes.push_back(box);
}

}  // namespace

QXRunResult runProgram(const std::string& program, const QXRunOptions& options) {
    QXRunResult result;
    std::vector<std::string> words = {QX_LINUX_HOST, program};
    for (const std::string& argument : options.arguments) words.push_back(unquoted(argument));
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        result.error = std::strerror(errno);
        return result;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (child < 0) {
        result.error = std::strerror(errno);
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return result;
    }
    result.started = true;

    // Input goes in as the child takes it; its end closes the child's standard input.
    signal(SIGPIPE, SIG_IGN);
    std::size_t fed = 0;
    int inFd = in[1];
    if (options.input.empty()) {
        close(inFd);
        inFd = -1;
    } else {
        fcntl(inFd, F_SETFL, O_NONBLOCK);
    }
    std::string errors;
    const long long deadline = options.timeoutMs ? nowMs() + options.timeoutMs : 0;
    int openReads = 2;
    int fds[2] = {out[0], err[0]};
    while (openReads > 0 || inFd >= 0) {
        pollfd polled[3];
        int count = 0;
        for (int fd : fds)
            if (fd >= 0) polled[count++] = {fd, POLLIN, 0};
        if (inFd >= 0) polled[count++] = {inFd, POLLOUT, 0};
        int wait = 100;
        if (deadline && nowMs() >= deadline) {
            result.timedOut = true;
            kill(child, SIGKILL);
            break;
        }
        if (poll(polled, static_cast<nfds_t>(count), wait) < 0 && errno != EINTR) break;
        for (int i = 0; i < count; ++i) {
            if (!polled[i].revents) continue;
            if (polled[i].fd == inFd) {
                ssize_t put = write(inFd, options.input.data() + fed, options.input.size() - fed);
                if (put > 0) fed += static_cast<std::size_t>(put);
                if (put < 0 && errno != EAGAIN) fed = options.input.size();
                if (fed >= options.input.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buffer[4096];
            ssize_t got = read(polled[i].fd, buffer, sizeof buffer);
            std::string& sink = polled[i].fd == out[0] ? result.output : errors;
            if (got > 0) {
                sink.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                for (int& fd : fds)
                    if (fd == polled[i].fd) {
                        close(fd);
                        fd = -1;
                    }
                --openReads;
            }
        }
    }
    for (int fd : fds)
        if (fd >= 0) close(fd);
    if (inFd >= 0) close(inFd);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status)) {
        // The Windows program's -1 reads 0xFFFFFFFF; qxlinux exits with 255 for it.
        const int code = WEXITSTATUS(status);
        result.exitCode = code == 255 ? 0xFFFFFFFFul : static_cast<unsigned long>(code);
    } else if (WIFSIGNALED(status)) {
        result.exitCode = 128ul + static_cast<unsigned long>(WTERMSIG(status));
    }
    addBox(result, errors);
    return result;
}
