/* Net game commands as a program calls them: player and message queries
   without a game, hosting (a game where DirectPlay can open one, else 0),
   then a player command once the game is stopped, which ends the program. */
#include "qxprog.h"

QX_CSTR(gameName, "qx program game");
QX_CSTR(playerName, "player one");
QX_CSTR(all, "<all>");
QX_CSTR(unknown, "<unknown>");
QX_CSTR(empty, "");
QX_CSTR(unexpected, "unexpected");
static void* constants[] = {&gameName, &playerName, &all, &unknown, &empty, &unexpected, 0};

static void check(int ok, const char* what) {
    Write(_qxStrFromCStr((void*)(ok ? "ok " : "FAIL ")));
    Print(_qxStrFromCStr((void*)what));
}

/* Compares a returned string with a constant and releases it. */
static int same(QXString* returned, QXString* expected) {
    int equal = _qxStrCompare(returned, expected) == 0;
    _qxStrRelease(returned);
    return equal;
}

void qxmain(void) {
    int hosted;
    _qxInitCStrs(constants);
    check(same(NetPlayerName(0), all.s), "NetPlayerName 0");
    check(same(NetPlayerName(12345), unknown.s), "NetPlayerName unknown");
    check(NetPlayerLocal(12345) == 0, "NetPlayerLocal unknown");
    check(NetMsgType() == 0 && NetMsgFrom() == -1 && NetMsgTo() == 0, "no message yet");
    check(same(NetMsgData(), empty.s), "NetMsgData empty");
    StopNetGame();
    check(1, "StopNetGame without a game");

    hosted = HostNetGame(gameName.s);
    check(hosted == 0 || hosted == 2, "HostNetGame");
    if (hosted == 2) {
        int me = CreateNetPlayer(playerName.s);
        check(me != 0 && NetPlayerLocal(me) == 1, "local player");
        check(SendNetMsg(200, gameName.s, me, 0, 1) == 1, "SendNetMsg");
        while (RecvNetMsg()) {
        }
    }
    StopNetGame();
    CreateNetPlayer(playerName.s);
    Print(unexpected.s);
}
