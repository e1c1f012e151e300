#include "simulator/core/MotionSettingsFile.h"

#include "platform/core/File.h"
#include "platform/core/Paths.h"
#include "platform/core/Profile.h"
#include "platform/core/VersionInfo.h"

#include <string>
#include <unistd.h>

namespace {

bool IsDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }

CString MotionDataKey(int row)
{
    CString key;
    key.Format(u"MotionData%d", row);
    return key;
}

// A copy of the target beside it that is removed whatever happens.
class ScratchCopy {
public:
    explicit ScratchCopy(const CString& target)
    {
        CString name;
        name.Format(u".%s.%d.part", platform::FileNameOf(target).GetString(), static_cast<int>(::getpid()));
        m_path = platform::FolderOf(target) + name;
    }
    ~ScratchCopy() { platform::DeleteFilePath(m_path); }
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;

    const CString& Path() const { return m_path; }

private:
    CString m_path;
};

bool WriteKeys(const CString& file, const CString& appVersion, const MotionList& list)
{
    if (!WritePrivateProfileStringW(kMotionFileSection, u"AppVer", appVersion, file)) return false;
    // Keys of a longer list saved earlier must not survive.
    if (!WritePrivateProfileStringW(kMotionDataSection, nullptr, nullptr, file)) return false;
    if (!platform::WritePrivateProfileInt(kMotionDataSection, u"MotionType", static_cast<int>(list.Mode()), file))
        return false;
    for (int row = 1; row <= kMaxMotions; ++row) {
        const CString value = BuildMotionDataValue(list, row);
        if (value.IsEmpty()) break;
        if (!WritePrivateProfileStringW(kMotionDataSection, MotionDataKey(row), value, file)) return false;
    }
    return true;
}

bool HasSection(const std::vector<CString>& sections, const char16_t* name)
{
    for (const CString& section : sections) {
        if (section.CompareNoCase(name) == 0) return true;
    }
    return false;
}

}  // namespace

bool IsNumberText(std::u16string_view text, bool decimalsAllowed)
{
    if (text.empty()) return false;
    bool point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (IsDigit(ch)) continue;
        if ((ch == u'+' || ch == u'-') && i == 0) continue;
        if (ch == u'.' && decimalsAllowed && !point) {
            point = true;
            continue;
        }
        return false;
    }
    return true;
}

bool CheckPointField(const CString& text, bool numberAllowed)
{
    CString trimmed(text);
    trimmed.Trim(u" \t");
    if (!trimmed.IsEmpty() && trimmed[0] == u'P') {
        if (trimmed.GetLength() > 4) return false;
        const CString number = trimmed.Mid(1);
        if (!IsNumberText(number.view(), false)) return false;
        const long value = WideToLong(number.GetString());
        return value >= 1 && value <= 255;
    }
    return numberAllowed && IsNumberText(trimmed.view(), true);
}

bool ParseMotionData(int row, const CString& value, MotionMode mode, MotionEntry& entry)
{
    if (value.GetLength() <= 3) return false;
    const int first = value.Find(u',');
    if (first < 0) return false;
    const int second = value.Find(u',', first + 1);
    if (second < 0) return false;
    CString start = value.Left(first);
    CString end = value.Mid(first + 1, second - first - 1);
    const CString dwell = value.Mid(second + 1);
    start.Trim(u" \t");
    end.Trim(u" \t");
    const bool numberAllowed = mode == MotionMode::kIndividual || row == 1;
    const bool startOk = CheckPointField(start, numberAllowed);
    const bool endOk = CheckPointField(end, false);
    const bool dwellOk = IsNumberText(dwell.view(), false);
    if (!(startOk && endOk && dwellOk)) return false;
    entry.start = numberAllowed ? start : CString();
    entry.end = end;
    entry.dwell = dwell;
    return true;
}

CString BuildMotionDataValue(const MotionList& list, int row)
{
    if (row < 1 || row > list.Count()) return CString();
    const MotionRow& motion = list.Row(row);
    return motion.start + u"," + motion.end + u"," + motion.dwell;
}

CString GetAppProductVersion()
{
    platform::VersionRecord record;
    if (!platform::ReadVersionRecord(platform::GetProgramPath(), record)) return CString();
    return record.Text(u"ProductVersion");
}

bool WriteMotionSettingsFile(const CString& path, const CString& appVersion, const MotionList& list)
{
    if (path.IsEmpty()) return false;
    std::string bytes;
    if (platform::FileExists(path) && !CFile::ReadAll(path, bytes)) return false;
    ScratchCopy scratch(path);
    if (!CFile::WriteAll(scratch.Path(), bytes)) return false;
    if (!WriteKeys(scratch.Path(), appVersion, list)) return false;
    std::string written;
    if (!CFile::ReadAll(scratch.Path(), written)) return false;
    return CFile::WriteAll(path, written);
}

namespace {

// A continued motion starts where the one before ended, so its start cell is
// not its own. A file naming another start point there would be dropped
// without a word, and the motions run would not be the ones in the file: such
// a file is refused at that row instead.
bool ContinuesThePreviousEnd(int row, const CString& value, const MotionSettings& read)
{
    if (read.mode != MotionMode::kContinuous || row < 2 || read.entries.empty()) return true;
    CString start = value.Left(value.Find(u','));
    start.Trim(u" \t");
    return start == read.entries.back().end;
}

}  // namespace

MotionFileStatus ReadMotionSettingsFile(const CString& path, MotionSettings& settings, int* invalidRow)
{
    std::string bytes;
    if (path.IsEmpty() || !platform::FileExists(path) || !CFile::ReadAll(path, bytes))
        return MotionFileStatus::kUnreadable;
    const std::vector<CString> sections = platform::PrivateProfileSectionNames(path);
    if (!HasSection(sections, kMotionFileSection) && !HasSection(sections, kMotionDataSection))
        return MotionFileStatus::kUnreadable;

    MotionSettings read;
    const int type = platform::ReadPrivateProfileInt(kMotionDataSection, u"MotionType", 0, path);
    read.mode = (type & 1) ? MotionMode::kIndividual : MotionMode::kContinuous;
    MotionFileStatus status = MotionFileStatus::kOk;
    for (int row = 1; row <= kMaxMotions; ++row) {
        const CString value = platform::ReadPrivateProfileString(kMotionDataSection, MotionDataKey(row), u"", path);
        if (value.IsEmpty()) break;
        MotionEntry entry;
        if (!ParseMotionData(row, value, read.mode, entry) || !ContinuesThePreviousEnd(row, value, read)) {
            if (invalidRow) *invalidRow = row;
            status = MotionFileStatus::kInvalidValue;
            break;
        }
        read.entries.push_back(entry);
    }
    settings = std::move(read);
    return status;
}

void LoadMotionSettings(MotionList& list, const MotionSettings& settings, int decimals, char16_t decimalSeparator)
{
    list.Clear();
    list.SetMode(settings.mode);
    int row = 0;
    for (const MotionEntry& entry : settings.entries) {
        if (list.Add() != MotionList::AddResult::kAdded) break;
        ++row;
        const struct {
            int column;
            const CString& text;
        } cells[] = {{kMotionStartColumn, entry.start}, {kMotionEndColumn, entry.end}, {kMotionDwellColumn, entry.dwell}};
        for (const auto& cell : cells) {
            if (cell.column == kMotionStartColumn && list.IsCellLocked(row, cell.column)) continue;
            if (list.SetCellText(row, cell.column, cell.text))
                list.CommitCell(row, cell.column, decimals, decimalSeparator);
        }
    }
}
