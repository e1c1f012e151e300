// The standard dialogs (file open and save, colour chooser) and popup menus
// go through one service for the process, as message boxes do
// (platform/core/MessageBox.h). The window layer installs the Qt ones when
// it starts (UserInterface); tests install scripted ones above them
// (tests/support/ui/ScriptedDialogs.h), so no test ever waits for a person.
// With no service at all every dialog is cancelled.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/WindowApi.h"

#include <memory>
#include <utility>
#include <vector>

namespace platform {

struct FileDialogRequest {
    HWND owner;
    bool open = true;
    CString title;
    CString initialFolder;
    CString fileName;  // the initial name (may hold a folder)
    CString defaultExtension;
    // Pairs of description and patterns ("*.txt;*.csv").
    std::vector<std::pair<CString, CString>> filters;
    int filterIndex = 1;  // 1-based
    DWORD flags = 0;      // OFN_ flags
};

struct FileDialogResult {
    bool ok = false;
    std::vector<CString> paths;  // full paths; several with OFN_ALLOWMULTISELECT
    int filterIndex = 1;
};

struct ColorDialogRequest {
    HWND owner;
    COLORREF initial = 0;
    COLORREF customColors[16] = {};
    DWORD flags = 0;  // CC_ flags
};

struct ColorDialogResult {
    bool ok = false;
    COLORREF color = 0;
    COLORREF customColors[16] = {};
};

struct PopupMenuItem {
    UINT id = 0;
    UINT flags = 0;
    CString text;
    HMENU submenu;
};

struct PopupMenuRequest {
    HWND owner;
    HMENU menu;
    POINT at;
    UINT flags = 0;
};

class IStandardDialogService {
public:
    virtual ~IStandardDialogService() = default;
    virtual FileDialogResult ShowFileDialog(const FileDialogRequest& request) = 0;
    virtual ColorDialogResult ShowColorDialog(const ColorDialogRequest& request) = 0;
    // The chosen command, 0 for none.
    virtual UINT ShowPopupMenu(const PopupMenuRequest& request) = 0;
};

IStandardDialogService* SetStandardDialogService(IStandardDialogService* service);
IStandardDialogService* GetStandardDialogService();

class ScopedStandardDialogService {
public:
    explicit ScopedStandardDialogService(IStandardDialogService* service)
        : m_previous(SetStandardDialogService(service))
    {
    }
    ~ScopedStandardDialogService() { SetStandardDialogService(m_previous); }
    ScopedStandardDialogService(const ScopedStandardDialogService&) = delete;
    ScopedStandardDialogService& operator=(const ScopedStandardDialogService&) = delete;

private:
    IStandardDialogService* m_previous;
};

// Through the service (cancelled without one); any thread.
FileDialogResult ShowFileDialog(const FileDialogRequest& request);
ColorDialogResult ShowColorDialog(const ColorDialogRequest& request);
UINT ShowPopupMenu(const PopupMenuRequest& request);

// The items of a menu, for services that show it.
std::vector<PopupMenuItem> MenuItemsOf(HMENU menu);

// The Qt message box and standard dialogs, installed for their life (by
// UserInterface); earlier services come back when they end.
class StandardServices {
public:
    StandardServices();
    ~StandardServices();
    StandardServices(const StandardServices&) = delete;
    StandardServices& operator=(const StandardServices&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
