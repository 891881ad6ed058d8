#include "storage/FirstRunThread.h"
#include "storage/ReelLibrary.h"
#include "tests/firstrun/FirstRunTestSupport.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <atomic>

namespace
{
struct Entry
{
    juce::String path;
    juce::MemoryBlock content;
};

juce::MemoryBlock text (const juce::String& s)
{
    return {s.toRawUTF8(), s.getNumBytesAsUTF8()};
}

// A short 48 kHz tone as a reel's track file holds it.
juce::MemoryBlock toneWav (double frequency)
{
    juce::MemoryBlock block;
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (new juce::MemoryOutputStream (block, false), 48000.0, 1, 24, {}, 0));
    juce::AudioBuffer<float> tone (1, 4800);

    for (int i = 0; i < tone.getNumSamples(); ++i)
        tone.setSample (0, i, 0.5f * (float)std::sin (juce::MathConstants<double>::twoPi * frequency * i / 48000.0));

    writer->writeFromAudioSampleBuffer (tone, 0, tone.getNumSamples());
    writer.reset();
    return block;
}

const juce::Time reelTime (2024, 2, 1, 12, 0, 0);                         // 1 March 2024, 12:00 (local)
const juce::Time recoveryTime = reelTime - juce::RelativeTime::hours (1); // the recovery copy is older

// A reel folder as the demo archive holds it: no enclosing folder, the recovery copy in
// "Recovery/" with older stored times.
std::vector<Entry> demoEntries()
{
    const auto settings = text ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<PARAMETERS reelLength=\"600.0\" "
                                "numTracks=\"8\" sampleRate=\"48000.0\"/>\r\n");
    return {
        {"settings.xml", settings},
        {"automation.xml", text ("<AUTOMATION/>")},
        {"track_1.wav", toneWav (440.0)},
        {"track_2.wav", toneWav (660.0)},
        {"Recovery/settings.xml", settings},
        {"Recovery/automation.xml", text ("<AUTOMATION/>")},
        {"Recovery/track_1.wav", toneWav (440.0)},
    };
}

juce::MemoryBlock makeArchive (const std::vector<Entry>& entries)
{
    juce::ZipFile::Builder builder;

    for (const auto& e : entries)
        builder.addEntry (new juce::MemoryInputStream (e.content, true), 6, e.path,
                          e.path.startsWith ("Recovery/") ? recoveryTime : reelTime);

    juce::MemoryBlock archive;
    juce::MemoryOutputStream out (archive, false);
    builder.writeToStream (out, nullptr);
    out.flush();
    return archive;
}

EmbeddedBytes bytesOf (const juce::MemoryBlock& block)
{
    return {block.getData(), block.getSize()};
}

class DemoReelTest : public FirstRunTest
{
protected:
    const std::vector<Entry> entries = demoEntries();
    const juce::MemoryBlock archive = makeArchive (entries);

    FirstRun::DemoOutcome install (const std::function<bool()>& shouldStop = {})
    {
        return FirstRun::installDemoReel (root, "Demo", bytesOf (archive), shouldStop);
    }

    void expectCompleteDemo()
    {
        for (const auto& e : entries)
        {
            SCOPED_TRACE (e.path);
            juce::MemoryBlock unpacked;
            ASSERT_TRUE (demo().getChildFile (e.path).loadFileAsData (unpacked));
            EXPECT_TRUE (unpacked == e.content);
        }

        const auto marker = demo().getChildFile (".installed_ok");
        EXPECT_TRUE (marker.existsAsFile());
        EXPECT_EQ (marker.getSize(), 0);
        EXPECT_EQ (snapshot (demo()).size(), entries.size() + 2); // + the marker and the Recovery folder
    }

    // Nothing but the library's own folders: no work folder of the installer is left behind.
    void expectNoWorkFolders()
    {
        for (const auto& name : childNames (root))
            EXPECT_FALSE (name.startsWith (".")) << name;
    }
};
} // namespace

TEST_F (DemoReelTest, InstallsArchiveWithMarkerAndStoredTimes)
{
    EXPECT_EQ (install(), FirstRun::DemoOutcome::installed);
    expectCompleteDemo();
    expectNoWorkFolders();

    // The recovery check compares these: the freshly unpacked recovery copy must stay older.
    const auto main = demo().getChildFile ("settings.xml").getLastModificationTime();
    const auto recovery = demo().getChildFile ("Recovery/settings.xml").getLastModificationTime();
    EXPECT_LT (recovery, main);
    EXPECT_NEAR ((double)main.toMilliseconds(), (double)reelTime.toMilliseconds(), 2000.0);
    EXPECT_NEAR ((double)recovery.toMilliseconds(), (double)recoveryTime.toMilliseconds(), 2000.0);
}

TEST_F (DemoReelTest, InstalledDemoIsNeverTouchedAgain)
{
    ASSERT_EQ (install(), FirstRun::DemoOutcome::installed);

    // The user opened and saved it: a pointer file appears and the settings change.
    demo().getChildFile ("Demo.reel").replaceWithText ("Velmora Dravin 8 Session Pointer");
    demo().getChildFile ("settings.xml").replaceWithText ("<PARAMETERS/>");
    const auto before = snapshot (demo());

    EXPECT_EQ (install(), FirstRun::DemoOutcome::alreadyInstalled);
    EXPECT_EQ (snapshot (demo()), before);
    EXPECT_EQ (demo().getChildFile ("settings.xml").loadFileAsString(), "<PARAMETERS/>");
}

TEST_F (DemoReelTest, UsersOwnDemoIsLeftAlone)
{
    // A reel the user saved as "Demo" after deleting the demo reel: archive names, plus its
    // own pointer file, and no marker.
    demo().getChildFile ("Recovery").createDirectory();
    demo().getChildFile ("settings.xml").replaceWithText ("<PARAMETERS numTracks=\"16\"/>");
    demo().getChildFile ("Recovery/settings.xml").replaceWithText ("<PARAMETERS numTracks=\"16\"/>");
    demo().getChildFile ("Demo.reel").replaceWithText ("Velmora Dravin 8 Session Pointer");
    const auto before = snapshot (demo());

    EXPECT_EQ (install(), FirstRun::DemoOutcome::keptUsersFolder);
    EXPECT_EQ (snapshot (demo()), before);
    EXPECT_EQ (demo().getChildFile ("settings.xml").loadFileAsString(), "<PARAMETERS numTracks=\"16\"/>");
    EXPECT_FALSE (demo().getChildFile (".installed_ok").exists());
    expectNoWorkFolders();
}

TEST_F (DemoReelTest, UsersFilesOtherThanAPointerAlsoKeepTheFolder)
{
    // Any extra name counts: a file, an empty folder, a file inside "Recovery".
    const char* extras[] = {"notes.txt", "Bounces/", "Recovery/track_7.wav", ".hidden"};

    for (auto* extra : extras)
    {
        SCOPED_TRACE (extra);
        demo().deleteRecursively();
        demo().getChildFile ("Recovery").createDirectory();
        demo().getChildFile ("settings.xml").replaceWithText ("partial");
        const juce::String path (extra);

        if (path.endsWithChar ('/'))
            demo().getChildFile (path.dropLastCharacters (1)).createDirectory();
        else
            demo().getChildFile (path).replaceWithText ("mine");

        EXPECT_EQ (install(), FirstRun::DemoOutcome::keptUsersFolder);
        EXPECT_EQ (demo().getChildFile ("settings.xml").loadFileAsString(), "partial");
    }

    // A file named "Demo" in the library root is not a folder to replace either.
    demo().deleteRecursively();
    demo().replaceWithText ("mine");
    EXPECT_EQ (install(), FirstRun::DemoOutcome::keptUsersFolder);
    EXPECT_EQ (demo().loadFileAsString(), "mine");
}

TEST_F (DemoReelTest, UnfinishedInstallationIsReplaced)
{
    struct Case
    {
        const char* name;
        std::vector<juce::String> files;
    };

    const Case cases[] = {
        {"empty folder", {}},
        {"some files, marker missing", {"settings.xml", "Recovery/track_1.wav"}},
        {"every file, marker removed",
         {"settings.xml", "automation.xml", "track_1.wav", "track_2.wav", "Recovery/settings.xml",
          "Recovery/automation.xml", "Recovery/track_1.wav"}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        demo().deleteRecursively();
        demo().createDirectory();

        for (const auto& path : c.files)
        {
            demo().getChildFile (path).getParentDirectory().createDirectory();
            demo().getChildFile (path).replaceWithText ("cut short");
        }

        EXPECT_EQ (install(), FirstRun::DemoOutcome::installed);
        expectCompleteDemo();
        expectNoWorkFolders();
    }
}

TEST_F (DemoReelTest, WorkFolderLeftByAnInterruptedRunIsCleared)
{
    const auto staging = root.getChildFile (".Demo.installing");
    staging.getChildFile ("Recovery").createDirectory();
    staging.getChildFile ("settings.xml").replaceWithText ("cut short");

    EXPECT_EQ (install(), FirstRun::DemoOutcome::installed);
    expectCompleteDemo();
    expectNoWorkFolders();
}

TEST_F (DemoReelTest, StoppingMidwayLeavesNoDemoAndNoWorkFolder)
{
    std::atomic<int> polls{0};
    EXPECT_EQ (install ([&] { return ++polls > 3; }), FirstRun::DemoOutcome::failed);
    EXPECT_FALSE (demo().exists());
    expectNoWorkFolders();

    // The next start installs it.
    EXPECT_EQ (install(), FirstRun::DemoOutcome::installed);
    expectCompleteDemo();
}

TEST_F (DemoReelTest, UnusableArchiveChangesNothing)
{
    // An unfinished installation that a bad archive must not destroy either.
    demo().createDirectory();
    demo().getChildFile ("settings.xml").replaceWithText ("cut short");

    const auto enclosed = makeArchive ({{"Song/settings.xml", text ("<PARAMETERS/>")}});
    const auto escaping = makeArchive ({{"settings.xml", text ("<PARAMETERS/>")}, {"../evil.txt", text ("x")}});
    const auto notAZip = text ("This is not a ZIP archive at all.");

    for (const auto* block : {&enclosed, &escaping, &notAZip})
    {
        EXPECT_EQ (FirstRun::installDemoReel (root, "Demo", bytesOf (*block)), FirstRun::DemoOutcome::failed);
        EXPECT_EQ (demo().getChildFile ("settings.xml").loadFileAsString(), "cut short");
        EXPECT_FALSE (root.getSiblingFile ("evil.txt").exists());
        EXPECT_FALSE (root.getChildFile ("evil.txt").exists());
        expectNoWorkFolders();
    }

    EXPECT_EQ (FirstRun::installDemoReel (root, "Demo", {}), FirstRun::DemoOutcome::noArchive);
    EXPECT_EQ (demo().getChildFile ("settings.xml").loadFileAsString(), "cut short");
}

TEST_F (DemoReelTest, FirstStartInstallsDemoAndPresetsAndSecondStartWritesNothing)
{
    FirstRun::installFirstRunContent (root, userFolder, bytesOf (archive));

    expectCompleteDemo();
    EXPECT_EQ (childNames (presetFolder ("MonoBass")).size(), 21);
    EXPECT_EQ (childNames (presetFolder ("PolySynth")).size(), 21);
    EXPECT_EQ (childNames (presetFolder ("Tannerin")).size(), 20);
    EXPECT_EQ (childNames (presetFolder ("StageKeyboard")).size(), 10);

    const juce::Time longAgo (2001, 0, 1, 12, 0);

    for (const auto& folder : {root, userFolder})
        for (const auto& f : folder.findChildFiles (juce::File::findFiles, true, "*"))
            f.setLastModificationTime (longAgo);

    const auto library = snapshot (root);
    const auto user = snapshot (userFolder);

    FirstRun::installFirstRunContent (root, userFolder, bytesOf (archive));

    EXPECT_EQ (snapshot (root), library);
    EXPECT_EQ (snapshot (userFolder), user);
}

TEST_F (DemoReelTest, WithoutAnArchiveOnlyPresetsAreInstalled)
{
    FirstRun::installFirstRunContent (root, userFolder, EmbeddedBytes{});

    EXPECT_TRUE (childNames (root).isEmpty());
    EXPECT_EQ (childNames (presetFolder ("StageKeyboard")).size(), 10);
}

TEST_F (DemoReelTest, LibraryJobUsesTheLibraryRootAndPerUserFolder)
{
    ReelLibrary library;
    FirstRun::installFirstRunContent (library, bytesOf (archive));

    EXPECT_TRUE (library.getLibraryRoot().getChildFile ("Demo/.installed_ok").existsAsFile());
    EXPECT_TRUE (library.userDataFolder.getChildFile ("Presets/Tannerin/Classic Theremin.xml").existsAsFile());
    EXPECT_EQ (library.userDataFolder, Platform::getUserDataFolder());
}

TEST_F (DemoReelTest, ThreadRunsTheJobAndStopsWhenDestroyedEarly)
{
    {
        FirstRunThread job (root, userFolder, bytesOf (archive));
        ASSERT_TRUE (job.start());
        EXPECT_TRUE (job.waitForThreadToExit (20000));
    }

    expectCompleteDemo();
    EXPECT_EQ (childNames (presetFolder ("PolySynth")).size(), 21);

    // Destroyed at once: stops promptly and leaves either a complete demo or none.
    const auto otherRoot = temp / "other";
    otherRoot.createDirectory();

    {
        FirstRunThread job (otherRoot, temp / "otherUser", bytesOf (archive));
        job.start();
    }

    EXPECT_TRUE (! otherRoot.getChildFile ("Demo").exists() ||
                 otherRoot.getChildFile ("Demo/.installed_ok").existsAsFile());

    for (const auto& name : childNames (otherRoot))
        EXPECT_FALSE (name.startsWith (".")) << name;
}
