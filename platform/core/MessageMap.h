// Message maps: which member function of a class handles which message,
// command or notification. A class declares its map with
// DECLARE_MESSAGE_MAP() and defines it in its source file:
//
//   BEGIN_MESSAGE_MAP(CLinkWindow, CWnd)
//       ON_MESSAGE(WM_USER + 1000, &CLinkWindow::OnLinkEvent)
//       ON_WM_TIMER()
//       ON_COMMAND(ID_CONNECT, &CLinkWindow::OnConnect)
//   END_MESSAGE_MAP()
//
// A map is searched first, then its base class's map, and so on: a class
// inherits its base's entries and overrides one by naming the same message.
//
// Every entry is one MessageMapEntry: what it matches (a window message, a
// command id range with a notification code, a WM_NOTIFY code with an id
// range, or an update-UI id range) and one invoker, a plain function that
// "cracks" the parameters and calls the handler. The handler's member pointer
// is kept in the entry with its exact type; the invoker is instantiated for
// that type, so no member pointer is ever cast to an unrelated type.
//
// Adding an entry macro (without touching this file)
// --------------------------------------------------
// Write a cracker: a struct with
//
//   template <class T, class Fn>
//   static bool Invoke(T& object, Fn handler, platform::MessageCall& call);
//
// that calls (object.*handler)(...) with arguments taken from call (message,
// wParam, lParam for window messages; id, code, extra for commands), stores
// the message result in call.result and returns true when the message counts
// as handled. Then define the macro with one of the entry makers, giving the
// handler's exact member pointer type in terms of ThisClass (the class whose
// map is being defined); the type goes last because it may contain commas:
//
//   struct CrackMouse {
//       template <class T, class Fn>
//       static bool Invoke(T& object, Fn handler, platform::MessageCall& call)
//       {
//           (object.*handler)(static_cast<UINT>(call.wParam),
//                             CPoint(GET_X_LPARAM(call.lParam), GET_Y_LPARAM(call.lParam)));
//           return true;
//       }
//   };
//   #define ON_WM_LBUTTONDOWN() MSGMAP_MESSAGE_ENTRY(WM_LBUTTONDOWN, CrackMouse,
//           &ThisClass::OnLButtonDown, void (ThisClass::*)(UINT, CPoint))
//   #define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
//
// MSGMAP_COMMAND_ENTRY(code, idFirst, idLast, Cracker, handler, type) makes a
// WM_COMMAND entry (code = control notification code, 0 for menus and
// buttons); MSGMAP_NOTIFY_ENTRY does the same for WM_NOTIFY; and
// MSGMAP_UPDATE_UI_ENTRY(idFirst, idLast, Cracker, handler, type) an update
// handler. Reflected notifications are window messages of their own numbers.
#pragma once

#include "platform/core/Messages.h"

#include <cstring>
#include <type_traits>

class CCmdTarget;
class CCmdUI;

// Marks message handlers in class declarations.
#define afx_msg

// pExtra of a WM_NOTIFY routed through OnCmdMsg.
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// Filled by OnCmdMsg when it is asked only whether a handler exists.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget = nullptr;
};

// Codes of OnCmdMsg besides the control notification codes.
inline constexpr int CN_COMMAND = 0;
inline constexpr int CN_UPDATE_COMMAND_UI = -1;

namespace platform {

enum class MessageEntryKind : std::uint8_t {
    kEnd,
    kMessage,            // a window message
    kRegisteredMessage,  // a message number from RegisterWindowMessage
    kCommand,            // WM_COMMAND: notification code and id range
    kNotify,             // WM_NOTIFY: notification code and id range
    kUpdateCommandUi,    // update handler: id range
};

// What a handler is called with, and what it answers.
struct MessageCall {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // Commands: the id, the OnCmdMsg code and its pExtra (the CCmdUI of an
    // update, the AFX_NOTIFY of a notification).
    UINT id = 0;
    int code = 0;
    void* extra = nullptr;
    LRESULT result = 0;
};

struct MessageMapEntry;
using MessageInvoker = bool (*)(CCmdTarget& target, const MessageMapEntry& entry, MessageCall& call);

// Room for one member function pointer.
inline constexpr std::size_t kHandlerStorageSize = 2 * sizeof(void*);

struct MessageMapEntry {
    MessageEntryKind kind = MessageEntryKind::kEnd;
    UINT message = 0;
    UINT code = 0;
    UINT idFirst = 0;
    UINT idLast = 0;
    const UINT* registeredMessage = nullptr;
    MessageInvoker invoke = nullptr;
    unsigned char handler[kHandlerStorageSize] = {};

    // The stored handler, as the type it was stored with.
    template <class Fn>
    Fn Handler() const
    {
        Fn fn;
        std::memcpy(&fn, handler, sizeof fn);
        return fn;
    }
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;
};

template <class Fn>
struct MemberFunctionClass;
template <class C, class R, class... A>
struct MemberFunctionClass<R (C::*)(A...)> {
    using type = C;
};
template <class C, class R, class... A>
struct MemberFunctionClass<R (C::*)(A...) const> {
    using type = C;
};
template <class C, class R, class... A>
struct MemberFunctionClass<R (C::*)(A...) noexcept> {
    using type = C;
};
template <class C, class R, class... A>
struct MemberFunctionClass<R (C::*)(A...) const noexcept> {
    using type = C;
};

template <class Cracker, class Fn>
bool InvokeEntry(CCmdTarget& target, const MessageMapEntry& entry, MessageCall& call)
{
    using Class = typename MemberFunctionClass<Fn>::type;
    return Cracker::Invoke(static_cast<Class&>(target), entry.template Handler<Fn>(), call);
}

template <class Cracker, class Fn>
MessageMapEntry MakeEntry(MessageEntryKind kind, UINT message, UINT code, UINT idFirst, UINT idLast,
                          const UINT* registeredMessage, Fn handler)
{
    static_assert(std::is_member_function_pointer_v<Fn>, "a handler is a member function");
    static_assert(sizeof(Fn) <= kHandlerStorageSize, "member function pointer too large for an entry");
    static_assert(std::is_trivially_copyable_v<Fn>);
    MessageMapEntry entry;
    entry.kind = kind;
    entry.message = message;
    entry.code = code;
    entry.idFirst = idFirst;
    entry.idLast = idLast;
    entry.registeredMessage = registeredMessage;
    entry.invoke = &InvokeEntry<Cracker, Fn>;
    std::memcpy(entry.handler, &handler, sizeof handler);
    return entry;
}

// Entry makers. Fn is given explicitly: the handler converts to it (which
// also picks one of overloaded handlers), and the invoker is made for it.
template <class Cracker, class Fn>
MessageMapEntry MessageEntry(UINT message, std::type_identity_t<Fn> handler)
{
    return MakeEntry<Cracker, Fn>(MessageEntryKind::kMessage, message, 0, 0, 0, nullptr, handler);
}

template <class Cracker, class Fn>
MessageMapEntry RegisteredMessageEntry(const UINT* message, std::type_identity_t<Fn> handler)
{
    return MakeEntry<Cracker, Fn>(MessageEntryKind::kRegisteredMessage, 0, 0, 0, 0, message, handler);
}

template <class Cracker, class Fn>
MessageMapEntry CommandEntry(UINT code, UINT idFirst, UINT idLast, std::type_identity_t<Fn> handler)
{
    return MakeEntry<Cracker, Fn>(MessageEntryKind::kCommand, WM_COMMAND, code, idFirst, idLast, nullptr, handler);
}

template <class Cracker, class Fn>
MessageMapEntry NotifyEntry(UINT code, UINT idFirst, UINT idLast, std::type_identity_t<Fn> handler)
{
    return MakeEntry<Cracker, Fn>(MessageEntryKind::kNotify, WM_NOTIFY, code, idFirst, idLast, nullptr, handler);
}

template <class Cracker, class Fn>
MessageMapEntry UpdateUiEntry(UINT idFirst, UINT idLast, std::type_identity_t<Fn> handler)
{
    return MakeEntry<Cracker, Fn>(MessageEntryKind::kUpdateCommandUi, WM_COMMAND, 0, idFirst, idLast, nullptr,
                                  handler);
}

// Searches a map and its bases for the entry of a window message.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message);
// Searches for a command, notify or update entry: kind, code (compared in its
// low 16 bits for notifications) and an id within the entry's range.
const MessageMapEntry* FindCommandEntry(const MessageMap* map, MessageEntryKind kind, UINT code, UINT id);

// Crackers of the entry macros below.
namespace crack {

struct WParamLParam {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        call.result = (object.*handler)(call.wParam, call.lParam);
        return true;
    }
};

struct NoArguments {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)();
        call.result = 0;
        return true;
    }
};

struct Create {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        call.result = (object.*handler)(reinterpret_cast<CREATESTRUCTW*>(call.lParam));
        return true;
    }
};

struct Timer {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<UINT_PTR>(call.wParam));
        call.result = 0;
        return true;
    }
};

struct SysCommand {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<UINT>(call.wParam), call.lParam);
        call.result = 0;
        return true;
    }
};

struct CommandId {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(call.id);
        return true;
    }
};

// The handler's FALSE lets the command go on to the next target.
struct CommandEx {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        return (object.*handler)(call.id) != FALSE;
    }
};

struct Notify {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        auto* notify = static_cast<AFX_NOTIFY*>(call.extra);
        (object.*handler)(notify->pNMHDR, notify->pResult);
        return true;
    }
};

struct NotifyRange {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        auto* notify = static_cast<AFX_NOTIFY*>(call.extra);
        (object.*handler)(call.id, notify->pNMHDR, notify->pResult);
        return true;
    }
};

struct NotifyEx {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        auto* notify = static_cast<AFX_NOTIFY*>(call.extra);
        return (object.*handler)(call.id, notify->pNMHDR, notify->pResult) != FALSE;
    }
};

struct UpdateUi {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<CCmdUI*>(call.extra));
        return true;
    }
};

}  // namespace crack

}  // namespace platform

#define DECLARE_MESSAGE_MAP()                                             \
protected:                                                                \
    static const ::platform::MessageMap* GetThisMessageMap();             \
                                                                          \
public:                                                                   \
    const ::platform::MessageMap* GetMessageMap() const override;         \
                                                                          \
protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                         \
    const ::platform::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const ::platform::MessageMap* theClass::GetThisMessageMap()                                       \
    {                                                                                                 \
        using ThisClass [[maybe_unused]] = theClass;                                                  \
        using TheBaseClass = baseClass;                                                               \
        static const ::platform::MessageMapEntry kMessageEntries[] = {

#define END_MESSAGE_MAP()                                                                                  \
        ::platform::MessageMapEntry{}};                                                                    \
        static const ::platform::MessageMap kMessageMap = {&TheBaseClass::GetThisMessageMap, kMessageEntries}; \
        return &kMessageMap;                                                                               \
    }

// Entry makers for new entry macros (see above).
#define MSGMAP_MESSAGE_ENTRY(message, Cracker, handler, ...) \
    ::platform::MessageEntry<Cracker, __VA_ARGS__>(message, handler),
#define MSGMAP_COMMAND_ENTRY(code, idFirst, idLast, Cracker, handler, ...) \
    ::platform::CommandEntry<Cracker, __VA_ARGS__>(static_cast<UINT>(code), idFirst, idLast, handler),
#define MSGMAP_NOTIFY_ENTRY(code, idFirst, idLast, Cracker, handler, ...) \
    ::platform::NotifyEntry<Cracker, __VA_ARGS__>(static_cast<UINT>(code), idFirst, idLast, handler),
#define MSGMAP_UPDATE_UI_ENTRY(idFirst, idLast, Cracker, handler, ...) \
    ::platform::UpdateUiEntry<Cracker, __VA_ARGS__>(idFirst, idLast, handler),

// LRESULT OnX(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) \
    MSGMAP_MESSAGE_ENTRY(message, ::platform::crack::WParamLParam, memberFxn, LRESULT (ThisClass::*)(WPARAM, LPARAM))
// The message number is read from the variable when a message arrives.
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                                    \
    ::platform::RegisteredMessageEntry<::platform::crack::WParamLParam, LRESULT (ThisClass::*)(WPARAM, LPARAM)>( \
        &(nMessageVariable), memberFxn),

// int OnCreate(LPCREATESTRUCT): -1 makes the creation fail.
#define ON_WM_CREATE() \
    MSGMAP_MESSAGE_ENTRY(WM_CREATE, ::platform::crack::Create, &ThisClass::OnCreate, int (ThisClass::*)(LPCREATESTRUCT))
#define ON_WM_DESTROY() \
    MSGMAP_MESSAGE_ENTRY(WM_DESTROY, ::platform::crack::NoArguments, &ThisClass::OnDestroy, void (ThisClass::*)())
#define ON_WM_NCDESTROY()                                                                          \
    MSGMAP_MESSAGE_ENTRY(WM_NCDESTROY, ::platform::crack::NoArguments, &ThisClass::OnNcDestroy, \
                         void (ThisClass::*)())
#define ON_WM_CLOSE() \
    MSGMAP_MESSAGE_ENTRY(WM_CLOSE, ::platform::crack::NoArguments, &ThisClass::OnClose, void (ThisClass::*)())
#define ON_WM_TIMER() \
    MSGMAP_MESSAGE_ENTRY(WM_TIMER, ::platform::crack::Timer, &ThisClass::OnTimer, void (ThisClass::*)(UINT_PTR))
#define ON_WM_SYSCOMMAND()                                                                             \
    MSGMAP_MESSAGE_ENTRY(WM_SYSCOMMAND, ::platform::crack::SysCommand, &ThisClass::OnSysCommand, \
                         void (ThisClass::*)(UINT, LPARAM))

// void OnX()
#define ON_COMMAND(id, memberFxn) \
    MSGMAP_COMMAND_ENTRY(CN_COMMAND, id, id, ::platform::crack::NoArguments, memberFxn, void (ThisClass::*)())
// BOOL OnX(UINT id): FALSE passes the command on.
#define ON_COMMAND_EX(id, memberFxn) \
    MSGMAP_COMMAND_ENTRY(CN_COMMAND, id, id, ::platform::crack::CommandEx, memberFxn, BOOL (ThisClass::*)(UINT))
// void OnX(UINT id)
#define ON_COMMAND_RANGE(idFirst, idLast, memberFxn)                                             \
    MSGMAP_COMMAND_ENTRY(CN_COMMAND, idFirst, idLast, ::platform::crack::CommandId, memberFxn, \
                         void (ThisClass::*)(UINT))
// void OnX(): notification code wNotifyCode of control id.
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    MSGMAP_COMMAND_ENTRY(wNotifyCode, id, id, ::platform::crack::NoArguments, memberFxn, void (ThisClass::*)())
// void OnX(UINT id)
#define ON_CONTROL_RANGE(wNotifyCode, idFirst, idLast, memberFxn)                                 \
    MSGMAP_COMMAND_ENTRY(wNotifyCode, idFirst, idLast, ::platform::crack::CommandId, memberFxn, \
                         void (ThisClass::*)(UINT))
// void OnX(NMHDR*, LRESULT*)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                          \
    MSGMAP_NOTIFY_ENTRY(wNotifyCode, id, id, ::platform::crack::Notify, memberFxn, \
                        void (ThisClass::*)(NMHDR*, LRESULT*))
// void OnX(UINT id, NMHDR*, LRESULT*)
#define ON_NOTIFY_RANGE(wNotifyCode, idFirst, idLast, memberFxn)                                 \
    MSGMAP_NOTIFY_ENTRY(wNotifyCode, idFirst, idLast, ::platform::crack::NotifyRange, memberFxn, \
                        void (ThisClass::*)(UINT, NMHDR*, LRESULT*))
// BOOL OnX(UINT id, NMHDR*, LRESULT*): FALSE passes the notification on.
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn)                                         \
    MSGMAP_NOTIFY_ENTRY(wNotifyCode, id, id, ::platform::crack::NotifyEx, memberFxn, \
                        BOOL (ThisClass::*)(UINT, NMHDR*, LRESULT*))
// void OnX(CCmdUI*)
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
    MSGMAP_UPDATE_UI_ENTRY(id, id, ::platform::crack::UpdateUi, memberFxn, void (ThisClass::*)(CCmdUI*))
#define ON_UPDATE_COMMAND_UI_RANGE(idFirst, idLast, memberFxn) \
    MSGMAP_UPDATE_UI_ENTRY(idFirst, idLast, ::platform::crack::UpdateUi, memberFxn, void (ThisClass::*)(CCmdUI*))
