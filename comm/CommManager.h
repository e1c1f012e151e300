// CCommManager: one link to the controllers, over a serial COM port, a TCP
// client connection, or no port at all for offline work.
//
//   CCommManager link;            // settings from "CommMan.ini"
//   link.Initialize();            // hidden window and locks, on the user-interface thread
//   link.AttatchWnd(myWindow);    // gets every link event (WM_COMM_LINK_EVENT)
//   link.SetPortType(PORT_SERIAL); link.SetComPort(3);
//   link.Open();                  // open; ready once the connected event (16) arrived
//   link.SendData(u"@?K1.1\r\n");  // on event 1: link.GetInBuffAtOnce()
//   link.Close();                 // the destructor writes the settings back
//
// Link events arrive on the hidden window, on the thread that called
// Initialize: 1 data read into the buffers, 2 output written, 16 connected,
// 32 closed, 256 line error (also when the line refused a write; the text
// stays queued). After the manager has handled one it sends it on to the
// attached window with the same parameters; the connected event always comes
// before the first data event. wParam is the number of the link
// that posted it: an event left over from a link that has since been closed
// is dropped.
#pragma once

#include "comm/CommSettings.h"
#include "comm/LinkEvent.h"

#include "platform/core/CodePage.h"
#include "platform/core/Wnd.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class CSerialPort;
class CTcpPort;

namespace comm {
struct LinkShared;
}

class CCommManager : public CWnd {
public:
    CCommManager();
    ~CCommManager() override;

    // Creates the hidden window and the buffer locks; once, before Open.
    // FALSE when the window cannot be created.
    BOOL Initialize();

    // 1 when the port was opened or the connection attempt started (the link
    // becomes ready with the connected event), and at once for PORT_OFFLINE;
    // 0 otherwise. An open link is closed first.
    int Open();
    // Stops the port's threads, closes it, empties the buffers; port type 0.
    void Close();
    int IsOpen();
    int IsReady();

    // Queues the text and empties the in buffer, so that the reply starts
    // fresh; 0 unless open and ready. An empty text changes nothing.
    int SendData(const CString& strData);
    // Everything received since the last send (not emptied by reading it).
    CString GetInBuff();
    // The text of the last read.
    CString GetInBuffAtOnce();
    // The same into out, whose room is reused: a reader that takes every read
    // does not allocate for each.
    void GetInBuffAtOnce(CString& out);
    // On this window's thread, over TCP: waits up to timeoutMs on the socket
    // itself and, when data comes, handles it as a read event at once, the
    // attached window included. A reply is taken without the round through
    // the socket's watcher thread and this thread's messages. False (and
    // nothing handled) when nothing came, a read event is already queued, or
    // the link is no started TCP link of this thread.
    bool WaitForInputHere(int timeoutMs);
    // Text has come in that this window's thread has not read yet (its read
    // event waits in the queue). Any thread may ask.
    bool HasUnreadInput() const;
    // The text handed to the port by the last write.
    CString GetOutBuffAtOnce();
    // Removes count characters at start from the in buffer; the new length.
    int DeleteInBuff(int nStart, int nCount);
    // Whether reads also append to the in buffer (set by Initialize).
    void SetAddToInBuff(BOOL bAdd);

    // The one window that link events are sent on to.
    void AttatchWnd(HWND hWnd);
    HWND DetatchWnd();

    // The whole record out; only its settings in (never another manager's
    // window, locks, flags or buffers).
    void GetCommSet(commsettag* pCommSet);
    void SetCommSet(const commsettag* pCommSet);
    PortType GetPortType();
    void SetPortType(PortType type);
    WORD GetDefPortType();
    void SetDefPortType(WORD wType);
    // The current port type becomes the default.
    void SetDefPortType();
    WORD GetComPort();
    void SetComPort(WORD wPort);
    WORD GetMaxComPort();
    void SetMaxComPort(WORD wPort);
    WORD GetTCPPort();
    void SetTCPPort(WORD wPort);
    CString GetHostName();
    void SetHostName(const CString& strHost);

    // Bounds of the serial transfers.
    static constexpr long kSerialWriteWindowBytes = 1024;
    static constexpr int kSerialWriteTimeoutMs = 1000;
    static constexpr int kSerialRetryTimeoutMs = 50;
    static constexpr int kSerialReadTimeoutMs = 1000;
    static constexpr std::size_t kMaxReadPassBytes = 64 * 1024;
    // The buffer locks are held for one buffer operation; this only guards against a fault.
    static constexpr DWORD kBufferLockTimeoutMs = 10000;

protected:
    afx_msg LRESULT OnCommNotify(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnWatchAgain(WPARAM wParam, LPARAM lParam);
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ResetCommSet();
    void ReadIniFile();
    void WriteIniFile();
    // False when a handler that ran meanwhile destroyed the manager.
    bool Start(LPARAM lParam);
    void ReadProc();
    void WriteProc();
    void ReadSerial();
    void ReadTcp();
    void WriteSerial();
    void WriteTcp();
    // False when the text was not queued (the link closed meanwhile). Without
    // wakeWriter the caller writes at once and wakes the writer thread itself
    // for what is left.
    bool InitBuffs(const CString& strData, bool wakeWriter = true);
    bool AddToOutBuf(const CString& strData, bool wakeWriter = true);
    void DestroyPorts();
    void FinishDeferredClose();
    // Called with the out-buffer lock held.
    void TakeWritten(std::size_t chunkCharacters, std::size_t written);

    BOOL m_bInitialized;
    CString m_strIniPath;
    commsettag m_CommSet;
    CSerialPort* m_pSerialPort;
    CTcpPort* m_pTcpPort;
    HWND m_hAttachedWnd;

    std::shared_ptr<comm::LinkShared> m_link;
    // Bytes of the out buffer's first character that already went out.
    std::size_t m_nOutSkipBytes = 0;
    // A character cut between two reads waits here for its second half.
    platform::StreamDecoder m_decoder;
    // What a TCP read takes from the socket at once: all a long reply holds,
    // in one call, where the record's receive area would take several.
    std::vector<BYTE> m_tcpReadArea;
    // A failed write is reported once, until a write succeeds again.
    bool m_bWriteFailed = false;
    // A Close during a port call that pumps messages waits for the call's end.
    bool m_bCloseRequested = false;
    // After a reply taken on the line the socket's watcher stays paused until
    // this thread next looks at its messages, so that waking it again is no
    // part of the reply's way; any thread may ask.
    std::atomic<bool> m_watchHeld{false};
    // Guards m_pTcpPort's changes against HasUnreadInput from another thread.
    mutable std::mutex m_portLock;
};
