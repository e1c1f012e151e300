// Binary and text files.
//
// CStdioFile reads and writes text line by line in one code page (the ANSI
// code page unless told otherwise): lines are written with CR LF and read with
// CR LF or LF. A file opened with modeAtomic is written to a temporary file
// beside it and renamed over the old one by Close(), so a failed or abandoned
// write never leaves a half-written file; a file that is destroyed without
// Close() is discarded. Nothing here throws: failures are results.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CodePage.h"

#include <cstdio>
#include <string>
#include <vector>

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyNone = 0x0040,
        shareDenyWrite = 0x0020,
        shareExclusive = 0x0010,
        modeNoTruncate = 0x2000,
        modeCreate = 0x1000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        // Write to a temporary file and rename it over the target on Close().
        modeAtomic = 0x100000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    virtual BOOL Open(const char16_t* path, UINT flags);
    // Closes the file; for modeAtomic, commits it. FALSE when anything written
    // could not be stored (the target is then unchanged for modeAtomic).
    virtual BOOL Close();
    // Drops the file; for modeAtomic the target stays as it was.
    void Abort();

    UINT Read(void* buffer, UINT count);
    BOOL Write(const void* buffer, UINT count);
    LONGLONG Seek(LONGLONG offset, SeekPosition from);
    ULONGLONG GetLength() const;
    ULONGLONG GetPosition() const;
    BOOL Flush();

    bool IsOpen() const { return m_file != nullptr; }
    // True once any read or write failed since Open.
    bool Failed() const { return m_failed; }
    const CString& GetFilePath() const { return m_path; }

    // Whole-file helpers. WriteAll replaces the file atomically.
    static bool ReadAll(const char16_t* path, std::string& bytes);
    static bool WriteAll(const char16_t* path, const std::string& bytes);

protected:
    std::FILE* m_file = nullptr;
    bool m_failed = false;

private:
    CString m_path;
    std::string m_tempPath;  // set while writing atomically
    std::string m_targetPath;
};

class CStdioFile : public CFile {
public:
    CStdioFile() = default;
    explicit CStdioFile(UINT codePage) : m_codePage(codePage) {}

    BOOL Open(const char16_t* path, UINT flags) override;
    BOOL Open(const char16_t* path, UINT flags, UINT codePage);

    // Reads the next line without its line end; FALSE at the end of the file
    // when nothing was read. A multi-byte character is never split.
    BOOL ReadString(CString& line);
    // Writes the text; each "\n" is written as CR LF.
    void WriteString(const char16_t* text);

    void SetCodePage(UINT codePage) { m_codePage = codePage; }
    UINT GetCodePage() const { return m_codePage; }

private:
    UINT m_codePage = CP_ACP;
};

namespace platform {

// Reads a whole text file in a code page into lines (CR LF or LF).
bool ReadTextLines(const char16_t* path, std::vector<CString>& lines, UINT codePage = CP_ACP);
// Writes lines with CR LF after each, atomically.
bool WriteTextLines(const char16_t* path, const std::vector<CString>& lines, UINT codePage = CP_ACP);

// File-system helpers on paths with either separator.
bool FileExists(const char16_t* path);
bool DirectoryExists(const char16_t* path);
bool DeleteFilePath(const char16_t* path);
// Native (UTF-8, '/' separated) form of a path for the C library.
std::string NativePath(const char16_t* path);

}  // namespace platform
