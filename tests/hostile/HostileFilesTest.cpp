// Damaged and hostile files fed through the entry points a user reaches: opening a reel folder,
// a host restoring the state, importing an archive, starting with the per-user files in place.
// Each must finish at once, refusing what it cannot read and loading the rest.

#include "tests/hostile/HostileTestSupport.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/tape/TapeReelSize.h"
#include "instruments/BuiltInInstruments.h"
#include "instruments/RhythmEngine.h"
#include "platform/AvailableMemory.h"
#include "platform/Platform.h"
#include "storage/GuardedXmlReader.h"
#include "storage/ReelFolderFormat.h"
#include "storage/StorageIds.h"
#include "tests/storage/ZipBytes.h"
#include "tests/support/TempDir.h"

using namespace HostileBytes;

namespace
{
/** A processor with its library in a temporary folder and a short, saved reel "Hostile". */
class HostileReelTest : public ::testing::Test
{
protected:
    TempDir temp{"dravin8-hostile"};
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    TavrelDelayAudioProcessor p;

    void SetUp() override
    {
        p.autoSaveTickMilliseconds = 1 << 30;

        if (p.firstRunJob != nullptr)
        {
            ASSERT_TRUE (p.firstRunJob->waitForThreadToExit (60000));
        }

        ASSERT_TRUE (p.prepareReel (8, 2.0, 48000.0).wasOk());
    }

    juce::File reel() const { return p.reelLibrary.getLibraryRoot().getChildFile ("Hostile"); }

    void saveReel() { ASSERT_TRUE (p.saveReelAs ("Hostile").wasOk()); }

    /** Opens the reel with a watchdog; true when it opened (as far as it could). seconds is
        the processor time it took. */
    bool openReel (double& seconds)
    {
        const Watchdog dog ("opening a reel", 60.0);
        const auto opened = p.loadReel ("Hostile", ReelFolderFormat::mainSlot);
        seconds = dog.elapsed();
        return opened;
    }

    /** Processor time of opening the reel as it is: damage may add at most a second to it. */
    double openIntactReel()
    {
        double seconds = 0.0;
        EXPECT_TRUE (openReel (seconds));
        EXPECT_TRUE (p.reelLoadWarning.isEmpty()) << p.reelLoadWarning;
        return seconds;
    }
};

void write (const juce::File& file, const juce::MemoryBlock& bytes)
{
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));
}
} // namespace

//==============================================================================
TEST_F (HostileReelTest, DamagedReelFilesAreRefusedByNameAndTheRestLoads)
{
    // Each case damages one file of a saved reel; refused files are named in the warning.
    using Damage = juce::MemoryBlock (*) (const juce::MemoryBlock&);

    struct Case
    {
        const char* what;
        juce::String file;
        Damage damage;
        bool refused;
    };

    const Damage instructionThenText = [] (const juce::MemoryBlock& saved)
    {
        // Just before the root's closing tag: the instruction is dropped and the file reads.
        const auto original = saved.toString();
        const auto close = original.lastIndexOf ("</");
        const auto damaged = original.substring (0, close) + "<?x?>b" + original.substring (close);
        return juce::MemoryBlock (damaged.toRawUTF8(), damaged.getNumBytesAsUTF8());
    };
    const Damage strayLeadByte = [] (const juce::MemoryBlock& saved)
    {
        auto damaged = saved;
        damaged.append ("\xf7", 1);
        return damaged;
    };
    const Damage wideFrame = [] (const juce::MemoryBlock&) { return wideFrameWav(); };

    const Case cases[] = {
        {"settings: instruction then text", StorageIds::settingsFile, instructionThenText, false},
        {"settings: invalid UTF-8", StorageIds::settingsFile, strayLeadByte, true},
        {"automation: instruction then text", StorageIds::automationFile, instructionThenText, false},
        {"automation: invalid UTF-8", StorageIds::automationFile, strayLeadByte, true},
        {"track: frame wider than the reader", ReelFolderFormat::getTrackFileName (0), wideFrame, true},
        {"manifest: instruction then text", ReelFolderFormat::manifestFile, instructionThenText, false},
        {"manifest: invalid UTF-8", ReelFolderFormat::manifestFile, strayLeadByte, true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        p.tracks[1].getAudio().setSample (0, 10, 0.25f); // a second track that must survive
        p.tracks[1].recordedLength = 100;
        p.tracks[1].dirty = true;
        saveReel();
        const auto intact = openIntactReel();

        const auto file = reel().getChildFile (c.file);
        juce::MemoryBlock saved;
        ASSERT_TRUE (file.loadFileAsData (saved));
        write (file, c.damage (saved));

        double seconds = 0.0;
        EXPECT_TRUE (openReel (seconds));
        EXPECT_LT (seconds, intact + 1.0);
        EXPECT_EQ (p.reelLoadWarning.contains (c.file), c.refused) << p.reelLoadWarning;
        ASSERT_EQ (p.tracks.size(), 8u);
        EXPECT_EQ (p.tracks[0].getAudio().getNumSamples(), 96000);
        EXPECT_NE (p.tracks[1].getAudio().getSample (0, 10), 0.0f);
    }
}

TEST_F (HostileReelTest, AReelTooLargeForTheAvailableMemoryIsRefusedWithAMessage)
{
    saveReel();
    const auto intact = openIntactReel();

    // 62 bytes declaring 8 tracks of 60 minutes at 96 kHz: 11 GB of tape.
    write (reel().getChildFile (StorageIds::settingsFile),
           text ("<PARAMETERS numTracks=\"8\" sampleRate=\"96000\" reelLength=\"3600\"/>"));

    const Platform::ScopedAvailableMemoryOverride available ((juce::int64)1 << 30);
    double seconds = 0.0;
    EXPECT_TRUE (openReel (seconds));
    EXPECT_LT (seconds, intact + 1.0);
    EXPECT_TRUE (p.reelLoadWarning.contains ("memory")) << p.reelLoadWarning;
    EXPECT_TRUE (p.reelLoadWarning.contains ("available")) << p.reelLoadWarning;
    ASSERT_EQ (p.tracks.size(), 8u);

    for (const auto& track : p.tracks)
        EXPECT_EQ (track.getAudio().getNumSamples(), TapeTrack::minimumLength);
}

TEST (ReelSizeTest, TheOpenReelsMemoryCountsAsAvailable)
{
    const Platform::ScopedAvailableMemoryOverride available ((juce::int64)200 << 20);
    const auto needed = TapeReelSize::getSampleBytes (8, 48000.0, 120.0); // 184 MB

    EXPECT_TRUE (TapeReelSize::checkReel (8, 48000.0, 120.0).failed()); // room is kept for the program
    EXPECT_TRUE (TapeReelSize::checkReel (8, 48000.0, 120.0, needed).wasOk()); // the reel it replaces
    EXPECT_TRUE (TapeReelSize::checkReel (8, 48000.0, 30.0).wasOk());
}

TEST_F (HostileReelTest, ADrumSampleWithAnImpossibleFrameIsNotRead)
{
    for (const auto& name : {"kick.wav", "kick.aiff"})
    {
        SCOPED_TRACE (name);
        const auto sample = temp.getFile().getChildFile (name);
        write (sample, shortWav());

        while (! p.instruments.empty())
            p.removeInstrument (0);

        p.addBuiltInInstrument (BuiltInInstruments::RhythmMachine);
        ASSERT_FALSE (p.instruments.empty());
        ASSERT_NE (p.instruments[0]->rhythmEngine, nullptr);
        p.instruments[0]->rhythmEngine->samplePath[0] = sample.getFullPathName();
        saveReel();
        const auto intact = openIntactReel();

        write (sample, juce::String (name).endsWith (".wav") ? wideFrameWav() : wideFrameAiff());
        double seconds = 0.0;
        EXPECT_TRUE (openReel (seconds));
        EXPECT_LT (seconds, intact + 1.0);
        ASSERT_FALSE (p.instruments.empty());
        ASSERT_NE (p.instruments[0]->rhythmEngine, nullptr);
    }
}

TEST_F (HostileReelTest, ImportingAFileWithAnImpossibleFrameIsRefusedByName)
{
    for (const auto& [name, bytes] : {std::pair<const char*, juce::MemoryBlock> {"wide.wav", wideFrameWav()},
                                      std::pair<const char*, juce::MemoryBlock> {"wide.aiff", wideFrameAiff()}})
    {
        SCOPED_TRACE (name);
        const auto file = temp.getFile().getChildFile (name);
        write (file, bytes);

        const Watchdog dog ("importing audio", 60.0);
        const auto result = p.importAudioToTrack (file, 0, 0.0, false, 0.0f, 1.0f, true);
        EXPECT_LT (dog.elapsed(), 1.0);
        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().contains (name)) << result.getErrorMessage();
        EXPECT_TRUE (result.getErrorMessage().contains ("channels")) << result.getErrorMessage();
    }
}

//==============================================================================
TEST_F (HostileReelTest, ADamagedStateBlobLeavesTheStateAsItWas)
{
    auto* volume = p.parameters.getParameter ("VOL_1");
    ASSERT_NE (volume, nullptr);
    volume->setValueNotifyingHost (0.25f);

    const std::pair<juce::MemoryBlock, bool> cases[] = {
        {processingInstructionThenText(), false}, // a root that is not the parameters: ignored
        {truncatedUtf8(), false},
        {HostileBytes::text ("<PARAMETERS>\xaf<PARAM id=\"VOL_1\" value=\"1\"/></PARAMETERS>"), false},
        {HostileBytes::text ("<PARAMETERS><?x?>b<PARAM id=\"VOL_1\" value=\"1\"/></PARAMETERS>"), true},
    };

    for (const auto& [text, restores] : cases)
    {
        SCOPED_TRACE (juce::String::toHexString (text.getData(), (int)text.getSize()));
        volume->setValueNotifyingHost (0.25f);
        const auto blob = stateBlob (text);
        const Watchdog dog ("restoring a state", 60.0);
        p.setStateInformation (blob.getData(), (int)blob.getSize());
        EXPECT_LT (dog.elapsed(), 1.0);
        EXPECT_EQ (volume->getValue() != 0.25f, restores);
    }

    volume->setValueNotifyingHost (0.25f);

    // The blob the processor writes itself still restores.
    juce::MemoryBlock saved;
    p.getStateInformation (saved);
    volume->setValueNotifyingHost (0.75f);
    p.setStateInformation (saved.getData(), (int)saved.getSize());
    EXPECT_FLOAT_EQ (volume->getValue(), 0.25f);
}

//==============================================================================
TEST_F (HostileReelTest, AnArchiveEntryNameThatIsNotUtf8IsRefused)
{
    ZipBytes zip;
    zip.add ("a~", "x");
    zip.add ("settings.xml", "<PARAMETERS/>");
    auto bytes = zip.build();

    // The placeholder "~" becomes the lone continuation byte 0xAF, in both headers.
    auto* data = static_cast<char*> (bytes.getData());

    for (size_t i = 0; i + 1 < bytes.getSize(); ++i)
        if (data[i] == 'a' && data[i + 1] == '~')
            data[i + 1] = (char)0xaf;

    const auto archive = temp.getFile().getChildFile ("broken.zip");
    write (archive, bytes);

    const auto before = p.reelLibrary.getLibraryRoot().findChildFiles (juce::File::findFilesAndDirectories, false);
    juce::String reason;
    juce::String name;

    {
        const Watchdog dog ("importing an archive", 60.0);
        name = p.reelLibrary.importReelArchive (archive, &reason);
        EXPECT_LT (dog.elapsed(), 1.0);
    }

    EXPECT_TRUE (name.isEmpty());
    EXPECT_TRUE (reason.contains ("name")) << reason;
    EXPECT_EQ (p.reelLibrary.getLibraryRoot().findChildFiles (juce::File::findFilesAndDirectories, false).size(),
               before.size());
}

//==============================================================================
TEST (HostileUserFilesTest, TheProgramStartsWithDamagedPerUserFilesInPlace)
{
    TempDir temp{"dravin8-hostile"};
    const Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    const auto user = temp / "user";
    const auto root = (temp / "music").getChildFile ("Velmora").getChildFile ("Dravin 8").getChildFile ("Reels");

    for (const auto& damaged : {truncatedUtf8(), processingInstructionThenText()})
    {
        for (const auto* file : {"global_settings.xml", "midi_map.xml", "known_plugins.xml"})
            write (user.getChildFile (file), damaged);

        write (root.getChildFile (StorageIds::shelfLayoutFile), damaged);

        const Watchdog dog ("starting with damaged per-user files", 60.0);
        TavrelDelayAudioProcessor p;

        if (p.firstRunJob != nullptr)
        {
            ASSERT_TRUE (p.firstRunJob->waitForThreadToExit (60000));
        }

        p.loadGlobalSettings();
        p.loadKnownPluginList();
        EXPECT_EQ (p.knownPluginList.getNumTypes(), 0);
        p.reelLibrary.loadShelf();
    }
}

//==============================================================================
// The guard must let every document the program writes through unchanged in meaning.
TEST (GuardedXmlReaderTest, AcceptsWellFormedDocumentsAndRefusesWhatTripsTheParser)
{
    struct Case
    {
        const char* text;
        bool accepted;
    };

    const Case cases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<A b=\"1 &amp; &lt;2&gt; &quot;&apos;\">\r\n  <C/>\r\n</A>\r\n", true},
        {"\xef\xbb\xbf<A/>", true},
        {"<A><!-- <?x?> & --><![CDATA[<?y?>&]]>text &#233; &#x1F600;</A>", true},
        {"<A name=\"caf\xc3\xa9 \xe2\x99\xaa\"/>", true},
        {"<A><?x?>b</A>", true}, // the instruction is dropped
        {"<!DOCTYPE A [<!ENTITY e \"x\">]><A>&e;</A>", false},
        {"<A>&e;</A>", false},
        {"<A>&#x110000;</A>", false},
        {"<A>&#xD800;</A>", false},
        {"<A>&#0;</A>", false},
        {"<A>&#x</A>", false},
        {"<A><?x</A>", false},
        {"<A><!-- </A>", false},
        {"<A b=\"1", false},
        {"<A><B c='1'\r\n   d=\"2\"/></A>", true},
        {"<A><B c=d\" <?x?>e\"/></A>", false}, // the parser ends the tag early and loops on the rest
        {"<A><B c=\"<?x?>\"/></A>", false},
        {"<A>\xc0\xaf</A>", false}, // overlong
        {"<A>\xed\xa0\x80</A>", false}, // surrogate
        {"<A>\xaf</A>", false},
        {"", false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String::toHexString (c.text, (int)std::strlen (c.text))); // some are not text
        juce::String problem;
        const auto xml = GuardedXmlReader::parseBytes (c.text, std::strlen (c.text), "The test", &problem);
        EXPECT_EQ (xml != nullptr, c.accepted) << problem;
        EXPECT_EQ (problem.isEmpty(), c.accepted) << problem;
    }

    juce::String deep;

    for (int i = 0; i < 10000; ++i)
        deep << "<a>";

    juce::String problem;
    EXPECT_EQ (GuardedXmlReader::parseText (deep, &problem), nullptr);
    EXPECT_TRUE (problem.contains ("nested")) << problem;

    const auto kept = GuardedXmlReader::parseBytes ("<A><?x?>b</A>", 13, "The test");
    ASSERT_NE (kept, nullptr);
    EXPECT_EQ (kept->getAllSubText(), "b");
}
