// Build-time tool: turns an alarm text source (UTF-8) into the binary alarm
// table of a resource module, in the module's code page.
//   MakeAlarmTable <codepage> <source.txt> <table.bin>
#include "manager/core/AlarmText.h"
#include "platform/core/File.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: MakeAlarmTable <codepage> <source.txt> <table.bin>\n");
        return 2;
    }
    const UINT codePage = static_cast<UINT>(std::strtoul(argv[1], nullptr, 10));
    const CString source = CString::FromUtf8(argv[2]);
    const CString target = CString::FromUtf8(argv[3]);

    std::string bytes;
    if (!CFile::ReadAll(source, bytes)) {
        std::fprintf(stderr, "%s: cannot read\n", argv[2]);
        return 1;
    }
    std::string table;
    CString error;
    if (!BuildAlarmTable(CString::FromUtf8(bytes).view(), codePage, table, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], error.ToUtf8().c_str());
        return 1;
    }
    if (!CFile::WriteAll(target, table)) {
        std::fprintf(stderr, "%s: cannot write\n", argv[3]);
        return 1;
    }
    return 0;
}
