// The processor's side of keeping every take: what a save marks as saved, what it holds still
// while it writes, which tracks reach which copy, what a device change at another rate keeps,
// and what opening a reel does with its recovery copy.

#include "tests/reel/ReelTestSupport.h"

#include "storage/ReelFolderReader.h"

namespace
{
TavrelDelayAudioProcessor* processorInSave = nullptr;
int stepsSeen = 0;

/** Records a short burst onto an armed track the way the block callback does: sample by
    sample, or in runs through the track's block path. */
void recordThroughTrack (TapeTrack& track, int samples, bool recording, bool inBlocks = false)
{
    track.setArmed (recording);
    track.setDrive (1.0f);
    const auto signal = [] (int i) { return 0.5f * std::sin (0.05f * (float)i); };

    if (! inBlocks)
    {
        for (int i = 0; i < samples; ++i)
            track.process (signal (i), 1.0, 0.0f, recording, 0, 0, false, false, false, false);

        return;
    }

    constexpr int blockSize = 64;
    std::array<float, blockSize> input, output;
    std::array<double, blockSize> speeds;
    speeds.fill (1.0);

    for (int i = 0; i < blockSize; ++i)
        input[(size_t)i] = signal (i);

    TapeTrack::RunSettings settings;
    settings.recording = recording;
    settings.elasticWrite = false;

    for (int done = 0; done < samples; done += blockSize)
        track.processBlock (input.data(), speeds.data(), output.data(), juce::jmin (blockSize, samples - done),
                            settings);
}

/** The sample a copy's track file holds at an index. */
float sampleOnDisk (const juce::File& trackFile, int index)
{
    TapeTrack track;
    track.prepare (48000.0, 4.0);
    EXPECT_TRUE (ReelFolderReader::readTrackFile (trackFile, track));
    return track.getAudio().getSample (0, index);
}
} // namespace

TEST_F (ReelTest, AMainSaveMarksSavedOnlyWhatItWrote)
{
    p.reelName = "Song";
    record (0, 1.0);
    record (1, 1.0);
    setParameter (p, ParameterIds::MASTER_VOL, 0.3f);

    // While the files are committed, a take goes on onto track 2 and a control moves: both
    // came after what the save wrote.
    processorInSave = &p;
    stepsSeen = 0;
    ReelFolderWriter::setCommitStepHookForTesting (
        []
        {
            if (++stepsSeen != 3)
                return;

            auto& track = processorInSave->tracks[1];
            recordThroughTrack (track, 100, true);
            setParameter (*processorInSave, ParameterIds::MASTER_VOL, 0.6f);
        });

    const auto result = p.saveReel (0);
    ReelFolderWriter::setCommitStepHookForTesting (nullptr);
    ASSERT_TRUE (result.wasOk());

    EXPECT_FALSE (p.tracks[0].dirty);
    EXPECT_TRUE (p.tracks[1].dirty);
    EXPECT_TRUE (p.unsavedChanges);

    // A save that fails gives every flag it took back.
    p.clearUnsavedChanges();
    record (2, 0.5);
    setParameter (p, ParameterIds::MASTER_VOL, 0.1f);
    ReelFolderWriter::setWriteLimitForTesting (1000);
    EXPECT_TRUE (p.saveReel (0).failed());
    ReelFolderWriter::setWriteLimitForTesting (-1);
    EXPECT_TRUE (p.tracks[2].dirty);
    EXPECT_TRUE (p.unsavedChanges);
}

TEST_F (ReelTest, TheTailOfATakeMarksTheTrackChanged)
{
    for (const bool inBlocks : {false, true})
    {
        SCOPED_TRACE (inBlocks ? "block path" : "sample path");
        auto& track = p.tracks[inBlocks ? 4 : 3];
        recordThroughTrack (track, 2048, true, inBlocks);
        track.dirty = false; // saved right at the punch-out

        // Stopped recording: the record gate fades out over the next samples, still writing.
        recordThroughTrack (track, 64, false, inBlocks);
        EXPECT_TRUE (track.dirty);

        // Once the gate is shut, playing writes nothing and marks nothing.
        recordThroughTrack (track, 48000, false, inBlocks);
        track.dirty = false;
        recordThroughTrack (track, 1024, false, inBlocks);
        EXPECT_FALSE (track.dirty);
    }
}

TEST_F (ReelTest, ProcessingStaysHeldForTheWholeOfAUserSave)
{
    p.reelName = "Song";
    record (0, 0.5);

    // Slot changes and the click, made while the files are written, hold and release
    // processing themselves: the save's own hold must outlast them.
    static bool suspendedAfterChanges = false;
    processorInSave = &p;
    stepsSeen = 0;
    ReelFolderWriter::setCommitStepHookForTesting (
        []
        {
            if (++stepsSeen != 2)
                return;

            processorInSave->addBuiltInEffect (1, -1, TavrelDelayAudioProcessor::MasterInserts);
            processorInSave->setClickEnabled (true, 120.0, 4, 4);
            suspendedAfterChanges = processorInSave->isSuspended();
        });

    ASSERT_TRUE (p.saveReel (2).wasOk());
    ReelFolderWriter::setCommitStepHookForTesting (nullptr);
    EXPECT_TRUE (suspendedAfterChanges);
    EXPECT_FALSE (p.isSuspended());

    // A suspension made directly before any hold is kept when the holds end.
    p.suspendProcessing (true);
    ASSERT_TRUE (p.saveReel (2).wasOk());
    EXPECT_TRUE (p.isSuspended());
    p.suspendProcessing (false);
}

TEST_F (ReelTest, AUserSaveDuringATakeIsRefusedAndDropsNothing)
{
    p.reelName = "Song";
    ASSERT_TRUE (p.saveReel (0).wasOk());
    record (0, 0.5);
    const auto before = snapshot (reel ("Song"));

    p.transportState = TavrelDelayAudioProcessor::transportRecord;

    for (const int slot : {0, 2})
    {
        const auto result = p.saveReel (slot);
        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().contains ("Stop the recording")) << result.getErrorMessage();
    }

    EXPECT_TRUE (p.saveReelAs ("Other").failed());
    EXPECT_FALSE (p.isSuspended());
    EXPECT_TRUE (p.tracks[0].dirty);
    EXPECT_EQ (snapshot (reel ("Song")), before);
    EXPECT_FALSE (reel ("Other").exists());
    p.transportState = TavrelDelayAudioProcessor::transportStop;
}

TEST_F (ReelTest, ACopyReadWhileATakeWritesTheTapeIsNotCommitted)
{
    p.reelName = "Song";
    record (0, 1.0);

    for (const int slot : {0, ReelFolderFormat::recoverySlot, ReelFolderFormat::autoSaveSlot, 2})
        ASSERT_TRUE (p.saveReel (slot).wasOk());

    const auto before = snapshot (reel ("Song"));

    // A take starts on track 2 while the tapes are read (a background save runs beside the
    // audio): after each track file, the record head writes on.
    processorInSave = &p;
    ReelFolderWriter::setTrackStagedHookForTesting ([] { recordThroughTrack (processorInSave->tracks[1], 256, true); });

    for (const int slot : {ReelFolderFormat::recoverySlot, ReelFolderFormat::autoSaveSlot, 2, 0})
    {
        SCOPED_TRACE (slot);
        p.tracks[0].dirty = true; // something for every copy to write
        const auto result = p.saveReel (slot);
        EXPECT_TRUE (result.failed());

        if (slot >= 0)
        {
            EXPECT_TRUE (result.getErrorMessage().contains ("recorded on")) << result.getErrorMessage();
        }
    }

    ReelFolderWriter::setTrackStagedHookForTesting (nullptr);

    // Every copy is as it was; the abandoned background copies are no failure to report; the
    // main save marked nothing saved.
    EXPECT_EQ (snapshot (reel ("Song")), before);
    EXPECT_FALSE (p.backgroundSaveFailed);
    EXPECT_TRUE (p.tracks[0].dirty);
    EXPECT_TRUE (p.tracks[1].dirty);

    // Once the take has ended, the next background save writes the copy, take included.
    recordThroughTrack (p.tracks[1], 48000, false);
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    const auto& take = p.tracks[1].getAudio();
    ASSERT_GT (take.getMagnitude (0, 0, 2000), 0.01f);
    const auto onDisk = reel ("Song").getChildFile ("Recovery/track_2.wav");

    for (int i = 0; i < 2000; i += 97)
        EXPECT_NEAR (sampleOnDisk (onDisk, i), take.getSample (0, i), 1.0e-4f) << "sample " << i;
}

TEST_F (ReelTest, ABackgroundSaveAskedToStopEndsAtOnceAndKeepsTheOldCopy)
{
    p.reelName = "Song";

    for (int i = 0; i < 8; ++i)
        record (i, 2.0);

    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    const auto before = snapshot (reel ("Song"));

    for (int i = 0; i < 8; ++i)
        record (i, 2.0, 0.25f);

    // The processor is going: its saver is asked to stop after the first track file.
    struct Saver : juce::Thread
    {
        explicit Saver (TavrelDelayAudioProcessor& processorToSave) : juce::Thread ("Saver"), processor (processorToSave) {}

        void run() override { result = processor.saveReel (ReelFolderFormat::recoverySlot); }

        TavrelDelayAudioProcessor& processor;
        juce::Result result = juce::Result::ok();
    } saver (p);

    stepsSeen = 0;
    ReelFolderWriter::setTrackStagedHookForTesting (
        []
        {
            ++stepsSeen;

            if (auto* thread = juce::Thread::getCurrentThread())
                thread->signalThreadShouldExit();
        });

    saver.startThread();

    while (saver.isThreadRunning())
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5); // the saver takes its snapshot here

    ReelFolderWriter::setTrackStagedHookForTesting (nullptr);

    EXPECT_EQ (stepsSeen, 1); // no further track file was written
    EXPECT_TRUE (saver.result.failed());
    EXPECT_FALSE (p.backgroundSaveFailed);
    EXPECT_EQ (snapshot (reel ("Song")), before);
}

TEST_F (ReelTest, ASaveToAnotherCopyThanTheOneLoadedWritesEveryTrack)
{
    p.reelName = "Song";

    for (int i = 0; i < 8; ++i)
        record (i, 1.0, 0.25f);

    ASSERT_TRUE (p.saveReel (0).wasOk());

    // A snapshot of other takes on every track.
    for (int i = 0; i < 8; ++i)
        record (i, 1.0, 0.75f);

    ASSERT_TRUE (p.saveReel (3).wasOk());

    // Opened from the snapshot and saved as the main copy: the main copy is the snapshot,
    // every track of it, not its settings over the old takes.
    for (const int loaded : {3, ReelFolderFormat::autoSaveSlot})
    {
        SCOPED_TRACE (loaded);

        if (loaded == ReelFolderFormat::autoSaveSlot)
        {
            for (int i = 0; i < 8; ++i)
                record (i, 1.0, 0.5f);

            ASSERT_TRUE (p.saveReel (ReelFolderFormat::autoSaveSlot).wasOk());
        }

        ASSERT_TRUE (p.loadReel ("Song", loaded));
        EXPECT_FALSE (p.hasUnsavedChanges());
        const auto expected = p.tracks[5].getAudio().getSample (0, 1000);
        ASSERT_TRUE (p.saveReel (0).wasOk());

        for (int i = 0; i < 8; ++i)
            EXPECT_NEAR (sampleOnDisk (reel ("Song").getChildFile (ReelFolderFormat::getTrackFileName (i)), 1000),
                         p.tracks[(size_t)i].getAudio().getSample (0, 1000), 1.0e-4f)
                << "track " << i + 1;

        EXPECT_NEAR (sampleOnDisk (reel ("Song").getChildFile ("track_6.wav"), 1000), expected, 1.0e-4f);
    }
}

TEST_F (ReelTest, OpeningTheMainCopyKeepsANewerRecoveryUntilTheUserChooses)
{
    p.reelName = "Song";
    record (0, 1.0, 0.25f);
    ASSERT_TRUE (p.saveReel (0).wasOk());
    record (0, 1.0, 0.75f);
    juce::Thread::sleep (5);
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    const auto recovery = reel ("Song").getChildFile ("Recovery");
    const auto kept = snapshot (recovery);

    // Opened again (as after a crash): the newer recovery copy stays, and the background
    // saves of the reopened tape leave it alone.
    ASSERT_TRUE (p.loadReel ("Song", 0));
    EXPECT_TRUE (p.reelLibrary.hasNewerRecovery ("Song"));
    record (1, 0.5);
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    EXPECT_EQ (snapshot (recovery), kept);

    // Discarded by the user: gone, and the background saves write a new one.
    p.discardRecovery();
    EXPECT_FALSE (recovery.exists());
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    EXPECT_TRUE (recovery.getChildFile ("track_2.wav").existsAsFile());

    // A main save replaces it too.
    ASSERT_TRUE (p.loadReel ("Song", 0));
    ASSERT_TRUE (p.saveReel (0).failed() == false);
    EXPECT_FALSE (recovery.exists());
}

TEST_F (ReelTest, ATrackThatCannotBeReadIsReportedByName)
{
    p.reelName = "Song";
    record (0, 0.5);
    record (4, 0.5);
    ASSERT_TRUE (p.saveReel (0).wasOk());
    reel ("Song").getChildFile ("track_5.wav").replaceWithText ("not a wave file at all");

    ASSERT_TRUE (p.loadReel ("Song", 0));
    EXPECT_TRUE (p.reelLoadWarning.contains ("Track 5")) << p.reelLoadWarning;
    EXPECT_TRUE (p.reelLoadWarning.contains ("track_5.wav")) << p.reelLoadWarning;
    EXPECT_FALSE (p.reelLoadWarning.contains ("track_1.wav")) << p.reelLoadWarning;
}

//==============================================================================
// Device changes at another rate.

TEST_F (ReelTest, ARateChangeKeepsANamedReelsUnsavedTakesInItsRecoveryCopy)
{
    p.prepareToPlay (48000.0, 512);
    p.reelName = "Song";
    record (0, 1.0, 0.25f);
    ASSERT_TRUE (p.saveReel (0).wasOk());
    record (2, 1.0, 0.75f); // a take not saved yet

    // A buffer-size change at the same rate closes nothing.
    p.prepareToPlay (48000.0, 256);
    EXPECT_EQ (p.reelName, "Song");
    EXPECT_FALSE (p.reelEjectedByDevice);

    p.prepareToPlay (44100.0, 512);
    EXPECT_EQ (p.reelName, StorageIds::untitledReelName);
    EXPECT_TRUE (p.reelEjectedByDevice);
    EXPECT_TRUE (p.reelEjectedMessage.startsWith ("The Audio Device Sample Rate changed.")) << p.reelEjectedMessage;
    EXPECT_TRUE (p.reelEjectedMessage.contains ("recovery copy")) << p.reelEjectedMessage;

    const auto take = reel ("Song").getChildFile ("Recovery/track_3.wav");
    ASSERT_TRUE (take.existsAsFile());
    EXPECT_NEAR (sampleOnDisk (take, 1000), 0.75f * std::sin (0.01f * 1002.0f), 1.0e-3f);
    EXPECT_TRUE (p.reelLibrary.hasNewerRecovery ("Song"));

    // Opening the reel again keeps the rescued take until the user chooses.
    ASSERT_TRUE (p.loadReel ("Song", 0));
    EXPECT_TRUE (reel ("Song").getChildFile ("Recovery/track_3.wav").existsAsFile());
}

TEST_F (ReelTest, ARateChangeKeepsAnUntitledTapesTakesAsATapeOfItsOwn)
{
    p.prepareToPlay (48000.0, 512);
    p.reelName = StorageIds::untitledReelName;
    record (1, 1.0, 0.5f);
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk()); // the scratch tape's recovery copy

    p.prepareToPlay (44100.0, 512);
    EXPECT_TRUE (p.reelEjectedByDevice);
    EXPECT_TRUE (p.reelEjectedMessage.contains ("Rescued Tape")) << p.reelEjectedMessage;
    const auto rescued = reel ("Rescued Tape").getChildFile ("track_2.wav");
    ASSERT_TRUE (rescued.existsAsFile());
    EXPECT_NEAR (sampleOnDisk (rescued, 1000), 0.5f * std::sin (0.01f * 1001.0f), 1.0e-3f);
    EXPECT_FALSE (p.hasUnsavedChanges());
    EXPECT_EQ (p.tracks[1].getAudio().getSample (0, 1000), 0.0f);

    // A blank scratch tape: nothing to keep or say.
    p.reelEjectedByDevice = false;
    p.prepareToPlay (48000.0, 512);
    EXPECT_FALSE (p.reelEjectedByDevice);
}

TEST_F (ReelTest, ABlankTapeNeverOverwritesTheRecoveryCopyThatHoldsTheTake)
{
    p.prepareToPlay (48000.0, 512);
    p.reelName = StorageIds::untitledReelName;
    record (1, 1.0, 0.5f);
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    const auto recovery = reel ("Untitled").getChildFile ("Recovery");
    const auto kept = snapshot (recovery);

    // The disk is full: the take cannot be kept as a tape of its own.
    ReelFolderWriter::setWriteLimitForTesting (1000);
    p.prepareToPlay (44100.0, 512);
    ReelFolderWriter::setWriteLimitForTesting (-1);
    EXPECT_TRUE (p.reelEjectedByDevice);
    EXPECT_TRUE (p.reelEjectedMessage.contains ("could not be kept")) << p.reelEjectedMessage;

    // Changes to the blank tape are auto-saved, but not over the copy that holds the take.
    int lastSlotTick = 0;
    setParameter (p, ParameterIds::MASTER_VOL, 0.4f);
    p.clearTrack (3);
    p.runAutoSaveTick (1, lastSlotTick);
    EXPECT_EQ (snapshot (recovery), kept);
}

TEST_F (ReelTest, AReelAtARateTheDeviceRefusedKeepsItsAudioWhileTheDeviceKeepsItsRate)
{
    // A reel recorded at 44.1 kHz.
    p.prepareToPlay (44100.0, 512);
    p.reelName = "Song";
    record (0, 1.0, 0.5f);
    ASSERT_TRUE (p.saveReel (0).wasOk());

    // Opened again on a device that stays at 48 kHz (it refused the reel's rate): the tape
    // keeps its rate and its audio, and the user hears why it sounds off.
    p.prepareToPlay (48000.0, 512);
    p.reelEjectedByDevice = false;
    ASSERT_TRUE (p.loadReel ("Song", 0));
    ASSERT_EQ (p.tracks[0].sampleRate, 44100.0);
    EXPECT_TRUE (p.reelLoadWarning.contains ("44100 Hz")) << p.reelLoadWarning;
    EXPECT_TRUE (p.reelLoadWarning.contains ("48000 Hz")) << p.reelLoadWarning;
    record (2, 0.5, 0.75f); // a take not saved yet
    const auto saved = p.tracks[0].getAudio().getSample (0, 1000);
    const auto take = p.tracks[2].getAudio().getSample (0, 1000);
    const auto length = p.tracks[0].getAudio().getNumSamples();
    ASSERT_NE (saved, 0.0f);

    // The device restarts at the same rate (another buffer size, the same settings again), and
    // at last at the reel's own rate: the tape stays open as it was.
    for (const auto& [deviceRate, blockSize] :
         {std::pair (48000.0, 256), std::pair (48000.0, 512), std::pair (44100.0, 512)})
    {
        SCOPED_TRACE (juce::String (deviceRate) + " Hz / " + juce::String (blockSize));
        p.prepareToPlay (deviceRate, blockSize);
        EXPECT_EQ (p.reelName, "Song");
        EXPECT_FALSE (p.reelEjectedByDevice);
        EXPECT_EQ (p.tracks[0].sampleRate, 44100.0);
        EXPECT_EQ (p.tracks[0].getAudio().getNumSamples(), length);
        EXPECT_EQ (p.tracks[0].getAudio().getSample (0, 1000), saved);
        EXPECT_EQ (p.tracks[2].getAudio().getSample (0, 1000), take);
        EXPECT_TRUE (p.tracks[2].dirty);
    }

    // A real change of the device's rate away from the reel's closes it, the unsaved take kept.
    p.prepareToPlay (96000.0, 512);
    EXPECT_TRUE (p.reelEjectedByDevice);
    EXPECT_EQ (p.reelName, StorageIds::untitledReelName);
    const auto rescued = reel ("Song").getChildFile ("Recovery/track_3.wav");
    ASSERT_TRUE (rescued.existsAsFile());
    EXPECT_NEAR (sampleOnDisk (rescued, 1000), take, 1.0e-3f);
}

TEST_F (ReelTest, AnEjectedReelsBlankTapeLeavesTheScratchRecoveryCopyWithItsTake)
{
    // A scratch tape's recovery copy with a take in it, left from an earlier session.
    p.prepareToPlay (48000.0, 512);
    p.reelName = StorageIds::untitledReelName;
    record (1, 1.0, 0.5f);
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    const auto scratchRecovery = reel (StorageIds::untitledReelName).getChildFile ("Recovery");
    const auto kept = snapshot (scratchRecovery);

    // A named reel is open when the device's rate changes: it is closed and the tape blanked,
    // and the user is told.
    p.reelName = "Song";
    record (0, 1.0, 0.25f);
    ASSERT_TRUE (p.saveReel (0).wasOk());
    p.prepareToPlay (44100.0, 512);
    EXPECT_TRUE (p.reelEjectedByDevice);
    EXPECT_TRUE (p.reelEjectedMessage.startsWith ("The Audio Device Sample Rate changed.")) << p.reelEjectedMessage;
    ASSERT_EQ (p.reelName, StorageIds::untitledReelName);
    EXPECT_EQ (p.tracks[0].recordedLength, 0);

    // The blank tape's changes are auto-saved, but never over the copy that holds the take.
    setParameter (p, ParameterIds::MASTER_VOL, 0.4f);
    int lastSlotTick = 0;
    p.runAutoSaveTick (1, lastSlotTick);
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    EXPECT_EQ (snapshot (scratchRecovery), kept);

    // Once the tape holds a recording again, its recovery copy is written as usual.
    record (3, 0.5);
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    EXPECT_NE (snapshot (scratchRecovery), kept);
}
