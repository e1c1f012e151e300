// Face names the system's code asks for, mapped to the fonts installed here.
#include "platform/ui/WindowSurface.h"

#include <algorithm>
#include <string_view>

namespace platform {

namespace {

constexpr const char16_t* kSans = u"DejaVu Sans";
constexpr const char16_t* kSerif = u"DejaVu Serif";
constexpr const char16_t* kMono = u"DejaVu Sans Mono";
constexpr const char16_t* kJapanese = u"IPAPGothic";       // proportional
constexpr const char16_t* kJapaneseMono = u"IPAGothic";    // fixed width

struct Substitute {
    std::u16string_view face;  // lower case, ASCII folded
    const char16_t* family;
    const char16_t* japanese;  // what a Japanese character set gets instead
};

constexpr Substitute kTable[] = {
    {u"ms ui gothic", kJapanese, kJapanese},
    {u"ms pgothic", kJapanese, kJapanese},
    {u"ｍｓ ｐゴシック", kJapanese, kJapanese},
    {u"ms gothic", kJapaneseMono, kJapaneseMono},
    {u"ｍｓ ゴシック", kJapaneseMono, kJapaneseMono},
    {u"ms mincho", kJapaneseMono, kJapaneseMono},
    {u"ｍｓ 明朝", kJapaneseMono, kJapaneseMono},
    {u"ms pmincho", kJapanese, kJapanese},
    {u"ｍｓ ｐ明朝", kJapanese, kJapanese},
    {u"meiryo", kJapanese, kJapanese},
    {u"メイリオ", kJapanese, kJapanese},
    {u"meiryo ui", kJapanese, kJapanese},
    {u"yu gothic", kJapanese, kJapanese},
    {u"游ゴシック", kJapanese, kJapanese},
    {u"yu gothic ui", kJapanese, kJapanese},
    {u"ipagothic", kJapaneseMono, kJapaneseMono},
    {u"ipapgothic", kJapanese, kJapanese},
    {u"tahoma", kSans, kJapanese},
    {u"verdana", kSans, kJapanese},
    {u"arial", kSans, kJapanese},
    {u"microsoft sans serif", kSans, kJapanese},
    {u"ms sans serif", kSans, kJapanese},
    {u"ms shell dlg", kSans, kJapanese},
    {u"ms shell dlg 2", kSans, kJapanese},
    {u"segoe ui", kSans, kJapanese},
    {u"system", kSans, kJapanese},
    {u"helvetica", kSans, kJapanese},
    {u"dejavu sans", kSans, kJapanese},
    {u"times new roman", kSerif, kJapanese},
    {u"times", kSerif, kJapanese},
    {u"dejavu serif", kSerif, kJapanese},
    {u"courier new", kMono, kJapaneseMono},
    {u"courier", kMono, kJapaneseMono},
    {u"consolas", kMono, kJapaneseMono},
    {u"lucida console", kMono, kJapaneseMono},
    {u"terminal", kMono, kJapaneseMono},
    {u"fixedsys", kMono, kJapaneseMono},
    {u"dejavu sans mono", kMono, kJapaneseMono},
};

std::u16string Fold(std::u16string_view face)
{
    std::u16string out;
    // A leading '@' asks for the vertical form of a face; the face is the same.
    if (!face.empty() && face.front() == u'@') face.remove_prefix(1);
    for (char16_t c : face) out += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
    // Full-width Latin letters fold too, so "ＭＳ" matches "ｍｓ".
    for (char16_t& c : out)
        if (c >= u'Ａ' && c <= u'Ｚ') c = static_cast<char16_t>(c - u'Ａ' + u'ａ');
    while (!out.empty() && out.back() == u' ') out.pop_back();
    return out;
}

}  // namespace

CString SubstituteFontFace(const CString& face, BYTE charSet)
{
    const bool japanese = charSet == 128;  // SHIFTJIS_CHARSET
    const std::u16string folded = Fold(face.view());
    for (const Substitute& s : kTable) {
        if (s.face == folded) return CString(japanese ? s.japanese : s.family);
    }
    return CString(japanese ? kJapanese : kSans);
}

}  // namespace platform
