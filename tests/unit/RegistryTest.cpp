#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <stdexcept>
#include <string>

#include "TestSupport.h"
#include "runtime/QXLinkKey.h"
#include "runtime/QXObject.h"
#include "runtime/QXRegistry.h"
#include "runtime/QXRuntime.h"

namespace {

std::set<std::string> readLines(const std::string& file) {
    std::ifstream in(std::string(QX_SOURCE_DIR) + "/tests/data/" + file);
    EXPECT_TRUE(in.good()) << file;
    std::set<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // "# " starts a comment; a signature may start with # (a float result).
        const bool comment = line == "#" || line.rfind("# ", 0) == 0;
        if (!line.empty() && !comment) lines.insert(line);
    }
    return lines;
}

std::set<std::string> registered() {
    std::set<std::string> texts;
    while (const char* s = runtimeGetRuntime()->nextSym()) texts.insert(s);
    return texts;
}

}  // namespace

TEST(LinkKey, CommandsAndEntryPoints) {
    EXPECT_EQ(linkKey("%CreateWindow$text%x%y%width%height%group=0%style=15"), "_fcreatewindow");
    EXPECT_EQ(linkKey("End"), "_fend");
    EXPECT_EQ(linkKey("#JoyX%port=0"), "_fjoyx");
    EXPECT_EQ(linkKey("_qxStrConcat"), "__qxStrConcat");
    EXPECT_EQ(linkKey("$Input$prompt=\"\""), "_finput");
}

// Every registered text is a known command signature or entry point, so a
// misspelt signature (which compiled code could never link) fails here.
TEST(Registry, HoldsOnlyKnownSignatures) {
    std::set<std::string> known = readLines("signatures.txt");
    for (const std::string& name : readLines("entry_points.txt")) known.insert(name);
    for (const std::string& text : registered()) EXPECT_TRUE(known.count(text)) << "unknown signature: " << text;
}

// What the runtime provides today must stay provided.
TEST(Registry, HoldsEverySignatureItProvides) {
    std::set<std::string> texts = registered();
    for (const std::string& text : readLines("provided.txt")) EXPECT_TRUE(texts.count(text)) << "missing: " << text;
}

// No two registered texts may file under the same link key.
TEST(Registry, LinkKeysAreUnique) {
    std::set<std::string> keys;
    for (const std::string& text : registered()) EXPECT_TRUE(keys.insert(linkKey(text)).second) << text;
}

namespace {
int QXCALL failsToAllocate(int) { throw std::bad_alloc(); }
int QXCALL throwsAnError(int) { throw std::length_error("vector too long"); }
void QXCALL throwsSomethingElse() { throw 42; }
int QXCALL doubles(int value) { return 2 * value; }

// An object whose construction runs out of memory half-way.
struct HalfBuilt : QXObject {
    HalfBuilt() { throw std::bad_alloc(); }
};
int QXCALL buildsHalfAnObject() { return handleOf(new HalfBuilt); }
}  // namespace

TEST(RegistryGuard, NoExceptionLeavesARegisteredFunction) {
    EXPECT_EQ(runtimeErrorOf([] { qxdetail::Guarded<&failsToAllocate>::call(1); }), "Out of memory");
    EXPECT_EQ(runtimeErrorOf([] { qxdetail::Guarded<&throwsAnError>::call(1); }), "vector too long");
    EXPECT_EQ(runtimeErrorOf([] { qxdetail::Guarded<&throwsSomethingElse>::call(); }), "Unexpected exception");
    EXPECT_EQ(qxdetail::Guarded<&doubles>::call(21), 42);

    const int live = liveObjectCount();
    EXPECT_EQ(runtimeErrorOf([] { qxdetail::Guarded<&buildsHalfAnObject>::call(); }), "Out of memory");
    EXPECT_EQ(liveObjectCount(), live) << "the half-built object is gone";
}
