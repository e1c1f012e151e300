#include "manager/core/LibraryBindings.h"

#include "dbaccess/Tarnwell.h"
#include "manager/core/LoadedLibrary.h"
#include "motioncalc/PellarunLib.h"

#include <algorithm>
#include <optional>

namespace {

// The controller list as the library gives it, or nothing. Freed before the
// caller sees anything.
std::optional<std::vector<ControllerNamePair>> ReadControllerList(const char16_t* libraryName)
{
    std::vector<CString> texts;
    int listed = 0;
    {
        LoadedLibrary library(libraryName);
        const auto count = library.Bind<PFN_Tarnwell_GetControllerListCount>("Tarnwell_GetControllerListCount");
        const auto names = library.Bind<PFN_Tarnwell_GetControllerNames>("Tarnwell_GetControllerNames");
        if (!count || !names)
            return std::nullopt;
        const int wanted = count();
        if (wanted <= 0)
            return std::nullopt;
        texts.resize(static_cast<std::size_t>(wanted) * 2);
        listed = names(texts.data(), static_cast<int>(texts.size()));
        // The file may have been replaced between the two calls: only the
        // names the second call gave count.
        listed = std::min(listed, wanted);
        if (listed <= 0)
            return std::nullopt;
    }
    std::vector<ControllerNamePair> pairs(static_cast<std::size_t>(listed));
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        pairs[i].name = std::move(texts[2 * i]);
        pairs[i].code = std::move(texts[2 * i + 1]);
    }
    return pairs;
}

}  // namespace

bool LoadDatabaseVersion(CString& version, const char16_t* libraryName)
{
    CString read;
    {
        LoadedLibrary library(libraryName);
        const auto getVersion = library.Bind<PFN_Tarnwell_GetDatabaseVersion>("Tarnwell_GetDatabaseVersion");
        if (!getVersion || getVersion(&read) != kTarnwellOk)
            return false;
    }
    version = std::move(read);
    return true;
}

bool LoadControllerList(int& count, std::vector<ControllerNamePair>& pairs, const char16_t* libraryName)
{
    if (!pairs.empty())
        return false;
    std::optional<std::vector<ControllerNamePair>> list = ReadControllerList(libraryName);
    if (!list)
        return false;
    count = static_cast<int>(list->size());
    pairs = std::move(*list);
    return true;
}

bool LookupControllerName(const CString& controllerName, CString& code, const char16_t* libraryName)
{
    const std::optional<std::vector<ControllerNamePair>> list = ReadControllerList(libraryName);
    if (!list)
        return false;
    const auto match = std::find_if(list->begin(), list->end(),
                                    [&](const ControllerNamePair& pair) { return pair.name == controllerName; });
    if (match == list->end())
        return false;
    code = match->code;
    return true;
}

bool LoadInitParameter(RobotParameterSet& set, const CString& robotName, const CString& controllerName,
                       const char16_t* libraryName)
{
    if (robotName.IsEmpty())
        return false;
    set.name = robotName;
    RobotParameterSet found;
    {
        LoadedLibrary library(libraryName);
        const auto getInit = library.Bind<PFN_Tarnwell_GetInitParameter>("Tarnwell_GetInitParameter");
        if (!getInit || getInit(controllerName, robotName, &found) != kTarnwellOk)
            return false;
    }
    set.name = std::move(found.name);
    set.values = found.values;
    return true;
}

bool FillControllerDataFromDatabase(ControllerData& data, const CString& controllerName, const CString& robotName,
                                    const char16_t* libraryName)
{
    data.controller = controllerName;
    data.robot = robotName;
    data.interfaceText = kDatabaseInterfaceText;
    RobotParameterSet* set = data.FirstParamSet();
    if (!set || !LoadInitParameter(*set, robotName, controllerName, libraryName))
        return false;
    LoadDatabaseVersion(data.dbVersion, libraryName);
    return true;
}

bool CallAccCalc(const RobotParameterSet* set, int x, int& result, const char16_t* libraryName)
{
    if (!set)
        return false;
    std::int32_t limit = 0;
    {
        LoadedLibrary library(libraryName);
        const auto accCalc = library.Bind<PFN_DllAccCalc>("DllAccCalc");
        if (!accCalc)
            return false;
        limit = accCalc(x, set->K(48), set->K(49), set->K(50), set->K(55), set->K(56), set->K(57), set->K(58));
    }
    result = limit;
    return true;
}
