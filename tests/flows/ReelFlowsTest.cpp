#include "platform/SimulatedAudioDeviceType.h"
#include "storage/ReelFolderFormat.h"
#include "tests/flows/FlowsTestSupport.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/deck/SaveReelProgress.h"

using namespace FlowsTest;

namespace
{
using Fixture = FlowsFixture;

/** The reel's recovery copy, written after the reel and so newer than it. */
void writeNewerRecovery (TavrelDelayAudioProcessor& p, const juce::File& reelFolder)
{
    ASSERT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
    reelFolder.getChildFile (StorageIds::settingsFile)
        .setLastModificationTime (juce::Time::getCurrentTime() - juce::RelativeTime::hours (1));
}

bool showsDeck (TavrelDelayAudioProcessorEditor& editor)
{
    return ! editor.tapeRoomShowing && editor.deckPanel.isVisible();
}
} // namespace

//==============================================================================
// Opening from the library

TEST_F (Fixture, AReelWithoutANewerRecoveryOpensAtOnce)
{
    makeReel ("Song", 16);
    editor->openReelFromLibrary ("Song");

    EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr);
    EXPECT_EQ (processor->getReelName(), "Song");
    EXPECT_TRUE (showsDeck (*editor));
    EXPECT_TRUE (editor->trackPageButton.isVisible());
    EXPECT_EQ (editor->trackPageButton.getButtonText(), "TRACKS 1-8");
}

TEST_F (Fixture, RecoveryIsOfferedWhenNewerAndRecoverOpensTheCopy)
{
    openChangedReel ("Song");
    writeNewerRecovery (*processor, root().getChildFile ("Song"));
    editor->ejectToLibrary();
    ASSERT_TRUE (editor->tapeRoomShowing);

    editor->openReelFromLibrary ("Song");
    auto* dialog = waitForDialog ("Crash Recovery");
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (buttonTexts (*dialog), juce::StringArray ({"Recover", "Discard"}));
    EXPECT_TRUE (editor->tapeRoomShowing); // nothing loaded while it asks

    ASSERT_TRUE (answer ("Crash Recovery", "Recover"));
    EXPECT_EQ (processor->getReelName(), "Song (Recovered)");
    EXPECT_TRUE (showsDeck (*editor));
}

TEST_F (Fixture, DiscardAsksAgainAndEitherKeepsTheLibraryOrDeletesTheCopy)
{
    openChangedReel ("Song");
    writeNewerRecovery (*processor, root().getChildFile ("Song"));
    editor->ejectToLibrary();

    editor->openReelFromLibrary ("Song");
    ASSERT_TRUE (answer ("Crash Recovery", "Discard"));
    ASSERT_TRUE (answer ("Discard Unsaved Work?", "Cancel"));
    EXPECT_TRUE (editor->tapeRoomShowing);
    EXPECT_EQ (processor->getReelName(), "Untitled");
    EXPECT_TRUE (processor->reelLibrary.hasNewerRecovery ("Song"));

    editor->openReelFromLibrary ("Song");
    ASSERT_TRUE (answer ("Crash Recovery", "Discard"));
    ASSERT_TRUE (answer ("Discard Unsaved Work?", "Yes, Discard"));
    EXPECT_EQ (processor->getReelName(), "Song");
    EXPECT_FALSE (processor->reelLibrary.hasNewerRecovery ("Song"));
    EXPECT_TRUE (showsDeck (*editor));
}

TEST_F (Fixture, AReelThatCannotBeReadLeavesTheLibraryShowing)
{
    editor->openReelFromLibrary ("Nowhere");
    ASSERT_TRUE (answer ("Reel Not Found", "OK"));
    EXPECT_TRUE (editor->tapeRoomShowing);
}

//==============================================================================
// Snapshots

TEST_F (Fixture, StatesAreSavedToSlotsTwoToFourAndLoadedBack)
{
    openChangedReel ("Song");

    for (const int slot : {2, 3, 4})
    {
        const auto title = "Save to Slot " + juce::String (slot) + "?";
        editor->handleMenuCommand (MenuCommands::saveState2 + slot - 2, -1);
        ASSERT_TRUE (answer (title, "Save State"));
        auto* done = waitForDialog ("State Saved");
        ASSERT_NE (done, nullptr);
        EXPECT_EQ (done->getProperties()["bodyText"].toString(),
                   "Mix successfully saved to Slot " + juce::String (slot) + "!");
        ASSERT_TRUE (answer ("State Saved", "OK"));
        EXPECT_TRUE (processor->reelLibrary.hasSnapshot ("Song", slot));
    }

    // Cancel writes nothing.
    root().getChildFile ("Song").getChildFile ("State_4").deleteRecursively();
    editor->handleMenuCommand (MenuCommands::saveState4, -1);
    ASSERT_TRUE (answer ("Save to Slot 4?", "Cancel"));
    EXPECT_FALSE (processor->reelLibrary.hasSnapshot ("Song", 4));

    // Loading slot 3 of a recovered reel reads its base name's slot.
    processor->setReelName ("Song (Recovered)");
    editor->handleMenuCommand (MenuCommands::loadSlot3, -1);
    ASSERT_TRUE (answer ("Load Slot 3?", "Load State"));
    ASSERT_TRUE (answer ("State Loaded", "OK"));
    EXPECT_EQ (processor->getReelName(), "Song");
    EXPECT_EQ (processor->currentSlot.load(), 3);
}

TEST_F (Fixture, AStateThatFailsToSaveIsNotReportedAsSaved)
{
    openChangedReel ("Song");
    ReelFolderWriter::setWriteLimitForTesting (0); // a full disk

    editor->handleMenuCommand (MenuCommands::saveState2, -1);
    ASSERT_TRUE (answer ("Save to Slot 2?", "Save State"));
    EXPECT_NE (waitForDialog ("Save Failed"), nullptr);
    EXPECT_EQ (FlowDialog::findOpenDialog ("State Saved"), nullptr);
    EXPECT_FALSE (processor->reelLibrary.hasSnapshot ("Song", 2));
}

TEST_F (Fixture, AMissingStateIsReportedAndTheMixStays)
{
    openChangedReel ("Song");
    editor->handleMenuCommand (MenuCommands::loadSlot2, -1);
    ASSERT_TRUE (answer ("Load Slot 2?", "Load State"));
    EXPECT_NE (waitForDialog ("State Not Loaded"), nullptr);
    EXPECT_EQ (FlowDialog::findOpenDialog ("State Loaded"), nullptr);
    EXPECT_TRUE (processor->hasUnsavedChanges());
}

//==============================================================================
// Saving and ejecting

TEST_F (Fixture, SaveReelWithoutATapeSaysSoAndRevertsAfterAMoment)
{
    editor->saveReelClicked();
    EXPECT_EQ (editor->saveReelButton.getButtonText(), "NO TAPE!");
    EXPECT_TRUE (runMessagesUntil ([&] { return editor->saveReelButton.getButtonText() == "SAVE REEL"; }, 3000));
}

TEST_F (Fixture, SaveReelSavesBehindTheProgressWindowAndSaysSaved)
{
    openChangedReel ("Song");
    editor->saveReelClicked();
    EXPECT_TRUE (runMessagesUntil ([&] { return editor->saveReelButton.getButtonText() == "SAVED!"; }, 10000));
    EXPECT_FALSE (processor->hasUnsavedChanges());
}

TEST_F (Fixture, AFailedSaveReelIsReportedNotCelebrated)
{
    openChangedReel ("Song");
    ReelFolderWriter::setWriteLimitForTesting (0);

    editor->saveReelClicked();
    EXPECT_NE (waitForDialog ("Save Failed"), nullptr);
    EXPECT_NE (editor->saveReelButton.getButtonText(), "SAVED!");
    EXPECT_TRUE (processor->hasUnsavedChanges());
}

TEST_F (Fixture, EjectAsksOnlyWithUnsavedChanges)
{
    makeReel ("Song");
    ASSERT_TRUE (editor->openReelAndResetView ("Song", 0));
    processor->clearUnsavedChanges();

    editor->handleMenuCommand (MenuCommands::closeReel, -1);
    EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr);
    EXPECT_TRUE (editor->tapeRoomShowing);
    EXPECT_EQ (processor->getReelName(), "Untitled");
}

TEST_F (Fixture, SaveAndEjectSavesFirst)
{
    openChangedReel ("Song");
    processor->parameters.state.setProperty ("TrackName_1", "Kick", nullptr);

    editor->ejectClicked();
    auto* dialog = waitForDialog ("Eject Reel");
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (buttonTexts (*dialog), juce::StringArray ({"Save & Eject", "Eject (Discard Changes)", "Cancel"}));
    ASSERT_TRUE (answer ("Eject Reel", "Save & Eject"));

    EXPECT_TRUE (editor->tapeRoomShowing);
    EXPECT_EQ (processor->getReelName(), "Untitled");
    ASSERT_TRUE (processor->loadReel ("Song", 0));
    EXPECT_EQ (processor->parameters.state.getProperty ("TrackName_1").toString(), "Kick");
}

TEST_F (Fixture, SaveAndEjectThatFailsKeepsTheReelOpen)
{
    openChangedReel ("Song");
    ReelFolderWriter::setWriteLimitForTesting (0);

    editor->ejectClicked();
    ASSERT_TRUE (answer ("Eject Reel", "Save & Eject"));
    EXPECT_NE (waitForDialog ("Save Failed"), nullptr);
    EXPECT_FALSE (editor->tapeRoomShowing);
    EXPECT_EQ (processor->getReelName(), "Song");
    EXPECT_TRUE (processor->hasUnsavedChanges());
}

TEST_F (Fixture, EjectDiscardingChangesRemovesTheRecoveryCopy)
{
    openChangedReel ("Song");
    writeNewerRecovery (*processor, root().getChildFile ("Song"));

    editor->ejectClicked();
    ASSERT_TRUE (answer ("Eject Reel", "Eject (Discard Changes)"));
    EXPECT_TRUE (editor->tapeRoomShowing);
    EXPECT_FALSE (root().getChildFile ("Song").getChildFile ("Recovery").exists());
}

TEST_F (Fixture, SaveAsValidatesTheNameAndAsksBeforeReplacing)
{
    makeReel ("Other");
    openChangedReel ("Song");

    editor->handleMenuCommand (MenuCommands::saveAs, -1);
    auto* dialog = waitForDialog ("Save As...");
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getTextEditorContents ("newName"), "Song Copy");

    // Blanks only: nothing at all.
    dialog->getTextEditor ("newName")->setText ("   ");
    ASSERT_TRUE (answer ("Save As...", "Save"));
    runMessages (20);
    EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr);

    // A name that cannot be a reel is refused with the library's reason.
    editor->handleMenuCommand (MenuCommands::saveAs, -1);
    waitForDialog ("Save As...")->getTextEditor ("newName")->setText ("a/b");
    ASSERT_TRUE (answer ("Save As...", "Save"));
    ASSERT_TRUE (answer ("Invalid Name", "OK"));
    EXPECT_EQ (processor->getReelName(), "Song");

    // An existing reel is replaced only when the user says so.
    editor->handleMenuCommand (MenuCommands::saveAs, -1);
    waitForDialog ("Save As...")->getTextEditor ("newName")->setText ("Other");
    ASSERT_TRUE (answer ("Save As...", "Save"));
    ASSERT_TRUE (answer ("Replace Reel?", "Cancel"));
    EXPECT_EQ (processor->getReelName(), "Song");

    editor->handleMenuCommand (MenuCommands::saveAs, -1);
    waitForDialog ("Save As...")->getTextEditor ("newName")->setText ("Other");
    ASSERT_TRUE (answer ("Save As...", "Save"));
    ASSERT_TRUE (answer ("Replace Reel?", "Replace"));
    EXPECT_EQ (processor->getReelName(), "Other");
    EXPECT_FALSE (processor->hasUnsavedChanges());

    // A free name saves a new reel.
    editor->handleMenuCommand (MenuCommands::saveAs, -1);
    ASSERT_TRUE (answer ("Save As...", "Save"));
    EXPECT_EQ (processor->getReelName(), "Other Copy");
    EXPECT_TRUE (root().getChildFile ("Other Copy").getChildFile (StorageIds::settingsFile).existsAsFile());
}

//==============================================================================
// Opening from the menu

TEST_F (Fixture, AnArchiveOpensTheReelTheImportMade)
{
    makeReel ("B");
    const auto archive = temp / "B.zip";
    ASSERT_TRUE (processor->reelLibrary.zipReel ("B", archive).wasOk());

    editor->openReelChosen (archive);
    EXPECT_EQ (processor->getReelName(), "B (2)"); // "B" was taken: the import chose another name
    EXPECT_EQ (editor->trackPageButton.getButtonText(), "TRACKS\n1 - 8");
    EXPECT_TRUE (archive.existsAsFile());
    EXPECT_EQ (libraryFolders(), juce::StringArray ({"B", "B (2)"}));

    // An archive that holds no reel says so, leaves no folder and keeps the open reel.
    const auto damaged = temp / "Damaged.zip";
    {
        juce::ZipFile::Builder builder;
        builder.addEntry (new juce::MemoryInputStream ("no reel here", 12, false), 0, "readme.txt",
                          juce::Time::getCurrentTime());
        juce::FileOutputStream out (damaged);
        ASSERT_TRUE (out.openedOk());
        ASSERT_TRUE (builder.writeToStream (out, nullptr));
    }
    editor->openReelChosen (damaged);
    ASSERT_TRUE (answer ("Import Failed", "OK"));
    EXPECT_EQ (processor->getReelName(), "B (2)");
    EXPECT_EQ (libraryFolders(), juce::StringArray ({"B", "B (2)"}));
    EXPECT_TRUE (damaged.existsAsFile());
}

TEST_F (Fixture, APointerFileOpensItsReelAndLeavesNoFolderBehind)
{
    makeReel ("Song");
    const auto pointer = root().getChildFile ("Song").getChildFile ("Song.reel");
    ASSERT_TRUE (pointer.existsAsFile());

    editor->openReelChosen (pointer);
    EXPECT_EQ (processor->getReelName(), "Song");
    EXPECT_EQ (libraryFolders(), juce::StringArray ({"Song"}));

    // A pointer that lost its reel says so and makes nothing.
    const auto stray = temp / "Lost.reel";
    stray.replaceWithText ("pointer");
    editor->openReelChosen (stray);
    ASSERT_TRUE (answer ("Missing Audio Files", "OK"));
    EXPECT_EQ (libraryFolders(), juce::StringArray ({"Song"}));
}

TEST_F (Fixture, FoldersMustBeReelsInTheLibrary)
{
    makeReel ("Song");
    const auto empty = temp / "Empty";
    empty.createDirectory();
    editor->openReelChosen (empty);
    ASSERT_TRUE (answer ("Invalid Reel", "OK"));

    editor->openReelChosen (root().getChildFile ("Song"));
    EXPECT_EQ (processor->getReelName(), "Song");

    // Nothing happens for a file of another kind or a path that does not exist.
    editor->openReelChosen (temp / "missing.zip");
    const auto text = temp / "notes.txt";
    text.replaceWithText ("x");
    editor->openReelChosen (text);
    runMessages (20);
    EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr);
}

TEST_F (Fixture, OpeningAnotherReelGoesOnOnlyWhenTheSaveWorked)
{
    makeReel ("Next");
    openChangedReel ("Song");

    ReelFolderWriter::setWriteLimitForTesting (0);
    editor->openReelFromMenu ("Next");
    ASSERT_TRUE (answer ("Open Reel", "Save"));
    EXPECT_NE (waitForDialog ("Save Failed"), nullptr);
    EXPECT_EQ (processor->getReelName(), "Song");
    EXPECT_TRUE (processor->hasUnsavedChanges());
    dismissAllDialogs();

    ReelFolderWriter::setWriteLimitForTesting (-1);
    editor->openReelFromMenu ("Next");
    ASSERT_TRUE (answer ("Open Reel", "Save"));
    EXPECT_EQ (processor->getReelName(), "Next");
}

TEST_F (Fixture, DontSaveConfirmsBeforeDiscarding)
{
    makeReel ("Next");
    openChangedReel ("Song");

    editor->openReelFromMenu ("Next");
    ASSERT_TRUE (answer ("Open Reel", "Don't Save"));
    ASSERT_TRUE (answer ("Discard Changes?", "Cancel"));
    EXPECT_EQ (processor->getReelName(), "Song");

    editor->openReelFromMenu ("Next");
    ASSERT_TRUE (answer ("Open Reel", "Don't Save"));
    ASSERT_TRUE (answer ("Discard Changes?", "Yes, Discard"));
    EXPECT_EQ (processor->getReelName(), "Next");
}

//==============================================================================
// The low-rate device prompt of the library path

namespace
{
struct DeviceFixture : public FlowsFixture
{
    void SetUp() override
    {
        FlowsFixture::SetUp();
        SimulatedAudioDevice::Config config;
        config.name = "Headset";
        config.clock = SimulatedAudioDevice::Clock::manual;
        config.sampleRates = {22050.0, 44100.0, 48000.0};
        manager.addAudioDeviceType (
            std::make_unique<SimulatedAudioDeviceType> (juce::Array<SimulatedAudioDevice::Config>{config}));
        manager.setCurrentAudioDeviceType (SimulatedAudioDeviceType::typeName, true);
        processor->deviceManager = &manager;
    }

    void TearDown() override
    {
        processor->deviceManager = nullptr;
        manager.closeAudioDevice();
        FlowsFixture::TearDown();
    }

    void openDeviceAt (double rate)
    {
        juce::AudioDeviceManager::AudioDeviceSetup setup;
        setup.outputDeviceName = setup.inputDeviceName = "Headset";
        setup.sampleRate = rate;
        setup.useDefaultInputChannels = false;
        setup.inputChannels.setRange (0, 2, true);
        ASSERT_EQ (manager.initialise (2, 2, nullptr, false, {}, &setup), juce::String());
        ASSERT_EQ (manager.getCurrentAudioDevice()->getCurrentSampleRate(), rate);
    }

    juce::AudioDeviceManager manager;
};
} // namespace

TEST_F (DeviceFixture, ADeviceAbove24kHzIsNotQuestioned)
{
    makeReel ("Song");
    openDeviceAt (44100.0);
    editor->openReelFromLibrary ("Song");
    EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr);
    EXPECT_EQ (processor->getReelName(), "Song");
}

TEST_F (DeviceFixture, ALowRateDeviceIsOfferedFortyEightKilohertzWithoutItsMicrophone)
{
    makeReel ("Song");
    openDeviceAt (22050.0);

    // Keep: the reel opens at once and the inputs stay.
    editor->openReelFromLibrary ("Song");
    EXPECT_TRUE (editor->tapeRoomShowing);
    ASSERT_TRUE (answer ("Bluetooth Audio", "Keep Mic (24kHz)"));
    EXPECT_EQ (processor->getReelName(), "Song");
    EXPECT_GT (manager.getCurrentAudioDevice()->getActiveInputChannels().countNumberOfSetBits(), 0);

    editor->ejectToLibrary();
    openDeviceAt (22050.0);

    // Disable: the device loses its inputs and runs at 48 kHz; the reel opens half a second later.
    editor->openReelFromLibrary ("Song");
    ASSERT_TRUE (answer ("Bluetooth Audio", "Disable Mic (48kHz)"));
    EXPECT_EQ (manager.getCurrentAudioDevice()->getCurrentSampleRate(), 48000.0);
    EXPECT_EQ (manager.getCurrentAudioDevice()->getActiveInputChannels().countNumberOfSetBits(), 0);
    EXPECT_TRUE (editor->tapeRoomShowing);
    EXPECT_TRUE (runMessagesUntil ([&] { return processor->getReelName() == "Song"; }, 3000));
    EXPECT_FALSE (editor->tapeRoomShowing);
}

TEST_F (Fixture, ARecoveredReelIsSavedOverItsOriginalOrAsACopyBesideIt)
{
    openChangedReel ("Song");
    writeNewerRecovery (*processor, root().getChildFile ("Song"));
    editor->ejectToLibrary();

    ASSERT_TRUE (editor->openReelAndResetView ("Song", -1));
    ASSERT_EQ (processor->getReelName(), "Song (Recovered)");
    processor->unsavedChanges = true;

    editor->saveReelClicked();
    auto* dialog = waitForDialog ("Save Recovered Reel");
    ASSERT_NE (dialog, nullptr);
    EXPECT_TRUE (dialog->getProperties()["bodyText"].toString().contains ("overwrite the original 'Song'"));
    ASSERT_TRUE (answer ("Save Recovered Reel", "Save as Copy"));
    EXPECT_TRUE (runMessagesUntil ([&] { return editor->saveReelButton.getButtonText() == "SAVED!"; }, 10000));
    EXPECT_EQ (processor->getReelName(), "Song Copy");
    EXPECT_TRUE (root().getChildFile ("Song Copy").getChildFile (StorageIds::settingsFile).existsAsFile());

    editor->ejectToLibrary();
    ASSERT_TRUE (editor->openReelAndResetView ("Song", -1));
    editor->saveReelClicked();
    ASSERT_TRUE (answer ("Save Recovered Reel", "Overwrite Original"));
    EXPECT_TRUE (runMessagesUntil (
        [&] { return processor->getReelName() == "Song" && ! processor->hasUnsavedChanges(); }, 10000));

    // The save's thread ends after the reel counts as saved: the processor must outlive it.
    EXPECT_TRUE (runMessagesUntil ([] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; },
                                   10000));
    EXPECT_EQ (FlowDialog::findOpenDialog ("Save Failed"), nullptr);
}

TEST_F (Fixture, ADialogStillOpenWhenTheEditorGoesKeepsNoLookOfIt)
{
    openChangedReel ("Song");
    editor->ejectClicked();
    auto* dialog = waitForDialog ("Eject Reel");
    ASSERT_NE (dialog, nullptr);
    const auto* editorLook = &editor->getEditorLook();
    ASSERT_EQ (&dialog->getLookAndFeel(), editorLook);

    editor.reset();
    EXPECT_NE (&dialog->getLookAndFeel(), editorLook);

    // Its answer reaches no editor.
    if (auto* open = FlowDialog::findOpenDialog ("Eject Reel"))
        open->exitModalState (1);
    runMessages (50);
    EXPECT_EQ (processor->getReelName(), "Song");
}
