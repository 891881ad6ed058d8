#include "engine/tape/TapeTransportModel.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr double rate = 48000.0;

/** A model at the rate, rolling at the target with its arm at rest. */
TapeTransportModel rollingModel (double target)
{
    TapeTransportModel model;
    model.prepare (rate);
    model.setTargetSpeed (target);
    model.previousSpeed = target;
    return model;
}

struct Knobs
{
    float wow = 0.0f, flutter = 0.0f;
    int format = 0;
    float jerk = 0.0f;
    bool sync = false;
    bool grabbed = false;
    float grabAngle = 0.0f;
};

void run (TapeTransportModel& model, const Knobs& knobs, int samples)
{
    for (int i = 0; i < samples; ++i)
        model.advance (knobs.grabbed, knobs.grabAngle, knobs.wow, knobs.flutter, knobs.format, knobs.jerk, knobs.sync);
}

/** The wow-and-flutter deviation, sample by sample. */
std::vector<float> recordModulation (TapeTransportModel& model, const Knobs& knobs, int samples)
{
    std::vector<float> out ((size_t)samples);

    for (auto& value : out)
    {
        run (model, knobs, 1);
        value = (float)model.modulation;
    }

    return out;
}
} // namespace

TEST (TapeMechanics, PreparationRestsTheArmAndStopsTheTarget)
{
    TapeTransportModel model;
    model.speed = 0.7;
    model.reelPhase = 2.0;
    model.armAngle = 0.4;
    model.armVelocity = 3.0;
    model.massSmoothed = 0.9;
    model.syncReference = 5.0;
    model.prepare (44100.0);

    EXPECT_DOUBLE_EQ (model.dt, 1.0 / 44100.0);
    EXPECT_EQ (model.armAngle, 0.0);
    EXPECT_EQ (model.armVelocity, 0.0);
    EXPECT_EQ (model.massSmoothed, 1.5);
    EXPECT_EQ (model.targetSpeed, 0.0);
    // What the tape is doing carries on through a device restart.
    EXPECT_EQ (model.speed, 0.7);
    EXPECT_EQ (model.reelPhase, 2.0);
    EXPECT_EQ (model.syncReference, 5.0);
}

TEST (TapeMechanics, WithoutWowOrFlutterTheTapeRunsAtTheTarget)
{
    for (int format = 0; format < 4; ++format)
        for (double target : {1.0, 0.5, -1.0, 2.0, 45.0, -45.0})
        {
            SCOPED_TRACE ("format " + juce::String (format) + ", target " + juce::String (target));
            auto model = rollingModel (target);
            Knobs knobs;
            knobs.format = format;

            for (int i = 0; i < 4800; ++i)
            {
                run (model, knobs, 1);
                ASSERT_EQ (model.getSpeed(), target) << "sample " << i;
            }
        }

    // From a standstill the arm swings once and settles: the tape then runs at the target.
    TapeTransportModel model;
    model.prepare (rate);
    model.setTargetSpeed (1.0);
    run (model, {}, (int)rate * 10);
    EXPECT_NEAR (model.getSpeed(), 1.0, 1.0e-9);
    EXPECT_NEAR (model.armAngle, 0.0, 1.0e-9);
}

TEST (TapeMechanics, AtStandstillThereIsNoWow)
{
    auto model = rollingModel (1.0);
    Knobs knobs;
    knobs.wow = 4.0f;
    knobs.flutter = 1.0f;
    knobs.format = 3;
    run (model, knobs, 1000);
    ASSERT_NE (model.modulation, 0.0);

    const auto wowPhase = model.wowPhase;
    model.setTargetSpeed (0.0);
    run (model, knobs, 1);
    EXPECT_EQ (model.modulation, 0.0);
    EXPECT_EQ (model.wowPhase, wowPhase); // the oscillator waits
}

TEST (TapeMechanics, WowAndFlutterRunAtTheirRatesAndDepths)
{
    struct Case
    {
        int format;
        float wow, flutter;
        double target;
        double frequency, fundamental, third; // Hz; depth of the fundamental and of the third harmonic
    };

    // The oscillator's 0.05 smoothing at 48 kHz passes 2.5 Hz whole, 45 Hz at 0.9935 and
    // 135 Hz at 0.9464 of its depth.
    const Case cases[] = {
        {3, 4.0f, 0.0f, 1.0, 2.5, 16 * 0.4 * 0.002, 0.0},       // full wow: 2.5 Hz
        {3, 4.0f, 0.0f, 0.2, 2.5, 16 * 0.4 * 0.002 * 0.6, 0.0}, // creeping: less depth
        {1, 2.0f, 0.0f, -1.0, 1.5, 4 * 0.4 * 0.0008, 0.0},      // half wow on studio tape
        {3, 0.0f, 1.0f, 1.0, 45.0, 0.4 * 0.0025 * 0.9935, 0.5 * 0.4 * 0.0025 * 0.9464},
        {0, 0.0f, 0.5f, 1.0, 35.0, 0.25 * 0.4 * 0.0004 * 0.9961, 0.5 * 0.25 * 0.4 * 0.0004 * 0.9665},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("format " + juce::String (c.format) + ", wow " + juce::String (c.wow) + ", flutter " +
                      juce::String (c.flutter) + ", target " + juce::String (c.target));
        auto model = rollingModel (c.target);
        Knobs knobs;
        knobs.wow = c.wow;
        knobs.flutter = c.flutter;
        knobs.format = c.format;

        run (model, knobs, 4800); // the smoothing settles
        const auto seconds = c.frequency < 10.0 ? 4.0 : 1.0;
        const auto samples = recordModulation (model, knobs, (int)(rate * seconds));
        const auto n = (int)samples.size();

        EXPECT_NEAR (AudioTestUtils::toneAmplitude (samples.data(), n, c.frequency, rate), c.fundamental,
                     c.fundamental * 0.02);
        EXPECT_NEAR (AudioTestUtils::toneAmplitude (samples.data(), n, 3.0 * c.frequency, rate), c.third,
                     c.fundamental * 0.02);

        if (c.flutter == 0.0f)
        {
            EXPECT_NEAR (AudioTestUtils::zeroCrossingFrequency (samples.data(), n, rate), c.frequency,
                         c.frequency * 0.05);
        }
    }

    // With both knobs at zero the oscillators run but move nothing.
    auto model = rollingModel (1.0);
    run (model, {}, 48000);
    EXPECT_EQ (model.modulation, 0.0);
}

TEST (TapeMechanics, TheTensionArmBouncesOffItsStops)
{
    // A grabbed arm thrown at its stop lands there and bounces back at a fifth of its speed.
    auto model = rollingModel (1.0);
    model.armAngle = 0.5999;
    model.armVelocity = 10.0;
    Knobs knobs;
    knobs.grabbed = true;
    knobs.grabAngle = 0.6f;
    run (model, knobs, 1);

    const auto mass = 2.5 * 1.5 * 0.05 + 1.5 * 0.95;
    const auto force = (0.6f - 0.5999) * 800.0 - 10.0 * 40.0;
    const auto velocityAtStop = 10.0 + force / mass / rate;
    EXPECT_EQ (model.armAngle, 0.6);
    EXPECT_NEAR (model.armVelocity, -0.2 * velocityAtStop, 1.0e-9);
    // The arm moving back gives tape back: the speed rises by the arm's speed x 0.025.
    EXPECT_NEAR (model.getSpeed(), 1.0 + 0.2 * velocityAtStop * 0.025, 1.0e-9);

    // Pulled past either stop, the arm ends at the stop and never beyond it.
    for (float pull : {1.0f, -1.0f})
    {
        SCOPED_TRACE (pull);
        auto pulled = rollingModel (1.0);
        knobs.grabAngle = pull;
        double furthest = 0.0;

        for (int i = 0; i < 48000; ++i)
        {
            run (pulled, knobs, 1);
            furthest = juce::jmax (furthest, std::abs (pulled.armAngle));
        }

        EXPECT_EQ (furthest, 0.6);
        EXPECT_NEAR (pulled.armAngle, pull * 0.6, 1.0e-6);
    }

    // Let go, the spring brings the arm home, and the speed follows the arm's motion.
    auto released = rollingModel (0.0);
    released.previousSpeed = 0.0;
    released.armAngle = 0.5;
    run (released, {}, 1);
    EXPECT_LT (released.armVelocity, 0.0);
    EXPECT_EQ (released.getSpeed(), -released.armVelocity * 0.025);
    run (released, {}, (int)rate * 4);
    EXPECT_NEAR (released.armAngle, 0.0, 1.0e-4);
}

TEST (TapeMechanics, SmallFormatsHaveTheLiveliestArm)
{
    struct Case
    {
        int format;
        double mass;
        float hiss, bandwidth;
    };

    const Case cases[] = {
        {0, 2.5 * 1.5, 0.00015f, 26000.0f}, {1, 1.8 * 1.5, 0.0004f, 22000.0f}, {2, 1.2 * 1.5, 0.0008f, 18000.0f},
        {3, 0.6 * 1.5, 0.002f, 14000.0f},   {7, 0.6 * 1.5, 0.002f, 14000.0f}, // beyond the list: the nearest format
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.format);
        auto model = rollingModel (1.0);
        Knobs knobs;
        knobs.format = c.format;
        run (model, knobs, 2000);
        EXPECT_NEAR (model.massSmoothed, c.mass, 1.0e-6);
        EXPECT_EQ (model.getHissFactor(), c.hiss);
        EXPECT_EQ (model.getBandwidth(), c.bandwidth);
    }

    // The same jerk swings a cassette's light arm further than a master machine's.
    double swing[2] = {};

    for (int i = 0; i < 2; ++i)
    {
        auto model = rollingModel (1.0);
        Knobs knobs;
        knobs.format = i == 0 ? 0 : 3;
        run (model, knobs, 2000);
        knobs.jerk = 100.0f;
        run (model, knobs, 200);
        swing[i] = model.armAngle;
    }

    EXPECT_GT (swing[1], swing[0] * 2.0);
}

TEST (TapeMechanics, SyncLockWinsBackTheTapeTheArmTookUp)
{
    // A steady pull on the arm takes up tape: without sync lock the tape stays behind the
    // ideal clock by what the arm holds; with it the lag is wound back in.
    double lag[2] = {};

    for (int locked = 0; locked < 2; ++locked)
    {
        SCOPED_TRACE (locked);
        auto model = rollingModel (1.0);
        Knobs knobs;
        knobs.jerk = 60.0f; // holds the arm at 0.25 rad
        knobs.sync = locked == 1;
        double ideal = 0.0, tape = 0.0;

        for (int i = 0; i < (int)rate * 6; ++i)
        {
            run (model, knobs, 1);
            ideal += model.dt * model.targetSpeed;
            tape += model.dt * model.getSpeed();
        }

        lag[locked] = ideal - tape;

        if (locked == 1)
        {
            EXPECT_DOUBLE_EQ (model.syncCorrection, (model.syncReference - model.syncTape) * 3.0);
        }
    }

    EXPECT_NEAR (lag[0], 0.25 * 0.025, 2.0e-4);
    EXPECT_LT (std::abs (lag[1]), 1.0e-4);

    // Grabbing the arm or stopping lets go of the lock and its integrators.
    for (int way = 0; way < 2; ++way)
    {
        SCOPED_TRACE (way);
        auto model = rollingModel (1.0);
        Knobs knobs;
        knobs.wow = 4.0f;
        knobs.format = 3;
        knobs.sync = true;
        run (model, knobs, 24000);
        ASSERT_NE (model.syncTape, 0.0);

        if (way == 0)
            knobs.grabbed = true;
        else
            model.setTargetSpeed (0.0);

        run (model, knobs, 1);
        EXPECT_EQ (model.syncReference, 0.0);
        EXPECT_EQ (model.syncTape, 0.0);
        EXPECT_EQ (model.syncCorrection, 0.0);
    }
}

TEST (TapeMechanics, TheReelPhaseStaysInOneTurn)
{
    // Winding at 45 turns the reels as fast as speed 6 would; the phase always stays within a turn.
    auto model = rollingModel (45.0);
    run (model, {}, 1);
    EXPECT_DOUBLE_EQ (model.reelPhase, 6.0 * 3.0 / rate);

    for (double target : {45.0, -45.0, 1.0, -0.3})
    {
        SCOPED_TRACE (target);
        model.setTargetSpeed (target);

        for (int i = 0; i < (int)rate * 2; ++i)
        {
            run (model, {}, 1);
            ASSERT_GE (model.reelPhase, 0.0);
            ASSERT_LE (model.reelPhase, 6.28318);
        }
    }
}
