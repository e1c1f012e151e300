// The alarm history as the alarm dialog and the alarm transport keep it: the
// reading of the controller's records, the alarm history file's text (a
// time line, five header lines, one TAB-separated line per record) and its
// parsing back into the rows of the history list.
//
// In memory the text's lines end with "\n"; the file is 8-bit text in the
// ANSI code page with CR LF line ends.
#pragma once

#include "manager/core/AlarmRecord.h"
#include "manager/core/ControllerData.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <array>
#include <ctime>
#include <functional>
#include <vector>

inline constexpr int kAlarmHistoryMaxRecords = 50;
inline constexpr int kAlarmListMaxRecords = 32;
inline constexpr int kAlarmHistoryFields = 11;

// How one query of a record, alarm or warning went.
enum class AlarmQuery { Ok, Failed, TimedOut };

struct AlarmCollection {
    std::vector<AlarmRecord> records;  // in the order read, codes not 0
    bool timedOut = false;             // the caller shows 41006 and stops its worker
};

// Queries index 1, 2, ... up to maxCount and keeps the records until the
// first query that fails or answers code 0.
AlarmCollection CollectAlarmRecords(int maxCount, const std::function<AlarmQuery(int index, AlarmRecord& out)>& query);

// Whether the current-message list shows a message code: 0x40 to 0x4F but 0x41.
bool IsShownMessageCode(BYTE code);

// The time line's text: string 10139 as a strftime format in the C locale
// (English names, whatever the user's locale), without touching the process
// locale. Empty when the result would exceed 127 characters.
CString FormatAlarmTimeText(const std::tm& localTime);
CString CurrentAlarmTimeText();

// The whole history text for a controller: the time line, the CONT, ROBOT,
// IF, VER and DBVER lines, then one line per record with its fields each
// followed by a TAB. messageOf gives a code's message text (empty when the
// code has none). Line breaks and TABs inside a text become blanks, so a
// text can never break the file's lines.
CString BuildAlarmHistoryText(const CString& timeText, const ControllerData& header,
                              const std::vector<AlarmRecord>& records, int positionDecimals,
                              const std::function<CString(BYTE code)>& messageOf);
// The message text of a code from the resource module's alarm table; empty
// when the table has no text for it.
CString AlarmMessageText(BYTE code);

// Reads the controller's history (up to 50 records) and builds its text with
// the current time, the data's header texts and its position decimals (K72).
// A read stopped by a time-out gives an empty text: nothing is to be saved.
struct AlarmHistoryRead {
    CString text;
    bool timedOut = false;
    int recordCount = 0;
};
AlarmHistoryRead ReadAlarmHistoryText(const ControllerData& data,
                                      const std::function<AlarmQuery(int index, AlarmRecord& out)>& queryRecord);

// One line of the history text split into its eleven fields (a line with
// fewer leaves the rest empty).
struct AlarmHistoryRow {
    std::array<CString, kAlarmHistoryFields> fields;
    // Field 1 read as a hexadecimal code; -1 when it is none.
    int Code() const;
};
// The record lines of a history text; empty lines and "//" lines are passed over.
std::vector<AlarmHistoryRow> ParseAlarmHistoryText(const CString& text);
// A history of a pulse-train controller shows no N-value column.
bool HidesNValueColumn(const CString& text);

// Writes the text converted to the ANSI code page with CR LF line ends,
// through a temporary file renamed over the target: a failed write leaves
// the old file whole. True also for an empty text.
bool SaveAlarmHistoryFile(const CString& path, const CString& text);
// Reads the file line by line, each line followed by "\n". False, with text
// empty, when the file cannot be read.
bool LoadAlarmHistoryFile(const CString& path, CString& text);

// The name the save dialog proposes for a window title: "*" removed, every
// ":" made "=".
CString AlarmFileNameFromTitle(const CString& title);
