/* Creates and frees images, banks, gadgets and sounds COUNT times each
   ("soak_objects COUNT SOUNDFILE [KINDS [DRIVER]]", KINDS some of the letters
   i, b, g and s for only those kinds, DRIVER the 2D driver's number), printing the process's figures after a
   warm-up of a tenth of the run, halfway and at the end, then whether they
   stayed flat (tools/include/qxfigures.h). Without a sound device it says
   "sound: off" and goes on without sounds.
   Under DirectDraw the warm-up takes WINE_DDRAW_FILL images when the run
   is long enough: Wine's DirectDraw keeps about 0.24 KB for each surface
   pair made and filled until some 18,000 (4 MB), then no more
   (wine_ddraw_surfaces shows it alone), and the process with the runtime
   settles somewhere between 20,000 and 60,000 images, then stays flat
   (docs/wine-notes.md, "Long runs"). */
#include "qxfigures.h"
#include "qxprog.h"
#include "qxtest.h"

/* The next word of `at`, or the next quoted text without its quotes. */
static const char* nextWord(const char* at, char* word, int size) {
    int n = 0;
    while (*at == ' ') ++at;
    const char end = *at == '"' ? *at++ : ' ';
    while (*at && *at != end && n < size - 1) word[n++] = *at++;
    if (*at == '"') ++at;
    word[n] = 0;
    return at;
}

static int sounds = 1; /* LoadSound gives 0 without a sound device */

static int images = 1, banks = 1, gadgets = 1;

enum { WINE_DDRAW_FILL = 50000 };

static void cycle(int window, QXString* soundFile, QXString* caption) {
    if (images) FreeImage(CreateImage(32, 32, 1, 2));
    if (banks) FreeBank(CreateBank(256));
    if (gadgets) FreeGadget(CreateButton(caption, 4, 4, 80, 24, window, 1));
    if (sounds) {
        int sound = LoadSound(soundFile);
        if (sound) {
            FreeSound(sound);
        } else {
            sounds = 0;
            put(Print, "sound: off");
        }
    }
}

void qxmain(void) {
    char word[260];
    qxFiguresBind();
    const char* args = nextWord(_qxStrToCStr(CommandLine()), word, sizeof word);
    int count = 0;
    for (const char* digit = word; *digit >= '0' && *digit <= '9'; ++digit) count = count * 10 + (*digit - '0');
    args = nextWord(args, word, sizeof word);
    if (count < 20 || !word[0]) RuntimeError(text("usage: soak_objects COUNT SOUNDFILE [KINDS [DRIVER]]"));
    QXString* soundFile = text(word);
    args = nextWord(args, word, sizeof word);
    if (word[0]) {
        images = banks = gadgets = sounds = 0;
        for (const char* kind = word; *kind; ++kind) {
            images |= *kind == 'i';
            banks |= *kind == 'b';
            gadgets |= *kind == 'g';
            sounds |= *kind == 's';
        }
    }
    nextWord(args, word, sizeof word);
    if (word[0] >= '1' && word[0] <= '3') SetGfxDriver(word[0] - '0');
    const int directDraw = !(word[0] == '1' || word[0] == '2'); /* the default driver too */

    QXString* caption = text("Soak");
    int window = CreateWindow(caption, 0, 0, 200, 100, 0, 15);
    int warmUp = count / 10;
    if (images && directDraw && warmUp < WINE_DDRAW_FILL) {
        if (count >= 2 * WINE_DDRAW_FILL) warmUp = WINE_DDRAW_FILL;
        else put(Print, "note: a run this short under DirectDraw still sees Wine's own surfaces fill");
    }
    for (int i = 0; i < count; ++i) {
        if (i == warmUp) qxFigures("start");
        if (i == warmUp + (count - warmUp) / 2) qxFigures("middle");
        cycle(window, soundFile, caption);
    }
    qxFigures("end");
    FreeGadget(window);
    _qxStrRelease(caption);
    _qxStrRelease(soundFile);
    qxFiguresVerdict();
}
