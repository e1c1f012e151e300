// The clipboard with the system's calls: open, empty, place and read data,
// close. Formats: Unicode and 8-bit text (the ANSI code page), device
// bitmaps and packed DIBs. The data goes to the desktop's clipboard through
// Qt, so other programs see it and the program sees theirs. Only the thread
// of the QGuiApplication may use the clipboard; elsewhere, and without a
// GUI application, every call fails.
//
// Line ends: desktop programs write LF where the system's programs write and
// expect CR LF (a table's rows are split at CR LF). Text read from the
// clipboard has every lone LF made CR LF; text placed on it has CR LF made LF.
#pragma once

#include "platform/ui/Gdi.h"
#include "platform/ui/GlobalMemory.h"

inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_BITMAP = 2;
inline constexpr UINT CF_DIB = 8;
inline constexpr UINT CF_UNICODETEXT = 13;

// Clipboard data: a memory block for text and DIBs, a bitmap for CF_BITMAP.
// Converts from and to both handle types, as the system's HANDLE does.
class ClipboardData {
public:
    ClipboardData() = default;
    ClipboardData(std::nullptr_t) {}
    ClipboardData(HGLOBAL block) : m_value(block.Value()) {}
    ClipboardData(HBITMAP bitmap) : m_value(bitmap.Value()) {}
    ClipboardData(HGDIOBJ bitmap) : m_value(bitmap.Value()) {}
    std::uint64_t Value() const { return m_value; }
    explicit operator bool() const { return m_value != 0; }
    bool operator!() const { return m_value == 0; }
    operator HGLOBAL() const { return HGLOBAL::FromValue(m_value); }
    operator HBITMAP() const { return HBITMAP(HGDIOBJ::FromValue(m_value)); }

private:
    std::uint64_t m_value = 0;
};

// FALSE when another window has it open (opening again for the same owner
// succeeds), off the GUI thread, or without a GUI application.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Clears the clipboard; it must be open.
BOOL EmptyClipboard();
// The clipboard must be open. It takes the data on success: a memory block
// is read and freed, a bitmap read and deleted, so the caller lets go of the
// handle (freeing or deleting it again fails harmlessly). On failure the
// caller keeps it. Returns the handle on success, null on failure (unknown
// format, empty or malformed data).
ClipboardData SetClipboardData(UINT format, ClipboardData data);
// The clipboard must be open. The data belongs to the clipboard: read it,
// never free it (GlobalFree refuses it). It stays valid until the clipboard
// is next opened or emptied. Null when the format is not there.
ClipboardData GetClipboardData(UINT format);
// Needs no open clipboard. Text formats stand for each other, and so do the
// bitmap formats.
BOOL IsClipboardFormatAvailable(UINT format);
