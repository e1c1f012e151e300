#include "platform/core/CmdTarget.h"

#include "platform/core/CmdUI.h"

#include <atomic>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

namespace {

std::atomic<platform::WaitCursorHook> g_waitCursorHook{nullptr};

void ChangeWaitCursor(int change)
{
    if (platform::WaitCursorHook hook = g_waitCursorHook.load())
        hook(change);
}

const platform::MessageMapEntry kRootEntries[] = {platform::MessageMapEntry{}};
const platform::MessageMap kRootMap = {nullptr, kRootEntries};

}  // namespace

const platform::MessageMap* CCmdTarget::GetThisMessageMap()
{
    return &kRootMap;
}

const platform::MessageMap* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    using platform::MessageEntryKind;
    MessageEntryKind kind = MessageEntryKind::kCommand;
    UINT code = static_cast<UINT>(nCode);
    if (nCode == CN_UPDATE_COMMAND_UI) {
        kind = MessageEntryKind::kUpdateCommandUi;
        code = 0;
    } else if (HIWORD(static_cast<DWORD>(nCode)) == WM_NOTIFY) {
        kind = MessageEntryKind::kNotify;
        code = LOWORD(static_cast<DWORD>(nCode));
    }
    const platform::MessageMapEntry* entry = platform::FindCommandEntry(GetMessageMap(), kind, code, nID);
    if (!entry)
        return FALSE;
    if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        return TRUE;
    }
    platform::MessageCall call;
    call.message = kind == MessageEntryKind::kNotify ? WM_NOTIFY : WM_COMMAND;
    call.id = nID;
    call.code = nCode;
    call.extra = pExtra;
    if (kind == MessageEntryKind::kUpdateCommandUi) {
        auto* cmdUi = static_cast<CCmdUI*>(pExtra);
        cmdUi->m_bContinueRouting = FALSE;
        entry->invoke(*this, *entry, call);
        return cmdUi->m_bContinueRouting ? FALSE : TRUE;
    }
    return entry->invoke(*this, *entry, call) ? TRUE : FALSE;
}

void CCmdTarget::BeginWaitCursor()
{
    ChangeWaitCursor(1);
}

void CCmdTarget::EndWaitCursor()
{
    ChangeWaitCursor(-1);
}

void CCmdTarget::RestoreWaitCursor()
{
    ChangeWaitCursor(0);
}

namespace platform {

WaitCursorHook SetWaitCursorHook(WaitCursorHook hook)
{
    return g_waitCursorHook.exchange(hook);
}

}  // namespace platform
