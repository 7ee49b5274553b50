/* Every kind of sound file through the sound commands. The command line names
   a folder holding tone.wav, tone.ogg and tone.mp3 (a one-second tone),
   theme.mod (a tracker song), song.mid (a MIDI file) and my.model.wav (a
   wave file whose name looks like a song's). Prints "ok <check>" or
   "FAIL <check>" per check, and "midi: 0" or "midi: plays"; without a sound device it prints "silent" and
   checks that everything gives its failure value. Sounds are played paused,
   at volume 0 or stopped at once, so the program makes no noise. */
#include "qxprog.h"
#include "qxtest.h"

static QXString* folder;

static void check(int ok, const char* what) {
    Write(text(ok ? "ok " : "FAIL "));
    Print(text(what));
}

static QXString* file(const char* name) { return _qxStrConcat(folder, text(name)); }

void qxmain(void) {
    folder = _qxStrConcat(Trim(CommandLine()), text("/"));
    int wav = LoadSound(file("tone.wav"));
    if (!wav) {
        Print(text("silent"));
        check(LoadSound(file("tone.ogg")) == 0 && LoadSound(file("tone.mp3")) == 0, "no sound loads");
        check(PlayMusic(file("theme.mod"), 0) == 0 && PlayMusic(file("tone.mp3"), 0) == 0, "no music plays");
        check(ChannelPlaying((int)0x80000000) == 0 && ChannelPlaying(1) == 0, "no channel plays");
        ChannelVolume((int)0x80000000, 1.0f);
        ResumeChannel(1);
        check(PlayCDTrack(2, 0) == -1, "PlayCDTrack still answers -1");
        return;
    }
    int ogg = LoadSound(file("tone.ogg"));
    int mp3 = LoadSound(file("tone.mp3"));
    check(ogg != 0 && mp3 != 0, "WAVE, Ogg Vorbis and MP3 files load as sounds");
    check(LoadSound(file("song.mid")) == 0 && LoadSound(file("theme.mod")) == 0, "songs do not load as sounds");

    /* The channel commands on a paused channel, which counts as playing. */
    int channel = PlaySound(mp3, 2);
    check(channel > 0 && ChannelPlaying(channel) == 1, "a paused MP3 sound plays");
    ChannelPitch(channel, 22050);
    ChannelVolume(channel, 0.0f);
    ChannelPan(channel, -1.0f);
    ResumeChannel(channel);
    check(ChannelPlaying(channel) == 1, "and plays on after pitch, volume, pan and resume");
    PauseChannel(channel);
    StopChannel(channel);
    check(ChannelPlaying(channel) == 0, "StopChannel stops it");

    /* A looping sound is still playing after its one second. */
    SoundVolume(ogg, 0.0f);
    LoopSound(ogg);
    int looping = PlaySound(ogg, 0);
    Delay(1300);
    check(looping > 0 && ChannelPlaying(looping) == 1, "a looping Ogg Vorbis sound is still playing after 1.3 s");
    StopChannel(looping);
    check(ChannelPlaying(looping) == 0, "until it is stopped");

    /* Streams. */
    int streams[3];
    const char* names[3] = {"tone.wav", "tone.ogg", "tone.mp3"};
    for (int i = 0; i < 3; ++i) streams[i] = PlayMusic(file(names[i]), 2);
    check(streams[0] >= 0 && streams[1] >= 0 && streams[2] >= 0 && ChannelPlaying(streams[0]) == 1 &&
              ChannelPlaying(streams[1]) == 1 && ChannelPlaying(streams[2]) == 1,
          "WAVE, Ogg Vorbis and MP3 files play as streams");
    for (int i = 0; i < 3; ++i) StopChannel(streams[i]);
    check(ChannelPlaying(streams[0]) == 0 && ChannelPlaying(streams[1]) == 0 && ChannelPlaying(streams[2]) == 0,
          "StopChannel closes each stream");

    /* Songs. */
    int song = PlayMusic(file("theme.mod"), 2);
    check(song < 0 && ChannelPlaying(song) == 1, "a tracker song plays, on a negative handle");
    ChannelVolume(song, 1.0f);
    check(PlayMusic(file("THEME.MOD"), 2) == song, "the same name in other letters restarts the same song");
    StopChannel(song);
    check(ChannelPlaying(song) == 0, "StopChannel stops the song");
    check(PlayMusic(file("theme.mod"), 2) == song, "which stays loaded");
    StopChannel(song);
    /* Whether MIDI plays is the system's: said, not checked. */
    int midi = PlayMusic(file("song.mid"), 2);
    Print(text(midi ? "midi: plays" : "midi: 0"));
    StopChannel(midi);
    check(PlayMusic(file("my.model.wav"), 0) == 0, "a wave file named like a song plays nothing");

    FreeSound(wav);
    FreeSound(ogg);
    FreeSound(mp3);
    Print(text("done"));
}
