// The net game commands over the process's net game. Commands that need a
// game, or must not have one, check before anything else: the runtime error
// leaves the command at once. Failures inside (the session's or memory) give
// the command's failure value.

#include <string_view>

#include "core/QXString.h"
#include "netgame/QXNetGame.h"
#include "runtime/QXError.h"
#include "runtime/QXRegistry.h"

namespace {
std::string_view textOf(const QXString* s) { return s ? s->view() : std::string_view{}; }

QXNetPlayerId playerId(int player) { return static_cast<QXNetPlayerId>(player); }

void refuseSecondGame() {
    if (netGame().started()) runtimeError("Multiplayer game already started");
}

void requireGame() {
    if (!netGame().started()) runtimeError("Multiplayer game not started");
}

// Runs `open` on the service and takes over the game it opened.
template <class Open> int startGame(Open open) {
    refuseSecondGame();
    try {
        QXNetService* service = netGame().service();
        return service ? netGame().begin(open(*service)) : kNetNoGame;
    } catch (...) {
        netGame().stop();
        return kNetNoGame;
    }
}

int QXCALL StartNetGame() {
    return startGame([](QXNetService& service) { return service.choose(); });
}

int QXCALL HostNetGame(QXString* gameName) {
    return startGame([gameName](QXNetService& service) { return service.host(textOf(gameName)); });
}

int QXCALL JoinNetGame(QXString* gameName, QXString* address) {
    return startGame(
        [gameName, address](QXNetService& service) { return service.join(textOf(gameName), textOf(address)); });
}

void QXCALL StopNetGame() { netGame().stop(); }

int QXCALL CreateNetPlayer(QXString* name) {
    requireGame();
    try {
        return static_cast<int>(netGame().createPlayer(textOf(name)));
    } catch (...) {
        return 0;
    }
}

void QXCALL DeleteNetPlayer(int player) {
    requireGame();
    netGame().deletePlayer(playerId(player));
}

QXString* QXCALL NetPlayerName(int player) {
    if (player == 0) return newString("<all>");
    const QXNetPlayer* record = netGame().player(playerId(player));
    return record ? newString(std::string_view(record->name)) : newString("<unknown>");
}

int QXCALL NetPlayerLocal(int player) {
    const QXNetPlayer* record = netGame().player(playerId(player));
    return record && !record->remote ? 1 : 0;
}

int QXCALL SendNetMsg(int type, QXString* text, int from, int to, int reliable) {
    requireGame();
    try {
        return netGame().send(type, textOf(text), playerId(from), playerId(to), reliable != 0) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int QXCALL RecvNetMsg() {
    requireGame();
    try {
        return netGame().receive() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int QXCALL NetMsgType() { return netGame().message().type; }
int QXCALL NetMsgFrom() { return static_cast<int>(netGame().message().from); }
int QXCALL NetMsgTo() { return static_cast<int>(netGame().message().to); }
QXString* QXCALL NetMsgData() { return newString(std::string_view(netGame().message().data)); }

const QXSymbol commands[] = {
    QX_COMMAND("%StartNetGame", StartNetGame),
    QX_COMMAND("%HostNetGame$game_name", HostNetGame),
    QX_COMMAND("%JoinNetGame$game_name$ip_address", JoinNetGame),
    QX_COMMAND("StopNetGame", StopNetGame),
    QX_COMMAND("%CreateNetPlayer$name", CreateNetPlayer),
    QX_COMMAND("DeleteNetPlayer%player", DeleteNetPlayer),
    QX_COMMAND("$NetPlayerName%player", NetPlayerName),
    QX_COMMAND("%NetPlayerLocal%player", NetPlayerLocal),
    QX_COMMAND("%SendNetMsg%type$msg%from_player%to_player=0%reliable=1", SendNetMsg),
    QX_COMMAND("%RecvNetMsg", RecvNetMsg),
    QX_COMMAND("%NetMsgType", NetMsgType),
    QX_COMMAND("%NetMsgFrom", NetMsgFrom),
    QX_COMMAND("%NetMsgTo", NetMsgTo),
    QX_COMMAND("$NetMsgData", NetMsgData),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
}  // namespace
