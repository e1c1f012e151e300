#include "platform/core/Paths.h"
#include "platform/core/ResourceModule.h"

#include "SimFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::shared_ptr<const platform::ResourceModule> LoadModule(const char* lang)
{
    CString error;
    return platform::ResourceModule::FromFile(
        platform::JoinPath(platform::GetProgramFolder(), CString::FromUtf8(std::string("pellarun.") + lang + ".qres")),
        error);
}

// The conversions of a format text in order ("%d", "%.*f", ...), "%%" left out.
std::string Conversions(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') continue;
        std::size_t j = i + 1;
        if (j < text.size() && text[j] == u'%') {
            i = j;
            continue;
        }
        while (j < text.size() && std::u16string_view(u"-+ #0123456789.*lhI").find(text[j]) != std::u16string_view::npos)
            ++j;
        if (j < text.size()) out += '%' + CString(std::u16string(text.substr(i + 1, j - i))).ToUtf8() + ' ';
        i = j;
    }
    return out;
}

// Both languages carry the same strings, and every translation takes the
// same arguments in the same order as the Japanese text.
TEST(SimulatorResources, BothLanguagesHaveEveryStringWithTheSameArguments)
{
    const auto ja = LoadModule("ja");
    const auto en = LoadModule("en");
    ASSERT_TRUE(ja);
    ASSERT_TRUE(en);
    const std::vector<platform::ResourceKey> ids = ja->Names(kRtString);
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids, en->Names(kRtString));
    for (const platform::ResourceKey& id : ids) {
        SCOPED_TRACE(id.Number());
        const auto jaText = ja->String(id.Number());
        const auto enText = en->String(id.Number());
        ASSERT_TRUE(jaText && enText);
        EXPECT_FALSE(enText->empty());
        EXPECT_EQ(Conversions(*jaText), Conversions(*enText));
    }
}

}  // namespace
