#include "platform/core/CmdUI.h"
#include "platform/core/Wnd.h"
#include "platform/core/tests/MessageTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT WM_ONE = WM_APP + 1;
constexpr UINT WM_TWO = WM_APP + 2;
constexpr UINT WM_THREE = WM_APP + 3;
constexpr UINT WM_POINT = WM_APP + 4;
constexpr UINT WM_UNMAPPED = WM_APP + 9;

constexpr UINT ID_SAVE = 100;
constexpr UINT ID_PRINT = 101;
constexpr UINT ID_NO_HANDLER = 102;
constexpr UINT ID_EX = 103;
constexpr UINT ID_DERIVED_ONLY = 104;
constexpr UINT ID_SLOT_FIRST = 200;
constexpr UINT ID_SLOT_LAST = 209;
constexpr UINT ID_EDIT = 300;
constexpr UINT ID_LIST = 400;
constexpr UINT ID_ROW_FIRST = 500;
constexpr UINT ID_ROW_LAST = 510;

constexpr UINT EN_CHANGE_CODE = 0x0300;
constexpr UINT EN_KILLFOCUS_CODE = 0x0200;
constexpr int NM_CLICK_CODE = -2;
constexpr int NM_DBLCLK_CODE = -3;

UINT PingMessage()
{
    static const UINT id = RegisterWindowMessageW(u"Qv.Test.Ping");
    return id;
}
const UINT g_pingMessage = PingMessage();

// A handler shape of the user-interface layer's kind, added from outside the
// message-map header: a cracker and an entry macro.
struct CrackPoint {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, platform::MessageCall& call)
    {
        (object.*handler)(static_cast<int>(LOWORD(call.lParam)), static_cast<int>(HIWORD(call.lParam)));
        call.result = 0;
        return true;
    }
};
#define ON_TEST_POINT(message, memberFxn) \
    MSGMAP_MESSAGE_ENTRY(message, CrackPoint, memberFxn, void (ThisClass::*)(int, int))

class CBaseWnd : public CWnd {
public:
    std::vector<std::string> calls;
    bool canSave = true;
    BOOL exResult = FALSE;

    LRESULT OnOne(WPARAM wParam, LPARAM)
    {
        calls.push_back("base.one");
        return static_cast<LRESULT>(wParam) + 1;
    }
    LRESULT OnTwo(WPARAM, LPARAM)
    {
        calls.push_back("base.two");
        return 2;
    }
    LRESULT OnPing(WPARAM, LPARAM)
    {
        calls.push_back("base.ping");
        return 0x50;
    }
    void OnPoint(int x, int y) { calls.push_back("point " + std::to_string(x) + "," + std::to_string(y)); }
    // Overloads: the entry's type picks one.
    void OnPoint(double) { calls.push_back("wrong overload"); }

    void OnSave() { calls.push_back("save"); }
    void OnPrint() { calls.push_back("print"); }
    BOOL OnEx(UINT id)
    {
        calls.push_back("ex " + std::to_string(id));
        return exResult;
    }
    void OnSlot(UINT id) { calls.push_back("slot " + std::to_string(id)); }
    void OnEditChange() { calls.push_back("edit change"); }
    void OnListClick(NMHDR* header, LRESULT* result)
    {
        calls.push_back("list click " + std::to_string(header->idFrom));
        *result = 77;
    }
    void OnRowDblClk(UINT id, NMHDR*, LRESULT* result)
    {
        calls.push_back("row dblclk " + std::to_string(id));
        *result = static_cast<LRESULT>(id);
    }

    void OnUpdateSave(CCmdUI* ui) { ui->Enable(canSave); }
    void OnUpdateSlot(CCmdUI* ui)
    {
        ui->SetCheck(static_cast<int>(ui->m_nID - ID_SLOT_FIRST));
        ui->SetText(u"slot");
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_MESSAGE(WM_ONE, &CBaseWnd::OnOne)
    ON_MESSAGE(WM_TWO, &CBaseWnd::OnTwo)
    ON_REGISTERED_MESSAGE(g_pingMessage, &CBaseWnd::OnPing)
    ON_TEST_POINT(WM_POINT, &CBaseWnd::OnPoint)
    ON_COMMAND(ID_SAVE, &CBaseWnd::OnSave)
    ON_COMMAND(ID_PRINT, &CBaseWnd::OnPrint)
    ON_COMMAND_EX(ID_EX, &CBaseWnd::OnEx)
    ON_COMMAND_RANGE(ID_SLOT_FIRST, ID_SLOT_LAST, &CBaseWnd::OnSlot)
    ON_CONTROL(EN_CHANGE_CODE, ID_EDIT, &CBaseWnd::OnEditChange)
    ON_NOTIFY(NM_CLICK_CODE, ID_LIST, &CBaseWnd::OnListClick)
    ON_NOTIFY_RANGE(NM_DBLCLK_CODE, ID_ROW_FIRST, ID_ROW_LAST, &CBaseWnd::OnRowDblClk)
    ON_UPDATE_COMMAND_UI(ID_SAVE, &CBaseWnd::OnUpdateSave)
    ON_UPDATE_COMMAND_UI_RANGE(ID_SLOT_FIRST, ID_SLOT_LAST, &CBaseWnd::OnUpdateSlot)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
public:
    LRESULT OnTwo(WPARAM, LPARAM)
    {
        calls.push_back("derived.two");
        return 20;
    }
    LRESULT OnThree(WPARAM, LPARAM)
    {
        calls.push_back("derived.three");
        return 3;
    }
    void OnDerivedPrint() { calls.push_back("derived print"); }
    void OnDerivedOnly() { calls.push_back("derived only"); }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_TWO, &CDerivedWnd::OnTwo)
    ON_MESSAGE(WM_THREE, &CDerivedWnd::OnThree)
    ON_COMMAND(ID_PRINT, &CDerivedWnd::OnDerivedPrint)
    ON_COMMAND(ID_DERIVED_ONLY, &CDerivedWnd::OnDerivedOnly)
END_MESSAGE_MAP()

// A window and one child control, created on the test's thread.
template <class Wnd>
struct Windows {
    Wnd parent;
    CWnd edit;
    CWnd list;

    Windows()
    {
        EXPECT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, msgtest::kSmallRect,
                                    nullptr, 0));
        EXPECT_TRUE(edit.CreateEx(0, u"EDIT", u"", WS_CHILD, msgtest::kSmallRect, &parent, ID_EDIT));
        EXPECT_TRUE(list.CreateEx(0, u"LIST", u"", WS_CHILD, msgtest::kSmallRect, &parent, ID_LIST));
    }
};

TEST(MessageMap, DerivedClassInheritsAndOverridesEntries)
{
    struct Row {
        const char* name;
        bool derived;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result;
        const char* call;  // nullptr: not handled, default processing
    };
    const Row rows[] = {
        {"base handles its own", false, WM_ONE, 4, 0, 5, "base.one"},
        {"base has no entry of the derived class", false, WM_THREE, 0, 0, 0, nullptr},
        {"derived inherits", true, WM_ONE, 9, 0, 10, "base.one"},
        {"derived overrides", true, WM_TWO, 0, 0, 20, "derived.two"},
        {"derived adds", true, WM_THREE, 0, 0, 3, "derived.three"},
        {"registered number", true, g_pingMessage, 0, 0, 0x50, "base.ping"},
        {"an added entry macro cracks its parameters", true, WM_POINT, 0, MAKELPARAM(12, 34), 0, "point 12,34"},
        {"unmapped message", true, WM_UNMAPPED, 0, 0, 0, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Windows<CBaseWnd> base;
        Windows<CDerivedWnd> derived;
        CBaseWnd& wnd = row.derived ? static_cast<CBaseWnd&>(derived.parent) : base.parent;
        EXPECT_EQ(wnd.SendMessage(row.message, row.wParam, row.lParam), row.result);
        if (row.call) {
            EXPECT_EQ(wnd.calls, std::vector<std::string>{row.call});
        } else {
            EXPECT_TRUE(wnd.calls.empty());
        }
    }
}

TEST(MessageMap, RegisteredMessagesAreOneNumberPerName)
{
    EXPECT_GE(g_pingMessage, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageW(u"qv.test.PING"), g_pingMessage);
    EXPECT_NE(RegisterWindowMessageW(u"Qv.Test.Pong"), g_pingMessage);
    EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
}

TEST(MessageMap, CommandsAndNotificationsRouteByIdCodeAndRange)
{
    struct Row {
        const char* name;
        bool notify;
        UINT id;
        int code;
        bool fromControl;
        LRESULT result;
        const char* call;  // nullptr: no handler ran
    };
    const Row rows[] = {
        {"menu command", false, ID_SAVE, 0, false, 1, "save"},
        {"accelerator command", false, ID_SAVE, 1, false, 1, "save"},
        {"derived class overrides a command", false, ID_PRINT, 0, false, 1, "derived print"},
        {"derived class adds a command", false, ID_DERIVED_ONLY, 0, false, 1, "derived only"},
        {"first of a range", false, ID_SLOT_FIRST, 0, false, 1, "slot 200"},
        {"last of a range", false, ID_SLOT_LAST, 0, false, 1, "slot 209"},
        {"past the range", false, ID_SLOT_LAST + 1, 0, false, 0, nullptr},
        {"control notification by code and id", false, ID_EDIT, EN_CHANGE_CODE, true, 1, "edit change"},
        {"other code of the same control", false, ID_EDIT, EN_KILLFOCUS_CODE, true, 0, nullptr},
        {"command without handler", false, ID_NO_HANDLER, 0, false, 0, nullptr},
        {"command-ex refusing passes it on", false, ID_EX, 0, false, 0, "ex 103"},
        {"notify by code and id", true, ID_LIST, NM_CLICK_CODE, true, 77, "list click 400"},
        {"notify of another code", true, ID_LIST, NM_DBLCLK_CODE, true, 0, nullptr},
        {"notify range", true, ID_ROW_FIRST + 3, NM_DBLCLK_CODE, false, ID_ROW_FIRST + 3, "row dblclk 503"},
        {"notify beyond the range", true, ID_ROW_LAST + 1, NM_DBLCLK_CODE, false, 0, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Windows<CDerivedWnd> w;
        const HWND control = !row.fromControl ? HWND{} : row.id == ID_EDIT ? w.edit.m_hWnd : w.list.m_hWnd;
        LRESULT result;
        if (row.notify) {
            NMHDR header;
            header.hwndFrom = control;
            header.idFrom = row.id;
            header.code = static_cast<UINT>(row.code);
            result = w.parent.SendMessage(WM_NOTIFY, row.id, reinterpret_cast<LPARAM>(&header));
        } else {
            result = w.parent.SendMessage(WM_COMMAND, MAKEWPARAM(row.id, row.code), control.ToLParam());
        }
        EXPECT_EQ(result, row.result);
        if (row.call) {
            EXPECT_EQ(w.parent.calls, std::vector<std::string>{row.call});
        } else {
            EXPECT_TRUE(w.parent.calls.empty());
        }
    }
}

TEST(MessageMap, DisabledMenuCommandIsNotRun)
{
    Windows<CBaseWnd> w;
    w.parent.canSave = false;
    w.parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_SAVE, 0), 0);
    w.parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_SAVE, 1), 0);
    EXPECT_TRUE(w.parent.calls.empty());

    w.parent.canSave = true;
    w.parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_SAVE, 0), 0);
    EXPECT_EQ(w.parent.calls, std::vector<std::string>{"save"});
}

TEST(MessageMap, UpdateHandlersSetTheElementState)
{
    struct Row {
        const char* name;
        UINT id;
        bool canSave;
        BOOL disableIfNoHandler;
        BOOL handled;
        BOOL enabled;
        int check;
        const char16_t* text;
    };
    const Row rows[] = {
        {"handler enables", ID_SAVE, true, TRUE, TRUE, TRUE, 0, u""},
        {"handler disables", ID_SAVE, false, TRUE, TRUE, FALSE, 0, u""},
        {"range handler sets check and text", ID_SLOT_FIRST + 2, true, TRUE, TRUE, TRUE, 2, u"slot"},
        {"no update handler but a command handler", ID_PRINT, true, TRUE, FALSE, TRUE, 0, u""},
        {"no handler at all", ID_NO_HANDLER, true, TRUE, FALSE, FALSE, 0, u""},
        {"no handler, left alone", ID_NO_HANDLER, true, FALSE, FALSE, TRUE, 0, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Windows<CDerivedWnd> w;
        w.parent.canSave = row.canSave;
        CCmdUI ui;
        ui.m_nID = row.id;
        EXPECT_EQ(ui.DoUpdate(&w.parent, row.disableIfNoHandler), row.handled);
        EXPECT_EQ(ui.m_bEnabled, row.enabled);
        EXPECT_EQ(ui.m_nCheck, row.check);
        EXPECT_EQ(ui.m_strText, row.text);
        EXPECT_TRUE(w.parent.calls.empty()) << "an update must not run the command";
    }
}

// Records its life; WM_CREATE may refuse.
class CLifeWnd : public CWnd {
public:
    bool refuseCreate = false;
    std::vector<std::string>* log = nullptr;

    int OnCreate(LPCREATESTRUCT cs)
    {
        log->push_back("create " + CString(cs->lpszName).ToUtf8());
        return refuseCreate ? -1 : 0;
    }
    void OnDestroy() { log->push_back("destroy"); }
    void PostNcDestroy() override { log->push_back("post-nc-destroy"); }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLifeWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

TEST(MessageMap, CreateHandlerCanRefuseTheWindow)
{
    std::vector<std::string> log;
    CLifeWnd wnd;
    wnd.log = &log;
    wnd.refuseCreate = true;
    EXPECT_FALSE(wnd.CreateEx(0, u"X", u"refused", 0, msgtest::kSmallRect, nullptr, 0));
    EXPECT_FALSE(wnd.m_hWnd);
    EXPECT_EQ(log, (std::vector<std::string>{"create refused", "destroy", "post-nc-destroy"}));

    log.clear();
    wnd.refuseCreate = false;
    ASSERT_TRUE(wnd.CreateEx(0, u"X", u"taken", 0, msgtest::kSmallRect, nullptr, 0));
    EXPECT_TRUE(IsWindow(wnd.m_hWnd));
    EXPECT_EQ(log, std::vector<std::string>{"create taken"});
    EXPECT_FALSE(wnd.CreateEx(0, u"X", u"again", 0, msgtest::kSmallRect, nullptr, 0)) << "already created";
    EXPECT_TRUE(wnd.DestroyWindow());
}

TEST(MessageMap, RuntimeClassesFollowTheHierarchy)
{
    CWnd wnd;
    CCmdTarget target;
    EXPECT_TRUE(wnd.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(wnd.IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_TRUE(wnd.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(target.IsKindOf(RUNTIME_CLASS(CWnd)));
    CObject* object = &wnd;
    EXPECT_EQ(DYNAMIC_DOWNCAST(CWnd, object), &wnd);
    object = &target;
    EXPECT_EQ(DYNAMIC_DOWNCAST(CWnd, object), nullptr);
    EXPECT_STREQ(wnd.GetRuntimeClass()->m_lpszClassName, "CWnd");
}

}  // namespace
