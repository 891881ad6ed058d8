#include "instruments/MonoSynthEngine.h"
#include "tests/instruments/InstrumentTestUtils.h"

#include <gtest/gtest.h>

using namespace InstrumentTestUtils;

namespace
{
constexpr double fs = 48000.0;

/** A clean, easily measured tone: one triangle oscillator, open filter, fast envelopes. */
std::unique_ptr<MonoSynthEngine> makeCleanMono (double sampleRate = fs)
{
    auto engine = withOpenFilter (makeMonoSynthEngine(), sampleRate);
    engine->osc1Wave = 2;
    engine->aEnvS = 1.0f;
    engine->synthGlide = 0.0f;
    return engine;
}

} // namespace

TEST (MonoSynthEngine, PlaysTheNotesPitchAcrossSampleRatesAndOctaves)
{
    struct Case
    {
        double sampleRate;
        int note, octave;
        float tune;
        double expectedHz;
    };

    const Case cases[] = {
        {48000.0, 69, 0, 0.0f, 440.0},  {44100.0, 69, 0, 0.0f, 440.0},
        {96000.0, 57, 0, 0.0f, 220.0},  {48000.0, 45, 1, 0.0f, 220.0},                                // octave +1 of A2
        {48000.0, 69, -2, 0.0f, 110.0}, {48000.0, 69, 0, 100.0f, 440.0 * std::pow (2.0, 1.0 / 12.0)}, // +100 cents
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.sampleRate << " Hz, note " << c.note << ", octave " << c.octave);
        auto engine = makeCleanMono (c.sampleRate);
        engine->globalOctave = c.octave;
        engine->globalTune = c.tune;

        const auto out = render (*engine, (int)c.sampleRate, noteOn (c.note));
        const double f = pitchOf (out, c.sampleRate, (int)(0.2 * c.sampleRate), (int)(0.7 * c.sampleRate));
        EXPECT_NEAR (semitonesBetween (f, c.expectedHz), 0.0, 0.01);
    }
}

TEST (MonoSynthEngine, LegatoMovesThePitchWithoutRestartingTheEnvelopes)
{
    auto engine = makeCleanMono();
    engine->aEnvD = 50.0f;
    engine->aEnvS = 0.3f;
    engine->aEnvR = 50.0f;
    engine->synthGlide = 20.0f;

    // C4, then D4 while C4 is held: level stays at sustain (no new attack), pitch moves to D.
    const auto c = render (*engine, 24000, noteOn (60));
    const double sustainLevel = rmsOf (c, 19200, 4800);
    const auto d = render (*engine, 24000, noteOn (62));
    EXPECT_TRUE (engine->gate);
    EXPECT_NEAR (AudioTestUtils::peak (d, 0, 0, 2400), AudioTestUtils::peak (c, 0, 19200, 4800), 0.02);
    EXPECT_NEAR (rmsOf (d, 12000, 12000), sustainLevel, sustainLevel * 0.05);
    EXPECT_NEAR (semitonesBetween (pitchOf (d, fs, 12000, 12000), midiToHz (62)), 0.0, 0.02);

    // Releasing D returns to the still-held C, gliding, still without a new attack.
    const auto back = render (*engine, 24000, noteOff (62));
    EXPECT_TRUE (engine->gate);
    EXPECT_NEAR (rmsOf (back, 12000, 12000), sustainLevel, sustainLevel * 0.05);
    EXPECT_NEAR (semitonesBetween (pitchOf (back, fs, 12000, 12000), midiToHz (60)), 0.0, 0.02);

    // Releasing C silences.
    const auto off = render (*engine, 24000, noteOff (60));
    EXPECT_FALSE (engine->gate);
    EXPECT_LT (rmsOf (off, 19200, 4800), 1.0e-4);
}

TEST (MonoSynthEngine, GlideFollowsItsTimeConstantAndZeroActsAsTwoMilliseconds)
{
    struct Case
    {
        float glideMs, effectiveMs;
    };

    for (const auto& c : {Case{100.0f, 100.0f}, Case{0.0f, 2.0f}})
    {
        SCOPED_TRACE (c.glideMs);
        auto engine = makeCleanMono();
        engine->synthGlide = c.glideMs;
        render (*engine, 4800, noteOn (48));

        // Legato to an octave above: after one time constant 63 % of the distance in Hz is covered.
        render (*engine, (int)(c.effectiveMs * 0.001 * fs), noteOn (60));
        const double from = midiToHz (48), to = midiToHz (60);
        EXPECT_NEAR ((engine->currentFrequency - from) / (to - from), 1.0 - std::exp (-1.0), 0.01);
    }

    // A note from silence starts at its own pitch, without gliding.
    auto engine = makeCleanMono();
    engine->synthGlide = 1000.0f;
    render (*engine, 512, noteOn (72));
    EXPECT_NEAR (engine->currentFrequency, midiToHz (72), 0.5);
}

TEST (MonoSynthEngine, SustainPedalHoldsTheNoteUntilLifted)
{
    auto engine = makeCleanMono();
    engine->aEnvR = 20.0f;

    render (*engine, 4800, noteOn (57));
    render (*engine, 512, controller (64, 127));
    const auto held = render (*engine, 9600, noteOff (57));
    EXPECT_GT (rmsOf (held, 4800, 4800), 0.05);

    const auto lifted = render (*engine, 9600, controller (64, 0));
    EXPECT_LT (rmsOf (lifted, 4800, 4800), 1.0e-4);
}

TEST (MonoSynthEngine, SeventeenthNoteSoundsButIsNotRemembered)
{
    auto engine = makeCleanMono();
    juce::MidiBuffer seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen.addEvent (juce::MidiMessage::noteOn (1, 40 + i, (juce::uint8)100), 0);

    render (*engine, 9600, seventeen);
    EXPECT_EQ (engine->noteCount, MonoSynthEngine::maxHeldNotes);
    EXPECT_NEAR (engine->targetFrequency, midiToHz (56), 0.01);

    const auto out = render (*engine, 24000, noteOff (56));
    EXPECT_NEAR (semitonesBetween (pitchOf (out, fs, 12000, 12000), midiToHz (55)), 0.0, 0.02);
}

TEST (MonoSynthEngine, LevelFollowsVelocityAndNeverExceedsItsCeiling)
{
    auto loudest = [] (int velocity)
    {
        auto engine = makeMonoSynthEngine();
        engine->prepare (fs);
        engine->synthRes = 0.95f;
        engine->noiseMix = 1.0f;
        engine->lfoAmt = 1.0f;
        engine->lfoTarget = 1;
        const auto out = render (*engine, 48000, noteOn (36, velocity));
        return AudioTestUtils::peak (out, 0);
    };

    const float full = loudest (127);
    EXPECT_LE (full, 0.35f);
    EXPECT_GT (full, 0.2f);
    EXPECT_LT (loudest (20), full * 0.8f);
}

TEST (MonoSynthEngine, LfoOnPitchGivesVibratoOfTwoSemitonesAtFullDepth)
{
    // At the LFO's peak and trough the pitch is 2 semitones above and below.
    auto slow = makeCleanMono();
    slow->lfoAmt = 1.0f;
    slow->lfoRate = 0.5f;
    const auto out = render (*slow, 48000 * 2, noteOn (69));
    const double atPeak = pitchOf (out, fs, 24000 - 1200, 2400);   // lfo phase pi/2
    const double atTrough = pitchOf (out, fs, 72000 - 1200, 2400); // lfo phase 3 pi/2
    EXPECT_NEAR (semitonesBetween (atPeak, 440.0), 2.0, 0.1);
    EXPECT_NEAR (semitonesBetween (atTrough, 440.0), -2.0, 0.1);
}

TEST (MonoSynthEngine, AllNotesOffReleasesEvenWithThePedalDown)
{
    auto engine = makeCleanMono();
    engine->aEnvR = 10.0f;
    render (*engine, 4800, noteOn (60));
    render (*engine, 512, controller (64, 127));
    const auto out = render (*engine, 9600, controller (123, 0));
    EXPECT_FALSE (engine->gate);
    EXPECT_TRUE (engine->sustainPedal);
    EXPECT_LT (rmsOf (out, 4800, 4800), 1.0e-4);
}

TEST (MonoSynthEngine, DeviceRestartSilencesAHeldNote)
{
    auto engine = makeCleanMono();
    render (*engine, 4800, noteOn (60));
    engine->prepare (44100.0);
    const auto out = render (*engine, 4410);
    EXPECT_EQ (AudioTestUtils::peak (out, 0), 0.0f);
    EXPECT_FALSE (engine->gate);
}

TEST (MonoSynthEngine, SettingsFromDamagedFilesAreClampedAndRenderSafely)
{
    auto engine = makeMonoSynthEngine();
    engine->prepare (fs);
    engine->osc1Wave = 9;
    engine->osc2Wave = -4;
    engine->lfoTarget = 7;
    engine->globalOctave = 1000;
    engine->synthCutoff = std::numeric_limits<float>::quiet_NaN();
    engine->aEnvS = std::numeric_limits<float>::infinity();
    engine->synthRes = -5.0f;
    engine->lfoRate = 1.0e30f;

    const auto out = render (*engine, 9600, noteOn (60));
    EXPECT_TRUE (AudioTestUtils::allFinite (out));
    EXPECT_LE (AudioTestUtils::peak (out, 0), 0.35f);

    engine->clampSettings();
    EXPECT_EQ (engine->osc1Wave, 2);
    EXPECT_EQ (engine->osc2Wave, 0);
    EXPECT_EQ (engine->lfoTarget, 1);
    EXPECT_EQ (engine->globalOctave, 3);
    EXPECT_EQ (engine->synthCutoff, 1000.0f); // non-finite falls back to the default
    EXPECT_EQ (engine->aEnvS, 1.0f);
    EXPECT_EQ (engine->synthRes, 0.0f);
    EXPECT_EQ (engine->lfoRate, 50.0f);
}
