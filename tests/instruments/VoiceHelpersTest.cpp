#include "instruments/VoiceHelpers.h"
#include "instruments/BuiltInInstruments.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace VoiceHelpers;

TEST (PolyBlep, MatchesTheReferenceValues)
{
    struct Case
    {
        float t, dt, expected;
    };

    const Case cases[] = {
        {0.5f, 0.0000001f, 0.0f}, // increment too small: no correction
        {0.0f, 0.01f, -1.0f},     // just after the step
        {0.005f, 0.01f, -0.25f},  // x = 0.5: 1 - 0.25 - 1
        {0.999f, 0.01f, 0.81f},   // just before the step
        {0.5f, 0.01f, 0.0f},      // far from the step
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "t=" << c.t << " dt=" << c.dt);
        EXPECT_NEAR (polyBlep (c.t, c.dt), c.expected, 1.0e-5f);
    }
}

TEST (PolyBlep, CorrectedOscillatorsAliasFarLessThanNaiveOnes)
{
    // A 2500 Hz saw and square at 48 kHz: the 17th harmonic (42.5 kHz) folds back to
    // 5.5 kHz, between the true harmonics. The step correction must push that alias
    // well below the naive level.
    const double fs = 48000.0, f0 = 2500.0, alias = fs - 17.0 * f0;
    const int n = 48000;
    std::vector<float> naiveSaw (n), bandSaw (n), naiveSquare (n), bandSquare (n);
    float t = 0.0f;
    const float dt = (float)(f0 / fs);

    for (int i = 0; i < n; ++i)
    {
        t = wrapPhase (t + dt);
        naiveSaw[(size_t)i] = 2.0f * t - 1.0f;
        bandSaw[(size_t)i] = sawShape (t, dt);
        naiveSquare[(size_t)i] = t < 0.5f ? 1.0f : -1.0f;
        bandSquare[(size_t)i] = squareShape (t, dt);
    }

    auto level = [&] (const std::vector<float>& x, double f)
    { return AudioTestUtils::toneAmplitude (x.data(), n, f, fs); };

    EXPECT_LT (level (bandSaw, alias), 0.25 * level (naiveSaw, alias));
    EXPECT_LT (level (bandSquare, alias), 0.25 * level (naiveSquare, alias));

    // The fundamental is untouched.
    EXPECT_NEAR (level (bandSaw, f0), level (naiveSaw, f0), 0.05 * level (naiveSaw, f0));

    EXPECT_NEAR (triangleShape (0.0f), 1.0f, 1.0e-6f);
    EXPECT_NEAR (triangleShape (0.5f), -1.0f, 1.0e-6f);
    EXPECT_NEAR (pulseShape (0.3f, 0.001f, 0.25f), -1.0f, 1.0e-6f);
    EXPECT_NEAR (pulseShape (0.2f, 0.001f, 0.25f), 1.0f, 1.0e-6f);
}

TEST (LadderFilter, CutoffIsLimitedToItsUsableRange)
{
    struct Case
    {
        float cutoff, sameAs, sampleRate;
    };

    const Case cases[] = {
        {5.0f, 20.0f, 44100.0f},        // below 20 Hz behaves as 20 Hz
        {30000.0f, 19845.0f, 44100.0f}, // above 0.45 fs behaves as 0.45 fs
        {1.0e9f, 0.45f * 96000.0f, 96000.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.cutoff);
        float a[4] = {}, b[4] = {};

        for (int i = 0; i < 2000; ++i)
        {
            const float x = (float)std::sin (i * 0.07) * 0.3f;
            ASSERT_FLOAT_EQ (processLadderFilter (a, x, c.cutoff, 0.5f, c.sampleRate, lowPass),
                             processLadderFilter (b, x, c.sameAs, 0.5f, c.sampleRate, lowPass));
        }
    }
}

TEST (LadderFilter, ResonanceIsClampedToZeroToOne)
{
    for (auto [outside, inside] : {std::pair{3.0f, 1.0f}, std::pair{-2.0f, 0.0f}})
    {
        float a[4] = {}, b[4] = {};

        for (int i = 0; i < 1000; ++i)
        {
            const float x = (i % 50) < 25 ? 0.2f : -0.2f;
            ASSERT_FLOAT_EQ (processLadderFilter (a, x, 800.0f, outside, 48000.0f, lowPass),
                             processLadderFilter (b, x, 800.0f, inside, 48000.0f, lowPass));
        }
    }
}

TEST (LadderFilter, PassesSmallLowSignalsAtUnityAndLimitsLargeOnes)
{
    // A 50 Hz tone well below a 5 kHz cutoff at resonance 0.
    float state[4] = {};
    double inSum = 0.0, outSum = 0.0;
    const double fs = 48000.0;

    for (int i = 0; i < 48000; ++i)
    {
        const float x = 0.01f * (float)std::sin (AudioTestUtils::twoPi * 50.0 * i / fs);
        const float y = processLadderFilter (state, x, 5000.0f, 0.0f, (float)fs, lowPass);

        if (i >= 4800)
        {
            inSum += (double)x * x;
            outSum += (double)y * y;
        }
    }

    EXPECT_NEAR (std::sqrt (outSum / inSum), 1.0, 0.01);

    // A large step is softly limited by the input stage: the output settles below it.
    float big[4] = {};
    float y = 0.0f;
    for (int i = 0; i < 4800; ++i)
        y = processLadderFilter (big, 10.0f, 5000.0f, 0.0f, (float)fs, lowPass);
    EXPECT_LT (y, 1.5f);
}

TEST (LadderFilter, NaNInputResetsTheStateAndReturnsSilence)
{
    float state[4] = {};
    for (int i = 0; i < 100; ++i)
        processLadderFilter (state, 0.5f, 1000.0f, 0.5f, 48000.0f, lowPass);

    EXPECT_EQ (processLadderFilter (state, std::numeric_limits<float>::quiet_NaN(), 1000.0f, 0.5f, 48000.0f, lowPass),
               0.0f);

    for (float s : state)
        EXPECT_EQ (s, 0.0f);

    // The next call starts from silence, like a fresh filter.
    float fresh[4] = {};
    EXPECT_FLOAT_EQ (processLadderFilter (state, 0.3f, 1000.0f, 0.5f, 48000.0f, lowPass),
                     processLadderFilter (fresh, 0.3f, 1000.0f, 0.5f, 48000.0f, lowPass));
}

TEST (LadderFilter, ModesShareOneCoreAndRelateAsDocumented)
{
    // High-pass is the input minus the low-pass output; band-pass passes a tone at
    // the cutoff and rejects tones far from it.
    float lp[4] = {}, hp[4] = {};

    for (int i = 0; i < 500; ++i)
    {
        const float x = 0.1f * (float)std::sin (i * 0.2);
        const float low = processLadderFilter (lp, x, 2000.0f, 0.3f, 48000.0f, lowPass);
        const float high = processLadderFilter (hp, x, 2000.0f, 0.3f, 48000.0f, highPass);
        ASSERT_NEAR (high, x - low, 1.0e-6f);
    }

    auto bandLevel = [] (double frequency)
    {
        float state[4] = {};
        double sum = 0.0;

        for (int i = 0; i < 48000; ++i)
        {
            const float x = 0.01f * (float)std::sin (AudioTestUtils::twoPi * frequency * i / 48000.0);
            const float y = processLadderFilter (state, x, 1000.0f, 0.0f, 48000.0f, bandPass);
            if (i >= 9600)
                sum += (double)y * y;
        }

        return std::sqrt (sum / (48000 - 9600)) / (0.01 / std::sqrt (2.0));
    };

    const double atCutoff = bandLevel (1000.0);
    EXPECT_GT (atCutoff, 0.5);
    EXPECT_LT (bandLevel (50.0), atCutoff * 0.2);
    EXPECT_LT (bandLevel (15000.0), atCutoff * 0.2);
}

TEST (FastMaths, AgreesWithTheLibraryOverTheRangesTheEnginesUse)
{
    double worstExp2 = 0.0, worstTanh = 0.0, worstSin = 0.0, worstTan = 0.0;

    for (int i = 0; i <= 200000; ++i)
    {
        const double u = i / 200000.0;

        const float x2 = (float)(-40.0 + 80.0 * u);
        worstExp2 = std::max (worstExp2, std::abs (fastExp2 (x2) / std::exp2 ((double)x2) - 1.0));

        const double xt = -12.0 + 24.0 * u;
        worstTanh = std::max (worstTanh, std::abs (fastTanh ((float)xt) - std::tanh (xt)));

        const float xs = (float)(-20.0 + 40.0 * u);
        worstSin = std::max (worstSin, std::abs (fastSin (xs) - std::sin ((double)xs)));

        const float cycles = (float)(-4.0 + 8.0 * u);
        worstSin = std::max (worstSin, std::abs (fastSinCycles (cycles) - std::sin (AudioTestUtils::twoPi * cycles)));

        const double w = 0.45 * 3.14159265358979 * u;
        worstTan = std::max (worstTan,
                             std::abs (fastTan ((float)w) / std::tan ((double)(float)w) - 1.0) * (w > 0.0 ? 1.0 : 0.0));
    }

    EXPECT_LT (worstExp2, 5.0e-7);
    EXPECT_LT (worstTanh, 5.0e-7);
    EXPECT_LT (worstSin, 2.0e-6);
    EXPECT_LT (worstTan, 2.0e-6);

    EXPECT_EQ (fastTanh (100.0f), 1.0f);
    EXPECT_EQ (fastTanh (-100.0f), -1.0f);
    EXPECT_TRUE (std::isnan (fastTanh (std::numeric_limits<float>::quiet_NaN())));
}

TEST (Noise, StaysInsideMinusOneToOne)
{
    juce::Random random (42);
    float lowest = 1.0f, highest = -1.0f;

    for (int i = 0; i < 1000000; ++i)
    {
        const float n = noise (random);
        lowest = std::min (lowest, n);
        highest = std::max (highest, n);
    }

    EXPECT_GE (lowest, -1.0f);
    EXPECT_LT (highest, 1.0f);
    EXPECT_LT (lowest, -0.999f);
    EXPECT_GT (highest, 0.999f);
}

TEST (EnvelopeSetup, AReleaseInProgressKeepsItsSlopeWhenNothingChanged)
{
    // juce::ADSR re-derives the release slope from the sustain level whenever its
    // parameters are set; with sustain 0 that would cut a release short. Setting the
    // same values again each block must leave the release alone.
    juce::ADSR envelope;
    envelope.setSampleRate (48000.0);
    setEnvelopeFromMilliseconds (envelope, 1.0f, 2000.0f, 0.0f, 500.0f);
    envelope.noteOn();

    for (int i = 0; i < 4800; ++i)
        envelope.getNextSample();

    envelope.noteOff();
    float level = envelope.getNextSample();
    ASSERT_GT (level, 0.5f);

    setEnvelopeFromMilliseconds (envelope, 1.0f, 2000.0f, 0.0f, 500.0f);
    EXPECT_TRUE (envelope.isActive());

    for (int i = 0; i < 4800; ++i) // 100 ms of a 500 ms release
        level = envelope.getNextSample();

    EXPECT_GT (level, 0.4f);
}

TEST (MidiDecoding, ReadsTheMessagesTheEnginesUse)
{
    auto decode = [] (const juce::MidiMessage& m) { return decodeMidi (m.getRawData(), m.getRawDataSize()); };

    auto on = decode (juce::MidiMessage::noteOn (5, 60, (juce::uint8)100));
    EXPECT_EQ (on.kind, MidiEvent::noteOn);
    EXPECT_EQ (on.number, 60);
    EXPECT_EQ (on.value, 100);

    EXPECT_EQ (decode (juce::MidiMessage::noteOn (1, 60, (juce::uint8)0)).kind, MidiEvent::noteOff);
    EXPECT_EQ (decode (juce::MidiMessage::noteOff (16, 61)).kind, MidiEvent::noteOff);
    EXPECT_EQ (decode (juce::MidiMessage::controllerEvent (3, 64, 127)).kind, MidiEvent::controller);
    EXPECT_EQ (decode (juce::MidiMessage::programChange (1, 4)).kind, MidiEvent::other);
    EXPECT_EQ (decode (juce::MidiMessage::createSysExMessage ("abc", 3)).kind, MidiEvent::other);

    const auto bend = decode (juce::MidiMessage::pitchWheel (1, 16383));
    EXPECT_EQ (bend.kind, MidiEvent::pitchBend);
    EXPECT_NEAR (pitchBendSemitones (bend.value), 2.0f * 8191.0f / 8192.0f, 1.0e-6f);
    EXPECT_EQ (pitchBendSemitones (8192), 0.0f);
    EXPECT_EQ (pitchBendSemitones (0), -2.0f);

    EXPECT_EQ (decodeMidi (nullptr, 0).kind, MidiEvent::other);
}

TEST (BuiltInInstrumentCatalogue, NamesFoldersAndLearnIds)
{
    using namespace BuiltInInstruments;

    struct Case
    {
        int type;
        const char* name;
        const char* folder;
    };

    const Case cases[] = {
        {MonoSynth, "Velmora K-7 Mono Synthesizer", "MonoBass"},
        {RhythmMachine, "Velmora Pulsaro Rhythm", ""},
        {PolySynth, "Velmora K-70 Poly Synthesizer", "PolySynth"},
        {Tannerin, "Velmora Lirvando", "Tannerin"},
        {StageKeyboard, "Velmora Stage Keyboard", "StageKeyboard"},
        {0, "Velmora K-70 Poly Synthesizer", ""}, // unknown types show as the poly synthesizer
        {9, "Velmora K-70 Poly Synthesizer", ""},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.type);
        EXPECT_STREQ (getDeviceName (c.type), c.name);
        EXPECT_STREQ (getPresetFolderName (c.type), c.folder);
        EXPECT_EQ (isBuiltInType (c.type), c.type >= 1 && c.type <= 5);
    }

    EXPECT_EQ (makeMidiLearnId (StageKeyboard, "TREMRATE"), "INST_5_TREMRATE");
}
