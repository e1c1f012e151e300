// A top-down 32-bit DIB section with a DC of its own, for pixel work the
// drawing layer has no call for.
#pragma once

#include "platform/ui/DC.h"

#include <cstddef>
#include <cstdint>

namespace htmltip {

class Section32 {
public:
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;  // 1 GiB of 32-bit pixels

    Section32(HDC compatible, int cx, int cy)
    {
        if (cx <= 0 || cy <= 0 || static_cast<std::int64_t>(cx) * cy > kMaxPixels) return;
        BITMAPINFO info{};
        info.bmiHeader.biWidth = cx;
        info.bmiHeader.biHeight = -cy;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(compatible, &info, DIB_RGB_COLORS, &bits, HANDLE(), 0);
        if (!m_bitmap || !bits) {
            Release();
            return;
        }
        m_bits = static_cast<DWORD*>(bits);
        m_dc = ::CreateCompatibleDC(compatible);
        if (!m_dc) {
            Release();
            return;
        }
        m_old = ::SelectObject(m_dc, m_bitmap);
        m_width = cx;
        m_height = cy;
    }
    ~Section32() { Release(); }
    Section32(const Section32&) = delete;
    Section32& operator=(const Section32&) = delete;

    explicit operator bool() const { return m_bits != nullptr && static_cast<bool>(m_dc); }
    HDC Dc() const { return m_dc; }
    DWORD* Bits() const { return m_bits; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::size_t Count() const { return static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height); }
    // Gives the section to the caller; the DC goes.
    HBITMAP Detach()
    {
        const HBITMAP b = m_bitmap;
        m_bitmap = nullptr;
        Release();
        return b;
    }

private:
    void Release()
    {
        if (m_dc) {
            if (m_old) ::SelectObject(m_dc, m_old);
            ::DeleteDC(m_dc);
        }
        if (m_bitmap) ::DeleteObject(m_bitmap);
        m_dc = nullptr;
        m_old = nullptr;
        m_bitmap = nullptr;
        m_bits = nullptr;
    }

    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_old;
    DWORD* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace htmltip
