// Cost of a runtime object's life (live-set insert and erase on top of the
// allocation) against a plain heap object of the same size.

#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/BenchSupport.h"
#include "runtime/QXObject.h"

namespace {

constexpr int kObjects = 1000000;
constexpr int kRounds = 5;

// Objects alive; each side counts its own, and both must end at zero.
int liveRuntime = 0, livePlain = 0;

struct BenchObject : QXObject {
    BenchObject() { ++liveRuntime; }
    ~BenchObject() override { --liveRuntime; }
};

// Same layout as BenchObject (vtable pointer and a count), without the runtime.
struct PlainObject {
    PlainObject() { ++livePlain; }
    virtual ~PlainObject() { --livePlain; }
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

void print(const char* pattern, double runtime, double plain, double target) {
    std::printf("%-34s runtime %7.1f ns/object   new/delete %7.1f ns/object\n", pattern, runtime, plain);
    costFigure(pattern, runtime, plain, "new/delete", target, liveRuntime == 0 && livePlain == 0);
}

}  // namespace

int main() {
    std::vector<QXObject*> heldObjects(kObjects);
    std::vector<PlainObject*> heldPlain(kObjects);
    std::printf("%d objects, best of %d rounds\n", kObjects, kRounds);
    double plain = plainBatch(heldPlain);
    double runtime = runtimeBatch(heldObjects);
    print("1M objects created, then released", runtime, plain, 1.5);
    plain = plainChurn();
    runtime = runtimeChurn();
    print("1M objects created and released one by one", runtime, plain, 0);
    return benchStatus();
}
