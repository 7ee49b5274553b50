// The system dialogs behind the requester commands. Each is owned by the
// active window and gives the keyboard focus back to the window that had it.

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <array>
#include <string>

#include "core/QXString.h"
#include "events/win32/Win32Font.h"
#include "events/win32/Win32FontDriver.h"
#include "gui/QXFileFilter.h"
#include "gui/win32/Win32GuiDriver.h"
#include "gui/win32/Win32Window.h"
#include "runtime/QXAppTitle.h"

namespace {
constexpr UINT kTopmost = 0x40000, kWarningIcon = 0x30, kInformationIcon = 0x40;
constexpr DWORD kFileFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
constexpr DWORD kColourFlags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
constexpr DWORD kFontFlags = CF_SCREENFONTS | CF_PRINTERFONTS;

// Kept for the whole run, so that custom colours survive between calls.
std::array<COLORREF, 16> customColours{};
// Receives the chosen folder.
char folderPath[MAX_PATH];

HWND owner() {
    Win32Window* window = win32ActiveWindow();
    return window ? window->frame() : nullptr;
}

// Gives the focus back, when it had a window that is still there, as the
// dialog closes.
class FocusKeeper {
public:
    FocusKeeper() : focus_(GetFocus()) {}
    ~FocusKeeper() {
        if (focus_ && IsWindow(focus_)) SetFocus(focus_);
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    HWND focus_;
};

int messageBox(QXString* text, bool serious, UINT buttons) {
    FocusKeeper focus;
    const std::string caption = appTitleText();
    return MessageBoxA(owner(), stringCText(text), caption.c_str(),
                       kTopmost | (serious ? kWarningIcon : kInformationIcon) | buttons);
}

COLORREF swapRedBlue(int colour) {
    const auto value = static_cast<unsigned>(colour);
    return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

int CALLBACK folderCallback(HWND dialog, UINT message, LPARAM parameter, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter), path))
            SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}
}  // namespace

void Win32GuiDriver::notify(QXString* text, bool serious) { messageBox(text, serious, MB_OK); }

int Win32GuiDriver::confirm(QXString* text, bool serious) {
    return messageBox(text, serious, MB_OKCANCEL) == IDOK ? 1 : 0;
}

int Win32GuiDriver::proceed(QXString* text, bool serious) {
    switch (messageBox(text, serious, MB_YESNOCANCEL)) {
    case IDYES: return 1;
    case IDNO: return 0;
    default: return -1;
    }
}

QXString* Win32GuiDriver::requestFile(QXString* prompt, QXString* extensions, bool save, QXString* defaultName) {
    const char* exts = stringCText(extensions);
    const std::string filters = fileFilterList(exts);
    const std::string extension = defaultExtension(exts);
    std::array<char, kFileChooserTextRoom> name{};
    const std::string initial = initialFileName(stringCText(defaultName), exts);
    initial.copy(name.data(), name.size() - 1);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner();
    dialog.lpstrFilter = filters.size() > 2 ? filters.c_str() : nullptr;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = stringCText(prompt);
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = kFileFlags | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);

    FocusKeeper focus;
    const BOOL accepted = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    name.back() = 0;
    return accepted ? newString(name.data()) : nullptr;
}

QXString* Win32GuiDriver::requestDirectory(QXString* prompt, QXString* path) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator) return nullptr;
    const std::string initial = stringCText(path);
    BROWSEINFOA browse{};
    browse.hwndOwner = owner();
    browse.pszDisplayName = folderPath;
    browse.lpszTitle = stringCText(prompt);
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = folderCallback;
    browse.lParam = reinterpret_cast<LPARAM>(initial.c_str());

    QXString* chosen = nullptr;
    {
        FocusKeeper focus;
        if (PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&browse)) {
            folderPath[0] = 0;
            const bool converted = SHGetPathFromIDListA(item, folderPath);
            folderPath[MAX_PATH - 1] = 0;
            allocator->Free(item);
            if (converted) chosen = newString(folderPath);
        }
    }
    allocator->Release();
    return chosen;
}

bool Win32GuiDriver::requestColour(int& colour) {
    CHOOSECOLORA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner();
    dialog.rgbResult = swapRedBlue(colour);
    dialog.lpCustColors = customColours.data();
    dialog.Flags = kColourFlags;
    FocusKeeper focus;
    if (!ChooseColorA(&dialog)) return false;
    colour = static_cast<int>(swapRedBlue(static_cast<int>(dialog.rgbResult)));
    return true;
}

QXFont* Win32GuiDriver::requestFont() {
    LOGFONTA description{};
    CHOOSEFONTA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner();
    dialog.lpLogFont = &description;
    dialog.Flags = kFontFlags;
    {
        FocusKeeper focus;
        if (!ChooseFontA(&dialog)) return nullptr;
    }
    Win32Font* font = theWin32FontDriver.fontFromDescription(description);
    if (!font) return nullptr;
    addModuleResource(font);
    return font;
}
