#include "platform/core/SerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace platform {
// Failures then name the status instead of dumping its bytes.
void PrintTo(SerialStatus status, std::ostream* os) { *os << SerialStatusText(status); }
}  // namespace platform

namespace {

using namespace std::string_literals;
using platform::SerialPort;
using platform::SerialStatus;

constexpr int kBoundMs = 10000;  // generous: the machine may be loaded
constexpr int kPortNumber = 31;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old) ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else ::unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// The far end of a port: the master side of a pseudo-terminal.
class PtyPeer {
public:
    PtyPeer()
    {
        m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0 || ::grantpt(m_fd) != 0 || ::unlockpt(m_fd) != 0) return;
        m_device = ::ptsname(m_fd);
        termios t {};
        ::tcgetattr(m_fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_fd, TCSANOW, &t);
    }
    ~PtyPeer() { Close(); }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& Device() const { return m_device; }
    bool Ok() const { return m_fd >= 0 && !m_device.empty(); }
    void Close()
    {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    void Send(const std::string& bytes) const
    {
        ASSERT_EQ(::write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until count bytes came or the bound ran out.
    std::string Receive(std::size_t count) const
    {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBoundMs);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd p {m_fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buf[256];
            const ssize_t n = ::read(m_fd, buf, std::min(sizeof buf, count - got.size()));
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int m_fd = -1;
    std::string m_device;
};

// A port bound through the in-process override to a fresh pseudo-terminal, with
// no ports file in play.
class SerialPortTest : public ::testing::Test {
protected:
    SerialPortTest()
        : m_noFile(platform::kPortsFileVariable, "/nonexistent/qv-ports.ini"),
          m_bind(kPortNumber, m_peer.Device())
    {
    }
    void SetUp() override { ASSERT_TRUE(m_peer.Ok()); }

    // Reads until count bytes came or the bound ran out.
    static std::string ReadPort(SerialPort& port, std::size_t count)
    {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBoundMs);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            char buf[256];
            std::size_t n = 0;
            const SerialStatus status = port.Read(buf, sizeof buf, 100, n);
            if (status != SerialStatus::Ok && status != SerialStatus::TimedOut) break;
            got.append(buf, n);
        }
        return got;
    }

    ScopedEnv m_noFile;
    PtyPeer m_peer;
    platform::ScopedComPortDevice m_bind;
};

struct SettingsRow {
    const char* name;
    platform::SerialSettings settings;
    speed_t speed;
    tcflag_t cflagOn, cflagOff;  // bits that must be set and clear in c_cflag
    tcflag_t iflagOn, iflagOff;
};

const SettingsRow kSettingsRows[] = {
    {"38400 8N1 no flow", {38400, 8, platform::Parity::None, platform::StopBits::One, platform::FlowControl::None},
     B38400, CS8 | CLOCAL | CREAD, PARENB | CSTOPB | CRTSCTS, IGNBRK, INPCK | PARMRK | IXON | IXOFF | ISTRIP},
    {"300 7O2 xon/xoff", {300, 7, platform::Parity::Odd, platform::StopBits::Two, platform::FlowControl::XonXoff},
     B300, CS7 | PARENB | PARODD | CSTOPB, CRTSCTS, INPCK | PARMRK | IXON | IXOFF, IGNPAR | IXANY},
    {"230400 8E1 rts/cts", {230400, 8, platform::Parity::Even, platform::StopBits::One, platform::FlowControl::RtsCts},
     B230400, CS8 | PARENB | CRTSCTS, PARODD | CSTOPB, INPCK | PARMRK, IXON | IXOFF},
    {"9600 8O1, bad characters dropped", {9600, 8, platform::Parity::Odd, platform::StopBits::One, platform::FlowControl::None, '\0'},
     B9600, CS8 | PARENB | PARODD, 0, INPCK | IGNPAR, PARMRK},
    {"115200 7N1", {115200, 7, platform::Parity::None, platform::StopBits::One, platform::FlowControl::None},
     B115200, CS7, PARENB, 0, INPCK},
};

void ExpectBits(tcflag_t value, tcflag_t on, tcflag_t off, const char* what)
{
    SCOPED_TRACE(what);
    for (tcflag_t bit = 1; bit != 0; bit <<= 1) {
        if (on & bit) {
            EXPECT_TRUE(value & bit) << "bit " << std::hex << bit << " clear";
        }
        if (off & bit) {
            EXPECT_FALSE(value & bit) << "bit " << std::hex << bit << " set";
        }
    }
}

TEST(SerialTermios, SettingsGiveFlagsAndSpeed)
{
    for (const SettingsRow& r : kSettingsRows) {
        SCOPED_TRACE(r.name);
        termios t {};
        t.c_lflag = ICANON | ECHO | ISIG;
        t.c_oflag = OPOST;
        ASSERT_TRUE(platform::MakeSerialTermios(r.settings, t));
        EXPECT_EQ(::cfgetospeed(&t), r.speed);
        EXPECT_EQ(::cfgetispeed(&t), r.speed);
        EXPECT_EQ(t.c_cflag & CSIZE, r.cflagOn & CSIZE);
        ExpectBits(t.c_cflag & ~CSIZE, r.cflagOn & ~CSIZE, r.cflagOff, "c_cflag");
        ExpectBits(t.c_iflag, r.iflagOn, r.iflagOff, "c_iflag");
        ExpectBits(t.c_lflag, 0, ICANON | ECHO | ISIG, "raw c_lflag");
        EXPECT_FALSE(t.c_oflag & OPOST);
        EXPECT_EQ(t.c_cc[VMIN], 1);
        if (r.settings.flow == platform::FlowControl::XonXoff) {
            EXPECT_EQ(t.c_cc[VSTART], 17);
            EXPECT_EQ(t.c_cc[VSTOP], 19);
        }
    }
    for (unsigned baud : {0u, 110u, 14400u, 460800u}) {
        SCOPED_TRACE(baud);
        termios t {};
        platform::SerialSettings s;
        s.baudRate = baud;
        EXPECT_FALSE(platform::MakeSerialTermios(s, t));
    }
    termios t {};
    platform::SerialSettings s;
    s.dataBits = 5;
    EXPECT_FALSE(platform::MakeSerialTermios(s, t));
}

TEST_F(SerialPortTest, SettingsReachTheDevice)
{
    SerialPort port;
    for (const SettingsRow& r : kSettingsRows) {
        SCOPED_TRACE(r.name);
        ASSERT_EQ(port.Open(kPortNumber, r.settings), SerialStatus::Ok);
        termios t {};
        ASSERT_EQ(::tcgetattr(port.NativeHandle(), &t), 0);
        EXPECT_EQ(::cfgetospeed(&t), r.speed);
        // A pseudo-terminal keeps every setting except data bits and parity.
        ExpectBits(t.c_cflag, r.cflagOn & (CSTOPB | CRTSCTS | CLOCAL), r.cflagOff & (CSTOPB | CRTSCTS), "c_cflag");
        ExpectBits(t.c_iflag, r.iflagOn, r.iflagOff, "c_iflag");
        ExpectBits(t.c_lflag, 0, ICANON | ECHO | ISIG, "raw c_lflag");
        port.Close();
    }
    ASSERT_EQ(port.Open(kPortNumber), SerialStatus::Ok);
    platform::SerialSettings bad;
    bad.baudRate = 14400;
    EXPECT_EQ(port.Configure(bad), SerialStatus::BadSettings);
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(SerialPortTest, BytesTravelBothWays)
{
    SerialPort port;
    platform::SerialSettings settings;
    settings.parity = platform::Parity::Odd;  // the driver marks bytes; a real 0xFF must survive it
    ASSERT_EQ(port.Open(kPortNumber, settings), SerialStatus::Ok);

    std::size_t written = 0;
    EXPECT_EQ(port.Write("@?CONT.1\r\n", 10, kBoundMs, written), SerialStatus::Ok);
    EXPECT_EQ(written, 10u);
    EXPECT_EQ(m_peer.Receive(10), "@?CONT.1\r\n");

    m_peer.Send("OK\xFF\0.1\r\n"s);
    EXPECT_EQ(ReadPort(port, 7), "OK\xFF.1\r\n"s);  // NUL discarded, 0xFF intact

    std::size_t n = 0;
    char buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf, 0, n), SerialStatus::TimedOut);
    EXPECT_EQ(n, 0u);
}

TEST_F(SerialPortTest, QueueCountAndPurge)
{
    SerialPort port;
    ASSERT_EQ(port.Open(kPortNumber), SerialStatus::Ok);
    m_peer.Send(std::string(100, 'x'));
    const platform::SerialEvents events = port.WaitEvent(kBoundMs);
    EXPECT_TRUE(events.input);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBoundMs);
    while (port.InputQueueBytes() < 100 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(port.InputQueueBytes(), 100);
    EXPECT_GE(port.OutputQueueBytes(), 0);

    EXPECT_EQ(port.Purge(true, true), SerialStatus::Ok);
    EXPECT_EQ(port.InputQueueBytes(), 0);
    EXPECT_TRUE(port.WaitEvent(0).TimedOut());
}

TEST_F(SerialPortTest, PeerGoingAwayIsReported)
{
    SerialPort port;
    ASSERT_EQ(port.Open(kPortNumber), SerialStatus::Ok);
    m_peer.Close();

    const platform::SerialEvents events = port.WaitEvent(kBoundMs);
    EXPECT_TRUE(events.hungUp);
    EXPECT_TRUE(port.HungUp());
    char buf[8];
    std::size_t n = 0;
    EXPECT_EQ(port.Read(buf, sizeof buf, kBoundMs, n), SerialStatus::HungUp);
    EXPECT_EQ(port.Write("x", 1, kBoundMs, n), SerialStatus::HungUp);
    EXPECT_EQ(port.InputQueueBytes(), -1);
    const platform::SerialErrors errors = port.ClearErrors();
    EXPECT_TRUE(errors.hungUp);
    EXPECT_EQ(errors.Mask() & CE_IOE, CE_IOE);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, SecondOpenIsRefused)
{
    SerialPort first;
    ASSERT_EQ(first.Open(kPortNumber), SerialStatus::Ok);
    SerialPort second;
    EXPECT_EQ(second.Open(kPortNumber), SerialStatus::Busy);
    EXPECT_FALSE(platform::CanOpenComPort(kPortNumber));

    // Another process is refused too (the test has no other thread here, so fork is safe).
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SerialPort other;
        ::_exit(other.OpenDevice(m_peer.Device()) == SerialStatus::Busy ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    first.Close();
    EXPECT_TRUE(platform::CanOpenComPort(kPortNumber));
    EXPECT_EQ(second.Open(kPortNumber), SerialStatus::Ok);
}

TEST_F(SerialPortTest, WaitsWakeOnCancelAndClose)
{
    SerialPort port;
    ASSERT_EQ(port.Open(kPortNumber), SerialStatus::Ok);
    EXPECT_TRUE(port.WaitEvent(10).TimedOut());

    platform::SerialEvents seen;
    std::thread waiter([&] { seen = port.WaitEvent(60000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    port.Close();  // wakes the waiter, then closes
    waiter.join();
    EXPECT_TRUE(seen.cancelled);
    EXPECT_FALSE(port.IsOpen());

    ASSERT_EQ(port.Open(kPortNumber), SerialStatus::Ok);
    port.CancelWaits();
    char buf[4];
    std::size_t n = 0;
    EXPECT_TRUE(port.WaitEvent(60000).cancelled);
    EXPECT_EQ(port.Read(buf, sizeof buf, 60000, n), SerialStatus::Cancelled);
}

TEST_F(SerialPortTest, OpenFailuresSayWhy)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("qv-not-a-tty-" + std::to_string(::getpid()));
    std::ofstream(file) << "x";
    struct Row {
        const char* name;
        std::string device;
        SerialStatus expected;
    };
    const Row rows[] = {
        {"no device file", "/dev/qv-no-such-port", SerialStatus::NotFound},
        {"regular file", file.string(), SerialStatus::NotATerminal},
        {"number mapped to nothing", "", SerialStatus::NotFound},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        platform::ScopedComPortDevice bind(kPortNumber + 1, r.device);
        SerialPort port;
        EXPECT_EQ(port.Open(kPortNumber + 1), r.expected);
        EXPECT_FALSE(port.IsOpen());
    }
    std::filesystem::remove(file);
    SerialPort port;
    EXPECT_EQ(port.Open(0), SerialStatus::NotFound);
    char buf[1];
    std::size_t n = 0;
    EXPECT_EQ(port.Read(buf, 1, 0, n), SerialStatus::NotOpen);
    EXPECT_EQ(port.Write(buf, 1, 0, n), SerialStatus::NotOpen);
}

TEST_F(SerialPortTest, ProbeListsFreePortsOnly)
{
    // Hide this machine's own ports so only the bound ones count.
    std::vector<std::unique_ptr<platform::ScopedComPortDevice>> hidden;
    for (int number = 1; number <= 20; ++number)
        hidden.push_back(std::make_unique<platform::ScopedComPortDevice>(number, ""));
    PtyPeer busyPeer;
    ASSERT_TRUE(busyPeer.Ok());
    platform::ScopedComPortDevice free3(3, m_peer.Device());
    platform::ScopedComPortDevice busy7(7, busyPeer.Device());
    SerialPort holder;
    ASSERT_EQ(holder.Open(7), SerialStatus::Ok);

    EXPECT_EQ(platform::ProbeComPorts(20), std::vector<int>{3});
    EXPECT_EQ(platform::ProbeComPorts(2), std::vector<int>{});
    EXPECT_TRUE(platform::CanOpenComPort(3));
    EXPECT_FALSE(platform::CanOpenComPort(7));
    EXPECT_FALSE(platform::CanOpenComPort(4));
}

}  // namespace
