#pragma once
// Modules: the parts of the runtime that need start-up work. Each registers
// from a static instance declared beside its class:
//
//     QX_MODULE_INSTANCE(QXStringModule, 2);
//
// The rank fixes the registration order across files (the runtime's table
// order); registering puts a module at the front of the list.

#include "runtime/QXObject.h"
#include "runtime/QXRegistry.h"  // QX_CONCAT

class QXModule;

// The list of modules and the table of subsystems. The runtime has one
// (moduleList()); tests may build their own.
class QXModuleList {
public:
    static constexpr int kMaxSubsystems = 100;
    // Far more than the runtime registers; walks snapshot the list into an array this long.
    static constexpr int kMaxModules = 256;

    constexpr QXModuleList() = default;
    ~QXModuleList();
    QXModuleList(const QXModuleList&) = delete;
    QXModuleList& operator=(const QXModuleList&) = delete;

    void add(QXModule* module);  // at the front
    void addSubsystem(const char* subsystem);

    bool startModule(QXModule* module);
    void stopModule(QXModule* module);
    bool startModuleNamed(const char* name);
    void selectConfig(const char* subsystem, const char* config);
    const char* selectedConfig(const char* subsystem);
    bool startSubsystem(const char* subsystem);
    void startPlainModules();
    bool startDriverModules();
    void stopDriverModules();
    void stopPlainModules();
    void selectDefaultConfigs();

    QXModule* first() const { return first_; }
    bool servesNow(const QXModule* module);

private:
    struct Subsystem {
        const char* name;
        char* config;  // private copy, or null
    };
    Subsystem* findSubsystem(const char* name);
    // Visits the modules in the order the list has when the walk begins.
    template <class Fn> void walk(Fn&& visit);

    QXModule* first_ = nullptr;
    Subsystem subsystems_[kMaxSubsystems] = {};
    int subsystemCount_ = 0;
};

QXModuleList& moduleList();

class QXModule {
public:
    // Joins `list` (the runtime's own by default) at the front.
    explicit QXModule(QXModuleList& list = moduleList());
    QXModule(const QXModule&) = delete;
    QXModule& operator=(const QXModule&) = delete;

    virtual bool startup();
    virtual void shutdown();

    void registerModule(const char* name, const char* subsystem, const char* config);
    // Makes the module's root resource an owner of `resource`.
    void addModuleResource(QXResource* resource);
    // The list the module belongs to (for starting its dependencies).
    QXModuleList& list() const { return list_; }

    QXModule* next = nullptr;
    const char* name = "";
    const char* subsystem = nullptr;
    const char* config = nullptr;
    int state = 0;  // 0 stopped, 1 starting, 2 started, -1 failed
    QXResource* root = nullptr;

private:
    QXModuleList& list_;
};

bool startModule(QXModule* module);
void stopModule(QXModule* module);
bool startModuleNamed(const char* name);
void selectConfig(const char* subsystem, const char* config);
const char* selectedConfig(const char* subsystem);
bool startSubsystem(const char* subsystem);

#define QX_MODULE_INSTANCE(Class, rank) \
    Class QX_CONCAT(the, Class) __attribute__((init_priority(1000 + (rank))))
