// The records of the real-time trace that the trace window, its set-up
// dialog, the settings file "rtt.ini" and the trace data file share. Fields
// named in capitals carry the "rtt.ini" key they are stored under; array
// fields hold channels 1 to 4 in that order.
#pragma once

#include "tools/SampleSet.h"

#include "platform/core/CString.h"

#include <atomic>
#include <cstdint>

// Largest trace count the set-up offers (1000 hundreds of samples); larger
// counts from a file or the settings are refused.
inline constexpr int kMaxTraceNum = 100000;
inline constexpr int kDefaultTraceNum = 100;
inline constexpr int kZoomLevels = 8;
inline constexpr int kMaxGraphs = 4;
inline constexpr int kMinPosition = 1;   // "100%": the zero line at the top
inline constexpr int kMaxPosition = 11;  // "0%": at the bottom
inline constexpr int kDefaultPosition = 6;
inline constexpr int kCustomColourCount = 16;
// Lengths the window gives the texts of a trace; longer texts from a file
// are cut to them.
inline constexpr int kMaxUnitLength = 14;
inline constexpr int kMaxLabelLength = 40;
// A bit target names one bit of a 32-bit value.
inline constexpr int kMaxBitIndex = 31;
// SOURCE 0..3 watches a channel; 4 watches none (the manual trigger only).
inline constexpr int kNoTriggerSource = 4;
inline constexpr int kMaxSlope = 1;
inline constexpr int kMaxScaleType = 2;

// Trace settings, read from and written to the controller (K94 to K98).
struct tracesettag {
    std::int32_t TRACE_MODE = 0;  // 0 monitor (endless ring), 1 trigger
    std::int32_t TRACE_NUM = kDefaultTraceNum;  // N: each channel holds N + 1 samples
    std::uint16_t SEL_DAT_CH[kTraceChannelCount] = {};  // target numbers (K94..K97)
    std::uint8_t SEL_BIT_CH[kTraceChannelCount] = {};   // bit index of a bit target
    std::int32_t bBitTarget[kTraceChannelCount] = {};   // the channel records one bit
    std::uint16_t wInterval = 5;       // sampling interval (K98)
    std::uint8_t byTargetChange = 0;   // bit n: target of channel n+1 changed; bit n+4: its bit
    std::uint8_t byChangeFlags = 0;    // bit 0: interval changed; bit 1: TRACE_NUM changed
};

inline constexpr std::uint8_t kIntervalChanged = 0x01;
inline constexpr std::uint8_t kTraceNumChanged = 0x02;

// Trigger settings; the first four fields travel as one word to the trace
// execution window.
struct TraceTriggerSettings {
    std::uint8_t MODE = 0;
    std::uint8_t SOURCE = 0;       // channel 0..3; 4 or more: no channel watched
    std::uint8_t SLOPE = 0;        // 0 rising, 1 falling, other values never trigger
    std::uint8_t PRE_TRIGGER = 0;  // percent of the trace kept before the trigger
    std::int32_t LEVEL = 0;        // raw sample units
    std::uint32_t dwChangeMask = 0;  // bit 0 SOURCE, 1 SLOPE, 2 PRE_TRIGGER, 3 LEVEL changed

    std::uint32_t FirstWord() const
    {
        return static_cast<std::uint32_t>(MODE) | static_cast<std::uint32_t>(SOURCE) << 8 |
               static_cast<std::uint32_t>(SLOPE) << 16 | static_cast<std::uint32_t>(PRE_TRIGGER) << 24;
    }
};

struct TraceGraphSettings {
    CString TITLE;                       // at most kMaxTitleLength characters
    std::int32_t bTitleFrame = 0;        // a frame round the title strip
    COLORREF crTitleFrame = 0;
    std::int32_t DRAW_CH[kTraceChannelCount] = {1, 1, 1, 1};
    COLORREF crChannel[kTraceChannelCount] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF};
    std::int32_t LINE_WIDTH_CH[kTraceChannelCount] = {2, 2, 2, 2};
    std::int32_t GRAPH_NO_CH[kTraceChannelCount] = {0, 0, 0, 0};  // 0-based graph
    std::int32_t POSITION_CH[kTraceChannelCount] = {kDefaultPosition, kDefaultPosition, kDefaultPosition,
                                                     kDefaultPosition};
    CString strUnit[kTraceChannelCount];
    CString strLabel[kTraceChannelCount] = {u"CH1", u"CH2", u"CH3", u"CH4"};
    std::int32_t ZOOM = 3;       // index into CTraceModel::m_nZoomRate
    std::int32_t SPLIT_NUM = 1;  // graphs 1..4
    COLORREF crCustom[kCustomColourCount] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                             0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                             0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

    static constexpr int kMaxTitleLength = 50;
};

struct TraceRangeSettings {
    std::int32_t AUTO_RANGE_CH[kTraceChannelCount] = {1, 1, 1, 1};  // follow the target's raw limits
    std::int32_t nUpperLimit[kTraceChannelCount] = {1000, 1000, 1000, 1000};      // from the target table
    std::int32_t nLowerLimit[kTraceChannelCount] = {-1000, -1000, -1000, -1000};  // from the target table
    std::int32_t MANU_MAX_CH[kTraceChannelCount] = {1000, 1000, 1000, 1000};
    std::int32_t MANU_MIN_CH[kTraceChannelCount] = {-1000, -1000, -1000, -1000};
    double MANU_MAX_REAL_CH[kTraceChannelCount] = {1000.0, 1000.0, 1000.0, 1000.0};
    double MANU_MIN_REAL_CH[kTraceChannelCount] = {-1000.0, -1000.0, -1000.0, -1000.0};
};

inline constexpr std::int32_t kScaleNone = 0;
inline constexpr std::int32_t kScaleRatio = 1;
inline constexpr std::int32_t kScaleTwoPoint = 2;

struct TraceScaleSettings {
    std::int32_t SCL_TYPE_CH[kTraceChannelCount] = {};
    double RATIO_CH[kTraceChannelCount] = {1.0, 1.0, 1.0, 1.0};
    double OFFSET_CH[kTraceChannelCount] = {};
    double POINT_1_CH[kTraceChannelCount] = {1.0, 1.0, 1.0, 1.0};      // raw value of point 1
    double POINT_1_SC_CH[kTraceChannelCount] = {1.0, 1.0, 1.0, 1.0};   // its engineering value
    double POINT_2_CH[kTraceChannelCount] = {-1.0, -1.0, -1.0, -1.0};
    double POINT_2_SC_CH[kTraceChannelCount] = {-1.0, -1.0, -1.0, -1.0};
};

// The traced controller: value parts of the CONT, VER and ROBOT replies, K72
// (decimals of some targets) and K9.
struct robconsettag {
    CString strController = u"NONE";
    CString strVersion = u"x.xx.xxx";
    CString strRobot = u"NONE";
    std::int32_t nK72 = 2;
    std::int32_t nK9 = 0;
};

struct TraceOptions {
    std::int32_t RIPPLE_RANGE = 1;   // side panel shown
    std::int32_t RANGE_TYPE = 0;     // 0 legend, 1 gauge
    std::int32_t AB_DETAILS = 1;
    std::int32_t GRAPH_POS_SEL = 1;
    std::int32_t GRAPH_DISP_MODE = 0;
    std::int32_t COPY_TO = 0;        // 0 clipboard, 1 bitmap file
    std::int32_t COPY_AREA = 0;
    std::int32_t ERROR_CHECK = 1;
    std::int32_t ERROR_DISPLAY = 0;
};

// A window's rectangle as kept in "rtt.ini".
struct TracePlacement {
    RECT rcNormal;
    std::int32_t bZoomed = 0;
};

// What "rtt.ini" keeps of the windows around the trace.
struct TraceWindowLayout {
    std::int32_t nABCursorShownOnce = 0;
    RECT rcABCursor;
    std::int32_t nCalcShownOnce = 0;
    RECT rcCalc;
    std::int32_t OPEN_W_VIEWER = 0;
    std::int32_t S_OPE_POINT = 1;
    // Placement for new trace-file viewers; held when its left edge is not 0.
    TracePlacement viewer;
    TracePlacement window;
};

// A value that the extract thread writes and the user-interface thread reads
// without a lock; copies take its current value.
template <class T>
class SharedCell {
public:
    SharedCell(T value = T()) : m_value(value) {}
    SharedCell(const SharedCell& other) : m_value(other.Get()) {}
    SharedCell& operator=(const SharedCell& other)
    {
        Set(other.Get());
        return *this;
    }
    SharedCell& operator=(T value)
    {
        Set(value);
        return *this;
    }
    operator T() const { return Get(); }
    T Get() const { return m_value.load(std::memory_order_acquire); }
    void Set(T value) { m_value.store(value, std::memory_order_release); }

private:
    std::atomic<T> m_value;
};

// State of a trigger trace, filled by the extract thread. Counts and slots are
// 32-bit so that every trace count of the set-up fits.
struct TraceTriggerState {
    SharedCell<std::int32_t> bActive;          // a trace runs (either kind)
    SharedCell<std::int32_t> bLinkError;       // a line error was reported meanwhile
    SharedCell<std::int32_t> bTriggered;       // the trigger position is fixed
    SharedCell<std::int32_t> bPreTriggerFull;  // the pre-trigger part holds its samples
    SharedCell<std::int32_t> nPreTriggerCount;   // P = PRE_TRIGGER x N / 100
    SharedCell<std::int32_t> nPostTriggerCount;  // N - P (N without a trigger channel)
    SharedCell<std::int32_t> nPreTaken;          // counts up to P
    SharedCell<std::int32_t> nAfterTrigger;      // samples from the trigger on
    SharedCell<std::int32_t> nWriteIndex;        // next slot of the trigger set, 0..N
    SharedCell<std::int32_t> nStartIndex;        // first slot of the finished trace
    SharedCell<std::int32_t> nStopIndex;         // last slot of the finished trace
    SharedCell<std::int32_t> nTriggerIndex;      // slot of the trigger sample
};
