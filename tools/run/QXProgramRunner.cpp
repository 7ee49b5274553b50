#include "tools/run/QXProgramRunner.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>

#include "tools/run/QXMessageBoxSpy.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

constexpr DWORD kPollMs = 30;
constexpr DWORD kCaptureIntervalMs = 200;
constexpr DWORD kRedismissMs = 1000;
// After the program has gone, what it wrote is drained for at most this long:
// other processes may hold the pipe open, so end of file may never come.
constexpr DWORD kDrainGraceMs = 300;
constexpr DWORD kPipeBufferBytes = 64 * 1024;
constexpr UINT kTimedOutExitCode = 124;

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

Handle makeEvent() { return Handle(CreateEventA(nullptr, TRUE, FALSE, nullptr)); }

std::string lastErrorText(const char* what) {
    char message[512] = {};
    DWORD code = GetLastError();
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, message,
                   sizeof message, nullptr);
    std::string text = std::string(what) + " (error " + std::to_string(code) + ")";
    if (message[0]) text += ": " + std::string(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

// ------------------------------------------------------------------ pipes

// A pipe whose reading end is the server, as with CreatePipe, so that closing
// the writer leaves unread data for the reader. Our end is overlapped so that a
// transfer can be abandoned; the child's end is inheritable.
struct Pipe {
    Handle read;
    Handle write;
};

enum class OurEnd { Read, Write };

Pipe makePipe(OurEnd ours) {
    static std::atomic<unsigned> serial{0};
    char name[128];
    std::snprintf(name, sizeof name, "\\\\.\\pipe\\qxrun-%lu-%u-%lu", GetCurrentProcessId(), serial++,
                  GetTickCount());
    DWORD serverMode = PIPE_ACCESS_INBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE;
    if (ours == OurEnd::Read) serverMode |= FILE_FLAG_OVERLAPPED;
    Pipe pipe;
    pipe.read = Handle(CreateNamedPipeA(name, serverMode, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1,
                                        kPipeBufferBytes, kPipeBufferBytes, 0, nullptr));
    if (!pipe.read) return {};
    pipe.write = Handle(CreateFileA(name, GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    ours == OurEnd::Write ? FILE_FLAG_OVERLAPPED : 0, nullptr));
    if (!pipe.write) return {};
    HANDLE childEnd = ours == OurEnd::Read ? pipe.write.get() : pipe.read.get();
    if (!SetHandleInformation(childEnd, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) return {};
    return pipe;
}

Handle openNullInput() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return Handle(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                              nullptr));
}

// Runs one overlapped transfer to completion, or cancels it when `stop` is
// signalled first. Returns the bytes moved, or -1 when the pipe is finished.
long transfer(HANDLE pipe, HANDLE stop, HANDLE event, const std::function<BOOL(OVERLAPPED*)>& start) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    ResetEvent(event);
    if (!start(&overlapped)) {
        if (GetLastError() != ERROR_IO_PENDING) return -1;
        HANDLE waits[] = {event, stop};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) CancelIo(pipe);
    }
    DWORD moved = 0;
    if (!GetOverlappedResult(pipe, &overlapped, &moved, TRUE)) return -1;
    return static_cast<long>(moved);
}

// Collects everything written to the pipe until all writers have gone or
// `stop` is signalled; signals `done` at the end.
void collectOutput(HANDLE pipe, HANDLE stop, HANDLE done, std::string& output) {
    Handle event = makeEvent();
    char buffer[16384];
    for (;;) {
        long got = transfer(pipe, stop, event.get(), [&](OVERLAPPED* overlapped) {
            return ReadFile(pipe, buffer, sizeof buffer, nullptr, overlapped);
        });
        if (got < 0) break;
        output.append(buffer, static_cast<std::size_t>(got));
    }
    SetEvent(done);
}

// Writes the input, then closes the pipe so that the child reads end of file.
void feedInput(Handle pipe, HANDLE stop, const std::string& input) {
    Handle event = makeEvent();
    std::size_t written = 0;
    while (written < input.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(input.size() - written, kPipeBufferBytes));
        long moved = transfer(pipe.get(), stop, event.get(), [&](OVERLAPPED* overlapped) {
            return WriteFile(pipe.get(), input.data() + written, chunk, nullptr, overlapped);
        });
        if (moved <= 0) break;
        written += static_cast<std::size_t>(moved);
    }
}

std::string withoutCarriageReturns(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        result += text[i];
    }
    return result;
}

// ------------------------------------------------------------------ process

std::string buildCommandLine(const std::string& program, const QXRunOptions& options) {
    if (!options.commandLine.empty()) return options.commandLine;
    std::string line = "\"" + program + "\"";
    for (const std::string& argument : options.arguments) line += " " + argument;
    return line;
}

bool isFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Wine starts its desktop and console hosts from whichever process first
// needs them; they serve every program and are never part of a run.
bool isSharedSystemProcess(const char* exeFile) {
    const char* name = std::strrchr(exeFile, '\\');
    name = name ? name + 1 : exeFile;
    for (const char* shared : {"explorer.exe", "conhost.exe", "services.exe", "winedevice.exe", "plugplay.exe",
                               "svchost.exe", "rpcss.exe"})
        if (lstrcmpiA(name, shared) == 0) return true;
    return false;
}

// The program and the processes it starts, so that their dialogs are seen too
// and a time-out ends them all.
class ProcessTree {
public:
    bool start(const std::string& program, const QXRunOptions& options, HANDLE input, HANDLE output,
               std::string& error) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = output;
        std::string commandLine = buildCommandLine(program, options);
        // Naming the file spares the search rules; a bare name is searched for.
        const char* application = isFile(program) ? program.c_str() : nullptr;
        const char* directory = options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();
        PROCESS_INFORMATION info{};
        // With the spy, the program waits until it is hooked, so that no early box escapes it.
        const DWORD creation = options.messageBoxStyles ? CREATE_SUSPENDED : 0;
        if (!CreateProcessA(application, commandLine.data(), nullptr, nullptr, TRUE, creation, nullptr, directory,
                            &startup, &info)) {
            error = lastErrorText(("cannot start " + program).c_str());
            return false;
        }
        process_ = Handle(info.hProcess);
        processId_ = info.dwProcessId;
        if (options.messageBoxStyles) {
            spy_ = hookMessageBoxSpy(info.dwThreadId);
            ResumeThread(info.hThread);
        }
        CloseHandle(info.hThread);
        return true;
    }

    ~ProcessTree() {
        if (spy_) UnhookWindowsHookEx(spy_);
    }
    ProcessTree() = default;
    ProcessTree(const ProcessTree&) = delete;
    ProcessTree& operator=(const ProcessTree&) = delete;

    HANDLE process() const { return process_.get(); }

    // The program first, then its descendants, found through parent links.
    // Our handle keeps the program's id from being reused while it is looked up.
    std::vector<DWORD> processIds() const {
        std::vector<DWORD> tree{processId_};
        Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot) return tree;
        struct Link {
            DWORD process, parent;
        };
        std::vector<Link> links;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry))
            if (!isSharedSystemProcess(entry.szExeFile)) links.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
        // Process ids are reused quickly: a process counts as a descendant only
        // when it was created after the parent it names, or another test's
        // program whose dead parent had the same id would be taken for ours.
        std::vector<ULONGLONG> created{creationTime(processId_)};
        for (std::size_t i = 0; i < tree.size(); ++i) {
            for (const Link& link : links) {
                if (link.parent != tree[i] || std::find(tree.begin(), tree.end(), link.process) != tree.end()) continue;
                ULONGLONG childCreated = creationTime(link.process);
                if (childCreated == 0 || childCreated < created[i]) continue;
                tree.push_back(link.process);
                created.push_back(childCreated);
            }
        }
        return tree;
    }

    static ULONGLONG creationTime(DWORD processId) {
        Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        FILETIME creation{}, exit{}, kernel{}, user{};
        if (!process || !GetProcessTimes(process.get(), &creation, &exit, &kernel, &user)) return 0;
        return (ULONGLONG(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
    }

    void terminate() {
        std::vector<DWORD> tree = processIds();
        TerminateProcess(process_.get(), kTimedOutExitCode);
        for (std::size_t i = 1; i < tree.size(); ++i) {
            Handle descendant(OpenProcess(PROCESS_TERMINATE, FALSE, tree[i]));
            if (descendant) TerminateProcess(descendant.get(), kTimedOutExitCode);
        }
        WaitForSingleObject(process_.get(), 5000);
    }

    unsigned long exitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    // The spy sits beside the module that runs us (qxrun, or a test program);
    // without it, styles are simply not recorded.
    static HHOOK hookMessageBoxSpy(DWORD threadId) {
        static HMODULE spy = [] {
            char path[MAX_PATH] = {};
            DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
            std::string file(path, n);
            file = file.substr(0, file.find_last_of("\\/") + 1) + kMessageBoxSpyDll;
            return LoadLibraryA(file.c_str());
        }();
        if (!spy) return nullptr;
        auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(spy, kMessageBoxSpyProc)));
        return proc ? SetWindowsHookExA(WH_CALLWNDPROC, proc, spy, threadId) : nullptr;
    }

    Handle process_;
    DWORD processId_ = 0;
    HHOOK spy_ = nullptr;
};

// ------------------------------------------------------------------ windows

struct WindowScan {
    std::vector<DWORD> processIds;
    std::vector<HWND> dialogs;
    HWND largest = nullptr;
    long largestArea = 0;
};

bool hasClass(HWND window, const char* name) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
}

BOOL CALLBACK scanWindow(HWND window, LPARAM parameter) {
    auto& scan = *reinterpret_cast<WindowScan*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (std::find(scan.processIds.begin(), scan.processIds.end(), processId) == scan.processIds.end()) return TRUE;
    // A dialog is shown only once its controls hold their texts.
    if (!IsWindowVisible(window)) return TRUE;
    if (hasClass(window, "#32770")) {
        scan.dialogs.push_back(window);
        return TRUE;
    }
    // Screenshots show the program's own windows: helpers that Wine or the
    // program starts may outlive its window and must not replace it.
    if (processId != scan.processIds.front()) return TRUE;
    RECT rect{};
    GetWindowRect(window, &rect);
    long area = static_cast<long>(rect.right - rect.left) * (rect.bottom - rect.top);
    if (area > scan.largestArea) {
        scan.largest = window;
        scan.largestArea = area;
    }
    return TRUE;
}

WindowScan scanWindows(std::vector<DWORD> processIds) {
    WindowScan scan;
    scan.processIds = std::move(processIds);
    EnumWindows(scanWindow, reinterpret_cast<LPARAM>(&scan));
    return scan;
}

// Another process's window text, through a message that cannot hang us.
std::string windowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &length)) {
        char buffer[1024] = {};
        return std::string(buffer, static_cast<std::size_t>(GetWindowTextA(window, buffer, sizeof buffer)));
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 1000, &copied))
        return {};
    text.resize(std::min<std::size_t>(copied, text.size() - 1));
    return text;
}

BOOL CALLBACK findStaticText(HWND child, LPARAM parameter) {
    if (!hasClass(child, "Static")) return TRUE;
    std::string text = windowText(child);
    if (text.empty()) return TRUE;
    *reinterpret_cast<std::string*>(parameter) = text;
    return FALSE;
}

QXMessageBoxSeen readDialog(HWND dialog) {
    QXMessageBoxSeen seen;
    char caption[1024] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    seen.caption = caption;
    if (HWND textControl = GetDlgItem(dialog, kMessageBoxTextControl)) seen.text = windowText(textControl);
    if (seen.text.empty()) EnumChildWindows(dialog, findStaticText, reinterpret_cast<LPARAM>(&seen.text));
    seen.caption = withoutCarriageReturns(seen.caption);
    seen.text = withoutCarriageReturns(seen.text);
    auto style = reinterpret_cast<ULONG_PTR>(GetPropA(dialog, kMessageBoxStyleProperty));
    if (style & kMessageBoxStyleTag) seen.style = static_cast<long>(style & ~kMessageBoxStyleTag);
    return seen;
}

BOOL CALLBACK findPushButton(HWND child, LPARAM parameter) {
    if (!hasClass(child, "Button") || !IsWindowVisible(child) || !IsWindowEnabled(child)) return TRUE;
    LONG style = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
    if (style != BS_PUSHBUTTON && style != BS_DEFPUSHBUTTON) return TRUE;
    *reinterpret_cast<int*>(parameter) = GetDlgCtrlID(child);
    return FALSE;
}

void pressButton(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// Answers a dialog as a person pressing Enter would: with its default button,
// else its first push button, else by closing it. Returns the answer given.
int dismissDialog(HWND dialog) {
    int button = 0;
    DWORD_PTR defaultId = 0;
    if (SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 500, &defaultId) &&
        HIWORD(defaultId) == DC_HASDEFID) {
        HWND control = GetDlgItem(dialog, LOWORD(defaultId));
        if (control && IsWindowVisible(control)) button = LOWORD(defaultId);
    }
    if (!button) EnumChildWindows(dialog, findPushButton, reinterpret_cast<LPARAM>(&button));
    if (button)
        pressButton(dialog, button);
    else
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    return button;
}

// Answers with the button asked for, or the close box; returns the answer given.
int answerDialog(HWND dialog, int answer) {
    HWND control = answer == kAnswerCloseBox ? nullptr : GetDlgItem(dialog, answer);
    if (control && IsWindowVisible(control) && IsWindowEnabled(control)) {
        pressButton(dialog, answer);
        return answer;
    }
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    return answer == kAnswerCloseBox ? kAnswerCloseBox : kAnswerMissing;
}

// Records each dialog once and sees that it goes away.
class DialogCloser {
public:
    explicit DialogCloser(std::vector<int> answers) : answers_(std::move(answers)) {}

    void handle(const std::vector<HWND>& dialogs, std::vector<QXMessageBoxSeen>& seen) {
        std::erase_if(handled_, [](const Handled& entry) { return !IsWindow(entry.window); });
        DWORD now = GetTickCount();
        for (HWND dialog : dialogs) {
            auto known = std::find_if(handled_.begin(), handled_.end(),
                                      [&](const Handled& entry) { return entry.window == dialog; });
            if (known == handled_.end()) {
                seen.push_back(readDialog(dialog));
                seen.back().answer = nextAnswer_ < answers_.size() ? answerDialog(dialog, answers_[nextAnswer_++])
                                                                   : dismissDialog(dialog);
                handled_.push_back({dialog, now});
            } else if (now - known->dismissedAt > kRedismissMs) {
                PostMessageA(dialog, WM_CLOSE, 0, 0);
                known->dismissedAt = now;
            }
        }
    }

private:
    struct Handled {
        HWND window;
        DWORD dismissedAt;
    };
    std::vector<Handled> handled_;
    std::vector<int> answers_;
    std::size_t nextAnswer_ = 0;
};

// ------------------------------------------------------------------ screenshots

struct Capture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Copies what the screen shows of the window, so that frames drawn by any
// means (GDI, DirectDraw, OpenGL) are caught.
bool captureWindow(HWND window, Capture& capture) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return false;
    int screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN), screenTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    rect.left = std::max<LONG>(rect.left, screenLeft);
    rect.top = std::max<LONG>(rect.top, screenTop);
    rect.right = std::min<LONG>(rect.right, screenLeft + GetSystemMetrics(SM_CXVIRTUALSCREEN));
    rect.bottom = std::min<LONG>(rect.bottom, screenTop + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // top-down rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = memory ? CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    bool copied = false;
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        if (copied) {
            const auto* pixels = static_cast<const unsigned char*>(bits);
            capture.width = width;
            capture.height = height;
            capture.rgb.resize(static_cast<std::size_t>(width) * height * 3);
            for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
                capture.rgb[i * 3 + 0] = pixels[i * 4 + 2];
                capture.rgb[i * 3 + 1] = pixels[i * 4 + 1];
                capture.rgb[i * 3 + 2] = pixels[i * 4 + 0];
            }
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied;
}

class Screenshots {
public:
    explicit Screenshots(std::string file) : file_(std::move(file)) {}

    void consider(HWND window, bool force) {
        if (file_.empty() || !window) return;
        DWORD now = GetTickCount();
        if (!force && capture_.width && now - lastCapture_ < kCaptureIntervalMs) return;
        // While the program closes its main window, a smaller leftover must
        // not replace the picture of the window that was shown.
        if (captured_ && window != captured_ && !IsWindowVisible(captured_) && areaOf(window) < capturedArea_) return;
        if (captureWindow(window, capture_)) {
            lastCapture_ = now;
            captured_ = window;
            capturedArea_ = areaOf(window);
        }
    }

    void save() const {
        if (file_.empty() || !capture_.width) return;
        stbi_write_png(file_.c_str(), capture_.width, capture_.height, 3, capture_.rgb.data(), capture_.width * 3);
    }

private:
    std::string file_;
    static long areaOf(HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        return static_cast<long>(rect.right - rect.left) * (rect.bottom - rect.top);
    }

    Capture capture_;
    DWORD lastCapture_ = 0;
    HWND captured_ = nullptr;
    long capturedArea_ = 0;
};

// ------------------------------------------------------------------ the run

class Deadline {
public:
    explicit Deadline(unsigned timeoutMs) : start_(GetTickCount()), timeoutMs_(timeoutMs) {}
    bool passed() const { return timeoutMs_ != 0 && GetTickCount() - start_ >= timeoutMs_; }

private:
    DWORD start_;
    unsigned timeoutMs_;
};

void watchUntilExit(ProcessTree& processes, const QXRunOptions& options, QXRunResult& result) {
    Deadline deadline(options.timeoutMs);
    DialogCloser dialogs(options.answers);
    Screenshots screenshots(options.screenshotFile);
    for (;;) {
        bool exited = WaitForSingleObject(processes.process(), kPollMs) == WAIT_OBJECT_0;
        if (exited) break;
        WindowScan scan = scanWindows(processes.processIds());
        dialogs.handle(scan.dialogs, result.messageBoxes);
        screenshots.consider(scan.largest, false);
        if (deadline.passed()) {
            screenshots.consider(scan.largest, true);
            result.timedOut = true;
            processes.terminate();
            break;
        }
    }
    screenshots.save();
}

}  // namespace

QXRunResult runProgram(const std::string& program, const QXRunOptions& options) {
    QXRunResult result;
    Pipe output = makePipe(OurEnd::Read);
    Pipe input = options.input.empty() ? Pipe{} : makePipe(OurEnd::Write);
    Handle nullInput = options.input.empty() ? openNullInput() : Handle();
    if (!output.read || (options.input.empty() ? !nullInput : !input.read)) {
        result.error = lastErrorText("cannot create the standard handles");
        return result;
    }

    ProcessTree processes;
    HANDLE childInput = options.input.empty() ? nullInput.get() : input.read.get();
    result.started = processes.start(program, options, childInput, output.write.get(), result.error);
    // The child holds its own copies now; ours must go for end of file to come.
    output.write.reset();
    input.read.reset();
    nullInput.reset();
    if (!result.started) return result;

    Handle stop = makeEvent();
    Handle outputDone = makeEvent();
    std::string collected;
    std::thread reader(collectOutput, output.read.get(), stop.get(), outputDone.get(), std::ref(collected));
    std::thread feeder;
    if (input.write) feeder = std::thread(feedInput, std::move(input.write), stop.get(), std::cref(options.input));

    watchUntilExit(processes, options, result);

    WaitForSingleObject(outputDone.get(), kDrainGraceMs);
    SetEvent(stop.get());
    reader.join();
    if (feeder.joinable()) feeder.join();

    result.exitCode = processes.exitCode();
    result.output = withoutCarriageReturns(collected);
    return result;
}
