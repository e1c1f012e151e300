#include "simulator/core/MotionLibrary.h"

#include "platform/core/Module.h"

#include <bit>

namespace {

template <typename Function>
Function Bind(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(GetProcAddress(module, name));
}

}  // namespace

bool MotionLibrary::Load(const char16_t* fileName)
{
    Release();
    const HMODULE module = LoadLibraryW(fileName);
    if (!module) return false;
    MotionFunctions functions;
    // In the library's order; the first missing export ends the binding.
    if (!(functions.vpCalc = Bind<PFN_DllVpCalc>(module, "DllVpCalc")) ||
        !(functions.accelVelCalc = Bind<PFN_DllAccelVelCalc>(module, "DllAccelVelCalc")) ||
        !(functions.decelVelCalc = Bind<PFN_DllDecelVelCalc>(module, "DllDecelVelCalc")) ||
        !(functions.accCalc = Bind<PFN_DllAccCalc>(module, "DllAccCalc")) ||
        !(functions.getLibVersion = Bind<PFN_DllGetLibVersion>(module, "DllGetLibVersion"))) {
        FreeLibrary(module);
        return false;
    }
    m_module = module;
    m_functions = functions;
    m_bound = true;
    return true;
}

bool MotionLibrary::Use(const MotionFunctions& functions)
{
    Release();
    if (!functions.Complete()) return false;
    m_functions = functions;
    m_bound = true;
    return true;
}

void MotionLibrary::Release()
{
    m_functions = MotionFunctions();
    m_bound = false;
    if (m_module) {
        FreeLibrary(m_module);
        m_module = HMODULE();
    }
}

bool MotionLibrary::VpCalc(std::int32_t mode, float start, float end, float distance, float speed,
                           float acceleration, std::int32_t decelPercent, std::int32_t driveConstant,
                           std::int32_t limitSelector, VpCalcResult& result) const
{
    if (!m_bound) return false;
    // The positions travel in their words unread; the library declares them as plain words.
    m_functions.vpCalc(mode, std::bit_cast<std::int32_t>(start), std::bit_cast<std::int32_t>(end), distance, speed,
                       acceleration, decelPercent, driveConstant, limitSelector, &result);
    return true;
}

float MotionLibrary::AccelVel(float peak, std::int32_t t, std::int32_t rampMs) const
{
    if (!m_bound) return 0.0f;
    if (rampMs <= 0) return t > 0 ? peak : 0.0f;
    return m_functions.accelVelCalc(peak, t, rampMs);
}

float MotionLibrary::DecelVel(float peak, std::int32_t t, std::int32_t rampMs) const
{
    if (!m_bound) return 0.0f;
    if (rampMs <= 0) return t > 0 ? 0.0f : peak;
    return m_functions.decelVelCalc(peak, t, rampMs);
}

bool MotionLibrary::AccCalc(std::int32_t x, std::int32_t base, std::int32_t minimum, std::int32_t mode,
                            std::int32_t k1Mantissa, std::int32_t k1Exponent, std::int32_t k2Mantissa,
                            std::int32_t k2Exponent, std::int32_t& result) const
{
    if (!m_bound) return false;
    result = m_functions.accCalc(x, base, minimum, mode, k1Mantissa, k1Exponent, k2Mantissa, k2Exponent);
    return true;
}

CString MotionLibrary::VersionText() const
{
    if (!m_bound) return CString(u"Ver. ---");
    return m_functions.getLibVersion();
}
