// The string entry points against std::string doing the same work, in one
// process: short concatenations freed per statement, number formatting and
// searching a 1 KB text. Prints each runtime figure as a ratio to std::string.
// Each side is timed several times and the fastest run counts: the machine is
// shared, and a slow run says more about the neighbours than about the code.

#include <windows.h>

#include <cfloat>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "runtime/QXRegistry.h"
#include "core/QXStringEntries.h"
#include "runtime/QXModule.h"

namespace {

// Calls reach the entry points through the registry, as compiled code's do
// (so the registered form, guard included, is what is measured).
template <class Fn> Fn registered(Fn, const char* signature) {
    return reinterpret_cast<Fn>(findRegisteredSymbol(signature)->address);
}
struct Entries {
    decltype(&_qxStrConcat) qxStrConcat;
    decltype(&_qxStrTmpFree) qxStrTmpFree;
    decltype(&_qxStrFromInt) qxStrFromInt;
    decltype(&_qxStrFromFloat) qxStrFromFloat;
    decltype(&_qxInitCStrs) qxInitCStrs;
};
Entries via;
void bindEntries() {
    via.qxStrConcat = registered(&_qxStrConcat, "_qxStrConcat");
    via.qxStrTmpFree = registered(&_qxStrTmpFree, "_qxStrTmpFree");
    via.qxStrFromInt = registered(&_qxStrFromInt, "_qxStrFromInt");
    via.qxStrFromFloat = registered(&_qxStrFromFloat, "_qxStrFromFloat");
    via.qxInitCStrs = registered(&_qxInitCStrs, "_qxInitCStrs");
}


constexpr int kRounds = 1000000;
constexpr int kRuns = 7;

// Keeps results observable so the work is not optimised away.
volatile unsigned sink = 0;

template <class Body> double millisecondsOf(Body body) {
    double fastest = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (ms < fastest) fastest = ms;
    }
    return fastest;
}

struct Figure {
    const char* name;
    double runtimeMs;
    double standardMs;
    double target;  // the highest ratio allowed, 0 for none
    bool same;      // both sides produced the same results
};

// What one pass of each side adds up, compared after the timing.
unsigned runtimeSum = 0, standardSum = 0;

// Compiled code runs with the x87 unit at 24-bit precision; so does the runtime side here.
template <class Body> double atProgramPrecision(Body body) {
    const unsigned saved = _control87(0, 0);
    _control87(0xA001F, 0xFFFFF);
    const double ms = millisecondsOf(body);
    _control87(saved, 0xFFFFF);
    return ms;
}

Figure concatenation() {
    QXString* first = newString("Score: ");
    QXString* second = newString("12345");
    const double runtimeMs = atProgramPrecision([&] {
        unsigned sum = 0;
        for (int i = 0; i < kRounds; ++i) {
            // a$ + b$ + a$ as one statement: two temporaries, freed together.
            QXString* joined = via.qxStrConcat(via.qxStrConcat(first, second), first);
            sum += static_cast<unsigned>(joined->length) + static_cast<unsigned char>(joined->data[7]);
            via.qxStrTmpFree(2);
        }
        runtimeSum = sum;
    });
    const std::string a = "Score: ", b = "12345";
    const double standardMs = millisecondsOf([&] {
        unsigned sum = 0;
        for (int i = 0; i < kRounds; ++i) {
            std::string joined = a + b + a;
            sum += static_cast<unsigned>(joined.size()) + static_cast<unsigned char>(joined[7]);
        }
        standardSum = sum;
    });
    release(first);
    release(second);
    return {"concatenate 3 short strings", runtimeMs, standardMs, 0, runtimeSum == standardSum};
}

// Integers of every length and sign.
int sampleInt(int i) { return static_cast<int>(static_cast<unsigned>(i) * 2654435761u) >> (i % 31); }

double runtimeIntegerText() {
    return atProgramPrecision([] {
        unsigned sum = 0;
        for (int i = 0; i < kRounds; ++i) {
            const QXString* text = via.qxStrFromInt(sampleInt(i));
            sum += static_cast<unsigned>(text->length) * 31u + static_cast<unsigned char>(text->data[text->length - 1]);
            via.qxStrTmpFree(1);
        }
        runtimeSum = sum;
    });
}

Figure integerText() {
    const double runtimeMs = runtimeIntegerText();
    const double standardMs = millisecondsOf([] {
        unsigned sum = 0;
        for (int i = 0; i < kRounds; ++i) {
            const std::string text = std::to_string(sampleInt(i));
            sum += static_cast<unsigned>(text.size()) * 31u + static_cast<unsigned char>(text.back());
        }
        standardSum = sum;
    });
    return {"integer to text", runtimeMs, standardMs, 1.5, runtimeSum == standardSum};
}

// The same texts, each in a counted object of its own on the heap, as every
// string of compiled code is (std::to_string keeps short texts in place):
// shows how much of the ratio above is that object rather than the digits.
Figure integerTextObject() {
    const double runtimeMs = runtimeIntegerText();
    const double standardMs = millisecondsOf([] {
        unsigned sum = 0;
        for (int i = 0; i < kRounds; ++i) {
            const auto text = std::make_shared<const std::string>(std::to_string(sampleInt(i)));
            sum += static_cast<unsigned>(text->size()) * 31u + static_cast<unsigned char>(text->back());
        }
        standardSum = sum;
    });
    return {"integer to text, as an object", runtimeMs, standardMs, 0, runtimeSum == standardSum};
}

float sampleFloat(int i) { return static_cast<float>(i) * 0.37f - 12345.0f + static_cast<float>(i % 97) * 1e-3f; }

Figure floatText() {
    const double runtimeMs = atProgramPrecision([] {
        for (int i = 0; i < kRounds; ++i) {
            sink = sink + static_cast<unsigned>(via.qxStrFromFloat(sampleFloat(i))->length);
            via.qxStrTmpFree(1);
        }
    });
    const double standardMs = millisecondsOf([] {
        for (int i = 0; i < kRounds; ++i) sink = sink + static_cast<unsigned>(std::to_string(sampleFloat(i)).size());
    });
    // The texts differ by design (six significant digits, not fixed point): no check of them.
    return {"float to text", runtimeMs, standardMs, 0, true};
}

Figure search() {
    std::string text;
    while (text.size() < 1024) text += "the quick brown fox jumps over the lazy dog; ";
    text.resize(1024 - 6);
    text += "needle";
    QXString* haystack = newString(text.c_str());
    QXString* needle = newString("needle");
    const double runtimeMs = atProgramPrecision([&] {
        unsigned sum = 0;
        for (int i = 0; i < kRounds; ++i) sum += static_cast<unsigned>(haystack->find(needle, i & 7));
        runtimeSum = sum;
    });
    const double standardMs = millisecondsOf([&] {
        unsigned sum = 0;
        for (int i = 0; i < kRounds; ++i) sum += static_cast<unsigned>(text.find("needle", i & 7));
        standardSum = sum;
    });
    release(haystack);
    release(needle);
    return {"find in 1 KB", runtimeMs, standardMs, 1.5, runtimeSum == standardSum};
}

}  // namespace

int main() {
    bindEntries();
    startModuleNamed("QXString");
    QXConstStringRecord* noLiterals[] = {nullptr};
    via.qxInitCStrs(noLiterals);

    const Figure figures[] = {concatenation(), integerText(), integerTextObject(), floatText(), search()};
    std::printf("1,000,000 x, best of %d runs\n", kRuns);
    std::printf("%-30s %12s %12s %8s\n", "", "runtime ms", "std ms", "ratio");
    for (const Figure& f : figures)
        std::printf("%-30s %12.1f %12.1f %8.2f\n", f.name, f.runtimeMs, f.standardMs, f.runtimeMs / f.standardMs);
    const char* yardsticks[] = {"std::string +", "std::to_string", "std::make_shared of std::to_string", "std::to_string",
                                "std::string::find"};
    int i = 0;
    for (const Figure& f : figures) costFigure(f.name, f.runtimeMs, f.standardMs, yardsticks[i++], f.target, f.same);
    return benchStatus();
}
