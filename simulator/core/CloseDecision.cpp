#include "simulator/core/CloseDecision.h"

#include "platform/core/MessageBox.h"
#include "resources/simulator/pellarun_ids.h"
#include "simulator/core/SimulatorCommandLine.h"

UINT CloseQuestion(const CloseState& state)
{
    if (state.exchange) return state.edited ? IDS_ASK_APPLY_EDITS : 0;
    // Offline edits are asked about with or without a file: without one the
    // save goes through Save As, and closing silently would lose them.
    return state.edited ? IDS_ASK_SAVE_BEFORE_EXIT : 0;
}

CloseOutcome DecideClose(const CloseState& state, int answer)
{
    CloseOutcome outcome;
    const UINT question = CloseQuestion(state);
    if (state.exchange) {
        if (question == 0) {
            outcome.stay = false;
            outcome.result = kExitNothingToApply;
            return outcome;
        }
        if (answer != IDYES && answer != IDNO) return outcome;
        // Without the shared memory there is nowhere to put the data; set-up
        // has already ended the dialog in that case.
        if (!state.linkAllocated) return outcome;
        outcome.stay = false;
        outcome.writeBack = true;
        outcome.result = answer == IDYES ? kExitDataApplied : kExitNothingToApply;
        return outcome;
    }
    if (question == 0) {
        outcome.stay = false;
        outcome.result = 1;
        return outcome;
    }
    if (answer == IDYES) {
        outcome.stay = false;
        outcome.saveFile = true;
        outcome.result = kExitDataApplied;
    } else if (answer == IDNO) {
        outcome.stay = false;
        outcome.result = kExitNothingToApply;
    }
    return outcome;
}
