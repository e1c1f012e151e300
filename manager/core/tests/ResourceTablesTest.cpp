#include "manager/core/AlarmText.h"
#include "manager/core/ParamDef.h"
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>

namespace {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// The manager's resource module in one language, current for the scope, with
// the ANSI code page that goes with the language.
class ManagerModule {
public:
    explicit ManagerModule(const char* lang)
        : m_codePage(std::string(lang) == "ja" ? CP_SHIFT_JIS : CP_WESTERN)
    {
        ScopedEnv chosen("QV_LANG", lang);
        m_module = LoadLibraryW(u"resource.dll");
        if (m_module) m_current.emplace(m_module);
    }
    ~ManagerModule()
    {
        m_current.reset();
        if (m_module) FreeLibrary(m_module);
    }
    ManagerModule(const ManagerModule&) = delete;
    ManagerModule& operator=(const ManagerModule&) = delete;

    bool Loaded() const { return m_module != nullptr; }

private:
    testfx::AnsiCodePageScope m_codePage;
    HMODULE m_module = nullptr;
    std::optional<platform::ScopedResourceHandle> m_current;
};

const char* const kLanguages[] = {"ja", "en"};

ParamDefTableSlot LoadChecked(int tableNumber)
{
    const auto bytes = platform::FindResourceBytes(u"TEXT", tableNumber == 0 ? kParamDefTableResource0 : kParamDefTableResource1);
    EXPECT_TRUE(bytes.has_value());
    ParamDefTableSlot slot;
    std::vector<int> dropped;
    if (bytes) {
        EXPECT_TRUE(BuildParamDefTable(*bytes, slot, &dropped));
    }
    EXPECT_EQ(dropped, std::vector<int>{}) << "lines the loader refused";
    return slot;
}

std::vector<std::int32_t> Values(const ParamDef* def) { return def ? def->choiceValues : std::vector<std::int32_t>{}; }

const ParamDef* Variant(const ParamDefTable& t, int k, std::int32_t key)
{
    const ParamDef* d = t[static_cast<std::size_t>(KParamIndex(k))].GetVariant(key);
    return d && d->variantKey == key ? d : nullptr;
}

TEST(ManagerTables, BothTablesLoadWholeInBothLanguages)
{
    for (const char* lang : kLanguages) {
        SCOPED_TRACE(lang);
        ManagerModule module(lang);
        ASSERT_TRUE(module.Loaded()) << platform::GetLastModuleError().ToUtf8();
        for (int table = 0; table < 2; ++table) {
            SCOPED_TRACE(testing::Message() << "table " << table);
            ParamDefTableSlot slot;
            ASSERT_TRUE(LoadParamDefTable(slot, table));
            ParamDefTableSlot checked = LoadChecked(table);
            ASSERT_TRUE(checked);
            EXPECT_EQ((*slot)[8].name, std::string(lang) == "ja" ? u"速度オーバーライド" : u"Speed override");
            for (int i = 0; i < kParamCount; ++i) {
                SCOPED_TRACE(i < kKParamCount ? "K" + std::to_string(i + 1) : "H" + std::to_string(i - kKParamCount));
                const ParamDef& d = (*slot)[static_cast<std::size_t>(i)];
                EXPECT_EQ(d.number, i < kKParamCount ? i + 1 : i - kKParamCount);
                EXPECT_FALSE(d.name.IsEmpty());
                EXPECT_EQ(d.variantKey, 0);
                for (const ParamDef* v = &d; v; v = v->next.get()) {
                    EXPECT_NE(std::string("MIOCH").find(v->kind ? v->kind : 'M'), std::string::npos);
                    // Whoever may edit a row may see it.
                    EXPECT_EQ(((v->access & 0xFF) << 8) & ~v->access, 0);
                    if (v->IsList()) {
                        EXPECT_GT(v->ChoiceCount(), 0);
                        EXPECT_EQ(v->maximum, v->ChoiceCount());
                        EXPECT_EQ(std::set<std::int32_t>(v->choiceValues.begin(), v->choiceValues.end()).size(),
                                  v->choiceValues.size());
                        for (const CString& text : v->choiceTexts) EXPECT_FALSE(text.IsEmpty());
                    } else {
                        EXPECT_LE(v->minimum, v->maximum);
                    }
                }
            }
            ParamDefTableSlot again = std::move(slot);
            EXPECT_FALSE(LoadParamDefTable(again, table));  // a held table stays
            FreeParamDefTable(again);
        }
    }
}

TEST(ManagerTables, DefinitionsMatchHowTheWindowsUseThem)
{
    ManagerModule module("en");
    ASSERT_TRUE(module.Loaded());
    for (int table = 0; table < 2; ++table) {
        SCOPED_TRACE(testing::Message() << "table " << table);
        ParamDefTableSlot slot;
        ASSERT_TRUE(LoadParamDefTable(slot, table));
        const ParamDefTable& t = *slot;
        auto k = [&](int n) -> const ParamDef& { return t[static_cast<std::size_t>(KParamIndex(n))]; };

        // Positions in the controller's decimals, ranges given in thousandths.
        for (int n : {1, 2, 3, 7, 8, 11, 16, 54}) {
            SCOPED_TRACE("K" + std::to_string(n));
            EXPECT_EQ(k(n).decimals, kDecimalsFromK72);
            EXPECT_TRUE(k(n).flags & kParamFlagDerivedRange);
        }
        // Ranges taken from other parameters.
        for (int n : {6, 13, 51, 70, 76, 77, 78, 79}) EXPECT_TRUE(k(n).flags & kParamFlagDerivedRange) << "K" << n;
        // The manual dialog: override and jog speed in percent, an inching step of at most 1 mm.
        EXPECT_EQ(std::make_pair(k(9).minimum, k(9).maximum), std::make_pair(1, 100));
        EXPECT_EQ(std::make_pair(k(10).minimum, k(10).maximum), std::make_pair(1, 100));
        EXPECT_EQ(std::make_pair(k(11).minimum, k(11).maximum), std::make_pair(1, 1000));
        // Units the information pane shows them in.
        EXPECT_EQ(k(43).decimals, 3);
        EXPECT_EQ(k(44).decimals, 2);
        EXPECT_EQ(k(47).decimals, 0);
        EXPECT_EQ(std::make_pair(k(38).minimum, k(38).maximum), std::make_pair(0, 15));
        EXPECT_EQ(Values(&k(20)), (std::vector<std::int32_t>{0, 1, 2, 4, 5, 6}));
        EXPECT_EQ(Values(&k(72)), (std::vector<std::int32_t>{2, 3}));
        // The wizard takes K72 as the index of key 1's list plus 2.
        EXPECT_EQ(Values(Variant(t, 72, 1)), (std::vector<std::int32_t>{2, 3}));
        // Choices the wizard selects by index and the information pane shows by value.
        for (int n : {14, 15, 66, 74, 75}) {
            SCOPED_TRACE("K" + std::to_string(n));
            const std::vector<std::int32_t> v = Values(&k(n));
            ASSERT_FALSE(v.empty());
            for (std::size_t i = 0; i < v.size(); ++i) EXPECT_EQ(v[i], static_cast<std::int32_t>(i));
        }
        // Variants the wizard and the grid ask for.
        for (std::int32_t key : {1, 2, 3}) EXPECT_NE(Variant(t, 66, key), nullptr) << "K66 key " << key;
        EXPECT_NE(Variant(t, 74, 1), nullptr);
        for (int n : {123, 124, 125})
            for (std::int32_t key = 0; key <= 10; ++key) EXPECT_NE(Variant(t, n, key), nullptr) << "K" << n << " key " << key;
        for (int n = 1; n <= kKParamCount; ++n) EXPECT_NE(k(n).kind, 'H') << "K" << n << " would show as H";
        for (int n = 0; n < kHParamCount; ++n) EXPECT_EQ(t[static_cast<std::size_t>(HParamIndex(n))].kind, 'H');

        if (table == 0) {
            for (int n = 83; n <= 87; ++n) EXPECT_EQ(k(n).kind, 0) << "K" << n;
            EXPECT_EQ(std::make_pair(Variant(t, 81, 3)->minimum, Variant(t, 81, 3)->maximum), std::make_pair(1, 64));
            EXPECT_EQ(std::make_pair(Variant(t, 81, 4)->minimum, Variant(t, 81, 4)->maximum), std::make_pair(0, 63));
            EXPECT_EQ(Variant(t, 82, 3)->ChoiceCount(), 5);
            EXPECT_EQ(Variant(t, 82, 4)->ChoiceCount(), 3);
            EXPECT_NE(k(82).kind, 0);  // the network row of EtherNet/IP models
        } else {
            // K87 is kept four rows below K83.
            for (int n = 83; n <= 87; ++n) EXPECT_EQ(k(n).kind, k(83).kind) << "K" << n;
            EXPECT_NE(k(83).kind, 0);
            EXPECT_EQ(Values(&k(83)), (std::vector<std::int32_t>{0, 1, 2, 3, 5, 6, 7}));
            const std::vector<std::int32_t> filter = Values(&k(87));
            EXPECT_NE(std::find(filter.begin(), filter.end(), 2), filter.end());
            EXPECT_NE(std::find(filter.begin(), filter.end(), 4), filter.end());
            for (int n = 80; n <= 82; ++n) EXPECT_EQ(k(n).kind, 0) << "K" << n;
        }
    }
}

TEST(ManagerTables, AlarmTextsInBothLanguages)
{
    for (const char* lang : kLanguages) {
        SCOPED_TRACE(lang);
        ManagerModule module(lang);
        ASSERT_TRUE(module.Loaded());
        CString unknown;
        ASSERT_TRUE(unknown.LoadString(kUnknownAlarmStringId));

        AlarmTextRecord found;
        ASSERT_EQ(LoadAlarmText(0x49, found), kAlarmFound);
        EXPECT_EQ(found.code, 0x49);
        EXPECT_FALSE(found.shortText.IsEmpty() || found.longText1.IsEmpty() || found.longText2.IsEmpty());
        if (std::string(lang) == "ja") {
            EXPECT_EQ(found.shortText, u"通信異常");
        }

        AlarmTextRecord missing;
        missing.longText1 = u"kept";
        EXPECT_EQ(LoadAlarmText(0xFE, missing), kAlarmNotFound);
        EXPECT_EQ(missing.shortText, unknown);
        EXPECT_EQ(missing.longText1, u"kept");
    }
}

TEST(ManagerTables, WithoutTheModuleNothingLoads)
{
    // The test program's own resources are current: no tables, no alarms.
    ParamDefTableSlot slot;
    EXPECT_FALSE(LoadParamDefTable(slot, 0));
    EXPECT_FALSE(slot);
    AlarmTextRecord record;
    EXPECT_EQ(LoadAlarmText(1, record), kAlarmTableMissing);

    ManagerModule module("en");
    ASSERT_TRUE(module.Loaded());
    EXPECT_FALSE(LoadParamDefTable(slot, 2));
    EXPECT_FALSE(slot);
}

}  // namespace
