#include "manager/core/SystemHelpers.h"

#include "platform/core/ComPortNames.h"
#include "platform/core/Messages.h"
#include "platform/core/Paths.h"

void PumpAllMessages() { platform::PumpPendingMessages(); }

void PumpMessages(int n)
{
    for (int i = 0; i < (n < 1 ? 1 : n); ++i) {
        MSG msg;
        if (i > 0 && !PeekMessageW(&msg, HWND(), 0, 0, PM_NOREMOVE)) return;
        if (!platform::PumpOneMessage()) return;
    }
}

bool ProbeComPort(WORD highest, std::vector<int>& ports)
{
    ports = platform::ProbeComPorts(highest);
    return !ports.empty();
}

void UseIniProfile(platform::ProfileStore& store)
{
    const CString program = platform::GetProgramPath();
    store.registryKey.Empty();
    store.iniFile = platform::FolderOf(program) + platform::StemOf(program) + u".ini";
}

void InitOptionSettings(OptionSettings& record)
{
    record[0] = 0;
    record[1] = 1;
    record[2] = 0;
    record[3] = 0;
    record[4] = static_cast<BYTE>((record[4] & ~0x01) | 0x06);
    for (int i = 8; i < kOptionSettingsBytes; ++i) record[static_cast<size_t>(i)] = 0;
}
