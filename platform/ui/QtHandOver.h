// Internal to the window layer. Qt hands events and queued calls from one
// thread to another under locks of its own, which ThreadSanitizer cannot see
// (Qt is not built with it): what the posting thread wrote would look as if
// it raced with the receiving thread's reads. HandOver(token) on the posting
// side, just before Qt takes the event, and TakeOver(token) on the receiving
// side, before it reads the event, tell it of that hand-over. Both do nothing
// in other builds.
#pragma once

#include "platform/core/ThreadSanitizer.h"

#ifdef QV_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace platform::ui {

inline void HandOver([[maybe_unused]] const void* token)
{
#ifdef QV_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(token));
#endif
}

inline void TakeOver([[maybe_unused]] const void* token)
{
#ifdef QV_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(token));
#endif
}

}  // namespace platform::ui
