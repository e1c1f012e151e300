#include "platform/core/File.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string NativePath(const char16_t* path)
{
    std::string native = FromWide(path ? std::u16string_view(path) : std::u16string_view(), CP_UTF8);
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

bool FileExists(const char16_t* path)
{
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const char16_t* path)
{
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFilePath(const char16_t* path) { return ::unlink(NativePath(path).c_str()) == 0; }

bool ReadTextLines(const char16_t* path, std::vector<CString>& lines, UINT codePage)
{
    CStdioFile file(codePage);
    if (!file.Open(path, CFile::modeRead | CFile::typeText)) return false;
    lines.clear();
    CString line;
    while (file.ReadString(line)) lines.push_back(line);
    const bool ok = !file.Failed();
    file.Close();
    return ok;
}

bool WriteTextLines(const char16_t* path, const std::vector<CString>& lines, UINT codePage)
{
    CStdioFile file(codePage);
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::modeAtomic | CFile::typeText)) return false;
    for (const auto& line : lines) {
        file.WriteString(line);
        file.WriteString(u"\n");
    }
    return file.Close() != FALSE;
}

}  // namespace platform

CFile::~CFile()
{
    // An atomic file that was not closed explicitly is abandoned, never committed.
    Abort();
}

BOOL CFile::Open(const char16_t* path, UINT flags)
{
    Abort();
    m_failed = false;
    m_path = path ? path : u"";
    const std::string native = platform::NativePath(path);
    if (native.empty()) return FALSE;

    const UINT access = flags & 3;
    const bool create = (flags & modeCreate) != 0;
    const bool keep = (flags & modeNoTruncate) != 0;
    const bool atomic = (flags & modeAtomic) != 0 && access != modeRead;

    if (atomic) {
        std::string tmpl = native + ".tmp-XXXXXX";
        const int fd = ::mkstemp(tmpl.data());
        if (fd < 0) return FALSE;
        // Keep the permissions of the file being replaced.
        struct stat st {};
        ::fchmod(fd, ::stat(native.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
        m_file = ::fdopen(fd, access == modeReadWrite ? "w+b" : "wb");
        if (!m_file) {
            ::close(fd);
            ::unlink(tmpl.c_str());
            return FALSE;
        }
        if (keep) {
            // Start from the old content so that an append behaves as expected.
            std::FILE* old = std::fopen(native.c_str(), "rb");
            if (old) {
                char buf[8192];
                std::size_t n;
                while ((n = std::fread(buf, 1, sizeof buf, old)) > 0) {
                    if (std::fwrite(buf, 1, n, m_file) != n) m_failed = true;
                }
                std::fclose(old);
            }
        }
        m_tempPath = tmpl;
        m_targetPath = native;
        return TRUE;
    }

    const char* mode = "rb";
    if (access == modeRead) {
        mode = "rb";
    } else if (create && !keep) {
        mode = access == modeReadWrite ? "w+b" : "wb";
    } else {
        // Write into an existing file, creating it when asked.
        if (create) {
            const int fd = ::open(native.c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd < 0) return FALSE;
            ::close(fd);
        }
        mode = "r+b";
    }
    m_file = std::fopen(native.c_str(), mode);
    if (!m_file) return FALSE;
    if ((flags & modeNoTruncate) && access != modeRead) std::fseek(m_file, 0, SEEK_END);
    return TRUE;
}

BOOL CFile::Close()
{
    if (!m_file) return FALSE;
    bool ok = !m_failed;
    if (std::fflush(m_file) != 0) ok = false;
    if (!m_tempPath.empty()) {
        if (ok && ::fsync(::fileno(m_file)) != 0) ok = false;
        if (std::fclose(m_file) != 0) ok = false;
        m_file = nullptr;
        if (ok && ::rename(m_tempPath.c_str(), m_targetPath.c_str()) != 0) ok = false;
        if (!ok) ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
        m_targetPath.clear();
        return ok ? TRUE : FALSE;
    }
    if (std::fclose(m_file) != 0) ok = false;
    m_file = nullptr;
    return ok ? TRUE : FALSE;
}

void CFile::Abort()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
        m_targetPath.clear();
    }
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (!m_file || !buffer) return 0;
    const std::size_t n = std::fread(buffer, 1, count, m_file);
    if (n < count && std::ferror(m_file)) m_failed = true;
    return static_cast<UINT>(n);
}

BOOL CFile::Write(const void* buffer, UINT count)
{
    if (!m_file) return FALSE;
    if (count == 0) return TRUE;
    if (!buffer || std::fwrite(buffer, 1, count, m_file) != count) {
        m_failed = true;
        return FALSE;
    }
    return TRUE;
}

LONGLONG CFile::Seek(LONGLONG offset, SeekPosition from)
{
    if (!m_file) return -1;
    const int whence = from == begin ? SEEK_SET : (from == current ? SEEK_CUR : SEEK_END);
    if (::fseeko(m_file, static_cast<off_t>(offset), whence) != 0) return -1;
    return static_cast<LONGLONG>(::ftello(m_file));
}

ULONGLONG CFile::GetLength() const
{
    if (!m_file) return 0;
    std::fflush(m_file);
    struct stat st {};
    if (::fstat(::fileno(m_file), &st) != 0) return 0;
    return static_cast<ULONGLONG>(st.st_size);
}

ULONGLONG CFile::GetPosition() const
{
    if (!m_file) return 0;
    const off_t p = ::ftello(m_file);
    return p < 0 ? 0 : static_cast<ULONGLONG>(p);
}

BOOL CFile::Flush()
{
    if (!m_file) return FALSE;
    if (std::fflush(m_file) != 0) {
        m_failed = true;
        return FALSE;
    }
    return TRUE;
}

bool CFile::ReadAll(const char16_t* path, std::string& bytes)
{
    CFile file;
    if (!file.Open(path, modeRead)) return false;
    bytes.clear();
    char buf[65536];
    UINT n;
    while ((n = file.Read(buf, sizeof buf)) > 0) bytes.append(buf, n);
    const bool ok = !file.Failed();
    file.Close();
    return ok;
}

bool CFile::WriteAll(const char16_t* path, const std::string& bytes)
{
    CFile file;
    if (!file.Open(path, modeCreate | modeWrite | modeAtomic)) return false;
    file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    return file.Close() != FALSE;
}

BOOL CStdioFile::Open(const char16_t* path, UINT flags) { return CFile::Open(path, flags); }

BOOL CStdioFile::Open(const char16_t* path, UINT flags, UINT codePage)
{
    m_codePage = codePage;
    return CFile::Open(path, flags);
}

BOOL CStdioFile::ReadString(CString& line)
{
    line.Empty();
    if (!m_file) return FALSE;
    std::string bytes;
    int c;
    bool any = false;
    while ((c = std::fgetc(m_file)) != EOF) {
        any = true;
        if (c == '\n') break;
        bytes.push_back(static_cast<char>(c));
    }
    if (std::ferror(m_file)) m_failed = true;
    if (!any) return FALSE;
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    line = CString(platform::ToWide(bytes, m_codePage));
    return TRUE;
}

void CStdioFile::WriteString(const char16_t* text)
{
    if (!m_file || !text) return;
    std::u16string expanded;
    for (const char16_t* p = text; *p; ++p) {
        if (*p == u'\n') expanded.push_back(u'\r');
        expanded.push_back(*p);
    }
    const std::string bytes = platform::FromWide(expanded, m_codePage);
    Write(bytes.data(), static_cast<UINT>(bytes.size()));
}
