// The tools library's frame: its own module, the language library that every
// exported dialog swaps in as the resource module while it lives, and the
// path of the library's settings files.
//
//   CLangLibrarySwap m_lang;                 // member of an exported dialog
//   INT_PTR DoModal() {
//       if (!m_lang.Load()) return 0;        // "Failed to load ..." was shown
//       return CDialog::DoModal();           // resources come from the language library
//   }                                        // the destructor puts the previous module back
#pragma once

#include "platform/core/CString.h"

// The language library of the tools library's windows: dialogs, strings and
// trace-target tables.
inline constexpr const char16_t* kLangLibraryName = u"ZeblLangLib.dll";

// The tools library's own module handle (its about box reads its version).
HMODULE GetLibraryModule();

// Loads a library of the running program's folder (never a search path).
// Shows "Failed to load %s" with the name and returns null when it cannot.
HMODULE LoadLangLibrary(const CString& strFileName);
// Frees a library that LoadLangLibrary returned; nothing for null.
void FreeLangLibrary(HMODULE hModule);

// The language-library swap of one exported dialog: Load() loads the library
// and makes it the current resource module; the destructor (or Restore())
// puts the previous module back and then frees the library, so no lookup is
// ever served by a freed module.
class CLangLibrarySwap {
public:
    explicit CLangLibrarySwap(const char16_t* fileName = kLangLibraryName) : m_strFileName(fileName) {}
    ~CLangLibrarySwap() { Restore(); }
    CLangLibrarySwap(const CLangLibrarySwap&) = delete;
    CLangLibrarySwap& operator=(const CLangLibrarySwap&) = delete;

    // TRUE when the library is (already) swapped in; FALSE after the message.
    BOOL Load();
    void Restore();
    BOOL IsLoaded() const { return m_hLangLib ? TRUE : FALSE; }
    HMODULE GetModule() const { return m_hLangLib; }

private:
    CString m_strFileName;
    HMODULE m_hLangLib;
    HMODULE m_hPrevResource;
};

// Full path of a settings file of the library ("rtt.ini", "kxt.ini") in the
// settings folder, which is created when missing; empty when there is none.
CString GetToolsSettingsPath(const CString& strFileName);
