// A serial port opened by its "COMn" number (see ComPortNames.h for the rule).
//
// The port is opened exclusively (flock, which also holds against root and
// against other processes of this system, plus TIOCEXCL against other programs),
// non-blocking and raw. Every wait has a time-out and can be woken by
// CancelWaits(), so a thread that uses the port can always be stopped. A device
// that goes away (hang-up) is reported as HungUp by every call after it.
//
// What termios cannot do, and how it is handled:
// - Driver queue sizes cannot be chosen; the driver's own are used.
// - A character with a parity or framing error is marked by the driver
//   (INPCK + PARMRK) and replaced here by the error character; a break is
//   ignored in the data (IGNBRK) and only counted.
// - NUL bytes are discarded here, not by the driver.
// - XON/XOFF limits are the driver's; XON and XOFF are 17 and 19.
// - Error counts (break, framing, overrun, parity) come from TIOCGICOUNT; a
//   driver without it (pseudo-terminals) reports only the parity and framing
//   errors seen in the data.
// - Pseudo-terminals ignore data bits and parity; their other settings hold.
#pragma once

#include "platform/core/ComPortNames.h"
#include "platform/core/SerialInputFilter.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <shared_mutex>
#include <string>

struct termios;

// Line error bits, as the link reports them.
inline constexpr DWORD CE_RXOVER = 0x0001;    // input buffer overflow
inline constexpr DWORD CE_OVERRUN = 0x0002;   // character overrun
inline constexpr DWORD CE_RXPARITY = 0x0004;  // parity error
inline constexpr DWORD CE_FRAME = 0x0008;     // framing error
inline constexpr DWORD CE_BREAK = 0x0010;     // break received
inline constexpr DWORD CE_IOE = 0x0400;       // device went away

namespace platform {

enum class Parity { None, Odd, Even };
enum class StopBits { One, Two };
enum class FlowControl { None, XonXoff, RtsCts };

struct SerialSettings {
    unsigned baudRate = 9600;  // 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400
    int dataBits = 8;          // 7 or 8
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    FlowControl flow = FlowControl::None;
    // Delivered in place of a character received with a parity or framing
    // error while parity is checked; 0 drops such characters.
    char errorChar = '~';
    bool discardNulls = true;
};

enum class SerialStatus {
    Ok,
    NotFound,      // no device for the number, or nothing behind the device
    Busy,          // opened by someone else
    AccessDenied,
    NotATerminal,  // the device is not a serial line
    BadSettings,   // a setting the device does not take
    NotOpen,
    TimedOut,
    Cancelled,     // CancelWaits was called
    HungUp,        // the device went away
    IoError,
};
const char* SerialStatusText(SerialStatus status);

// Line errors since the last ClearErrors.
struct SerialErrors {
    unsigned breaks = 0;
    unsigned framing = 0;
    unsigned overrun = 0;        // the UART lost characters
    unsigned parity = 0;
    unsigned bufferOverrun = 0;  // the driver's input buffer lost characters
    bool hungUp = false;
    bool Any() const { return breaks || framing || overrun || parity || bufferOverrun || hungUp; }
    // CE_* bits of the errors present.
    DWORD Mask() const;
};

// What a wait saw; all false means the time ran out.
struct SerialEvents {
    bool input = false;      // bytes are waiting to be read
    bool lineError = false;  // a new line error (see GetErrors)
    bool hungUp = false;
    bool cancelled = false;
    bool TimedOut() const { return !input && !lineError && !hungUp && !cancelled; }
};

// termios of a port in raw mode with the given settings; false (and t
// unchanged) when a setting is outside what the port takes.
bool MakeSerialTermios(const SerialSettings& settings, ::termios& t);

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the device of a COM number: exclusive, non-blocking, raw, 8N1 at
    // 9600, DTR and RTS on, both queues purged.
    SerialStatus Open(int comNumber);
    SerialStatus Open(int comNumber, const SerialSettings& settings);
    SerialStatus OpenDevice(const std::string& devicePath);
    // Applies the line settings; DTR on, RTS on unless RTS/CTS handshake.
    SerialStatus Configure(const SerialSettings& settings);
    // Wakes every wait, sends what the driver still holds (at most
    // kCloseDrainMs), drops DTR and RTS and closes. Safe to call twice and
    // from another thread than the one waiting.
    void Close();

    bool IsOpen() const { return m_fd.load() >= 0; }
    bool HungUp() const { return m_hungUp.load(); }
    // Device path of the open port (empty when closed); read it on the thread that opens and closes.
    const std::string& DevicePath() const { return m_device; }
    // The file descriptor, for tests and diagnostics; -1 when closed.
    int NativeHandle() const { return m_fd.load(); }

    // Reads up to size bytes. Returns at once with what is there; when nothing
    // is, waits up to timeoutMs for something. bytesRead may be 0 with Ok when
    // everything that came was discarded (NUL bytes).
    SerialStatus Read(void* buffer, std::size_t size, int timeoutMs, std::size_t& bytesRead);
    // Writes all bytes unless timeoutMs runs out first; bytesWritten tells
    // how many went to the driver.
    SerialStatus Write(const void* data, std::size_t size, int timeoutMs, std::size_t& bytesWritten);

    // Bytes in the driver's input and output queues; -1 when not known (the
    // port is closed or hung up).
    long InputQueueBytes();
    long OutputQueueBytes();
    // Drops what is in the driver's queues.
    SerialStatus Purge(bool input, bool output);

    // Waits up to timeoutMs for input, a new line error or a hang-up; what the
    // reader thread waits for.
    SerialEvents WaitEvent(int timeoutMs);
    // Makes every wait on the port return Cancelled, now and until Close.
    void CancelWaits();

    // Line errors since the last ClearErrors; ClearErrors also starts counting anew.
    SerialErrors GetErrors();
    SerialErrors ClearErrors();
    // False when the driver keeps no error counts (TIOCGICOUNT).
    bool HasErrorCounts() const { return m_hasCounts; }

    SerialStatus SetDtr(bool on);
    SerialStatus SetRts(bool on);

    static constexpr int kCloseDrainMs = 1000;

private:
    struct Counts {
        unsigned breaks = 0, framing = 0, overrun = 0, parity = 0, bufferOverrun = 0;
    };
    bool ReadCounts(Counts& c);
    SerialErrors ErrorsSince(const Counts& base);
    // Polls the port and the cancel descriptor; returns poll's revents of the port,
    // 0 on time-out, -1 when cancelled.
    int PollPort(short events, int timeoutMs);
    SerialStatus FailWith(int error);

    std::atomic<int> m_fd{-1};
    int m_cancelFd = -1;
    std::string m_device;
    std::atomic<bool> m_hungUp{false};
    bool m_hasCounts = false;
    bool m_rtsCts = false;

    // Calls share the lock; Close takes it alone, after waking every wait.
    std::shared_mutex m_closeLock;
    std::mutex m_readMutex;
    std::mutex m_writeMutex;
    SerialInputFilter m_filter;
    std::string m_raw;
    std::string m_filtered;

    std::mutex m_errorMutex;
    Counts m_clearBase;   // counts at the last ClearErrors
    Counts m_eventBase;   // counts last reported by WaitEvent
    unsigned m_markedErrors = 0;  // parity/framing marks seen in the data
};

}  // namespace platform
