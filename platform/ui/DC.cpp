#include "platform/ui/DC.h"

#include "platform/ui/GdiInternal.h"
#include "platform/ui/TemporaryWrapper.h"

CDC* CDC::FromHandle(HDC dc)
{
    return platform::gdi::TemporaryWrapper<CDC>(dc, [](std::uint64_t v) {
        return platform::gdi::LookupDc(HDC::FromValue(v)) != nullptr;
    });
}
