// Where a file dialog opens: in the folder the user last chose a file of the
// same kind in (kept across runs), else in the user's documents folder. A
// request that names its own folder keeps it. The kind of a request is its
// default extension, else the patterns of its first filter.
#pragma once

#include "platform/core/CString.h"

namespace platform {

struct FileDialogRequest;

CString FileKindOf(const FileDialogRequest& request);
// The remembered folder of the kind while it exists, else the documents
// folder (the home folder when there is none).
CString StartFolderFor(const CString& kind);
// Remembers the folder that holds path for the kind.
void RememberFolderFor(const CString& kind, const CString& path);
// The request as it is shown: without a folder of its own it opens in the
// kind's folder.
FileDialogRequest WithStartFolder(const FileDialogRequest& request);

}  // namespace platform
