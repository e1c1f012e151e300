#include "platform/core/ComPortNames.h"

#include "platform/core/Paths.h"
#include "platform/core/Profile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace platform {

namespace {

struct Family {
    const char* prefix;  // device path without its index
    int firstNumber;     // COM number of index 0
    int count;           // indices covered
};

constexpr Family kFamilies[] = {
    {"/dev/ttyS", 1, 4},
    {"/dev/ttyUSB", 5, 8},
    {"/dev/ttyACM", 13, 8},
};

std::mutex g_overrideMutex;
std::map<int, std::string>& ProcessOverrides()
{
    static std::map<int, std::string> overrides;
    return overrides;
}

bool ValidNumber(int number) { return number >= 1 && number <= kMaxComPortNumber; }

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// "COM12" (any case) gives 12; anything else 0.
int NumberOfKey(std::string_view key)
{
    if (key.size() < 4 || !EqualNoCase(key.substr(0, 3), "COM")) return 0;
    long value = 0;
    for (char c : key.substr(3)) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
        if (value > kMaxComPortNumber) return 0;
    }
    return static_cast<int>(value);
}

// Section "Ports" of the ports file, read with the usual profile rules.
std::map<int, std::string> ReadPortsFile(const std::string& path)
{
    std::map<int, std::string> result;
    if (path.empty()) return result;
    const CString file = CString::FromUtf8(path);
    // One read of the file for all its keys.
    for (const auto& [key, text] : PrivateProfileEntries(u"Ports", file)) {
        const int number = NumberOfKey(key.ToUtf8());
        if (number == 0 || result.count(number)) continue;
        const std::string value = text.ToUtf8();
        // An empty or relative value maps the number to nothing rather than
        // letting it fall back silently to the rule's device.
        result.emplace(number, !value.empty() && value[0] == '/' ? value : std::string());
    }
    return result;
}

// Every override in force: the in-process ones first, then the file's.
std::map<int, std::string> Overrides()
{
    std::map<int, std::string> all = ReadPortsFile(ComPortsFilePath());
    std::lock_guard lock(g_overrideMutex);
    for (const auto& [number, device] : ProcessOverrides()) all[number] = device;
    return all;
}

std::string DeviceWith(const std::map<int, std::string>& overrides, int number)
{
    if (!ValidNumber(number)) return std::string();
    if (const auto it = overrides.find(number); it != overrides.end()) return it->second;
    std::string device = ComPortRuleDevice(number);
    for (const auto& [other, target] : overrides)
        if (target == device) return std::string();
    return device;
}

bool PathExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string ComPortRuleDevice(int number)
{
    for (const Family& f : kFamilies)
        if (number >= f.firstNumber && number < f.firstNumber + f.count)
            return f.prefix + std::to_string(number - f.firstNumber);
    return std::string();
}

int ComPortRuleNumber(std::string_view devicePath)
{
    for (const Family& f : kFamilies) {
        const std::string_view prefix(f.prefix);
        if (devicePath.size() <= prefix.size() || devicePath.substr(0, prefix.size()) != prefix) continue;
        const std::string_view digits = devicePath.substr(prefix.size());
        if (digits.size() > 1 && digits[0] == '0') return 0;
        int index = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return 0;
            index = index * 10 + (c - '0');
            if (index >= f.count) return 0;
        }
        return f.firstNumber + index;
    }
    return 0;
}

std::string ComPortsFilePath()
{
    if (const char* file = std::getenv(kPortsFileVariable); file && *file) return file;
    const CString folder = GetAppDataFolder();
    if (folder.IsEmpty()) return std::string();
    return JoinPath(folder, u"Velbrook/Quorvane/ports.ini").ToUtf8();
}

std::string ComPortDevice(int number) { return DeviceWith(Overrides(), number); }

void SetComPortDevice(int number, const std::string& devicePath)
{
    if (!ValidNumber(number)) return;
    std::lock_guard lock(g_overrideMutex);
    ProcessOverrides()[number] = devicePath;
}

void ClearComPortDevice(int number)
{
    std::lock_guard lock(g_overrideMutex);
    ProcessOverrides().erase(number);
}

ScopedComPortDevice::ScopedComPortDevice(int number, const std::string& devicePath) : m_number(number)
{
    {
        std::lock_guard lock(g_overrideMutex);
        const auto it = ProcessOverrides().find(number);
        m_hadPrevious = it != ProcessOverrides().end();
        if (m_hadPrevious) m_previous = it->second;
    }
    SetComPortDevice(number, devicePath);
}

ScopedComPortDevice::~ScopedComPortDevice()
{
    if (m_hadPrevious) SetComPortDevice(m_number, m_previous);
    else ClearComPortDevice(m_number);
}

std::vector<ComPortEntry> ListComPorts(const std::vector<std::string>& presentDevices)
{
    const std::map<int, std::string> overrides = Overrides();
    const auto present = [&](const std::string& path) {
        return !path.empty() && std::find(presentDevices.begin(), presentDevices.end(), path) != presentDevices.end();
    };
    std::map<int, std::string> found;
    for (const auto& [number, device] : overrides)
        if (present(device)) found.emplace(number, device);
    for (const std::string& device : presentDevices) {
        const int number = ComPortRuleNumber(device);
        if (number != 0 && DeviceWith(overrides, number) == device) found.emplace(number, device);
    }
    std::vector<ComPortEntry> list;
    for (auto& [number, device] : found) list.push_back({number, device});
    return list;
}

std::vector<ComPortEntry> ListComPorts()
{
    std::vector<std::string> devices;
    if (DIR* dir = ::opendir("/dev")) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string path = std::string("/dev/") + e->d_name;
            if (ComPortRuleNumber(path) != 0) devices.push_back(path);
        }
        ::closedir(dir);
    }
    for (const auto& [number, device] : Overrides())
        if (!device.empty() && PathExists(device)) devices.push_back(device);
    return ListComPorts(devices);
}

}  // namespace platform
