#include "effects/TapeEchoEngine.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace AudioTestUtils;

namespace
{
constexpr double rate = 48000.0;

struct EchoSettings
{
    float timeMs = 300.0f;
    float feedback = 0.0f;
    int age = TapeEchoEngine::Clean;
    float mix = 1.0f;
    float pan = 0.0f;
    bool sync = false;
    double bpm = 120.0;
    float drive = 1.0f;
};

void apply (TapeEchoEngine& engine, const EchoSettings& s)
{
    engine.setParameters (s.timeMs, s.feedback, s.age, s.mix, s.pan, s.sync, s.bpm, s.drive);
}

void run (TapeEchoEngine& engine, juce::AudioBuffer<float>& buffer, const EchoSettings& s, int blockSize = 512)
{
    processInBlocks (buffer, blockSize,
                     [&] (juce::AudioBuffer<float>& block)
                     {
                         apply (engine, s); // as the processor does before every block
                         engine.process (block);
                     });
}

// A prepared engine whose delay-time glide from 0 ms has finished.
void settle (TapeEchoEngine& engine, const EchoSettings& s, int channels = 2)
{
    engine.prepare (rate);
    juce::AudioBuffer<float> silence (channels, (int)rate / 10);
    silence.clear();
    run (engine, silence, s);
}

int loudestSampleAfter (const juce::AudioBuffer<float>& buffer, int channel, int start)
{
    int best = -1;
    float bestValue = 0.0f;
    for (int i = start; i < buffer.getNumSamples(); ++i)
        if (std::abs (buffer.getSample (channel, i)) > bestValue)
        {
            bestValue = std::abs (buffer.getSample (channel, i));
            best = i;
        }
    return best;
}
} // namespace

TEST (TapeEchoEngine, SyncedTimesFollowTheTempoWithinThreeSeconds)
{
    struct Case
    {
        double bpm;
        float knobMs;
        float expectedMs;
    };
    const Case cases[] = {
        {120.0, 50.0f, 1000.0f},                          // half note
        {120.0, 1000.0f, 125.0f},                         // sixteenth
        {120.0, 300.0f, 750.0f},                          // dotted quarter
        {90.0, 500.0f, 666.6667f},                        // quarter
        {30.0, 50.0f, 3000.0f},                           // a 4 s half note, held at the line's 3 s
        {30.0, 1000.0f, 500.0f},   {0.0, 400.0f, 400.0f}, // no tempo: the knob's own time
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.bpm << " BPM, knob " << c.knobMs << " ms");
        EXPECT_NEAR (TapeEchoEngine::getEffectiveTimeMs (c.knobMs, true, c.bpm), c.expectedMs, 1.0e-3f);

        auto engine = makeTapeEchoEngine();
        EchoSettings s;
        s.timeMs = c.knobMs;
        s.sync = true;
        s.bpm = c.bpm;
        settle (*engine, s);
        EXPECT_NEAR (engine->getTargetDelayMs(), c.expectedMs, 1.0e-3f);
    }

    EXPECT_EQ (TapeEchoEngine::getSyncNoteIndex (50.0f), 0);
    EXPECT_EQ (TapeEchoEngine::getSyncNoteIndex (1000.0f), 5);
    EXPECT_EQ (TapeEchoEngine::getSyncNoteIndex (-1.0e9f), 0);
    EXPECT_EQ (TapeEchoEngine::getSyncNoteIndex (1.0e9f), 5);
}

TEST (TapeEchoEngine, EchoArrivesAfterTheDelayTime)
{
    struct Case
    {
        float knobMs;
        bool sync;
        double bpm;
        int expectedSample;
    };
    const Case cases[] = {
        {250.0f, false, 120.0, 12000},
        {50.0f, true, 120.0, 48000},
        {1000.0f, true, 120.0, 6000},
        {50.0f, true, 30.0, 144000},
        {0.0f, false, 120.0, 1}, // shorter than a sample: one sample behind the write
                                 // head
        {0.004f, false, 120.0, 1},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "knob " << c.knobMs << " sync " << c.sync << " at " << c.bpm);
        TapeEchoEngine engine;
        EchoSettings s;
        s.timeMs = c.knobMs;
        s.sync = c.sync;
        s.bpm = c.bpm;
        settle (engine, s);

        auto impulse = makeImpulse (2, c.expectedSample + 1000, 0, 0.5f);
        run (engine, impulse, s);
        EXPECT_EQ (loudestSampleAfter (impulse, 0, 0), c.expectedSample);
        EXPECT_NEAR (impulse.getSample (0, c.expectedSample), std::tanh (0.5f), 1.0e-6f);
    }
}

TEST (TapeEchoEngine, FreeTimesOutsideTheLineAreHeldInside)
{
    // Stored times are not range-checked: none may move the read head outside the line.
    struct Case
    {
        float knobMs;
        float expectedMs;
    };
    const Case cases[] = {
        {1.0e7f, 3000.0f},
        {std::numeric_limits<float>::infinity(), 3000.0f},
        {-500.0f, 0.0f},
        {-std::numeric_limits<float>::infinity(), 0.0f},
        {std::numeric_limits<float>::quiet_NaN(), 300.0f},
    };

    for (const double sampleRate : {44100.0, 192000.0})
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << c.knobMs << " ms at " << sampleRate);
            TapeEchoEngine engine;
            EchoSettings s;
            s.timeMs = c.knobMs;
            s.age = TapeEchoEngine::Old; // the wow reaches 1.5 ms past the time
            s.feedback = 0.9f;
            engine.prepare (sampleRate);
            apply (engine, s);
            EXPECT_EQ (engine.getTargetDelayMs(), c.expectedMs);

            auto noise = makeNoise (2, (int)sampleRate * 4, 0.8f);
            run (engine, noise, s, 4096);
            EXPECT_TRUE (allFinite (noise));
        }
}

TEST (TapeEchoEngine, MixCrossfadesWetAndDry)
{
    struct Case
    {
        float mix, wet, dry;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 1.0f}, {0.25f, 0.5f, 1.0f}, {0.5f, 1.0f, 1.0f}, {0.75f, 1.0f, 0.5f}, {1.0f, 1.0f, 0.0f},
    };

    for (const float drive : {1.0f, 0.5011872f})
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << "mix " << c.mix << " drive " << drive);
            TapeEchoEngine engine;
            EchoSettings s;
            s.timeMs = 100.0f;
            s.mix = c.mix;
            s.drive = drive;
            settle (engine, s);

            const float amplitude = 0.25f;
            auto impulse = makeImpulse (2, 6000, 0, amplitude);
            run (engine, impulse, s);

            // The input gain drives the dry path too; the echo is the saturated line.
            for (int ch = 0; ch < 2; ++ch)
            {
                EXPECT_NEAR (impulse.getSample (ch, 0), amplitude * drive * c.dry, 1.0e-6f);
                EXPECT_NEAR (impulse.getSample (ch, 4800), std::tanh (amplitude * drive) * c.wet, 1.0e-6f);
            }
        }
}

TEST (TapeEchoEngine, InputGainScalesTheDryPathAtMixZero)
{
    TapeEchoEngine engine;
    EchoSettings s;
    s.mix = 0.0f;
    s.drive = std::pow (10.0f, -6.0f * 0.05f);
    settle (engine, s);

    const auto input = makeNoise (2, 4096, 0.9f);
    auto output = input;
    run (engine, output, s);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < input.getNumSamples(); ++i)
            ASSERT_NEAR (output.getSample (ch, i), input.getSample (ch, i) * 0.5011872f, 1.0e-6f);
}

TEST (TapeEchoEngine, BalanceOfTheWetSignal)
{
    struct Case
    {
        float pan, left, right;
    };
    const Case cases[] = {{-1.0f, 1.0f, 0.0f}, {-0.5f, 1.0f, 0.5f}, {0.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 1.0f}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.pan);
        TapeEchoEngine engine;
        EchoSettings s;
        s.timeMs = 50.0f;
        s.pan = c.pan;
        settle (engine, s);

        auto impulse = makeImpulse (2, 3000, 0, 0.5f);
        run (engine, impulse, s);
        EXPECT_NEAR (impulse.getSample (0, 2400), std::tanh (0.5f) * c.left, 1.0e-6f);
        EXPECT_NEAR (impulse.getSample (1, 2400), std::tanh (0.5f) * c.right, 1.0e-6f);
    }
}

TEST (TapeEchoEngine, FeedbackRepeatsAndStaysBounded)
{
    {
        TapeEchoEngine engine;
        EchoSettings s;
        s.timeMs = 100.0f;
        s.feedback = 0.5f;
        settle (engine, s);

        auto impulse = makeImpulse (1, 20000, 0, 0.001f); // small enough for tanh to be linear
        run (engine, impulse, s);
        EXPECT_NEAR (impulse.getSample (0, 9600) / impulse.getSample (0, 4800), 0.5f, 1.0e-3f);
        EXPECT_NEAR (impulse.getSample (0, 14400) / impulse.getSample (0, 4800), 0.25f, 1.0e-3f);
    }

    // The aux return's feedback reaches 1.2: the tanh in the write path keeps the line within +-1.
    for (const int age : {1, 2, 3})
    {
        SCOPED_TRACE (age);
        TapeEchoEngine engine;
        EchoSettings s;
        s.timeMs = 80.0f;
        s.feedback = 1.2f;
        s.age = age;
        settle (engine, s);
        auto noise = makeNoise (2, (int)rate * 5, 1.0f);
        run (engine, noise, s);
        EXPECT_TRUE (allFinite (noise));
        EXPECT_LE (peak (noise, 0), 1.0f);
        EXPECT_GT (rms (noise, 0, (int)rate * 4), 0.1);
    }
}

TEST (TapeEchoEngine, TapeAgeDarkensTheRepeats)
{
    struct Case
    {
        int age;
        float maxPeak; // of the first echo, as a share of the clean echo
    };
    const Case cases[] = {{TapeEchoEngine::Clean, 1.0f}, {TapeEchoEngine::Worn, 0.4f}, {TapeEchoEngine::Old, 0.2f}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.age);
        TapeEchoEngine engine;
        EchoSettings s;
        s.timeMs = 200.0f;
        s.age = c.age;
        settle (engine, s);

        auto impulse = makeImpulse (1, 14000, 0, 0.01f);
        run (engine, impulse, s);

        // The one-pole keeps the echo's total (give or take the wow's Doppler shift of up to 2%), but
        // spreads it: the peak drops by its coefficient.
        const float clean = std::tanh (0.01f);
        float sum = 0.0f, highest = 0.0f;
        for (int i = 9600 - 200; i < 9600 + 2000; ++i)
        {
            sum += impulse.getSample (0, i);
            highest = std::max (highest, std::abs (impulse.getSample (0, i)));
        }
        EXPECT_NEAR (sum, clean, clean * 0.025f);
        EXPECT_LE (highest, clean * c.maxPeak * 1.0001f);
    }
}

TEST (TapeEchoEngine, WowKeepsMovingInLongSessions)
{
    TapeEchoEngine engine;
    EchoSettings s;
    s.timeMs = 100.0f;
    s.age = TapeEchoEngine::Old;
    settle (engine, s, 1);

    // Nine minutes in, a single-precision clock would no longer advance and the wow would freeze.
    juce::AudioBuffer<float> silence (1, (int)rate * 540);
    silence.clear();
    run (engine, silence, s, 8192);

    const int spacing = (int)rate / 4;
    auto clicks = juce::AudioBuffer<float> (1, spacing * 20);
    clicks.clear();
    for (int n = 0; n < 20; ++n)
        clicks.setSample (0, n * spacing, 0.01f);
    run (engine, clicks, s);

    double earliest = 1.0e9, latest = -1.0e9;
    for (int n = 0; n < 20; ++n)
    {
        double weighted = 0.0, total = 0.0;
        for (int i = n * spacing + 4000; i < n * spacing + 6000; ++i)
        {
            const double v = std::abs (clicks.getSample (0, i));
            weighted += v * (i - n * spacing);
            total += v;
        }
        const double centre = weighted / total;
        earliest = std::min (earliest, centre);
        latest = std::max (latest, centre);
    }

    // The old tape's wow swings the delay by up to 1.5 ms (72 samples) either way.
    EXPECT_GT (latest - earliest, 20.0);
    EXPECT_LT (latest - earliest, 150.0);
}

TEST (TapeEchoEngine, MonoUsesChannelZeroAndExtraChannelsAreUntouched)
{
    EchoSettings s;
    s.timeMs = 20.0f;
    s.feedback = 0.6f;
    s.age = TapeEchoEngine::Worn;
    s.mix = 0.5f;

    TapeEchoEngine mono, stereo;
    settle (mono, s, 1);
    settle (stereo, s, 3);

    auto monoBlock = makeNoise (1, 8192, 0.5f);
    auto wideBlock = makeNoise (3, 8192, 0.5f);
    wideBlock.copyFrom (0, 0, monoBlock, 0, 0, 8192);
    const auto original = wideBlock;
    run (mono, monoBlock, s);
    run (stereo, wideBlock, s);

    for (int i = 0; i < 8192; ++i)
    {
        ASSERT_EQ (monoBlock.getSample (0, i), wideBlock.getSample (0, i));
        ASSERT_EQ (wideBlock.getSample (2, i), original.getSample (2, i));
    }
}

TEST (TapeEchoEngine, PrepareSilencesTheLineAndUnpreparedEnginesPassAudio)
{
    TapeEchoEngine engine;
    EchoSettings s;
    s.feedback = 0.9f;

    auto noise = makeNoise (2, 512);
    const auto original = noise;
    run (engine, noise, s);
    EXPECT_EQ (rms (noise, 0), rms (original, 0));

    settle (engine, s);
    noise = makeNoise (2, (int)rate);
    run (engine, noise, s);

    engine.prepare (rate);
    juce::AudioBuffer<float> silence (2, (int)rate);
    silence.clear();
    run (engine, silence, s);
    EXPECT_EQ (peak (silence, 0), 0.0f);
    EXPECT_EQ (peak (silence, 1), 0.0f);
}

TEST (TapeEchoEngine, NonFiniteInputOrSettingsDoNotPoisonTheLine)
{
    TapeEchoEngine engine;
    EchoSettings s;
    s.timeMs = 30.0f;
    s.feedback = 0.7f;
    s.age = TapeEchoEngine::Old;
    settle (engine, s);

    auto bad = makeNoise (2, 512);
    bad.setSample (0, 10, std::numeric_limits<float>::quiet_NaN());
    bad.setSample (1, 20, -std::numeric_limits<float>::infinity());
    run (engine, bad, s);

    EchoSettings nonsense = s;
    nonsense.feedback = std::numeric_limits<float>::quiet_NaN();
    nonsense.mix = std::numeric_limits<float>::quiet_NaN();
    nonsense.pan = std::numeric_limits<float>::infinity();
    nonsense.drive = std::numeric_limits<float>::infinity();
    auto noise = makeNoise (2, 4096, 0.5f, 3);
    run (engine, noise, nonsense);
    EXPECT_TRUE (allFinite (noise));

    noise = makeNoise (2, (int)rate, 0.5f, 5);
    run (engine, noise, s);
    EXPECT_TRUE (allFinite (noise));
    EXPECT_GT (rms (noise, 0), 0.1);
}
