#include "runtime/QXObject.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <typeindex>
#include <typeinfo>

#include "runtime/QXDebugger.h"
#include "runtime/QXLiveSet.h"
#include "runtime/QXRegistry.h"

constinit qxlive::Storage qxlive::liveObjects;

void qxlive::referencedObjectDeleted() { internalError("Attempt to delete referenced object"); }

namespace {
QXLiveSet& liveSet() { return qxlive::liveObjects.set; }
}  // namespace

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
    leaveOwners();
    QXObject::destroy();
}

void QXResource::leaveOwners() {
    while (anchor_.ownerPrev != &anchor_) QXOwnership::unlink(anchor_.ownerPrev);
}

int QXResource::query(int) { return 0; }

void QXResource::addOwned(QXResource* resource) {
    if (!resource) return;
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

int QXQueryIds::idOf(const char* name) {
    for (int i = 0; i < used_; ++i)
        if (std::strcmp(entries_[i].name, name) == 0) return entries_[i].id;
    if (used_ == kCapacity) runtimeError("Out of QIDS!");
    entries_[used_++] = {name, ++counter_};
    return counter_;
}

namespace {
constinit QXQueryIds runtimeQueryIds;
}

int queryId(const char* name) { return runtimeQueryIds.idOf(name); }

// ---------------------------------------------------------------- report

namespace {
constexpr std::size_t kReportWidth = 52;
constexpr std::size_t kNameColumn = 2;
constexpr std::size_t kCountColumn = 42;

// "class <name>", from the class's run-time type information.
std::string displayName(const std::type_index& type) {
    int status = 0;
    char* plain = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = std::string("class ") + (status == 0 && plain ? plain : type.name());
    std::free(plain);
    return name;
}

// Writes `text` into `line` from `column` on, never past the closing asterisk.
void putText(std::string& line, std::size_t column, const std::string& text, std::size_t width) {
    line.replace(column, std::min(text.size(), width), text, 0, width);
}

std::string classLine(const std::string& name, int count) {
    std::string line(kReportWidth, ' ');
    putText(line, kNameColumn, name, kCountColumn - kNameColumn);
    putText(line, kCountColumn, std::to_string(count), kReportWidth - 1 - kCountColumn);
    line.front() = line.back() = '*';
    return line;
}

std::string totalLine(int total) {
    std::string line(kReportWidth, ' ');
    putText(line, 0, "* Total Objects", kReportWidth);
    putText(line, kCountColumn, std::to_string(total), kReportWidth - 1 - kCountColumn);
    line.back() = '*';
    return line;
}

void writeLine(const std::string& line) { debugLogLine("%s", line.c_str()); }
}  // namespace

void writeObjectReport() {
    // Count by dynamic type first: names are built once per class, not per object.
    std::map<std::type_index, int> perType;
    liveSet().forEach([&](const void* address) { ++perType[typeid(*static_cast<const QXObject*>(address))]; });
    std::map<std::string, int> perName;
    for (const auto& [type, count] : perType) perName[displayName(type)] += count;

    const std::string stars(kReportWidth, '*');
    const std::string dashes = "* ------------------------------------------------ *";
    writeLine(stars);
    writeLine("* Object type                             Count    *");
    writeLine(dashes);
    int total = 0;
    for (const auto& [name, count] : perName) {
        writeLine(classLine(name, count));
        total += count;
    }
    writeLine(dashes);
    writeLine(totalLine(total));
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
