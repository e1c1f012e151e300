#include "htmltip/MarkupHandleTable.h"

namespace htmltip {

MarkupHandleTable& MarkupHandleTable::Instance()
{
    static MarkupHandleTable table;
    return table;
}

std::uint32_t MarkupHandleTable::Register(MarkupImageKind kind, std::shared_ptr<IMarkupImage> image)
{
    if (!image) return 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    // Numbers are not reused, so markup kept from an earlier registration
    // cannot reach a later image; after the last number nothing registers.
    if (m_next == 0) return 0;
    const std::uint32_t number = m_next++;
    m_entries.emplace(number, Entry{kind, std::move(image)});
    return number;
}

bool MarkupHandleTable::Unregister(std::uint32_t number)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries.erase(number) > 0;
}

std::shared_ptr<IMarkupImage> MarkupHandleTable::Find(std::uint32_t number, MarkupImageKind kind) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_entries.find(number);
    if (found == m_entries.end() || found->second.kind != kind) return nullptr;
    return found->second.image;
}

}  // namespace htmltip
