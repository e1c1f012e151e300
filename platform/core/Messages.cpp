#include "platform/core/Messages.h"

#include "platform/core/CString.h"
#include "platform/core/KernelObject.h"
#include "platform/core/ThreadQueue.h"
#include "platform/core/WindowRegistry.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <unordered_map>
#include <vector>

using platform::detail::Clock;
using platform::detail::CurrentQueue;
using platform::detail::SendRequest;
using platform::detail::ThreadQueue;
using platform::detail::WindowRegistry;

namespace {

// On a thread driven by a toolkit's loop, the longest time between two looks
// at the handles of MsgWaitForMultipleObjects. A change of them wakes the
// loop at once; this only bounds a wake-up that went astray.
constexpr auto kHandlePollSlice = std::chrono::milliseconds(100);

MSG MakeMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg;
    msg.hwnd = hWnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = platform::detail::TickNow();
    return msg;
}

// The objects of a wait on handles, refused as WaitForMultipleObjects refuses
// them (bad count, dead or unwaitable handle, an object twice).
bool ResolveWaitObjects(DWORD count, const HANDLE* handles, std::vector<std::shared_ptr<platform::KernelObject>>* objects)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    for (DWORD i = 0; i < count; ++i) {
        std::shared_ptr<platform::KernelObject> object = platform::GetKernelObject(handles[i]);
        if (!object)
            return false;
        if (!object->IsWaitable()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        if (std::find(objects->begin(), objects->end(), object) != objects->end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        objects->push_back(std::move(object));
    }
    return true;
}

// Takes the objects when they are ready, with the wait lock held:
// WAIT_OBJECT_0 + i, WAIT_ABANDONED_0 + i, or WAIT_TIMEOUT.
DWORD TryTakeObjects(const std::vector<std::shared_ptr<platform::KernelObject>>& objects, bool waitAll, DWORD self)
{
    using platform::AcquireResult;
    if (!waitAll) {
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const AcquireResult r = objects[i]->TryAcquire(self);
            if (r == AcquireResult::Acquired)
                return WAIT_OBJECT_0 + static_cast<DWORD>(i);
            if (r == AcquireResult::Abandoned)
                return WAIT_ABANDONED_0 + static_cast<DWORD>(i);
        }
        return WAIT_TIMEOUT;
    }
    std::vector<AcquireResult> taken;
    for (const auto& object : objects) {
        taken.push_back(object->TryAcquire(self));
        if (taken.back() == AcquireResult::NotReady) {
            taken.pop_back();
            while (!taken.empty()) {
                objects[taken.size() - 1]->UndoAcquire(self, taken.back());
                taken.pop_back();
            }
            return WAIT_TIMEOUT;
        }
    }
    for (std::size_t i = 0; i < taken.size(); ++i) {
        if (taken[i] == AcquireResult::Abandoned)
            return WAIT_ABANDONED_0 + static_cast<DWORD>(i);
    }
    return WAIT_OBJECT_0;
}

// A wait for kernel objects and messages together. The wait registers with
// its objects and with the queue, so a change of either ends the sleep at
// once: a headless thread sleeps on its own condition, a thread of a
// toolkit's loop is woken through its dispatcher.
DWORD WaitForObjectsOrInput(ThreadQueue& queue, const std::vector<std::shared_ptr<platform::KernelObject>>& objects,
                            bool waitAll, std::optional<Clock::time_point> deadline, DWORD wakeMask)
{
    const DWORD self = GetCurrentThreadId();
    const DWORD count = static_cast<DWORD>(objects.size());
    DWORD pollMs = 0;
    for (const auto& object : objects) {
        const DWORD p = object->PollIntervalMs();
        if (p != 0 && (pollMs == 0 || p < pollMs))
            pollMs = p;
    }
    const bool native = queue.Dispatcher() != nullptr;
    platform::ObjectWaiter waiter;
    waiter.native = native ? &queue : nullptr;
    struct Registration {
        ThreadQueue& queue;
        platform::ObjectWaiter& waiter;
        const std::vector<std::shared_ptr<platform::KernelObject>>& objects;
        Registration(ThreadQueue& q, platform::ObjectWaiter& w, const std::vector<std::shared_ptr<platform::KernelObject>>& o)
            : queue(q), waiter(w), objects(o)
        {
            platform::RegisterObjectWaiter(waiter, objects);
            queue.BeginHandleWait(waiter);
        }
        ~Registration()
        {
            queue.EndHandleWait();
            platform::UnregisterObjectWaiter(waiter, objects);
        }
    } registration(queue, waiter, objects);

    for (;;) {
        while (queue.AnswerOneSend()) {
        }
        Clock::time_point now;
        {
            std::unique_lock lock(platform::WaitLock());
            const DWORD state = TryTakeObjects(objects, waitAll, self);
            if (state != WAIT_TIMEOUT)
                return state;
            if (queue.HasInput(wakeMask))
                return WAIT_OBJECT_0 + count;
            if (queue.HasSends())
                continue;
            now = Clock::now();
            if (deadline && now >= *deadline)
                return WAIT_TIMEOUT;
            if (!native) {
                std::optional<Clock::time_point> until = deadline;
                if (pollMs != 0) {
                    const Clock::time_point poll = now + std::chrono::milliseconds(pollMs);
                    if (!until || poll < *until)
                        until = poll;
                }
                if (until)
                    waiter.changed.wait_until(lock, *until);
                else
                    waiter.changed.wait(lock);
                continue;
            }
        }
        DWORD sliceMs = static_cast<DWORD>(kHandlePollSlice.count());
        if (pollMs != 0)
            sliceMs = std::min(sliceMs, pollMs);
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now).count();
            sliceMs = static_cast<DWORD>(std::clamp<std::int64_t>(left, 1, sliceMs));
        }
        platform::detail::ProcessNativeEvents(queue, sliceMs);
    }
}

enum class SendOutcome { kDone, kInvalidWindow, kTimedOut };

SendOutcome Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, std::optional<UINT> timeoutMs,
                 LRESULT* result)
{
    *result = 0;
    std::shared_ptr<ThreadQueue> target;
    if (!WindowRegistry::Instance().Find(hWnd, nullptr, &target))
        return SendOutcome::kInvalidWindow;
    if (target.get() == platform::detail::CurrentQueueIfAny()) {
        *result = platform::detail::DeliverToWindow(hWnd, message, wParam, lParam);
        return SendOutcome::kDone;
    }

    const std::shared_ptr<ThreadQueue>& self = CurrentQueue();
    auto request = std::make_shared<SendRequest>();
    request->hwnd = hWnd;
    request->message = message;
    request->wParam = wParam;
    request->lParam = lParam;
    request->sender = self;
    if (!target->QueueSend(request))
        return SendOutcome::kInvalidWindow;

    std::optional<Clock::time_point> deadline;
    if (timeoutMs)
        deadline = Clock::now() + std::chrono::milliseconds(*timeoutMs);
    for (;;) {
        if (request->state.load() == SendRequest::kDone) {
            *result = request->result;
            return SendOutcome::kDone;
        }
        // Sends to this thread are answered while it waits, so two threads
        // that send to each other both get through.
        if (self->AnswerOneSend())
            continue;
        const bool queued = request->state.load() == SendRequest::kQueued;
        if (queued && deadline && Clock::now() >= *deadline) {
            if (target->WithdrawSend(*request))
                return SendOutcome::kTimedOut;
            continue;
        }
        // Once the window has begun, its handler may use memory the sender
        // lent it through the parameters, so the sender waits for the end.
        self->WaitForReply(*request, queued ? deadline : std::nullopt);
    }
}

void DispatchOne(MSG& msg)
{
    if (!platform::detail::PreTranslateChain(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Handles the posted messages that are queued now; false at a WM_QUIT, whose
// exit code goes to *exitCode.
bool DispatchQueued(ThreadQueue& queue, int* exitCode)
{
    const std::size_t count = queue.PostedCount();
    for (std::size_t i = 0; i < count; ++i) {
        while (queue.AnswerOneSend()) {
        }
        MSG msg;
        if (!queue.Take(&msg, {}, 0, 0, true, false))
            break;
        if (msg.message == WM_QUIT) {
            *exitCode = static_cast<int>(msg.wParam);
            return false;
        }
        DispatchOne(msg);
    }
    return true;
}

struct RegisteredMessages {
    std::mutex mutex;
    std::unordered_map<std::u16string, UINT> ids;
    UINT next = 0xC000;
};

}  // namespace

BOOL IsWindow(HWND hWnd)
{
    return WindowRegistry::Instance().IsValid(hWnd) ? TRUE : FALSE;
}

LRESULT SendMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (Send(hWnd, message, wParam, lParam, platform::kSendMessageTimeoutMs, &result) == SendOutcome::kTimedOut) {
        std::fprintf(stderr, "SendMessage: message 0x%04X was not taken by the window's thread within %u ms\n",
                     message, platform::kSendMessageTimeoutMs);
    }
    return result;
}

LRESULT SendMessageTimeoutW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT, UINT timeoutMs,
                            DWORD_PTR* result)
{
    LRESULT value = 0;
    const SendOutcome outcome = Send(hWnd, message, wParam, lParam, timeoutMs, &value);
    if (result)
        *result = static_cast<DWORD_PTR>(value);
    return outcome == SendOutcome::kDone ? TRUE : 0;
}

BOOL PostMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hWnd)
        return CurrentQueue()->Post(MakeMessage({}, message, wParam, lParam)) ? TRUE : FALSE;
    std::shared_ptr<ThreadQueue> queue;
    if (!WindowRegistry::Instance().Find(hWnd, nullptr, &queue))
        return FALSE;
    return queue->Post(MakeMessage(hWnd, message, wParam, lParam)) ? TRUE : FALSE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<ThreadQueue> queue = platform::detail::QueueOfThread(threadId);
    if (!queue)
        return FALSE;
    return queue->Post(MakeMessage({}, message, wParam, lParam)) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode)
{
    CurrentQueue()->PostQuit(exitCode);
}

BOOL PeekMessageW(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg)
        return FALSE;
    const std::shared_ptr<ThreadQueue>& queue = CurrentQueue();
    platform::detail::ProcessNativeEvents(*queue, 0);
    while (queue->AnswerOneSend()) {
    }
    return queue->Take(msg, hWnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, true) ? TRUE : FALSE;
}

BOOL GetMessageW(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax)
{
    if (!msg || (hWnd && !IsWindow(hWnd)))
        return -1;
    const std::shared_ptr<ThreadQueue>& queue = CurrentQueue();
    for (;;) {
        std::uint64_t seen = 0;
        const ThreadQueue::Next next = queue->AnswerOrTake(msg, hWnd, filterMin, filterMax, &seen);
        if (next == ThreadQueue::Next::kAnsweredSend)
            continue;
        if (next == ThreadQueue::Next::kMessage)
            return msg->message == WM_QUIT ? FALSE : TRUE;
        if (queue->Dispatcher())
            platform::detail::ProcessNativeEvents(*queue, INFINITE);
        else
            queue->WaitForChange(seen, std::nullopt);
    }
}

BOOL TranslateMessage(const MSG*)
{
    // Key messages come from the user-interface toolkit already translated.
    return FALSE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        // The procedure is called only when it is the one of a live timer, so a
        // made-up message cannot jump to an arbitrary address.
        const auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        ThreadQueue* queue = platform::detail::CurrentQueueIfAny();
        if (queue && queue->HasTimerProc(msg->hwnd, msg->wParam, proc)) {
            try {
                proc(msg->hwnd, WM_TIMER, msg->wParam, platform::detail::TickNow());
            } catch (...) {
                std::fprintf(stderr, "timer procedure: exception stopped\n");
            }
        }
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    return platform::detail::DeliverToWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam, msg->time);
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask)
{
    std::vector<std::shared_ptr<platform::KernelObject>> objects;
    if (count > 0 && !ResolveWaitObjects(count, handles, &objects))
        return WAIT_FAILED;
    const std::shared_ptr<ThreadQueue>& queue = CurrentQueue();
    std::optional<Clock::time_point> deadline;
    if (milliseconds != INFINITE)
        deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    if (count > 0)
        return WaitForObjectsOrInput(*queue, objects, waitAll != FALSE, deadline, wakeMask);

    for (;;) {
        const std::uint64_t seen = queue->Version();
        while (queue->AnswerOneSend()) {
        }
        if (queue->HasInput(wakeMask))
            return WAIT_OBJECT_0;
        const Clock::time_point now = Clock::now();
        if (deadline && now >= *deadline)
            return WAIT_TIMEOUT;
        if (queue->Dispatcher()) {
            DWORD waitMs = INFINITE;
            if (deadline) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now);
                waitMs = static_cast<DWORD>(std::max<std::int64_t>(1, left.count()));
            }
            platform::detail::ProcessNativeEvents(*queue, waitMs);
        } else {
            queue->WaitForChange(seen, deadline);
        }
    }
}

UINT RegisterWindowMessageW(LPCWSTR name)
{
    if (!name || !*name)
        return 0;
    static auto* registered = new RegisteredMessages;
    std::u16string key(name);
    for (char16_t& ch : key)
        ch = FoldCase(ch);
    std::lock_guard lock(registered->mutex);
    auto it = registered->ids.find(key);
    if (it != registered->ids.end())
        return it->second;
    if (registered->next > 0xFFFF)
        return 0;
    const UINT id = registered->next++;
    registered->ids.emplace(std::move(key), id);
    return id;
}

LRESULT DefWindowProcW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (platform::IWindowPeer* peer = WindowRegistry::Instance().Peer(hWnd)) {
        LRESULT result = 0;
        if (peer->DefaultProc(hWnd, message, wParam, lParam, result))
            return result;
    }
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessageW(hWnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_HELP:
        // A child's help request goes to its parent (the dialog that knows
        // the control's help).
        if ((static_cast<DWORD>(GetWindowLongPtrW(hWnd, GWL_STYLE)) & WS_CHILD) != 0) {
            if (const HWND parent = GetParent(hWnd))
                return SendMessageW(parent, WM_HELP, wParam, lParam);
        }
        return 0;
    default:
        return 0;
    }
}

HWND GetParent(HWND hWnd)
{
    platform::detail::WindowAttributes attributes;
    if (!WindowRegistry::Instance().Attributes(hWnd, &attributes))
        return {};
    return attributes.parent;
}

HWND SetParent(HWND hWndChild, HWND hWndNewParent)
{
    HWND previous;
    if (!WindowRegistry::Instance().SetParent(hWndChild, hWndNewParent, &previous))
        return {};
    return previous;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    if (!hDlg)
        return {};
    for (HWND child : WindowRegistry::Instance().Children(hDlg)) {
        if (GetDlgCtrlID(child) == nIDDlgItem)
            return child;
    }
    return {};
}

BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC proc, LPARAM lParam)
{
    if (!proc || !IsWindow(hWndParent))
        return FALSE;
    // Breadth-first over a snapshot of each level; a parent change cannot make
    // it endless since SetParent refuses cycles.
    std::vector<HWND> level = WindowRegistry::Instance().Children(hWndParent);
    while (!level.empty()) {
        std::vector<HWND> next;
        for (HWND child : level) {
            if (!IsWindow(child))
                continue;
            if (!proc(child, lParam))
                return TRUE;
            std::vector<HWND> grandChildren = WindowRegistry::Instance().Children(child);
            next.insert(next.end(), grandChildren.begin(), grandChildren.end());
        }
        level = std::move(next);
    }
    return TRUE;
}

int GetDlgCtrlID(HWND hWnd)
{
    platform::detail::WindowAttributes attributes;
    if (!WindowRegistry::Instance().Attributes(hWnd, &attributes))
        return 0;
    return static_cast<int>(attributes.id);
}

LONG_PTR GetWindowLongPtrW(HWND hWnd, int index)
{
    platform::detail::WindowAttributes a;
    if (!WindowRegistry::Instance().Attributes(hWnd, &a))
        return 0;
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG_PTR>(a.style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(a.exStyle);
    case GWLP_ID:
        return static_cast<LONG_PTR>(a.id);
    case GWLP_USERDATA:
        return a.userData;
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int index, LONG_PTR value)
{
    LONG_PTR previous = 0;
    if (!WindowRegistry::Instance().SetAttribute(hWnd, index, value, &previous))
        return 0;
    return previous;
}

DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* processId)
{
    std::shared_ptr<ThreadQueue> queue;
    if (!WindowRegistry::Instance().Find(hWnd, nullptr, &queue))
        return 0;
    if (processId)
        *processId = static_cast<DWORD>(::getpid());
    return queue->ThreadId();
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR idEvent, UINT elapseMs, TIMERPROC timerProc)
{
    if (!hWnd)
        return CurrentQueue()->SetTimer({}, idEvent, elapseMs, timerProc);
    std::shared_ptr<ThreadQueue> queue;
    if (!WindowRegistry::Instance().Find(hWnd, nullptr, &queue))
        return 0;
    return queue->SetTimer(hWnd, idEvent, elapseMs, timerProc);
}

BOOL KillTimer(HWND hWnd, UINT_PTR idEvent)
{
    if (!hWnd)
        return CurrentQueue()->KillTimer({}, idEvent) ? TRUE : FALSE;
    std::shared_ptr<ThreadQueue> queue;
    if (!WindowRegistry::Instance().Find(hWnd, nullptr, &queue))
        return FALSE;
    return queue->KillTimer(hWnd, idEvent) ? TRUE : FALSE;
}

BOOL AfxPumpMessage()
{
    MSG msg;
    if (!GetMessageW(&msg, {}, 0, 0)) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return FALSE;
    }
    DispatchOne(msg);
    return TRUE;
}

namespace platform {

bool PumpOneMessage()
{
    const std::shared_ptr<ThreadQueue>& queue = CurrentQueue();
    detail::ProcessNativeEvents(*queue, 0);
    while (queue->AnswerOneSend()) {
    }
    MSG msg;
    if (queue->Take(&msg, {}, 0, 0, true, false)) {
        if (msg.message == WM_QUIT) {
            queue->PostQuit(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchOne(msg);
    }
    return !queue->QuitPending();
}

bool PumpPendingMessages()
{
    const std::shared_ptr<ThreadQueue>& queue = CurrentQueue();
    detail::ProcessNativeEvents(*queue, 0);
    int exitCode = 0;
    if (!DispatchQueued(*queue, &exitCode)) {
        queue->PostQuit(exitCode);
        return false;
    }
    while (queue->AnswerOneSend()) {
    }
    return !queue->QuitPending();
}

int RunMessageLoop()
{
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, {}, 0, 0);
        if (got == 0 || got == -1)
            break;
        DispatchOne(msg);
    }
    return static_cast<int>(msg.wParam);
}

bool DispatchPendingMessages(int* exitCode)
{
    if (IsInsideMessageWait())
        return true;
    const std::shared_ptr<ThreadQueue>& queue = detail::CurrentQueue();
    int code = 0;
    if (!DispatchQueued(*queue, &code) || queue->TakeQuit(&code)) {
        if (exitCode)
            *exitCode = code;
        return false;
    }
    while (queue->AnswerOneSend()) {
    }
    return true;
}

}  // namespace platform
