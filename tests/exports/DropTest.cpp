#include "tests/exports/ExportsTestSupport.h"

using namespace ExportsTest;

TEST_F (ExportsFixture, OnlyAudioFilesOfTheFourKindsAreTaken)
{
    const struct
    {
        juce::StringArray files;
        bool taken;
    } cases[] = {
        {{"/music/a.WAV", "/music/notes.txt"}, true},
        {{"/music/a.flac"}, true},
        {{"/music/a.Mp3"}, true},
        {{"/music/a.aiff"}, true},
        {{"/music/a.aif"}, false},
        {{"/music/a.ogg"}, false},
        {{"/music/take.wav/readme"}, false},
        {{}, false},
    };

    for (const auto& c : cases)
        EXPECT_EQ (editor->isInterestedInFileDrag (c.files), c.taken) << c.files.joinIntoString (", ");

    // The tape room takes its own drops: no reel is open there.
    editor->tapeRoomShowing = true;
    EXPECT_FALSE (editor->isInterestedInFileDrag ({"/music/a.wav"}));
}

TEST_F (ExportsFixture, ASecondSingleDropReplacesTheOpenImportPanel)
{
    const auto first = temp / "one.wav";
    const auto second = temp / "two.flac";
    ASSERT_TRUE (writeTone (first, 1, 0.2, 441.0));
    ASSERT_TRUE (first.copyFileTo (second));

    editor->filesDropped ({first.getFullPathName()}, 0, 0);
    editor->filesDropped ({second.getFullPathName()}, 0, 0);

    int panels = 0;
    for (auto* child : editor->deckPanel.getChildren())
        panels += child->getComponentID() == EditorIds::importPanel ? 1 : 0;

    EXPECT_EQ (panels, 1);
    ASSERT_NE (importPanel(), nullptr);
    EXPECT_EQ (importPanel()->filePath, second.getFullPathName());
}

TEST_F (ExportsFixture, ABatchDropGoesOntoConsecutiveTracksInNameOrder)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    // Named so that their text order (Take1, take10, take2) differs from the order given.
    const struct
    {
        const char* name;
        double frequency;
    } files[] = {{"take2.wav", 300.0}, {"Take1.wav", 500.0}, {"take10.wav", 700.0}};

    juce::StringArray dropped;
    for (const auto& f : files)
    {
        ASSERT_TRUE (writeTone (temp / f.name, 1, 1.5, f.frequency));
        dropped.add ((temp / f.name).getFullPathName());
    }

    // The tape at 12.5 s with the zero point at 2 s: written from 10.5 s.
    processor->tracks.front().setPositionSeconds (12.5);
    processor->zeroOffset = 2.0;

    editor->filesDropped (dropped, 0, 0);
    auto* question = waitForDialog ("Batch Import");
    ASSERT_NE (question, nullptr);
    EXPECT_EQ (dialogText (*question), "Importing 3 files.\nStereo files will automatically split to 2 tracks.");
    auto* start = question->getComboBoxComponent ("startTrack");
    ASSERT_NE (start, nullptr);
    EXPECT_EQ (start->getNumItems(), 8);
    EXPECT_EQ (start->getText(), "Track 1");
    ASSERT_TRUE (answer (*question, "IMPORT"));

    const double expected[] = {500.0, 700.0, 300.0};
    for (int track = 0; track < 3; ++track)
    {
        SCOPED_TRACE (track);
        EXPECT_NEAR (frequencyOn (track, 10.7), expected[track], 3.0);
        EXPECT_LT (levelOn (track, 9.0, 1.4), 1.0e-6);
        EXPECT_EQ (processor->tracks[(size_t)track].recordedLength, (int)(12.0 * rate));
    }
    EXPECT_FALSE (processor->tracks[3].dirty);
}

TEST_F (ExportsFixture, ABatchStopsAtTheLastTrackAndSkipsWhatItCannotRead)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    const auto stereo = temp / "a stereo.wav";
    const auto mono = temp / "b mono.wav";
    const auto notes = temp / "notes.txt";
    ASSERT_TRUE (writeTone (stereo, 2, 0.5, 441.0));
    ASSERT_TRUE (writeTone (mono, 1, 0.5, 441.0));
    ASSERT_TRUE (notes.replaceWithText ("not audio"));

    // A stereo file on the last track goes there alone, mixed; nothing follows it.
    editor->filesDropped ({mono.getFullPathName(), stereo.getFullPathName()}, 0, 0);
    auto* question = waitForDialog ("Batch Import");
    ASSERT_NE (question, nullptr);
    question->getComboBoxComponent ("startTrack")->setSelectedItemIndex (7);
    ASSERT_TRUE (answer (*question, "IMPORT"));

    EXPECT_TRUE (processor->tracks[7].dirty);
    EXPECT_NEAR (frequencyOn (7, 0.1), 441.0, 5.0);
    for (int track = 0; track < 7; ++track)
        EXPECT_FALSE (processor->tracks[(size_t)track].dirty) << track;

    // An unreadable file takes no track: the audio file after it lands on the first.
    editor->filesDropped ({notes.getFullPathName(), mono.getFullPathName()}, 0, 0);
    question = waitForDialog ("Batch Import");
    ASSERT_NE (question, nullptr);
    EXPECT_TRUE (dialogText (*question).startsWith ("Importing 2 files."));
    ASSERT_TRUE (answer (*question, "IMPORT"));
    EXPECT_TRUE (processor->tracks[0].dirty);
    EXPECT_FALSE (processor->tracks[1].dirty);
    EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr) << "skipped silently";

    // Cancel imports nothing.
    editor->filesDropped ({mono.getFullPathName(), stereo.getFullPathName()}, 0, 0);
    ASSERT_TRUE (answer (*waitForDialog ("Batch Import"), "Cancel"));
    EXPECT_FALSE (processor->tracks[1].dirty);
}
