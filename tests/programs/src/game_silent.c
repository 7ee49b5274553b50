/* The game example (examples/game.c) with its sound left out: LoadSound and
   PlayMusic give 0 and PlaySound plays nothing, as on a machine without a
   sound device, so a host without sound commands yet (Linux) plays the same
   demo. Run beside a folder assets/game/ with the example's pictures. */
#include "qxprog.h"

static int silentLoad(QXString* file) {
    (void)file;
    return 0;
}

static int silentMusic(QXString* file, int flags) {
    (void)file, (void)flags;
    return 0;
}

static int silentPlay(int sound, int flags) {
    (void)sound, (void)flags;
    return 0;
}

#define LoadSound(file) silentLoad(file)
#define PlayMusic(file, flags) silentMusic(file, flags)
#define PlaySound(sound, flags) silentPlay(sound, flags)

#include "../../../examples/game.c"
