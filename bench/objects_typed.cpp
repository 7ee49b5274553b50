// Typed objects against the plain C++ way of doing the same work in the same
// process: creation and deletion against new/delete, an Each walk against a
// walk over heap-allocated list nodes, handle round trips against a pair of
// std::unordered_map. Each line gives both times (best of several runs) and
// their ratio; below 1 means the runtime is faster.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <list>
#include <unordered_map>
#include <vector>

#include "bench/BenchSupport.h"
#include "runtime/QXRegistry.h"
#include "core/QXTypedObject.h"

namespace {

// Calls reach the entry points through the registry, as compiled code's do
// (so the registered form, guard included, is what is measured).
template <class Fn> Fn registered(Fn, const char* signature) {
    return reinterpret_cast<Fn>(findRegisteredSymbol(signature)->address);
}
struct Entries {
    decltype(&_qxObjDelete) qxObjDelete;
    decltype(&_qxObjDeleteEach) qxObjDeleteEach;
    decltype(&_qxObjEachFirst) qxObjEachFirst;
    decltype(&_qxObjEachNext) qxObjEachNext;
    decltype(&_qxObjFirst) qxObjFirst;
    decltype(&_qxObjFromHandle) qxObjFromHandle;
    decltype(&_qxObjNew) qxObjNew;
    decltype(&_qxObjNext) qxObjNext;
    decltype(&_qxObjToHandle) qxObjToHandle;
};
Entries via;
void bindEntries() {
    via.qxObjDelete = registered(&_qxObjDelete, "_qxObjDelete");
    via.qxObjDeleteEach = registered(&_qxObjDeleteEach, "_qxObjDeleteEach");
    via.qxObjEachFirst = registered(&_qxObjEachFirst, "_qxObjEachFirst");
    via.qxObjEachNext = registered(&_qxObjEachNext, "_qxObjEachNext");
    via.qxObjFirst = registered(&_qxObjFirst, "_qxObjFirst");
    via.qxObjFromHandle = registered(&_qxObjFromHandle, "_qxObjFromHandle");
    via.qxObjNew = registered(&_qxObjNew, "_qxObjNew");
    via.qxObjNext = registered(&_qxObjNext, "_qxObjNext");
    via.qxObjToHandle = registered(&_qxObjToHandle, "_qxObjToHandle");
}


constexpr int kCount = 1000000;
constexpr int kRuns = 5;

// Type Record: Field a%, b%, c#
struct RecordType {
    QXUserType type;
    const QXTypeDescriptor* fieldTypes[3];

    RecordType() : type{kUserTypeCode, {}, {}, 3}, fieldTypes{&_qxIntType, &_qxIntType, &_qxFltType} {
        for (QXTypedObject* s : {&type.usedList, &type.freeList}) *s = {nullptr, s, s, nullptr, 0};
    }
};

struct Record {
    int a = 0, b = 0;
    float c = 0;
};

volatile int sink;

template <class Work> double bestSeconds(Work&& work) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void report(const char* what, double runtime, double baseline, const char* baselineName, double target, bool same) {
    std::printf("%-44s %8.2f ms  baseline %8.2f ms\n", what, runtime * 1e3, baseline * 1e3);
    costFigure(what, runtime, baseline, baselineName, target, same);
}

int countOf(RecordType& records) {
    int n = 0;
    for (QXTypedObject* o = via.qxObjFirst(&records.type); o; o = via.qxObjNext(o)) ++n;
    return n;
}

void newAndDelete(RecordType& records) {
    std::vector<QXTypedObject*> objects(kCount);
    double runtime = bestSeconds([&] {
        for (auto& o : objects) o = via.qxObjNew(&records.type);
        for (auto* o : objects) via.qxObjDelete(o);
    });
    const bool noneLeft = countOf(records) == 0;
    std::vector<Record*> plain(kCount);
    double baseline = bestSeconds([&] {
        for (auto& r : plain) r = new Record;
        for (auto* r : plain) delete r;
    });
    report("1M _qxObjNew + _qxObjDelete", runtime, baseline, "new/delete", 1.5, noneLeft);
}

void eachWalk(RecordType& records) {
    for (int i = 0; i < kCount; ++i) via.qxObjNew(&records.type)->fields[0] = reinterpret_cast<QXSlot>(i);
    int runtimeSum = 0, plainSum = 0;
    double runtime = bestSeconds([&] {
        int sum = 0;
        QXTypedObject* current = nullptr;
        for (int more = via.qxObjEachFirst(&current, &records.type); more; more = via.qxObjEachNext(&current))
            sum += static_cast<int>(reinterpret_cast<std::intptr_t>(current->fields[0]));
        runtimeSum = sum;
    });
    std::list<Record> plain;
    for (int i = 0; i < kCount; ++i) plain.push_back({i, 0, 0});
    double baseline = bestSeconds([&] {
        int sum = 0;
        for (const Record& r : plain) sum += r.a;
        plainSum = sum;
    });
    report("Each walk over 1M objects", runtime, baseline, "std::list walk", 1.5, runtimeSum == plainSum);
}

void handleRoundTrips(RecordType& records) {
    std::vector<QXTypedObject*> objects;
    for (QXTypedObject* o = via.qxObjFirst(&records.type); o; o = via.qxObjNext(o)) objects.push_back(o);
    int runtimeMisses = 0, plainMisses = 0;
    auto roundTrips = [&] {
        int misses = 0;
        for (auto* o : objects) misses += via.qxObjFromHandle(via.qxObjToHandle(o), &records.type) != o;
        runtimeMisses += misses;
    };
    std::vector<Record*> plain(objects.size());
    for (auto& r : plain) r = new Record;
    std::unordered_map<const Record*, int> handles;
    std::unordered_map<int, Record*> byHandle;
    int counter = 0;
    auto plainRoundTrips = [&] {
        int misses = 0;
        for (auto* r : plain) {
            auto [at, added] = handles.try_emplace(r, counter + 1);
            if (added) byHandle.emplace(++counter, r);
            auto found = byHandle.find(at->second);
            misses += found == byHandle.end() || found->second != r;
        }
        plainMisses += misses;
    };
    auto timeOnce = [](auto&& work) {
        auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    double creating = timeOnce(roundTrips);
    double plainCreating = timeOnce(plainRoundTrips);
    report("1M handle round trips, handles created", creating, plainCreating, "std::unordered_map pair", 0,
           runtimeMisses == 0 && plainMisses == 0 && objects.size() == kCount);
    const double existing = bestSeconds(roundTrips), plainExisting = bestSeconds(plainRoundTrips);
    report("1M handle round trips, handles existing", existing, plainExisting, "std::unordered_map pair", 1.5,
           runtimeMisses == 0 && plainMisses == 0);
    for (auto* r : plain) delete r;
}

}  // namespace

int main() {
    bindEntries();
    RecordType records;
    newAndDelete(records);
    eachWalk(records);
    handleRoundTrips(records);
    via.qxObjDeleteEach(&records.type);
    return benchStatus();
}
