// CSerialPort: a COM-port link of CCommManager. It opens the port with the
// record's line settings and runs two worker threads: the reader tells the
// manager's hidden window that input (or a line error, or a lost device)
// is there, the writer that output waits. The reading and writing itself
// happens on the manager's thread; "read end" and "write end" hand the turn
// back to the threads.
//
// Every link has its own events, so one link's signal never wakes another
// link's thread.
#pragma once

#include "comm/CommSettings.h"
#include "comm/LinkShared.h"

#include "platform/core/SerialPort.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace comm {

// Baud rate of a baud-rate index (5 and anything outside the table: 9600).
unsigned BaudRateOfIndex(int index);
// The line settings the record asks for.
platform::SerialSettings SerialSettingsFromRecord(const commsettag& record);

}  // namespace comm

class CSerialPort {
public:
    CSerialPort(commsettag* pCommSet, std::shared_ptr<comm::LinkShared> link);
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens "COMn" of the record with its line settings; posts the connected
    // event. FALSE when the port cannot be opened or set up.
    BOOL OpenPort();
    // Clears errors and drops what the driver holds (line settings are set by OpenPort).
    void SetupPort();
    // Starts the writer and reader threads; the link becomes ready.
    void Start();
    // Stops both threads, drops what the driver holds, lowers DTR and RTS, closes.
    void ClosePort();

    // For the manager's reads and writes.
    bool IsPortOpen() const;
    platform::SerialPort& Port();
    // Gives the reader or writer thread its turn back.
    void EndRead();
    void EndWrite();
    // Holds further writes for ms (write allowed = 0 until the timer fires).
    void StartSendDelay(DWORD ms);

    static constexpr int kWaitSliceMs = 100;
    // The reader's wait on an idle port; a close cancels it at once.
    static constexpr int kIdleWaitMs = 60000;
    static constexpr DWORD kThreadEndTimeoutMs = 5000;

private:
    struct Shared;
    static DWORD ReaderThread(LPVOID parameter);
    static DWORD WriterThread(LPVOID parameter);
    static void DelayTimerProc(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
    void StopDelayTimer();

    commsettag* m_pCommSet;
    std::shared_ptr<Shared> m_shared;
    HANDLE m_hReaderThread;
    HANDLE m_hWriterThread;
    std::mutex m_timerLock;
    UINT m_nTimerId = 0;
};
