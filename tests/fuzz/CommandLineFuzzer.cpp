// The program's arguments from any process command line: always a tail of
// the command line, never read past its terminator.

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/QXCommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::string arguments = programArguments(line.c_str());
    const std::string text = line.c_str();  // what the system hands over ends at a zero byte
    if (arguments.size() > text.size() || text.compare(text.size() - arguments.size(), std::string::npos, arguments) != 0)
        __builtin_trap();
    return 0;
}
