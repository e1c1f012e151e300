// The motion settings file (".mos"): the motion list's type and, for each
// motion, its start, end and dwell texts, in an ini file:
//
//   [Motion Setting File]
//   AppVer=1.2.2
//   [Setting Data]
//   MotionType=0
//   MotionData1=P2,P3,0
//   MotionData2=P3,P4,500
//
// Saving is all or nothing: the keys are written into a copy of the file
// that replaces it only when every write succeeded, so a failed save leaves
// the old file whole. Reading checks the whole file before anything is
// handed back, so a bad file never costs the user the list they have.
#pragma once

#include "platform/core/CString.h"
#include "simulator/core/MotionList.h"

#include <string_view>
#include <vector>

inline constexpr char16_t kMotionFileSection[] = u"Motion Setting File";
inline constexpr char16_t kMotionDataSection[] = u"Setting Data";

// One motion as the file gives it; the start is empty where the list fills
// it (continuous type, from motion 2: the previous end).
struct MotionEntry {
    CString start;
    CString end;
    CString dwell;

    friend bool operator==(const MotionEntry&, const MotionEntry&) = default;
};

struct MotionSettings {
    MotionMode mode = MotionMode::kContinuous;
    std::vector<MotionEntry> entries;
};

// A number as the file holds it: digits, a sign only first, and with
// decimals allowed one full stop. A sign alone passes; an empty text, a blank
// or any other character fails.
bool IsNumberText(std::u16string_view text, bool decimalsAllowed);
// A start or end of a motion: "P" and a whole number 1..255, at most four
// characters ("P+5" is point 5); with numberAllowed also a number in mm.
// Blanks around the text are ignored.
bool CheckPointField(const CString& text, bool numberAllowed);
// One "MotionData<row>" value checked into entry; false, entry untouched,
// when the value is not "start,end,dwell" of the accepted forms. A numeric
// start is accepted in every row of the individual type and in row 1 of the
// continuous type.
bool ParseMotionData(int row, const CString& value, MotionMode mode, MotionEntry& entry);
// "start,end,dwell" of a motion of the list; empty when it is no motion.
CString BuildMotionDataValue(const MotionList& list, int row);

// The running program's product version text; empty when it has none.
CString GetAppProductVersion();

// Writes the list into the file (created, or replacing its motion keys while
// other sections stay). False, with the file as it was, on any failure.
bool WriteMotionSettingsFile(const CString& path, const CString& appVersion, const MotionList& list);

enum class MotionFileStatus {
    kOk,
    kUnreadable,    // missing, unreadable, or holding neither section of the file
    kInvalidValue,  // a "MotionData<n>" value is bad; the entries before it are in settings
};
// Reads the file. The type's bit 0 gives the mode; motions are read from
// "MotionData1" up to the first missing or empty value. On kInvalidValue,
// invalidRow (when given) is the bad motion's number.
MotionFileStatus ReadMotionSettingsFile(const CString& path, MotionSettings& settings, int* invalidRow = nullptr);

// Replaces the list by the settings: mode, then each motion added and its
// cells set and committed as typed cells would be.
void LoadMotionSettings(MotionList& list, const MotionSettings& settings, int decimals, char16_t decimalSeparator);
