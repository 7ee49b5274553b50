/* One machine of a net game on 127.0.0.1, started several times at once by
   the program tests. The command line is "SCENARIO ROLE GAME":
     talk host|alice|bob   messages every way, then bob leaves, then the host
     migrate host|alice|bob  the host leaves; alice (joined first) hosts on
     crash host|alice      alice is killed from outside; the host sees her go
     quiet host|alice      host and alice talk while a hostile peer attacks
     burst host|alice      alice sends many small messages and leaves at once
     rejoin host|alice|bob the host leaves; alice, hosting, and bob, coming
                           back, send 1000 messages each at once
     away host|alice|bob   the host leaves; bob stays away too long
     slow host|alice|bob   bob stops reading; the host drops him at his
                           queue limit while alice reads everything
   Each machine prints "ok ..." lines and "FAIL ..." on anything wrong. */
#include "qxprog.h"

enum { PEERS = 3, TEXT = 2100 };
enum { HOST, ALICE, BOB };
static const char* names[PEERS] = {"host", "alice", "bob"};

static char scenario[32], role[32], game[64];
static int me, myRole;
static int ids[PEERS];
static int joined[PEERS], gone[PEERS], ready[PEERS], done[PEERS], checked[PEERS];
static int becameHost, lost, failures;
static int msgType, msgFrom, msgTo;
static char text[TEXT];

/* ---------------------------------------------------------------- C helpers */

static int same(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

static int startsWith(const char* text, const char* prefix) {
    while (*prefix && *prefix == *text) ++prefix, ++text;
    return *prefix == 0;
}

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

static int readInt(const char* text) {
    int value = 0;
    while (*text >= '0' && *text <= '9') value = value * 10 + (*text++ - '0');
    return value;
}

static int length(const char* text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}

static const char* nextWord(const char* from, char* out, int room) {
    while (*from == ' ') ++from;
    while (*from && *from != ' ' && room > 1) *out++ = *from++, --room;
    *out = 0;
    return from;
}

/* ---------------------------------------------------------------- runtime helpers */

static void say(const char* line) {
    Print(_qxStrFromCStr((void*)line));
    _qxStrTmpFree(1);
}

static void say2(const char* first, const char* second) {
    char line[200];
    put(put(put(line, first), " "), second);
    say(line);
}

static void fail(const char* what) {
    ++failures;
    say2("FAIL", what);
}

static void check(int ok, const char* what) {
    if (ok)
        say2("ok", what);
    else
        fail(what);
}

static int send(int type, const char* message, int to, int reliable) {
    int sent = SendNetMsg(type, _qxStrFromCStr((void*)message), me, to, reliable);
    _qxStrTmpFree(1);
    return sent;
}

static int roleOf(int player) {
    int i;
    for (i = 0; i < PEERS; ++i)
        if (ids[i] == player && player != 0) return i;
    return -1;
}

/* A player's role from the name the game knows it by. */
static int roleByName(int player) {
    QXString* name = NetPlayerName(player);
    const char* text = _qxStrToCStr(name);
    int i, found = -1;
    for (i = 0; i < PEERS; ++i)
        if (same(text, names[i])) found = i;
    _qxStrRelease(name);
    return found;
}

/* Fetches one message and notes what the game reports; 0 when none waits. */
static int receive(void) {
    QXString* data;
    const char* bytes;
    int n;
    if (!RecvNetMsg()) return 0;
    msgType = NetMsgType();
    msgFrom = NetMsgFrom();
    msgTo = NetMsgTo();
    data = NetMsgData();
    bytes = _qxStrToCStr(data);
    for (n = 0; n < TEXT - 1 && bytes[n]; ++n) text[n] = bytes[n];
    text[n] = 0;
    _qxStrRelease(data);
    if (msgType == 0) fail("a message of type 0 was reported");
    if (msgType == 100) {
        int r = roleByName(msgFrom);
        if (r < 0) fail("a player joined under a strange name");
        else {
            ids[r] = msgFrom;
            joined[r] = 1;
            if (NetPlayerLocal(msgFrom)) fail("a joined player is local");
        }
    } else if (msgType == 101) {
        int r = roleOf(msgFrom);
        if (r >= 0) gone[r] = 1;
    } else if (msgType == 102) {
        becameHost = 1;
    } else if (msgType == 200) {
        lost = 1;
    } else {
        int r = roleOf(msgFrom);
        if (r < 0) fail("a message from an unknown player");
        else if (msgType == 1) ready[r] = 1;
        else if (msgType == 2) done[r] = 1;
        else if (msgType == 3) checked[r] = 1;
    }
    return 1;
}

typedef int (*Condition)(void);
typedef void (*Handler)(void);

/* Receives until the condition holds, handing program messages to `handle`;
   false after `millis`. */
static int waitFor(Condition condition, Handler handle, int millis, const char* what) {
    int deadline = MilliSecs() + millis;
    while (!condition()) {
        if (MilliSecs() - deadline > 0) {
            fail(what);
            return 0;
        }
        if (receive()) {
            if (handle && msgType != 100 && msgType != 101 && msgType != 102 && msgType != 200) handle();
        } else {
            Delay(1);
        }
    }
    return 1;
}

static int othersOf(int* flags) {
    int i;
    for (i = 0; i < PEERS; ++i)
        if (i != myRole && ids[i] != 0 && !flags[i]) return 0;
    return 1;
}

static int expected[PEERS];  /* peers taking part in this scenario */
static int allJoined(void) {
    int i;
    for (i = 0; i < PEERS; ++i)
        if (expected[i] && i != myRole && !joined[i]) return 0;
    return 1;
}
static int allReady(void) { return othersOf(ready); }
static int allDone(void) { return othersOf(done); }
static int allChecked(void) { return othersOf(checked); }

/* Hosts or joins the game; joiners retry until the host is up. */
static void enter(void) {
    QXString* name = _qxStrFromCStr((void*)game);
    if (myRole == HOST) {
        check(HostNetGame(name) == 2, "hosted");
    } else {
        int deadline = MilliSecs() + 15000, result = 0;
        QXString* address = _qxStrFromCStr((void*)"127.0.0.1");
        while (!result && MilliSecs() - deadline < 0) {
            result = JoinNetGame(name, address);
            if (!result) Delay(100);
        }
        check(result == 1, "joined");
        _qxStrTmpFree(1);
    }
    _qxStrTmpFree(1);
}

static void createMe(void) {
    QXString* name = _qxStrFromCStr((void*)names[myRole]);
    me = CreateNetPlayer(name);
    _qxStrTmpFree(1);
    ids[myRole] = me;
    check(me != 0 && NetPlayerLocal(me) == 1, "own player");
}

/* Everyone knows everyone, then says so, then waits for the others. */
static void meetEveryone(void) {
    waitFor(allJoined, 0, 20000, "players met");
    send(1, "ready", 0, 1);
    waitFor(allReady, 0, 20000, "everyone ready");
}

/* ---------------------------------------------------------------- talk */

enum { BULK = 10000, DIRECTED = 100, UNRELIABLE = 300 };
static int nextBulk, nextDirected[PEERS], unreliableSeen, unreliableBad, bigSeen, typed56, afterZero;

static int numberAfter(const char* prefix) {
    return startsWith(text, prefix) ? readInt(text + length(prefix)) : -1;
}

/* The unreliable text for number i: "u<i>:" then letters that depend on i. */
static void unreliableText(char* out, int i) {
    int k;
    out = putInt(put(out, "u"), i);
    *out++ = ':';
    for (k = 0; k < 40 + i % 50; ++k) *out++ = (char)('a' + (i + k) % 26);
    *out = 0;
}

static void talkMessage(void) {
    int r = roleOf(msgFrom);
    if (r < 0) return;
    if (msgType == 10 && r == ALICE) {
        if (numberAfter("a") != nextBulk) fail("bulk message out of order");
        ++nextBulk;
    } else if (msgType == 11) {
        char prefix[2] = {names[r][0], 0};
        if (msgTo != me) fail("directed message to someone else");
        if (numberAfter(prefix) != nextDirected[r]) fail("directed message out of order");
        ++nextDirected[r];
    } else if (msgType == 12) {
        int k, whole = length(text) == 2000;
        for (k = 0; whole && k < 2000; ++k) whole = text[k] == (char)('A' + k % 26);
        if (!whole) fail("2000-byte text damaged");
        bigSeen = whole;
    } else if (msgType == -56) {
        typed56 = same(text, "t200");
    } else if (msgType == 13) {
        afterZero = 1;
    } else if (msgType == 14) {
        char expectedText[200];
        unreliableText(expectedText, readInt(text + 1));
        ++unreliableSeen;
        if (!same(text, expectedText)) ++unreliableBad;
    } else if (msgType > 3) {
        fail("unexpected message type");
    }
}

static void talk(void) {
    int i;
    char line[TEXT];
    expected[HOST] = expected[ALICE] = expected[BOB] = 1;
    if (myRole == ALICE || myRole == BOB) Delay(myRole == BOB ? 300 : 0);
    enter();
    createMe();
    meetEveryone();

    if (myRole == ALICE) {
        for (i = 0; i < BULK; ++i) {
            putInt(put(line, "a"), i);
            if (!send(10, line, 0, 1)) {
                fail("bulk send");
                break;
            }
            /* Reading now and then keeps the incoming side drained. */
            if (i % 500 == 0)
                while (receive()) talkMessage();
        }
        check(send(200, "t200", ids[HOST], 1), "type 200 sent");
        for (i = 0; i < UNRELIABLE; ++i) {
            unreliableText(line, i);
            send(14, line, 0, 0);
        }
    } else {
        for (i = 0; i < DIRECTED; ++i) {
            putInt(put(line, myRole == HOST ? "h" : "b"), i);
            if (!send(11, line, ids[ALICE], 1)) fail("directed send");
        }
    }
    if (myRole == HOST) {
        for (i = 0; i < 2000; ++i) line[i] = (char)('A' + i % 26);
        line[2000] = 0;
        check(send(12, line, ids[BOB], 1), "2000-byte text sent");
        check(send(5, "to myself", me, 1), "a message to a local player");
    }
    if (myRole == BOB) {
        send(0, "zero", 0, 1);
        send(13, "after zero", 0, 1);
    }
    send(2, "done", 0, 1);
    waitFor(allDone, talkMessage, 60000, "everyone done");

    if (myRole != ALICE) check(nextBulk == BULK, "10000 reliable messages in order");
    if (myRole == ALICE) check(nextDirected[HOST] == DIRECTED && nextDirected[BOB] == DIRECTED, "directed messages");
    if (myRole == HOST) check(typed56 && afterZero, "type 200 arrives as -56; type 0 never");
    if (myRole == BOB) check(bigSeen, "2000-byte text whole");
    if (myRole != ALICE) check(unreliableBad == 0 && unreliableSeen <= UNRELIABLE, "unreliable messages intact");
    send(3, "checked", 0, 1);
    waitFor(allChecked, talkMessage, 20000, "everyone checked");

    /* Bob leaves; then the host; alice goes on as host. */
    if (myRole == BOB) {
        StopNetGame();
        say("ok left");
        return;
    }
    {
        int deadline = MilliSecs() + 20000;
        while (!gone[BOB] && MilliSecs() - deadline < 0)
            if (!receive()) Delay(1);
        check(gone[BOB], "bob's leaving seen");
    }
    if (myRole == HOST) {
        StopNetGame();
        say("ok left");
        return;
    }
    {
        int deadline = MilliSecs() + 20000;
        while (!(gone[HOST] && becameHost) && MilliSecs() - deadline < 0)
            if (!receive()) Delay(1);
        check(gone[HOST] && becameHost && !lost, "alice hosts after the host left");
        check(send(1, "still playing", 0, 1), "the game goes on");
    }
}

/* ---------------------------------------------------------------- migrate */

static int gotStill, gotReply;
static void migrateMessage(void) {
    if (msgType == 20) gotStill = 1;
    if (msgType == 21) gotReply = 1;
}
static int hostGoneAndStill(void) { return gone[HOST] && gotStill; }
static int hostGoneAndReply(void) { return gone[HOST] && gotReply; }

static void migrate(void) {
    expected[HOST] = expected[ALICE] = expected[BOB] = 1;
    enter();
    /* Join order: host, then alice, then bob. */
    if (myRole == BOB) {
        expected[BOB] = 0;
        waitFor(allJoined, 0, 20000, "alice seen before bob joins");
        expected[BOB] = 1;
    }
    createMe();
    meetEveryone();
    if (myRole == HOST) {
        /* Gone once the others are sure to know everything. */
        waitFor(allReady, 0, 1000, "ready");
        StopNetGame();
        say("ok left");
        return;
    }
    if (myRole == ALICE) {
        waitFor(hostGoneAndStill, migrateMessage, 20000, "bob still playing");
        check(becameHost && !lost, "alice became host");
        check(send(21, "welcome back", ids[BOB], 1), "reply sent");
        Delay(500);
        /* Alice leaves too; bob is alone and hosts. */
        StopNetGame();
        say("ok left");
        return;
    }
    {
        int deadline = MilliSecs() + 20000;
        while (!gone[HOST] && MilliSecs() - deadline < 0)
            if (!receive()) Delay(1);
    }
    check(gone[HOST] && !becameHost && !lost, "bob stays a member");
    check(send(20, "still here", ids[ALICE], 1), "bob sends to the new host");
    waitFor(hostGoneAndReply, migrateMessage, 20000, "reply from the new host");
    check(gotReply, "the game goes on");
    {
        int deadline = MilliSecs() + 20000;
        while (!(gone[ALICE] && becameHost) && MilliSecs() - deadline < 0)
            if (!receive()) Delay(1);
        check(gone[ALICE] && becameHost && !lost, "bob hosts after alice left");
    }
}

/* ---------------------------------------------------------------- crash, quiet */

static int heard;
static void quietMessage(void) {
    if (msgType == 30) {
        if (numberAfter("q") != heard) fail("message lost or out of order under attack");
        ++heard;
    }
}
static int aliceGone(void) { return gone[ALICE]; }
static int heardAll(void) { return heard >= 2000 && done[ALICE]; }

static void crashOrQuiet(int quiet) {
    int i;
    char line[64];
    expected[HOST] = expected[ALICE] = 1;
    enter();
    createMe();
    meetEveryone();
    if (quiet && myRole == ALICE) {
        /* Talks slowly enough (about 14 s) that the whole attack runs meanwhile. */
        for (i = 0; i < 2000; ++i) {
            putInt(put(line, "q"), i);
            if (!send(30, line, 0, 1)) fail("send under attack");
            if (i % 10 == 0) {
                Delay(70);
                while (receive()) {
                }
            }
        }
        send(2, "done", 0, 1);
        waitFor(allChecked, 0, 30000, "host checked");
        check(!lost && !gone[HOST], "alice noticed nothing");
        return;
    }
    if (quiet) {
        waitFor(heardAll, quietMessage, 40000, "all messages under attack");
        check(heard == 2000, "2000 messages under attack, in order");
        send(3, "checked", 0, 1);
        Delay(500);
        return;
    }
    if (myRole == ALICE) {
        say("ok waiting to be killed");
        for (;;)
            if (!receive()) Delay(5);
    }
    {
        int start = MilliSecs();
        waitFor(aliceGone, 0, 15000, "alice's end seen");
        check(gone[ALICE] && MilliSecs() - start < 15000, "killed player left");
    }
}

/* ---------------------------------------------------------------- burst */

enum { BURST = 20000, PAIR = 20 };
static int nextBurst, nextPair;
static char flagPath[512];

/* Whether the flag file the host makes exists (no net game command). */
static int flagged(void) {
    int type = FileType(_qxStrFromCStr((void*)flagPath));
    _qxStrTmpFree(1);
    return type == 1;
}

static void burstMessage(void) {
    if (roleOf(msgFrom) != ALICE) return;
    if (msgType == 15) {
        if (numberAfter("b") != nextBurst) fail("burst message out of order");
        ++nextBurst;
    } else if (msgType == 16) {
        if (numberAfter("p") != nextPair) fail("paired message out of order");
        /* The last of messages sent back to back: alice waits for this file
           without calling a net game command. */
        if (++nextPair == PAIR) {
            CloseFile(WriteFile(_qxStrFromCStr((void*)flagPath)));
            _qxStrTmpFree(1);
        }
    } else if (msgType > 3) {
        fail("unexpected message type");
    }
}

static void burst(void) {
    int i;
    char line[TEXT];
    {
        /* The temporary folder both machines of this host share (with a
           backslash at its end on either host). */
        QXString* temp = SystemProperty(_qxStrFromCStr((void*)"tempdir"));
        put(put(put(flagPath, _qxStrToCStr(temp)), game), ".flag");
        _qxStrRelease(temp);
        _qxStrTmpFree(1);
    }
    expected[HOST] = expected[ALICE] = 1;
    enter();
    createMe();
    meetEveryone();
    if (myRole == ALICE) {
        /* Messages of one moment may be held back to leave together; a
           program that then only waits must not keep them. */
        int deadline;
        for (i = 0; i < PAIR; ++i) {
            putInt(put(line, "p"), i);
            send(16, line, ids[HOST], 1);
        }
        deadline = MilliSecs() + 10000;
        while (!flagged() && MilliSecs() - deadline < 0) Delay(10);
        check(flagged(), "messages sent back to back left while the program waited");
        for (i = 0; i < BURST; ++i) {
            putInt(put(line, "b"), i);
            if (!send(15, line, ids[HOST], 1)) {
                fail("burst send");
                break;
            }
        }
        /* Leaves at once: what is still queued must reach the host. */
        StopNetGame();
        say("ok burst sent");
        return;
    }
    waitFor(aliceGone, burstMessage, 60000, "alice's burst and goodbye");
    check(nextPair == PAIR && nextBurst == BURST, "burst messages whole and in order before the goodbye");
    DeleteFile(_qxStrFromCStr((void*)flagPath));
    _qxStrTmpFree(1);
}


/* ---------------------------------------------------------------- rejoin, away, slow */

enum { REJOIN = 1000, SLOW_TEXT = 60000, SLOW_MAX = 3000 };
static int nextRejoin[PEERS], rejoinBad;

static void rejoinMessage(void) {
    int r = roleOf(msgFrom);
    if (msgType == 20) {
        gotStill = 1;
    } else if (msgType == 40 || msgType == 41) {
        if (myRole == BOB && !gotStill) ++rejoinBad;
        if (r < 0 || numberAfter("r") != nextRejoin[r]) ++rejoinBad;
        else ++nextRejoin[r];
    } else if (msgType == 42) {
        fail("a message kept for a machine that never came back arrived");
    }
}

/* Receives for up to `millis`, until the condition holds. */
static int receiveUntil(Condition condition, Handler handle, int millis) {
    int deadline = MilliSecs() + millis;
    while (!condition() && MilliSecs() - deadline < 0) {
        if (!receive()) Delay(1);
        else if (handle && msgType != 100 && msgType != 101 && msgType != 102 && msgType != 200) handle();
    }
    return condition();
}

static int aliceHosts(void) { return gone[HOST] && becameHost; }
static int hostGone(void) { return gone[HOST]; }
static int bobGone(void) { return gone[BOB]; }
static int gameLost(void) { return lost; }
static int aliceHeardAll(void) { return nextRejoin[BOB] == REJOIN && done[BOB]; }
static int bobHeardAll(void) { return nextRejoin[ALICE] == REJOIN && done[ALICE]; }

static void sendNumbered(int type, int count, int to, const char* what) {
    int i, sent = 1;
    char line[32];
    for (i = 0; i < count; ++i) {
        putInt(put(line, "r"), i);
        sent = send(type, line, to, 1) && sent;
    }
    check(sent, what);
}

static void leaveWhenReady(void) {
    waitFor(allReady, 0, 1000, "ready");
    StopNetGame();
    say("ok left");
}

static void rejoin(void) {
    expected[HOST] = expected[ALICE] = expected[BOB] = 1;
    enter();
    if (myRole == BOB) {
        expected[BOB] = 0;
        waitFor(allJoined, 0, 20000, "alice seen before bob joins");
        expected[BOB] = 1;
    }
    createMe();
    meetEveryone();
    if (myRole == HOST) {
        leaveWhenReady();
        return;
    }
    if (myRole == ALICE) {
        /* At once on 102: bob is still on his way back. */
        check(receiveUntil(aliceHosts, rejoinMessage, 20000) && !lost, "alice became host");
        check(send(20, "still here", ids[BOB], 1), "still here sent at once");
        sendNumbered(40, REJOIN, ids[BOB], "1000 messages sent to bob while he came back");
        check(receiveUntil(aliceHeardAll, rejoinMessage, 30000), "1000 messages from bob");
        send(2, "done", ids[BOB], 1);
    } else {
        check(receiveUntil(hostGone, rejoinMessage, 20000) && !becameHost && !lost, "bob saw the host go");
        sendNumbered(41, REJOIN, ids[ALICE], "1000 messages sent to alice while coming back");
        send(2, "done", ids[ALICE], 1);
        check(receiveUntil(bobHeardAll, rejoinMessage, 30000) && gotStill, "still here and 1000 messages from alice");
    }
    check(rejoinBad == 0, "nothing lost or reordered across the host change");
    Delay(500);
    while (receive()) rejoinMessage();
    check(!lost, "the game goes on");
}

static void away(void) {
    int became;
    expected[HOST] = expected[ALICE] = expected[BOB] = 1;
    enter();
    if (myRole == BOB) {
        expected[BOB] = 0;
        waitFor(allJoined, 0, 20000, "alice seen before bob joins");
        expected[BOB] = 1;
    }
    createMe();
    meetEveryone();
    if (myRole == HOST) {
        leaveWhenReady();
        return;
    }
    if (myRole == BOB) {
        /* Calls no net game command for longer than the new host waits. */
        Delay(9000);
        check(receiveUntil(gameLost, rejoinMessage, 15000), "bob's game lost after he stayed away");
        return;
    }
    check(receiveUntil(aliceHosts, rejoinMessage, 20000) && !lost, "alice became host");
    became = MilliSecs();
    sendNumbered(42, 10, ids[BOB], "messages kept for bob");
    check(receiveUntil(bobGone, rejoinMessage, 15000), "bob's player left at the new host");
    check(MilliSecs() - became >= 4000, "only after the reconnect limit");
}

static int bobRefused, slowSent, slowAcked, slowHeard, slowEnd = -1;
static void slowMessage(void) {
    if (msgType == 50) {
        if (numberAfter("s") != slowHeard) fail("message lost or out of order beside a slow member");
        if (++slowHeard % 20 == 0) {
            char line[32];
            putInt(put(line, "a"), slowHeard);
            send(51, line, ids[HOST], 1);
        }
    } else if (msgType == 51) {
        slowAcked = numberAfter("a");
    } else if (msgType == 52) {
        slowEnd = numberAfter("n");
    }
}
static int aliceChecked(void) { return checked[ALICE]; }
static int slowCaughtUp(void) { return slowAcked + 40 > slowSent; }
static int slowAllHeard(void) { return slowEnd >= 0 && slowHeard == slowEnd; }

static void slow(void) {
    static char line[SLOW_TEXT + 32];
    int start, k;
    expected[HOST] = expected[ALICE] = expected[BOB] = 1;
    enter();
    createMe();
    meetEveryone();
    if (myRole == BOB) {
        /* Stops reading; what he reads after his end is not checked. */
        Delay(6000);
        while (receive()) {
        }
        say("ok bob woke up");
        return;
    }
    if (myRole == ALICE) {
        check(receiveUntil(slowAllHeard, slowMessage, 90000), "every message while bob was slow");
        check(gone[BOB] && !gone[HOST], "bob was dropped, the host stayed");
        send(3, "checked", ids[HOST], 1);
        Delay(300);
        return;
    }
    /* Large messages fill bob's queue; small numbered ones to everybody
       show that alice loses nothing meanwhile. */
    start = MilliSecs();
    for (k = 0; k < SLOW_TEXT; ++k) line[k] = (char)('a' + k % 26);
    line[SLOW_TEXT] = 0;
    while (slowSent < SLOW_MAX && !(gone[BOB] && slowSent >= 100)) {
        char number[32];
        putInt(put(number, "s"), slowSent);
        /* Refused once he is dropped, a moment before his 101 is read. */
        if (!gone[BOB] && !bobRefused) bobRefused = !send(53, line, ids[BOB], 1);
        if (!send(50, number, 0, 1)) fail("send beside a slow member");
        ++slowSent;
        receiveUntil(slowCaughtUp, slowMessage, 20000);
    }
    check(gone[BOB] && !lost, "bob dropped at his queue limit");
    check(MilliSecs() - start < 5000, "long before the silence limit");
    {
        char count[32];
        putInt(put(count, "n"), slowSent);
        send(52, count, ids[ALICE], 1);
    }
    waitFor(aliceChecked, slowMessage, 60000, "alice checked");
}

void qxmain(void) {
    const char* rest = _qxStrToCStr(CommandLine());
    int i;
    rest = nextWord(rest, scenario, sizeof scenario);
    rest = nextWord(rest, role, sizeof role);
    nextWord(rest, game, sizeof game);
    myRole = -1;
    for (i = 0; i < PEERS; ++i)
        if (same(role, names[i])) myRole = i;
    if (myRole < 0 || !game[0]) {
        fail("usage: SCENARIO ROLE GAME");
        return;
    }
    if (same(scenario, "talk"))
        talk();
    else if (same(scenario, "migrate"))
        migrate();
    else if (same(scenario, "crash"))
        crashOrQuiet(0);
    else if (same(scenario, "quiet"))
        crashOrQuiet(1);
    else if (same(scenario, "burst"))
        burst();
    else if (same(scenario, "rejoin"))
        rejoin();
    else if (same(scenario, "away"))
        away();
    else if (same(scenario, "slow"))
        slow();
    else
        fail("unknown scenario");
    StopNetGame();
    say(failures ? "FAIL end" : "ok end");
}
