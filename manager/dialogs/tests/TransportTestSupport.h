// The setting in which the transport dialogs are tested: a settings folder of
// the test's own with "CommMan.ini", COM1 to COM4 of which one is bound to the
// controller emulator's pseudo-terminal (the others to no device, so the
// machine's own ports never show), the manager's resource module in one
// language, scripted message boxes and file dialogs, a host with a registry
// of open windows, a stand-in for an open controller window that lends its
// link, and a driver that works the modal dialogs one after the other as a
// person would (the transport dialog, then the node choice it opens).
#pragma once

#include "manager/dialogs/DlgTransportBase.h"
#include "manager/dialogs/TransportHost.h"

#include "manager/core/ControllerData.h"
#include "manager/core/DataManager.h"

#include "comm/tests/CommTestSupport.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/emulator/Emulator.h"
#include "tests/support/ui/ModalDialogs.h"
#include "tests/support/ui/ScriptedDialogs.h"
#include "tests/support/ui/UiTest.h"

#include "platform/core/ComPortNames.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/TreeCtrl.h"
#include "platform/ui/WidgetPeer.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace transporttest {

inline constexpr int kMaxComPort = 4;
inline constexpr int kEmulatorPort = 3;

inline CString W(const char* utf8) { return CString::FromUtf8(utf8); }

using uitest::ModalScripts;
using uitest::TopModalDialog;

// Whether the dialog is still up after what the script did.
inline bool StillOpen(uitest::DialogDriver& d)
{
    CWnd* dialog = CWnd::FromHandle(d.Dialog());
    return dialog && dialog->ContinueModal();
}

// Runs the dialog modally and works it and the dialogs it opens with the scripts.
template <class Dialog>
INT_PTR RunDialogs(Dialog& dialog, std::vector<ModalScripts::Script> scripts)
{
    ModalScripts driver(std::move(scripts));
    return dialog.DoModal();
}

// The tree's items in display order (handles and texts).
inline std::vector<std::pair<HTREEITEM, CString>> TreeItems(uitest::DialogDriver& d, int treeId)
{
    std::vector<std::pair<HTREEITEM, CString>> items;
    auto* tree = static_cast<CTreeCtrl*>(CWnd::FromHandle(d.Item(treeId)));
    std::function<void(HTREEITEM)> walk = [&](HTREEITEM item) {
        for (; item != nullptr; item = tree->GetNextSiblingItem(item)) {
            items.emplace_back(item, tree->GetItemText(item));
            walk(tree->GetChildItem(item));
        }
    };
    walk(tree->GetRootItem());
    return items;
}

inline std::vector<CString> TreeTexts(uitest::DialogDriver& d, int treeId)
{
    std::vector<CString> texts;
    for (const auto& item : TreeItems(d, treeId)) texts.push_back(item.second);
    return texts;
}

inline CString SelectedTreeText(uitest::DialogDriver& d, int treeId)
{
    auto* tree = static_cast<CTreeCtrl*>(CWnd::FromHandle(d.Item(treeId)));
    const HTREEITEM selected = tree->GetSelectedItem();
    return selected ? tree->GetItemText(selected) : CString();
}

// A click on the tree item with this text, as a person chooses a port.
inline bool ChooseTreeItem(uitest::DialogDriver& d, int treeId, const CString& text, bool twice = false)
{
    auto* tree = static_cast<CTreeCtrl*>(CWnd::FromHandle(d.Item(treeId)));
    for (const auto& item : TreeItems(d, treeId)) {
        if (item.second != text) continue;
        tree->EnsureVisible(item.first);
        RECT rect{};
        if (!tree->GetItemRect(item.first, &rect, TRUE)) return false;
        const POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        if (twice) d.DoubleClickAt(treeId, middle);
        else d.ClickAt(treeId, middle);
        return true;
    }
    ADD_FAILURE() << "no tree item " << text.ToUtf8();
    return false;
}

inline std::vector<CString> ListColumn(uitest::DialogDriver& d, int listId, int column)
{
    auto* list = static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(listId)));
    std::vector<CString> texts;
    for (int row = 0; row < list->GetItemCount(); ++row) texts.push_back(list->GetItemText(row, column));
    return texts;
}

inline std::vector<int> SelectedRows(uitest::DialogDriver& d, int listId)
{
    auto* list = static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(listId)));
    std::vector<int> rows;
    for (int row = list->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list->GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

// A click on the row whose column 1 (the node number) has this text.
inline bool ChooseListRow(uitest::DialogDriver& d, int listId, const CString& column1)
{
    auto* list = static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(listId)));
    for (int row = 0; row < list->GetItemCount(); ++row) {
        if (list->GetItemText(row, 1) != column1) continue;
        RECT rect{};
        if (!list->GetItemRect(row, &rect, LVIR_BOUNDS)) return false;
        d.ClickAt(listId, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
        return true;
    }
    ADD_FAILURE() << "no list row " << column1.ToUtf8();
    return false;
}

// Commands that change a point or a parameter; the scan's own writes (K99
// and K75 to every node) and queries are not counted.
inline int CountWriteCommands(const emu::Emulator& emulator)
{
    int n = 0;
    for (const std::string& line : emulator.ReceivedCommands()) {
        if (line.rfind("@K99", 0) == 0 || line.rfind("@K75", 0) == 0 || line.rfind("@?", 0) == 0) continue;
        n += line.rfind("@K", 0) == 0 || line.rfind("@H", 0) == 0 || line.rfind("@PNT", 0) == 0 ||
             line.rfind("@DEL", 0) == 0;
    }
    return n;
}

// A host with a registry the test fills.
class FakeTransportHost : public ITransportHost {
public:
    const COpenWindowRegistry* GetOpenWindows() override { return &registry; }
    CWnd* GetSimulatorWindow() override { return simulatorWindow; }
    int GetAccessLevel() override { return accessLevel; }
    bool IsControllerNameOpen(const CString& name) override
    {
        return std::find(openNames.begin(), openNames.end(), name) != openNames.end();
    }

    COpenWindowRegistry registry;
    CWnd* simulatorWindow = nullptr;
    int accessLevel = 0;
    std::vector<CString> openNames;
};

// An open controller window as the transport dialogs meet it: it holds a
// data manager on a serial link and lends it with the node of its current
// controller; asked to read its controller again, it does and keeps what it
// read.
class FakeControllerFrame : public CWnd {
public:
    FakeControllerFrame()
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPED, RECT{}, nullptr, 0);
    }
    ~FakeControllerFrame() override { DestroyWindow(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == UM_GETLINKOFWINDOW) {
            ++linkRequests;
            if (refuseLink) return 1;
            *reinterpret_cast<int*>(wParam) = node;
            *reinterpret_cast<CDataManager**>(lParam) = &manager;
            return 0;
        }
        if (message == UM_READFROMCONTROLLER) {
            ++reloads;
            ControllerDataStore store;
            ControllerDataSlot read;
            store.AllocControllerData(read);
            read->FirstParamSet()->K(38) = node;
            if (!manager.ReadControllerIdentity(*read, TRUE, TRUE)) return 1;
            reloaded = *read;
            return 0;
        }
        if (message == UM_RESCANLINK) {
            ++rescans;
            return manager.ScanNetwork(kLinkSerial, HWND::FromWParam(wParam)) ? 0 : 1;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

    CDataManager manager;
    int node = 1;
    bool refuseLink = false;
    int linkRequests = 0;
    int reloads = 0;
    int rescans = 0;
    ControllerData reloaded;
};

class ScopedEnvValue {
public:
    ScopedEnvValue(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_saved = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnvValue()
    {
        if (m_saved) ::setenv(m_name.c_str(), m_saved->c_str(), 1);
        else ::unsetenv(m_name.c_str());
    }
    ScopedEnvValue(const ScopedEnvValue&) = delete;
    ScopedEnvValue& operator=(const ScopedEnvValue&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_saved;
};

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-transport-XXXXXX").string();
        if (const char* made = ::mkdtemp(pattern.data())) m_path = made;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Everything a transport test has around it; data managers made in a test go
// after it, so they end before the emulator and the ports.
class TransportFixture {
public:
    explicit TransportFixture(const char* language = "en")
        : m_language(language), m_lang("QV_LANG", language), resources(u"resource", language)
    {
        settings.WriteCommIni("[Serial]\r\nMaxComPort=" + std::to_string(kMaxComPort) +
                              "\r\nDelayPerLine=0\r\nDelayPerChar=0\r\n");
        for (int n = 1; n <= kMaxComPort; ++n) ports.push_back(std::make_unique<platform::ScopedComPortDevice>(n, ""));
    }

    // Starts the emulator on the pseudo-terminal and binds COM3 to it.
    bool Serve()
    {
        const std::string path = emulator.ServePty();
        if (path.empty()) return false;
        // The old binding goes first: its end restores what it replaced.
        ports[kEmulatorPort - 1].reset();
        ports[kEmulatorPort - 1] = std::make_unique<platform::ScopedComPortDevice>(kEmulatorPort, path);
        return true;
    }
    // Opens the frame's data manager on COM3 and enters the frame in the registry.
    bool OpenFrame(FakeControllerFrame& frame)
    {
        if (!frame.manager.OpenPort(kLinkSerial, kEmulatorPort)) return false;
        OpenWindowEntry entry;
        entry.kind = kOpenWindowSerial;
        entry.frame = &frame;
        entry.comPort = kEmulatorPort;
        host.registry.Add(entry);
        return true;
    }
    std::string TempPath(const std::string& name) const { return (m_files.Path() / name).string(); }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void WriteFile(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    // Keeps a picture of the dialog for a person to look at.
    void Picture(const uitest::DialogDriver& d, const std::string& name) const
    {
        uitest::Pump(50);
        EXPECT_TRUE(d.Grab(uitest::ArtifactFolder("dialogs") + "/" + name + "." + m_language + ".png")) << name;
    }
    const std::string& Language() const { return m_language; }

private:
    std::string m_language;
    ScopedEnvValue m_lang;
    // 8-bit texts (the definition tables) are read in the language's code page, as the program sets it.
    ScopedCodePage m_codePage{m_language == "ja" ? 932u : 1252u};
    TempFolder m_files;

public:
    ScopedSettingsFolder settings;
    uitest::ScopedResources resources;
    ScriptedMessageBox boxes;
    ScriptedDialogs files;
    FakeTransportHost host;
    ScopedTransportHost installHost{&host};
    emu::Emulator emulator;
    std::vector<std::unique_ptr<platform::ScopedComPortDevice>> ports;
};

}  // namespace transporttest
