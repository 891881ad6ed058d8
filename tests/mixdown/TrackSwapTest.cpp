#include "tests/mixdown/MixdownFixture.h"

#include <thread>

namespace
{
using P = TavrelDelayAudioProcessor;
namespace Id = ParameterIds;

const char* const trackPrefixes[] = {Id::VOL_,         Id::PAN_,    Id::TRIM_, Id::EQ_HIGH_, Id::EQ_MID_FREQ_,
                                     Id::EQ_MID_GAIN_, Id::EQ_LOW_, Id::AUX1_, Id::AUX2_,    Id::MUTE_,
                                     Id::SOLO_,        Id::PHASE_,  Id::MON_,  Id::EQ_PRE_};

/** Everything of one track that a swap must move, as it stands. */
struct TrackPicture
{
    std::vector<float> audio;
    int recordedLength = 0;
    double positionSeconds = 0.0;
    int inputSource = 0;
    int automationMode = 0;
    int group = 0;
    std::vector<float> automationRow;
    std::vector<float> parameterValues;
    juce::var name;
    bool hasName = false;
    float defectLane0 = 0.0f;
    std::vector<int> trackInsertIndices, inputInsertIndices;

    bool operator== (const TrackPicture& o) const
    {
        return audio == o.audio && recordedLength == o.recordedLength &&
               std::abs (positionSeconds - o.positionSeconds) < 1.0e-9 && inputSource == o.inputSource &&
               automationMode == o.automationMode && group == o.group && automationRow == o.automationRow &&
               parameterValues == o.parameterValues && name == o.name && hasName == o.hasName &&
               defectLane0 == o.defectLane0 && trackInsertIndices == o.trackInsertIndices &&
               inputInsertIndices == o.inputInsertIndices;
    }
};

class TrackSwapTest : public MixdownProcessorTest
{
protected:
    void SetUp() override { makeReel (8, 1.0, 48000.0); }

    TrackPicture picture (int k)
    {
        TrackPicture t;
        auto& track = p.tracks[(size_t)k];
        const auto* data = track.getAudio().getReadPointer (0);
        t.audio.assign (data, data + track.getAudio().getNumSamples());
        t.recordedLength = track.recordedLength;
        t.positionSeconds = track.getPositionSeconds();
        t.inputSource = p.trackInputSources[(size_t)k];
        t.automationMode = p.automationModes[(size_t)k];
        t.group = p.channelGroups[(size_t)k];
        const auto* row = p.automationData.getReadPointer (k);
        t.automationRow.assign (row, row + p.automationData.getNumSamples());

        for (auto* prefix : trackPrefixes)
            t.parameterValues.push_back (p.parameters.getParameter (Id::forTrack (prefix, k + 1))->getValue());

        const juce::Identifier nameId (Id::forTrack (Id::TrackName_, k + 1));
        t.hasName = p.parameters.state.hasProperty (nameId);
        t.name = p.parameters.state.getProperty (nameId);
        t.defectLane0 = track.getHead().defects[100].lanes[0];

        for (size_t i = 0; i < p.trackInserts.size(); ++i)
            if (p.trackInserts[i]->targetTrack == k)
                t.trackInsertIndices.push_back ((int)i);

        for (size_t i = 0; i < p.inputInserts.size(); ++i)
            if (p.inputInserts[i]->targetTrack == k)
                t.inputInsertIndices.push_back ((int)i);

        return t;
    }

    /** Gives track k contents of its own in every field a swap moves; seed tells tracks apart. */
    void dress (int k, float seed, bool named)
    {
        auto& track = p.tracks[(size_t)k];
        auto* data = track.getAudio().getWritePointer (0);

        for (int i = 0; i < track.getAudio().getNumSamples(); ++i)
            data[i] = seed + (float)i * 1.0e-6f;

        track.recordedLength = (int)(seed * 1000.0f);
        track.setPositionSeconds (seed / 10.0);
        p.trackInputSources[(size_t)k] = (int)seed;
        p.automationModes[(size_t)k] = (int)seed % 5;
        p.channelGroups[(size_t)k] = (int)seed % 9;
        auto* row = p.automationData.getWritePointer (k);

        for (int i = 0; i < p.automationData.getNumSamples(); i += 997)
            row[i] = seed / 100.0f;

        for (auto* prefix : trackPrefixes)
        {
            auto* parameter = p.parameters.getParameter (Id::forTrack (prefix, k + 1));
            parameter->setValueNotifyingHost (std::fmod (seed * 0.37f, 1.0f));
        }

        if (named)
            p.parameters.state.setProperty (Id::forTrack (Id::TrackName_, k + 1), "Track " + juce::String (seed),
                                            nullptr);

        track.getHead().defects[100].lanes[0] = seed / 50.0f;

        auto insert = makeInsertPlugin();
        insert->targetTrack = k;
        p.trackInserts.push_back (insert);
        auto recordInsert = makeInsertPlugin();
        recordInsert->targetTrack = k;
        p.inputInserts.push_back (recordInsert);
    }
};
} // namespace

TEST_F (TrackSwapTest, EverythingOfATrackMovesBothWays)
{
    dress (2, 3.0f, true);
    dress (4, 7.0f, false); // a track without a name gives the other none
    dress (6, 11.0f, true);
    p.trackInputSources[6] = 200 + 2; // track 7 listens to track 3's output

    const auto before2 = picture (2), before4 = picture (4), before6 = picture (6);
    p.clearUnsavedChanges();

    p.swapTracks (2, 4);

    EXPECT_TRUE (picture (4) == before2);
    EXPECT_TRUE (picture (2) == before4);
    EXPECT_TRUE (p.tracks[2].dirty);
    EXPECT_TRUE (p.tracks[4].dirty);
    EXPECT_FALSE (p.tracks[6].dirty);
    EXPECT_TRUE (p.hasUnsavedChanges());
    EXPECT_EQ (p.trackInputSources[6], 200 + 4); // still fed by the same audio
    EXPECT_FALSE (p.isSuspended());

    // The raw values the audio thread reads follow the parameters.
    EXPECT_FLOAT_EQ (
        raw (Id::forTrack (Id::VOL_, 5)),
        p.parameters.getParameter (Id::forTrack (Id::VOL_, 5))->convertFrom0to1 (before2.parameterValues[0]));

    // Swapping back restores the reel exactly; the untouched track never moved.
    p.swapTracks (4, 2);
    EXPECT_TRUE (picture (2) == before2);
    EXPECT_TRUE (picture (4) == before4);
    auto after6 = picture (6);
    after6.inputSource = before6.inputSource;
    EXPECT_TRUE (after6 == before6);
}

TEST_F (TrackSwapTest, PositionsAreExchangedAsTapeTime)
{
    // Tracks of one reel share a rate; should they not, each keeps its place in seconds.
    ASSERT_TRUE (p.tracks[1].prepare (96000.0, 1.0).wasOk());
    p.tracks[0].setPositionSeconds (0.25);
    p.tracks[1].setPositionSeconds (0.75);

    p.swapTracks (0, 1);

    EXPECT_DOUBLE_EQ (p.tracks[0].getPositionSeconds(), 0.75);
    EXPECT_DOUBLE_EQ (p.tracks[1].getPositionSeconds(), 0.25);
}

TEST_F (TrackSwapTest, ImpossibleSwapsChangeNothing)
{
    dress (0, 3.0f, true);
    dress (7, 5.0f, true);
    const auto before0 = picture (0), before7 = picture (7);

    for (auto [a, b] : {std::pair{0, 0}, std::pair{0, 8}, std::pair{8, 0}, std::pair{-1, 7}, std::pair{7, 24}})
    {
        SCOPED_TRACE (juce::String (a) + " <-> " + juce::String (b));
        p.swapTracks (a, b);
        EXPECT_TRUE (picture (0) == before0);
        EXPECT_TRUE (picture (7) == before7);
        EXPECT_FALSE (p.tracks[0].dirty);
    }
}

TEST_F (TrackSwapTest, WaitsForARunningSaveAndKeepsASuspensionItFound)
{
    dress (1, 3.0f, true);
    const auto before1 = picture (1);

    // A background save holds the save lock: the swap must not touch the tracks meanwhile.
    std::atomic<bool> release{false};
    std::thread saver (
        [&]
        {
            const juce::ScopedLock lock (p.saveLock);
            while (! release)
                std::this_thread::sleep_for (std::chrono::milliseconds (1));
        });
    std::this_thread::sleep_for (std::chrono::milliseconds (20));

    std::atomic<bool> swapped{false};
    std::thread swapper (
        [&]
        {
            p.swapTracks (1, 5);
            swapped = true;
        });
    std::this_thread::sleep_for (std::chrono::milliseconds (100));
    EXPECT_FALSE (swapped);
    EXPECT_TRUE (picture (1) == before1);

    release = true;
    saver.join();
    swapper.join();
    EXPECT_TRUE (picture (5) == before1);
    EXPECT_FALSE (p.isSuspended());

    // A swap made while something else holds processing suspended leaves it suspended.
    p.suspendProcessing (true);
    p.swapTracks (1, 5);
    EXPECT_TRUE (p.isSuspended());
    p.suspendProcessing (false);
}
