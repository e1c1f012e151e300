// The style sheet of a drawer: rules from a selector (kept in lower case) to
// its declaration text, read from a small cascading-style-sheet dialect with no
// comments, selector lists or combinators.
#pragma once

#include "platform/core/CString.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace htmltip {

class HtmlStyleSheet {
public:
    // Starts with the default rules.
    HtmlStyleSheet();

    // Replaces every rule by those of the text and keeps the text as given.
    void Parse(const CString& text);
    // Installs the default rules and their text.
    void SetDefault();
    // The last text given to Parse (or the default text).
    const CString& GetText() const { return m_text; }

    std::optional<std::u16string> Find(std::u16string_view selector) const;
    void Set(std::u16string_view selector, std::u16string_view declarations);
    void Remove(std::u16string_view selector);
    const std::map<std::u16string, std::u16string, std::less<>>& Rules() const { return m_rules; }

    static CString DefaultText();

private:
    std::map<std::u16string, std::u16string, std::less<>> m_rules;
    CString m_text;
};

}  // namespace htmltip
