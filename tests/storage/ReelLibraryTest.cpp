#include "storage/ReelLibrary.h"
#include "storage/StorageIds.h"
#include "tests/storage/StorageTestSupport.h"

#include <atomic>
#include <thread>

namespace
{
using RootTest = LibraryTest;

TEST_F (RootTest, WithoutPathFileTheDefaultRootIsCreated)
{
    const auto library = makeLibrary();

    EXPECT_EQ (library->libraryRoot, defaultRoot());
    EXPECT_EQ (library->getLibraryRoot(), defaultRoot());
    EXPECT_TRUE (defaultRoot().isDirectory());
    EXPECT_EQ (library->userDataFolder, temp / "user");
    EXPECT_TRUE ((temp / "user").isDirectory());
    EXPECT_FALSE ((temp / "user").getChildFile (StorageIds::libraryPathFile).exists());
}

TEST_F (RootTest, PathFileChoosesTheRootOnlyWhenItNamesAnExistingFolder)
{
    const auto chosen = temp / "My Reels";
    chosen.createDirectory();

    struct Case
    {
        const char* what;
        juce::String content;
        bool usesChosen;
    };

    const Case cases[] = {
        {"path without line end", chosen.getFullPathName(), true},
        {"path with line end and spaces", "  " + chosen.getFullPathName() + "\r\n  ", true},
        {"missing folder", (temp / "Gone").getFullPathName(), false},
        {"a file, not a folder", (temp / "user").getChildFile (StorageIds::libraryPathFile).getFullPathName(), false},
        {"relative path", "My Reels", false},
        {"empty", "", false},
    };

    const auto pathFile = (temp / "user").getChildFile (StorageIds::libraryPathFile);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        (temp / "user").createDirectory();
        pathFile.replaceWithText (c.content);

        const auto library = makeLibrary();

        EXPECT_EQ (library->libraryRoot, c.usesChosen ? chosen : defaultRoot());
        EXPECT_EQ (pathFile.loadFileAsString(), c.content) << "the file is left as it was";
    }
}

TEST_F (RootTest, SetLibraryFolderTakesOnlyExistingFoldersAndRemembersThem)
{
    const auto library = makeLibrary();
    const auto pathFile = (temp / "user").getChildFile (StorageIds::libraryPathFile);

    EXPECT_FALSE (library->setLibraryFolder (temp / "Missing"));
    EXPECT_FALSE (library->setLibraryFolder ({}));
    EXPECT_EQ (library->libraryRoot, defaultRoot());
    EXPECT_FALSE (pathFile.exists());

    const auto chosen = temp / "Elsewhere";
    chosen.createDirectory();
    EXPECT_TRUE (library->setLibraryFolder (chosen));

    EXPECT_EQ (library->libraryRoot, chosen);
    EXPECT_EQ (library->getLibraryRoot(), chosen);
    EXPECT_EQ (pathFile.loadFileAsString(), chosen.getFullPathName()) << "exactly the path, no line end";
    EXPECT_EQ (makeLibrary()->libraryRoot, chosen) << "the next start finds it";
}

TEST_F (RootTest, RootCanBeReadFromAnotherThreadWhileItChanges)
{
    const auto library = makeLibrary();
    const auto first = temp / "First", second = temp / "Second";
    first.createDirectory();
    second.createDirectory();

    std::atomic<bool> stop{false};
    std::atomic<int> strange{0};

    std::thread reader (
        [&]
        {
            while (! stop)
            {
                const auto root = library->getLibraryRoot();

                if (root != first && root != second && root != defaultRoot())
                    ++strange;
            }
        });

    for (int i = 0; i < 300; ++i)
        library->setLibraryFolder (i % 2 == 0 ? first : second);

    stop = true;
    reader.join();
    EXPECT_EQ (strange.load(), 0);
}

class ShelfTest : public LibraryTest
{
protected:
    std::unique_ptr<ReelLibrary> library = makeLibrary();
    juce::File root = library->libraryRoot;
    juce::File layoutFile = root.getChildFile (StorageIds::shelfLayoutFile);

    juce::File addFolder (const juce::String& name, int age)
    {
        auto folder = root.getChildFile (name);
        folder.createDirectory();
        setAge (folder, age);
        return folder;
    }

    void writeLayout (const juce::String& elements)
    {
        layoutFile.replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LAYOUT>" + elements + "</LAYOUT>\n");
    }

    static std::map<juce::String, int> slotsOf (const juce::Array<ShelfEntry>& shelf)
    {
        std::map<juce::String, int> slots;

        for (const auto& e : shelf)
            slots[e.name] = e.slot;

        return slots;
    }

    static juce::StringArray namesOf (const juce::Array<ShelfEntry>& shelf)
    {
        juce::StringArray names;

        for (const auto& e : shelf)
            names.add (e.name);

        return names;
    }

    std::map<juce::String, int> slotsInFile() const
    {
        std::map<juce::String, int> slots;

        if (auto xml = juce::parseXML (layoutFile))
            for (auto* e : xml->getChildIterator())
                slots[e->getStringAttribute ("name")] = e->getIntAttribute ("slot");

        return slots;
    }
};

TEST_F (ShelfTest, EmptyRootGivesNoEntriesAndWritesNoLayout)
{
    EXPECT_TRUE (library->loadShelf().isEmpty());
    EXPECT_FALSE (layoutFile.exists());
}

TEST_F (ShelfTest, NewReelsGetSlotsOldestFirstAndTheLayoutIsWritten)
{
    addFolder ("Middle", 20);
    addFolder ("Newest", 30);
    addFolder ("Oldest", 10);
    root.getChildFile ("stray.txt").replaceWithText ("files in the root are not reels");

    const auto shelf = library->loadShelf();

    EXPECT_EQ (namesOf (shelf), juce::StringArray ({"Oldest", "Middle", "Newest"}));
    EXPECT_EQ (slotsOf (shelf), (std::map<juce::String, int>{{"Oldest", 0}, {"Middle", 1}, {"Newest", 2}}));
    EXPECT_EQ (shelf[0].folder, root.getChildFile ("Oldest"));
    EXPECT_EQ (shelf[0].lastWriteTime, root.getChildFile ("Oldest").getLastModificationTime().toMilliseconds());

    EXPECT_EQ (layoutFile.loadFileAsString(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<LAYOUT>\r\n"
                                              "  <REEL name=\"Oldest\" slot=\"0\"/>\r\n"
                                              "  <REEL name=\"Middle\" slot=\"1\"/>\r\n"
                                              "  <REEL name=\"Newest\" slot=\"2\"/>\r\n"
                                              "</LAYOUT>\r\n");
}

TEST_F (ShelfTest, NewReelsFillTheGapsBetweenKeptSlots)
{
    addFolder ("A", 10);
    addFolder ("B", 20);
    addFolder ("C", 30);
    addFolder ("D", 40);
    writeLayout ("<REEL name=\"A\" slot=\"0\"/><REEL name=\"C\" slot=\"2\"/>");

    const auto expected = std::map<juce::String, int>{{"A", 0}, {"B", 1}, {"C", 2}, {"D", 3}};
    EXPECT_EQ (slotsOf (library->loadShelf()), expected);
    EXPECT_EQ (slotsInFile(), expected);
}

TEST_F (ShelfTest, SlotsSurviveReloadsAndAGoneReelFreesItsSlot)
{
    addFolder ("A", 10);
    auto b = addFolder ("B", 20);
    addFolder ("C", 30);
    library->loadShelf();

    b.deleteRecursively();
    EXPECT_EQ (slotsOf (library->loadShelf()), (std::map<juce::String, int>{{"A", 0}, {"C", 2}}));
    EXPECT_EQ (slotsInFile(), (std::map<juce::String, int>{{"A", 0}, {"C", 2}})) << "the gone reel drops out";

    addFolder ("E", 40);
    EXPECT_EQ (slotsOf (library->loadShelf())["E"], 1);
}

TEST_F (ShelfTest, ScratchFoldersNeverReachTheShelf)
{
    for (auto name : {"Untitled", "Song (Recovered)", "SONG (RECOVERED)", "take(recovered)"})
        addFolder (name, 5);

    addFolder ("untitled", 10); // only the exact "Untitled" is the scratch reel
    addFolder ("Song", 20);
    writeLayout ("<REEL name=\"Untitled\" slot=\"0\"/>");

    const auto shelf = library->loadShelf();

    EXPECT_EQ (namesOf (shelf), juce::StringArray ({"untitled", "Song"}));
    EXPECT_EQ (slotsOf (shelf), (std::map<juce::String, int>{{"untitled", 1}, {"Song", 2}}))
        << "a layout entry of a scratch folder still holds its slot while the folder exists";
    EXPECT_EQ (slotsInFile(), (std::map<juce::String, int>{{"untitled", 1}, {"Song", 2}}));
}

TEST_F (ShelfTest, HandEditedLayoutsAreReadAsTheyAre)
{
    addFolder ("A", 10);
    addFolder ("B", 20);
    addFolder ("C", 30);
    // Any tag counts, a repeated name keeps its later slot, negative slots are kept.
    writeLayout ("<REEL name=\"A\" slot=\"5\"/><ITEM name=\"B\" slot=\"-3\"/><REEL name=\"A\" slot=\"7\"/>");

    const auto shelf = library->loadShelf();

    EXPECT_EQ (slotsOf (shelf), (std::map<juce::String, int>{{"A", 7}, {"B", -3}, {"C", 0}}));
    EXPECT_EQ (slotsInFile(), slotsOf (shelf));
    EXPECT_EQ (layoutFile.loadFileAsString().indexOf ("\"A\""), layoutFile.loadFileAsString().lastIndexOf ("\"A\""))
        << "the name is written once";
}

TEST_F (ShelfTest, UnreadableLayoutCountsAsEmpty)
{
    addFolder ("A", 10);
    layoutFile.replaceWithText ("<LAYOUT><REEL name=");

    EXPECT_EQ (slotsOf (library->loadShelf()), (std::map<juce::String, int>{{"A", 0}}));
    EXPECT_EQ (slotsInFile(), (std::map<juce::String, int>{{"A", 0}}));
}

TEST_F (ShelfTest, UnchangedShelfIsNotRewritten)
{
    addFolder ("A", 10);
    library->loadShelf();
    layoutFile.setLastModificationTime (juce::Time (2020, 0, 1, 0, 0));

    library->loadShelf();
    EXPECT_EQ (layoutFile.getLastModificationTime(), juce::Time (2020, 0, 1, 0, 0));
}

TEST_F (ShelfTest, ShelfFollowsTheLibraryFolder)
{
    addFolder ("Here", 10);
    const auto other = temp / "Other Library";
    other.getChildFile ("There").createDirectory();

    library->setLibraryFolder (other);

    EXPECT_EQ (namesOf (library->loadShelf()), juce::StringArray ({"There"}));
    EXPECT_TRUE (other.getChildFile (StorageIds::shelfLayoutFile).existsAsFile());
}

TEST_F (ShelfTest, ReelFolderIsFoundOnlyForSingleFolderNames)
{
    EXPECT_EQ (library->getReelFolder ("Song"), root.getChildFile ("Song"));

    for (auto name : {"", ".", "..", "../Song", "a/b", "a\\b", "~", "~user", "/etc"})
    {
        SCOPED_TRACE (name);
        EXPECT_EQ (library->getReelFolder (name), juce::File());
    }
}
} // namespace
