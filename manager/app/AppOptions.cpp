#include "manager/app/AppOptions.h"

AppOptions::AppOptions() { InitOptionSettings(m_bytes); }

int AppOptions::ToolBarIconPixels() const
{
    switch (ToolBarIconCode()) {
    case 2:
        return 24;
    case 3:
        return 32;
    default:
        return 16;
    }
}

bool AppOptions::SetToolBarIconCode(int code)
{
    if (code < 1 || code > 3) return false;
    BYTE& style = m_bytes[kToolBarStyleOffset];
    style = static_cast<BYTE>((style & ~0x03) | code);
    return true;
}

void AppOptions::SetToolBarTextLabels(bool on)
{
    BYTE& style = m_bytes[kToolBarStyleOffset];
    style = static_cast<BYTE>(on ? (style | 0x04) : (style & ~0x04));
}

std::int32_t AppOptions::ReadInt(int offset) const
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | m_bytes[static_cast<std::size_t>(offset + i)];
    return static_cast<std::int32_t>(value);
}

void AppOptions::WriteInt(int offset, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) m_bytes[static_cast<std::size_t>(offset + i)] = static_cast<BYTE>(bits >> (8 * i));
}

StoredWindowPlacement AppOptions::WindowPlacement() const
{
    StoredWindowPlacement p;
    int at = kPlacementOffset;
    const auto next = [&] {
        const std::int32_t v = ReadInt(at);
        at += 4;
        return v;
    };
    p.length = next();
    p.flags = next();
    p.showCommand = next();
    p.minPosition.x = next();
    p.minPosition.y = next();
    p.maxPosition.x = next();
    p.maxPosition.y = next();
    p.normalPosition.left = next();
    p.normalPosition.top = next();
    p.normalPosition.right = next();
    p.normalPosition.bottom = next();
    return p;
}

void AppOptions::SetWindowPlacement(const StoredWindowPlacement& p)
{
    int at = kPlacementOffset;
    for (std::int32_t v : {p.length, p.flags, p.showCommand, p.minPosition.x, p.minPosition.y, p.maxPosition.x,
                           p.maxPosition.y, p.normalPosition.left, p.normalPosition.top, p.normalPosition.right,
                           p.normalPosition.bottom}) {
        WriteInt(at, v);
        at += 4;
    }
}
