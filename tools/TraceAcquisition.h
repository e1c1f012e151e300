// Trace acquisition of a live trace window: reads and writes the trace
// settings of the controller, switches its sample stream (K99) on and off,
// and cuts the streamed text into sample lines on the extract thread, which
// stores them in the model's sample sets, detects the trigger and reports a
// finished trigger trace.
//
// The window owns one object and forwards to it: its link events
// (OnCommNotify), the trace control messages of the trace execution window
// (Start..., End..., Repeat..., Abort..., ManualTrigger) and its closing.
// What the window shows around them (menus, timers, messages) stays in the
// window. Without a window, a test drives the same calls.
//
// Sample line: fields separated by ",", ended by CR; the first field is
// skipped, then exactly four channel fields: decimal for a data target,
// lower-case hexadecimal for a bit target (the bit SEL_BIT of the value is
// stored); an empty field stores 0. The first three lines after each start
// are dropped.
#pragma once

#include "tools/ReplyReceiver.h"
#include "tools/TraceModel.h"

#include "platform/core/Thread.h"

class CCommManager;

// From the extract thread to the trace execution window: the trigger trace
// is complete.
inline constexpr UINT WM_TRACE_COMPLETE = 0xAA5;

// Controller parameters of the trace.
inline constexpr int kTraceTargetParam = 94;    // K94..K97: channels 1 to 4
inline constexpr int kTraceIntervalParam = 98;
inline constexpr int kTraceStreamParam = 99;
inline constexpr int kTraceOptionBoard = 8;
// The soft limits of the axis: the travel a position may take.
inline constexpr int kSoftLimitMinusParam = 1;
inline constexpr int kSoftLimitPlusParam = 2;

class CTraceAcquisition {
public:
    // What the window does after a line error.
    enum class LineError {
        Reported,   // a waiting command sees "NG." of the node
        ShowWarning,  // status-bar warning (ERROR_DISPLAY)
        StopTrace,  // the link-error flag is set: stop or abort the trace
    };

    static constexpr int kSkippedLines = 3;
    // Bound of the wait for the extract thread to end.
    static constexpr DWORD kThreadEndTimeoutMs = 30000;

    explicit CTraceAcquisition(CTraceModel& model);
    ~CTraceAcquisition();
    CTraceAcquisition(const CTraceAcquisition&) = delete;
    CTraceAcquisition& operator=(const CTraceAcquisition&) = delete;

    void SetCommMan(CCommManager* pCommMan) { m_pCommMan = pCommMan; }
    CCommManager* GetCommMan() const { return m_pCommMan; }
    void SetNodeNo(int nNodeNo) { m_nNodeNo = nNodeNo; }
    int GetNodeNo() const { return m_nNodeNo; }
    // Where WM_TRACE_COMPLETE is posted.
    void SetExecWindow(HWND hWnd) { m_hExecWnd = hWnd; }
    CReplyReceiver& Receiver() { return m_receiver; }

    // The extract thread, created suspended; TRUE when it exists.
    BOOL CreateExtractThread();
    // Ends the thread and waits for it (bounded).
    void EndExtractThread();
    BOOL HasExtractThread() const { return m_hThread ? TRUE : FALSE; }

    // Link event 0x7E8. Data: appended to the receive text; the text is
    // returned for the simple terminal while no trace is active.
    CString OnDataReceived();
    LineError OnLineError();

    // Controller operations (1 success, 0 failure; 0 for a window without link).
    int GetTraceSet(tracesettag& traceSet);
    int SetTraceSet(const tracesettag& traceSet);
    int GetRobConSet(robconsettag& robCon);
    // At window start: stops a stream left running, reads the controller
    // information and option bank 8. The information-read flag.
    BOOL InitSetting();
    // The window closes: stream off and, unless option bank 8 is set or Shift
    // is held, the controller's program stopped. 0 while tracing.
    int CloseController(BOOL bShiftHeld);

    // Trace control. Stop and Abort return TRUE when a link error was
    // reported during the trace.
    void StartMonitorTrace();
    BOOL StopMonitorTrace();
    void StartTriggerTrace();
    void EndTriggerTrace();
    void RepeatTriggerTrace();
    BOOL AbortTriggerTrace();
    void ManualTrigger();

    // One pass of the extract thread over the receive text; the lines handled.
    int ExtractLines();
    // Parses one sample line into slot nSlot of the set.
    static BOOL ParseSampleLine(const CString& strLine, const tracesettag& traceSet, SampleSet& data, int nSlot,
                                int nTraceNum);
    int GetLinesSkipped() const { return m_nLinesSkipped; }

private:
    static DWORD WINAPI ExtractThread(LPVOID pParam);
    bool IsLive() const;
    void SendStream(int nOn);
    // Tracing 0, once the extract thread's running pass has ended.
    void EndTracing();
    void HandleLine(const CString& strLine);
    void CheckTrigger();
    void FixTriggerPositions(std::int32_t nTriggerSlot);
    void ArmTrigger();
    void Wake();

    CTraceModel& m_model;
    CReplyReceiver m_receiver;
    CCommManager* m_pCommMan = nullptr;
    int m_nNodeNo = 0;
    HWND m_hExecWnd;
    HANDLE m_hThread;
    HANDLE m_hWake;
    SharedCell<std::int32_t> m_bThreadRun{0};
    // Written by the extract thread under the receive lock, reset by the starts.
    SharedCell<int> m_nLinesSkipped{0};
};
