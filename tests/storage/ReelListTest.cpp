#include "storage/ReelList.h"
#include "tests/storage/StorageTestSupport.h"

namespace
{
using ReelListTest = LibraryTest;

ShelfEntry entryFor (const juce::File& folder)
{
    return {folder.getFileName(), folder, folder.getLastModificationTime().toMilliseconds(), 0};
}

TEST_F (ReelListTest, RowTextsComeFromTheSettingsFile)
{
    struct Case
    {
        std::vector<std::pair<const char*, const char*>> attributes;
        const char *tracks, *rate, *length, *ram;
    };

    const Case cases[] = {
        {{{"numTracks", "16"}, {"sampleRate", "48000.0"}, {"reelLength", "1200.0"}},
         "16 Tracks",
         "48.0 kHz",
         "20 Min",
         "3515.6 MB"},
        {{{"sampleRate", "96000.0"}}, "8 Tracks", "96.0 kHz", "10 Min", "1757.8 MB"},
        {{{"reelLength", "90.0"}}, "8 Tracks", "44.1 kHz", "1 Min", "121.1 MB"},
        {{{"reelLength", "59.0"}}, "8 Tracks", "44.1 kHz", "0 Min", "79.4 MB"},
        {{{"numTracks", "24"}, {"sampleRate", "44100.0"}, {"reelLength", "3600.0"}},
         "24 Tracks",
         "44.1 kHz",
         "60 Min",
         "14534.9 MB"},
    };

    const auto root = temp / "lib";

    for (const auto& c : cases)
    {
        juce::StringPairArray attributes;

        for (const auto& [key, value] : c.attributes)
            attributes.set (key, value);

        SCOPED_TRACE (attributes.getDescription());
        root.deleteRecursively();
        const auto row = ReelList::makeRow (entryFor (writeReel (root, "Song", &attributes)));

        EXPECT_EQ (row.name, "Song");
        EXPECT_EQ (row.trackCountText, c.tracks);
        EXPECT_EQ (row.sampleRateText, c.rate);
        EXPECT_EQ (row.lengthText, c.length);
        EXPECT_EQ (row.ramText, c.ram);
    }
}

TEST_F (ReelListTest, ReelWithoutOrWithBrokenSettings)
{
    const auto root = temp / "lib";
    const auto bare = writeReel (root, "Bare", nullptr);
    const auto broken = writeReel (root, "Broken", nullptr);
    broken.getChildFile ("settings.xml").replaceWithText ("<PARAMETERS numTracks=\"16");

    const auto bareRow = ReelList::makeRow (entryFor (bare));
    EXPECT_EQ (bareRow.trackCountText, "8 Tracks");
    EXPECT_EQ (bareRow.sampleRateText, "44.1 kHz");
    EXPECT_EQ (bareRow.lengthText, "10 Min");
    EXPECT_EQ (bareRow.ramText, "Unknown RAM");

    const auto brokenRow = ReelList::makeRow (entryFor (broken));
    EXPECT_EQ (brokenRow.trackCountText, "");
    EXPECT_EQ (brokenRow.sampleRateText, "");
    EXPECT_EQ (brokenRow.lengthText, "");
    EXPECT_EQ (brokenRow.ramText, "");
    EXPECT_EQ (brokenRow.sizeText, "0 MB");
}

TEST_F (ReelListTest, SizeCountsEveryFileInWholeMebibytes)
{
    const auto fill = [] (const juce::File& f, size_t bytes)
    {
        f.getParentDirectory().createDirectory();
        juce::MemoryBlock block (bytes, true);
        f.replaceWithData (block.getData(), block.getSize());
    };

    const auto small = temp / "Small";
    fill (small.getChildFile ("track_1.wav"), 1048575);
    EXPECT_EQ (ReelList::makeRow (entryFor (small)).sizeText, "0 MB");

    const auto spread = temp / "Spread";
    fill (spread.getChildFile ("track_1.wav"), 1048576);
    fill (spread.getChildFile (".hidden"), 1048576);
    fill (spread.getChildFile ("Recovery").getChildFile ("track_1.wav"), 1048576);
    EXPECT_EQ (ReelList::makeRow (entryFor (spread)).sizeText, "3 MB");
}

TEST_F (ReelListTest, DateTextIsFixedEnglishInLocalTime)
{
    EXPECT_EQ (ReelList::formatDate (juce::Time (2026, 3, 15, 13, 53)), "Apr 15, 2026  -  01:53 PM");
    EXPECT_EQ (ReelList::formatDate (juce::Time (2025, 0, 2, 0, 5)), "Jan 02, 2025  -  12:05 AM");
    EXPECT_EQ (ReelList::formatDate (juce::Time (2025, 11, 31, 12, 0)), "Dec 31, 2025  -  12:00 PM");

    const juce::Time when (2024, 6, 4, 9, 7);
    const ShelfEntry entry{"Song", temp / "Song", when.toMilliseconds(), 0};
    EXPECT_EQ (ReelList::makeRow (entry).dateText, "Jul 04, 2024  -  09:07 AM");
}

TEST_F (ReelListTest, SearchKeepsNamesHoldingTheTextInAnyCase)
{
    juce::Array<ShelfEntry> shelf;

    for (auto name : {"Demo", "My DEMO Take", "demolition", "Dem o", "Song"})
        shelf.add ({name, temp / name, 0, 0});

    const auto names = [] (const juce::Array<ReelInfo>& rows)
    {
        juce::StringArray result;

        for (const auto& r : rows)
            result.add (r.name);

        result.sort (true);
        return result;
    };

    EXPECT_EQ (names (ReelList::buildRows (shelf, "  demo ", ReelList::sortByName)),
               juce::StringArray ({"Demo", "demolition", "My DEMO Take"}));
    EXPECT_TRUE (ReelList::buildRows (shelf, "zzz", ReelList::sortByName).isEmpty());
    EXPECT_EQ (ReelList::buildRows (shelf, "   ", ReelList::sortByName).size(), 5);
}

TEST_F (ReelListTest, SortsByNameIgnoringCaseOrNewestFirst)
{
    juce::Array<ShelfEntry> shelf;
    shelf.add ({"gamma", temp / "gamma", 300, 0});
    shelf.add ({"alpha", temp / "alpha", 100, 1});
    shelf.add ({"Beta", temp / "Beta", 200, 2});

    const auto order = [] (const juce::Array<ReelInfo>& rows)
    {
        juce::StringArray result;

        for (const auto& r : rows)
            result.add (r.name);

        return result;
    };

    EXPECT_EQ (order (ReelList::buildRows (shelf, {}, ReelList::sortByName)),
               juce::StringArray ({"alpha", "Beta", "gamma"}));
    EXPECT_EQ (order (ReelList::buildRows (shelf, {}, ReelList::sortByRecent)),
               juce::StringArray ({"gamma", "Beta", "alpha"}));
    EXPECT_EQ (order (ReelList::buildRows (shelf, {}, 0)), juce::StringArray ({"gamma", "Beta", "alpha"}))
        << "nothing selected sorts by recency";
}

TEST_F (ReelListTest, RowsOfTheLibraryLeaveScratchReelsOutAndFindNamesExactly)
{
    const auto library = makeLibrary();
    writeReel (library->libraryRoot, "Song");
    writeReel (library->libraryRoot, "Untitled");
    writeReel (library->libraryRoot, "Song (Recovered)");

    const auto rows = ReelList::buildRows (library->loadShelf(), {}, ReelList::sortByRecent);

    ASSERT_EQ (rows.size(), 1);
    EXPECT_EQ (rows[0].trackCountText, "8 Tracks");
    EXPECT_EQ (rows[0].sampleRateText, "48.0 kHz");
    EXPECT_EQ (ReelList::indexOfReel (rows, "Song"), 0);
    EXPECT_EQ (ReelList::indexOfReel (rows, "song"), -1);
    EXPECT_EQ (ReelList::indexOfReel (rows, "Untitled"), -1);
}
} // namespace
