// The main dialog's close road (system close and File > Exit) as a decision
// over the dialog's state and the user's answer, so the rules are kept apart
// from the message boxes that ask.
#pragma once

#include "platform/core/WinTypes.h"

struct CloseState {
    bool exchange = false;      // started with "/ES"
    bool fileOpen = false;      // offline, a data file is open
    bool edited = false;        // points or parameters differ from the reference copy
    bool linkAllocated = false; // exchange mode: the link holds the shared memory
};

struct CloseOutcome {
    bool stay = true;           // the dialog stays open
    bool saveFile = false;      // save the data file first (File > Save)
    bool writeBack = false;     // write the working data into the shared record
    int result = 0;             // the dialog's result when it ends
};

// The question to ask before closing (string id, asked with Yes/No/Cancel and
// the information icon), or 0 when the close needs none.
UINT CloseQuestion(const CloseState& state);

// What to do for the answer (IDYES, IDNO, IDCANCEL; ignored when
// CloseQuestion gives 0). When saveFile is set and the save fails, the
// dialog must stay open: ending then would lose the user's edits.
CloseOutcome DecideClose(const CloseState& state, int answer);
