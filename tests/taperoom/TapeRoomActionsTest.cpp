#include "TapeRoomTestSupport.h"

using TapeRoomTest::TapeRoomFixture;
using TapeRoomTest::modalDialog;

TEST_F (TapeRoomFixture, RenameProposesTheOldNameAndRefusesATakenOne)
{
    requireDisplay();
    makeReel ("Song");
    makeReel ("Other");
    select ("Song");

    room->showRenameDialog();
    auto* dialog = modalDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getName(), "Rename Tape");
    EXPECT_EQ (TapeRoomTest::bodyOf (dialog), "Enter new name for: Song");
    EXPECT_EQ (dialog->getTextEditorContents (TapeRoomTexts::nameField), "Song");
    dialog->getTextEditor (TapeRoomTexts::nameField)->setText (" Song 2 ");
    TapeRoomTest::press (dialog, "Rename");

    EXPECT_TRUE (reelExists ("Song 2"));
    EXPECT_TRUE (root.getFile().getChildFile ("Song 2/Song 2.reel").existsAsFile());
    EXPECT_FALSE (reelExists ("Song"));

    // Another reel's name in other letters: refused, nothing moves.
    room->finishRename (1, "Song 2", "OTHER");
    auto* notice = modalDialog();
    ASSERT_NE (notice, nullptr);
    EXPECT_EQ (notice->getName(), "Name Taken");
    EXPECT_TRUE (reelExists ("Song 2"));
}

TEST_F (TapeRoomFixture, DuplicateCopiesTheFolderUnderTheNewNameOnce)
{
    requireDisplay();
    makeReel ("Song");
    root.getFile().getChildFile ("Song/track_1.wav").replaceWithText ("audio");
    select ("Song");

    room->showDuplicateDialog();
    auto* dialog = modalDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getName(), "Duplicate Tape");
    EXPECT_EQ (TapeRoomTest::bodyOf (dialog), "Enter name for the duplicated tape:");
    EXPECT_EQ (dialog->getTextEditorContents (TapeRoomTexts::nameField), "Song Copy");
    TapeRoomTest::press (dialog, "Duplicate");

    // The copy runs behind its progress window, and the shelf shows it once it is done.
    const auto copy = root.getFile().getChildFile ("Song Copy");
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return rowNames().size() == 2; }));
    EXPECT_EQ (copy.getChildFile ("track_1.wav").loadFileAsString(), "audio");
    EXPECT_TRUE (copy.getChildFile ("Song Copy.reel").existsAsFile()); // opens the copy, not the source
    EXPECT_EQ (rowNames().size(), 2);

    // Again under the same name: refused, nothing copied over it.
    copy.getChildFile ("track_1.wav").replaceWithText ("changed");
    room->finishDuplicate (1, library.getReelFolder ("Song"), "song copy");
    auto* notice = modalDialog();
    ASSERT_NE (notice, nullptr);
    EXPECT_EQ (notice->getName(), "Name Taken");
    EXPECT_EQ (copy.getChildFile ("track_1.wav").loadFileAsString(), "changed");
}

TEST_F (TapeRoomFixture, ADuplicateThatFailsSaysSoAndLeavesNoCopy)
{
    requireDisplay();
    makeReel ("Song");
    select ("Song");
    const auto source = library.getReelFolder ("Song");
    ASSERT_TRUE (source.deleteRecursively()); // gone while the dialog was open

    room->finishDuplicate (1, source, "Song Copy");
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil (
        [&] { return modalDialog() != nullptr && modalDialog()->getName() == "Duplicate Failed"; }));
    EXPECT_FALSE (root.getFile().getChildFile ("Song Copy").exists());
}

TEST_F (TapeRoomFixture, DeleteAsksWithTheNameAndReturnDeletesForever)
{
    requireDisplay();
    makeReel ("Song");
    select ("Song");

    room->showDeleteDialog();
    auto* dialog = modalDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getName(), "Delete Tape");
    EXPECT_EQ (TapeRoomTest::bodyOf (dialog), "Are you absolutely sure you want to delete 'Song'?\nThis cannot be undone.");

    juce::Component::SafePointer<juce::Component> gone (dialog);
    static_cast<juce::Component*> (dialog)->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return gone == nullptr; }));

    EXPECT_FALSE (reelExists ("Song"));
    EXPECT_EQ (room->getNumRows(), 0);
    EXPECT_FALSE (room->deleteButton.isVisible());
}

TEST_F (TapeRoomFixture, OpenFindsPointersFoldersAndArchivesAndNamesWhatIsMissing)
{
    requireDisplay();
    makeReel ("Song");
    const auto pointer = root.getFile().getChildFile ("Song/Song.reel");
    ASSERT_TRUE (pointer.existsAsFile());

    room->openChosenReel (pointer);
    EXPECT_EQ (opened, juce::StringArray ({"Song"}));
    EXPECT_EQ (room->getSelectedRow()->name, "Song");

    // A copy of the pointer kept elsewhere opens the library's reel of that name.
    const TempDir elsewhere ("dravin8-desktop");
    ASSERT_TRUE (pointer.copyFileTo (elsewhere / "Song.reel"));
    room->openChosenReel (elsewhere / "Song.reel");
    EXPECT_EQ (opened.size(), 2);

    // A reel folder chosen directly: by name inside the library, by full path outside it.
    room->openChosenReel (library.getReelFolder ("Song"));
    EXPECT_EQ (opened[2], "Song");
    const auto outside = elsewhere / "Loose";
    ASSERT_TRUE (library.getReelFolder ("Song").copyDirectoryTo (outside));
    room->openChosenReel (outside);
    EXPECT_EQ (opened[3], outside.getFullPathName());

    // Neither an archive nor a pointer to a reel.
    (elsewhere / "x.zip").replaceWithText ("not an archive");
    room->openChosenReel (elsewhere / "x.zip");
    auto* notice = modalDialog();
    ASSERT_NE (notice, nullptr);
    EXPECT_EQ (notice->getName(), "Missing Audio");
    EXPECT_EQ (TapeRoomTest::bodyOf (notice), "This is a pointer file missing its audio folder.");
    EXPECT_EQ (opened.size(), 4);
    EXPECT_FALSE (reelExists ("x"));
}

TEST_F (TapeRoomFixture, DroppingAPointerFileNeverMakesAnEmptyReel)
{
    requireDisplay();
    makeReel ("Song");
    const TempDir elsewhere ("dravin8-drop");
    const auto pointer = elsewhere / "Song.reel";
    ASSERT_TRUE (root.getFile().getChildFile ("Song/Song.reel").copyFileTo (pointer));
    const auto stray = elsewhere / "Stray.reel";
    stray.replaceWithText ("");

    EXPECT_TRUE (room->isInterestedInFileDrag ({pointer.getFullPathName(), "notes.txt"}));
    EXPECT_FALSE (room->isInterestedInFileDrag ({"notes.txt"}));

    room->filesDropped ({pointer.getFullPathName(), stray.getFullPathName()}, 0, 0);

    EXPECT_EQ (root.getFile().findChildFiles (juce::File::findDirectories, false).size(), 1);
    EXPECT_EQ (room->getSelectedRow()->name, "Song"); // the reel it points to is shown
    EXPECT_TRUE (opened.isEmpty());
    auto* notice = modalDialog();
    ASSERT_NE (notice, nullptr); // the stray pointer is named, not imported
    EXPECT_TRUE (TapeRoomTest::bodyOf (notice).contains ("Stray.reel"));
}

TEST_F (TapeRoomFixture, ChangeLibraryShowsTheNewFoldersReelsAtOnce)
{
    makeReel ("Here");
    const TempDir other ("dravin8-other-library");
    ASSERT_TRUE (other.getFile().getChildFile ("There").createDirectory());
    ASSERT_TRUE (other.getFile().getChildFile ("There/settings.xml").replaceWithText ("<PARAMETERS/>"));

    room->changeLibraryFolder (other.getFile());
    EXPECT_EQ (rowNames(), juce::StringArray ({"There"}));

    room->changeLibraryFolder (other.getFile().getChildFile ("missing"));
    EXPECT_EQ (library.getLibraryRoot(), other.getFile());
}
