#include "runtime/QXModule.h"

#include <cstring>

#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"

namespace {
bool sameText(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

char* copyText(const char* text) {
    std::size_t n = std::strlen(text) + 1;
    char* copy = new char[n];
    std::memcpy(copy, text, n);
    return copy;
}
}  // namespace

namespace {
// Constant-initialised, so modules may register from any static constructor,
// and never destroyed: the list and table live for the whole process.
union ModuleListStorage {
    QXModuleList list;
    constexpr ModuleListStorage() : list() {}
    ~ModuleListStorage() {}
};
constinit ModuleListStorage runtimeModules;
}  // namespace

QXModuleList& moduleList() { return runtimeModules.list; }

// ---------------------------------------------------------------- QXModule

QXModule::QXModule(QXModuleList& list) : list_(list) { list_.add(this); }

bool QXModule::startup() { return true; }
void QXModule::shutdown() {}

void QXModule::registerModule(const char* moduleName, const char* moduleSubsystem, const char* moduleConfig) {
    name = moduleName ? moduleName : "";
    subsystem = moduleSubsystem;
    config = moduleConfig;
    if (subsystem) list_.addSubsystem(subsystem);
}

void QXModule::addModuleResource(QXResource* resource) {
    if (!resource) return;
    if (!root) root = new QXResource;
    root->addOwned(resource);
}

// ---------------------------------------------------------------- the list

QXModuleList::~QXModuleList() {
    for (int i = 0; i < subsystemCount_; ++i) delete[] subsystems_[i].config;
}

void QXModuleList::add(QXModule* module) {
    module->next = first_;
    first_ = module;
}

QXModuleList::Subsystem* QXModuleList::findSubsystem(const char* name) {
    for (int i = 0; i < subsystemCount_; ++i)
        if (sameText(subsystems_[i].name, name)) return &subsystems_[i];
    return nullptr;
}

void QXModuleList::addSubsystem(const char* subsystem) {
    // Only six subsystems exist; a 101st is ignored.
    if (!findSubsystem(subsystem) && subsystemCount_ < kMaxSubsystems)
        subsystems_[subsystemCount_++] = {subsystem, nullptr};
}

template <class Fn> void QXModuleList::walk(Fn&& visit) {
    // A visit may end in a runtime error, which leaves through a jump: the
    // snapshot lives in a plain array so nothing is left to destroy.
    QXModule* order[kMaxModules];
    int count = 0;
    for (QXModule* m = first_; m; m = m->next) {
        if (count == kMaxModules) internalError("More than %d modules", kMaxModules);
        order[count++] = m;
    }
    for (int i = 0; i < count; ++i)
        if (!visit(order[i])) return;
}

bool QXModuleList::startModule(QXModule* module) {
    if (module->state == 1 || module->state == 2) return true;
    if (module->state == -1) return false;
    module->state = 1;
    if (!module->startup()) {
        module->state = -1;
        runtimeError("Error starting module '%s'", module->name);
    }
    QXModule** link = &first_;
    while (*link && *link != module) link = &(*link)->next;
    if (!*link) runtimeError("QXModule!");
    *link = module->next;
    module->next = first_;
    first_ = module;
    module->state = 2;
    return true;
}

void QXModuleList::stopModule(QXModule* module) {
    // State 1 here means a start that a runtime error cut short: its startup
    // never finished, so there is nothing to shut down, but forgetting the start
    // lets a later execute run startup again instead of counting it as started.
    bool started = module->state == 2;
    if (!started && module->state != 1) return;
    module->state = 0;
    if (QXResource* root = module->root) {
        module->root = nullptr;
        release(root);
    }
    if (started) module->shutdown();
}

bool QXModuleList::startModuleNamed(const char* name) {
    for (QXModule* m = first_; m; m = m->next) {
        if (std::strcmp(m->name, name) == 0) {
            startModule(m);
            return m->state != -1;
        }
    }
    runtimeError("Module '%s' not found", name);
}

void QXModuleList::selectConfig(const char* subsystem, const char* config) {
    Subsystem* s = findSubsystem(subsystem);
    if (!s) return;
    // Copy before freeing: `config` may be the current selection itself.
    char* copy = config ? copyText(config) : nullptr;
    delete[] s->config;
    s->config = copy;
}

const char* QXModuleList::selectedConfig(const char* subsystem) {
    Subsystem* s = findSubsystem(subsystem);
    if (!s) runtimeError("Subsystem '%s' not found", subsystem);
    if (!s->config) runtimeError("No config selected for subsystem '%s'", subsystem);
    return s->config;
}

bool QXModuleList::servesNow(const QXModule* module) {
    return !module->config || std::strcmp(module->config, selectedConfig(module->subsystem)) == 0;
}

bool QXModuleList::startSubsystem(const char* subsystem) {
    bool ok = true;
    walk([&](QXModule* m) {
        if (!sameText(m->subsystem, subsystem) || !servesNow(m)) return true;
        startModule(m);
        ok = m->state != -1;
        return ok;
    });
    return ok;
}

void QXModuleList::startPlainModules() {
    walk([&](QXModule* m) {
        if (!m->subsystem) startModule(m);
        return true;
    });
}

bool QXModuleList::startDriverModules() {
    bool ok = true;
    walk([&](QXModule* m) {
        if (!m->subsystem || !servesNow(m)) return true;
        startModule(m);
        ok = m->state != -1;
        return ok;
    });
    return ok;
}

void QXModuleList::stopDriverModules() {
    walk([&](QXModule* m) {
        if (m->subsystem) stopModule(m);
        return true;
    });
}

void QXModuleList::stopPlainModules() {
    walk([&](QXModule* m) {
        if (!m->subsystem) stopModule(m);
        return true;
    });
}

void QXModuleList::selectDefaultConfigs() {
    selectConfig("Gui", "Native");
    selectConfig("Audio", "Native");
    selectConfig("Screen", "DirectDraw");
    selectConfig("Canvas", "DirectDraw");
    selectConfig("Graphics", "DirectDraw");
    selectConfig("GrDriver2D", "DirectDraw");
}

// ---------------------------------------------------------------- free functions

bool startModule(QXModule* module) { return moduleList().startModule(module); }
void stopModule(QXModule* module) { moduleList().stopModule(module); }
bool startModuleNamed(const char* name) { return moduleList().startModuleNamed(name); }
void selectConfig(const char* subsystem, const char* config) { moduleList().selectConfig(subsystem, config); }
const char* selectedConfig(const char* subsystem) { return moduleList().selectedConfig(subsystem); }
bool startSubsystem(const char* subsystem) { return moduleList().startSubsystem(subsystem); }
