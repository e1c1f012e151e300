#include "htmltip/KeptImageMemory.h"

#include <limits>
#include <new>

namespace htmltip {

void KeptImageMemory::Release(void* info) { delete static_cast<std::shared_ptr<Block>*>(info); }

KeptImageMemory& KeptImageMemory::Shared()
{
    static KeptImageMemory memory;
    return memory;
}

std::size_t KeptImageMemory::BlockCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_blocks.size();
}

QImage KeptImageMemory::Take(int width, int height)
{
    if (width <= 0 || height <= 0) return QImage();
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    if (w > static_cast<std::size_t>(std::numeric_limits<int>::max()) / sizeof(std::uint32_t) ||
        h > std::numeric_limits<std::size_t>::max() / sizeof(std::uint32_t) / w)
        return QImage();
    const std::size_t needed = w * h;
    // A rare huge image is not worth keeping its memory for.
    if (needed > m_maxBlockBytes / sizeof(std::uint32_t)) return QImage(width, height, QImage::Format_ARGB32);
    const std::lock_guard<std::mutex> lock(m_mutex);
    // Of the free blocks that hold the image the one used last (its pixels
    // most likely still in the cache), else the largest free one grown, else
    // a new block. A block is free when no image holds it any more.
    std::shared_ptr<Block> fit, largest;
    for (const auto& block : m_blocks) {
        if (block.use_count() != 1) continue;
        if (block->capacity >= needed) {
            if (!fit || block->lastUse > fit->lastUse) fit = block;
        } else if (!largest || block->capacity > largest->capacity) {
            largest = block;
        }
    }
    std::shared_ptr<Block> chosen = fit ? fit : largest;
    if (!fit && m_blocks.size() < m_maxBlocks) {
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
    chosen->lastUse = ++m_uses;
    auto* hold = new std::shared_ptr<Block>(chosen);
    QImage image(reinterpret_cast<uchar*>(chosen->pixels.get()), width, height,
                 static_cast<qsizetype>(w * sizeof(std::uint32_t)), QImage::Format_ARGB32, &KeptImageMemory::Release,
                 hold);
    if (image.isNull()) delete hold;
    return image;
}

}  // namespace htmltip
