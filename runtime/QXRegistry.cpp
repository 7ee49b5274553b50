#include "runtime/QXRegistry.h"

#include <cstring>
#include <exception>
#include <new>
#include <unordered_map>
#include <vector>

#include "runtime/QXError.h"

namespace {
const QXSymbolTable* firstTable = nullptr;

struct Registry {
    std::vector<std::pair<const char*, void*>> entries;
    std::unordered_map<std::string_view, std::size_t> index;
    std::size_t cursor = 0;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

void registerSymbol(const char* signature, void* address) {
    Registry& r = registry();
    if (r.index.try_emplace(signature, r.entries.size()).second)
        r.entries.emplace_back(signature, address);
}

void linkGroup(QXLinkGroup group, QXRegisterFn callback) {
    for (const QXSymbolTable* t = firstTable; t; t = t->next())
        if (t->group() == group)
            for (const QXSymbol& s : *t) callback(s.signature, s.address);
}
}  // namespace

QXSymbolTable::QXSymbolTable(QXLinkGroup group, const QXSymbol* symbols, std::size_t count)
    : group_(group), symbols_(symbols), count_(count), next_(firstTable) {
    firstTable = this;
}

const QXSymbolTable* QXSymbolTable::first() { return firstTable; }

void linkCore(QXRegisterFn callback) { linkGroup(QXLinkGroup::Core, callback); }
void linkSystem(QXRegisterFn callback) { linkGroup(QXLinkGroup::System, callback); }
void linkGui(QXRegisterFn callback) { linkGroup(QXLinkGroup::Gui, callback); }
void linkGraphics(QXRegisterFn callback) { linkGroup(QXLinkGroup::Graphics, callback); }

const char* registryNextSym() {
    Registry& r = registry();
    if (r.entries.empty()) {
        linkCore(registerSymbol);
        linkSystem(registerSymbol);
        linkGui(registerSymbol);
        linkGraphics(registerSymbol);
        r.cursor = 0;
    }
    if (r.cursor >= r.entries.size()) {
        registryClear();
        return nullptr;
    }
    return r.entries[r.cursor++].first;
}

int registrySymValue(const char* signature) {
    const Registry& r = registry();
    auto it = r.index.find(signature);
    if (it == r.index.end()) return -1;
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(r.entries[it->second].second));
}

void registryClear() {
    Registry& r = registry();
    r.entries.clear();
    r.index.clear();
    r.cursor = 0;
}

const QXSymbol* findRegisteredSymbol(std::string_view signature) {
    for (const QXSymbolTable* t = firstTable; t; t = t->next())
        for (const QXSymbol& s : *t)
            if (signature == s.signature) return &s;
    return nullptr;
}

// ---------------------------------------------------------------- the guard

namespace {
// Program thread only, like the commands.
QXMessage escapedMessage;

void noteText(const char* text) {
    std::strncpy(escapedMessage.text, text ? text : "", sizeof escapedMessage.text - 1);
    escapedMessage.text[sizeof escapedMessage.text - 1] = 0;
}
}  // namespace

void qxdetail::noteEscapedException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        noteText("Out of memory");
    } catch (const std::exception& error) {
        noteText(error.what());
    } catch (...) {
        noteText("Unexpected exception");
    }
}

void qxdetail::raiseEscapedException() { runtimeError("%s", escapedMessage.text); }
