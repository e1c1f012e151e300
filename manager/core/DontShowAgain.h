// Messages the user asked never to see again. Each is remembered as the
// string value "no" under the user's key kDontShowAgainKey, named by the
// running program's name, a backslash and the message's name
// (MakeAppValueName); callers pass the message's name only.
#pragma once

#include "platform/core/CString.h"

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
