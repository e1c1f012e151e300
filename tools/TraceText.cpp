#include "tools/TraceText.h"

#include <cmath>
#include <cstdio>
#include <string>

CString TrimNumberText(const CString& strText)
{
    if (strText.Find(u'.') < 0) return strText;
    CString text = strText;
    text.TrimRight(u'0');
    text.TrimRight(u'.');
    return text;
}

CString FormatTraceTime(double dTimeMs)
{
    if (!std::isfinite(dTimeMs)) return CString(u"ERROR");
    const double magnitude = std::fabs(dTimeMs);
    const int length = std::snprintf(nullptr, 0, "%.1f", magnitude);
    if (length <= 0) return CString(u"ERROR");
    std::string rounded(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(rounded.data(), rounded.size(), "%.1f", magnitude);
    rounded.resize(static_cast<std::size_t>(length));

    // Digits of the value at one decimal, without the point and leading zeros.
    std::string digits;
    for (char c : rounded) {
        if (c >= '0' && c <= '9' && !(digits.empty() && c == '0')) digits += c;
    }
    if (digits.empty()) return CString(dTimeMs == 0.0 ? u"0s" : u"ERROR");
    std::size_t zeros = 0;
    while (zeros < digits.size() && digits[digits.size() - 1 - zeros] == '0') ++zeros;

    std::string text;
    if (magnitude >= 1000.0) {
        if (zeros >= 4) {
            text = digits.substr(0, digits.size() - 4);
        } else {
            text = digits.substr(0, digits.size() - 4) + "." + digits.substr(digits.size() - 4);
            text.resize(text.size() - zeros);
        }
        text += "s";
    } else if (magnitude >= 1.0) {
        if (digits.back() != '0') {
            text = digits.substr(0, digits.size() - 1) + "." + digits.substr(digits.size() - 1);
        } else {
            text = digits.substr(0, digits.size() - 1);
        }
        text += "ms";
    } else {
        char micro[32];
        std::snprintf(micro, sizeof micro, "%.0fus", magnitude * 1000.0);
        text = micro;
    }
    if (dTimeMs < 0) text.insert(text.begin(), '-');
    return CString::FromUtf8(text);
}

CString FileNameOfPath(const CString& strPath)
{
    const int slash = strPath.ReverseFind(u'/');
    const int backslash = strPath.ReverseFind(u'\\');
    const int last = slash > backslash ? slash : backslash;
    if (last < 0) return strPath;
    return strPath.Mid(last + 1);
}

CString FileTitleOfPath(const CString& strPath)
{
    const CString name = FileNameOfPath(strPath);
    const int dot = name.Find(u'.');
    if (dot <= 0) return name;
    return name.Left(dot);
}

CString SuggestTraceFileName(const CString& strTitle, const std::tm& when)
{
    CString stem = strTitle;
    stem.Trim();
    for (int i = 0; i < stem.GetLength(); ++i) {
        const char16_t c = stem[i];
        if (c < 0x20 || CString(u"\\/:*?\"<>|.").Find(c) >= 0) stem.SetAt(i, u'_');
    }
    if (stem.IsEmpty()) stem = u"trace";
    CString name;
    name.Format(u"%s_%04d%02d%02d_%02d%02d%02d.trd", stem.GetString(), when.tm_year + 1900, when.tm_mon + 1,
                when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    return name;
}
