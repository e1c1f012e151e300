#include "platform/core/SerialInputFilter.h"

namespace platform {

void SerialInputFilter::Configure(bool marked, char errorChar, bool discardNulls)
{
    m_marked = marked;
    m_errorChar = errorChar;
    m_discardNulls = discardNulls;
    m_state = 0;
}

void SerialInputFilter::Put(char c, std::string& out) const
{
    if (c == '\0' && m_discardNulls) return;
    out.push_back(c);
}

std::size_t SerialInputFilter::Feed(std::string_view raw, std::string& out)
{
    std::size_t errors = 0;
    for (const char c : raw) {
        if (!m_marked) {
            Put(c, out);
            continue;
        }
        switch (m_state) {
        case 0:
            if (c == '\xFF') m_state = 1;
            else Put(c, out);
            break;
        case 1:
            if (c == '\xFF') {
                out.push_back(c);
                m_state = 0;
            } else if (c == '\0') {
                m_state = 2;
            } else {
                // Not a mark the driver would produce; pass both bytes on.
                out.push_back('\xFF');
                Put(c, out);
                m_state = 0;
            }
            break;
        default:
            if (m_errorChar != '\0') out.push_back(m_errorChar);
            ++errors;
            m_state = 0;
            break;
        }
    }
    return errors;
}

}  // namespace platform
