// Saving, loading and ejecting the open reel.
//
// Every save and load holds saveLock from start to end, and so does every path that resizes
// the tracks or renames the open reel: a background save on the auto-save thread then never
// reads a tape that is being reallocated, nor a name that is being changed.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"
#include "engine/ProcessingHold.h"
#include "storage/ReelFolderFormat.h"
#include "storage/ReelNames.h"
#include "storage/StateXmlIds.h"
#include "storage/StorageIds.h"

#include <cmath>

namespace
{
constexpr const char* recoveredSuffixWithSpace = " (Recovered)";

/** A track file longer than a blank track's holds a recording: a save writes at least a
    second past the last recorded sample. */
bool holdsRecording (const juce::File& trackFile)
{
    return trackFile.getSize()
           > ReelFolderFormat::getTrackFileBytes (ReelFolderFormat::minimumTrackFileSamples);
}

/** Row of backgroundCopyStale for a background slot. */
int staleRow (int slot)
{
    return slot == ReelFolderFormat::recoverySlot ? 0 : 1;
}

} // namespace

juce::Result TavrelDelayAudioProcessor::saveReel (int slot)
{
    return saveReelFrom (slot, takeReelStateSnapshot());
}

juce::Result TavrelDelayAudioProcessor::saveReelFrom (int slot, const ReelStateSnapshot& snapshot)
{
    // No snapshot: the auto-saver was stopped while it waited for one.
    if (! snapshot.parameterState.isValid())
        return juce::Result::fail ("The save was cancelled.");

    if (slot == ReelFolderFormat::mainSlot)
        currentSlot = 0;
    else if (slot >= 2 && slot <= 4)
        currentSlot = slot;

    const bool background = slot == ReelFolderFormat::recoverySlot || slot == ReelFolderFormat::autoSaveSlot;
    const bool main = slot == ReelFolderFormat::mainSlot;
    const juce::ScopedLock saveGuard (saveLock);

    if (reelName.isEmpty())
        return juce::Result::fail ("The tape has no name.");

    if (main)
    {
        // The recovered copy of a reel, saved, becomes that reel again.
        if (reelName.endsWithIgnoreCase (StorageIds::recoveredSuffix))
            return saveReelUnderNameFrom (
                reelName.dropLastCharacters ((int)std::strlen (recoveredSuffixWithSpace)), true, snapshot);

        if (reelName == StorageIds::untitledReelName)
            return juce::Result::fail ("Please give the tape a name first.");
    }

    const auto folderName = reelName.replace (recoveredSuffixWithSpace, "");

    // A recovery copy the user has not yet chosen to open or discard holds the only copy of
    // its audio: nothing is written over it.
    if (slot == ReelFolderFormat::recoverySlot && folderName == protectedRecoveryFolder)
        return juce::Result::ok();

    // Nor is a blank tape (one a device change or an eject left) written over a recovery copy
    // that holds recordings: that copy may be the only one of them.
    if (slot == ReelFolderFormat::recoverySlot && tapeIsBlank() && recoveryCopyHoldsAudio (folderName))
        return juce::Result::ok();

    // A user save stops the tape for its whole length: during a take that would drop input.
    const auto recording = [this] { return transportState == transportRecord; };

    if (! background && recording())
        return juce::Result::fail ("Stop the recording before saving the tape.");

    const ProcessingHold hold (*this, ! background);

    if (! background)
    {
        juce::Thread::sleep (20); // lets a block that is running finish

        if (recording())
            return juce::Result::fail ("Stop the recording before saving the tape.");
    }

    // A background save runs while the tape moves: the block callback runs under the callback
    // lock, which is held here for one read.
    const auto& reference = tracks.front();
    const auto tapePosition = [this, &reference]
    {
        const juce::ScopedLock callback (getCallbackLock());
        return reference.sampleRate > 0.0 ? reference.position / reference.sampleRate : 0.0;
    }();
    const auto automation = createAutomationXml();
    const auto rate = tracks.empty() ? getSampleRate() : reference.sampleRate;
    const auto numSaved = juce::jmin (tracks.size(), (size_t)maxTracks);

    // The flags of a main save are taken down before the files are written, so that a change
    // made meanwhile (an edit, the tail of a take) marks its track again instead of being
    // counted as saved; a failed save puts them back.
    std::array<bool, maxTracks> changed{};
    bool settingsChanged = false;

    // Parameter values reach the tree lazily: the snapshot (taken on the message thread, which
    // owns the tree) brought them up to date. Flushing them again here, on a save thread, would
    // write the tree while the message thread sets its properties.

    for (size_t i = 0; i < numSaved; ++i)
        changed[i] = main ? tracks[i].dirty.exchange (false) : tracks[i].dirty.load();

    if (main)
        settingsChanged = unsavedChanges.exchange (false);

    // A track that changed since a copy was written must reach that copy even once a main
    // save has cleared its dirty flag.
    for (size_t i = 0; i < numSaved; ++i)
    {
        if (changed[i])
        {
            for (auto& row : backgroundCopyStale)
                row[i] = true;

            mainCopyStale[i] = true;
        }
    }

    std::vector<bool> alsoWrite;

    if (background)
        alsoWrite.assign (backgroundCopyStale[(size_t)staleRow (slot)].begin(),
                          backgroundCopyStale[(size_t)staleRow (slot)].end());
    else if (main)
        alsoWrite.assign (mainCopyStale.begin(), mainCopyStale.end());

    // A save reads the tapes while the audio thread may write them: a background save runs
    // beside the audio, and a take may start meanwhile. A copy read while any tape was being
    // written is not committed; the copy on disk stays as it was and the next save writes it.
    // A background save also gives up when its thread is asked to stop (the processor is
    // going), so that stopping never waits for a long write.
    std::vector<juce::uint32> sequences;

    for (const auto& track : tracks)
        sequences.push_back (track.getWriteSequence());

    bool tapeWritten = false;
    const auto shouldStop = [&]
    {
        for (size_t i = 0; i < tracks.size() && i < sequences.size(); ++i)
            tapeWritten = tapeWritten || tracks[i].wasWrittenSince (sequences[i]);

        return tapeWritten || (background && juce::Thread::currentThreadShouldExit());
    };

    saveProgress = 0.0;
    auto result = reelLibrary.writeReel (folderName, tracks, snapshot.parameterState, tapePosition, zeroOffset.load(),
                                         rate, snapshot.rack.get(), automation.get(), slot, alsoWrite, &saveProgress,
                                         shouldStop);
    const bool stopped = result.failed() && result.getErrorMessage() == ReelLibrary::stoppedMessage;

    if (stopped && tapeWritten)
        result = juce::Result::fail ("The tape was recorded on while it was being saved: save it again once the "
                                     "recording has stopped.");

    if (result.wasOk())
    {
        if (background)
            backgroundCopyStale[(size_t)staleRow (slot)].fill (false);

        if (main)
        {
            mainCopyStale.fill (false);
            reelLibrary.deleteRecoveryFolder (reelName);

            if (protectedRecoveryFolder == folderName)
                protectedRecoveryFolder.clear();
        }
    }
    else if (main)
    {
        for (size_t i = 0; i < numSaved; ++i)
            if (changed[i])
                tracks[i].dirty = true;

        if (settingsChanged)
            unsavedChanges = true;
    }

    // A background copy given up for a take or a stop is no failure to report: it is written
    // again at the next tick.
    if (background && ! stopped)
    {
        backgroundSaveError = result.failed() ? result.getErrorMessage() : juce::String();
        backgroundSaveFailed = result.failed();
    }

    return result;
}

juce::Result TavrelDelayAudioProcessor::saveReelAs (const juce::String& newName)
{
    return saveReelUnderName (newName, false);
}

juce::Result TavrelDelayAudioProcessor::saveReelUnderName (const juce::String& newName, bool mayReplaceExisting)
{
    return saveReelUnderNameFrom (newName, mayReplaceExisting, takeReelStateSnapshot());
}

juce::Result TavrelDelayAudioProcessor::saveReelUnderNameFrom (const juce::String& newName, bool mayReplaceExisting,
                                                               const ReelStateSnapshot& snapshot)
{
    const juce::ScopedLock saveGuard (saveLock);

    // Save-as under the open reel's own name is a plain save; any other name must be free.
    const auto valid = mayReplaceExisting || newName == reelName
                           ? ReelNames::checkFolderName (newName)
                           : ReelNames::checkNewReelName (newName, reelLibrary.getLibraryRoot());

    if (valid.failed())
        return valid;

    const auto oldName = reelName;
    const bool leaveScratch = ReelNames::isScratchReelName (oldName);

    setReelName (newName);

    for (auto& track : tracks)
        track.dirty = true;

    unsavedChanges = true;

    for (auto& row : backgroundCopyStale)
        row.fill (true);

    auto result = saveReelFrom (ReelFolderFormat::mainSlot, snapshot);

    if (result.failed())
    {
        setReelName (oldName); // the open reel stays what it was; its changes stay unsaved
        return result;
    }

    if (leaveScratch && oldName != newName)
        reelLibrary.deleteReelFolder (oldName);

    return result;
}

bool TavrelDelayAudioProcessor::loadReel (const juce::String& name, int slot)
{
    fadeInGain = 0.0f;

    const juce::ScopedLock saveGuard (saveLock);
    const ProcessingHold hold (*this);
    const juce::ScopedLock audioGuard (audioLock);

    double deviceRate = StorageIds::defaultSampleRate;

    if (deviceManager != nullptr)
    {
        // The reel plays at its own rate: the device follows it when it can (restarting the
        // device prepares the processor again, on this thread).
        const auto reelRate = reelLibrary.readReelSampleRate (name);
        auto setup = deviceManager->getAudioDeviceSetup();

        if (reelRate > 0.0 && std::abs (reelRate - setup.sampleRate) > 1.0)
        {
            setup.sampleRate = reelRate;
            deviceManager->setAudioDeviceSetup (setup, true); // a refused rate keeps the old one
        }

        deviceRate = deviceManager->getAudioDeviceSetup().sampleRate;
    }

    double tapePosition = 0.0, storedZero = 0.0;
    std::unique_ptr<juce::XmlElement> rack, automation;
    juce::String problem;

    if (! reelLibrary.readReel (name, tracks, parameters, deviceRate, tapePosition, storedZero, rack, automation, slot,
                                &problem))
        return false;

    reelLoadWarning = problem;
    numTracks = (int)tracks.size();

    // A device that refused the reel's rate runs on at its own: the tape keeps its rate (and
    // its audio) until the device's rate changes, and the user hears why it sounds off.
    if (const auto runningRate = deviceManager != nullptr ? deviceRate : tapeDeviceRate; runningRate > 0.0)
    {
        tapeDeviceRate = runningRate;
        const auto tapeRate = tracks.empty() ? runningRate : tracks.front().sampleRate;

        if (std::abs (tapeRate - runningRate) > 1.0)
            reelLoadWarning = (reelLoadWarning.isNotEmpty() ? reelLoadWarning + "\n" : juce::String())
                              + "The audio device could not be set to the reel's sample rate of "
                              + juce::String (juce::roundToInt (tapeRate)) + " Hz and runs at "
                              + juce::String (juce::roundToInt (runningRate))
                              + " Hz: the reel plays at the wrong speed and pitch. Set the device to "
                              + juce::String (juce::roundToInt (tapeRate)) + " Hz to hear it as recorded.";
    }

    loadGlobalSettings(); // the app-wide switches override what the reel stored

    const auto& state = parameters.state;
    const auto storedBpm = (double)state.getProperty (ParameterIds::PROJECT_BPM, 120.0);
    const auto storedNumerator = (int)state.getProperty (ParameterIds::PROJECT_TS_NUM, 4);
    const auto storedDenominator = (int)state.getProperty (ParameterIds::PROJECT_TS_DENOM, 4);
    bpm = std::isfinite (storedBpm) && storedBpm > 0.0 ? juce::jlimit (20.0, 300.0, storedBpm) : 120.0;
    timeSigNumerator = storedNumerator >= 1 && storedNumerator <= 64 ? storedNumerator : 4;
    timeSigDenominator = storedDenominator >= 1 && storedDenominator <= 64 ? storedDenominator : 4;

    if (slot == ReelFolderFormat::recoverySlot)
    {
        setReelName (name + recoveredSuffixWithSpace);
        currentSlot = 0;
    }
    else
    {
        setReelName (name);
        currentSlot = slot >= 1 && slot <= 4 ? slot : 0;
    }

    const auto blockSize = getBlockSize() > 0 ? getBlockSize() : 512;
    trackOutputBuffers.resize ((size_t)numTracks);

    for (auto& buffer : trackOutputBuffers)
        if (buffer.getNumChannels() != 1 || buffer.getNumSamples() != blockSize)
            buffer.setSize (1, blockSize);

    for (auto& track : tracks)
        track.setPositionSeconds (tapePosition);

    if (clickTrack != nullptr)
    {
        const auto rate = getSampleRate() > 0.0 ? getSampleRate() : StorageIds::defaultSampleRate;
        const auto& reference = tracks.front();
        const auto seconds = reference.getAudio().getNumSamples() > 0
                                 ? juce::jmin (3600.0, reference.getAudio().getNumSamples() / reference.sampleRate)
                                 : StorageIds::defaultReelLength;
        clickTrack->prepare (rate, seconds);
        clickTrack->setPositionSeconds (tapePosition);
        renderClickTrack (bpm, timeSigNumerator, timeSigDenominator, 0);
    }

    zeroOffset = storedZero;

    if (rack != nullptr)
    {
        restoreRackState (*rack);
    }
    else
    {
        // A reel without a rack: empty slots, the built-in reverb and echo on the returns,
        // no inputs and no groups.
        juce::XmlElement empty (StateXmlIds::RACK_STATE);
        empty.setAttribute (StateXmlIds::aux1BuiltIn, 1);
        empty.setAttribute (StateXmlIds::aux2BuiltIn, 2);
        restoreRackState (empty);
        trackInputSources.fill (-1);

        for (auto& group : channelGroups)
            group = 0;
    }

    if (automation != nullptr)
    {
        restoreAutomation (*automation);
    }
    else
    {
        const juce::ScopedLock automationGuard (automationLock);

        for (int channel = 0; channel < numChannels; ++channel)
        {
            if (channel >= numTracks && channel < maxTracks)
                continue;

            const auto c = (size_t)channel;
            automationModes[c] = automationOff;
            faderTouched[c] = false;
            automationLatched[c] = false;

            if (channel < automationData.getNumChannels())
                juce::FloatVectorOperations::fill (automationData.getWritePointer (channel), getChannelVolume (channel),
                                                   automationData.getNumSamples());
        }
    }

    setTransportState (transportStop);
    clearUnsavedChanges();

    // The copies on disk were written from another tape: each background copy is rewritten
    // whole at its next save, and so is the main copy when the tape came from another one.
    for (auto& row : backgroundCopyStale)
        row.fill (true);

    mainCopyStale.fill (slot != ReelFolderFormat::mainSlot);

    // A recovery copy newer than the main copy just opened holds work that was never saved:
    // it stays, untouched by the background saves, until the user opens or discards it.
    if (slot == ReelFolderFormat::mainSlot && reelLibrary.hasNewerRecovery (name))
        protectedRecoveryFolder = name;
    else
        protectedRecoveryFolder.clear();

    return true;
}

void TavrelDelayAudioProcessor::discardRecovery()
{
    const juce::ScopedLock saveGuard (saveLock);
    const auto folderName = reelName.replace (recoveredSuffixWithSpace, "");

    reelLibrary.deleteRecoveryFolder (folderName);
    backgroundCopyStale[(size_t)staleRow (ReelFolderFormat::recoverySlot)].fill (true);

    if (protectedRecoveryFolder == folderName)
        protectedRecoveryFolder.clear();
}

void TavrelDelayAudioProcessor::holdProcessing()
{
    const juce::ScopedLock sl (holdLock);

    if (processingHolds++ == 0)
    {
        suspendedBeforeHolds = isSuspended();
        suspendProcessing (true);
    }
}

void TavrelDelayAudioProcessor::releaseProcessing()
{
    const juce::ScopedLock sl (holdLock);
    jassert (processingHolds > 0);

    if (processingHolds > 0 && --processingHolds == 0 && ! suspendedBeforeHolds)
        suspendProcessing (false);
}

void TavrelDelayAudioProcessor::ejectReel()
{
    // Under the save lock: a background save must not write under a name that is going.
    const juce::ScopedLock saveGuard (saveLock);

    if (ReelNames::isScratchReelName (reelName))
        reelLibrary.deleteReelFolder (reelName);

    clearUnsavedChanges();
    setReelName (StorageIds::untitledReelName);
    setTransportState (transportStop);
    zeroOffset = 0.0;

    for (auto& row : backgroundCopyStale)
        row.fill (true);

    mainCopyStale.fill (true);
    protectedRecoveryFolder.clear();

    const juce::ScopedLock audioGuard (audioLock);
    clickTrack.reset();
}

bool TavrelDelayAudioProcessor::tapeIsBlank() const
{
    for (const auto& track : tracks)
        if (track.recordedLength > 0)
            return false;

    return true;
}

bool TavrelDelayAudioProcessor::recoveryCopyHoldsAudio (const juce::String& folderName) const
{
    const auto recovery = reelLibrary.getReelFolder (folderName).getChildFile (StorageIds::recoveryFolder);

    for (int i = 0; i < maxTracks; ++i)
        if (holdsRecording (recovery.getChildFile (ReelFolderFormat::getTrackFileName (i))))
            return true;

    return false;
}
