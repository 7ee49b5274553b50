#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "runtime/QXModule.h"

namespace {

using Journal = std::vector<std::string>;

// A module that notes its startup and shutdown and starts what it needs:
// "subsystem:X" starts subsystem X, anything else the module of that name.
class TestModule : public QXModule {
public:
    TestModule(QXModuleList& list, Journal& journal, const char* name, const char* subsystem = nullptr,
               const char* config = nullptr, std::vector<std::string> needs = {})
        : QXModule(list), journal_(journal), needs_(std::move(needs)) {
        registerModule(name, subsystem, config);
    }

    bool startup() override {
        ++startups;
        journal_.push_back(std::string("start ") + name);
        for (const std::string& need : needs_) {
            bool ok = need.starts_with("subsystem:") ? list().startSubsystem(need.c_str() + 10)
                                                      : list().startModuleNamed(need.c_str());
            if (!ok) return false;
            dependencyAnswers.push_back(ok);
        }
        return works;
    }
    void shutdown() override {
        ++shutdowns;
        journal_.push_back(std::string("stop ") + name);
    }

    bool works = true;
    int startups = 0, shutdowns = 0;
    std::vector<bool> dependencyAnswers;

private:
    Journal& journal_;
    std::vector<std::string> needs_;
};

// A resource that notes when it is freed.
struct NotedResource : QXResource {
    NotedResource(std::string name, Journal& journal) : name(std::move(name)), journal(journal) {}
    ~NotedResource() override { journal.push_back("free " + name); }
    std::string name;
    Journal& journal;
};

Journal withPrefix(const Journal& journal, const std::string& prefix) {
    Journal out;
    for (const std::string& entry : journal)
        if (entry.starts_with(prefix)) out.push_back(entry.substr(prefix.size()));
    return out;
}

std::size_t positionOf(const Journal& journal, const std::string& entry) {
    return std::find(journal.begin(), journal.end(), entry) - journal.begin();
}

// The runtime's modules in registration order, with their start-up dependencies.
struct Row {
    const char* name;
    const char* subsystem;
    const char* config;
    std::vector<std::string> needs;
};
const std::vector<Row> kRuntimeModules = {
    {"QXUserLibs", nullptr, nullptr, {}},
    {"QXString", nullptr, nullptr, {}},
    {"QXQueFilter", nullptr, nullptr, {}},
    {"Win32CatchFilter", nullptr, nullptr, {}},
    {"Win32EventDriver", nullptr, nullptr, {}},
    {"Win32FontDriver", nullptr, nullptr, {}},
    {"Win32GuiDriver", "Gui", "Native", {"subsystem:Screen"}},
    {"Win32DD", "Graphics", "DirectDraw", {}},
    {"Win32DDScreenDriver", "Screen", "DirectDraw", {"Win32DD"}},
    {"Q2DEventFilter", nullptr, nullptr, {}},
    {"Q2DGraphicsDriver", "Graphics", nullptr, {"subsystem:Screen", "subsystem:GrDriver2D"}},
    {"Win32DDCanvasDriver", "Canvas", "DirectDraw", {"subsystem:Gui"}},
    {"Win32TimerDriver", nullptr, nullptr, {}},
    {"QXTcpIp", nullptr, nullptr, {}},
    {"Win32DPNetGame", nullptr, nullptr, {}},
    {"Win32Joystick", nullptr, nullptr, {}},
    {"Win32DSMovieDriver", "Graphics", "DirectDraw", {"Win32DD"}},
    {"Win32DDGrDriver2D", "GrDriver2D", "DirectDraw", {"Win32DD", "Win32FontDriver"}},
    {"Win32DIB", nullptr, nullptr, {}},
    {"Win32GL", "Graphics", "OpenGL", {}},
    {"Win32GLGrDriver2D", "GrDriver2D", "OpenGL", {"Win32GL", "Win32FontDriver"}},
    {"Win32GLScreenDriver", "Screen", "OpenGL", {"Win32GL"}},
    {"Win32GLCanvasDriver", "Canvas", "OpenGL", {"subsystem:Gui"}},
    {"Win32GDI", nullptr, nullptr, {}},
    {"Win32GDICanvasDriver", "Canvas", "Native", {"subsystem:Gui"}},
    {"Win32GDIGrDriver2D", "GrDriver2D", "Native", {"Win32GDI", "Win32FontDriver"}},
    {"Win32GDIScreenDriver", "Screen", "Native", {"Win32GDI"}},
    {"QXAudioDriver", "Audio", "Native", {}},
};

struct RuntimeMirror {
    RuntimeMirror() {
        for (const Row& row : kRuntimeModules)
            modules.push_back(
                std::make_unique<TestModule>(list, journal, row.name, row.subsystem, row.config, row.needs));
    }
    void start() {
        list.selectDefaultConfigs();
        list.startPlainModules();
        EXPECT_TRUE(list.startDriverModules());
    }
    void stop() {
        list.stopDriverModules();
        list.stopPlainModules();
    }
    Journal running() const {
        Journal names;
        for (const auto& m : modules)
            if (m->state == 2) names.push_back(m->name);
        std::sort(names.begin(), names.end());
        return names;
    }
    Journal listOrder() const {
        Journal names;
        for (QXModule* m = list.first(); m; m = m->next) names.push_back(m->name);
        return names;
    }

    QXModuleList list;
    Journal journal;
    std::vector<std::unique_ptr<TestModule>> modules;
};

const Journal kDefaultStarts = {
    "Win32GDI", "Win32DIB", "Win32Joystick", "Win32DPNetGame", "QXTcpIp", "Win32TimerDriver", "Q2DEventFilter",
    "Win32FontDriver", "Win32EventDriver", "Win32CatchFilter", "QXQueFilter", "QXString", "QXUserLibs",
    "QXAudioDriver", "Win32DDGrDriver2D", "Win32DD", "Win32DSMovieDriver", "Win32DDCanvasDriver", "Win32GuiDriver",
    "Win32DDScreenDriver", "Q2DGraphicsDriver"};

// Each module stops before the modules its startup started.
void expectDependantsStopFirst(const Journal& journal) {
    const std::pair<const char*, const char*> dependencies[] = {
        {"Win32DDScreenDriver", "Win32DD"},     {"Win32DSMovieDriver", "Win32DD"},
        {"Win32DDGrDriver2D", "Win32DD"},       {"Win32DDCanvasDriver", "Win32GuiDriver"},
        {"Win32GuiDriver", "Win32DDScreenDriver"}, {"Q2DGraphicsDriver", "Win32DDScreenDriver"},
        {"Q2DGraphicsDriver", "Win32DDGrDriver2D"}, {"Win32DDGrDriver2D", "Win32FontDriver"}};
    for (const auto& [dependant, dependency] : dependencies)
        EXPECT_LT(positionOf(journal, std::string("stop ") + dependant),
                  positionOf(journal, std::string("stop ") + dependency))
            << dependant << " / " << dependency;
}

TEST(ModuleTable, RuntimeModulesStartAndStopInTheDocumentedOrder) {
    RuntimeMirror runtime;
    runtime.start();
    EXPECT_EQ(withPrefix(runtime.journal, "start "), kDefaultStarts) << "every startup runs once, in this order";
    Journal expectedRunning = kDefaultStarts;
    std::sort(expectedRunning.begin(), expectedRunning.end());
    EXPECT_EQ(runtime.running(), expectedRunning) << "the other configurations stay stopped";
    EXPECT_EQ(runtime.listOrder().front(), "Q2DGraphicsDriver");

    runtime.journal.clear();
    runtime.stop();
    const Journal expectedStops = {
        "Q2DGraphicsDriver", "Win32DDCanvasDriver", "Win32GuiDriver", "Win32DDScreenDriver", "Win32DSMovieDriver",
        "Win32DDGrDriver2D", "Win32DD", "QXAudioDriver", "QXUserLibs", "QXString", "QXQueFilter",
        "Win32CatchFilter", "Win32EventDriver", "Win32FontDriver", "Q2DEventFilter", "Win32TimerDriver", "QXTcpIp",
        "Win32DPNetGame", "Win32Joystick", "Win32DIB", "Win32GDI"};
    EXPECT_EQ(withPrefix(runtime.journal, "stop "), expectedStops);
    EXPECT_TRUE(runtime.running().empty());

    // A second run starts the same modules once each, from the reordered list.
    runtime.journal.clear();
    runtime.start();
    Journal restarted = withPrefix(runtime.journal, "start ");
    std::sort(restarted.begin(), restarted.end());
    EXPECT_EQ(restarted, expectedRunning);
    runtime.stop();
    expectDependantsStopFirst(runtime.journal);
    for (const auto& m : runtime.modules) EXPECT_EQ(m->startups, m->shutdowns) << m->name;
}

// The runtime's own list, as its modules registered themselves: the plain
// modules (no subsystem) in the order the mirror above starts them.
TEST(ModuleTable, TheRuntimesPlainModulesRegisterInTheDocumentedOrder) {
    Journal plain;
    for (QXModule* module = moduleList().first(); module; module = module->next)
        if (!module->subsystem) plain.push_back(module->name);
    const Journal expected(kDefaultStarts.begin(), kDefaultStarts.begin() + 13);
    EXPECT_EQ(plain, expected);
}

TEST(ModuleTable, ReconfigurationRestartsEveryDriverModule) {
    RuntimeMirror runtime;
    runtime.start();
    for (const char* subsystem : {"Screen", "Canvas", "Graphics", "GrDriver2D"})
        runtime.list.selectConfig(subsystem, "OpenGL");
    runtime.journal.clear();
    runtime.list.stopDriverModules();
    EXPECT_TRUE(runtime.list.startDriverModules());

    const Journal stopped = withPrefix(runtime.journal, "stop ");
    EXPECT_EQ(std::count(stopped.begin(), stopped.end(), "QXAudioDriver"), 1)
        << "drivers of unchanged subsystems restart too";
    EXPECT_EQ(std::count(stopped.begin(), stopped.end(), "Win32GDI"), 0) << "plain modules keep running";
    Journal expected(kDefaultStarts.begin(), kDefaultStarts.begin() + 13);  // the plain modules
    for (const char* driver : {"QXAudioDriver", "Win32GuiDriver", "Q2DGraphicsDriver", "Win32GL",
                               "Win32GLGrDriver2D", "Win32GLScreenDriver", "Win32GLCanvasDriver"})
        expected.push_back(driver);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(runtime.running(), expected);
    runtime.stop();
}

TEST(Module, StartRules) {
    QXModuleList list;
    Journal journal;
    TestModule plain(list, journal, "Plain");
    TestModule selfish(list, journal, "Selfish", nullptr, nullptr, {"Selfish"});
    TestModule ping(list, journal, "Ping", nullptr, nullptr, {"Pong"});
    TestModule pong(list, journal, "Pong", nullptr, nullptr, {"Ping"});

    EXPECT_TRUE(list.startModule(&plain));
    EXPECT_TRUE(list.startModule(&plain));
    EXPECT_EQ(plain.startups, 1);
    EXPECT_EQ(plain.state, 2);

    EXPECT_TRUE(list.startModule(&selfish));
    EXPECT_EQ(selfish.startups, 1);
    EXPECT_EQ(selfish.dependencyAnswers, std::vector<bool>{true}) << "its own start counts as done";

    EXPECT_TRUE(list.startModuleNamed("Ping"));
    EXPECT_EQ(ping.startups, 1);
    EXPECT_EQ(pong.startups, 1);
    EXPECT_EQ(pong.dependencyAnswers, std::vector<bool>{true});
    EXPECT_EQ(list.first(), &ping);
    EXPECT_EQ(ping.next, &pong) << "the module started on demand stands behind the one that asked";

    journal.clear();
    list.stopPlainModules();
    EXPECT_EQ(withPrefix(journal, "stop "), (Journal{"Ping", "Pong", "Selfish", "Plain"}));
    EXPECT_EQ(plain.state, 0);

    // After a stop a module starts afresh and moves to the front again.
    EXPECT_TRUE(list.startModule(&plain));
    EXPECT_EQ(plain.startups, 2);
    EXPECT_EQ(list.first(), &plain);
    list.stopModule(&plain);
    list.stopModule(&plain);
    EXPECT_EQ(plain.shutdowns, 2) << "a stopped module is not shut down again";

    EXPECT_EQ(runtimeErrorOf([&] { list.startModuleNamed("Ghost"); }), "Module 'Ghost' not found");
    EXPECT_EQ(runtimeErrorOf([&] { list.startModuleNamed("plain"); }), "Module 'plain' not found");

    QXModuleList otherList;
    EXPECT_EQ(runtimeErrorOf([&] { otherList.startModule(&plain); }), "QXModule!");
}

TEST(Module, FailedStartsReportOnceAndInterruptedStartsRunAgain) {
    QXModuleList list;
    Journal journal;
    TestModule broken(list, journal, "Broken");
    TestModule needy(list, journal, "Needy", nullptr, nullptr, {"Broken"});
    TestModule driver(list, journal, "Driver", "Gui", "Native");
    broken.works = false;
    list.selectConfig("Gui", "Native");

    EXPECT_EQ(runtimeErrorOf([&] { list.startModule(&needy); }), "Error starting module 'Broken'");
    EXPECT_EQ(broken.state, -1);
    bool answer = true;
    EXPECT_EQ(runtimeErrorOf([&] { answer = list.startModule(&broken); }), std::nullopt) << "no second report";
    EXPECT_FALSE(answer);
    EXPECT_EQ(runtimeErrorOf([&] { answer = list.startModuleNamed("Broken"); }), std::nullopt);
    EXPECT_FALSE(answer);
    EXPECT_EQ(broken.startups, 1);

    // The runtime error left Needy half started; stopping forgets that start
    // without a shutdown, so the next start runs its startup again.
    list.stopPlainModules();
    EXPECT_EQ(needy.state, 0);
    EXPECT_EQ(needy.shutdowns, 0);
    EXPECT_EQ(broken.state, -1);
    EXPECT_EQ(broken.shutdowns, 0);
    EXPECT_EQ(runtimeErrorOf([&] { list.startModule(&needy); }), "Error starting module 'Needy'");
    EXPECT_EQ(needy.startups, 2);

    // A failed driver makes the driver walks answer false.
    driver.works = false;
    EXPECT_EQ(runtimeErrorOf([&] { list.startDriverModules(); }), "Error starting module 'Driver'");
    EXPECT_EQ(runtimeErrorOf([&] { answer = list.startDriverModules(); }), std::nullopt);
    EXPECT_FALSE(answer);
    EXPECT_EQ(runtimeErrorOf([&] { answer = list.startSubsystem("Gui"); }), std::nullopt);
    EXPECT_FALSE(answer);
}

TEST(Module, ConfigurationSelection) {
    QXModuleList list;
    Journal journal;
    TestModule native(list, journal, "NativeGui", "Gui", "Native");
    TestModule other(list, journal, "OtherGui", "Gui", "Other");
    TestModule any(list, journal, "AnyGui", "Gui", nullptr);
    TestModule plain(list, journal, "Plain");

    EXPECT_EQ(runtimeErrorOf([&] { list.selectedConfig("Sound"); }), "Subsystem 'Sound' not found");
    EXPECT_EQ(runtimeErrorOf([&] { list.selectedConfig("Gui"); }), "No config selected for subsystem 'Gui'");
    list.selectConfig("gui", "Native");
    list.selectConfig("Sound", "Native");
    EXPECT_EQ(runtimeErrorOf([&] { list.selectedConfig("Gui"); }), "No config selected for subsystem 'Gui'")
        << "subsystem names are case-sensitive";
    EXPECT_EQ(runtimeErrorOf([&] { list.selectedConfig("Sound"); }), "Subsystem 'Sound' not found")
        << "selecting for an unknown subsystem adds nothing";

    char text[] = "Native";
    list.selectConfig("Gui", text);
    text[0] = 'X';
    EXPECT_STREQ(list.selectedConfig("Gui"), "Native") << "the selection is a private copy";
    list.selectConfig("Gui", list.selectedConfig("Gui"));
    EXPECT_STREQ(list.selectedConfig("Gui"), "Native");

    EXPECT_TRUE(list.startSubsystem("Gui"));
    EXPECT_EQ(native.state, 2);
    EXPECT_EQ(any.state, 2) << "a module without a configuration serves any";
    EXPECT_EQ(other.state, 0);
    EXPECT_EQ(plain.state, 0);

    list.selectConfig("Gui", "native");
    list.stopDriverModules();
    EXPECT_TRUE(list.startDriverModules());
    EXPECT_EQ(native.state, 0) << "configurations are case-sensitive";
    EXPECT_EQ(any.state, 2);
    list.stopDriverModules();
}

TEST(Module, StoppingReleasesTheRootsResources) {
    QXModuleList list;
    Journal journal;
    TestModule module(list, journal, "Owner");
    ASSERT_TRUE(list.startModule(&module));
    auto* first = new NotedResource("first", journal);
    auto* freedEarly = new NotedResource("freedEarly", journal);
    auto* kept = new NotedResource("kept", journal);
    auto* last = new NotedResource("last", journal);
    for (QXResource* r : std::vector<QXResource*>{first, freedEarly, kept, last}) module.addModuleResource(r);
    EXPECT_NE(module.root, nullptr);
    release(freedEarly);
    retain(kept);

    journal.clear();
    list.stopModule(&module);
    EXPECT_EQ(journal, (Journal{"free first", "free last", "stop Owner"})) << "oldest first, then shutdown";
    EXPECT_EQ(module.root, nullptr);
    ASSERT_TRUE(isLiveObject(kept));
    EXPECT_EQ(kept->refCount, 1);
    release(kept);

    // A restarted module gets a fresh root.
    ASSERT_TRUE(list.startModule(&module));
    module.addModuleResource(new NotedResource("again", journal));
    journal.clear();
    list.stopPlainModules();
    EXPECT_EQ(journal, (Journal{"free again", "stop Owner"}));
}

}  // namespace
