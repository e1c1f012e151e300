#include "manager/app/ManagerResources.h"

#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"

const char16_t kResourceModuleMissingText[] =
    u"Failed to load resource.dll. This application has failed to start.\n"
    u"Re-installing the application may fix this problem.";

bool CManagerResources::LoadModule(const char16_t* name)
{
    if (m_module != nullptr) return true;
    const HMODULE module = LoadLibraryW(name);
    if (module == nullptr) {
        MessageBoxW(nullptr, kResourceModuleMissingText, nullptr, MB_OK | MB_ICONERROR);
        return false;
    }
    m_module = module;
    m_previous = AfxGetResourceHandle();
    AfxSetResourceHandle(module);
    return true;
}

bool CManagerResources::LoadParamDefTables()
{
    bool ok = true;
    for (int number = 0; number < 2; ++number) {
        if (!m_tables[number]) ok = LoadParamDefTable(m_tables[number], number) && ok;
    }
    return ok;
}

const ParamDefTable* CManagerResources::Table(int number) const
{
    if (number < 0 || number > 1) return nullptr;
    return m_tables[number].get();
}

void CManagerResources::Release()
{
    FreeParamDefTable(m_tables[0]);
    FreeParamDefTable(m_tables[1]);
    if (m_module == nullptr) return;
    if (AfxGetResourceHandle() == m_module) AfxSetResourceHandle(m_previous);
    FreeLibrary(m_module);
    m_module = nullptr;
    m_previous = nullptr;
}
