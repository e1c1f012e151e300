// CDib: a device-independent bitmap in one memory block (header, palette,
// pixel rows bottom-up) that can be drawn into a device context, filled from
// one, and saved as a bitmap file. The drawing manager builds its background
// effects on one.
#pragma once

#include "platform/ui/DC.h"

#include <cstddef>
#include <memory>

class CDib {
public:
    // The largest block a CDib allocates. Every 8-bit surface of up to
    // 32,767 pixels in each direction fits; larger requests fail quietly.
    static constexpr std::size_t kMaxBlockBytes = std::size_t{1} << 30;

    CDib() = default;
    virtual ~CDib();
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // Frees what it holds and allocates a new block (pixels zeroed); gives the
    // block, or null for a size or depth it cannot hold (1, 4, 8, 16, 24 or
    // 32 bits per pixel).
    BYTE* Create(int width, int height, int bitCount);
    void Free();
    BYTE* CopyFrom(const CDib& other);

    int GetWidth() const { return m_header.biWidth; }
    int GetHeight() const { return m_header.biHeight; }
    int GetLineWidth() const { return m_lineWidth; }
    int GetBitCount() const { return m_header.biBitCount; }
    int GetPaletteEntries() const { return m_paletteEntries; }
    int GetPaletteSize() const { return m_paletteEntries * 4; }
    // Header, palette and pixels together; 0 without a block.
    std::size_t GetSize() const;
    // The first (bottom) pixel row; null without a block.
    BYTE* GetBits() const;
    const BITMAPINFOHEADER& GetHeader() const { return m_header; }
    RGBQUAD* GetPalette() const;

    void FillBits(BYTE value);
    // 8-bit surfaces only; y counts from the top. Anything out of range is ignored.
    void SetPixelIndex(int x, int y, BYTE index);
    void SetPaletteColor(int index, BYTE red, BYTE green, BYTE blue);
    // Mixes every palette entry with the colour; a percent outside 0..100 counts as 100.
    void BlendPalette(COLORREF color, int percent);
    // Entry i grey (i, i, i); then the first black and the last white.
    void SetGrayPalette();
    static RGBQUAD ColorToQuad(COLORREF color);

    // Copies the pixels to (x, y) of the device context.
    void Draw(CDC* dc, int x, int y);
    // Reads width x height pixels at (x, y) of the device context into the block.
    void Capture(CDC* dc, int x, int y);
    // Writes a bitmap file, replacing the file only when every byte was
    // stored; FALSE for an empty path, an empty CDib or any write failure.
    BOOL SaveToFile(LPCTSTR path) const;

private:
    bool MakeSection(CDC* dc);
    void DropSection();
    void DropPaletteSection();  // the section, not the 32-bit copy
    // Palette surfaces are drawn from a 32-bit copy: the colours come from
    // the palette, and a 32-bit transfer is the fast one.
    bool DrawExpanded(CDC* dc, int x, int y);

    std::unique_ptr<BYTE[]> m_block;
    BITMAPINFOHEADER m_header{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    int m_lineWidth = 0;
    int m_paletteEntries = 0;
    // The section and its DC, made on the first Draw or Capture.
    HBITMAP m_section;
    HDC m_sectionDc;
    HGDIOBJ m_oldBitmap;
    BYTE* m_sectionBits = nullptr;
    // The section holds a copy of the palette; changing it needs a new section.
    bool m_paletteChanged = false;
    HBITMAP m_expanded;
    HDC m_expandedDc;
    HGDIOBJ m_oldExpanded;
    DWORD* m_expandedBits = nullptr;
};
