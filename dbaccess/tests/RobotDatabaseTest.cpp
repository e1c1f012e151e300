// The database queries on files written by the builder's writer from a small
// source, and on damaged copies of those files.
#include "dbaccess/RobotDatabase.h"

#include "data/DatabaseFileWriter.h"
#include "data/DatabaseSourceParser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using actuatordb::TableKind;

// A folder of its own for each test, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tarnwell-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return m_path; }
    CString folder() const { return CString::FromUtf8(m_path.string()); }

private:
    fs::path m_path;
};

constexpr char kFixtureSource[] = R"(
version 3.2.1
controller CTL-A AA
controller CTL-B BB2
controller ctl-lower LL      # stored in lower case: lookups never find it
set base
    K1=-3 K43=250000 H7=77
robot R-ONE on CTL-A from base
    K2=11
robot R-TWO on CTL-A
    K138=-2147483648 H0=2147483647
robot R-ONE on CTL-B from base
    K2=22
robot Mixed-Case on CTL-B
robot SIXTEEN-CHARS-AB on CTL-B
robot ORPHAN on ctl-lower
stroke R-ONE
    0       K44=100 K51=5
    500000  K44=80
stroke R-TWO
stroke SIXTEEN-CHARS-AB
    7       K1=1
payload R-ONE
    0       K48=300 K44=9000
    12      K48=200 K44=7000
    40
)";

actuatordb::Database FixtureDatabase()
{
    actuatordb::CDatabaseSourceParser parser;
    std::string error;
    EXPECT_TRUE(parser.Parse(kFixtureSource, "fixture", error)) << error;
    EXPECT_TRUE(parser.Finish(error)) << error;
    return parser.database();
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Build(const actuatordb::Database& db, TableKind kind, const actuatordb::TableLayoutOptions& layout = {})
{
    std::string bytes, error;
    EXPECT_TRUE(actuatordb::BuildTableDatabase(db, kind, bytes, error, layout)) << error;
    return bytes;
}

std::string BuildMain(const actuatordb::Database& db)
{
    std::string bytes, error;
    EXPECT_TRUE(actuatordb::BuildMainDatabase(db, bytes, error)) << error;
    return bytes;
}

void PutU32(std::string& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutU16(std::string& b, std::size_t at, unsigned v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

class RobotDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_dir.path().empty());
        m_source = FixtureDatabase();
        WriteFixture();
    }

    void WriteFixture()
    {
        std::string error;
        ASSERT_TRUE(actuatordb::WriteDatabaseFiles(m_source, m_dir.path().string(), error)) << error;
    }

    fs::path File(const char16_t* name) const { return m_dir.path() / CString(name).ToUtf8(); }
    CRobotDatabase Db() const { return CRobotDatabase(m_dir.folder()); }

    TempFolder m_dir;
    actuatordb::Database m_source;
};

TEST_F(RobotDatabaseTest, ControllerListAndVersion)
{
    const CRobotDatabase db = Db();
    EXPECT_EQ(db.GetControllerListCount(), 3);

    std::vector<CString> texts(6);
    ASSERT_EQ(db.GetControllerNames(texts.data(), 6), 3);
    const std::vector<CString> expected = {u"CTL-A", u"AA", u"CTL-B", u"BB2", u"ctl-lower", u"LL"};
    EXPECT_EQ(texts, expected);

    CString version = u"unchanged";
    ASSERT_EQ(db.GetDatabaseVersion(&version), kTarnwellOk);
    EXPECT_EQ(version, CString(u"3.02.01"));
}

TEST_F(RobotDatabaseTest, ControllerNamesRefuseASmallArray)
{
    const CRobotDatabase db = Db();
    std::vector<CString> texts(5, CString(u"keep"));
    EXPECT_EQ(db.GetControllerNames(texts.data(), 5), kTarnwellBadArgument);
    EXPECT_EQ(db.GetControllerNames(nullptr, 6), kTarnwellBadArgument);
    EXPECT_EQ(db.GetControllerNames(texts.data(), -1), kTarnwellBadArgument);
    for (const CString& t : texts)
        EXPECT_EQ(t, CString(u"keep"));
}

TEST_F(RobotDatabaseTest, RobotNamesByController)
{
    const struct {
        int index;
        int count;
        const char16_t* names;
    } rows[] = {
        {-1, 6, u"R-ONE\nR-TWO\nR-ONE\nMixed-Case\nSIXTEEN-CHARS-AB\nORPHAN\n"},
        {0, 2, u"R-ONE\nR-TWO\n"},
        {1, 3, u"R-ONE\nMixed-Case\nSIXTEEN-CHARS-AB\n"},
        {2, 1, u"ORPHAN\n"},
        {3, 0, u""},
        {-2, 0, u""},
        {1000000, 0, u""},
    };
    const CRobotDatabase db = Db();
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "controller index " << row.index);
        CString names = u"old text";
        EXPECT_EQ(db.GetRobotNames(row.index, &names), row.count);
        EXPECT_EQ(names, CString(row.names));
    }
    EXPECT_EQ(db.GetRobotNames(0, nullptr), kTarnwellBadArgument);
}

TEST_F(RobotDatabaseTest, SelectParametersWithinTheCallersArray)
{
    const CRobotDatabase db = Db();
    std::int32_t values[8];
    // K1 of every robot, in file order.
    ASSERT_EQ(db.GetSelectParameters(-1, 0, values, 8), 6);
    const std::int32_t k1[] = {-3, 0, -3, 0, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(values[i], k1[i]) << "robot " << i;
    // H7 is the last value of a record.
    ASSERT_EQ(db.GetSelectParameters(0, 145, values, 2), 2);
    EXPECT_EQ(values[0], 77);
    EXPECT_EQ(values[1], 0);
    ASSERT_EQ(db.GetSelectParameters(0, 138, values, 2), 2);
    EXPECT_EQ(values[1], 2147483647);

    const struct {
        const char* what;
        int parameter;
        int capacity;
    } refused[] = {
        {"array one short", 0, 5}, {"no room", 0, 0},        {"negative room", 0, -4},
        {"index 146", 146, 8},     {"index -1", -1, 8},      {"index past 16 bits", 65536 + 146, 8},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.what);
        std::vector<std::int32_t> guard(8, 4242);
        EXPECT_EQ(db.GetSelectParameters(-1, row.parameter, guard.data(), row.capacity), kTarnwellBadArgument);
        EXPECT_EQ(guard, std::vector<std::int32_t>(8, 4242));
    }
    // The index counts as 16 bits: 65536 + 1 names K2.
    ASSERT_EQ(db.GetSelectParameters(1, 65536 + 1, values, 8), 3);
    EXPECT_EQ(values[0], 22);
    EXPECT_EQ(db.GetSelectParameters(0, 0, nullptr, 8), kTarnwellBadArgument);
}

TEST_F(RobotDatabaseTest, InitParameterLookups)
{
    const struct {
        const char16_t* controller;
        const char16_t* robot;
        int result;
        const char16_t* name;
        int index;
        std::int32_t k2;
    } rows[] = {
        {u"CTL-A", u"R-ONE", kTarnwellOk, u"R-ONE", 0, 11},
        {u"CTL-B", u"R-ONE", kTarnwellOk, u"R-ONE", 1, 22},
        {u" ctl-a ", u"  r-one\t", kTarnwellOk, u"R-ONE", 0, 11},
        {u"CTL-B", u"mixed-case", kTarnwellOk, u"MIXED-CASE", 1, 0},
        {u"CTL-B", u"SIXTEEN-CHARS-ABXYZ", kTarnwellOk, u"SIXTEEN-CHARS-AB", 1, 0},
        {u"CTL-A", u"MIXED-CASE", kTarnwellNotFound, nullptr, 0, 0},
        {u"ctl-lower", u"ORPHAN", kTarnwellNotFound, nullptr, 0, 0},
        {u"CTL-C", u"R-ONE", kTarnwellNotFound, nullptr, 0, 0},
        {u"CTL-A", u"", kTarnwellNotFound, nullptr, 0, 0},
    };
    const CRobotDatabase db = Db();
    for (const auto& row : rows) {
        SCOPED_TRACE(CString(row.controller).ToUtf8() + " / " + CString(row.robot).ToUtf8());
        RobotParameterSet set;
        set.name = u"before";
        set.controllerIndex = 99;
        set.values.fill(5);
        ASSERT_EQ(db.GetInitParameter(row.controller, row.robot, &set), row.result);
        if (row.result != kTarnwellOk) {
            EXPECT_EQ(set.name, CString(u"before"));
            EXPECT_EQ(set.controllerIndex, 99);
            EXPECT_EQ(set.values[0], 5);
            continue;
        }
        EXPECT_EQ(set.name, CString(row.name));
        EXPECT_EQ(set.controllerIndex, row.index);
        EXPECT_EQ(set.values[1], row.k2);
    }
    EXPECT_EQ(db.GetInitParameter(u"CTL-A", u"R-ONE", nullptr), kTarnwellBadArgument);
}

TEST_F(RobotDatabaseTest, InitParameterCarriesEveryValue)
{
    const CRobotDatabase db = Db();
    for (const actuatordb::Robot& robot : m_source.robots) {
        const actuatordb::Controller& controller = m_source.controllers[static_cast<std::size_t>(robot.controllerIndex)];
        if (controller.name == "ctl-lower")
            continue;
        SCOPED_TRACE(controller.name + " / " + robot.name);
        RobotParameterSet set;
        ASSERT_EQ(db.GetInitParameter(CString::FromUtf8(controller.name), CString::FromUtf8(robot.name), &set),
                  kTarnwellOk);
        for (int i = 0; i < kParamCount; ++i)
            EXPECT_EQ(set.values[static_cast<std::size_t>(i)], robot.values[static_cast<std::size_t>(i)])
                << "value " << i;
    }
}

void ExpectTable(const RobotTableRecord& record, const actuatordb::Table& table)
{
    EXPECT_EQ(record.robotName, CString::FromUtf8(table.robotName));
    ASSERT_EQ(record.entryCount, table.entries.size());
    ASSERT_EQ(record.entries.size(), table.entries.size());
    for (std::size_t e = 0; e < table.entries.size(); ++e) {
        SCOPED_TRACE(testing::Message() << "entry " << e);
        const RobotTableEntry& got = record.entries[e];
        EXPECT_EQ(got.value, table.entries[e].threshold);
        ASSERT_EQ(got.pairCount, table.entries[e].items.size());
        ASSERT_EQ(got.pairs.size(), table.entries[e].items.size());
        for (std::size_t p = 0; p < got.pairs.size(); ++p) {
            EXPECT_EQ(got.pairs[p].key, table.entries[e].items[p].key);
            EXPECT_EQ(got.pairs[p].value, table.entries[e].items[p].value);
        }
    }
}

TEST_F(RobotDatabaseTest, StrokeAndPayloadTablesReadBackInAnyHeadLayout)
{
    const actuatordb::TableLayoutOptions layouts[] = {{21, 7, 5}, {24, 8, 8}, {64, 32, 12}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(testing::Message() << "heads " << layout.recordHeadBytes << "/" << layout.entryHeadBytes << "/"
                                        << layout.pairBytes);
        WriteBytes(File(kStrokeDatabaseFileName), Build(m_source, TableKind::Stroke, layout));
        WriteBytes(File(kPayloadDatabaseFileName), Build(m_source, TableKind::Payload, layout));
        const CRobotDatabase db = Db();

        for (const actuatordb::Table& table : m_source.strokeTables) {
            if (table.entries.empty())
                continue;
            RobotTableRecord record;
            ASSERT_EQ(db.GetStrokeData(CString::FromUtf8(table.robotName), &record), kTarnwellOk) << table.robotName;
            ExpectTable(record, table);
        }
        RobotTableRecord payload;
        ASSERT_EQ(db.GetPayloadData(u"R-ONE", &payload), kTarnwellOk);
        ExpectTable(payload, m_source.payloadTables[0]);
    }
}

TEST_F(RobotDatabaseTest, TableLookupsEmptyTheRecordFirst)
{
    const CRobotDatabase db = Db();
    RobotTableRecord record;
    ASSERT_EQ(db.GetPayloadData(u"R-ONE", &record), kTarnwellOk);

    // The name is compared exactly: no case folding, no trimming.
    const struct {
        const char16_t* robot;
        int result;
        const char16_t* name;
    } rows[] = {
        {u"r-one", kTarnwellNoEntries, u""},
        {u"R-ONE ", kTarnwellNoEntries, u""},
        {u"NOBODY", kTarnwellNoEntries, u""},
        {u"", kTarnwellNoEntries, u""},
        // A record with no entries is found, but counts as not usable.
        {u"R-TWO", kTarnwellNoEntries, u"R-TWO"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(CString(row.robot).ToUtf8());
        ASSERT_EQ(db.GetStrokeData(u"R-ONE", &record), kTarnwellOk);
        ASSERT_FALSE(record.entries.empty());
        EXPECT_EQ(db.GetStrokeData(row.robot, &record), row.result);
        EXPECT_TRUE(record.entries.empty());
        EXPECT_EQ(record.entryCount, 0);
        EXPECT_EQ(record.robotName, CString(row.name));
    }
    EXPECT_EQ(db.GetStrokeData(u"R-ONE", nullptr), kTarnwellBadArgument);
}

TEST_F(RobotDatabaseTest, TableFilesCheckedAgainstTheMainDatabase)
{
    actuatordb::Database other = m_source;
    other.version = actuatordb::PackVersion(3, 2, 2);  // the build number alone differs
    std::string wrongMagic = Build(m_source, TableKind::Payload);  // a payload file where strokes belong

    const struct {
        const char* what;
        std::string stroke;  // empty: the file is removed
        bool removeMain;
        int result;
    } rows[] = {
        {"intact", Build(m_source, TableKind::Stroke), false, kTarnwellOk},
        {"stroke file missing", "", false, kTarnwellNotOpened},
        {"main database missing", Build(m_source, TableKind::Stroke), true, kTarnwellVersionMismatch},
        {"other build number", Build(other, TableKind::Stroke), false, kTarnwellVersionMismatch},
        {"payload magic", wrongMagic, false, kTarnwellBadHeader},
        {"header cut short", Build(m_source, TableKind::Stroke).substr(0, 39), false, kTarnwellBadHeader},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteFixture();
        if (row.stroke.empty())
            fs::remove(File(kStrokeDatabaseFileName));
        else
            WriteBytes(File(kStrokeDatabaseFileName), row.stroke);
        if (row.removeMain)
            fs::remove(File(kMainDatabaseFileName));
        RobotTableRecord record;
        EXPECT_EQ(Db().GetStrokeData(u"R-ONE", &record), row.result);
    }

    // A file of no bytes exists but holds no header.
    WriteFixture();
    WriteBytes(File(kStrokeDatabaseFileName), std::string());
    RobotTableRecord record;
    EXPECT_EQ(Db().GetStrokeData(u"R-ONE", &record), kTarnwellBadHeader);
}

TEST_F(RobotDatabaseTest, MissingMainDatabase)
{
    fs::remove(File(kMainDatabaseFileName));
    const CRobotDatabase db = Db();
    CString text = u"kept";
    std::vector<CString> texts(6);
    std::int32_t values[8];
    RobotParameterSet set;
    EXPECT_EQ(db.GetControllerListCount(), kTarnwellNotOpened);
    EXPECT_EQ(db.GetControllerNames(texts.data(), 6), kTarnwellNotOpened);
    EXPECT_EQ(db.GetRobotNames(-1, &text), kTarnwellNotOpened);
    EXPECT_EQ(db.GetSelectParameters(-1, 0, values, 8), kTarnwellNotOpened);
    EXPECT_EQ(db.GetDatabaseVersion(&text), kTarnwellNotOpened);
    EXPECT_EQ(db.GetInitParameter(u"CTL-A", u"R-ONE", &set), kTarnwellNotOpened);
    EXPECT_EQ(text, CString(u"kept"));
}

TEST(RobotDatabaseEmpty, NoControllers)
{
    TempFolder dir;
    actuatordb::Database db;
    db.version = actuatordb::PackVersion(1, 0, 0);
    std::string error;
    ASSERT_TRUE(actuatordb::WriteDatabaseFiles(db, dir.path().string(), error)) << error;
    const CRobotDatabase robots(dir.folder());
    EXPECT_EQ(robots.GetControllerListCount(), 0);
    EXPECT_EQ(robots.GetControllerNames(nullptr, 0), 0);
    CString names = u"x";
    EXPECT_EQ(robots.GetRobotNames(-1, &names), 0);
    EXPECT_TRUE(names.IsEmpty());
    RobotTableRecord record;
    EXPECT_EQ(robots.GetStrokeData(u"ANY", &record), kTarnwellNoEntries);
}

// Every main-database query on a damaged file gives the same error.
void ExpectMainCorrupt(const CRobotDatabase& db)
{
    CString text = u"kept";
    std::vector<CString> texts(64, CString(u"kept"));
    std::vector<std::int32_t> values(64, 4242);
    RobotParameterSet set;
    EXPECT_EQ(db.GetControllerListCount(), kTarnwellCorrupt);
    EXPECT_EQ(db.GetControllerNames(texts.data(), 64), kTarnwellCorrupt);
    EXPECT_EQ(db.GetRobotNames(-1, &text), kTarnwellCorrupt);
    EXPECT_EQ(db.GetSelectParameters(-1, 0, values.data(), 64), kTarnwellCorrupt);
    EXPECT_EQ(db.GetDatabaseVersion(&text), kTarnwellCorrupt);
    EXPECT_EQ(db.GetInitParameter(u"CTL-A", u"R-ONE", &set), kTarnwellCorrupt);
    EXPECT_EQ(text, CString(u"kept"));
    EXPECT_EQ(texts[0], CString(u"kept"));
    EXPECT_EQ(values[0], 4242);
    // The tables are only trusted beside a readable main database.
    RobotTableRecord record;
    EXPECT_EQ(db.GetStrokeData(u"R-ONE", &record), kTarnwellVersionMismatch);
}

TEST_F(RobotDatabaseTest, DamagedMainDatabase)
{
    const std::string good = BuildMain(m_source);
    const std::size_t robotsAt = 272 + 20 * 3;
    ASSERT_EQ(good.size(), robotsAt + 604 * 6);

    auto withCount = [&](std::int32_t n) {
        std::string b = good;
        PutU32(b, 268, static_cast<std::uint32_t>(n));
        return b;
    };
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"cut in the leading fields", good.substr(0, 100)},
        {"cut in the controller count", good.substr(0, 270)},
        {"cut in the controller records", good.substr(0, 272 + 30)},
        {"cut in the first robot", good.substr(0, robotsAt + 300)},
        {"cut in the last robot", good.substr(0, good.size() - 1)},
        {"a byte too many", good + std::string(1, '\0')},
        {"count -1", withCount(-1)},
        {"count -2147483648", withCount(-2147483647 - 1)},
        {"count 2147483647", withCount(2147483647)},
        {"count one more", withCount(4)},
        {"count one less", withCount(2)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteBytes(File(kMainDatabaseFileName), row.bytes);
        ExpectMainCorrupt(Db());
    }
}

TEST_F(RobotDatabaseTest, MainDatabaseCutAtEveryLength)
{
    // A cut on a record boundary leaves a shorter database that is whole;
    // every other cut must be refused. Every length through the controller
    // records, then each robot boundary and its neighbours.
    const std::string good = BuildMain(m_source);
    const std::size_t robotsAt = 272 + 20 * 3;
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= robotsAt; ++length)
        lengths.push_back(length);
    for (std::size_t boundary = robotsAt + 604; boundary <= good.size(); boundary += 604) {
        for (std::size_t length : {boundary - 302, boundary - 1, boundary, boundary + 1}) {
            if (length < good.size())
                lengths.push_back(length);
        }
    }
    for (std::size_t length : lengths) {
        SCOPED_TRACE(testing::Message() << "length " << length);
        WriteBytes(File(kMainDatabaseFileName), good.substr(0, length));
        const bool whole = length >= robotsAt && (length - robotsAt) % 604 == 0;
        EXPECT_EQ(Db().GetControllerListCount(), whole ? 3 : kTarnwellCorrupt);
        CString names;
        EXPECT_EQ(Db().GetRobotNames(-1, &names), whole ? static_cast<int>((length - robotsAt) / 604) : kTarnwellCorrupt);
    }
}

TEST_F(RobotDatabaseTest, DamagedTableFiles)
{
    const std::string good = Build(m_source, TableKind::Stroke);
    // First record: R-ONE at 40, head 24, two entries of 8 + 2 and 8 + 1 pairs.
    const std::size_t record = 40;
    const std::size_t entry = record + 24;
    auto patched = [&](auto&& change) {
        std::string b = good;
        change(b);
        return b;
    };
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"cut in the first record's head", good.substr(0, record + 10)},
        {"cut in the first entry", good.substr(0, entry + 5)},
        {"cut in the last record", good.substr(0, good.size() - 3)},
        {"data length past the end", patched([](std::string& b) { PutU32(b, 28, 0xFFFFFFF0u); })},
        {"first record inside the header", patched([](std::string& b) { PutU32(b, 16, 8); })},
        {"first record past the end", patched([&](std::string& b) { PutU32(b, 16, static_cast<std::uint32_t>(b.size() + 1)); })},
        {"more records than data", patched([](std::string& b) { PutU16(b, 32, 4); })},
        {"record head too small", patched([](std::string& b) { b[34] = 20; })},
        {"entry head too small", patched([](std::string& b) { b[35] = 6; })},
        {"pair size too small", patched([](std::string& b) { b[36] = 4; })},
        {"record size 0", patched([&](std::string& b) { PutU32(b, record, 0); })},
        {"record size negative", patched([&](std::string& b) { PutU32(b, record, 0xFFFFFF00u); })},
        {"record size past the data", patched([&](std::string& b) { PutU32(b, record, 100000); })},
        {"more entries than the record holds", patched([&](std::string& b) { b[record + 20] = 9; })},
        {"entry size 0", patched([&](std::string& b) { PutU16(b, entry, 0); })},
        {"entry size past the record", patched([&](std::string& b) { PutU16(b, entry, 60000); })},
        {"more pairs than the entry holds", patched([&](std::string& b) { b[entry + 6] = 3; })},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteBytes(File(kStrokeDatabaseFileName), row.bytes);
        RobotTableRecord record;
        record.entries.resize(2);
        // Every robot of the file, found or not, gets the same answer.
        for (const char16_t* robot : {u"R-ONE", u"R-TWO", u"SIXTEEN-CHARS-AB", u"NOBODY"}) {
            EXPECT_EQ(Db().GetStrokeData(robot, &record), kTarnwellCorrupt) << CString(robot).ToUtf8();
            EXPECT_TRUE(record.entries.empty());
        }
    }
}

TEST_F(RobotDatabaseTest, TableFilesCutAtEveryLengthAndScrambled)
{
    const std::string good = Build(m_source, TableKind::Stroke);
    for (std::size_t length = 0; length < good.size(); ++length) {
        SCOPED_TRACE(testing::Message() << "length " << length);
        WriteBytes(File(kStrokeDatabaseFileName), good.substr(0, length));
        RobotTableRecord record;
        EXPECT_EQ(Db().GetStrokeData(u"SIXTEEN-CHARS-AB", &record),
                  length < 40 ? kTarnwellBadHeader : kTarnwellCorrupt);
    }

    // Random damage past the magic and version: whatever the bytes say, a
    // lookup answers with a result and, when it finds a table, one whose
    // counts agree with its contents.
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; ++round) {
        std::string bytes = good;
        const int flips = 1 + static_cast<int>(random() % 6);
        for (int f = 0; f < flips; ++f) {
            const std::size_t at = 24 + random() % (bytes.size() - 24);
            bytes[at] = static_cast<char>(random() & 0xFF);
        }
        WriteBytes(File(kStrokeDatabaseFileName), bytes);
        for (const char16_t* robot : {u"R-ONE", u"R-TWO", u"SIXTEEN-CHARS-AB"}) {
            SCOPED_TRACE(testing::Message() << "round " << round << " " << CString(robot).ToUtf8());
            RobotTableRecord record;
            const int result = Db().GetStrokeData(robot, &record);
            EXPECT_TRUE(result == kTarnwellOk || result == kTarnwellNoEntries || result == kTarnwellCorrupt)
                << result;
            EXPECT_EQ(record.entries.size(), record.entryCount);
            for (const RobotTableEntry& e : record.entries)
                EXPECT_EQ(e.pairs.size(), e.pairCount);
            if (result != kTarnwellOk) {
                EXPECT_TRUE(record.entries.empty());
            }
        }
    }
}

}  // namespace
