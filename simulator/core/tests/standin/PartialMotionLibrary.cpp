// A motion library that has four of the five exports: DllGetLibVersion is
// missing, so a binding that needs all five must refuse it.
#include "motioncalc/PellarunLib.h"

#include <cstdint>

extern "C" {

std::int32_t DllVpCalc(std::int32_t, std::int32_t, std::int32_t, float, float, float, std::int32_t, std::int32_t,
                       std::int32_t, VpCalcResult* result)
{
    if (result) *result = VpCalcResult{};
    return 0;
}

std::int32_t DllAccCalc(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                        std::int32_t, std::int32_t)
{
    return 0;
}

float DllAccelVelCalc(float, std::int32_t, std::int32_t) { return 0.0f; }
float DllDecelVelCalc(float, std::int32_t, std::int32_t) { return 0.0f; }

}  // extern "C"
