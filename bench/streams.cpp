// Stream reads over a 64 MB file: ReadByte, ReadInt and ReadLine through the
// registered commands (as compiled code calls them), each against the plain
// C library reading the same data in the same process (getc, fread, fgets).

#include <windows.h>

#include "bench/BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/QXString.h"
#include "runtime/QXRegistry.h"

namespace {

constexpr long kFileSize = 64L * 1024 * 1024;
constexpr int kRepeats = 2;  // the best of these counts

using OpenFn = int(QXCALL*)(QXString*);
using IntFn = int(QXCALL*)(int);
using StringFn = QXString*(QXCALL*)(int);
using CloseFn = void(QXCALL*)(int);


// Text lines of 1 to 79 characters, each ending in CR LF, up to the size.
std::string makeFile() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "qx-bench-streams-" + std::to_string(GetCurrentProcessId()) + ".txt";
    FILE* f = std::fopen(path.c_str(), "wb");
    std::string line;
    long written = 0;
    unsigned seed = 12345;
    while (written < kFileSize) {
        seed = seed * 1103515245u + 12345u;
        int length = 1 + static_cast<int>((seed >> 16) % 79);
        line.assign(static_cast<std::size_t>(length), static_cast<char>('a' + (seed >> 8) % 26));
        line += "\r\n";
        if (written + static_cast<long>(line.size()) > kFileSize) line.resize(static_cast<std::size_t>(kFileSize - written));
        std::fwrite(line.data(), 1, line.size(), f);
        written += static_cast<long>(line.size());
    }
    std::fclose(f);
    return path;
}

struct Result {
    double seconds = 1e30;
    unsigned long long check = 0;
};

template <class Body> Result best(Body body) {
    Result result;
    for (int i = 0; i < kRepeats; ++i) {
        double start = now();
        unsigned long long check = body();
        double elapsed = now() - start;
        if (elapsed < result.seconds) result = {elapsed, check};
    }
    return result;
}

void report(const char* what, const Result& runtime, const char* baselineName, const Result& baseline, double target) {
    std::printf("%-9s %8.3f s   %-6s %8.3f s   %s\n", what, runtime.seconds, baselineName, baseline.seconds,
                runtime.check == baseline.check ? "same data" : "DATA DIFFERS");
    costFigure(what, runtime.seconds, baseline.seconds, baselineName, target, runtime.check == baseline.check);
}

}  // namespace

int main() {
    const auto readFile = commandAt<OpenFn>("%ReadFile$filename");
    const auto closeFile = commandAt<CloseFn>("CloseFile%file_stream");
    const auto readByte = commandAt<IntFn>("%ReadByte%stream");
    const auto readInt = commandAt<IntFn>("%ReadInt%stream");
    const auto readLine = commandAt<StringFn>("$ReadLine%stream");
    const auto eof = commandAt<IntFn>("%Eof%stream");

    std::string path = makeFile();
    QXString* pathString = newString(path.c_str());

    Result getcRun = best([&] {
        FILE* f = std::fopen(path.c_str(), "rb");
        unsigned long long sum = 0;
        for (long i = 0; i < kFileSize; ++i) sum += static_cast<unsigned>(std::getc(f));
        std::fclose(f);
        return sum;
    });
    Result readByteRun = best([&] {
        int file = readFile(pathString);
        unsigned long long sum = 0;
        for (long i = 0; i < kFileSize; ++i) sum += static_cast<unsigned>(readByte(file));
        closeFile(file);
        return sum;
    });
    report("ReadByte", readByteRun, "getc", getcRun, 1.2);

    Result freadRun = best([&] {
        FILE* f = std::fopen(path.c_str(), "rb");
        unsigned long long sum = 0;
        for (long i = 0; i < kFileSize / 4; ++i) {
            unsigned value = 0;
            std::fread(&value, 4, 1, f);
            sum += value;
        }
        std::fclose(f);
        return sum;
    });
    Result readIntRun = best([&] {
        int file = readFile(pathString);
        unsigned long long sum = 0;
        for (long i = 0; i < kFileSize / 4; ++i) sum += static_cast<unsigned>(readInt(file));
        closeFile(file);
        return sum;
    });
    report("ReadInt", readIntRun, "fread", freadRun, 0);

    // Both sides count the lines and their bytes without the line ends.
    Result fgetsRun = best([&] {
        FILE* f = std::fopen(path.c_str(), "rb");
        char buffer[4096];
        unsigned long long lines = 0, bytes = 0;
        while (std::fgets(buffer, sizeof buffer, f)) {
            std::size_t n = std::strlen(buffer);
            while (n > 0 && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r')) --n;
            bytes += n;
            ++lines;
        }
        std::fclose(f);
        return lines * 1000000007ull + bytes;
    });
    Result readLineRun = best([&] {
        int file = readFile(pathString);
        unsigned long long lines = 0, bytes = 0;
        while (!eof(file)) {
            QXString* line = readLine(file);
            bytes += static_cast<unsigned>(line->length);
            ++lines;
            release(line);
        }
        closeFile(file);
        return lines * 1000000007ull + bytes;
    });
    report("ReadLine", readLineRun, "fgets", fgetsRun, 1.5);

    release(pathString);
    DeleteFileA(path.c_str());
    return benchStatus();
}
