// qxrun [--timeout MS] [--screenshot FILE.png] [--input TEXT] [--answer ID]... [--styles 1] PROGRAM [ARGS...]
// qxrun --version
// Runs a program, answering every message box it shows (with the button ids
// given by --answer in turn, 0 for the close box, then with the default
// button), then prints its output, one line per message box (caption, text,
// style word with --styles 1, answer) and its exit code. Returns the
// program's exit code, 124 when it had to be stopped.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "QXVersion.h"
#include "tools/run/QXProgramRunner.h"

namespace {

constexpr int kTimedOutStatus = 124;
constexpr int kUsageStatus = 125;
constexpr int kNotStartedStatus = 127;

// Quotes an argument the way the C runtime splits command lines.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string result = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') backslashes = backslashes * 2 + 1;
        result.append(backslashes, '\\');
        backslashes = 0;
        result += c;
    }
    result.append(backslashes * 2, '\\');
    return result + "\"";
}

int usage() {
    std::fprintf(stderr, "usage: qxrun [--timeout MS] [--screenshot FILE.png] [--input TEXT] [--answer ID]... [--styles 1] PROGRAM "
                         "[ARGS...]\n");
    return kUsageStatus;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("qxrun %s\n", QX_VERSION);
        return 0;
    }
    QXRunOptions options;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        std::string option = argv[i];
        if (i + 1 >= argc) return usage();
        if (option == "--timeout")
            options.timeoutMs = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (option == "--screenshot")
            options.screenshotFile = argv[++i];
        else if (option == "--input")
            options.input = argv[++i];
        else if (option == "--answer")
            options.answers.push_back(std::atoi(argv[++i]));
        else if (option == "--styles")
            options.messageBoxStyles = std::atoi(argv[++i]) != 0;
        else
            return usage();
    }
    if (i >= argc) return usage();
    std::string program = argv[i];
    for (++i; i < argc; ++i) options.arguments.push_back(quoted(argv[i]));

    QXRunResult result = runProgram(program, options);
    if (!result.started) {
        std::fprintf(stderr, "qxrun: %s\n", result.error.c_str());
        return kNotStartedStatus;
    }
    // The program's lines end in LF; keep them that way.
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(result.output.data(), 1, result.output.size(), stdout);
    if (!result.output.empty() && result.output.back() != '\n') std::fputc('\n', stdout);
    for (const QXMessageBoxSeen& box : result.messageBoxes) {
        char style[16] = "none";
        if (box.style >= 0) std::snprintf(style, sizeof style, "0x%lX", static_cast<unsigned long>(box.style));
        std::printf("messagebox: %s | %s | style %s | answer %d\n", box.caption.c_str(), box.text.c_str(), style,
                    box.answer);
    }
    if (result.timedOut) std::printf("timed out after %u ms\n", options.timeoutMs);
    int exitCode = static_cast<int>(result.exitCode);
    std::printf("exit code: %d\n", exitCode);
    std::fflush(stdout);
    return result.timedOut ? kTimedOutStatus : exitCode;
}
