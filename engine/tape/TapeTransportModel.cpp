#include "engine/tape/TapeTransportModel.h"

#include <juce_core/juce_core.h>

namespace
{
constexpr float hissFactors[] = {0.00015f, 0.0004f, 0.0008f, 0.002f};
constexpr float bandwidths[] = {26000.0f, 22000.0f, 18000.0f, 14000.0f};
} // namespace

float TapeTransportModel::getFormatHissFactor (int format) noexcept
{
    return hissFactors[juce::jlimit (0, 3, format)];
}

float TapeTransportModel::getFormatBandwidth (int format) noexcept
{
    return bandwidths[juce::jlimit (0, 3, format)];
}

void TapeTransportModel::advance (bool armGrabbed, float armTargetAngle, float wow, float flutter, int format,
                                  float tensionJerk, bool syncLock) noexcept
{
    juce::ignoreUnused (armGrabbed, armTargetAngle, wow, flutter, tensionJerk, syncLock);

    speed = juce::jlimit (-100.0, 100.0, targetSpeed);
    previousSpeed = speed;
    hissFactor = getFormatHissFactor (format);
    bandwidth = getFormatBandwidth (format);
}
