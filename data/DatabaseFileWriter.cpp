#include "data/DatabaseFileWriter.h"

#include "platform/core/CodePage.h"
#include "platform/core/File.h"
#include "platform/core/Paths.h"

#include <limits>

namespace actuatordb {

namespace {

constexpr std::size_t kNameBytes = 16;
constexpr std::size_t kCodeBytes = 4;
constexpr std::size_t kMainDescriptionBytes = 260;
constexpr std::size_t kTableHeaderBytes = 40;
constexpr std::size_t kMagicBytes = 16;
constexpr std::size_t kMinRecordHeadBytes = 21;
constexpr std::size_t kMinEntryHeadBytes = 7;
constexpr std::size_t kMinPairBytes = 5;

// Four bytes the reader skips, and a description in the field it skips.
constexpr char kMainMark[] = "YVDB";
constexpr char kMainDescription[] = "Actuator initial parameter database";

void PutU8(std::string& b, unsigned v) { b.push_back(static_cast<char>(v & 0xFF)); }

void PutU16(std::string& b, unsigned v)
{
    PutU8(b, v);
    PutU8(b, v >> 8);
}

void PutU32(std::string& b, std::uint32_t v)
{
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}

void PutI32(std::string& b, std::int32_t v) { PutU32(b, static_cast<std::uint32_t>(v)); }

void PatchU32(std::string& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A UTF-8 text as the 8-bit field text of the files, or false when it does
// not fit the field or holds a character Windows-1252 cannot carry.
bool EncodeField(const std::string& utf8, std::size_t width, const char* what, std::string& field,
                 std::string& error)
{
    bool lost = false;
    field = platform::FromWide(platform::ToWide(utf8, CP_UTF8), CP_WESTERN, &lost);
    if (lost || field.find('\0') != std::string::npos) {
        error = std::string(what) + " \"" + utf8 + "\" cannot be stored as 8-bit text";
        return false;
    }
    if (field.empty() || field.size() > width) {
        error = std::string(what) + " \"" + utf8 + "\" must have 1 to " + std::to_string(width) + " characters";
        return false;
    }
    field.resize(width, '\0');
    return true;
}

const std::vector<Table>& TablesOf(const Database& db, TableKind kind)
{
    return kind == TableKind::Stroke ? db.strokeTables : db.payloadTables;
}

}  // namespace

bool BuildMainDatabase(const Database& db, std::string& bytes, std::string& error)
{
    if (db.controllers.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        error = "too many controllers";
        return false;
    }
    std::string b;
    b.append(kMainMark, 4);
    PutU32(b, db.version);
    std::string description(kMainDescription);
    description.resize(kMainDescriptionBytes, '\0');
    b += description;
    PutI32(b, static_cast<std::int32_t>(db.controllers.size()));
    for (const Controller& c : db.controllers) {
        std::string name, code;
        if (!EncodeField(c.name, kNameBytes, "controller name", name, error) ||
            !EncodeField(c.code, kCodeBytes, "controller code", code, error))
            return false;
        b += name;
        b += code;
    }
    for (const Robot& r : db.robots) {
        std::string name;
        if (!EncodeField(r.name, kNameBytes, "robot name", name, error))
            return false;
        if (r.controllerIndex < 0 || static_cast<std::size_t>(r.controllerIndex) >= db.controllers.size()) {
            error = "robot \"" + r.name + "\" names no controller of the list";
            return false;
        }
        b += name;
        PutI32(b, r.controllerIndex);
        for (std::int32_t v : r.values)
            PutI32(b, v);
    }
    bytes = std::move(b);
    return true;
}

bool BuildTableDatabase(const Database& db, TableKind kind, std::string& bytes, std::string& error,
                        const TableLayoutOptions& layout)
{
    if (layout.recordHeadBytes < kMinRecordHeadBytes || layout.recordHeadBytes > 255 ||
        layout.entryHeadBytes < kMinEntryHeadBytes || layout.entryHeadBytes > 255 ||
        layout.pairBytes < kMinPairBytes || layout.pairBytes > 255) {
        error = "table head sizes out of range";
        return false;
    }
    const std::vector<Table>& tables = TablesOf(db, kind);
    if (tables.size() > 0xFFFF) {
        error = "too many tables";
        return false;
    }

    std::string b;
    std::string magic(kind == TableKind::Stroke ? "STROKEDB" : "PAYLOADDB");
    magic.resize(kMagicBytes, '\0');
    b += magic;
    PutU32(b, static_cast<std::uint32_t>(kTableHeaderBytes));
    PutU32(b, db.version);
    PutU32(b, 0);
    const std::size_t dataLengthAt = b.size();
    PutU32(b, 0);
    PutU16(b, static_cast<unsigned>(tables.size()));
    PutU8(b, layout.recordHeadBytes);
    PutU8(b, layout.entryHeadBytes);
    PutU8(b, layout.pairBytes);
    b.append(3, '\0');

    for (const Table& t : tables) {
        std::string name;
        if (!EncodeField(t.robotName, kNameBytes, "table robot name", name, error))
            return false;
        if (t.entries.size() > 255) {
            error = "table of \"" + t.robotName + "\" has more than 255 entries";
            return false;
        }
        const std::size_t recordAt = b.size();
        PutI32(b, 0);
        b += name;
        PutU8(b, static_cast<unsigned>(t.entries.size()));
        b.resize(recordAt + layout.recordHeadBytes, '\0');
        for (const TableEntry& e : t.entries) {
            const std::size_t entrySize = layout.entryHeadBytes + e.items.size() * layout.pairBytes;
            if (e.items.size() > 255 || entrySize > 0xFFFF) {
                error = "an entry of \"" + t.robotName + "\" has too many items";
                return false;
            }
            const std::size_t entryAt = b.size();
            PutU16(b, static_cast<unsigned>(entrySize));
            PutI32(b, e.threshold);
            PutU8(b, static_cast<unsigned>(e.items.size()));
            b.resize(entryAt + layout.entryHeadBytes, '\0');
            for (const TableItem& item : e.items) {
                const std::size_t pairAt = b.size();
                PutU8(b, item.key);
                PutI32(b, item.value);
                b.resize(pairAt + layout.pairBytes, '\0');
            }
        }
        const std::size_t recordSize = b.size() - recordAt;
        if (recordSize > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
            error = "table of \"" + t.robotName + "\" is too large";
            return false;
        }
        PatchU32(b, recordAt, static_cast<std::uint32_t>(recordSize));
    }
    PatchU32(b, dataLengthAt, static_cast<std::uint32_t>(b.size() - kTableHeaderBytes));
    bytes = std::move(b);
    return true;
}

bool WriteDatabaseFiles(const Database& db, const std::string& folder, std::string& error)
{
    std::string main, stroke, payload;
    if (!BuildMainDatabase(db, main, error) || !BuildTableDatabase(db, TableKind::Stroke, stroke, error) ||
        !BuildTableDatabase(db, TableKind::Payload, payload, error))
        return false;
    const CString dir = CString::FromUtf8(folder);
    const struct {
        const char16_t* name;
        const std::string* bytes;
    } files[] = {{u"YvekInitParameter.rid", &main},
                 {u"YvekInitParameter.rid2", &stroke},
                 {u"YvekInitParameter.rid3", &payload}};
    for (const auto& f : files) {
        const CString path = platform::JoinPath(dir, f.name);
        if (!CFile::WriteAll(path, *f.bytes)) {
            error = "cannot write " + path.ToUtf8();
            return false;
        }
    }
    return true;
}

}  // namespace actuatordb
