#include "manager/app/RequiredFiles.h"

#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/core/Paths.h"
#include "platform/core/ResourceModule.h"
#include "resources/manager/resource_ids.h"

namespace {

RequiredFile Module(const char16_t* name, const CString& shownName)
{
    return {RequiredFile::Kind::Module, name, shownName, 0};
}

RequiredFile ProgramFile(const char16_t* name, UINT warningId = 0)
{
    return {RequiredFile::Kind::ProgramFile, name, name, warningId};
}

}  // namespace

std::vector<RequiredFile> ManagerRequiredFiles(const CString& helpFile)
{
    // The language module is resource-only: its file carries the language.
    const CString languageModule = u"ZeblLangLib." + platform::ChooseResourceLanguage() + u".qres";
    CString databaseFile;
    databaseFile.LoadString(IDS_REQUIRED_DATABASE_FILE);
    return {
        // The run-time of this build: the platform layer in place of the
        // class library and language run-time of the original platform.
        ProgramFile(u"libplatform-core.so"),
        ProgramFile(u"libplatform-ui.so"),
        Module(u"ZeblLangLib.dll", languageModule),
        Module(u"Tarnwell.dll", u"libTarnwell.so"),
        Module(u"PellarunLib.dll", u"libPellarunLib.so"),
        Module(u"Halvisk.dll", u"libHalvisk.so"),
        {RequiredFile::Kind::Path, helpFile, helpFile, IDS_HELP_FILE_MISSING},
        {RequiredFile::Kind::ProgramFile, databaseFile, databaseFile, IDS_DATABASE_FILE_MISSING},
        ProgramFile(u"pellarun", IDS_SIMULATOR_MISSING),
    };
}

bool LocateRequiredFile(const RequiredFile& file)
{
    if (file.name.IsEmpty()) return false;
    switch (file.kind) {
    case RequiredFile::Kind::Module:
        return !platform::ResolveModuleFile(file.name).IsEmpty();
    case RequiredFile::Kind::ProgramFile:
        // A bare name only: a folder part would look outside the program folder.
        if (file.name.FindOneOf(u"/\\") >= 0) return false;
        return platform::FileExists(platform::JoinPath(platform::GetProgramFolder(), file.name));
    case RequiredFile::Kind::Path:
        return platform::FileExists(platform::NormalizePath(file.name));
    }
    return false;
}

BOOL CheckRequiredFiles(const std::vector<RequiredFile>& files, const RequiredFileLocator& locate)
{
    CString programName;
    programName.LoadString(IDS_APP_NAME);
    CString caption;
    caption.Format(IDS_STARTUP_CHECK_CAPTION, programName);
    for (const RequiredFile& file : files) {
        if (locate(file)) continue;
        if (file.warningId == 0) {
            CString text;
            text.Format(IDS_REQUIRED_FILE_MISSING, file.shownName);
            MessageBoxW(nullptr, text, caption, MB_OK | MB_ICONERROR);
            return FALSE;
        }
        CString text;
        text.LoadString(file.warningId);
        MessageBoxW(nullptr, text, caption, MB_OK | MB_ICONWARNING);
    }
    return TRUE;
}
