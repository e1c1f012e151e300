#include "manager/app/AppOptions.h"
#include "manager/app/ConfirmationOptions.h"
#include "manager/app/ManagerSettings.h"
#include "manager/core/DontShowAgain.h"
#include "platform/core/Paths.h"
#include "platform/core/Registry.h"

#include "AppFixtures.h"

#include <gtest/gtest.h>

namespace {

// The registry in a file of the test's own for the scope.
class ScopedRegistry {
public:
    explicit ScopedRegistry(const CString& path) : m_saved(platform::GetRegistryStorePath())
    {
        platform::SetRegistryStorePath(path);
    }
    ~ScopedRegistry() { platform::SetRegistryStorePath(m_saved); }
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;

private:
    CString m_saved;
};

TEST(ManagerProfile, IniBesideTheProgramOrRegistryKey)
{
    const platform::ProfileStore ini = MakeManagerProfileStore(true, u"Velbrook", u"Quorvane");
    EXPECT_TRUE(ini.registryKey.IsEmpty());
    EXPECT_EQ(ini.iniFile, platform::GetProgramFolder() + u"mapp_SettingsTest.ini");

    const platform::ProfileStore reg = MakeManagerProfileStore(false, u"Velbrook", u"Quorvane");
    EXPECT_EQ(reg.registryKey, u"Software\\Velbrook\\Quorvane");
    EXPECT_TRUE(reg.iniFile.IsEmpty());
    EXPECT_EQ(MakeManagerProfileStore(false, u"", u"Quorvane").registryKey, u"Software\\Quorvane");
}

TEST(ManagerProfile, WindowLimit)
{
    EXPECT_TRUE(CanOpenAnotherWindow(0, 20));
    EXPECT_TRUE(CanOpenAnotherWindow(19, 20));
    EXPECT_FALSE(CanOpenAnotherWindow(20, 20));
    EXPECT_FALSE(CanOpenAnotherWindow(25, 20));
    EXPECT_TRUE(CanOpenAnotherWindow(0, 20, 8999));
    EXPECT_FALSE(CanOpenAnotherWindow(0, 20, 9000));
}

TEST(AppOptionsRecord, DefaultsAndToolBarStyle)
{
    AppOptions options;
    const OptionSettings& b = options.Bytes();
    EXPECT_EQ(b[1], 1);
    EXPECT_EQ(b[4], 0x06);
    EXPECT_TRUE(options.RestorePlacement());
    EXPECT_EQ(options.ToolBarIconPixels(), 24);
    EXPECT_TRUE(options.ToolBarTextLabels());

    options.Bytes()[4] = 0xF0;  // bits the tool bar does not use
    EXPECT_EQ(options.ToolBarIconPixels(), 16);
    EXPECT_TRUE(options.SetToolBarIconCode(3));
    EXPECT_EQ(options.ToolBarIconPixels(), 32);
    EXPECT_FALSE(options.SetToolBarIconCode(4));
    EXPECT_FALSE(options.SetToolBarIconCode(0));
    options.SetToolBarTextLabels(true);
    EXPECT_EQ(options.Bytes()[4], 0xF7);
    options.SetToolBarTextLabels(false);
    EXPECT_EQ(options.Bytes()[4], 0xF3);
}

TEST(AppOptionsRecord, PlacementLiesAtByteEightLittleEndian)
{
    AppOptions options;
    StoredWindowPlacement p;
    p.length = 44;
    p.showCommand = 3;
    p.minPosition = {-1, -1};
    p.normalPosition = {10, 20, 1034, 0x01020304};
    options.SetWindowPlacement(p);
    const OptionSettings& b = options.Bytes();
    EXPECT_EQ(b[8], 44);
    EXPECT_EQ(b[16], 3);
    EXPECT_EQ(b[20], 0xFF);
    EXPECT_EQ(b[23], 0xFF);
    EXPECT_EQ(b[48], 0x04);
    EXPECT_EQ(b[51], 0x01);
    EXPECT_EQ(b[52], 0);  // the option value after it is untouched
    const StoredWindowPlacement back = options.WindowPlacement();
    EXPECT_EQ(back.showCommand, 3);
    EXPECT_EQ(back.minPosition.x, -1);
    EXPECT_EQ(back.normalPosition.right, 1034);
    EXPECT_EQ(back.normalPosition.bottom, 0x01020304);
}

class SettingsStores : public testing::Test {
protected:
    appfx::TempDir m_dir;
    ScopedRegistry m_registry{m_dir.File("registry.ini")};

    std::vector<platform::ProfileStore> Stores() const
    {
        return {MakeManagerProfileStore(false, u"Velbrook", u"QuorvaneTest"),
                platform::ProfileStore{CString(), m_dir.File("quorvane.ini")}};
    }
};

TEST_F(SettingsStores, MissingValuesGiveTheDefaults)
{
    for (const auto& store : Stores()) {
        SCOPED_TRACE(store.iniFile.IsEmpty() ? "registry" : "ini file");
        CManagerSettings settings(store);
        AppOptions options;
        const OptionSettings before = options.Bytes();
        EXPECT_FALSE(settings.LoadOptions(options));
        EXPECT_EQ(options.Bytes(), before);
        EXPECT_EQ(settings.LoadChildWindowPlacement(), ChildWindowPlacement{});
        EXPECT_EQ(settings.LoadChildWindowPlacement().state, 5);
        EXPECT_EQ(settings.LoadChildWindowMaxCount(), 20);
        EXPECT_FALSE(settings.LauncherDoNotShowAgain());
    }
}

TEST_F(SettingsStores, ValuesComeBackAsWritten)
{
    for (const auto& store : Stores()) {
        SCOPED_TRACE(store.iniFile.IsEmpty() ? "registry" : "ini file");
        CManagerSettings settings(store);
        AppOptions options;
        options.SetToolBarIconCode(1);
        options.Bytes()[59] = 0xAB;
        ASSERT_TRUE(settings.SaveOptions(options));
        const ChildWindowPlacement placement{3, -8, 0, 640, 480};
        ASSERT_TRUE(settings.SaveChildWindowPlacement(placement));
        ASSERT_TRUE(settings.SaveChildWindowMaxCount(7));
        ASSERT_TRUE(settings.SetLauncherDoNotShowAgain(true));

        CManagerSettings again(store);
        AppOptions read;
        EXPECT_TRUE(again.LoadOptions(read));
        EXPECT_EQ(read.Bytes(), options.Bytes());
        EXPECT_EQ(again.LoadChildWindowPlacement(), placement);
        EXPECT_EQ(again.LoadChildWindowMaxCount(), 7);
        EXPECT_TRUE(again.LauncherDoNotShowAgain());
        ASSERT_TRUE(settings.SetLauncherDoNotShowAgain(false));
        EXPECT_FALSE(again.LauncherDoNotShowAgain());
    }
}

TEST_F(SettingsStores, BadStoredValuesAreNotTaken)
{
    for (const auto& store : Stores()) {
        SCOPED_TRACE(store.iniFile.IsEmpty() ? "registry" : "ini file");
        CManagerSettings settings(store);
        const BYTE shortValue[10] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
        ASSERT_TRUE(platform::WriteProfileBinary(store, kSettingsSection, u"OptionSetting", shortValue, 10));
        AppOptions options;
        const OptionSettings before = options.Bytes();
        EXPECT_FALSE(settings.LoadOptions(options));
        EXPECT_EQ(options.Bytes(), before);

        std::vector<BYTE> longValue(70, 0x11);
        ASSERT_TRUE(platform::WriteProfileBinary(store, kSettingsSection, u"OptionSetting", longValue.data(), 70));
        EXPECT_TRUE(settings.LoadOptions(options));
        EXPECT_EQ(options.Bytes()[59], 0x11);

        for (int stored : {0, -3}) {
            SCOPED_TRACE(stored);
            ASSERT_TRUE(settings.SaveChildWindowMaxCount(stored));
            EXPECT_EQ(settings.LoadChildWindowMaxCount(), kDefaultChildWindowMaxCount);
        }
    }
}

TEST_F(SettingsStores, ConfirmationsAreTheRememberedAnswersTurnedRound)
{
    EXPECT_EQ(LoadConfirmationOptions(), ConfirmationOptions{});
    // Asking again for a question that was never switched off is no failure.
    EXPECT_TRUE(SaveConfirmationOptions(ConfirmationOptions{}));

    ASSERT_TRUE(SaveConfirmationOptions({false, true}));
    EXPECT_EQ(QueryDontShowAgain(kStartTraceButtonKey), 1);
    EXPECT_EQ(QueryDontShowAgain(kStartOriginButtonKey), 0);
    EXPECT_EQ(LoadConfirmationOptions(), (ConfirmationOptions{false, true}));

    ASSERT_TRUE(SaveConfirmationOptions({true, false}));
    EXPECT_EQ(LoadConfirmationOptions(), (ConfirmationOptions{true, false}));
}

}  // namespace
