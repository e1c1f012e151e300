// Sample sets of the trace: four arrays (channel 1 first) of N + 1 signed
// 32-bit samples, N being the trace count. A set is wholly allocated or
// wholly empty, judged by its first pointer. Every function returns 1 on
// success and 0 otherwise.
#pragma once

#include <cstdint>

inline constexpr int kTraceChannelCount = 4;

struct SampleSet {
    std::int32_t* pCh[kTraceChannelCount] = {nullptr, nullptr, nullptr, nullptr};

    bool IsAllocated() const { return pCh[0] != nullptr; }
};

// 0 when the set is already allocated or N is negative. On a failed
// allocation: "Memory Error", the set stays empty, 0.
int AllocSampleSet(SampleSet& set, int nTraceNum);
int FreeSampleSet(SampleSet& set);
int CopySampleSet(SampleSet& destination, const SampleSet& source, int nTraceNum);
int ClearSampleSet(SampleSet& set, int nTraceNum);
// Frees and allocates again for the new N; 0 (and still empty) when the set
// was not allocated.
int ReallocSampleSet(SampleSet& set, int nTraceNum);
