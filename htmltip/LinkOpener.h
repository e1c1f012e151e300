// Opens links with the desktop's handler: the opener program is started with
// an argument vector (never through a shell), so nothing in the link is ever
// read as a command.
#pragma once

#include "htmltip/HtmlServices.h"

namespace htmltip {

class XdgLinkOpener : public IHtmlLinkOpener {
public:
    static constexpr const char16_t* kDefaultProgram = u"/usr/bin/xdg-open";

    explicit XdgLinkOpener(CString program = kDefaultProgram) : m_program(std::move(program)) {}

    // kOpenSucceeded when the opener started. An empty target, or one that the
    // opener would take as an option ("-..."), is refused.
    int Open(const CString& target, int showCommand) override;

    // The opener all drawers use unless they are given another.
    static XdgLinkOpener& Default();

private:
    CString m_program;
};

}  // namespace htmltip
