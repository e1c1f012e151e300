#include "manager/core/ControllerDataFile.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <limits>
#include <sys/resource.h>

namespace {

using testfx::AnsiCodePageScope;
using testfx::Slurp;
using testfx::Spit;
using testfx::TempDir;

// A full controller: Japanese texts, every point used, every parameter set,
// the extremes of the 32-bit range included.
ControllerData FullController(const ControllerDataStore& store)
{
    ControllerDataSlot slot;
    store.AllocControllerData(slot);
    ControllerData d = *slot;
    d.controller = u"KX-Q10軸制御";
    d.user = u"第２ライン＝搬送 A";
    d.robot = u"ロボット-R20";
    d.interfaceText = u"CC-Link";
    d.version = u"V1.23 版";
    d.dbVersion = u"3.02.01";
    d.ipAddress = u"c0a80002";
    d.subnetMask = u"ffffff00";
    d.gateway = u"c0a800fe";
    for (int i = 0; i < kPointCount; ++i) {
        PointRecord& r = d.points[static_cast<std::size_t>(i)];
        r.number = i + 1;
        for (int f = PointRecord::kM; f < PointRecord::kFieldCount; ++f) r.Field(f) = (i + 1) * 100 + f;
        r.m = 1 + i % 8;
        r.p = (i % 2 ? -1 : 1) * (i * 12345 + 7);
    }
    d.points[10].p = std::numeric_limits<std::int32_t>::min();
    d.points[11].t = std::numeric_limits<std::int32_t>::max();
    RobotParameterSet& set = *d.FirstParamSet();
    for (int i = 0; i < kParamCount; ++i) set.values[static_cast<std::size_t>(i)] = (i % 3 - 1) * (i * 1001 + 3);
    set.K(1) = std::numeric_limits<std::int32_t>::min();
    set.H(7) = std::numeric_limits<std::int32_t>::max();
    return d;
}

TEST(ControllerDataFile, FullControllerRoundTrips)
{
    AnsiCodePageScope cp(CP_SHIFT_JIS);
    TempDir dir;
    ControllerDataStore store;
    ControllerData written = FullController(store);
    written.typeText = u"Q10";
    written.FirstParamSet()->controllerIndex = 4;
    ASSERT_TRUE(store.WriteControllerDataFile(dir.File("full.txt"), written, true, true, true));

    ControllerDataSlot read;
    store.AllocControllerData(read);
    ASSERT_TRUE(store.ReadControllerDataFile(dir.File("full.txt"), *read, true, true, true));

    ControllerData expected = written;
    expected.typeText.Empty();                     // no line carries it
    expected.FirstParamSet()->controllerIndex = 0;  // nor this
    expected.FirstParamSet()->name = written.robot;
    EXPECT_EQ(*read, expected);
}

TEST(ControllerDataFile, WriterSkipsOnlyRowsTheReaderWouldDrop)
{
    TempDir dir;
    ControllerDataStore store;
    ControllerData d = FullController(store);
    d.points[2].m = 0;       // numbered, but no movement: not a usable point
    d.points[3].number = 0;  // unused slot with leftovers
    d.points[5].number = 9;  // a stray number must not land in another slot
    ASSERT_TRUE(store.WriteControllerDataFile(dir.File("p.txt"), d, true, true, false));

    ControllerDataSlot read;
    store.AllocControllerData(read);
    ASSERT_TRUE(store.ReadControllerDataFile(dir.File("p.txt"), *read, true, true, false));
    EXPECT_EQ(read->points[2], PointRecord());
    EXPECT_EQ(read->points[3], PointRecord());
    PointRecord six = d.points[5];
    six.number = 6;
    EXPECT_EQ(read->points[5], six);
    EXPECT_EQ(read->points[8], d.points[8]);
    const std::string bytes = Slurp(dir.Native("p.txt"));
    EXPECT_EQ(bytes.find("PNT3="), std::string::npos);
    EXPECT_EQ(bytes.find("PNT4="), std::string::npos);
}

TEST(ControllerDataFile, LineBreakInATextStaysOnItsLine)
{
    TempDir dir;
    ControllerDataStore store;
    ControllerDataSlot d;
    store.AllocControllerData(d);
    d->user = u"first\r\nK1=999\nH0=5\rend";
    d->controller = u"C";
    ASSERT_TRUE(store.WriteControllerDataFile(dir.File("b.txt"), *d, true, true, true));

    ControllerDataSlot read;
    store.AllocControllerData(read);
    ASSERT_TRUE(store.ReadControllerDataFile(dir.File("b.txt"), *read, true, true, true));
    EXPECT_EQ(read->user, u"first K1=999 H0=5 end");
    EXPECT_EQ(read->FirstParamSet()->K(1), 0);
    EXPECT_EQ(read->FirstParamSet()->H(0), 0);
    EXPECT_EQ(read->controller, u"C");
}

TEST(ControllerDataFile, BytesAreCrLfLinesInTheAnsiCodePage)
{
    ControllerDataStore store;
    ControllerDataSlot d;
    store.AllocControllerData(d);
    d->controller = u"軸";
    d->user = u"Mü";
    d->interfaceText = u"NPN";
    d->ipAddress = u"0A000001";
    d->subnetMask = u"xyz";
    PointRecord& p = d->points[0];
    p = {1, 1, 1000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0};
    d->FirstParamSet()->K(2) = -7;

    struct Case {
        const char* name;
        UINT codePage;
        std::string expectedHead;
    } cases[] = {
        {"cp932", CP_SHIFT_JIS, "CONT=\x8E\xB2\r\n"},
        {"cp1252", CP_WESTERN, "CONT=?\r\nUSER=M\xFC\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnsiCodePageScope cp(c.codePage);
        TempDir dir;
        ASSERT_TRUE(store.WriteControllerDataFile(dir.File("x.txt"), *d, false, true, true));
        const std::string bytes = Slurp(dir.Native("x.txt"));
        EXPECT_EQ(bytes.rfind(c.expectedHead, 0), 0u) << bytes.substr(0, 40);
        const std::string rest =
            "\r\nIF=NPN\r\nVER=\r\nDBVER=\r\nIPADDR=10.0.0.1\r\nMASK=\r\nGATEWAY=\r\n"
            "PNT1=M1,P1000,S100,AC30,DC30,Q0,ZL0,ZH0,N0,J0,F0,C0,T0\r\nK1=0\r\nK2=-7\r\nK3=0\r\n";
        EXPECT_NE(bytes.find(rest), std::string::npos);
        EXPECT_EQ(bytes.substr(bytes.size() - 6), "H7=0\r\n");
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
            }
        }
    }
}

struct OddLine {
    const char* name;
    const char* line;
    bool withRobot;
    std::function<void(ControllerData&)> expect;  // what the line changes
};

TEST(ControllerDataFile, OddLinesAreHandledOneByOne)
{
    AnsiCodePageScope cp(CP_WESTERN);
    ControllerDataStore store;
    const ControllerData base = FullController(store);
    const std::vector<OddLine> cases = {
        {"unknown key", "SPEED=5", true, [](ControllerData&) {}},
        {"empty line", "", true, [](ControllerData&) {}},
        {"key matched by its start", "CONTROLLER=X", true, [](ControllerData& d) { d.controller = u"X"; }},
        {"value after the first equals", "USER=a=b", true, [](ControllerData& d) { d.user = u"a=b"; }},
        {"text line without equals empties it", "USER", true, [](ControllerData& d) { d.user.Empty(); }},
        {"point 0", "PNT0=M1,P5", true, [](ControllerData&) {}},
        {"point 256", "PNT256=M1,P5", true, [](ControllerData&) {}},
        {"point without equals", "PNT5", true, [](ControllerData&) {}},
        {"point with M 0", "PNT5=M0,P100", true, [](ControllerData&) {}},
        {"point with too large a value", "PNT5=M1,P99999999999", true, [](ControllerData&) {}},
        {"point with fields cut short", "PNT7=M2,P-100,S50", true,
         [](ControllerData& d) { d.points[6] = {7, 2, -100, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }},
        {"point keys out of order", "PNT8=M1,S50,P100,AC3", true,
         [](ControllerData& d) { d.points[7] = {8, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }},
        {"point number with junk", "PNT5x=M1,P1", true, [](ControllerData&) {}},
        {"K139", "K139=5", true, [](ControllerData&) {}},
        {"K0", "K0=5", true, [](ControllerData&) {}},
        {"K1 negative", "K1=-3", true, [](ControllerData& d) { d.FirstParamSet()->K(1) = -3; }},
        {"K138", "K138=12", true, [](ControllerData& d) { d.FirstParamSet()->K(138) = 12; }},
        {"K with blanks and sign", "K4= +42abc", true, [](ControllerData& d) { d.FirstParamSet()->K(4) = 42; }},
        {"K beyond 32 bits", "K5=2147483648", true, [](ControllerData&) {}},
        {"K at the 32-bit minimum", "K5=-2147483648", true,
         [](ControllerData& d) { d.FirstParamSet()->K(5) = std::numeric_limits<std::int32_t>::min(); }},
        {"K without digits", "K5=abc", true, [](ControllerData&) {}},
        {"K without equals", "K5", true, [](ControllerData&) {}},
        {"H8", "H8=5", true, [](ControllerData&) {}},
        {"H0", "H0=7", true, [](ControllerData& d) { d.FirstParamSet()->H(0) = 7; }},
        {"H-like unknown key", "HOST=1", true, [](ControllerData&) {}},
        {"short IP address", "IPADDR=192.168.0", true, [](ControllerData& d) { d.ipAddress.Empty(); }},
        {"IP address", "IPADDR=10.1.2.255", true, [](ControllerData& d) { d.ipAddress = u"0a0102ff"; }},
        {"mask part too large", "MASK=255.255.256.0", true, [](ControllerData& d) { d.subnetMask.Empty(); }},
        {"gateway without equals", "GATEWAY", true, [](ControllerData& d) { d.gateway.Empty(); }},
        {"robot without the flag", "ROBOT=NEW", false, [](ControllerData&) {}},
        {"robot with the flag", "ROBOT=NEW", true,
         [](ControllerData& d) {
             d.robot = u"NEW";
             d.FirstParamSet()->name = u"NEW";
         }},
    };
    for (const OddLine& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Spit(dir.Native("odd.txt"), std::string(c.line) + "\r\n");
        ControllerData read = base;
        ASSERT_TRUE(store.ReadControllerDataFile(dir.File("odd.txt"), read, c.withRobot, true, true));
        ControllerData expected = base;
        c.expect(expected);
        EXPECT_EQ(read, expected);
    }
}

TEST(ControllerDataFile, FlagsChooseWhatIsWrittenAndRead)
{
    AnsiCodePageScope cp(CP_SHIFT_JIS);
    TempDir dir;
    ControllerDataStore store;
    const ControllerData full = FullController(store);
    ASSERT_TRUE(store.WriteControllerDataFile(dir.File("f.txt"), full, false, false, false));
    const std::string bytes = Slurp(dir.Native("f.txt"));
    EXPECT_NE(bytes.find("USER="), std::string::npos);
    EXPECT_NE(bytes.find("\r\n\r\nIF="), std::string::npos);  // an empty line in the robot's place
    EXPECT_EQ(bytes.find("ROBOT"), std::string::npos);
    EXPECT_EQ(bytes.find("PNT"), std::string::npos);
    EXPECT_EQ(bytes.find("K1="), std::string::npos);

    ASSERT_TRUE(store.WriteControllerDataFile(dir.File("g.txt"), full, true, true, true));
    ControllerDataSlot empty;
    store.AllocControllerData(empty);
    ControllerData read = *empty;
    read.robot = u"OLD";
    ASSERT_TRUE(store.ReadControllerDataFile(dir.File("g.txt"), read, false, false, false));
    EXPECT_EQ(read.robot, u"OLD");
    EXPECT_EQ(read.points, empty->points);
    EXPECT_EQ(read.paramSets, empty->paramSets);
    EXPECT_EQ(read.user, full.user);
}

// Caps the size of files this process may write, for one test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST(ControllerDataFile, FailedSaveReportsFailureAndKeepsTheOldFile)
{
    TempDir dir;
    ControllerDataStore store;
    const std::string old = "CONT=OLD\r\nK1=5\r\n";
    Spit(dir.Native("keep.txt"), old);
    const ControllerData full = FullController(store);
    {
        FileSizeLimit limit(512);  // the full file is several kilobytes
        EXPECT_FALSE(store.WriteControllerDataFile(dir.File("keep.txt"), full, true, true, true));
    }
    EXPECT_EQ(Slurp(dir.Native("keep.txt")), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);  // no temporary left

    EXPECT_FALSE(store.WriteControllerDataFile(u"/nonexistent-folder/x.txt", full, true, true, true));
}

TEST(ControllerDataFile, UnreadableFileLeavesTheRecordAlone)
{
    TempDir dir;
    ControllerDataStore store;
    const ControllerData full = FullController(store);
    ControllerData read = full;
    EXPECT_FALSE(store.ReadControllerDataFile(dir.File("missing.txt"), read, true, true, true));
    EXPECT_EQ(read, full);
}

TEST(ControllerDataFile, ReaderAcceptsBareLineFeeds)
{
    TempDir dir;
    ControllerDataStore store;
    Spit(dir.Native("lf.txt"), "CONT=A\nPNT2=M3,P4\nK7=8\nH1=2");
    ControllerDataSlot d;
    store.AllocControllerData(d);
    ASSERT_TRUE(store.ReadControllerDataFile(dir.File("lf.txt"), *d, true, true, true));
    EXPECT_EQ(d->controller, u"A");
    EXPECT_EQ(d->points[1], (PointRecord{2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(d->FirstParamSet()->K(7), 8);
    EXPECT_EQ(d->FirstParamSet()->H(1), 2);
}

}  // namespace
