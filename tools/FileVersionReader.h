// The text entries of a program file's version record, for the trace
// window's about box.
#pragma once

#include "platform/core/CString.h"

class CFileVersionReader {
public:
    // Entries 1 to 12, in this order.
    enum Entry {
        kCompanyName = 1,
        kFileDescription,
        kFileVersion,
        kInternalName,
        kLegalCopyright,
        kOriginalFileName,
        kProductName,
        kProductVersion,
        kComments,
        kLegalTrademarks,
        kPrivateBuild,
        kSpecialBuild,
    };
    static constexpr int kEntryCount = 12;

    CFileVersionReader() = default;
    virtual ~CFileVersionReader() = default;

    // Fills every entry from the file's record; all stay empty when the file
    // has none. FALSE then.
    BOOL Read(const CString& strFilePath);
    // Stores an entry; other numbers are ignored.
    void SetEntry(int nEntry, const CString& strText);
    // Empty for other numbers.
    CString GetEntry(int nEntry) const;

    CString GetCompanyName() const { return GetEntry(kCompanyName); }
    CString GetFileDescription() const { return GetEntry(kFileDescription); }
    CString GetFileVersion() const { return GetEntry(kFileVersion); }
    CString GetInternalName() const { return GetEntry(kInternalName); }
    CString GetLegalCopyright() const { return GetEntry(kLegalCopyright); }
    CString GetOriginalFileName() const { return GetEntry(kOriginalFileName); }
    CString GetProductName() const { return GetEntry(kProductName); }
    CString GetProductVersion() const { return GetEntry(kProductVersion); }
    CString GetComments() const { return GetEntry(kComments); }
    CString GetLegalTrademarks() const { return GetEntry(kLegalTrademarks); }
    CString GetPrivateBuild() const { return GetEntry(kPrivateBuild); }
    CString GetSpecialBuild() const { return GetEntry(kSpecialBuild); }

    // The key of an entry in the version record ("CompanyName", ...).
    static const char16_t* KeyOf(int nEntry);

private:
    CString m_strEntry[kEntryCount];
};
