#include "htmltip/MarkupTokenizer.h"

#include "htmltip/MarkupScanner.h"

namespace htmltip {

void SplitTagText(std::u16string_view tagText, std::u16string& name, std::u16string& parameters)
{
    const std::size_t split = tagText.find_first_of(u" \t\r\n=");
    if (split == std::u16string_view::npos) {
        name = tagText;
        parameters.clear();
        return;
    }
    name = tagText.substr(0, split);
    std::u16string_view rest = tagText.substr(split);
    const std::size_t first = rest.find_first_not_of(kBlanks);
    parameters = first == std::u16string_view::npos ? std::u16string_view() : rest.substr(first);
}

bool MarkupTokenizer::Next(MarkupToken& token)
{
    token.run.clear();
    token.hasTag = false;
    token.tagName.clear();
    token.parameters.clear();
    token.tagStart = token.tagEnd = 0;
    if (m_pos >= m_text.size()) return false;
    while (m_pos < m_text.size()) {
        const std::size_t lt = m_text.find(u'<', m_pos);
        if (lt == std::u16string_view::npos) {
            token.run.append(m_text.substr(m_pos));
            m_pos = m_text.size();
            break;
        }
        token.run.append(m_text.substr(m_pos, lt - m_pos));
        if (lt + 1 == m_text.size()) {
            // A "<" that ends the text is shown as it is; nothing follows to read.
            token.run += u'<';
            m_pos = m_text.size();
            break;
        }
        if (m_text[lt + 1] == u'<') {
            token.run += u'<';
            m_pos = lt + 2;
            continue;
        }
        if (m_gtFrom == std::u16string_view::npos || lt + 1 < m_gtFrom || (m_gt != std::u16string_view::npos && lt + 1 > m_gt)) {
            m_gtFrom = lt + 1;
            m_gt = m_text.find(u'>', lt + 1);
        }
        const std::size_t gt = m_gt;
        if (gt == std::u16string_view::npos || gt == lt + 1) {
            // No tag: only the "<" is dropped.
            m_pos = lt + 1;
            continue;
        }
        SplitTagText(m_text.substr(lt + 1, gt - lt - 1), token.tagName, token.parameters);
        token.hasTag = true;
        token.tagStart = lt;
        token.tagEnd = gt + 1;
        m_pos = gt + 1;
        break;
    }
    return true;
}

}  // namespace htmltip
