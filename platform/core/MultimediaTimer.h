// The high-resolution ("multimedia") timer: one-shot and periodic callbacks
// on a timer thread of the platform's own. Callbacks of all timers run one at
// a time on that thread, so a slow callback delays the others.
//
// After timeKillEvent returns, the timer's callback is not running and will
// not run again, except when timeKillEvent is called from that callback
// itself (it then returns at once and the callback finishes normally). A
// callback must therefore not wait for the thread that kills its timer; it
// should post to it rather than send.
#pragma once

#include "platform/core/WinTypes.h"

#ifndef CALLBACK
#define CALLBACK
#endif

using MMRESULT = UINT;
using LPTIMECALLBACK = void(CALLBACK*)(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1,
                                       DWORD_PTR reserved2);

inline constexpr UINT TIME_ONESHOT = 0x0000;
inline constexpr UINT TIME_PERIODIC = 0x0001;
inline constexpr UINT TIME_CALLBACK_FUNCTION = 0x0000;
inline constexpr UINT TIME_CALLBACK_EVENT_SET = 0x0010;
inline constexpr UINT TIME_CALLBACK_EVENT_PULSE = 0x0020;
inline constexpr UINT TIME_KILL_SYNCHRONOUS = 0x0100;

inline constexpr MMRESULT TIMERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT TIMERR_NOCANDO = 97;

// The timer id, or 0 when refused: a delay of 0 or above 1,000,000 ms, no
// callback, or an event callback kind (only function callbacks are kept).
// The resolution is a hint and TIME_KILL_SYNCHRONOUS is always in effect.
MMRESULT timeSetEvent(UINT delayMs, UINT resolutionMs, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);
// TIMERR_NOERROR; MMSYSERR_INVALPARAM for an unknown id; MMSYSERR_ERROR when
// the running callback did not return within a few seconds (the timer is
// killed all the same).
MMRESULT timeKillEvent(UINT timerId);
// Accepted and ignored (0 is refused as under Windows).
MMRESULT timeBeginPeriod(UINT periodMs);
MMRESULT timeEndPeriod(UINT periodMs);
// Milliseconds, the same clock as GetTickCount.
DWORD timeGetTime();
