#include "htmltip/KeptImageMemory.h"

#include <limits>
#include <new>

namespace htmltip {

void KeptImageMemory::Release(void* info) { delete static_cast<std::shared_ptr<Block>*>(info); }

QImage KeptImageMemory::Take(int width, int height)
{
    if (width <= 0 || height <= 0) return QImage();
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    if (w > std::numeric_limits<int>::max() / 4 || h > std::numeric_limits<std::size_t>::max() / 4 / w)
        return QImage();
    const std::size_t needed = w * h;
    // The smallest free block that holds the image, else the largest free
    // one grown, else a new block.
    std::shared_ptr<Block> fit, largest;
    for (const auto& block : m_blocks) {
        if (block.use_count() != 1) continue;  // an image still uses it
        if (block->capacity >= needed) {
            if (!fit || block->capacity < fit->capacity) fit = block;
        } else if (!largest || block->capacity > largest->capacity) {
            largest = block;
        }
    }
    std::shared_ptr<Block> chosen = fit ? fit : largest;
    if (!chosen && m_blocks.size() < m_maxBlocks) {
        chosen = std::make_shared<Block>();
        m_blocks.push_back(chosen);
    }
    if (!chosen) return QImage(width, height, QImage::Format_ARGB32);
    if (chosen->capacity < needed) {
        chosen->pixels.reset();
        chosen->capacity = 0;
        chosen->pixels.reset(new (std::nothrow) std::uint32_t[needed]);
        if (!chosen->pixels) return QImage(width, height, QImage::Format_ARGB32);
        chosen->capacity = needed;
    }
    auto* hold = new std::shared_ptr<Block>(chosen);
    QImage image(reinterpret_cast<uchar*>(chosen->pixels.get()), width, height,
                 static_cast<qsizetype>(w * sizeof(std::uint32_t)), QImage::Format_ARGB32, &KeptImageMemory::Release,
                 hold);
    if (image.isNull()) delete hold;
    return image;
}

}  // namespace htmltip
