// What the protocol engine needs of the link it speaks on. The engine cuts
// lines and classifies replies from the text it is given; this seam is the one
// place where that text comes from, so the engine can be driven with no port.
#pragma once

#include "platform/core/CString.h"

// Port type of a link that has no port: commands succeed without being sent.
inline constexpr int kOfflinePortType = 3;

class ControllerLink {
public:
    virtual ~ControllerLink() = default;

    // Queues a command line for sending: 1 when the link took it, 0 when it is
    // not open or not ready.
    virtual int SendData(const CString& text) = 0;
    // The text of the link's last read, taken when the link reports new data.
    virtual CString GetInBuffAtOnce() = 0;
    // The same into text, whose room a link may reuse.
    virtual void GetInBuffAtOnce(CString& text) { text = GetInBuffAtOnce(); }
    virtual int GetPortType() = 0;
    // Text has come in that the link has not handed over yet (its data
    // event waits for the thread that reads it); any thread may ask.
    virtual bool HasUnreadInput() { return false; }
    // Waits up to ms for reply text on the line itself and hands it to the
    // engine (OnDataArrived) before returning true; false when the link cannot
    // do this on the calling thread or nothing came.
    virtual bool WaitForInput(DWORD) { return false; }
};
