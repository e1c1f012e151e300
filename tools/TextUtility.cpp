#include "tools/TextUtility.h"

CString TokenTo(const CString& strText, char16_t ch, int nStart)
{
    if (nStart < 0) nStart = 0;
    const int found = strText.Find(ch, nStart);
    if (found < 0) return CString();
    return strText.Mid(nStart, found - nStart + 1);
}

CString CutTokenTo(CString& strText, char16_t ch, int nStart)
{
    CString token = TokenTo(strText, ch, nStart);
    if (!token.IsEmpty()) strText.Delete(nStart < 0 ? 0 : nStart, token.GetLength());
    return token;
}

CString LastLine(const CString& strText, char16_t ch)
{
    const int last = strText.ReverseFind(ch);
    if (last <= 0) return strText;
    const int secondLast = strText.Left(last).ReverseFind(ch);
    if (secondLast < 0) return strText;
    int start = secondLast + 1;
    if (start < strText.GetLength() && strText[start] == u'\n') ++start;
    return strText.Mid(start);
}

CString SplitHead(CString& strText, char16_t chSeparator)
{
    const int found = strText.Find(chSeparator);
    if (found < 0) {
        CString whole = strText;
        strText.Empty();
        return whole;
    }
    CString head = strText.Left(found);
    strText = strText.Mid(found + 1);
    return head;
}
