#include "platform/core/Wnd.h"
#include "platform/core/tests/MessageTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using msgtest::kSmallRect;

constexpr UINT WM_PING = WM_APP + 1;
constexpr UINT_PTR kTimerId = 7;

// Counts what happens to it; its destroy handler may misbehave on request.
class CProbeWnd : public CWnd {
public:
    std::vector<std::string>* log = nullptr;
    std::string name = "w";
    int pings = 0;
    int destroys = 0;
    int ncDestroys = 0;
    int postNcDestroys = 0;
    int timers = 0;
    bool destroyAgainInDestroy = false;
    bool closeInDestroy = false;
    bool deleteSelfAfterDestroy = false;

    bool Create(CWnd* parent = nullptr, UINT id = 0)
    {
        return CreateEx(0, AfxRegisterWndClass(0), u"", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, kSmallRect, parent,
                        id) != FALSE;
    }

    LRESULT OnPing(WPARAM wParam, LPARAM)
    {
        ++pings;
        return static_cast<LRESULT>(wParam) * 2;
    }
    void OnDestroy()
    {
        ++destroys;
        if (log)
            log->push_back(name + " destroy");
        if (destroyAgainInDestroy)
            DestroyWindow();
        if (closeInDestroy)
            SendMessage(WM_CLOSE);
    }
    void OnNcDestroy()
    {
        ++ncDestroys;
        if (log)
            log->push_back(name + " nc-destroy");
        CWnd::OnNcDestroy();
    }
    void OnTimer(UINT_PTR) { ++timers; }
    void PostNcDestroy() override
    {
        ++postNcDestroys;
        if (log)
            log->push_back(name + " post-nc-destroy");
        if (deleteSelfAfterDestroy)
            delete this;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    ON_MESSAGE(WM_PING, &CProbeWnd::OnPing)
    ON_WM_DESTROY()
    ON_WM_NCDESTROY()
    ON_WM_TIMER()
END_MESSAGE_MAP()

class CSelfDeletingWnd : public CWnd {
public:
    void OnDestroy() { delete this; }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfDeletingWnd, CWnd)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

TEST(WindowLifetime, DestroyedHandleIsDeadForEveryCall)
{
    CProbeWnd wnd;
    ASSERT_TRUE(wnd.Create());
    const HWND hwnd = wnd.m_hWnd;
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandle(hwnd), &wnd);
    EXPECT_EQ(SendMessageW(hwnd, WM_PING, 21, 0), 42);
    // Posted before the window goes: never delivered afterwards.
    EXPECT_TRUE(PostMessageW(hwnd, WM_PING, 1, 0));
    ASSERT_NE(SetTimer(hwnd, kTimerId, 10, nullptr), 0u);

    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_FALSE(wnd.m_hWnd);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
    EXPECT_FALSE(PostMessageW(hwnd, WM_PING, 1, 0));
    EXPECT_EQ(SendMessageW(hwnd, WM_PING, 21, 0), 0);
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_FALSE(wnd.DestroyWindow());
    EXPECT_FALSE(KillTimer(hwnd, kTimerId)) << "the timer died with the window";
    EXPECT_EQ(SetTimer(hwnd, kTimerId, 10, nullptr), 0u);
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), 0u);

    msgtest::PumpFor(std::chrono::milliseconds(60));
    EXPECT_EQ(wnd.pings, 1) << "only the send before the destruction";
    EXPECT_EQ(wnd.timers, 0);
    EXPECT_EQ(wnd.destroys, 1);
    EXPECT_EQ(wnd.ncDestroys, 1);
    EXPECT_EQ(wnd.postNcDestroys, 1);
}

TEST(WindowLifetime, DestructionRunsOnceWhateverTheHandlersDo)
{
    struct Row {
        const char* name;
        bool destroyAgain;
        bool close;
        bool viaClose;
    };
    const Row rows[] = {
        {"plain", false, false, false},
        {"destroy handler destroys again", true, false, false},
        {"destroy handler closes the window", false, true, false},
        {"WM_CLOSE destroys by default", false, false, true},
        {"WM_SYSCOMMAND SC_CLOSE closes by default", false, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CProbeWnd wnd;
        wnd.destroyAgainInDestroy = row.destroyAgain;
        wnd.closeInDestroy = row.close;
        ASSERT_TRUE(wnd.Create());
        const HWND hwnd = wnd.m_hWnd;
        if (!row.viaClose)
            EXPECT_TRUE(wnd.DestroyWindow());
        else if (std::string(row.name).find("SYSCOMMAND") != std::string::npos)
            wnd.SendMessage(WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);
        else
            wnd.SendMessage(WM_CLOSE);
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(wnd.destroys, 1);
        EXPECT_EQ(wnd.ncDestroys, 1);
        EXPECT_EQ(wnd.postNcDestroys, 1);
    }
}

TEST(WindowLifetime, OldHandleStaysInvalidWhenItsSlotIsReused)
{
    CProbeWnd first;
    ASSERT_TRUE(first.Create());
    const HWND old = first.m_hWnd;
    first.DestroyWindow();

    CProbeWnd second;
    ASSERT_TRUE(second.Create());
    EXPECT_EQ(second.m_hWnd.Index(), old.Index()) << "the freed slot is taken again";
    EXPECT_NE(second.m_hWnd, old);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(SendMessageW(old, WM_PING, 1, 0), 0);
    EXPECT_FALSE(PostMessageW(old, WM_PING, 1, 0));
    msgtest::PumpFor(std::chrono::milliseconds(20));
    EXPECT_EQ(second.pings, 0);
}

TEST(WindowLifetime, ParentTakesItsChildrenWithIt)
{
    std::vector<std::string> log;
    CProbeWnd parent;
    CProbeWnd child;
    parent.log = child.log = &log;
    parent.name = "parent";
    child.name = "child";
    ASSERT_TRUE(parent.Create());
    ASSERT_TRUE(child.Create(&parent, 5));
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(child.GetDlgCtrlID(), 5);
    EXPECT_EQ(child.GetStyle() & WS_CHILD, WS_CHILD);

    EXPECT_EQ(GetDlgItem(parent.m_hWnd, 5), child.m_hWnd);
    EXPECT_FALSE(GetDlgItem(parent.m_hWnd, 6));

    const HWND childHwnd = child.m_hWnd;
    parent.DestroyWindow();
    EXPECT_FALSE(IsWindow(childHwnd));
    EXPECT_FALSE(child.m_hWnd);
    EXPECT_EQ(log, (std::vector<std::string>{"parent destroy", "child destroy", "child nc-destroy",
                                             "child post-nc-destroy", "parent nc-destroy",
                                             "parent post-nc-destroy"}));
}

TEST(WindowLifetime, TreeCanBeWalkedAndRearrangedButNotLooped)
{
    CProbeWnd root;
    CProbeWnd a;
    CProbeWnd b;
    CProbeWnd leaf;
    ASSERT_TRUE(root.Create());
    ASSERT_TRUE(a.Create(&root, 1));
    ASSERT_TRUE(b.Create(&root, 2));
    ASSERT_TRUE(leaf.Create(&a, 3));

    static std::vector<int> seen;
    seen.clear();
    const auto collect = [](HWND hwnd, LPARAM stopAt) -> BOOL {
        seen.push_back(GetDlgCtrlID(hwnd));
        return GetDlgCtrlID(hwnd) != stopAt;
    };
    EXPECT_TRUE(EnumChildWindows(root.m_hWnd, collect, 0));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    seen.clear();
    EnumChildWindows(root.m_hWnd, collect, 2);
    EXPECT_EQ(seen, (std::vector<int>{1, 2})) << "FALSE stops the walk";

    EXPECT_FALSE(SetParent(a.m_hWnd, leaf.m_hWnd)) << "a window cannot move under its own child";
    EXPECT_FALSE(SetParent(a.m_hWnd, a.m_hWnd));
    EXPECT_EQ(GetParent(a.m_hWnd), root.m_hWnd);
    EXPECT_EQ(SetParent(leaf.m_hWnd, b.m_hWnd), a.m_hWnd);
    EXPECT_EQ(GetDlgItem(b.m_hWnd, 3), leaf.m_hWnd);

    const HWND leafHwnd = leaf.m_hWnd;
    b.DestroyWindow();
    EXPECT_FALSE(IsWindow(leafHwnd)) << "gone with its new parent";
    EXPECT_TRUE(IsWindow(a.m_hWnd));
}

TEST(WindowLifetime, WindowThatOwnsItselfIsDeletedOnce)
{
    // AddressSanitizer catches a second delete or a use after it.
    auto* wnd = new CProbeWnd;
    wnd->deleteSelfAfterDestroy = true;
    ASSERT_TRUE(wnd->Create());
    const HWND hwnd = wnd->m_hWnd;
    ASSERT_TRUE(PostMessageW(hwnd, WM_CLOSE, 0, 0));
    ASSERT_TRUE(msgtest::PumpUntil([&] { return !IsWindow(hwnd); }));
}

TEST(WindowLifetime, DeletingTheObjectDestroysItsWindow)
{
    auto* wnd = new CProbeWnd;
    ASSERT_TRUE(wnd->Create());
    const HWND hwnd = wnd->m_hWnd;
    delete wnd;
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, WM_PING, 1, 0), 0);
}

TEST(WindowLifetime, ObjectDeletedByItsOwnDestroyHandler)
{
    // AddressSanitizer catches the destruction touching the deleted object.
    auto* wnd = new CSelfDeletingWnd;
    ASSERT_TRUE(wnd->CreateEx(0, u"X", u"", 0, kSmallRect, nullptr, 0));
    const HWND hwnd = wnd->m_hWnd;
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowLifetime, DetachedWindowLivesOnAndCanBeAttachedAgain)
{
    CProbeWnd first;
    ASSERT_TRUE(first.Create());
    const HWND hwnd = first.Detach();
    EXPECT_FALSE(first.m_hWnd);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
    EXPECT_EQ(SendMessageW(hwnd, WM_PING, 5, 0), 0) << "no object, default handling";

    CProbeWnd second;
    ASSERT_TRUE(second.Attach(hwnd));
    EXPECT_FALSE(first.Attach(hwnd)) << "taken";
    EXPECT_EQ(SendMessageW(hwnd, WM_PING, 5, 0), 10);
    EXPECT_EQ(second.pings, 1);
    EXPECT_EQ(first.pings, 0);
    second.DestroyWindow();
    EXPECT_EQ(second.destroys, 1);
    EXPECT_EQ(first.destroys, 0);
}

TEST(WindowLifetime, WindowOfAnotherThreadCanOnlyBeDestroyedThere)
{
    msgtest::LoopThread thread;
    auto* wnd = new CProbeWnd;
    thread.Call([&] { ASSERT_TRUE(wnd->Create()); });
    const HWND hwnd = wnd->m_hWnd;
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), thread.Id());
    EXPECT_NE(thread.Id(), GetCurrentThreadId());
    EXPECT_FALSE(DestroyWindow(hwnd)) << "not this thread's window";
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, WM_PING, 4, 0), 8);

    // Deleting the object here leaves no handle that points at it.
    delete wnd;
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, WM_PING, 4, 0), 0);
}

class CPeer : public platform::IWindowPeer {
public:
    explicit CPeer(int* deleted) : m_deleted(deleted) {}
    ~CPeer() override { ++*m_deleted; }
    bool DefaultProc(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override
    {
        if (message != WM_GETTEXTLENGTH)
            return false;
        result = 11;
        return true;
    }

private:
    int* m_deleted;
};

TEST(WindowLifetime, PeerFromTheFactoryTakesDefaultsAndDiesWithTheWindow)
{
    static int deleted = 0;
    static int made = 0;
    deleted = made = 0;
    struct FactoryScope {
        platform::WindowPeerFactory previous = platform::SetWindowPeerFactory(
            [](CWnd&, const CREATESTRUCTW& cs) -> std::unique_ptr<platform::IWindowPeer> {
                // Only windows that can be shown get a peer.
                if (!(cs.style & WS_VISIBLE))
                    return nullptr;
                ++made;
                return std::make_unique<CPeer>(&deleted);
            });
        ~FactoryScope() { platform::SetWindowPeerFactory(previous); }
    } scope;

    CProbeWnd hidden;
    ASSERT_TRUE(hidden.CreateEx(0, u"X", u"", WS_OVERLAPPEDWINDOW, kSmallRect, nullptr, 0));
    EXPECT_EQ(hidden.GetPeer(), nullptr);
    EXPECT_EQ(hidden.SendMessage(WM_GETTEXTLENGTH), 0);

    CProbeWnd shown;
    ASSERT_TRUE(shown.CreateEx(0, u"X", u"", WS_POPUP | WS_VISIBLE, kSmallRect, nullptr, 0));
    ASSERT_NE(shown.GetPeer(), nullptr);
    EXPECT_EQ(shown.SendMessage(WM_GETTEXTLENGTH), 11);
    EXPECT_EQ(made, 1);
    shown.DestroyWindow();
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(hidden.GetPeer(), nullptr);
}

}  // namespace
