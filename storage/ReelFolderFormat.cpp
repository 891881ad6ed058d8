#include "storage/ReelFolderFormat.h"

#include "engine/tape/TapeReelSize.h"
#include "storage/StorageIds.h"

#include <cmath>

juce::File ReelFolderFormat::getSlotFolder (const juce::File& reelFolder, int slot)
{
    if (slot == recoverySlot)
        return reelFolder.getChildFile (StorageIds::recoveryFolder);

    if (slot == autoSaveSlot)
        return reelFolder.getChildFile (StorageIds::autoSaveFolder);

    if (slot >= 2 && slot <= 4)
        return reelFolder.getChildFile (StorageIds::snapshotFolderPrefix + juce::String (slot));

    return reelFolder;
}

juce::String ReelFolderFormat::getTrackFileName (int index)
{
    return StorageIds::trackFilePrefix + juce::String (index + 1) + ".wav";
}

juce::File ReelFolderFormat::getTemporaryFile (const juce::File& target)
{
    return target.getSiblingFile (target.getFileName() + temporarySuffix);
}

juce::File ReelFolderFormat::getBackupFile (const juce::File& target)
{
    return target.getSiblingFile (target.getFileName() + ".old" + temporarySuffix);
}

bool ReelFolderFormat::isTransientFile (const juce::String& fileName)
{
    return fileName.endsWithIgnoreCase (temporarySuffix) || fileName == journalFile;
}

juce::int64 ReelFolderFormat::getTrackFileSamples (juce::int64 bufferLength, juce::int64 recordedLength,
                                                   double sampleRate) noexcept
{
    const auto oneSecond = std::isfinite (sampleRate) && sampleRate > 0.0 ? (juce::int64)sampleRate : 0;
    const auto wanted = juce::jmax (minimumTrackFileSamples, juce::jmin (bufferLength, recordedLength + oneSecond));
    return juce::jlimit ((juce::int64)0, juce::jmax ((juce::int64)0, bufferLength), wanted);
}

juce::int64 ReelFolderFormat::getTrackFileBytes (juce::int64 samples) noexcept
{
    return trackFileHeaderBytes + samples * (trackFileBitsPerSample / 8);
}

int ReelFolderFormat::boundTrackCount (int stored) noexcept
{
    if (stored <= 8)
        return 8;

    return stored <= 16 ? 16 : 24;
}

double ReelFolderFormat::boundReelLength (double stored) noexcept
{
    if (! std::isfinite (stored) || stored <= 0.0)
        return StorageIds::defaultReelLength;

    return juce::jmin (stored, TapeReelSize::maximumSeconds);
}

bool ReelFolderFormat::isUsableSampleRate (double rate) noexcept
{
    return std::isfinite (rate) && rate >= TapeReelSize::minimumSampleRate && rate <= TapeReelSize::maximumSampleRate;
}

double ReelFolderFormat::boundPosition (double stored, double reelLength) noexcept
{
    if (! std::isfinite (stored) || stored < 0.0)
        return 0.0;

    return juce::jmin (stored, reelLength);
}
