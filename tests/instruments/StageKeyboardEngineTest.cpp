#include "instruments/StageKeyboardEngine.h"
#include "tests/instruments/InstrumentTestUtils.h"

#include <gtest/gtest.h>

using namespace InstrumentTestUtils;

namespace
{
constexpr double fs = 48000.0;

std::unique_ptr<StageKeyboardEngine> makeKeyboard (int model, double sampleRate = fs)
{
    auto engine = makeStageKeyboardEngine();
    engine->prepare (sampleRate);
    engine->model = model;
    return engine;
}

/** One voice of a model, computed sample by sample straight from its formula in double
    precision, with the neutral post stage (no tone change, drive or tremolo). */
std::vector<double> referenceVoice (int model, int note, int velocity, int numSamples, double sampleRate)
{
    const double f = 440.0 * std::pow (2.0, (note - 69) / 12.0);
    const double S = f * AudioTestUtils::twoPi / sampleRate;
    const double k = std::max (f / 300.0, 0.5), v = velocity / 127.0;
    double p[5] = {}, age = 0.0;
    std::vector<double> out ((size_t)numSamples);

    for (int i = 0; i < numSamples; ++i)
    {
        auto step = [&] (int index, double multiple)
        { p[index] = std::fmod (p[index] + multiple * S, AudioTestUtils::twoPi); };
        const double a = age;
        double raw = 0.0;

        switch (model)
        {
            case 0:
            {
                step (0, 1.0);
                step (1, 14.0);
                const double d = std::exp (-0.8 * a * k);
                raw = (std::sin (p[0] + (2.0 * v + 0.5) * d * std::sin (2.0 * p[0])) * d +
                       0.5 * v * std::exp (-10.0 * a) * std::sin (p[1])) *
                      v;
                break;
            }
            case 1:
            {
                step (0, 1.0);
                step (1, 2.0);
                const double index = 2.5 * v * std::exp (-5.0 * a) + 0.8;
                const double x = std::sin (p[0] + index * std::sin (p[1]));
                raw = std::exp (-1.5 * a * k) * (x + 0.4 * x * x) * v;
                break;
            }
            case 3:
            {
                step (0, 1.0);
                step (1, 14.0);
                step (2, 1.001);
                const double A = std::exp (-0.7 * a * k);
                const double u = 3.0 * A * std::sin (p[0] + 2.0 * v * std::exp (-3.0 * a * k) * std::sin (p[1]));
                raw = (std::sin (u + p[2]) + std::sin (u + p[0])) * 0.5 * A * v;
                break;
            }
            case 4:
            {
                step (0, 0.5);
                step (1, 1.0);
                step (2, 1.4983);
                step (3, 2.0);
                step (4, 2.9966);
                const double E = 0.8 * std::sin (p[0]) + std::sin (p[1]) + 0.6 * std::sin (p[2]) +
                                 0.5 * std::sin (p[3]) + 0.4 * std::sin (p[4]);
                raw = 0.3 * E * (0.5 * v + 0.5); // the key click (first 15 ms) is left out
                break;
            }
            case 5:
            {
                step (0, 1.0);
                step (1, 2.0);
                step (2, 3.0);
                const double H = std::sin (p[0]) + 0.33 * std::sin (3 * p[0]) + 0.2 * std::sin (5 * p[0]) +
                                 0.7 * (std::sin (p[1]) + 0.33 * std::sin (3 * p[1]));
                raw = (H + 0.4 * std::sin (p[2])) * 0.3 * (0.5 * v + 0.5);
                break;
            }
            default:
                break;
        }

        const double gain = a < 0.005 ? a / 0.005 : 1.0;
        out[(size_t)i] = std::tanh (0.15 * gain * raw);
        age += 1.0 / sampleRate;
    }

    return out;
}
} // namespace

TEST (StageKeyboardEngine, EveryModelRendersItsFormulaAcrossBlockSizesAndRates)
{
    struct Case
    {
        int model, note, velocity;
        double sampleRate;
        int blockSize;
    };

    const Case cases[] = {
        {0, 60, 100, 48000.0, 512}, {0, 96, 127, 44100.0, 37}, {1, 45, 90, 48000.0, 1000}, {1, 72, 20, 96000.0, 256},
        {3, 60, 110, 48000.0, 64},  {3, 84, 60, 44100.0, 300}, {4, 48, 100, 48000.0, 512}, {4, 79, 127, 44100.0, 128},
        {5, 55, 100, 48000.0, 512}, {5, 90, 40, 96000.0, 1},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << StageKeyboardEngine::getModelName (c.model) << ", note " << c.note << ", "
                                         << c.sampleRate << " Hz, blocks of " << c.blockSize);
        auto engine = makeKeyboard (c.model, c.sampleRate);
        const int n = (int)(0.3 * c.sampleRate);
        const auto out = render (*engine, n, noteOn (c.note, c.velocity), c.blockSize);
        const auto expected = referenceVoice (c.model, c.note, c.velocity, n, c.sampleRate);

        double worst = 0.0;
        for (int i = (int)(0.02 * c.sampleRate); i < n; ++i) // after the tonewheel's key click
            worst = std::max (worst, std::abs (out.getSample (0, i) - expected[(size_t)i]));

        EXPECT_LT (worst, 1.0e-3); // single-precision phases against a double reference
        EXPECT_EQ (out.getSample (1, n / 2), out.getSample (0, n / 2));
    }
}

TEST (StageKeyboardEngine, EveryModelSoundsAtTheNotesPitch)
{
    for (int model = 0; model < StageKeyboardEngine::numModels; ++model)
    {
        SCOPED_TRACE (StageKeyboardEngine::getModelName (model));
        auto engine = makeKeyboard (model);
        const auto out = render (*engine, 24000, noteOn (57)); // 220 Hz
        const float* x = out.getReadPointer (0, 2400);
        const double atNote = AudioTestUtils::toneAmplitude (x, 9600, 220.0, fs);
        EXPECT_GT (atNote, 5.0 * AudioTestUtils::toneAmplitude (x, 9600, 220.0 * std::pow (2.0, 1.0 / 12.0), fs));
        EXPECT_GT (atNote, 5.0 * AudioTestUtils::toneAmplitude (x, 9600, 220.0 * std::pow (2.0, -1.0 / 12.0), fs));
    }
}

TEST (StageKeyboardEngine, TheTwentyFifthNoteTakesTheVoiceThatHasSoundedLongest)
{
    auto engine = makeKeyboard (StageKeyboardEngine::tonewheel);

    for (int i = 0; i < StageKeyboardEngine::numVoices; ++i)
        render (*engine, 64, noteOn (40 + i));

    EXPECT_EQ (engine->getNumSoundingVoices(), 24);

    render (*engine, 64, noteOn (100));
    EXPECT_EQ (engine->voices[0].note, 100);
    EXPECT_EQ (engine->voices[0].state, StageKeyboardVoice::on);
    EXPECT_NEAR (engine->voices[0].age, 64.0 / fs, 1.0e-6);

    // The next one takes the voice of the second note, now the oldest.
    render (*engine, 64, noteOn (101));
    EXPECT_EQ (engine->voices[1].note, 101);

    // A released voice is taken before any held one.
    render (*engine, 64, noteOff (50));
    render (*engine, 64, noteOn (102));
    EXPECT_EQ (engine->voices[10].note, 102);
}

TEST (StageKeyboardEngine, BassAndTrebleShapeTheBandsByTwelveDecibels)
{
    auto levelOf = [] (int note, float bass, float treble)
    {
        auto engine = makeKeyboard (StageKeyboardEngine::transistor);
        engine->bass = bass;
        engine->treble = treble;
        engine->masterVol = 1.0f;
        const auto out = render (*engine, 24000, noteOn (note, 1));
        return rmsOf (out, 4800, 19200);
    };

    // A low organ note lives in the bass band: bass at 1 lifts it by close to 12 dB.
    const double lowGain = AudioTestUtils::toDecibels (levelOf (28, 1.0f, 0.0f) / levelOf (28, 0.0f, 0.0f));
    EXPECT_NEAR (lowGain, 11.5, 1.0);
    EXPECT_NEAR (AudioTestUtils::toDecibels (levelOf (28, -1.0f, 0.0f) / levelOf (28, 0.0f, 0.0f)), -11.5, 2.0);

    // Treble lifts a high note and barely touches a low one.
    EXPECT_GT (AudioTestUtils::toDecibels (levelOf (100, 0.0f, 1.0f) / levelOf (100, 0.0f, 0.0f)), 6.0);
    EXPECT_LT (AudioTestUtils::toDecibels (levelOf (28, 0.0f, 1.0f) / levelOf (28, 0.0f, 0.0f)), 1.5);
}

TEST (StageKeyboardEngine, DriveRaisesTheGainIntoTheClipperFiveFold)
{
    auto levelOf = [] (float drive)
    {
        auto engine = makeKeyboard (StageKeyboardEngine::rhodes);
        engine->drive = drive;
        const auto out = render (*engine, 9600, noteOn (60, 8)); // quiet: the clipper stays linear
        return rmsOf (out, 480, 9120);
    };

    EXPECT_NEAR (levelOf (1.0f) / levelOf (0.0f), 5.0, 0.05);
    EXPECT_NEAR (levelOf (0.5f) / levelOf (0.0f), 3.0, 0.03);

    // Loud and driven, the clipper bounds the output at the master volume.
    auto engine = makeKeyboard (StageKeyboardEngine::transistor);
    engine->drive = 1.0f;
    engine->masterVol = 2.0f;
    juce::MidiBuffer chord;
    for (int i = 0; i < 24; ++i)
        chord.addEvent (juce::MidiMessage::noteOn (1, 36 + i, (juce::uint8)127), 0);
    const auto out = render (*engine, 9600, chord);
    EXPECT_LE (AudioTestUtils::peak (out, 0), 2.0f);
    EXPECT_GT (AudioTestUtils::peak (out, 0), 1.8f);
}

TEST (StageKeyboardEngine, TremoloSwingsTheLevelBetweenSilenceAndFull)
{
    for (const bool byWheel : {false, true})
    {
        SCOPED_TRACE (byWheel ? "modulation wheel" : "depth");
        auto engine = makeKeyboard (StageKeyboardEngine::tonewheel);
        engine->tremRate = 2.0f;
        engine->tremDepth = byWheel ? 0.0f : 1.0f;
        juce::MidiBuffer midi = noteOn (57, 100);
        if (byWheel)
            midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, 127), 0);

        const auto out = render (*engine, 48000, midi);

        double lowest = 1.0e9, highest = 0.0;
        for (int s = 4800; s + 480 <= 48000; s += 240)
        {
            const double level = rmsOf (out, s, 480);
            lowest = std::min (lowest, level);
            highest = std::max (highest, level);
        }

        EXPECT_LT (lowest, 0.03 * highest);
        EXPECT_GT (highest, 0.03);
    }
}

TEST (StageKeyboardEngine, OrgansHoldTheirLevelAndStopQuicklyWhenReleased)
{
    auto engine = makeKeyboard (StageKeyboardEngine::tonewheel);
    const auto start = render (*engine, 48000, noteOn (60));
    const double early = rmsOf (start, 24000, 24000);

    for (int second = 1; second < 59; ++second)
        render (*engine, 48000);

    const auto late = render (*engine, 48000);
    EXPECT_NEAR (rmsOf (late, 24000, 24000), early, early * 0.01);

    // Released: below 0.001 after about 0.14 s, and the voice is free again.
    const auto released = render (*engine, (int)(0.2 * fs), noteOff (60));
    EXPECT_GT (rmsOf (released, 0, 2400), 0.3 * early);
    EXPECT_EQ (engine->getNumSoundingVoices(), 0);
    EXPECT_EQ (AudioTestUtils::peak (released, 0, (int)(0.15 * fs), (int)(0.05 * fs)), 0.0f);
}

TEST (StageKeyboardEngine, PianosDecayAndHigherNotesDecayFaster)
{
    auto decayOf = [] (int note)
    {
        auto engine = makeKeyboard (StageKeyboardEngine::fmPiano);
        const auto out = render (*engine, 96000, noteOn (note));
        return rmsOf (out, 86400, 9600) / rmsOf (out, 2400, 9600);
    };

    const double low = decayOf (40), high = decayOf (84);
    EXPECT_LT (low, 0.8);
    EXPECT_LT (high, low * 0.2);
}

TEST (StageKeyboardEngine, SustainPedalAndAllNotesOff)
{
    auto engine = makeKeyboard (StageKeyboardEngine::transistor);
    render (*engine, 480, notesOn ({60, 64, 67}));
    render (*engine, 480, controller (64, 127));

    juce::MidiBuffer offs;
    for (int n : {60, 64, 67})
        offs.addEvent (juce::MidiMessage::noteOff (1, n), 0);
    render (*engine, 4800, offs);
    EXPECT_EQ (engine->getNumSoundingVoices(), 3);

    // Controller 120 clears the pedal too and releases everything.
    render (*engine, 9600, controller (120, 0));
    EXPECT_FALSE (engine->sustainPedal);
    EXPECT_EQ (engine->getNumSoundingVoices(), 0);

    // Lifting the pedal releases only the notes whose keys are up.
    render (*engine, 480, controller (64, 127));
    render (*engine, 480, notesOn ({48, 52}));
    render (*engine, 480, noteOff (48));
    render (*engine, 9600, controller (64, 0));
    EXPECT_EQ (engine->getNumSoundingVoices(), 1);
    EXPECT_TRUE (engine->voices[1].held);
}

TEST (StageKeyboardEngine, UnknownModelsAreSilentAndSettingsAreClamped)
{
    auto engine = makeKeyboard (9);
    EXPECT_EQ (AudioTestUtils::peak (render (*engine, 4800, noteOn (60)), 0), 0.0f);

    engine->model = 2;
    engine->bass = -500.0f;
    engine->tremRate = std::numeric_limits<float>::quiet_NaN();
    engine->masterVol = 40.0f;
    const auto out = render (*engine, 4800, noteOn (64));
    EXPECT_TRUE (AudioTestUtils::allFinite (out));
    EXPECT_LE (AudioTestUtils::peak (out, 0), 2.0f);

    engine->model = 6;
    engine->clampSettings();
    EXPECT_EQ (engine->model, 5);
    EXPECT_EQ (engine->bass, -1.0f);
    EXPECT_EQ (engine->tremRate, 4.0f);
    EXPECT_EQ (engine->masterVol, 2.0f);
    EXPECT_STREQ (StageKeyboardEngine::getModelName (2), "TACK PIANO");
}
