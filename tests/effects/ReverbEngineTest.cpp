#include "effects/ReverbEngine.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <limits>

using namespace AudioTestUtils;

namespace
{
constexpr double rate = 48000.0;
const int allAlgorithms[] = {ReverbEngine::Spring, ReverbEngine::Plate, ReverbEngine::Hall, ReverbEngine::Dream};

void run (ReverbEngine& engine, juce::AudioBuffer<float>& buffer, int blockSize = 512)
{
    processInBlocks (buffer, blockSize, [&] (juce::AudioBuffer<float>& block) { engine.process (block); });
}

// Lets the 50 ms mix glide finish so later blocks see the settled mix.
void settle (ReverbEngine& engine, int channels = 2)
{
    juce::AudioBuffer<float> silence (channels, (int)rate / 10);
    silence.clear();
    run (engine, silence);
}

double energy (const juce::AudioBuffer<float>& buffer, int channel, int start, int length)
{
    const double r = rms (buffer, channel, start, length);
    return r * r * length;
}
} // namespace

TEST (ReverbEngine, LineAndStageLengthsFollowTheSampleRate)
{
    struct Case
    {
        double sampleRate;
        int lines[ReverbEngine::numLines];
        int stage;
    };
    const Case cases[] = {
        {44100.0, {347, 461, 592, 738, 887, 1031, 1171, 1320}, 6},
        {48000.0, {377, 501, 645, 804, 965, 1122, 1274, 1437}, 7},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.sampleRate);
        ReverbEngine engine;
        engine.prepare (c.sampleRate);
        for (int k = 0; k < ReverbEngine::numLines; ++k)
            EXPECT_EQ (engine.getLineLength (k), c.lines[k]) << "line " << k;
        EXPECT_EQ (engine.getDispersionStageLength(), c.stage);
    }
}

TEST (ReverbEngine, SpringSettingsFromDecayAndDamping)
{
    struct Case
    {
        float decay, damping;
        float feedback, drive, lowPassHz;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0.5f, 1.0f, 10000.0f},
        {1.0f, 1.0f, 0.98f, 2.5f, 2000.0f},
        {0.5f, 0.5f, 0.74f, 1.75f, 6000.0f},
        // Out of range, as a hand-edited reel can hold: clamped, so the network stays stable.
        {5.0f, -3.0f, 0.98f, 2.5f, 10000.0f},
        {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 0.74f, 1.75f, 2000.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "decay " << c.decay << " damping " << c.damping);
        ReverbEngine engine;
        engine.prepare (rate);
        engine.setParameters (ReverbEngine::Spring, c.decay, c.damping, 0.5f, 0.0f);
        EXPECT_NEAR (engine.getSpringFeedback(), c.feedback, 1.0e-6f);
        EXPECT_NEAR (engine.getSpringDrive(), c.drive, 1.0e-6f);
        EXPECT_NEAR (engine.getLineLowPassFrequency(), c.lowPassHz, 1.0e-3f);
    }
}

TEST (ReverbEngine, PanLawOfTheWetSignal)
{
    struct Case
    {
        float pan, left, right;
    };
    const Case cases[] = {{-1.0f, 1.0f, 0.0f}, {0.0f, 0.70710677f, 0.70710677f}, {1.0f, 0.0f, 1.0f}};

    for (const int algorithm : allAlgorithms)
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << "algorithm " << algorithm << " pan " << c.pan);
            ReverbEngine engine;
            engine.prepare (rate);
            engine.setParameters (algorithm, 0.7f, 0.5f, 1.0f, c.pan);
            EXPECT_NEAR (engine.getPanLeft(), c.left, 1.0e-6f);
            EXPECT_NEAR (engine.getPanRight(), c.right, 1.0e-6f);

            settle (engine);
            auto noise = makeNoise (2, (int)rate, 0.5f);
            run (engine, noise);

            // A fully panned wet signal leaves the far side silent (mix 1: no dry either).
            const double leftRms = rms (noise, 0), rightRms = rms (noise, 1);
            if (c.pan < 0.0f)
                EXPECT_LT (rightRms, 1.0e-6) << "left " << leftRms;
            else if (c.pan > 0.0f)
                EXPECT_LT (leftRms, 1.0e-6) << "right " << rightRms;
            else
                EXPECT_GT (std::min (leftRms, rightRms), 0.01);
        }
}

TEST (ReverbEngine, MixZeroPassesTheInputUnchanged)
{
    for (const int algorithm : allAlgorithms)
    {
        SCOPED_TRACE (algorithm);
        ReverbEngine engine;
        engine.prepare (rate);
        engine.setParameters (algorithm, 0.8f, 0.3f, 0.0f, 0.3f);

        const auto input = makeNoise (2, 8192, 0.8f);
        auto output = input;
        run (engine, output);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < input.getNumSamples(); ++i)
                ASSERT_EQ (output.getSample (ch, i), input.getSample (ch, i)) << "channel " << ch << " sample " << i;
    }
}

TEST (ReverbEngine, MixOneGivesOnlyTheWetTail)
{
    for (const int algorithm : allAlgorithms)
    {
        SCOPED_TRACE (algorithm);
        ReverbEngine engine;
        engine.prepare (rate);
        engine.setParameters (algorithm, 0.6f, 0.5f, 1.0f, 0.0f);
        settle (engine);

        auto impulse = makeImpulse (2, (int)rate);
        run (engine, impulse);

        // No dry impulse at sample 0, but a tail that carries energy on both sides.
        EXPECT_EQ (impulse.getSample (0, 0), 0.0f);
        EXPECT_EQ (impulse.getSample (1, 0), 0.0f);
        EXPECT_GT (energy (impulse, 0, 1, impulse.getNumSamples() - 1), 1.0e-3);
        EXPECT_GT (energy (impulse, 1, 1, impulse.getNumSamples() - 1), 1.0e-3);
        EXPECT_TRUE (allFinite (impulse));
    }
}

TEST (ReverbEngine, MixGlidesOverFiftyMilliseconds)
{
    ReverbEngine engine;
    engine.prepare (rate);
    engine.setParameters (ReverbEngine::Plate, 0.5f, 0.5f, 1.0f, 0.0f);

    // From mix 0 the dry part fades out linearly over 2400 samples; the room has not answered yet
    // in the first samples, so (1 - a) x dry is visible directly.
    juce::AudioBuffer<float> dc (1, 4800);
    for (int i = 0; i < dc.getNumSamples(); ++i)
        dc.setSample (0, i, 1.0f);
    engine.process (dc);

    EXPECT_NEAR (dc.getSample (0, 0), 1.0f - 1.0f / 2400.0f, 1.0e-5f);
    EXPECT_NEAR (dc.getSample (0, 599), 1.0f - 600.0f / 2400.0f, 1.0e-4f);
}

TEST (ReverbEngine, DecayLengthensTheSpringTail)
{
    double tailEnergy[2]{};
    const float decays[2] = {0.0f, 1.0f};

    for (int d = 0; d < 2; ++d)
    {
        ReverbEngine engine;
        engine.prepare (rate);
        engine.setParameters (ReverbEngine::Spring, decays[d], 0.5f, 1.0f, 0.0f);
        settle (engine);

        auto impulse = makeImpulse (2, (int)rate * 2, 0, 0.5f);
        run (engine, impulse);
        tailEnergy[d] = energy (impulse, 0, (int)(rate * 0.5), (int)(rate * 0.5));
    }

    EXPECT_GT (tailEnergy[1], 100.0 * tailEnergy[0]);
}

TEST (ReverbEngine, StaysBoundedAtFullDecayWithFullScaleNoise)
{
    for (const int algorithm : allAlgorithms)
    {
        SCOPED_TRACE (algorithm);
        ReverbEngine engine;
        engine.prepare (rate);
        engine.setParameters (algorithm, 1.0f, 0.0f, 1.0f, 0.0f);

        auto noise = makeNoise (2, (int)rate * 10, 1.0f);
        run (engine, noise);
        EXPECT_TRUE (allFinite (noise));
        EXPECT_LT (peak (noise, 0, (int)rate * 9), 20.0f);

        // And it dies away once the input stops.
        juce::AudioBuffer<float> silence (2, (int)rate * 20);
        silence.clear();
        run (engine, silence);
        EXPECT_LT (rms (silence, 0, (int)rate * 19), 1.0e-3);
    }
}

TEST (ReverbEngine, BlockSizeDoesNotChangeTheResult)
{
    // Blocks longer than the scratch buffer and the spring's chunk run in pieces.
    for (const int algorithm : allAlgorithms)
    {
        SCOPED_TRACE (algorithm);
        const auto input = makeNoise (2, 20000, 0.5f);
        juce::AudioBuffer<float> results[3];
        const int blockSizes[3] = {64, 1000, 20000};

        for (int b = 0; b < 3; ++b)
        {
            ReverbEngine engine;
            engine.prepare (rate);
            engine.setParameters (algorithm, 0.7f, 0.4f, 0.6f, -0.2f);
            results[b] = input;
            run (engine, results[b], blockSizes[b]);
        }

        for (int b = 1; b < 3; ++b)
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < input.getNumSamples(); ++i)
                    ASSERT_EQ (results[b].getSample (ch, i), results[0].getSample (ch, i))
                        << "block " << blockSizes[b] << " channel " << ch << " sample " << i;
    }
}

TEST (ReverbEngine, MonoBufferRunsInMonoAndExtraChannelsAreUntouched)
{
    for (const int algorithm : allAlgorithms)
    {
        SCOPED_TRACE (algorithm);
        ReverbEngine mono, stereo;
        for (auto* engine : {&mono, &stereo})
        {
            engine->prepare (rate);
            engine->setParameters (algorithm, 0.6f, 0.5f, 1.0f, 0.0f);
        }

        auto monoBlock = makeImpulse (1, (int)rate / 2);
        mono.process (monoBlock);
        EXPECT_GT (rms (monoBlock, 0), 1.0e-4);
        EXPECT_TRUE (allFinite (monoBlock));

        auto threeChannels = makeNoise (3, 4096, 0.5f);
        const auto original = threeChannels;
        stereo.process (threeChannels);
        for (int i = 0; i < 4096; ++i)
            ASSERT_EQ (threeChannels.getSample (2, i), original.getSample (2, i));
    }
}

TEST (ReverbEngine, SwitchingAlgorithmKeepsEachTail)
{
    ReverbEngine engine;
    engine.prepare (rate);
    engine.setParameters (ReverbEngine::Spring, 1.0f, 0.2f, 1.0f, 0.0f);
    settle (engine);

    auto impulse = makeImpulse (2, 4800);
    engine.process (impulse);

    // A while in the plate, then back: the spring's ring is still there.
    engine.setParameters (ReverbEngine::Plate, 0.5f, 0.5f, 1.0f, 0.0f);
    juce::AudioBuffer<float> silence (2, 4800);
    silence.clear();
    engine.process (silence);

    engine.setParameters (ReverbEngine::Spring, 1.0f, 0.2f, 1.0f, 0.0f);
    silence.clear();
    engine.process (silence);
    EXPECT_GT (rms (silence, 0), 1.0e-4);
}

TEST (ReverbEngine, PrepareSilencesEveryTail)
{
    for (const int algorithm : allAlgorithms)
    {
        SCOPED_TRACE (algorithm);
        ReverbEngine engine;
        engine.prepare (rate);
        engine.setParameters (algorithm, 0.9f, 0.5f, 1.0f, 0.0f);
        auto noise = makeNoise (2, 24000);
        run (engine, noise);

        engine.prepare (44100.0);
        juce::AudioBuffer<float> silence (2, 8192);
        silence.clear();
        run (engine, silence);
        EXPECT_EQ (peak (silence, 0), 0.0f);
        EXPECT_EQ (peak (silence, 1), 0.0f);
    }
}

TEST (ReverbEngine, NonFiniteInputDoesNotPoisonTheTail)
{
    for (const int algorithm : allAlgorithms)
    {
        SCOPED_TRACE (algorithm);
        ReverbEngine engine;
        engine.prepare (rate);
        engine.setParameters (algorithm, 0.8f, 0.5f, 0.5f, 0.0f);

        auto bad = makeNoise (2, 512, 0.5f);
        bad.setSample (0, 100, std::numeric_limits<float>::quiet_NaN());
        bad.setSample (1, 200, std::numeric_limits<float>::infinity());
        engine.process (bad);

        auto noise = makeNoise (2, (int)rate, 0.5f, 7);
        run (engine, noise);
        EXPECT_TRUE (allFinite (noise));
        EXPECT_GT (rms (noise, 0), 0.01);
    }
}

TEST (ReverbEngine, UnpreparedOrEmptyBuffersAreLeftAlone)
{
    ReverbEngine engine;
    engine.setParameters (ReverbEngine::Spring, 0.5f, 0.5f, 1.0f, 0.0f);
    auto noise = makeNoise (2, 512);
    const auto original = noise;
    engine.process (noise);
    EXPECT_EQ (rms (noise, 0), rms (original, 0));

    engine.prepare (rate);
    juce::AudioBuffer<float> empty;
    engine.process (empty);
    juce::AudioBuffer<float> noSamples (2, 0);
    engine.process (noSamples);
}
