#include "storage/ReelFolderReader.h"
#include "tests/reel/ReelTestSupport.h"

#include <juce_audio_formats/juce_audio_formats.h>

TEST_F (ReelTest, ANewReelHasThePointerFileAndABareSettingsFile)
{
    ASSERT_TRUE (p.reelLibrary.createReel ("Song", 600.0, 48000.0, 16).wasOk());

    juce::MemoryBlock pointer;
    ASSERT_TRUE (reel ("Song").getChildFile ("Song.reel").loadFileAsData (pointer));
    EXPECT_EQ (pointer.toString(), "Velmora Dravin 8 Session Pointer\r\n");

    const auto xml = juce::parseXML (reel ("Song").getChildFile ("settings.xml"));
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PARAMETERS");
    ASSERT_EQ (xml->getNumAttributes(), 4);
    const char* names[] = {"reelLength", "numTracks", "sampleRate", "tapePosition"};
    const char* values[] = {"600.0", "16", "48000.0", "0.0"};

    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (xml->getAttributeName (i), names[i]);
        EXPECT_EQ (xml->getAttributeValue (i), values[i]);
    }

    EXPECT_EQ (xml->getNumChildElements(), 0);
    EXPECT_TRUE (reel ("Song").getChildFile ("settings.xml").loadFileAsString().contains ("\r\n"));

    // An existing folder is left alone, and the caller is told.
    const auto before = snapshot (reel ("Song"));
    EXPECT_TRUE (p.reelLibrary.createReel ("Song", 300.0, 44100.0, 8).failed());
    EXPECT_TRUE (p.reelLibrary.createReel ("song", 300.0, 44100.0, 8).failed());
    EXPECT_EQ (snapshot (reel ("Song")), before);
}

TEST_F (ReelTest, AMainSaveWritesTrackFilesDefectsAndSettingsOfThePartsSizes)
{
    p.reelName = "Song";
    record (2, 1.5);
    ASSERT_TRUE (p.saveReel (0).wasOk());
    const auto folder = reel ("Song");

    // Unrecorded tracks hold one second of silence: 48000 samples, 96104 bytes; the recorded
    // one its recording plus one second.
    for (int i = 0; i < 8; ++i)
    {
        SCOPED_TRACE (i);
        const auto file = folder.getChildFile ("track_" + juce::String (i + 1) + ".wav");
        const juce::int64 samples = i == 2 ? 72000 + 48000 : 48000;
        EXPECT_EQ (file.getSize(), 104 + 2 * samples);

        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (new juce::FileInputStream (file), true));
        ASSERT_NE (reader, nullptr);
        EXPECT_EQ (reader->numChannels, 1u);
        EXPECT_EQ (reader->bitsPerSample, 16u);
        EXPECT_EQ (reader->sampleRate, 48000.0);
        EXPECT_EQ (reader->lengthInSamples, samples);
    }

    // A zlib stream of 8 records: an int32 12000, then 12000 cells of 32 bytes.
    juce::MemoryBlock compressed;
    folder.getChildFile ("defects.gz").loadFileAsData (compressed);
    ASSERT_GT (compressed.getSize(), 2u);
    EXPECT_EQ ((juce::uint8)compressed[0], 0x78);
    EXPECT_EQ ((juce::uint8)compressed[1], 0x9c);

    const auto map = decompress (folder.getChildFile ("defects.gz"));
    ASSERT_EQ (map.getSize(), 3072032u);

    for (size_t t = 0; t < 8; ++t)
    {
        const auto* record = static_cast<const char*> (map.getData()) + t * 384004;
        EXPECT_EQ (juce::ByteOrder::littleEndianInt (record), 12000u);
    }

    float painted = 0.0f;
    std::memcpy (&painted, static_cast<const char*> (map.getData()) + 2 * 384004 + 4 + 102 * 32 + 3 * 4, 4);
    EXPECT_EQ (painted, 2.75f);

    // Settings: the tree, the reel attributes, the rack last; no temporary file is left.
    const auto xml = juce::parseXML (folder.getChildFile ("settings.xml"));
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getStringAttribute ("sampleRate"), "48000.0");
    EXPECT_EQ (xml->getIntAttribute ("numTracks"), 8);
    EXPECT_EQ (xml->getStringAttribute ("reelLength"), "4.0");
    EXPECT_EQ (xml->getChildElement (xml->getNumChildElements() - 1)->getTagName(), "RACK_STATE");
    EXPECT_TRUE (folder.getChildFile ("automation.xml").existsAsFile());
    EXPECT_TRUE (folder.getChildFile ("Song.reel").existsAsFile());
    EXPECT_TRUE (folder.findChildFiles (juce::File::findFiles, true, "*.tmp").isEmpty());
}

TEST_F (ReelTest, SlotCopiesAreWrittenAndReadInTheirOwnFolders)
{
    p.reelName = "Song";
    ASSERT_TRUE (p.saveReel (0).wasOk());

    const std::pair<int, const char*> slots[] = {
        {-1, "Recovery"}, {1, "State_1_Auto"}, {2, "State_2"}, {3, "State_3"}, {4, "State_4"}};

    for (const auto& [slot, folderName] : slots)
    {
        SCOPED_TRACE (folderName);
        setParameter (p, ParameterIds::MASTER_VOL, 0.1f * (float)(slot + 2));
        ASSERT_TRUE (p.saveReel (slot).wasOk());

        const auto folder = reel ("Song").getChildFile (folderName);
        EXPECT_TRUE (folder.getChildFile ("settings.xml").existsAsFile());
        EXPECT_TRUE (folder.getChildFile ("track_8.wav").existsAsFile());
        EXPECT_TRUE (folder.getChildFile ("defects.gz").existsAsFile());
        EXPECT_FALSE (folder.getChildFile ("Song.reel").exists());
        EXPECT_TRUE (p.reelLibrary.hasSnapshot ("Song", slot));
    }

    EXPECT_EQ (p.currentSlot, 4);

    for (const auto& [slot, folderName] : slots)
    {
        SCOPED_TRACE (folderName);

        if (slot == -1)
            continue;

        setParameter (p, ParameterIds::MASTER_VOL, 0.0f);
        ASSERT_TRUE (p.loadReel ("Song", slot));
        EXPECT_NEAR (raw (p, ParameterIds::MASTER_VOL), 0.1f * (float)(slot + 2), 1e-4f);
        EXPECT_EQ (p.currentSlot, slot);
        EXPECT_EQ (p.reelName, "Song");
        EXPECT_FALSE (p.hasUnsavedChanges());
    }

    // Loading a snapshot keeps the recovery copy; the recovery copy loads as a recovered reel;
    // loading the main copy keeps it too, until the user discards it.
    EXPECT_TRUE (reel ("Song").getChildFile ("Recovery").isDirectory());
    ASSERT_TRUE (p.loadReel ("Song", -1));
    EXPECT_EQ (p.reelName, "Song (Recovered)");
    EXPECT_EQ (p.currentSlot, 0);
    EXPECT_NEAR (raw (p, ParameterIds::MASTER_VOL), 0.1f, 1e-4f);
    ASSERT_TRUE (p.loadReel ("Song", 0));
    EXPECT_TRUE (reel ("Song").getChildFile ("Recovery").isDirectory());
    p.discardRecovery();
    EXPECT_FALSE (reel ("Song").getChildFile ("Recovery").exists());
    EXPECT_TRUE (reel ("Song").getChildFile ("State_2").isDirectory());

    // A copy that does not exist changes nothing.
    EXPECT_FALSE (p.loadReel ("Song", -1));
    EXPECT_FALSE (p.loadReel ("Nothing", 0));
    EXPECT_EQ (p.reelName, "Song");
}

TEST_F (ReelTest, AReelComesBackAsItWasSaved)
{
    p.reelName = "Song";
    record (0, 1.0);
    record (5, 0.25, -0.9f);
    p.tracks[0].setPositionSeconds (1.5);
    p.zeroOffset = 0.5;
    setParameter (p, ParameterIds::forTrack (ParameterIds::VOL_, 6), 0.3f);
    p.trackInputSources[5] = 104;
    ASSERT_TRUE (p.saveReel (0).wasOk());
    EXPECT_FALSE (p.hasUnsavedChanges());

    const auto saved = p.tracks;
    p.tracks[0].getAudio().clear();
    p.tracks[5].getHead().defects[105].lanes[3] = 0.0f;
    setParameter (p, ParameterIds::forTrack (ParameterIds::VOL_, 6), 0.9f);
    p.trackInputSources[5] = -1;

    ASSERT_TRUE (p.loadReel ("Song", 0));
    ASSERT_EQ (p.tracks.size(), 8u);
    EXPECT_EQ (p.numTracks, 8);
    EXPECT_NEAR (p.tracks[3].getPositionSeconds(), 1.5, 1e-9);
    EXPECT_EQ (p.zeroOffset.load(), 0.5);
    EXPECT_NEAR (raw (p, ParameterIds::forTrack (ParameterIds::VOL_, 6)), 0.3f, 1e-4f);
    EXPECT_EQ (p.trackInputSources[5], 104);
    EXPECT_TRUE (p.reelLoadWarning.isEmpty());

    for (size_t t : {0u, 5u, 7u})
    {
        SCOPED_TRACE ((int)t);
        const auto& a = saved[t].getAudio();
        const auto& b = p.tracks[t].getAudio();
        ASSERT_EQ (a.getNumSamples(), b.getNumSamples());
        EXPECT_EQ (p.tracks[t].recordedLength, juce::jmax (saved[t].recordedLength + 48000, 48000));

        for (int i = 0; i < a.getNumSamples(); i += 97)
            ASSERT_NEAR (a.getSample (0, i), b.getSample (0, i), 1.0f / 32768.0f) << i;

        EXPECT_EQ (std::memcmp (saved[t].getHead().defects.data(), p.tracks[t].getHead().defects.data(),
                                saved[t].getHead().defects.size() * sizeof (TapeDefectCell)),
                   0);
    }
}

TEST_F (ReelTest, StoredAttributesAreBoundedOnRead)
{
    struct Case
    {
        const char* attributes;
        int tracks;
        double rate, seconds, position;
    };

    // The device runs at 44100 here: an unusable stored rate falls back to it.
    const Case cases[] = {
        {R"(numTracks="16" sampleRate="48000.0" reelLength="2.0")", 16, 48000.0, 2.0, 0.0},
        {R"(numTracks="0" sampleRate="48000.0" reelLength="2.0")", 8, 48000.0, 2.0, 0.0},
        {R"(numTracks="12" sampleRate="48000.0" reelLength="2.0")", 16, 48000.0, 2.0, 0.0},
        {R"(numTracks="1000000" sampleRate="8000.0" reelLength="2.0")", 24, 8000.0, 2.0, 0.0},
        {R"(numTracks="-3" sampleRate="1e12" reelLength="2.0")", 8, 44100.0, 2.0, 0.0},
        {R"(sampleRate="0" reelLength="nan" tapePosition="7.0")", 8, 44100.0, 600.0, 7.0},
        {R"(sampleRate="8000.0" reelLength="1e15" tapePosition="-4")", 8, 8000.0, 3600.0, 0.0},
        {R"(sampleRate="8000.0" reelLength="3.0" tapePosition="99")", 8, 8000.0, 3.0, 3.0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.attributes);
        reel ("Odd").deleteRecursively();
        reel ("Odd").createDirectory();
        reel ("Odd")
            .getChildFile ("settings.xml")
            .replaceWithText (juce::String ("<PARAMETERS ") + c.attributes + "/>");

        ASSERT_TRUE (p.loadReel ("Odd", 0));
        ASSERT_EQ (p.tracks.size(), (size_t)c.tracks);
        EXPECT_EQ (p.numTracks, c.tracks);
        EXPECT_EQ (p.tracks.back().sampleRate, c.rate);
        EXPECT_EQ (p.tracks.back().getAudio().getNumSamples(), TapeTrack::getLengthInSamples (c.rate, c.seconds));
        EXPECT_NEAR (p.tracks[0].getPositionSeconds(), c.position, 1e-9);
        EXPECT_EQ (p.reelLibrary.readReelSampleRate ("Odd"), c.rate == 44100.0 ? 0.0 : c.rate);
    }
}

TEST_F (ReelTest, ADamagedDefectMapLeavesTheMapsEmptyAndTheReelLoads)
{
    p.reelName = "Song";
    record (0, 0.5);
    ASSERT_TRUE (p.saveReel (0).wasOk());
    const auto defects = reel ("Song").getChildFile ("defects.gz");

    const auto writeMap = [&] (const std::function<void (juce::OutputStream&)>& body)
    {
        defects.deleteFile();
        juce::FileOutputStream file (defects);
        juce::GZIPCompressorOutputStream zlib (file, -1, 0);
        body (zlib);
    };

    // A count whose byte size overflows 32 bits, then a record cut short.
    for (const juce::int32 count : {0x7fffffff, 0x08000001, 12000})
    {
        SCOPED_TRACE (count);
        writeMap (
            [count] (juce::OutputStream& out)
            {
                out.writeInt (count);
                juce::HeapBlock<char> cells (1000, true);
                out.write (cells, 1000); // far fewer bytes than the count says
            });

        p.tracks[0].getHead().defects[3].lanes[0] = 5.0f;
        ASSERT_TRUE (p.loadReel ("Song", 0));
        EXPECT_TRUE (p.reelLoadWarning.isNotEmpty());
        EXPECT_EQ (p.tracks[0].getHead().defects[3].lanes[0], 0.0f);
        EXPECT_EQ (p.tracks[0].recordedLength, 24000 + 48000); // the audio is there
    }

    // Fewer records than tracks is not damage: the rest stay empty. A longer map is cut, a
    // shorter one fills the first cells.
    writeMap (
        [] (juce::OutputStream& out)
        {
            TapeDefectCell cell;
            cell.lanes[1] = 12.0f;
            out.writeInt (13000);

            for (int i = 0; i < 13000; ++i)
                out.write (&cell, sizeof (cell));

            out.writeInt (2);
            out.write (&cell, sizeof (cell));
            out.write (&cell, sizeof (cell));
        });

    ASSERT_TRUE (p.loadReel ("Song", 0));
    EXPECT_TRUE (p.reelLoadWarning.isEmpty());
    EXPECT_EQ (p.tracks[0].getHead().defects[11999].lanes[1], 12.0f);
    EXPECT_EQ (p.tracks[1].getHead().defects[1].lanes[1], 12.0f);
    EXPECT_EQ (p.tracks[1].getHead().defects[2].lanes[1], 0.0f);
    EXPECT_EQ (p.tracks[2].getHead().defects[0].lanes[1], 0.0f);
}

TEST_F (ReelTest, AFolderWithoutSettingsLoadsAsADefaultReelAtTheDeviceRate)
{
    setParameter (p, ParameterIds::TAPE_LENGTH, 0.0f); // reset to its default below
    setParameter (p, ParameterIds::MASTER_VOL, 0.0f);
    reel ("Bare").createDirectory();

    ASSERT_TRUE (p.loadReel ("Bare", 0));
    EXPECT_EQ (p.tracks.size(), 8u);
    EXPECT_EQ (p.tracks[0].sampleRate, 44100.0);
    EXPECT_EQ (raw (p, ParameterIds::MASTER_VOL),
               p.parameters.getParameter (ParameterIds::MASTER_VOL)
                   ->convertFrom0to1 (p.parameters.getParameter (ParameterIds::MASTER_VOL)->getDefaultValue()));

    // Without a rack: the built-in reverb and echo on the returns, no inputs.
    EXPECT_EQ (p.aux1BuiltIn, 1);
    EXPECT_EQ (p.aux2BuiltIn, 2);
    EXPECT_EQ (p.trackInputSources[0], -1);
}
