// Helpers of the tools library's tests: a window that hands link events to
// a handler, a link to the controller emulator, and scopes that restore the
// reply time-out, the language module and environment variables.
#pragma once

#include "tools/CommandSession.h"
#include "tools/ToolsLibrary.h"

#include "comm/CommManager.h"
#include "comm/tests/LinkTestSupport.h"

#include "tests/support/emulator/Emulator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace toolstest {

using namespace linktest;

// The attached window of a dialog: every link event goes to the handler.
class LinkWindow : public CWnd {
public:
    using Handler = std::function<void(LPARAM)>;

    explicit LinkWindow(Handler handler) : m_handler(std::move(handler))
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0);
    }
    ~LinkWindow() override { DestroyWindow(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_COMM_LINK_EVENT) return CWnd::WindowProc(message, wParam, lParam);
        if (m_handler) m_handler(lParam);
        return 0;
    }

private:
    Handler m_handler;
};

// A link to the emulator over TCP on loopback, ready to send.
class EmulatorLink {
public:
    EmulatorLink() { link.Initialize(); }

    bool OpenTcp(uint16_t port)
    {
        link.SetPortType(PORT_TCP);
        link.SetHostName(u"127.0.0.1");
        link.SetTCPPort(port);
        return link.Open() == 1 && PumpUntil([&] { return link.IsReady() == 1; });
    }
    bool OpenSerial(int comNumber)
    {
        commsettag r;
        link.GetCommSet(&r);
        r.nPortType = PORT_SERIAL;
        r.nComPort = comNumber;
        r.wDelayPerLine = 0;
        r.wDelayPerChar = 0;
        link.SetCommSet(&r);
        return link.Open() == 1 && PumpUntil([&] { return link.IsReady() == 1; });
    }

    CCommManager link;
};

class ScopedReplyTimeOut {
public:
    explicit ScopedReplyTimeOut(DWORD ms) : m_saved(CCommandSession::GetTimeOut()) { CCommandSession::SetTimeOut(ms); }
    ~ScopedReplyTimeOut() { CCommandSession::SetTimeOut(m_saved); }
    ScopedReplyTimeOut(const ScopedReplyTimeOut&) = delete;
    ScopedReplyTimeOut& operator=(const ScopedReplyTimeOut&) = delete;

private:
    DWORD m_saved;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_saved = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (m_saved) ::setenv(m_name.c_str(), m_saved->c_str(), 1);
        else ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_saved;
};

// The tests' language module as the current resource module, in a language.
class ScopedTestLanguage {
public:
    explicit ScopedTestLanguage(const char* lang = "en") : m_env("QV_LANG", lang), m_swap(u"toolstest-lang.dll")
    {
        m_loaded = m_swap.Load();
    }
    bool Loaded() const { return m_loaded; }

private:
    ScopedEnv m_env;
    CLangLibrarySwap m_swap;
    bool m_loaded = false;
};

}  // namespace toolstest
