#include "effects/EqualizerEngine.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace AudioTestUtils;

namespace
{
constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

// The amplitude of a sine after the engine, relative to its input, measured after the transient.
double sineGain (EqualizerEngine& eq, double frequency, double sampleRate)
{
    auto sine = makeSine (2, (int)sampleRate, frequency, sampleRate, 0.25f);
    processInBlocks (sine, 512, [&] (juce::AudioBuffer<float>& block) { eq.process (block); });
    const int half = sine.getNumSamples() / 2;
    return toneAmplitude (sine.getReadPointer (0, half), half, frequency, sampleRate) / 0.25;
}

void setBand (EqualizerEngine& eq, int band, float frequency, float gainDb, float q)
{
    eq.freq[(size_t)band] = frequency;
    eq.gainDb[(size_t)band] = gainDb;
    eq.q[(size_t)band] = q;
}
} // namespace

TEST (EqualizerEngine, StartsWithTheDefaultBands)
{
    auto eq = makeEqualizerEngine();
    EXPECT_EQ (eq->sampleRate, 44100.0);
    const float freqs[] = {60.0f, 250.0f, 1000.0f, 4000.0f, 12000.0f};
    const float qs[] = {0.7f, 1.0f, 1.0f, 1.0f, 0.7f};
    const int types[] = {0, 1, 1, 1, 2};
    for (int k = 0; k < EqualizerEngine::numBands; ++k)
    {
        EXPECT_EQ (eq->freq[(size_t)k], freqs[k]);
        EXPECT_EQ (eq->q[(size_t)k], qs[k]);
        EXPECT_EQ (eq->gainDb[(size_t)k], 0.0f);
        EXPECT_EQ (eq->type[(size_t)k], types[k]);
        EXPECT_EQ (eq->bands[(size_t)k].getMagnitudeDb (1000.0f, 44100.0f), 0.0f);
    }
}

TEST (EqualizerEngine, FlatBandsPassTheBlockUnchangedWithinTheClamp)
{
    auto eq = makeEqualizerEngine();
    eq->sampleRate = 48000.0;
    const auto input = makeNoise (2, 8192, 1.0f);
    auto output = input;
    eq->process (output);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < input.getNumSamples(); ++i)
            ASSERT_EQ (output.getSample (ch, i), input.getSample (ch, i));

    juce::AudioBuffer<float> hot (2, 4);
    const float values[] = {30.0f, -30.0f, 24.0f, 1.0e-16f};
    for (int i = 0; i < 4; ++i)
        hot.setSample (0, i, values[i]);
    eq->process (hot);
    EXPECT_EQ (hot.getSample (0, 0), 24.0f);
    EXPECT_EQ (hot.getSample (0, 1), -24.0f);
    EXPECT_EQ (hot.getSample (0, 2), 24.0f);
    EXPECT_EQ (hot.getSample (0, 3), 0.0f);
}

TEST (EqualizerEngine, PeakBandAnswersWithItsGainAtItsFrequency)
{
    struct Case
    {
        float sampleRate, frequency, gainDb, q;
    };
    const Case cases[] = {
        {44100.0f, 1000.0f, 12.0f, 1.0f}, {48000.0f, 250.0f, -9.0f, 0.5f},    {96000.0f, 4000.0f, 6.0f, 4.0f},
        {48000.0f, 100.0f, 18.0f, 10.0f}, {44100.0f, 12000.0f, -18.0f, 0.7f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.frequency << " Hz " << c.gainDb << " dB Q " << c.q << " at "
                                         << c.sampleRate);
        EqBandFilter band;
        band.update (c.sampleRate, c.frequency, c.q, c.gainDb, EqBandFilter::Peak);
        EXPECT_NEAR (band.getMagnitudeDb (c.frequency, c.sampleRate), c.gainDb, 0.02f);
        EXPECT_NEAR (band.getMagnitudeDb (c.frequency / 20.0f, c.sampleRate), 0.0f, std::abs (c.gainDb) * 0.1f);

        // And on audio, through the engine.
        EqualizerEngine eq;
        eq.sampleRate = c.sampleRate;
        setBand (eq, 2, c.frequency, c.gainDb, c.q);
        EXPECT_NEAR (toDecibels (sineGain (eq, c.frequency, c.sampleRate)), c.gainDb, 0.05);
    }
}

TEST (EqualizerEngine, ShelvesLiftOneEndOfTheSpectrum)
{
    struct Case
    {
        int type;
        float frequency, gainDb;
        float shelfProbe, flatProbe;
    };
    const Case cases[] = {
        {EqBandFilter::LowShelf, 150.0f, 6.0f, 20.0f, 10000.0f},
        {EqBandFilter::LowShelf, 80.0f, -12.0f, 20.0f, 5000.0f},
        {EqBandFilter::HighShelf, 3000.0f, -6.0f, 19000.0f, 100.0f},
        {EqBandFilter::HighShelf, 8000.0f, 9.0f, 20000.0f, 300.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "type " << c.type << " " << c.frequency << " Hz " << c.gainDb << " dB");
        EqBandFilter band;
        band.update (48000.0f, c.frequency, 0.7f, c.gainDb, c.type);
        EXPECT_NEAR (band.getMagnitudeDb (c.shelfProbe, 48000.0f), c.gainDb, std::abs (c.gainDb) * 0.1f);
        EXPECT_NEAR (band.getMagnitudeDb (c.flatProbe, 48000.0f), 0.0f, 0.2f);
        EXPECT_NEAR (band.getMagnitudeDb (c.frequency, 48000.0f), c.gainDb * 0.5f, 0.5f); // half gain at the corner
    }
}

TEST (EqualizerEngine, FrequenciesAboveNyquistGuardActAtPointFourFiveOfTheRate)
{
    EqBandFilter atLimit, beyond;
    atLimit.update (44100.0f, 19845.0f, 1.0f, 9.0f, EqBandFilter::Peak);
    beyond.update (44100.0f, 30000.0f, 1.0f, 9.0f, EqBandFilter::Peak);

    for (const float f : {100.0f, 1000.0f, 10000.0f, 19845.0f, 21000.0f})
        EXPECT_EQ (beyond.getMagnitudeDb (f, 44100.0f), atLimit.getMagnitudeDb (f, 44100.0f)) << f;
    EXPECT_NEAR (beyond.getMagnitudeDb (19845.0f, 44100.0f), 9.0f, 0.02f);
}

TEST (EqualizerEngine, OnlyTheFirstTwoChannelsAreFiltered)
{
    EqualizerEngine eq;
    eq.sampleRate = 48000.0;
    setBand (eq, 0, 4000.0f, 12.0f, 0.7f);

    auto block = makeNoise (3, 4096, 0.5f);
    const auto original = block;
    eq.process (block);
    EXPECT_GT (rms (block, 0), 1.2 * rms (original, 0));
    EXPECT_GT (rms (block, 1), 1.2 * rms (original, 1));
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ (block.getSample (2, i), original.getSample (2, i));

    EqualizerEngine mono;
    mono.sampleRate = 48000.0;
    setBand (mono, 0, 4000.0f, 12.0f, 0.7f);
    juce::AudioBuffer<float> one (1, 4096);
    one.copyFrom (0, 0, original, 0, 0, 4096);
    mono.process (one);
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ (one.getSample (0, i), block.getSample (0, i));
}

TEST (EqualizerEngine, UnusableSettingsNeverSilenceABandForGood)
{
    // A reel can carry any number for a band; none may blow the filter up or leave it dead.
    struct Case
    {
        float frequency, gainDb, q;
    };
    const Case cases[] = {
        {1000.0f, 12.0f, 0.0f},        {1000.0f, 12.0f, -1.0f}, {1000.0f, 12.0f, notANumber}, {1000.0f, 12.0f, inf},
        {notANumber, 12.0f, 1.0f},     {inf, 12.0f, 1.0f},      {-100.0f, 12.0f, 1.0f},       {0.0f, 12.0f, 1.0f},
        {1000.0f, notANumber, 1.0f},   {1000.0f, inf, 1.0f},    {1000.0f, -inf, 1.0f},        {1000.0f, 1000.0f, 1.0f},
        {1000.0f, -1000.0f, 1.0e-30f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.frequency << " Hz " << c.gainDb << " dB Q " << c.q);
        for (const int band : {0, 2, 4})
        {
            SCOPED_TRACE (band);
            EqualizerEngine eq;
            eq.sampleRate = 48000.0;
            setBand (eq, band, c.frequency, c.gainDb, c.q);

            auto noise = makeNoise (2, 48000, 1.0f);
            processInBlocks (noise, 512, [&] (juce::AudioBuffer<float>& block) { eq.process (block); });
            EXPECT_TRUE (allFinite (noise));
            EXPECT_GT (rms (noise, 0, 24000), 1.0e-4);

            // Back to sane settings, the band works at once.
            setBand (eq, band, 1000.0f, 6.0f, 1.0f);
            EXPECT_NEAR (toDecibels (sineGain (eq, 1000.0, 48000.0)), band == 2 ? 6.0 : 3.0,
                         0.1); // a shelf gives half its gain at its corner
        }
    }
}

TEST (EqualizerEngine, RecoversFromNonFiniteInput)
{
    EqualizerEngine eq;
    eq.sampleRate = 48000.0;
    setBand (eq, 0, 100.0f, 6.0f, 0.7f);
    setBand (eq, 2, 1000.0f, -6.0f, 2.0f);
    setBand (eq, 4, 10000.0f, 3.0f, 0.7f);

    auto bad = makeNoise (2, 512);
    bad.setSample (0, 100, notANumber);
    bad.setSample (1, 200, inf);
    eq.process (bad);
    EXPECT_TRUE (allFinite (bad));

    EXPECT_NEAR (toDecibels (sineGain (eq, 1000.0, 48000.0)), -6.0, 0.1);
}

TEST (EqualizerEngine, ANewSampleRateRecomputesTheBands)
{
    EqualizerEngine eq;
    eq.sampleRate = 44100.0;
    setBand (eq, 2, 1000.0f, 12.0f, 2.0f);
    EXPECT_NEAR (toDecibels (sineGain (eq, 1000.0, 44100.0)), 12.0, 0.05);

    // Only the rate changes (a device change): the bell must stay at 1 kHz, not move to 2177 Hz.
    eq.sampleRate = 96000.0;
    EXPECT_NEAR (toDecibels (sineGain (eq, 1000.0, 96000.0)), 12.0, 0.05);
}

TEST (EqualizerEngine, UnknownBandTypeKeepsTheCoefficients)
{
    EqBandFilter band;
    band.update (48000.0f, 1000.0f, 1.0f, 12.0f, EqBandFilter::Peak);
    band.update (48000.0f, 1000.0f, 1.0f, 12.0f, 7);
    EXPECT_NEAR (band.getMagnitudeDb (1000.0f, 48000.0f), 12.0f, 0.02f);

    EqBandFilter fresh;
    fresh.update (48000.0f, 1000.0f, 1.0f, 12.0f, -1);
    EXPECT_EQ (fresh.getMagnitudeDb (1000.0f, 48000.0f), 0.0f);

    EqualizerEngine eq;
    eq.sampleRate = 48000.0;
    setBand (eq, 2, 1000.0f, 12.0f, 1.0f);
    eq.type[2] = 5;
    const auto input = makeNoise (2, 2048);
    auto output = input;
    eq.process (output);
    EXPECT_EQ (rms (output, 0), rms (input, 0));
}
