#include "manager/app/Language.h"
#include "manager/app/ManagerResources.h"
#include "manager/app/ManagerStartup.h"
#include "manager/app/RequiredFiles.h"
#include "manager/app/SingleInstanceGuard.h"
#include "resources/manager/resource_ids.h"
#include "tests/support/ScriptedMessageBox.h"

#include "AppFixtures.h"

#include <gtest/gtest.h>

#include <set>
#include <unistd.h>

namespace {

// A name no other test or program of the user uses.
CString UniqueAppName(const char* tag)
{
    return CString::FromUtf8(std::string("QvGuardTest-") + tag + "-" + std::to_string(::getpid()));
}

TEST(SingleInstanceGuard, SecondGuardIsRefusedUntilTheFirstEnds)
{
    const CString app = UniqueAppName("second");
    {
        CSingleInstanceGuard first;
        ASSERT_EQ(first.Acquire(app), CSingleInstanceGuard::Result::First);
        EXPECT_TRUE(first.IsHeld());
        CSingleInstanceGuard second;
        EXPECT_EQ(second.Acquire(app), CSingleInstanceGuard::Result::AlreadyRunning);
        EXPECT_FALSE(second.IsHeld());
        // The refused guard closed its handle: a third one is still refused.
        CSingleInstanceGuard third;
        EXPECT_EQ(third.Acquire(app), CSingleInstanceGuard::Result::AlreadyRunning);
        // Another program's name is free.
        CSingleInstanceGuard other;
        EXPECT_EQ(other.Acquire(UniqueAppName("other")), CSingleInstanceGuard::Result::First);
    }
    CSingleInstanceGuard again;
    EXPECT_EQ(again.Acquire(app), CSingleInstanceGuard::Result::First);
}

TEST(SingleInstanceGuard, NameIsSharedWithTheUsersOtherProcesses)
{
    EXPECT_EQ(CSingleInstanceGuard::MutexName(u"Quorvane"), u"Global\\Quorvane");
}

TEST(SingleInstanceGuard, AGuardHeldByAnotherProcessRefuses)
{
    const CString app = UniqueAppName("child");
    int ready[2];
    int finish[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(finish), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CSingleInstanceGuard guard;
        const char result = guard.Acquire(app) == CSingleInstanceGuard::Result::First ? '1' : '0';
        (void)!::write(ready[1], &result, 1);
        char done = 0;
        (void)!::read(finish[0], &done, 1);
        ::_exit(0);
    }
    char result = 0;
    ASSERT_EQ(::read(ready[0], &result, 1), 1);
    EXPECT_EQ(result, '1');
    {
        CSingleInstanceGuard guard;
        EXPECT_EQ(guard.Acquire(app), CSingleInstanceGuard::Result::AlreadyRunning);
    }
    (void)!::write(finish[1], "x", 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    for (int fd : {ready[0], ready[1], finish[0], finish[1]}) ::close(fd);
    // The other process has gone, and with it its hold.
    CSingleInstanceGuard guard;
    EXPECT_EQ(guard.Acquire(app), CSingleInstanceGuard::Result::First);
}

TEST(Language, FromStringOneHundredTen)
{
    EXPECT_EQ(LanguageOfText(u"JPN"), kLanguageJapanese);
    EXPECT_EQ(LanguageOfText(u"ENG"), kLanguageEnglish);
    EXPECT_EQ(LanguageOfText(u"eng"), kLanguageOther);
    EXPECT_EQ(LanguageOfText(u"JPN "), kLanguageOther);
    EXPECT_EQ(LanguageOfText(u""), kLanguageOther);
    {
        appfx::ManagerModule module("ja");
        ASSERT_TRUE(module.Loaded());
        EXPECT_EQ(LoadManagerLanguage(), kLanguageJapanese);
    }
    appfx::ManagerModule module("en");
    ASSERT_TRUE(module.Loaded());
    EXPECT_EQ(LoadManagerLanguage(), kLanguageEnglish);
}

class RequiredFilesTest : public testing::Test {
protected:
    appfx::ManagerModule m_module{"en"};
    ScriptedMessageBox m_boxes;
    std::vector<RequiredFile> m_files = ManagerRequiredFiles(u"/nowhere/quorvane-help.html");

    // A locator that finds everything but the names given.
    RequiredFileLocator AllBut(std::set<std::u16string> missing)
    {
        return [missing](const RequiredFile& f) { return missing.count(f.name.str()) == 0; };
    }
};

TEST_F(RequiredFilesTest, ListsThePlatformNamesInOrder)
{
    std::vector<CString> names;
    for (const RequiredFile& f : m_files) names.push_back(f.name);
    const std::vector<CString> expected = {u"libplatform-core.so", u"libplatform-ui.so", u"ZeblLangLib.dll",
                                           u"Tarnwell.dll", u"PellarunLib.dll", u"Halvisk.dll",
                                           u"/nowhere/quorvane-help.html", u"YvekInitParameter.rid", u"pellarun"};
    EXPECT_EQ(names, expected);
    const UINT warnings[] = {0, 0, 0, 0, 0, 0, IDS_HELP_FILE_MISSING, IDS_DATABASE_FILE_MISSING,
                             IDS_SIMULATOR_MISSING};
    for (std::size_t i = 0; i < m_files.size(); ++i) EXPECT_EQ(m_files[i].warningId, warnings[i]) << i;
    EXPECT_EQ(m_files[5].shownName, u"libHalvisk.so");
}

TEST_F(RequiredFilesTest, FirstMissingRequiredFileStopsWithItsName)
{
    m_boxes.Answer(IDOK, u"libPellarunLib.so");
    EXPECT_FALSE(CheckRequiredFiles(m_files, AllBut({u"PellarunLib.dll", u"Halvisk.dll", u"pellarun"})));
    const auto shown = m_boxes.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].owner, nullptr);
    EXPECT_EQ(shown[0].type & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(shown[0].caption, u"Quorvane - start-up check");
}

TEST_F(RequiredFilesTest, OptionalFilesWarnAndStartUpGoesOn)
{
    m_boxes.Answer(IDOK, u"help file").Answer(IDOK, u"simulator");
    EXPECT_TRUE(CheckRequiredFiles(m_files, AllBut({u"/nowhere/quorvane-help.html", u"pellarun"})));
    const auto shown = m_boxes.Shown();
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& box : shown) EXPECT_EQ(box.type & MB_ICONMASK, MB_ICONWARNING);
}

TEST_F(RequiredFilesTest, NothingMissingShowsNothing)
{
    EXPECT_TRUE(CheckRequiredFiles(m_files, AllBut({})));
    EXPECT_TRUE(m_boxes.Shown().empty());
}

TEST_F(RequiredFilesTest, LocatorLooksBesideTheProgramOnly)
{
    appfx::TempDir dir;
    appfx::Spit(dir.Native("help.html"), "help");
    struct Row {
        const char* name;
        RequiredFile file;
        bool found;
    };
    const Row rows[] = {
        {"library built beside the tests", {RequiredFile::Kind::Module, u"Tarnwell.dll", u"", 0}, true},
        {"library that is nowhere", {RequiredFile::Kind::Module, u"NoSuchLibrary.dll", u"", 0}, false},
        {"platform library", {RequiredFile::Kind::ProgramFile, u"libplatform-core.so", u"", 0}, true},
        {"program file that is nowhere", {RequiredFile::Kind::ProgramFile, u"no-such-program", u"", 0}, false},
        {"a folder part is refused", {RequiredFile::Kind::ProgramFile, u"../bin/libplatform-core.so", u"", 0}, false},
        {"full path", {RequiredFile::Kind::Path, dir.File("help.html"), u"", 0}, true},
        {"full path missing", {RequiredFile::Kind::Path, dir.File("gone.html"), u"", 0}, false},
        {"empty path", {RequiredFile::Kind::Path, u"", u"", 0}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(LocateRequiredFile(row.file), row.found);
    }
}

TEST(ManagerResources, ModuleAndTablesComeAndGoInOrder)
{
    appfx::ScopedEnv english("QV_LANG", "en");
    const HMODULE before = AfxGetResourceHandle();
    {
        CManagerResources resources;
        ASSERT_TRUE(resources.LoadModule());
        EXPECT_NE(AfxGetResourceHandle(), before);
        EXPECT_EQ(appfx::LoadText(IDS_APP_NAME), u"Quorvane");
        EXPECT_EQ(resources.Table(0), nullptr);
        ASSERT_TRUE(resources.LoadParamDefTables());
        ASSERT_NE(resources.Table(0), nullptr);
        ASSERT_NE(resources.Table(1), nullptr);
        EXPECT_EQ(resources.Table(2), nullptr);
        EXPECT_FALSE((*resources.Table(0))[0].name.IsEmpty());
        resources.Release();
        EXPECT_EQ(resources.Table(0), nullptr);
        EXPECT_FALSE(resources.IsLoaded());
        EXPECT_EQ(AfxGetResourceHandle(), before);
        resources.Release();
        // Loaded again, then left to the destructor.
        ASSERT_TRUE(resources.LoadModule());
    }
    EXPECT_EQ(AfxGetResourceHandle(), before);
}

TEST(ManagerResources, MissingModuleSaysSoInPlainEnglish)
{
    ScriptedMessageBox boxes;
    boxes.Answer(IDOK, u"Failed to load resource.dll");
    CManagerResources resources;
    EXPECT_FALSE(resources.LoadModule(u"no-such-resources.dll"));
    EXPECT_FALSE(resources.IsLoaded());
    EXPECT_FALSE(resources.LoadParamDefTables());
    const auto shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type & MB_ICONMASK, MB_ICONERROR);
}

TEST(ManagerStartup, SecondManagerIsToldAndStops)
{
    appfx::ManagerModule module("en");
    ScriptedMessageBox boxes;
    const CString app = UniqueAppName("startup");
    CSingleInstanceGuard first;
    EXPECT_TRUE(GuardSingleInstance(first, app));
    boxes.Answer(IDOK, u"already running");
    CSingleInstanceGuard second;
    EXPECT_FALSE(GuardSingleInstance(second, app));
    EXPECT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(SetUpManagerProfile(false, u"Quorvane").registryKey, u"Software\\Velbrook\\Quorvane");
    EXPECT_FALSE(SetUpManagerProfile(true, u"Quorvane").iniFile.IsEmpty());
}


}  // namespace
