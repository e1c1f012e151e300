// CString: UTF-16 text with the operations the system's code uses.
//
// Format follows the Windows wide printf rules: %s and %c take wide text, %S
// and %hs narrow text (converted through the ANSI code page), %I64d and %lld
// are 64-bit, %d and %ld are 32-bit. Arguments are passed as typed values, so a
// mismatched argument gives a harmless conversion instead of undefined
// behaviour, and a missing argument formats as nothing.
#pragma once

#include "platform/core/WinTypes.h"

#include <string>
#include <string_view>
#include <type_traits>

class CString;

// One argument of Format, captured with its type.
class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Double, WideText, NarrowText, Pointer };

    FormatArg(const char16_t* s) : m_kind(Kind::WideText), m_wide(s) {}
    FormatArg(char16_t* s) : m_kind(Kind::WideText), m_wide(s) {}
    FormatArg(const char* s) : m_kind(Kind::NarrowText), m_narrow(s) {}
    FormatArg(char* s) : m_kind(Kind::NarrowText), m_narrow(s) {}
    FormatArg(const CString& s);
    FormatArg(const std::u16string& s) : m_kind(Kind::WideText), m_wide(s.c_str()) {}
    FormatArg(const std::string& s) : m_kind(Kind::NarrowText), m_narrow(s.c_str()) {}
    FormatArg(std::nullptr_t) : m_kind(Kind::Pointer), m_unsigned(0) {}
    FormatArg(char16_t c) : m_kind(Kind::Unsigned), m_unsigned(c) {}
    FormatArg(char c) : m_kind(Kind::Signed), m_signed(static_cast<unsigned char>(c)) {}
    FormatArg(bool b) : m_kind(Kind::Signed), m_signed(b ? 1 : 0) {}

    template <class T>
        requires(std::is_integral_v<T> && std::is_signed_v<T> && !std::is_same_v<T, char> && !std::is_same_v<T, bool>)
    FormatArg(T v) : m_kind(Kind::Signed), m_signed(v)
    {
    }

    template <class T>
        requires(std::is_integral_v<T> && std::is_unsigned_v<T> && !std::is_same_v<T, char16_t> && !std::is_same_v<T, bool>)
    FormatArg(T v) : m_kind(Kind::Unsigned), m_unsigned(v)
    {
    }

    template <class T>
        requires std::is_enum_v<T>
    FormatArg(T v) : FormatArg(static_cast<std::underlying_type_t<T>>(v))
    {
    }

    template <class T>
        requires std::is_floating_point_v<T>
    FormatArg(T v) : m_kind(Kind::Double), m_double(static_cast<double>(v))
    {
    }

    template <class T>
        requires(!std::is_same_v<std::remove_cv_t<T>, char> && !std::is_same_v<std::remove_cv_t<T>, char16_t>)
    FormatArg(T* p) : m_kind(Kind::Pointer), m_unsigned(reinterpret_cast<std::uintptr_t>(p))
    {
    }

    template <class Tag>
    FormatArg(OpaqueHandle<Tag> h) : m_kind(Kind::Unsigned), m_unsigned(h.Value())
    {
    }

    Kind kind() const { return m_kind; }
    std::int64_t AsSigned() const;
    std::uint64_t AsUnsigned() const;
    double AsDouble() const;
    // Text of a text argument (narrow text converted); empty for others.
    std::u16string AsText(bool* isNull = nullptr) const;

private:
    Kind m_kind;
    union {
        std::int64_t m_signed;
        std::uint64_t m_unsigned;
        double m_double;
        const char16_t* m_wide;
        const char* m_narrow;
    };
};

// Formats with the Windows wide printf rules.
std::u16string FormatText(std::u16string_view format, const FormatArg* args, std::size_t count);

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(const char16_t* text) : m_text(text ? text : u"") {}
    CString(const char16_t* text, int length);
    CString(char16_t ch, int repeat = 1);
    CString(std::u16string text) : m_text(std::move(text)) {}
    CString(std::u16string_view text) : m_text(text) {}
    // Narrow text is taken in the ANSI code page, as the class library does.
    CString(const char* ansi);
    CString(const char* ansi, int length);

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char16_t* text);
    CString& operator=(char16_t ch);
    CString& operator=(const char* ansi);

    static CString FromUtf8(std::string_view utf8);
    std::string ToUtf8() const;

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    char16_t GetAt(int index) const;
    void SetAt(int index, char16_t ch);
    char16_t operator[](int index) const { return GetAt(index); }

    const char16_t* GetString() const { return m_text.c_str(); }
    operator const char16_t*() const { return m_text.c_str(); }
    const std::u16string& str() const { return m_text; }
    std::u16string& str() { return m_text; }
    std::u16string_view view() const { return m_text; }

    CString& operator+=(const CString& s);
    CString& operator+=(const char16_t* s);
    CString& operator+=(char16_t ch);
    void Append(const char16_t* s, int length);
    void AppendChar(char16_t ch) { m_text.push_back(ch); }

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char16_t* b);
    friend CString operator+(const char16_t* a, const CString& b);
    friend CString operator+(const CString& a, char16_t b);
    friend CString operator+(char16_t a, const CString& b);

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char16_t* b) { return a.Compare(b) == 0; }
    friend auto operator<=>(const CString& a, const CString& b) { return a.m_text <=> b.m_text; }

    // Ordinal comparison; the NoCase form folds ASCII, Latin-1, Greek,
    // Cyrillic and full-width Latin letters.
    int Compare(const char16_t* other) const;
    int CompareNoCase(const char16_t* other) const;

    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString SpanIncluding(const char16_t* chars) const;
    CString SpanExcluding(const char16_t* chars) const;
    // Next token after start, skipping leading delimiters; start becomes -1
    // when no token is left.
    CString Tokenize(const char16_t* delimiters, int& start) const;

    int Find(char16_t ch, int start = 0) const;
    int Find(const char16_t* sub, int start = 0) const;
    int ReverseFind(char16_t ch) const;
    int FindOneOf(const char16_t* chars) const;

    int Replace(char16_t from, char16_t to);
    int Replace(const char16_t* from, const char16_t* to);
    int Remove(char16_t ch);
    int Insert(int index, char16_t ch);
    int Insert(int index, const char16_t* text);
    int Delete(int index, int count = 1);
    void Truncate(int length);

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    // Without an argument, white space (space, tab, CR, LF, VT, FF) is trimmed.
    CString& Trim();
    CString& Trim(char16_t ch);
    CString& Trim(const char16_t* chars);
    CString& TrimLeft();
    CString& TrimLeft(char16_t ch);
    CString& TrimLeft(const char16_t* chars);
    CString& TrimRight();
    CString& TrimRight(char16_t ch);
    CString& TrimRight(const char16_t* chars);

    template <class... Args>
    void Format(const char16_t* format, const Args&... args)
    {
        const FormatArg list[] = {FormatArg(args)..., FormatArg(nullptr)};
        m_text = FormatText(format ? format : u"", list, sizeof...(Args));
    }
    template <class... Args>
    void AppendFormat(const char16_t* format, const Args&... args)
    {
        const FormatArg list[] = {FormatArg(args)..., FormatArg(nullptr)};
        m_text += FormatText(format ? format : u"", list, sizeof...(Args));
    }
    // The format string is string-table entry id of the current resource module.
    template <class... Args>
    void Format(UINT formatId, const Args&... args)
    {
        CString format;
        format.LoadString(formatId);
        Format(format.GetString(), args...);
    }

    // Loads string-table entry id from the current resource module; an
    // unknown id leaves the text empty and returns FALSE.
    BOOL LoadString(UINT id);

    // Raw access for code that fills a buffer: the buffer holds at least
    // minLength characters plus a terminator; ReleaseBuffer(-1) cuts at the
    // first NUL.
    char16_t* GetBuffer(int minLength = 0);
    char16_t* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

private:
    std::u16string m_text;
};

inline FormatArg::FormatArg(const CString& s) : m_kind(Kind::WideText), m_wide(s.GetString()) {}

// Case folding used by CompareNoCase and the profile and registry stores.
char16_t FoldCase(char16_t ch);
char16_t ToUpperChar(char16_t ch);
char16_t ToLowerChar(char16_t ch);
// Length of a NUL-terminated UTF-16 text.
std::size_t WideLength(const char16_t* text);

// Number parsing in the C locale with the run-time library's lenient rules
// (leading blanks, optional sign, digits until the first non-digit), but with
// overflow saturating instead of undefined.
// WideToLong saturates at the 32-bit range of the original platform's long.
LONG WideToLong(const char16_t* text, const char16_t** end = nullptr, int base = 10);
LONGLONG WideToInt64(const char16_t* text, const char16_t** end = nullptr, int base = 10);
double WideToDouble(const char16_t* text, const char16_t** end = nullptr);
inline int _wtoi(const char16_t* text) { return WideToLong(text); }
inline int _ttoi(const char16_t* text) { return _wtoi(text); }
inline double _wtof(const char16_t* text) { return WideToDouble(text); }
inline double _tstof(const char16_t* text) { return WideToDouble(text); }
