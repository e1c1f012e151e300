// The actuator database files: the main file and the stroke and payload
// tables, every query the library offers. The input is the main file's
// length (4 bytes, little-endian), the main file, then the table file that
// serves as both tables.
#include "dbaccess/RobotDatabase.h"
#include "fuzz/FuzzSupport.h"

#include <vector>

namespace {

std::vector<CString> Lines(const CString& text)
{
    std::vector<CString> lines;
    std::u16string_view rest = text.view();
    while (!rest.empty()) {
        const std::size_t end = rest.find(u'\n');
        lines.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end + 1);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    std::size_t mainLength = 0;
    for (int i = 0; i < 4; ++i) mainLength |= static_cast<std::size_t>(fuzz::TakeByte(bytes)) << (8 * i);
    if (mainLength > bytes.size()) mainLength = bytes.size();
    fuzz::WriteScratchFile("YvekInitParameter.rid", bytes.substr(0, mainLength));
    fuzz::WriteScratchFile("YvekInitParameter.rid2", bytes.substr(mainLength));
    fuzz::WriteScratchFile("YvekInitParameter.rid3", bytes.substr(mainLength));

    const CRobotDatabase db(CString::FromUtf8(fuzz::ScratchFolder()));
    CString version;
    db.GetDatabaseVersion(&version);
    const int count = db.GetControllerListCount();
    std::vector<CString> controllers;
    if (count > 0 && count <= 4096) {
        controllers.resize(2 * static_cast<std::size_t>(count));
        if (db.GetControllerNames(controllers.data(), 2 * count) != count) __builtin_trap();
    }
    CString names;
    const int robots = db.GetRobotNames(-1, &names);
    if (robots >= 0 && robots <= 4096) {
        std::vector<std::int32_t> values(static_cast<std::size_t>(robots) + 1);
        for (int index : {0, 71, 145, 146, -1}) db.GetSelectParameters(-1, index, values.data(), robots);
        db.GetSelectParameters(0, 3, values.data(), robots);
    }
    std::vector<CString> robotNames = Lines(names);
    if (robotNames.size() > 16) robotNames.resize(16);
    robotNames.push_back(CString(u"R20"));
    for (const CString& robot : robotNames) {
        RobotParameterSet set;
        for (std::size_t c = 0; c < controllers.size() && c < 16; c += 2) db.GetInitParameter(controllers[c], robot, &set);
        RobotTableRecord record;
        db.GetStrokeData(robot, &record);
        db.GetPayloadData(robot, &record);
        for (const RobotTableEntry& entry : record.entries)
            if (entry.pairs.size() != entry.pairCount) __builtin_trap();
    }
    return 0;
}
