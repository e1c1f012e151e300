// Message pumping while the library waits on the user-interface thread, and
// the resumption of a suspended worker.
#pragma once

#include "platform/core/WinTypes.h"

// Handles the messages that are waiting now; a handler that posts again does
// not keep it running.
void PumpAllMessages();
// Handles waiting messages, at most nCount and at least one; nothing when no
// message waits.
void PumpMessages(int nCount);
// Resumes a thread until its suspend count is 0.
void ResumeFully(HANDLE hThread);
