// Bitmap (.bmp) and icon (.ico) files: loading and saving.
#pragma once

#include "platform/ui/Gdi.h"

#include <string>

namespace platform {

// BMP bytes: 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed or with bit
// fields. A DIB section (32 bits, bytes B, G, R, A) when 'dibSection', else a
// device bitmap. Null on anything malformed or unsupported.
HBITMAP LoadBitmapFromBytes(const std::string& bytes, bool dibSection);
// ICO bytes: the image closest to cx x cy (0 = the system icon size), scaled
// to it when cx and cy are given. PNG images inside are read too.
HICON LoadIconFromBytes(const std::string& bytes, int cx, int cy);
HBITMAP LoadBitmapFile(const CString& path, bool dibSection);
HICON LoadIconFile(const CString& path, int cx, int cy);
// Writes an uncompressed BMP file (24 bits, or 32 bits with the alpha bytes
// when 'withAlpha'), atomically. False when the bitmap or the file fails.
bool SaveBitmapToFile(HBITMAP bitmap, const CString& path, bool withAlpha);

}  // namespace platform
