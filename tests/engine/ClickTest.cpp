#include "engine/ClickTrackRenderer.h"
#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
/** A click as the metronome sounds it: a sine at frequency with the given peak, decaying
    over 50 ms. */
float clickSample (float frequency, float peakLevel, int i, double sampleRate)
{
    const auto count = (int)(sampleRate * 0.05);
    return std::sin (juce::MathConstants<float>::twoPi * (float)i * frequency / (float)sampleRate) * peakLevel *
           std::exp (-15.0f * (float)i / (float)count);
}

struct ClickKind
{
    float frequency;
    float peakLevel;
};

constexpr ClickKind barClick{1600.0f, 2.0f};
constexpr ClickKind beatClick{800.0f, 1.5f};
constexpr ClickKind subdivisionClick{600.0f, 0.8f};

/** Checks that the tape holds the click (or its first samples, up to the next step) at
    position and silence from its end up to the next step. */
void expectClickAt (const std::vector<float>& tape, int position, ClickKind kind, int step, double sampleRate)
{
    SCOPED_TRACE ("click at " + std::to_string (position));
    const auto count = (int)(sampleRate * 0.05);
    const auto end = std::min ((int)tape.size(), position + step);

    for (int i = position; i < end; ++i)
    {
        const auto expected =
            i - position < count ? clickSample (kind.frequency, kind.peakLevel, i - position, sampleRate) : 0.0f;
        ASSERT_NEAR (tape[(size_t)i], expected, 1.0e-5f) << "sample " << i;
    }
}

std::vector<float> renderTape (int length, double rate, ClickTrackRenderer::Tempo tempo, int subdivision,
                               double zeroSeconds)
{
    std::vector<float> tape ((size_t)length, 0.25f); // anything left over would show
    ClickTrackRenderer::render (tape.data(), length, rate, tempo, subdivision, zeroSeconds);
    return tape;
}
} // namespace

//==============================================================================
TEST (ClickTrackRendererTest, BarsStartAtTheZeroPointAndBeatsFollowEveryBeat)
{
    // 120 BPM in 4/4 at 48 kHz, zero at 1.5 s: bars at 72000 + 96000 k, beats every 24000.
    const double rate = 48000.0;
    const auto tape = renderTape (480000, rate, {120.0, 4, 4}, 0, 1.5);

    for (int position = 0; position < 480000; position += 24000)
    {
        const bool isBar = (position - 72000) % 96000 == 0;
        expectClickAt (tape, position, isBar ? barClick : beatClick, 24000, rate);
    }

    // The first click on the tape lies before the zero point and is a beat, 24000 samples into a bar.
    EXPECT_NEAR (tape[1], clickSample (beatClick.frequency, beatClick.peakLevel, 1, rate), 1.0e-6f);
}

TEST (ClickTrackRendererTest, SubdivisionsSoundBetweenTheBeats)
{
    const double rate = 48000.0;

    {
        SCOPED_TRACE ("eighths");
        const auto tape = renderTape (192000, rate, {120.0, 4, 4}, 1, 0.0);

        for (int position = 0; position < 192000; position += 12000)
        {
            const auto kind = position % 96000 == 0 ? barClick : position % 24000 == 0 ? beatClick : subdivisionClick;
            expectClickAt (tape, position, kind, 12000, rate);
        }
    }

    {
        SCOPED_TRACE ("sixteenths in 6/8 at 44.1 kHz");
        const double rate44 = 44100.0;
        // Beat = (4 / 8) x (60 / 90) s = 14700 samples, bar 88200, step 3675.
        const auto tape = renderTape (200000, rate44, {90.0, 6, 8}, 2, 0.0);

        for (int position = 0; position < 200000; position += 3675)
        {
            const auto kind = position % 88200 == 0 ? barClick : position % 14700 == 0 ? beatClick : subdivisionClick;
            expectClickAt (tape, position, kind, 3675, rate44);
        }
    }
}

TEST (ClickTrackRendererTest, ClicksLongerThanAStepAreCutByTheNextClick)
{
    // Sixteenths of a 1/16 beat at 300 BPM: a 12.5 ms step, shorter than the 50 ms click.
    const double rate = 48000.0;
    const auto tape = renderTape (48000, rate, {300.0, 4, 16}, 2, 0.0);
    const int step = 600, beat = 2400, bar = 9600;

    for (int position = 0; position + step <= 48000; position += step)
    {
        const auto kind = position % bar == 0 ? barClick : position % beat == 0 ? beatClick : subdivisionClick;
        expectClickAt (tape, position, kind, step, rate);
    }
}

TEST (ClickTrackRendererTest, AGridThatCannotBeRenderedLeavesTheTapeSilentAndEnds)
{
    const auto nan = std::numeric_limits<double>::quiet_NaN();

    struct Case
    {
        const char* name;
        double rate;
        ClickTrackRenderer::Tempo tempo;
        int subdivision;
        double zero;
    };

    const Case cases[] = {
        {"zero tempo", 48000.0, {0.0, 4, 4}, 0, 0.0},
        {"negative tempo", 48000.0, {-120.0, 4, 4}, 0, 0.0},
        {"tempo not a number", 48000.0, {nan, 4, 4}, 0, 0.0},
        {"zero beats per bar", 48000.0, {120.0, 0, 4}, 0, 0.0},
        {"negative beats per bar", 48000.0, {120.0, -3, 4}, 0, 0.0},
        {"zero beat unit", 48000.0, {120.0, 4, 0}, 0, 0.0},
        {"negative beat unit", 48000.0, {120.0, 4, -4}, 0, 0.0},
        {"steps shorter than a sample", 48000.0, {300.0, 4, 1 << 30}, 2, 0.0},
        {"no sample rate", 0.0, {120.0, 4, 4}, 0, 0.0},
        {"rate too low for a click", 10.0, {120.0, 4, 4}, 0, 0.0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto tape = renderTape (20000, c.rate, c.tempo, c.subdivision, c.zero);

        for (auto sample : tape)
            ASSERT_EQ (sample, 0.0f);
    }

    // A zero point far away must not make the grid search run for long.
    const auto farZero = renderTape (48000, 48000.0, {120.0, 4, 4}, 0, -1.0e9);
    EXPECT_GT (std::abs (farZero[1]), 0.0f);
}

TEST (ClickTrackRendererTest, TempoIsLimitedToWhatTheGridCanUse)
{
    struct Case
    {
        double bpm;
        int beats, unit;
        double expectedBpm;
        int expectedBeats, expectedUnit;
    };

    const Case cases[] = {
        {10.0, 0, 0, 20.0, 1, 1},
        {400.0, -3, 4, 300.0, 1, 4},
        {0.0, 4, -8, 20.0, 4, 1},
        {-5.0, 7, 8, 20.0, 7, 8},
        {std::numeric_limits<double>::quiet_NaN(), 3, 4, 120.0, 3, 4},
        {133.5, 5, 16, 133.5, 5, 16},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.bpm);
        const auto tempo = ClickTrackRenderer::clampTempo (c.bpm, c.beats, c.unit);
        EXPECT_EQ (tempo.bpm, c.expectedBpm);
        EXPECT_EQ (tempo.beatsPerBar, c.expectedBeats);
        EXPECT_EQ (tempo.beatUnit, c.expectedUnit);
    }
}

//==============================================================================
namespace
{
class ClickProcessorTest : public ::testing::Test
{
protected:
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    TavrelDelayAudioProcessor p;

    void SetUp() override
    {
        // A short reel at 48 kHz, as a device start would leave it.
        p.setRateAndBufferSizeDetails (48000.0, 512);
        ASSERT_TRUE (p.prepareReel (8, 10.0, 48000.0).wasOk());
    }

    std::vector<float> clickTape() const
    {
        const auto& audio = p.clickTrack->getAudio();
        return {audio.getReadPointer (0), audio.getReadPointer (0) + audio.getNumSamples()};
    }

    juce::var treeProperty (const char* id) const { return p.parameters.state.getProperty (id); }
};
} // namespace

TEST_F (ClickProcessorTest, TurningTheClickOnRendersATapeAsLongAsTheReelAlignedToTheZeroPoint)
{
    p.zeroOffset = 1.5;
    p.tracks.front().setPositionSeconds (3.25);

    p.setClickEnabled (true, 120.0, 4, 4);

    ASSERT_NE (p.clickTrack, nullptr);
    EXPECT_FALSE (p.isSuspended());
    EXPECT_EQ (p.clickTrack->sampleRate, 48000.0);
    EXPECT_EQ (p.clickTrack->getAudio().getNumSamples(), 480000);
    EXPECT_EQ (p.clickTrack->recordedLength, 480000);
    EXPECT_DOUBLE_EQ (p.clickTrack->getPositionSeconds(), 3.25);

    const auto tape = clickTape();

    for (int position = 0; position < 480000; position += 24000)
        expectClickAt (tape, position, (position - 72000) % 96000 == 0 ? barClick : beatClick, 24000, 48000.0);

    p.setClickEnabled (false, 0.0, 0, 0);
    EXPECT_EQ (p.clickTrack, nullptr);
    EXPECT_EQ (p.bpm, 120.0);
}

TEST_F (ClickProcessorTest, TheTempoSetterLimitsStoresAndReRendersOnlyOnAChange)
{
    p.setTempo (10.0, 0, 0);
    EXPECT_EQ (p.bpm, 20.0);
    EXPECT_EQ (p.timeSigNumerator, 1);
    EXPECT_EQ (p.timeSigDenominator, 1);
    EXPECT_EQ ((double)treeProperty (ParameterIds::PROJECT_BPM), 20.0);
    EXPECT_EQ ((int)treeProperty (ParameterIds::PROJECT_TS_NUM), 1);
    EXPECT_EQ ((int)treeProperty (ParameterIds::PROJECT_TS_DENOM), 1);
    EXPECT_TRUE (p.hasUnsavedChanges());

    p.setTempo (1000.0, 3, 8);
    EXPECT_EQ (p.bpm, 300.0);

    p.setClickEnabled (true, 120.0, 4, 4);
    ASSERT_NE (p.clickTrack, nullptr);

    // The same tempo again (within 0.001 BPM) neither marks the reel nor touches the tape.
    p.clearUnsavedChanges();
    p.clickTrack->getAudio().setSample (0, 5, 9.0f);
    p.setTempo (120.0004, 4, 4);
    EXPECT_FALSE (p.hasUnsavedChanges());
    EXPECT_EQ (p.clickTrack->getAudio().getSample (0, 5), 9.0f);

    // A change while the click runs renders the tape anew: 3/4 puts a bar click at 72000.
    p.setTempo (120.0, 3, 4);
    EXPECT_TRUE (p.hasUnsavedChanges());
    EXPECT_EQ ((int)treeProperty (ParameterIds::PROJECT_TS_NUM), 3);
    const auto tape = clickTape();
    expectClickAt (tape, 0, barClick, 24000, 48000.0);
    expectClickAt (tape, 72000, barClick, 24000, 48000.0);
    expectClickAt (tape, 96000, beatClick, 24000, 48000.0);
}

TEST_F (ClickProcessorTest, TempoValuesOfZeroOrLessNeverReachTheRender)
{
    // The switch limits what the settings box passes.
    p.setClickEnabled (true, 90.0, 0, -4);
    ASSERT_NE (p.clickTrack, nullptr);
    EXPECT_EQ (p.bpm, 90.0);
    EXPECT_EQ (p.timeSigNumerator, 1);
    EXPECT_EQ (p.timeSigDenominator, 1);

    // A reel may hold anything; rendering with it limits it (20 BPM in 1/1: a bar click
    // every 12 s, the first at the zero point).
    p.zeroOffset = 1.5;
    p.renderClickTrack (0.0, 0, 0, 0);
    const auto tape = clickTape();
    expectClickAt (tape, 72000, barClick, 480000 - 72000, 48000.0);

    for (int i = 0; i < 72000; ++i)
        ASSERT_EQ (tape[(size_t)i], 0.0f);
}

TEST_F (ClickProcessorTest, WithoutTracksTheClickTapeIsTenMinutesLong)
{
    TavrelDelayAudioProcessor fresh;
    fresh.setClickEnabled (true, 120.0, 4, 4);

    ASSERT_NE (fresh.clickTrack, nullptr);
    EXPECT_EQ (fresh.clickTrack->getAudio().getNumSamples(), (int)(600.0 * fresh.clickTrack->sampleRate));
    EXPECT_GT (fresh.clickTrack->getAudio().getMagnitude (0, 0, 4800), 1.0f);
}
