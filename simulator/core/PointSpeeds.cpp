#include "simulator/core/PointSpeeds.h"

#include "simulator/core/DecimalText.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool ValidIndex(int index) { return index >= 0 && index < kPointCount; }

}  // namespace

float PointSpeeds::Speed(int index) const
{
    return ValidIndex(index) ? m_speed[static_cast<std::size_t>(index)] : 0.0f;
}

float PointSpeeds::Accel(int index) const
{
    return ValidIndex(index) ? m_accel[static_cast<std::size_t>(index)] : 0.0f;
}

void PointSpeeds::Set(int index, float speed, float accel)
{
    if (!ValidIndex(index)) return;
    m_speed[static_cast<std::size_t>(index)] = speed;
    m_accel[static_cast<std::size_t>(index)] = accel;
}

void PointSpeeds::Load(const std::array<PointRecord, kPointCount>& points)
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        const bool present = points[i].IsUsed();
        m_speed[i] = present ? static_cast<float>(points[i].s) : 0.0f;
        m_accel[i] = present ? static_cast<float>(points[i].ac) : 0.0f;
    }
}

void PointSpeeds::Store(std::array<PointRecord, kPointCount>& points) const
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!points[i].IsUsed()) continue;
        // Whole numbers in the record; single precision leaves typed values
        // a hair off, so round rather than cut.
        points[i].s = RoundToInt32(m_speed[i]);
        points[i].ac = RoundToInt32(m_accel[i]);
    }
}

void PointSpeeds::Convert(SpeedUnits to, const std::array<PointRecord, kPointCount>& points,
                          const RobotParameterSet& params)
{
    const float maxSpeed = static_cast<float>(params.K(44));
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!points[i].IsUsed()) continue;
        const float maxAccel = static_cast<float>((points[i].f & 1) ? params.K(79) : params.K(77));
        if (to == SpeedUnits::kPhysical) {
            m_speed[i] = maxSpeed * m_speed[i] / 100.0f;
            m_accel[i] = maxAccel * m_accel[i] / 100.0f;
        } else {
            // A maximum of 0 would divide by zero; the percent then stays at its floor.
            const float speed = maxSpeed > 0 ? m_speed[i] * 100.0f / maxSpeed : 1.0f;
            const float accel = maxAccel > 0 ? m_accel[i] * 100.0f / maxAccel : 1.0f;
            m_speed[i] = std::clamp(speed, 1.0f, 100.0f);
            m_accel[i] = std::clamp(accel, 1.0f, 100.0f);
        }
    }
}

std::vector<int> PointSpeeds::ClampToMaximum(const std::array<PointRecord, kPointCount>& points,
                                             const RobotParameterSet& params)
{
    std::vector<int> changed;
    const float maxSpeed = static_cast<float>(params.K(44));
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!points[i].IsUsed() || !(m_speed[i] > maxSpeed)) continue;
        m_speed[i] = maxSpeed;
        changed.push_back(static_cast<int>(i));
    }
    return changed;
}

int PositionDecimalsForCode(const CString& code)
{
    return code == u"V05" || code == u"V10" || code == u"V20" ? 3 : 2;
}

void RescalePositions(std::array<PointRecord, kPointCount>& points, int oldDecimals, int newDecimals)
{
    const int difference = std::abs(newDecimals - oldDecimals);
    if (difference == 0) return;
    const double factor = PowerOfTen(difference);
    for (PointRecord& point : points) {
        if (!point.IsUsed()) continue;
        const double p = static_cast<double>(point.p);
        point.p = TruncToInt32(newDecimals > oldDecimals ? p * factor : p / factor);
    }
}

bool PointsModified(const std::array<PointRecord, kPointCount>& current,
                    const std::array<PointRecord, kPointCount>& reference)
{
    for (std::size_t i = 0; i < current.size(); ++i) {
        for (int field = PointRecord::kM; field <= PointRecord::kC; ++field) {
            if (current[i].Field(field) != reference[i].Field(field)) return true;
            if (field == PointRecord::kM && current[i].m == 0) break;
        }
    }
    return false;
}

bool ParametersModified(const RobotParameterSet& current, const RobotParameterSet& reference)
{
    return current.values != reference.values;
}
