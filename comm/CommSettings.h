// The settings and live state of one link, the choice tables behind its
// serial settings and the settings file "CommMan.ini" that keeps them.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <cstddef>

enum PortType : std::int32_t {
    PORT_NONE = 0,    // no kind chosen: a fresh or closed manager
    PORT_SERIAL = 1,  // COM port
    PORT_TCP = 2,     // TCP client
    PORT_OFFLINE = 3, // no port: open and ready at once, nothing is sent
};

// A 32-bit flag that worker threads read while the user-interface thread
// changes it; copies take its current value.
class CommFlag {
public:
    CommFlag(int value = 0) : m_value(value) {}
    CommFlag(const CommFlag& other) : m_value(other.m_value.load()) {}
    CommFlag& operator=(const CommFlag& other)
    {
        m_value.store(other.m_value.load());
        return *this;
    }
    CommFlag& operator=(int value)
    {
        m_value.store(value);
        return *this;
    }
    operator int() const { return m_value.load(); }

private:
    std::atomic<int> m_value;
};

inline constexpr std::size_t kCommReceiveAreaBytes = 4096;

// Settings first in meaning, live state interleaved as callers know it. The
// live fields (window, locks, flags, buffers, receive area) belong to the
// manager that owns the record; CCommManager::SetCommSet takes only the
// settings from a caller's copy.
struct commsettag {
    PortType nPortType = PORT_NONE;
    std::int32_t nDefPortType = 0;     // last kind opened other than offline ("DefaultPort")
    HWND hNotifyWnd;                   // the manager's hidden window
    HANDLE hOutBufMutex;               // guards strOutBuff and strOutBuffAtOnce
    HANDLE hInBufMutex;                // guards strInBuff and strInBuffAtOnce
    CommFlag bReady;                   // connected, threads run, sends accepted
    CommFlag bReceiving;               // a read of the port is in progress
    CommFlag bWriteAllowed;            // 0 while a send delay runs
    CommFlag bOpen;                    // the port is open
    CString strInBuff;                 // received since the last send or GetInBuff
    CString strInBuffAtOnce;           // received by the last read
    CString strOutBuff;                // waiting to be sent
    CString strOutBuffAtOnce;          // handed to the port by the last write
    BYTE byRecvBuff[kCommReceiveAreaBytes] = {};
    WORD wTCPPort = 23;
    BYTE byIPAddress[4] = {192, 168, 0, 2};
    CString strHostName;               // dotted address or host name the TCP link uses
    std::int32_t nComPort = 1;         // 1 also marks a TCP host-name lookup in progress
    std::int32_t nBaudRate = 7;        // index into kBaudRateTexts
    std::int32_t nDataBit = 1;         // index into kDataBitTexts
    std::int32_t nParityBit = 0;       // index into kParityTexts
    std::int32_t nStopBit = 0;         // index into kStopBitTexts
    std::int32_t nFlowControl = 2;     // index into kFlowControlTexts
    WORD wMaxComPort = 20;
    WORD wCRReceive = 1;               // 1 CR, 2 CR LF
    WORD wCRSend = 1;                  // 1 CR, 2 CR LF
    WORD wDelayPerChar = 0;            // ms after each sent character
    WORD wDelayPerLine = 5;            // ms after each sent line
    CommFlag bAddToInBuff;             // reads also append to strInBuff
};

// Line-end values of wCRReceive and wCRSend.
inline constexpr WORD CR_ONLY = 1;
inline constexpr WORD CR_LF = 2;

namespace comm {

// The port type changes on the link's thread while workers (the status poll)
// ask for it, so both go through these.
inline PortType LoadPortType(const commsettag& r)
{
    return std::atomic_ref<PortType>(const_cast<PortType&>(r.nPortType)).load();
}
inline void StorePortType(commsettag& r, PortType type) { std::atomic_ref<PortType>(r.nPortType).store(type); }

// A choice table: the texts the file holds, in index order, and the index a
// text outside the table gives.
struct ChoiceTable {
    const char16_t* const* texts;
    int count;
    int fallback;
};

extern const ChoiceTable kBaudRateChoices;     // "300" .. "230400", fallback 7 ("38400")
extern const ChoiceTable kDataBitChoices;      // "7", "8", fallback 1
extern const ChoiceTable kParityChoices;       // "odd", "even", "none", fallback 0
extern const ChoiceTable kStopBitChoices;      // "1", "2", fallback 0
extern const ChoiceTable kFlowControlChoices;  // "x", "hard", "none", fallback 2

// Index of a text, compared without case; the fallback when it is not there.
int ChoiceIndex(const ChoiceTable& table, const CString& text);
// Text of an index; the fallback's text for an index outside the table.
const char16_t* ChoiceText(const ChoiceTable& table, int index);

// Copies the settings fields only: port type, default port type, TCP port,
// IP address, host name, COM port, the five serial indices, max COM port, line
// ends and delays. Window, locks, flags and buffers of `to` stay its own.
void CopyCommSettings(const commsettag& from, commsettag& to);

// Reads "CommMan.ini" into the settings fields of the record. A missing file
// or key gives the key's default; a number its field cannot hold also does.
void ReadCommSettings(const CString& file, commsettag& record);
// Writes back what the file keeps: port kind, the serial choices as texts,
// the COM port numbers and the TCP address and port. The line ends and the
// delays are never written, so the file keeps whatever it holds for them.
// FALSE when the file could not be written.
BOOL WriteCommSettings(const CString& file, const commsettag& record);

}  // namespace comm
