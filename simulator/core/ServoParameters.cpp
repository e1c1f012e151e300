#include "simulator/core/ServoParameters.h"

#include "platform/core/File.h"
#include "platform/core/Module.h"
#include "platform/core/Paths.h"
#include "resources/simulator/pellarun_ids.h"
#include "simulator/core/DecimalText.h"

#include <algorithm>
#include <dirent.h>
#include <string>

namespace {

// Frees the library however the call ends.
class LibraryScope {
public:
    explicit LibraryScope(const char16_t* name) : m_module(LoadLibraryW(name)) {}
    ~LibraryScope()
    {
        if (m_module) FreeLibrary(m_module);
    }
    LibraryScope(const LibraryScope&) = delete;
    LibraryScope& operator=(const LibraryScope&) = delete;

    template <typename Function>
    Function Bind(const char* name) const
    {
        return m_module ? reinterpret_cast<Function>(GetProcAddress(m_module, name)) : nullptr;
    }

private:
    HMODULE m_module{};
};

bool FolderHasExtension(const CString& folder, const std::string& extension)
{
    DIR* dir = ::opendir(platform::NativePath(folder).c_str());
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > extension.size() &&
            CString::FromUtf8(name.substr(name.size() - extension.size())).CompareNoCase(
                CString::FromUtf8(extension)) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

int ApplicableTableEntry(const RobotTableRecord& table, std::int32_t value)
{
    const int count = static_cast<int>(table.entries.size());
    if (count == 0) return -1;
    const auto target = static_cast<std::uint32_t>(value);
    for (int i = 0; i < count; ++i) {
        if (static_cast<std::uint32_t>(table.entries[static_cast<std::size_t>(i)].value) > target)
            return i == 0 ? 0 : i - 1;
    }
    return count - 1;
}

void ApplyStrokeTable(const RobotTableRecord& table, double strokeMm, RobotParameterSet& params)
{
    const int entry = ApplicableTableEntry(table, RoundToInt32(strokeMm * 1000.0));
    if (entry < 0) return;
    for (const RobotTablePair& item : table.entries[static_cast<std::size_t>(entry)].pairs) {
        if (item.key >= 1 && item.key <= kParamCount) params.values[static_cast<std::size_t>(item.key - 1)] = item.value;
    }
}

void CommitStroke(double strokeMm, RobotParameterSet& params)
{
    // Rounded, not cut: 1.001 mm is 1000.9999... micrometres in binary.
    params.K(43) = RoundToInt32(strokeMm * 1000.0);
    params.K(2) = RoundToInt32(strokeMm * PowerOfTen(PositionDecimals(params.K(72))));
}

bool CommitCarriedMass(int which, std::int32_t mass, const MotionLibrary& library, RobotParameterSet& params)
{
    const int massParam = which == 2 ? 78 : 76;
    params.K(massParam) = mass;
    std::int32_t limit = 0;
    if (!library.AccCalc(mass, params.K(48), params.K(49), params.K(50), params.K(55), params.K(56), params.K(57),
                         params.K(58), limit))
        return false;
    params.K(massParam + 1) = limit;
    return true;
}

int LargestMass(const CString& mass1, const CString& mass2)
{
    return std::max(static_cast<int>(WideToLong(mass1.GetString())), static_cast<int>(WideToLong(mass2.GetString())));
}

SpeedLimit ComputeSpeedLimit(const RobotTableRecord* payload, int largestMass, const RobotParameterSet& params)
{
    SpeedLimit limit;
    if (!payload || payload->entries.empty()) return limit;
    const RobotTableEntry& entry = payload->entries[static_cast<std::size_t>(ApplicableTableEntry(*payload, largestMass))];
    limit.limitMmS = entry.pairs.empty() ? 0.0 : entry.pairs.back().value / 100.0;
    limit.text.LoadString(IDS_SPEED_LIMIT_NONE);
    const int maxSpeed = params.K(44) / 100;
    // Without a maximum speed there is nothing to take a percent of.
    if (maxSpeed > 0 && limit.limitMmS < maxSpeed) {
        limit.percent = TruncToInt32(limit.limitMmS / maxSpeed * 100.0);
        if (limit.percent < params.K(9)) {
            limit.text.Format(IDS_SPEED_LIMIT, limit.percent, RoundedToDecimals(limit.limitMmS, 2));
            limit.overLimit = true;
        }
    }
    return limit;
}

std::vector<UINT> MissingTableFileMessages(const CString& folder)
{
    std::vector<UINT> messages;
    if (!FolderHasExtension(folder, ".rid2")) messages.push_back(IDS_NO_STROKE_FILE);
    if (!FolderHasExtension(folder, ".rid3")) messages.push_back(IDS_NO_PAYLOAD_FILE);
    return messages;
}

bool LoadRobotTable(RobotTableKind kind, const CString& robotName, RobotTableRecord& table, const char16_t* library)
{
    RobotTableRecord read;
    LibraryScope scope(library);
    const auto get = scope.Bind<PFN_Tarnwell_GetStrokeData>(kind == RobotTableKind::kStroke ? "Tarnwell_GetStrokeData"
                                                                                            : "Tarnwell_GetPayloadData");
    const bool ok = get && get(robotName, &read) == kTarnwellOk;
    table = std::move(read);
    if (!ok) table = RobotTableRecord();
    return ok;
}

bool LoadRobotNames(int controllerIndex, std::vector<CString>& names, const char16_t* library)
{
    LibraryScope scope(library);
    const auto get = scope.Bind<PFN_Tarnwell_GetRobotNames>("Tarnwell_GetRobotNames");
    if (!get) return false;
    CString text;
    if (get(controllerIndex, &text) < 0) return false;
    std::vector<CString> read;
    int start = 0;
    while (start < text.GetLength()) {
        const int end = text.Find(u'\n', start);
        const CString name = end < 0 ? text.Mid(start) : text.Mid(start, end - start);
        if (name.IsEmpty()) break;
        read.push_back(name);
        if (end < 0) break;
        start = end + 1;
    }
    names = std::move(read);
    return true;
}
