// The manager program: the toolkit, the window layer, the application.
#include "manager/ui/QuorvaneApp.h"

#include "platform/core/CodePage.h"
#include "platform/ui/UserInterface.h"

#include <string>

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    // A person without a display is told so plainly instead of a toolkit abort.
    const char* platformName = std::getenv("QT_QPA_PLATFORM");
    const bool offscreen = platformName && std::string(platformName).find("offscreen") != std::string::npos;
    if (!offscreen && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "quorvane: no display to show the program on (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                             "Start it from a desktop session, or set QT_QPA_PLATFORM=offscreen to run it without one.\n");
        return 1;
    }
    QApplication qt(argc, argv);
    int code = 1;
    {
        platform::UserInterface ui;
        CQuorvaneApp app;
        std::vector<CString> arguments;
        for (int i = 0; i < argc; ++i) arguments.emplace_back(platform::ToWide(argv[i], CP_UTF8).c_str());
        app.SetArguments(arguments);
        if (app.InitInstance()) {
            code = app.Run();
        } else {
            // Start-up ended (its message was shown): what was taken is given back.
            app.ExitInstance();
            code = 1;
        }
    }
    return code;
}
