// The speeds and accelerations of the 255 points as the point list keeps
// them: floats in the unit shown (percent, or hundredths of mm/s and of
// m/s^2), so that switching the unit back and forth loses no precision
// until the values are stored into the records again. The move run reads
// them instead of the records' S and AC fields.
#pragma once

#include "manager/core/ControllerData.h"

#include <array>

enum class SpeedUnits : int { kPercent = 0, kPhysical = 1 };

class PointSpeeds {
public:
    // Index 0..254 is point 1..255; anything else reads 0.
    float Speed(int index) const;
    float Accel(int index) const;
    void Set(int index, float speed, float accel);

    // From fields S and AC of each present point; 0 for empty slots.
    void Load(const std::array<PointRecord, kPointCount>& points);
    // Back into S and AC of each present point, cut toward zero.
    void Store(std::array<PointRecord, kPointCount>& points) const;
    // Converts every present point's values into the other unit: to physical,
    // maximum x value / 100; to percent, value x 100 / maximum held within
    // 1..100. The maximum speed is K44; the maximum acceleration K77, or K79
    // for a point whose flag F has bit 0 set.
    void Convert(SpeedUnits to, const std::array<PointRecord, kPointCount>& points, const RobotParameterSet& params);
    // Lowers every present point's speed above K44 to it; the indexes changed
    // are returned so that their rows can be shown again.
    std::vector<int> ClampToMaximum(const std::array<PointRecord, kPointCount>& points,
                                    const RobotParameterSet& params);

private:
    std::array<float, kPointCount> m_speed{};
    std::array<float, kPointCount> m_accel{};
};

// Position decimals of a controller by its code text: 3 for the "V05",
// "V10" and "V20" models, else 2.
int PositionDecimalsForCode(const CString& code);

// Rescales every present point's position from one number of decimals to
// another: multiplied (more decimals) or divided, cut toward zero (fewer),
// by 10^|difference|, held within 32 bits.
void RescalePositions(std::array<PointRecord, kPointCount>& points, int oldDecimals, int newDecimals);

// Whether the points differ from the reference: fields 1 to 12 of each slot,
// the rest of a slot skipped once its operation type is 0 in both.
bool PointsModified(const std::array<PointRecord, kPointCount>& current,
                    const std::array<PointRecord, kPointCount>& reference);
// Whether any of the 146 parameter values differs.
bool ParametersModified(const RobotParameterSet& current, const RobotParameterSet& reference);
