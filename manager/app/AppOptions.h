// The option record the manager keeps whole as the binary profile value
// "OptionSetting": its fields at their byte offsets, little-endian, as the
// value has always been stored.
#pragma once

#include "manager/core/SystemHelpers.h"
#include "platform/core/WinTypes.h"

// The main window's placement as stored at byte 8 (44 bytes): length, flags,
// show command, minimised and maximised positions, normal rectangle.
struct StoredWindowPlacement {
    std::int32_t length = 0;
    std::int32_t flags = 0;
    std::int32_t showCommand = 0;
    POINT minPosition{};
    POINT maxPosition{};
    RECT normalPosition{};
};

class AppOptions {
public:
    static constexpr int kRestoreOffset = 1;
    static constexpr int kToolBarStyleOffset = 4;
    static constexpr int kPlacementOffset = 8;
    static constexpr int kPlacementBytes = 44;
    static constexpr int kValue1Offset = 52;
    static constexpr int kValue2Offset = 56;

    // The defaults (InitOptionSettings) over a zero record.
    AppOptions();

    OptionSettings& Bytes() { return m_bytes; }
    const OptionSettings& Bytes() const { return m_bytes; }

    // Restore the main window's and the tool bar's placement at start.
    bool RestorePlacement() const { return m_bytes[kRestoreOffset] != 0; }

    // Tool bar icon size code in bits 0-1: 1, 2, 3 for 16, 24, 32 pixels; 0
    // counts as 16.
    int ToolBarIconCode() const { return m_bytes[kToolBarStyleOffset] & 0x03; }
    int ToolBarIconPixels() const;
    // Codes outside 1 to 3 are refused; the other bits of the byte are kept.
    bool SetToolBarIconCode(int code);
    bool ToolBarTextLabels() const { return (m_bytes[kToolBarStyleOffset] & 0x04) != 0; }
    void SetToolBarTextLabels(bool on);

    StoredWindowPlacement WindowPlacement() const;
    void SetWindowPlacement(const StoredWindowPlacement& placement);

    std::int32_t Value1() const { return ReadInt(kValue1Offset); }
    std::int32_t Value2() const { return ReadInt(kValue2Offset); }

private:
    std::int32_t ReadInt(int offset) const;
    void WriteInt(int offset, std::int32_t value);

    OptionSettings m_bytes{};
};
