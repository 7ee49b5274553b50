// The sound commands over a recording engine: which engine operations each
// command makes with which values (volumes, pans, flags, the song cache and
// the song-name rule, stream slots), a silent start when the engine fails,
// and the module's stop freeing every sound and song.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "audio/QXAudioDriver.h"
#include "core/QXString.h"

namespace {
// What the recording engine did and how it answers.
struct EngineScript {
    bool initSucceeds = true;
    bool loadsFail = false;
    bool songsFail = false;
    int nextChannel = 5;
    std::vector<std::string> calls;
    std::set<std::string> playingSongs;
} script;

std::string number(std::uintptr_t value) { return std::to_string(value); }

class RecordingEngine final : public QXSoundEngine {
public:
    bool engineInit(int rate, int channels, int flags) override {
        log("init " + number(rate) + " " + number(channels) + " " + number(flags));
        return script.initSucceeds;
    }
    void engineClose() override { log("close"); }
    QXEngineSample* sampleLoad(int slot, const char* file, int mode, int offset, int length) override {
        log("sampleLoad " + std::to_string(slot) + " " + file + " " + number(mode) + number(offset) + number(length));
        return script.loadsFail ? nullptr : reinterpret_cast<QXEngineSample*>(++serial_);
    }
    void sampleFree(QXEngineSample* s) override { log("sampleFree " + id(s)); }
    QXSampleDefaults sampleGetDefaults(QXEngineSample*) override { return {22050, 200, 100, 50}; }
    void sampleSetDefaults(QXEngineSample* s, const QXSampleDefaults& d) override {
        log("sampleSetDefaults " + id(s) + " " + std::to_string(d.frequency) + " " + std::to_string(d.volume) + " " +
            std::to_string(d.pan) + " " + std::to_string(d.priority));
    }
    void sampleSetMode(QXEngineSample* s, int mode) override { log("sampleSetMode " + id(s) + " " + number(mode)); }
    int samplePlay(int channel, QXEngineSample* s, bool paused) override {
        log("samplePlay " + std::to_string(channel) + " " + id(s) + " " + number(paused));
        return script.nextChannel;
    }
    void channelStop(int c) override { log("channelStop " + std::to_string(c)); }
    void channelSetPaused(int c, bool p) override { log("channelSetPaused " + std::to_string(c) + " " + number(p)); }
    void channelSetFrequency(int c, int f) override {
        log("channelSetFrequency " + std::to_string(c) + " " + std::to_string(f));
    }
    void channelSetVolume(int c, int v) override { log("channelSetVolume " + std::to_string(c) + " " + std::to_string(v)); }
    void channelSetPan(int c, int p) override { log("channelSetPan " + std::to_string(c) + " " + std::to_string(p)); }
    bool channelIsPlaying(int c) override { return c == 5; }
    QXEngineSong* songLoad(const char* file) override {
        log(std::string("songLoad ") + file);
        return script.songsFail ? nullptr : reinterpret_cast<QXEngineSong*>(++serial_);
    }
    void songFree(QXEngineSong* s) override { log("songFree " + id(s)); }
    bool songPlay(QXEngineSong* s) override {
        log("songPlay " + id(s));
        script.playingSongs.insert(id(s));
        return true;
    }
    void songStop(QXEngineSong* s) override {
        log("songStop " + id(s));
        script.playingSongs.erase(id(s));
    }
    void songSetLooping(QXEngineSong* s, bool l) override { log("songSetLooping " + id(s) + " " + number(l)); }
    void songSetPaused(QXEngineSong* s, bool p) override { log("songSetPaused " + id(s) + " " + number(p)); }
    void songSetMasterVolume(QXEngineSong* s, int v) override {
        log("songSetMasterVolume " + id(s) + " " + std::to_string(v));
    }
    bool songIsPlaying(QXEngineSong* s) override { return script.playingSongs.count(id(s)) > 0; }
    QXEngineStream* streamOpen(const char* file, int, int, int) override {
        log(std::string("streamOpen ") + file);
        return script.loadsFail ? nullptr : reinterpret_cast<QXEngineStream*>(++serial_);
    }
    int streamPlay(int channel, QXEngineStream* s, bool paused) override {
        log("streamPlay " + std::to_string(channel) + " " + id(s) + " " + number(paused));
        return script.nextChannel;
    }
    void streamClose(QXEngineStream* s) override { log("streamClose " + id(s)); }

private:
    template <class T> static std::string id(T* p) { return "#" + number(reinterpret_cast<std::uintptr_t>(p)); }
    static void log(std::string call) { script.calls.push_back(std::move(call)); }
    std::uintptr_t serial_ = 0;
};

std::unique_ptr<QXSoundEngine> recordingEngine() { return std::make_unique<RecordingEngine>(); }
std::unique_ptr<QXSoundEngine> noEngine() { return nullptr; }

// The commands as compiled code calls them.
struct Commands {
    int (QXCALL* loadSound)(QXString*) = command<int(QXCALL*)(QXString*)>("%LoadSound$filename");
    void (QXCALL* freeSound)(int) = command<void(QXCALL*)(int)>("FreeSound%sound");
    void (QXCALL* loopSound)(int) = command<void(QXCALL*)(int)>("LoopSound%sound");
    void (QXCALL* soundPitch)(int, int) = command<void(QXCALL*)(int, int)>("SoundPitch%sound%pitch");
    void (QXCALL* soundVolume)(int, float) = command<void(QXCALL*)(int, float)>("SoundVolume%sound#volume");
    void (QXCALL* soundPan)(int, float) = command<void(QXCALL*)(int, float)>("SoundPan%sound#pan");
    int (QXCALL* playSound)(int, int) = command<int(QXCALL*)(int, int)>("%PlaySound%sound%flags=0");
    int (QXCALL* playMusic)(QXString*, int) = command<int(QXCALL*)(QXString*, int)>("%PlayMusic$file%flags=0");
    int (QXCALL* playCDTrack)(int, int) = command<int(QXCALL*)(int, int)>("%PlayCDTrack%track%flags=0");
    void (QXCALL* stopChannel)(int) = command<void(QXCALL*)(int)>("StopChannel%channel");
    void (QXCALL* pauseChannel)(int) = command<void(QXCALL*)(int)>("PauseChannel%channel");
    void (QXCALL* resumeChannel)(int) = command<void(QXCALL*)(int)>("ResumeChannel%channel");
    void (QXCALL* channelPitch)(int, int) = command<void(QXCALL*)(int, int)>("ChannelPitch%channel%pitch");
    void (QXCALL* channelVolume)(int, float) = command<void(QXCALL*)(int, float)>("ChannelVolume%channel#volume");
    void (QXCALL* channelPan)(int, float) = command<void(QXCALL*)(int, float)>("ChannelPan%channel#pan");
    int (QXCALL* channelPlaying)(int) = command<int(QXCALL*)(int)>("%ChannelPlaying%channel");
};

class AudioCommands : public testing::Test {
protected:
    void SetUp() override {
        stopModule(&theQXAudioDriver);
        script = EngineScript{};
        previous_ = QXAudioDriver::setEngineFactory(recordingEngine);
        ASSERT_TRUE(startModule(&theQXAudioDriver));
        ASSERT_TRUE(theQXAudioDriver.initialised());  // the engine starts on first use
        script.calls.clear();
    }
    void TearDown() override {
        stopModule(&theQXAudioDriver);
        QXAudioDriver::setEngineFactory(previous_);
    }
    int load(const char* file) { return withText(file, [&](QXString* s) { return cmd.loadSound(s); }); }
    int music(const char* file, int flags = 0) {
        return withText(file, [&](QXString* s) { return cmd.playMusic(s, flags); });
    }
    template <class F> int withText(const char* text, F body) {
        QXString* s = QXString::fromCText(text);
        int result = body(s);
        release(s);
        return result;
    }
    std::vector<std::string> takeCalls() {
        std::vector<std::string> calls = std::move(script.calls);
        script.calls.clear();
        return calls;
    }

    Commands cmd;
    QXAudioDriver::EngineFactory previous_ = nullptr;
};
using Calls = std::vector<std::string>;
}  // namespace

TEST_F(AudioCommands, FirstUseInitialisesTheEngineAndStopFreesEverything) {
    stopModule(&theQXAudioDriver);
    script.calls.clear();
    ASSERT_TRUE(startModule(&theQXAudioDriver));
    EXPECT_EQ(takeCalls(), Calls{});  // a program that plays nothing never opens the device
    EXPECT_NE(load("a.wav"), 0);
    EXPECT_EQ(takeCalls(), (Calls{"init 44100 256 1", "sampleLoad -1 a.wav 000"}));
    EXPECT_NE(load("b.wav"), 0);
    EXPECT_LT(music("song.mid"), 0);
    takeCalls();
    stopModule(&theQXAudioDriver);
    Calls calls = takeCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls.back(), "close");  // the engine closes after its sounds and songs are freed
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](auto& c) { return c.starts_with("sampleFree"); }), 2);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](auto& c) { return c.starts_with("songFree"); }), 1);
}

TEST_F(AudioCommands, SoundsTakeTheEnginesDefaultsAndPassChangedOnesOnPlay) {
    int sound = load("Shot.WAV");
    ASSERT_NE(sound, 0);
    EXPECT_EQ(takeCalls(), Calls{"sampleLoad -1 Shot.WAV 000"});
    auto* object = reinterpret_cast<QXSound*>(static_cast<std::uintptr_t>(sound));
    EXPECT_EQ(object->frequency, 22050);
    EXPECT_EQ(object->volume, 200);
    EXPECT_EQ(object->pan, 100);
    EXPECT_EQ(object->priority, 50);
    EXPECT_TRUE(object->defaultsApplied);

    // Unchanged defaults are not sent again.
    EXPECT_EQ(cmd.playSound(sound, 0), 5);
    EXPECT_EQ(takeCalls(), Calls{"samplePlay -1 #1 0"});

    struct Case {
        float value;
        int expect;
    };
    for (Case c : {Case{0.5f, 127}, Case{1.0f, 255}, Case{0.0f, 0}, Case{0.999f, 254}}) {
        cmd.soundVolume(sound, c.value);
        EXPECT_EQ(object->volume, c.expect) << c.value;
    }
    for (Case c : {Case{-1.0f, 0}, Case{0.0f, 127}, Case{1.0f, 255}, Case{-0.5f, 63}}) {
        cmd.soundPan(sound, c.value);
        EXPECT_EQ(object->pan, c.expect) << c.value;
    }
    cmd.soundVolume(sound, 0.5f);
    cmd.soundPitch(sound, 11025);
    EXPECT_FALSE(object->defaultsApplied);
    EXPECT_EQ(cmd.playSound(sound, 2), 5);  // paused
    EXPECT_EQ(takeCalls(), (Calls{"sampleSetDefaults #1 11025 127 63 50", "samplePlay -1 #1 1"}));
    EXPECT_TRUE(object->defaultsApplied);

    // Absurd values stop at the integer range instead of misbehaving.
    cmd.soundVolume(sound, 1e30f);
    EXPECT_EQ(object->volume, 2147483647);
}

TEST_F(AudioCommands, PlayingOnceWithTheLoopFlagLoopsEveryLaterPlay) {
    int sound = load("loop.wav");
    takeCalls();
    cmd.soundVolume(sound, 1.0f);
    cmd.playSound(sound, 1);
    EXPECT_EQ(takeCalls(), (Calls{"sampleSetDefaults #1 22050 255 100 50", "sampleSetMode #1 2", "samplePlay -1 #1 0"}));
    cmd.playSound(sound, 0);
    EXPECT_EQ(takeCalls(), Calls{"samplePlay -1 #1 0"});  // the sample stays in loop mode
    cmd.loopSound(sound);
    EXPECT_EQ(takeCalls(), Calls{"sampleSetMode #1 2"});
}

TEST_F(AudioCommands, ZeroSoundsAndFailedPlaysAnswerZero) {
    EXPECT_EQ(cmd.playSound(0, 0), 0);
    cmd.freeSound(0);
    cmd.loopSound(0);
    cmd.soundPitch(0, 1);
    cmd.soundVolume(0, 1);
    cmd.soundPan(0, 1);
    EXPECT_TRUE(takeCalls().empty());
    int sound = load("x.wav");
    script.nextChannel = -1;
    EXPECT_EQ(cmd.playSound(sound, 0), 0);
    script.loadsFail = true;
    EXPECT_EQ(load("missing.wav"), 0);
    EXPECT_EQ(music("missing.ogg"), 0);
    for (int track : {0, 1, 99, -5}) EXPECT_EQ(cmd.playCDTrack(track, 0), -1);
    // A handle that is not a sound stops the program with the usual message.
    EXPECT_EQ(runtimeErrorOf([&] { cmd.playSound(12345, 0); }), "Invalid Sound handle");
}

TEST_F(AudioCommands, FreeSoundFreesTheSampleOnce) {
    int sound = load("x.wav");
    takeCalls();
    cmd.freeSound(sound);
    EXPECT_EQ(takeCalls(), Calls{"sampleFree #1"});
    stopModule(&theQXAudioDriver);
    EXPECT_EQ(takeCalls(), Calls{"close"});
}

TEST_F(AudioCommands, SongsAreCachedByNameInAnyLetterCase) {
    int first = music("Theme.MOD", 0);
    EXPECT_EQ(first, static_cast<int>(0x80000000u));
    EXPECT_EQ(takeCalls(), (Calls{"songLoad Theme.MOD", "songSetLooping #1 0", "songStop #1", "songSetLooping #1 0",
                                  "songPlay #1"}));
    EXPECT_EQ(music("theme.mod", 3), first);  // looped and paused, not loaded again
    EXPECT_EQ(takeCalls(), (Calls{"songStop #1", "songSetLooping #1 1", "songPlay #1", "songSetPaused #1 1"}));
    int second = music("other.xm");
    EXPECT_EQ(second, static_cast<int>(0x80000001u));
    EXPECT_EQ(cmd.channelPlaying(second), 1);

    takeCalls();
    cmd.channelVolume(first, 1.0f);
    cmd.channelVolume(first, 0.5f);
    cmd.pauseChannel(first);
    cmd.resumeChannel(first);
    cmd.channelPitch(first, 1000);  // ignored for songs
    cmd.channelPan(first, 1.0f);    // ignored for songs
    cmd.stopChannel(first);
    EXPECT_EQ(takeCalls(), (Calls{"songSetMasterVolume #1 256", "songSetMasterVolume #1 128", "songSetPaused #1 1",
                                  "songSetPaused #1 0", "songStop #1"}));
    EXPECT_EQ(cmd.channelPlaying(first), 0);
    // An empty song slot: nothing happens.
    cmd.stopChannel(static_cast<int>(0x80000123u));
    cmd.channelVolume(static_cast<int>(0x80000123u), 1.0f);
    EXPECT_EQ(cmd.channelPlaying(static_cast<int>(0x80000123u)), 0);
    EXPECT_TRUE(takeCalls().empty());
}

TEST_F(AudioCommands, SongNamesAreFoundAnywhereInTheFileName) {
    script.songsFail = true;
    EXPECT_EQ(music("my.model.wav"), 0);
    EXPECT_EQ(takeCalls(), Calls{"songLoad my.model.wav"});
    for (const char* name : {"a.S3M", "b.xm", "c.it", "d.MID", "e.rmi", "f.sgt", "g.midi.ogg", "split.it.wav"}) {
        EXPECT_EQ(music(name), 0) << name;
        EXPECT_EQ(takeCalls(), Calls{std::string("songLoad ") + name});
    }
    script.songsFail = false;
    EXPECT_GE(music("music.ogg"), 0);
    EXPECT_EQ(takeCalls().front(), "streamOpen music.ogg");
}

TEST_F(AudioCommands, StreamsHoldTheirChannelsSlotUntilStoppedOrReplaced) {
    EXPECT_EQ(music("a.ogg", 2), 5);
    EXPECT_EQ(takeCalls(), (Calls{"streamOpen a.ogg", "streamPlay -1 #1 1"}));
    EXPECT_EQ(music("b.wav", 1), 5);  // same channel: the first stream is closed
    EXPECT_EQ(takeCalls(), (Calls{"streamOpen b.wav", "streamPlay -1 #2 0", "streamClose #1"}));
    int sound = load("s.wav");
    takeCalls();
    cmd.playSound(sound, 0);  // a sample on that channel closes the stream too
    EXPECT_EQ(takeCalls(), (Calls{"samplePlay -1 #3 0", "streamClose #2"}));
    music("c.wav");
    takeCalls();
    cmd.stopChannel(5);
    EXPECT_EQ(takeCalls(), (Calls{"channelStop 5", "streamClose #4"}));
    cmd.stopChannel(5);
    EXPECT_EQ(takeCalls(), Calls{"channelStop 5"});
    script.nextChannel = -1;
    EXPECT_EQ(music("d.wav"), 0);
    EXPECT_EQ(takeCalls(), (Calls{"streamOpen d.wav", "streamPlay -1 #5 0", "streamClose #5"}));
}

TEST_F(AudioCommands, ChannelCommandsPassScaledValues) {
    cmd.channelVolume(7, 0.5f);
    cmd.channelPan(7, -1.0f);
    cmd.channelPan(7, 0.0f);
    cmd.channelPan(7, 1.0f);
    cmd.channelPitch(7, 8000);
    cmd.pauseChannel(7);
    cmd.resumeChannel(7);
    EXPECT_EQ(takeCalls(), (Calls{"channelSetVolume 7 127", "channelSetPan 7 0", "channelSetPan 7 127",
                                  "channelSetPan 7 255", "channelSetFrequency 7 8000", "channelSetPaused 7 1",
                                  "channelSetPaused 7 0"}));
    EXPECT_EQ(cmd.channelPlaying(5), 1);
    EXPECT_EQ(cmd.channelPlaying(6), 0);
}

TEST_F(AudioCommands, WithoutAnEngineEverythingIsSilent) {
    for (auto factory : {noEngine, +[] {
             script.initSucceeds = false;
             return recordingEngine();
         }}) {
        stopModule(&theQXAudioDriver);
        QXAudioDriver::setEngineFactory(factory);
        testDebugger().events.clear();
        ASSERT_TRUE(startModule(&theQXAudioDriver));
        EXPECT_FALSE(theQXAudioDriver.initialised());
        script.calls.clear();
        EXPECT_EQ(load("a.wav"), 0);
        EXPECT_EQ(music("a.ogg"), 0);
        EXPECT_EQ(music("a.mod"), 0);
        EXPECT_EQ(cmd.channelPlaying(5), 0);
        EXPECT_EQ(cmd.channelPlaying(-1), 0);
        cmd.stopChannel(5);
        cmd.channelVolume(5, 1);
        cmd.pauseChannel(-1);
        EXPECT_EQ(cmd.playCDTrack(1, 0), -1);
        EXPECT_TRUE(script.calls.empty());
        EXPECT_TRUE(testDebugger().events.empty());  // no message of any kind
    }
}

TEST(AudioModule, ThePlatformEngineStartsOrStaysSilent) {
    // On a machine without a sound device the engine cannot start; either way
    // the module starts and commands answer.
    stopModule(&theQXAudioDriver);
    testDebugger().events.clear();
    ASSERT_TRUE(startModule(&theQXAudioDriver));
    EXPECT_TRUE(testDebugger().events.empty());
    auto loadSound = command<int(QXCALL*)(QXString*)>("%LoadSound$filename");
    QXString* name = QXString::fromCText("no such file.wav");
    EXPECT_EQ(loadSound(name), 0);
    release(name);
    stopModule(&theQXAudioDriver);
}
