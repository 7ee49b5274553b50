// System commands every host shares: console text over the host's streams,
// runtime errors, the command line, the title, system facts and environment
// variables.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/QXString.h"
#include "core/QXSystem.h"
#include "runtime/QXAppTitle.h"
#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"
#include "runtime/QXRuntime.h"

namespace {

// ---------------------------------------------------------------- console

void writeText(std::FILE* out, const QXString* text) {
    if (text && text->length > 0) std::fwrite(text->data, 1, static_cast<std::size_t>(text->length), out);
}

void QXCALL Write(QXString* text) {
    QXConsoleStreams c = prepareConsole();
    writeText(c.out, text);
    std::fflush(c.out);
}

void QXCALL Print(QXString* text) {
    QXConsoleStreams c = prepareConsole();
    writeText(c.out, text);
    std::fputc('\n', c.out);
    std::fflush(c.out);
}

QXString* QXCALL Input(QXString* prompt) {
    QXConsoleStreams c = prepareConsole();
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

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

QXString* QXCALL SystemProperty(QXString* property) {
    std::string value = systemProperty(lower(stringCText(property)));
    return value.empty() ? emptyString() : newString(value.c_str());
}

QXString* QXCALL GetEnv(QXString* var) {
    const char* value = std::getenv(stringCText(var));
    return value && *value ? newString(value) : emptyString();
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
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);

}  // namespace
