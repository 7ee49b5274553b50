// System commands on Windows: the console (one of our own when the program
// has none), system facts, environment variables and launching through the shell.

#include "core/QXSystem.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/QXString.h"
#include "runtime/QXAppTitle.h"
#include "runtime/QXRegistry.h"

namespace {

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

std::string withBackslash(std::string dir) {
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

}  // namespace

// Opens a console of our own when the program has none; keeps the current
// streams when one exists (a console program's, or one inherited).
QXConsoleStreams prepareConsole() {
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
    return {c.in, c.out};
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

namespace {

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
    QX_COMMAND("SetEnv$var$value", SetEnv),
    QX_COMMAND("%ExecFile$file", ExecFile),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
