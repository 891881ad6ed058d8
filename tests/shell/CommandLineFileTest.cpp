#include "app/CommandLineFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
class CommandLineFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pointer = folder.getFile().getChildFile ("My Song.reel");
        pointer.replaceWithText ("Velmora Dravin 8 Session Pointer");
        archive = folder.getFile().getChildFile ("backup.zip");
        archive.replaceWithText ("not really a zip");
        folder.getFile().getChildFile ("take.wav").replaceWithText ("RIFF");
        folder.getFile().getChildFile ("Reel Folder.zip").createDirectory();
    }

    TempDir folder{"dravin8-cmdline"};
    juce::File pointer, archive;
};
} // namespace

TEST_F (CommandLineFileTest, NamesOnlyExistingReelAndZipFiles)
{
    const auto base = folder.getFile();
    const auto path = pointer.getFullPathName();
    const auto url = "file://" + juce::URL::addEscapeChars (path, false).replace ("%2F", "/");

    const struct
    {
        juce::String text;
        juce::File expected;
    } cases[] = {
        {path, pointer},
        {"\"" + path + "\"", pointer},                 // quoted by the launcher
        {"\"\"" + path + "\"\"", pointer},             // quoted twice
        {"  '" + path + "'  ", pointer},               // single quotes and spaces
        {"My Song.reel", pointer},                     // relative to the start folder
        {"backup.ZIP", {}},                            // extension case: the file itself is "backup.zip"
        {url, pointer},                                // file:/// URL, the space percent-encoded
        {"file://otherhost" + path, {}},               // not a local file
        {base.getChildFile ("take.wav").getFullPathName(), {}},
        {base.getChildFile ("Reel Folder.zip").getFullPathName(), {}}, // folders never
        {base.getChildFile ("missing.reel").getFullPathName(), {}},
        {"", {}},
        {"\"\"", {}},
    };

    for (const auto& c : cases)
        EXPECT_EQ (CommandLineFile::resolve (c.text, base), c.expected) << c.text;

    EXPECT_EQ (CommandLineFile::resolve ("backup.zip", base), archive);
}

TEST_F (CommandLineFileTest, OnlyRealArchivesCountAsArchives)
{
    EXPECT_FALSE (CommandLineFile::isArchive (pointer));
    EXPECT_FALSE (CommandLineFile::isArchive (archive));

    // A backup archive may carry ".reel".
    const auto zipped = folder.getFile().getChildFile ("Backup.reel");
    juce::ZipFile::Builder builder;
    builder.addEntry (new juce::MemoryInputStream ("<REEL/>", 7, false), 9, "settings.xml", juce::Time::getCurrentTime());
    {
        juce::FileOutputStream out (zipped);
        ASSERT_TRUE (builder.writeToStream (out, nullptr));
    }
    EXPECT_TRUE (CommandLineFile::isArchive (zipped));
}

TEST_F (CommandLineFileTest, PointerFindsTheLibraryReelByFileNameThenByItsFolder)
{
    const auto library = folder.getFile().getChildFile ("Library");
    const auto makeReel = [] (const juce::File& reelFolder)
    {
        reelFolder.createDirectory();
        reelFolder.getChildFile ("settings.xml").replaceWithText ("<PARAMETERS/>");
    };

    makeReel (library.getChildFile ("My Song"));
    EXPECT_EQ (CommandLineFile::findPointerReel (pointer, library), "My Song");

    // Renamed by the user: the folder it lies in names the reel.
    const auto renamedFolder = library.getChildFile ("Renamed");
    makeReel (renamedFolder);
    const auto oldPointer = renamedFolder.getChildFile ("Old Name.reel");
    oldPointer.replaceWithText ("pointer");
    EXPECT_EQ (CommandLineFile::findPointerReel (oldPointer, library), "Renamed");

    // Copied alone to the desktop: nothing to open.
    const auto desktopPointer = folder.getFile().getChildFile ("Desktop").getChildFile ("Lost.reel");
    desktopPointer.create();
    EXPECT_EQ (CommandLineFile::findPointerReel (desktopPointer, library), "");
}

TEST (CommandLineFileDisposal, OnlyTempFolderAndInboxCopiesGo)
{
    const auto temp = juce::File::getSpecialLocation (juce::File::tempDirectory);
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);

    const struct
    {
        juce::File file;
        bool disposable;
    } cases[] = {
        {temp.getChildFile ("mail-attachment/Song.zip"), true},
        {home.getChildFile ("Mail/Inbox/Song.zip"), true},
        {home.getChildFile ("Mail/Inbox/2024/Song.zip"), true},
        {home.getChildFile ("Music/Song.zip"), false},
        {home.getChildFile ("Music/tmp/Song.zip"), false},          // "tmp" inside a name is no temp folder
        {home.getChildFile ("Music/Attempts/Song.zip"), false},     // nor is "tmp" inside a word
        {home.getChildFile ("Music/inbox/Song.zip"), false},        // only a folder named exactly "Inbox"
        {home.getChildFile ("Music/Inbox Archive/Song.zip"), false},
        {home.getChildFile ("Music/Song Inbox.zip"), false},
    };

    for (const auto& c : cases)
        EXPECT_EQ (CommandLineFile::isDisposableCopy (c.file), c.disposable) << c.file.getFullPathName();
}
