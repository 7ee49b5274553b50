// System commands: console text, the application title, system facts,
// environment variables and launching through the shell.

#include "core/QXSystem.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/QXString.h"
#include "runtime/QXAppTitle.h"
#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"
#include "runtime/QXRuntime.h"

namespace {

// ---------------------------------------------------------------- console

struct Console {
    std::FILE* in = stdin;
    std::FILE* out = stdout;
    bool own = false;
    bool binary = false;  // the output stream no longer turns LF into CR LF
};

Console& console() {
    static Console c;
    return c;
}

// Opens a console of our own when the program has none; keeps the current
// streams when one exists (a console program's, or one inherited).
Console& prepareConsole() {
    Console& c = console();
    if (AllocConsole()) {
        std::string title = appTitleText();
        SetConsoleTitleA(title.c_str());
        std::FILE* in = std::fopen("CONIN$", "r");
        std::FILE* out = std::fopen("CONOUT$", "w");
        if (in && out) {
            if (c.own) {
                std::fclose(c.in);
                std::fclose(c.out);
            }
            c = {in, out, true, false};
        }
    }
    // Text goes out byte for byte: a line end is one line feed.
    if (!c.binary) {
        _setmode(_fileno(c.out), _O_BINARY);
        c.binary = true;
    }
    return c;
}

void writeText(std::FILE* out, const QXString* text) {
    if (text && text->length > 0) std::fwrite(text->data, 1, static_cast<std::size_t>(text->length), out);
}

void QXCALL Write(QXString* text) {
    Console& c = prepareConsole();
    writeText(c.out, text);
    std::fflush(c.out);
}

void QXCALL Print(QXString* text) {
    Console& c = prepareConsole();
    writeText(c.out, text);
    std::fputc('\n', c.out);
    std::fflush(c.out);
}

QXString* QXCALL Input(QXString* prompt) {
    Console& c = prepareConsole();
    writeText(c.out, prompt);
    std::fflush(c.out);
    char line[256];
    if (!std::fgets(line, sizeof line, c.in)) return emptyString();
    std::string text = trimControl(line);
    return text.empty() ? emptyString() : newString(text.c_str());
}

// ---------------------------------------------------------------- the program

void QXCALL RuntimeError(QXString* text) { runtimeError("%s", stringCText(text)); }

// One string for the whole run: the kernel holds it, each call adds a reference.
QXString* QXCALL CommandLine() {
    auto* line = static_cast<QXString*>(programCommandLineObject());
    if (!line) {
        line = newString(programCommandLine().c_str());
        setProgramCommandLineObject(line);
    }
    retain(line);
    return line;
}

// ---------------------------------------------------------------- title and facts

// The title is kept as text: the kernel's error boxes use it for a caption.
void QXCALL AppTitle(QXString* title) { setAppTitleText(title ? std::string(title->view()) : std::string()); }

std::string withBackslash(std::string dir) {
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string systemProperty(const std::string& name) {
    char buffer[260] = {};
    if (name == "cpu") return "Intel";
    if (name == "os") {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (!GetVersionExA(&info)) return "";
        return osName(info.dwMajorVersion, info.dwMinorVersion);
    }
    if (name == "appdir") {
        DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
        if (n == 0 || n >= sizeof buffer) return "";
        std::string path(buffer, n);
        std::size_t slash = path.rfind('\\');
        return slash == std::string::npos ? "" : path.substr(0, slash + 1);
    }
    UINT n = 0;
    if (name == "windowsdir") n = GetWindowsDirectoryA(buffer, sizeof buffer);
    else if (name == "systemdir") n = GetSystemDirectoryA(buffer, sizeof buffer);
    else if (name == "tempdir") n = GetTempPathA(sizeof buffer, buffer);
    else return "";
    if (n == 0 || n >= sizeof buffer) return "";
    return withBackslash(std::string(buffer, n));
}

QXString* QXCALL SystemProperty(QXString* property) {
    std::string value = systemProperty(lower(stringCText(property)));
    return value.empty() ? emptyString() : newString(value.c_str());
}

QXString* QXCALL GetEnv(QXString* var) {
    const char* value = std::getenv(stringCText(var));
    return value && *value ? newString(value) : emptyString();
}

void QXCALL SetEnv(QXString* var, QXString* value) {
    std::string assignment = std::string(stringCText(var)) + "=" + stringCText(value);
    _putenv(assignment.c_str());
}

int QXCALL ExecFile(QXString* text) {
    std::string file, parameters;
    if (!splitExecText(stringCText(text), file, parameters)) return -1;
    auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(GetActiveWindow(), nullptr, file.c_str(),
                                                          parameters.c_str(), nullptr, SW_SHOWDEFAULT));
    return result > 32 ? 1 : 0;
}

const QXSymbol commands[] = {
    QX_COMMAND("RuntimeError$error", RuntimeError),
    QX_COMMAND("$CommandLine", CommandLine),
    QX_COMMAND("Write$text", Write),
    QX_COMMAND("Print$text", Print),
    QX_COMMAND("$Input$prompt=\"\"", Input),
    QX_COMMAND("AppTitle$str", AppTitle),
    QX_COMMAND("$SystemProperty$property", SystemProperty),
    QX_COMMAND("$GetEnv$var", GetEnv),
    QX_COMMAND("SetEnv$var$value", SetEnv),
    QX_COMMAND("%ExecFile$file", ExecFile),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
