#pragma once
// Shared by the stream, file and directory tests: the registered commands,
// called exactly as compiled code calls them, string helpers, an in-memory
// stream and a scratch folder.

#include <windows.h>
// The commands of the same names below, not windows.h's macros.
#undef CopyFile
#undef DeleteFile

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/QXString.h"
#include "io/QXStream.h"
#include "runtime/QXRegistry.h"

// The registered function of `signature`, cast to its C type.
template <class Fn> Fn registeredCommand(const char* signature) {
    const QXSymbol* symbol = findRegisteredSymbol(signature);
    if (!symbol) {
        ADD_FAILURE() << "not registered: " << signature;
        std::abort();
    }
    return reinterpret_cast<Fn>(symbol->address);
}

#define QX_TEST_COMMAND(Result, Name, Signature, Params, Args)                               \
    inline Result Name Params {                                                              \
        static auto fn = registeredCommand<Result(QXCALL*) Params>(Signature);               \
        return fn Args;                                                                      \
    }

namespace cmd {
QX_TEST_COMMAND(int, Eof, "%Eof%stream", (int s), (s))
QX_TEST_COMMAND(int, ReadAvail, "%ReadAvail%stream", (int s), (s))
QX_TEST_COMMAND(int, ReadByte, "%ReadByte%stream", (int s), (s))
QX_TEST_COMMAND(int, ReadShort, "%ReadShort%stream", (int s), (s))
QX_TEST_COMMAND(int, ReadInt, "%ReadInt%stream", (int s), (s))
QX_TEST_COMMAND(float, ReadFloat, "#ReadFloat%stream", (int s), (s))
QX_TEST_COMMAND(QXString*, ReadString, "$ReadString%stream", (int s), (s))
QX_TEST_COMMAND(QXString*, ReadLine, "$ReadLine%stream", (int s), (s))
QX_TEST_COMMAND(void, WriteByte, "WriteByte%stream%byte", (int s, int v), (s, v))
QX_TEST_COMMAND(void, WriteShort, "WriteShort%stream%short", (int s, int v), (s, v))
QX_TEST_COMMAND(void, WriteInt, "WriteInt%stream%int", (int s, int v), (s, v))
QX_TEST_COMMAND(void, WriteFloat, "WriteFloat%stream#float", (int s, float v), (s, v))
QX_TEST_COMMAND(void, WriteString, "WriteString%stream$string", (int s, QXString* v), (s, v))
QX_TEST_COMMAND(void, WriteLine, "WriteLine%stream$string", (int s, QXString* v), (s, v))
QX_TEST_COMMAND(void, CopyStream, "CopyStream%src_stream%dest_stream%buffer_size=16384", (int a, int b, int n),
                (a, b, n))

QX_TEST_COMMAND(int, OpenFile, "%OpenFile$filename", (QXString* p), (p))
QX_TEST_COMMAND(int, ReadFile, "%ReadFile$filename", (QXString* p), (p))
QX_TEST_COMMAND(int, WriteFile, "%WriteFile$filename", (QXString* p), (p))
QX_TEST_COMMAND(void, CloseFile, "CloseFile%file_stream", (int f), (f))
QX_TEST_COMMAND(int, FilePos, "%FilePos%file_stream", (int f), (f))
QX_TEST_COMMAND(int, SeekFile, "%SeekFile%file_stream%pos", (int f, int p), (f, p))
QX_TEST_COMMAND(int, FileSize, "%FileSize$file", (QXString* p), (p))
QX_TEST_COMMAND(int, FileType, "%FileType$file", (QXString* p), (p))
QX_TEST_COMMAND(void, CopyFile, "CopyFile$file$to", (QXString* a, QXString* b), (a, b))
QX_TEST_COMMAND(void, DeleteFile, "DeleteFile$file", (QXString* p), (p))
QX_TEST_COMMAND(int, ReadDir, "%ReadDir$dirname", (QXString* p), (p))
QX_TEST_COMMAND(void, CloseDir, "CloseDir%dir", (int d), (d))
QX_TEST_COMMAND(int, MoreFiles, "%MoreFiles%dir", (int d), (d))
QX_TEST_COMMAND(QXString*, NextFile, "$NextFile%dir", (int d), (d))
QX_TEST_COMMAND(QXString*, CurrentDir, "$CurrentDir", (), ())
QX_TEST_COMMAND(void, ChangeDir, "ChangeDir$dir", (QXString* p), (p))
QX_TEST_COMMAND(void, CreateDir, "CreateDir$dir", (QXString* p), (p))
QX_TEST_COMMAND(void, DeleteDir, "DeleteDir$dir", (QXString* p), (p))
}  // namespace cmd

// A borrowed string argument for the length of one statement or scope.
class Arg {
public:
    Arg(const std::string& text) : string_(new QXString(text.data(), static_cast<int>(text.size()))) {}
    ~Arg() { release(string_); }
    Arg(const Arg&) = delete;
    Arg& operator=(const Arg&) = delete;
    operator QXString*() const { return string_; }

private:
    QXString* string_;
};

// The bytes of a returned string; releases it.
inline std::string take(QXString* returned) {
    std::string bytes(returned->data, returned->length);
    release(returned);
    return bytes;
}

// A stream over bytes in memory that records what is asked of it.
class MemoryStream : public QXStream {
public:
    explicit MemoryStream(std::string bytes = {}) : input(std::move(bytes)) {}

    int read(void* buffer, int count) override {
        readRequests.push_back(count);
        int available = static_cast<int>(input.size() - position);
        int delivered = std::min({count, available, deliverAtMost});
        if (delivered <= 0) return 0;
        std::memcpy(buffer, input.data() + position, delivered);
        position += delivered;
        return delivered;
    }
    int write(const void* buffer, int count) override {
        writeSizes.push_back(count);
        output.append(static_cast<const char*>(buffer), count);
        return count;
    }
    int avail() override { return static_cast<int>(input.size() - position); }
    // At its end once the input is read, unless told otherwise.
    int eof() override { return atEnd.value_or(position >= input.size()); }

    std::string input;
    std::size_t position = 0;
    int deliverAtMost = 1 << 30;
    std::optional<bool> atEnd;
    std::string output;
    std::vector<int> readRequests;
    std::vector<int> writeSizes;
};

// A fresh folder under the system's temporary path, removed with all it holds.
class ScratchFolder {
public:
    ScratchFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        path_ = std::string(temp) + "qx-io-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { removeTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

    // Writes `bytes` to a file of the folder; returns its path.
    std::string put(const std::string& name, const std::string& bytes) const {
        std::string target = file(name);
        FILE* f = std::fopen(target.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return target;
    }
    // The whole content of a file.
    static std::string contents(const std::string& path) {
        std::string bytes;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            char chunk[4096];
            std::size_t got;
            while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, got);
            std::fclose(f);
        }
        return bytes;
    }

private:
    static void removeTree(const std::string& path) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                std::string child = path + "\\" + name;
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    removeTree(child);
                else
                    DeleteFileA(child.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path.c_str());
    }

    std::string path_;
};
