// Text cutting of the library's reply and address handling. Positions count
// UTF-16 characters from 0.
#pragma once

#include "platform/core/CString.h"

// From nStart up to and including the first ch at or after nStart; empty when
// there is none.
CString TokenTo(const CString& strText, char16_t ch, int nStart);
// TokenTo, also removed from the text.
CString CutTokenTo(CString& strText, char16_t ch, int nStart);
// What follows the second-last ch, without an LF directly after that ch; the
// whole text when ch occurs fewer than two times. With CR: the last line.
CString LastLine(const CString& strText, char16_t ch);
// The part before the first separator; the text keeps what follows it. With
// no separator the whole text is returned and the text becomes empty.
CString SplitHead(CString& strText, char16_t chSeparator);
