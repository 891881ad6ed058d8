#include "engine/tape/TapeHeadModel.h"
#include "engine/tape/TapeTransportModel.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

using namespace AudioTestUtils;

namespace
{
constexpr double rate = 48000.0;

/** A head prepared at 48 kHz with the per-block settings the block stage gives it. */
TapeHeadModel makeHead (int format = 0, float hiss = 0.0f, bool noisePrint = false, double sampleRate = rate)
{
    TapeHeadModel head;
    head.prepare (sampleRate);
    head.setNoiseAndAge (hiss, 0.0f, TapeTransportModel::getFormatBandwidth (format), noisePrint);
    head.setHeadBump (40.0f);
    head.setFormat (format);
    return head;
}

/** Plays a tape through the head at the given speed from its start. */
juce::AudioBuffer<float> play (TapeHeadModel& head, const juce::AudioBuffer<float>& tape, int numSamples,
                               double speed = 1.0, int recordedLength = 1)
{
    juce::AudioBuffer<float> out (1, numSamples);
    double position = 0.0;

    for (int i = 0; i < numSamples; ++i)
    {
        out.setSample (0, i, head.playbackSample (tape, position, position / head.sampleRate, speed, recordedLength));
        position += speed;
    }

    return out;
}

/** Runs a signal through the record chain. */
juce::AudioBuffer<float> record (TapeHeadModel& head, const juce::AudioBuffer<float>& in, float drive, float gate)
{
    juce::AudioBuffer<float> out (1, in.getNumSamples());

    for (int i = 0; i < in.getNumSamples(); ++i)
        out.setSample (0, i, head.recordSample (in.getSample (0, i), drive, gate));

    return out;
}

double toneAt (const juce::AudioBuffer<float>& buffer, double frequency, int start)
{
    return toneAmplitude (buffer.getReadPointer (0, start), buffer.getNumSamples() - start, frequency, rate);
}

void fillAllCells (TapeHeadModel& head, int lane, float value)
{
    for (auto& cell : head.defects)
        cell.lanes[lane] = value;
}

bool sameMap (const TapeHeadModel& a, const TapeHeadModel& b)
{
    if (a.defects.size() != b.defects.size())
        return false;

    for (size_t c = 0; c < a.defects.size(); ++c)
        for (int lane = 0; lane < TapeDefectCell::numLanes; ++lane)
            if (a.defects[c].lanes[lane] != b.defects[c].lanes[lane])
                return false;

    return true;
}

std::vector<TapeBandFilterBank::Vec> makeGains (const std::array<float, TapeHeadModel::numBands>& gains)
{
    std::vector<TapeBandFilterBank::Vec> vecs (TapeBandFilterBank::numVecs);

    for (size_t band = 0; band < gains.size(); ++band)
        vecs[band / TapeBandFilterBank::lanesPerVec][band % TapeBandFilterBank::lanesPerVec] = gains[band];

    return vecs;
}

int countMarkedCells (const TapeHeadModel& head)
{
    int marked = 0;

    for (const auto& cell : head.defects)
        for (auto value : cell.lanes)
            if (value != 0.0f)
                ++marked;

    return marked;
}
} // namespace

//==============================================================================
TEST (TapeHeadBands, CentresRunFrom60HzTo16kHzAndEachBandPassesItsCentre)
{
    const float expected[] = {60.0f, 133.27f, 296.00f, 657.43f, 1460.22f, 3243.29f, 7203.66f, 16000.0f};
    auto head = makeHead();

    for (int band = 0; band < TapeHeadModel::numBands; ++band)
    {
        SCOPED_TRACE (band);
        const auto centre = TapeHeadModel::getBandCentreFrequency (band);
        EXPECT_NEAR (centre, expected[band], 0.01f);

        // Only this band open: a sine at its centre comes through at unity gain.
        std::array<float, TapeHeadModel::numBands> open{};
        open[(size_t)band] = 1.0f;
        const auto gains = makeGains (open);
        const auto in = makeSine (1, (int)rate, centre, rate);
        juce::AudioBuffer<float> out (1, in.getNumSamples());

        for (int i = 0; i < in.getNumSamples(); ++i)
            out.setSample (0, i, head.bandFilters.process (in.getSample (0, i), gains.data()));

        EXPECT_NEAR (toneAt (out, centre, (int)rate / 2), 1.0, 0.02);
    }
}

TEST (TapeHeadBands, ABandBelowTheGainThresholdFreezesItsState)
{
    auto head = makeHead();
    const auto open = makeGains ({1, 1, 1, 1, 1, 1, 1, 1});
    const auto closed = makeGains ({1, 1, 0.0009f, 1, 1, 1, 1, 1});

    for (int i = 0; i < 100; ++i)
        head.bandFilters.process (std::sin ((float)i * 0.1f), open.data());

    const auto v1 = head.bandFilters.getState1 (2), v2 = head.bandFilters.getState2 (2);
    const auto neighbour = head.bandFilters.getState1 (3);
    ASSERT_NE (v1, 0.0f);

    for (int i = 0; i < 100; ++i)
        head.bandFilters.process (std::sin ((float)i * 0.1f), closed.data());

    EXPECT_EQ (head.bandFilters.getState1 (2), v1);
    EXPECT_EQ (head.bandFilters.getState2 (2), v2);
    EXPECT_NE (head.bandFilters.getState1 (3), neighbour);
}

//==============================================================================
TEST (TapeHeadAge, HalfAgePaintsExactlyFourHundredSeededSpots)
{
    auto head = makeHead();
    head.setNoiseAndAge (0.0f, 0.5f, 18000.0f, false);
    ASSERT_EQ ((int)head.defects.size(), TapeHeadModel::defaultCellCount);
    EXPECT_GT (countMarkedCells (head), 400);

    // The same 400 strokes, drawn in the documented order from a generator seeded with 12345.
    auto byHand = makeHead();
    juce::Random spots (12345);

    for (int s = 0; s < 400; ++s)
    {
        const auto position = spots.nextDouble() * (rate * 30.0);
        const auto lane = spots.nextInt (8);
        const auto kind = spots.nextFloat() > 0.98f ? TapeDefectKind::splice : TapeDefectKind::dropout;
        const auto halfWidth = spots.nextFloat() * 0.1f + 0.01f;
        const auto strength = spots.nextFloat() * 0.8f + 0.2f;
        byHand.paintSpot (position, lane, kind, halfWidth, strength);

        if (s == 398)
        {
            EXPECT_FALSE (sameMap (head, byHand)) << "399 spots must not be enough";
        }
    }

    EXPECT_TRUE (sameMap (head, byHand));

    // The map is the same at any rate: positions are drawn over 30 s of tape.
    auto other = makeHead (0, 0.0f, false, 44100.0);
    other.setNoiseAndAge (0.0f, 0.5f, 18000.0f, false);
    EXPECT_TRUE (sameMap (head, other));
}

TEST (TapeHeadAge, SmallChangesKeepTheMapAndZeroAgeWipesPaintedDefects)
{
    auto head = makeHead();
    head.setNoiseAndAge (0.0f, 0.5f, 18000.0f, false);
    head.paintSpot (15.0 * rate, 7, TapeDefectKind::drag, 0.0f, 1.0f);
    const auto painted = head;

    head.setNoiseAndAge (0.0f, 0.54f, 18000.0f, false); // moved by 0.05 at most: nothing happens
    EXPECT_TRUE (sameMap (head, painted));
    EXPECT_FLOAT_EQ (head.lastAge, 0.5f);

    head.setNoiseAndAge (0.0f, 0.0005f, 18000.0f, false);
    EXPECT_EQ (countMarkedCells (head), 0);
}

//==============================================================================
TEST (TapeHeadSpots, EachKindWritesItsRangeAndStopsAtItsCeiling)
{
    struct Case
    {
        int kind;
        float firstValue, ceiling;
    };

    const Case cases[] = {
        {TapeDefectKind::dropout, 0.5f, 1.0f},   {TapeDefectKind::splice, -1.0f, -1.0f},
        {TapeDefectKind::flutter, 10.5f, 11.0f}, {TapeDefectKind::crinkle, 20.5f, 21.0f},
        {TapeDefectKind::drag, 30.5f, 35.0f},    {9, 0.0f, 0.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.kind);
        auto head = makeHead();
        const auto position = 10.0 * rate; // cell 4000
        head.paintSpot (position, 2, c.kind, 0.0f, 0.5f);
        EXPECT_FLOAT_EQ (head.defects[4000].lanes[2], c.firstValue);
        EXPECT_EQ (head.defects[4001].lanes[2], 0.0f);

        for (int i = 0; i < 20; ++i)
            head.paintSpot (position, 2, c.kind, 0.0f, 0.5f);

        EXPECT_FLOAT_EQ (head.defects[4000].lanes[2], c.ceiling);
    }
}

TEST (TapeHeadSpots, AStrokeIsAParabolaThatWrapsAroundTheLoopAndTakesOverOtherKinds)
{
    auto head = makeHead();
    head.defects[1].lanes[0] = 10.5f; // a flutter mark where the dropout lands

    // Half-width 0.01 s = 4 cells, centred on the last cell of the 30-s loop.
    head.paintSpot (head.sampleRate * 30.0 - 1.0, 0, TapeDefectKind::dropout, 0.01f, 0.8f);

    EXPECT_FLOAT_EQ (head.defects[11999].lanes[0], 0.8f);
    EXPECT_FLOAT_EQ (head.defects[11997].lanes[0], 0.8f * 0.75f);
    EXPECT_FLOAT_EQ (head.defects[1].lanes[0], 0.8f * 0.75f); // wrapped, and the flutter mark replaced
    EXPECT_EQ (head.defects[3].lanes[0], 0.0f);               // i = 4: the parabola reaches 0
    EXPECT_EQ (head.defects[11995].lanes[0], 0.0f);

    // Lanes out of range land on the nearest lane.
    head.paintSpot (rate, 12, TapeDefectKind::splice, 0.0f, 1.0f);
    EXPECT_EQ (head.defects[400].lanes[7], -1.0f);
}

//==============================================================================
TEST (TapeHeadRecord, PreEmphasisLiftsTheTrebleBySixDecibelsAndTheBiasIsRemoved)
{
    auto head = makeHead();
    const auto n = (int)rate;
    const auto low = record (head, makeSine (1, n, 100.0, rate, 0.01f), 1.0f, 0.0f);
    head.prepare (rate);
    const auto high = record (head, makeSine (1, n, 15000.0, rate, 0.01f), 1.0f, 0.0f);

    EXPECT_NEAR (toneAt (low, 100.0, n / 2), 0.01, 0.0005);
    EXPECT_NEAR (toDecibels (toneAt (high, 15000.0, n / 2) / 0.01), 6.0, 0.5);

    double mean = 0.0;
    for (int i = n / 2; i < n; ++i)
        mean += low.getSample (0, i);
    EXPECT_NEAR (mean / (n / 2), 0.0, 1.0e-4);
}

TEST (TapeHeadRecord, DriveSaturatesSoftlyAndAsymmetrically)
{
    const auto n = (int)rate;
    const auto in = makeSine (1, n, 1000.0, rate, 0.5f);

    auto gentle = makeHead();
    const auto clean = record (gentle, makeSine (1, n, 1000.0, rate, 0.01f), 1.0f, 0.0f);
    auto hot = makeHead();
    const auto driven = record (hot, in, 10.0f, 0.0f);

    EXPECT_LT (peak (driven, 0, n / 2), 1.1f);
    EXPECT_TRUE (allFinite (driven));

    // The bias makes the curve asymmetric: a second harmonic appears when driven hard.
    const auto secondDriven = toneAt (driven, 2000.0, n / 2) / toneAt (driven, 1000.0, n / 2);
    const auto secondClean = toneAt (clean, 2000.0, n / 2) / toneAt (clean, 1000.0, n / 2);
    EXPECT_GT (secondDriven, 0.02);
    EXPECT_LT (secondClean, 0.001);
}

TEST (TapeHeadRecord, NoiseIsPrintedOnlyWhileTheRecordGateIsOpen)
{
    const auto n = (int)rate;
    juce::AudioBuffer<float> silence (1, n);
    silence.clear();

    auto recording = makeHead (2, 1.0f, true);
    const auto withGate = record (recording, silence, 1.0f, 1.0f);
    auto idle = makeHead (2, 1.0f, true);
    const auto withoutGate = record (idle, silence, 1.0f, 0.0f);

    EXPECT_GT (rms (withGate, 0, n / 2), 1.0e-4);
    EXPECT_LT (rms (withoutGate, 0, n / 2), rms (withGate, 0, n / 2) * 0.1);
}

//==============================================================================
TEST (TapeHeadPlayback, AnUnrecordedTapePlaysOnlyHissThatFadesWithTheSpeed)
{
    const auto hiss = 0.5f * (TapeTransportModel::getFormatHissFactor (2) / 0.00015f);
    const auto expectedRms = hiss * 0.0004 / std::sqrt (3.0);
    const auto tape = makeSine (1, (int)rate, 1000.0, rate, 0.5f); // audio that must not be heard

    for (const auto speed : {1.0, 0.5, 0.0, -2.0})
    {
        SCOPED_TRACE (speed);
        auto head = makeHead (2, hiss);
        const auto out = play (head, tape, (int)rate / 2, speed, 0);
        const auto measured = rms (out, 0, (int)rate / 4);
        EXPECT_NEAR (measured, expectedRms * std::min (1.0, std::abs (speed)), expectedRms * 0.05);
        EXPECT_LT (toneAt (out, 1000.0, (int)rate / 4), 1.0e-3); // the buffer's 0.5 sine is not heard
    }
}

TEST (TapeHeadPlayback, CassetteLosesTheTrebleThatTheMasterFormatKeeps)
{
    auto level = [] (int format, double frequency)
    {
        auto head = makeHead (format);
        const auto tape = makeSine (1, (int)rate, frequency, rate, 0.1f);
        const auto out = play (head, tape, (int)rate);
        return toneAt (out, frequency, (int)rate / 2);
    };

    const auto master = toDecibels (level (0, 12000.0) / level (0, 1000.0));
    const auto cassette = toDecibels (level (3, 12000.0) / level (3, 1000.0));
    EXPECT_LT (cassette, master - 6.0);

    // The resonant head bump cuts below its frequency.
    EXPECT_LT (level (3, 30.0), level (3, 150.0) * 0.5);
}

TEST (TapeHeadPlayback, ADropoutInALaneTakesOutThatBand)
{
    const auto centre = TapeHeadModel::getBandCentreFrequency (3);
    const auto tape = makeSine (1, (int)rate, centre, rate, 0.1f);

    auto clean = makeHead();
    const auto reference = toneAt (play (clean, tape, (int)rate), centre, (int)rate / 2);

    auto worn = makeHead();
    fillAllCells (worn, 3, 1.0f);
    const auto dropped = toneAt (play (worn, tape, (int)rate), centre, (int)rate / 2);

    EXPECT_LT (toDecibels (dropped / reference), -3.0);
    EXPECT_FLOAT_EQ (worn.laneEnvelope[2], 0.0f);
    EXPECT_NEAR (worn.laneEnvelope[3], 0.8f, 1.0e-3f);
}

TEST (TapeHeadPlayback, SpliceMarksSilenceTheTapeAndShiftTheReadPositionUnlessDragOverrides)
{
    const auto tape = makeSine (1, (int)rate, 1000.0, rate, 0.1f);

    auto spliced = makeHead();
    for (int lane = 0; lane < 8; ++lane)
        fillAllCells (spliced, lane, -1.0f);

    const auto out = play (spliced, tape, 4800);
    EXPECT_NEAR (spliced.spliceOffset, 4.0, 0.01);
    EXPECT_LT (rms (out, 0, 2400), 1.0e-4);
    EXPECT_EQ (spliced.dragAmount, 0.0f);

    auto dragged = makeHead();
    fillAllCells (dragged, 1, -1.0f);
    fillAllCells (dragged, 6, 30.5f);
    play (dragged, tape, 4800);
    EXPECT_NEAR (dragged.spliceOffset, 0.0, 1.0e-6);
    EXPECT_FLOAT_EQ (dragged.dragAmount, 0.5f);
}

TEST (TapeHeadPlayback, TheSpliceThumpDecaysByItself)
{
    auto head = makeHead();
    juce::AudioBuffer<float> tape (1, (int)rate);
    tape.clear();
    head.spliceThump = 1.0f;

    const auto out = play (head, tape, 2000, 1.0, 0);
    EXPECT_GT (peak (out, 0, 0, 400), 0.04f);
    EXPECT_LT (head.spliceThump, 0.001f);
    EXPECT_EQ (out.getSample (0, 1999), 0.0f);
}

TEST (TapeHeadPlayback, LowRatesStayStableAcrossTheWholeBank)
{
    for (const auto sampleRate : {8000.0, 22050.0, 192000.0})
    {
        SCOPED_TRACE (sampleRate);
        auto head = makeHead (0, 1.0f, false, sampleRate);
        const auto tape = makeNoise (1, (int)sampleRate, 0.5f);
        const auto out = play (head, tape, (int)sampleRate);
        EXPECT_TRUE (allFinite (out));
        EXPECT_LT (peak (out, 0), 2.0f);
        EXPECT_GT (rms (out, 0), 0.01);
    }
}

TEST (TapeHeadNoise, AFilledRunIsExactlyTheDrawsOneByOneAndLeavesTheSameSeed)
{
    // Runs shorter and longer than the interleaved generators' stride, and seeds of every
    // sign and width the constructor can give.
    for (const juce::int64 seed : {(juce::int64)0, (juce::int64)1, (juce::int64)-7,
                                   (juce::int64)0x7fffffffffffffffLL, (juce::int64)0xabcdef123456LL})
    {
        for (const int length : {0, 1, 7, 8, 9, 13, 512})
        {
            SCOPED_TRACE ("seed " + juce::String (seed) + ", " + juce::String (length) + " draws");
            TapeNoise oneByOne (seed), filled (seed);
            std::vector<float> expected ((size_t)length), actual ((size_t)length);

            for (auto& value : expected)
                value = oneByOne.nextFloat();

            filled.fill (actual.data(), length);

            for (int i = 0; i < length; ++i)
                ASSERT_EQ (expected[(size_t)i], actual[(size_t)i]) << "draw " << i;

            EXPECT_EQ (oneByOne.getSeed(), filled.getSeed());
            EXPECT_EQ (oneByOne.nextFloat(), filled.nextFloat());
        }
    }
}
