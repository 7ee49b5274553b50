/* game: Saucer Storm, a small arcade game on a 640x480 window.

   game
       plays. The arrow keys or the mouse steer the ship, Space or the left
       button fires, P pauses, Escape leaves. Saucers come down in waves and
       drop bombs; a saucer or a bomb that touches the ship costs a life.
       After the last life, Space starts again. The best score is kept in
       game.hiscore beside the program.
   game demo [FRAMES [DRIVER [FOLDER]]]
       plays by itself for FRAMES frames (600 if not given) under the 2D
       driver DRIVER (1 Native, 2 OpenGL, 3 DirectDraw, or its name; the
       default driver if not given), as fast as the driver draws, with no
       input read. The run is the same every time: it prints what happened
       (saucers down, the ship hit, waves, the high score), saves its last
       frame as game-demo.bmp and keeps its own high score in
       game-demo.hiscore, both in FOLDER (beside the program if not given);
       then it prints how long the first frame took and the frames per
       second, and shows the last frame for a second.
   game demo FRAMES DRIVER FOLDER figures
       the same, and prints the process's figures (memory, handles, objects)
       after a third of the frames, halfway and at the end, then whether they
       stayed flat (scripts/soak).

   Pictures, sounds and the music come from assets/game/ beside the program
   (examples/assets/make-game-assets makes them). Without a sound device the
   sound commands return 0 and the game goes on silently. */
#include "qxfigures.h"
#include "qxprog.h"

enum { WIDTH = 640, HEIGHT = 480 };
enum { KEY_ESCAPE = 1, KEY_SPACE = 57, KEY_UP = 200, KEY_LEFT = 203, KEY_RIGHT = 205, KEY_DOWN = 208 };
enum { MAX_SHOTS = 12, MAX_SAUCERS = 16, MAX_BOMBS = 24, MAX_BOOMS = 12 };
enum { SHIP_SPEED = 4, SHOT_SPEED = 9, BOMB_SPEED = 3, RELOAD_FRAMES = 7, SAFE_FRAMES = 120 };
enum { SAUCERS_PER_WAVE = 12, LIVES = 3, DEMO_SEED = 1988, DEMO_FRAMES = 600, HOLD_FRAMES = 60 };
/* Saucer positions are kept in eighths of a pixel, for slow drifts. */
enum { SUB = 8 };
enum { HIGH_SCORE_TAG = 0x53485851 }; /* "QXHS" */

/* ---------------------------------------------------------------- C text */

static char* put(char* out, const char* text) {
    while (*text) *out++ = *text++;
    *out = 0;
    return out;
}

static char* putInt(char* out, int value) {
    char digits[12];
    int n = 0;
    if (value < 0) *out++ = '-', value = -value;
    do digits[n++] = (char)('0' + value % 10), value /= 10; while (value);
    while (n) *out++ = digits[--n];
    *out = 0;
    return out;
}

/* value with at least `width` digits, zeros in front */
static char* putPadded(char* out, int value, int width) {
    int digits = 1;
    for (int rest = value; rest >= 10; rest /= 10) ++digits;
    while (digits++ < width) *out++ = '0';
    return putInt(out, value);
}

static int readInt(const char* text) {
    int value = 0;
    while (*text >= '0' && *text <= '9') value = value * 10 + (*text++ - '0');
    return value;
}

static int sameWord(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? *a + 32 : *a, y = *b >= 'A' && *b <= 'Z' ? *b + 32 : *b;
        if (x != y) return 0;
    }
    return *a == *b;
}

static const char* nextWord(const char* from, char* out, int room) {
    while (*from == ' ') ++from;
    while (*from && *from != ' ' && room > 1) *out++ = *from++, --room;
    *out = 0;
    return from;
}

/* ---------------------------------------------------------------- runtime strings */

static QXString* text(const char* bytes) { return _qxStrFromCStr((void*)bytes); }

/* Copies a string the runtime returned into `out` and releases it. */
static void take(QXString* string, char* out, int room) {
    const char* bytes = _qxStrToCStr(string);
    int n = 0;
    while (n < room - 1 && bytes[n]) out[n] = bytes[n], ++n;
    out[n] = 0;
    _qxStrRelease(string);
}

static void say(const char* line) {
    Print(text(line));
    _qxStrTmpFree(1);
}

static void drawText(int x, int y, const char* line, int centred) {
    Text(x, y, text(line), centred, 0);
    _qxStrTmpFree(1);
}

/* ---------------------------------------------------------------- assets */

static char programFolder[270], assetFolder[300];

static void findAssets(void) {
    take(SystemProperty(text("appdir")), programFolder, 260);
    _qxStrTmpFree(1);
    put(put(assetFolder, programFolder), "assets\\game\\");
}

static QXString* asset(const char* name) {
    char path[360];
    put(put(path, assetFolder), name);
    return text(path);
}

static int loadStrip(const char* name, int width, int height, int frames) {
    int image = LoadAnimImage(asset(name), width, height, 0, frames, 1);
    _qxStrTmpFree(1);
    if (!image) {
        char line[400];
        put(put(put(line, "cannot load "), assetFolder), name);
        say(line);
    }
    return image;
}

static int loadSound(const char* name) {
    int sound = LoadSound(asset(name));
    _qxStrTmpFree(1);
    return sound;
}

static int shipImage, saucerImage, shotImage, bombImage, boomImage, spaceImage, starsImage, lifeImage;
static int shootSound, boomSound, music, hudFont, bigFont;

static int loadAssets(void) {
    /* Every sprite is drawn about its centre. */
    AutoMidHandle(1);
    shipImage = loadStrip("ship.png", 32, 32, 2);
    saucerImage = loadStrip("enemy.png", 32, 32, 4);
    shotImage = loadStrip("shot.png", 6, 16, 2);
    bombImage = loadStrip("bomb.png", 8, 8, 2);
    boomImage = loadStrip("boom.png", 32, 32, 6);
    AutoMidHandle(0);
    spaceImage = loadStrip("space.png", 128, 128, 1);
    starsImage = loadStrip("stars.png", 128, 128, 1);
    if (!shipImage || !saucerImage || !shotImage || !bombImage || !boomImage || !spaceImage || !starsImage) return 0;
    /* The lives left are shown as ships at half size. */
    lifeImage = CopyImage(shipImage);
    TFormFilter(0);
    ScaleImage(lifeImage, 0.5f, 0.5f);

    shootSound = loadSound("shoot.wav");
    boomSound = loadSound("boom.ogg");
    music = PlayMusic(asset("music.mod"), 1);
    _qxStrTmpFree(1);

    hudFont = LoadFont(text("Tahoma"), 18, 1, 0, 0);
    bigFont = LoadFont(text("Tahoma"), 44, 1, 0, 0);
    _qxStrTmpFree(2);
    return 1;
}

/* ---------------------------------------------------------------- the high score */

static char highScoreFile[300];
static int highScore;

/* The file holds a tag and the score, two integers. Anything else counts as no high score. */
static const char* readHighScore(void) {
    int file = ReadFile(text(highScoreFile));
    _qxStrTmpFree(1);
    highScore = 0;
    if (!file) return "no high score yet";
    int tag = ReadInt(file), score = ReadInt(file);
    CloseFile(file);
    if (tag != HIGH_SCORE_TAG || score < 0) return "the high score file is damaged: starting from 0";
    highScore = score;
    return 0;
}

static int writeHighScore(void) {
    int file = WriteFile(text(highScoreFile));
    _qxStrTmpFree(1);
    if (!file) return 0;
    WriteInt(file, HIGH_SCORE_TAG);
    WriteInt(file, highScore);
    CloseFile(file);
    return 1;
}

/* ---------------------------------------------------------------- the game's state */

typedef struct {
    int active, x, y;
} Shot;

typedef struct {
    int active, x, y, dx, dy; /* in eighths of a pixel */
    int look;                 /* which light of the rim is lit first */
} Saucer;

typedef struct {
    int active, x, y, age;
} Boom;

static Shot shots[MAX_SHOTS], bombs[MAX_BOMBS];
static Saucer saucers[MAX_SAUCERS];
static Boom booms[MAX_BOOMS];
static int shipX, shipY, lives, safeFrames, reload, score, wave, saucersDown, toNextWave, nextSaucer;
static int gameOver, paused, frame, scroll, banner;

static int demo;         /* plays itself, reads no input, logs what happens */
static int shotsFired, shipHits;

/* One line of the demo's log: the frame, what happened and a number. */
static void logEvent(const char* what, int number) {
    char line[160];
    if (!demo) return;
    putInt(put(put(putInt(put(line, "frame "), frame), ": "), what), number);
    say(line);
}

static void newGame(void) {
    for (int i = 0; i < MAX_SHOTS; ++i) shots[i].active = 0;
    for (int i = 0; i < MAX_BOMBS; ++i) bombs[i].active = 0;
    for (int i = 0; i < MAX_SAUCERS; ++i) saucers[i].active = 0;
    shipX = WIDTH / 2;
    shipY = HEIGHT - 48;
    lives = LIVES;
    safeFrames = SAFE_FRAMES;
    score = 0;
    wave = 1;
    toNextWave = SAUCERS_PER_WAVE;
    nextSaucer = 30;
    gameOver = 0;
    banner = 90;
}

static void explode(int x, int y) {
    for (int i = 0; i < MAX_BOOMS; ++i)
        if (!booms[i].active) {
            booms[i].active = 1;
            booms[i].x = x;
            booms[i].y = y;
            booms[i].age = 0;
            break;
        }
    PlaySound(boomSound, 0);
}

/* ---------------------------------------------------------------- one step of play */

static void fire(void) {
    if (reload > 0) return;
    for (int i = 0; i < MAX_SHOTS; ++i)
        if (!shots[i].active) {
            shots[i].active = 1;
            shots[i].x = shipX;
            shots[i].y = shipY - 18;
            reload = RELOAD_FRAMES;
            ++shotsFired;
            PlaySound(shootSound, 0);
            return;
        }
}

/* A new saucer at the top, faster with every wave. */
static void launchSaucer(void) {
    for (int i = 0; i < MAX_SAUCERS; ++i)
        if (!saucers[i].active) {
            Saucer* saucer = &saucers[i];
            saucer->active = 1;
            saucer->x = Rand(24, WIDTH - 24) * SUB;
            saucer->y = -20 * SUB;
            saucer->dx = Rand(-14, 14);
            saucer->dy = Rand(6, 10) + wave * 2;
            saucer->look = Rand(0, 3);
            return;
        }
}

static void moveSaucers(void) {
    if (--nextSaucer <= 0) {
        launchSaucer();
        nextSaucer = Rand(24, 60) - wave * 4;
        if (nextSaucer < 12) nextSaucer = 12;
    }
    for (int i = 0; i < MAX_SAUCERS; ++i) {
        Saucer* saucer = &saucers[i];
        if (!saucer->active) continue;
        saucer->x += saucer->dx;
        saucer->y += saucer->dy;
        if (saucer->x < 16 * SUB || saucer->x > (WIDTH - 16) * SUB) saucer->dx = -saucer->dx;
        if (Rand(1, 90) == 1) saucer->dx = Rand(-14, 14);
        if (saucer->y > (HEIGHT + 20) * SUB) saucer->active = 0;
        /* Bombs away, now and then, while above the ship. */
        if (saucer->y < (HEIGHT - 140) * SUB && Rand(1, wave < 8 ? 200 - wave * 20 : 40) == 1)
            for (int b = 0; b < MAX_BOMBS; ++b)
                if (!bombs[b].active) {
                    bombs[b].active = 1;
                    bombs[b].x = saucer->x / SUB;
                    bombs[b].y = saucer->y / SUB + 14;
                    break;
                }
    }
}

static int saucerFrame(const Saucer* saucer) { return (frame / 6 + saucer->look) % 4; }

static void moveShots(void) {
    for (int i = 0; i < MAX_SHOTS; ++i)
        if (shots[i].active && (shots[i].y -= SHOT_SPEED) < -16) shots[i].active = 0;
    for (int i = 0; i < MAX_BOMBS; ++i)
        if (bombs[i].active && (bombs[i].y += BOMB_SPEED) > HEIGHT + 8) bombs[i].active = 0;
    for (int i = 0; i < MAX_BOOMS; ++i)
        if (booms[i].active && ++booms[i].age >= 6 * 4) booms[i].active = 0;
}

/* Shots against saucers, pixel by pixel. */
static void shotsHitSaucers(void) {
    for (int s = 0; s < MAX_SHOTS; ++s) {
        if (!shots[s].active) continue;
        for (int i = 0; i < MAX_SAUCERS; ++i) {
            Saucer* saucer = &saucers[i];
            if (!saucer->active) continue;
            if (!ImagesCollide(shotImage, shots[s].x, shots[s].y, frame / 4 % 2, saucerImage, saucer->x / SUB,
                               saucer->y / SUB, saucerFrame(saucer)))
                continue;
            shots[s].active = 0;
            saucer->active = 0;
            explode(saucer->x / SUB, saucer->y / SUB);
            score += 10 * wave;
            ++saucersDown;
            logEvent("saucer down, score ", score);
            if (--toNextWave == 0) {
                ++wave;
                toNextWave = SAUCERS_PER_WAVE;
                banner = 90;
                logEvent("wave ", wave);
            }
            break;
        }
    }
}

static void shipIsHit(void) {
    explode(shipX, shipY);
    ++shipHits;
    safeFrames = SAFE_FRAMES;
    --lives;
    logEvent("the ship is hit, lives ", lives);
    if (lives == 0) {
        gameOver = 1;
        banner = 150; /* the demo's pilot rests this long */
        logEvent("game over, score ", score);
        if (score > highScore) {
            highScore = score;
            if (!demo) writeHighScore(); /* the demo writes its own at its end */
        }
    }
}

/* Saucers and bombs against the ship, unless it has just been hit. */
static void somethingHitsTheShip(void) {
    if (safeFrames > 0) {
        --safeFrames;
        return;
    }
    const int shipFrame = frame / 3 % 2;
    for (int i = 0; i < MAX_SAUCERS; ++i) {
        Saucer* saucer = &saucers[i];
        if (saucer->active && ImagesCollide(shipImage, shipX, shipY, shipFrame, saucerImage, saucer->x / SUB,
                                            saucer->y / SUB, saucerFrame(saucer))) {
            saucer->active = 0;
            explode(saucer->x / SUB, saucer->y / SUB);
            shipIsHit();
            return;
        }
    }
    for (int i = 0; i < MAX_BOMBS; ++i)
        if (bombs[i].active && ImagesCollide(shipImage, shipX, shipY, shipFrame, bombImage, bombs[i].x, bombs[i].y,
                                             frame / 8 % 2)) {
            bombs[i].active = 0;
            shipIsHit();
            return;
        }
}

/* ---------------------------------------------------------------- steering */

typedef struct {
    int dx, dy, fire;
} Controls;

static int distance(int a, int b) { return a < b ? b - a : a - b; }

static int mouseTarget = -1; /* where the pointer last moved to; -1 once the keys steer */

/* The arrow keys steer; so does the pointer, when it moves, until a key is used. */
static Controls playerControls(void) {
    Controls controls = {0, 0, 0};
    controls.dx = (KeyDown(KEY_RIGHT) - KeyDown(KEY_LEFT)) * SHIP_SPEED;
    controls.dy = (KeyDown(KEY_DOWN) - KeyDown(KEY_UP)) * SHIP_SPEED;
    if (MouseXSpeed(0) != 0) mouseTarget = MouseX(0);
    if (controls.dx)
        mouseTarget = -1;
    else if (mouseTarget >= 0 && distance(mouseTarget, shipX) > SHIP_SPEED)
        controls.dx = mouseTarget < shipX ? -SHIP_SPEED : SHIP_SPEED;
    controls.fire = KeyDown(KEY_SPACE) || MouseDown(1);
    return controls;
}

/* Where a saucer will be when a shot fired now reaches its height. */
static int aimPoint(const Saucer* saucer) {
    const int gap = (shipY - 18) * SUB - saucer->y;
    const int frames = gap / (SHOT_SPEED * SUB + saucer->dy);
    return (saucer->x + saucer->dx * frames) / SUB;
}

/* The demo's pilot: aims ahead of the lowest saucer, fires when one will
   be overhead, and keeps out from under bombs. */
static Controls demoControls(void) {
    Controls controls = {0, 0, 0};
    int target = -1, lowest = -1000;
    for (int i = 0; i < MAX_SAUCERS; ++i)
        if (saucers[i].active && saucers[i].y / SUB < shipY - 40 && saucers[i].y > lowest) {
            lowest = saucers[i].y;
            target = i;
        }
    if (target >= 0) {
        const int x = aimPoint(&saucers[target]);
        if (distance(x, shipX) > SHIP_SPEED) controls.dx = x < shipX ? -SHIP_SPEED : SHIP_SPEED;
    }
    for (int i = 0; i < MAX_BOMBS; ++i)
        if (bombs[i].active && bombs[i].y < shipY && bombs[i].y > shipY - 90 && distance(bombs[i].x, shipX) < 22)
            controls.dx = bombs[i].x <= shipX ? SHIP_SPEED : -SHIP_SPEED;
    for (int i = 0; i < MAX_SAUCERS; ++i)
        if (saucers[i].active && saucers[i].y / SUB < shipY - 40 && distance(aimPoint(&saucers[i]), shipX) < 10)
            controls.fire = 1;
    return controls;
}

static void steer(Controls controls) {
    shipX += controls.dx;
    shipY += controls.dy;
    if (shipX < 18) shipX = 18;
    if (shipX > WIDTH - 18) shipX = WIDTH - 18;
    if (shipY < HEIGHT / 2) shipY = HEIGHT / 2;
    if (shipY > HEIGHT - 20) shipY = HEIGHT - 20;
    if (reload > 0) --reload;
    if (controls.fire) fire();
}

static void step(void) {
    ++frame;
    ++scroll;
    if (banner > 0) --banner;
    moveShots();
    if (gameOver) return;
    steer(demo ? demoControls() : playerControls());
    moveSaucers();
    shotsHitSaucers();
    somethingHitsTheShip();
}

/* ---------------------------------------------------------------- drawing */

static void drawBackground(void) {
    /* Far space drifts slowly; the near stars, masked over it, pass faster. */
    TileBlock(spaceImage, 0, scroll / 2, 0);
    TileImage(starsImage, 0, scroll * 2, 0);
}

static void drawSprites(void) {
    for (int i = 0; i < MAX_SAUCERS; ++i)
        if (saucers[i].active) DrawImage(saucerImage, saucers[i].x / SUB, saucers[i].y / SUB, saucerFrame(&saucers[i]));
    for (int i = 0; i < MAX_BOMBS; ++i)
        if (bombs[i].active) DrawImage(bombImage, bombs[i].x, bombs[i].y, frame / 8 % 2);
    for (int i = 0; i < MAX_SHOTS; ++i)
        if (shots[i].active) DrawImage(shotImage, shots[i].x, shots[i].y, frame / 4 % 2);
    /* Just after a hit the ship blinks. */
    if (!gameOver && (safeFrames == 0 || frame / 6 % 2 == 0)) DrawImage(shipImage, shipX, shipY, frame / 3 % 2);
    for (int i = 0; i < MAX_BOOMS; ++i)
        if (booms[i].active) DrawImage(boomImage, booms[i].x, booms[i].y, booms[i].age / 4);
}

static void drawHud(void) {
    char line[80];
    SetFont(hudFont);
    Color(24, 24, 48);
    Rect(0, 0, WIDTH, 28, 1);
    Color(120, 220, 255);
    putPadded(put(line, "SCORE "), score, 6);
    drawText(12, 5, line, 0);
    Color(255, 220, 96);
    putPadded(put(line, "HIGH "), score > highScore ? score : highScore, 6);
    drawText(WIDTH / 2, 5, line, 1);
    for (int i = 0; i < lives; ++i) DrawImage(lifeImage, WIDTH - 24 - i * 22, 14, 0);

    SetFont(bigFont);
    if (gameOver) {
        Color(255, 96, 96);
        drawText(WIDTH / 2, 170, "GAME OVER", 1);
        SetFont(hudFont);
        Color(230, 230, 230);
        drawText(WIDTH / 2, 240, demo ? "the demo plays on" : "Space plays again, Escape leaves", 1);
    } else if (paused) {
        Color(230, 230, 230);
        drawText(WIDTH / 2, 200, "PAUSED", 1);
    } else if (banner > 0) {
        Color(160, 255, 160);
        putInt(put(line, "WAVE "), wave);
        drawText(WIDTH / 2, 190, line, 1);
    }
}

static void drawFrame(void) {
    drawBackground();
    drawSprites();
    drawHud();
}

/* ---------------------------------------------------------------- play and demo */

static void play(void) {
    int timer = CreateTimer(60);
    newGame();
    FlushKeys();
    MouseXSpeed(0); /* from here on, only real moves of the pointer count */
    for (;;) {
        if (KeyHit(KEY_ESCAPE)) break;
        for (int key = GetKey(); key; key = GetKey())
            if (key == 'p' || key == 'P') paused = !paused;
        /* Space read every frame, so that only a fresh press starts again, after a rest. */
        if (KeyHit(KEY_SPACE) && gameOver && banner == 0) newGame();
        if (!paused) step();
        WaitTimer(timer);
        drawFrame();
        Flip(0);
    }
    if (score > highScore) highScore = score;
    writeHighScore();
    FreeTimer(timer);
}

static char demoPicture[300];
static int figures; /* the demo prints the process's figures */

static void runDemo(int frames, int started) {
    char line[120];
    int firstFrameMs = 0, firstFrameAt = 0;
    SeedRnd(DEMO_SEED);
    newGame();
    for (int i = 0; i < frames; ++i) {
        /* The first third warms up: every sound has played (a first play
           may open a handle for good) before the first figures. */
        if (figures && i == frames / 3) qxFigures("start");
        if (figures && i == frames / 3 + (frames - frames / 3) / 2) qxFigures("middle");
        step();
        if (gameOver && banner == 0) newGame();
        drawFrame();
        if (i == frames - 1) {
            /* The figures before the picture: reading the whole frame back
               (OpenGL) takes a few megabytes once, which is not growth. */
            if (figures) qxFigures("end");
            /* The last frame, before Flip: some drivers keep no back buffer after it. */
            SaveBuffer(BackBuffer(), text(demoPicture));
            _qxStrTmpFree(1);
        }
        Flip(0);
        if (i == 0) {
            firstFrameAt = MilliSecs();
            firstFrameMs = firstFrameAt - started;
        }
    }
    const int elapsed = MilliSecs() - firstFrameAt;
    if (figures) qxFiguresVerdict();

    putInt(put(putInt(put(putInt(put(line, "demo over after "), frames), " frames: score "), score),
               ", saucers down "),
           saucersDown);
    say(line);
    putInt(put(putInt(put(line, "shots fired "), shotsFired), ", ship hit "), shipHits);
    say(line);
    if (score > highScore) highScore = score;
    putInt(put(line, writeHighScore() ? "high score written: " : "high score not written: "), highScore);
    say(line);

    /* Timings vary from run to run: they come after the fixed part of the log. */
    char* end = put(putInt(put(line, "first frame after "), firstFrameMs), " ms; frames per second ");
    if (elapsed > 0 && frames > 1) {
        const int tenths = (frames - 1) * 10000 / elapsed;
        putInt(put(putInt(end, tenths / 10), "."), tenths % 10);
    } else {
        put(end, "-");
    }
    say(line);

    /* The last frame stays up for a second, for anyone taking a picture. */
    int timer = CreateTimer(60);
    for (int i = 0; i < HOLD_FRAMES; ++i) {
        WaitTimer(timer);
        drawFrame();
        Flip(0);
    }
    FreeTimer(timer);
}

/* ---------------------------------------------------------------- the program */

static int chooseDriver(const char* word) {
    if (*word >= '0' && *word <= '9') return readInt(word);
    for (int driver = 1; driver <= 3; ++driver) {
        char name[32];
        take(GfxDriverName(driver), name, sizeof name);
        if (sameWord(name, word)) return driver;
    }
    return 0;
}

void qxmain(void) {
    const int started = MilliSecs();
    char commandLine[400], word[32], folder[300];
    take(CommandLine(), commandLine, sizeof commandLine);
    const char* rest = nextWord(commandLine, word, sizeof word);
    demo = sameWord(word, "demo");
    int frames = DEMO_FRAMES;
    if (demo) {
        rest = nextWord(rest, word, sizeof word);
        if (word[0]) frames = readInt(word);
        rest = nextWord(rest, word, sizeof word);
        if (word[0]) {
            const int driver = chooseDriver(word);
            if (driver < 1 || driver > 3) {
                say("usage: game demo [FRAMES [DRIVER]], DRIVER 1 to 3 or Native, OpenGL, DirectDraw");
                return;
            }
            SetGfxDriver(driver);
        }
        rest = nextWord(rest, folder, 260);
        nextWord(rest, word, sizeof word);
        figures = sameWord(word, "figures");
        if (figures) qxFiguresBind();
    }

    findAssets();
    if (!demo || !folder[0]) put(folder, programFolder);
    {
        char* end = folder;
        while (*end) ++end;
        if (end[-1] != '\\' && end[-1] != '/') put(end, "\\");
    }
    put(put(highScoreFile, folder), demo ? "game-demo.hiscore" : "game.hiscore");
    put(put(demoPicture, folder), "game-demo.bmp");
    const char* problem = readHighScore();
    if (demo) {
        char line[120];
        if (problem) {
            say(problem);
        } else {
            putInt(put(line, "high score read: "), highScore);
            say(line);
        }
    }

    AppTitle(text("Saucer Storm"));
    _qxStrTmpFree(1);
    Graphics(WIDTH, HEIGHT, 32, 2);
    SetBuffer(BackBuffer());
    if (!loadAssets()) return;
    if (demo) {
        say(music || shootSound || boomSound ? "sound: on" : "sound: off");
        runDemo(frames < 1 ? 1 : frames, started);
    } else {
        play();
    }
    EndGraphics();
}
