#include "simulator/core/PointDetailSettings.h"

PointDetailSettings PointDetailSettings::From(std::int32_t flags, std::int32_t decimals, const CString& code)
{
    PointDetailSettings settings;
    settings.pointType = flags & 1;
    settings.optimisation = (flags >> 1) != 0 ? 0 : 1;
    settings.decimalsIndex = decimals - 2;
    settings.decimalsEnabled = code.Find(u'P') >= 0;
    return settings;
}
