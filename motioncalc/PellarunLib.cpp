#include "motioncalc/PellarunLib.h"

#include "platform/core/VersionInfo.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Whole milliseconds as the total counts them: half up, cut toward zero.
// Values beyond the 64-bit range are already whole and are not converted.
double RoundMs(double ms)
{
    const double shifted = ms + 0.5;
    if (!std::isfinite(shifted))
        return 0;
    if (std::fabs(shifted) >= 9.0e18)
        return std::trunc(shifted);
    return static_cast<double>(static_cast<long long>(shifted));
}

double FiniteOrZero(float value) { return std::isfinite(value) ? static_cast<double>(value) : 0.0; }

bool AllFinite(const VpCalcResult& r)
{
    const double values[] = {r.peakSpeed,     r.accelTimeMs,   r.constTimeMs,   r.decelTimeMs, r.totalTimeMs,
                             r.accelDistance, r.constDistance, r.decelDistance, r.distance};
    return std::all_of(std::begin(values), std::end(values), [](double v) { return std::isfinite(v); });
}

void CalculateMove(std::int32_t mode, double s, double speed, double acceleration, std::int32_t decelPercent,
                   std::int32_t reference, VpCalcResult& out)
{
    out = VpCalcResult();
    out.distance = s;

    // A negative drive constant has no meaning; it sets no limits.
    const double R = reference > 0 ? static_cast<double>(reference) : 0.0;
    const double g = R / 1000.0;
    double v = speed;
    if (v < g / 50000.0)
        v = g / 50000.0;
    const double vr = R / 20.0;

    double a = acceleration;
    double d = (decelPercent != 0 && decelPercent != 100) ? acceleration * decelPercent / 100.0 : acceleration;
    if (a < g / 50.0)
        a = g / 50.0;
    if (d < g / 50.0)
        d = g / 50.0;

    // Nothing moves: no way to go, or nothing to go with.
    if (!(s > 0) || !(v > 0) || !(a > 0) || !(d > 0))
        return;

    if (mode == kVpCalcModeDerated && v < vr) {
        const double f = std::pow(v / vr, 0.8);
        a *= f;
        d *= f;
    }

    double needed = (v * v / 2.0) / a + (v * v / 2.0) / d;
    const double cap = (vr * vr / 2.0) / a + (vr * vr / 2.0) / d;
    if (needed > cap)
        needed = cap;

    if (mode == kVpCalcModeDerated && s < needed) {
        const double f = std::pow(s / needed, 2.0 / 3.0);
        a *= f;
        d *= f;
    }

    const double D = (v * v / 2.0) / a + (v * v / 2.0) / d;
    double ta, tc, td, sa, sc, sd, peak;
    if (s < D) {
        sa = s * d / (a + d);
        sd = s * a / (a + d);
        ta = std::sqrt(2.0 * sa / a);
        td = std::sqrt(2.0 * sd / d);
        peak = 2.0 * sa / ta;
        tc = 0;
        sc = 0;
    } else {
        ta = d * (2.0 * D / v) / (a + d);
        sa = v * ta / 2.0;
        td = a * (2.0 * D / v) / (a + d);
        sd = v * td / 2.0;
        sc = s - sa - sd;
        tc = sc / v;
        peak = v;
    }

    out.peakSpeed = peak;
    out.accelTimeMs = ta * 1000.0;
    out.constTimeMs = tc * 1000.0;
    out.decelTimeMs = td * 1000.0;
    out.totalTimeMs = RoundMs(out.accelTimeMs) + RoundMs(out.constTimeMs) + RoundMs(out.decelTimeMs);
    out.accelDistance = sa;
    out.constDistance = sc;
    out.decelDistance = sd;
    out.distance = s;
}

// mantissa * 10^|exponent| or mantissa / 10^|exponent|, the power built by
// repeated multiplication in single precision. Beyond 10^39 the float power
// is infinite already, so longer loops change nothing.
float Coefficient(std::int32_t mantissa, std::int32_t exponent)
{
    constexpr long long kMaxFloatPowerSteps = 40;
    const long long steps = std::min(std::llabs(static_cast<long long>(exponent)), kMaxFloatPowerSteps);
    float power = 1.0f;
    for (long long i = 0; i < steps; ++i)
        power *= 10.0f;
    const float m = static_cast<float>(mantissa);
    return exponent >= 0 ? m * power : m / power;
}

// The larger of minimum and value, cut toward zero, without converting a
// value that an int cannot hold.
std::int32_t ClampToMinimum(float value, std::int32_t minimum)
{
    if (!(value > static_cast<float>(minimum)))
        return minimum;
    if (value >= 2147483648.0f)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

float RampPhase(float v, std::int32_t t, std::int32_t rampMs, bool rising)
{
    if (!std::isfinite(v))
        return 0.0f;
    // A ramp of no length is over at once; outside the ramp the speed holds
    // its end value.
    if (rampMs <= 0 || t >= rampMs)
        return rising ? v : 0.0f;
    if (t <= 0)
        return rising ? 0.0f : v;
    const float angle = 3.1415927f / static_cast<float>(rampMs) * static_cast<float>(t);
    const float c = std::cos(angle);
    return rising ? v / 2.0f * (1.0f - c) : v / 2.0f * (1.0f + c);
}

// "Ver." and the first product version found under the translations that
// the library's own version record lists; empty without one.
CString LibraryVersionText()
{
    const char16_t* const kLibraryFile = u"PellarunLib.dll";
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(kLibraryFile, &handle);
    if (size == 0)
        return CString();
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(kLibraryFile, handle, size, block.data()))
        return CString();
    void* pairs = nullptr;
    UINT pairBytes = 0;
    if (!VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &pairs, &pairBytes) || pairs == nullptr)
        return CString();
    // Language and code page, one pair of 16-bit words per translation.
    std::vector<WORD> words(pairBytes / sizeof(WORD));
    std::memcpy(words.data(), pairs, words.size() * sizeof(WORD));
    for (std::size_t i = 0; i + 1 < words.size(); i += 2) {
        CString key;
        key.Format(u"\\StringFileInfo\\%04x%04x\\ProductVersion", words[i], words[i + 1]);
        void* text = nullptr;
        UINT length = 0;
        if (VerQueryValueW(block.data(), key, &text, &length) && text != nullptr) {
            CString version;
            version.Format(u"Ver.%s", static_cast<const char16_t*>(text));
            return version;
        }
    }
    return CString();
}

}  // namespace

extern "C" {

std::int32_t DllVpCalc(std::int32_t mode, std::int32_t, std::int32_t, float distance, float speed, float acceleration,
                       std::int32_t decelPercent, std::int32_t reference, std::int32_t, VpCalcResult* result)
{
    if (result == nullptr)
        return -1;
    // A travel is a length; its sign carries no meaning here.
    const double s = std::fabs(FiniteOrZero(distance));
    CalculateMove(mode, s, FiniteOrZero(speed), FiniteOrZero(acceleration), decelPercent, reference, *result);
    if (!AllFinite(*result)) {
        *result = VpCalcResult();
        result->distance = s;
    }
    return 0;
}

std::int32_t DllAccCalc(std::int32_t x, std::int32_t base, std::int32_t minimum, std::int32_t mode,
                        std::int32_t k1Mantissa, std::int32_t k1Exponent, std::int32_t k2Mantissa,
                        std::int32_t k2Exponent)
{
    const float k1 = Coefficient(k1Mantissa, k1Exponent);
    const float k2 = Coefficient(k2Mantissa, k2Exponent);
    const float fx = static_cast<float>(x);
    const float fbase = static_cast<float>(base);
    float value = 0.0f;
    if (mode == 0)
        value = fbase * (fx * (fx * k1) + fx * k2 + 1.0f);
    else if (mode == 1)
        value = fx > k2 ? fbase / (k1 * (fx - k2) + 1.0f) : fbase;
    else
        return 0;
    // A value that is not a number (an infinite coefficient times zero) has
    // no meaning; the minimum stands.
    if (std::isnan(value))
        return minimum;
    return ClampToMinimum(value, minimum);
}

float DllAccelVelCalc(float v, std::int32_t t, std::int32_t rampMs) { return RampPhase(v, t, rampMs, true); }

float DllDecelVelCalc(float v, std::int32_t t, std::int32_t rampMs) { return RampPhase(v, t, rampMs, false); }

CString DllGetLibVersion()
{
    try {
        return LibraryVersionText();
    } catch (...) {
        return CString();
    }
}

}  // extern "C"