// Small helpers of the library's dialogs: filling and searching combo boxes,
// and the clipboard's text.
#pragma once

#include "platform/core/CString.h"

class CComboBox;

// Appends the texts (a list ended by a null entry) in their order and
// selects the index (nothing for an index outside the list).
void FillComboBox(CComboBox* pCombo, const LPCWSTR* texts, int nIndex);
// The first item at or after nStart whose text equals the text exactly
// (case counts); -1 when there is none.
int FindComboText(CComboBox* pCombo, int nStart, const CString& strText);
// The clipboard's Unicode text; empty when it holds none or cannot be opened.
CString GetClipboardText();

// Lists "COM<n>" for every port from 1 to nMaxComPort that can be opened now
// and selects nCurrentPort's entry (else the first). Without any, the only
// entry is the language library's "no port" text. TRUE when a port was found.
BOOL FillComPortList(CComboBox* pList, int nMaxComPort, int nCurrentPort);
// The port number of a "COM<n>" entry (its first three characters dropped);
// 0 when the rest is not a number from 1 up.
int ComPortNumberOf(const CString& strEntry);
