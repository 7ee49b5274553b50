// System commands on Linux: the process's own standard streams, and system
// facts, folders given as Wine shows them ("Z:\\tmp\\").

#include "core/QXSystem.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/QXString.h"
#include "runtime/QXHostPath.h"
#include "runtime/QXRegistry.h"
#include "runtime/QXRuntime.h"

QXConsoleStreams prepareConsole() { return {stdin, stdout}; }

std::string systemProperty(const std::string& name) {
    if (name == "cpu") return "Intel";
    if (name == "appdir") {
        char resolved[PATH_MAX];
        if (!realpath(programFile().c_str(), resolved)) return "";
        std::string path = resolved;
        std::size_t slash = path.rfind('/');
        return slash == std::string::npos ? "" : programPathOf(path.substr(0, slash + 1));
    }
    if (name == "tempdir") {
        const char* temp = std::getenv("TMPDIR");
        std::string dir = temp && *temp ? temp : "/tmp";
        if (dir.back() != '/') dir += '/';
        return programPathOf(dir);
    }
    // "os" names Windows versions only; Linux has no Windows or system folder.
    return "";
}

namespace {

void QXCALL SetEnv(QXString* var, QXString* value) { setenv(stringCText(var), stringCText(value), 1); }

const QXSymbol commands[] = {
    QX_COMMAND("SetEnv$var$value", SetEnv),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
