#include "engine/AutomationLanes.h"
#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
using Processor = TavrelDelayAudioProcessor;

/** A processor on a short 8-track reel at 44.1 kHz with 512-sample blocks, its fader
    parameters cached as device preparation caches them. */
class AutomationTest : public ::testing::Test
{
protected:
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    Processor p;

    static constexpr int blockLength = 512;

    void SetUp() override
    {
        p.setRateAndBufferSizeDetails (44100.0, blockLength);
        ASSERT_TRUE (p.prepareReel (8, 20.0, 44100.0).wasOk());

        for (int channel = 0; channel < Processor::numChannels; ++channel)
            p.channelVolumeValues[(size_t)channel] =
                p.parameters.getParameter (ParameterIds::forChannelVolume (channel));
    }

    juce::AudioProcessorParameter& fader (int channel) { return *p.channelVolumeValues[(size_t)channel]; }

    void setFader (int channel, float normalised) { fader (channel).setValueNotifyingHost (normalised); }

    float lane (int channel, int row) const { return p.automationData.getSample (channel, row); }

    float pending (int channel) const { return p.pendingFaderValues[(size_t)channel]; }

    void roll (double speed, double secondsSinceZero = 2.0)
    {
        p.transportState = Processor::transportPlay;
        p.tapeMechanics.speed = speed;
        p.tracks.front().setPositionSeconds (p.zeroOffset + secondsSinceZero);
    }

    void stop()
    {
        p.transportState = Processor::transportStop;
        p.tapeMechanics.speed = 0.0;
    }

    void block() { p.applyGroupFadersAndAutomation (blockLength); }

    void resetPending()
    {
        for (auto& value : p.pendingFaderValues)
            value = -1.0f;
    }
};
} // namespace

//==============================================================================
TEST_F (AutomationTest, LanesModesAndGroupsExistFromConstruction)
{
    // Before any device started: a reel loaded and saved now must find whole lanes.
    const Processor fresh;
    ASSERT_EQ (fresh.automationData.getNumChannels(), 26);
    ASSERT_EQ (fresh.automationData.getNumSamples(), 360000);

    const auto unity = std::pow (0.5f, 0.4f); // a fader at 1.0 of 0..2 with skew 0.4

    for (int channel = 0; channel < 26; ++channel)
    {
        SCOPED_TRACE (channel);
        const auto* row = fresh.automationData.getReadPointer (channel);
        EXPECT_NEAR (row[0], unity, 1.0e-6f);
        EXPECT_EQ (row[0], row[359999]);
        EXPECT_EQ (row[0], row[123456]);
        EXPECT_EQ (fresh.automationModes[(size_t)channel], Processor::automationOff);
        EXPECT_EQ (fresh.pendingFaderValues[(size_t)channel], -1.0f);
        EXPECT_FALSE (fresh.faderTouched[(size_t)channel]);
        EXPECT_FALSE (fresh.automationLatched[(size_t)channel]);
    }

    EXPECT_FALSE (fresh.automationData.hasBeenCleared());

    for (int group = 1; group <= 8; ++group)
    {
        EXPECT_EQ (fresh.groupNames[(size_t)group], "Group " + juce::String (group));
        EXPECT_EQ (fresh.isGroupActive (group), group <= 4);
    }
}

TEST_F (AutomationTest, ClearingAndResettingLanes)
{
    setFader (24, 0.3f);
    p.automationModes[24] = Processor::automationTouch;
    p.automationLatched[24] = true;
    p.clearAutomation (24);

    EXPECT_NEAR (lane (24, 0), 0.3f, 1.0e-6f);
    EXPECT_NEAR (lane (24, 359999), 0.3f, 1.0e-6f);
    EXPECT_EQ (p.automationModes[24], Processor::automationTouch);
    EXPECT_FALSE (p.automationLatched[24]);

    p.clearAutomation (26); // not a channel: nothing happens
    p.clearAutomation (-1);

    p.faderTouched[3] = true;
    p.resetAutomation();
    EXPECT_EQ (p.automationData.getNumSamples(), 360000);
    EXPECT_EQ (lane (24, 100), 0.0f);
    EXPECT_EQ (p.automationModes[24], Processor::automationOff);
    EXPECT_FALSE (p.faderTouched[3]);
}

TEST_F (AutomationTest, RowsAndStepsFollowTheTape)
{
    struct Case
    {
        double speed;
        double seconds;
        int firstRow;
        int rowsWritten;
    };

    // 512 samples at 44.1 kHz are 1.16 rows at speed 1.
    const Case cases[] = {
        {1.0, 2.0, 200, 3}, {2.0, 2.0, 200, 4},         {-1.0, 2.0, 200, -3},
        {1.0, -1.5, 0, 3},  {0.5, 3599.999, 359999, 1}, {45.0, 10.0, 1000, 54},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("speed " + juce::String (c.speed) + " at " + juce::String (c.seconds));
        p.resetAutomation();
        p.automationModes[0] = Processor::automationWrite;
        setFader (0, 0.42f);

        roll (c.speed, 0.0);
        p.zeroOffset = 5.0;
        p.tracks.front().setPositionSeconds (5.0 + c.seconds);

        block();

        const auto count = std::abs (c.rowsWritten);
        const auto direction = c.rowsWritten >= 0 ? 1 : -1;

        for (int k = 0; k < count; ++k)
            EXPECT_NEAR (lane (0, c.firstRow + direction * k), 0.42f, 1.0e-6f) << k;

        const auto before = c.firstRow - direction;
        const auto after = c.firstRow + direction * count;

        if (before >= 0 && before < 360000)
        {
            EXPECT_EQ (lane (0, before), 0.0f);
        }

        if (after >= 0 && after < 360000)
        {
            EXPECT_EQ (lane (0, after), 0.0f);
        }

        EXPECT_TRUE (p.automationLatched[0]);
        p.zeroOffset = 0.0;
    }

    EXPECT_EQ (AutomationLanes::getStep (false, 1.0, 512, 44100.0), 1);
    EXPECT_EQ (AutomationLanes::getStep (true, 1.0, 512, 0.0), 1);
}

TEST_F (AutomationTest, ModesReadAndWriteAsTheConsoleExpects)
{
    p.resetAutomation();
    p.automationData.setSample (0, 200, 0.8f);
    p.automationData.setSample (0, 201, 0.8f);
    setFader (0, 0.5f);

    // Read: the lane drives the fader through the pending value the editor takes over.
    p.automationModes[0] = Processor::automationRead;
    stop();
    block();
    EXPECT_EQ (pending (0), -1.0f); // nothing while stopped

    roll (1.0);
    block();
    EXPECT_FLOAT_EQ (pending (0), 0.8f);
    EXPECT_NEAR (fader (0).getValue(), 0.5f, 1.0e-6f); // the audio thread sets no parameter

    p.applyPendingFaderValues();
    EXPECT_NEAR (fader (0).getValue(), 0.8f, 1.0e-6f);
    EXPECT_EQ (pending (0), -1.0f);
    block();
    EXPECT_EQ (pending (0), -1.0f); // the fader is where the lane is

    // The user's hand wins in read mode.
    setFader (0, 0.2f);
    p.faderTouched[0] = true;
    block();
    EXPECT_EQ (pending (0), -1.0f);
    EXPECT_FLOAT_EQ (lane (0, 200), 0.8f);

    // Touch: written while touched, read otherwise, nothing while stopped.
    p.automationModes[0] = Processor::automationTouch;
    block();
    EXPECT_NEAR (lane (0, 200), 0.2f, 1.0e-6f);
    p.faderTouched[0] = false;
    p.automationData.setSample (0, 200, 0.6f);
    block();
    EXPECT_FLOAT_EQ (pending (0), 0.6f);
    resetPending();
    stop();
    block();
    EXPECT_EQ (pending (0), -1.0f);

    // Write while stopped writes nothing and latches nothing.
    p.automationModes[0] = Processor::automationWrite;
    block();
    EXPECT_FLOAT_EQ (lane (0, 200), 0.6f);
    EXPECT_FALSE (p.automationLatched[0]);

    // Channels beyond the reel's tracks are skipped; the aux returns always exist.
    p.automationModes[10] = Processor::automationWrite;
    p.automationModes[25] = Processor::automationWrite;
    setFader (10, 0.9f);
    setFader (25, 0.9f);
    roll (1.0);
    block();
    EXPECT_EQ (lane (10, 200), 0.0f);
    EXPECT_NEAR (lane (25, 200), 0.9f, 1.0e-6f);
}

TEST_F (AutomationTest, LatchKeepsWritingFromTheFirstTouchUntilTheTapeStops)
{
    p.resetAutomation();
    p.automationModes[1] = Processor::automationLatch;
    setFader (1, 0.5f);
    p.automationData.setSample (1, 300, 0.7f);

    roll (1.0, 3.0);
    block();
    EXPECT_FLOAT_EQ (pending (1), 0.7f); // untouched: it reads
    resetPending();

    p.faderTouched[1] = true;
    block();
    EXPECT_TRUE (p.automationLatched[1]);
    EXPECT_NEAR (lane (1, 300), 0.5f, 1.0e-6f);

    // Released, it keeps writing.
    p.faderTouched[1] = false;
    setFader (1, 0.4f);
    roll (1.0, 4.0);
    block();
    EXPECT_NEAR (lane (1, 400), 0.4f, 1.0e-6f);
    EXPECT_EQ (pending (1), -1.0f);

    // Stopping clears the latch; the next pass reads again.
    stop();
    block();
    EXPECT_FALSE (p.automationLatched[1]);
    setFader (1, 0.9f);
    roll (1.0, 4.0);
    block();
    EXPECT_NEAR (pending (1), 0.4f, 1.0e-6f);
}

TEST_F (AutomationTest, AGroupMovesItsUntouchedMembersByTheDraggedFadersChange)
{
    for (int channel : {0, 1, 2})
        p.channelGroups[(size_t)channel] = 1;

    setFader (0, 0.5f);
    setFader (1, 0.3f);
    setFader (2, 0.95f);
    setFader (3, 0.5f);
    block(); // baselines

    p.faderTouched[0] = true;
    setFader (0, 0.6f);
    block();
    EXPECT_NEAR (pending (1), 0.4f, 1.0e-5f);
    EXPECT_FLOAT_EQ (pending (2), 1.0f); // limited for the editor, 1.05 inside
    EXPECT_EQ (pending (3), -1.0f);      // not in the group
    EXPECT_EQ (pending (0), -1.0f);

    setFader (0, 0.5f);
    block();
    EXPECT_NEAR (pending (1), 0.3f, 1.0e-5f);
    EXPECT_NEAR (pending (2), 0.95f, 1.0e-5f); // the offset kept

    // Two members dragged at once: each moves the untouched one by its own change, and
    // neither moves the other.
    p.applyPendingFaderValues();
    p.faderTouched[1] = true;
    block();
    resetPending();
    setFader (0, 0.55f);
    setFader (1, 0.2f);
    block();
    EXPECT_EQ (pending (0), -1.0f);
    EXPECT_EQ (pending (1), -1.0f);
    EXPECT_NEAR (pending (2), 0.95f + 0.05f - 0.1f, 1.0e-5f);

    // An inactive group links nothing.
    p.faderTouched[1] = false;
    p.groupActive[1] = false;
    resetPending();
    setFader (0, 0.1f);
    block();
    EXPECT_EQ (pending (1), -1.0f);
    EXPECT_EQ (pending (2), -1.0f);
}

TEST_F (AutomationTest, AModeGivenToAGroupedChannelReachesTheActiveGroup)
{
    for (int channel : {2, 5, 24})
        p.channelGroups[(size_t)channel] = 6;

    p.groupActive[6] = true;
    p.setAutomationMode (5, Processor::automationTouch);

    for (int channel = 0; channel < 26; ++channel)
        EXPECT_EQ (p.automationModes[(size_t)channel], channel == 2 || channel == 5 || channel == 24
                                                           ? Processor::automationTouch
                                                           : Processor::automationOff)
            << channel;

    p.groupActive[6] = false;
    p.setAutomationMode (2, Processor::automationRead);
    EXPECT_EQ (p.automationModes[2], Processor::automationRead);
    EXPECT_EQ (p.automationModes[5], Processor::automationTouch);
}

TEST_F (AutomationTest, AGroupMembersDragCountsAsTouchForTheOthersAutomation)
{
    // Channel 1 reads, but while its group partner is dragged the group leads it.
    p.resetAutomation();
    p.channelGroups[0] = 2;
    p.channelGroups[1] = 2;
    p.automationModes[1] = Processor::automationTouch;
    setFader (0, 0.5f);
    setFader (1, 0.5f);
    roll (1.0);
    block();
    resetPending();

    p.faderTouched[0] = true;
    setFader (0, 0.6f);
    block();
    EXPECT_NEAR (lane (1, 200), 0.5f, 1.0e-6f); // touched through the group: written, not read
    EXPECT_NEAR (pending (1), 0.6f, 1.0e-5f);   // and moved by the group link
}

TEST_F (AutomationTest, ABusyAutomationLockSkipsTheBlock)
{
    p.resetAutomation();
    p.automationModes[0] = Processor::automationWrite;
    setFader (0, 0.5f);
    roll (1.0);

    std::atomic<bool> held{false}, release{false};
    std::thread saver (
        [&]
        {
            const juce::ScopedLock lock (p.automationLock);
            held = true;

            while (! release)
                std::this_thread::yield();
        });

    while (! held)
        std::this_thread::yield();

    block();
    EXPECT_EQ (lane (0, 200), 0.0f);
    EXPECT_FALSE (p.automationLatched[0]);

    release = true;
    saver.join();
    block();
    EXPECT_NEAR (lane (0, 200), 0.5f, 1.0e-6f);
}
