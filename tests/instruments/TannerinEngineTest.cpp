#include "instruments/TannerinEngine.h"
#include "tests/instruments/InstrumentTestUtils.h"

#include <gtest/gtest.h>

#include <thread>

using namespace InstrumentTestUtils;

namespace
{
constexpr double fs = 48000.0;

/** Only oscillator 1 (a sine) through an open filter, with a quick attack. */
std::unique_ptr<TannerinEngine> makeCleanSlide (double sampleRate = fs)
{
    return withOpenFilter (makeTannerinEngine(), sampleRate);
}
} // namespace

TEST (TannerinEngine, PitchComesFromTheSlideAndTheOctave)
{
    struct Case
    {
        double sampleRate;
        float slidePitch;
        int octave;
        double expectedHz;
    };

    const Case cases[] = {
        {48000.0, 60.0f, 1, 523.25}, // the defaults: C5
        {48000.0, 69.0f, 0, 440.0},
        {44100.0, 69.0f, 0, 440.0},
        {96000.0, 57.5f, -1, 110.0 * std::pow (2.0, 0.5 / 12.0)}, // fractional slide positions
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.sampleRate << " Hz, slide " << c.slidePitch << ", octave " << c.octave);
        auto engine = makeCleanSlide (c.sampleRate);
        engine->slidePitch = c.slidePitch;
        engine->globalOctave = c.octave;

        // The note number of the MIDI key does not matter: only the gate does.
        const auto out = render (*engine, (int)c.sampleRate, noteOn (20));
        EXPECT_NEAR (
            semitonesBetween (pitchOf (out, c.sampleRate, (int)(0.3 * c.sampleRate), (int)(0.6 * c.sampleRate)),
                              c.expectedHz),
            0.0, 0.01);
    }

    EXPECT_EQ (makeTannerinEngine()->globalOctave, 1);
    EXPECT_EQ (makeTannerinEngine()->slidePitch, 60.0f);
}

TEST (TannerinEngine, SlideMovesWithATwentyMillisecondTimeConstant)
{
    auto engine = makeCleanSlide();
    engine->slidePitch = 60.0f;
    render (*engine, 24000, noteOn (60));
    const double from = engine->currentFrequency;

    engine->slidePitch = 72.0f;
    render (*engine, 960); // 20 ms
    const double to = midiToHz (72 + 12);
    EXPECT_NEAR ((engine->currentFrequency - from) / (to - from), 1.0 - std::exp (-1.0), 0.01);
}

TEST (TannerinEngine, MidiNotesOpenAndCloseTheGate)
{
    auto engine = makeCleanSlide();
    engine->aEnvR = 10.0f;

    render (*engine, 4800, notesOn ({60, 64}));
    EXPECT_TRUE (engine->gate);

    const auto oneUp = render (*engine, 4800, noteOff (60));
    EXPECT_TRUE (engine->gate);
    EXPECT_GT (rmsOf (oneUp, 2400, 2400), 0.05);

    const auto bothUp = render (*engine, 9600, noteOff (64));
    EXPECT_FALSE (engine->gate);
    EXPECT_LT (rmsOf (bothUp, 4800, 4800), 1.0e-4);
    EXPECT_EQ (engine->heldNoteCount, 0);
}

TEST (TannerinEngine, LatchedGateIgnoresMidiAndAllNotesOff)
{
    auto engine = makeCleanSlide();
    engine->gateLatch = true;
    EXPECT_LT (rmsOf (render (*engine, 4800, noteOn (60)), 0, 4800), 1.0e-6);

    engine->gateOn();
    render (*engine, 4800);
    const auto out = render (*engine, 9600, controller (120, 0));
    EXPECT_TRUE (engine->gate);
    EXPECT_GT (rmsOf (out, 4800, 4800), 0.05);
}

TEST (TannerinEngine, SustainPedalHoldsTheGateAfterTheLastKey)
{
    auto engine = makeCleanSlide();
    engine->aEnvR = 10.0f;
    render (*engine, 2400, noteOn (60));
    render (*engine, 512, controller (64, 127));
    render (*engine, 2400, noteOff (60));
    EXPECT_TRUE (engine->gate);

    render (*engine, 512, controller (64, 0));
    EXPECT_FALSE (engine->gate);
}

TEST (TannerinEngine, GateCallsFromTheEditorTakeEffectAtTheNextBlock)
{
    auto engine = makeCleanSlide();
    engine->aEnvR = 10.0f;

    engine->gateOn();
    EXPECT_TRUE (engine->gate);
    EXPECT_GT (rmsOf (render (*engine, 4800), 2400, 2400), 0.05);

    engine->gateOff();
    EXPECT_FALSE (engine->gate);
    EXPECT_LT (rmsOf (render (*engine, 9600), 4800, 4800), 1.0e-4);

    // Calls from another thread while blocks render: the last call wins.
    std::thread editor (
        [&]
        {
            for (int i = 0; i < 1000; ++i)
                (i % 2 == 0) ? engine->gateOn() : engine->gateOff();
            engine->gateOn();
        });
    for (int i = 0; i < 50; ++i)
        render (*engine, 64);
    editor.join();

    render (*engine, 64);
    EXPECT_TRUE (engine->gate);
    EXPECT_TRUE (engine->ampEnvelope.isActive());
}

TEST (TannerinEngine, VibratoWaitsForItsDelayAndFadesIn)
{
    auto engine = makeCleanSlide();
    engine->slidePitch = 69.0f;
    engine->globalOctave = 0;
    engine->lfoAmt = 1.0f; // +-2 semitones at full depth
    engine->lfoRate = 5.0f;
    engine->lfoDelay = 500.0f;
    engine->lfoAttack = 1000.0f;

    auto pitchSpread = [] (const juce::AudioBuffer<float>& out, int start, int length)
    {
        double lowest = 1.0e9, highest = 0.0;
        for (int s = start; s + 960 <= start + length; s += 480)
        {
            const double f = pitchOf (out, fs, s, 960);
            lowest = std::min (lowest, f);
            highest = std::max (highest, f);
        }
        return semitonesBetween (highest, lowest);
    };

    const auto out = render (*engine, (int)(2.5 * fs), noteOn (60));
    EXPECT_LT (pitchSpread (out, 2400, 19200), 0.05);    // 0.05-0.45 s: no vibrato yet
    const double half = pitchSpread (out, 43200, 14400); // around 1.0 s: half depth
    const double full = pitchSpread (out, 84000, 24000); // after 1.5 s: full depth
    EXPECT_NEAR (full, 4.0, 0.6);
    EXPECT_NEAR (half / full, 0.5, 0.15);
}

TEST (TannerinEngine, ModulationWheelAloneGivesTwoSemitonesOfVibrato)
{
    auto engine = makeCleanSlide();
    engine->slidePitch = 69.0f;
    engine->globalOctave = 0;
    engine->lfoRate = 1.0f;
    render (*engine, 512, controller (1, 127));

    // The vibrato phase is a quarter period in after 0.25 s: the pitch is at its top.
    engine->lfoPhase = 0.0f;
    const auto out = render (*engine, 48000, noteOn (60));
    EXPECT_NEAR (semitonesBetween (pitchOf (out, fs, 12000 - 960, 1920), 440.0), 2.0, 0.1);
    EXPECT_NEAR (semitonesBetween (pitchOf (out, fs, 36000 - 960, 1920), 440.0), -2.0, 0.1);
}

TEST (TannerinEngine, FilterTypesPassAndBlockWhereTheyShould)
{
    struct Case
    {
        int type;
        double toneHz, cutoffHz;
        double minGain, maxGain;
    };

    const Case cases[] = {
        {0, 110.0, 4000.0, 0.9, 1.1},  // low-pass passes a low tone
        {0, 2000.0, 200.0, 0.0, 0.02}, // and blocks a high one
        {1, 2000.0, 200.0, 0.9, 1.1},  // high-pass passes a high tone
        {1, 110.0, 4000.0, 0.0, 0.15}, // and mostly blocks a low one
        {2, 1000.0, 1000.0, 0.5, 2.0}, // band-pass passes its centre
        {2, 60.0, 4000.0, 0.0, 0.15},  // and blocks far below it
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "type " << c.type << ", tone " << c.toneHz << " Hz, cutoff " << c.cutoffHz
                                         << " Hz");
        auto engine = makeCleanSlide();
        engine->osc1Mix = 0.1f; // small signals: every stage stays linear
        const double note = 69.0 + 12.0 * std::log2 (c.toneHz / 440.0);
        engine->globalOctave = note > 84.0 ? 1 : (note < 36.0 ? -1 : 0);
        engine->slidePitch = (float)(note - 12.0 * engine->globalOctave);
        engine->filterType = c.type;
        engine->synthCutoff = (float)c.cutoffHz;

        const auto out = render (*engine, 48000, noteOn (60));
        const double unity = 2.0 * 0.1 * 0.3 * 0.35; // output of an unfiltered sine at this level
        const double gain = AudioTestUtils::toneAmplitude (out.getReadPointer (0, 24000), 24000, c.toneHz, fs) / unity;
        EXPECT_GE (gain, c.minGain);
        EXPECT_LE (gain, c.maxGain);
    }
}

TEST (TannerinEngine, DeviceRestartClosesTheGateAndSettingsAreClamped)
{
    auto engine = makeCleanSlide();
    render (*engine, 4800, noteOn (60));
    engine->prepare (44100.0);
    EXPECT_FALSE (engine->gate);
    EXPECT_EQ (AudioTestUtils::peak (render (*engine, 4410), 0), 0.0f);

    engine->waveShape = 5;
    engine->filterType = -2;
    engine->slidePitch = 500.0f;
    engine->masterVol = std::numeric_limits<float>::infinity();
    const auto out = render (*engine, 9600, noteOn (60));
    EXPECT_TRUE (AudioTestUtils::allFinite (out));
    EXPECT_LE (AudioTestUtils::peak (out, 0), 0.35f);

    engine->clampSettings();
    EXPECT_EQ (engine->waveShape, 2);
    EXPECT_EQ (engine->filterType, 0);
    EXPECT_EQ (engine->slidePitch, 84.0f);
    EXPECT_EQ (engine->masterVol, 1.0f);
}
