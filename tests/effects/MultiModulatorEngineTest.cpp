#include "effects/MultiModulatorEngine.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace AudioTestUtils;

namespace
{
constexpr double rate = 48000.0;

void run (MultiModulatorEngine& engine, juce::AudioBuffer<float>& buffer, int type, float p1, float p2,
          bool sync = false, double bpm = 120.0, int blockSize = 512)
{
    processInBlocks (buffer, blockSize,
                     [&] (juce::AudioBuffer<float>& block)
                     {
                         engine.setParameters (type, p1, p2, sync, bpm);
                         engine.process (block);
                     });
}

std::unique_ptr<MultiModulatorEngine> makePrepared (double sampleRate = rate)
{
    auto engine = makeMultiModulatorEngine();
    engine->prepare (sampleRate);
    return engine;
}

juce::AudioBuffer<float> makeDc (int channels, int samples, float value)
{
    juce::AudioBuffer<float> buffer (channels, samples);
    for (int ch = 0; ch < channels; ++ch)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), value, samples);
    return buffer;
}

const int allTypes[] = {MultiModulatorEngine::Phaser, MultiModulatorEngine::Flanger,    MultiModulatorEngine::Chorus,
                        MultiModulatorEngine::Adt,    MultiModulatorEngine::Distortion, MultiModulatorEngine::Vibrato,
                        MultiModulatorEngine::Tremolo};
} // namespace

TEST (MultiModulatorEngine, OscillatorRatesFreeAndSynced)
{
    struct Case
    {
        float p2;
        bool sync;
        double bpm;
        float rateHz;
    };
    const Case cases[] = {
        {0.0f, false, 120.0, 0.1f},  {1.0f, false, 120.0, 15.0f},
        {0.5f, false, 120.0, 7.55f}, {0.0f, true, 120.0, 0.5f}, // one cycle a bar
        {1.0f, true, 120.0, 16.0f},                             // eight cycles a beat
        {0.5f, true, 90.0, 1.5f},                               // index 2: once a beat
        {0.3f, true, 0.0, 4.57f},                               // no tempo: free rate
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "p2 " << c.p2 << " sync " << c.sync << " at " << c.bpm);
        EXPECT_NEAR (MultiModulatorEngine::getRateHz (c.p2, c.sync, c.bpm), c.rateHz, 1.0e-4f);

        // Heard as a tremolo on a steady signal: the gain follows the oscillator.
        const double sampleRate = 44100.0;
        auto engine = makePrepared (sampleRate);
        const int length = (int)(sampleRate * std::max (0.5, 3.2 / c.rateHz));
        auto dc = makeDc (1, length, 1.0f);
        run (*engine, dc, MultiModulatorEngine::Tremolo, 1.0f, c.p2, c.sync, c.bpm, 4096);
        EXPECT_NEAR (engine->getRateHz(), c.rateHz, 1.0e-4f);

        juce::FloatVectorOperations::add (dc.getWritePointer (0), -0.5f, length);
        EXPECT_NEAR (zeroCrossingFrequency (dc, 0, sampleRate), c.rateHz,
                     c.rateHz * 0.01); // the phase is single precision
    }
}

TEST (MultiModulatorEngine, TremoloDepth)
{
    auto engine = makePrepared();
    auto dc = makeDc (2, 48000, 0.8f);
    run (*engine, dc, MultiModulatorEngine::Tremolo, 1.0f, 0.5f);
    EXPECT_NEAR (juce::FloatVectorOperations::findMinimum (dc.getReadPointer (1), 48000), 0.0f, 1.0e-4f);
    EXPECT_NEAR (juce::FloatVectorOperations::findMaximum (dc.getReadPointer (1), 48000), 0.8f, 1.0e-4f);

    const auto input = makeNoise (2, 4096);
    auto output = input;
    run (*engine, output, MultiModulatorEngine::Tremolo, 0.0f, 0.5f);
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ (output.getSample (0, i), input.getSample (0, i));
}

TEST (MultiModulatorEngine, DistortionDriveAndMix)
{
    auto engine = makePrepared();
    const auto input = makeSine (2, 4800, 220.0, rate, 0.5f);

    // P2 0: the dry signal, whatever the drive.
    auto dry = input;
    run (*engine, dry, MultiModulatorEngine::Distortion, 1.0f, 0.0f);
    EXPECT_EQ (engine->getDrive(), 41.0f);
    for (int i = 0; i < 4800; ++i)
        ASSERT_EQ (dry.getSample (0, i), input.getSample (0, i));

    // P2 1: fully driven.
    auto driven = input;
    run (*engine, driven, MultiModulatorEngine::Distortion, 1.0f, 1.0f);
    for (int i = 0; i < 4800; ++i)
        ASSERT_NEAR (driven.getSample (1, i), std::tanh (41.0f * input.getSample (1, i)), 1.0e-6f);

    // The distortion leaves the oscillator rate alone.
    engine->setParameters (MultiModulatorEngine::Tremolo, 0.5f, 1.0f, false, 120.0);
    engine->setParameters (MultiModulatorEngine::Distortion, 0.25f, 0.3f, false, 120.0);
    EXPECT_NEAR (engine->getRateHz(), 15.0f, 1.0e-5f);
    EXPECT_EQ (engine->getDrive(), 11.0f);
    EXPECT_EQ (engine->getDistortionMix(), 0.3f);
}

TEST (MultiModulatorEngine, DelayEffectsAtZeroDepthReadTheirCentreDelay)
{
    struct Case
    {
        int type;
        int delaySamples;
        bool addsCopy;
    };
    const Case cases[] = {
        {MultiModulatorEngine::Chorus, 720, true},   // 15 ms
        {MultiModulatorEngine::Adt, 1200, true},     // 25 ms
        {MultiModulatorEngine::Vibrato, 480, false}, // 10 ms, but depth 0 is all dry
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.type);
        auto engine = makePrepared();
        auto impulse = makeImpulse (2, 2000, 0, 0.5f);
        run (*engine, impulse, c.type, 0.0f, 0.7f);

        for (int ch = 0; ch < 2; ++ch)
        {
            EXPECT_EQ (impulse.getSample (ch, 0), 0.5f);
            for (int i = 1; i < 2000; ++i)
                ASSERT_EQ (impulse.getSample (ch, i), (c.addsCopy && i == c.delaySamples) ? 0.5f : 0.0f)
                    << "channel " << ch << " sample " << i;
        }
    }
}

TEST (MultiModulatorEngine, OneChannelFeedsBothLines)
{
    auto engine = makePrepared();
    auto mono = makeImpulse (1, 100, 0, 0.5f);
    run (*engine, mono, MultiModulatorEngine::Chorus, 0.0f, 0.5f);
    EXPECT_EQ (mono.getNumChannels(), 1);

    // The right line holds the left input: it comes out of the right channel 15 ms later.
    juce::AudioBuffer<float> stereo (2, 1000);
    stereo.clear();
    run (*engine, stereo, MultiModulatorEngine::Chorus, 0.0f, 0.5f);
    EXPECT_EQ (stereo.getSample (0, 620), 0.5f);
    EXPECT_EQ (stereo.getSample (1, 620), 0.5f);
}

TEST (MultiModulatorEngine, ModulatedEffectsChangeTheSoundAndStayBounded)
{
    for (const int type : allTypes)
    {
        SCOPED_TRACE (type);
        auto engine = makePrepared();
        const auto input = makeNoise (2, 48000, 1.0f);
        auto output = input;
        run (*engine, output, type, 1.0f, 0.8f);

        EXPECT_TRUE (allFinite (output));
        EXPECT_LT (peak (output, 0), 4.0f);
        double difference = 0.0;
        for (int i = 0; i < 48000; ++i)
            difference += std::abs (output.getSample (1, i) - input.getSample (1, i));
        EXPECT_GT (difference / 48000.0, 0.01);
    }
}

TEST (MultiModulatorEngine, SettingsOutsideTheRangeActAsTheNearestEnd)
{
    // Stored settings are not range-checked: outside 0..1 they would read outside the delay lines
    // or the sync table. They act as the nearest end of the range (NaN as the middle).
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        float value, actsAs;
    };
    const Case cases[] = {
        {-5.0f, 0.0f}, {5.0f, 1.0f}, {1.0e9f, 1.0f},
        {-inf, 0.0f},  {inf, 1.0f},  {std::numeric_limits<float>::quiet_NaN(), 0.5f},
    };

    for (const int type : allTypes)
        for (const auto& c : cases)
            for (const bool sync : {false, true})
            {
                SCOPED_TRACE (testing::Message() << "type " << type << " value " << c.value << " sync " << sync);
                auto outOfRange = makePrepared();
                auto inRange = makePrepared();
                auto a = makeNoise (2, 8192, 0.7f);
                auto b = a;
                run (*outOfRange, a, type, c.value, c.value, sync);
                run (*inRange, b, type, c.actsAs, c.actsAs, sync);

                EXPECT_TRUE (allFinite (a));
                EXPECT_EQ (outOfRange->getAmount(), c.actsAs);
                EXPECT_EQ (outOfRange->getRateHz(), inRange->getRateHz());
                if (type != MultiModulatorEngine::Adt) // its drift is random
                {
                    for (int i = 0; i < 8192; ++i)
                        ASSERT_EQ (a.getSample (0, i), b.getSample (0, i)) << "sample " << i;
                }
            }

    // An absurd tempo cannot spin the oscillator out of range either.
    auto engine = makePrepared();
    auto noise = makeNoise (2, 8192, 0.7f);
    run (*engine, noise, MultiModulatorEngine::Chorus, 1.0f, 1.0f, true, 1.0e12);
    EXPECT_TRUE (allFinite (noise));
    EXPECT_LE (engine->getRateHz(), 1000.0f);

    EXPECT_EQ (MultiModulatorEngine::getSyncRateIndex (-3.0f), 0);
    EXPECT_EQ (MultiModulatorEngine::getSyncRateIndex (3.0f), 5);
}

TEST (MultiModulatorEngine, UnknownTypesPassAndPrepareClearsTheLines)
{
    auto engine = makePrepared();
    const auto input = makeNoise (2, 4096);
    auto output = input;
    run (*engine, output, 9, 1.0f, 1.0f);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 4096; ++i)
            ASSERT_EQ (output.getSample (ch, i), input.getSample (ch, i));

    auto noise = makeNoise (2, 48000);
    run (*engine, noise, MultiModulatorEngine::Flanger, 1.0f, 0.3f);
    engine->prepare (rate);
    juce::AudioBuffer<float> silence (2, 4800);
    silence.clear();
    run (*engine, silence, MultiModulatorEngine::Flanger, 1.0f, 0.3f);
    EXPECT_EQ (peak (silence, 0), 0.0f);

    // Not prepared yet: no lines to use, so the audio passes.
    auto fresh = makeMultiModulatorEngine();
    auto untouched = input;
    fresh->setParameters (MultiModulatorEngine::Chorus, 1.0f, 0.5f, false, 120.0);
    fresh->process (untouched);
    EXPECT_EQ (rms (untouched, 0), rms (input, 0));
}

TEST (MultiModulatorEngine, NonFiniteInputDoesNotPoisonTheState)
{
    for (const int type : allTypes)
    {
        SCOPED_TRACE (type);
        auto engine = makePrepared();
        auto bad = makeNoise (2, 512);
        bad.setSample (0, 5, std::numeric_limits<float>::quiet_NaN());
        bad.setSample (1, 9, std::numeric_limits<float>::infinity());
        run (*engine, bad, type, 0.8f, 0.4f);

        auto noise = makeNoise (2, 48000, 0.5f, 11);
        run (*engine, noise, type, 0.8f, 0.4f);
        EXPECT_TRUE (allFinite (noise));
        EXPECT_GT (rms (noise, 0), 0.01);
    }
}
