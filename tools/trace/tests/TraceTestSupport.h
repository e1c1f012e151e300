// Small helpers shared by the trace dialogs' tests.
#pragma once

#include "tests/support/ui/UiTest.h"

#include "tools/trace/KXWatcherDlg.h"

#include "resources/tools/trace_ids.h"
#include "resources/tools/trdfile_ids.h"

#include "platform/core/CodePage.h"

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace tracetest {

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The machine's code page for the language: the target tables are 8-bit text.
class CodePageScope {
public:
    explicit CodePageScope(UINT cp) : m_saved(platform::GetAnsiCodePage()) { platform::SetAnsiCodePage(cp); }
    ~CodePageScope() { platform::SetAnsiCodePage(m_saved); }
    CodePageScope(const CodePageScope&) = delete;
    CodePageScope& operator=(const CodePageScope&) = delete;

private:
    UINT m_saved;
};

// A command of a trace window that opens a modal dialog (the file dialogs,
// the about box), and the script against that dialog.
inline void RunCommandDialog(CKXWatcherDlg& window, HWND hwnd, UINT command,
                             const std::function<void(uitest::DialogDriver&)>& script)
{
    uitest::RunModal(
        [hwnd, command] {
            ::SendMessageW(hwnd, WM_COMMAND, command, 0);
            return static_cast<INT_PTR>(IDOK);
        },
        [&window, hwnd] {
            const HWND active = ::GetActiveWindow();
            return window.IsModalOpen() && active && active != hwnd ? active : HWND();
        },
        script);
}

// Save As of a trace window through its trace file dialog: the path typed
// over the name the dialog offers, then OK. The name offered is returned.
inline CString SaveTraceAs(CKXWatcherDlg& window, HWND hwnd, const CString& path)
{
    CString offered;
    RunCommandDialog(window, hwnd, ID_KXW_FILE_SAVEAS, [&](uitest::DialogDriver& file) {
        offered = file.Text(IDC_TRDF_NAME);
        file.Retype(IDC_TRDF_NAME, path.GetString());
        file.Click(IDOK);
    });
    return offered;
}

// File Open of a trace window through its trace file dialog: the path typed
// as the name, the new-viewer box as asked (when it can be changed), OK.
inline void OpenTraceFile(CKXWatcherDlg& window, HWND hwnd, const CString& path, bool viewer)
{
    RunCommandDialog(window, hwnd, ID_KXW_FILE_OPEN, [&](uitest::DialogDriver& file) {
        file.Retype(IDC_TRDF_NAME, path.GetString());
        if ((file.Check(IDC_TRDF_NEW_VIEWER) != 0) != viewer && file.Enabled(IDC_TRDF_NEW_VIEWER))
            file.Click(IDC_TRDF_NEW_VIEWER);
        file.Click(IDOK);
    });
}

// A menu or tool-bar command to the window.
inline void Command(uitest::DialogDriver& d, UINT id) { ::SendMessageW(d.Dialog(), WM_COMMAND, id, 0); }

}  // namespace tracetest
