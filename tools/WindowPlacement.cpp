#include "tools/WindowPlacement.h"

#include "platform/core/Profile.h"
#include "platform/ui/WindowApi.h"

void WritePlacementRect(const RECT& rect, LPCWSTR section, LPCWSTR file)
{
    platform::WritePrivateProfileInt(section, u"LEFT", rect.left, file);
    platform::WritePrivateProfileInt(section, u"TOP", rect.top, file);
    platform::WritePrivateProfileInt(section, u"RIGHT", rect.right, file);
    platform::WritePrivateProfileInt(section, u"BOTTOM", rect.bottom, file);
}

void ReadPlacementRect(RECT& rect, LPCWSTR section, LPCWSTR file)
{
    rect.left = platform::ReadPrivateProfileInt(section, u"LEFT", rect.left, file);
    rect.top = platform::ReadPrivateProfileInt(section, u"TOP", rect.top, file);
    rect.right = platform::ReadPrivateProfileInt(section, u"RIGHT", rect.right, file);
    rect.bottom = platform::ReadPrivateProfileInt(section, u"BOTTOM", rect.bottom, file);
}

void WritePlacementZoomed(BOOL bZoomed, LPCWSTR section, LPCWSTR file)
{
    WritePrivateProfileStringW(section, u"ZOOMED", bZoomed ? u"1" : u"0", file);
}

BOOL ReadPlacementZoomed(LPCWSTR section, LPCWSTR file)
{
    return platform::ReadPrivateProfileInt(section, u"ZOOMED", 0, file) != 0 ? TRUE : FALSE;
}

void SaveWindowPlacement(CWnd* pWnd, LPCWSTR section, LPCWSTR file)
{
    WINDOWPLACEMENT placement;
    if (!pWnd || !pWnd->GetSafeHwnd() || !pWnd->GetWindowPlacement(&placement)) return;
    WritePlacementRecord(placement, section, file);
}

namespace {

bool Reachable(const RECT& rect)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top) return false;
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    // A screen of unknown size cannot tell; only a known one refuses.
    if (screen.right <= screen.left || screen.bottom <= screen.top) return true;
    return rect.left < screen.right && rect.right > screen.left && rect.top < screen.bottom &&
           rect.bottom > screen.top;
}

}  // namespace

void RestoreWindowPlacement(CWnd* pWnd, LPCWSTR section, LPCWSTR file)
{
    WINDOWPLACEMENT placement;
    if (!pWnd || !pWnd->GetSafeHwnd() || !pWnd->GetWindowPlacement(&placement)) return;
    RECT rect = placement.rcNormalPosition;
    ReadPlacementRect(rect, section, file);
    if (Reachable(rect)) placement.rcNormalPosition = rect;
    if (ReadPlacementZoomed(section, file)) placement.showCmd = kShowMaximized;
    pWnd->SetWindowPlacement(&placement);
}
