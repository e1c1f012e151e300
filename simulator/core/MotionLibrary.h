// The simulator's binding of the motion calculation library: loaded once by
// name when the main dialog opens, all five exports required, freed when
// the dialog closes. Tests and the program alike may hand it a table of
// functions instead of a library file.
#pragma once

#include "motioncalc/PellarunLib.h"
#include "platform/core/WinTypes.h"

inline constexpr char16_t kMotionLibraryFileName[] = u"PellarunLib.dll";

struct MotionFunctions {
    PFN_DllVpCalc vpCalc = nullptr;
    PFN_DllAccelVelCalc accelVelCalc = nullptr;
    PFN_DllDecelVelCalc decelVelCalc = nullptr;
    PFN_DllAccCalc accCalc = nullptr;
    PFN_DllGetLibVersion getLibVersion = nullptr;

    bool Complete() const { return vpCalc && accelVelCalc && decelVelCalc && accCalc && getLibVersion; }
};

class MotionLibrary {
public:
    MotionLibrary() = default;
    ~MotionLibrary() { Release(); }
    MotionLibrary(const MotionLibrary&) = delete;
    MotionLibrary& operator=(const MotionLibrary&) = delete;

    // Loads the library from the program's folder and binds DllVpCalc,
    // DllAccelVelCalc, DllDecelVelCalc, DllAccCalc and DllGetLibVersion. At
    // the first missing export the library is freed again and nothing is
    // bound. Any earlier binding is released first.
    bool Load(const char16_t* fileName = kMotionLibraryFileName);
    // Binds a complete table of functions without a library file; false, with
    // nothing bound, when one is missing.
    bool Use(const MotionFunctions& functions);
    void Release();

    bool IsLoaded() const { return m_bound; }
    const MotionFunctions& Functions() const { return m_functions; }

    // The calls; each false (or the stated fall-back) when nothing is bound.
    // A ramp of 0 ms is already over: no division by zero reaches the library.
    bool VpCalc(std::int32_t mode, float start, float end, float distance, float speed, float acceleration,
                std::int32_t decelPercent, std::int32_t driveConstant, std::int32_t limitSelector,
                VpCalcResult& result) const;
    float AccelVel(float peak, std::int32_t t, std::int32_t rampMs) const;
    float DecelVel(float peak, std::int32_t t, std::int32_t rampMs) const;
    bool AccCalc(std::int32_t x, std::int32_t base, std::int32_t minimum, std::int32_t mode, std::int32_t k1Mantissa,
                 std::int32_t k1Exponent, std::int32_t k2Mantissa, std::int32_t k2Exponent,
                 std::int32_t& result) const;
    // The about box's text: the library's "Ver.<version>", "Ver. ---" when
    // nothing is bound.
    CString VersionText() const;

private:
    HMODULE m_module{};
    MotionFunctions m_functions;
    bool m_bound = false;
};
