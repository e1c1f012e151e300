// Version records: each program and library carries its company, product,
// versions, copyright and description texts, compiled into a section
// "qv_version" of its file, and anyone reads them back by file name.
//
// The reader parses the ELF file for that section and never loads or runs
// the file, so reading the version of a file is safe for any file. A module
// declares its record once, in one of its .cpp files (a second record in one
// module does not link):
//
//   QV_VERSION_RECORD("Velbrook", "PellarunLib", "1.0.0.0", "1.0.0",
//                     "Copyright (C) Velbrook", "Motion calculation library",
//                     QV_VERSION_TEXT("Comments", "..."))
//
// or, in CMake, qv_version_record(<target> ...) (cmake/QvResources.cmake).
// Texts are UTF-8 string literals. The version numbers (four 16-bit parts)
// are taken from the FileVersion and ProductVersion texts ("1.2.3.4").
//
// Record layout in the section: "QVVERSION1", NUL, then pairs of key and
// value texts each ended by NUL, then an empty key. Zero bytes around the
// record (padding added by compilers) are ignored.
#pragma once

#include "platform/core/CString.h"

#include <utility>
#include <vector>

#define QV_VERSION_TEXT(key, value) key "\0" value "\0"

#if defined(__has_attribute)
#if __has_attribute(retain)
#define QV_VERSION_RETAIN __attribute__((retain))
#endif
#endif
#ifndef QV_VERSION_RETAIN
#define QV_VERSION_RETAIN
#endif

#define QV_VERSION_RECORD(company, product, fileVersion, productVersion, copyright, description, ...)            \
    extern "C" __attribute__((used, section("qv_version"), visibility("hidden"))) QV_VERSION_RETAIN const char \
        qv_version_record[] = "QVVERSION1\0" QV_VERSION_TEXT("CompanyName", company)                           \
            QV_VERSION_TEXT("ProductName", product) QV_VERSION_TEXT("FileVersion", fileVersion)                 \
                QV_VERSION_TEXT("ProductVersion", productVersion) QV_VERSION_TEXT("LegalCopyright", copyright)  \
                    QV_VERSION_TEXT("FileDescription", description) __VA_ARGS__

namespace platform {

struct VersionRecord {
    WORD fileVersion[4] = {0, 0, 0, 0};
    WORD productVersion[4] = {0, 0, 0, 0};
    std::vector<std::pair<CString, CString>> texts;  // in record order

    // The text under a key (compared without case); empty when missing.
    CString Text(const char16_t* key) const;
    bool Has(const char16_t* key) const;
};

// Reads the record of a file. The name is a path, or a module name found in
// the program folder: "X.dll" is libX.so, "X.exe" is the program X; a file
// name matches without case when no exact one exists. False, with a reason,
// when the file is missing, is no ELF file, or holds no (or more than one)
// record.
bool ReadVersionRecord(const CString& file, VersionRecord& record, CString* error = nullptr);

// The file that a version read of this name looks at; empty when none.
CString ResolveVersionFile(const CString& name);

}  // namespace platform

// The system's version calls over the records. A block holds one translation,
// U.S. English in UTF-16 (0x0409, 1200), under which every text is found:
// "\StringFileInfo\040904b0\ProductVersion"; "\VarFileInfo\Translation" gives
// the pair; "\" gives the fixed numbers. Keys compare without case.
struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

// Size of the block for a file; 0 when it has no record.
DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, DWORD* handle);
// Fills a block of at least the size given above; FALSE when it does not fit.
BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD size, LPVOID data);
// Points into the block: texts with their length in characters including
// the terminator, the translation and the fixed numbers with their size in bytes.
BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length);
