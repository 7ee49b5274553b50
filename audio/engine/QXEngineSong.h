#pragma once
// A song as the engine plays it: tracker modules and MIDI files each have
// their own player behind this interface.

#include <memory>

class QXEngineSong {
public:
    virtual ~QXEngineSong() = default;
    virtual bool play() = 0;  // from the start
    virtual void stop() = 0;
    virtual void setLooping(bool looping) = 0;
    virtual void setPaused(bool paused) = 0;
    virtual void setMasterVolume(int volume) = 0;  // 0 to 256
    virtual bool isPlaying() = 0;
};

class QXMixer;
// A song player for the file, or null when the file is not its kind.
using QXSongLoader = std::unique_ptr<QXEngineSong> (*)(const char* path, QXMixer& mixer);
