#include "tests/reel/ReelTestSupport.h"

TEST_F (ReelTest, TheShelfKeepsSlotsAndTheChosenRootIsRememberedWithoutALineEnd)
{
    auto& library = p.reelLibrary;
    const juce::Time base (2023, 5, 1, 10, 0);
    int minutes = 0;

    for (const auto* name : {"A", "B", "C", "D"})
    {
        reel (name).createDirectory();
        reel (name).setLastModificationTime (base + juce::RelativeTime::minutes (minutes++));
    }

    reel (".Demo.installing").createDirectory(); // an installer's work folder is no reel

    root()
        .getChildFile ("shelf_layout.xml")
        .replaceWithText (R"(<LAYOUT><REEL name="A" slot="0"/><REEL name="C" slot="2"/></LAYOUT>)");

    std::map<juce::String, int> slots;

    for (const auto& entry : library.loadShelf())
        slots[entry.name] = entry.slot;

    EXPECT_EQ (slots, (std::map<juce::String, int>{{"A", 0}, {"B", 1}, {"C", 2}, {"D", 3}}));

    const auto xml = juce::parseXML (root().getChildFile ("shelf_layout.xml"));
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getNumChildElements(), 4);

    const auto chosen = temp.getFile().getChildFile ("Elsewhere");
    chosen.createDirectory();
    ASSERT_TRUE (library.setLibraryFolder (chosen));
    juce::MemoryBlock text;
    ASSERT_TRUE (library.userDataFolder.getChildFile ("library_path.txt").loadFileAsData (text));
    EXPECT_EQ (text.toString(), chosen.getFullPathName());

    // Saves go to the new root.
    p.reelName = "Moved";
    ASSERT_TRUE (p.saveReel (0).wasOk());
    EXPECT_TRUE (chosen.getChildFile ("Moved/settings.xml").existsAsFile());
}
