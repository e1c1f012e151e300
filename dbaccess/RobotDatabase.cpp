#include "dbaccess/RobotDatabase.h"

#include "platform/core/CodePage.h"
#include "platform/core/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace {

// Main database layout.
constexpr std::size_t kMainVersionOffset = 4;
constexpr std::size_t kMainCountOffset = 268;
constexpr std::size_t kMainControllersOffset = 272;
constexpr std::size_t kControllerRecordBytes = 20;
constexpr std::size_t kControllerNameBytes = 16;
constexpr std::size_t kControllerCodeBytes = 4;
constexpr std::size_t kRobotRecordBytes = 604;
constexpr std::size_t kRobotNameBytes = 16;
constexpr std::size_t kRobotIndexOffset = 16;
constexpr std::size_t kRobotValuesOffset = 20;

// Stroke and payload database layout.
constexpr std::size_t kTableHeaderBytes = 40;
constexpr std::size_t kTableMagicBytes = 16;
constexpr std::size_t kTableFirstRecordOffset = 16;
constexpr std::size_t kTableVersionOffset = 20;
constexpr std::size_t kTableDataLengthOffset = 28;
constexpr std::size_t kTableRecordCountOffset = 32;
constexpr std::size_t kTableRecordHeadOffset = 34;
constexpr std::size_t kTableEntryHeadOffset = 35;
constexpr std::size_t kTablePairSizeOffset = 36;
// Smallest heads that hold their fields: size, name, count / size, value,
// count / key, value.
constexpr std::size_t kMinRecordHeadBytes = 4 + 16 + 1;
constexpr std::size_t kMinEntryHeadBytes = 2 + 4 + 1;
constexpr std::size_t kMinPairBytes = 1 + 4;
constexpr std::size_t kTableNameBytes = 16;

// The database files are small; anything far larger is not one of them and
// is not read into memory.
constexpr std::size_t kMaxDatabaseBytes = 64u * 1024u * 1024u;

// The 8-bit texts of the database files are Windows-1252, so their meaning
// does not depend on the user-interface language.
constexpr UINT kDatabaseCodePage = CP_WESTERN;

enum class ReadResult { Ok, NotOpened, TooLarge };

ReadResult ReadDatabaseFile(const CString& path, std::string& bytes)
{
    const std::string native = path.ToUtf8();
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ReadResult::NotOpened;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ReadResult::NotOpened;
    }
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > kMaxDatabaseBytes) {
        ::close(fd);
        return ReadResult::TooLarge;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return ReadResult::NotOpened;
        }
        if (got == 0)
            break;
        // A file that grows while it is read is still bounded.
        if (bytes.size() + static_cast<std::size_t>(got) > kMaxDatabaseBytes) {
            ::close(fd);
            return ReadResult::TooLarge;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return ReadResult::Ok;
}

std::uint32_t U32At(std::string_view b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::int32_t I32At(std::string_view b, std::size_t at) { return static_cast<std::int32_t>(U32At(b, at)); }

std::uint16_t U16At(std::string_view b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint8_t U8At(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }

// A fixed-width text field: up to its first zero byte.
CString FieldText(std::string_view b, std::size_t at, std::size_t width)
{
    std::string_view field = b.substr(at, width);
    const std::size_t zero = field.find('\0');
    if (zero != std::string_view::npos)
        field = field.substr(0, zero);
    return CString(platform::ToWide(field, kDatabaseCodePage));
}

CString TrimmedFieldText(std::string_view b, std::size_t at, std::size_t width)
{
    CString text = FieldText(b, at, width);
    text.Trim();
    return text;
}

// A caller's name as the main database compares it: at most 16 characters,
// trimmed, upper case.
CString LookupKey(const CString& name, int width)
{
    CString key = name.Left(width);
    key.Trim();
    key.MakeUpper();
    return key;
}

// The main database read whole and checked: the controller count and every
// record lie inside the file, and the robot records fill it exactly.
class MainDatabase {
public:
    int Load(const CString& folder)
    {
        switch (ReadDatabaseFile(platform::JoinPath(folder, kMainDatabaseFileName), m_bytes)) {
        case ReadResult::NotOpened:
            return kTarnwellNotOpened;
        case ReadResult::TooLarge:
            return kTarnwellCorrupt;
        case ReadResult::Ok:
            break;
        }
        if (m_bytes.size() < kMainControllersOffset)
            return kTarnwellCorrupt;
        const std::int32_t count = I32At(m_bytes, kMainCountOffset);
        if (count < 0)
            return kTarnwellCorrupt;
        const unsigned long long robotsAt =
            kMainControllersOffset + static_cast<unsigned long long>(count) * kControllerRecordBytes;
        if (robotsAt > m_bytes.size())
            return kTarnwellCorrupt;
        const std::size_t robotBytes = m_bytes.size() - static_cast<std::size_t>(robotsAt);
        if (robotBytes % kRobotRecordBytes != 0)
            return kTarnwellCorrupt;
        m_controllerCount = count;
        m_robotsAt = static_cast<std::size_t>(robotsAt);
        m_robotCount = robotBytes / kRobotRecordBytes;
        return kTarnwellOk;
    }

    std::uint32_t Version() const { return U32At(m_bytes, kMainVersionOffset); }
    int ControllerCount() const { return m_controllerCount; }
    std::size_t RobotCount() const { return m_robotCount; }

    CString ControllerName(int i) const
    {
        return TrimmedFieldText(m_bytes, ControllerAt(i), kControllerNameBytes);
    }
    CString ControllerCode(int i) const
    {
        return TrimmedFieldText(m_bytes, ControllerAt(i) + kControllerNameBytes, kControllerCodeBytes);
    }

    CString RobotName(std::size_t r) const { return TrimmedFieldText(m_bytes, RobotAt(r), kRobotNameBytes); }
    std::int32_t RobotControllerIndex(std::size_t r) const { return I32At(m_bytes, RobotAt(r) + kRobotIndexOffset); }
    std::int32_t RobotValue(std::size_t r, std::size_t index) const
    {
        return I32At(m_bytes, RobotAt(r) + kRobotValuesOffset + 4 * index);
    }

    // -1 matches every robot, 0 or more its own controller, other indexes none.
    bool RobotMatches(std::size_t r, int controllerIndex) const
    {
        return controllerIndex == -1 || (controllerIndex >= 0 && RobotControllerIndex(r) == controllerIndex);
    }

private:
    std::size_t ControllerAt(int i) const
    {
        return kMainControllersOffset + static_cast<std::size_t>(i) * kControllerRecordBytes;
    }
    std::size_t RobotAt(std::size_t r) const { return m_robotsAt + r * kRobotRecordBytes; }

    std::string m_bytes;
    int m_controllerCount = 0;
    std::size_t m_robotsAt = 0;
    std::size_t m_robotCount = 0;
};

// Layout figures of a table file's header.
struct TableLayout {
    std::size_t dataBegin = 0;
    std::size_t dataEnd = 0;
    unsigned recordCount = 0;
    std::size_t recordHead = 0;
    std::size_t entryHead = 0;
    std::size_t pairSize = 0;
};

// Checks that every record, entry and pair the header announces lies inside
// its container, so the lookup below never leaves the file.
bool TableFits(std::string_view b, const TableLayout& t)
{
    if (t.recordHead < kMinRecordHeadBytes || t.entryHead < kMinEntryHeadBytes || t.pairSize < kMinPairBytes)
        return false;
    std::size_t at = t.dataBegin;
    for (unsigned r = 0; r < t.recordCount; ++r) {
        if (t.dataEnd - at < t.recordHead)
            return false;
        const std::int32_t recordSize = I32At(b, at);
        if (recordSize < 0 || static_cast<std::size_t>(recordSize) < t.recordHead ||
            static_cast<std::size_t>(recordSize) > t.dataEnd - at)
            return false;
        const std::size_t recordEnd = at + static_cast<std::size_t>(recordSize);
        const unsigned entryCount = U8At(b, at + 4 + kTableNameBytes);
        std::size_t entry = at + t.recordHead;
        for (unsigned e = 0; e < entryCount; ++e) {
            if (recordEnd - entry < t.entryHead)
                return false;
            const std::size_t entrySize = U16At(b, entry);
            const unsigned pairCount = U8At(b, entry + 6);
            if (entrySize < t.entryHead || entrySize > recordEnd - entry ||
                t.entryHead + static_cast<std::size_t>(pairCount) * t.pairSize > entrySize)
                return false;
            entry += entrySize;
        }
        at = recordEnd;
    }
    return true;
}

}  // namespace

CRobotDatabase::CRobotDatabase(CString folder) : m_folder(std::move(folder)) {}

CRobotDatabase CRobotDatabase::Installed() { return CRobotDatabase(platform::GetProgramFolder()); }

CString CRobotDatabase::FormatVersion(std::uint32_t packed)
{
    CString text;
    text.Format(u"%d.%02d.%02d", static_cast<int>(packed >> 16), static_cast<int>((packed >> 8) & 0xFF),
                static_cast<int>(packed & 0xFF));
    return text;
}

int CRobotDatabase::GetControllerListCount() const
{
    MainDatabase db;
    if (const int result = db.Load(m_folder); result != kTarnwellOk)
        return result;
    return db.ControllerCount();
}

int CRobotDatabase::GetControllerNames(CString* texts, int capacity) const
{
    MainDatabase db;
    if (const int result = db.Load(m_folder); result != kTarnwellOk)
        return result;
    const int count = db.ControllerCount();
    if (count == 0)
        return 0;
    if (texts == nullptr || capacity < 0 || static_cast<long long>(capacity) < 2LL * count)
        return kTarnwellBadArgument;
    for (int i = 0; i < count; ++i) {
        texts[2 * i] = db.ControllerName(i);
        texts[2 * i + 1] = db.ControllerCode(i);
    }
    return count;
}

int CRobotDatabase::GetRobotNames(int controllerIndex, CString* names) const
{
    if (names == nullptr)
        return kTarnwellBadArgument;
    MainDatabase db;
    if (const int result = db.Load(m_folder); result != kTarnwellOk)
        return result;
    CString list;
    int count = 0;
    for (std::size_t r = 0; r < db.RobotCount(); ++r) {
        if (!db.RobotMatches(r, controllerIndex))
            continue;
        list += db.RobotName(r);
        list += u"\n";
        ++count;
    }
    *names = std::move(list);
    return count;
}

int CRobotDatabase::GetSelectParameters(int controllerIndex, int parameterIndex, std::int32_t* values,
                                        int capacity) const
{
    // The index counts as an unsigned 16-bit number; only 0..145 name a value.
    const unsigned index = static_cast<std::uint16_t>(parameterIndex);
    if (values == nullptr || index >= static_cast<unsigned>(kParamCount))
        return kTarnwellBadArgument;
    MainDatabase db;
    if (const int result = db.Load(m_folder); result != kTarnwellOk)
        return result;
    int matches = 0;
    for (std::size_t r = 0; r < db.RobotCount(); ++r)
        matches += db.RobotMatches(r, controllerIndex) ? 1 : 0;
    if (matches > capacity)
        return kTarnwellBadArgument;
    int written = 0;
    for (std::size_t r = 0; r < db.RobotCount(); ++r) {
        if (db.RobotMatches(r, controllerIndex))
            values[written++] = db.RobotValue(r, index);
    }
    return written;
}

int CRobotDatabase::GetDatabaseVersion(CString* version) const
{
    if (version == nullptr)
        return kTarnwellBadArgument;
    MainDatabase db;
    if (const int result = db.Load(m_folder); result != kTarnwellOk)
        return result;
    *version = FormatVersion(db.Version());
    return kTarnwellOk;
}

int CRobotDatabase::GetInitParameter(const CString& controllerName, const CString& robotName,
                                     RobotParameterSet* set) const
{
    if (set == nullptr)
        return kTarnwellBadArgument;
    MainDatabase db;
    if (const int result = db.Load(m_folder); result != kTarnwellOk)
        return result;
    const CString controllerKey = LookupKey(controllerName, static_cast<int>(kControllerNameBytes));
    const CString robotKey = LookupKey(robotName, static_cast<int>(kRobotNameBytes));

    // Stored names are compared as they are: only upper-case controller
    // names can match.
    int controllerIndex = -1;
    for (int i = 0; i < db.ControllerCount(); ++i) {
        if (db.ControllerName(i) == controllerKey) {
            controllerIndex = i;
            break;
        }
    }
    if (controllerIndex < 0)
        return kTarnwellNotFound;

    for (std::size_t r = 0; r < db.RobotCount(); ++r) {
        if (db.RobotControllerIndex(r) != controllerIndex)
            continue;
        CString name = db.RobotName(r);
        name.MakeUpper();
        if (name != robotKey)
            continue;
        set->controllerIndex = controllerIndex;
        set->name = std::move(name);
        for (std::size_t v = 0; v < static_cast<std::size_t>(kParamCount); ++v)
            set->values[v] = db.RobotValue(r, v);
        return kTarnwellOk;
    }
    return kTarnwellNotFound;
}

int CRobotDatabase::GetStrokeData(const CString& robotName, RobotTableRecord* record) const
{
    return GetTableData(kStrokeDatabaseFileName, "STROKEDB", robotName, record);
}

int CRobotDatabase::GetPayloadData(const CString& robotName, RobotTableRecord* record) const
{
    return GetTableData(kPayloadDatabaseFileName, "PAYLOADDB", robotName, record);
}

int CRobotDatabase::GetTableData(const char16_t* fileName, const char* magic, const CString& robotName,
                                 RobotTableRecord* record) const
{
    if (record == nullptr)
        return kTarnwellBadArgument;
    // Emptied first in every case, releasing the storage.
    *record = RobotTableRecord();

    std::string bytes;
    switch (ReadDatabaseFile(platform::JoinPath(m_folder, fileName), bytes)) {
    case ReadResult::NotOpened:
        return kTarnwellNotOpened;
    case ReadResult::TooLarge:
        return kTarnwellCorrupt;
    case ReadResult::Ok:
        break;
    }
    const std::string_view b = bytes;
    if (b.size() < kTableHeaderBytes)
        return kTarnwellBadHeader;
    if (FieldText(b, 0, kTableMagicBytes) != CString(platform::ToWide(magic, kDatabaseCodePage)))
        return kTarnwellBadHeader;

    CString mainVersion;
    if (GetDatabaseVersion(&mainVersion) != kTarnwellOk ||
        FormatVersion(U32At(b, kTableVersionOffset)) != mainVersion)
        return kTarnwellVersionMismatch;

    TableLayout t;
    t.dataBegin = U32At(b, kTableFirstRecordOffset);
    const std::uint32_t dataLength = U32At(b, kTableDataLengthOffset);
    t.recordCount = U16At(b, kTableRecordCountOffset);
    t.recordHead = U8At(b, kTableRecordHeadOffset);
    t.entryHead = U8At(b, kTableEntryHeadOffset);
    t.pairSize = U8At(b, kTablePairSizeOffset);
    if (t.dataBegin < kTableHeaderBytes || t.dataBegin > b.size() || dataLength > b.size() - t.dataBegin)
        return kTarnwellCorrupt;
    t.dataEnd = t.dataBegin + dataLength;
    if (!TableFits(b, t))
        return kTarnwellCorrupt;

    if (robotName.IsEmpty())
        return kTarnwellNoEntries;
    std::size_t at = t.dataBegin;
    for (unsigned r = 0; r < t.recordCount; ++r) {
        const std::size_t recordSize = static_cast<std::size_t>(I32At(b, at));
        // A name filling all 16 bytes is taken as those 16 bytes.
        if (FieldText(b, at + 4, kTableNameBytes) != robotName) {
            at += recordSize;
            continue;
        }
        record->size = static_cast<std::int32_t>(recordSize);
        record->robotName = robotName;
        const unsigned entryCount = U8At(b, at + 4 + kTableNameBytes);
        if (entryCount == 0)
            return kTarnwellNoEntries;
        record->entries.reserve(entryCount);
        std::size_t entry = at + t.recordHead;
        for (unsigned e = 0; e < entryCount; ++e) {
            RobotTableEntry item;
            item.size = U16At(b, entry);
            item.value = I32At(b, entry + 2);
            item.pairCount = U8At(b, entry + 6);
            item.pairs.reserve(item.pairCount);
            std::size_t pair = entry + t.entryHead;
            for (unsigned p = 0; p < item.pairCount; ++p, pair += t.pairSize)
                item.pairs.push_back(RobotTablePair{U8At(b, pair), I32At(b, pair + 1)});
            record->entries.push_back(std::move(item));
            entry += record->entries.back().size;
        }
        record->entryCount = static_cast<std::uint8_t>(entryCount);
        return kTarnwellOk;
    }
    return kTarnwellNoEntries;
}
