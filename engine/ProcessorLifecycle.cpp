// The processor's construction and destruction, the framework overrides that carry no audio
// work, the play head, unsaved-changes tracking, the small accessors, the per-user files it
// reads and writes at start-up, and the calls it posts to the message thread.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"
#include "engine/ReelEditGuard.h"
#include "platform/Platform.h"
#include "storage/GuardedXmlReader.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

namespace
{
std::vector<TapeTrack> makeDefaultTracks()
{
    std::vector<TapeTrack> tracks;
    // Room for the largest reel from the start: growing the reel never moves the tapes.
    tracks.reserve ((size_t)TavrelDelayAudioProcessor::maxTracks);
    tracks.resize (8);
    return tracks;
}
} // namespace

//==============================================================================
TavrelDelayAudioProcessor::TavrelDelayAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::discreteChannels (maxTracks), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameters (*this, nullptr, ParameterIds::PARAMETERS, createParameterLayout()), tracks (makeDefaultTracks())
{
    for (int group = 1; group <= numGroups; ++group)
        groupNames[(size_t)group] = "Group " + juce::String (group);

    groupNames[0] = "None";

    for (size_t channel = 0; channel < (size_t)numChannels; ++channel)
    {
        automationModes[channel] = automationOff;
        faderTouched[channel] = false;
        pendingFaderValues[channel] = -1.0f;
    }

    soundRandom.setSeedRandomly();
    wearRandom.setSeedRandomly();

    liveBounceThread.startThread();
    audioFormatManager.registerBasicFormats();
    pluginFormatManager.addFormat (new juce::VST3PluginFormat());

    // At every start: the job adds only what is missing.
    firstRunJob = std::make_unique<FirstRunThread> (reelLibrary);
    firstRunJob->start();

    loadKnownPluginList();
    loadGlobalSettings();

    trackInputSources.fill (-1);
    numTracks = 8;
    tracks.resize ((size_t)numTracks);
    inputInserts.reserve (32);
    trackInserts.reserve (32);
    masterInserts.reserve (32);

    for (auto& group : channelGroups)
        group = 0;

    lightGuiValue = parameters.getRawParameterValue (ParameterIds::LIGHT_GUI);

    loadGlobalMidiMap();
    createSessionLock();

    // The settings above changed parameters; let the tree take those values now, so that
    // starting up does not count as a change of the reel.
    parameters.copyState();
    parameters.state.addListener (this);
    addListener (&parameterWatcher);

    // Created here, on the message thread, so that weak references taken later on other
    // threads (posted calls from the audio thread) only share it.
    juce::WeakReference<TavrelDelayAudioProcessor>{this};

    autoSaveThread = std::make_unique<AutoSaveThread> (*this);
    autoSaveThread->startThread (juce::Thread::Priority::normal);

    startUpdateCheck();
}

TavrelDelayAudioProcessor::~TavrelDelayAudioProcessor()
{
    firstRunJob.reset(); // stops at its next file when still busy

    if (autoSaveThread != nullptr)
        autoSaveThread->stopThread (4000);

    deleteSessionLock();
    stopLiveBounce();
    liveBounceThread.stopThread (4000);

    removeListener (&parameterWatcher);
    parameters.state.removeListener (this);
    masterReference.clear();
}

//==============================================================================
TavrelDelayAudioProcessor::AutoSaveThread::AutoSaveThread (TavrelDelayAudioProcessor& owner)
    : juce::Thread ("AutoSaver"), processor (&owner)
{
}

//==============================================================================
const juce::String TavrelDelayAudioProcessor::getName() const
{
    return "Velmora Dravin 8";
}

double TavrelDelayAudioProcessor::getTailLengthSeconds() const
{
    return 0.0;
}

bool TavrelDelayAudioProcessor::acceptsMidi() const
{
    return true;
}

bool TavrelDelayAudioProcessor::producesMidi() const
{
    return false;
}

bool TavrelDelayAudioProcessor::isMidiEffect() const
{
    return false;
}

juce::AudioProcessorEditor* TavrelDelayAudioProcessor::createEditor()
{
    return new TavrelDelayAudioProcessorEditor (*this);
}

bool TavrelDelayAudioProcessor::hasEditor() const
{
    return true;
}

int TavrelDelayAudioProcessor::getNumPrograms()
{
    return 1;
}

int TavrelDelayAudioProcessor::getCurrentProgram()
{
    return 0;
}

void TavrelDelayAudioProcessor::setCurrentProgram (int index)
{
    juce::ignoreUnused (index);
}

const juce::String TavrelDelayAudioProcessor::getProgramName (int index)
{
    juce::ignoreUnused (index);
    return {};
}

void TavrelDelayAudioProcessor::changeProgramName (int index, const juce::String& newName)
{
    juce::ignoreUnused (index, newName);
}

//==============================================================================
juce::Optional<juce::AudioPlayHead::PositionInfo> TavrelDelayAudioProcessor::getPosition() const
{
    PositionInfo info;
    info.setTimeSignature (TimeSignature{timeSigNumerator, timeSigDenominator});

    const auto seconds = tracks.empty() ? 0.0 : tracks.front().position / tracks.front().sampleRate;
    info.setTimeInSeconds (seconds);
    info.setTimeInSamples ((juce::int64) (seconds * getSampleRate()));
    info.setBpm (bpm);

    const int state = transportState;
    info.setIsPlaying (state == transportPlay || state == transportRecord);
    info.setIsRecording (state == transportRecord);

    if (loopEnabled)
    {
        // The loop points are seconds of tape; the framework counts them in quarter notes.
        const auto quartersPerSecond = bpm / 60.0;
        info.setIsLooping (true);
        info.setLoopPoints (LoopPoints{loopIn * quartersPerSecond, loopOut * quartersPerSecond});
    }
    else
    {
        info.setIsLooping (false);
    }

    return info;
}

//==============================================================================
void TavrelDelayAudioProcessor::valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&)
{
    markUnsaved();
}

void TavrelDelayAudioProcessor::valueTreeChildAdded (juce::ValueTree&, juce::ValueTree&)
{
    markUnsaved();
}

void TavrelDelayAudioProcessor::valueTreeChildRemoved (juce::ValueTree&, juce::ValueTree&, int)
{
    markUnsaved();
}

void TavrelDelayAudioProcessor::valueTreeChildOrderChanged (juce::ValueTree&, int, int)
{
    markUnsaved();
}

void TavrelDelayAudioProcessor::valueTreeParentChanged (juce::ValueTree&)
{
    markUnsaved();
}

bool TavrelDelayAudioProcessor::hasUnsavedChanges() const
{
    if (unsavedChanges)
        return true;

    for (const auto& track : tracks)
        if (track.dirty)
            return true;

    return false;
}

void TavrelDelayAudioProcessor::clearUnsavedChanges()
{
    unsavedChanges = false;

    for (auto& track : tracks)
        track.dirty = false;
}

//==============================================================================
juce::String TavrelDelayAudioProcessor::getReelName() const
{
    const juce::SpinLock::ScopedLockType lock (reelNameLock);
    return reelName;
}

void TavrelDelayAudioProcessor::setReelName (const juce::String& newName)
{
    const juce::SpinLock::ScopedLockType lock (reelNameLock);
    reelName = newName;
}

bool TavrelDelayAudioProcessor::isGroupActive (int group) const
{
    return group >= 1 && group <= numGroups && groupActive[(size_t)group];
}

juce::String TavrelDelayAudioProcessor::getGroupName (int group) const
{
    if (group >= 1 && group <= numGroups)
        return groupNames[(size_t)group];

    return "Group " + juce::String (group);
}

void TavrelDelayAudioProcessor::setGroupName (int group, const juce::String& name)
{
    if (group >= 1 && group <= numGroups)
        groupNames[(size_t)group] = name;
}

float TavrelDelayAudioProcessor::getTrackMeterLevel (int track) const
{
    if (track < 0 || track >= numTracks || track >= (int)tracks.size())
        return 0.0f;

    return tracks[(size_t)track].meterLevel;
}

void TavrelDelayAudioProcessor::clearTrack (int index)
{
    // Zeroed in place while no block callback, save or render reads the tape: the buffer keeps
    // its memory, and a save never writes a half-erased track and then marks it saved.
    const ReelEditGuard guard (*this);

    if (index < 0 || index >= numTracks || index >= (int)tracks.size())
        return;

    auto& track = tracks[(size_t)index];
    track.getAudio().clear();
    track.recordedLength = 0;
    track.dirty = true;
}

bool TavrelDelayAudioProcessor::anyTrackArmed() const
{
    for (int i = 0; i < numTracks && i < (int)tracks.size(); ++i)
        if (tracks[(size_t)i].isArmed())
            return true;

    return false;
}

//==============================================================================
void TavrelDelayAudioProcessor::loadGlobalSettings()
{
    const auto file = Platform::getUserDataFolder().getChildFile ("global_settings.xml");

    if (! file.existsAsFile())
        return;

    const auto xml = GuardedXmlReader::parseFile (file);

    if (xml == nullptr)
        return;

    // A readable file always sets both switches, also to off when an attribute is missing.
    const auto setSwitch = [this] (const char* id, bool on)
    {
        if (auto* parameter = parameters.getParameter (id))
            parameter->setValueNotifyingHost (on ? 1.0f : 0.0f);
    };

    enableThirdPartyPlugins = xml->getBoolAttribute ("enable3rdPartyPlugins", false);
    setSwitch (ParameterIds::MOMENTARY_TRANSPORT, xml->getBoolAttribute ("momentaryTransport", false));
    setSwitch (ParameterIds::DISABLE_AUTO_DISARM, xml->getBoolAttribute ("disableAutoDisarm", false));
    varispeedMusicalSnap = xml->getBoolAttribute ("varispeedMusicalSnap", false);
}

void TavrelDelayAudioProcessor::createSessionLock()
{
    auto folder = Platform::getUserDataFolder();

    if (folder.getFullPathName().isEmpty() || ! folder.exists())
        folder.createDirectory();

    sessionLockFile = folder.getChildFile ("session.lock");

    // A lock left behind by a crashed run stays as it is.
    if (! sessionLockFile.exists())
        sessionLockFile.create();
}

void TavrelDelayAudioProcessor::deleteSessionLock()
{
    if (sessionLockFile.existsAsFile())
        sessionLockFile.deleteFile();
}

void TavrelDelayAudioProcessor::loadKnownPluginList()
{
    const auto file = Platform::getUserDataFolder().getChildFile ("known_plugins.xml");

    if (! file.existsAsFile())
        return;

    if (const auto xml = GuardedXmlReader::parseFile (file))
        knownPluginList.recreateFromXml (*xml);
}

//==============================================================================
void TavrelDelayAudioProcessor::postLoopCut()
{
    audioThreadRequests.post (AudioThreadRequests::loopCut);
}

void TavrelDelayAudioProcessor::postMeasuredLatency (int offsetSamples)
{
    measuredLatencyOffset = offsetSamples;
    audioThreadRequests.post (AudioThreadRequests::measuredLatency);
}

void TavrelDelayAudioProcessor::applyMeasuredLatency (int offsetSamples)
{
    if (auto* parameter = parameters.getParameter (ParameterIds::REC_OFFSET))
    {
        const auto& range = parameter->getNormalisableRange();
        const auto snapped = range.snapToLegalValue ((float)offsetSamples);
        parameter->setValueNotifyingHost (range.convertTo0to1 (snapped));
    }

    latencyMeasureActive = false;
}
