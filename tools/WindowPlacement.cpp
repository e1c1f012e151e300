#include "tools/WindowPlacement.h"

#include "platform/core/Profile.h"

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
