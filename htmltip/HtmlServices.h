// The platform services a markup drawer reaches besides its canvas: modules
// and their resources, the owner window, and opening links. Each is a small
// interface so that the drawer's rules can be tested with fakes and the
// user-interface layer can bind the real calls.
#pragma once

#include "htmltip/MarkupCanvas.h"

#include "platform/core/CString.h"

#include <memory>

namespace htmltip {

// Load flag of a module read for its resources only.
inline constexpr DWORD kLoadModuleAsData = 0x00000002;

class IHtmlResources {
public:
    virtual ~IHtmlResources() = default;
    // Loads a module by a file name that the drawer has checked to name the
    // program folder; null when it cannot be loaded.
    virtual HMODULE LoadModule(const CString& fileName, DWORD flags) = 0;
    virtual void FreeModule(HMODULE module) = 0;
    // A null module stands for the program's own resources. Null or empty
    // results when the resource is missing.
    virtual CString LoadString(HMODULE module, UINT id) = 0;
    virtual std::shared_ptr<IMarkupImage> LoadBitmap(HMODULE module, UINT id) = 0;
    virtual std::shared_ptr<IMarkupImage> LoadBitmapFile(const CString& path) = 0;
    // cx, cy: the size to load (0: the icon's own size).
    virtual std::shared_ptr<IMarkupImage> LoadIcon(HMODULE module, UINT id, int cx, int cy) = 0;
    virtual std::shared_ptr<IMarkupImage> LoadIconFile(const CString& path, int cx, int cy) = 0;
};

class IHtmlWindowServices {
public:
    virtual ~IHtmlWindowServices() = default;
    // Sends (not posts) a message and gives its result.
    virtual LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Shows the hyperlink cursor; false when there is none.
    virtual bool SetHyperlinkCursor() = 0;
    // The hyperlink cursor goes back to its default before a link opens.
    virtual void ResetHyperlinkCursor() {}
};

// Results of opening a link, in the system's manner: above 32 is success.
inline constexpr int kOpenSucceeded = 33;
inline constexpr int kOpenFileNotFound = 2;
inline constexpr int kOpenAccessDenied = 5;

class IHtmlLinkOpener {
public:
    virtual ~IHtmlLinkOpener() = default;
    // Opens a document or address with the desktop's handler.
    virtual int Open(const CString& target, int showCommand) = 0;
};

}  // namespace htmltip
