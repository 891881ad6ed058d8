#include "storage/ReelArchiveReader.h"
#include "storage/ReelArchiveWriter.h"
#include "storage/ReelLibrary.h"
#include "tests/storage/StorageTestSupport.h"
#include "tests/storage/ZipBytes.h"

namespace
{
class ArchiveTest : public LibraryTest
{
protected:
    std::unique_ptr<ReelLibrary> library = makeLibrary();
    juce::File root = library->libraryRoot;
    juce::File outside = temp / "outside";

    void SetUp() override { outside.createDirectory(); }

    static void writeRandomBytes (const juce::File& file, size_t count, juce::int64 seed)
    {
        juce::Random random (seed);
        juce::MemoryBlock bytes (count);

        for (size_t i = 0; i < count; ++i)
            bytes[i] = (char)random.nextInt (256);

        file.replaceWithData (bytes.getData(), bytes.getSize());
    }

    // A reel with files in its own folder and in two slot folders, one of them hidden.
    juce::File writeFullReel (const juce::String& name)
    {
        const auto folder = writeReel (root, name);
        writeRandomBytes (folder.getChildFile ("track_1.wav"), 300000, 42);
        folder.getChildFile ("automation.xml").replaceWithText ("<AUTOMATION/>");
        folder.getChildFile ("defects.gz").create();
        folder.getChildFile (".hidden").replaceWithText ("kept too");
        folder.getChildFile ("Recovery").createDirectory();
        folder.getChildFile ("Recovery").getChildFile ("settings.xml").replaceWithText ("<PARAMETERS/>");
        writeRandomBytes (folder.getChildFile ("Recovery").getChildFile ("track_1.wav"), 1000, 5);
        folder.getChildFile ("State_1_Auto").createDirectory();
        writeRandomBytes (folder.getChildFile ("State_1_Auto").getChildFile ("track_1.wav"), 5000, 7);
        folder.getChildFile ("Bounces").createDirectory(); // empty: not kept
        return folder;
    }

    static juce::StringArray entryNames (const juce::File& archive)
    {
        juce::ZipFile zip (archive);
        juce::StringArray names;

        for (int i = 0; i < zip.getNumEntries(); ++i)
            names.add (zip.getEntry (i)->filename);

        return names;
    }

    // Everything under the temporary folder, so a test can show that nothing escaped.
    juce::StringArray everythingNamed (const juce::String& fileName) const
    {
        juce::StringArray found;

        for (const auto& f : temp.getFile().findChildFiles (juce::File::findFilesAndDirectories, true, fileName))
            found.add (f.getFullPathName());

        return found;
    }

    static ZipBytes minimalReel()
    {
        ZipBytes zip;
        zip.add ("settings.xml", "<PARAMETERS numTracks=\"8\"/>");
        zip.add ("track_1.wav", "RIFF");
        return zip;
    }
};

TEST_F (ArchiveTest, BackupHoldsEveryFileUnderRelativeNames)
{
    writeFullReel ("Song");
    const auto archive = outside.getChildFile ("Song.reel");
    std::atomic<double> progress{0.0};

    ASSERT_TRUE (library->zipReel ("Song", archive, &progress).wasOk());

    EXPECT_EQ (progress.load(), 1.0);
    EXPECT_EQ (entryNames (archive), juce::StringArray ({".hidden", "Recovery/settings.xml", "Recovery/track_1.wav",
                                                         "Song.reel", "State_1_Auto/track_1.wav", "automation.xml",
                                                         "defects.gz", "settings.xml", "track_1.wav"}));

    juce::ZipFile zip (archive);
    const auto* settings = zip.getEntry ("settings.xml");
    ASSERT_NE (settings, nullptr);
    const auto stored = root.getChildFile ("Song").getChildFile ("settings.xml").getLastModificationTime();
    EXPECT_LE (std::abs ((settings->fileTime - stored).inSeconds()), 2.0) << "DOS times have 2-second steps";
    EXPECT_EQ (outside.findChildFiles (juce::File::findFiles, false, "*").size(), 1) << "no temporary file left";
}

TEST_F (ArchiveTest, BackupUnpacksToAnIdenticalReel)
{
    const auto original = writeFullReel ("Song");
    const auto archive = outside.getChildFile ("Song.reel");
    ASSERT_TRUE (library->zipReel ("Song", archive).wasOk());

    const auto otherLibrary = temp / "other library";
    otherLibrary.createDirectory();
    ASSERT_TRUE (library->setLibraryFolder (otherLibrary));

    juce::String reason;
    ASSERT_EQ (library->importReelArchive (archive, &reason), "Song") << reason;

    const auto copy = otherLibrary.getChildFile ("Song");
    EXPECT_EQ (readTree (copy), readTree (original));
    EXPECT_FALSE (copy.getChildFile ("Bounces").exists()) << "empty folders get no entries";

    const auto originalTime = original.getChildFile ("track_1.wav").getLastModificationTime();
    const auto copyTime = copy.getChildFile ("track_1.wav").getLastModificationTime();
    EXPECT_LE (std::abs ((copyTime - originalTime).inSeconds()), 2.0) << "files keep their stored times";
}

TEST_F (ArchiveTest, BackupReplacesAnOlderArchiveCompletely)
{
    writeFullReel ("Song");
    const auto archive = outside.getChildFile ("Song.reel");
    writeRandomBytes (archive, 500000, 3);

    ASSERT_TRUE (library->zipReel ("Song", archive).wasOk());
    EXPECT_EQ (entryNames (archive).size(), 9);
    EXPECT_EQ (library->importReelArchive (archive), "Song (2)");
}

TEST_F (ArchiveTest, EmptyReelGivesAnArchiveWithoutEntriesThatIsNoReel)
{
    root.getChildFile ("Empty").createDirectory();
    const auto archive = outside.getChildFile ("Empty.reel");
    std::atomic<double> progress{0.0};

    ASSERT_TRUE (library->zipReel ("Empty", archive, &progress).wasOk());
    EXPECT_EQ (progress.load(), 1.0);
    EXPECT_EQ (archive.getSize(), 22);
    EXPECT_EQ (entryNames (archive).size(), 0);

    const auto before = childNames (root);
    EXPECT_EQ (library->importReelArchive (archive), "");
    EXPECT_EQ (childNames (root), before);
}

TEST_F (ArchiveTest, BackupOfAMissingOrUnsafeNameWritesNothing)
{
    writeReel (root, "Song");

    for (auto name : {"Nothing Here", "", "..", "../Reels", "Song/..", "~"})
    {
        SCOPED_TRACE (name);
        const auto archive = outside.getChildFile ("out.reel");
        std::atomic<double> progress{0.25};

        const auto result = library->zipReel (name, archive, &progress);
        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().isNotEmpty());
        EXPECT_FALSE (archive.exists());
        EXPECT_EQ (progress.load(), 0.25);
    }

    EXPECT_TRUE (library->zipReel ("Song", root.getChildFile ("Song").getChildFile ("self.reel")).failed())
        << "not into the reel's own folder";
    EXPECT_TRUE (library->zipReel ("Song", (temp / "no such folder").getChildFile ("out.reel")).failed());
}

TEST_F (ArchiveTest, CancelledBackupLeavesNoPartialArchiveAndKeepsTheOldOne)
{
    writeFullReel ("Song");

    for (int allowedPolls : {0, 1, 3, 6})
    {
        SCOPED_TRACE (allowedPolls);
        int polls = 0;
        const auto cancel = [&] { return polls++ >= allowedPolls; };

        const auto fresh = outside.getChildFile ("fresh.reel");
        EXPECT_TRUE (library->zipReel ("Song", fresh, nullptr, cancel).failed());
        EXPECT_FALSE (fresh.exists());

        const auto older = outside.getChildFile ("older.reel");
        older.replaceWithText ("the previous backup");
        polls = 0;
        EXPECT_TRUE (library->zipReel ("Song", older, nullptr, cancel).failed());
        EXPECT_EQ (older.loadFileAsString(), "the previous backup");

        EXPECT_EQ (childNames (outside), juce::StringArray ({"older.reel"})) << "no temporary file left";
        older.deleteFile();
    }
}

TEST_F (ArchiveTest, ArchivesTheFormatCannotHoldAreRefusedUpFront)
{
    const auto items = [] (int count, juce::int64 size)
    {
        juce::Array<ReelArchiveWriter::Item> list;

        for (int i = 0; i < count; ++i)
            list.add ({{}, "track_" + juce::String (i + 1) + ".wav", size});

        return list;
    };

    const auto fourGiB = (juce::int64)1 << 32;

    EXPECT_TRUE (ReelArchiveWriter::checkLimits (items (ReelArchiveWriter::maxEntries, 10)).wasOk());
    EXPECT_TRUE (ReelArchiveWriter::checkLimits (items (ReelArchiveWriter::maxEntries + 1, 10)).failed());
    EXPECT_TRUE (ReelArchiveWriter::checkLimits (items (1, fourGiB)).failed()) << "one file of 4 GiB";
    EXPECT_TRUE (ReelArchiveWriter::checkLimits (items (2, fourGiB / 2)).failed()) << "two files adding up to 4 GiB";
    EXPECT_TRUE (ReelArchiveWriter::checkLimits (items (24, 345600104)).failed())
        << "24 tracks of 60 minutes at 48 kHz";
    EXPECT_TRUE (ReelArchiveWriter::checkLimits (items (8, 345600104)).wasOk()) << "8 tracks of 60 minutes at 48 kHz";
    EXPECT_TRUE (ReelArchiveWriter::checkLimits (items (1, fourGiB - 1024 * 1024 * 8)).wasOk());

    const auto refusal = ReelArchiveWriter::checkLimits (items (24, 345600104));
    EXPECT_TRUE (refusal.getErrorMessage().contains ("4 GB")) << refusal.getErrorMessage();
}

TEST_F (ArchiveTest, ImportNamesTheReelAfterTheArchive)
{
    writeReel (root, "Song");
    writeReel (root, "Song (2)");

    struct Case
    {
        const char* archiveName;
        const char* reelName;
    };

    const Case cases[] = {
        {"Song.reel", "Song (3)"},
        {"mix.final.zip", "mix.final"},
        {"song.zip", "song (4)"},
        {"Untitled.zip", "Untitled (2)"},
        {"Take (Recovered).reel", "Take (Recovered) (2)"},
        {"Backup", "Backup"},
        {"Trailing..zip", "Trailing"},
        {"~home.zip", "home"},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.archiveName);
        // Joined by hand: getChildFile would read "~home.zip" as a home folder.
        const juce::File archive (outside.getFullPathName() + "/" + c.archiveName);
        minimalReel().writeTo (archive);

        EXPECT_EQ (library->importReelArchive (archive), c.reelName);
        EXPECT_TRUE (root.getChildFile (c.reelName).getChildFile ("settings.xml").existsAsFile());
    }
}

TEST_F (ArchiveTest, ImportRenamesTheArchivedPointerFile)
{
    writeFullReel ("Song");
    const auto archive = outside.getChildFile ("Song.reel");
    ASSERT_TRUE (library->zipReel ("Song", archive).wasOk());

    ASSERT_EQ (library->importReelArchive (archive), "Song (2)");
    const auto copy = root.getChildFile ("Song (2)");
    EXPECT_TRUE (copy.getChildFile ("Song (2).reel").existsAsFile());
    EXPECT_FALSE (copy.getChildFile ("Song.reel").exists());
}

TEST_F (ArchiveTest, ImportAcceptsWindowsNamesAndAnEnclosingFolder)
{
    ZipBytes windows;
    windows.add ("settings.xml", "<PARAMETERS/>");
    windows.add ("Recovery\\settings.xml", "<PARAMETERS/>");
    windows.add ("State_2\\track_1.wav", "RIFF");
    windows.writeTo (outside.getChildFile ("Windows.reel"));

    ASSERT_EQ (library->importReelArchive (outside.getChildFile ("Windows.reel")), "Windows");
    EXPECT_TRUE (root.getChildFile ("Windows/Recovery/settings.xml").existsAsFile());
    EXPECT_TRUE (root.getChildFile ("Windows/State_2/track_1.wav").existsAsFile());

    ZipBytes zippedByHand;
    zippedByHand.add ("Old Name/", "");
    zippedByHand.add ("Old Name/settings.xml", "<PARAMETERS/>");
    zippedByHand.add ("Old Name/Recovery/track_1.wav", "RIFF");
    zippedByHand.writeTo (outside.getChildFile ("Folder.zip"));

    ASSERT_EQ (library->importReelArchive (outside.getChildFile ("Folder.zip")), "Folder");
    EXPECT_TRUE (root.getChildFile ("Folder/settings.xml").existsAsFile());
    EXPECT_TRUE (root.getChildFile ("Folder/Recovery/track_1.wav").existsAsFile());
    EXPECT_FALSE (root.getChildFile ("Folder/Old Name").exists());

    ZipBytes tilde = minimalReel();
    tilde.add ("~/dravin8-import-probe.txt", "stays inside");
    tilde.writeTo (outside.getChildFile ("Tilde.zip"));

    ASSERT_EQ (library->importReelArchive (outside.getChildFile ("Tilde.zip")), "Tilde");
    EXPECT_TRUE (juce::File (root.getFullPathName() + "/Tilde/~/dravin8-import-probe.txt").existsAsFile());
    EXPECT_FALSE (juce::File ("~/dravin8-import-probe.txt").exists());
}

TEST_F (ArchiveTest, HostileOrBrokenArchivesAreRefusedAndLeaveNothingBehind)
{
    writeReel (root, "Song");

    struct Case
    {
        const char* what;
        std::function<void (ZipBytes&)> addEntries;
    };

    const Case cases[] = {
        {"parent folder", [] (ZipBytes& z) { z.add ("../evil.txt", "x"); }},
        {"parent folder, Windows style", [] (ZipBytes& z) { z.add ("..\\evil.txt", "x"); }},
        {"parent folder further in", [] (ZipBytes& z) { z.add ("Recovery/../../evil.txt", "x"); }},
        {"absolute path", [this] (ZipBytes& z) { z.add (outside.getChildFile ("evil.txt").getFullPathName(), "x"); }},
        {"drive path", [] (ZipBytes& z) { z.add ("C:\\evil.txt", "x"); }},
        {"control character", [] (ZipBytes& z) { z.add ("evil\ntxt", "x"); }},
        {"symbolic link", [this] (ZipBytes& z) { z.addSymbolicLink ("evil.txt", outside.getFullPathName()); }},
        {"symbolic link to a folder", [] (ZipBytes& z) { z.addSymbolicLink ("Recovery", "/"); }},
        {"more data than declared", [] (ZipBytes& z) { z.addWithDeclaredSize ("track_2.wav", "0123456789", 4); }},
        {"less data than declared", [] (ZipBytes& z) { z.addWithDeclaredSize ("track_2.wav", "0123", 10); }},
        {"declared sizes past the cap",
         [] (ZipBytes& z)
         {
             for (int i = 0; i < 60; ++i)
                 z.addWithDeclaredSize ("bomb_" + juce::String (i), "x", 0xffffffffLL);
         }},
        {"no settings file", [] (ZipBytes& z) { z.add ("settings.xml/", ""); }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        ZipBytes zip;

        if (juce::String (c.what) != "no settings file")
            zip = minimalReel();
        else
            zip.add ("track_1.wav", "RIFF");

        c.addEntries (zip);
        const auto archive = outside.getChildFile ("Hostile.zip");
        zip.writeTo (archive);

        const auto before = childNames (root);
        juce::String reason;

        EXPECT_EQ (library->importReelArchive (archive, &reason), "");
        EXPECT_TRUE (reason.isNotEmpty());
        EXPECT_EQ (childNames (root), before);
        EXPECT_TRUE (everythingNamed ("evil.txt").isEmpty()) << everythingNamed ("evil.txt").joinIntoString (", ");
    }
}

TEST_F (ArchiveTest, ImportOfWhatIsNoArchiveCreatesNothing)
{
    const auto pointer = writeReel (root, "Song").getChildFile ("Song.reel");
    const auto before = childNames (root);

    for (const auto& source : {pointer, outside, outside.getChildFile ("missing.zip"), juce::File()})
    {
        SCOPED_TRACE (source.getFullPathName());
        juce::String reason;
        EXPECT_EQ (library->importReelArchive (source, &reason), "");
        EXPECT_TRUE (reason.isNotEmpty());
        EXPECT_EQ (childNames (root), before);
    }
}

TEST_F (ArchiveTest, CancelledImportLeavesNothingBehind)
{
    writeFullReel ("Song");
    const auto archive = outside.getChildFile ("Song.reel");
    ASSERT_TRUE (library->zipReel ("Song", archive).wasOk());

    const auto before = childNames (root);
    int polls = 0;
    EXPECT_EQ (library->importReelArchive (archive, nullptr, nullptr, [&] { return ++polls > 3; }), "");
    EXPECT_EQ (childNames (root), before);
}

class RenameTest : public ArchiveTest
{
protected:
    juce::File layoutFile = root.getChildFile (StorageIds::shelfLayoutFile);

    std::map<juce::String, int> layoutSlots() const
    {
        std::map<juce::String, int> slots;

        if (auto xml = juce::parseXML (layoutFile))
            for (auto* e : xml->getChildIterator())
                slots[e->getStringAttribute ("name")] = e->getIntAttribute ("slot");

        return slots;
    }
};

TEST_F (RenameTest, RenameMovesFolderPointerAndSlot)
{
    setAge (writeReel (root, "First"), 10);
    setAge (writeFullReel ("Song"), 20);
    setAge (writeReel (root, "Last"), 30);
    library->loadShelf();
    ASSERT_EQ (layoutSlots()["Song"], 1);

    ASSERT_TRUE (library->renameReel ("Song", "Song 2").wasOk());

    const auto renamed = root.getChildFile ("Song 2");
    EXPECT_FALSE (root.getChildFile ("Song").exists());
    EXPECT_TRUE (renamed.getChildFile ("Song 2.reel").existsAsFile());
    EXPECT_FALSE (renamed.getChildFile ("Song.reel").exists());
    EXPECT_TRUE (renamed.getChildFile ("Recovery/track_1.wav").existsAsFile()) << "the rest is untouched";
    EXPECT_EQ (layoutSlots(), (std::map<juce::String, int>{{"First", 0}, {"Song 2", 1}, {"Last", 2}}));
}

TEST_F (RenameTest, ReelWithoutASlotGetsTheLowestFreeOne)
{
    setAge (writeReel (root, "A"), 10);
    setAge (writeReel (root, "B"), 20);
    layoutFile.replaceWithText ("<LAYOUT><REEL name=\"B\" slot=\"0\"/></LAYOUT>");

    ASSERT_TRUE (library->renameReel ("A", "Alpha").wasOk());
    EXPECT_EQ (layoutSlots(), (std::map<juce::String, int>{{"Alpha", 1}, {"B", 0}}));
}

TEST_F (RenameTest, ChangingOnlyTheLetterCaseIsAllowed)
{
    writeReel (root, "song");
    library->loadShelf();

    ASSERT_TRUE (library->renameReel ("song", "Song").wasOk());
    EXPECT_EQ (childNames (root), juce::StringArray ({"Song", "shelf_layout.xml"}));
    EXPECT_TRUE (root.getChildFile ("Song").getChildFile ("Song.reel").existsAsFile());
    EXPECT_EQ (layoutSlots(), (std::map<juce::String, int>{{"Song", 0}}));
}

TEST_F (RenameTest, RefusedNamesChangeNothing)
{
    writeReel (root, "Song");
    writeReel (root, "Other");
    root.getChildFile ("notes.txt").replaceWithText ("a file");
    library->loadShelf();

    const juce::String refused[] = {
        "", "Other", "OTHER", "notes.txt", "../Song", "a/b", "a\\b", "Untitled", "Take (Recovered)", "Song.", "~Song"};

    for (const auto& name : refused)
    {
        SCOPED_TRACE (name);
        const auto tree = readTree (root);
        const auto result = library->renameReel ("Song", name);

        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().isNotEmpty());
        EXPECT_EQ (readTree (root), tree);
    }

    const auto tree = readTree (root);
    EXPECT_TRUE (library->renameReel ("Song", "Song").wasOk()) << "unchanged: nothing to do";
    EXPECT_TRUE (library->renameReel ("Missing", "Found").failed());
    EXPECT_TRUE (library->renameReel ("..", "Escaped").failed());
    EXPECT_EQ (readTree (root), tree);
    EXPECT_TRUE (everythingNamed ("Escaped").isEmpty());
}

TEST_F (RenameTest, DuplicateCopiesEveryFileAndNamesThePointerAfterTheCopy)
{
    const auto source = writeFullReel ("Song");
    writeRandomBytes (source.getChildFile ("track_2.wav"), 3u << 20, 9); // several pieces
    outside.getChildFile ("private.txt").replaceWithText ("not part of the tape");
    ASSERT_TRUE (outside.getChildFile ("private.txt").createSymbolicLink (source.getChildFile ("link.txt"), true));
    std::atomic<double> progress{0.0};

    ASSERT_TRUE (library->duplicateReel (source, "Song Copy", &progress).wasOk());

    auto expected = readTree (source);
    expected.erase ("link.txt"); // links are not copied
    expected["Song Copy.reel"] = expected["Song.reel"];
    expected.erase ("Song.reel");
    EXPECT_EQ (readTree (root.getChildFile ("Song Copy")), expected);
    EXPECT_FALSE (root.getChildFile ("Song Copy/link.txt").exists());
    EXPECT_EQ (progress.load(), 1.0);
}

TEST_F (RenameTest, ARefusedOrCancelledDuplicateLeavesNothing)
{
    const auto source = writeFullReel ("Song");
    writeRandomBytes (source.getChildFile ("track_2.wav"), 3u << 20, 9);
    writeReel (root, "Other");
    const auto tree = readTree (root);

    for (const juce::String name : {"", "Other", "OTHER", "../Escaped", "a/b", "Untitled"})
    {
        SCOPED_TRACE (name);
        const auto result = library->duplicateReel (source, name);
        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().isNotEmpty());
    }

    EXPECT_TRUE (library->duplicateReel (root.getChildFile ("Missing"), "Found").failed());

    // Cancel after the first pieces: the part copied so far goes again.
    int asked = 0;
    const auto cancelled = library->duplicateReel (source, "Song Copy", nullptr, [&] { return ++asked > 3; });
    EXPECT_EQ (cancelled.getErrorMessage(), ReelLibrary::duplicateCancelledMessage);
    EXPECT_EQ (readTree (root), tree);
    EXPECT_FALSE (root.getChildFile ("Song Copy").exists());
    EXPECT_TRUE (everythingNamed ("Escaped").isEmpty());
}
} // namespace

namespace
{
TEST (ReelArchiveReader, ArchivesInMemoryUnpackLikeFiles)
{
    ZipBytes zip;
    zip.add ("settings.xml", "<PARAMETERS/>");
    zip.add ("Recovery/settings.xml", "<PARAMETERS/>");
    const auto bytes = zip.build();

    ReelArchiveReader reader (std::make_unique<juce::MemoryInputStream> (bytes, false));
    ASSERT_TRUE (reader.check (ReelLibrary::maxUnpackedArchiveBytes).wasOk());

    const TempDir target;
    ASSERT_TRUE (reader.unpackTo (target.getFile()).wasOk());
    EXPECT_TRUE ((target / "Recovery").getChildFile ("settings.xml").existsAsFile());
    EXPECT_EQ ((target / "settings.xml").getLastModificationTime(), juce::Time (2024, 2, 14, 10, 30))
        << "the entry's stored time";
}
} // namespace
