#include "htmltip/HtmlStyleSheet.h"

#include "htmltip/HtmlStyleParser.h"
#include "htmltip/MarkupScanner.h"

namespace htmltip {

HtmlStyleSheet::HtmlStyleSheet() { SetDefault(); }

CString HtmlStyleSheet::DefaultText()
{
    return CString(
        u"body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
        u"p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        u"h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        u"h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
        u"h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
        u"h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        u"h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
        u"h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
        u"pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
        u"code {color:#990000; font-family:Arial}\r\n"
        u"a:link {text-decoration:none; color:blue}\r\n"
        u"a:hover {text-decoration:underline; color:blue}\r\n"
        u"sub {font-size:65%; vertical-align:bottom}\r\n"
        u"sup {font-size:65%; vertical-align:top}\r\n"
        u"big {font-size:125%}\r\n"
        u"small {font-size:75%}\r\n"
        u".cpp-comment {color:green; font-style:italic}\r\n");
}

void HtmlStyleSheet::SetDefault() { Parse(DefaultText()); }

void HtmlStyleSheet::Parse(const CString& text)
{
    m_rules.clear();
    m_text = text;
    const std::u16string_view source = m_text.view();
    MarkupScanner scanner(source);
    while (scanner.SkipToWordStart()) {
        const std::u16string_view selector = scanner.TakeUntilOneOf(u" \t\r\n{");
        if (scanner.AtEnd()) break;
        const std::size_t open = source.find(u'{', scanner.Position());
        if (open == std::u16string_view::npos) break;
        const std::size_t close = source.find(u'}', open + 1);
        if (close == std::u16string_view::npos) break;
        const std::u16string_view declarations = source.substr(open + 1, close - open - 1);
        if (!declarations.empty()) m_rules[ToLowerText(selector)] = std::u16string(declarations);
        scanner.SetPosition(close + 1);
    }
}

std::optional<std::u16string> HtmlStyleSheet::Find(std::u16string_view selector) const
{
    const auto found = m_rules.find(ToLowerText(selector));
    if (found == m_rules.end()) return std::nullopt;
    return found->second;
}

void HtmlStyleSheet::Set(std::u16string_view selector, std::u16string_view declarations)
{
    m_rules[ToLowerText(selector)] = std::u16string(declarations);
}

void HtmlStyleSheet::Remove(std::u16string_view selector) { m_rules.erase(ToLowerText(selector)); }

}  // namespace htmltip
