// Device preparation and the sizing of the reel in memory.

#include "engine/TavrelDelayAudioProcessor.h"

#include "effects/EqualizerEngine.h"
#include "effects/FetCompEngine.h"
#include "effects/MultiModulatorEngine.h"
#include "effects/OptoCompEngine.h"
#include "engine/ParameterIds.h"
#include "engine/tape/TapeReelSize.h"
#include "storage/ReelFolderFormat.h"
#include "storage/ReelNames.h"
#include "storage/StorageIds.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"

#include <cmath>

namespace
{
/** Seconds of tape of the TAPE_LENGTH choices; any other value gives 10 minutes. */
double tapeLengthSeconds (int choice)
{
    switch (choice)
    {
        case 0:
            return 300.0;
        case 1:
            return 600.0;
        case 2:
            return 1200.0;
        case 3:
            return 1800.0;
        case 4:
            return 2700.0;
        case 5:
            return 3600.0;
        default:
            return 600.0;
    }
}

void sizeBuffer (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples)
{
    if (buffer.getNumChannels() != numChannels || buffer.getNumSamples() != numSamples)
        buffer.setSize (numChannels, numSamples);
}

constexpr const char* deviceRateEjectText =
    "The Audio Device Sample Rate changed.\nThe reel was auto-ejected to prevent speed/pitch corruption.";

/** A rate further than this from the reel's closes the reel: it would play at the wrong speed
    and pitch, and a save would write it at the wrong rate. */
constexpr double reelRateTolerance = 1.0;

/** The raw values the block callback reads per track, and the channel volume parameters
    themselves; a parameter that does not exist leaves a null pointer. */
void cacheParameterPointers (TavrelDelayAudioProcessor& p)
{
    auto& tree = p.parameters;

    for (int i = 0; i < TavrelDelayAudioProcessor::maxTracks; ++i)
    {
        const auto n = i + 1;
        const auto index = (size_t)i;
        p.trackVolumeValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::VOL_, n));
        p.trackMuteValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::MUTE_, n));
        p.trackSoloValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::SOLO_, n));
        p.trackPhaseValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::PHASE_, n));
        p.trackPanValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::PAN_, n));
        p.trackMonitorValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::MON_, n));
        p.trackTrimValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::TRIM_, n));
        p.trackEqPreValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::EQ_PRE_, n));
        p.trackAux1Values[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::AUX1_, n));
        p.trackAux2Values[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::AUX2_, n));
        p.trackEqHighValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::EQ_HIGH_, n));
        p.trackEqMidFreqValues[index] =
            tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::EQ_MID_FREQ_, n));
        p.trackEqMidGainValues[index] =
            tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::EQ_MID_GAIN_, n));
        p.trackEqLowValues[index] = tree.getRawParameterValue (ParameterIds::forTrack (ParameterIds::EQ_LOW_, n));
    }

    for (int channel = 0; channel < TavrelDelayAudioProcessor::numChannels; ++channel)
        p.channelVolumeValues[(size_t)channel] = tree.getParameter (ParameterIds::forChannelVolume (channel));
}

/** Gives a console smoother the ramp of the rate and jumps it to the parameter's value; a
    parameter that does not exist leaves the smoother's value alone. */
void resetSmoother (juce::SmoothedValue<float>& smoother, int rampSamples, const std::atomic<float>* value)
{
    smoother.reset (rampSamples);

    if (value != nullptr)
        smoother.setCurrentAndTargetValue (value->load());
}

void resetSmoothers (TavrelDelayAudioProcessor& p, double sampleRate)
{
    const auto ramp = (int)std::floor (sampleRate * 0.02);
    auto& tree = p.parameters;

    for (int i = 0; i < TavrelDelayAudioProcessor::maxTracks; ++i)
    {
        const auto index = (size_t)i;
        resetSmoother (p.volumeSmoothers[index], ramp, p.trackVolumeValues[index]);
        resetSmoother (p.panSmoothers[index], ramp, p.trackPanValues[index]);
        resetSmoother (p.aux1SendSmoothers[index], ramp, p.trackAux1Values[index]);
        resetSmoother (p.aux2SendSmoothers[index], ramp, p.trackAux2Values[index]);
    }

    resetSmoother (p.masterVolumeSmoother, ramp, tree.getRawParameterValue (ParameterIds::MASTER_VOL));
    resetSmoother (p.aux1ReturnSmoother, ramp, tree.getRawParameterValue (ParameterIds::AUX1_RETURN));
    resetSmoother (p.aux2ReturnSmoother, ramp, tree.getRawParameterValue (ParameterIds::AUX2_RETURN));
    resetSmoother (p.aux1PanSmoother, ramp, tree.getRawParameterValue (ParameterIds::AUX1_PAN));
    resetSmoother (p.aux2PanSmoother, ramp, tree.getRawParameterValue (ParameterIds::AUX2_PAN));
}

void prepareInsertForPlayback (TavrelDelayAudioProcessor::InsertPlugin& insert, double sampleRate, int samplesPerBlock)
{
    if (insert.instance != nullptr)
        insert.instance->prepareToPlay (sampleRate, samplesPerBlock);

    // A slot may hold engines of several effect types; every one is readied.
    if (insert.reverbEngine != nullptr)
        insert.reverbEngine->prepare (sampleRate);

    if (insert.echoEngine != nullptr)
        insert.echoEngine->prepare (sampleRate);

    if (insert.optoEngine != nullptr)
        insert.optoEngine->prepare (sampleRate);

    if (insert.fetEngine != nullptr)
        insert.fetEngine->prepare (sampleRate);

    if (insert.eqEngine != nullptr)
        insert.eqEngine->sampleRate = sampleRate;

    if (insert.multiEngine != nullptr)
        insert.multiEngine->prepare (sampleRate);
}

void prepareInstrumentForPlayback (TavrelDelayAudioProcessor::InstrumentPlugin& slot, double sampleRate,
                                   int samplesPerBlock)
{
    if (slot.instance != nullptr)
        slot.instance->prepareToPlay (sampleRate, samplesPerBlock);

    // Every engine follows the rate, or it would play out of tune after a rate change. The
    // rhythm machine keeps the user's step pattern: its engine only stops and rewinds.
    if (slot.monoEngine != nullptr)
        slot.monoEngine->prepare (sampleRate);

    if (slot.rhythmEngine != nullptr)
        slot.rhythmEngine->prepare (sampleRate);

    if (slot.polyEngine != nullptr)
        slot.polyEngine->prepare (sampleRate);

    if (slot.tannerinEngine != nullptr)
        slot.tannerinEngine->prepare (sampleRate);

    if (slot.keyboardEngine != nullptr)
        slot.keyboardEngine->prepare (sampleRate);
}
} // namespace

void TavrelDelayAudioProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    // May close the reel and resize the tapes: not while a save reads them.
    const juce::ScopedLock saveGuard (saveLock);

    // The output fades in again after every device start.
    fadeInGain = 0.0f;

    // The automation rows are made once, holding each channel's fader; later device starts
    // keep what was recorded.
    if (automationData.getNumSamples() == 0)
    {
        const juce::ScopedLock lock (automationLock);
        automationData.setSize (numChannels, automationPoints);

        for (int channel = 0; channel < numChannels; ++channel)
        {
            auto* parameter = parameters.getParameter (ParameterIds::forChannelVolume (channel));
            const auto value = parameter != nullptr ? parameter->getValue() : 0.0f;
            juce::FloatVectorOperations::fill (automationData.getWritePointer (channel), value, automationPoints);

            automationModes[(size_t)channel] = automationOff;
            faderTouched[(size_t)channel] = false;
            automationLatched[(size_t)channel] = false;
            pendingFaderValues[(size_t)channel] = -1.0f;
        }
    }

    groupBaselineReady = false;

    auto& reference = tracks.front();
    const auto reelRate = reference.sampleRate;

    // A tape whose rate the device refused when it was opened plays at its own rate as long
    // as the device stays at the rate it had then: a restart for another buffer size, or of
    // the same device, keeps it with its audio.
    const bool deviceRateKept = tapeDeviceRate > 0.0 && std::abs (tapeDeviceRate - sampleRate) <= reelRateTolerance;
    const bool atDeviceRate = reelRate > 0.0 && std::abs (reelRate - sampleRate) <= reelRateTolerance;
    const bool keepOwnRate = reelRate > 0.0 && ! atDeviceRate && deviceRateKept
                             && reference.getAudio().getNumSamples() > 0;
    const auto tapeRate = keepOwnRate ? reelRate : sampleRate;

    // A tape cannot play at another rate: it is blanked below, and first its unsaved
    // recordings are kept on disk.
    if (reelRate > 0.0 && ! atDeviceRate && ! keepOwnRate)
        rescueTapeBeforeRateChange();

    tapeMechanics.prepare (sampleRate);

    if (auto* scrub = parameters.getRawParameterValue (ParameterIds::SCRUB))
        scrubControlValue = scrub->load();

    // The open reel keeps its length; a fresh one takes the length chosen for new reels. At
    // the reel's own rate (give or take the tolerance) the tape keeps its very samples, so
    // its audio stays; at another rate it keeps its length in seconds on a new, blank tape.
    const auto reelSamples = reference.getAudio().getNumSamples();
    const auto sameTape = atDeviceRate || keepOwnRate;
    double seconds;

    if (reelSamples > 0 && sameTape)
        seconds = (reelSamples + 0.5) / tapeRate; // rounding can never lose the last sample
    else if (reelSamples > 0 && reelRate > 0.0)
        seconds = reelSamples / reelRate;
    else
        seconds =
            tapeLengthSeconds (juce::roundToInt (parameters.getRawParameterValue (ParameterIds::TAPE_LENGTH)->load()));

    seconds = juce::jmin (seconds, TapeReelSize::maximumSeconds);

    // On a new tape the heads stay at the same place, counted in seconds.
    const auto keepPlace = reelSamples > 0 && ! sameTape;
    std::array<double, maxTracks> positions{};

    for (size_t i = 0; i < tracks.size() && i < positions.size(); ++i)
        positions[i] = tracks[i].getPositionSeconds();

    if (prepareReel (numTracks, seconds, tapeRate).wasOk() && keepPlace)
        for (size_t i = 0; i < tracks.size() && i < positions.size(); ++i)
            tracks[i].setPositionSeconds (positions[i]);

    if (clickTrack != nullptr)
    {
        {
            const juce::ScopedLock lock (audioLock);
            clickTrack->prepare (sampleRate, seconds);
        }

        renderClickTrack (bpm, timeSigNumerator, timeSigDenominator, 0);
    }

    sizeBlockBuffers (samplesPerBlock);
    cacheParameterPointers (*this);
    resetSmoothers (*this, sampleRate);

    for (auto& slot : instruments)
        if (slot != nullptr)
            prepareInstrumentForPlayback (*slot, sampleRate, samplesPerBlock);

    if (aux1Plugin != nullptr)
        aux1Plugin->prepareToPlay (sampleRate, samplesPerBlock);

    if (aux2Plugin != nullptr)
        aux2Plugin->prepareToPlay (sampleRate, samplesPerBlock);

    aux1Reverb.prepare (sampleRate);
    aux2Echo.prepare (sampleRate);

    for (auto* chain : {&inputInserts, &trackInserts, &masterInserts})
        for (auto& insert : *chain)
            if (insert != nullptr)
                prepareInsertForPlayback (*insert, sampleRate, samplesPerBlock);

    if (deviceManager != nullptr)
        if (auto* device = deviceManager->getCurrentAudioDevice())
            deviceLatencySamples = device->getInputLatencyInSamples() + device->getOutputLatencyInSamples();

    tapeDeviceRate = sampleRate;
}

void TavrelDelayAudioProcessor::rescueTapeBeforeRateChange()
{
    const bool named = reelName.isNotEmpty() && reelName != StorageIds::untitledReelName;
    bool holdsAudio = false;

    for (const auto& track : tracks)
        holdsAudio = holdsAudio || track.recordedLength > 0;

    // A named reel keeps any unsaved change; a scratch tape only recordings (a blank one has
    // nothing worth a reel of its own).
    const bool worthKeeping = named ? hasUnsavedChanges() : holdsAudio && hasUnsavedChanges();

    if (! named && ! worthKeeping)
        return; // an empty or already saved scratch tape: nothing to keep, nothing to say

    juce::String kept;
    const auto folderName = reelName.replace (" (Recovered)", "");

    // A recovery copy the user has not chosen about yet is not written over, not even now.
    if (worthKeeping && named && protectedRecoveryFolder != folderName)
    {
        // The tracks still hold the reel's rate: the recovery copy is written at it.
        const auto saved = saveReel (ReelFolderFormat::recoverySlot);

        if (saved.wasOk())
        {
            protectedRecoveryFolder = folderName;
            kept = "Its unsaved changes were kept in the tape's recovery copy: open \"" + folderName +
                   "\" again to get them back.";
        }
        else
        {
            kept = "Its unsaved changes could not be kept: " + saved.getErrorMessage();
        }
    }
    else if (worthKeeping)
    {
        // A scratch tape has no reel of its own to keep a recovery copy in (a later save-as
        // or eject deletes the scratch folder), and a reel may hold one that must stay: the
        // tape becomes a reel of its own.
        const auto name = ReelNames::makeUniqueReelName ("Rescued Tape", reelLibrary.getLibraryRoot());
        const auto& reference = tracks.front();
        const auto state = takeReelStateSnapshot();
        const auto automation = createAutomationXml();
        const auto saved =
            name.isEmpty() ? juce::Result::fail ("no free name.")
                           : reelLibrary.writeReel (name, tracks, state.parameterState, reference.getPositionSeconds(),
                                                    zeroOffset.load(), reference.sampleRate, state.rack.get(),
                                                    automation.get(), ReelFolderFormat::mainSlot,
                                                    std::vector<bool> (tracks.size(), true));

        if (saved.wasOk())
        {
            kept = "Its recordings were kept as the tape \"" + name + "\".";

            // The scratch tape's recovery copy holds nothing the new reel does not: it goes
            // rather than have the blank tape written over it.
            if (! named)
                reelLibrary.deleteRecoveryFolder (StorageIds::untitledReelName);
        }
        else
        {
            // The last recovery copy is then the only one: kept from the blank tape.
            protectedRecoveryFolder = folderName.isNotEmpty() ? folderName : juce::String (StorageIds::untitledReelName);
            kept = "Its recordings could not be kept as a tape of their own (" + saved.getErrorMessage() +
                   "); its last recovery copy is kept.";
        }
    }

    reelEjectedMessage = juce::String (deviceRateEjectText) + (kept.isNotEmpty() ? "\n" + kept : juce::String());
    reelEjectedByDevice = true;

    // Closed in memory: under the scratch name no save writes the blank tape over the reel.
    if (named)
    {
        setReelName (StorageIds::untitledReelName);
        zeroOffset = 0.0;
    }

    clearUnsavedChanges();
    setTransportState (transportStop);

    for (auto& row : backgroundCopyStale)
        row.fill (true);

    mainCopyStale.fill (true);

    if (named)
    {
        const juce::ScopedLock lock (audioLock);
        clickTrack.reset();
    }
}

void TavrelDelayAudioProcessor::releaseResources() {}

bool TavrelDelayAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainOutputChannelSet() != juce::AudioChannelSet::disabled();
}

juce::Result TavrelDelayAudioProcessor::prepareReel (int trackCount, double tapeSeconds, double sampleRate)
{
    if (auto check = TapeReelSize::checkReel (trackCount, sampleRate, tapeSeconds, TapeReelSize::getHeldBytes (tracks));
        check.failed())
    {
        reelError = check.getErrorMessage();
        return check;
    }

    const juce::ScopedLock saveGuard (saveLock); // a background save reads the tapes
    const juce::ScopedLock lock (audioLock);

    tracks.resize ((size_t)trackCount);
    numTracks = trackCount;
    auto result = juce::Result::ok();

    for (auto& track : tracks)
    {
        result = track.prepare (sampleRate, tapeSeconds);

        if (result.failed())
            break;
    }

    if (result.failed())
    {
        // A reel with tapes of different lengths would not play: every track gets the
        // shortest tape, which frees what the others took.
        for (auto& track : tracks)
            track.prepare (sampleRate, 0.0);

        result = juce::Result::fail (result.getErrorMessage() + " The reel was emptied.");
    }

    const auto blockSize = getBlockSize() > 0 ? getBlockSize() : 512;
    trackOutputBuffers.resize ((size_t)numTracks);

    for (auto& buffer : trackOutputBuffers)
        sizeBuffer (buffer, 1, blockSize);

    reelError = result.failed() ? result.getErrorMessage() : juce::String();
    return result;
}

void TavrelDelayAudioProcessor::sizeBlockBuffers (int samplesPerBlock)
{
    const auto blockSize = juce::jmax (1, samplesPerBlock);

    trackOutputBuffers.resize ((size_t)numTracks);

    for (auto& buffer : trackOutputBuffers)
        sizeBuffer (buffer, 1, blockSize);

    trackInputBuffers.resize ((size_t)maxTracks);

    for (auto& buffer : trackInputBuffers)
    {
        sizeBuffer (buffer, 1, blockSize);
        buffer.clear();
    }

    sizeBuffer (instrumentRenderBuffer, 64, blockSize);
    sizeBuffer (trackInsertBuffer, 2, blockSize);
    sizeBuffer (masterInsertBuffer, 64, blockSize);
    sizeBuffer (instrumentOutputs, 16, blockSize);

    // The aux buses and their previous-block copies swap places every block; sized here so
    // the first block after a start never allocates them on the audio thread.
    for (auto* bus : { &aux1Bus, &aux2Bus, &aux1BusPrevious, &aux2BusPrevious })
    {
        sizeBuffer (*bus, 2, blockSize);
        bus->clear();
    }
}
