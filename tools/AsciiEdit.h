// An edit that takes only 7-bit characters and no comma: names and addresses
// that go to a controller as one field of a command line. Typed characters
// of 128 and above and commas are swallowed; a paste whose text holds one is
// refused whole; text that arrives by any other way (an input method) has
// those characters taken out again.
#pragma once

#include "platform/ui/Edit.h"

class CAsciiEdit : public CEdit {
public:
    CAsciiEdit() = default;

    // Whether the character may stand in the edit.
    static bool IsAllowed(char16_t ch);
    // Whether a text may be pasted: allowed characters only.
    static bool IsAllowedText(const CString& strText);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg BOOL OnUpdate();
    DECLARE_MESSAGE_MAP()

private:
    bool m_bCleaning = false;
};
