#include "htmltip/MarkupCanvas.h"

namespace htmltip {

void IMarkupCanvas::GetPartialExtents(const MarkupFont& font, std::u16string_view text, std::vector<int>& extents)
{
    extents.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) extents[i] = GetTextExtent(font, text.substr(0, i + 1)).cx;
}

}  // namespace htmltip
