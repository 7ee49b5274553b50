// CallDLL: the cache of libraries and functions, and calls of callee-pops and
// caller-pops targets with the blocks of two banks.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/QXString.h"
#include "io/QXBank.h"
#include "io/QXCallDLL.h"

namespace {

// Loader and lookup that count their calls; "lib" has "fn", nothing else exists.
struct FakeSystem {
    static inline int loads = 0;
    static inline int lookups = 0;
    static inline int handle = 0;
    static inline int function = 0;
    static void* load(const char* name) {
        ++loads;
        std::string n = name;
        return n == "lib" || n == "LIB" ? &handle : nullptr;
    }
    static void* lookup(void* library, const char* name) {
        ++lookups;
        return library == &handle && std::string(name) == "fn" ? &function : nullptr;
    }
};

// What the fixture's CallDLL targets last received.
struct Call {
    const unsigned char* in;
    int inSize;
    unsigned char* out;
    int outSize;
};

using CallDLLFn = int(QXCALL*)(QXString*, QXString*, int, int);

class CallDLLTest : public testing::Test {
protected:
    int call(const char* library, const char* function, int inBank = 0, int outBank = 0) {
        QXString* l = newString(library);
        QXString* f = newString(function);
        int result = callDLL(l, f, inBank, outBank);
        release(l);
        release(f);
        return result;
    }
    // Reads the fixture's record through CallDLL's own cache.
    Call lastCall(int* count = nullptr) {
        Call c{};
        auto received = reinterpret_cast<int(QXCALL*)(Call*)>(dllCache().find(kLibrary, "lastReceived"));
        int n = received(&c);
        if (count) *count = n;
        return c;
    }
    static constexpr const char* kLibrary = "qx_userlib_b.dll";
    CallDLLFn callDLL = command<CallDLLFn>("%CallDLL$dll_name$func_name%in_bank=0%out_bank=0");
};

}  // namespace

TEST(DllCache, LoadsAndLooksUpOnlyWhatIsNotCachedYet) {
    FakeSystem::loads = FakeSystem::lookups = 0;
    QXDllCache cache(FakeSystem::load, FakeSystem::lookup);
    EXPECT_EQ(cache.find("lib", "fn"), &FakeSystem::function);
    EXPECT_EQ(cache.find("lib", "fn"), &FakeSystem::function);
    EXPECT_EQ(FakeSystem::loads, 1);
    EXPECT_EQ(FakeSystem::lookups, 1);

    // A name differing only in case is another entry, loaded on its own.
    EXPECT_EQ(cache.find("LIB", "fn"), &FakeSystem::function);
    EXPECT_EQ(FakeSystem::loads, 2);
    EXPECT_EQ(cache.libraryCount(), 2u);

    // What is not found is not cached: asking again tries again.
    EXPECT_EQ(cache.find("lib", "Fn"), nullptr);
    EXPECT_EQ(cache.find("lib", "Fn"), nullptr);
    EXPECT_EQ(FakeSystem::lookups, 4);
    EXPECT_EQ(cache.functionCount("lib"), 1u);
    EXPECT_EQ(cache.find("other", "fn"), nullptr);
    EXPECT_EQ(cache.find("other", "fn"), nullptr);
    EXPECT_EQ(FakeSystem::loads, 4);
    EXPECT_EQ(cache.libraryCount(), 2u);
    EXPECT_EQ(cache.functionCount("other"), 0u);
}

TEST_F(CallDLLTest, PassesNullBlocksForBankZero) {
    ASSERT_NE(callDLL, nullptr);
    EXPECT_EQ(call(kLibrary, "reverseStdcall"), 0);
    Call c = lastCall();
    EXPECT_EQ(c.in, nullptr);
    EXPECT_EQ(c.inSize, 0);
    EXPECT_EQ(c.out, nullptr);
    EXPECT_EQ(c.outSize, 0);
}

TEST_F(CallDLLTest, BothConventionsReceiveTheBlocksAndWriteTheOutputBank) {
    QXBank* in = QXBank::create(3);
    QXBank* out = QXBank::create(5);
    in->data[0] = 1, in->data[1] = 2, in->data[2] = 3;
    const std::vector<unsigned char> expected{3, 2, 1, 0xAB, 0xAB};

    // Many calls in a row: a stack left unbalanced by either convention would not survive them.
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(call(kLibrary, "reverseStdcall", handleOf(in), handleOf(out)), 3005);
        ASSERT_EQ(call(kLibrary, "reverseCdecl", handleOf(in), handleOf(out)), -3005);
    }
    Call c = lastCall();
    EXPECT_EQ(c.in, in->data);
    EXPECT_EQ(c.inSize, 3);
    EXPECT_EQ(c.out, out->data);
    EXPECT_EQ(c.outSize, 5);
    EXPECT_EQ(std::vector<unsigned char>(out->data, out->data + 5), expected);

    // Only an output block: the input is null.
    QXBank* view = new QXBank();  // a view bank pointing nowhere
    EXPECT_EQ(call(kLibrary, "reverseCdecl", handleOf(view), handleOf(out)), -5);
    c = lastCall();
    EXPECT_EQ(c.in, nullptr);
    EXPECT_EQ(c.inSize, 0);
    EXPECT_EQ(std::vector<unsigned char>(out->data, out->data + 5), std::vector<unsigned char>(5, 0xAB));
    release(view);
    release(in);
    release(out);
}

TEST_F(CallDLLTest, SecondCallFindsEverythingInTheCache) {
    int before = 0, after = 0;
    ASSERT_EQ(call(kLibrary, "reverseStdcall"), 0);
    lastCall(&before);
    std::size_t libraries = dllCache().libraryCount();
    std::size_t functions = dllCache().functionCount(kLibrary);
    EXPECT_EQ(call(kLibrary, "reverseStdcall"), 0);
    lastCall(&after);
    EXPECT_EQ(after, before + 1);
    EXPECT_EQ(dllCache().libraryCount(), libraries);
    EXPECT_EQ(dllCache().functionCount(kLibrary), functions);

    // Another spelling of the same library: cached separately, same library underneath.
    EXPECT_EQ(call("QX_USERLIB_B.DLL", "reverseStdcall"), 0);
    EXPECT_EQ(dllCache().libraryCount(), libraries + 1);
    EXPECT_EQ(dllCache().functionCount("QX_USERLIB_B.DLL"), 1u);
    lastCall(&after);
    EXPECT_EQ(after, before + 2);
}

TEST_F(CallDLLTest, MissingLibraryOrFunctionGivesMinusOneAndCachesNothing) {
    ASSERT_EQ(call(kLibrary, "reverseStdcall"), 0);
    std::size_t libraries = dllCache().libraryCount();
    std::size_t functions = dllCache().functionCount(kLibrary);
    EXPECT_EQ(call("qx_no_such_library.dll", "reverseStdcall"), -1);
    EXPECT_EQ(call(kLibrary, "ReverseStdcall"), -1);
    EXPECT_EQ(call(kLibrary, ""), -1);
    EXPECT_EQ(dllCache().libraryCount(), libraries);
    EXPECT_EQ(dllCache().functionCount(kLibrary), functions);
}

TEST_F(CallDLLTest, BankHandlesAreValidated) {
    QXBank* bank = QXBank::create(4);
    int handle = handleOf(bank);
    release(bank);
    EXPECT_EQ(runtimeErrorOf([&] { call(kLibrary, "reverseStdcall", handle, 0); }), "Invalid Bank handle");
    QXString* notABank = newString("text");
    EXPECT_EQ(runtimeErrorOf([&] { call(kLibrary, "reverseStdcall", 0, handleOf(notABank)); }),
              "Invalid Bank handle");
    release(notABank);
    // A library that cannot be found still answers -1 before the banks are looked at.
    EXPECT_EQ(call("qx_no_such_library.dll", "f", handle, handle), -1);
}
