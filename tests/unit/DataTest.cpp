// DATA tables laid out as the compiler lays them out, read through the
// registered entry points.
#include <gtest/gtest.h>

#include <float.h>

#include <climits>
#include <limits>
#include <stdexcept>
#include <string>

#include "TestSupport.h"
#include "core/QXData.h"
#include "core/QXStringEntries.h"

namespace {

void Restore(const QXDataItem* item) { command<void(QXCALL*)(const QXDataItem*)>("_qxRestore")(item); }
int ReadInt() { return command<int(QXCALL*)()>("_qxReadInt")(); }
float ReadFloat() { return command<float(QXCALL*)()>("_qxReadFloat")(); }
// The text of the string READ pushed, which it pops again.
std::string ReadStr() {
    const int depth = tempStringCount();
    QXString* s = command<QXString*(QXCALL*)()>("_qxReadStr")();
    EXPECT_EQ(tempStringCount(), depth + 1);
    std::string text(s->view());
    _qxStrTmpFree(1);
    return text;
}

QXDataItem integer(int v) {
    QXDataItem item{1, {}};
    item.integer = v;
    return item;
}
QXDataItem real(float v) {
    QXDataItem item{2, {}};
    item.real = v;
    return item;
}
QXDataItem text(const char* v) {
    QXDataItem item{4, {}};
    item.text = v;
    return item;
}
const QXDataItem kEnd{0, {}};

}  // namespace

TEST(Data, EachItemReadsAsEveryType) {
    const QXDataItem table[] = {integer(5), real(2.5f), text("7x"), real(-2.9f), text(" 1.5e2x"), kEnd};
    Restore(table);
    EXPECT_EQ(ReadInt(), 5);
    EXPECT_EQ(ReadInt(), 2);
    EXPECT_EQ(ReadInt(), 7);
    EXPECT_EQ(ReadInt(), -2);
    EXPECT_EQ(ReadInt(), 1);
    Restore(table);
    EXPECT_EQ(ReadStr(), "5");
    EXPECT_EQ(ReadStr(), "2.5");
    EXPECT_EQ(ReadStr(), "7x");
    EXPECT_EQ(ReadStr(), "-2.9");
    EXPECT_EQ(ReadStr(), " 1.5e2x");
    Restore(table);
    EXPECT_EQ(ReadFloat(), 5.0f);
    EXPECT_EQ(ReadFloat(), 2.5f);
    EXPECT_EQ(ReadFloat(), 7.0f);  // a text item moves the position on too
    EXPECT_EQ(ReadFloat(), -2.9f);
    EXPECT_EQ(ReadFloat(), 150.0f);
    EXPECT_EQ(dataReadPosition(), &table[5]);
}

TEST(Data, RestoreSetsThePositionAgain) {
    const QXDataItem table[] = {text("first"), integer(2), kEnd};
    Restore(&table[0]);
    Restore(&table[0]);
    EXPECT_EQ(ReadStr(), "first");
    Restore(&table[0]);
    EXPECT_EQ(ReadStr(), "first");
    EXPECT_EQ(ReadInt(), 2);
    Restore(&table[1]);  // RESTORE to a label in the middle
    EXPECT_EQ(ReadStr(), "2");
    const QXDataItem emptyText[] = {text(""), kEnd};
    Restore(emptyText);
    EXPECT_EQ(ReadInt(), 0);
}

TEST(Data, ReadingPastTheEndOrAnUnknownTagStops) {
    const QXDataItem table[] = {integer(1), kEnd};
    Restore(table);
    EXPECT_EQ(ReadInt(), 1);
    EXPECT_EQ(runtimeErrorOf([] { ReadInt(); }), "Out of data");
    EXPECT_EQ(runtimeErrorOf([] { ReadFloat(); }), "Out of data");
    EXPECT_EQ(runtimeErrorOf([] { ReadStr(); }), "Out of data");
    EXPECT_EQ(dataReadPosition(), &table[1]);  // the position stays at the end

    QXDataItem strange[] = {integer(1), kEnd};
    for (int tag : {3, 5, -1}) {
        strange[0].tag = tag;
        Restore(strange);
        EXPECT_EQ(runtimeErrorOf([] { ReadInt(); }), "Bad data type") << tag;
        EXPECT_EQ(dataReadPosition(), &strange[0]);
    }
    // Reading without any RESTORE finds no data rather than reading through null.
    Restore(nullptr);
    EXPECT_EQ(runtimeErrorOf([] { ReadStr(); }), "Out of data");
}

// Truncation toward zero, whatever rounding mode the x87 is in, and defined
// for floats no integer can hold.
TEST(Data, FloatItemsTruncateInEveryRoundingMode) {
    const QXDataItem table[] = {real(2.9f), real(-2.9f), real(2147483520.0f), real(-2147483648.0f), real(3e9f),
                                real(-1e20f), real(std::numeric_limits<float>::quiet_NaN()), kEnd};
    const unsigned saved = _control87(0, 0);
    for (unsigned mode : {_RC_NEAR, _RC_UP, _RC_DOWN, _RC_CHOP}) {
        _control87(mode | _PC_24, _MCW_RC | _MCW_PC);
        Restore(table);
        const int values[] = {ReadInt(), ReadInt(), ReadInt(), ReadInt(), ReadInt(), ReadInt(), ReadInt()};
        _control87(saved, 0xFFFFF);
        EXPECT_EQ(values[0], 2) << mode;
        EXPECT_EQ(values[1], -2) << mode;
        EXPECT_EQ(values[2], 2147483520) << mode;
        EXPECT_EQ(values[3], INT_MIN) << mode;
        EXPECT_EQ(values[4], INT_MIN) << mode;
        EXPECT_EQ(values[5], INT_MIN) << mode;
        EXPECT_EQ(values[6], INT_MIN) << mode;
    }
}
