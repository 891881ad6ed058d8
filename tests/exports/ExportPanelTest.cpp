#include "tests/exports/ExportsTestSupport.h"

using namespace ExportsTest;

TEST (ExportTimeText, MinutesAndSecondsFromTheZeroPoint)
{
    const struct
    {
        double value, zero;
        const char* text;
    } toText[] = {
        {65.0, 0.0, "01:05"}, {0.0, 65.0, "-01:05"}, {65.9, 0.0, "01:05"}, {600.0, 0.0, "10:00"}, {12.0, 2.0, "00:10"},
    };

    for (const auto& c : toText)
        EXPECT_EQ (ExportPanel::timeToText (c.value, c.zero), c.text) << c.value << " at zero " << c.zero;

    const struct
    {
        const char* text;
        double zero, value;
    } toValue[] = {
        {"1:30", 0.0, 90.0},   {"-0:10", 0.0, -10.0}, {"-01:05", 0.0, -65.0}, {"2", 0.0, 120.0},
        {"00:00", 10.0, 10.0}, {"-1:30", 5.0, -85.0}, {"", 0.0, 0.0},
    };

    for (const auto& c : toValue)
        EXPECT_EQ (ExportPanel::textToTime (c.text, c.zero), c.value) << c.text;
}

TEST_F (ExportsFixture, TypedTimesSetTheSlidersWithinTheReel)
{
    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    EXPECT_EQ (panel->getBounds().getCentre(), editor->deckPanel.getLocalBounds().getCentre());
    EXPECT_EQ (panel->getWidth(), 300);
    EXPECT_EQ (panel->getHeight(), 240);

    // The longest recording decides the end; nothing recorded gives 5 s.
    EXPECT_EQ (panel->endSlider.getMaximum(), 5.0);

    typeInto (panel->startSlider, "0:03");
    EXPECT_EQ (panel->startSlider.getValue(), 3.0);
    typeInto (panel->startSlider, "-0:10");
    EXPECT_EQ (panel->startSlider.getValue(), 0.0);
    typeInto (panel->endSlider, "1:30");
    EXPECT_EQ (panel->endSlider.getValue(), 5.0);
    EXPECT_EQ (panel->endSlider.getTextFromValue (4.0), "00:04");
}

TEST_F (ExportsFixture, TheDialogProposesTheReelsMixdownInItsBouncesFolder)
{
    const auto root = processor->reelLibrary.getLibraryRoot();

    processor->setReelName ("Untitled");
    const auto untitled = ExportPanel::proposedExportFile (*processor);
    EXPECT_EQ (untitled, root.getChildFile ("Bounces").getChildFile ("My_Mix - Mixdown.wav"));
    EXPECT_TRUE (untitled.getParentDirectory().isDirectory());

    processor->setReelName ("Night Drive");
    const auto named = ExportPanel::proposedExportFile (*processor);
    EXPECT_EQ (named,
               root.getChildFile ("Night Drive").getChildFile ("Bounces").getChildFile ("Night Drive - Mixdown.wav"));
    EXPECT_TRUE (named.getParentDirectory().isDirectory());

    const struct
    {
        const char* typed;
        const char* written;
    } names[] = {{"mix.mp3", "mix.wav"}, {"mix", "mix.wav"}, {"mix.WAV", "mix.WAV"}, {"take.2", "take.wav"}};

    for (const auto& n : names)
        EXPECT_EQ (ExportPanel::withWavExtension (temp / n.typed), temp / n.written) << n.typed;
}

TEST_F (ExportsFixture, TheTimesOfTheLastExportComeBackForTheNextReel)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    // First panel for a 300-s reel: the whole reel.
    {
        ExportPanel panel (*processor, 300.0, {});
        EXPECT_EQ (panel.startSlider.getValue(), 0.0);
        EXPECT_EQ (panel.endSlider.getValue(), 300.0);
        panel.startSlider.setValue (30.0);
        panel.endSlider.setValue (250.0);
        click (panel.liveButton); // a live mix remembers nothing
        dismissAllDialogs();
    }
    {
        ExportPanel panel (*processor, 300.0, {});
        EXPECT_EQ (panel.startSlider.getValue(), 0.0);
        EXPECT_EQ (panel.endSlider.getValue(), 300.0);
        panel.startSlider.setValue (30.0);
        panel.endSlider.setValue (250.0);
        click (panel.bounceButton); // the bounce remembers, even when it is then cancelled
        auto* dialog = waitForDialog (ExportPanel::bounceDialogTitle);
        ASSERT_NE (dialog, nullptr);
        ASSERT_TRUE (answer (*dialog, "Cancel"));
    }

    const struct
    {
        double reel, start, end;
    } next[] = {{200.0, 30.0, 200.0}, {400.0, 30.0, 400.0}, {400.0, 30.0, 400.0}};

    for (const auto& n : next)
    {
        ExportPanel panel (*processor, n.reel, {});
        EXPECT_EQ (panel.startSlider.getValue(), n.start) << n.reel;
        EXPECT_EQ (panel.endSlider.getValue(), n.end) << n.reel;
    }
}

TEST_F (ExportsFixture, OfflineExportOfAShortReelWritesAReadableWav)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    recordTone (0, 441.0);
    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    panel->startSlider.setValue (1.0);
    panel->endSlider.setValue (3.0);

    // Typed with another extension: written as ".wav" beside it.
    click (panel->exportButton);
    ASSERT_TRUE (saveAs ("short.mp3"));
    const auto written = ExportPanel::proposedExportFile (*processor).getSiblingFile ("short.wav");

    ASSERT_TRUE (runMessagesUntil ([&] { return written.existsAsFile() && exportPanel() == nullptr; }, 30000));
    runMessagesUntil ([] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; }, 10000);
    EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr) << "no failure reported";
    EXPECT_FALSE (written.getSiblingFile ("short.mp3").exists());

    const auto mix = readAudio (written);
    ASSERT_EQ (mix.audio.getNumChannels(), 2);
    EXPECT_EQ (mix.rate, rate);
    EXPECT_EQ (mix.audio.getNumSamples(), (int)(2.0 * rate));
    EXPECT_NEAR (AudioTestUtils::zeroCrossingFrequency (mix.audio, 0, rate), 441.0, 3.0);
    EXPECT_GT (AudioTestUtils::rms (mix.audio, 0), 0.01);

    // The next panel starts at the times of this export.
    auto* next = openExportPanel();
    ASSERT_NE (next, nullptr);
    EXPECT_EQ (next->startSlider.getValue(), 1.0);
    EXPECT_EQ (next->endSlider.getValue(), 3.0);
}

TEST_F (ExportsFixture, AnExistingMixIsReplacedOnlyWhenTheUserSaysSoAndTheRenderSucceeds)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    recordTone (0, 441.0);
    const auto target = temp / "song.wav";
    ASSERT_TRUE (target.replaceWithText ("an earlier mixdown"));

    // The question is about the ".wav" file that would be written, although "song.mp3" does
    // not exist.
    {
        auto* panel = openExportPanel();
        ASSERT_NE (panel, nullptr);
        panel->exportToFile (temp / "song.mp3", 0.0, 1.0, false);
        auto* question = waitForDialog ("File Exists");
        ASSERT_NE (question, nullptr);
        EXPECT_TRUE (dialogText (*question).contains ("song.wav"));
        ASSERT_TRUE (answer (*question, "Cancel"));
        EXPECT_TRUE (runMessagesUntil ([&] { return exportPanel() == nullptr; }));
        runMessages (200);
        EXPECT_EQ (target.loadFileAsString(), "an earlier mixdown");
    }

    // A render that fails (the tape runs backwards) leaves the old file whole.
    setParameter (ParameterIds::REVERSE, 1.0f);
    {
        auto* panel = openExportPanel();
        ASSERT_NE (panel, nullptr);
        panel->exportToFile (target, 0.0, 1.0, false);
        ASSERT_TRUE (answer (*waitForDialog ("File Exists"), "Replace"));
        auto* failed = waitForDialog ("Export Failed");
        ASSERT_NE (failed, nullptr);
        answer (*failed, "OK");
        EXPECT_EQ (target.loadFileAsString(), "an earlier mixdown");
    }

    // A finished render replaces it.
    setParameter (ParameterIds::REVERSE, 0.0f);
    {
        auto* panel = openExportPanel();
        ASSERT_NE (panel, nullptr);
        panel->exportToFile (target, 0.0, 1.0, false);
        ASSERT_TRUE (answer (*waitForDialog ("File Exists"), "Replace"));
        ASSERT_TRUE (runMessagesUntil ([&] { return readAudio (target).audio.getNumSamples() == (int)rate; }, 30000));
    }

    // Nothing half-written is left beside it.
    runMessagesUntil ([] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; }, 10000);
    EXPECT_EQ (temp.getFile().getNumberOfChildFiles (juce::File::findFiles | juce::File::ignoreHiddenFiles, "*"), 1);
    EXPECT_EQ (temp.getFile().getNumberOfChildFiles (juce::File::findFiles, "*"), 1);
}

TEST_F (ExportsFixture, CancelInTheFileDialogRendersNothingAndCloses)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    click (panel->exportButton);
    ASSERT_TRUE (runMessagesUntil ([] { return openFileDialog() != nullptr; }));
    auto* cancel = findButton (*openFileDialog(), "Cancel");
    ASSERT_NE (cancel, nullptr);
    cancel->triggerClick();
    EXPECT_TRUE (runMessagesUntil ([&] { return exportPanel() == nullptr; }));
    EXPECT_EQ (FlowDialog::findOpenDialog (OfflineExportThread::title), nullptr);
}

TEST_F (ExportsFixture, AnEndBeforeTheStartExportsNothing)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    recordTone (0, 441.0);
    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    panel->startSlider.setValue (4.0);
    panel->endSlider.setValue (2.0);

    click (panel->bounceButton);
    auto* refused = waitForDialog ("Nothing to Export");
    ASSERT_NE (refused, nullptr);
    EXPECT_EQ (FlowDialog::findOpenDialog (ExportPanel::bounceDialogTitle), nullptr);
    answer (*refused, "OK");
    EXPECT_EQ (exportPanel(), panel);

    panel->exportToFile (temp / "mix.wav", 4.0, 4.0, false);
    refused = waitForDialog ("Nothing to Export");
    ASSERT_NE (refused, nullptr);
    answer (*refused, "OK");
    runMessages (200);
    EXPECT_FALSE ((temp / "mix.wav").exists());
}
