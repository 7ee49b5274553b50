/* chat: several programs talking over a net game and a TCP line protocol.

   chat host NAME [MESSAGES PLAYERS LINES [figures]]
       hosts the net game "qxchat" as player NAME and serves TCP port 28490,
       where line clients connect; their lines go to the game, the game's
       messages go to them.
   chat join NAME [MESSAGES PLAYERS [figures]]
       joins the game on 127.0.0.1 as player NAME.
   chat line NAME [MESSAGES [figures]]
       a plain TCP line client of the host: "/name NAME", then its lines,
       then "/bye"; it prints each line the host sends until the host's "/bye".

   A window lists the players and the messages. Without MESSAGES the program
   is interactive (type into the field, press Send, close the window to
   leave). With MESSAGES it is scripted: once PLAYERS net players and LINES
   line clients are in (the host then tells the others to go), it sends
   "message 1" ... "message MESSAGES", says bye, waits for everyone's bye,
   and leaves. Everything seen is printed in the order seen:
   "joined NAME", "NAME: TEXT", "left NAME". A sender keeps in step with the
   others: it stays at most STEP_WINDOW messages ahead of any sender it has
   heard from, so that nobody's queues grow however long the talk.

   With "figures" the talk is a long run: the messages are counted instead
   of printed and listed (a line "NAME: COUNT in order" for each sender at
   the end, or what came out of order), and the program prints its memory,
   handles and objects after a tenth of its own messages, halfway and once
   the talk is over, then whether they stayed flat (qxfigures.h). The
   message list keeps the last LIST_ROWS messages. */
#include "qxfigures.h"
#include "qxprog.h"

enum { CHAT = 1, BYE = 2, RELAYED = 3, GO = 4 };
enum { JOINED = 100, LEFT = 101, LOST = 200 };
enum { GADGET_ACTION = 0x401, WINDOW_CLOSE = 0x803 };
enum { LINE_PORT = 28490, MAX_LINES = 8, TEXT = 512, PATIENCE_MS = 60000 };
enum { STEP_WINDOW = 50, LIST_ROWS = 200 };

static char role[16], myName[64];
static int messages, players, lineClients, scripted, hosting, figures;
static int me, remotePlayers, byes, lost, started;
static int window, playerList, messageList, field, sendButton;

/* ---------------------------------------------------------------- C text */

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

/* At most room - 1 bytes of text: names come from the network. */
static char* putSome(char* out, const char* text, int room) {
    while (*text && room > 1) *out++ = *text++, --room;
    *out = 0;
    return out;
}

static char* putInt(char* out, int value) {
    char digits[12];
    int n = 0;
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

static const char* nextWord(const char* from, char* out, int room) {
    while (*from == ' ') ++from;
    while (*from && *from != ' ' && room > 1) *out++ = *from++, --room;
    *out = 0;
    return from;
}

/* Copies a runtime string into `out` and releases it. */
static void take(QXString* string, char* out, int room) {
    const char* bytes = _qxStrToCStr(string);
    int n = 0;
    while (n < room - 1 && bytes[n]) out[n] = bytes[n], ++n;
    out[n] = 0;
    _qxStrRelease(string);
}

/* ---------------------------------------------------------------- runtime calls */

static QXString* text(const char* bytes) { return _qxStrFromCStr((void*)bytes); }

static void say(const char* line) {
    Print(text(line));
    _qxStrTmpFree(1);
}

static void addItem(int list, const char* item) {
    AddGadgetItem(list, text(item), 0, -1);
    _qxStrTmpFree(1);
}

/* ---------------------------------------------------------------- keeping in step

   Every sender's "message N" lines, as heard: the last N of each, and
   whether they came in order. */
enum { MAX_SENDERS = 16 };
static char senderNames[MAX_SENDERS][64];
static int senderLast[MAX_SENDERS], senderOutOfOrder[MAX_SENDERS], senderCount;

static void noteSender(const char* line) {
    char name[64];
    int n = 0;
    if (!scripted) return; /* a person may type anything */
    while (line[n] && !startsWith(line + n, ": ") && n < 63) name[n] = line[n], ++n;
    name[n] = 0;
    if (!startsWith(line + n, ": message ")) return;
    const int number = readInt(line + n + 10);
    int i = 0;
    while (i < senderCount && !same(senderNames[i], name)) ++i;
    if (i == senderCount) {
        if (senderCount == MAX_SENDERS) return;
        put(senderNames[senderCount++], name);
    }
    if (number != senderLast[i] + 1) {
        if (!senderOutOfOrder[i]++) {
            char report[TEXT + 40];
            put(put(report, "out of order: "), line);
            say(report);
        }
    }
    senderLast[i] = number;
}

/* Our own name as the others print it. */
static const char* ownSenderName(void) {
    static char name[72];
    put(put(name, myName), same(role, "line") ? "@tcp" : "");
    return name;
}

/* Message `number` of ours may go: nobody heard from is STEP_WINDOW behind. */
static int inStep(int number) {
    for (int i = 0; i < senderCount; ++i)
        if (!same(senderNames[i], ownSenderName()) && senderLast[i] < messages && senderLast[i] < number - STEP_WINDOW)
            return 0;
    return 1;
}

static void sayCounts(void) {
    char line[120];
    for (int i = 0; i < senderCount; ++i) {
        char* at = putInt(put(put(line, senderNames[i]), ": "), senderLast[i]);
        put(at, senderOutOfOrder[i] ? " out of order" : " in order");
        say(line);
    }
}

/* Own messages sent where the figures are taken: after a tenth, then halfway. */
static void figuresAt(int sent) {
    const int warmUp = messages / 10;
    if (!figures) return;
    if (sent == warmUp) qxFigures("start");
    if (sent == warmUp + (messages - warmUp) / 2) qxFigures("middle");
}

static void figuresEnd(void) {
    if (!figures) return;
    qxFigures("end");
    sayCounts();
    qxFiguresVerdict();
}

/* Shows and prints one line of the conversation: the list keeps the last
   LIST_ROWS lines. With figures, lines are only counted: a list view takes
   some 20 ms a line under Wine (docs/wine-notes.md), which would make the
   long run a matter of hours. */
static void show(const char* line) {
    noteSender(line);
    if (figures) return;
    say(line);
    if (CountGadgetItems(messageList) >= LIST_ROWS) RemoveGadgetItem(messageList, 0);
    addItem(messageList, line);
}

static int send(int type, const char* message) {
    int sent = SendNetMsg(type, text(message), me, 0, 1);
    _qxStrTmpFree(1);
    return sent;
}

static void toLineClients(const char* line);

/* A message of ours: to the game, shown here, and to the line clients. */
static void sayOwn(const char* message) {
    char line[TEXT + 80];
    send(CHAT, message);
    put(put(put(line, myName), ": "), message);
    show(line);
    toLineClients(line);
}

/* Names of the players met, kept here: a player that left has no record. */
enum { MAX_PLAYERS = 16 };
static int knownIds[MAX_PLAYERS];
static char knownNames[MAX_PLAYERS][64];

static void playerName(int player, char* out, int room) {
    for (int i = 0; i < MAX_PLAYERS; ++i)
        if (knownIds[i] == player && player) {
            putSome(out, knownNames[i], room);
            return;
        }
    take(NetPlayerName(player), out, room);
    for (int i = 0; i < MAX_PLAYERS; ++i)
        if (!knownIds[i]) {
            knownIds[i] = player;
            putSome(knownNames[i], out, sizeof knownNames[i]);
            return;
        }
}

/* ---------------------------------------------------------------- TCP line clients (host) */

static int server;
static int streams[MAX_LINES], finished[MAX_LINES];
static char lineNames[MAX_LINES][64];
static int linesNamed, linesFinished;

static void writeLine(int stream, const char* line) {
    WriteLine(stream, text(line));
    _qxStrTmpFree(1);
}

static void toLineClients(const char* line) {
    for (int i = 0; i < MAX_LINES; ++i)
        if (streams[i]) writeLine(streams[i], line);
}

static void acceptLineClients(void) {
    int stream = AcceptTCPStream(server);
    if (!stream) return;
    for (int i = 0; i < MAX_LINES; ++i)
        if (!streams[i]) {
            streams[i] = stream;
            put(lineNames[i], "?");
            return;
        }
    CloseTCPStream(stream);
}

/* A client that said bye still hears the rest until the host leaves. */
static void finishLineClient(int i) {
    if (!finished[i]) ++linesFinished;
    finished[i] = 1;
}

static void dropLineClient(int i) {
    finishLineClient(i);
    CloseTCPStream(streams[i]);
    streams[i] = 0;
}

static void closeLineClients(void) {
    for (int i = 0; i < MAX_LINES; ++i)
        if (streams[i]) {
            writeLine(streams[i], "/bye");
            dropLineClient(i);
        }
}

/* One whole line from a client: a command or a message for everyone. */
static void lineFromClient(int i, const char* line) {
    char relayed[TEXT + 80];
    if (startsWith(line, "/name ")) {
        put(putSome(lineNames[i], line + 6, sizeof lineNames[i] - 4), "@tcp");
        ++linesNamed;
        addItem(playerList, lineNames[i]);
        put(put(relayed, "joined "), lineNames[i]);
        say(relayed);
        return;
    }
    if (same(line, "/bye")) {
        put(put(relayed, "left "), lineNames[i]);
        say(relayed);
        finishLineClient(i);
        return;
    }
    put(put(put(relayed, lineNames[i]), ": "), line);
    show(relayed);
    send(RELAYED, relayed);
    toLineClients(relayed);
}

static void readLineClients(void) {
    char line[TEXT];
    for (int i = 0; i < MAX_LINES; ++i) {
        /* ReadLine waits for a whole line: read only when one has come. */
        while (streams[i] && !finished[i] && ReadAvail(streams[i]) > 0) {
            take(ReadLine(streams[i]), line, TEXT);
            lineFromClient(i, line);
        }
        if (streams[i] && Eof(streams[i])) dropLineClient(i);
    }
}

/* ---------------------------------------------------------------- the net game */

static void receiveNet(void) {
    char data[TEXT], name[64], line[TEXT + 80];
    while (RecvNetMsg()) {
        int type = NetMsgType(), from = NetMsgFrom();
        take(NetMsgData(), data, TEXT);
        playerName(from, name, sizeof name);
        if (type == JOINED) {
            ++remotePlayers;
            addItem(playerList, name);
            put(put(line, "joined "), name);
            say(line);
        } else if (type == LEFT) {
            for (int i = CountGadgetItems(playerList) - 1; i >= 0; --i) {
                char item[80];
                take(GadgetItemText(playerList, i), item, sizeof item);
                if (same(item, name)) {
                    put(put(item, name), " (left)");
                    ModifyGadgetItem(playerList, i, text(item), -1);
                    _qxStrTmpFree(1);
                }
            }
            --remotePlayers;
            put(put(line, "left "), name);
            say(line);
        } else if (type == LOST) {
            lost = 1;
            say("the game is lost");
        } else if (type == GO) {
            started = 1;
        } else if (type == BYE) {
            ++byes;
        } else if (type == RELAYED) {
            show(data);
        } else if (type == CHAT) {
            put(put(put(line, name), ": "), data);
            show(line);
            toLineClients(line);
        }
    }
}

/* One turn of the program: window events (waiting up to `waitMs` for one),
   the game, the line clients. Returns 0 when the window was closed. */
static int pumpFor(int waitMs) {
    int event = WaitEvent(waitMs);
    if (event == WINDOW_CLOSE) return 0;
    if (event == GADGET_ACTION && EventSource() == sendButton) {
        char typed[TEXT];
        take(TextFieldText(field), typed, TEXT);
        if (typed[0]) {
            sayOwn(typed);
            SetGadgetText(field, text(""));
            _qxStrTmpFree(1);
        }
    }
    if (me) receiveNet();
    if (server) {
        acceptLineClients();
        readLineClients();
    }
    return 1;
}

static int pump(void) { return pumpFor(5); }

typedef int (*Condition)(void);

/* Pumps until the condition holds; 0 on time-out, a closed window or a lost game. */
static int waitFor(Condition condition, const char* what) {
    int deadline = MilliSecs() + PATIENCE_MS;
    while (!condition()) {
        if (!pump() || lost) return 0;
        if (MilliSecs() - deadline > 0) {
            char line[120];
            put(put(line, "timed out waiting for "), what);
            say(line);
            return 0;
        }
    }
    return 1;
}

/* The host starts the talk once every player and line client is in. */
static int everyoneHere(void) { return remotePlayers >= players - 1 && linesNamed >= lineClients; }
static int hostSaidGo(void) { return started; }
static int lineClientsDone(void) { return linesFinished >= lineClients; }
static int everyoneSaidBye(void) { return byes >= players - 1; }
static int everyoneLeft(void) { return remotePlayers <= 0; }
static int nextOwn;
static int ownTurn(void) { return inStep(nextOwn); }

static int enterGame(void) {
    QXString* game = text("qxchat");
    int entered = 0;
    if (hosting) {
        entered = HostNetGame(game) == 2;
    } else {
        QXString* address = text("127.0.0.1");
        /* The host may still be starting. */
        for (int tries = 0; tries < 40 && !entered; ++tries) {
            entered = JoinNetGame(game, address) == 1;
            if (!entered) Delay(250);
        }
        _qxStrRelease(address);
    }
    _qxStrRelease(game);
    if (!entered) return 0;
    me = CreateNetPlayer(text(myName));
    _qxStrTmpFree(1);
    if (!me) return 0;
    {
        char item[80];
        put(put(item, myName), " (me)");
        addItem(playerList, item);
        put(put(item, "me "), myName);
        say(item);
    }
    return 1;
}

/* ---------------------------------------------------------------- line client */

static int lineClient(void) {
    char line[TEXT];
    int stream = 0, go = 0, next = 1;
    QXString* host = text("127.0.0.1");
    for (int tries = 0; tries < 80 && !stream; ++tries) {
        stream = OpenTCPStream(host, LINE_PORT, 0);
        if (!stream) Delay(250);
    }
    _qxStrRelease(host);
    if (!stream) {
        say("no host to talk to");
        return 1;
    }
    put(put(line, "/name "), myName);
    writeLine(stream, line);
    /* A scripted host says "/go" when everyone is in; "/bye" when it leaves.
       The deadline moves on while lines come. */
    for (int deadline = MilliSecs() + PATIENCE_MS; !scripted || MilliSecs() - deadline < 0;) {
        /* Waits only when there is nothing to read and nothing to send. */
        const int busy = ReadAvail(stream) > 0 || (go && next <= messages + 1 && inStep(next));
        int event = WaitEvent(busy ? 0 : 5);
        if (event == WINDOW_CLOSE) {
            writeLine(stream, "/bye");
            break;
        }
        if (event == GADGET_ACTION && EventSource() == sendButton) {
            take(TextFieldText(field), line, TEXT);
            if (line[0]) writeLine(stream, line);
            SetGadgetText(field, text(""));
            _qxStrTmpFree(1);
        }
        int ended = 0;
        while (!ended && ReadAvail(stream) > 0) {
            take(ReadLine(stream), line, TEXT);
            deadline = MilliSecs() + PATIENCE_MS;
            if (same(line, "/bye")) ended = 1;
            else if (same(line, "/go")) go = scripted;
            else show(line);
        }
        if (ended || Eof(stream)) break;
        /* Our lines, one a turn, in step with the others; then "/bye". */
        if (go && next <= messages && inStep(next)) {
            putInt(put(line, "message "), next);
            writeLine(stream, line);
            figuresAt(next++);
        } else if (go && next == messages + 1) {
            writeLine(stream, "/bye");
            ++next;
        }
    }
    figuresEnd();
    CloseTCPStream(stream);
    return 0;
}

/* ---------------------------------------------------------------- main */

static void openWindow(void) {
    char title[100];
    put(put(put(put(title, "Chat - "), myName), " "), role);
    /* Apart on the screen, so that no window hides another. */
    int x = same(role, "host") ? 20 : 580, y = same(role, "line") ? 380 : 20;
    if (same(role, "join") && myName[0] % 2) y = 380;
    window = CreateWindow(text(title), x, y, 520, 300, 0, 1 | 32);
    _qxStrTmpFree(1);
    playerList = CreateListBox(8, 8, 150, 284, window, 0);
    messageList = CreateListBox(166, 8, 346, 250, window, 0);
    field = CreateTextField(166, 266, 270, 24, window, 0);
    sendButton = CreateButton(text("Send"), 444, 266, 68, 24, window, 1);
    _qxStrTmpFree(1);
}

static void readArguments(void) {
    char arguments[300], word[16];
    const char* at;
    take(CommandLine(), arguments, sizeof arguments);
    at = nextWord(arguments, role, sizeof role);
    at = nextWord(at, myName, sizeof myName);
    at = nextWord(at, word, sizeof word), messages = readInt(word);
    if (!same(role, "line")) at = nextWord(at, word, sizeof word), players = readInt(word);
    if (same(role, "host")) at = nextWord(at, word, sizeof word), lineClients = readInt(word);
    nextWord(at, word, sizeof word), figures = same(word, "figures");
    scripted = messages > 0;
    if (!myName[0]) put(myName, role);
}

/* Scripted talk: wait for everyone, send, say bye, wait for the byes. */
static void talk(void) {
    char line[40];
    if (hosting) {
        if (!waitFor(everyoneHere, "the players")) return;
        send(GO, "go");
        toLineClients("/go");
    } else if (!waitFor(hostSaidGo, "the host")) {
        return;
    }
    for (int i = 1; i <= messages; ++i) {
        nextOwn = i;
        if (!waitFor(ownTurn, "the others to keep up")) return;
        putInt(put(line, "message "), i);
        sayOwn(line);
        figuresAt(i);
        if (!pumpFor(0) || lost) return;
    }
    if (server && !waitFor(lineClientsDone, "the line clients")) return;
    send(BYE, "bye");
    if (!waitFor(everyoneSaidBye, "everyone's bye")) return;
    say("everyone said bye");
    figuresEnd();
}

void qxmain(void) {
    readArguments();
    if (!same(role, "host") && !same(role, "join") && !same(role, "line")) {
        say("usage: chat host|join|line NAME [MESSAGES PLAYERS LINES]");
        return;
    }
    if (figures) qxFiguresBind();
    openWindow();
    if (same(role, "line")) {
        lineClient();
        return;
    }
    hosting = same(role, "host");
    if (hosting) {
        server = CreateTCPServer(LINE_PORT);
        if (!server) say("no TCP port for line clients");
    }
    if (!enterGame()) {
        say("could not enter the game");
        return;
    }
    if (scripted) {
        talk();
        if (hosting) {
            /* The host leaves last, its window showing the whole talk. */
            waitFor(everyoneLeft, "the players to leave");
            for (int k = 0; k < 30; ++k) WaitEvent(50);
        }
    } else {
        while (pump() && !lost) {
        }
    }
    closeLineClients();
    if (me) DeleteNetPlayer(me);
    StopNetGame();
    if (server) CloseTCPServer(server);
}
