#include "tests/exports/ExportsTestSupport.h"

using namespace ExportsTest;

TEST (ImportTimeText, MinutesAndSecondsFromTheTapesBeginning)
{
    const struct
    {
        const char* text;
        double seconds;
    } toValue[] = {{"2:05", 125.0}, {"3", 180.0}, {"0:45", 45.0}, {"10:00", 600.0}, {"", 0.0}};

    for (const auto& c : toValue)
        EXPECT_EQ (ImportPanel::textToTime (c.text), c.seconds) << c.text;

    EXPECT_EQ (ImportPanel::timeToText (125.0), "02:05");
    EXPECT_EQ (ImportPanel::timeToText (600.0), "10:00");
    EXPECT_EQ (ImportPanel::timeToText (0.7), "00:00");
}

TEST (ImportDrive, DecibelsBecomeAFactor)
{
    EXPECT_NEAR (ImportPanel::driveFactor (24.0), 15.849f, 1.0e-3f);
    EXPECT_EQ (ImportPanel::driveFactor (0.0), 1.0f);
    EXPECT_NEAR (ImportPanel::driveFactor (-60.0), 0.001f, 1.0e-6f);
    EXPECT_EQ (ImportPanel::driveFactor (-100.0), 0.0f);
}

TEST_F (ExportsFixture, AMonoFileHasNoModeRowAndAStereoFileCanSplitOverAPair)
{
    const auto mono = temp / "voice.wav";
    const auto stereo = temp / "pad.wav";
    ASSERT_TRUE (writeTone (mono, 1, 0.5, 441.0));
    ASSERT_TRUE (writeTone (stereo, 2, 0.5, 441.0));
    processor->parameters.state.setProperty ("TrackName_8", "Room", nullptr);

    ImportPanel monoPanel (*processor, mono.getFullPathName(), {});
    EXPECT_EQ (monoPanel.getHeight(), 420);
    EXPECT_FALSE (monoPanel.modeBox.isVisible());
    EXPECT_EQ (monoPanel.fileLabel.getText(), "FILE: voice.wav");
    EXPECT_EQ (monoPanel.targetBox.getNumItems(), 8);
    EXPECT_EQ (monoPanel.targetBox.getSelectedId(), 1);
    EXPECT_EQ (monoPanel.targetBox.getItemText (7), "Track 8 (Room)");

    ImportPanel stereoPanel (*processor, stereo.getFullPathName(), {});
    EXPECT_EQ (stereoPanel.getHeight(), 480);
    EXPECT_TRUE (stereoPanel.modeBox.isVisible());
    EXPECT_EQ (stereoPanel.modeBox.getText(), "Mono Mixdown (Sum)");
    stereoPanel.targetBox.setSelectedId (8);
    stereoPanel.modeBox.setSelectedId (ImportPanel::modeSplit, juce::sendNotificationSync);
    EXPECT_EQ (stereoPanel.targetBox.getNumItems(), 7);
    EXPECT_EQ (stereoPanel.targetBox.getSelectedId(), 7);
    EXPECT_EQ (stereoPanel.targetBox.getText(), "Track 7 & Track 8 (Room)");

    // Back to one channel: every track again, the choice kept.
    stereoPanel.modeBox.setSelectedId (ImportPanel::modeMono, juce::sendNotificationSync);
    EXPECT_EQ (stereoPanel.targetBox.getNumItems(), 8);
    EXPECT_EQ (stereoPanel.targetBox.getSelectedId(), 7);

    // A file no format reads: one channel, no mode choice.
    const auto text = temp / "notes.wav";
    ASSERT_TRUE (text.replaceWithText ("not audio"));
    ImportPanel unreadable (*processor, text.getFullPathName(), {});
    EXPECT_EQ (unreadable.numChannels, 1);
    EXPECT_EQ (unreadable.getHeight(), 420);
}

TEST_F (ExportsFixture, TheInsertTimeStartsAtTheCounterAndTakesTypedTimes)
{
    const auto mono = temp / "voice.wav";
    ASSERT_TRUE (writeTone (mono, 1, 0.5, 441.0));

    processor->tracks.front().setPositionSeconds (12.0);
    processor->zeroOffset = 2.0;
    {
        ImportPanel panel (*processor, mono.getFullPathName(), {});
        EXPECT_EQ (panel.insertSlider.getValue(), 10.0);
        EXPECT_EQ (panel.insertSlider.getTextFromValue (125.0), "02:05");

        typeInto (panel.insertSlider, "2:05");
        EXPECT_EQ (panel.insertSlider.getValue(), 125.0);
        typeInto (panel.insertSlider, "3");
        EXPECT_EQ (panel.insertSlider.getValue(), 180.0);
        typeInto (panel.insertSlider, "12:00");
        EXPECT_EQ (panel.insertSlider.getValue(), 600.0);
    }

    // The tape stands before the zero point: the time starts at the tape's beginning.
    processor->zeroOffset = 15.0;
    ImportPanel panel (*processor, mono.getFullPathName(), {});
    EXPECT_EQ (panel.insertSlider.getValue(), 0.0);
}

TEST_F (ExportsFixture, PrintToTapeWritesTheFileWithItsDriveAndCloses)
{
    const auto stereo = temp / "pad.wav";
    ASSERT_TRUE (writeTone (stereo, 2, 1.0, 441.0));

    editor->filesDropped ({stereo.getFullPathName()}, 10, 10);
    auto* panel = importPanel();
    ASSERT_NE (panel, nullptr);
    EXPECT_EQ (panel->getBounds().getCentre(), editor->deckPanel.getLocalBounds().getCentre());

    panel->targetBox.setSelectedId (4);
    panel->modeBox.setSelectedId (ImportPanel::modeSplit, juce::sendNotificationSync);
    panel->insertSlider.setValue (3.0);
    panel->driveSlider.setValue (0.0);
    EXPECT_FALSE (processor->tracks[3].dirty) << "nothing reaches the tape before PRINT TO TAPE";

    click (panel->printButton);
    EXPECT_TRUE (runMessagesUntil ([&] { return importPanel() == nullptr; }));

    for (int track : {3, 4})
    {
        SCOPED_TRACE (track);
        EXPECT_TRUE (processor->tracks[(size_t)track].dirty);
        EXPECT_NEAR (frequencyOn (track, 3.1), 441.0, 3.0);
        EXPECT_LT (levelOn (track, 1.0, 1.5), 1.0e-6);
        EXPECT_EQ (parameter (ParameterIds::forTrack (ParameterIds::MON_, track + 1)), 1.0f);
    }
    EXPECT_FALSE (processor->tracks[5].dirty);

    // CANCEL writes nothing.
    editor->filesDropped ({stereo.getFullPathName()}, 10, 10);
    ASSERT_NE (importPanel(), nullptr);
    importPanel()->targetBox.setSelectedId (1);
    click (importPanel()->cancelButton);
    EXPECT_TRUE (runMessagesUntil ([&] { return importPanel() == nullptr; }));
    EXPECT_FALSE (processor->tracks[0].dirty);
}
