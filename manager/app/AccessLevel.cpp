#include "manager/app/AccessLevel.h"

namespace {

// The words are compared exactly as typed: case matters, nothing is trimmed.
constexpr std::u16string_view kWordLevel1 = u"misplor";
constexpr std::u16string_view kWordLevel2 = u"valmoth";
constexpr std::u16string_view kWordLevel3 = u"quenwick";

}  // namespace

std::optional<int> AccessLevelOfSwitch(std::u16string_view word)
{
    if (word == kWordLevel1) return 1;
    if (word == kWordLevel2) return 2;
    return std::nullopt;
}

bool CAccessLevel::EnterAccessCode(std::u16string_view code)
{
    if (code == kWordLevel2) {
        if (m_level >= 2) return false;
        m_level = 2;
        return true;
    }
    if (code == kWordLevel3 && m_level < 3) {
        m_level = 3;
        return true;
    }
    return false;
}

CAccessLevel::ControllerInit CAccessLevel::ControllerInitAccess() const
{
    if (m_level == 1) return ControllerInit::Open;
    if (m_level == 5) return ControllerInit::AskForCode;
    return ControllerInit::Nothing;
}

bool CAccessLevel::IsControllerInitCode(std::u16string_view code) { return code == kWordLevel1; }

bool ShowsControllerInitItem(int level) { return level == 1 || level == 5; }

bool CanInitPoints(int level, const CString& modelText)
{
    if (modelText.Find(u"LB") < 0) return true;
    return level == 1 || level == 5;
}

bool CanInitTripAndTime(int level) { return level == 5; }

bool ShowsExpertTreeItem(int level) { return level >= 2; }

bool ShowsOfflinePulseTrainPointItem(int level) { return level == 1 || level == 5; }

bool ClosesWithoutAsking(int level, bool ctrlHeld) { return ctrlHeld && (level == 4 || level == 5); }

bool ShowsCommSettingsButton(int level) { return level >= 3 && level <= 5; }
