#include "platform/core/MessageBox.h"
#include "platform/core/MessageDispatcher.h"
#include "platform/core/Wnd.h"
#include "platform/core/tests/MessageTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records the boxes and answers with a fixed button.
class RecordingService : public platform::IMessageBoxService {
public:
    int answer = IDOK;
    std::vector<platform::MessageBoxRequest> shown;

    int Show(const platform::MessageBoxRequest& request) override
    {
        shown.push_back(request);
        return answer;
    }
};

struct AppTitleScope {
    explicit AppTitleScope(const CString& title) : previous(platform::GetAppTitle()) { platform::SetAppTitle(title); }
    ~AppTitleScope() { platform::SetAppTitle(previous); }
    CString previous;
};

TEST(MessageBox, WithoutServiceTheDefaultButtonAnswers)
{
    ASSERT_EQ(platform::GetMessageBoxService(), nullptr);
    struct Row {
        const char* name;
        UINT type;
        int result;
    };
    const Row rows[] = {
        {"OK", MB_OK | MB_ICONINFORMATION, IDOK},
        {"OK, second default that does not exist", MB_OK | MB_DEFBUTTON2, IDOK},
        {"OK/Cancel", MB_OKCANCEL | MB_ICONQUESTION, IDOK},
        {"OK/Cancel, Cancel default", MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {"Yes/No", MB_YESNO | MB_ICONWARNING, IDYES},
        {"Yes/No, No default", MB_YESNO | MB_DEFBUTTON2 | MB_TASKMODAL, IDNO},
        {"Yes/No/Cancel, third default", MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {"Retry/Cancel", MB_RETRYCANCEL | MB_ICONERROR, IDRETRY},
        {"Abort/Retry/Ignore, second default", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {"Abort/Retry/Ignore, fourth default beyond the buttons", MB_ABORTRETRYIGNORE | MB_DEFBUTTON4, IDABORT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(MessageBoxW({}, u"headless", u"Test", row.type), row.result);
    }
}

TEST(MessageBox, ServiceGetsOwnerTextCaptionAndType)
{
    RecordingService service;
    platform::ScopedMessageBoxService scope(&service);
    AppTitleScope title(u"Quorvane");
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, u"X", u"", WS_OVERLAPPEDWINDOW, msgtest::kSmallRect, nullptr, 0));

    service.answer = IDNO;
    EXPECT_EQ(MessageBoxW(owner.m_hWnd, u"Connection refused", nullptr, MB_ICONWARNING | MB_TASKMODAL), IDNO);
    service.answer = IDRETRY;
    EXPECT_EQ(owner.MessageBox(u"Retry?", nullptr, MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(owner.MessageBox(u"Own caption", u"Error", MB_OK), IDRETRY);
    EXPECT_EQ(AfxMessageBox(u"From the application", MB_YESNO), IDRETRY);

    struct Row {
        const char* name;
        HWND owner;
        const char16_t* text;
        const char16_t* caption;
        UINT type;
    };
    const Row rows[] = {
        {"plain box without caption", owner.m_hWnd, u"Connection refused", u"Error", MB_ICONWARNING | MB_TASKMODAL},
        {"window box takes the application title", owner.m_hWnd, u"Retry?", u"Quorvane", MB_RETRYCANCEL},
        {"window box with its own caption", owner.m_hWnd, u"Own caption", u"Error", MB_OK},
        {"application box", HWND{}, u"From the application", u"Quorvane", MB_YESNO},
    };
    ASSERT_EQ(service.shown.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(service.shown[i].owner, rows[i].owner);
        EXPECT_EQ(service.shown[i].text, rows[i].text);
        EXPECT_EQ(service.shown[i].caption, rows[i].caption);
        EXPECT_EQ(service.shown[i].type, rows[i].type);
    }
}

TEST(MessageBox, ApplicationHandlerTakesEveryApplicationBox)
{
    RecordingService service;
    platform::ScopedMessageBoxService scope(&service);
    static std::vector<UINT> helpIds;
    helpIds.clear();
    struct HandlerScope {
        platform::AppMessageBoxHandler previous = platform::SetAppMessageBoxHandler([](LPCTSTR text, UINT type, UINT helpId) {
            helpIds.push_back(helpId);
            // What an application's handler does after its own work.
            return platform::ShowAppMessageBox({}, text, type);
        });
        ~HandlerScope() { platform::SetAppMessageBoxHandler(previous); }
    } handler;

    service.answer = IDCANCEL;
    EXPECT_EQ(AfxMessageBox(u"Closing", MB_OKCANCEL, 42), IDCANCEL);
    // By string id: the text of the current resource module (this program's
    // own strings), the help id the prompt's unless given.
    EXPECT_EQ(AfxMessageBox(110u, MB_OK), IDCANCEL);
    EXPECT_EQ(AfxMessageBox(110u, MB_OK, 7), IDCANCEL);
    EXPECT_EQ(helpIds, (std::vector<UINT>{42, 110, 7}));
    ASSERT_EQ(service.shown.size(), 3u);
    EXPECT_EQ(service.shown[0].text, u"Closing");
    EXPECT_EQ(service.shown[1].text, u"ENG");
}

// A box shown from a native event handled inside a pumping wait is a nested
// loop of its own: inside it, the thread's messages are dispatched again.
TEST(MessageBox, BoxIsANestedNativeLoop)
{
    class InsideWaitProbe : public platform::IMessageBoxService {
    public:
        int shown = 0;
        bool insideWait = true;
        int Show(const platform::MessageBoxRequest&) override
        {
            ++shown;
            insideWait = platform::IsInsideMessageWait();
            return IDOK;
        }
    } probe;
    // Its one native event is a click whose handler shows a box.
    class ClickingDispatcher : public platform::IMessageDispatcher {
    public:
        bool sawWait = false;
        void Wake() override {}
        void ProcessNativeEvents(DWORD) override
        {
            sawWait = platform::IsInsideMessageWait();
            MessageBoxW({}, u"clicked", u"Test", MB_OK);
        }
    } dispatcher;
    platform::ScopedMessageBoxService scope(&probe);
    struct DispatcherScope {
        platform::IMessageDispatcher* previous;
        ~DispatcherScope() { platform::SetThreadDispatcher(previous); }
    } installed{platform::SetThreadDispatcher(&dispatcher)};
    MSG msg;
    PeekMessageW(&msg, {}, 0, 0, PM_NOREMOVE);
    EXPECT_TRUE(dispatcher.sawWait);
    EXPECT_EQ(probe.shown, 1);
    EXPECT_FALSE(probe.insideWait);
}

}  // namespace
