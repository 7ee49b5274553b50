// User libraries: walking the table the compiler lays out, loading beside the
// program or beneath queltpath, the stubs of what is missing, and freeing.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "runtime/QXUserLibs.h"

namespace {

// Builds a table byte for byte as compiled code carries it.
class TableBuilder {
public:
    TableBuilder& library(const char* name) {
        closeLibrary();
        text(name);
        open_ = true;
        return *this;
    }
    TableBuilder& function(const char* name, const void* slot) {
        text(name);
        auto address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(slot));
        for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<unsigned char>(address >> shift));
        return *this;
    }
    std::vector<unsigned char> build() {
        closeLibrary();
        bytes_.push_back(0);
        return bytes_;
    }

private:
    void text(const char* s) { bytes_.insert(bytes_.end(), s, s + std::strlen(s) + 1); }
    void closeLibrary() {
        if (open_) bytes_.push_back(0);
        open_ = false;
    }
    std::vector<unsigned char> bytes_;
    bool open_ = false;
};

// Knows one library, "found.dll", with the functions "one" and "two".
class FakeBinder : public QXUserLibBinder {
public:
    void* openLibrary(const char* name) override {
        opened.push_back(name);
        return std::strcmp(name, "found.dll") == 0 ? &library : nullptr;
    }
    void* findFunction(void* lib, const char* name) override {
        EXPECT_EQ(lib, &library);
        auto f = functions.find(name);
        return f == functions.end() ? nullptr : f->second;
    }
    int library = 0;
    int one = 1, two = 2;
    std::map<std::string, void*> functions{{"one", &one}, {"two", &two}};
    std::vector<std::string> opened;
};

void* stub(void (*f)()) { return reinterpret_cast<void*>(f); }

using AddFn = int(QXCALL*)(int, int);
using TagFn = int(QXCALL*)();

// Sets or clears an environment variable for one test and puts it back after.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        char saved[1024];
        DWORD length = GetEnvironmentVariableA(name, saved, sizeof saved);
        if (length > 0 && length < sizeof saved) saved_ = saved;
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedVariable() { SetEnvironmentVariableA(name_, saved_.empty() ? nullptr : saved_.c_str()); }

private:
    const char* name_;
    std::string saved_;
};

// The folder that holds userlibs/qx_userlib_hidden.dll, beside the test program.
std::string fixtureQueltPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length);
    return exe.substr(0, exe.find_last_of("\\/")) + "\\qxpath";
}

std::string detachOrder() {
    char order[256];
    DWORD length = GetEnvironmentVariableA("QX_USERLIB_DETACHES", order, sizeof order);
    return length < sizeof order ? std::string(order, length) : std::string();
}

}  // namespace

TEST(UserLibTable, BindsEverySlotToTheFunctionOrTheStubThatExplainsTheMiss) {
    FakeBinder binder;
    // Slots need not be aligned: put two at odd offsets of a byte buffer.
    unsigned char data[16] = {};
    void* slots[3] = {};
    std::vector<unsigned char> table = TableBuilder()
                                           .library("found.dll")
                                           .function("one", &slots[0])
                                           .function("absent", data + 1)
                                           .function("two", &slots[1])
                                           .library("missing.dll")
                                           .function("one", data + 7)
                                           .function("two", &slots[2])
                                           .library("found.dll")  // a block with no functions
                                           .build();
    table.push_back('x');  // past the end: never read as a library
    bindUserLibs(table.data(), binder);

    EXPECT_EQ(binder.opened, (std::vector<std::string>{"found.dll", "missing.dll", "found.dll"}));
    EXPECT_EQ(slots[0], &binder.one);
    EXPECT_EQ(slots[1], &binder.two);
    EXPECT_EQ(slots[2], stub(missingUserLibStub));
    void* unaligned;
    std::memcpy(&unaligned, data + 1, sizeof unaligned);
    EXPECT_EQ(unaligned, stub(missingUserLibFunctionStub));
    std::memcpy(&unaligned, data + 7, sizeof unaligned);
    EXPECT_EQ(unaligned, stub(missingUserLibStub));

    FakeBinder untouched;
    const unsigned char empty[] = {0, 'x'};
    bindUserLibs(empty, untouched);
    bindUserLibs(nullptr, untouched);
    EXPECT_TRUE(untouched.opened.empty());
}

TEST(UserLibPath, QueltpathFolderWithinTheLengthLimit) {
    EXPECT_EQ(userLibFallbackPath("C:\\Quelt", "gfx.dll"), "C:\\Quelt/userlibs/gfx.dll");
    std::string base(259 - std::strlen("/userlibs/a.dll"), 'q');
    EXPECT_EQ(userLibFallbackPath(base, "a.dll")->size(), 259u);
    EXPECT_FALSE(userLibFallbackPath(base + "q", "a.dll"));

    {
        ScopedVariable unset("queltpath", nullptr);
        EXPECT_FALSE(queltPath());
    }
    {
        ScopedVariable empty("queltpath", "");
        EXPECT_FALSE(queltPath());
    }
    ScopedVariable restore("queltpath", nullptr);
    _putenv("queltpath=E:\\set by SetEnv");  // as the SetEnv command sets it
    EXPECT_EQ(queltPath(), "E:\\set by SetEnv");
    _putenv("queltpath=");
}

TEST(UserLibLoading, LoadsBesideTheProgramAndBeneathQueltpathAndFreesMostRecentFirst) {
    ScopedVariable path("queltpath", fixtureQueltPath().c_str());
    ScopedVariable detaches("QX_USERLIB_DETACHES", "");
    QXModuleList list;
    QXUserLibs libs(list);
    ASSERT_TRUE(list.startModule(&libs));

    void* slots[5] = {};
    std::vector<unsigned char> table = TableBuilder()
                                           .library("qx_userlib_a.dll")
                                           .function("addInts", &slots[0])
                                           .function("noSuchFunction", &slots[1])
                                           .library("qx_userlib_hidden.dll")
                                           .function("fixtureTag", &slots[2])
                                           .library("qx_no_such_library.dll")
                                           .function("addInts", &slots[3])
                                           .function("fixtureTag", &slots[4])
                                           .build();
    loadUserLibs(table.data(), libs);

    ASSERT_EQ(libs.libraries().size(), 2u);
    EXPECT_EQ(reinterpret_cast<AddFn>(slots[0])(2, 40), 42);
    EXPECT_EQ(reinterpret_cast<TagFn>(slots[2])(), 'H');
    EXPECT_EQ(runtimeErrorOf([&] { reinterpret_cast<AddFn>(slots[1])(1, 2); }), "User lib function not found");
    EXPECT_EQ(runtimeErrorOf([&] { reinterpret_cast<AddFn>(slots[3])(1, 2); }), "User lib not found");
    EXPECT_EQ(slots[4], slots[3]);

    list.stopModule(&libs);
    EXPECT_EQ(detachOrder(), "HA");
    EXPECT_TRUE(libs.libraries().empty());
    EXPECT_EQ(GetModuleHandleA("qx_userlib_a.dll"), nullptr);
}

TEST(UserLibLoading, WithoutAUsableQueltpathTheHiddenLibraryIsMissing) {
    QXModuleList list;
    QXUserLibs libs(list);
    void* slot = nullptr;
    std::vector<unsigned char> table = TableBuilder().library("qx_userlib_hidden.dll").function("fixtureTag", &slot).build();
    {
        ScopedVariable unset("queltpath", nullptr);
        loadUserLibs(table.data(), libs);
        EXPECT_EQ(slot, stub(missingUserLibStub));
    }
    {
        // The path names the library's real folder, but in more than 259 characters.
        std::string longPath = fixtureQueltPath();
        for (int i = 0; i < 150; ++i) longPath += "\\.";
        ScopedVariable tooLong("queltpath", longPath.c_str());
        slot = nullptr;
        loadUserLibs(table.data(), libs);
        EXPECT_EQ(slot, stub(missingUserLibStub));
    }
    EXPECT_TRUE(libs.libraries().empty());
    EXPECT_EQ(runtimeErrorOf([&] { reinterpret_cast<TagFn>(slot)(); }), "User lib not found");
}
