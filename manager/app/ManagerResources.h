// What the manager loads first and frees last: its resource module (every
// string, table, dialog and menu id is looked up there) and the two
// parameter definition tables read from it. Freed in the order the program
// ends: table 0, table 1, then the module.
#pragma once

#include "manager/core/ParamDef.h"
#include "platform/core/WinTypes.h"

inline constexpr char16_t kManagerResourceModule[] = u"resource.dll";

class CManagerResources {
public:
    CManagerResources() = default;
    ~CManagerResources() { Release(); }
    CManagerResources(const CManagerResources&) = delete;
    CManagerResources& operator=(const CManagerResources&) = delete;

    // Loads the module and makes it the current resource module. Without it
    // nothing can be shown in the user's language: a fixed English message
    // (error icon) says so and the program is to end.
    bool LoadModule(const char16_t* name = kManagerResourceModule);
    bool IsLoaded() const { return m_module != nullptr; }

    // Loads table 0 and table 1; false when either is missing.
    bool LoadParamDefTables();
    // Table 0, or 1 (pulse-train models); null when not loaded.
    const ParamDefTable* Table(int number) const;

    // Frees the tables and the module and puts the program's own resources
    // back as current; nothing for what is not loaded.
    void Release();

private:
    HMODULE m_module = nullptr;
    HMODULE m_previous = nullptr;
    ParamDefTableSlot m_tables[2];
};

// The message shown when the resource module is missing.
extern const char16_t kResourceModuleMissingText[];
