// The current controller's polled status as the manager's windows see it: the
// IN word, the OUT word, the WIO block, the OPT value and the D-range status
// record, with the link hand-shake beside them. The status poll writes them on
// its own thread; panels and monitors read them on theirs. Every read and
// write goes through one small lock, so a reader always gets whole values and
// Snapshot gives all five cells as one cycle left them.
//
// The first data manager of the process allocates the cells and hands them to
// the main window; the last one takes them back. Readers keep the shared
// pointer they were given, so the cells outlive any reader that still holds
// them.
#pragma once

#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerStatus.h"
#include "manager/core/LinkHandshake.h"
#include "platform/core/WinTypes.h"

#include <mutex>

// The controller a status record was read from: its data manager and node.
// With several controller windows the one poll follows the active window, so
// a window tells its own controller's record from another's by this.
struct StatusSource {
    const void* manager = nullptr;
    int node = 0;

    friend bool operator==(const StatusSource&, const StatusSource&) = default;
};

struct StatusSnapshot {
    WORD inputs = 0;
    WORD outputs = 0;
    WideIoBlock wideIo{};
    DWORD options = 0;
    ControllerStatus status;
    StatusSource source;

    friend bool operator==(const StatusSnapshot&, const StatusSnapshot&) = default;
};

class StatusCells {
public:
    // Bit 12 of the OUT word: set while the axis moves.
    static constexpr WORD kMovingOutputBit = 0x1000;

    StatusCells() = default;
    StatusCells(const StatusCells&) = delete;
    StatusCells& operator=(const StatusCells&) = delete;

    StatusSnapshot Snapshot() const;
    WORD Inputs() const;
    WORD Outputs() const;
    WideIoBlock WideIo() const;
    DWORD Options() const;
    ControllerStatus Status() const;

    void SetInputs(WORD word);
    void SetOutputs(WORD word);
    void SetWideIo(const WideIoBlock& block);
    void SetOptions(DWORD value);
    void SetStatus(const ControllerStatus& status, const StatusSource& source = {});
    // The status record when it was read from that controller; false (out
    // untouched) while the cells hold another controller's.
    bool StatusOf(const StatusSource& source, ControllerStatus& out) const;
    // Back to the values of a snapshot (a panel that leaves the link puts its
    // last copy back).
    void Store(const StatusSnapshot& values);

    LinkHandshake& Handshake() { return m_handshake; }

private:
    mutable std::mutex m_lock;
    StatusSnapshot m_values;
    LinkHandshake m_handshake;
};
