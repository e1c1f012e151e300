#include "manager/core/DecimalKeyTranslator.h"

#include "manager/core/NumberText.h"

char16_t CDecimalKeyTranslator::TranslateChar(char16_t ch) const
{
    return TranslateChar(ch, GetNumberLocale().decimalSeparator);
}
