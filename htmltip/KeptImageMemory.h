// Memory for images that are made again and again at about the same size
// (a tip composed at each show), kept from one image to the next. A fresh
// block of that size costs more in the system's first touch of its pages
// than filling it does.
#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace htmltip {

class KeptImageMemory {
public:
    // At most this many blocks are kept, none above maxBlockBytes; past them
    // images get memory of their own.
    explicit KeptImageMemory(std::size_t maxBlocks = 4, std::size_t maxBlockBytes = 8u << 20)
        : m_maxBlocks(maxBlocks), m_maxBlockBytes(maxBlockBytes)
    {
    }

    // An ARGB32 image of the size over a kept block that no image made
    // before still uses, its pixels left as they were. The block lives as
    // long as any copy of the image does, so a copy may outlive this object.
    // A null image when the size is empty or the memory cannot be had.
    QImage Take(int width, int height);

    // The memory the tips of the process share.
    static KeptImageMemory& Shared();

    std::size_t BlockCount() const;

private:
    struct Block {
        std::unique_ptr<std::uint32_t[]> pixels;
        std::size_t capacity = 0;
        std::uint64_t lastUse = 0;
    };
    static void Release(void* info);

    std::size_t m_maxBlocks;
    std::size_t m_maxBlockBytes;
    mutable std::mutex m_mutex;
    std::uint64_t m_uses = 0;
    std::vector<std::shared_ptr<Block>> m_blocks;
};

}  // namespace htmltip
