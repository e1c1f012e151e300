// The manager's access level: 0 for an ordinary user, raised by a start-up
// switch or an access code, never lowered by a code, never stored. The
// application object holds the one instance; windows read it on demand (each
// menu update, each grid edit) and learn of a rise from the broadcast
// UM_ACCESSLEVELCHANGED.
#pragma once

#include "platform/core/CString.h"

#include <optional>
#include <string_view>

// The access-code dialog's edit takes at most this many characters.
inline constexpr int kAccessCodeMaxLength = 8;

// Levels run from 0 (an ordinary user) to 3; 4 and 5 are tested by the
// windows but nothing sets them.
inline constexpr int kAccessLevelUser = 0;

// The level a start-up switch word (the argument without its "/") gives:
// compared whole and case-sensitively; none for any other word.
std::optional<int> AccessLevelOfSwitch(std::u16string_view word);

class CAccessLevel {
public:
    int Get() const { return m_level; }

    // A start-up switch sets the level as it is, so a later switch may lower
    // an earlier one; only start-up calls this, before any window exists.
    void ApplyStartupLevel(int level) { m_level = level; }

    // The access-code command: true when the code raised the level (the
    // caller then broadcasts the change); a wrong code, or one that would not
    // raise the level, changes nothing.
    bool EnterAccessCode(std::u16string_view code);

    // What the controller-initialisation command does at this level.
    enum class ControllerInit { Open, AskForCode, Nothing };
    ControllerInit ControllerInitAccess() const;
    // The code that opens controller initialisation when one is asked for.
    static bool IsControllerInitCode(std::u16string_view code);

private:
    int m_level = kAccessLevelUser;
};

// What the windows gate by the level.

// Menu item "controller initialisation" is present at levels 1 and 5.
bool ShowsControllerInitItem(int level);
// Point initialisation: any level for most models; for a pulse-train model
// (model text containing "LB") only at levels 1 and 5.
bool CanInitPoints(int level, const CString& modelText);
// Trip-data and running-time initialisation: level 5 only.
bool CanInitTripAndTime(int level);
// The extra parameter group of the tree (item kind 7): level 2 or more.
bool ShowsExpertTreeItem(int level);
// The point-table item of an offline window of a pulse-train controller:
// built at levels 1 and 5, added by the level broadcast at 5.
bool ShowsOfflinePulseTrainPointItem(int level);
// Closing every window with Ctrl held closes without asking to save at 4 and 5.
bool ClosesWithoutAsking(int level, bool ctrlHeld);
// The communication-settings button of the connection dialogs: 3, 4 and 5.
bool ShowsCommSettingsButton(int level);
