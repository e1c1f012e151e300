#include "manager/core/StatusCells.h"

StatusSnapshot StatusCells::Snapshot() const
{
    std::lock_guard guard(m_lock);
    return m_values;
}

WORD StatusCells::Inputs() const
{
    std::lock_guard guard(m_lock);
    return m_values.inputs;
}

WORD StatusCells::Outputs() const
{
    std::lock_guard guard(m_lock);
    return m_values.outputs;
}

WideIoBlock StatusCells::WideIo() const
{
    std::lock_guard guard(m_lock);
    return m_values.wideIo;
}

DWORD StatusCells::Options() const
{
    std::lock_guard guard(m_lock);
    return m_values.options;
}

ControllerStatus StatusCells::Status() const
{
    std::lock_guard guard(m_lock);
    return m_values.status;
}

void StatusCells::SetInputs(WORD word)
{
    std::lock_guard guard(m_lock);
    m_values.inputs = word;
}

void StatusCells::SetOutputs(WORD word)
{
    std::lock_guard guard(m_lock);
    m_values.outputs = word;
}

void StatusCells::SetWideIo(const WideIoBlock& block)
{
    std::lock_guard guard(m_lock);
    m_values.wideIo = block;
}

void StatusCells::SetOptions(DWORD value)
{
    std::lock_guard guard(m_lock);
    m_values.options = value;
}

void StatusCells::SetStatus(const ControllerStatus& status, const StatusSource& source)
{
    std::lock_guard guard(m_lock);
    m_values.status = status;
    m_values.source = source;
}

bool StatusCells::StatusOf(const StatusSource& source, ControllerStatus& out) const
{
    std::lock_guard guard(m_lock);
    if (m_values.source != source) return false;
    out = m_values.status;
    return true;
}

void StatusCells::Store(const StatusSnapshot& values)
{
    std::lock_guard guard(m_lock);
    m_values = values;
}
