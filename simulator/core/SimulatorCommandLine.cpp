#include "simulator/core/SimulatorCommandLine.h"

#include "platform/core/Process.h"
#include "resources/simulator/pellarun_ids.h"

SimulatorCommandLine ParseSimulatorArguments(const std::vector<CString>& arguments)
{
    SimulatorCommandLine result;
    bool titlePending = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const CString& argument = arguments[i];
        if (argument == u"/ES") {
            result.exchange = true;
        } else if (argument == u"/ONLINE") {
        } else if (argument == u"/TITLE") {
            titlePending = true;
        } else if (titlePending) {
            result.title = argument;
            titlePending = false;
        }
    }
    return result;
}

SimulatorCommandLine ParseSimulatorCommandLine(const CString& commandLine)
{
    return ParseSimulatorArguments(platform::SplitCommandLine(commandLine, true));
}

int SimulatorExitCode(const SimulatorCommandLine& commandLine, int mainDialogResult, int frameworkResult)
{
    return commandLine.exchange ? mainDialogResult : frameworkResult;
}

CString SimulatorCaption(const CString& name)
{
    CString caption;
    if (name.IsEmpty())
        caption.LoadString(IDS_APP_CAPTION);
    else
        caption.Format(IDS_APP_CAPTION_TITLE, name);
    return caption;
}

CString CautionNoticeKeyPath(const CString& companyName)
{
    return CString(u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\DontShowMeThisDialogAgain\\") +
           companyName + u"\\Pellarun";
}
