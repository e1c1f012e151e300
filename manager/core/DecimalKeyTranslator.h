// The decimal key of the numeric keypad types the user's decimal separator;
// the full stop of the main keyboard stays a full stop. Both programs feed it
// every key-down and character message of their thread, in order.
#pragma once

#include "platform/core/WinTypes.h"

class CDecimalKeyTranslator {
public:
    static constexpr UINT kVkOemPeriod = 190;

    void OnKeyDown(UINT virtualKey) { m_mainPeriodKey = virtualKey == kVkOemPeriod; }
    // The character to type for ch, with the separator of the number locale
    // (NumberText.h); an unknown separator (0) leaves the full stop alone.
    char16_t TranslateChar(char16_t ch) const;
    char16_t TranslateChar(char16_t ch, char16_t separator) const
    {
        if (ch == u'.' && !m_mainPeriodKey && separator != 0) return separator;
        return ch;
    }

private:
    bool m_mainPeriodKey = false;
};
