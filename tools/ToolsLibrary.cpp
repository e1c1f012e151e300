#include "tools/ToolsLibrary.h"

#include "comm/SettingsFolder.h"

#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/core/Paths.h"
#include "platform/core/ResourceModule.h"

HMODULE GetLibraryModule()
{
    return platform::ModuleFromAddress(reinterpret_cast<const void*>(&GetLibraryModule));
}

HMODULE LoadLangLibrary(const CString& strFileName)
{
    // The host program's folder, not this library's, and nothing else.
    const CString path = platform::JoinPath(platform::GetProgramFolder(), strFileName);
    HMODULE module = LoadLibraryW(path);
    if (!module) {
        CString message;
        message.Format(u"Failed to load %s", strFileName.GetString());
        AfxMessageBox(message, MB_OK | MB_ICONERROR);
    }
    return module;
}

void FreeLangLibrary(HMODULE hModule)
{
    if (hModule) FreeLibrary(hModule);
}

BOOL CLangLibrarySwap::Load()
{
    if (m_hLangLib) return TRUE;
    HMODULE module = LoadLangLibrary(m_strFileName);
    if (!module) return FALSE;
    m_hLangLib = module;
    m_hPrevResource = AfxGetResourceHandle();
    AfxSetResourceHandle(module);
    return TRUE;
}

void CLangLibrarySwap::Restore()
{
    if (!m_hLangLib) return;
    // Only put the previous module back when nobody swapped another in since.
    if (AfxGetResourceHandle() == m_hLangLib) AfxSetResourceHandle(m_hPrevResource);
    FreeLangLibrary(m_hLangLib);
    m_hLangLib = HMODULE();
    m_hPrevResource = HMODULE();
}

CString GetToolsSettingsPath(const CString& strFileName)
{
    CString path;
    if (!GetSettingsFilePath(kSettingsSubFolder, strFileName, path)) return CString();
    return path;
}
