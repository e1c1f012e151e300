#include "tools/TraceModel.h"

#include <utility>

const std::int32_t CTraceModel::m_nZoomRate[kZoomLevels] = {1, 2, 4, 10, 20, 40, 100, 200};

struct CTraceModel::DataBackup {
    ~DataBackup() { FreeSampleSet(data); }
    SampleSet data;
    std::int32_t nNum = 0;
    std::int32_t nTriggerPos = 0;
    std::int32_t nUpdatePointer = -1;
    std::int32_t bLooped = 0;
    std::int32_t bDataPresent = 0;
};

struct CTraceModel::SetBackup {
    robconsettag robCon;
    BOOL bRobConRead = FALSE;
    tracesettag traceSet;
    TraceTriggerSettings trigSet;
    TraceGraphSettings graphSet;
    TraceRangeSettings rangeSet;
    TraceScaleSettings scaleSet;
    BOOL bSettingsApplied = FALSE;
    std::int32_t nGraphDispMode = 0;
};

CTraceModel::CTraceModel(BOOL bLive) : m_bLive(bLive) {}

CTraceModel::~CTraceModel() { FreeBuffers(); }

BOOL CTraceModel::AllocBuffers()
{
    FreeBuffers();
    const std::int32_t n = m_TraceSet.TRACE_NUM;
    if (n < 1 || n > kMaxTraceNum) return FALSE;
    if (!AllocSampleSet(m_DispData, n)) return FALSE;
    if (!AllocSampleSet(m_TrigData, n)) {
        FreeSampleSet(m_DispData);
        return FALSE;
    }
    m_nAllocatedNum = n;
    ResetData();
    return TRUE;
}

void CTraceModel::FreeBuffers()
{
    FreeSampleSet(m_DispData);
    FreeSampleSet(m_TrigData);
    m_nAllocatedNum = -1;
}

BOOL CTraceModel::ReallocBuffers() { return AllocBuffers(); }

void CTraceModel::ResetData()
{
    ClearSampleSet(m_DispData, m_nAllocatedNum);
    m_bDataPresent = 0;
    m_nTriggerPos = 0;
    m_nUpdatePointer = -1;
    m_bPtrLooped = 0;
    m_TrigState.nWriteIndex = 0;
}

void CTraceModel::CopyRunData()
{
    const std::int32_t n = m_nAllocatedNum;
    if (n < 0 || !HasBuffers()) return;
    std::int32_t slot = m_TrigState.nStartIndex;
    if (slot < 0 || slot > n) slot = 0;
    const std::int32_t trigger = m_TrigState.nTriggerIndex;
    for (std::int32_t i = 0; i <= n; ++i) {
        for (int ch = 0; ch < kTraceChannelCount; ++ch) m_DispData.pCh[ch][i] = m_TrigData.pCh[ch][slot];
        if (slot == trigger) m_nTriggerPos = i;
        slot = slot >= n ? 0 : slot + 1;
    }
}

std::int32_t CTraceModel::UpdatePreTriggerCount()
{
    const std::int32_t count =
        static_cast<std::int32_t>(static_cast<std::int64_t>(m_TrigSet.PRE_TRIGGER) * m_TraceSet.TRACE_NUM / 100);
    m_TrigState.nPreTriggerCount = count;
    return count;
}

void CTraceModel::TakeFileRecords(TraceFileContents& file)
{
    m_RobConSet.strController = file.robCon.strController;
    m_RobConSet.strVersion = file.robCon.strVersion;
    m_RobConSet.strRobot = file.robCon.strRobot;
    m_TraceSet = file.traceSet;
    m_TrigSet = file.trigSet;
    m_GraphSet = file.graphSet;
    m_RangeSet = file.rangeSet;
    m_ScaleSet = file.scaleSet;
    UpdatePreTriggerCount();
}

void CTraceModel::TakeFile(TraceFileContents& file)
{
    TakeFileRecords(file);
    FreeBuffers();
    m_DispData = std::exchange(file.data, SampleSet{});
    m_nAllocatedNum = m_TraceSet.TRACE_NUM;
    // The trigger set follows the shown trace count, so every set has one size.
    if (!AllocSampleSet(m_TrigData, m_nAllocatedNum)) FreeSampleSet(m_DispData);
    m_nTriggerPos = file.nTriggerPos;
    m_nUpdatePointer = -1;
    m_bPtrLooped = 0;
    m_bDataPresent = m_DispData.IsAllocated() ? 1 : 0;
    m_TrigState.nWriteIndex = 0;
    m_bSettingsApplied = TRUE;
}

void CTraceModel::ShowFile(TraceFileContents& file)
{
    BackUpDataSet();
    BackUpData();
    TakeFile(file);
    m_Options.GRAPH_DISP_MODE = 0;
    m_bFileShown = TRUE;
}

BOOL CTraceModel::CloseFile()
{
    if (!m_bFileShown) return FALSE;
    RestoreDataSet();
    RestoreData();
    m_bFileShown = FALSE;
    return TRUE;
}

BOOL CTraceModel::BackUpData()
{
    if (m_pDataBackup) return FALSE;
    auto backup = std::make_unique<DataBackup>();
    backup->nNum = m_nAllocatedNum;
    if (m_DispData.IsAllocated()) {
        if (!AllocSampleSet(backup->data, m_nAllocatedNum)) return FALSE;
        CopySampleSet(backup->data, m_DispData, m_nAllocatedNum);
    }
    backup->nTriggerPos = m_nTriggerPos;
    backup->nUpdatePointer = m_nUpdatePointer;
    backup->bLooped = m_bPtrLooped;
    backup->bDataPresent = m_bDataPresent;
    m_pDataBackup = std::move(backup);
    return TRUE;
}

BOOL CTraceModel::RestoreData()
{
    if (!m_pDataBackup) return FALSE;
    std::unique_ptr<DataBackup> backup = std::move(m_pDataBackup);
    FreeBuffers();
    m_DispData = std::exchange(backup->data, SampleSet{});
    m_nAllocatedNum = m_DispData.IsAllocated() ? backup->nNum : -1;
    if (m_DispData.IsAllocated() && !AllocSampleSet(m_TrigData, m_nAllocatedNum)) {
        FreeSampleSet(m_DispData);
        m_nAllocatedNum = -1;
    }
    m_nTriggerPos = backup->nTriggerPos;
    m_nUpdatePointer = backup->nUpdatePointer;
    m_bPtrLooped = backup->bLooped;
    m_bDataPresent = m_DispData.IsAllocated() ? backup->bDataPresent : 0;
    m_TrigState.nWriteIndex = 0;
    return TRUE;
}

BOOL CTraceModel::BackUpDataSet()
{
    if (m_pSetBackup) return FALSE;
    auto backup = std::make_unique<SetBackup>();
    backup->robCon = m_RobConSet;
    backup->bRobConRead = m_bRobConRead;
    backup->traceSet = m_TraceSet;
    backup->trigSet = m_TrigSet;
    backup->graphSet = m_GraphSet;
    backup->rangeSet = m_RangeSet;
    backup->scaleSet = m_ScaleSet;
    backup->bSettingsApplied = m_bSettingsApplied;
    backup->nGraphDispMode = m_Options.GRAPH_DISP_MODE;
    m_pSetBackup = std::move(backup);
    return TRUE;
}

BOOL CTraceModel::RestoreDataSet()
{
    if (!m_pSetBackup) return FALSE;
    std::unique_ptr<SetBackup> backup = std::move(m_pSetBackup);
    m_RobConSet = backup->robCon;
    m_bRobConRead = backup->bRobConRead;
    m_TraceSet = backup->traceSet;
    m_TrigSet = backup->trigSet;
    m_GraphSet = backup->graphSet;
    m_RangeSet = backup->rangeSet;
    m_ScaleSet = backup->scaleSet;
    m_bSettingsApplied = backup->bSettingsApplied;
    m_Options.GRAPH_DISP_MODE = backup->nGraphDispMode;
    UpdatePreTriggerCount();
    return TRUE;
}
