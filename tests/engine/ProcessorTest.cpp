#include "effects/BuiltInEffects.h"
#include "effects/EqualizerEngine.h"
#include "effects/FetCompEngine.h"
#include "effects/MultiModulatorEngine.h"
#include "effects/OptoCompEngine.h"
#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/tape/TapeReelSize.h"
#include "instruments/BuiltInInstruments.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"
#include "platform/Platform.h"
#include "tests/support/AudioTestUtils.h"
#include "tests/support/TempDir.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace
{
/** A per-user folder of its own for each test, so that lock files and settings never leak
    from one test into another. */
class ProcessorTest : public ::testing::Test
{
protected:
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};

    juce::File userFile (const juce::String& name) const { return Platform::getUserDataFolder().getChildFile (name); }

    void writeGlobalSettings (const juce::String& text)
    {
        Platform::getUserDataFolder().createDirectory();
        userFile ("global_settings.xml").replaceWithText (text);
    }

    static float raw (TavrelDelayAudioProcessor& p, const juce::String& id)
    {
        return p.parameters.getRawParameterValue (id)->load();
    }

    static void setParameter (TavrelDelayAudioProcessor& p, const juce::String& id, float value)
    {
        auto* parameter = p.parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    static void runMessageLoop (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }
};
} // namespace

//==============================================================================
TEST_F (ProcessorTest, AFreshProcessorHasTheStartingState)
{
    TavrelDelayAudioProcessor p;

    EXPECT_EQ (p.getName(), "Velmora Dravin 8");
    EXPECT_EQ (p.getReelName(), "Untitled");
    EXPECT_EQ (p.numTracks, 8);
    EXPECT_EQ (p.tracks.size(), 8u);
    EXPECT_EQ (p.transportState, TavrelDelayAudioProcessor::transportStop);
    EXPECT_FALSE (p.recordReady);
    EXPECT_EQ (p.zeroOffset, 0.0);
    EXPECT_EQ (p.loopIn, 0.0);
    EXPECT_EQ (p.loopOut, 5.0);
    EXPECT_FALSE (p.loopEnabled);
    EXPECT_EQ (p.bpm, 120.0);
    EXPECT_EQ (p.timeSigNumerator, 4);
    EXPECT_EQ (p.timeSigDenominator, 4);
    EXPECT_EQ (p.aux1BuiltIn, 1);
    EXPECT_EQ (p.aux2BuiltIn, 2);
    EXPECT_EQ (p.keyboardOctave, 4);
    EXPECT_FLOAT_EQ (p.keyboardVelocity, 0.8f);
    EXPECT_EQ (p.keyboardTargetSlot, 0);
    EXPECT_TRUE (p.instruments.empty());
    EXPECT_GE (p.inputInserts.capacity(), 32u);
    EXPECT_GE (p.tracks.capacity(), 24u);
    EXPECT_EQ (p.automationData.getNumSamples(), TavrelDelayAudioProcessor::automationPoints);
    EXPECT_EQ (p.currentSlot, 0);
    EXPECT_FALSE (p.hasUnsavedChanges());
    EXPECT_NE (p.lightGuiValue, nullptr);
    EXPECT_EQ (p.trackVolumeValues[0], nullptr);

    for (auto source : p.trackInputSources)
        EXPECT_EQ (source, -1);

    for (int channel = 0; channel < TavrelDelayAudioProcessor::numChannels; ++channel)
    {
        EXPECT_EQ (p.pendingFaderValues[(size_t)channel], -1.0f);
        EXPECT_EQ (p.automationModes[(size_t)channel], 0);
        EXPECT_EQ (p.channelGroups[(size_t)channel], 0);
        EXPECT_FALSE (p.faderTouched[(size_t)channel]);
    }

    for (int group = 0; group <= 9; ++group)
        EXPECT_EQ (p.isGroupActive (group), group >= 1 && group <= 4) << group;

    EXPECT_EQ (p.groupNames[0], "None");
    EXPECT_EQ (p.getGroupName (3), "Group 3");

    // Buses: 24 discrete device inputs, a stereo output.
    EXPECT_EQ (p.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (p.getBus (true, 0)->getDefaultLayout(), juce::AudioChannelSet::discreteChannels (24));
    EXPECT_EQ (p.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (p.getBus (false, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());

    EXPECT_TRUE (p.acceptsMidi());
    EXPECT_FALSE (p.producesMidi());
    EXPECT_FALSE (p.isMidiEffect());
    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_EQ (p.getNumPrograms(), 1);
    EXPECT_EQ (p.getCurrentProgram(), 0);
    EXPECT_TRUE (p.getProgramName (0).isEmpty());
    EXPECT_EQ (p.pluginFormatManager.getNumFormats(), 1);
    EXPECT_GT (p.audioFormatManager.getNumKnownFormats(), 0);

    ASSERT_NE (p.autoSaveThread, nullptr);
    EXPECT_EQ (p.autoSaveThread->getThreadName(), "AutoSaver");
    EXPECT_TRUE (p.autoSaveThread->isThreadRunning());
    EXPECT_TRUE (p.liveBounceThread.isThreadRunning());
    EXPECT_EQ (p.liveBounceThread.getThreadName(), "Live Bounce Thread");
}

TEST_F (ProcessorTest, TheEditorIsTheDeckEditorOfThisProcessor)
{
    TavrelDelayAudioProcessor p;
    EXPECT_TRUE (p.hasEditor());
    std::unique_ptr<juce::AudioProcessorEditor> editor (p.createEditor());
    auto* deck = dynamic_cast<TavrelDelayAudioProcessorEditor*> (editor.get());
    ASSERT_NE (deck, nullptr);
    EXPECT_EQ (&deck->audioProcessor, &p);
    EXPECT_FALSE (deck->getBounds().isEmpty());
    editor.reset();
}

TEST_F (ProcessorTest, EveryStartInstallsWhatIsMissingOfTheFactoryPresets)
{
    TavrelDelayAudioProcessor p;
    ASSERT_NE (p.firstRunJob, nullptr);
    ASSERT_TRUE (p.firstRunJob->waitForThreadToExit (10000));

    const auto presets = Platform::getUserDataFolder().getChildFile ("Presets");
    EXPECT_TRUE (presets.getChildFile ("MonoBass").isDirectory());
    EXPECT_GT (presets.getChildFile ("PolySynth").getNumberOfChildFiles (juce::File::findFiles, "*.xml"), 0);
}

TEST_F (ProcessorTest, GroupNamesAndMetersAnswerOnlyForTheirRange)
{
    TavrelDelayAudioProcessor p;

    EXPECT_EQ (p.getGroupName (0), "Group 0");
    EXPECT_EQ (p.getGroupName (9), "Group 9");
    p.setGroupName (2, "Drums");
    p.setGroupName (0, "Nothing");
    p.setGroupName (9, "Nothing");
    EXPECT_EQ (p.getGroupName (2), "Drums");
    EXPECT_EQ (p.getGroupName (0), "Group 0");
    EXPECT_EQ (p.groupNames[0], "None");

    p.tracks[7].meterLevel = 0.5f;
    EXPECT_EQ (p.getTrackMeterLevel (7), 0.5f);
    EXPECT_EQ (p.getTrackMeterLevel (-1), 0.0f);
    EXPECT_EQ (p.getTrackMeterLevel (8), 0.0f);
    EXPECT_EQ (p.getTrackMeterLevel (23), 0.0f);
}

//==============================================================================
TEST_F (ProcessorTest, TheSessionLockExistsWhileTheProcessorLives)
{
    const auto lock = userFile ("session.lock");
    {
        TavrelDelayAudioProcessor p;
        EXPECT_TRUE (lock.existsAsFile());
        EXPECT_EQ (lock.getSize(), 0);
    }
    EXPECT_FALSE (lock.exists());

    // A lock left by a crashed run survives the next start and goes at its shutdown.
    Platform::getUserDataFolder().createDirectory();
    lock.replaceWithText ("left behind");
    {
        TavrelDelayAudioProcessor p;
        EXPECT_EQ (lock.loadFileAsString(), "left behind");
    }
    EXPECT_FALSE (lock.exists());
}

TEST_F (ProcessorTest, AMissingPerUserFolderIsCreatedForTheLock)
{
    const auto nested = temp.getFile().getChildFile ("deeper/still/Dravin 8");
    const Platform::ScopedFolderOverride deeper (nested, temp / "music");
    {
        TavrelDelayAudioProcessor p;
        EXPECT_TRUE (nested.getChildFile ("session.lock").existsAsFile());
    }
    EXPECT_FALSE (nested.getChildFile ("session.lock").exists());
}

TEST_F (ProcessorTest, GlobalSettingsSetTheAppWideSwitches)
{
    struct Case
    {
        const char* xml;
        bool thirdParty, momentary, noDisarm, snap;
    };

    const Case cases[] = {
        {R"(<SETTINGS momentaryTransport="1" disableAutoDisarm="1" enable3rdPartyPlugins="1" varispeedMusicalSnap="1"/>)",
         true, true, true, true},
        {R"(<OTHER momentaryTransport=" yes" disableAutoDisarm="True" enable3rdPartyPlugins="t" varispeedMusicalSnap="Y"/>)",
         true, true, true, true},
        {R"(<SETTINGS momentaryTransport="0" disableAutoDisarm="no" enable3rdPartyPlugins="false" varispeedMusicalSnap=""/>)",
         false, false, false, false},
        {R"(<SETTINGS disableAutoDisarm="1"/>)", false, false, true, false},
        {"this is not xml", false, false, false, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.xml);
        writeGlobalSettings (c.xml);
        TavrelDelayAudioProcessor p;
        EXPECT_EQ (p.enableThirdPartyPlugins.load(), c.thirdParty);
        EXPECT_EQ (raw (p, ParameterIds::MOMENTARY_TRANSPORT) > 0.5f, c.momentary);
        EXPECT_EQ (raw (p, ParameterIds::DISABLE_AUTO_DISARM) > 0.5f, c.noDisarm);
        EXPECT_EQ (p.varispeedMusicalSnap.load(), c.snap);
    }
}

TEST_F (ProcessorTest, AReadableSettingsFileSwitchesOffWhatItDoesNotName)
{
    writeGlobalSettings (R"(<SETTINGS momentaryTransport="1"/>)");
    TavrelDelayAudioProcessor p;
    setParameter (p, ParameterIds::DISABLE_AUTO_DISARM, 1.0f);
    ASSERT_GT (raw (p, ParameterIds::MOMENTARY_TRANSPORT), 0.5f);

    writeGlobalSettings (R"(<SETTINGS/>)");
    p.loadGlobalSettings();
    EXPECT_LT (raw (p, ParameterIds::MOMENTARY_TRANSPORT), 0.5f);
    EXPECT_LT (raw (p, ParameterIds::DISABLE_AUTO_DISARM), 0.5f);

    // A missing file changes nothing.
    setParameter (p, ParameterIds::DISABLE_AUTO_DISARM, 1.0f);
    userFile ("global_settings.xml").deleteFile();
    p.loadGlobalSettings();
    EXPECT_GT (raw (p, ParameterIds::DISABLE_AUTO_DISARM), 0.5f);
}

TEST_F (ProcessorTest, KnownPluginsAreReadAtStartUp)
{
    juce::KnownPluginList list;
    juce::PluginDescription description;
    description.name = "Test Delay";
    description.pluginFormatName = "VST3";
    description.fileOrIdentifier = "/plugins/TestDelay.vst3";
    description.uniqueId = 42;
    list.addType (description);
    Platform::getUserDataFolder().createDirectory();
    list.createXml()->writeTo (userFile ("known_plugins.xml"));

    TavrelDelayAudioProcessor p;
    ASSERT_EQ (p.knownPluginList.getNumTypes(), 1);
    EXPECT_EQ (p.knownPluginList.getTypes()[0].name, "Test Delay");

    userFile ("known_plugins.xml").replaceWithText ("<broken");
    TavrelDelayAudioProcessor fresh;
    EXPECT_EQ (fresh.knownPluginList.getNumTypes(), 0);
}

//==============================================================================
TEST_F (ProcessorTest, ChangesOfTheParameterTreeOrOfTheTapeAreUnsaved)
{
    // Start-up settings that change parameters do not count as a change of the reel.
    writeGlobalSettings (R"(<SETTINGS momentaryTransport="1" disableAutoDisarm="1"/>)");
    TavrelDelayAudioProcessor p;
    runMessageLoop (300);
    EXPECT_FALSE (p.hasUnsavedChanges());

    // A parameter counts at once, not only when the tree catches up.
    setParameter (p, ParameterIds::DRIVE, 4.0f);
    EXPECT_TRUE (p.hasUnsavedChanges());
    runMessageLoop (300);
    p.clearUnsavedChanges();
    EXPECT_FALSE (p.hasUnsavedChanges());

    p.parameters.state.setProperty ("TrackName_3", "Bass", nullptr);
    EXPECT_TRUE (p.hasUnsavedChanges());
    p.clearUnsavedChanges();

    p.parameters.state.setProperty (ParameterIds::PROJECT_BPM, 96.0, nullptr);
    EXPECT_TRUE (p.hasUnsavedChanges());
    p.clearUnsavedChanges();

    p.parameters.state.appendChild (juce::ValueTree ("EXTRA"), nullptr);
    EXPECT_TRUE (p.hasUnsavedChanges());
    p.clearUnsavedChanges();

    // Recorded audio, and clearing both kinds at once.
    p.tracks[5].dirty = true;
    p.unsavedChanges = true;
    EXPECT_TRUE (p.hasUnsavedChanges());
    p.clearUnsavedChanges();
    EXPECT_FALSE (p.hasUnsavedChanges());
    EXPECT_FALSE (p.tracks[5].dirty);
}

//==============================================================================
TEST_F (ProcessorTest, ThePlayHeadReportsTheTapeTheTempoAndTheTransport)
{
    TavrelDelayAudioProcessor p;
    p.setRateAndBufferSizeDetails (48000.0, 512);
    p.tracks[0].sampleRate = 44100.0;
    p.tracks[0].position = 44100.0 * 2.5;
    p.bpm = 90.0;
    p.timeSigNumerator = 6;
    p.timeSigDenominator = 8;

    struct Case
    {
        int state;
        bool playing, recording;
    };

    const Case cases[] = {{0, false, false}, {1, true, false},  {2, true, true},
                          {3, false, false}, {4, false, false}, {5, false, false}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.state);
        p.transportState = c.state;
        const auto position = p.getPosition();
        ASSERT_TRUE (position.hasValue());
        EXPECT_EQ (position->getIsPlaying(), c.playing);
        EXPECT_EQ (position->getIsRecording(), c.recording);
    }

    const auto position = p.getPosition();
    EXPECT_DOUBLE_EQ (*position->getTimeInSeconds(), 2.5);
    EXPECT_EQ (*position->getTimeInSamples(), 120000);
    EXPECT_DOUBLE_EQ (*position->getBpm(), 90.0);
    EXPECT_EQ (position->getTimeSignature()->numerator, 6);
    EXPECT_EQ (position->getTimeSignature()->denominator, 8);
    EXPECT_FALSE (position->getIsLooping());
    EXPECT_FALSE (position->getLoopPoints().hasValue());
    EXPECT_FALSE (position->getPpqPosition().hasValue());
    EXPECT_FALSE (position->getBarCount().hasValue());
    EXPECT_FALSE (position->getHostTimeNs().hasValue());

    // Loop points in quarter notes at the tempo: 2 s and 6 s at 90 BPM are 3 and 9 quarters.
    p.loopIn = 2.0;
    p.loopOut = 6.0;
    p.loopEnabled = true;
    const auto looping = p.getPosition();
    EXPECT_TRUE (looping->getIsLooping());
    ASSERT_TRUE (looping->getLoopPoints().hasValue());
    EXPECT_DOUBLE_EQ (looping->getLoopPoints()->ppqStart, 3.0);
    EXPECT_DOUBLE_EQ (looping->getLoopPoints()->ppqEnd, 9.0);
}

//==============================================================================
TEST_F (ProcessorTest, PreparingTheDeviceSizesAFreshReelFromTheDefaultLength)
{
    struct Case
    {
        int lengthChoice;
        double seconds;
    };

    const Case cases[] = {{1, 600.0}, {0, 300.0}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.lengthChoice);
        TavrelDelayAudioProcessor p;
        setParameter (p, ParameterIds::TAPE_LENGTH, (float)c.lengthChoice);
        p.tracks[2].setArmed (true);
        p.prepareToPlay (48000.0, 256);

        ASSERT_EQ (p.tracks.size(), 8u);

        for (const auto& track : p.tracks)
        {
            EXPECT_EQ (track.getAudio().getNumSamples(), (int)(48000.0 * c.seconds));
            EXPECT_EQ (track.sampleRate, 48000.0);
            EXPECT_FALSE (track.isArmed());
        }

        EXPECT_EQ (p.trackOutputBuffers.size(), 8u);
        EXPECT_EQ (p.trackInputBuffers.size(), 24u);
        EXPECT_EQ (p.trackInputBuffers[23].getNumSamples(), 256);
        EXPECT_EQ (p.instrumentOutputs.getNumChannels(), 16);
        EXPECT_EQ (p.masterInsertBuffer.getNumChannels(), 64);
        EXPECT_TRUE (p.reelError.isEmpty());

        // A restart keeps the open reel's length whatever the default length says.
        setParameter (p, ParameterIds::TAPE_LENGTH, 5.0f);
        p.tracks[0].getAudio().setSample (0, 1000, 0.25f);
        p.prepareToPlay (48000.0, 512);
        EXPECT_EQ (p.tracks[0].getAudio().getNumSamples(), (int)(48000.0 * c.seconds));
        EXPECT_EQ (p.tracks[0].getAudio().getSample (0, 1000), 0.25f);
    }
}

TEST_F (ProcessorTest, AReelOfAnotherSizeIsAllocatedOrRefusedBeforeAnythingChanges)
{
    TavrelDelayAudioProcessor p;
    ASSERT_TRUE (p.prepareReel (16, 2.0, 96000.0).wasOk());
    EXPECT_EQ (p.numTracks, 16);
    EXPECT_EQ (p.tracks.size(), 16u);
    EXPECT_EQ (p.trackOutputBuffers.size(), 16u);
    EXPECT_EQ (p.tracks[15].getAudio().getNumSamples(), 192000);

    struct Case
    {
        int tracks;
        double seconds, rate;
        const char* mentions;
    };

    const Case cases[] = {
        {12, 60.0, 48000.0, "tracks"}, {0, 60.0, 48000.0, "tracks"},
        {32, 60.0, 48000.0, "tracks"}, {8, 3601.0, 48000.0, "minutes"},
        {8, 60.0, 7999.0, "Hz"},       {8, 60.0, 192001.0, "Hz"},
        {8, 60.0, 0.0, "Hz"},          {24, 3600.0, 192000.0, "memory"}, // 66 GB
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.tracks) + " x " + juce::String (c.seconds) + " s at " + juce::String (c.rate));
        const auto result = p.prepareReel (c.tracks, c.seconds, c.rate);
        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().contains (c.mentions)) << result.getErrorMessage();
        EXPECT_EQ (p.reelError, result.getErrorMessage());
        EXPECT_EQ (p.numTracks, 16);
        EXPECT_EQ (p.tracks.size(), 16u);
        EXPECT_EQ (p.tracks[0].getAudio().getNumSamples(), 192000);
    }

    // Sizes are reckoned in 64 bits: a 24-track hour at 48 kHz is about 16.6 GB.
    EXPECT_EQ (TapeReelSize::getSampleBytes (24, 48000.0, 3600.0), (juce::int64)24 * 3600 * 48000 * 4);

    ASSERT_TRUE (p.prepareReel (24, 1.0, 44100.0).wasOk());
    EXPECT_EQ (p.tracks.size(), 24u);
    EXPECT_TRUE (p.reelError.isEmpty());
    ASSERT_TRUE (p.prepareReel (8, 1.0, 44100.0).wasOk());
    EXPECT_EQ (p.tracks.size(), 8u);
}

TEST_F (ProcessorTest, AReelThatDoesNotFitInMemoryLeavesAWorkingProcessor)
{
    GTEST_FLAG_SET (death_test_style, "threadsafe");

    EXPECT_EXIT (
        {
            TavrelDelayAudioProcessor p;

            rlimit limit{};
            getrlimit (RLIMIT_AS, &limit);
            const auto used = juce::File ("/proc/self/statm").loadFileAsString().getLargeIntValue() * 4096;
            limit.rlim_cur = (rlim_t)(used + 512 * 1024 * 1024);
            setrlimit (RLIMIT_AS, &limit);

            const auto result = p.prepareReel (8, 600.0, 48000.0); // 921.6 MB
            bool fine = result.failed() && result.getErrorMessage().contains ("memory") && p.reelError.isNotEmpty();
            fine = fine && p.numTracks == 8 && p.tracks.size() == 8;

            for (const auto& track : p.tracks)
                fine = fine && track.getAudio().getNumSamples() == TapeTrack::minimumLength;

            juce::AudioBuffer<float> block (24, 512);
            juce::MidiBuffer midi;
            p.processBlock (block, midi);
            fine = fine && p.prepareReel (8, 1.0, 48000.0).wasOk();
            std::_Exit (fine ? 0 : 1); // at once: the processor's threads are still running
        },
        ::testing::ExitedWithCode (0), "");
}

//==============================================================================
TEST_F (ProcessorTest, TheBlockCallbackIsSilentWhileLockedOutOrSuspended)
{
    TavrelDelayAudioProcessor p;
    p.prepareToPlay (48000.0, 512);
    juce::MidiBuffer midi;

    auto block = AudioTestUtils::makeNoise (24, 512);
    p.processBlock (block, midi);
    EXPECT_EQ (block.getMagnitude (0, 512), 0.0f);

    p.suspendProcessing (true);
    block = AudioTestUtils::makeNoise (24, 512);
    p.processBlock (block, midi);
    EXPECT_EQ (block.getMagnitude (0, 512), 0.0f);
    p.suspendProcessing (false);

    juce::WaitableEvent locked, release;
    std::thread holder (
        [&]
        {
            const juce::ScopedLock lock (p.audioLock);
            locked.signal();
            release.wait();
        });
    locked.wait();
    block = AudioTestUtils::makeNoise (24, 512);
    p.processBlock (block, midi); // must not wait for the lock
    EXPECT_EQ (block.getMagnitude (0, 512), 0.0f);
    release.signal();
    holder.join();
}

TEST_F (ProcessorTest, BusLayoutsNeedOnlyAnOutput)
{
    TavrelDelayAudioProcessor p;
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::disabled());

    for (const auto& output :
         {juce::AudioChannelSet::mono(), juce::AudioChannelSet::stereo(), juce::AudioChannelSet::discreteChannels (6)})
    {
        layout.outputBuses = {output};
        EXPECT_TRUE (p.isBusesLayoutSupported (layout)) << output.getDescription();
    }

    layout.outputBuses = {juce::AudioChannelSet::disabled()};
    layout.inputBuses = {juce::AudioChannelSet::discreteChannels (24)};
    EXPECT_FALSE (p.isBusesLayoutSupported (layout));
}

//==============================================================================
TEST_F (ProcessorTest, TheMeasuredLatencyIsAppliedOnTheMessageThread)
{
    TavrelDelayAudioProcessor p;

    struct Case
    {
        int measured;
        float expected;
    };

    for (const auto& c : {Case{1234, 1234.0f}, Case{9000, 5000.0f}, Case{-3000, -2000.0f}})
    {
        SCOPED_TRACE (c.measured);
        p.latencyMeasureActive = true;
        p.postMeasuredLatency (c.measured);
        EXPECT_TRUE (p.latencyMeasureActive); // set until the result has been applied

        for (int i = 0; i < 200 && p.latencyMeasureActive; ++i)
            runMessageLoop (10);

        EXPECT_FLOAT_EQ (raw (p, ParameterIds::REC_OFFSET), c.expected);
        EXPECT_FALSE (p.latencyMeasureActive);
    }
}

TEST_F (ProcessorTest, CallsPostedBeforeShutdownArriveAsNothing)
{
    for (int i = 0; i < 20; ++i)
    {
        auto p = std::make_unique<TavrelDelayAudioProcessor>();
        p->postMeasuredLatency (77);
        p->postLoopCut();
        juce::WeakReference<TavrelDelayAudioProcessor> weak (p.get());
        p.reset();
        EXPECT_EQ (weak.get(), nullptr);
        runMessageLoop (5); // the calls run now and must not touch the freed processor
    }
}

TEST_F (ProcessorTest, ShutdownStopsTheThreadsPromptly)
{
    const auto start = juce::Time::getMillisecondCounterHiRes();
    {
        TavrelDelayAudioProcessor p;
        p.prepareToPlay (44100.0, 512);
    }
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 3000.0);
}

//==============================================================================
TEST (ProcessorSlots, ANewInsertSlotHasEveryDefaultWhateverItsType)
{
    const auto slot = makeInsertPlugin();
    ASSERT_NE (slot, nullptr);
    EXPECT_EQ (slot->instance, nullptr);
    EXPECT_EQ (slot->targetTrack, -1);
    EXPECT_TRUE (slot->name.isEmpty());
    EXPECT_FALSE (slot->bypass);
    EXPECT_TRUE (slot->customPath.isEmpty());
    EXPECT_EQ (slot->builtInType, 0);
    EXPECT_EQ (slot->revType, 1);
    EXPECT_EQ (slot->revDecay, 0.5f);
    EXPECT_EQ (slot->revDamp, 0.5f);
    EXPECT_EQ (slot->revMix, 0.5f);
    EXPECT_EQ (slot->revPan, 0.0f);
    EXPECT_EQ (slot->echoTime, 300.0f);
    EXPECT_EQ (slot->echoFb, 0.4f);
    EXPECT_EQ (slot->echoAge, 1);
    EXPECT_EQ (slot->echoMix, 0.5f);
    EXPECT_EQ (slot->echoPan, 0.0f);
    EXPECT_FALSE (slot->echoSync);
    EXPECT_EQ (slot->echoDrive, -6.0f);
    EXPECT_EQ (slot->laGain, 50.0f);
    EXPECT_EQ (slot->laReduction, 0.0f);
    EXPECT_EQ (slot->laMode, 0);
    EXPECT_EQ (slot->fetInput, 0.0f);
    EXPECT_EQ (slot->fetOutput, 0.0f);
    EXPECT_EQ (slot->fetAttack, 0.8f);
    EXPECT_EQ (slot->fetRelease, 500.0f);
    EXPECT_EQ (slot->fetRatio, 0);
    EXPECT_EQ (slot->gainLevel, 0.0f);
    EXPECT_EQ (slot->mfxType, 0);
    EXPECT_EQ (slot->mfxP1, 0.5f);
    EXPECT_EQ (slot->mfxP2, 0.5f);
    EXPECT_FALSE (slot->mfxSync);

    const float freqs[] = {60, 250, 1000, 4000, 12000}, qs[] = {0.7f, 1, 1, 1, 0.7f};

    for (int band = 0; band < 5; ++band)
    {
        EXPECT_EQ (slot->eqFreq[band], freqs[band]);
        EXPECT_EQ (slot->eqGain[band], 0.0f);
        EXPECT_EQ (slot->eqQ[band], qs[band]);
    }

    EXPECT_EQ (slot->reverbEngine, nullptr);
    EXPECT_EQ (slot->echoEngine, nullptr);
    EXPECT_EQ (slot->optoEngine, nullptr);
    EXPECT_EQ (slot->fetEngine, nullptr);
    EXPECT_EQ (slot->lineAmpGain, nullptr);
    EXPECT_EQ (slot->eqEngine, nullptr);
    EXPECT_EQ (slot->multiEngine, nullptr);
    EXPECT_NE (makeInsertPlugin(), slot);
}

TEST (ProcessorSlots, EachEffectTypeMakesOnlyItsOwnEnginePreparedAtTheRate)
{
    using Slot = TavrelDelayAudioProcessor::InsertPlugin;
    const auto engines = [] (const Slot& s)
    {
        return (s.reverbEngine != nullptr) + (s.echoEngine != nullptr) + (s.optoEngine != nullptr) +
               (s.fetEngine != nullptr) + (s.lineAmpGain != nullptr) + (s.eqEngine != nullptr) +
               (s.multiEngine != nullptr);
    };

    struct Case
    {
        double requested, expected;
    };

    for (const auto& rates : {Case{0.0, 44100.0}, Case{96000.0, 96000.0}})
    {
        for (int type = 0; type <= 8; ++type)
        {
            SCOPED_TRACE (juce::String (type) + " at " + juce::String (rates.requested));
            const auto slot = makeInsertPlugin();
            slot->builtInType = type;
            slot->createEngine (rates.requested);
            EXPECT_EQ (engines (*slot), BuiltInEffects::isBuiltInEffectType (type) ? 1 : 0);

            switch (type)
            {
                case AnalogReverb:
                    EXPECT_EQ (slot->reverbEngine->getSampleRate(), rates.expected);
                    break;
                case TapeEcho:
                    EXPECT_EQ (slot->echoEngine->getSampleRate(), rates.expected);
                    break;
                case OptoComp:
                    EXPECT_EQ (slot->optoEngine->sampleRate, rates.expected);
                    break;
                case LineAmp:
                    EXPECT_EQ (*slot->lineAmpGain, 1.0f);
                    break;
                case Equalizer:
                    EXPECT_EQ (slot->eqEngine->sampleRate, rates.expected);
                    break;
                case MultiModulator:
                    EXPECT_EQ (slot->multiEngine->getSampleRate(), rates.expected);
                    break;
                case FetComp:
                    EXPECT_EQ (slot->fetEngine->sampleRate, rates.expected);
                    break;
                default:
                    break;
            }
        }
    }
}

TEST (ProcessorSlots, ANewInstrumentSlotAndItsEngines)
{
    const auto slot = makeInstrumentPlugin();
    ASSERT_NE (slot, nullptr);
    EXPECT_EQ (slot->instance, nullptr);
    EXPECT_TRUE (slot->customPath.isEmpty());
    EXPECT_EQ (slot->builtInType, 0);
    EXPECT_TRUE (slot->name.isEmpty());
    EXPECT_EQ (slot->midiChannel, 0);
    EXPECT_EQ (slot->presetName, "Default");

    using Slot = TavrelDelayAudioProcessor::InstrumentPlugin;
    const auto engines = [] (const Slot& s)
    {
        return (s.monoEngine != nullptr) + (s.rhythmEngine != nullptr) + (s.polyEngine != nullptr) +
               (s.tannerinEngine != nullptr) + (s.keyboardEngine != nullptr);
    };

    EXPECT_EQ (engines (*slot), 0);

    for (int type = 0; type <= 6; ++type)
    {
        SCOPED_TRACE (type);
        slot->builtInType = type;
        slot->createEngine (0.0);
        EXPECT_EQ (engines (*slot), BuiltInInstruments::isBuiltInType (type) ? 1 : 0);

        switch (type)
        {
            case BuiltInInstruments::MonoSynth:
                EXPECT_EQ (slot->monoEngine->sampleRate, 44100.0);
                break;
            case BuiltInInstruments::RhythmMachine:
                EXPECT_EQ (slot->rhythmEngine->sampleRate, 44100.0);
                break;
            case BuiltInInstruments::PolySynth:
                EXPECT_EQ (slot->polyEngine->sampleRate, 44100.0);
                break;
            case BuiltInInstruments::Tannerin:
                EXPECT_EQ (slot->tannerinEngine->sampleRate, 44100.0);
                break;
            case BuiltInInstruments::StageKeyboard:
                EXPECT_EQ (slot->keyboardEngine->sampleRate, 44100.0);
                break;
            default:
                break;
        }
    }

    // An engine renders into the slot's stereo buffer once made.
    slot->builtInType = BuiltInInstruments::PolySynth;
    slot->createEngine (48000.0);
    juce::AudioBuffer<float> buffer (2, 4800);
    buffer.clear();
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.9f), 0);
    slot->polyEngine->renderNextBlock (buffer, midi);
    EXPECT_GT (buffer.getMagnitude (0, 0, 4800), 0.001f);
}
