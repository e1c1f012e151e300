// The setting in which the data manager tests run: a settings folder of their
// own for "CommMan.ini", the manager's English resource module for its
// messages, scripted message boxes, stand-in windows, and the controller
// emulator served over TCP or a pseudo-terminal.
#pragma once

#include "manager/core/DataManager.h"
#include "manager/core/tests/Fixtures.h"
#include "manager/core/tests/ManagerWindowFakes.h"

#include "platform/core/ComPortNames.h"
#include "platform/core/Messages.h"
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/emulator/Emulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

namespace testfx {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous: the machine may be loaded; only a fault makes a wait this long.
inline constexpr auto kPatience = 15s;

template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds patience = kPatience)
{
    const auto deadline = Clock::now() + patience;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
        platform::PumpPendingMessages();
    }
    return true;
}

inline void PumpFor(std::chrono::milliseconds duration)
{
    PumpUntil([] { return false; }, duration);
}

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_saved = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        if (m_saved) ::setenv(m_name.c_str(), m_saved->c_str(), 1);
        else ::unsetenv(m_name.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_saved;
};

// "CommMan.ini" and the rest of the settings in a folder of the test's own.
class ScopedSettingsFolder {
public:
    ScopedSettingsFolder() : m_environment("XDG_CONFIG_HOME", m_folder.Path().string()) {}

private:
    TempDir m_folder;
    ScopedEnvironment m_environment;
};

// The manager's English resource module, current for the scope.
class EnglishManagerModule {
public:
    EnglishManagerModule()
    {
        ScopedEnvironment chosen("QV_LANG", "en");
        m_module = LoadLibraryW(u"resource.dll");
        if (m_module) m_current.emplace(m_module);
    }
    ~EnglishManagerModule()
    {
        m_current.reset();
        if (m_module) FreeLibrary(m_module);
    }
    EnglishManagerModule(const EnglishManagerModule&) = delete;
    EnglishManagerModule& operator=(const EnglishManagerModule&) = delete;

    bool Loaded() const { return m_module != nullptr; }

private:
    HMODULE m_module = nullptr;
    std::optional<platform::ScopedResourceHandle> m_current;
};

enum class Transport { kTcp, kPty };

inline const char* TransportName(Transport t) { return t == Transport::kTcp ? "TCP" : "pseudo-terminal"; }

inline constexpr int kComNumber = 47;
inline constexpr DWORD kLoopbackAddress = 0x7F000001;

// What every data manager test has around it. Data managers are made in the
// tests, so they go before the windows and the emulator they use.
class DataManagerFixture {
public:
    DataManagerFixture() : m_install(&windows) {}

    // Starts serving the line; false (with the reason in the emulator) when that failed.
    bool Serve(Transport transport)
    {
        if (transport == Transport::kTcp) {
            tcpPort = emulator.ServeTcp();
            return tcpPort != 0;
        }
        const std::string path = emulator.ServePty();
        if (path.empty()) return false;
        bind.emplace(kComNumber, path);
        return true;
    }
    BOOL Open(CDataManager& manager, Transport transport)
    {
        if (transport == Transport::kTcp) {
            manager.SetTcpPortNumber(tcpPort);
            return manager.OpenPort(kLinkTcp, kLoopbackAddress);
        }
        return manager.OpenPort(kLinkSerial, kComNumber);
    }
    // The frame that shows the link of the transport.
    void AddFrame(FakeFrame& frame, Transport transport)
    {
        if (transport == Transport::kTcp) windows.AddTcpFrame(frame, kLoopbackAddress);
        else windows.AddSerialFrame(frame, kComNumber);
    }
    // Commands of the emulator's log that begin with prefix.
    int CountCommands(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& line : emulator.ReceivedCommands()) n += line.rfind(prefix, 0) == 0;
        return n;
    }

    ScopedSettingsFolder settings;
    EnglishManagerModule module;
    ScriptedMessageBox boxes;
    FakeManagerWindows windows;
    emu::Emulator emulator;
    std::optional<platform::ScopedComPortDevice> bind;
    std::uint16_t tcpPort = 0;

private:
    ScopedManagerWindows m_install;
};

}  // namespace testfx
