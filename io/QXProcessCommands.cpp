// CreateProcess: a child program whose standard streams are a stream.

#include "core/QXString.h"
#include "io/win32/Win32ProcessStream.h"
#include "runtime/QXRegistry.h"

namespace {
// The stream is never closed by a command: it lives until the runtime ends.
int QXCALL CreateProcess(QXString* command) { return handleOf(ProcStream::start(stringCText(command))); }

const QXSymbol commands[] = {
    QX_COMMAND("%CreateProcess$command", CreateProcess),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
