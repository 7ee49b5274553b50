#include <gtest/gtest.h>

#include "TestSupport.h"
#include "io/QXBank.h"

namespace {
using IntFn1 = int(QXCALL*)(int);
using IntFn2 = int(QXCALL*)(int, int);
using VoidFn3 = void(QXCALL*)(int, int, int);

struct Bank {
    IntFn1 create = command<IntFn1>("%CreateBank%size=0");
    void (QXCALL* free)(int) = command<void(QXCALL*)(int)>("FreeBank%bank");
    IntFn1 size = command<IntFn1>("%BankSize%bank");
    void (QXCALL* resize)(int, int) = command<void(QXCALL*)(int, int)>("ResizeBank%bank%size");
    void (QXCALL* copy)(int, int, int, int, int) =
        command<void(QXCALL*)(int, int, int, int, int)>("CopyBank%src_bank%src_offset%dest_bank%dest_offset%count");
    IntFn2 peekByte = command<IntFn2>("%PeekByte%bank%offset");
    IntFn2 peekShort = command<IntFn2>("%PeekShort%bank%offset");
    IntFn2 peekInt = command<IntFn2>("%PeekInt%bank%offset");
    float (QXCALL* peekFloat)(int, int) = command<float(QXCALL*)(int, int)>("#PeekFloat%bank%offset");
    VoidFn3 pokeByte = command<VoidFn3>("PokeByte%bank%offset%value");
    VoidFn3 pokeShort = command<VoidFn3>("PokeShort%bank%offset%value");
    VoidFn3 pokeInt = command<VoidFn3>("PokeInt%bank%offset%value");
    void (QXCALL* pokeFloat)(int, int, float) = command<void(QXCALL*)(int, int, float)>("PokeFloat%bank%offset#value");
};
}  // namespace

TEST(Bank, ValuesAreLittleEndianAtAnyOffset) {
    Bank b;
    int bank = b.create(16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(b.peekByte(bank, i), 0);
    b.pokeByte(bank, 0, 0x1FF);
    b.pokeByte(bank, 1, 0xFF);
    EXPECT_EQ(b.peekByte(bank, 0), 255);
    EXPECT_EQ(b.peekShort(bank, 0), 65535);
    b.pokeShort(bank, 3, 70000);
    EXPECT_EQ(b.peekShort(bank, 3), 4464);
    b.pokeInt(bank, 5, -123456789);
    EXPECT_EQ(b.peekInt(bank, 5), -123456789);
    EXPECT_EQ(b.peekByte(bank, 5), (-123456789) & 0xFF);
    b.pokeFloat(bank, 11, -2.5f);
    EXPECT_EQ(b.peekFloat(bank, 11), -2.5f);
    b.free(bank);
    b.free(0);
}

TEST(Bank, GrowsByHalfAgainPlusTenAndZeroesRegrownBytes) {
    Bank b;
    int handle = b.create(0);
    QXBank* bank = checkBank(handle);
    EXPECT_EQ(bank->capacity, 10);
    b.resize(handle, 20);
    EXPECT_EQ(bank->capacity, 40);
    b.resize(handle, 30);
    EXPECT_EQ(bank->capacity, 40);
    b.resize(handle, 41);
    EXPECT_EQ(bank->capacity, 71);
    b.pokeInt(handle, 4, -1);
    b.resize(handle, 4);
    EXPECT_EQ(b.size(handle), 4);
    b.resize(handle, 8);
    EXPECT_EQ(b.peekInt(handle, 4), 0);
    b.resize(handle, -3);
    EXPECT_EQ(b.size(handle), 0);
    b.free(handle);
    EXPECT_EQ(command<IntFn1>("%CreateBank%size=0")(-5) != 0, true);
}

TEST(Bank, CopyBehavesAsThroughASeparateBuffer) {
    Bank b;
    int bank = b.create(8);
    for (int i = 0; i < 4; ++i) b.pokeByte(bank, i, i + 1);
    b.copy(bank, 0, bank, 1, 4);
    EXPECT_EQ(b.peekInt(bank, 0), 0x03020101);
    EXPECT_EQ(b.peekByte(bank, 4), 4);
    b.copy(bank, 0, bank, 4, 0);
    b.copy(bank, 0, bank, 4, -5);
    EXPECT_EQ(b.peekByte(bank, 4), 4);
    b.free(bank);
}

TEST(Bank, AccessOutsideTheBankOrThroughABadHandleStops) {
    Bank b;
    int bank = b.create(8);
    EXPECT_TRUE(runtimeErrorOf([&] { b.peekInt(bank, 5); }).has_value());
    EXPECT_TRUE(runtimeErrorOf([&] { b.pokeByte(bank, 8, 1); }).has_value());
    EXPECT_TRUE(runtimeErrorOf([&] { b.peekByte(bank, -1); }).has_value());
    EXPECT_FALSE(runtimeErrorOf([&] { b.peekInt(bank, 4); }).has_value());
    // Both ranges are checked before anything is copied.
    int small = b.create(2);
    b.pokeByte(bank, 0, 7);
    EXPECT_TRUE(runtimeErrorOf([&] { b.copy(small, 0, bank, 0, 4); }).has_value());
    EXPECT_EQ(b.peekByte(bank, 0), 7);
    EXPECT_EQ(runtimeErrorOf([&] { b.size(0); }), "Invalid Bank handle");
    EXPECT_EQ(runtimeErrorOf([&] { b.size(12345); }), "Invalid Bank handle");
    b.free(small);
    EXPECT_EQ(runtimeErrorOf([&] { b.size(small); }), "Invalid Bank handle");
    b.free(bank);
}

TEST(Bank, ViewBanksCannotBeResizedAndOwningBanksCannotBeRepointed) {
    QXBank* view = new QXBank;
    EXPECT_EQ(command<IntFn1>("%BankSize%bank")(handleOf(view)), 0);
    EXPECT_EQ(runtimeErrorOf([&] { view->resize(4); }), "Bank cannot be resized");
    char pixels[4] = {1, 2, 3, 4};
    view->setData(pixels, 4);
    EXPECT_EQ(command<IntFn2>("%PeekByte%bank%offset")(handleOf(view), 3), 4);
    QXBank* owning = QXBank::create(4);
    EXPECT_EQ(runtimeErrorOf([&] { owning->setData(pixels, 4); }), "Bank data cannot be modified");
    // Freeing it is no business of the program's: the owner keeps using it.
    Bank b;
    b.free(handleOf(view));
    EXPECT_TRUE(isLiveObject(view));
    EXPECT_EQ(b.peekByte(handleOf(view), 0), 1);
    release(view);
    release(owning);
}

TEST(Bank, SizesBeyondMemoryStopWithOutOfMemoryAndLeaveTheBankAsItWas) {
    Bank b;
    // The size plus its spare bytes passes the 32-bit limit; no block that large exists.
    EXPECT_EQ(runtimeErrorOf([&] { b.create(0x7FFFFFF8); }), "Out of memory");
    EXPECT_EQ(runtimeErrorOf([&] { b.create(0x7FFFFFFF); }), "Out of memory");
    int bank = b.create(16);
    b.pokeInt(bank, 12, 0x5EED1234);
    const std::optional<std::string> error = runtimeErrorOf([&] { b.resize(bank, 0x70000000); });
    if (error) {
        EXPECT_EQ(*error, "Out of memory");
        EXPECT_EQ(b.size(bank), 16);
        EXPECT_EQ(b.peekInt(bank, 12), 0x5EED1234);
    } else {
        // A process that can hold 1.75 GB in one piece has grown the bank.
        EXPECT_EQ(b.size(bank), 0x70000000);
        EXPECT_EQ(b.peekInt(bank, 0x70000000 - 4), 0);
    }
    b.resize(bank, 100);
    EXPECT_EQ(b.peekInt(bank, 12), 0x5EED1234);
    b.free(bank);
}
