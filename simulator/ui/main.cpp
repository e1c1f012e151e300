// The simulator program: the toolkit, the window layer, the resource module
// of the user's language, then the application object's start and exit.
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/UserInterface.h"
#include "simulator/ui/SimulatorApp.h"

#include <QApplication>
#include <QFont>

#include <memory>

namespace {

CSimulatorApp theApp;

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    int exitCode = 0;
    {
        platform::UserInterface ui;
        // The program's texts and dialogs, in the user's language.
        const HMODULE resources = ::LoadLibraryW(u"pellarun.dll");
        if (resources) AfxSetResourceHandle(resources);
        if (theApp.InitInstance()) theApp.Run();
        exitCode = theApp.ExitInstance();
        AfxSetResourceHandle(HMODULE());
        if (resources) ::FreeLibrary(resources);
    }
    return exitCode;
}
