// QV_THREAD_SANITIZER is defined in builds with ThreadSanitizer (clang or
// gcc), for the few places that must know: hand-overs it cannot see, and
// code it cannot run.
#pragma once

#if defined(__SANITIZE_THREAD__)
#define QV_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QV_THREAD_SANITIZER 1
#endif
#endif
