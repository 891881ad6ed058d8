// The reel folder operations of the library: writing, reading, creating, testing and deleting
// the copies of a reel.

#include "engine/ParameterIds.h"
#include "engine/tape/TapeReelSize.h"
#include "platform/Platform.h"
#include "storage/GuardedXmlReader.h"
#include "storage/ReelFolderFormat.h"
#include "storage/ReelFolderReader.h"
#include "storage/ReelFolderWriter.h"
#include "storage/ReelLibrary.h"
#include "storage/ReelNames.h"
#include "storage/StateXmlIds.h"
#include "storage/StorageIds.h"

namespace
{
juce::String pointerFileName (const juce::String& reelName)
{
    return reelName + StorageIds::pointerExtension;
}

juce::String pointerFileText()
{
    return juce::String (StorageIds::pointerText) + "\r\n";
}

/** Seconds of tape of the TAPE_LENGTH choices, for a copy without "settings.xml". */
double tapeLengthSeconds (int choice)
{
    static constexpr double seconds[] = {300.0, 600.0, 1200.0, 1800.0, 2700.0, 3600.0};
    return choice >= 0 && choice < 6 ? seconds[choice] : 600.0;
}
} // namespace

juce::Result ReelLibrary::writeReel (const juce::String& reelName, const std::vector<TapeTrack>& tracks,
                                     const juce::ValueTree& parameterState, double tapePosition, double zeroOffset,
                                     double sampleRate, const juce::XmlElement* rackState,
                                     const juce::XmlElement* automation, int slot, const std::vector<bool>& alsoWrite,
                                     std::atomic<double>* progress, const std::function<bool()>& shouldStop)
{
    const auto reelFolder = getReelFolder (reelName);

    if (reelFolder == juce::File())
        return juce::Result::fail ("\"" + reelName + "\" cannot be used as a tape name.");

    const auto target = ReelFolderFormat::getSlotFolder (reelFolder, slot);
    const bool createdReelFolder = ! reelFolder.exists();

    for (const auto& folder : {reelFolder, target})
        if (! folder.isDirectory() && (folder.exists() || ! folder.createDirectory()))
            return juce::Result::fail ("The folder \"" + folder.getFullPathName() + "\" could not be created.");

    // A save cut off earlier is finished or undone before anything new is written there.
    if (auto recovered = ReelFolderWriter::recover (target); recovered.failed())
        return recovered;

    ReelFolderWriter writer (target);
    writer.setStopCheck (shouldStop);
    auto result = juce::Result::ok();
    const auto check = [&result] (juce::Result r)
    {
        if (result.wasOk() && r.failed())
            result = r;

        return result.wasOk();
    };

    // Asked after every piece read from the tapes, and once more before anything is replaced.
    const auto carryOn = [&]
    {
        if (writer.wasStopped() || (shouldStop != nullptr && shouldStop()))
            result = juce::Result::fail (stoppedMessage);

        return result.wasOk();
    };

    // Track files first: they are the bulk of the save and the likeliest to fail.
    const bool snapshot = slot >= 2 && slot <= 4;
    std::vector<size_t> toWrite;
    juce::int64 totalSamples = 0;

    for (size_t i = 0; i < tracks.size(); ++i)
    {
        const auto file = target.getChildFile (ReelFolderFormat::getTrackFileName ((int)i));
        const bool forced = i < alsoWrite.size() && alsoWrite[i];

        if (tracks[i].dirty || forced || snapshot || ! file.existsAsFile())
        {
            toWrite.push_back (i);
            const auto& t = tracks[i];
            totalSamples +=
                ReelFolderFormat::getTrackFileSamples (t.getAudio().getNumSamples(), t.recordedLength, sampleRate);
        }
    }

    juce::int64 samplesDone = 0;

    for (auto i : toWrite)
    {
        const auto& t = tracks[i];
        const auto samples =
            ReelFolderFormat::getTrackFileSamples (t.getAudio().getNumSamples(), t.recordedLength, sampleRate);
        const auto from = totalSamples > 0 ? (double)samplesDone / (double)totalSamples : 0.0;
        samplesDone += samples;
        const auto to = totalSamples > 0 ? (double)samplesDone / (double)totalSamples : 1.0;

        check (writer.addTrack (ReelFolderFormat::getTrackFileName ((int)i), t, samples, sampleRate, progress, from,
                                to));

        if (! carryOn())
            break;
    }

    if (result.wasOk() && check (writer.addDefects (tracks)))
        carryOn();

    if (result.wasOk())
    {
        if (automation != nullptr)
            check (writer.addXml (StorageIds::automationFile, *automation));
        else
            writer.removeOnCommit (StorageIds::automationFile);
    }

    if (result.wasOk())
    {
        auto settings = parameterState.createXml();

        if (settings == nullptr)
            settings = std::make_unique<juce::XmlElement> (ParameterIds::PARAMETERS);

        while (auto* stale = settings->getChildByName (StateXmlIds::RACK_STATE))
            settings->removeChildElement (stale, true);

        // An attribute the root already has keeps its place; new ones are appended.
        settings->setAttribute (StorageIds::tapePositionAttribute, tapePosition);
        settings->setAttribute (StorageIds::zeroOffsetAttribute, zeroOffset);
        settings->setAttribute (StorageIds::sampleRateAttribute, sampleRate);
        settings->setAttribute (StorageIds::numTracksAttribute, (int)tracks.size());
        settings->setAttribute (StorageIds::reelLengthAttribute,
                                tracks.empty() || sampleRate <= 0.0
                                    ? StorageIds::defaultReelLength
                                    : tracks.front().getAudio().getNumSamples() / sampleRate);

        if (rackState != nullptr)
            settings->addChildElement (new juce::XmlElement (*rackState));

        check (writer.addXml (StorageIds::settingsFile, *settings));
    }

    const auto pointer = reelFolder.getChildFile (pointerFileName (reelName));

    if (result.wasOk() && slot == ReelFolderFormat::mainSlot && ! pointer.existsAsFile())
        check (writer.addText (pointer.getFileName(), pointerFileText()));

    if (result.wasOk())
        check (writer.addManifest ((int)tracks.size()));

    // Nothing old has been touched so far: now the new files replace the old ones, together.
    if (result.wasOk() && carryOn())
        check (writer.commit());

    if (result.failed() && createdReelFolder)
        if (reelFolder.findChildFiles (juce::File::findFiles, true).isEmpty())
            reelFolder.deleteRecursively();

    if (progress != nullptr && result.wasOk())
        *progress = 1.0;

    return result;
}

bool ReelLibrary::readReel (const juce::String& reelName, std::vector<TapeTrack>& tracks,
                            juce::AudioProcessorValueTreeState& state, double deviceSampleRate, double& tapePosition,
                            double& zeroOffset, std::unique_ptr<juce::XmlElement>& rackState,
                            std::unique_ptr<juce::XmlElement>& automation, int slot, juce::String* problem)
{
    const auto reelFolder = getReelFolder (reelName);

    if (reelFolder == juce::File())
        return false;

    const auto folder = ReelFolderFormat::getSlotFolder (reelFolder, slot);

    if (! folder.isDirectory())
        return false;

    juce::StringArray problems;
    const auto deviceRate = deviceSampleRate > 0.0 ? deviceSampleRate : StorageIds::defaultSampleRate;

    // What cut-off saves left behind in any copy of the reel is finished or undone first.
    for (const int copy : {ReelFolderFormat::mainSlot, ReelFolderFormat::recoverySlot, ReelFolderFormat::autoSaveSlot, 2,
                           3, 4})
        if (auto recovered = ReelFolderWriter::recover (ReelFolderFormat::getSlotFolder (reelFolder, copy));
            recovered.failed() && copy == slot)
            problems.add (recovered.getErrorMessage());

    if (const auto mismatched = ReelFolderReader::findMismatchedFiles (folder); ! mismatched.isEmpty())
        problems.add ("The files of this copy do not belong together (" + mismatched.joinIntoString (", ") +
                      " changed since it was saved): the tape may mix recordings from different saves.");

    const auto sizeTracks = [&] (int count, double rate, double seconds)
    {
        if (auto fits = TapeReelSize::checkReel (count, rate, seconds, TapeReelSize::getHeldBytes (tracks));
            fits.failed())
        {
            // Loaded all the same, on the shortest tape, so the settings and the rack survive.
            problems.add (fits.getErrorMessage());
            seconds = 0.0;
        }

        tracks.resize ((size_t)count);

        for (auto& track : tracks)
            if (auto prepared = track.prepare (rate, seconds); prepared.failed())
                problems.addIfNotAlreadyThere (prepared.getErrorMessage());
    };

    const auto settingsFile = folder.getChildFile (StorageIds::settingsFile);

    if (settingsFile.existsAsFile())
    {
        juce::String refused;

        if (auto xml = GuardedXmlReader::parseFile (settingsFile, &refused))
        {
            state.replaceState (juce::ValueTree::fromXml (*xml));

            const auto attributes = ReelFolderReader::readAttributes (*xml, deviceRate);
            sizeTracks (attributes.numTracks, attributes.sampleRate, attributes.reelLength);

            // The map about to be read must not be painted over by the age defects.
            if (auto* age = state.getRawParameterValue (ParameterIds::AGE))
                for (auto& track : tracks)
                    track.getHead().lastAge = age->load();

            tapePosition = attributes.tapePosition;
            zeroOffset = attributes.zeroOffset;

            for (auto* child : xml->getChildIterator())
            {
                if (child->getTagName().equalsIgnoreCase (StateXmlIds::RACK_STATE))
                {
                    rackState = std::make_unique<juce::XmlElement> (*child);
                    break;
                }
            }
        }
        else
        {
            problems.add ("The tape's settings could not be read.");
            problems.addIfNotAlreadyThere (refused);
        }
    }
    else
    {
        for (auto* parameter : state.processor.getParameters())
            parameter->setValueNotifyingHost (parameter->getDefaultValue());

        const auto* lengthChoice = state.getRawParameterValue (ParameterIds::TAPE_LENGTH);
        sizeTracks (StorageIds::defaultNumTracks, deviceRate,
                    tapeLengthSeconds (lengthChoice != nullptr ? juce::roundToInt (lengthChoice->load()) : 1));
        tapePosition = 0.0;
        zeroOffset = 0.0;
        rackState.reset();
    }

    const auto automationFile = folder.getChildFile (StorageIds::automationFile);
    juce::String refusedAutomation;
    automation = GuardedXmlReader::parseFile (automationFile, &refusedAutomation);

    if (refusedAutomation.isNotEmpty())
        problems.add (refusedAutomation);

    for (auto& track : tracks)
    {
        track.getAudio().clear();
        track.recordedLength = 0;
        track.dirty = true;
        auto& cells = track.getHead().defects;
        std::fill (cells.begin(), cells.end(), TapeDefectCell{});
    }

    for (size_t i = 0; i < tracks.size(); ++i)
    {
        // A missing file is a track never saved; one that is there but cannot be read is a
        // recording the user must hear about, by track and file.
        const auto file = folder.getChildFile (ReelFolderFormat::getTrackFileName ((int)i));
        juce::String refusedTrack;

        if (! ReelFolderReader::readTrackFile (file, tracks[i], &refusedTrack) && file.exists())
            problems.add ("Track " + juce::String (i + 1) + " was loaded silent: " +
                          (refusedTrack.isNotEmpty() ? refusedTrack
                                                     : "\"" + file.getFileName() + "\" could not be read."));
    }

    if (auto defects = ReelFolderReader::readDefects (folder.getChildFile (StorageIds::defectsFile), tracks);
        defects.failed())
        problems.add (defects.getErrorMessage());

    if (problem != nullptr)
        *problem = problems.joinIntoString (" ");

    return true;
}

double ReelLibrary::readReelSampleRate (const juce::String& reelName) const
{
    const auto reelFolder = getReelFolder (reelName);

    if (reelFolder == juce::File())
        return 0.0;

    return ReelFolderReader::readStoredSampleRate (reelFolder.getChildFile (StorageIds::settingsFile));
}

juce::Result ReelLibrary::createReel (const juce::String& reelName, double lengthSeconds, double sampleRate,
                                      int numTracks)
{
    const auto root = getLibraryRoot();

    if (auto valid = ReelNames::checkNewReelName (reelName, root); valid.failed())
        return valid;

    if (! TapeReelSize::isValidTrackCount (numTracks))
        return juce::Result::fail ("A tape has 8, 16 or 24 tracks.");

    if (auto fits = TapeReelSize::checkRateAndLength (sampleRate, lengthSeconds); fits.failed())
        return fits;

    const auto folder = root.getChildFile (reelName);

    if (folder.exists() || ! folder.createDirectory())
        return juce::Result::fail ("The folder for the tape could not be created.");

    juce::XmlElement settings (ParameterIds::PARAMETERS);
    settings.setAttribute (StorageIds::reelLengthAttribute, lengthSeconds);
    settings.setAttribute (StorageIds::numTracksAttribute, numTracks);
    settings.setAttribute (StorageIds::sampleRateAttribute, sampleRate);
    settings.setAttribute (StorageIds::tapePositionAttribute, 0.0);

    ReelFolderWriter writer (folder);
    auto result = writer.addXml (StorageIds::settingsFile, settings);

    if (result.wasOk())
        result = writer.addText (pointerFileName (reelName), pointerFileText());

    if (result.wasOk())
        result = writer.commit();

    if (result.failed())
        folder.deleteRecursively(); // never leave half a reel on the shelf

    return result;
}

bool ReelLibrary::hasSnapshot (const juce::String& reelName, int slot) const
{
    const auto reelFolder = getReelFolder (reelName);
    return reelFolder != juce::File() &&
           ReelFolderFormat::getSlotFolder (reelFolder, slot).getChildFile (StorageIds::settingsFile).exists();
}

bool ReelLibrary::hasNewerRecovery (const juce::String& reelName) const
{
    const auto reelFolder = getReelFolder (reelName);

    if (reelFolder == juce::File())
        return false;

    const auto recovery = ReelFolderFormat::getSlotFolder (reelFolder, ReelFolderFormat::recoverySlot)
                              .getChildFile (StorageIds::settingsFile);
    const auto main = reelFolder.getChildFile (StorageIds::settingsFile);

    if (! recovery.existsAsFile())
        return false;

    if (! main.existsAsFile())
        return true;

    return Platform::getModificationTimeNanoseconds (main) < Platform::getModificationTimeNanoseconds (recovery);
}

void ReelLibrary::deleteRecoveryFolder (const juce::String& reelName)
{
    const auto reelFolder = getReelFolder (reelName);

    if (reelFolder == juce::File())
        return;

    const auto recovery = ReelFolderFormat::getSlotFolder (reelFolder, ReelFolderFormat::recoverySlot);

    if (recovery.exists())
        recovery.deleteRecursively();
}

void ReelLibrary::deleteReelFolder (const juce::String& reelName)
{
    const auto reelFolder = getReelFolder (reelName);

    if (reelFolder != juce::File() && reelFolder.isDirectory())
        reelFolder.deleteRecursively();
}
