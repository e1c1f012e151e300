// Small text functions that the data core, the dialogs and the panes share:
// token splitting and the pieces of paths and names.
#pragma once

#include "platform/core/CString.h"

// The part of text before the first separator; text keeps what follows it.
// Without the separator (or with an empty one) the whole text is returned and
// text becomes empty, so a loop over the tokens always ends.
CString NextToken(CString& text, const CString& separator);

// From start up to and including the first ch at or after start; empty when
// there is none or start lies outside the text.
CString ExtractThrough(const CString& text, char16_t ch, int start);

// The file name with its extension: the part after the last "\" or "/"; the
// whole path when it has no separator.
CString GetFileTitleOfPath(const CString& path);
// The part after the last "." of the file name; empty when the name has none.
CString GetFileExtensionOfPath(const CString& path);

// The folder of the running program, without a closing separator.
CString GetModuleDirectory();
// The running program's name, a backslash and name: the name under which a
// per-message setting is kept.
CString MakeAppValueName(const CString& name);

// True when the text holds none of \ / : . , ; * ? " < > | (an empty text passes).
bool IsValidFileName(const CString& text);
