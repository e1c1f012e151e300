// Files dropped on a window. A window that accepts files (DragAcceptFiles,
// or WS_EX_ACCEPTFILES on a frame) gets WM_DROPFILES with an HDROP when
// local files are dropped on it or on a child that does not take them
// itself; DragQueryFile reads the paths, DragQueryPoint where they fell.
// The handle lives until DragFinish, and at the latest until the window's
// handler returns.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/WindowApi.h"

#include <vector>

using HDROP = OpaqueHandle<struct DropHandleTag>;

void DragAcceptFiles(HWND hWnd, BOOL accept);
// index 0xFFFFFFFF: the number of files. A null buffer: the path's length.
// Else copies up to size - 1 characters and a terminating zero; the number
// copied. 0 for an unknown handle or index.
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT size);
inline UINT DragQueryFile(HDROP drop, UINT index, LPWSTR buffer, UINT size)
{
    return DragQueryFileW(drop, index, buffer, size);
}
// The drop point in the window's client coordinates; TRUE when it lies in
// the client area.
BOOL DragQueryPoint(HDROP drop, POINT* point);
void DragFinish(HDROP drop);

namespace platform {

// Delivers a drop of the given paths at a client point as the toolkit's drop
// would (for windows that take drops some other way, and tests).
void DeliverDroppedFiles(HWND hWnd, const std::vector<CString>& paths, POINT at);

}  // namespace platform
