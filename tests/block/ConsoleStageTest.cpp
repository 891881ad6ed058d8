// The console and master stage: channel gains, the pan law, mute, solo, phase, trim, the aux
// sends and returns, master inserts and volume, meters, clip lamp, fade-in and the clamp.

#include "tests/block/BlockTestFixture.h"
#include "tests/support/LoungeRoomTestAccess.h"
#include "tests/support/TempDir.h"

#include "effects/BuiltInEffects.h"

#include <cmath>

namespace
{
using namespace ParameterIds;

/** A constant 1.0 on device input 1, routed to track 1, monitored at its input. */
class ConsoleTest : public BlockTest
{
protected:
    void SetUp() override
    {
        quietTape();
        prepare();
        p.trackInputSources[0] = 0;
    }

    /** The steady output for a constant input of 1.0 on track 1. */
    std::pair<float, float> steadyOutput (float input = 1.0f)
    {
        settle (constantOn (0, input));
        const auto output = run (blockSize, constantOn (0, input));
        return {last (output, 0), last (output, 1)};
    }
};

struct GainCase
{
    const char* name;
    std::function<void (BlockRig&)> setUp;
    float left, right;
};

const float centre = std::cos (0.7854f) * 0.35f; // 0.7071 x 0.35 = 0.2475

class ConsoleGainTest : public ConsoleTest, public ::testing::WithParamInterface<GainCase>
{
};

TEST_P (ConsoleGainTest, TrackOneAtFullScaleReachesTheOutputAsTheControlsSay)
{
    GetParam().setUp (*this);
    const auto [left, right] = steadyOutput();
    EXPECT_NEAR (left, GetParam().left, 1.0e-4f);
    EXPECT_NEAR (right, GetParam().right, 1.0e-4f);
}

INSTANTIATE_TEST_SUITE_P (
    Block, ConsoleGainTest,
    ::testing::Values (
        GainCase{"UnityCentre", [] (BlockRig&) {}, centre, centre},
        GainCase{"PanLeft", [] (BlockRig& t) { t.setTrack (PAN_, 1, -1.0f); }, 0.35f, 0.0f},
        GainCase{"PanRight", [] (BlockRig& t) { t.setTrack (PAN_, 1, 1.0f); }, 0.0f, 0.35f},
        GainCase{"PanHalfRight", [] (BlockRig& t) { t.setTrack (PAN_, 1, 0.5f); }, std::cos (1.1781f) * 0.35f,
                 std::sin (1.1781f) * 0.35f},
        GainCase{"Mute", [] (BlockRig& t) { t.setTrack (MUTE_, 1, 1.0f); }, 0.0f, 0.0f},
        GainCase{"AnotherTrackSoloed", [] (BlockRig& t) { t.setTrack (SOLO_, 2, 1.0f); }, 0.0f, 0.0f},
        GainCase{"ItselfSoloed", [] (BlockRig& t) { t.setTrack (SOLO_, 1, 1.0f); }, centre, centre},
        GainCase{"Phase", [] (BlockRig& t) { t.setTrack (PHASE_, 1, 1.0f); }, -centre, -centre},
        // A device input is trimmed on its way in and again by the tape model: 2 x 2.
        GainCase{"TrimTwice", [] (BlockRig& t) { t.setTrack (TRIM_, 1, 2.0f); }, 4.0f * centre, 4.0f * centre},
        GainCase{"HalfFader", [] (BlockRig& t) { t.setTrack (VOL_, 1, 0.5f); }, 0.5f * centre, 0.5f * centre},
        GainCase{"MasterTwice", [] (BlockRig& t) { t.set (MASTER_VOL, 2.0f); }, 2.0f * centre, 2.0f * centre},
        GainCase{"MasterOff", [] (BlockRig& t) { t.set (MASTER_VOL, 0.0f); }, 0.0f, 0.0f}),
    [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
TEST_F (ConsoleTest, TheThreeBandEqWorksBeforeAndAfterTheTape)
{
    // Monitoring the input, both positions shape what is heard: +12 dB low shelf at 100 Hz.
    for (const bool beforeTape : {false, true})
    {
        SCOPED_TRACE (beforeTape ? "before tape" : "after tape");
        setTrack (EQ_PRE_, 1, beforeTape ? 1.0f : 0.0f);
        setTrack (EQ_LOW_, 1, 4.0f);
        settle (sineOn (0, 25.0, 0.1f));
        const auto low = run ((int)rate / 2, sineOn (0, 25.0, 0.1f));
        const auto high = run ((int)rate / 2, sineOn (0, 5000.0, 0.1f));
        const auto lowGain = AudioTestUtils::rms (low, 0, low.getNumSamples() / 2) / (0.1 / std::sqrt (2.0) * centre);
        const auto highGain =
            AudioTestUtils::rms (high, 0, high.getNumSamples() / 2) / (0.1 / std::sqrt (2.0) * centre);
        EXPECT_NEAR (lowGain, 4.0, 0.5);
        EXPECT_NEAR (highGain, 1.0, 0.05);
    }
}

TEST_F (ConsoleTest, AMutedTrackKeepsMovingItsFader)
{
    settle (constantOn (0, 1.0f));
    setTrack (MUTE_, 1, 1.0f);
    setTrack (VOL_, 1, 0.5f);
    run (blockSize * 8, constantOn (0, 1.0f));
    EXPECT_NEAR (p.volumeSmoothers[0].getCurrentValue(), 0.5f, 1.0e-5f);

    setTrack (MUTE_, 1, 0.0f);
    const auto output = run (blockSize, constantOn (0, 1.0f));
    EXPECT_NEAR (output.getSample (0, 0), 0.5f * centre, 1.0e-4f); // no ramp from the old value
}

//==============================================================================
TEST_F (ConsoleTest, AuxSendsArePostFaderMonoAndReturnThroughGainAndBalance)
{
    // Dry returns show the send arithmetic exactly.
    p.aux1BuiltIn = 0;
    p.aux2BuiltIn = 0;
    setTrack (VOL_, 1, 0.5f);
    setTrack (PAN_, 1, -1.0f); // the sends do not follow the pan
    setTrack (AUX1_, 1, 0.8f);
    setTrack (AUX2_, 1, 0.4f);
    set (AUX1_RETURN, 1.0f);
    set (AUX2_RETURN, 0.5f);
    set (AUX2_PAN, 0.5f); // balance: left x 0.5, right x 1

    auto [left, right] = steadyOutput();
    const auto x = 0.5f;
    EXPECT_NEAR (left, (x + x * 0.8f + x * 0.4f * 0.5f * 0.5f) * 0.35f, 1.0e-4f);
    EXPECT_NEAR (right, (x * 0.8f + x * 0.4f * 0.5f) * 0.35f, 1.0e-4f);

    set (AUX1_MUTE, 1.0f);
    std::tie (left, right) = steadyOutput();
    EXPECT_NEAR (right, x * 0.4f * 0.5f * 0.35f, 1.0e-4f);

    // Soloing another track silences this track's sends too.
    setTrack (SOLO_, 2, 1.0f);
    std::tie (left, right) = steadyOutput();
    EXPECT_NEAR (left, 0.0f, 1.0e-6f);
    EXPECT_NEAR (right, 0.0f, 1.0e-6f);
}

TEST_F (ConsoleTest, BuiltInEffectsOnEachAuxReturnProcessTheSend)
{
    set (AUX1_RETURN, 1.0f);
    set (AUX2_RETURN, 1.0f);
    set (INT_ECHO_TIME, 100.0f);

    // Either built-in effect on either return: a short burst comes back after it has ended.
    for (const auto& [aux, builtIn] : {std::pair (1, 1), std::pair (1, 2), std::pair (2, 1), std::pair (2, 2)})
    {
        SCOPED_TRACE (juce::String ("aux ") + juce::String (aux) + ", effect " + juce::String (builtIn));
        p.aux1BuiltIn = aux == 1 ? builtIn : 0;
        p.aux2BuiltIn = aux == 2 ? builtIn : 0;
        setTrack (AUX1_, 1, aux == 1 ? 1.0f : 0.0f);
        setTrack (AUX2_, 1, aux == 2 ? 1.0f : 0.0f);
        setTrack (MUTE_, 1, 0.0f);
        settle();

        run ((int)(rate * 0.05), sineOn (0, 500.0, 0.5f));
        setTrack (MUTE_, 1, 1.0f); // the dry track is silent from here: only the return is heard
        const auto tail = run ((int)(rate * 0.3));
        EXPECT_GT (AudioTestUtils::rms (tail, 0), 1.0e-3);
        EXPECT_TRUE (AudioTestUtils::allFinite (tail));
    }
}

TEST_F (ConsoleTest, BothReturnsOnTheReverbShareOneEngine)
{
    p.aux1BuiltIn = AnalogReverb;
    p.aux2BuiltIn = AnalogReverb;
    set (AUX1_RETURN, 1.0f);
    set (AUX2_RETURN, 1.0f);
    setTrack (AUX2_, 1, 1.0f);
    setTrack (MUTE_, 1, 0.0f);
    settle();
    run ((int)(rate * 0.05), sineOn (0, 500.0, 0.5f));
    setTrack (MUTE_, 1, 1.0f);

    // Only aux 2 was fed; aux 1's empty bus runs through the same engine first in each block
    // and carries the shared reverb's tail out as well.
    set (AUX2_MUTE, 1.0f);
    const auto tail = run (blockSize * 4);
    EXPECT_GT (AudioTestUtils::rms (tail, 0), 1.0e-3);
}

//==============================================================================
TEST_F (ConsoleTest, MasterInsertsActAndABypassedOneDoesNot)
{
    p.addBuiltInEffect (LineAmp, -1, Processor::MasterInserts);
    ASSERT_EQ (p.masterInserts.size(), 1u);
    p.masterInserts[0]->gainLevel = 6.0f;

    auto [left, right] = steadyOutput (0.5f);
    EXPECT_NEAR (left, 0.5f * centre * std::pow (10.0f, 6.0f / 20.0f), 1.0e-4f);
    EXPECT_NEAR (right, left, 1.0e-6f);

    p.masterInserts[0]->bypass = true;
    std::tie (left, right) = steadyOutput (0.5f);
    EXPECT_NEAR (left, 0.5f * centre, 1.0e-4f);
}

TEST_F (ConsoleTest, TheClipLampHasHysteresis)
{
    // Hard left: the left output is 0.35 x master volume.
    setTrack (PAN_, 1, -1.0f);

    const auto peakAt = [this] (float level)
    {
        set (MASTER_VOL, level / 0.35f);
        settle (constantOn (0, 1.0f));
        return p.outputPeakLeft.load();
    };

    EXPECT_NEAR (peakAt (1.05f), 1.05f, 1.0e-3f);
    EXPECT_TRUE (p.outputClip);
    EXPECT_NEAR (peakAt (0.95f), 0.95f, 1.0e-3f);
    EXPECT_TRUE (p.outputClip);
    EXPECT_NEAR (peakAt (0.85f), 0.85f, 1.0e-3f);
    EXPECT_FALSE (p.outputClip);
}

TEST_F (ConsoleTest, MetersLookAtEverySixteenthSample)
{
    settle();
    // A click on sample 5 of the block is between two looked-at samples; on sample 32 it is seen.
    for (const auto& [position, seen] : {std::pair (5, false), std::pair (32, true)})
    {
        const auto click = [position = position] (int ch, juce::int64 sample)
        { return ch == 0 && sample % 512 == position ? 1.0f : 0.0f; };
        run (blockSize, click);
        EXPECT_EQ (p.outputPeakLeft.load() > 0.1f, seen) << position;
    }
}

TEST_F (ConsoleTest, NothingNonFiniteOrPastFullScaleReachesTheOutput)
{
    settle();
    const auto nasty = [] (int ch, juce::int64 sample)
    {
        if (ch != 0)
            return 0.0f;

        switch (sample % 4)
        {
            case 0:
                return std::numeric_limits<float>::quiet_NaN();
            case 1:
                return std::numeric_limits<float>::infinity();
            case 2:
                return 1.0e9f;
            default:
                return -std::numeric_limits<float>::infinity();
        }
    };

    const auto output = run (blockSize * 4, nasty);
    EXPECT_TRUE (AudioTestUtils::allFinite (output));
    EXPECT_LE (output.getMagnitude (0, output.getNumSamples()), 1.0f);
}

TEST_F (ConsoleTest, TheLiveBounceRecordsTheCleanedOutput)
{
    settle();
    const auto file = juce::File::createTempFile (".wav");
    p.startLiveBounce (file);
    ASSERT_TRUE (p.liveBounceActive);

    // Overloads and a NaN: the file gets what the device gets.
    const auto loud = [] (int ch, juce::int64 sample)
    {
        if (ch != 0)
            return 0.0f;

        return sample % 100 == 0 ? std::numeric_limits<float>::quiet_NaN()
                                 : 8.0f * (float)std::sin (0.01 * (double)sample);
    };

    const auto output = run (blockSize * 8, loud);
    p.stopLiveBounce();

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
    ASSERT_NE (reader, nullptr);
    ASSERT_EQ (reader->lengthInSamples, output.getNumSamples());
    juce::AudioBuffer<float> bounced (2, output.getNumSamples());
    reader->read (&bounced, 0, output.getNumSamples(), 0, true, true);
    reader.reset();
    file.deleteFile();

    EXPECT_TRUE (AudioTestUtils::allFinite (bounced));
    EXPECT_NEAR (bounced.getMagnitude (0, bounced.getNumSamples()), 1.0f, 1.0e-6f);

    for (int ch = 0; ch < 2; ++ch)
        for (int s = 0; s < output.getNumSamples(); s += 7)
            ASSERT_NEAR (bounced.getSample (ch, s), output.getSample (ch, s), 1.0e-6f) << ch << " " << s;
}

//==============================================================================
TEST (ConsoleFadeIn, TheFirstBlockAfterPreparationFadesInFromSilence)
{
    // Two identical processors, one of them past its fade-in: the ratio of their outputs is the
    // fade, from 0 to 480 / (48000 x 0.25) = 0.04 over the first 480-sample block.
    BlockRig fading, faded;

    for (auto* f : {&fading, &faded})
    {
        f->quietTape();
        f->prepare (48000.0, 480);
        f->p.trackInputSources[0] = 0;
        f->p.tracks[0].outputGain.setCurrentAndTargetValue (1.0f);
        f->p.tracks[0].drive.setCurrentAndTargetValue (1.0f);
    }

    faded.p.fadeInGain = 1.0f;
    const auto a = fading.run (480, BlockRig::constantOn (0, 1.0f));
    const auto b = faded.run (480, BlockRig::constantOn (0, 1.0f));
    EXPECT_FLOAT_EQ (fading.p.fadeInGain, 0.04f);

    for (int s = 0; s < 480; s += 47)
        EXPECT_NEAR (a.getSample (0, s) / b.getSample (0, s), 0.04f * (float)s / 480.0f, 1.0e-5f) << s;

    fading.run (48000 / 4);
    EXPECT_EQ (fading.p.fadeInGain, 1.0f);
}
} // namespace

TEST_F (ConsoleTest, AnOpenSharingRoomWithNoPlayerLeavesTheMixAlone)
{
    settle();
    const auto tone = [] (int ch, juce::int64 sample) { return ch == 0 ? 0.5f * (float) std::sin (0.05 * (double) sample) : 0.0f; };
    const auto without = run (blockSize * 2, tone);

    const TempDir folder;
    const auto room = LoungeRoomTestAccess::create (p, LoungeRoomTestAccess::placesIn (folder.getFile()));
    p.loungeRoom = room.get();
    const auto with = run (blockSize * 2, tone);
    p.loungeRoom = nullptr;

    EXPECT_TRUE (AudioTestUtils::allFinite (with));
    EXPECT_NEAR (with.getRMSLevel (0, 0, with.getNumSamples()), without.getRMSLevel (0, 0, without.getNumSamples()), 0.05);
}
