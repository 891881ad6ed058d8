#pragma once

#include "effects/ReverbEngine.h"
#include "effects/TapeEchoEngine.h"
#include "engine/AudioThreadRequests.h"
#include "engine/AutomationLanes.h"
#include "engine/BlockParameters.h"
#include "engine/BlockState.h"
#include "engine/ButtonSoundVoice.h"
#include "engine/GlobalMidiMap.h"
#include "engine/KeyboardNoteQueue.h"
#include "engine/MidiInstrumentSettings.h"
#include "engine/OfflineRenderResult.h"
#include "engine/tape/TapeTrack.h"
#include "engine/tape/TapeTransportModel.h"
#include "rack/PluginLoadPolicy.h"
#include "rack/PluginSlotLoader.h"
#include "storage/FirstRunThread.h"
#include "storage/ReelLibrary.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class OptoCompEngine;
class FetCompEngine;
class EqualizerEngine;
class MultiModulatorEngine;
class MonoSynthEngine;
class RhythmEngine;
class PolySynthEngine;
class TannerinEngine;
class StageKeyboardEngine;
class LoungeRoomComponent;

/** The one audio processor of the studio. It owns the reel (the tape tracks and their tape
    models), the transport and tape mechanics, the console state (parameters, groups,
    automation, routing, aux returns), the rack slots, the MIDI map, the metronome track, the
    button sounds, the live-bounce writer and the auto-save thread.

    Every other part of the program holds a plain pointer to it and calls its entry points or
    reads its members directly; the threads that share a member are named where it is
    declared. The definition is split over the engine/Processor*.cpp files by concern. */
class TavrelDelayAudioProcessor : public juce::AudioProcessor,
                                  public juce::AudioPlayHead,
                                  public juce::ValueTree::Listener
{
public:
    //==============================================================================
    // Shared codes.

    enum TransportState
    {
        transportStop = 0,
        transportPlay = 1,
        transportRecord = 2,
        transportRewind = 3,
        transportFastForward = 4,
        transportScrub = 5
    };

    enum AutomationMode
    {
        automationOff = 0,
        automationRead = 1,
        automationTouch = 2,
        automationLatch = 3,
        automationWrite = 4
    };

    /** Console channels: 0..23 the tracks, 24 and 25 the aux returns. */
    static constexpr int maxTracks = 24;
    static constexpr int numChannels = 26;
    static constexpr int numGroups = 8;
    static constexpr int automationPointsPerSecond = 100;
    static constexpr int automationPoints = 360000;

    //==============================================================================
    /** One processing slot: a hosted plug-in or one of the built-in effects, with the settings
        of every built-in effect at once, the track it serves and a bypass switch. Held by
        shared pointer in the insert chains; made only through makeInsertPlugin(). The effect
        editors write the settings directly; the block callback reads them every block. */
    struct InsertPlugin
    {
        InsertPlugin();
        ~InsertPlugin();

        /** Makes the engine of builtInType (replacing one already there) and prepares it for
            the rate; a type outside 1..7 makes nothing. Used when a built-in slot is added and
            when a reel's rack is restored. */
        void createEngine (double sampleRate);

        std::unique_ptr<juce::AudioPluginInstance> instance;
        int targetTrack = -1;
        juce::String name;
        bool bypass = false;
        juce::String customPath;
        int builtInType = 0;
        std::unique_ptr<ReverbEngine> reverbEngine;
        std::unique_ptr<TapeEchoEngine> echoEngine;
        std::unique_ptr<OptoCompEngine> optoEngine;
        std::unique_ptr<FetCompEngine> fetEngine;
        int revType = 1;
        float revDecay = 0.5f;
        float revDamp = 0.5f;
        float revMix = 0.5f;
        float revPan = 0.0f;
        float echoTime = 300.0f;
        float echoFb = 0.4f;
        int echoAge = 1;
        float echoMix = 0.5f;
        float echoPan = 0.0f;
        bool echoSync = false;
        float echoDrive = -6.0f;
        float laGain = 50.0f;
        float laReduction = 0.0f;
        int laMode = 0;
        float fetInput = 0.0f;
        float fetOutput = 0.0f;
        float fetAttack = 0.8f;
        float fetRelease = 500.0f;
        int fetRatio = 0;
        float gainLevel = 0.0f;
        float eqFreq[5] = {60.0f, 250.0f, 1000.0f, 4000.0f, 12000.0f};
        float eqGain[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
        float eqQ[5] = {0.7f, 1.0f, 1.0f, 1.0f, 0.7f};
        std::unique_ptr<float> lineAmpGain;
        std::unique_ptr<EqualizerEngine> eqEngine;
        int mfxType = 0;
        float mfxP1 = 0.5f;
        float mfxP2 = 0.5f;
        bool mfxSync = false;
        std::unique_ptr<MultiModulatorEngine> multiEngine;

        /** The plug-in element this slot was restored from. While the slot has no instance (its
            plug-in is still loading, or failed to load) a save writes it back unchanged, so the
            plug-in is not lost from the reel. */
        std::shared_ptr<const juce::XmlElement> storedPluginXml;

        JUCE_DECLARE_NON_COPYABLE (InsertPlugin)
    };

    /** One instrument slot: a hosted instrument plug-in or one of the built-in instruments,
        with its preset name and MIDI channel. Held by shared pointer in instruments; made
        only through makeInstrumentPlugin(). */
    struct InstrumentPlugin
    {
        InstrumentPlugin();
        ~InstrumentPlugin();

        /** Makes the engine of builtInType (replacing any engine already there) with its
            defaults and prepares it for the rate (44100 when not above 0; the rhythm machine
            also loads pattern 0); a type outside 1..5 makes nothing. */
        void createEngine (double sampleRate);

        std::unique_ptr<juce::AudioPluginInstance> instance;
        juce::String customPath;
        int builtInType = 0;
        std::unique_ptr<MonoSynthEngine> monoEngine;
        std::unique_ptr<RhythmEngine> rhythmEngine;
        std::unique_ptr<PolySynthEngine> polyEngine;
        std::unique_ptr<TannerinEngine> tannerinEngine;
        std::unique_ptr<StageKeyboardEngine> keyboardEngine;
        juce::String name;
        int midiChannel = 0;
        juce::String presetName{"Default"};

        /** As InsertPlugin::storedPluginXml: written back while the slot has no instance. */
        std::shared_ptr<const juce::XmlElement> storedPluginXml;

        JUCE_DECLARE_NON_COPYABLE (InstrumentPlugin)
    };

    /** The auto-save thread, "AutoSaver": a 20-second tick that writes the recovery and
        auto-save copies of the open reel. */
    class AutoSaveThread : public juce::Thread
    {
    public:
        explicit AutoSaveThread (TavrelDelayAudioProcessor& owner);
        void run() override;

        TavrelDelayAudioProcessor* processor;
    };

    //==============================================================================
    TavrelDelayAudioProcessor();
    ~TavrelDelayAudioProcessor() override;

    /** The parameter set of the reel (see ParameterIds.h), in its stored order. */
    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    /** The texts of VARISPEED: the value as a whole percentage ("100%"), and back. */
    static juce::String varispeedToText (float value);
    static float varispeedFromText (const juce::String& text);

    //==============================================================================
    // juce::AudioProcessor
    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    // juce::AudioPlayHead: the tape position, tempo, time signature and transport.
    juce::Optional<PositionInfo> getPosition() const override;

    // juce::ValueTree::Listener: any change of the parameter tree marks the reel as changed.
    void valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&) override;
    void valueTreeChildAdded (juce::ValueTree&, juce::ValueTree&) override;
    void valueTreeChildRemoved (juce::ValueTree&, juce::ValueTree&, int) override;
    void valueTreeChildOrderChanged (juce::ValueTree&, int, int) override;
    void valueTreeParentChanged (juce::ValueTree&) override;

    //==============================================================================
    // Small accessors.

    /** Something changed since the last normal save: a parameter or tree property, or the
        audio of a track. */
    bool hasUnsavedChanges() const;
    void clearUnsavedChanges();
    /** The open reel's name. Any thread: a save-as renames the reel on the save thread. */
    juce::String getReelName() const;
    /** Renames the open reel in memory; callers that may race a save hold saveLock. */
    void setReelName (const juce::String& newName);
    bool isGroupActive (int group) const;
    juce::String getGroupName (int group) const;
    void setGroupName (int group, const juce::String& name);
    float getTrackMeterLevel (int track) const;
    /** Erases a track: every sample 0, recorded length 0, marked for the next save. Waits for
        a running save and suspends processing meanwhile (ReelEditGuard); the tape keeps its
        buffer. A track outside the reel is left alone. Message thread. */
    void clearTrack (int index);
    bool anyTrackArmed() const;

    //==============================================================================
    // The reel in memory.

    /** Sizes the reel: trackCount tracks (8, 16 or 24) of tapeSeconds (at most 3600) at
        sampleRate (8 to 192 kHz). A size outside those limits, or one the computer's memory
        cannot hold, is refused before anything changes. When memory runs out while the tracks
        are allocated, every track is left with the shortest tape, so the processor keeps
        working, and the failure says so. The message of a failure is also kept in reelError.
        Takes the audio lock; message thread (or device preparation). */
    juce::Result prepareReel (int trackCount, double tapeSeconds, double sampleRate);

    /** The last failure of prepareReel, empty after a success; for the user interface. */
    juce::String reelError;

    //==============================================================================
    // Per-user files.

    /** Reads the app-wide switches of "global_settings.xml" into enableThirdPartyPlugins,
        varispeedMusicalSnap and the parameters MOMENTARY_TRANSPORT and DISABLE_AUTO_DISARM.
        A missing or unreadable file changes nothing. */
    void loadGlobalSettings();
    void createSessionLock();
    void deleteSessionLock();
    void loadKnownPluginList();

    //==============================================================================
    // Work the audio thread hands to the message thread, through audioThreadRequests (no
    // allocation, no lock); a request pending when the processor goes is dropped.

    /** The MIDI command "loop_cut": runs cutLoopRegion on the message thread. */
    void postLoopCut();
    /** The end of the driver-latency measurement: applyMeasuredLatency on the message thread. */
    void postMeasuredLatency (int offsetSamples);
    /** Sets REC_OFFSET to the measured offset (snapped to its range), then ends the measurement. */
    void applyMeasuredLatency (int offsetSamples);

    //==============================================================================
    // Transport and locating.
    void setTransportState (int newState);
    void recordButtonPressed();
    void returnToZero();
    double setZeroPoint();
    double getElapsedSinceZero() const;

    // Loop points.
    void setLoopInHere();
    void setLoopOutHere();
    void toggleLoop();
    void clearLoopPoints();
    void cutLoopRegion();

    // Tape defects.
    void clearAllTapeDefects();
    void paintTapeDefect (float position, int lane, int kind, float halfWidthSeconds, float strength);
    void generateRandomDefects (float rate);

    // Button sounds.
    void loadButtonSound (juce::AudioBuffer<float>& target, const void* data, size_t numBytes);

    // Click track.
    void setClickEnabled (bool enabled, double newBpm, int beatsPerBar, int beatUnit);
    void setTempo (double newBpm, int beatsPerBar, int beatUnit);
    void renderClickTrack (double newBpm, int beatsPerBar, int beatUnit, int subdivision);

    // Global MIDI map and MIDI learn.
    void setMidiLearnTarget (const juce::String& id);
    void clearMidiLearnTarget();
    void clearMidiMap();
    void saveGlobalMidiMap();
    void loadGlobalMidiMap();
    void setInstrumentParameterFromMidi (int slot, const juce::String& controlId, float value);

    // Automation.
    void clearAutomation (int channel);
    void resetAutomation();
    std::unique_ptr<juce::XmlElement> createAutomationXml();
    void restoreAutomation (const juce::XmlElement& automation);

    // Rack state. createRackStateXml reads the slot lists and asks each hosted plug-in for its
    // state: message thread (where the slots change), or any thread holding audioLock.
    std::unique_ptr<juce::XmlElement> createRackStateXml();
    void restoreRackState (const juce::XmlElement& rackState);

    /** What a save or the state blob stores besides the tapes and the lanes, taken at one
        moment: the rack element (with every hosted plug-in's state) and a copy of the parameter
        tree. */
    struct ReelStateSnapshot
    {
        std::unique_ptr<juce::XmlElement> rack;
        juce::ValueTree parameterState;
    };

    /** Takes the snapshot on the message thread, without the audio lock, so the block callback
        keeps running while plug-ins write their state. Called on another thread (a background
        or user save) it asks the message thread and waits for it. When the message thread does
        not answer within snapshotTimeoutMilliseconds, or the calling thread is asked to stop
        meanwhile (the message thread may be waiting for it), it takes the snapshot itself
        under the audio lock: a moment of silence rather than a stuck save. */
    ReelStateSnapshot takeReelStateSnapshot();
    std::atomic<int> snapshotTimeoutMilliseconds{3000};

    /** How many snapshots fell back to the audio lock (for tests and diagnostics). */
    std::atomic<int> lockedSnapshots{0};

    // Reel saving and loading. A save returns whether the copy was written (a failure leaves
    // the reel on disk as it was and the unsaved state set; its message is for the user); a
    // load returns whether the reel or slot copy was found.
    juce::Result saveReel (int slot);
    juce::Result saveReelAs (const juce::String& newName);
    bool loadReel (const juce::String& name, int slot);
    void ejectReel();

    /** The user chose to discard the open reel's recovery copy: it is deleted, and the
        background saves write a new one again. */
    void discardRecovery();

    /** Counted suspension of processing (see ProcessingHold, the way to use them). */
    void holdProcessing();
    void releaseProcessing();

    // Offline mixdown, live bounce, track swap, import.
    OfflineRenderResult renderOfflineMixdown (const juce::File& target, double start, double end,
                                              std::function<bool (float)> progress, juce::Array<int> excluded,
                                              bool ignoreVarispeed);
    void startLiveBounce (const juce::File& file);
    void stopLiveBounce();

    /** Blocks of the running (or last) live bounce that its writer had no room for, and their
        samples: the file has a gap for each. Reset by startLiveBounce. */
    int getLiveBounceDroppedBlocks() const noexcept { return liveBounceDroppedBlocks.load(); }

    /** What to tell the user after a bounce: empty when the file is whole, otherwise a
        message saying how much is missing. */
    juce::String getLiveBounceReport() const;
    void swapTracks (int trackA, int trackB);
    juce::Result importAudioToTrack (const juce::File& file, int track, double startSeconds, bool splitStereo,
                                     float drive, float inputGain, bool ignoreReverse);

    // The update check (see UpdateCheck): started as the constructor's last step on a
    // self-deleting thread, unless the update server address is empty. checkForUpdates runs on
    // that thread and reaches the processor only through a posted storeUpdateNotes, which sets
    // updateNotes ("New in this version:" and the notes) and then updateAvailable.
    void startUpdateCheck();
    static void checkForUpdates (juce::WeakReference<TavrelDelayAudioProcessor> processor,
                                 const juce::String& serverAddress);
    void storeUpdateNotes (const juce::String& notes);

    //==============================================================================
    // Reel state.
    std::atomic<bool> unsavedChanges{false};
    // The tempo is set on the message thread while blocks (synced effects, the rhythm machine,
    // hosted plug-ins' play head) read it.
    std::atomic<double> bpm{120.0};
    std::atomic<int> timeSigNumerator{4};
    std::atomic<int> timeSigDenominator{4};
    std::atomic<int> currentSlot{0};
    std::unique_ptr<TapeTrack> clickTrack;
    juce::AudioDeviceManager* deviceManager = nullptr;

    // Plug-in hosting and rack slots.
    juce::AudioPluginFormatManager pluginFormatManager;
    juce::KnownPluginList knownPluginList;
    std::atomic<bool> enableThirdPartyPlugins{false};
    juce::AudioFormatManager audioFormatManager;
    std::vector<std::shared_ptr<InstrumentPlugin>> instruments;
    std::vector<std::shared_ptr<InsertPlugin>> inputInserts;
    std::vector<std::shared_ptr<InsertPlugin>> trackInserts;
    std::vector<std::shared_ptr<InsertPlugin>> masterInserts;
    std::unique_ptr<juce::AudioPluginInstance> aux1Plugin;
    std::unique_ptr<juce::AudioPluginInstance> aux2Plugin;
    int aux1BuiltIn = 1;
    int aux2BuiltIn = 2;
    ReverbEngine aux1Reverb;
    TapeEchoEngine aux2Echo;

    // Routing and scratch buffers of the block callback.
    std::array<int, maxTracks> trackInputSources;
    int numTracks = 8;
    juce::AudioBuffer<float> aux1Bus, aux2Bus;
    juce::AudioBuffer<float> aux1BusPrevious, aux2BusPrevious;
    juce::String aux1CustomPath, aux2CustomPath;

    // Parameters and keyboard playing.
    juce::AudioProcessorValueTreeState parameters;
    juce::MidiKeyboardState keyboardState;
    std::atomic<bool> musicalTypingActive{false};
    std::atomic<bool> musicalTypingGlobal{false};
    std::atomic<bool> varispeedMusicalSnap{false};
    std::atomic<int> keyboardOctave{4};
    std::atomic<float> keyboardVelocity{0.8f};
    std::atomic<int> keyboardTargetSlot{0};
    juce::CriticalSection audioLock;

    // Cached parameter access and smoothing, filled by prepareToPlay.
    std::atomic<float>* lightGuiValue = nullptr;
    std::array<std::atomic<float>*, maxTracks> trackVolumeValues{};
    std::array<juce::AudioProcessorParameter*, numChannels> channelVolumeValues{};
    std::array<juce::SmoothedValue<float>, maxTracks> volumeSmoothers, panSmoothers, aux1SendSmoothers,
        aux2SendSmoothers;
    juce::SmoothedValue<float> masterVolumeSmoother, aux1ReturnSmoother, aux2ReturnSmoother, aux1PanSmoother,
        aux2PanSmoother;
    std::array<std::atomic<float>*, maxTracks> trackMuteValues{}, trackSoloValues{}, trackPhaseValues{},
        trackPanValues{}, trackMonitorValues{}, trackTrimValues{}, trackEqPreValues{}, trackAux1Values{},
        trackAux2Values{}, trackEqHighValues{}, trackEqMidFreqValues{}, trackEqMidGainValues{}, trackEqLowValues{};

    // Shuttle, MIDI map, button sounds, mechanics and tracks.
    std::atomic<float> scrubSpeed{0.0f};
    std::atomic<bool> reelHeld{false};
    std::multimap<int, juce::String> midiMap;
    std::atomic<bool> midiLearnArmed{false};
    juce::String midiLearnTarget;
    juce::AudioBuffer<float> clickSound;
    juce::AudioBuffer<float> stopSound;
    ButtonSoundVoice buttonVoice;
    TapeTransportModel tapeMechanics;
    std::vector<TapeTrack> tracks; // never empty: track 1 is the time reference
    std::atomic<int> transportState{transportStop};
    std::atomic<bool> recordReady{false};
    juce::SmoothedValue<float> speedSmoother;
    ReelLibrary reelLibrary;
    juce::String reelName{"Untitled"}; // written through setReelName; read elsewhere via getReelName
    juce::SpinLock reelNameLock;
    juce::Random soundRandom;
    juce::Random wearRandom;
    std::atomic<double> zeroOffset{0.0};
    std::atomic<bool> locateToZeroPending{false};
    std::atomic<double> loopIn{0.0};
    std::atomic<double> loopOut{5.0};
    std::atomic<bool> loopEnabled{false};
    int wearTickCounter = 0;
    float speedWander = 0.0f;
    float scrubControlValue = 0.5f;
    int scrubIdleBlocks = 0;
    std::atomic<bool> latencyMeasureActive{false};
    std::atomic<int> latencyMeasureCounter{0};
    std::atomic<int> latencyMeasurePhase{0};
    std::atomic<float> outputPeakLeft{0.0f};
    std::atomic<float> outputPeakRight{0.0f};
    std::atomic<bool> outputClip{false};

    // Automation and groups.
    juce::AudioBuffer<float> automationData;
    std::array<std::atomic<int>, numChannels> automationModes;
    std::array<std::atomic<bool>, numChannels> faderTouched;
    std::array<bool, numChannels> automationLatched{};
    std::array<std::atomic<int>, numChannels> channelGroups;
    std::array<juce::String, numGroups + 1> groupNames;
    std::array<bool, numGroups + 1> groupActive{false, true, true, true, true, false, false, false, false};
    std::array<float, numChannels> groupFaderBaseline{};
    std::array<std::atomic<float>, numChannels> pendingFaderValues;
    bool groupBaselineReady = false;
    LoungeRoomComponent* loungeRoom = nullptr;
    juce::CriticalSection automationLock;

    // Update notice, live bounce, saving, threads and the remaining block buffers.
    std::atomic<bool> updateAvailable{false};
    juce::String updateNotes;
    int deviceLatencySamples = 0;
    juce::TimeSliceThread liveBounceThread{"Live Bounce Thread"};
    std::unique_ptr<juce::AudioFormatWriter::ThreadedWriter> liveBounceWriter;
    juce::CriticalSection liveBounceLock;
    juce::CriticalSection saveLock;
    /** User saves (SaveReelThread) made and not yet finished: quitting waits for them. */
    std::atomic<int> userSavesUnderWay{0};
    std::atomic<bool> liveBounceActive{false};
    std::atomic<int> liveBounceDroppedBlocks{0};
    std::atomic<juce::int64> liveBounceDroppedSamples{0};
    double liveBounceRate = 0.0;
    std::vector<juce::AudioBuffer<float>> trackOutputBuffers;
    std::vector<juce::AudioBuffer<float>> trackInputBuffers;
    std::unique_ptr<AutoSaveThread> autoSaveThread;
    std::unique_ptr<FirstRunThread> firstRunJob; // installs missing presets and the demo reel
    float fadeInGain = 0.0f;
    std::atomic<float> cpuLoadPercent{0.0f};
    juce::AudioBuffer<float> instrumentRenderBuffer;
    juce::AudioBuffer<float> trackInsertBuffer;
    juce::AudioBuffer<float> masterInsertBuffer;
    juce::AudioBuffer<float> instrumentOutputs;

    //==============================================================================
    // Click track, global MIDI map and MIDI learn, automation lanes and groups.
    //
    // midiMap and midiLearnTarget belong to the message thread: whoever edits midiMap
    // calls saveGlobalMidiMap (or publishMidiMap), which hands the audio thread a new copy.
    // The audio thread reads only that copy and only records what learn took.

    /** The block callback's group and automation step, once per block on the audio thread
        after the audio lock is held and before the MIDI map: group-linked faders, then
        automation reading and writing for every existing channel. Try-locks automationLock
        and skips the step for a block that finds it taken. bufferLength is the whole
        buffer's length (it sets how many rows a write covers). */
    void applyGroupFadersAndAutomation (int bufferLength) noexcept;

    /** Writes value into channel's lane for one block: the rows row .. row + step - 1 when
        forward, row .. row - (step - 1) when the tape runs backwards; rows outside the lane
        are skipped. Audio thread inside automationLock, or any thread holding it. */
    void writeAutomationRows (int channel, float value, int row, int step, bool forward) noexcept;

    /** The block callback's MIDI step, on the audio thread after the automation step: learn,
        the bound parameters, instrument settings and deck commands, and the filtering of
        controller changes. Every event of incoming that is not a controller change is added
        to filtered (which the caller clears; reserve it with ensureSize at preparation so
        that adding never allocates). Deck commands call the transport, loop and defect
        entry points at once; the click toggle and the loop cut are posted to the message
        thread. */
    void dispatchMidiMap (const juce::MidiBuffer& incoming, juce::MidiBuffer& filtered) noexcept;

    /** The key of a MIDI message (raw bytes) in the map (controller number, or 128 + note for
        a note on or off) and its value (the controller value; 127 for a note on with a
        velocity, else 0); false for any other message. */
    static bool getMidiMapKey (const juce::uint8* data, int numBytes, int& key, int& value) noexcept;

    /** Applies a resolved instrument setting to one slot, as setInstrumentParameterFromMidi
        does. Audio thread: allocates nothing. */
    void applyInstrumentSettingFromMidi (int slot, const MidiInstrumentSettings::Setting& setting,
                                         float value) noexcept;

    /** Console side, message thread: the channel's automation mode, given to every other
        channel of its group when the group is active. */
    void setAutomationMode (int channel, int mode);

    /** Console side, message thread: what the editor's timer does with the fader values the
        audio thread handed over: each pending value is taken (at most once) and set on the
        channel's volume parameter with its listeners told. */
    void applyPendingFaderValues();

    /** The normalised volume of a channel's fader parameter, 0 when there is none. */
    float getChannelVolume (int channel) const;

    /** Rack side, message thread: removes the bindings of the built-in instrument type
        ("INST_" + type + "_...") and saves the map. */
    void eraseInstrumentMidiBindings (int builtInType);

    /** Message thread: hands the audio thread a copy of midiMap, without writing the file. */
    void publishMidiMap();

    /** Message thread: binds a key that learn took (never the modulation wheel or the sustain
        pedal), then saves the map. */
    void applyLearnedMidiBinding (int key, const juce::String& targetId);

    /** The MIDI command "click_toggle": toggles the click on the message thread, since
        making the click tape allocates a whole tape. */
    void postClickToggle();

    /** Toggles the click with the stored tempo (120 BPM and 4/4 for unusable values). */
    void toggleClick();

    //==============================================================================
    // What the audio thread hands to the message thread (ProcessorMidiMap.cpp).

    /** Audio thread (any thread but the message thread): sets a parameter at once for the block
        callback, its own value and the raw value the block reads, marks the reel as changed and
        leaves telling its listeners (attachments, host, parameter tree) to the message thread.
        Allocation-free and lock-free: the framework's notification takes a listener lock. */
    void setParameterFromAudioThread (juce::AudioProcessorParameter& parameter, float normalisedValue) noexcept;

    /** Message thread: tells the listeners of every parameter the audio thread set since the
        last call, unless the parameter has been changed again here meanwhile. */
    void notifyParametersSetFromAudioThread();

    /** Message thread: carries out what the audio thread asked for, count times. */
    void handleAudioThreadRequest (AudioThreadRequests::Kind kind, int count);

    /** Per parameter index, made once: the raw value the block reads and the normalised value
        the audio thread set that the listeners have not heard of yet (NaN when none). */
    struct AudioThreadParameterValues
    {
        explicit AudioThreadParameterValues (juce::AudioProcessorValueTreeState& parameters);

        std::vector<std::atomic<float>*> raw;
        std::unique_ptr<std::atomic<float>[]> pending;
        size_t size = 0;
    };

    AudioThreadParameterValues audioThreadParameterValues{parameters};

    /** The result of the latency measurement, handed over with AudioThreadRequests::measuredLatency. */
    std::atomic<int> measuredLatencyOffset{0};

    GlobalMidiMap globalMidiMap{midiLearnArmed, [this] (int key, const juce::String& targetId)
                                { applyLearnedMidiBinding (key, targetId); }};

    /** The lanes exist from construction, each holding its fader's value, so that a reel
        loaded and saved before any audio device ran never writes empty lanes over recorded
        automation. */
    const bool automationLanesCreated = AutomationLanes::create (automationData, parameters);

    //==============================================================================
    // Rack state entries
    /** Appends the element of one insert entry to a chain element: a hosted plug-in under
        entryName, a built-in effect under "BUILTIN_" + entryName, nothing for an entry that holds
        neither. Called by createRackStateXml. */
    void createInsertXml (juce::XmlElement& chain, const std::shared_ptr<InsertPlugin>& entry,
                          const juce::String& entryName);
    /** Appends exactly one entry read from an entry element to the chain. Called by
        restoreRackState under audioLock with processing suspended. */
    void restoreInsertFromXml (const juce::XmlElement& element, std::vector<std::shared_ptr<InsertPlugin>>& chain);

    //==============================================================================
    // Transport, loop points, tape defects and button sounds.

    /** The parameters the transport reads, found once while the processor is built, so that
        transport commands arriving through the MIDI map on the audio thread look nothing up. */
    struct TransportParameters
    {
        std::atomic<float>* disableSfx = nullptr;
        std::atomic<float>* disableAutoDisarm = nullptr;
        std::array<juce::RangedAudioParameter*, maxTracks> monitor{}; // MON_1 .. MON_24
    };

    TransportParameters findTransportParameters();

    /** Decodes the embedded click and stop sounds into clickSound and stopSound; true when
        both decoded. */
    bool loadButtonSounds();

    /** Button sounds are on (DISABLE_SFX off). */
    bool buttonSoundsEnabled() const noexcept;

    /** A button's gain, 0.55 to 0.65, drawn from soundRandom. */
    float drawButtonSoundGain() noexcept;

    /** Leaving record: disarms the armed tracks and sets their monitors to tape, unless
        DISABLE_AUTO_DISARM is on. */
    void autoDisarm();

    /** Moves the audio, the defect map and the playhead of one track for a cut of the samples
        in..out (the track's own rate). */
    static void cutTrackRegion (TapeTrack& track, int in, int out);

    // Filled while the processor is built: declared after the parameters and the sound
    // buffers they use.
    TransportParameters transportParameters = findTransportParameters();
    bool buttonSoundsLoaded = loadButtonSounds();

    //==============================================================================
    // Hosted plug-in slots. Everything here runs on the message thread (createHostedPluginAsync
    // hands itself over to it). Slot lists change only with processing suspended and audioLock
    // held; a removed or replaced slot is retired (retireSlot), so its plug-in or engine is
    // destroyed on the message thread after the handler that removed it has returned and its
    // plug-in window has closed.

    using HostedSlotKind = PluginSlotLoader::SlotKind;

    /** The instrument slots the block callback renders; no further slot is added. */
    static constexpr int maxInstrumentSlots = 8;

    // Asynchronous creation of a hosted plug-in into a new slot. They return at once; the slot
    // appears when the plug-in has been created, made ready for the slot (play head, channel
    // layout, preparation) and put in place. A plug-in that cannot be created, or whose file may
    // not be loaded (isPluginPathAllowed), changes nothing and shows no message.
    // The optional completion is called once, later, on the message thread, with the slot (or
    // plug-in) this very request put in place, or with null when it put nothing in place; it is
    // not called when the processor has been deleted meanwhile.
    using InsertAdded = std::function<void (std::shared_ptr<InsertPlugin>)>;
    using InstrumentAdded = std::function<void (std::shared_ptr<InstrumentPlugin>)>;
    using AuxLoaded = std::function<void (juce::AudioPluginInstance*)>;

    void addInputInsertPlugin (const juce::PluginDescription& description, InsertAdded onAdded = {});
    void addTrackInsertPlugin (const juce::PluginDescription& description, int track, InsertAdded onAdded = {});
    void addMasterInsertPlugin (const juce::PluginDescription& description, InsertAdded onAdded = {});
    /** Aux 0 is the first return, any other value the second. The plug-in it replaces is
        retired: destroyed once no editor of it is open. */
    void loadAuxPlugin (int aux, const juce::PluginDescription& description, AuxLoaded onLoaded = {});
    /** Refused (nothing created, the completion gets null) while maxInstrumentSlots slots are
        in use, also when they filled up while the plug-in was being created. */
    void addInstrumentPlugin (const juce::PluginDescription& description, InstrumentAdded onAdded = {});

    /** A built-in instrument slot of the type (any unknown type: no engine, the poly
        synthesizer's name), prepared at the current rate, appended at once. Refused (false)
        while maxInstrumentSlots slots are in use. */
    bool addBuiltInInstrument (int type);

    // Removal and slot settings; an index outside the list does nothing. Every change marks the
    // reel as changed, so that quitting asks to save it.
    void removeInputInsert (int index);
    void removeTrackInsert (int index);
    void removeMasterInsert (int index);
    void removeInstrument (int index);
    void setInputInsertTarget (int index, int track);
    void setTrackInsertBypass (int index, bool shouldBypass);
    void setMasterInsertBypass (int index, bool shouldBypass);
    /** 0 every channel, 1..16 that channel only. */
    void setInstrumentMidiChannel (int index, int channel);

    /** True when the plug-in file at path may be loaded: it lies in a standard plug-in folder
        (pluginLoadPolicy.standardFolders) or is in knownPluginList, and its name is not in
        "BlockedPlugins.txt". Every creation checks the file it loads; a reel's restore also asks
        before it reads a stored path. */
    bool isPluginPathAllowed (const juce::String& path) const;

    /** The asynchronous creation every hosted slot uses, also when a reel's rack is restored.

        path is the file the slot names (empty: the description's file). When it differs from
        the description's file, exists and may be loaded, the plug-in is created from the file at
        path (the plug-in was moved since the description was written). The file actually loaded
        must pass isPluginPathAllowed.

        onCreated is called once, later, on the message thread, with the instance made ready for
        kind (play head, channel layout, state when there are state bytes, prepared at the rate
        and block size of that moment: 44100 and 512 while no device runs), or with null when
        the plug-in cannot be created or may not be loaded; and with the resolved path. It is
        not called when the processor has been deleted meanwhile. An instance it does not take
        is destroyed when it returns. May be called on any thread: the request is then handed
        to the message thread. */
    void createHostedPluginAsync (const juce::PluginDescription& description, HostedSlotKind kind,
                                  const juce::String& path, const juce::MemoryBlock& state,
                                  juce::AudioPluginFormat::PluginCreationCallback onCreated);

    // Putting a created instance into a slot that already exists (a restored slot waiting for
    // its plug-in), under the same protection as every slot change: instance, name (the
    // plug-in's) and path are set together; an instance replaced is destroyed at once. They do
    // not mark the reel as changed. A null instance changes nothing, except that an aux return's
    // path is emptied (it no longer shows as loading).
    void installInsertPluginInstance (const std::shared_ptr<InsertPlugin>& slot,
                                      std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path);
    void installInstrumentPluginInstance (const std::shared_ptr<InstrumentPlugin>& slot,
                                          std::unique_ptr<juce::AudioPluginInstance> instance,
                                          const juce::String& path);
    void installAuxPluginInstance (int aux, std::unique_ptr<juce::AudioPluginInstance> instance,
                                   const juce::String& path);

    /** Called on the message thread with a plug-in that a newly installed one has just replaced
        in its slot, before the replaced one is let go: the user interface closes its editor
        window there (an editor must never outlive its plug-in). Empty: nothing is called. */
    std::function<void (juce::AudioPluginInstance* replaced)> onPluginReplaced;

    /** Keeps a slot or plug-in taken out of the processor (owner, whose plug-in is instance, or
        null for a built-in one) until no editor of that plug-in is open, then lets it go on
        the message thread. A plug-in window may still show it when a rack is restored or a
        slot removed. Any thread but the audio thread. */
    void retireSlot (std::shared_ptr<void> owner, juce::AudioPluginInstance* instance);

    /** Message thread: lets go of every retired slot whose plug-in shows no editor; the rest
        are looked at again shortly. Returns how many still wait. */
    int releaseRetiredSlots();

    /** Creations requested and not yet completed (the rack and tests wait for them). */
    std::atomic<int> pendingPluginCreations{0};

    /** The plug-in elements the aux returns were restored from, written back by a save while the
        return has no plug-in; emptied when a plug-in is put into the return. */
    std::shared_ptr<const juce::XmlElement> aux1StoredPluginXml, aux2StoredPluginXml;

    /** Which plug-in files may be loaded (standard folders, blocked names). */
    PluginLoadPolicy pluginLoadPolicy;

    //==============================================================================
    // Hosted plug-in elements

    /** The stored element of a live hosted plug-in under tag: its description, slotPath (when not
        empty) and its state. Null without an instance. Called by the rack writer. */
    std::unique_ptr<juce::XmlElement> createPluginXml (juce::AudioPluginInstance* instance, const juce::String& tag,
                                                       const juce::String& slotPath);

    /** Re-creates the plug-in of a stored element for a slot of the kind. slotCompletion is called
        exactly once: at once with null and an empty path when there is no element or it holds no
        readable description; otherwise later, on the message thread, with the instance made ready
        for the slot (or null when it could not be created or its file may not be loaded) and the
        resolved path, after which the console is refreshed. Called by the rack reader. */
    void restorePluginFromXml (const juce::XmlElement* element, HostedSlotKind kind,
                               juce::AudioPluginFormat::PluginCreationCallback slotCompletion);

    //==============================================================================
    // Reel saving and loading, auto-save.

    /** Progress of the save running now: 0 to 1 over the track files, -1 before it starts. */
    std::atomic<double> saveProgress{-1.0};

    /** Set when the last background save (recovery or auto-save copy) failed, with its
        message (guarded by saveLock); cleared by the next one that succeeds. The editor
        shows it. */
    std::atomic<bool> backgroundSaveFailed{false};
    juce::String backgroundSaveError;

    /** What the last load could not restore (a damaged defect map, a tape shortened for lack
        of memory, a track file that could not be read, a copy whose files come from different
        saves); empty when it loaded whole. */
    juce::String reelLoadWarning;

    /** Set when a change of the audio device's rate closed the open tape (it cannot play at
        the new rate), with the text for the user: what was closed and where its unsaved
        recordings were kept. The editor shows it and clears the flag. Message thread. */
    std::atomic<bool> reelEjectedByDevice{false};
    juce::String reelEjectedMessage;

    /** The device rate the open tape was last prepared or loaded under; 0 before the first
        device start. A tape at a rate the device refused plays on at its own rate while the
        device keeps this one: only a change of the device's rate can close it. Message
        thread. */
    double tapeDeviceRate = 0.0;

    /** The reel folder whose recovery copy holds audio that exists nowhere else and that the
        user has not yet chosen to open or discard (a newer recovery copy of a reel opened from
        its main copy, or one written to rescue a tape a device change closed): background
        saves leave it alone. Empty for none. Guarded by saveLock. */
    juce::String protectedRecoveryFolder;

    /** Tracks whose file in the main copy may differ from the tape even though the track is
        not dirty: the tape was loaded from another copy. Guarded by saveLock. */
    std::array<bool, maxTracks> mainCopyStale{};

    /** Length of one auto-save tick. The interval of the auto-save copy counts 20-second
        ticks, so tests may shorten this. */
    std::atomic<int> autoSaveTickMilliseconds{20000};

    /** One tick of the auto-save thread: tick counts from 1, lastSlotTick is the tick of the
        last auto-save decision. */
    void runAutoSaveTick (int tick, int& lastSlotTick);

    /** Tracks whose file in the recovery copy (row 0) or the auto-save copy (row 1) may be
        older than the tape, because the track changed and a main save then cleared its dirty
        flag, or another reel was loaded. Guarded by saveLock. */
    std::array<std::array<bool, maxTracks>, 2> backgroundCopyStale{};

    /** saveReelAs, with the name check of a new reel unless mayReplaceExisting (the recovered
        copy of a reel saved back over the reel). */
    juce::Result saveReelUnderName (const juce::String& newName, bool mayReplaceExisting);

    /** saveReel and saveReelUnderName with the snapshot taken before the save lock: taking it
        may wait for the message thread, which may itself be waiting for the save lock. */
    juce::Result saveReelFrom (int slot, const ReelStateSnapshot& snapshot);
    juce::Result saveReelUnderNameFrom (const juce::String& newName, bool mayReplaceExisting,
                                        const ReelStateSnapshot& snapshot);

    //==============================================================================
    // Offline mixdown, live bounce, track swap and import

    /** The console stage's hand-off of the final output block (left and right, after the
        clamp) to a running live bounce. Audio thread: never waits, allocates nothing; a block
        that finds a start or stop in progress, or no room in the writer's queue, is left out.
        True when the block was queued. */
    bool pushLiveBounceBlock (const juce::AudioBuffer<float>& output, int numSamples) noexcept;

    //==============================================================================
    // Block processing: the processing side of the slots and the latency measurement.

    /** The insert chains addBuiltInEffect appends to. */
    enum InsertChain
    {
        InputInserts = 1,
        TrackInserts = 4,
        MasterInserts = 5
    };

    /** Makes a built-in effect slot of the type serving the track (-1 none), prepares its engine
        at the current sample rate (44100 before the device runs) and appends it to the chain. Any
        other chain value appends nothing. Message thread: suspends processing and holds the
        audio lock while the chain changes. Does not mark the reel as changed. */
    void addBuiltInEffect (int type, int targetTrack, int chain);

    /** Runs a built-in insert effect in place, pushing the slot's current settings into its
        engine first. A slot without the engine of its type leaves the buffer alone. Audio thread
        (or the offline renderer's thread while processing is suspended). */
    void runInsertEffect (InsertPlugin& slot, juce::AudioBuffer<float>& buffer) noexcept;

    /** Starts the driver-latency measurement (loopback calibration): a burst of noise on the
        output, then listening on track 1's input for its echo; the result lands in REC_OFFSET.
        Message thread. */
    void startLatencyMeasurement();

private:
    /** Marks the reel as changed on any parameter change at once: the parameter tree only
        receives new values from a timer, so its listener alone would miss a change made just
        before a quit or a save. */
    struct ParameterChangeWatcher : public juce::AudioProcessorListener
    {
        explicit ParameterChangeWatcher (std::atomic<bool>& flagToSet) : flag (flagToSet) {}
        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { flag = true; }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

        std::atomic<bool>& flag;
    };

    void markUnsaved() noexcept { unsavedChanges = true; }
    void sizeBlockBuffers (int samplesPerBlock);

    ParameterChangeWatcher parameterWatcher{unsavedChanges};
    juce::CriticalSection holdLock;
    int processingHolds = 0;
    bool suspendedBeforeHolds = false;

    /** Before a device change at another rate blanks the tape: keeps its unsaved recordings
        on disk and tells the user; for a named reel also closes it. saveLock held. */
    void rescueTapeBeforeRateChange();

    /** True when no track holds a recording (a fresh, erased or rate-changed tape). */
    bool tapeIsBlank() const;

    /** True when the reel folder's recovery copy has a track file with a recording in it. */
    bool recoveryCopyHoldsAudio (const juce::String& folderName) const;

    juce::File sessionLockFile;

    //==============================================================================
    // Block processing: the stages of processBlock and what they keep between calls.
    BlockParameters blockParameters{parameters};
    KeyboardNoteQueue keyboardNotes{keyboardState};
    BlockState block;

    /** Where each keyboard note went when it began (a slot, -1 for every slot, noSlot while
        silent), so that its end reaches the same instrument after the target has moved. */
    static constexpr juce::int8 noSlot = -2;
    std::array<std::array<juce::int8, 128>, 16> keyboardNoteSlots = []
    {
        std::array<std::array<juce::int8, 128>, 16> silent{};
        for (auto& channel : silent)
            channel.fill (noSlot);
        return silent;
    }();
    /** The slot each of this block's keyboard events goes to, in the buffer's order. */
    std::array<int, 512> keyboardEventSlots{};
    void routeKeyboardEvents (const juce::MidiBuffer& keyboard, int target) noexcept;

    // Control stage.
    void takeParameterSnapshot() noexcept;
    void updateScrub() noexcept;
    void chooseSpeedTarget() noexcept;
    void placeTracksAt (double seconds, bool includingClick) noexcept;
    void applyHeadSettings() noexcept;

    // Sources and tape stage.
    void handOverAuxBuses (int numSamples) noexcept;
    void renderInstrumentSlots() noexcept;
    void routeTrackInputs (const juce::AudioBuffer<float>& deviceInput) noexcept;
    void runTapeLoop (juce::AudioBuffer<float>& buffer) noexcept;

    // Console and master stage.
    void runTrackInserts() noexcept;
    void mixTracks (juce::AudioBuffer<float>& buffer) noexcept;
    void processAuxReturn (juce::AudioPluginInstance* plugin, int builtInType, juce::AudioBuffer<float>& bus,
                           juce::SmoothedValue<float>& gainSmoother, float returnGain, bool muted,
                           juce::SmoothedValue<float>& panSmoother, float pan, juce::MidiBuffer& midi,
                           juce::AudioBuffer<float>& output) noexcept;
    void runMasterInserts (juce::AudioBuffer<float>& buffer) noexcept;
    void finishOutput (juce::AudioBuffer<float>& buffer) noexcept;

    JUCE_DECLARE_NON_COPYABLE (TavrelDelayAudioProcessor)

    struct RetiredSlot
    {
        std::shared_ptr<void> owner;
        juce::AudioPluginInstance* instance = nullptr;
    };

    std::vector<RetiredSlot> retiredSlots;
    juce::CriticalSection retiredSlotsLock;

public:
    /** Polled by a message-thread timer; declared late so that it stops before the members its
        handler uses go. */
    AudioThreadRequests audioThreadRequests{[this] (AudioThreadRequests::Kind kind, int count)
                                            { handleAudioThreadRequest (kind, count); }};

private:
    // Last, so that it is cleared first: background jobs hold weak references to the processor.
    JUCE_DECLARE_WEAK_REFERENCEABLE (TavrelDelayAudioProcessor)
};

/** A new insert slot with every field at its default. */
std::shared_ptr<TavrelDelayAudioProcessor::InsertPlugin> makeInsertPlugin();

/** A new instrument slot with every field at its default ("Default" preset, every MIDI
    channel, no engine). */
std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> makeInstrumentPlugin();
