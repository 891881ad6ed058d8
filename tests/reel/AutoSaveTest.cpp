#include "tests/reel/ReelTestSupport.h"

TEST_F (ReelTest, AutoSaveTicksWriteRecoveryAndTheAutoSaveSlotButNeverWhileRecording)
{
    p.reelName = "Song";
    ASSERT_TRUE (p.saveReel (0).wasOk());
    setParameter (p, ParameterIds::AUTO_SAVE_INTERVAL, 1.0f); // "5 Minutes": 15 ticks
    const auto recovery = reel ("Song").getChildFile ("Recovery");
    const auto autoCopy = reel ("Song").getChildFile ("State_1_Auto");
    int lastSlotTick = 0;

    // Nothing unsaved: nothing written, also when the slot falls due.
    p.clearUnsavedChanges();
    p.runAutoSaveTick (1, lastSlotTick);
    p.runAutoSaveTick (15, lastSlotTick);
    EXPECT_FALSE (recovery.exists());
    EXPECT_FALSE (autoCopy.exists());
    EXPECT_EQ (lastSlotTick, 15);

    // Recording: nothing, not even when the slot falls due.
    record (0, 0.5);
    p.transportState = TavrelDelayAudioProcessor::transportRecord;
    p.runAutoSaveTick (30, lastSlotTick);
    EXPECT_FALSE (recovery.exists());
    EXPECT_FALSE (autoCopy.exists());
    EXPECT_EQ (lastSlotTick, 15);

    // The first tick after recording writes both.
    p.transportState = TavrelDelayAudioProcessor::transportStop;
    p.runAutoSaveTick (31, lastSlotTick);
    EXPECT_TRUE (recovery.getChildFile ("settings.xml").existsAsFile());
    EXPECT_TRUE (autoCopy.getChildFile ("settings.xml").existsAsFile());
    EXPECT_EQ (lastSlotTick, 31);
    EXPECT_TRUE (p.hasUnsavedChanges()); // background saves leave the reel unsaved

    // "Off": the recovery copy still, the slot never.
    autoCopy.deleteRecursively();
    recovery.deleteRecursively();
    setParameter (p, ParameterIds::AUTO_SAVE_INTERVAL, 0.0f);
    p.runAutoSaveTick (100, lastSlotTick);
    EXPECT_TRUE (recovery.exists());
    EXPECT_FALSE (autoCopy.exists());
}

TEST_F (ReelTest, TheAutoSaveThreadSavesOnItsTick)
{
    p.reelName = "Song";
    setParameter (p, ParameterIds::AUTO_SAVE_INTERVAL, 1.0f);
    record (0, 0.5);
    p.autoSaveTickMilliseconds = 20; // the running thread picks this up within a second

    const auto autoCopy = reel ("Song").getChildFile ("State_1_Auto/settings.xml");
    const auto recovery = reel ("Song").getChildFile ("Recovery/settings.xml");

    // Fifteen ticks, each writing the recovery copy, before the auto-save copy falls due.
    // The message thread runs meanwhile: every save takes its rack and parameter copy there.
    // A busy machine, or a ThreadSanitizer build (some ten seconds a save), writes slowly.
    const auto end = juce::Time::getMillisecondCounter() + 600000;

    while (juce::Time::getMillisecondCounter() < end && ! (autoCopy.existsAsFile() && recovery.existsAsFile()))
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    EXPECT_TRUE (recovery.existsAsFile());
    EXPECT_TRUE (autoCopy.existsAsFile());

    // The next tick's save may have begun: it finishes rather than being killed half-way.
    EXPECT_TRUE (p.autoSaveThread->stopThread (120000));
}

TEST_F (ReelTest, BackgroundSavesAndReelResizingDoNotOverlap)
{
    // The auto-save thread saves continuously while the message thread resizes the reel; the
    // save lock keeps the writer off tapes that are being reallocated.
    p.reelName = "Song";
    p.autoSaveTickMilliseconds = 1;

    const auto recovery = reel ("Song").getChildFile ("Recovery/settings.xml");
    const auto end = juce::Time::getMillisecondCounter() + 3000;

    for (int i = 0; juce::Time::getMillisecondCounter() < end || (! recovery.existsAsFile() && i < 5000); ++i)
    {
        record (0, 0.1);
        ASSERT_TRUE (p.prepareReel (i % 2 == 0 ? 16 : 8, 1.0 + (i % 3), 48000.0).wasOk());
        juce::MessageManager::getInstance()->runDispatchLoopUntil (2);
    }

    p.autoSaveThread->stopThread (4000);
    EXPECT_TRUE (reel ("Song").getChildFile ("Recovery/settings.xml").existsAsFile());
}
