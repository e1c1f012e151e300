// Small helpers shared by the trace dialogs' tests.
#pragma once

#include "tests/support/ui/UiTest.h"

#include "platform/core/CodePage.h"

#include <fstream>
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

// A menu or tool-bar command to the window.
inline void Command(uitest::DialogDriver& d, UINT id) { ::SendMessageW(d.Dialog(), WM_COMMAND, id, 0); }

}  // namespace tracetest
