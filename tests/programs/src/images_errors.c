/* One image failure per run, chosen by the first character of the command
   line; each stops the program with its runtime error. Prints what it did
   before stopping. */
#include "qxprog.h"

static void say(const char* bytes) {
    QXString* s = _qxStrFromCStr((void*)bytes);
    Print(s);
    _qxStrRelease(s);
}

void qxmain(void) {
    const char* args = _qxStrToCStr(CommandLine());
    while (*args == ' ') ++args;
    int image = CreateImage(10, 10, 1, 2);
    switch (args[0]) {
    case 's': /* a size whose product would wrap in 32 bits */
        say("sizes");
        CreateImage(65536, 65536, 1, 2);
        break;
    case 't': /* a singular matrix leaves the image as it was */
        say("transform");
        HandleImage(image, 3, 4);
        TFormImage(image, 1, 2, 2, 4);
        break;
    case 'd': /* images belong to the driver that made them */
        SetGfxDriver(1);
        say("driver changed");
        ImageWidth(image);
        break;
    case 'r': /* a turn so large its result is refused */
        say("resize");
        ResizeImage(image, 100000, 100000);
        break;
    }
    say("not reached");
}
