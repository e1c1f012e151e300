#include "manager/core/DecimalKeyTranslator.h"

#include <gtest/gtest.h>

namespace {

TEST(DecimalKey, KeypadTypesTheLocaleSeparator)
{
    struct Row {
        const char* name;
        UINT keyDown;
        char16_t ch, separator, typed;
    };
    const Row rows[] = {
        {"keypad decimal, comma locale", 110, u'.', u',', u','},
        {"main full stop, comma locale", 190, u'.', u',', u'.'},
        {"keypad decimal, point locale", 110, u'.', u'.', u'.'},
        {"unknown separator", 110, u'.', 0, u'.'},
        {"other characters pass", 110, u'5', u',', u'5'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CDecimalKeyTranslator keys;
        keys.OnKeyDown(row.keyDown);
        EXPECT_EQ(keys.TranslateChar(row.ch, row.separator), row.typed);
    }
}

}  // namespace
