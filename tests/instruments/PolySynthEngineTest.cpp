#include "instruments/PolySynthEngine.h"
#include "tests/instruments/InstrumentTestUtils.h"

#include <gtest/gtest.h>

using namespace InstrumentTestUtils;

namespace
{
constexpr double fs = 48000.0;

/** One sine oscillator into an open filter: the rendered pitch is easy to read. */
std::unique_ptr<PolySynthEngine> makeCleanPoly (double sampleRate = fs)
{
    auto engine = withOpenFilter (makePolySynthEngine(), sampleRate);
    engine->osc1Wave = 3;
    engine->filterKeyTrack = 0.0f;
    return engine;
}

int voiceIndexPlaying (const PolySynthEngine& engine, int note)
{
    for (int v = 0; v < PolySynthEngine::numVoices; ++v)
        if (engine.voices[v].note == note)
            return v;
    return -1;
}
} // namespace

TEST (PolySynthEngine, PlaysInTuneAcrossSampleRatesWithTuneAndOctave)
{
    struct Case
    {
        double sampleRate;
        int note, octave;
        float tune;
        double expectedHz;
    };

    const Case cases[] = {
        {48000.0, 69, 0, 0.0f, 440.0},
        {44100.0, 57, 0, 0.0f, 220.0},
        {96000.0, 69, -1, 0.0f, 220.0},
        {48000.0, 69, 0, 100.0f, 440.0 * std::pow (2.0, 1.0 / 12.0)}, // globalTune 100 = one semitone up
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.sampleRate << " Hz, note " << c.note);
        auto engine = makeCleanPoly (c.sampleRate);
        engine->osc1Octave = c.octave;
        engine->globalTune = c.tune;
        const auto out = render (*engine, (int)c.sampleRate / 2, noteOn (c.note));
        EXPECT_NEAR (
            semitonesBetween (pitchOf (out, c.sampleRate, (int)c.sampleRate / 10, (int)c.sampleRate / 3), c.expectedHz),
            0.0, 0.01);
    }
}

TEST (PolySynthEngine, TenVoicesSoundTogetherAndTheEleventhStealsVoiceZero)
{
    auto engine = makeCleanPoly();
    engine->glide = 200.0f;

    juce::MidiBuffer ten;
    for (int i = 0; i < 10; ++i)
        ten.addEvent (juce::MidiMessage::noteOn (1, 50 + i, (juce::uint8)100), 0);

    render (*engine, 4800, ten);
    EXPECT_EQ (engine->getNumSoundingVoices(), 10);

    for (int v = 0; v < PolySynthEngine::numVoices; ++v)
        EXPECT_EQ (engine->voices[v].note, 50 + v);

    // All held: the eleventh note takes voice 0 and glides from voice 0's pitch.
    render (*engine, 480, noteOn (80));
    EXPECT_EQ (engine->voices[0].note, 80);
    EXPECT_TRUE (engine->voices[0].held);
    const double covered = (engine->voices[0].currentFrequency - midiToHz (50)) / (midiToHz (80) - midiToHz (50));
    EXPECT_GT (covered, 0.01);
    EXPECT_LT (covered, 0.2); // 10 ms of a 200 ms glide: about 5 %
}

TEST (PolySynthEngine, StealingPrefersReleasingVoicesOverHeldOnes)
{
    auto engine = makeCleanPoly();
    engine->aEnvR = 2000.0f;

    juce::MidiBuffer ten;
    for (int i = 0; i < 10; ++i)
        ten.addEvent (juce::MidiMessage::noteOn (1, 50 + i, (juce::uint8)100), 0);

    render (*engine, 4800, ten);
    render (*engine, 480, noteOff (53)); // voice 3 releases, still sounding
    EXPECT_EQ (engine->getNumSoundingVoices(), 10);

    render (*engine, 480, noteOn (70));
    EXPECT_EQ (voiceIndexPlaying (*engine, 70), 3);
    EXPECT_EQ (engine->voices[0].note, 50); // the held voice 0 was left alone
}

TEST (PolySynthEngine, GlideOnlyActsOnATakenOverVoice)
{
    auto engine = makeCleanPoly();
    engine->glide = 500.0f;
    render (*engine, 480, noteOn (60));
    EXPECT_NEAR (engine->voices[0].currentFrequency, midiToHz (60), 0.01);

    const auto out = render (*engine, 9600);
    EXPECT_NEAR (semitonesBetween (pitchOf (out, fs, 2400, 7200), midiToHz (60)), 0.0, 0.01);
}

TEST (PolySynthEngine, RepeatedNoteTakesANewVoiceAndNoteOffReleasesBoth)
{
    auto engine = makeCleanPoly();
    engine->aEnvR = 10.0f;
    render (*engine, 480, noteOn (60));
    render (*engine, 480, noteOn (60));
    EXPECT_EQ (engine->getNumSoundingVoices(), 2);

    const auto out = render (*engine, 9600, noteOff (60));
    EXPECT_EQ (engine->getNumSoundingVoices(), 0);
    EXPECT_LT (rmsOf (out, 4800, 4800), 1.0e-5);
}

TEST (PolySynthEngine, SustainPedalKeepsReleasedNotesUntilLifted)
{
    auto engine = makeCleanPoly();
    engine->aEnvR = 10.0f;
    render (*engine, 480, notesOn ({60, 64, 67}));
    render (*engine, 480, controller (64, 100));

    juce::MidiBuffer offs;
    for (int n : {60, 64, 67})
        offs.addEvent (juce::MidiMessage::noteOff (1, n), 0);

    const auto held = render (*engine, 9600, offs);
    EXPECT_EQ (engine->getNumSoundingVoices(), 3);
    EXPECT_GT (rmsOf (held, 4800, 4800), 0.05);

    const auto lifted = render (*engine, 9600, controller (64, 0));
    EXPECT_EQ (engine->getNumSoundingVoices(), 0);
    EXPECT_LT (rmsOf (lifted, 4800, 4800), 1.0e-5);
}

TEST (PolySynthEngine, AllNotesOffReleasesEverything)
{
    auto engine = makeCleanPoly();
    engine->aEnvR = 10.0f;
    render (*engine, 480, notesOn ({48, 52, 55, 59}));
    render (*engine, 480, controller (64, 127));
    render (*engine, 9600, controller (120, 0));
    EXPECT_EQ (engine->getNumSoundingVoices(), 0);
}

TEST (PolySynthEngine, OscillatorBWithoutKeyTrackingStaysOnItsBaseFrequency)
{
    struct Case
    {
        int note, octave;
        double expectedHz;
    };

    for (const auto& c : {Case{40, 0, 65.406}, Case{80, 0, 65.406}, Case{60, 1, 130.812}})
    {
        SCOPED_TRACE (c.note);
        auto engine = makeCleanPoly();
        engine->osc1Mix = 0.0f;
        engine->osc2Mix = 1.0f;
        engine->osc2Wave = 3;
        engine->osc2KeyTrack = false;
        engine->osc2Octave = c.octave;
        const auto out = render (*engine, 48000, noteOn (c.note));
        EXPECT_NEAR (semitonesBetween (pitchOf (out, fs, 4800, 43200), c.expectedHz), 0.0, 0.01);
    }
}

TEST (PolySynthEngine, LowFrequencyOscillatorBGivesASlowVibratoOfA)
{
    auto engine = makeCleanPoly();
    engine->osc2KeyTrack = false;
    engine->osc2LfoMode = true; // B at 0.015 x 65.406 Hz, about 0.98 Hz
    engine->osc2Wave = 3;
    engine->polyModOscBFreqA = 1.0f; // +-1 semitone on A
    render (*engine, 480, noteOn (69));

    // B is a sine starting at phase 0: a quarter period in (~0.255 s) A is a semitone up,
    // three quarters in a semitone down.
    const double period = 1.0 / (0.015 * 65.406);
    const auto out = render (*engine, (int)(fs * period));
    const double up = pitchOf (out, fs, (int)(0.25 * period * fs) - 1200, 2400);
    const double down = pitchOf (out, fs, (int)(0.75 * period * fs) - 1200, 2400);
    EXPECT_NEAR (semitonesBetween (up, 440.0), 1.0, 0.05);
    EXPECT_NEAR (semitonesBetween (down, 440.0), -1.0, 0.05);
}

TEST (PolySynthEngine, HardSyncRestartsOscillatorAWhenBWraps)
{
    auto engine = makeCleanPoly();
    engine->syncMode = true;
    engine->osc2KeyTrack = false; // B at 65.406 Hz, A at 440 Hz
    render (*engine, 1, noteOn (69));

    int wraps = 0;
    for (int i = 0; i < 4800; ++i)
    {
        const float previousB = engine->voices[0].osc2Phase;
        render (*engine, 1);
        const auto& voice = engine->voices[0];

        if (voice.osc2Phase < previousB)
        {
            ++wraps;
            // A restarted from zero this sample: its phase is exactly one increment.
            ASSERT_NEAR (voice.osc1Phase, 440.0 / fs, 1.0e-4) << "sample " << i;
        }
    }

    EXPECT_EQ (wraps, 6); // 65.4 Hz over 0.1 s
}

TEST (PolySynthEngine, KeyTrackedCutoffIsKeptThroughTheRelease)
{
    auto engine = makePolySynthEngine();
    engine->prepare (fs);
    engine->filterKeyTrack = 1.0f;
    engine->synthEnvMod = 0.0f;
    engine->synthCutoff = 1000.0f;
    engine->aEnvR = 2000.0f;

    render (*engine, 9600, noteOn (84)); // 24 semitones above 60: +480 Hz
    EXPECT_NEAR (engine->voices[0].smoothedCutoff, 1480.0f, 1.0f);

    render (*engine, 9600, noteOff (84));
    EXPECT_EQ (engine->voices[0].note, -1);
    EXPECT_FALSE (engine->voices[0].isFree());
    EXPECT_NEAR (engine->voices[0].smoothedCutoff, 1480.0f, 1.0f);
}

TEST (PolySynthEngine, OutputStaysWithinItsCeilingAtAnyModulation)
{
    for (float volume : {1.0f, 2.0f})
    {
        auto engine = makePolySynthEngine();
        engine->prepare (fs);
        engine->masterVol = volume;
        engine->synthRes = 0.95f;
        engine->noiseMix = 1.0f;
        engine->polyModOscBFreqA = 24.0f;
        engine->polyModFEnvFreqA = 24.0f;
        engine->polyModOscBFilter = 1.0f;
        engine->polyModOscBPW = 1.0f;
        engine->lfoAmt = 1.0f;
        engine->lfoTarget = 2;
        engine->syncMode = true;

        juce::MidiBuffer ten;
        for (int i = 0; i < 10; ++i)
            ten.addEvent (juce::MidiMessage::noteOn (1, 30 + 7 * i, (juce::uint8)127), 0);

        const auto out = render (*engine, 48000, ten);
        EXPECT_TRUE (AudioTestUtils::allFinite (out));
        EXPECT_LE (AudioTestUtils::peak (out, 0), 0.65f * volume);
        EXPECT_GT (AudioTestUtils::peak (out, 0), 0.3f * volume);
    }
}

TEST (PolySynthEngine, DeviceRestartSilencesEveryVoice)
{
    auto engine = makeCleanPoly();
    render (*engine, 4800, notesOn ({60, 64, 67}));
    engine->prepare (44100.0);
    EXPECT_EQ (engine->getNumSoundingVoices(), 0);
    EXPECT_EQ (AudioTestUtils::peak (render (*engine, 4410), 0), 0.0f);
}

TEST (PolySynthEngine, SettingsFromDamagedFilesAreClampedAndRenderSafely)
{
    auto engine = makePolySynthEngine();
    engine->prepare (fs);
    engine->osc1Wave = 12;
    engine->osc2Wave = -1;
    engine->lfoWave = 99;
    engine->lfoTarget = -3;
    engine->osc1Octave = 40;
    engine->osc1PW = 7.0f;
    engine->glide = std::numeric_limits<float>::quiet_NaN();
    engine->synthCutoff = -1.0e9f;

    const auto out = render (*engine, 9600, notesOn ({60, 67}));
    EXPECT_TRUE (AudioTestUtils::allFinite (out));

    engine->clampSettings();
    EXPECT_EQ (engine->osc1Wave, 3);
    EXPECT_EQ (engine->osc2Wave, 0);
    EXPECT_EQ (engine->lfoWave, 3);
    EXPECT_EQ (engine->lfoTarget, 0);
    EXPECT_EQ (engine->osc1Octave, 2);
    EXPECT_EQ (engine->osc1PW, 0.95f);
    EXPECT_EQ (engine->glide, 0.0f);
    EXPECT_EQ (engine->synthCutoff, 20.0f);
}
