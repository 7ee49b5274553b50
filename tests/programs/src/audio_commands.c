/* The sound commands in a stand-alone program. The command line names a
   sound file (a one-second tone). Prints "ok <check>" or "FAIL <check>" per
   check. Where the machine has no sound device, the audio module starts
   silent and the program prints "silent" before the checks that need sound.
   Otherwise it plays the tone once at half volume and waits for it to end;
   the other plays are paused or stopped at once, so they add no sound. */
#include "qxprog.h"
#include "qxtest.h"

static void check(int ok, const char* what) {
    Write(text(ok ? "ok " : "FAIL "));
    Print(text(what));
}

/* Waits up to `ms` for the channel to end; 1 when it did. */
static int waitForEnd(int channel, int ms) {
    int start = MilliSecs();
    while (ChannelPlaying(channel)) {
        if (MilliSecs() - start > ms) return 0;
        Delay(5);
    }
    return 1;
}

void qxmain(void) {
    QXString* file = Trim(CommandLine());
    check(PlayCDTrack(1, 0) == -1 && PlayCDTrack(-3, 1) == -1, "PlayCDTrack answers -1");
    check(PlaySound(0, 0) == 0, "PlaySound of 0 answers 0");
    FreeSound(0);
    check(LoadSound(text("no such file.wav")) == 0, "a missing file loads no sound");
    check(PlayMusic(text("no such file.ogg"), 0) == 0, "a missing stream plays nothing");
    check(PlayMusic(text("no such.model.wav"), 0) == 0, "a missing song plays nothing");

    int sound = LoadSound(file);
    if (!sound) {
        Write(text("silent: "));
        Print(file);
        check(ChannelPlaying(0) == 0 && ChannelPlaying(-1) == 0, "no channel plays");
        StopChannel(0);
        PauseChannel(-1);
        ChannelVolume(3, 1.0f);
        check(PlayMusic(file, 0) == 0, "no stream plays");
        return;
    }
    SoundVolume(sound, 0.5f);
    int channel = PlaySound(sound, 0);
    check(channel != 0 && ChannelPlaying(channel) == 1, "the sound plays");
    check(waitForEnd(channel, 10000), "the sound ends by itself");
    check(ChannelPlaying(channel) == 0, "and is no longer playing");
    Delay(300); /* the device plays what is queued */

    int looped = PlaySound(sound, 3); /* looped and paused */
    check(ChannelPlaying(looped) == 1, "a paused channel counts as playing");
    StopChannel(looped);
    check(ChannelPlaying(looped) == 0, "StopChannel stops it");

    int stream = PlayMusic(file, 2);
    check(stream >= 0 && ChannelPlaying(stream) == 1, "the file plays as a stream");
    StopChannel(stream);
    check(ChannelPlaying(stream) == 0, "StopChannel stops the stream");
    FreeSound(sound);
}
