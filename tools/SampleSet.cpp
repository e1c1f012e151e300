#include "tools/SampleSet.h"

#include "platform/core/MessageBox.h"

#include <algorithm>
#include <limits>
#include <new>

int AllocSampleSet(SampleSet& set, int nTraceNum)
{
    if (set.IsAllocated()) return 0;
    if (nTraceNum < 0 || nTraceNum == std::numeric_limits<int>::max()) return 0;
    const std::size_t count = static_cast<std::size_t>(nTraceNum) + 1;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        set.pCh[ch] = new (std::nothrow) std::int32_t[count]();
        if (!set.pCh[ch]) {
            for (int done = 0; done < ch; ++done) {
                delete[] set.pCh[done];
                set.pCh[done] = nullptr;
            }
            AfxMessageBox(u"Memory Error", MB_OK | MB_ICONERROR);
            return 0;
        }
    }
    return 1;
}

int FreeSampleSet(SampleSet& set)
{
    if (!set.IsAllocated()) return 0;
    for (std::int32_t*& channel : set.pCh) {
        delete[] channel;
        channel = nullptr;
    }
    return 1;
}

int CopySampleSet(SampleSet& destination, const SampleSet& source, int nTraceNum)
{
    if (!destination.IsAllocated() || !source.IsAllocated() || nTraceNum < 0) return 0;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        std::copy_n(source.pCh[ch], static_cast<std::size_t>(nTraceNum) + 1, destination.pCh[ch]);
    }
    return 1;
}

int ClearSampleSet(SampleSet& set, int nTraceNum)
{
    if (!set.IsAllocated() || nTraceNum < 0) return 0;
    for (std::int32_t* channel : set.pCh) std::fill_n(channel, static_cast<std::size_t>(nTraceNum) + 1, 0);
    return 1;
}

int ReallocSampleSet(SampleSet& set, int nTraceNum)
{
    if (!FreeSampleSet(set)) return 0;
    return AllocSampleSet(set, nTraceNum);
}
