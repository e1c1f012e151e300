#include "platform/core/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Without a wake-up from the driver, line errors are looked for this often while waiting.
constexpr int kErrorPollMs = 50;
constexpr int kDrainPollMs = 10;

struct BaudCode {
    unsigned rate;
    speed_t code;
};

constexpr BaudCode kBaudCodes[] = {
    {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

bool BaudCodeOf(unsigned rate, speed_t& code)
{
    for (const BaudCode& b : kBaudCodes)
        if (b.rate == rate) {
            code = b.code;
            return true;
        }
    return false;
}

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

Clock::time_point DeadlineAfter(int timeoutMs) { return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0)); }

// A ttyS node exists for every UART the kernel reserved room for, hardware or not.
bool IsPhantomUart(int fd, const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.size() < 5 || name.compare(0, 4, "ttyS") != 0 || name[4] < '0' || name[4] > '9') return false;
    serial_struct info {};
    return ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN;
}

SerialStatus StatusOfOpenError(int error)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:
        return SerialStatus::NotFound;
    case EBUSY:
    case EWOULDBLOCK:
        return SerialStatus::Busy;
    case EACCES:
    case EPERM:
    case EROFS:
        return SerialStatus::AccessDenied;
    case ENOTTY:
        return SerialStatus::NotATerminal;
    default:
        return SerialStatus::IoError;
    }
}

}  // namespace

const char* SerialStatusText(SerialStatus status)
{
    switch (status) {
    case SerialStatus::Ok: return "ok";
    case SerialStatus::NotFound: return "no such port";
    case SerialStatus::Busy: return "port in use";
    case SerialStatus::AccessDenied: return "access denied";
    case SerialStatus::NotATerminal: return "not a serial line";
    case SerialStatus::BadSettings: return "settings not supported";
    case SerialStatus::NotOpen: return "port not open";
    case SerialStatus::TimedOut: return "timed out";
    case SerialStatus::Cancelled: return "cancelled";
    case SerialStatus::HungUp: return "device went away";
    case SerialStatus::IoError: return "input/output error";
    }
    return "unknown";
}

DWORD SerialErrors::Mask() const
{
    DWORD mask = 0;
    if (bufferOverrun) mask |= CE_RXOVER;
    if (overrun) mask |= CE_OVERRUN;
    if (parity) mask |= CE_RXPARITY;
    if (framing) mask |= CE_FRAME;
    if (breaks) mask |= CE_BREAK;
    if (hungUp) mask |= CE_IOE;
    return mask;
}

bool MakeSerialTermios(const SerialSettings& s, ::termios& t)
{
    speed_t speed;
    if (!BaudCodeOf(s.baudRate, speed) || (s.dataBits != 7 && s.dataBits != 8)) return false;
    termios n = t;
    ::cfmakeraw(&n);
    n.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    n.c_cflag |= CLOCAL | CREAD | (s.dataBits == 7 ? CS7 : CS8);
    n.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR | ISTRIP | BRKINT);
    // A break is counted, never delivered as data.
    n.c_iflag |= IGNBRK;
    if (s.parity != Parity::None) {
        n.c_cflag |= PARENB | (s.parity == Parity::Odd ? PARODD : 0);
        n.c_iflag |= INPCK | (s.errorChar != '\0' ? PARMRK : IGNPAR);
    }
    if (s.stopBits == StopBits::Two) n.c_cflag |= CSTOPB;
    if (s.flow == FlowControl::XonXoff) {
        // No IXANY: output stays stopped until XON itself arrives.
        n.c_iflag |= IXON | IXOFF;
        n.c_cc[VSTART] = 17;
        n.c_cc[VSTOP] = 19;
    } else if (s.flow == FlowControl::RtsCts) {
        n.c_cflag |= CRTSCTS;
    }
    // One byte satisfies a read; with O_NONBLOCK a read of 0 then means hang-up.
    n.c_cc[VMIN] = 1;
    n.c_cc[VTIME] = 0;
    ::cfsetispeed(&n, speed);
    ::cfsetospeed(&n, speed);
    t = n;
    return true;
}

SerialPort::~SerialPort() { Close(); }

SerialStatus SerialPort::Open(int comNumber)
{
    const std::string device = ComPortDevice(comNumber);
    if (device.empty()) return SerialStatus::NotFound;
    return OpenDevice(device);
}

SerialStatus SerialPort::Open(int comNumber, const SerialSettings& settings)
{
    SerialStatus status = Open(comNumber);
    if (status == SerialStatus::Ok) {
        status = Configure(settings);
        if (status != SerialStatus::Ok) Close();
    }
    return status;
}

SerialStatus SerialPort::OpenDevice(const std::string& devicePath)
{
    Close();
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return StatusOfOpenError(errno);
    const auto fail = [fd](SerialStatus status) {
        ::close(fd);
        return status;
    };
    if (!::isatty(fd)) return fail(SerialStatus::NotATerminal);
    // flock holds against every process of this system, root included; TIOCEXCL
    // keeps other programs' opens out.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(StatusOfOpenError(errno));
    ::ioctl(fd, TIOCEXCL);
    if (IsPhantomUart(fd, devicePath)) return fail(SerialStatus::NotFound);

    termios t {};
    if (::tcgetattr(fd, &t) != 0) return fail(StatusOfOpenError(errno));
    MakeSerialTermios(SerialSettings(), t);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return fail(StatusOfOpenError(errno));
    const int cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (cancelFd < 0) return fail(SerialStatus::IoError);

    std::unique_lock lock(m_closeLock);
    m_cancelFd = cancelFd;
    m_device = devicePath;
    m_hungUp = false;
    m_rtsCts = false;
    serial_icounter_struct counts {};
    m_hasCounts = ::ioctl(fd, TIOCGICOUNT, &counts) == 0;
    {
        std::lock_guard readLock(m_readMutex);
        m_filter.Configure(false, '~', SerialSettings().discardNulls);
    }
    m_fd = fd;
    ::tcflush(fd, TCIOFLUSH);
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
    {
        std::lock_guard errorLock(m_errorMutex);
        m_markedErrors = 0;
        Counts now;
        ReadCounts(now);
        m_clearBase = m_eventBase = now;
    }
    return SerialStatus::Ok;
}

SerialStatus SerialPort::Configure(const SerialSettings& settings)
{
    std::shared_lock lock(m_closeLock);
    const int fd = m_fd;
    if (fd < 0) return SerialStatus::NotOpen;
    if (m_hungUp) return SerialStatus::HungUp;
    termios t {};
    if (::tcgetattr(fd, &t) != 0) return FailWith(errno);
    if (!MakeSerialTermios(settings, t)) return SerialStatus::BadSettings;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return FailWith(errno);
    // tcsetattr succeeds when any part took; a rate the driver could not set shows on reading back.
    termios applied {};
    if (::tcgetattr(fd, &applied) != 0) return FailWith(errno);
    if (::cfgetospeed(&applied) != ::cfgetospeed(&t)) return SerialStatus::BadSettings;
    {
        std::lock_guard readLock(m_readMutex);
        m_filter.Configure(settings.parity != Parity::None && settings.errorChar != '\0', settings.errorChar,
                           settings.discardNulls);
    }
    m_rtsCts = settings.flow == FlowControl::RtsCts;
    int dtr = TIOCM_DTR;
    ::ioctl(fd, TIOCMBIS, &dtr);
    if (!m_rtsCts) {
        int rts = TIOCM_RTS;
        ::ioctl(fd, TIOCMBIS, &rts);
    }
    return SerialStatus::Ok;
}

void SerialPort::Close()
{
    if (m_fd < 0) return;
    CancelWaits();
    std::unique_lock lock(m_closeLock);
    const int fd = m_fd;
    if (fd < 0) return;
    if (!m_hungUp) {
        // The kernel would wait up to half a minute on close for a stuck queue
        // (flow control held off); wait a bounded time here, then drop the rest.
        const auto deadline = DeadlineAfter(kCloseDrainMs);
        int queued = 0;
        while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(kDrainPollMs));
        ::tcflush(fd, TCIOFLUSH);
        int lines = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd, TIOCMBIC, &lines);
        ::ioctl(fd, TIOCNXCL);
    }
    m_fd = -1;
    ::close(fd);
    ::close(m_cancelFd);
    m_cancelFd = -1;
    m_device.clear();
    m_hungUp = false;
    std::lock_guard readLock(m_readMutex);
    m_filter.Reset();
}

void SerialPort::CancelWaits()
{
    std::shared_lock lock(m_closeLock);
    if (m_cancelFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_cancelFd, &one, sizeof one);
    }
}

int SerialPort::PollPort(short events, int timeoutMs)
{
    const auto deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        pollfd fds[2] = {{m_fd, events, 0}, {m_cancelFd, POLLIN, 0}};
        const int n = ::poll(fds, 2, RemainingMs(deadline));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return POLLERR;
        if (fds[1].revents) return -1;
        return fds[0].revents;
    }
}

SerialStatus SerialPort::FailWith(int error)
{
    switch (error) {
    case EIO:
    case ENXIO:
    case ENODEV:
        m_hungUp = true;
        return SerialStatus::HungUp;
    case EINVAL:
        return SerialStatus::BadSettings;
    default:
        return StatusOfOpenError(error);
    }
}

SerialStatus SerialPort::Read(void* buffer, std::size_t size, int timeoutMs, std::size_t& bytesRead)
{
    bytesRead = 0;
    std::shared_lock lock(m_closeLock);
    const int fd = m_fd;
    if (fd < 0) return SerialStatus::NotOpen;
    if (size == 0) return SerialStatus::Ok;
    std::lock_guard readLock(m_readMutex);
    const auto deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        m_raw.resize(size);
        const ssize_t n = ::read(fd, m_raw.data(), size);
        if (n > 0) {
            m_filtered.clear();
            std::size_t marks = m_filter.Feed(std::string_view(m_raw.data(), static_cast<std::size_t>(n)), m_filtered);
            // The driver queues a mark whole, so the rest of a cut one is already there.
            while (m_filter.Pending() > 0) {
                char c;
                if (::read(fd, &c, 1) != 1) break;
                marks += m_filter.Feed(std::string_view(&c, 1), m_filtered);
            }
            if (marks > 0) {
                std::lock_guard errorLock(m_errorMutex);
                m_markedErrors += static_cast<unsigned>(marks);
            }
            bytesRead = std::min(m_filtered.size(), size);
            std::copy_n(m_filtered.data(), bytesRead, static_cast<char*>(buffer));
            return SerialStatus::Ok;
        }
        if (n == 0) {
            m_hungUp = true;
            return SerialStatus::HungUp;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return FailWith(errno);
        const int left = RemainingMs(deadline);
        if (left == 0) return SerialStatus::TimedOut;
        if (PollPort(POLLIN, left) < 0) return SerialStatus::Cancelled;
    }
}

SerialStatus SerialPort::Write(const void* data, std::size_t size, int timeoutMs, std::size_t& bytesWritten)
{
    bytesWritten = 0;
    std::shared_lock lock(m_closeLock);
    const int fd = m_fd;
    if (fd < 0) return SerialStatus::NotOpen;
    if (m_hungUp) return SerialStatus::HungUp;
    std::lock_guard writeLock(m_writeMutex);
    const auto deadline = DeadlineAfter(timeoutMs);
    const char* p = static_cast<const char*>(data);
    while (bytesWritten < size) {
        const ssize_t n = ::write(fd, p + bytesWritten, size - bytesWritten);
        if (n > 0) {
            bytesWritten += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return FailWith(errno);
        const int left = RemainingMs(deadline);
        if (left == 0) return SerialStatus::TimedOut;
        const int revents = PollPort(POLLOUT, left);
        if (revents < 0) return SerialStatus::Cancelled;
        if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
            m_hungUp = true;
            return SerialStatus::HungUp;
        }
    }
    return SerialStatus::Ok;
}

long SerialPort::InputQueueBytes()
{
    std::shared_lock lock(m_closeLock);
    int n = 0;
    if (m_fd < 0 || m_hungUp) return -1;
    if (::ioctl(m_fd, FIONREAD, &n) != 0) {
        FailWith(errno);
        return -1;
    }
    return n;
}

long SerialPort::OutputQueueBytes()
{
    std::shared_lock lock(m_closeLock);
    int n = 0;
    if (m_fd < 0 || m_hungUp) return -1;
    if (::ioctl(m_fd, TIOCOUTQ, &n) != 0) {
        FailWith(errno);
        return -1;
    }
    return n;
}

SerialStatus SerialPort::Purge(bool input, bool output)
{
    std::shared_lock lock(m_closeLock);
    if (m_fd < 0) return SerialStatus::NotOpen;
    if (m_hungUp) return SerialStatus::HungUp;
    if (!input && !output) return SerialStatus::Ok;
    if (input) {
        std::lock_guard readLock(m_readMutex);
        m_filter.Reset();
    }
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ::tcflush(m_fd, which) == 0 ? SerialStatus::Ok : FailWith(errno);
}

SerialEvents SerialPort::WaitEvent(int timeoutMs)
{
    SerialEvents events;
    std::shared_lock lock(m_closeLock);
    if (m_fd < 0) {
        events.cancelled = true;
        return events;
    }
    const auto deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        if (m_hungUp) {
            events.hungUp = true;
            return events;
        }
        {
            std::lock_guard errorLock(m_errorMutex);
            Counts now;
            if (ReadCounts(now) &&
                (now.breaks != m_eventBase.breaks || now.framing != m_eventBase.framing ||
                 now.overrun != m_eventBase.overrun || now.parity != m_eventBase.parity ||
                 now.bufferOverrun != m_eventBase.bufferOverrun)) {
                m_eventBase = now;
                events.lineError = true;
            }
        }
        const int left = RemainingMs(deadline);
        const int revents = PollPort(POLLIN, events.lineError ? 0 : m_hasCounts ? std::min(left, kErrorPollMs) : left);
        if (revents < 0) {
            events.cancelled = true;
            return events;
        }
        if (revents & POLLIN) events.input = true;
        if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
            m_hungUp = true;
            events.hungUp = true;
        }
        if (!events.TimedOut() || RemainingMs(deadline) == 0) return events;
    }
}

bool SerialPort::ReadCounts(Counts& c)
{
    if (!m_hasCounts) {
        c = Counts();
        c.parity = m_markedErrors;
        return true;
    }
    serial_icounter_struct ic {};
    if (::ioctl(m_fd, TIOCGICOUNT, &ic) != 0) return false;
    c.breaks = static_cast<unsigned>(ic.brk);
    c.framing = static_cast<unsigned>(ic.frame);
    c.overrun = static_cast<unsigned>(ic.overrun);
    c.parity = static_cast<unsigned>(ic.parity);
    c.bufferOverrun = static_cast<unsigned>(ic.buf_overrun);
    return true;
}

SerialErrors SerialPort::ErrorsSince(const Counts& base)
{
    SerialErrors e;
    Counts now;
    if (ReadCounts(now)) {
        e.breaks = now.breaks - base.breaks;
        e.framing = now.framing - base.framing;
        e.overrun = now.overrun - base.overrun;
        e.parity = now.parity - base.parity;
        e.bufferOverrun = now.bufferOverrun - base.bufferOverrun;
    }
    e.hungUp = m_hungUp;
    return e;
}

SerialErrors SerialPort::GetErrors()
{
    std::shared_lock lock(m_closeLock);
    if (m_fd < 0) return SerialErrors();
    std::lock_guard errorLock(m_errorMutex);
    return ErrorsSince(m_clearBase);
}

SerialErrors SerialPort::ClearErrors()
{
    std::shared_lock lock(m_closeLock);
    if (m_fd < 0) return SerialErrors();
    std::lock_guard errorLock(m_errorMutex);
    const SerialErrors e = ErrorsSince(m_clearBase);
    Counts now;
    if (ReadCounts(now)) m_clearBase = now;
    return e;
}

SerialStatus SerialPort::SetDtr(bool on)
{
    std::shared_lock lock(m_closeLock);
    if (m_fd < 0) return SerialStatus::NotOpen;
    int bits = TIOCM_DTR;
    return ::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0 ? SerialStatus::Ok : FailWith(errno);
}

SerialStatus SerialPort::SetRts(bool on)
{
    std::shared_lock lock(m_closeLock);
    if (m_fd < 0) return SerialStatus::NotOpen;
    int bits = TIOCM_RTS;
    return ::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0 ? SerialStatus::Ok : FailWith(errno);
}

bool CanOpenComPort(int number)
{
    SerialPort port;
    return port.Open(number) == SerialStatus::Ok;
}

std::vector<int> ProbeComPorts(int highest)
{
    std::vector<int> free;
    for (const ComPortEntry& entry : ListComPorts()) {
        if (entry.number > highest) break;
        SerialPort port;
        if (port.OpenDevice(entry.device) == SerialStatus::Ok) free.push_back(entry.number);
    }
    return free;
}

}  // namespace platform
