#include "effects/FetCompEngine.h"
#include "effects/LineAmplifier.h"
#include "effects/OptoCompEngine.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace AudioTestUtils;

namespace
{
constexpr double rate = 48000.0;

juce::AudioBuffer<float> makeDc (int channels, int samples, float value)
{
    juce::AudioBuffer<float> buffer (channels, samples);
    for (int ch = 0; ch < channels; ++ch)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), value, samples);
    return buffer;
}

template <typename Engine> void run (Engine& engine, juce::AudioBuffer<float>& buffer, int blockSize = 512)
{
    processInBlocks (buffer, blockSize, [&] (juce::AudioBuffer<float>& block) { engine.process (block); });
}

float dbToGain (float dB)
{
    return std::pow (10.0f, dB / 20.0f);
}
} // namespace

TEST (OptoCompEngine, StartsAtItsInitialState)
{
    OptoCompEngine opto;
    EXPECT_EQ (opto.sampleRate, 44100.0);
    EXPECT_EQ (opto.envelopeDb, 0.0f);
    EXPECT_EQ (opto.ratio, 3.0f);
    EXPECT_EQ (opto.meterReductionDb.load(), 0.0f);

    FetCompEngine fet;
    EXPECT_EQ (fet.sampleRate, 44100.0);
    EXPECT_EQ (fet.inputGain, 1.0f);
    EXPECT_EQ (fet.outputGain, 1.0f);
    EXPECT_EQ (fet.ratio, 4.0f);
    EXPECT_EQ (fet.envelopeDb, 0.0f);
}

TEST (OptoCompEngine, UnitySettingsPassSignalsBelowFullScale)
{
    OptoCompEngine opto;
    opto.prepare (rate);
    opto.setParameters (50.0f, 0.0f, OptoCompEngine::Compress);

    const auto input = makeSine (2, 48000, 997.0, rate, 0.9f);
    auto output = input;
    run (opto, output);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < input.getNumSamples(); ++i)
            ASSERT_EQ (output.getSample (ch, i), input.getSample (ch, i));
    EXPECT_EQ (opto.meterReductionDb.load(), 0.0f);
}

TEST (OptoCompEngine, SteadyStateReductionOfTenDecibelsOvershoot)
{
    struct Case
    {
        int mode;
        float gain;
        float reductionDb;
    };
    const Case cases[] = {
        {OptoCompEngine::Limit, 50.0f, 9.5f},
        {OptoCompEngine::Compress, 50.0f, 6.6667f},
        {OptoCompEngine::Compress, 75.0f, 6.6667f}, // +10 dB of make-up on top
        {7, 50.0f, 9.5f},                           // any non-zero mode limits
    };

    for (const double sampleRate : {44100.0, 96000.0})
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << "mode " << c.mode << " gain " << c.gain << " at " << sampleRate);
            OptoCompEngine opto;
            opto.prepare (sampleRate);
            opto.setParameters (c.gain, 25.0f, c.mode); // threshold -10 dB

            auto dc = makeDc (2, (int)sampleRate * 2, 1.0f); // 0 dB: 10 dB over
            run (opto, dc);

            EXPECT_NEAR (opto.envelopeDb, c.reductionDb, 0.01f);
            EXPECT_NEAR (opto.meterReductionDb.load(), c.reductionDb, 0.01f);
            const float makeupDb = 0.4f * c.gain - 20.0f;
            EXPECT_NEAR (dc.getSample (1, dc.getNumSamples() - 1), dbToGain (makeupDb - c.reductionDb), 1.0e-3f);
        }
}

TEST (OptoCompEngine, ReleaseIsFastAboveThreeDecibelsAndSlowBelow)
{
    OptoCompEngine opto;
    opto.prepare (rate);
    opto.setParameters (50.0f, 25.0f, OptoCompEngine::Limit);
    auto loud = makeDc (1, (int)rate * 2, 1.0f);
    run (opto, loud);
    ASSERT_NEAR (opto.envelopeDb, 9.5f, 0.01f);

    // From 9.5 dB the 60 ms release reaches 3 dB after about 69 ms ...
    juce::AudioBuffer<float> silence (1, (int)(rate * 0.06));
    silence.clear();
    opto.process (silence);
    EXPECT_GT (opto.envelopeDb, 3.0f);

    silence.setSize (1, (int)(rate * 0.02));
    silence.clear();
    opto.process (silence);
    EXPECT_LT (opto.envelopeDb, 3.0f);
    EXPECT_GT (opto.envelopeDb, 2.8f);

    // ... and below it the 1.5 s release takes over: half a second later about a third is gone.
    const float before = opto.envelopeDb;
    silence.setSize (1, (int)(rate * 0.5));
    silence.clear();
    opto.process (silence);
    EXPECT_NEAR (opto.envelopeDb / before, std::exp (-0.5f / 1.5f), 0.005f);
}

TEST (OptoCompEngine, SettingsAreHeldInRangeAndStateRecovers)
{
    OptoCompEngine opto;
    opto.prepare (rate);
    opto.setParameters (std::numeric_limits<float>::quiet_NaN(), 1000.0f, 0);
    EXPECT_EQ (opto.makeupDb, 0.0f);
    EXPECT_EQ (opto.thresholdDb, -40.0f);

    auto bad = makeDc (2, 512, 0.5f);
    bad.setSample (0, 10, std::numeric_limits<float>::infinity());
    bad.setSample (1, 20, std::numeric_limits<float>::quiet_NaN());
    opto.process (bad);

    auto sine = makeSine (2, 48000, 440.0, rate, 0.5f);
    run (opto, sine);
    EXPECT_TRUE (allFinite (sine));
    EXPECT_TRUE (std::isfinite (opto.envelopeDb));
    EXPECT_GT (rms (sine, 0, 24000), 0.01);
}

TEST (FetCompEngine, RatioTableWithOutOfRangeIndicesClamped)
{
    struct Case
    {
        int index;
        float ratio;
    };
    const Case cases[] = {{0, 4.0f},   {1, 8.0f},  {2, 12.0f},  {3, 20.0f},
                          {4, 100.0f}, {-1, 4.0f}, {5, 100.0f}, {1000, 100.0f}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.index);
        FetCompEngine fet;
        fet.prepare (rate);
        fet.setParameters (0.0f, 0.0f, 0.8f, 500.0f, c.index);
        EXPECT_EQ (fet.ratio, c.ratio);

        // 0 dBFS is 24 dB over the fixed threshold.
        auto dc = makeDc (2, (int)rate, 1.0f);
        run (fet, dc);
        const float expected = 24.0f * (1.0f - 1.0f / c.ratio);
        EXPECT_NEAR (fet.envelopeDb, expected, 0.01f);
        EXPECT_NEAR (dc.getSample (0, dc.getNumSamples() - 1), dbToGain (-expected), 1.0e-3f);
    }
}

TEST (FetCompEngine, SignalsBelowTheThresholdPassUnchanged)
{
    FetCompEngine fet;
    fet.prepare (rate);
    fet.setParameters (0.0f, 0.0f, 0.02f, 50.0f, 4);

    const auto input = makeSine (2, 48000, 1234.0, rate, dbToGain (-25.0f));
    auto output = input;
    run (fet, output);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < input.getNumSamples(); ++i)
            ASSERT_EQ (output.getSample (ch, i), input.getSample (ch, i));
    EXPECT_EQ (fet.meterReductionDb.load(), 0.0f);
}

TEST (FetCompEngine, InputAndOutputGains)
{
    struct Case
    {
        float inputDb, outputDb, expectedGain;
    };
    // Below the threshold, so only the two gains act.
    const Case cases[] = {
        {0.0f, 6.0f, dbToGain (6.0f)},
        {6.0f, -12.0f, dbToGain (-6.0f)},
        {-100.0f, 0.0f, 0.0f},
        {0.0f, -150.0f, 0.0f},
        {std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f},
        {0.0f, std::numeric_limits<float>::infinity(), dbToGain (48.0f)},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.inputDb << " / " << c.outputDb);
        FetCompEngine fet;
        fet.prepare (rate);
        fet.setParameters (c.inputDb, c.outputDb, 0.8f, 500.0f, 0);
        auto dc = makeDc (1, 512, 0.01f);
        fet.process (dc);
        EXPECT_NEAR (dc.getSample (0, 511), 0.01f * c.expectedGain, 1.0e-5f);
    }
}

TEST (FetCompEngine, TimeSettingsHaveFloors)
{
    struct Case
    {
        float attackMs, releaseMs, effectiveAttackMs, effectiveReleaseMs;
    };
    const Case cases[] = {
        {0.8f, 500.0f, 0.8f, 500.0f},
        {0.0f, 1.0f, 0.02f, 10.0f},
        {-5.0f, -5.0f, 0.02f, 10.0f},
        {0.02f, 10.0f, 0.02f, 10.0f},
        {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::quiet_NaN(), 0.8f, 500.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.attackMs << " / " << c.releaseMs);
        FetCompEngine fet;
        fet.prepare (rate);
        fet.setParameters (0.0f, 0.0f, c.attackMs, c.releaseMs, 0);
        EXPECT_NEAR (fet.attackCoeff, 1.0 - std::exp (-1.0 / (c.effectiveAttackMs * 0.001 * rate)), 1.0e-6);
        EXPECT_NEAR (fet.releaseCoeff, 1.0 - std::exp (-1.0 / (c.effectiveReleaseMs * 0.001 * rate)), 1.0e-6);
    }
}

TEST (FetCompEngine, ReductionDecaysInSilenceAndTheMeterAveragesTheBlock)
{
    FetCompEngine fet;
    fet.prepare (rate);
    fet.setParameters (0.0f, 0.0f, 0.02f, 50.0f, 3);
    auto dc = makeDc (2, (int)rate, 1.0f);
    run (fet, dc);
    ASSERT_NEAR (fet.envelopeDb, 22.8f, 0.01f);

    // A silent block reads as -100 dB: the reduction falls with the 50 ms release.
    juce::AudioBuffer<float> silence (2, 4800);
    silence.clear();
    fet.process (silence);
    const float coefficient = fet.releaseCoeff;
    double expectedSum = 0.0, envelope = 22.8;
    for (int i = 0; i < 4800; ++i)
    {
        envelope += (0.0 - envelope) * coefficient;
        expectedSum += envelope;
    }
    EXPECT_NEAR (fet.envelopeDb, envelope, 0.01);
    EXPECT_NEAR (fet.meterReductionDb.load(), expectedSum / 4800.0, 0.01);

    // Preparing clears envelope and meter.
    fet.prepare (rate);
    EXPECT_EQ (fet.envelopeDb, 0.0f);
    EXPECT_EQ (fet.meterReductionDb.load(), 0.0f);
}

TEST (LineAmplifier, GainFromDecibels)
{
    struct Case
    {
        float dB, gain;
    };
    const Case cases[] = {
        {0.0f, 1.0f},
        {-6.0f, 0.5011872f},
        {24.0f, 15.848932f},
        {-99.0f, dbToGain (-99.0f)},
        {-100.0f, 0.0f},
        {-300.0f, 0.0f},
        {std::numeric_limits<float>::quiet_NaN(), 0.0f},
        {std::numeric_limits<float>::infinity(), dbToGain (48.0f)},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.dB);
        float byPointer = 1.0f, byReference = 1.0f;
        setLineAmpGain (&byPointer, c.dB);
        setLineAmpGain (byReference, c.dB);
        EXPECT_NEAR (byPointer, c.gain, c.gain * 1.0e-5f);
        EXPECT_EQ (byPointer, byReference);
    }

    setLineAmpGain (static_cast<float*> (nullptr), 6.0f); // a slot without its gain: nothing happens
}

//==============================================================================
// The compressors' detector and gain stage run in stretches with their own decibel arithmetic;
// these references are the per-sample form with the library's log10 and pow.
namespace
{
float referenceLevelDb (const juce::AudioBuffer<float>& buffer, int i)
{
    float sum = 0.0f;

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        sum += std::abs (buffer.getSample (ch, i));

    const auto level = sum / (float)buffer.getNumChannels() + 1.0e-6f;
    return level > 0.0f ? juce::jlimit (-100.0f, 100.0f, 20.0f * std::log10 (level)) : -100.0f;
}

float referenceGain (float dB)
{
    return dB > -100.0f ? std::pow (10.0f, dB * 0.05f) : 0.0f;
}

void referenceOpto (juce::AudioBuffer<float>& buffer, float gain, float peakReduction, int mode, float& envelope)
{
    const auto threshold = -0.4f * peakReduction, makeup = 0.4f * gain - 20.0f;
    const auto slope = 1.0f - 1.0f / (mode != 0 ? 20.0f : 3.0f);
    const auto attack = (float)(1.0 - std::exp (-1.0 / (rate * 0.01)));
    const auto fast = (float)(1.0 - std::exp (-1.0 / (rate * 0.06)));
    const auto slow = (float)(1.0 - std::exp (-1.0 / (rate * 1.5)));

    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        const auto target = std::max (0.0f, referenceLevelDb (buffer, i) - threshold) * slope;
        envelope += (target - envelope) * (target > envelope ? attack : (envelope > 3.0f ? fast : slow));

        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            buffer.setSample (ch, i, buffer.getSample (ch, i) * referenceGain (makeup - envelope));
    }
}

void referenceFet (juce::AudioBuffer<float>& buffer, const FetCompEngine& settings, float& envelope)
{
    const auto slope = 1.0f - 1.0f / settings.ratio;

    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            buffer.setSample (ch, i, buffer.getSample (ch, i) * settings.inputGain);

        const auto target = std::max (0.0f, referenceLevelDb (buffer, i) + 24.0f) * slope;
        envelope += (target - envelope) * (target > envelope ? settings.attackCoeff : settings.releaseCoeff);

        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            buffer.setSample (ch, i,
                              buffer.getSample (ch, i) * (referenceGain (-envelope) * settings.outputGain));
    }
}

/** Program material: stereo noise whose level swings over 70 dB, with a silent stretch and
    a block length the stretches do not divide. */
juce::AudioBuffer<float> makeProgram()
{
    auto buffer = makeNoise (2, 3 * 48000, 1.0f, 5);

    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        const auto envelope = std::pow (10.0f, -3.5f * (0.5f + 0.5f * std::sin ((float)i * 0.0004f)));

        for (int ch = 0; ch < 2; ++ch)
            buffer.setSample (ch, i, i > 60000 && i < 70000 ? 0.0f : buffer.getSample (ch, i) * envelope);
    }

    return buffer;
}

void expectRelativelyNear (const juce::AudioBuffer<float>& actual, const juce::AudioBuffer<float>& expected)
{
    for (int ch = 0; ch < expected.getNumChannels(); ++ch)
        for (int i = 0; i < expected.getNumSamples(); ++i)
            ASSERT_NEAR (actual.getSample (ch, i), expected.getSample (ch, i),
                         1.0e-5f * std::abs (expected.getSample (ch, i)))
                << "channel " << ch << ", sample " << i;
}
} // namespace

TEST (CompressorAccuracy, OptoMatchesThePerSampleFormulaAcrossItsSettings)
{
    struct Case
    {
        float gain, peakReduction;
        int mode;
    };

    const Case cases[] = {{50.0f, 0.0f, OptoCompEngine::Compress}, {60.0f, 60.0f, OptoCompEngine::Compress},
                          {100.0f, 100.0f, OptoCompEngine::Compress}, {0.0f, 100.0f, OptoCompEngine::Limit},
                          {75.0f, 40.0f, OptoCompEngine::Limit}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.gain) + " / " + juce::String (c.peakReduction) + " / " + juce::String (c.mode));
        auto expected = makeProgram();
        auto actual = expected;
        float envelope = 0.0f;
        referenceOpto (expected, c.gain, c.peakReduction, c.mode, envelope);

        OptoCompEngine opto;
        opto.prepare (rate);
        opto.setParameters (c.gain, c.peakReduction, c.mode);
        run (opto, actual, 700);

        expectRelativelyNear (actual, expected);
        EXPECT_NEAR (opto.envelopeDb, envelope, 1.0e-4f);
    }
}

TEST (CompressorAccuracy, FetMatchesThePerSampleFormulaAcrossItsSettings)
{
    struct Case
    {
        float inputDb, outputDb, attackMs, releaseMs;
        int ratioIndex;
    };

    const Case cases[] = {{0.0f, 0.0f, 0.8f, 500.0f, 0},  {12.0f, -3.0f, 0.2f, 300.0f, 2},
                          {24.0f, -12.0f, 0.02f, 10.0f, 4}, {-6.0f, 6.0f, 20.0f, 1100.0f, 1},
                          {30.0f, 0.0f, 0.5f, 50.0f, 3}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.inputDb) + " dB in, ratio " + juce::String (c.ratioIndex));
        auto expected = makeProgram();
        auto actual = expected;

        FetCompEngine fet;
        fet.prepare (rate);
        fet.setParameters (c.inputDb, c.outputDb, c.attackMs, c.releaseMs, c.ratioIndex);
        float envelope = 0.0f;
        referenceFet (expected, fet, envelope);
        run (fet, actual, 700);

        expectRelativelyNear (actual, expected);
        EXPECT_NEAR (fet.envelopeDb, envelope, 1.0e-4f);
    }
}
