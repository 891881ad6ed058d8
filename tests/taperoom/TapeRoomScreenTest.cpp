#include "TapeRoomTestSupport.h"

#include "storage/ReelList.h"

#include <set>

using TapeRoomTest::TapeRoomFixture;

namespace
{
std::vector<juce::TextButton*> selectionButtons (TapeRoomComponent& room)
{
    return {&room.loadButton, &room.renameButton, &room.duplicateButton, &room.backupButton, &room.deleteButton,
            &room.folderLinkButton};
}
} // namespace

TEST_F (TapeRoomFixture, AnEmptyLibraryShowsNoRowsAndNoActions)
{
    EXPECT_EQ (room->getNumRows(), 0);
    room->resized();

    for (auto* button : selectionButtons (*room))
        EXPECT_FALSE (button->isVisible()) << button->getButtonText();

    EXPECT_FALSE (room->updateButton.isVisible());
    EXPECT_EQ (room->newButton.getBounds(), juce::Rectangle<int> (25, 75, 270, 42));
    EXPECT_EQ (room->listBox.getBounds(), juce::Rectangle<int> (0, 218, 320, 906 - 278));
    EXPECT_EQ (room->libraryButton.getBounds(), juce::Rectangle<int> (25, 906 - 40, 270, 28));
    EXPECT_EQ (room->openButton.getBounds(), juce::Rectangle<int> (215, 173, 80, 28));
}

TEST_F (TapeRoomFixture, SearchKeepsMatchesInAnyCaseAndBothSortsOrderTheRows)
{
    makeReel ("gamma", 8, 44100.0, 30);
    makeReel ("alpha", 8, 44100.0, 10);
    makeReel ("Beta", 8, 44100.0, 20);
    makeReel ("My DEMO Take", 8, 44100.0, 40);
    makeReel ("Dem o", 8, 44100.0, 50);
    room->refreshReelList();

    EXPECT_EQ (rowNames(), juce::StringArray ({"alpha", "Beta", "gamma", "My DEMO Take", "Dem o"})); // newest first

    room->sortBox.setSelectedId (ReelList::sortByName, juce::sendNotificationSync); // refreshes the list
    EXPECT_EQ (rowNames(), juce::StringArray ({"alpha", "Beta", "Dem o", "gamma", "My DEMO Take"}));

    typeSearch ("  demo ");
    EXPECT_EQ (rowNames(), juce::StringArray ({"My DEMO Take"}));

    typeSearch ("nothing like it");
    EXPECT_EQ (room->getNumRows(), 0);
}

TEST_F (TapeRoomFixture, TheSelectionShowsTheInfoPanelsActionsWhereTheyBelong)
{
    makeReel ("Song", 16, 48000.0);
    select ("Song");

    for (auto* button : selectionButtons (*room))
        EXPECT_TRUE (button->isVisible()) << button->getButtonText();

    ASSERT_NE (room->getSelectedRow(), nullptr);
    EXPECT_EQ (room->getSelectedRow()->trackCountText, "16 Tracks");
    EXPECT_EQ (room->folderLinkButton.getBounds(), juce::Rectangle<int> (492, 360, 1360 - 542, 20));
    EXPECT_EQ (room->loadButton.getBounds(), juce::Rectangle<int> (382, 390, 180, 36));
    EXPECT_EQ (room->renameButton.getBounds(), juce::Rectangle<int> (577, 390, 90, 36));
    EXPECT_EQ (room->deleteButton.getBounds(), juce::Rectangle<int> (1360 - 140, 906 - 76, 100, 36));

    // DUPLICATE and BACKUP ZIP share the first row while 220 pixels remain beside RENAME.
    struct Case
    {
        int width;
        juce::Point<int> duplicateAt;
    };
    for (const auto& c : {Case{667 + 220, {677, 390}}, Case{667 + 219, {382, 436}}})
    {
        room->setSize (c.width, 906);
        EXPECT_EQ (room->duplicateButton.getPosition(), c.duplicateAt) << c.width;
        EXPECT_EQ (room->backupButton.getPosition(), c.duplicateAt.translated (110, 0)) << c.width;
    }

    // A double click opens the selected tape, like LOAD TAPE.
    room->listBoxItemDoubleClicked (0, juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), {}, {},
                                                         0.0f, 0.0f, 0.0f, 0.0f, 0.0f, room.get(), room.get(),
                                                         juce::Time(), {}, juce::Time(), 2, false));
    room->loadButton.triggerClick();
    TapeRoomTest::runMessages (50);
    EXPECT_EQ (opened, juce::StringArray ({"Song", "Song"}));
}

TEST_F (TapeRoomFixture, TypingASearchKeepsTheSelectedIndexOrDropsItPastTheEnd)
{
    for (auto name : {"a1", "a2", "b1", "b2", "b3"})
        makeReel (name);
    room->sortBox.setSelectedId (ReelList::sortByName, juce::sendNotificationSync);
    room->listBox.selectRow (3);
    ASSERT_NE (room->getSelectedRow(), nullptr);
    ASSERT_EQ (room->getSelectedRow()->name, "b2");

    typeSearch ("b");
    EXPECT_EQ (room->getSelectedRow(), nullptr); // three rows left: index 3 is gone
    EXPECT_FALSE (room->loadButton.isVisible());
}

TEST_F (TapeRoomFixture, TheUpdateButtonAppearsOnceWithTheNotes)
{
    room->showUpdateButton ("New in this version:\n\nFaster tape.");
    EXPECT_TRUE (room->updateButton.isVisible());
    EXPECT_EQ (room->updateButton.getTooltip(), "New in this version:\n\nFaster tape.");
    EXPECT_EQ (room->updateButton.getBounds(), juce::Rectangle<int> (1360 - 170, 20, 150, 30));
}

TEST_F (TapeRoomFixture, TheScreenIsDrawnInItsLookWithShelvesBehindThePanel)
{
    makeReel ("Song");
    select ("Song");
    const auto picture = room->createComponentSnapshot (room->getLocalBounds(), true, 1.0f);

    EXPECT_EQ (picture.getPixelAt (10, 906 - 60).getARGB(), 0xff181818u); // empty sidebar
    EXPECT_EQ (&room->newButton.getLookAndFeel(), &room->look);
    EXPECT_EQ (&room->sortBox.getLookAndFeel(), &room->look);

    // The tape boxes of the backdrop show through low on the right, not as one flat colour.
    std::set<juce::uint32> colours;
    for (int x = 1000; x < 1340; x += 9)
        colours.insert (picture.getPixelAt (x, 700).getARGB());
    EXPECT_GT (colours.size(), 5u);
}
