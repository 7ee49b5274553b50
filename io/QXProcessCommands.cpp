// CreateProcess: a child program whose standard streams are a stream.

#include "core/QXString.h"
#include "io/QXProcess.h"
#include "io/QXStream.h"
#include "runtime/QXRegistry.h"

namespace {
// The stream is never closed by a command: it lives until the runtime ends.
int QXCALL CreateProcess(QXString* command) { return handleOf(startProcessStream(stringCText(command))); }

const QXSymbol commands[] = {
    QX_COMMAND("%CreateProcess$command", CreateProcess),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
