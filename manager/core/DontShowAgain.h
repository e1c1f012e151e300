// Messages the user asked never to see again. Each is remembered as the
// string value "no" under the user's key kDontShowAgainKey, named by the
// running program's name, a backslash and the message's name
// (MakeAppValueName); callers pass the message's name only.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

inline constexpr const char16_t* kDontShowAgainKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DontShowMeThisDialogAgain";

// 1 when the message's value exists (a text of at most 128 characters) and
// reads "no" in any case; else 0.
int QueryDontShowAgain(const CString& name);
// Remembers the message as not to be shown again: 1, or 0 when the key cannot
// be created.
int SetDontShowAgain(const CString& name);
// Forgets the message's value: 1 when the key could be opened, else 0.
int DeleteDontShowAgain(const CString& name);

// A message box the user may suppress for good. While the message is
// remembered as not to be shown, no box comes and defaultResult is returned;
// otherwise the box shows the text framed by a line break before and after and
// its button is returned. The box itself offers no check box here: the choice
// is remembered through SetDontShowAgain (the options dialog does that).
int MessageBoxWithCheck(HWND owner, const CString& text, const CString& caption, UINT type, int defaultResult,
                        const CString& name);
// The same with the application's title as caption and string stringId of the
// current resource module as text.
int MessageBoxDontShowAgain(const CString& name, HWND owner, UINT stringId, UINT type, int defaultResult);
