#pragma once
// The dialog of StartNetGame: the user picks a connection (the built-in game
// service first, then DirectPlay's where DirectPlay works), then joins one
// of the games found through it (double click) or creates a new one by
// name. While a connection is chosen the game list is refreshed every
// second; the built-in service finds games by asking the network.

#include <windows.h>
#include <dplay.h>

#include <memory>
#include <string>
#include <vector>

#include "netgame/QXNetGame.h"
#include "netgame/QXNetNode.h"
#include "netgame/win32/Win32DPNetGame.h"

class Win32DPNetGameDialog {
public:
    static constexpr int kCancelButton = 1011;
    static constexpr int kCreateButton = 1012;
    static constexpr int kNameField = 1013;
    static constexpr int kGameList = 1014;
    static constexpr int kConnectionList = 1015;
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshMs = 1000;

    explicit Win32DPNetGameDialog(Win32DPNetGame& module) : module_(module) {}
    // Destroys the window of createHidden if it is still there.
    ~Win32DPNetGameDialog();
    Win32DPNetGameDialog(const Win32DPNetGameDialog&) = delete;
    Win32DPNetGameDialog& operator=(const Win32DPNetGameDialog&) = delete;

    // Runs the dialog modally on the desktop: no game, or the game joined
    // (1) or created (2).
    QXNetOpened run();
    // Creates the dialog without showing it (for inspection); null on failure.
    HWND createHidden();
    HWND window() const { return window_; }
    // How the dialog ended: 0 until it ends with a game.
    int result() const { return result_; }
    // The game the dialog ended with (once), or no game.
    QXNetOpened takeGame();

private:
    struct Connection {
        std::string name;
        std::vector<std::uint8_t> address;  // empty for "<no connection>" and the built-in service
        bool builtIn = false;
    };
    // A game of the built-in service, as discovery found it.
    struct FoundGame {
        std::string name;
        QXNetEndpoint address;
    };

public:
    static constexpr const char* kBuiltInConnection = "Quelt game service (TCP/IP)";

private:

    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static BOOL CALLBACK addConnection(LPCGUID provider, LPVOID address, DWORD size, LPCDPNAME name, DWORD flags,
                                       LPVOID context);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void command(int control, int notification);

    void open();
    void listConnections();
    void reset();
    void chooseConnection(int index);
    bool refreshGames(bool byTimer);
    void refreshFoundGames();
    bool builtInChosen() const { return discovery_ != nullptr; }
    void joinSelectedGame();
    void createGame();
    void end(int result);

    void startTimer();
    void stopTimer();
    // A message box over the dialog; the refresh waits while it is open.
    void tell(const std::string& text, const char* caption, UINT flags);
    HWND control(int id) const { return GetDlgItem(window_, id); }

    Win32DPNetGame& module_;
    HWND window_ = nullptr;
    bool modal_ = false;
    bool timerRunning_ = false;
    int result_ = 0;
    std::vector<Connection> connections_;
    std::vector<Win32DPGameRecord> games_;
    Win32DPPtr<IDirectPlay4A> directPlay_;
    std::unique_ptr<QXNetDiscovery> discovery_;
    std::vector<FoundGame> found_;
    std::unique_ptr<QXNetNode> node_;  // the built-in game joined or created
};

// The dialog's template, "Start Multiplayer Game", as the words of an
// in-memory dialog template.
std::vector<WORD> netGameDialogTemplate();
