// The sound commands. None raises a runtime error except for a sound handle
// that is neither 0 nor a live sound.

#include <cmath>
#include <limits>

#include "audio/QXAudioDriver.h"
#include "core/QXString.h"
#include "runtime/QXRegistry.h"

namespace {
// value × scale truncated toward zero; NaN gives 0 and values beyond the
// integer range stop at its ends instead of being undefined.
int scaled(double value, double scale) {
    double product = value * scale;
    if (std::isnan(product)) return 0;
    if (product >= 2147483647.0) return std::numeric_limits<int>::max();
    if (product <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(product);
}
int volumeOf(float volume) { return scaled(volume, 255.0); }
int panOf(float pan) { return scaled(static_cast<double>(pan) + 1.0, 127.5); }

const char* textOf(QXString* text) { return text ? text->data : ""; }

QXSound* soundOf(int handle) { return handle ? checkHandle<QXSound>(handle, "Sound") : nullptr; }

QXAudioDriver& audio() { return theQXAudioDriver; }
// The engine while audio is running, else null.
QXSoundEngine* engine() { return audio().initialised() ? audio().engine() : nullptr; }

int QXCALL LoadSound(QXString* file) { return handleOf(audio().loadSound(textOf(file))); }

void QXCALL FreeSound(int handle) {
    if (QXSound* sound = soundOf(handle)) release(sound);
}

void QXCALL LoopSound(int handle) {
    QXSound* sound = soundOf(handle);
    if (sound && engine()) engine()->sampleSetMode(sound->sample, kSampleLoopNormal);
}

void QXCALL SoundPitch(int handle, int pitch) {
    if (QXSound* sound = soundOf(handle)) {
        sound->frequency = pitch;
        sound->defaultsApplied = false;
    }
}

void QXCALL SoundVolume(int handle, float volume) {
    if (QXSound* sound = soundOf(handle)) {
        sound->volume = volumeOf(volume);
        sound->defaultsApplied = false;
    }
}

void QXCALL SoundPan(int handle, float pan) {
    if (QXSound* sound = soundOf(handle)) {
        sound->pan = panOf(pan);
        sound->defaultsApplied = false;
    }
}

int QXCALL PlaySound(int handle, int flags) { return audio().playSound(soundOf(handle), flags); }

int QXCALL PlayMusic(QXString* file, int flags) { return audio().playMusic(textOf(file), flags); }

int QXCALL PlayCDTrack(int /*track*/, int /*flags*/) { return -1; }

void QXCALL StopChannel(int channel) { audio().stopChannel(channel); }

void QXCALL PauseChannel(int channel) {
    if (!engine()) return;
    if (channel >= 0)
        engine()->channelSetPaused(channel, true);
    else if (QXSong* song = audio().songOf(channel))
        engine()->songSetPaused(song->song, true);
}

void QXCALL ResumeChannel(int channel) {
    if (!engine()) return;
    if (channel >= 0)
        engine()->channelSetPaused(channel, false);
    else if (QXSong* song = audio().songOf(channel))
        engine()->songSetPaused(song->song, false);
}

void QXCALL ChannelPitch(int channel, int pitch) {
    if (engine() && channel >= 0) engine()->channelSetFrequency(channel, pitch);
}

void QXCALL ChannelVolume(int channel, float volume) {
    if (!engine()) return;
    if (channel >= 0)
        engine()->channelSetVolume(channel, volumeOf(volume));
    else if (QXSong* song = audio().songOf(channel))
        engine()->songSetMasterVolume(song->song, scaled(volume, 256.0));
}

void QXCALL ChannelPan(int channel, float pan) {
    if (engine() && channel >= 0) engine()->channelSetPan(channel, panOf(pan));
}

int QXCALL ChannelPlaying(int channel) {
    if (!engine()) return 0;
    if (channel >= 0) return engine()->channelIsPlaying(channel) ? 1 : 0;
    QXSong* song = audio().songOf(channel);
    return song && engine()->songIsPlaying(song->song) ? 1 : 0;
}

const QXSymbol commands[] = {
    QX_COMMAND("%LoadSound$filename", LoadSound),
    QX_COMMAND("FreeSound%sound", FreeSound),
    QX_COMMAND("LoopSound%sound", LoopSound),
    QX_COMMAND("SoundPitch%sound%pitch", SoundPitch),
    QX_COMMAND("SoundVolume%sound#volume", SoundVolume),
    QX_COMMAND("SoundPan%sound#pan", SoundPan),
    QX_COMMAND("%PlaySound%sound%flags=0", PlaySound),
    QX_COMMAND("%PlayMusic$file%flags=0", PlayMusic),
    QX_COMMAND("%PlayCDTrack%track%flags=0", PlayCDTrack),
    QX_COMMAND("StopChannel%channel", StopChannel),
    QX_COMMAND("PauseChannel%channel", PauseChannel),
    QX_COMMAND("ResumeChannel%channel", ResumeChannel),
    QX_COMMAND("ChannelPitch%channel%pitch", ChannelPitch),
    QX_COMMAND("ChannelVolume%channel#volume", ChannelVolume),
    QX_COMMAND("ChannelPan%channel#pan", ChannelPan),
    QX_COMMAND("%ChannelPlaying%channel", ChannelPlaying),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
