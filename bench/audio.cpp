// The sound engine: mixing 64 and 256 playing channels (44.1 kHz stereo,
// resampled sounds at varied pitches, volumes and pans) as a fraction of real
// time on one core; and loading a 10-second stereo Ogg Vorbis and WAVE file
// through the engine against stb_vorbis alone and a plain read of the same
// bytes. Sound files come from the build's audio-data folder (made by sox and
// oggenc); the load part is skipped without them.

#include "bench/BenchSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

#include "audio/engine/QXMixEngine.h"
#include "audio/engine/QXMixer.h"
#include "audio/engine/QXSoundFile.h"

namespace {
constexpr int kRate = 44100;
constexpr int kRepeats = 3;  // the best of these counts

std::shared_ptr<QXPcm> tone(int rate, int channels, double hz, int seconds) {
    auto pcm = std::make_shared<QXPcm>();
    pcm->format = {rate, channels};
    pcm->samples.resize(static_cast<std::size_t>(rate) * seconds * channels);
    for (std::size_t i = 0; i < pcm->samples.size(); ++i)
        pcm->samples[i] = static_cast<std::int16_t>(8000 * std::sin(2 * 3.14159265 * hz * (i / channels) / rate));
    return pcm;
}

// Whether the last mix made sound (a silent mix would be work skipped).
bool mixedSound = false;

// Seconds of mixing per second of sound.
double mixCost(int channels) {
    QXMixer mixer(kRate, 256);
    auto mono = tone(22050, 1, 440, 2);
    auto stereo = tone(44100, 2, 330, 2);
    for (int i = 0; i < channels; ++i) {
        QXVoiceSettings settings;
        settings.frequency = 11025 + (i * 997) % 44100;
        settings.volume = 64 + i % 192;
        settings.pan = (i * 37) % 256;
        settings.loopMode = kLoopNormal;
        mixer.playSample(i % 2 ? mono : stereo, settings, false);
    }
    std::vector<std::int16_t> out(2 * 4096);
    const int seconds = 10;
    double best = 1e9;
    for (int r = 0; r < kRepeats; ++r) {
        double start = now();
        for (int frames = 0; frames < seconds * kRate; frames += 4096) mixer.render(out.data(), 4096);
        best = std::min(best, (now() - start) / seconds);
    }
    mixedSound = std::any_of(out.begin(), out.end(), [](std::int16_t s) { return s != 0; });
    return best;
}

double bestOf(double (*run)(const std::string&), const std::string& path) {
    double best = 1e9;
    for (int r = 0; r < kRepeats; ++r) best = std::min(best, run(path));
    return best;
}

bool engineLoaded = true;

double engineLoad(const std::string& path) {
    QXMixEngine engine;
    engine.engineInit(kRate, 256, 1);
    double start = now();
    QXEngineSample* sample = engine.sampleLoad(-1, path.c_str(), 0, 0, 0);
    double spent = now() - start;
    if (!sample) std::printf("  (could not load %s)\n", path.c_str());
    engineLoaded = engineLoaded && sample;
    return spent;
}

double stbLoad(const std::string& path) {
    double start = now();
    int channels = 0, rate = 0;
    short* samples = nullptr;
    int frames = stb_vorbis_decode_filename(path.c_str(), &channels, &rate, &samples);
    double spent = now() - start;
    if (frames <= 0) std::printf("  (stb_vorbis could not read %s)\n", path.c_str());
    std::free(samples);
    return spent;
}

double rawRead(const std::string& path) {
    double start = now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    std::vector<char> bytes(1 << 20);
    while (std::fread(bytes.data(), 1, bytes.size(), file) > 0) {
    }
    std::fclose(file);
    return now() - start;
}
}  // namespace

int main() {
    for (int channels : {64, 256}) {
        double cost = mixCost(channels);
        std::printf("mix %3d channels: %.4f of real time on one core (%.1f%%)\n", channels, cost, cost * 100);
        char name[40];
        std::snprintf(name, sizeof name, "mix %d channels", channels);
        plainFigure(name, mixedSound, "%.1f%% of real time on one core", cost * 100);
    }
    const std::string dir = std::string("Z:") + QX_AUDIO_DATA_DIR;
    const std::string ogg = dir + "/bench10.ogg", wav = dir + "/bench10.wav";
    if (!openSoundFile(ogg.c_str()) || !openSoundFile(wav.c_str())) {
        std::printf("load: no 10-second test files (sox and oggenc make them at build time)\n");
        return 0;
    }
    const double raw = bestOf(rawRead, wav), rawOgg = bestOf(rawRead, ogg);
    const double wavLoad = bestOf(engineLoad, wav), oggLoad = bestOf(engineLoad, ogg), stb = bestOf(stbLoad, ogg);
    std::printf("load 10 s WAVE: %.2f ms (raw read of its bytes %.2f ms, ratio %.1f)\n", wavLoad * 1e3, raw * 1e3,
                wavLoad / raw);
    std::printf("load 10 s Ogg:  %.2f ms (stb_vorbis alone %.2f ms, ratio %.2f; raw read %.2f ms)\n", oggLoad * 1e3,
                stb * 1e3, oggLoad / stb, rawOgg * 1e3);
    costFigure("load 10 s WAVE", wavLoad, raw, "reading its bytes", 0, engineLoaded);
    costFigure("load 10 s Ogg Vorbis", oggLoad, stb, "stb_vorbis alone", 0, engineLoaded);
    return benchStatus();
}
