#include "tests/exports/ExportsTestSupport.h"
#include "ui/deck/MenuCommandIds.h"

using namespace ExportsTest;

TEST_F (ExportsFixture, ThePanelIsSizedForTheLongestRecording)
{
    const struct
    {
        int track;
        double seconds, length;
    } cases[] = {{-1, 0.0, 5.0}, {0, 2.0, 5.0}, {2, 90.0, 90.0}};

    for (const auto& c : cases)
    {
        for (auto& track : processor->tracks)
            track.recordedLength = 0;
        if (c.track >= 0)
        {
            processor->tracks[(size_t)c.track].recordedLength = (int)(c.seconds * rate);
            processor->tracks[1].recordedLength = (int)(1.0 * rate);
        }

        auto* panel = openExportPanel();
        ASSERT_NE (panel, nullptr);
        EXPECT_EQ (panel->endSlider.getMaximum(), c.length) << c.track;
    }

    // Menu command 2 does the same, and one panel replaces the other.
    editor->handleMenuCommand (MenuCommands::bounceMix, -1);
    runMessages (50);
    int panels = 0;
    for (auto* child : editor->deckPanel.getChildren())
        panels += child->getComponentID() == EditorIds::exportOverlay ? 1 : 0;
    EXPECT_EQ (panels, 1);

    // CANCEL closes it.
    ASSERT_NE (exportPanel(), nullptr);
    click (exportPanel()->cancelButton);
    EXPECT_TRUE (runMessagesUntil ([&] { return exportPanel() == nullptr; }));
}

TEST_F (ExportsFixture, ALiveMixIsEndedByTheButtonAndReportedOnlyWhenTheFileReadsBack)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    const auto target = temp / "live.wav";
    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    panel->exportToFile (temp / "live", 0.0, 5.0, true);
    EXPECT_TRUE (runMessagesUntil ([&] { return exportPanel() == nullptr; }));
    ASSERT_TRUE (processor->liveBounceActive.load());
    EXPECT_EQ (editor->liveMixdownFile, target);
    EXPECT_TRUE (editor->mixdownButton.isVisible());

    juce::AudioBuffer<float> block (2, 512);
    AudioTestUtils::fillSine (block, 441.0, rate, 0.5f);
    for (int b = 0; b < 20; ++b)
        processor->pushLiveBounceBlock (block, 512);

    // The click ends the mixdown instead of opening the panel.
    click (editor->mixdownButton);
    auto* done = waitForDialog ("Mixdown Complete");
    ASSERT_NE (done, nullptr);
    EXPECT_EQ (dialogText (*done), "Live mixdown saved!\n\n" + target.getFullPathName());
    answer (*done, "OK");
    EXPECT_FALSE (processor->liveBounceActive.load());
    EXPECT_EQ (exportPanel(), nullptr);
    EXPECT_EQ (readAudio (target).audio.getNumSamples(), 20 * 512);

    // A mixdown that recorded nothing is not a success.
    panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    panel->exportToFile (ExportPanel::proposedExportFile (*processor), 0.0, 5.0, true);
    ASSERT_TRUE (processor->liveBounceActive.load());
    editor->handleMenuCommand (MenuCommands::bounceMix, -1); // command 2 ends it as the click does
    auto* failed = waitForDialog ("Mixdown Failed");
    ASSERT_NE (failed, nullptr);
    EXPECT_EQ (FlowDialog::findOpenDialog ("Mixdown Complete"), nullptr);
    answer (*failed, "OK");
    EXPECT_FALSE (processor->liveBounceActive.load());
}

TEST_F (ExportsFixture, ALiveMixIntoTheBouncesFolderSaysSo)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    panel->exportToFile (ExportPanel::proposedExportFile (*processor), 0.0, 5.0, true);
    ASSERT_TRUE (processor->liveBounceActive.load());

    juce::AudioBuffer<float> block (2, 512);
    block.clear();
    processor->pushLiveBounceBlock (block, 512);

    editor->mixdownClicked();
    auto* done = waitForDialog ("Mixdown Complete");
    ASSERT_NE (done, nullptr);
    EXPECT_EQ (dialogText (*done),
               "Live mixdown saved!\n\nYou can access this inside your project's 'Bounces' folder.");
}

TEST_F (ExportsFixture, ALiveMixThatCannotStartSaysSo)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    panel->exportToFile ((temp / "no such folder").getChildFile ("live.wav"), 0.0, 5.0, true);
    auto* failed = waitForDialog ("Live Mix Failed");
    ASSERT_NE (failed, nullptr);
    answer (*failed, "OK");
    EXPECT_FALSE (processor->liveBounceActive.load());
    EXPECT_EQ (editor->liveMixdownFile, juce::File());
}
