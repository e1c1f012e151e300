#include "tools/TraceAcquisition.h"

#include "tools/CommandSession.h"
#include "tools/MessagePump.h"
#include "tools/TextUtility.h"

#include "comm/CommManager.h"

#include "platform/core/Messages.h"
#include "platform/core/Synchronization.h"
#include "platform/core/Thread.h"
#include "platform/core/Time.h"

#include <cstdio>
#include <limits>

namespace {

constexpr const char16_t* kLineEnd = u"\r\n";
// How long the idle extract thread sleeps between looks at its flags.
constexpr DWORD kIdleWaitMs = 50;

// The integer after the first "=" of a reply line; false without one.
bool ValueAfterEquals(const CString& line, std::int32_t& value)
{
    const int equals = line.Find(u'=');
    if (equals < 0) return false;
    value = _wtoi(line.GetString() + equals + 1);
    return true;
}

bool TextAfterEquals(const CString& line, CString& text)
{
    const int equals = line.Find(u'=');
    if (equals < 0) return false;
    text = line.Mid(equals + 1);
    text.Trim();
    return true;
}

bool IsHexDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); }

std::int32_t DecimalValue(const char16_t* p, const char16_t* end)
{
    bool negative = false;
    if (p < end && (*p == u'-' || *p == u'+')) negative = *p++ == u'-';
    std::int64_t value = 0;
    for (; p < end && *p >= u'0' && *p <= u'9'; ++p) {
        value = value * 10 + (*p - u'0');
        if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max() + 1LL;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) value = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::int32_t BitValue(const char16_t* p, const char16_t* end, unsigned bit)
{
    std::uint64_t value = 0;
    for (; p < end && IsHexDigit(*p); ++p) {
        const unsigned digit = *p <= u'9' ? *p - u'0' : *p - u'a' + 10;
        value = (value << 4) | digit;
    }
    if (bit >= 64) return 0;
    return static_cast<std::int32_t>((value >> bit) & 1u);
}

}  // namespace

CTraceAcquisition::CTraceAcquisition(CTraceModel& model)
    : m_model(model), m_hWake(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

CTraceAcquisition::~CTraceAcquisition()
{
    EndExtractThread();
    if (m_hWake) CloseHandle(m_hWake);
}

bool CTraceAcquisition::IsLive() const { return m_model.m_bLive && m_pCommMan; }

void CTraceAcquisition::Wake()
{
    if (m_hWake) SetEvent(m_hWake);
}

BOOL CTraceAcquisition::CreateExtractThread()
{
    if (m_hThread) return TRUE;
    m_bThreadRun = 1;
    m_hThread = CreateThread(nullptr, 0, &CTraceAcquisition::ExtractThread, this, CREATE_SUSPENDED, nullptr);
    if (!m_hThread) {
        m_bThreadRun = 0;
        return FALSE;
    }
    SetThreadPriority(m_hThread, THREAD_PRIORITY_HIGHEST);
    return TRUE;
}

void CTraceAcquisition::EndExtractThread()
{
    if (!m_hThread) return;
    m_bThreadRun = 0;
    Wake();
    ResumeFully(m_hThread);
    // The thread's loop never blocks for long: it ends within a pass.
    if (WaitForSingleObject(m_hThread, kThreadEndTimeoutMs) != WAIT_OBJECT_0)
        std::fputs("SorvadelLib: the trace extract thread did not end in time\n", stderr);
    CloseHandle(m_hThread);
    m_hThread = HANDLE();
}

DWORD WINAPI CTraceAcquisition::ExtractThread(LPVOID pParam)
{
    auto* self = static_cast<CTraceAcquisition*>(pParam);
    if (!self->m_bThreadRun) return 0;
    while (self->m_bThreadRun) {
        // While no trace runs the receive text carries command replies, which
        // belong to the waiting command.
        if (self->m_model.m_bTracing) self->ExtractLines();
        Sleep(1);
        // Idle while no trace runs; a start or the end wakes it at once.
        if (!self->m_model.m_bTracing && self->m_bThreadRun) WaitForSingleObject(self->m_hWake, kIdleWaitMs);
    }
    return 0;
}

int CTraceAcquisition::ExtractLines()
{
    CString* text = m_receiver.Text();
    CReceiveLock lock(*m_receiver.LockHandle());
    if (!lock.Locked()) return 0;
    const auto samples = m_model.LockSamples();
    // Looked at again under the lock: once a trace's end has passed it, no
    // pass touches the model until the next start.
    if (!m_model.m_bTracing) return 0;
    int handled = 0;
    int start = 0;
    for (int cr = text->Find(u'\r'); cr >= 0; cr = text->Find(u'\r', start)) {
        HandleLine(text->Mid(start, cr - start + 1));
        start = cr + 1;
        ++handled;
    }
    if (start > 0) text->Delete(0, start);
    return handled;
}

void CTraceAcquisition::HandleLine(const CString& strLine)
{
    if (m_nLinesSkipped < kSkippedLines) {
        m_nLinesSkipped = m_nLinesSkipped + 1;
        return;
    }
    const std::int32_t n = m_model.m_nAllocatedNum;
    if (n < 0 || !m_model.HasBuffers()) return;
    TraceTriggerState& state = m_model.m_TrigState;

    if (m_model.m_TraceSet.TRACE_MODE == 0) {
        const std::int32_t slot = m_model.m_nUpdatePointer;
        if (slot < 0 || slot > n) return;
        if (!ParseSampleLine(strLine, m_model.m_TraceSet, m_model.m_DispData, slot, n)) return;
        if (slot + 1 > n) {
            m_model.m_nUpdatePointer = 0;
            m_model.m_bPtrLooped = 1;
        } else {
            m_model.m_nUpdatePointer = slot + 1;
        }
        return;
    }

    if (!state.bActive) return;
    std::int32_t w = state.nWriteIndex;
    if (w < 0 || w > n) w = 0;
    state.nWriteIndex = w;
    if (!ParseSampleLine(strLine, m_model.m_TraceSet, m_model.m_TrigData, w, n)) return;
    CheckTrigger();
    if (state.bTriggered) {
        if (w == state.nStopIndex) state.bActive = 0;
        state.nAfterTrigger = state.nAfterTrigger + 1;
    }
    if (!state.bPreTriggerFull) {
        state.nPreTaken = state.nPreTaken + 1;
        if (state.nPreTaken >= state.nPreTriggerCount) state.bPreTriggerFull = 1;
    }
    if (!state.bActive && m_hExecWnd) PostMessageW(m_hExecWnd, WM_TRACE_COMPLETE, 0, 0);
    state.nWriteIndex = w + 1 > n ? 0 : w + 1;
}

BOOL CTraceAcquisition::ParseSampleLine(const CString& strLine, const tracesettag& traceSet, SampleSet& data,
                                        int nSlot, int nTraceNum)
{
    if (!data.IsAllocated() || nSlot < 0 || nSlot > nTraceNum) return FALSE;
    const char16_t* p = strLine.GetString();
    const char16_t* const end = p + strLine.GetLength();
    while (p < end && *p != u',') ++p;
    if (p == end) return FALSE;
    ++p;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (p == end) return FALSE;
        if (*p == u',' || *p == u'\r') {
            data.pCh[ch][nSlot] = 0;
            ++p;
            continue;
        }
        const char16_t* tokenEnd = p;
        while (tokenEnd < end && *tokenEnd != u',') ++tokenEnd;
        if (traceSet.bBitTarget[ch]) data.pCh[ch][nSlot] = BitValue(p, tokenEnd, traceSet.SEL_BIT_CH[ch]);
        else data.pCh[ch][nSlot] = DecimalValue(p, tokenEnd);
        p = tokenEnd;
        if (ch < kTraceChannelCount - 1 && p < end) ++p;
    }
    return p == end ? TRUE : FALSE;
}

void CTraceAcquisition::CheckTrigger()
{
    TraceTriggerState& state = m_model.m_TrigState;
    if (state.bTriggered || !state.bPreTriggerFull) return;
    const TraceTriggerSettings& trigger = m_model.m_TrigSet;
    if (trigger.SOURCE >= kTraceChannelCount) return;
    const std::int32_t n = m_model.m_nAllocatedNum;
    const std::int32_t w = state.nWriteIndex;
    const std::int32_t prev = w == 0 ? n : w - 1;
    const std::int32_t* x = m_model.m_TrigData.pCh[trigger.SOURCE];
    const std::int32_t level = trigger.LEVEL;
    bool fire = false;
    if (trigger.SLOPE == 0) fire = x[w] >= level && x[prev] < level;
    else if (trigger.SLOPE == 1) fire = x[w] <= level && x[prev] > level;
    if (!fire) return;
    FixTriggerPositions(w);
    state.bTriggered = 1;
}

void CTraceAcquisition::FixTriggerPositions(std::int32_t t)
{
    TraceTriggerState& state = m_model.m_TrigState;
    const std::int32_t n = m_model.m_nAllocatedNum;
    const std::int32_t p = state.nPreTriggerCount;
    std::int32_t start = 0;
    std::int32_t stop = 0;
    if (p <= 0) {
        start = t;
        stop = t == 0 ? n : t - 1;
    } else if (p >= n) {
        stop = t;
        start = t == n ? 0 : t + 1;
    } else if (p > t) {
        start = t - p + n + 1;
        stop = start - 1;
    } else {
        start = t - p;
        stop = start == 0 ? n : start - 1;
    }
    state.nTriggerIndex = t;
    state.nStartIndex = start;
    state.nStopIndex = stop;
}

CString CTraceAcquisition::OnDataReceived()
{
    if (!m_pCommMan) return CString();
    const CString text = m_pCommMan->GetInBuffAtOnce();
    m_receiver.Append(text);
    return m_model.m_TrigState.bActive ? CString() : text;
}

CTraceAcquisition::LineError CTraceAcquisition::OnLineError()
{
    if (m_model.m_TrigState.bActive && m_model.m_Options.ERROR_CHECK) {
        if (m_model.m_Options.ERROR_DISPLAY) return LineError::ShowWarning;
        m_model.m_TrigState.bLinkError = 1;
        return LineError::StopTrace;
    }
    CString line;
    line.Format(u"NG.%d%s", m_nNodeNo, kLineEnd);
    m_receiver.Append(line);
    return LineError::Reported;
}

int CTraceAcquisition::GetTraceSet(tracesettag& traceSet)
{
    if (!IsLive()) return 0;
    m_pCommMan->SendData(kLineEnd);
    CCommandSession session = m_receiver.MakeSession(m_pCommMan);
    CString answer;
    if (!session.GetKParamRange(m_nNodeNo, kTraceTargetParam, kTraceTargetParam + kTraceChannelCount - 1, answer))
        return 0;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        const CString line = CutTokenTo(answer, u'\r', 0);
        std::int32_t value = 0;
        if (!ValueAfterEquals(line, value)) return 0;
        const auto target = static_cast<std::uint16_t>(value);
        if (target != traceSet.SEL_DAT_CH[ch]) {
            traceSet.SEL_DAT_CH[ch] = target;
            traceSet.SEL_BIT_CH[ch] = 0;
        }
    }
    if (!session.GetKParam(m_nNodeNo, kTraceIntervalParam, answer)) return 0;
    std::int32_t interval = 0;
    if (!ValueAfterEquals(answer, interval)) return 0;
    traceSet.wInterval = static_cast<std::uint16_t>(interval);
    return 1;
}

int CTraceAcquisition::SetTraceSet(const tracesettag& traceSet)
{
    if (!IsLive()) return 0;
    m_pCommMan->SendData(kLineEnd);
    CCommandSession session = m_receiver.MakeSession(m_pCommMan);
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (!(traceSet.byTargetChange & (1u << ch))) continue;
        if (!session.SetKParam(m_nNodeNo, kTraceTargetParam + ch, traceSet.SEL_DAT_CH[ch])) return 0;
    }
    if (traceSet.byChangeFlags & kIntervalChanged) {
        if (!session.SetKParam(m_nNodeNo, kTraceIntervalParam, traceSet.wInterval)) return 0;
    }
    return 1;
}

int CTraceAcquisition::GetRobConSet(robconsettag& robCon)
{
    if (!IsLive()) return 0;
    CCommandSession session = m_receiver.MakeSession(m_pCommMan);
    CString answer;
    if (!session.GetCont(m_nNodeNo, answer) || !TextAfterEquals(answer, robCon.strController)) return 0;
    if (!session.GetRobot(m_nNodeNo, answer) || !TextAfterEquals(answer, robCon.strRobot)) return 0;
    if (!session.GetVersion(m_nNodeNo, answer) || !TextAfterEquals(answer, robCon.strVersion)) return 0;
    std::int32_t value = 0;
    if (!session.GetKParam(m_nNodeNo, 72, answer) || !ValueAfterEquals(answer, value)) return 0;
    robCon.nK72 = value;
    if (!session.GetKParam(m_nNodeNo, 9, answer) || !ValueAfterEquals(answer, value)) return 0;
    robCon.nK9 = value;
    return 1;
}

BOOL CTraceAcquisition::InitSetting()
{
    if (!IsLive()) return FALSE;
    m_pCommMan->SendData(kLineEnd);
    CCommandSession session = m_receiver.MakeSession(m_pCommMan);
    if (!session.SetKParam(m_nNodeNo, kTraceStreamParam, 0)) return FALSE;
    m_model.m_bRobConRead = GetRobConSet(m_model.m_RobConSet) ? TRUE : FALSE;
    CString answer;
    // The axis's soft limits, which the position targets' ranges follow
    // (a trace then shows a move of the actuator, not a flat line).
    m_model.m_ControllerParams.clear();
    for (int k : {kSoftLimitMinusParam, kSoftLimitPlusParam}) {
        std::int32_t limit = 0;
        if (m_model.m_bRobConRead && session.GetKParam(m_nNodeNo, k, answer) && ValueAfterEquals(answer, limit))
            m_model.m_ControllerParams[k] = limit;
    }
    std::int32_t bank = 0;
    if (session.GetOptionBoard(m_nNodeNo, kTraceOptionBoard, answer) && ValueAfterEquals(answer, bank))
        m_model.m_nOptionBank = bank;
    return m_model.m_bRobConRead;
}

int CTraceAcquisition::CloseController(BOOL bShiftHeld)
{
    if (m_model.m_bTracing) return 0;
    if (!IsLive()) return 1;
    CCommandSession session = m_receiver.MakeSession(m_pCommMan);
    session.SetKParam(m_nNodeNo, kTraceStreamParam, 0);
    if (m_model.m_nOptionBank == 0 && !bShiftHeld) {
        // Its answer is awaited here: once the window has given the link back,
        // a late "OK" would be taken for the answer to the next window's command.
        CString command;
        command.Format(u"@STOP.%d", m_nNodeNo);
        session.SendAndWait(m_nNodeNo, command);
    }
    return 1;
}

void CTraceAcquisition::SendStream(int nOn)
{
    if (!m_pCommMan) return;
    m_pCommMan->SendData(kLineEnd);
    CString line;
    line.Format(u"@K%d.%d=%d%s", kTraceStreamParam, m_nNodeNo, nOn, kLineEnd);
    m_pCommMan->SendData(line);
}

void CTraceAcquisition::StartMonitorTrace()
{
    m_model.ResetData();
    {
        CReceiveLock lock(*m_receiver.LockHandle());
        m_receiver.Text()->Empty();
        m_nLinesSkipped = 0;
    }
    m_model.m_nUpdatePointer = 0;
    m_model.m_bPtrLooped = 0;
    m_model.m_bDataPresent = 1;
    m_model.m_bTracing = 1;
    m_model.m_TrigState.bActive = 1;
    m_model.m_TrigState.bLinkError = 0;
    if (m_hThread) ResumeFully(m_hThread);
    Wake();
    // The samples must not pile up in the link's own buffer.
    if (m_pCommMan) m_pCommMan->SetAddToInBuff(FALSE);
    SendStream(1);
}

void CTraceAcquisition::EndTracing()
{
    m_model.m_bTracing = 0;
    // Waits for a pass of the extract thread that began before: from here on
    // this thread alone touches the samples and the settings they are read by.
    const auto samples = m_model.LockSamples();
}

BOOL CTraceAcquisition::StopMonitorTrace()
{
    SendStream(0);
    EndTracing();
    m_model.m_TrigState.bActive = 0;
    if (m_pCommMan) m_pCommMan->SetAddToInBuff(TRUE);
    return m_model.m_TrigState.bLinkError ? TRUE : FALSE;
}

void CTraceAcquisition::ArmTrigger()
{
    TraceTriggerState& state = m_model.m_TrigState;
    const std::int32_t n = m_model.m_nAllocatedNum;
    const std::int32_t p = m_model.UpdatePreTriggerCount();
    state.nPreTaken = 0;
    state.nAfterTrigger = 0;
    ClearSampleSet(m_model.m_TrigData, n);
    const std::uint8_t source = m_model.m_TrigSet.SOURCE;
    if (source < kTraceChannelCount && m_model.m_TraceSet.SEL_DAT_CH[source] == 0) {
        // No target to watch: recording starts at once.
        std::int32_t w = state.nWriteIndex;
        if (w < 0 || w > n) w = 0;
        state.nWriteIndex = w;
        state.nTriggerIndex = w;
        state.nStartIndex = w;
        state.nStopIndex = w == 0 ? n : w - 1;
        state.nPostTriggerCount = n;
        state.bPreTriggerFull = 1;
        state.bTriggered = 1;
    } else {
        // A source of 4 or more watches no channel: the trace waits for the manual trigger.
        state.nPostTriggerCount = n - p;
        state.bTriggered = 0;
        state.bPreTriggerFull = 0;
    }
}

void CTraceAcquisition::StartTriggerTrace()
{
    {
        CReceiveLock lock(*m_receiver.LockHandle());
        m_receiver.Text()->Empty();
        m_nLinesSkipped = 0;
    }
    m_model.m_bPtrLooped = 0;
    ArmTrigger();
    m_model.m_TrigState.bLinkError = 0;
    m_model.m_TrigState.bActive = 1;
    m_model.m_bTracing = 1;
    if (m_hThread) ResumeFully(m_hThread);
    Wake();
    if (m_pCommMan) m_pCommMan->SetAddToInBuff(FALSE);
    SendStream(1);
}

void CTraceAcquisition::EndTriggerTrace()
{
    SendStream(0);
    EndTracing();
    if (m_pCommMan) m_pCommMan->SetAddToInBuff(TRUE);
    m_model.CopyRunData();
    m_model.m_bDataPresent = 1;
}

void CTraceAcquisition::RepeatTriggerTrace()
{
    m_model.CopyRunData();
    m_model.m_bDataPresent = 1;
    // The extract thread drops lines until the trace is active again.
    CReceiveLock lock(*m_receiver.LockHandle());
    ArmTrigger();
    m_model.m_TrigState.bActive = 1;
}

BOOL CTraceAcquisition::AbortTriggerTrace()
{
    m_model.m_TrigState.bActive = 0;
    SendStream(0);
    EndTracing();
    if (m_pCommMan) m_pCommMan->SetAddToInBuff(TRUE);
    return m_model.m_TrigState.bLinkError ? TRUE : FALSE;
}

void CTraceAcquisition::ManualTrigger()
{
    // Under the lock, so that the extract thread sees the positions whole.
    CReceiveLock lock(*m_receiver.LockHandle());
    TraceTriggerState& state = m_model.m_TrigState;
    if (!state.bActive || state.bTriggered || !state.bPreTriggerFull) return;
    FixTriggerPositions(state.nWriteIndex);
    state.bTriggered = 1;
}
