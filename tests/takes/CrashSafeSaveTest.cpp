// A copy of a reel is replaced whole or not at all: saves killed at random moments, files that
// cannot be replaced, what cut-off saves leave behind, and copies whose files do not belong
// together. The reels here are written through ReelLibrary with a bare parameter tree, so that
// a child process can save one quickly and be killed.

#include "platform/Platform.h"
#include "storage/ReelFolderFormat.h"
#include "storage/ReelFolderReader.h"
#include "storage/ReelFolderWriter.h"
#include "storage/ReelLibrary.h"
#include "storage/StorageIds.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdlib>

namespace
{
constexpr int numTracks = 8;
constexpr double rate = 8000.0;
constexpr const char* reelName = "Take";
constexpr const char* generationProperty = "testGeneration";
constexpr const char* childRootVariable = "DRAVIN8_CRASH_CHILD_ROOT";
constexpr const char* childStartVariable = "DRAVIN8_CRASH_CHILD_START";

/** The smallest processor that owns a parameter tree for the reel writer and reader. */
struct BareProcessor : public juce::AudioProcessor
{
    BareProcessor() : state (*this, nullptr, "PARAMETERS", {}) {}

    const juce::String getName() const override { return "Bare"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}

    juce::AudioProcessorValueTreeState state;
};

/** The level every sample of a track holds in a generation: each save has its own. */
float level (juce::int64 generation, int track)
{
    return (float)((generation * 7 + track) % 20000) / 32768.0f;
}

/** A reel in a library whose every file a generation fills with its own values. */
struct GenerationReel
{
    explicit GenerationReel (const juce::File& root)
    {
        library.setLibraryFolder (root);
        tracks.resize (numTracks);

        for (auto& track : tracks)
            track.prepare (rate, 2.0);
    }

    juce::Result save (juce::int64 generation, int slot = ReelFolderFormat::mainSlot)
    {
        for (int i = 0; i < numTracks; ++i)
        {
            auto& track = tracks[(size_t)i];
            juce::FloatVectorOperations::fill (track.getAudio().getWritePointer (0), level (generation, i),
                                               track.getAudio().getNumSamples());
            track.recordedLength = 4000 + (int)(generation % 50);
            track.dirty = true;
            track.getHead().defects[7].lanes[2] = (float)generation;
        }

        processor.state.state.setProperty (generationProperty, (juce::int64)generation, nullptr);
        juce::XmlElement automation ("AUTOMATION");
        automation.setAttribute (generationProperty, juce::String (generation));
        return library.writeReel (reelName, tracks, processor.state, 0.0, 0.0, rate, nullptr, &automation, slot);
    }

    /** Loads the copy and checks that every file came from one save: its generation, or -1
        with the failure recorded. */
    juce::int64 loadWholeGeneration (int slot = ReelFolderFormat::mainSlot)
    {
        double position = 0.0, zero = 0.0;
        std::unique_ptr<juce::XmlElement> rack, automation;
        juce::String problem;

        if (! library.readReel (reelName, tracks, processor.state, rate, position, zero, rack, automation, slot,
                                &problem))
        {
            ADD_FAILURE() << "the copy is gone";
            return -1;
        }

        EXPECT_TRUE (problem.isEmpty()) << problem;
        const auto generation = (juce::int64)processor.state.state.getProperty (generationProperty, -1);
        EXPECT_TRUE (automation != nullptr && automation->getStringAttribute (generationProperty).getLargeIntValue() ==
                                                  generation);

        for (int i = 0; i < numTracks; ++i)
        {
            const auto& track = tracks[(size_t)i];
            EXPECT_EQ (track.recordedLength, 4000 + (int)(generation % 50) + (int)rate) << "track " << i + 1;
            EXPECT_NEAR (track.getAudio().getSample (0, 1000), level (generation, i), 1.0e-4f) << "track " << i + 1;
            EXPECT_EQ (track.getHead().defects[7].lanes[2], (float)generation) << "track " << i + 1;
        }

        return ::testing::Test::HasFailure() ? -1 : generation;
    }

    BareProcessor processor;
    ReelLibrary library;
    std::vector<TapeTrack> tracks;
};

juce::StringArray transientFilesIn (const juce::File& folder)
{
    juce::StringArray names;

    for (const auto& f : folder.findChildFiles (juce::File::findFilesAndDirectories, true))
        if (ReelFolderFormat::isTransientFile (f.getFileName()))
            names.add (f.getRelativePathFrom (folder));

    return names;
}

std::map<juce::String, juce::MemoryBlock> contentOf (const juce::File& folder)
{
    std::map<juce::String, juce::MemoryBlock> files;

    for (const auto& f : folder.findChildFiles (juce::File::findFiles, true))
        f.loadFileAsData (files[f.getRelativePathFrom (folder)]);

    return files;
}

bool run (const juce::String& command)
{
    return std::system ((command + " >/dev/null 2>&1").toRawUTF8()) == 0;
}

class CrashSafeSave : public ::testing::Test
{
protected:
    TempDir temp;
    GenerationReel reel{temp.getFile()};

    juce::File folder() const { return temp / reelName; }
};
} // namespace

//==============================================================================
// The child: saves one generation after another until it is killed. Each commit step takes a
// little while, so that a good share of the kills land inside a commit.
TEST (CrashChild, DISABLED_SavesUntilKilled)
{
    const auto* root = std::getenv (childRootVariable);
    const auto* start = std::getenv (childStartVariable);

    if (root == nullptr || start == nullptr)
        GTEST_SKIP() << "started by KilledSavesLeaveTheWholeOldOrTheWholeNewCopy only";

    GenerationReel reel{juce::File (root)};
    static juce::File aim, committing;
    aim = juce::File (root).getChildFile ("aim");
    committing = juce::File (root).getChildFile ("committing");

    // Asked to, the child says when a commit has begun, so that the killer can aim at it.
    ReelFolderWriter::setCommitStepHookForTesting (
        []
        {
            if (aim.exists() && ! committing.exists())
                committing.create();

            juce::Thread::sleep (2);
        });

    for (auto generation = juce::String (start).getLargeIntValue();; ++generation)
    {
        ASSERT_TRUE (reel.save (generation).wasOk());
        juce::File (root).getChildFile ("saved").replaceWithText (juce::String (generation));
    }
}

TEST_F (CrashSafeSave, KilledSavesLeaveTheWholeOldOrTheWholeNewCopy)
{
    ASSERT_TRUE (reel.save (1).wasOk());
    juce::int64 lastWhole = 1;
    int killedInCommit = 0;
    juce::Random random (20261211);

    const auto executable = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName();
    const auto marker = temp / "saved";
    const auto aim = temp / "aim";
    const auto committing = temp / "committing";

    for (int attempt = 0; attempt < 50; ++attempt)
    {
        SCOPED_TRACE ("attempt " + juce::String (attempt));
        const auto firstGeneration = (juce::int64)(attempt + 1) * 1000;
        marker.deleteFile();
        setenv (childRootVariable, temp.getFile().getFullPathName().toRawUTF8(), 1);
        setenv (childStartVariable, juce::String (firstGeneration).toRawUTF8(), 1);

        juce::ChildProcess child;
        ASSERT_TRUE (child.start (juce::StringArray{executable, "--gtest_filter=CrashChild.DISABLED_SavesUntilKilled",
                                                    "--gtest_also_run_disabled_tests"},
                                  0));

        // Killed at a random moment of the saves that follow the first complete one.
        for (int waited = 0; ! marker.existsAsFile() && waited < 20000; waited += 2)
            juce::Thread::sleep (2);

        ASSERT_TRUE (marker.existsAsFile()) << "the child never saved";

        // Every other kill is aimed at the renames of a commit; the others fall anywhere.
        if (attempt % 2 == 1)
        {
            aim.create();

            for (int waited = 0; ! committing.exists() && waited < 20000; waited += 1)
                juce::Thread::sleep (1);

            juce::Thread::sleep (random.nextInt (25));
        }
        else
        {
            juce::Thread::sleep (random.nextInt (120));
        }

        child.kill();
        child.waitForProcessToFinish (5000);
        aim.deleteFile();
        committing.deleteFile();

        if (folder().getChildFile (ReelFolderFormat::journalFile).existsAsFile())
            ++killedInCommit;

        const auto loaded = reel.loadWholeGeneration();
        ASSERT_GE (loaded, juce::jmax (lastWhole, firstGeneration)) << "an old or mixed copy loaded";
        lastWhole = loaded;
        EXPECT_TRUE (transientFilesIn (folder()).isEmpty()) << transientFilesIn (folder()).joinIntoString (", ");
    }

    unsetenv (childRootVariable);
    unsetenv (childStartVariable);

    // The kills must have hit the renames themselves, not only the writing before them.
    EXPECT_GE (killedInCommit, 10);
    RecordProperty ("killsInsideACommit", killedInCommit);
}

TEST_F (CrashSafeSave, ACommitCutOffAtEveryStepIsFinishedOrUndoneWhole)
{
    // A crash after each single rename, simulated by copying the folder as the step leaves
    // it: every such state must load as one whole generation.
    ASSERT_TRUE (reel.save (1).wasOk());
    static juce::File source, copies;
    static int step = 0;
    source = folder();
    copies = temp / "states";
    step = 0;

    ReelFolderWriter::setCommitStepHookForTesting (
        []
        {
            const auto copy = copies.getChildFile (juce::String (++step)).getChildFile (reelName);
            copy.createDirectory();
            source.copyDirectoryTo (copy);
        });
    ASSERT_TRUE (reel.save (2).wasOk());
    ReelFolderWriter::setCommitStepHookForTesting (nullptr);
    ASSERT_GT (step, 2 * numTracks);

    for (int i = 1; i <= step; ++i)
    {
        SCOPED_TRACE ("cut off after step " + juce::String (i));
        GenerationReel cut (copies.getChildFile (juce::String (i)));
        const auto loaded = cut.loadWholeGeneration();
        EXPECT_TRUE (loaded == 1 || loaded == 2);
        EXPECT_EQ (loaded, 2) << "the journal was written before the first rename: the new copy is finished";
        EXPECT_TRUE (transientFilesIn (copies.getChildFile (juce::String (i))).isEmpty());
    }
}

TEST_F (CrashSafeSave, AFileThatCannotBeReplacedLeavesThePreviousCopyByteForByte)
{
    ASSERT_TRUE (reel.save (1).wasOk());
    const auto before = contentOf (folder());

    // Track 6 read-only on a mount of its own: renaming it fails half way through the commit.
    const auto track6 = folder().getChildFile (ReelFolderFormat::getTrackFileName (5)).getFullPathName();

    if (! run ("mount --bind -o ro '" + track6 + "' '" + track6 + "'"))
        GTEST_SKIP() << "needs root to mount a read-only file (run as root to test this fault)";

    const auto result = reel.save (2);
    run ("umount '" + track6 + "'");

    EXPECT_TRUE (result.failed());
    EXPECT_TRUE (result.getErrorMessage().contains ("track_6.wav")) << result.getErrorMessage();
    EXPECT_EQ (contentOf (folder()), before);
    EXPECT_EQ (reel.loadWholeGeneration(), 1);
}

TEST_F (CrashSafeSave, ACopyThatCannotBeUndoneAtOnceIsPutBackAtTheNextLoad)
{
    // The folder turns read-only in the middle of the commit: neither the rest of the new
    // copy nor the old one can be put in place now. The journal keeps what is needed, and
    // the next load, with the folder writable again, makes the copy whole.
    ASSERT_TRUE (reel.save (1).wasOk());

    if (! run ("mount --bind '" + folder().getFullPathName() + "' '" + folder().getFullPathName() + "'"))
        GTEST_SKIP() << "needs root to remount a folder read-only (run as root to test this fault)";

    static juce::File mounted;
    static int steps = 0;
    mounted = folder();
    steps = 0;
    ReelFolderWriter::setCommitStepHookForTesting (
        []
        {
            if (++steps == 5)
                run ("mount -o remount,bind,ro '" + mounted.getFullPathName() + "'");
        });

    const auto result = reel.save (2);
    ReelFolderWriter::setCommitStepHookForTesting (nullptr);
    run ("umount '" + folder().getFullPathName() + "'");

    EXPECT_TRUE (result.failed());
    EXPECT_TRUE (folder().getChildFile (ReelFolderFormat::journalFile).existsAsFile());
    const auto loaded = reel.loadWholeGeneration();
    EXPECT_TRUE (loaded == 1 || loaded == 2) << loaded;
    EXPECT_TRUE (transientFilesIn (folder()).isEmpty());
}

TEST_F (CrashSafeSave, LeftoversOfCutOffSavesGoAtLoadAndSaveAndStayOutOfBackups)
{
    ASSERT_TRUE (reel.save (1).wasOk());
    ASSERT_TRUE (reel.save (1, ReelFolderFormat::recoverySlot).wasOk());

    // What a save killed while writing leaves: temporary files and no journal.
    const auto recovery = folder().getChildFile (StorageIds::recoveryFolder);
    const auto litter = [&]
    {
        for (const auto& f : {folder(), recovery})
        {
            f.getChildFile ("track_3.wav.tmp").replaceWithText (juce::String::repeatedString ("x", 4096));
            f.getChildFile ("defects.tmp").replaceWithText ("partial");
            f.getChildFile ("settings.xml.old.tmp").replaceWithText ("old");
        }
    };

    litter();
    const auto archive = temp / "backup.zip";
    ASSERT_TRUE (reel.library.zipReel (reelName, archive).wasOk());
    juce::ZipFile zip (archive);

    for (int i = 0; i < zip.getNumEntries(); ++i)
        EXPECT_FALSE (ReelFolderFormat::isTransientFile (juce::File (zip.getEntry (i)->filename).getFileName()))
            << zip.getEntry (i)->filename;

    EXPECT_EQ (reel.loadWholeGeneration(), 1); // a load cleans every copy of the reel
    EXPECT_TRUE (transientFilesIn (folder()).isEmpty()) << transientFilesIn (folder()).joinIntoString (", ");

    litter();
    ASSERT_TRUE (reel.save (2, ReelFolderFormat::recoverySlot).wasOk()); // a save cleans its own copy
    EXPECT_TRUE (transientFilesIn (recovery).isEmpty()) << transientFilesIn (recovery).joinIntoString (", ");
}

TEST_F (CrashSafeSave, ACopyWhoseFilesComeFromDifferentSavesIsReported)
{
    ASSERT_TRUE (reel.save (1).wasOk());
    ASSERT_TRUE (reel.save (51, 2).wasOk());

    // Track 4 of another save of the same length put in by hand: sizes match, generations not.
    const auto snapshotTrack = folder().getChildFile ("State_2").getChildFile (ReelFolderFormat::getTrackFileName (3));
    ASSERT_TRUE (snapshotTrack.copyFileTo (folder().getChildFile (ReelFolderFormat::getTrackFileName (3))));

    double position = 0.0, zero = 0.0;
    std::unique_ptr<juce::XmlElement> rack, automation;
    juce::String problem;
    ASSERT_TRUE (reel.library.readReel (reelName, reel.tracks, reel.processor.state, rate, position, zero, rack,
                                        automation, 0, &problem));
    EXPECT_TRUE (problem.contains ("do not belong together")) << problem;
    EXPECT_TRUE (problem.contains ("track_4.wav")) << problem;
    EXPECT_FALSE (problem.contains ("track_3.wav")) << problem;
}

TEST_F (CrashSafeSave, ASaveThatRunsOutOfSpaceFailsCleanlyAndKeepsThePreviousCopy)
{
    // A real small disk: a tmpfs of its own, filled up to leave a given amount free, so that
    // the save runs out at different files of the copy.
    const auto disk = temp / "disk";
    disk.createDirectory();

    if (! run ("mount -t tmpfs -o size=4m dravin8-full '" + disk.getFullPathName() + "'"))
        GTEST_SKIP() << "needs root to mount a small tmpfs (run as root to test a full disk)";

    struct Unmount
    {
        juce::File at;
        ~Unmount() { run ("umount '" + at.getFullPathName() + "'"); }
    } unmount{disk};

    GenerationReel small{disk};
    const auto reelFolder = disk.getChildFile (reelName);
    ASSERT_TRUE (small.save (1).wasOk());

    juce::int64 copyBytes = 0;

    for (const auto& f : reelFolder.findChildFiles (juce::File::findFiles, true))
        copyBytes += f.getSize();

    const auto before = contentOf (reelFolder);
    const auto filler = disk.getChildFile ("filler");

    for (const auto freeBytes : {juce::int64 (0), juce::int64 (8192), copyBytes / 3, copyBytes - 8192})
    {
        SCOPED_TRACE ("bytes left free: " + juce::String (freeBytes));
        filler.deleteFile();

        {
            juce::FileOutputStream out (filler);
            ASSERT_TRUE (out.openedOk());
            juce::HeapBlock<char> block (4096, true);

            while (disk.getBytesFreeOnVolume() > freeBytes + 4096 && out.write (block, 4096))
                out.flush();
        }

        ASSERT_LT (disk.getBytesFreeOnVolume(), copyBytes) << "the disk must be too small for another copy";

        const auto result = small.save (2);
        ASSERT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().contains (reelFolder.getFullPathName())) << result.getErrorMessage();
        EXPECT_TRUE (result.getErrorMessage().contains ("track_") || result.getErrorMessage().contains ("settings") ||
                     result.getErrorMessage().contains ("defect") || result.getErrorMessage().contains ("automation"))
            << "names the file: " << result.getErrorMessage();

        EXPECT_EQ (contentOf (reelFolder), before);
        EXPECT_TRUE (transientFilesIn (reelFolder).isEmpty()) << transientFilesIn (reelFolder).joinIntoString (", ");
        EXPECT_EQ (small.loadWholeGeneration(), 1);
    }

    // With the space back, the same save goes through.
    filler.deleteFile();
    ASSERT_TRUE (small.save (2).wasOk());
    EXPECT_EQ (small.loadWholeGeneration(), 2);
}
