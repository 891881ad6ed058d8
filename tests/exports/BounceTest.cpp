#include "tests/exports/ExportsTestSupport.h"

using namespace ExportsTest;
namespace Id = ParameterIds;

TEST_F (ExportsFixture, DestinationsAreEveryTrackAndEveryNeighbouringPair)
{
    processor->parameters.state.setProperty ("TrackName_3", "Keys", nullptr);
    const auto list = ExportPanel::bounceDestinations (*processor);

    ASSERT_EQ (list.size(), 15);
    EXPECT_EQ (list[0], "Track 1 (Mono Mixdown)");
    EXPECT_EQ (list[1], "Track 1 & Track 2 (Stereo)");
    EXPECT_EQ (list[5], "Track 3 (Keys) & Track 4 (Stereo)");
    EXPECT_EQ (list[4], "Track 3 (Keys) (Mono Mixdown)");
    EXPECT_EQ (list[14], "Track 8 (Mono Mixdown)");
}

TEST (BouncePrintGain, UndoesTheMasterSection)
{
    const struct
    {
        float masterVolume, gain;
    } cases[] = {{1.0f, 2.857f}, {0.0f, 285.71f}, {0.005f, 285.71f}, {2.0f, 1.4286f}, {4.0f, 0.7143f}};

    for (const auto& c : cases)
        EXPECT_NEAR (ExportPanel::printGain (c.masterVolume), c.gain, c.gain * 1.0e-3) << c.masterVolume;
}

TEST_F (ExportsFixture, TheBounceFileLivesInTheUsersOwnFolder)
{
    const auto file = ExportPanel::internalBounceFile();
    EXPECT_TRUE (file.isAChildOf (Platform::getUserDataFolder()));
    EXPECT_NE (file.getParentDirectory(), juce::File::getSpecialLocation (juce::File::tempDirectory));
    EXPECT_EQ (file.getFileName(), "Dravin8_InternalBounce.wav");
}

TEST_F (ExportsFixture, BouncingToAStereoPairPrintsTheOtherTracksThere)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    // Track 1 plays 441 Hz hard left, track 3 plays 1500 Hz: a bounce to 3 & 4 must carry
    // track 1 and leave track 3's old tone out of the mix.
    recordTone (0, 441.0);
    recordTone (2, 1500.0);
    setParameter (Id::forTrack (Id::PAN_, 1), -1.0f);

    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    panel->startSlider.setValue (2.0);
    panel->endSlider.setValue (6.0);
    click (panel->bounceButton);

    auto* dialog = waitForDialog (ExportPanel::bounceDialogTitle);
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialogText (*dialog),
               "Select destination track(s):\n(These tracks will be automatically excluded from the mixdown)");
    auto* box = dialog->getComboBoxComponent (ExportPanel::destinationBoxName);
    ASSERT_NE (box, nullptr);
    EXPECT_EQ (box->getSelectedItemIndex(), 0);
    box->setSelectedItemIndex (5);
    ASSERT_TRUE (answer (*dialog, "BOUNCE"));

    auto* done = waitForDialog ("Bounce Complete", 30000);
    ASSERT_NE (done, nullptr) << (FlowDialog::findOpenDialog() != nullptr ? FlowDialog::findOpenDialog()->getName()
                                                                          : "");
    EXPECT_EQ (dialogText (*done), "Mixdown successfully printed to Track 3 & 4!");
    answer (*done, "OK");
    EXPECT_TRUE (runMessagesUntil ([&] { return exportPanel() == nullptr; }));

    // Left on track 3, right (silent: track 1 is hard left) on track 4, from 2 s on.
    EXPECT_NEAR (frequencyOn (2, 3.0), 441.0, 3.0);
    EXPECT_GT (levelOn (2, 3.0), 0.1);
    EXPECT_LT (levelOn (3, 3.0), 1.0e-3);
    EXPECT_TRUE (processor->tracks[2].dirty);
    EXPECT_TRUE (processor->tracks[3].dirty);
    EXPECT_FALSE (processor->tracks[0].dirty);
    // Before the print start and after its end, track 3 keeps its old tone.
    EXPECT_NEAR (frequencyOn (2, 0.5), 1500.0, 8.0);
    EXPECT_NEAR (frequencyOn (2, 7.0), 1500.0, 8.0);

    EXPECT_FALSE (ExportPanel::internalBounceFile().exists());
}

TEST_F (ExportsFixture, APrintThatFailsIsReportedAsAFailure)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    const auto bounce = ExportPanel::internalBounceFile();

    // A render that left no audio.
    bounce.getParentDirectory().createDirectory();
    ASSERT_TRUE (bounce.replaceWithText ("not audio"));
    ExportPanel::finishBounceToTape (panel, bounce, 2, true, 0.0, 1.0f);
    auto* failed = waitForDialog ("Bounce Failed");
    ASSERT_NE (failed, nullptr);
    EXPECT_EQ (FlowDialog::findOpenDialog ("Bounce Complete"), nullptr);
    answer (*failed, "OK");
    EXPECT_FALSE (processor->tracks[2].dirty);
    EXPECT_FALSE (bounce.exists());

    // A print the processor refuses: it would start beyond the end of the tape.
    panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    ASSERT_TRUE (writeTone (bounce, 2, 1.0, 441.0));
    ExportPanel::finishBounceToTape (panel, bounce, 0, false, reelSeconds + 5.0, 1.0f);
    failed = waitForDialog ("Bounce Failed");
    ASSERT_NE (failed, nullptr);
    EXPECT_TRUE (dialogText (*failed).contains ("beyond the end of the tape"));
    answer (*failed, "OK");
    EXPECT_FALSE (bounce.exists());

    // The panel gone before the print: nothing printed, nothing said, the file removed.
    panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    ASSERT_TRUE (writeTone (bounce, 2, 1.0, 441.0));
    juce::Component::SafePointer<ExportPanel> gone (panel);
    delete panel;
    ExportPanel::finishBounceToTape (gone, bounce, 0, false, 0.0, 1.0f);
    runMessages (100);
    EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr);
    EXPECT_FALSE (processor->tracks[0].dirty);
    EXPECT_FALSE (bounce.exists());
}

TEST_F (ExportsFixture, CancelInTheDestinationQuestionKeepsThePanelAndItsTimes)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    panel->startSlider.setValue (1.0);
    panel->endSlider.setValue (4.0);
    click (panel->bounceButton);
    ASSERT_TRUE (answer (*waitForDialog (ExportPanel::bounceDialogTitle), "Cancel"));
    runMessages (100);

    EXPECT_EQ (exportPanel(), panel);
    EXPECT_EQ (panel->startSlider.getValue(), 1.0);
    EXPECT_EQ (panel->endSlider.getValue(), 4.0);
    EXPECT_EQ (FlowDialog::findOpenDialog (OfflineExportThread::title), nullptr);
}
