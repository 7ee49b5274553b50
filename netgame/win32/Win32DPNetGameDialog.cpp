#include "netgame/win32/Win32DPNetGameDialog.h"

#include <memory>
#include <utility>

namespace {
constexpr UINT kWarning = MB_OK | MB_ICONWARNING;
constexpr UINT kUrgentWarning = MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST;  // 0x50030
constexpr UINT kUrgentRequest = MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST;  // 0x50040
static_assert(kUrgentWarning == 0x50030 && kUrgentRequest == 0x50040);
constexpr int kNameChars = 259;

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kListBoxClass = 0x0083;
constexpr WORD kComboBoxClass = 0x0085;
constexpr WORD kNoIdentifier = 0xFFFF;

// An in-memory dialog template; items start on 4-byte boundaries.
class DialogTemplate {
public:
    DialogTemplate(const char* caption, short width, short height, WORD itemCount) {
        dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        dword(0);
        words_.push_back(itemCount);
        for (short value : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(value));
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard dialog class
        text(caption);
        words_.push_back(8);
        text("MS Sans Serif");
    }

    void item(WORD classAtom, const char* caption, WORD id, DWORD style, short x, short y, short width, short height) {
        if (words_.size() % 2) words_.push_back(0);
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        for (short value : {x, y, width, height}) words_.push_back(static_cast<WORD>(value));
        words_.push_back(id);
        words_.push_back(0xFFFF);
        words_.push_back(classAtom);
        text(caption);
        words_.push_back(0);  // no creation data
    }

    std::vector<WORD> take() { return std::move(words_); }

private:
    void dword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void text(const char* ascii) {
        while (*ascii) words_.push_back(static_cast<unsigned char>(*ascii++));
        words_.push_back(0);
    }

    std::vector<WORD> words_;
};
}  // namespace

std::vector<WORD> netGameDialogTemplate() {
    using D = Win32DPNetGameDialog;
    DialogTemplate dialog("Start Multiplayer Game", 190, 199, 8);
    dialog.item(kStaticClass, "Connection", kNoIdentifier, SS_LEFT, 10, 11, 170, 8);
    dialog.item(kComboBoxClass, "", D::kConnectionList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 10, 22, 170, 60);
    dialog.item(kStaticClass, "Games in progress", kNoIdentifier, SS_LEFT, 10, 42, 170, 8);
    dialog.item(kListBoxClass, "", D::kGameList, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
                10, 53, 170, 82);
    dialog.item(kStaticClass, "Name for new game", kNoIdentifier, SS_LEFT, 10, 144, 170, 8);
    dialog.item(kEditClass, "", D::kNameField, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 155, 170, 12);
    dialog.item(kButtonClass, "Create new game", D::kCreateButton, BS_PUSHBUTTON | WS_TABSTOP, 10, 178, 67, 14);
    dialog.item(kButtonClass, "Cancel", D::kCancelButton, BS_PUSHBUTTON | WS_TABSTOP, 135, 178, 45, 14);
    return dialog.take();
}

// ---------------------------------------------------------------- window

Win32DPNetGameDialog::~Win32DPNetGameDialog() {
    if (!modal_ && window_ && IsWindow(window_)) DestroyWindow(window_);
}

QXNetOpened Win32DPNetGameDialog::run() {
    const std::vector<WORD> words = netGameDialogTemplate();
    modal_ = true;
    // No owner: the dialog belongs to the desktop.
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), nullptr,
                            procedure, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return takeGame();
}

QXNetOpened Win32DPNetGameDialog::takeGame() {
    if (result_ != kNetNoGame && node_) return {result_, std::move(node_)};
    if (result_ == kNetNoGame || !directPlay_) return {};
    return {result_, std::make_unique<Win32DPNetGameSession>(std::move(directPlay_))};
}

HWND Win32DPNetGameDialog::createHidden() {
    const std::vector<WORD> words = netGameDialogTemplate();
    modal_ = false;
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(words.data()),
                                      nullptr, procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Win32DPNetGameDialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<Win32DPNetGameDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<Win32DPNetGameDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->window_ = window;
    }
    if (!dialog) return FALSE;
    // Nothing may unwind through the window manager.
    try {
        return dialog->handle(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR Win32DPNetGameDialog::handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        open();
        return TRUE;
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kRefreshTimer && timerRunning_) {
            if (builtInChosen())
                refreshFoundGames();
            else
                refreshGames(true);
        }
        return TRUE;
    case WM_DESTROY:
        stopTimer();
        return FALSE;
    default:
        return FALSE;
    }
}

void Win32DPNetGameDialog::command(int control, int notification) {
    switch (control) {
    case kConnectionList:
        if (notification == CBN_SELCHANGE) {
            const int index = static_cast<int>(SendMessageA(this->control(kConnectionList), CB_GETCURSEL, 0, 0));
            if (index > 0)
                chooseConnection(index);
            else
                reset();
        }
        break;
    case kGameList:
        if (notification == LBN_DBLCLK) joinSelectedGame();
        break;
    case kCreateButton:
        if (notification == BN_CLICKED) createGame();
        break;
    case kCancelButton:
    case IDCANCEL:
        end(kNetNoGame);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- steps

void Win32DPNetGameDialog::open() {
    SetForegroundWindow(window_);
    listConnections();
    HWND list = control(kConnectionList);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const Connection& connection : connections_)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(connection.name.c_str()));
    reset();
}

void Win32DPNetGameDialog::listConnections() {
    connections_.clear();
    connections_.push_back({"<no connection>", {}, false});
    connections_.push_back({kBuiltInConnection, {}, true});
    // Without DirectPlay the built-in service is the only connection.
    if (!module_.hasDirectPlay()) return;
    Win32DPPtr<IDirectPlay4A> directPlay = module_.createDirectPlay();
    if (!directPlay) {
        tell("Error opening DirectPlay", "DirectPlay Error", kWarning);
        return;
    }
    if (FAILED(directPlay->EnumConnections(nullptr, addConnection, this, 0)))
        tell("Failed to enumerate connections", "DirectPlay Error", kUrgentWarning);
}

BOOL CALLBACK Win32DPNetGameDialog::addConnection(LPCGUID, LPVOID address, DWORD size, LPCDPNAME name, DWORD,
                                                  LPVOID context) {
    auto& dialog = *static_cast<Win32DPNetGameDialog*>(context);
    if (!address || size == 0) return TRUE;
    try {
        Connection connection;
        connection.name = name && name->lpszShortNameA ? name->lpszShortNameA : "";
        const auto* bytes = static_cast<const std::uint8_t*>(address);
        connection.address.assign(bytes, bytes + size);
        // Only connections that DirectPlay can set up on this machine.
        Win32DPPtr<IDirectPlay4A> trial = dialog.module_.createDirectPlay();
        if (trial && SUCCEEDED(trial->InitializeConnection(connection.address.data(), 0)))
            dialog.connections_.push_back(std::move(connection));
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

void Win32DPNetGameDialog::reset() {
    stopTimer();
    directPlay_.reset();
    discovery_.reset();
    found_.clear();
    games_.clear();
    SendMessageA(control(kConnectionList), CB_SETCURSEL, 0, 0);
    SetDlgItemTextA(window_, kNameField, "");
    SendMessageA(control(kGameList), LB_RESETCONTENT, 0, 0);
    for (int id : {kGameList, kCreateButton, kNameField}) EnableWindow(control(id), FALSE);
}

void Win32DPNetGameDialog::chooseConnection(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= connections_.size()) return;
    stopTimer();
    directPlay_.reset();
    discovery_.reset();
    found_.clear();
    Connection& connection = connections_[static_cast<std::size_t>(index)];
    if (connection.builtIn) {
        discovery_ = std::make_unique<QXNetDiscovery>(module_.sockets());
        if (!discovery_->open()) {
            discovery_.reset();
            tell("Unable to open " + connection.name, "DirPlay Error", kWarning);
            reset();
            return;
        }
        discovery_->ask(module_.discoveryTargets());
        // Games on this machine answer at once; others by the next refresh.
        Sleep(50);
        refreshFoundGames();
        EnableWindow(control(kNameField), TRUE);
        EnableWindow(control(kCreateButton), TRUE);
        return;
    }
    directPlay_ = module_.createDirectPlay();
    const HRESULT result =
        directPlay_ ? directPlay_->InitializeConnection(connection.address.data(), 0) : E_FAIL;
    if (FAILED(result)) {
        directPlay_.reset();
        if (result != kDirectPlayUserCancel) tell("Unable to open " + connection.name, "DirPlay Error", kWarning);
        reset();
        return;
    }
    refreshGames(false);
    EnableWindow(control(kNameField), TRUE);
    EnableWindow(control(kCreateButton), TRUE);
}

bool Win32DPNetGameDialog::refreshGames(bool byTimer) {
    if (!directPlay_) return false;
    HWND list = control(kGameList);
    EnableWindow(list, TRUE);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    games_.clear();
    const HRESULT result = enumerateGames(*directPlay_, DPENUMSESSIONS_ASYNC, games_);
    if (FAILED(result)) {
        stopTimer();
        directPlay_.reset();
        games_.clear();
        if (result != kDirectPlayUserCancel) tell("Unable to enumerate sessions", "DirPlay Error", kWarning);
        if (byTimer) reset();
        return false;
    }
    for (const Win32DPGameRecord& game : games_)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(game.name.c_str()));
    if (games_.empty()) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("<no games found>"));
        EnableWindow(list, FALSE);
    }
    startTimer();
    return true;
}

void Win32DPNetGameDialog::refreshFoundGames() {
    if (!discovery_) return;
    discovery_->poll();
    HWND list = control(kGameList);
    EnableWindow(list, TRUE);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    found_.clear();
    for (const QXNetDiscovery::Game& game : discovery_->games()) {
        found_.push_back({game.name, game.address});
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(game.name.c_str()));
    }
    if (found_.empty()) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("<no games found>"));
        EnableWindow(list, FALSE);
    }
    // The answers to this round are read at the next refresh.
    discovery_->ask(module_.discoveryTargets());
    startTimer();
}

void Win32DPNetGameDialog::joinSelectedGame() {
    const LRESULT selected = SendMessageA(control(kGameList), LB_GETCURSEL, 0, 0);
    if (builtInChosen()) {
        if (selected < 0 || static_cast<std::size_t>(selected) >= found_.size()) return;
        const FoundGame& game = found_[static_cast<std::size_t>(selected)];
        node_ = QXNetNode::join(module_.sockets(), game.name, game.address.ip, game.address.port);
        if (!node_) {
            tell("Unable to join game", "DirPlay Error", kWarning);
            return;
        }
        end(kNetJoined);
        return;
    }
    if (!directPlay_ || selected < 0 || static_cast<std::size_t>(selected) >= games_.size()) return;
    DPSESSIONDESC2 description = joinGameDescription(games_[static_cast<std::size_t>(selected)].instance);
    if (FAILED(directPlay_->Open(&description, DPOPEN_JOIN))) {
        tell("Unable to join game", "DirPlay Error", kWarning);
        return;
    }
    end(kNetJoined);
}

void Win32DPNetGameDialog::createGame() {
    char name[kNameChars + 1] = {};
    GetDlgItemTextA(window_, kNameField, name, sizeof name);
    if (name[0] == 0) {
        tell("Please enter a name for the new game", "DirectPlay Request", kUrgentRequest);
        return;
    }
    if (builtInChosen()) {
        node_ = QXNetNode::host(module_.sockets(), name);
        if (!node_) {
            tell("Unable to create new game", "DirPlay Error", kWarning);
            return;
        }
        end(kNetCreated);
        return;
    }
    DPSESSIONDESC2 description = newGameDescription(name);
    if (!directPlay_ || FAILED(directPlay_->Open(&description, DPOPEN_CREATE))) {
        tell("Unable to create new game", "DirPlay Error", kWarning);
        return;
    }
    end(kNetCreated);
}

void Win32DPNetGameDialog::end(int result) {
    stopTimer();
    discovery_.reset();
    if (result == kNetNoGame) {
        directPlay_.reset();
        node_.reset();
    }
    result_ = result;
    if (modal_) EndDialog(window_, result);
}

// ---------------------------------------------------------------- helpers

void Win32DPNetGameDialog::startTimer() {
    if (!timerRunning_) timerRunning_ = SetTimer(window_, kRefreshTimer, kRefreshMs, nullptr) != 0;
}

void Win32DPNetGameDialog::stopTimer() {
    if (timerRunning_) KillTimer(window_, kRefreshTimer);
    timerRunning_ = false;
}

void Win32DPNetGameDialog::tell(const std::string& text, const char* caption, UINT flags) {
    const bool refreshing = timerRunning_;
    stopTimer();
    MessageBoxA(window_, text.c_str(), caption, flags);
    if (refreshing && (directPlay_ || discovery_)) startTimer();
}
