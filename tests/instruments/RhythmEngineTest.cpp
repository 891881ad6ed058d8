#include "instruments/RhythmEngine.h"
#include "tests/instruments/InstrumentTestUtils.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace InstrumentTestUtils;

namespace
{
constexpr double fs = 48000.0;

juce::AudioBuffer<float> renderRhythm (RhythmEngine& engine, int numSamples, juce::MidiBuffer midi = {},
                                       double bpm = 120.0, bool transport = true, int blockSize = 512)
{
    return renderWith ([&] (juce::AudioBuffer<float>& b, juce::MidiBuffer& m)
                       { engine.renderNextBlock (b, m, bpm, transport); },
                       numSamples, std::move (midi), blockSize);
}

/** A machine whose only sound is a short closed hat on every step: each step is one
    click that starts exactly on its trigger sample. */
std::unique_ptr<RhythmEngine> makeClickMachine (double sampleRate = fs)
{
    auto engine = makeRhythmEngine();
    engine->prepare (sampleRate);
    engine->loadPattern (RhythmEngine::customPattern);
    engine->voiceLength[RhythmEngine::closedHat] = 0.0f;

    for (auto& cell : engine->steps[RhythmEngine::closedHat])
        cell = true;

    return engine;
}

/** Samples where sound starts after at least 200 samples of silence. */
std::vector<int> onsets (const juce::AudioBuffer<float>& audio)
{
    std::vector<int> found;
    const float* x = audio.getReadPointer (0);
    int silentRun = 200;

    for (int i = 0; i < audio.getNumSamples(); ++i)
    {
        if (std::abs (x[i]) > 1.0e-6f)
        {
            if (silentRun >= 200)
                found.push_back (i);
            silentRun = 0;
        }
        else
        {
            ++silentRun;
        }
    }

    return found;
}

std::vector<int> intervals (const std::vector<int>& times)
{
    std::vector<int> result;
    for (size_t i = 1; i < times.size(); ++i)
        result.push_back (times[i] - times[i - 1]);
    return result;
}

juce::File writeWav (const juce::File& file, double sampleRate, int numChannels, int numSamples,
                     std::function<float (int, int)> value)
{
    juce::AudioBuffer<float> audio (numChannels, numSamples);
    for (int ch = 0; ch < numChannels; ++ch)
        for (int i = 0; i < numSamples; ++i)
            audio.setSample (ch, i, value (ch, i));

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (new juce::FileOutputStream (file), sampleRate, (unsigned int)numChannels, 24, {}, 0));
    writer->writeFromAudioSampleBuffer (audio, 0, numSamples);
    return file;
}

/** Number of samples from the first non-zero output to the last. */
int soundingLength (const juce::AudioBuffer<float>& audio)
{
    int first = -1, last = -1;
    for (int i = 0; i < audio.getNumSamples(); ++i)
    {
        if (audio.getSample (0, i) != 0.0f)
        {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

struct RhythmSamples : public testing::Test
{
    TempDir folder{"dravin8-rhythm"};
    juce::AudioFormatManager formats;
    std::unique_ptr<RhythmEngine> engine = makeRhythmEngine();

    RhythmSamples()
    {
        formats.registerBasicFormats();
        engine->prepare (fs);
        engine->rmVolume = 0.1f; // keep the output stage linear
        for (auto& length : engine->voiceLength)
            length = 1.0f; // no fade
    }
};
} // namespace

TEST (RhythmEngine, StepLengthFollowsTempoSwingAndRate)
{
    struct Case
    {
        double sampleRate, bpm;
        float swing;
        std::vector<int> expected; // the first intervals, from the start of the machine
    };

    const Case cases[] = {
        {48000.0, 120.0, 0.0f, {6000, 6000, 6000, 6000}},
        {48000.0, 120.0, 0.5f, {7500, 4500, 7500, 4500}},
        {48000.0, 10.0, 0.0f, {36000, 36000}},        // tempo 10 is taken as 20
        {44100.0, 120.0, 0.0f, {5513, 5513, 5513}},   // 5512.5 rounds up, no carry
        {96000.0, 240.0, 0.005f, {6000, 6000, 6000}}, // swing below 0.01 is none
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.sampleRate << " Hz, " << c.bpm << " BPM, swing " << c.swing);
        auto engine = makeClickMachine (c.sampleRate);
        engine->rmSync = false;
        engine->rmBpm = (float)c.bpm;
        engine->rmSwing = c.swing;
        engine->playing = true;

        int total = 0;
        for (int v : c.expected)
            total += v;

        const auto out = renderRhythm (*engine, total + 600);
        auto times = onsets (out);
        times.insert (times.begin(), 0); // the start of the machine
        const auto gaps = intervals (times);
        ASSERT_GE (gaps.size(), c.expected.size());

        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ (gaps[i], c.expected[i]) << "interval " << i;
    }
}

TEST (RhythmEngine, SequenceLengthWrapsTheSteps)
{
    for (int length : {1, 0}) // 0 behaves as 1
    {
        SCOPED_TRACE (length);
        auto engine = makeClickMachine();
        engine->rmSync = false;
        engine->playing = true;
        engine->rmSeqLen = length;

        for (int s = 1; s < RhythmEngine::numSteps; ++s)
            engine->steps[RhythmEngine::closedHat][s] = false; // only step 0 sounds

        EXPECT_EQ (onsets (renderRhythm (*engine, 6000 * 4 + 100)).size(), 4u);
    }

    // A full sequence plays step 0 only once in 16 steps.
    auto engine = makeClickMachine();
    engine->rmSync = false;
    engine->playing = true;
    for (int s = 1; s < RhythmEngine::numSteps; ++s)
        engine->steps[RhythmEngine::closedHat][s] = false;
    const auto times = onsets (renderRhythm (*engine, 6000 * 17 + 100));
    ASSERT_EQ (times.size(), 1u);
    EXPECT_EQ (times[0], 6000 * 16);
}

TEST (RhythmEngine, InSyncTheTransportStartsAndStopsTheSequencer)
{
    auto engine = makeClickMachine();
    engine->rmSync = true;
    engine->playing = true;

    // Transport stopped: silent, even with the run switch on.
    EXPECT_TRUE (onsets (renderRhythm (*engine, 24000, {}, 100.0, false)).empty());

    // Transport starts: timing and position return to 0, the first sound one step later, from step 1.
    const auto out = renderRhythm (*engine, 6100, {}, 120.0, true);
    const auto times = onsets (out);
    ASSERT_EQ (times.size(), 1u);
    EXPECT_EQ (times[0], 6000);
    EXPECT_EQ (engine->currentStep, 1);
    EXPECT_EQ (engine->rmBpm, 120.0f); // follows the project tempo

    // Stop and start again: back to step 0.
    renderRhythm (*engine, 3000, {}, 120.0, false);
    renderRhythm (*engine, 100, {}, 120.0, true);
    EXPECT_EQ (engine->currentStep, 0);
}

TEST (RhythmEngine, WithoutSyncStoppingAndStartingContinuesFromTheStep)
{
    auto engine = makeClickMachine();
    engine->rmSync = false;
    engine->playing = true;
    renderRhythm (*engine, 6000 * 5 + 10, {}, 120.0, false); // the transport does not matter
    EXPECT_EQ (engine->currentStep, 5);

    engine->playing = false;
    renderRhythm (*engine, 1000); // the last click dies away
    EXPECT_TRUE (onsets (renderRhythm (*engine, 24000)).empty());

    engine->playing = true;
    renderRhythm (*engine, 6000);
    EXPECT_EQ (engine->currentStep, 6);
}

TEST (RhythmEngine, MidiNotesTriggerTheirVoices)
{
    struct Case
    {
        int note, voice; // voice -1: nothing
    };

    const Case cases[] = {
        {36, RhythmEngine::kick},
        {38, RhythmEngine::snare1},
        {40, RhythmEngine::snare2},
        {37, RhythmEngine::rim},
        {42, RhythmEngine::closedHat},
        {46, RhythmEngine::openHat},
        {75, RhythmEngine::claves},
        {56, RhythmEngine::cowbell},
        {50, RhythmEngine::highTom},
        {41, RhythmEngine::lowTom},
        {48, RhythmEngine::kick}, // other notes by pitch class: C
        {61, RhythmEngine::rim},  // C#
        {66, RhythmEngine::closedHat},
        {68, RhythmEngine::openHat},
        {57, RhythmEngine::cowbell},
        {47, -1},
        {58, -1}, // B and A# trigger nothing
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "note " << c.note);

        for (int v = 0; v < RhythmEngine::numVoices; ++v)
        {
            // Only voice v can sound: the note must sound exactly when it maps to v.
            auto engine = makeRhythmEngine();
            engine->prepare (fs);
            for (int other = 0; other < RhythmEngine::numVoices; ++other)
                engine->voiceLevel[other] = other == v ? 1.0f : 0.0f;

            const auto out = renderRhythm (*engine, 2048, noteOn (c.note), 120.0, false);
            EXPECT_EQ (AudioTestUtils::peak (out, 0) > 0.0f, v == c.voice) << "voice " << v;
        }
    }
}

TEST (RhythmEngine, MidiVelocityScalesTheSynthVoicesFromHalfToFull)
{
    auto peakFor = [] (int velocity)
    {
        auto engine = makeRhythmEngine();
        engine->prepare (fs);
        engine->rmVolume = 0.1f;
        return AudioTestUtils::peak (renderRhythm (*engine, 4800, noteOn (75, velocity)), 0); // claves
    };

    const float full = peakFor (127);
    EXPECT_NEAR (peakFor (1) / full, 0.5 + 0.5 / 127.0, 0.01);
    EXPECT_NEAR (peakFor (64) / full, 0.5 + 0.5 * 64.0 / 127.0, 0.01);
}

TEST (RhythmEngine, PatternsLoadIntoTheGridAndSurviveADeviceRestart)
{
    auto engine = makeRhythmEngine();

    // A new machine holds "ROCK 1".
    const char* kick = "x...x...x.x.x...";
    for (int s = 0; s < RhythmEngine::numSteps; ++s)
        EXPECT_EQ (engine->steps[RhythmEngine::kick][s], kick[s] == 'x') << s;
    EXPECT_STREQ (RhythmEngine::getPatternName (0), "ROCK 1");
    EXPECT_STREQ (RhythmEngine::getPatternName (15), "CUSTOM");
    EXPECT_STREQ (RhythmEngine::getPatternName (16), "");

    // The user's grid is kept when the audio device restarts.
    engine->steps[RhythmEngine::cowbell][3] = true;
    engine->steps[RhythmEngine::kick][0] = false;
    engine->prepare (fs);
    engine->prepare (44100.0);
    EXPECT_TRUE (engine->steps[RhythmEngine::cowbell][3]);
    EXPECT_FALSE (engine->steps[RhythmEngine::kick][0]);

    engine->loadPattern (99); // not a pattern: nothing changes
    EXPECT_TRUE (engine->steps[RhythmEngine::cowbell][3]);

    engine->loadPattern (11); // "MARCH": Kik x...x...x...x... / Sn1 .x.x.x.x.x.x.x.x
    EXPECT_TRUE (engine->steps[RhythmEngine::snare1][15]);
    EXPECT_FALSE (engine->steps[RhythmEngine::cowbell][3]);
    EXPECT_EQ (engine->rmPattern, 0); // loading does not change the selection

    engine->loadPattern (RhythmEngine::customPattern); // clears
    for (const auto& row : engine->steps)
        for (bool cell : row)
            EXPECT_FALSE (cell);
}

TEST (RhythmEngine, DamagedSettingsNeverIndexOutsideTheGrid)
{
    auto engine = makeClickMachine();
    engine->rmSync = false;
    engine->playing = true;
    engine->rmSeqLen = 1000;
    engine->currentStep = 5000;
    engine->rmSwing = std::numeric_limits<float>::quiet_NaN();
    engine->rmBpm = -7.0f;
    engine->voiceTune[RhythmEngine::kick] = 1.0e9f;

    const auto out = renderRhythm (*engine, 48000);
    EXPECT_TRUE (AudioTestUtils::allFinite (out));
    EXPECT_LT (engine->currentStep, RhythmEngine::numSteps);

    engine->rmPattern = 40;
    engine->clampSettings();
    EXPECT_EQ (engine->rmSeqLen, 16);
    EXPECT_EQ (engine->rmPattern, 15);
    EXPECT_EQ (engine->rmSwing, 0.0f);
    EXPECT_EQ (engine->rmBpm, 40.0f);
    EXPECT_EQ (engine->voiceTune[RhythmEngine::kick], 12.0f);
}

TEST_F (RhythmSamples, ACustomSampleReplacesTheVoiceAndPlaysAtItsOwnRate)
{
    struct Case
    {
        double fileRate;
        int frames;
        int expectedLength; // output samples at 48 kHz
    };

    for (const auto& c : {Case{48000.0, 4800, 4799}, Case{44100.0, 4410, 4799}, Case{96000.0, 9600, 4800}})
    {
        SCOPED_TRACE (c.fileRate);
        const auto file = writeWav (folder / ("kick" + juce::String ((int)c.fileRate) + ".wav"), c.fileRate, 1,
                                    c.frames, [] (int, int) { return 0.5f; });

        ASSERT_TRUE (engine->loadCustomSample (RhythmEngine::kick, file, formats));
        EXPECT_EQ (engine->sampleName[RhythmEngine::kick], "KICK" + juce::String ((int)c.fileRate));
        EXPECT_EQ (engine->samplePath[RhythmEngine::kick], file.getFullPathName());
        EXPECT_EQ (engine->getCustomSampleLength (RhythmEngine::kick), c.frames);

        const auto out = renderRhythm (*engine, 12000, noteOn (36));
        EXPECT_NEAR (soundingLength (out), c.expectedLength, 2);
        EXPECT_NEAR (out.getSample (0, 100), std::tanh (1.5f * 0.1f * 0.5f * 1.2f) * 0.8f, 1.0e-3f);
    }
}

TEST_F (RhythmSamples, SamplesPlayTheirFirstChannelIgnoringVelocity)
{
    const auto file =
        writeWav (folder / "stereo.wav", fs, 2, 2000, [] (int ch, int) { return ch == 0 ? 0.5f : -0.5f; });
    ASSERT_TRUE (engine->loadCustomSample (RhythmEngine::claves, file, formats));

    const float loud = renderRhythm (*engine, 4000, noteOn (75, 127)).getSample (0, 10);
    const float soft = renderRhythm (*engine, 4000, noteOn (75, 1)).getSample (0, 10);
    EXPECT_GT (loud, 0.0f);
    EXPECT_FLOAT_EQ (loud, soft);
}

TEST_F (RhythmSamples, LongFilesAreCutToTenSecondsAndOneFrameNeverSounds)
{
    const auto longFile =
        writeWav (folder / "long.wav", 8000.0, 1, 8000 * 12, [] (int, int i) { return (float)std::sin (i * 0.1); });
    ASSERT_TRUE (engine->loadCustomSample (RhythmEngine::lowTom, longFile, formats));
    EXPECT_EQ (engine->getCustomSampleLength (RhythmEngine::lowTom), 80000);

    const auto tiny = writeWav (folder / "tiny.wav", fs, 1, 1, [] (int, int) { return 0.9f; });
    ASSERT_TRUE (engine->loadCustomSample (RhythmEngine::highTom, tiny, formats));
    EXPECT_EQ (AudioTestUtils::peak (renderRhythm (*engine, 2000, noteOn (50)), 0), 0.0f);
}

TEST_F (RhythmSamples, FilesThatCannotBeReadLeaveTheBuiltInSound)
{
    const auto builtIn = AudioTestUtils::peak (renderRhythm (*engine, 4800, noteOn (38)), 0);
    ASSERT_GT (builtIn, 0.0f);

    // Missing: the built-in sound plays, and the reel keeps naming the file.
    const auto missing = folder / "gone.wav";
    EXPECT_FALSE (engine->loadCustomSample (RhythmEngine::snare1, missing, formats));
    EXPECT_EQ (engine->sampleName[RhythmEngine::snare1], "");
    EXPECT_EQ (engine->samplePath[RhythmEngine::snare1], missing.getFullPathName());
    EXPECT_EQ (engine->getCustomSampleLength (RhythmEngine::snare1), 0);
    EXPECT_NEAR (AudioTestUtils::peak (renderRhythm (*engine, 4800, noteOn (38)), 0), builtIn, builtIn * 0.5f);

    // Not audio: nothing changes.
    const auto text = folder / "notes.wav";
    text.replaceWithText ("this is not a sound");
    EXPECT_FALSE (engine->loadCustomSample (RhythmEngine::snare1, text, formats));
    EXPECT_EQ (engine->getCustomSampleLength (RhythmEngine::snare1), 0);

    const auto good = writeWav (folder / "good.wav", fs, 1, 1000, [] (int, int) { return 0.25f; });
    ASSERT_TRUE (engine->loadCustomSample (RhythmEngine::snare1, good, formats));
    EXPECT_FALSE (engine->loadCustomSample (RhythmEngine::snare1, text, formats));
    EXPECT_EQ (engine->getCustomSampleLength (RhythmEngine::snare1), 1000); // the good sample stays
    EXPECT_EQ (engine->sampleName[RhythmEngine::snare1], "GOOD");

    // A stored relative path counts as missing; an empty one or a folder clears.
    EXPECT_FALSE (engine->loadCustomSample (RhythmEngine::snare1, juce::String ("samples/snare.wav"), formats));
    EXPECT_EQ (engine->samplePath[RhythmEngine::snare1], "samples/snare.wav");
    EXPECT_EQ (engine->getCustomSampleLength (RhythmEngine::snare1), 0);

    ASSERT_TRUE (engine->loadCustomSample (RhythmEngine::snare1, good, formats));
    EXPECT_FALSE (engine->loadCustomSample (RhythmEngine::snare1, folder.getFile(), formats));
    EXPECT_EQ (engine->samplePath[RhythmEngine::snare1], "");
    EXPECT_EQ (engine->getCustomSampleLength (RhythmEngine::snare1), 0);

    EXPECT_FALSE (engine->loadCustomSample (10, good, formats));
    EXPECT_FALSE (engine->loadCustomSample (-1, good, formats));
}

TEST_F (RhythmSamples, SamplesChangeHandsSafelyWhileTheAudioThreadRenders)
{
    std::vector<juce::File> files;
    for (int i = 0; i < 4; ++i)
        files.push_back (writeWav (folder / ("s" + juce::String (i) + ".wav"), fs, 1, 500 + 3000 * i,
                                   [] (int, int) { return 0.3f; }));

    for (auto& row : engine->steps)
        for (auto& cell : row)
            cell = true;

    engine->rmSync = false;
    engine->playing = true;
    engine->rmBpm = 240.0f;

    std::atomic<bool> stop{false};
    std::atomic<bool> allFinite{true};
    std::atomic<int> blocks{0};

    std::thread audio (
        [&]
        {
            juce::AudioBuffer<float> buffer (2, 64);
            juce::MidiBuffer midi;
            while (! stop.load())
            {
                buffer.clear();
                engine->renderNextBlock (buffer, midi, 120.0, true);
                if (! AudioTestUtils::allFinite (buffer))
                    allFinite = false;
                ++blocks;
            }
        });

    for (int i = 0; i < 400; ++i)
    {
        const int voice = i % RhythmEngine::numVoices;
        if (i % 7 == 3)
            engine->clearCustomSample (voice);
        else
            engine->loadCustomSample (voice, files[(size_t)(i % 4)], formats);
    }

    while (blocks.load() < 100)
        std::this_thread::yield();

    stop = true;
    audio.join();
    engine->releaseRetiredSamples();
    EXPECT_TRUE (allFinite.load());
}
