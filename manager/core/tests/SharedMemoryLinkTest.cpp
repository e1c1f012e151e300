// The shared-memory link: the record's bytes as they land in the real
// exchange library's block, a round trip through it, and the link's life
// with stand-ins (tests/lib) that report every call, fail on purpose or lack
// one export.
#include "manager/core/SharedMemoryLink.h"

#include "manager/core/LoadedLibrary.h"
#include "manager/core/tests/Fixtures.h"
#include "manager/core/tests/StandInLog.h"
#include "platform/core/tests/RuntimeFolderScope.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<unsigned char>;

constexpr std::size_t kRecordBytes = 18440;

ControllerDataSlot NewData()
{
    ControllerDataSlot data;
    ControllerDataStore().AllocControllerData(data);
    return data;
}

// Data with every carried field set, negative numbers and a text outside
// the basic plane included.
ControllerDataSlot SampleData()
{
    ControllerDataSlot data = NewData();
    data->controller = u"KX-Q05";
    data->user = u"not carried";
    data->robot = u"A";
    data->interfaceText = u"PIO";
    data->version = u"V1.23 \U0001F600";
    data->dbVersion = u"2.01.03";
    data->ipAddress = u"c0a80002";
    data->subnetMask = u"ffffff00";
    data->gateway = u"c0a80001";
    data->typeText = u"Q05";
    for (int slot = 0; slot < kPointCount; slot += 127) {
        for (int field = 0; field < PointRecord::kFieldCount; ++field)
            data->points[static_cast<std::size_t>(slot)].Field(field) = (slot + 1) * 100 + field - 50;
    }
    RobotParameterSet& set = *data->FirstParamSet();
    set.name = u"B";
    set.controllerIndex = 5;
    for (int i = 0; i < kParamCount; ++i)
        set.values[static_cast<std::size_t>(i)] = i * 7 - 500;
    set.values[0] = INT32_MIN;
    set.values[kParamCount - 1] = INT32_MAX;
    return data;
}

void PutText(Bytes& bytes, std::size_t offset, std::u16string_view text)
{
    for (char16_t unit : text) {
        bytes[offset++] = static_cast<unsigned char>(unit & 0xFF);
        bytes[offset++] = static_cast<unsigned char>(unit >> 8);
    }
}

void PutInt(Bytes& bytes, std::size_t offset, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<unsigned char>(u >> (8 * i));
}

// The record of SampleData, built from the format's offsets alone.
Bytes SampleRecordBytes()
{
    Bytes bytes(kRecordBytes, 0);
    PutText(bytes, 0, u"KX-Q05");
    PutText(bytes, 510, u"A");
    PutText(bytes, 1020, u"PIO");
    PutText(bytes, 1530, u"V1.23 \U0001F600");
    PutText(bytes, 2040, u"2.01.03");
    PutText(bytes, 2550, u"Q05");
    for (int slot = 0; slot < kPointCount; slot += 127) {
        for (int field = 0; field < 14; ++field)
            PutInt(bytes, 3060 + static_cast<std::size_t>(slot) * 56 + static_cast<std::size_t>(field) * 4,
                   (slot + 1) * 100 + field - 50);
    }
    PutText(bytes, 17340, u"B");
    PutInt(bytes, 17852, 5);
    for (int i = 0; i < kParamCount; ++i)
        PutInt(bytes, 17856 + static_cast<std::size_t>(i) * 4, i * 7 - 500);
    PutInt(bytes, 17856, INT32_MIN);
    PutInt(bytes, 17856 + 145 * 4, INT32_MAX);
    return bytes;
}

// The first block as the exchange library holds it, read past the link.
Bytes BlockBytes()
{
    LoadedLibrary library(kSharedMemoryLibraryName);
    const auto read = library.Bind<PFN_ReadContData>("ReadContData");
    SharedControllerRecord record;
    std::memset(&record, 0x5A, sizeof record);
    if (!read || read(&record) != 1)
        return Bytes();
    const auto* begin = reinterpret_cast<const unsigned char*>(&record);
    return Bytes(begin, begin + sizeof record);
}

TEST(SharedMemoryLink, RecordLayoutFieldByField)
{
    RuntimeFolderScope folder;
    CSharedMemoryLink link;
    ASSERT_EQ(link.Load(), TRUE);
    ASSERT_TRUE(link.WriteController(*SampleData()));
    const Bytes actual = BlockBytes();
    ASSERT_EQ(actual.size(), kRecordBytes);
    const Bytes expected = SampleRecordBytes();

    // Every byte of the record belongs to one row; unused text units and the
    // padding must be zero.
    const struct {
        const char* field;
        std::size_t offset;
        std::size_t size;
    } rows[] = {
        {"controller text", 0, 510},       {"robot text", 510, 510},
        {"interface text", 1020, 510},     {"version text", 1530, 510},
        {"database version", 2040, 510},   {"type text", 2550, 510},
        {"point rows", 3060, 14280},       {"parameter set name", 17340, 510},
        {"padding", 17850, 2},             {"controller index", 17852, 4},
        {"parameter values", 17856, 584},
    };
    std::size_t next = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        EXPECT_EQ(row.offset, next) << "rows must tile the record";
        for (std::size_t i = row.offset; i < row.offset + row.size; ++i) {
            if (actual[i] != expected[i]) {
                ADD_FAILURE() << "byte " << i << " is " << int(actual[i]) << ", expected " << int(expected[i]);
                break;
            }
        }
        next = row.offset + row.size;
    }
    EXPECT_EQ(next, kRecordBytes);
}

TEST(SharedMemoryLink, ReadingBackKeepsWhatTheReaderOwns)
{
    RuntimeFolderScope folder;
    CSharedMemoryLink link;
    ASSERT_EQ(link.Load(), TRUE);
    EXPECT_EQ(link.IsAllocated(), 1);
    const ControllerDataSlot written = SampleData();
    ASSERT_TRUE(link.WriteController(*written));

    ControllerDataSlot reader = NewData();
    reader->user = u"mine";
    reader->ipAddress = u"0a000001";
    reader->subnetMask = u"ff000000";
    reader->gateway = u"0a0000fe";
    reader->controller = u"other";
    reader->points[3].p = 99;
    reader->FirstParamSet()->name = u"old";
    reader->FirstParamSet()->controllerIndex = 42;
    reader->FirstParamSet()->values.fill(3);
    ASSERT_TRUE(link.ReadController(*reader));

    EXPECT_EQ(reader->controller, written->controller);
    EXPECT_EQ(reader->robot, written->robot);
    EXPECT_EQ(reader->interfaceText, written->interfaceText);
    EXPECT_EQ(reader->version, written->version);
    EXPECT_EQ(reader->dbVersion, written->dbVersion);
    EXPECT_EQ(reader->typeText, written->typeText);
    EXPECT_EQ(reader->points, written->points);
    EXPECT_EQ(reader->FirstParamSet()->values, written->FirstParamSet()->values);
    EXPECT_EQ(reader->FirstParamSet()->name, CString(u"A")) << "named after the robot text, not the set name";
    EXPECT_EQ(reader->FirstParamSet()->controllerIndex, 42);
    EXPECT_EQ(reader->user, CString(u"mine"));
    EXPECT_EQ(reader->ipAddress, CString(u"0a000001"));
    EXPECT_EQ(reader->subnetMask, CString(u"ff000000"));
    EXPECT_EQ(reader->gateway, CString(u"0a0000fe"));
}

TEST(SharedMemoryLink, TextsLongerThanAFieldAreCut)
{
    const struct {
        const char* what;
        CString text;
        CString reads;
    } rows[] = {
        {"254 characters fit", CString(u'x', 254), CString(u'x', 254)},
        {"255 are cut to 254", CString(u'y', 255), CString(u'y', 254)},
        {"a pair across the end is left out whole", CString(u'a', 253) + u"\U0001F600", CString(u'a', 253)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ControllerDataSlot data = SampleData();
        data->controller = row.text;
        data->typeText = row.text;
        SharedControllerRecord record;
        ASSERT_TRUE(CSharedMemoryLink::ToRecord(*data, record));
        EXPECT_EQ(record.robot[0], u'A') << "the next field is whole";
        ControllerDataSlot back = NewData();
        ASSERT_TRUE(CSharedMemoryLink::FromRecord(record, *back));
        EXPECT_EQ(back->controller, row.reads);
        EXPECT_EQ(back->typeText, row.reads);
    }
}

// Another writer may fill a field to its last unit: the text ends there.
TEST(SharedMemoryLink, AFieldWithoutTerminatorEndsAtItsEnd)
{
    SharedControllerRecord record;
    std::memset(&record, 0, sizeof record);
    for (char16_t& unit : record.controller)
        unit = u'c';
    record.robot[0] = u'R';
    ControllerDataSlot data = NewData();
    ASSERT_TRUE(CSharedMemoryLink::FromRecord(record, *data));
    EXPECT_EQ(data->controller, CString(u'c', kSharedTextUnits));
    EXPECT_EQ(data->robot, CString(u"R"));
}

TEST(SharedMemoryLink, LoadAllocatesAndReleaseFreesOnce)
{
    testfx::StandInLog log;
    {
        CSharedMemoryLink link(u"qvfake-shm");
        EXPECT_EQ(link.IsAllocated(), 0);
        ASSERT_EQ(link.Load(), TRUE);
        EXPECT_EQ(link.IsAllocated(), 1);
        EXPECT_EQ(log.Take(), (Lines{"load qvfake-shm", "AllocateMemory"}));
        EXPECT_EQ(link.Load(), TRUE) << "a loaded link stays as it is";
        EXPECT_EQ(log.Take(), Lines());

        link.Release();
        EXPECT_EQ(link.IsAllocated(), 0);
        EXPECT_EQ(log.Take(), (Lines{"DeallocateMemory", "unload qvfake-shm"}));
        link.Release();
        EXPECT_EQ(log.Take(), Lines());

        ASSERT_EQ(link.Load(), TRUE);
        ASSERT_TRUE(link.WriteController(*SampleData()));
        EXPECT_EQ(log.Take(), (Lines{"load qvfake-shm", "AllocateMemory", "WriteContData"}));
    }
    EXPECT_EQ(log.Take(), (Lines{"DeallocateMemory", "unload qvfake-shm"})) << "the destructor releases";
}

// A failed load leaves nothing loaded and nothing allocated, so Release and
// the copies have nothing to do.
TEST(SharedMemoryLink, AFailedLoadLeavesNothingBehind)
{
    const struct {
        const char* what;
        const char16_t* library;
        Lines events;
    } rows[] = {
        {"no library", u"qvfake-absent", {}},
        {"no AllocateMemory", u"qvfake-shm-no-AllocateMemory",
         {"load qvfake-shm-no-AllocateMemory", "unload qvfake-shm-no-AllocateMemory"}},
        {"no DeallocateMemory", u"qvfake-shm-no-DeallocateMemory",
         {"load qvfake-shm-no-DeallocateMemory", "unload qvfake-shm-no-DeallocateMemory"}},
        {"no WriteContData", u"qvfake-shm-no-WriteContData",
         {"load qvfake-shm-no-WriteContData", "unload qvfake-shm-no-WriteContData"}},
        {"no ReadContData", u"qvfake-shm-no-ReadContData",
         {"load qvfake-shm-no-ReadContData", "unload qvfake-shm-no-ReadContData"}},
        {"no WritePositionData", u"qvfake-shm-no-WritePositionData",
         {"load qvfake-shm-no-WritePositionData", "unload qvfake-shm-no-WritePositionData"}},
        {"no ReadPositionData", u"qvfake-shm-no-ReadPositionData",
         {"load qvfake-shm-no-ReadPositionData", "unload qvfake-shm-no-ReadPositionData"}},
        {"allocation fails", u"qvfake-shm-allocate-fails",
         {"load qvfake-shm-allocate-fails", "AllocateMemory", "DeallocateMemory",
          "unload qvfake-shm-allocate-fails"}},
    };
    testfx::StandInLog log;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CSharedMemoryLink link(row.library);
        EXPECT_EQ(link.Load(), FALSE);
        EXPECT_EQ(link.IsAllocated(), 0);
        EXPECT_EQ(log.Take(), row.events);

        ControllerDataSlot data = SampleData();
        EXPECT_FALSE(link.WriteController(*data));
        EXPECT_FALSE(link.ReadController(*data));
        EXPECT_EQ(*data, *SampleData());
        link.Release();
        EXPECT_EQ(log.Take(), Lines());
    }
}

TEST(SharedMemoryLink, AFailedCopyIsReportedAndLeavesTheData)
{
    testfx::StandInLog log;
    CSharedMemoryLink link(u"qvfake-shm-copies-fail");
    ASSERT_EQ(link.Load(), TRUE);
    ControllerDataSlot data = SampleData();
    EXPECT_FALSE(link.WriteController(*data));
    EXPECT_FALSE(link.ReadController(*data)) << "the stand-in scribbled on the record before failing";
    EXPECT_EQ(*data, *SampleData());
    EXPECT_EQ(log.Take(), (Lines{"load qvfake-shm-copies-fail", "AllocateMemory", "WriteContData", "ReadContData"}));
}

TEST(SharedMemoryLink, DataWithoutParameterSetIsRefused)
{
    testfx::StandInLog log;
    CSharedMemoryLink link(u"qvfake-shm");
    ASSERT_EQ(link.Load(), TRUE);
    ASSERT_TRUE(link.WriteController(*SampleData()));
    ControllerData noSet;
    noSet.controller = u"kept";
    EXPECT_FALSE(link.WriteController(noSet));
    EXPECT_FALSE(link.ReadController(noSet));
    EXPECT_EQ(noSet.controller, CString(u"kept"));
    EXPECT_EQ(log.Take(), (Lines{"load qvfake-shm", "AllocateMemory", "WriteContData"}));
}

}  // namespace
