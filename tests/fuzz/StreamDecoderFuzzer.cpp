// The stream decoders on arbitrary bytes, delivered in chunks whose size the
// first byte chooses: strings with hostile lengths, lines of any length.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/QXString.h"
#include "native/NativeStreams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (moduleList().startPlainModules(), true);
    (void)started;
    if (size == 0) return 0;
    const int chunk = 1 + data[0] % 16;
    const bool lines = data[0] & 0x80;
    MemoryStream stream(std::string(reinterpret_cast<const char*>(data + 1), size - 1), chunk);
    for (int i = 0; i < 64 && !stream.eof(); ++i) {
        QXString* s = lines ? readStreamLine(stream) : readStreamString(stream);
        if (s->length < 0 || s->data[s->length] != 0) __builtin_trap();
        release(s);
    }
    return 0;
}
