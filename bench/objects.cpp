// Cost of a runtime object's life (live-set insert and erase on top of the
// allocation) against a plain heap object of the same size.

#include <chrono>
#include <cstdio>
#include <vector>

#include "runtime/QXObject.h"

namespace {

constexpr int kObjects = 1000000;
constexpr int kRounds = 5;

struct BenchObject : QXObject {};

// Same layout as BenchObject (vtable pointer and a count), without the runtime.
struct PlainObject {
    virtual ~PlainObject() = default;
    int refCount = 1;
};

using Clock = std::chrono::steady_clock;

double nanosecondsPerObject(Clock::duration elapsed) {
    return std::chrono::duration<double, std::nano>(elapsed).count() / kObjects;
}

// The best of several rounds of `body`, in nanoseconds per object.
template <class Body> double best(Body&& body) {
    double fastest = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        Clock::time_point start = Clock::now();
        body();
        double perObject = nanosecondsPerObject(Clock::now() - start);
        if (perObject < fastest) fastest = perObject;
    }
    return fastest;
}

// All objects alive at once, then all freed: the live set grows to a million members.
double runtimeBatch(std::vector<QXObject*>& held) {
    return best([&] {
        for (int i = 0; i < kObjects; ++i) held[i] = new BenchObject;
        for (int i = 0; i < kObjects; ++i) release(held[i]);
    });
}

double plainBatch(std::vector<PlainObject*>& held) {
    return best([&] {
        for (int i = 0; i < kObjects; ++i) held[i] = new PlainObject;
        for (int i = 0; i < kObjects; ++i) delete held[i];
    });
}

// One object at a time, as temporaries come and go.
volatile std::uintptr_t sink;

double runtimeChurn() {
    return best([] {
        for (int i = 0; i < kObjects; ++i) {
            QXObject* object = new BenchObject;
            sink = reinterpret_cast<std::uintptr_t>(object);
            release(object);
        }
    });
}

double plainChurn() {
    return best([] {
        for (int i = 0; i < kObjects; ++i) {
            PlainObject* object = new PlainObject;
            sink = reinterpret_cast<std::uintptr_t>(object);
            delete object;
        }
    });
}

void print(const char* pattern, double runtime, double plain) {
    std::printf("%-34s runtime %7.1f ns/object   new/delete %7.1f ns/object   ratio %.2f\n", pattern, runtime, plain,
                runtime / plain);
}

}  // namespace

int main() {
    std::vector<QXObject*> heldObjects(kObjects);
    std::vector<PlainObject*> heldPlain(kObjects);
    std::printf("%d objects, best of %d rounds\n", kObjects, kRounds);
    double plain = plainBatch(heldPlain);
    double runtime = runtimeBatch(heldObjects);
    print("create all, then release all:", runtime, plain);
    plain = plainChurn();
    runtime = runtimeChurn();
    print("create and release one by one:", runtime, plain);
    return 0;
}
