// Module start-up natively: order, a failing start, and a start that starts
// another subsystem from inside the walk.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/QXModule.h"
#include "support/QXNativeRuntimeError.h"

namespace {

std::vector<std::string> started;

class Recorded : public QXModule {
public:
    Recorded(QXModuleList& list, const char* moduleName, bool ok = true, const char* subsystem = nullptr)
        : QXModule(list), ok_(ok) {
        registerModule(moduleName, subsystem, nullptr);
    }
    bool startup() override {
        started.push_back(name);
        if (onStart) onStart();
        return ok_;
    }
    void (*onStart)() = nullptr;

private:
    bool ok_;
};

TEST(ModuleNative, PlainModulesStartOnceInListOrder) {
    started.clear();
    QXModuleList list;
    Recorded a(list, "a"), b(list, "b"), c(list, "c");
    list.startPlainModules();
    list.startPlainModules();
    EXPECT_EQ(started, (std::vector<std::string>{"c", "b", "a"}));
}

TEST(ModuleNative, AFailingStartIsARuntimeErrorAndIsNotRetried) {
    started.clear();
    QXModuleList list;
    Recorded good(list, "good"), bad(list, "bad", false), first(list, "first");
    try {
        list.startPlainModules();
        FAIL() << "no error";
    } catch (const QXNativeRuntimeError& error) {
        EXPECT_STREQ(error.what(), "Error starting module 'bad'");
    }
    EXPECT_EQ(started, (std::vector<std::string>{"first", "bad"}));
    EXPECT_EQ(bad.state, -1);
    EXPECT_FALSE(list.startModule(&bad));
    list.stopPlainModules();
    EXPECT_EQ(first.state, 0);
}

QXModuleList* nestedList = nullptr;

TEST(ModuleNative, AStartMayStartASubsystemDuringTheWalk) {
    started.clear();
    QXModuleList list;
    nestedList = &list;
    Recorded driver(list, "driver", true, "Gui");
    Recorded plain(list, "plain");
    list.selectConfig("Gui", "Native");
    plain.onStart = [] { nestedList->startSubsystem("Gui"); };
    list.startPlainModules();
    list.startDriverModules();
    EXPECT_EQ(started, (std::vector<std::string>{"plain", "driver"}));
    EXPECT_EQ(driver.state, 2);
}

}  // namespace
