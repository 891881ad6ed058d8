#include "engine/tape/TapeTransportModel.h"

#include <juce_core/juce_core.h>

#include <cmath>

namespace
{
// Heavier machines have more reel inertia and steadier transports; the small formats wow
// and flutter more, hiss more and reach less far up.
constexpr TapeTransportModel::Format formats[] = {
    {2.5f, 0.0004f, 0.0004f, 0.00015f, 26000.0f}, // 1 inch Master
    {1.8f, 0.0008f, 0.0008f, 0.0004f, 22000.0f},  // 1/2 inch Studio
    {1.2f, 0.0012f, 0.0012f, 0.0008f, 18000.0f},  // 1/4 inch Home
    {0.6f, 0.002f, 0.0025f, 0.002f, 14000.0f},    // Cassette
};

// The arm's grab spring and damping, its acceleration pick-up, and how much tape a moving
// arm takes up or gives back.
constexpr double grabSpring = 800.0;
constexpr double grabDamping = 40.0;
constexpr double accelerationGain = 80.0;
constexpr double accelerationLimit = 3.0;
constexpr double armTapeFactor = 0.025;
constexpr double bounce = -0.2;
constexpr double syncGain = 3.0;
constexpr double syncWrap = 1000.0;
} // namespace

const TapeTransportModel::Format& TapeTransportModel::getFormat (int format) noexcept
{
    return formats[juce::jlimit (0, 3, format)];
}

void TapeTransportModel::prepare (double sampleRate) noexcept
{
    dt = sampleRate > 0.0 ? 1.0 / sampleRate : 0.0;
    armAngle = 0.0;
    armVelocity = 0.0;
    massSmoothed = 1.5;
    targetSpeed = 0.0;
}

double TapeTransportModel::wowAndFlutter (float wow, float flutter, const Format& constants) noexcept
{
    if (std::abs (targetSpeed) < 0.001)
    {
        modulation = 0.0;
        return targetSpeed;
    }

    wowPhase += dt;
    flutterPhase += dt;

    // Half the depth while the tape creeps.
    const double m = juce::jmin (1.0, std::abs (targetSpeed)) * 0.5 + 0.5;
    const double w = wow;
    const double f = flutter;

    const double wowOut =
        std::sin ((0.5 * w + 0.5) * wowPhase * twoPi) * (w * w * (double)0.4f * m * constants.wowDepth);

    const double theta = (20.0 * f + 25.0) * flutterPhase * twoPi;
    const double v = f * f * (double)0.4f * m * constants.flutterDepth;
    const double s = std::sin (theta);
    const double sin3 = s * (3.0 - 4.0 * s * s); // sin 3x from sin x: one sine fewer per sample
    const double flutterOut = s * v + sin3 * v * 0.5;

    modulation = (wowOut + flutterOut) * 0.05 + modulation * 0.95;
    return targetSpeed + modulation;
}

void TapeTransportModel::advance (bool armGrabbed, float armTargetAngle, float wow, float flutter, int format,
                                  float tensionJerk, bool syncLock) noexcept
{
    const auto& constants = getFormat (format);

    massSmoothed = constants.inertia * reelMass * 0.05 + massSmoothed * 0.95;

    const double a = wowAndFlutter (wow, flutter, constants) + syncCorrection;
    const double e = juce::jlimit (-accelerationLimit, accelerationLimit, (a - previousSpeed) * accelerationGain);

    const double force = armGrabbed ? (armTargetAngle - armAngle) * grabSpring - armVelocity * grabDamping
                                    : -armSpring * armAngle - armDamping * armVelocity + (tensionJerk - e);

    armVelocity += force / massSmoothed * dt;
    armAngle += armVelocity * dt;

    // The arm bounces off its stops.
    if (armAngle > armLimit)
    {
        armAngle = armLimit;
        armVelocity *= bounce;
    }
    else if (armAngle < -armLimit)
    {
        armAngle = -armLimit;
        armVelocity *= bounce;
    }

    speed = juce::jlimit (-100.0, 100.0, a - armVelocity * armTapeFactor);
    previousSpeed = a;

    if (syncLock && std::abs (targetSpeed) > 0.5 && ! armGrabbed)
    {
        syncReference += dt * targetSpeed;
        syncTape += dt * speed;

        if (syncReference > syncWrap)
        {
            syncReference -= syncWrap;
            syncTape -= syncWrap;
        }
        else if (syncReference < -syncWrap)
        {
            syncReference += syncWrap;
            syncTape += syncWrap;
        }

        syncCorrection = (syncReference - syncTape) * syncGain;
    }
    else
    {
        // Sync lock starts afresh every time it engages.
        syncReference = 0.0;
        syncTape = 0.0;
        syncCorrection = 0.0;
    }

    reelPhase += juce::jlimit (-6.0, 6.0, speed) * dt * 3.0;

    if (reelPhase > twoPi)
        reelPhase -= twoPi;
    else if (reelPhase < 0.0)
        reelPhase += twoPi;

    hissFactor = constants.hissFactor;
    bandwidth = constants.bandwidth;
}
