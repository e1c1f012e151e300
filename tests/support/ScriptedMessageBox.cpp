#include "tests/support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

namespace {

std::string Describe(const platform::MessageBoxRequest& request)
{
    return "\"" + request.caption.ToUtf8() + "\": \"" + request.text.ToUtf8() + "\"";
}

}  // namespace

ScriptedMessageBox::ScriptedMessageBox() : m_previous(platform::SetMessageBoxService(this)) {}

ScriptedMessageBox::~ScriptedMessageBox()
{
    platform::SetMessageBoxService(m_previous);
    std::lock_guard lock(m_mutex);
    for (const Expected& e : m_expected) {
        ADD_FAILURE() << "a message box answered with " << e.result << " was expected but never shown"
                      << (e.textPart.empty() ? "" : " (text with \"" + CString(e.textPart).ToUtf8() + "\")");
    }
}

ScriptedMessageBox& ScriptedMessageBox::Answer(int result, std::u16string textPart)
{
    std::lock_guard lock(m_mutex);
    m_expected.push_back(Expected{result, std::move(textPart)});
    return *this;
}

std::vector<ScriptedMessageBox::Box> ScriptedMessageBox::Shown() const
{
    std::lock_guard lock(m_mutex);
    return m_shown;
}

std::size_t ScriptedMessageBox::PendingAnswers() const
{
    std::lock_guard lock(m_mutex);
    return m_expected.size();
}

int ScriptedMessageBox::Show(const platform::MessageBoxRequest& request)
{
    std::lock_guard lock(m_mutex);
    m_shown.push_back(Box{request.owner, request.text, request.caption, request.type});
    if (m_expected.empty()) {
        ADD_FAILURE() << "unexpected message box " << Describe(request);
        return CancellingAnswer(request.type);
    }
    const Expected expected = m_expected.front();
    m_expected.pop_front();
    if (!expected.textPart.empty() && request.text.view().find(expected.textPart) == std::u16string_view::npos) {
        ADD_FAILURE() << "message box " << Describe(request) << " does not contain \""
                      << CString(expected.textPart).ToUtf8() << "\"";
        return CancellingAnswer(request.type);
    }
    return expected.result;
}

int ScriptedMessageBox::CancellingAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
    case MB_CANCELTRYCONTINUE:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDOK;
    }
}
