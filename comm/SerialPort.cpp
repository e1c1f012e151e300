#include "comm/SerialPort.h"

#include "comm/LinkEvent.h"

#include "platform/core/Messages.h"
#include "platform/core/MultimediaTimer.h"
#include "platform/core/Synchronization.h"
#include "platform/core/Thread.h"
#include "platform/core/Time.h"

#include <cstdio>

namespace comm {

unsigned BaudRateOfIndex(int index)
{
    static const unsigned kRates[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};
    return index >= 0 && index < 11 ? kRates[index] : 9600;
}

platform::SerialSettings SerialSettingsFromRecord(const commsettag& r)
{
    platform::SerialSettings s;
    s.baudRate = BaudRateOfIndex(r.nBaudRate);
    s.dataBits = r.nDataBit == 0 ? 7 : 8;
    s.parity = r.nParityBit == 1 ? platform::Parity::Even : r.nParityBit == 2 ? platform::Parity::None
                                                                                : platform::Parity::Odd;
    s.stopBits = r.nStopBit == 1 ? platform::StopBits::Two : platform::StopBits::One;
    s.flow = r.nFlowControl == 0   ? platform::FlowControl::XonXoff
             : r.nFlowControl == 1 ? platform::FlowControl::RtsCts
                                   : platform::FlowControl::None;
    s.errorChar = '~';
    s.discardNulls = true;
    return s;
}

}  // namespace comm

// Everything the worker threads touch. They hold it too, so even a thread
// that outlives its port object never reaches freed memory.
struct CSerialPort::Shared {
    platform::SerialPort port;
    HWND notify;
    HANDLE readEnd;
    HANDLE writeEnd;
    std::atomic<bool> readerRunning{false};
    std::atomic<bool> writerRunning{false};
    std::shared_ptr<comm::LinkShared> link;

    ~Shared()
    {
        if (readEnd) CloseHandle(readEnd);
        if (writeEnd) CloseHandle(writeEnd);
    }

    bool Post(WORD kind) const { return PostMessageW(notify, WM_COMM_LINK_EVENT, link->linkId.load(), MakeLinkEvent(kind)); }

    // Waits until the window's thread hands the turn back, the thread is
    // stopped, or the window is gone; in slices, so a stop is seen at once.
    void WaitForTurn(HANDLE event, const std::atomic<bool>& running) const
    {
        while (running.load()) {
            const DWORD result = WaitForSingleObject(event, kWaitSliceMs);
            if (result != WAIT_TIMEOUT) return;
            if (!IsWindow(notify)) return;
        }
    }
};

CSerialPort::CSerialPort(commsettag* pCommSet, std::shared_ptr<comm::LinkShared> link)
    : m_pCommSet(pCommSet), m_shared(std::make_shared<Shared>())
{
    m_shared->notify = pCommSet->hNotifyWnd;
    m_shared->link = std::move(link);
}

CSerialPort::~CSerialPort() { ClosePort(); }

BOOL CSerialPort::OpenPort()
{
    const platform::SerialStatus status =
        m_shared->port.Open(m_pCommSet->nComPort, comm::SerialSettingsFromRecord(*m_pCommSet));
    if (status != platform::SerialStatus::Ok) return FALSE;
    m_pCommSet->bOpen = 1;
    SetupPort();
    m_shared->Post(LINK_EVENT_CONNECT);
    return TRUE;
}

void CSerialPort::SetupPort()
{
    if (!m_pCommSet->bOpen || !m_shared->port.IsOpen()) return;
    m_shared->port.ClearErrors();
    m_shared->port.Purge(true, true);
}

void CSerialPort::Start()
{
    if (!m_pCommSet->bOpen || m_pCommSet->bReady || !m_shared->port.IsOpen()) return;
    if (!m_shared->readEnd) m_shared->readEnd = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_shared->writeEnd) m_shared->writeEnd = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_shared->readEnd || !m_shared->writeEnd) return;
    // A polled line's write turns need not pass through the writer thread.
    Shared* shared = m_shared.get();
    m_shared->link->SetWritePoster([shared] { return IsWindow(shared->notify) && shared->Post(LINK_EVENT_WRITE); });
    m_shared->writerRunning = true;
    m_hWriterThread = CreateThread(nullptr, 0, &CSerialPort::WriterThread, new std::shared_ptr<Shared>(m_shared), 0, nullptr);
    m_shared->readerRunning = true;
    m_hReaderThread = CreateThread(nullptr, 0, &CSerialPort::ReaderThread, new std::shared_ptr<Shared>(m_shared), 0, nullptr);
    m_pCommSet->bReady = 1;
}

void CSerialPort::ClosePort()
{
    Shared& s = *m_shared;
    // Turns are handed out by the writer thread alone again (and no more
    // once it has stopped); the poster reaches into this port.
    s.link->SetWritePoster(nullptr);
    s.readerRunning = false;
    s.writerRunning = false;
    s.link->WakeWriters();
    s.port.CancelWaits();
    if (s.writeEnd) SetEvent(s.writeEnd);
    if (s.readEnd) SetEvent(s.readEnd);
    for (HANDLE* thread : {&m_hWriterThread, &m_hReaderThread}) {
        if (!*thread) continue;
        if (WaitForSingleObject(*thread, kThreadEndTimeoutMs) != WAIT_OBJECT_0) {
            std::fprintf(stderr, "serial link: a worker thread did not end in time\n");
        }
        CloseHandle(*thread);
        *thread = nullptr;
    }
    StopDelayTimer();
    if (s.port.IsOpen()) {
        s.port.Purge(true, true);
        s.port.SetDtr(false);
        s.port.SetRts(false);
        s.port.Close();
    }
}

bool CSerialPort::IsPortOpen() const { return m_shared->port.IsOpen() && !m_shared->port.HungUp(); }

platform::SerialPort& CSerialPort::Port() { return m_shared->port; }

void CSerialPort::EndRead()
{
    if (m_shared->readEnd) SetEvent(m_shared->readEnd);
}

void CSerialPort::EndWrite()
{
    // A turn posted without the writer thread: it is not waiting for the end.
    if (m_shared->link->EndHandedOutTurn()) return;
    if (m_shared->writeEnd) SetEvent(m_shared->writeEnd);
}

void CSerialPort::StartSendDelay(DWORD ms)
{
    if (ms == 0) return;
    std::lock_guard lock(m_timerLock);
    m_pCommSet->bWriteAllowed = 0;
    m_shared->link->HoldWrites(true);
    // The lock keeps a timer that fires at once from looking before its id is known.
    m_nTimerId = timeSetEvent(ms, ms, &CSerialPort::DelayTimerProc, reinterpret_cast<DWORD_PTR>(this), TIME_ONESHOT);
    if (m_nTimerId == 0) {
        m_pCommSet->bWriteAllowed = 1;
        m_shared->link->HoldWrites(false);
    }
}

void CSerialPort::DelayTimerProc(UINT timerId, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    auto* self = reinterpret_cast<CSerialPort*>(user);
    std::lock_guard lock(self->m_timerLock);
    if (self->m_nTimerId != timerId) return;
    self->m_nTimerId = 0;
    self->m_pCommSet->bWriteAllowed = 1;
    // The writer thread, asleep through the delay, takes its turn now.
    self->m_shared->link->HoldWrites(false);
}

void CSerialPort::StopDelayTimer()
{
    UINT id;
    {
        std::lock_guard lock(m_timerLock);
        id = m_nTimerId;
        m_nTimerId = 0;
    }
    // Waits for a callback that is running; it finds its id gone and does nothing.
    if (id) timeKillEvent(id);
    m_shared->link->HoldWrites(false);
}

DWORD CSerialPort::ReaderThread(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<Shared>> holder(static_cast<std::shared_ptr<Shared>*>(parameter));
    Shared& s = **holder;
    bool lost = false;
    while (s.readerRunning.load()) {
        if (lost) {
            // Nothing more comes from a device that went away; wait to be
            // stopped (ClosePort sets the turn's event).
            WaitForSingleObject(s.readEnd, INFINITE);
            continue;
        }
        // Sleeps on the port until input, a line error, a hang-up or the
        // close's cancel: an idle line costs nothing.
        const platform::SerialEvents events = s.port.WaitEvent(kIdleWaitMs);
        if (!s.readerRunning.load() || events.cancelled) break;
        if (events.hungUp || s.port.HungUp()) {
            lost = true;
            s.Post(LINK_EVENT_CLOSE);
            continue;
        }
        if (events.lineError) {
            const platform::SerialErrors errors = s.port.ClearErrors();
            s.Post(LINK_EVENT_ERROR);
            std::fprintf(stderr, "CommError : %u\n", static_cast<unsigned>(errors.Mask()));
        }
        if (events.input) {
            if (IsWindow(s.notify) && s.link->AnnounceRead([&] { return s.Post(LINK_EVENT_READ); })) {
                s.WaitForTurn(s.readEnd, s.readerRunning);
            } else {
                s.port.Purge(true, false);
            }
        }
    }
    return 0;
}

DWORD CSerialPort::WriterThread(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<Shared>> holder(static_cast<std::shared_ptr<Shared>*>(parameter));
    Shared& s = **holder;
    while (s.writerRunning.load()) {
        if (!s.link->outPending.load()) {
            s.link->WaitForOut(s.writerRunning);
            continue;
        }
        if (IsWindow(s.notify) && s.Post(LINK_EVENT_WRITE)) {
            s.WaitForTurn(s.writeEnd, s.writerRunning);
            if (!s.link->outPending.load()) continue;
            if (s.link->WritesHeld()) {
                // A send delay runs: the next turn when it ends.
                s.link->WaitWhileWritesHeld(s.writerRunning);
                continue;
            }
        }
        // The driver is full or the line refused the text: again shortly.
        Sleep(1);
    }
    return 0;
}
