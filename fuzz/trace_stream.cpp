// The trace sample stream: text as the controller streams it, handed to the
// extract pass in pieces, in a monitor or a trigger trace. The input is six
// bytes of set-up (samples, mode, bit targets, trigger source and slope,
// pre-trigger, piece length), then the stream.
#include "fuzz/FuzzSupport.h"
#include "tools/TraceAcquisition.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t samples = fuzz::TakeByte(bytes);
    const std::uint8_t mode = fuzz::TakeByte(bytes);
    const std::uint8_t bits = fuzz::TakeByte(bytes);
    const std::uint8_t trigger = fuzz::TakeByte(bytes);
    const std::uint8_t preTrigger = fuzz::TakeByte(bytes);
    const std::size_t piece = 1 + fuzz::TakeByte(bytes);

    CTraceModel model;
    model.m_TraceSet.TRACE_NUM = 1 + samples % 64;
    model.m_TraceSet.TRACE_MODE = mode & 1;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        model.m_TraceSet.bBitTarget[ch] = (bits >> ch) & 1;
        model.m_TraceSet.SEL_BIT_CH[ch] = static_cast<std::uint8_t>((bits >> 4) * 2 + ch);
        model.m_TraceSet.SEL_DAT_CH[ch] = static_cast<std::uint16_t>(ch + 1);
    }
    model.m_TrigSet.SOURCE = trigger & 7;
    model.m_TrigSet.SLOPE = (trigger >> 3) & 3;
    model.m_TrigSet.LEVEL = static_cast<std::int8_t>(mode & 0xFE) * 4;
    model.m_TrigSet.PRE_TRIGGER = preTrigger;
    if (!model.AllocBuffers()) return 0;

    CTraceAcquisition acquisition(model);
    if (mode & 1) acquisition.StartTriggerTrace();
    else acquisition.StartMonitorTrace();
    const std::u16string stream = fuzz::BytesToText(bytes);
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        acquisition.Receiver().Append(CString(std::u16string_view(stream).substr(at, piece)));
        acquisition.ExtractLines();
        if (model.GetUpdatePointer() < -1 || model.GetUpdatePointer() > model.m_TraceSet.TRACE_NUM) __builtin_trap();
    }
    if (mode & 1) {
        if (mode & 2) acquisition.EndTriggerTrace();
        else acquisition.AbortTriggerTrace();
    } else {
        acquisition.StopMonitorTrace();
    }

    SampleSet set;
    if (AllocSampleSet(set, 4)) {
        CTraceAcquisition::ParseSampleLine(CString(stream), model.m_TraceSet, set, 2, 4);
        FreeSampleSet(set);
    }
    return 0;
}
