#include "tests/engine/MechanicsProcessorFixture.h"

#include <thread>

namespace
{
using P = TavrelDelayAudioProcessor;

class LoopTest : public MechanicsProcessorTest
{
protected:
    P p;

    void placeTape (double seconds) { p.tracks.front().setPositionSeconds (seconds); }

    /** Every sample of track i holds its own index, every defect cell of lane 0 its index. */
    void codeTrack (size_t i)
    {
        auto& track = p.tracks[i];
        auto* samples = track.getAudio().getWritePointer (0);

        for (int s = 0; s < track.getAudio().getNumSamples(); ++s)
            samples[s] = (float)s;

        for (size_t k = 0; k < track.getHead().defects.size(); ++k)
            track.getHead().defects[k].lanes[0] = (float)k;
    }
};
} // namespace

TEST_F (LoopTest, LoopPointsAreSetAtTheTape)
{
    placeTape (7.25);
    p.setLoopInHere();
    EXPECT_EQ (p.loopIn, 7.25);
    EXPECT_EQ (p.loopOut, 5.0); // not compared: the end may lie before the start for now

    placeTape (9.5);
    p.setLoopOutHere();
    EXPECT_EQ (p.loopIn, 7.25);
    EXPECT_EQ (p.loopOut, 9.5);

    // An end before the start swaps them.
    p.loopIn = 5.0;
    placeTape (2.0);
    p.setLoopOutHere();
    EXPECT_EQ (p.loopIn, 2.0);
    EXPECT_EQ (p.loopOut, 5.0);

    // The tape before its start gives a start at 0; the end takes any position.
    placeTape (-0.5);
    p.setLoopInHere();
    EXPECT_EQ (p.loopIn, 0.0);
    p.setLoopOutHere();
    EXPECT_EQ (p.loopIn, -0.5);
    EXPECT_EQ (p.loopOut, 0.0);

    p.toggleLoop();
    EXPECT_TRUE (p.loopEnabled);
    p.toggleLoop();
    EXPECT_FALSE (p.loopEnabled);

    p.loopEnabled = true;
    p.clearLoopPoints();
    EXPECT_EQ (p.loopIn, 0.0);
    EXPECT_EQ (p.loopOut, 0.0);
    EXPECT_FALSE (p.loopEnabled);
}

TEST_F (LoopTest, CuttingTenToTwelveSecondsCloses)
{
    constexpr double rate = 48000.0;
    ASSERT_TRUE (p.prepareReel (8, 60.0, rate).wasOk());
    p.prepareToPlay (rate, 512);
    const auto length = 60 * 48000;

    codeTrack (0);
    codeTrack (1);
    p.tracks[5].getAudio().clear(); // never written

    p.tracks[0].setPositionSeconds (20.0);
    p.tracks[1].setPositionSeconds (15.0);
    p.tracks[2].setPositionSeconds (11.0);
    p.tracks[3].setPositionSeconds (5.0);
    p.tracks[4].setPositionSeconds (12.0);
    p.tracks[5].setPositionSeconds (30.0);
    p.clearUnsavedChanges();

    p.loopIn = 10.0;
    p.loopOut = 12.0;
    p.loopEnabled = true;
    takeStartedSound (p);
    p.cutLoopRegion();

    EXPECT_FALSE (p.isSuspended());

    // The audio after the cut moved up 96000 samples; the tail is silence.
    for (size_t i : {0u, 1u})
    {
        SCOPED_TRACE (i);
        const auto& audio = p.tracks[i].getAudio();
        EXPECT_EQ (audio.getNumSamples(), length);
        EXPECT_EQ (audio.getSample (0, 479999), 479999.0f);
        EXPECT_EQ (audio.getSample (0, 480000), 576000.0f);
        EXPECT_EQ (audio.getSample (0, length - 96001), (float)(length - 1));
        EXPECT_EQ (audio.getMagnitude (0, length - 96000, 96000), 0.0f);

        // Cells 4000 to 4799 are gone; the last 800 cells are blank.
        const auto& cells = p.tracks[i].getHead().defects;
        ASSERT_EQ (cells.size(), 12000u);
        EXPECT_EQ (cells[3999].lanes[0], 3999.0f);
        EXPECT_EQ (cells[4000].lanes[0], 4800.0f);
        EXPECT_EQ (cells[11199].lanes[0], 11999.0f);

        for (size_t k = 11200; k < 12000; ++k)
            ASSERT_EQ (cells[k].lanes[0], 0.0f) << k;
    }

    // Playheads after the region move back by it, one inside lands on the cut, one before stays.
    EXPECT_DOUBLE_EQ (p.tracks[0].getPositionSeconds(), 18.0);
    EXPECT_DOUBLE_EQ (p.tracks[1].getPositionSeconds(), 13.0);
    EXPECT_DOUBLE_EQ (p.tracks[2].getPositionSeconds(), 10.0);
    EXPECT_DOUBLE_EQ (p.tracks[3].getPositionSeconds(), 5.0);
    EXPECT_DOUBLE_EQ (p.tracks[4].getPositionSeconds(), 10.0);

    // A tape never written stays so; its playhead moves all the same.
    EXPECT_TRUE (p.tracks[5].getAudio().hasBeenCleared());
    EXPECT_DOUBLE_EQ (p.tracks[5].getPositionSeconds(), 28.0);

    // Every track changed; looping is off and the zero point is where track 1 now stands.
    for (const auto& track : p.tracks)
        EXPECT_TRUE (track.dirty);

    EXPECT_FALSE (p.loopEnabled);
    EXPECT_DOUBLE_EQ (p.zeroOffset, 18.0);
    EXPECT_EQ (p.getElapsedSinceZero(), 0.0);
    EXPECT_EQ (takeStartedSound (p).sound, &p.clickSound);
}

TEST_F (LoopTest, ACutLongerThanTheDefectMapClearsTheMapOnly)
{
    ASSERT_TRUE (p.prepareReel (8, 120.0, 8000.0).wasOk());
    p.prepareToPlay (8000.0, 512);
    codeTrack (0);

    // 5 to 45 s: 16000 cells, more than the 12000 of the 30-s map.
    p.loopIn = 5.0;
    p.loopOut = 45.0;
    p.cutLoopRegion();

    const auto& audio = p.tracks[0].getAudio();
    EXPECT_EQ (audio.getSample (0, 40000 - 1), 39999.0f);
    EXPECT_EQ (audio.getSample (0, 40000), 360000.0f);
    EXPECT_EQ (audio.getMagnitude (0, 960000 - 320000, 320000), 0.0f);

    for (const auto& cell : p.tracks[0].getHead().defects)
        ASSERT_EQ (cell.lanes[0], 0.0f);

    // Ending beyond the map: nothing moves in the map, its last cells as many as the cut
    // spans are cleared.
    codeTrack (1);
    p.loopIn = 20.0;
    p.loopOut = 40.0;
    p.cutLoopRegion();
    const auto& cells = p.tracks[1].getHead().defects;
    EXPECT_EQ (cells[3999].lanes[0], 3999.0f);
    EXPECT_EQ (cells[4000].lanes[0], 0.0f);
    EXPECT_EQ (cells[11999].lanes[0], 0.0f);
}

TEST_F (LoopTest, ACutReachingPastTheTapeTakesOnlyWhatIsOnIt)
{
    ASSERT_TRUE (p.prepareReel (8, 60.0, 8000.0).wasOk());
    p.prepareToPlay (8000.0, 512);
    codeTrack (0);

    // 55 to 70 s on a 60-s tape: the last five seconds go, nothing before them.
    p.loopIn = 55.0;
    p.loopOut = 70.0;
    p.cutLoopRegion();

    const auto& audio = p.tracks[0].getAudio();
    EXPECT_EQ (audio.getSample (0, 440000 - 1), 439999.0f);
    EXPECT_EQ (audio.getMagnitude (0, 440000, 40000), 0.0f);
    EXPECT_FALSE (p.loopEnabled);

    // And one starting before the tape cuts from its start.
    codeTrack (0);
    p.loopIn = -3.0;
    p.loopOut = 2.0;
    p.cutLoopRegion();
    EXPECT_EQ (audio.getSample (0, 0), 16000.0f);
    EXPECT_EQ (audio.getMagnitude (0, 480000 - 16000, 16000), 0.0f);
}

TEST_F (LoopTest, CutsThatRemoveNothingChangeNothing)
{
    ASSERT_TRUE (p.prepareReel (8, 60.0, 8000.0).wasOk());
    p.prepareToPlay (8000.0, 512);

    struct Case
    {
        const char* name;
        double in, out;
    };

    const Case cases[] = {
        {"start after end", 12.0, 10.0},          {"empty", 10.0, 10.0},         {"cleared points", 0.0, 0.0},
        {"shorter than a sample", 10.0, 10.0001}, {"the whole tape", 0.0, 60.0}, {"more than the tape", -5.0, 80.0},
        {"all before the tape", -5.0, -1.0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        codeTrack (0);
        p.tracks[0].setPositionSeconds (30.0);
        p.zeroOffset = 1.0;
        p.clearUnsavedChanges();
        p.loopIn = c.in;
        p.loopOut = c.out;
        p.loopEnabled = true;

        p.cutLoopRegion();

        EXPECT_FALSE (p.isSuspended());
        EXPECT_EQ (p.tracks[0].getAudio().getSample (0, 100000), 100000.0f);
        EXPECT_EQ (p.tracks[0].getPositionSeconds(), 30.0);
        EXPECT_FALSE (p.hasUnsavedChanges());
        EXPECT_TRUE (p.loopEnabled);
        EXPECT_EQ (p.zeroOffset, 1.0);
    }
}

TEST_F (LoopTest, TheMidiLoopCutRunsOnTheMessageThread)
{
    ASSERT_TRUE (p.prepareReel (8, 60.0, 8000.0).wasOk());
    p.prepareToPlay (8000.0, 512);
    p.tracks[0].setPositionSeconds (20.0);
    p.loopIn = 10.0;
    p.loopOut = 12.0;

    p.postLoopCut();
    EXPECT_EQ (p.tracks[0].getPositionSeconds(), 20.0);

    for (int i = 0; i < 200 && p.tracks[0].getPositionSeconds() == 20.0; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    EXPECT_EQ (p.tracks[0].getPositionSeconds(), 18.0);
}

TEST_F (LoopTest, NoCutWhileTheReelIsBeingSavedOrRendered)
{
    ASSERT_TRUE (p.prepareReel (8, 60.0, 8000.0).wasOk());
    p.prepareToPlay (8000.0, 512);
    p.tracks[0].setPositionSeconds (20.0);
    p.loopIn = 10.0;
    p.loopOut = 12.0;

    // An export holds processing suspended: the cut neither runs nor lifts the suspension.
    p.suspendProcessing (true);
    p.cutLoopRegion();
    EXPECT_TRUE (p.isSuspended());
    EXPECT_EQ (p.tracks[0].getPositionSeconds(), 20.0);
    p.suspendProcessing (false);

    // A save in progress on another thread holds the save lock.
    juce::WaitableEvent locked, release;
    std::thread saver (
        [&]
        {
            const juce::ScopedLock lock (p.saveLock);
            locked.signal();
            release.wait();
        });
    locked.wait();
    p.cutLoopRegion();
    EXPECT_EQ (p.tracks[0].getPositionSeconds(), 20.0);
    release.signal();
    saver.join();

    p.cutLoopRegion();
    EXPECT_EQ (p.tracks[0].getPositionSeconds(), 18.0);
}
