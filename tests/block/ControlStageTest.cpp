// The control stage, driven through processBlock: group faders and automation, the MIDI map,
// the shuttle, the speed target with return to zero and the ends of the tape, the head settings.

#include "tests/block/BlockTestFixture.h"

#include <thread>

namespace
{
using namespace ParameterIds;

class ControlTest : public BlockTest
{
protected:
    void SetUp() override
    {
        quietTape();
        prepare (44100.0, 512);
    }

    juce::AudioProcessorParameter& fader (int channel)
    {
        return *p.parameters.getParameter (forChannelVolume (channel));
    }

    void setFader (int channel, float normalisedValue) { fader (channel).setValueNotifyingHost (normalisedValue); }

    float takePending (int channel) { return p.pendingFaderValues[(size_t)channel].exchange (-1.0f); }

    /** Rolling at exactly this speed from the first sample of the next block. */
    void rollAt (float speed)
    {
        set (VARISPEED, speed);
        p.speedSmoother.setCurrentAndTargetValue (speed);
        p.transportState = Processor::transportPlay;
        run (blockSize);
    }

    int currentRow() const { return (int)(p.getElapsedSinceZero() * 100.0); }

    void fillLane (int channel, float value)
    {
        juce::FloatVectorOperations::fill (p.automationData.getWritePointer (channel), value,
                                           p.automationData.getNumSamples());
    }
};

//==============================================================================
TEST_F (ControlTest, ADraggedFaderMovesItsGroupAndMembersKeepTheirOffsets)
{
    for (int c = 0; c < 3; ++c)
        p.channelGroups[(size_t)c] = 1;

    setFader (0, 0.5f);
    setFader (1, 0.3f);
    setFader (2, 0.95f);
    p.faderTouched[0] = true;
    run (blockSize);

    setFader (0, 0.6f);
    run (blockSize);
    EXPECT_NEAR (takePending (1), 0.4f, 1.0e-5f);
    EXPECT_FLOAT_EQ (takePending (2), 1.0f); // 1.05 inside, handed over limited

    setFader (0, 0.5f);
    run (blockSize);
    EXPECT_NEAR (takePending (1), 0.3f, 1.0e-5f);
    EXPECT_NEAR (takePending (2), 0.95f, 1.0e-5f);

    // An inactive group links nothing.
    p.groupActive[1] = false;
    setFader (0, 0.7f);
    run (blockSize * 2);
    EXPECT_EQ (takePending (1), -1.0f);
}

TEST_F (ControlTest, WriteModeCoversTheRowsTheTapePassedPlusAMargin)
{
    // Speed 2 with 512-sample blocks at 44.1 kHz: 2 + trunc (2 x 512 / 44100 x 100) = 4 rows.
    setFader (0, 0.25f);
    p.automationModes[0] = Processor::automationWrite;
    rollAt (2.0f);
    EXPECT_NEAR (p.tapeMechanics.getSpeed(), 2.0, 1.0e-3);

    fillLane (0, -1.0f);
    const auto row = currentRow();
    run (blockSize);

    EXPECT_EQ (p.automationData.getSample (0, row - 1), -1.0f);

    for (int r = row; r < row + 4; ++r)
        EXPECT_FLOAT_EQ (p.automationData.getSample (0, r), 0.25f) << r;

    EXPECT_EQ (p.automationData.getSample (0, row + 4), -1.0f);
    EXPECT_TRUE (p.automationLatched[0]);

    // Stopped, write mode writes nothing and the latch is cleared.
    p.transportState = Processor::transportStop;
    run (blockSize * 40);
    fillLane (0, -1.0f);
    run (blockSize);
    EXPECT_EQ (p.automationData.getSample (0, currentRow()), -1.0f);
    EXPECT_FALSE (p.automationLatched[0]);
}

TEST_F (ControlTest, ReadModeHandsTheLaneToTheFaderWhileRolling)
{
    setFader (0, 0.8f);
    fillLane (0, 0.3f);
    p.automationModes[0] = Processor::automationRead;
    run (blockSize);
    EXPECT_EQ (takePending (0), -1.0f); // stopped: nothing read

    rollAt (1.0f);
    EXPECT_FLOAT_EQ (takePending (0), 0.3f);

    // A held fader wins over the lane.
    p.faderTouched[0] = true;
    run (blockSize);
    EXPECT_EQ (takePending (0), -1.0f);
}

TEST_F (ControlTest, LatchKeepsWritingAfterReleaseUntilTheTapeStops)
{
    setFader (0, 0.6f);
    fillLane (0, 0.2f);
    p.automationModes[0] = Processor::automationLatch;
    rollAt (1.0f);
    EXPECT_FLOAT_EQ (takePending (0), 0.2f); // untouched: reading

    p.faderTouched[0] = true;
    run (blockSize);
    p.faderTouched[0] = false;
    run (blockSize);
    EXPECT_EQ (takePending (0), -1.0f);
    EXPECT_FLOAT_EQ (p.automationData.getSample (0, currentRow() - 1), 0.6f);

    p.transportState = Processor::transportStop;
    run (blockSize);
    EXPECT_FALSE (p.automationLatched[0]);

    fillLane (0, 0.2f);
    rollAt (1.0f);
    EXPECT_FLOAT_EQ (takePending (0), 0.2f); // reading again
}

TEST_F (ControlTest, TouchModeWritesWhileHeldAndReadsOtherwiseAndOffDoesNeither)
{
    setFader (0, 0.6f);
    fillLane (0, 0.2f);
    p.automationModes[0] = Processor::automationTouch;

    // Stopped and untouched: nothing read, nothing written.
    run (blockSize * 3);
    EXPECT_EQ (takePending (0), -1.0f);
    EXPECT_FLOAT_EQ (p.automationData.getSample (0, 0), 0.2f);

    rollAt (1.0f);
    EXPECT_FLOAT_EQ (takePending (0), 0.2f);

    p.faderTouched[0] = true;
    run (blockSize);
    EXPECT_EQ (takePending (0), -1.0f);
    EXPECT_FLOAT_EQ (p.automationData.getSample (0, currentRow() - 1), 0.6f);

    // Released: the lane drives the fader again (no latch in touch mode).
    p.faderTouched[0] = false;
    fillLane (0, 0.2f);
    run (blockSize);
    EXPECT_FLOAT_EQ (takePending (0), 0.2f);

    p.automationModes[0] = Processor::automationOff;
    p.faderTouched[0] = true;
    run (blockSize);
    p.faderTouched[0] = false;
    run (blockSize);
    EXPECT_EQ (takePending (0), -1.0f);
    EXPECT_FLOAT_EQ (p.automationData.getSample (0, currentRow()), 0.2f);
}

TEST_F (ControlTest, ABusyAutomationLockSkipsGroupsAndAutomationButNotTheAudio)
{
    p.trackInputSources[0] = 0;
    setFader (0, 0.6f);
    fillLane (0, 0.2f);
    p.automationModes[0] = Processor::automationRead;
    rollAt (1.0f);
    takePending (0);

    const juce::ScopedLock held (p.automationLock);
    std::atomic<bool> done{false};
    juce::AudioBuffer<float> output;

    // The block runs on another thread, which cannot enter the lock this thread holds.
    auto worker = std::thread (
        [&]
        {
            output = run (blockSize, constantOn (0, 1.0f));
            done = true;
        });
    worker.join();

    EXPECT_TRUE (done);
    EXPECT_EQ (takePending (0), -1.0f);
    EXPECT_GT (output.getMagnitude (0, blockSize), 0.0f);
}

//==============================================================================
TEST_F (ControlTest, ABoundControllerSetsItsParameterAndNeverReachesTheInstruments)
{
    p.midiMap.emplace (7, MASTER_VOL);
    p.publishMidiMap();
    set (MASTER_VOL, 0.0f);

    midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 127), 10);
    run (blockSize);
    EXPECT_FLOAT_EQ (normalised (MASTER_VOL), 1.0f);
}

//==============================================================================
TEST_F (ControlTest, TheShuttleWheelWrapsAndRunsDownWhenLeftAlone)
{
    set (SCRUB, 0.98f);
    run (blockSize);
    set (SCRUB, 0.02f);
    run (blockSize);

    // 0.98 to 0.02 is +0.04 past the wheel's end: (0.04 x 20000 + 150) x 0.04 = 38.
    EXPECT_EQ (p.transportState, Processor::transportScrub);
    EXPECT_NEAR (p.scrubSpeed.load(), 38.0f, 1.0e-3f);
    EXPECT_NEAR (p.tapeMechanics.getSpeed(), 38.0, 1.0e-3); // scrubbing has no inertia

    run (blockSize * 10);
    EXPECT_NEAR (p.scrubSpeed.load(), 38.0f, 1.0e-3f);
    run (blockSize);
    EXPECT_EQ (p.scrubSpeed.load(), 0.0f);
    EXPECT_EQ (p.transportState, Processor::transportScrub);

    // A held reel keeps its speed however long the wheel rests.
    p.scrubSpeed = 5.0f;
    p.reelHeld = true;
    run (blockSize * 20);
    EXPECT_EQ (p.scrubSpeed.load(), 5.0f);
}

TEST_F (ControlTest, ReturnToZeroWindsFastThenSlowsAndStopsExactlyOnTheZeroPoint)
{
    p.zeroOffset = 5.0;

    for (auto& track : p.tracks)
        track.setPositionSeconds (15.0);

    p.locateToZeroPending = true;
    p.transportState = Processor::transportPlay; // play leaves the locate running
    run (blockSize);
    EXPECT_NEAR (p.speedSmoother.getCurrentValue(), -60.0f, 1.0e-3f);

    // From 7.5 s away the speed is 8 x the distance.
    while (p.tracks[0].getPositionSeconds() - 5.0 > 7.0)
        run (blockSize);

    const auto distance = p.tracks[0].getPositionSeconds() - 5.0;
    run (blockSize);
    EXPECT_NEAR (p.speedSmoother.getCurrentValue(), -8.0 * distance, 0.5);

    for (int blocks = 0; blocks < 2000 && p.locateToZeroPending; ++blocks)
        run (blockSize);

    EXPECT_FALSE (p.locateToZeroPending);
    EXPECT_EQ (p.transportState, Processor::transportStop);

    for (const auto& track : p.tracks)
        EXPECT_NEAR (track.getPositionSeconds(), 5.0, 1.0e-6); // the arm settles the last few nanoseconds
}

TEST_F (ControlTest, RewindingIntoTheStartSlowsDownAndStopsAtZero)
{
    for (auto& track : p.tracks)
        track.setPositionSeconds (3.0);

    p.transportState = Processor::transportRewind;
    run ((int)(rate * 30));
    EXPECT_NEAR (p.tracks[0].getPositionSeconds(), 0.0, 0.01);
    EXPECT_LT (std::abs (p.tapeMechanics.getSpeed()), 0.1);
    EXPECT_GE (p.tracks[0].getPositionSeconds(), -0.01);
}

TEST_F (ControlTest, RecordingWithoutElasticWriteRunsAtExactlyNominalSpeed)
{
    set (DISABLE_ELASTIC, 1.0f);
    set (VARISPEED, 1.5f);
    set (REVERSE, 1.0f);

    for (auto& track : p.tracks)
        track.setPositionSeconds (10.0);

    p.transportState = Processor::transportRecord;
    run (blockSize);
    EXPECT_EQ (p.speedSmoother.getCurrentValue(), -1.0f);
    EXPECT_NEAR (p.tapeMechanics.getSpeed(), -1.0, 1.0e-3);
}

TEST_F (ControlTest, HeadSettingsFollowTheTapeFormat)
{
    // Head bump by format: 40, 50, 60 and 80 Hz.
    const float bumps[] = {40.0f, 50.0f, 60.0f, 80.0f};

    for (int format = 0; format < 4; ++format)
    {
        set (FORMAT, (float)format);
        set (DRIVE, 3.0f);
        run (blockSize * 2);

        for (int i = 0; i < p.numTracks; ++i)
        {
            SCOPED_TRACE (juce::String (format) + " " + juce::String (i));
            EXPECT_EQ (p.tracks[(size_t)i].getHead().headBumpCache, bumps[format]);
            EXPECT_EQ (p.tracks[(size_t)i].getHead().formatCache, format);
            EXPECT_EQ (p.tracks[(size_t)i].drive.getTargetValue(), 3.0f);
        }
    }
}
} // namespace
