#include "tools/FileVersionReader.h"

#include "platform/core/VersionInfo.h"

#include <cstring>
#include <vector>

namespace {

constexpr const char16_t* kKeys[CFileVersionReader::kEntryCount] = {
    u"CompanyName", u"FileDescription", u"FileVersion",   u"InternalName",    u"LegalCopyright", u"OriginalFileName",
    u"ProductName", u"ProductVersion",  u"Comments",      u"LegalTrademarks", u"PrivateBuild",   u"SpecialBuild"};

struct Translation {
    WORD language;
    WORD codePage;
};

}  // namespace

const char16_t* CFileVersionReader::KeyOf(int nEntry)
{
    return nEntry >= 1 && nEntry <= kEntryCount ? kKeys[nEntry - 1] : u"";
}

void CFileVersionReader::SetEntry(int nEntry, const CString& strText)
{
    if (nEntry >= 1 && nEntry <= kEntryCount) m_strEntry[nEntry - 1] = strText;
}

CString CFileVersionReader::GetEntry(int nEntry) const
{
    return nEntry >= 1 && nEntry <= kEntryCount ? m_strEntry[nEntry - 1] : CString();
}

BOOL CFileVersionReader::Read(const CString& strFilePath)
{
    for (CString& entry : m_strEntry) entry.Empty();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(strFilePath, &handle);
    if (size == 0) return FALSE;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(strFilePath, handle, size, block.data())) return FALSE;

    void* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &translations, &length) || !translations)
        return FALSE;
    std::vector<Translation> pairs(length / sizeof(Translation));
    if (!pairs.empty()) std::memcpy(pairs.data(), translations, pairs.size() * sizeof(Translation));

    for (int entry = 1; entry <= kEntryCount; ++entry) {
        CString value;
        for (const Translation& pair : pairs) {
            CString query;
            query.Format(u"%s%04x%04x%s", u"\\StringFileInfo\\", static_cast<unsigned>(pair.language),
                         static_cast<unsigned>(pair.codePage), (CString(u"\\") + KeyOf(entry)).GetString());
            void* text = nullptr;
            UINT characters = 0;
            if (VerQueryValueW(block.data(), query, &text, &characters) && text) {
                value = CString(static_cast<const char16_t*>(text));
                break;
            }
        }
        SetEntry(entry, value);
    }
    return TRUE;
}
