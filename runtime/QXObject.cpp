#include "runtime/QXObject.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <typeinfo>

#include "runtime/QXDebugger.h"
#include "runtime/QXLiveSet.h"
#include "runtime/QXRegistry.h"

namespace {
QXLiveSet& liveSet() {
    static QXLiveSet set;
    return set;
}
}  // namespace

QXObject::QXObject() { liveSet().insert(this); }

QXObject::~QXObject() {
    if (refCount != 0) internalError("Attempt to delete referenced object");
    liveSet().erase(this);
}

void QXObject::destroy() { delete this; }

int QXObject::query(int) { return 0; }

bool isLiveObject(const void* address) { return liveSet().contains(address); }

int liveObjectCount() { return static_cast<int>(liveSet().size()); }

QXObject* liveObject(std::uintptr_t handle) {
    const void* address = reinterpret_cast<const void*>(handle);
    return liveSet().contains(address) ? static_cast<QXObject*>(const_cast<void*>(address)) : nullptr;
}

// ---------------------------------------------------------------- resources

QXResource::QXResource() {
    anchor_.owner = anchor_.owned = nullptr;
    anchor_.ownedPrev = anchor_.ownedNext = &anchor_;
    anchor_.ownerPrev = anchor_.ownerNext = &anchor_;
}

QXResource::~QXResource() { unhookAll(); }

struct QXOwnership {
    static void unlink(QXResource::Link* link) {
        link->ownedPrev->ownedNext = link->ownedNext;
        link->ownedNext->ownedPrev = link->ownedPrev;
        link->ownerPrev->ownerNext = link->ownerNext;
        link->ownerNext->ownerPrev = link->ownerPrev;
        delete link;
    }
};

void QXResource::unhookAll() {
    while (anchor_.ownedPrev != &anchor_) QXOwnership::unlink(anchor_.ownedPrev);
    while (anchor_.ownerPrev != &anchor_) QXOwnership::unlink(anchor_.ownerPrev);
}

void QXResource::destroy() {
    // Owned resources go first, oldest ownership first; owners are only unhooked.
    while (anchor_.ownedPrev != &anchor_) {
        QXResource* owned = anchor_.ownedPrev->owned;
        QXOwnership::unlink(anchor_.ownedPrev);
        release(owned);
    }
    while (anchor_.ownerPrev != &anchor_) QXOwnership::unlink(anchor_.ownerPrev);
    QXObject::destroy();
}

int QXResource::query(int) { return 0; }

void QXResource::addOwned(QXResource* resource) {
    auto* link = new Link{this, resource, &anchor_, anchor_.ownedNext, &resource->anchor_, resource->anchor_.ownerNext};
    anchor_.ownedNext->ownedPrev = link;
    anchor_.ownedNext = link;
    resource->anchor_.ownerNext->ownerPrev = link;
    resource->anchor_.ownerNext = link;
}

int QXResource::findOwned(int id) {
    for (Link* link = anchor_.ownedPrev; link != &anchor_; link = link->ownedPrev)
        if (int answer = link->owned->query(id)) return answer;
    return 0;
}

// ---------------------------------------------------------------- query ids

namespace {
struct QueryName {
    const char* name;
    int id;
};
constexpr int kMaxQueryNames = 256;
QueryName queryNames[kMaxQueryNames] = {{"Q2DBuffer", 10001}, {"GLFont", 10002}, {"QXGLContext", 10003}};
int queryNameCount = 3;
int queryCounter = 10003;
}  // namespace

int queryId(const char* name) {
    for (int i = 0; i < queryNameCount; ++i)
        if (std::strcmp(queryNames[i].name, name) == 0) return queryNames[i].id;
    if (queryNameCount == kMaxQueryNames) runtimeError("Out of QIDS!");
    queryNames[queryNameCount++] = {name, ++queryCounter};
    return queryCounter;
}

// ---------------------------------------------------------------- report

namespace {
std::string className(const QXObject& object) {
    const char* mangled = typeid(object).name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = (status == 0 && plain) ? plain : mangled;
    std::free(plain);
    return "class " + name;
}

void writeLine(const std::string& line) { debugLogLine("%s", line.c_str()); }
}  // namespace

void writeObjectReport() {
    std::map<std::string, int> counts;
    liveSet().forEach([&](const void* address) { ++counts[className(*static_cast<const QXObject*>(address))]; });

    const std::string stars(52, '*');
    const std::string dashes = "* ------------------------------------------------ *";
    writeLine(stars);
    writeLine("* Object type                             Count    *");
    writeLine(dashes);
    int total = 0;
    for (const auto& [name, count] : counts) {
        std::string line(52, ' ');
        line.replace(2, std::min<std::size_t>(name.size(), 40), name, 0, 40);
        std::string number = std::to_string(count);
        line.replace(42, std::min<std::size_t>(number.size(), 9), number, 0, 9);
        line[0] = line[51] = '*';
        writeLine(line);
        total += count;
    }
    writeLine(dashes);
    std::string totalLine = "* Total Objects                           " + std::to_string(total);
    totalLine.resize(52, ' ');
    totalLine[51] = '*';
    writeLine(totalLine);
    writeLine(stars);
}

// ---------------------------------------------------------------- commands

namespace {
int QXCALL ActiveObjects() { return liveObjectCount(); }
void QXCALL DebugObjects() { writeObjectReport(); }
int QXCALL QueryObject(int handle, int id) {
    QXObject* object = checkHandle<QXObject>(handle, "Object");
    return object->query(id);
}

const QXSymbol commands[] = {
    QX_COMMAND("%ActiveObjects", ActiveObjects),
    QX_COMMAND("DebugObjects", DebugObjects),
    QX_COMMAND("%QueryObject%object%query_id", QueryObject),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
