#include "manager/app/StartupOptions.h"

#include "manager/app/AccessLevel.h"

StartupOptions ParseStartupOptions(const std::vector<CString>& arguments)
{
    StartupOptions options;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::u16string_view argument = arguments[i].view();
        if (argument == u"/ini") {
            options.iniProfile = true;
        } else if (!argument.empty() && argument.front() == u'/') {
            if (const auto level = AccessLevelOfSwitch(argument.substr(1))) options.accessLevel = level;
        }
    }
    return options;
}

StartupOptions ParseStartupOptions(int argc, const char* const* argv)
{
    std::vector<CString> arguments;
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i)
        arguments.push_back(CString::FromUtf8(argv[i]));
    return ParseStartupOptions(arguments);
}
