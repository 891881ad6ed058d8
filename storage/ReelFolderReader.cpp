#include "storage/ReelFolderReader.h"

#include "storage/GuardedAudioReader.h"
#include "storage/GuardedXmlReader.h"
#include "storage/ReelFolderFormat.h"
#include "storage/StorageIds.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstring>

ReelFolderReader::Attributes ReelFolderReader::readAttributes (const juce::XmlElement& settings, double fallbackRate)
{
    Attributes a;
    a.numTracks = ReelFolderFormat::boundTrackCount (
        settings.getIntAttribute (StorageIds::numTracksAttribute, StorageIds::defaultNumTracks));
    a.reelLength = ReelFolderFormat::boundReelLength (
        settings.getDoubleAttribute (StorageIds::reelLengthAttribute, StorageIds::defaultReelLength));

    const auto rate = settings.getDoubleAttribute (StorageIds::sampleRateAttribute, StorageIds::defaultSampleRate);

    if (ReelFolderFormat::isUsableSampleRate (rate))
        a.sampleRate = rate;
    else if (ReelFolderFormat::isUsableSampleRate (fallbackRate))
        a.sampleRate = fallbackRate;
    else
        a.sampleRate = StorageIds::defaultSampleRate;

    a.tapePosition =
        ReelFolderFormat::boundPosition (settings.getDoubleAttribute (StorageIds::tapePositionAttribute), a.reelLength);
    a.zeroOffset =
        ReelFolderFormat::boundPosition (settings.getDoubleAttribute (StorageIds::zeroOffsetAttribute), a.reelLength);
    return a;
}

double ReelFolderReader::readStoredSampleRate (const juce::File& settingsFile)
{
    if (! settingsFile.existsAsFile())
        return 0.0;

    const auto xml = GuardedXmlReader::parseFile (settingsFile, nullptr, true);

    if (xml == nullptr || ! xml->hasAttribute (StorageIds::sampleRateAttribute))
        return 0.0;

    const auto rate = xml->getDoubleAttribute (StorageIds::sampleRateAttribute);
    return ReelFolderFormat::isUsableSampleRate (rate) ? rate : 0.0;
}

bool ReelFolderReader::readTrackFile (const juce::File& file, TapeTrack& track, juce::String* problem)
{
    if (! file.existsAsFile())
        return false;

    const auto reader = GuardedAudioReader::openWav (file, problem);

    if (reader == nullptr)
        return false;

    auto& audio = track.getAudio();
    const auto count = (int)juce::jlimit ((juce::int64)0, (juce::int64)audio.getNumSamples(), reader->lengthInSamples);

    if (count > 0 && audio.getNumChannels() > 0)
        reader->read (&audio, 0, count, 0, true, false);

    track.recordedLength = count;
    return true;
}

juce::Result ReelFolderReader::readDefects (const juce::File& file, std::vector<TapeTrack>& tracks)
{
    if (! file.existsAsFile())
        return juce::Result::ok();

    auto in = std::make_unique<juce::FileInputStream> (file);

    if (in->failedToOpen())
        return juce::Result::ok();

    juce::GZIPDecompressorInputStream zlib (in.release(), true, juce::GZIPDecompressorInputStream::zlibFormat);
    const auto damaged = []
    { return juce::Result::fail ("The tape defect map was damaged; the tape was loaded without it."); };

    for (auto& track : tracks)
    {
        juce::int32 count = 0;
        const auto got = zlib.read (&count, (int)sizeof (count));

        if (got == 0)
            break; // fewer records than tracks: the rest stay empty

        if (got != (int)sizeof (count))
            return damaged();

        count = (juce::int32)juce::ByteOrder::swapIfBigEndian ((juce::uint32)count);
        auto& cells = track.getHead().defects;

        if (count <= 0)
        {
            std::fill (cells.begin(), cells.end(), TapeDefectCell{});
            continue;
        }

        const auto stored = (juce::int64)count;

        if (stored > ReelFolderFormat::maximumDefectCells)
            return damaged();

        const auto kept = juce::jmin (stored, (juce::int64)cells.size());
        const auto keptBytes = kept * ReelFolderFormat::defectCellBytes;

        if (kept > 0 && zlib.read (cells.data(), (int)keptBytes) != (int)keptBytes)
        {
            std::fill (cells.begin(), cells.end(), TapeDefectCell{});
            return damaged();
        }

        // Cells beyond the map's own length are read past.
        for (auto skip = (stored - kept) * ReelFolderFormat::defectCellBytes; skip > 0;)
        {
            char scratch[4096];
            const auto want = (int)juce::jmin ((juce::int64)sizeof (scratch), skip);

            if (zlib.read (scratch, want) != want)
                return damaged();

            skip -= want;
        }
    }

    return juce::Result::ok();
}

juce::uint64 ReelFolderReader::readTrackGeneration (const juce::File& file)
{
    juce::FileInputStream in (file);
    char tag[8] = {};

    if (in.failedToOpen() || ! in.setPosition (ReelFolderFormat::generationTagOffset) || in.read (tag, 8) != 8 ||
        std::memcmp (tag, ReelFolderFormat::generationTag, 8) != 0)
        return 0;

    return (juce::uint64)in.readInt64();
}

juce::StringArray ReelFolderReader::findMismatchedFiles (const juce::File& folder)
{
    juce::StringArray mismatched;
    const auto manifestFile = folder.getChildFile (ReelFolderFormat::manifestFile);

    if (! manifestFile.existsAsFile() || manifestFile.getSize() > 1 << 20)
        return mismatched;

    const auto manifest = GuardedXmlReader::parseFile (manifestFile);

    if (manifest == nullptr)
        return {ReelFolderFormat::manifestFile};

    for (auto* entry : manifest->getChildWithTagNameIterator ("FILE"))
    {
        const auto name = entry->getStringAttribute ("name");

        if (name.isEmpty() || name.containsAnyOf ("/\\") || name == "." || name == "..")
            continue;

        // The track files are what a mixed copy would scramble; the other files may be
        // rewritten by hand (a settings tweak, a defect map) without mixing any recording.
        const auto generation = (juce::uint64)entry->getStringAttribute ("generation").getHexValue64();

        if (generation == 0)
            continue;

        const auto file = folder.getChildFile (name);
        const auto bytes = entry->getStringAttribute ("bytes").getLargeIntValue();

        if (! file.existsAsFile() || file.getSize() != bytes || readTrackGeneration (file) != generation)
            mismatched.add (name);
    }

    return mismatched;
}
