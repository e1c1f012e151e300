// A stand-in for the motion library: DllAccCalc reports its arguments and
// answers 4321. QV_FAKE_OMIT_DllAccCalc leaves it out.
#include "manager/core/tests/lib/FakeLibraryLog.h"
#include "motioncalc/PellarunLib.h"

extern "C" {

#ifndef QV_FAKE_OMIT_DllAccCalc
std::int32_t DllAccCalc(std::int32_t x, std::int32_t base, std::int32_t minimum, std::int32_t mode,
                        std::int32_t k1Mantissa, std::int32_t k1Exponent, std::int32_t k2Mantissa,
                        std::int32_t k2Exponent)
{
    std::string line = "DllAccCalc";
    for (std::int32_t value : {x, base, minimum, mode, k1Mantissa, k1Exponent, k2Mantissa, k2Exponent})
        line += " " + std::to_string(value);
    FakeLog(line);
    return 4321;
}
#endif

float DllAccelVelCalc(float v, std::int32_t, std::int32_t) { return v; }
float DllDecelVelCalc(float v, std::int32_t, std::int32_t) { return v; }

}  // extern "C"
