#include "engine/SaveReelThread.h"
#include "platform/SimulatedAudioDeviceType.h"
#include "tests/reel/ReelTestSupport.h"

#include <juce_audio_utils/juce_audio_utils.h>

TEST_F (ReelTest, ASaveThatFailsHalfWayLeavesTheOldReelAndTheUnsavedState)
{
    p.reelName = "Song";
    record (0, 1.0, 0.25f);
    setParameter (p, ParameterIds::MASTER_VOL, 0.2f);
    ASSERT_TRUE (p.saveReel (0).wasOk());
    ASSERT_TRUE (p.saveReel (-1).wasOk()); // a recovery copy that a failed main save must keep
    const auto before = snapshot (reel ("Song"));

    // A disk that fills up: the small files fit, a track file does not.
    record (0, 2.0, 0.75f);
    setParameter (p, ParameterIds::MASTER_VOL, 0.9f);
    ReelFolderWriter::setWriteLimitForTesting (50000);
    const auto result = p.saveReel (0);
    ReelFolderWriter::setWriteLimitForTesting (-1);

    EXPECT_TRUE (result.failed());
    EXPECT_TRUE (result.getErrorMessage().isNotEmpty());
    EXPECT_TRUE (p.hasUnsavedChanges());
    EXPECT_TRUE (p.tracks[0].dirty);
    EXPECT_EQ (snapshot (reel ("Song")), before); // not one byte changed, no temporary files

    // The old reel is whole.
    ASSERT_TRUE (p.loadReel ("Song", 2) == false);
    ASSERT_TRUE (p.loadReel ("Song", 0));
    EXPECT_NEAR (raw (p, ParameterIds::MASTER_VOL), 0.2f, 1e-4f);
    EXPECT_EQ (p.tracks[0].recordedLength, 96000);
}

TEST_F (ReelTest, ASaveIntoAPlaceThatCannotBeWrittenFailsAndChangesNothing)
{
    p.reelName = "Song";
    ASSERT_TRUE (p.saveReel (0).wasOk());
    record (1, 0.5);

    // A regular file where the snapshot folder should be: nothing can be created there.
    reel ("Song").getChildFile ("State_2").replaceWithText ("in the way");
    const auto before = snapshot (reel ("Song"));
    EXPECT_TRUE (p.saveReel (2).failed());
    EXPECT_EQ (snapshot (reel ("Song")), before);
    EXPECT_TRUE (p.hasUnsavedChanges());

    // A background save that fails says so for the editor, and the next good one clears it.
    reel ("Song").getChildFile ("Recovery").replaceWithText ("in the way");
    EXPECT_TRUE (p.saveReel (-1).failed());
    EXPECT_TRUE (p.backgroundSaveFailed);
    EXPECT_TRUE (p.backgroundSaveError.isNotEmpty());
    reel ("Song").getChildFile ("Recovery").deleteFile();
    EXPECT_TRUE (p.saveReel (-1).wasOk());
    EXPECT_FALSE (p.backgroundSaveFailed);
}

TEST_F (ReelTest, ReelNamesThatAreNotAFolderOfTheLibraryAreRefused)
{
    ASSERT_TRUE (p.reelLibrary.createReel ("Taken", 10.0, 48000.0, 8).wasOk());
    p.reelName = "Song";
    ASSERT_TRUE (p.saveReel (0).wasOk());
    const auto outside = snapshot (temp.getFile());

    for (const auto* name : {"", ".", "..", "../Escape", "a/b", "a\\b", "Tab\there", "Dot.", "Space ", "Untitled",
                             "untitled", "Old (recovered)", "TAKEN", "~", "shelf_layout.xml"})
    {
        SCOPED_TRACE (name);
        EXPECT_TRUE (p.saveReelAs (name).failed());
        EXPECT_TRUE (p.reelLibrary.createReel (name, 10.0, 48000.0, 8).failed());
        EXPECT_EQ (p.reelName, "Song");
    }

    EXPECT_EQ (snapshot (temp.getFile()), outside);

    // The writer itself reaches nothing outside the library, whatever the open reel is called.
    p.reelName = "../Escape";
    EXPECT_TRUE (p.saveReel (-1).failed());
    EXPECT_TRUE (p.saveReel (0).failed());
    EXPECT_FALSE (temp.getFile().getChildFile ("music/Velmora/Dravin 8/Escape").exists());
    EXPECT_FALSE (p.loadReel ("..", 0));
}

TEST_F (ReelTest, SaveAsLeavesAScratchReelAndARecoveredReelSavesBackOverItsReel)
{
    record (0, 0.5);
    ASSERT_EQ (p.reelName, "Untitled");
    EXPECT_TRUE (p.saveReel (0).failed()); // the caller has to ask for a name
    ASSERT_TRUE (p.saveReel (-1).wasOk());
    EXPECT_TRUE (reel ("Untitled").getChildFile ("Recovery").isDirectory());

    ASSERT_TRUE (p.saveReelAs ("Song").wasOk());
    EXPECT_EQ (p.reelName, "Song");
    EXPECT_FALSE (p.hasUnsavedChanges());
    EXPECT_FALSE (reel ("Untitled").exists());
    EXPECT_TRUE (reel ("Song").getChildFile ("Song.reel").existsAsFile());

    // Recovered: saving the main copy writes Song, deletes its recovery copy, and is clean.
    record (1, 0.5);
    ASSERT_TRUE (p.saveReel (-1).wasOk());
    ASSERT_TRUE (p.loadReel ("Song", -1));
    EXPECT_EQ (p.tracks[1].recordedLength, 72000);
    ASSERT_TRUE (p.saveReel (0).wasOk());
    EXPECT_EQ (p.reelName, "Song");
    EXPECT_FALSE (reel ("Song").getChildFile ("Recovery").exists());
    EXPECT_FALSE (p.hasUnsavedChanges());
    ASSERT_TRUE (p.loadReel ("Song", 0));
    EXPECT_EQ (p.tracks[1].recordedLength, 72000 + 48000); // each file carries one second more

    // Eject: a named reel's folder stays; a scratch one goes with its copies.
    p.ejectReel();
    EXPECT_EQ (p.reelName, "Untitled");
    EXPECT_TRUE (reel ("Song").isDirectory());
    record (2, 0.25);
    ASSERT_TRUE (p.saveReel (1).wasOk());
    EXPECT_TRUE (reel ("Untitled").getChildFile ("State_1_Auto").isDirectory());
    p.ejectReel();
    EXPECT_FALSE (reel ("Untitled").exists());
}

TEST_F (ReelTest, BackgroundCopiesFollowTheTapeAcrossMainSaves)
{
    p.reelName = "Song";
    ASSERT_TRUE (p.saveReel (0).wasOk());
    const auto autoCopy = reel ("Song").getChildFile ("State_1_Auto");

    // Saving slot 1 twice without changes rewrites no track file the second time.
    ASSERT_TRUE (p.saveReel (1).wasOk());
    autoCopy.getChildFile ("track_4.wav").replaceWithText ("marker");
    ASSERT_TRUE (p.saveReel (1).wasOk());
    EXPECT_EQ (autoCopy.getChildFile ("track_4.wav").loadFileAsString(), "marker");

    // A track recorded and then saved to the main copy (which clears its dirty flag) still
    // reaches the auto-save copy at its next save; a snapshot rewrites every track.
    autoCopy.getChildFile ("track_4.wav").deleteFile();
    ASSERT_TRUE (p.saveReel (1).wasOk());
    record (4, 1.0);
    ASSERT_TRUE (p.saveReel (0).wasOk());
    ASSERT_FALSE (p.tracks[4].dirty);
    ASSERT_TRUE (p.saveReel (1).wasOk());
    EXPECT_EQ (autoCopy.getChildFile ("track_5.wav").getSize(), 104 + 2 * 96000);

    ASSERT_TRUE (p.saveReel (3).wasOk());
    reel ("Song").getChildFile ("State_3/track_1.wav").replaceWithText ("marker");
    ASSERT_TRUE (p.saveReel (3).wasOk());
    EXPECT_EQ (reel ("Song").getChildFile ("State_3/track_1.wav").getSize(), 104 + 2 * 48000);
}

TEST_F (ReelTest, ARecoveryCopyIsNewerOnlyWhenItsSettingsAre)
{
    p.reelName = "Song";
    EXPECT_FALSE (p.reelLibrary.hasNewerRecovery ("Song"));
    ASSERT_TRUE (p.saveReel (-1).wasOk());
    EXPECT_TRUE (p.reelLibrary.hasNewerRecovery ("Song")); // only the recovery copy exists

    ASSERT_TRUE (p.saveReel (0).wasOk()); // deletes it
    EXPECT_FALSE (p.reelLibrary.hasNewerRecovery ("Song"));

    ASSERT_TRUE (p.saveReel (-1).wasOk());
    const auto main = reel ("Song").getChildFile ("settings.xml");
    const auto recovery = reel ("Song").getChildFile ("Recovery/settings.xml");
    const juce::Time t (2024, 1, 1, 12, 0);
    main.setLastModificationTime (t);
    recovery.setLastModificationTime (t);
    EXPECT_FALSE (p.reelLibrary.hasNewerRecovery ("Song"));
    recovery.setLastModificationTime (t + juce::RelativeTime::seconds (2));
    EXPECT_TRUE (p.reelLibrary.hasNewerRecovery ("Song"));
}

TEST_F (ReelTest, AReelLoadsOnADeviceAtAnotherRateThroughTheRateSwitch)
{
    SimulatedAudioDevice::Config config;
    config.name = "Test Interface";
    config.clock = SimulatedAudioDevice::Clock::manual;
    config.sampleRates = {44100.0, 48000.0};
    juce::AudioDeviceManager manager;
    juce::AudioProcessorPlayer player;
    manager.addAudioDeviceType (
        std::make_unique<SimulatedAudioDeviceType> (juce::Array<SimulatedAudioDevice::Config>{config}));
    manager.setCurrentAudioDeviceType (SimulatedAudioDeviceType::typeName, true);

    juce::AudioDeviceManager::AudioDeviceSetup setup;
    setup.outputDeviceName = setup.inputDeviceName = "Test Interface";
    setup.sampleRate = 48000.0;
    setup.bufferSize = 512;
    ASSERT_EQ (manager.initialise (2, 2, nullptr, false, {}, &setup), juce::String());
    p.deviceManager = &manager;
    player.setProcessor (&p);
    manager.addAudioCallback (&player);

    ASSERT_TRUE (p.reelLibrary.createReel ("Old Session", 20.0, 44100.0, 16).wasOk());
    ASSERT_TRUE (p.loadReel ("Old Session", 0));

    EXPECT_EQ (manager.getAudioDeviceSetup().sampleRate, 44100.0);
    EXPECT_EQ (p.getSampleRate(), 44100.0);
    EXPECT_EQ (p.reelName, "Old Session");
    ASSERT_EQ (p.tracks.size(), 16u);
    EXPECT_EQ (p.tracks[15].sampleRate, 44100.0);
    EXPECT_EQ (p.tracks[15].getAudio().getNumSamples(), 44100 * 20);

    // Within a hertz the device is left as it is.
    ASSERT_TRUE (p.reelLibrary.createReel ("Close", 20.0, 44100.5, 8).wasOk());
    ASSERT_TRUE (p.loadReel ("Close", 0));
    EXPECT_EQ (manager.getAudioDeviceSetup().sampleRate, 44100.0);

    manager.removeAudioCallback (&player);
    player.setProcessor (nullptr);
    manager.closeAudioDevice();
    p.deviceManager = nullptr;
}

TEST_F (ReelTest, TheSaveThreadSavesASlotOrUnderANewNameAndReportsOnTheMessageThread)
{
    p.reelName = "Song";
    record (0, 0.5);

    const auto runSave = [this] (int slot, const juce::String& name)
    {
        SaveReelThread thread (p, slot, name);
        std::optional<juce::Result> reported;
        thread.onComplete = [&reported] (juce::Result r)
        {
            EXPECT_TRUE (juce::MessageManager::getInstance()->isThisTheMessageThread());
            reported = r;
        };
        thread.startThread();

        // A busy machine may take a while: the save takes its rack on the message thread too.
        const auto end = juce::Time::getMillisecondCounter() + 60000;

        while (! reported.has_value() && juce::Time::getMillisecondCounter() < end)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

        EXPECT_EQ (thread.getStatusMessage(), "Writing audio to disk...");

        if (reported.has_value() && reported->wasOk())
        {
            EXPECT_EQ (thread.getProgress(), 1.0);
        }

        return reported;
    };

    auto first = runSave (3, {});
    ASSERT_TRUE (first.has_value());
    EXPECT_TRUE (first->wasOk());
    EXPECT_TRUE (reel ("Song").getChildFile ("State_3/settings.xml").existsAsFile());

    auto second = runSave (3, "Copy");
    ASSERT_TRUE (second.has_value());
    EXPECT_TRUE (second->wasOk());
    EXPECT_EQ (p.reelName, "Copy");
    EXPECT_TRUE (reel ("Copy").getChildFile ("Copy.reel").existsAsFile());

    auto refused = runSave (0, "song");
    ASSERT_TRUE (refused.has_value());
    EXPECT_TRUE (refused->failed());
}
