// The data model of the real-time trace window and of the trace-file viewer:
// every settings record, the display and trigger sample sets with their ring
// state, the trigger state, the controller information, the options and the
// window layout that "rtt.ini" keeps. It holds no window; the trace window
// draws from it, the extract thread (CTraceAcquisition) fills it, "rtt.ini"
// and the trace data file read and write it.
//
// Threads: the extract thread writes the samples, the update pointer, the
// looped flag and the trigger state while a trace runs, a batch of lines at a
// time under the sample lock (LockSamples). The user-interface thread holds
// the lock while it reads samples during a trace (drawing, cursor values,
// statistics), so a picture never mixes samples of two moments nor reads one
// half-written. The end of a trace waits for the extract thread's pass
// (CTraceAcquisition), so between traces the user-interface thread alone
// touches the model and changes it without the lock.
#pragma once

#include "tools/SampleSet.h"
#include "tools/TraceSettings.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

// A trace as a trace data file holds it: the records that draw it and its
// samples, in time order from index 0.
struct TraceFileContents {
    TraceFileContents() = default;
    ~TraceFileContents() { FreeSampleSet(data); }
    TraceFileContents(const TraceFileContents&) = delete;
    TraceFileContents& operator=(const TraceFileContents&) = delete;

    robconsettag robCon;
    tracesettag traceSet;
    TraceTriggerSettings trigSet;
    TraceGraphSettings graphSet;
    TraceRangeSettings rangeSet;
    TraceScaleSettings scaleSet;
    SampleSet data;
    std::int32_t nTriggerPos = 0;
};

class CTraceModel {
public:
    // Samples per 20 pixels at each ZOOM index.
    static const std::int32_t m_nZoomRate[kZoomLevels];
    static constexpr int kLeftMargin = 35;
    static constexpr int kNarrowRightMargin = 35;
    static constexpr int kWideRightMargin = 86;

    // bLive: a window with a link (targets are read from and written to
    // "rtt.ini"); a viewer has none.
    explicit CTraceModel(BOOL bLive = TRUE);
    ~CTraceModel();
    CTraceModel(const CTraceModel&) = delete;
    CTraceModel& operator=(const CTraceModel&) = delete;

    // Both sample sets for TRACE_NUM, cleared and reset. FALSE (after
    // "Memory Error") when they cannot be had, or for an invalid TRACE_NUM.
    BOOL AllocBuffers();
    void FreeBuffers();
    // Both sets again for the current TRACE_NUM, reset.
    BOOL ReallocBuffers();
    BOOL HasBuffers() const { return m_DispData.IsAllocated() && m_TrigData.IsAllocated(); }

    // Display set cleared: samples 0, data-present 0, trigger position 0,
    // update pointer -1, looped 0, trigger write index 0.
    void ResetData();
    // A finished trigger trace into the display set in time order (oldest
    // first); the trigger position follows the trigger slot.
    void CopyRunData();
    // P = PRE_TRIGGER x TRACE_NUM / 100, stored in the trigger state.
    std::int32_t UpdatePreTriggerCount();

    // Shows a loaded file: the live data and settings are kept first (once),
    // then the file's records and samples are taken over (the file's sample
    // set is moved, the file keeps none).
    void ShowFile(TraceFileContents& file);
    // Takes a file without keeping anything (the viewer).
    void TakeFile(TraceFileContents& file);
    // Brings back the live data and settings kept by ShowFile.
    BOOL CloseFile();
    BOOL IsFileShown() const { return m_bFileShown; }

    // Keeps and brings back the live samples (only when none / one is kept).
    BOOL BackUpData();
    BOOL RestoreData();
    // Keeps and brings back the live settings records.
    BOOL BackUpDataSet();
    BOOL RestoreDataSet();
    BOOL HasDataBackup() const { return m_pDataBackup != nullptr; }
    BOOL HasDataSetBackup() const { return m_pSetBackup != nullptr; }

    int GetRightMargin() const
    {
        return (m_Options.AB_DETAILS || m_Options.GRAPH_POS_SEL) ? kWideRightMargin : kNarrowRightMargin;
    }
    std::int32_t GetUpdatePointer() const { return m_nUpdatePointer; }
    std::int32_t GetPtrLoopedFlag() const { return m_bPtrLooped; }
    BOOL IsTracing() const { return m_bTracing.Get() ? TRUE : FALSE; }
    // Held while samples are stored or read during a trace; never across a
    // message pump.
    [[nodiscard]] std::unique_lock<std::mutex> LockSamples() const { return std::unique_lock(m_sampleLock); }

    tracesettag m_TraceSet;
    TraceTriggerSettings m_TrigSet;
    TraceGraphSettings m_GraphSet;
    TraceRangeSettings m_RangeSet;
    TraceScaleSettings m_ScaleSet;
    TraceTriggerState m_TrigState;
    robconsettag m_RobConSet;
    BOOL m_bRobConRead = FALSE;
    // Parameters of the traced controller that the target tables' limits
    // may name (the soft limits K1 and K2: the travel of the axis), by
    // number; only those read.
    std::map<int, std::int32_t> m_ControllerParams;
    TraceOptions m_Options;
    TraceWindowLayout m_Layout;

    SampleSet m_DispData;
    SharedCell<std::int32_t> m_nUpdatePointer{-1};
    SharedCell<std::int32_t> m_bPtrLooped{0};
    SharedCell<std::int32_t> m_nTriggerPos{0};
    SharedCell<std::int32_t> m_bDataPresent{0};
    SampleSet m_TrigData;
    // N of the allocated sets; TRACE_NUM may change before they are reallocated.
    std::int32_t m_nAllocatedNum = -1;

    // The A and B cursors (sample indexes 0..N) and the channel of the A-B
    // details, which the drawing and the cursor and calculator windows read.
    std::int32_t m_nCursorPos[2] = {0, 0};
    BOOL m_bCursorShown[2] = {FALSE, FALSE};
    std::int32_t m_nABChannel = 0;
    // The shown or last saved trace data file.
    CString m_strFilePath;
    CString m_strFileName;
    CString m_strFileTitle;

    BOOL m_bLive;
    BOOL m_bSettingsApplied = FALSE;
    SharedCell<std::int32_t> m_bTracing{0};
    std::int32_t m_nOptionBank = 0;

private:
    struct DataBackup;
    struct SetBackup;

    void TakeFileRecords(TraceFileContents& file);

    mutable std::mutex m_sampleLock;
    std::unique_ptr<DataBackup> m_pDataBackup;
    std::unique_ptr<SetBackup> m_pSetBackup;
    BOOL m_bFileShown = FALSE;
};
