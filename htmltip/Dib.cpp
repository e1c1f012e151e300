#include "htmltip/Dib.h"

#include "platform/core/File.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int kHeaderBytes = 40;
constexpr int kFileHeaderBytes = 14;

BITMAPINFOHEADER ZeroHeader()
{
    BITMAPINFOHEADER h;
    h.biSize = 0;
    h.biPlanes = 0;
    return h;
}

int PaletteEntriesFor(int bitCount)
{
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

void PutWord(BYTE* p, WORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}

void PutDword(BYTE* p, DWORD v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

}  // namespace

CDib::~CDib() { Free(); }

BYTE* CDib::Create(int width, int height, int bitCount)
{
    if (width <= 0 || height <= 0 ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)) {
        Free();
        return nullptr;
    }
    // 64-bit arithmetic: a wide surface's row times its height overflows an int.
    const std::int64_t lineWidth = ((static_cast<std::int64_t>(bitCount) * width + 31) >> 5) << 2;
    const int entries = PaletteEntriesFor(bitCount);
    const std::int64_t imageBytes = lineWidth * height;
    const std::int64_t blockBytes = kHeaderBytes + 4 * entries + imageBytes;
    if (blockBytes > static_cast<std::int64_t>(kMaxBlockBytes)) {
        Free();
        return nullptr;
    }
    if (m_block && GetWidth() == width && GetHeight() == height && GetBitCount() == bitCount) {
        // The same surface again (an effect redrawn at every showing): its
        // memory and 32-bit copy serve again; the section with its palette
        // copy does not.
        DropPaletteSection();
        std::memset(m_block.get(), 0, static_cast<std::size_t>(blockBytes));
        std::memcpy(m_block.get(), &m_header, kHeaderBytes);
        m_paletteChanged = false;
        return m_block.get();
    }
    Free();

    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[static_cast<std::size_t>(blockBytes)]);
    if (!block) return nullptr;
    std::memset(block.get(), 0, static_cast<std::size_t>(blockBytes));

    m_header = BITMAPINFOHEADER();
    m_header.biSize = kHeaderBytes;
    m_header.biWidth = width;
    m_header.biHeight = height;
    m_header.biPlanes = 1;
    m_header.biBitCount = static_cast<WORD>(bitCount);
    m_header.biCompression = BI_RGB;
    m_header.biSizeImage = static_cast<DWORD>(imageBytes);
    m_lineWidth = static_cast<int>(lineWidth);
    m_paletteEntries = entries;
    std::memcpy(block.get(), &m_header, kHeaderBytes);
    m_block = std::move(block);
    return m_block.get();
}

void CDib::Free()
{
    DropSection();
    m_block.reset();
    m_header = ZeroHeader();
    m_lineWidth = 0;
    m_paletteEntries = 0;
    m_paletteChanged = false;
}

BYTE* CDib::CopyFrom(const CDib& other)
{
    if (&other == this) return m_block.get();
    if (!other.m_block) {
        Free();
        return nullptr;
    }
    if (!Create(other.GetWidth(), other.GetHeight(), other.GetBitCount())) return nullptr;
    std::memcpy(m_block.get(), other.m_block.get(), other.GetSize());
    return m_block.get();
}

std::size_t CDib::GetSize() const
{
    if (!m_block) return 0;
    return static_cast<std::size_t>(kHeaderBytes) + static_cast<std::size_t>(GetPaletteSize()) +
           static_cast<std::size_t>(m_lineWidth) * static_cast<std::size_t>(m_header.biHeight);
}

BYTE* CDib::GetBits() const
{
    return m_block ? m_block.get() + kHeaderBytes + GetPaletteSize() : nullptr;
}

RGBQUAD* CDib::GetPalette() const
{
    return m_block && m_paletteEntries > 0 ? reinterpret_cast<RGBQUAD*>(m_block.get() + kHeaderBytes) : nullptr;
}

void CDib::FillBits(BYTE value)
{
    if (!m_block) return;
    std::memset(GetBits(), value, static_cast<std::size_t>(m_lineWidth) * static_cast<std::size_t>(GetHeight()));
}

void CDib::SetPixelIndex(int x, int y, BYTE index)
{
    if (!m_block || GetBitCount() != 8) return;
    if (x < 0 || x >= GetWidth() || y < 0 || y >= GetHeight()) return;
    GetBits()[static_cast<std::size_t>(GetHeight() - y - 1) * static_cast<std::size_t>(m_lineWidth) +
              static_cast<std::size_t>(x)] = index;
}

void CDib::SetPaletteColor(int index, BYTE red, BYTE green, BYTE blue)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || index < 0 || index >= m_paletteEntries) return;
    palette[index] = RGBQUAD{blue, green, red, 0};
    m_paletteChanged = true;
}

void CDib::BlendPalette(COLORREF color, int percent)
{
    RGBQUAD* palette = GetPalette();
    if (!palette) return;
    if (percent < 0 || percent > 100) percent = 100;
    if (percent == 0) return;  // every entry stays as it is
    const auto mix = [percent](BYTE channel, BYTE other) {
        return static_cast<BYTE>((channel * (100 - percent) + other * percent) / 100);
    };
    for (int i = 0; i < m_paletteEntries; ++i) {
        RGBQUAD& e = palette[i];
        e.rgbRed = mix(e.rgbRed, GetRValue(color));
        e.rgbGreen = mix(e.rgbGreen, GetGValue(color));
        e.rgbBlue = mix(e.rgbBlue, GetBValue(color));
    }
    m_paletteChanged = true;
}

void CDib::SetGrayPalette()
{
    if (!GetPalette()) return;
    for (int i = 0; i < m_paletteEntries; ++i) {
        const auto v = static_cast<BYTE>(i);
        SetPaletteColor(i, v, v, v);
    }
    SetPaletteColor(0, 0, 0, 0);
    SetPaletteColor(m_paletteEntries - 1, 255, 255, 255);
}

RGBQUAD CDib::ColorToQuad(COLORREF color) { return RGBQUAD{GetBValue(color), GetGValue(color), GetRValue(color), 0}; }

bool CDib::MakeSection(CDC* dc)
{
    if (m_section && m_paletteChanged) DropSection();
    if (m_section) return true;
    m_paletteChanged = false;
    void* bits = nullptr;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(m_block.get());
    const HBITMAP section = ::CreateDIBSection(dc ? dc->GetSafeHdc() : HDC(), info, DIB_RGB_COLORS, &bits, HANDLE(), 0);
    if (!section || !bits) {
        if (section) ::DeleteObject(section);
        return false;
    }
    const HDC memory = ::CreateCompatibleDC(dc ? dc->GetSafeHdc() : HDC());
    if (!memory) {
        ::DeleteObject(section);
        return false;
    }
    m_section = section;
    m_sectionDc = memory;
    m_sectionBits = static_cast<BYTE*>(bits);
    m_oldBitmap = ::SelectObject(m_sectionDc, m_section);
    return true;
}

void CDib::DropSection()
{
    if (m_expandedDc) {
        if (m_oldExpanded) ::SelectObject(m_expandedDc, m_oldExpanded);
        ::DeleteDC(m_expandedDc);
    }
    if (m_expanded) ::DeleteObject(m_expanded);
    m_expanded = nullptr;
    m_expandedDc = nullptr;
    m_oldExpanded = nullptr;
    m_expandedBits = nullptr;
    DropPaletteSection();
}

void CDib::DropPaletteSection()
{
    if (m_sectionDc) {
        if (m_oldBitmap) ::SelectObject(m_sectionDc, m_oldBitmap);
        ::DeleteDC(m_sectionDc);
    }
    if (m_section) ::DeleteObject(m_section);
    m_section = nullptr;
    m_sectionDc = nullptr;
    m_oldBitmap = nullptr;
    m_sectionBits = nullptr;
}

bool CDib::DrawExpanded(CDC* dc, int x, int y)
{
    const int width = GetWidth();
    const int height = GetHeight();
    if (!m_expanded) {
        BITMAPINFO info{};
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        const HBITMAP section = ::CreateDIBSection(dc->GetSafeHdc(), &info, DIB_RGB_COLORS, &bits, HANDLE(), 0);
        const HDC memory = section && bits ? ::CreateCompatibleDC(dc->GetSafeHdc()) : HDC();
        if (!memory) {
            if (section) ::DeleteObject(section);
            return false;
        }
        m_expanded = section;
        m_expandedDc = memory;
        m_expandedBits = static_cast<DWORD*>(bits);
        m_oldExpanded = ::SelectObject(m_expandedDc, m_expanded);
    }
    const RGBQUAD* palette = GetPalette();
    DWORD colors[256] = {};
    for (int i = 0; i < m_paletteEntries; ++i)
        colors[i] = palette[i].rgbBlue | (palette[i].rgbGreen << 8) | (palette[i].rgbRed << 16);
    const int bpp = GetBitCount();
    const int perByte = 8 / bpp;
    const BYTE mask = static_cast<BYTE>((1 << bpp) - 1);
    for (int row = 0; row < height; ++row) {
        // Stored bottom-up, drawn top-down.
        const BYTE* in = GetBits() + static_cast<std::size_t>(height - 1 - row) * static_cast<std::size_t>(m_lineWidth);
        DWORD* out = m_expandedBits + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        if (bpp == 8) {
            for (int col = 0; col < width; ++col) out[col] = colors[in[col]];
        } else {
            for (int col = 0; col < width; ++col) {
                const int shift = 8 - bpp * (col % perByte + 1);
                out[col] = colors[(in[col / perByte] >> shift) & mask];
            }
        }
    }
    ::BitBlt(dc->GetSafeHdc(), x, y, width, height, m_expandedDc, 0, 0, SRCCOPY);
    return true;
}

void CDib::Draw(CDC* dc, int x, int y)
{
    if (!m_block || !dc || !dc->GetSafeHdc()) return;
    if (m_paletteEntries > 0) {
        DrawExpanded(dc, x, y);
        return;
    }
    if (!MakeSection(dc)) return;
    std::memcpy(m_sectionBits, GetBits(), static_cast<std::size_t>(m_lineWidth) * static_cast<std::size_t>(GetHeight()));
    ::BitBlt(dc->GetSafeHdc(), x, y, GetWidth(), GetHeight(), m_sectionDc, 0, 0, SRCCOPY);
}

void CDib::Capture(CDC* dc, int x, int y)
{
    if (!m_block || !dc || !dc->GetSafeHdc() || !MakeSection(dc)) return;
    ::BitBlt(m_sectionDc, 0, 0, GetWidth(), GetHeight(), dc->GetSafeHdc(), x, y, SRCCOPY);
    ::GdiFlush();
    // The block is what the other operations read, so the captured pixels go there.
    std::memcpy(GetBits(), m_sectionBits, static_cast<std::size_t>(m_lineWidth) * static_cast<std::size_t>(GetHeight()));
}

BOOL CDib::SaveToFile(LPCTSTR path) const
{
    if (!path || !*path || !m_block) return FALSE;
    const std::size_t blockBytes = GetSize();
    if (blockBytes + kFileHeaderBytes > 0xFFFFFFFFu) return FALSE;

    BYTE fileHeader[kFileHeaderBytes] = {};
    fileHeader[0] = 'B';
    fileHeader[1] = 'M';
    PutDword(fileHeader + 2, static_cast<DWORD>(blockBytes + kFileHeaderBytes));
    PutWord(fileHeader + 6, 0);
    PutWord(fileHeader + 8, 0);
    PutDword(fileHeader + 10, static_cast<DWORD>(kFileHeaderBytes + kHeaderBytes + GetPaletteSize()));

    // Written beside the target and renamed over it, so a failed write leaves
    // no half-written file and is reported as a failure.
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary | CFile::modeAtomic)) return FALSE;
    bool ok = file.Write(fileHeader, kFileHeaderBytes) != FALSE;
    std::size_t written = 0;
    constexpr std::size_t kChunkBytes = std::size_t{1} << 24;
    while (ok && written < blockBytes) {
        const std::size_t n = std::min(kChunkBytes, blockBytes - written);
        ok = file.Write(m_block.get() + written, static_cast<UINT>(n)) != FALSE;
        written += n;
    }
    if (!ok || file.Failed()) {
        file.Abort();
        return FALSE;
    }
    return file.Close() ? TRUE : FALSE;
}
