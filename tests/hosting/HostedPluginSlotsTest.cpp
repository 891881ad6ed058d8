#include "instruments/BuiltInInstruments.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"
#include "rack/EditorConsoleRefresh.h"
#include "tests/hosting/HostingTestSupport.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

// The processor's hosted slots with our own VST3 plug-ins, loaded for real through JUCE's VST3
// format: asynchronous creation into every kind of slot with its channel layout, removal with
// the slot destroyed later on the message thread, the slots' settings, and the rule of which
// plug-in files may be loaded at all.

namespace
{
using Processor = TavrelDelayAudioProcessor;

struct SlotTarget
{
    const char* what;
    TavrelDelayAudioProcessor::HostedSlotKind kind;
    int index; // track for the track chain, aux 0 or 1
};

const SlotTarget everySlot[] = {
    {"record path", Processor::HostedSlotKind::inputInsert, -1},
    {"track 4 chain", Processor::HostedSlotKind::trackInsert, 3},
    {"master chain", Processor::HostedSlotKind::masterInsert, -1},
    {"aux 1", Processor::HostedSlotKind::auxReturn, 0},
    {"aux 2", Processor::HostedSlotKind::auxReturn, 1},
    {"instrument slot", Processor::HostedSlotKind::instrument, -1},
};

class HostedPluginSlots : public HostingTest
{
protected:
    void add (const SlotTarget& target, const juce::PluginDescription& description)
    {
        switch (target.kind)
        {
            case SlotKind::inputInsert:
                processor->addInputInsertPlugin (description);
                break;
            case SlotKind::trackInsert:
                processor->addTrackInsertPlugin (description, target.index);
                break;
            case SlotKind::masterInsert:
                processor->addMasterInsertPlugin (description);
                break;
            case SlotKind::auxReturn:
                processor->loadAuxPlugin (target.index, description);
                break;
            case SlotKind::instrument:
                processor->addInstrumentPlugin (description);
                break;
        }
    }

    /** Slots of every kind, aux returns holding a plug-in counted as one each. */
    int countSlots() const
    {
        return (int)(processor->inputInserts.size() + processor->trackInserts.size() + processor->masterInserts.size() +
                     processor->instruments.size()) +
               (processor->aux1Plugin != nullptr ? 1 : 0) + (processor->aux2Plugin != nullptr ? 1 : 0);
    }

    /** The plug-in the target's slot holds (the last slot of a chain), with the name and path
        the slot shows. */
    struct Found
    {
        juce::AudioPluginInstance* instance = nullptr;
        juce::String name, path;
        int targetTrack = -2;
    };

    Found find (const SlotTarget& target) const
    {
        const auto lastOf = [] (const std::vector<std::shared_ptr<Processor::InsertPlugin>>& chain)
        {
            if (chain.empty())
                return Found{};
            const auto& slot = *chain.back();
            return Found{slot.instance.get(), slot.name, slot.customPath, slot.targetTrack};
        };

        switch (target.kind)
        {
            case SlotKind::inputInsert:
                return lastOf (processor->inputInserts);
            case SlotKind::trackInsert:
                return lastOf (processor->trackInserts);
            case SlotKind::masterInsert:
                return lastOf (processor->masterInserts);
            case SlotKind::auxReturn:
            {
                auto& plugin = target.index == 0 ? processor->aux1Plugin : processor->aux2Plugin;
                auto& path = target.index == 0 ? processor->aux1CustomPath : processor->aux2CustomPath;
                return Found{plugin.get(), plugin != nullptr ? plugin->getName() : juce::String(), path, -1};
            }
            case SlotKind::instrument:
            {
                if (processor->instruments.empty())
                    return Found{};
                const auto& slot = *processor->instruments.back();
                return Found{slot.instance.get(), slot.name, slot.customPath, -1};
            }
        }

        return Found{};
    }
};
} // namespace

//==============================================================================
TEST_F (HostedPluginSlots, EachPluginIsCreatedIntoEveryKindOfSlotWithItsLayout)
{
    // Not running yet: the plug-ins are prepared at the settings the processor has been given.
    processor->setRateAndBufferSizeDetails (48000.0, 256);

    // Channels (in, out) each test plug-in ends up with in each kind of slot (in the order of
    // everySlot). The gain and state plug-ins take stereo wherever it is asked for; the mono-to-
    // stereo one is asked for its layout only by the record path and keeps it elsewhere; the
    // quad synth has no input bus and keeps its own layout everywhere.
    struct Expected
    {
        Kind plugin;
        int in, out;
    };

    for (const auto& expected : {Expected{Kind::gain, 2, 2}, Expected{Kind::monoToStereo, 1, 2},
                                 Expected{Kind::quadSynth, 0, 4}, Expected{Kind::state, 2, 2}})
    {
        const auto description = describe (expected.plugin);
        ASSERT_TRUE (description.name.isNotEmpty());

        for (const auto& target : everySlot)
        {
            SCOPED_TRACE (TestPlugins::displayName (expected.plugin) + " into the " + target.what);
            processor->unsavedChanges = false;
            const int before = countSlots();

            add (target, description);

            // Nothing is there before the creation has completed on the message thread.
            EXPECT_EQ (processor->pendingPluginCreations, 1);
            EXPECT_EQ (countSlots(), before);

            ASSERT_TRUE (waitForCreations());
            const auto found = find (target);
            ASSERT_NE (found.instance, nullptr);

            if (target.kind != SlotKind::auxReturn)
            {
                EXPECT_EQ (countSlots(), before + 1);
            }

            EXPECT_EQ (found.name, TestPlugins::displayName (expected.plugin));
            EXPECT_EQ (found.path, TestPlugins::bundle (expected.plugin).getFullPathName());
            EXPECT_EQ (found.targetTrack, target.kind == SlotKind::trackInsert ? target.index : -1);
            EXPECT_EQ (found.instance->getPlayHead(), processor.get());
            EXPECT_EQ (found.instance->getSampleRate(), 48000.0);
            EXPECT_EQ (found.instance->getBlockSize(), 256);
            EXPECT_EQ (found.instance->getTotalNumInputChannels(), expected.in);
            EXPECT_EQ (found.instance->getTotalNumOutputChannels(), expected.out);
            EXPECT_TRUE (processor->unsavedChanges);
            EXPECT_FALSE (processor->isSuspended());

            // Prepared and working: what the block stage will run.
            const auto output = processOnes (*found.instance);
            const auto last = output.getNumSamples() - 1;

            switch (expected.plugin)
            {
                case Kind::gain:
                    EXPECT_FLOAT_EQ (output.getSample (0, last), TestPluginNames::gainFactor);
                    EXPECT_FLOAT_EQ (output.getSample (1, last), TestPluginNames::gainFactor);
                    break;
                case Kind::monoToStereo:
                    EXPECT_FLOAT_EQ (output.getSample (0, last), 1.0f);
                    EXPECT_FLOAT_EQ (output.getSample (1, last), TestPluginNames::monoRightFactor);
                    break;
                case Kind::quadSynth:
                    for (int ch = 0; ch < 4; ++ch)
                        EXPECT_GT (output.getMagnitude (ch, 0, output.getNumSamples()), 0.01f);
                    break;
                default:
                    EXPECT_FLOAT_EQ (output.getSample (1, last), 1.0f);
                    break;
            }
        }
    }

    // Every chain and slot now holds one of each plug-in.
    EXPECT_EQ (processor->inputInserts.size(), 4u);
    EXPECT_EQ (processor->trackInserts.size(), 4u);
    EXPECT_EQ (processor->masterInserts.size(), 4u);
    EXPECT_EQ (processor->instruments.size(), 4u);
}

TEST_F (HostedPluginSlots, TwoRequestsInARowBothArrive)
{
    processor->addMasterInsertPlugin (describe (Kind::gain));
    processor->addMasterInsertPlugin (describe (Kind::state));
    processor->addInstrumentPlugin (describe (Kind::quadSynth));
    EXPECT_EQ (processor->pendingPluginCreations, 3);

    ASSERT_TRUE (waitForCreations());
    ASSERT_EQ (processor->masterInserts.size(), 2u);

    // In the order the creations complete, which here is the order asked.
    EXPECT_EQ (processor->masterInserts[0]->name, TestPlugins::displayName (Kind::gain));
    EXPECT_EQ (processor->masterInserts[1]->name, TestPlugins::displayName (Kind::state));
    EXPECT_EQ (processor->instruments.size(), 1u);
}

TEST_F (HostedPluginSlots, APluginThatCannotBeCreatedChangesNothing)
{
    auto gone = describe (Kind::gain);
    gone.fileOrIdentifier = TestPlugins::folder().getChildFile ("Missing.vst3").getFullPathName();

    auto wrongFormat = describe (Kind::gain);
    wrongFormat.pluginFormatName = "AudioUnit";

    for (const auto& description : {gone, wrongFormat})
    {
        for (const auto& target : everySlot)
        {
            SCOPED_TRACE (description.fileOrIdentifier + " " + description.pluginFormatName + " into the " +
                          target.what);
            processor->aux1CustomPath = "kept";
            processor->unsavedChanges = false;

            add (target, description);
            ASSERT_TRUE (waitForCreations());

            EXPECT_EQ (countSlots(), 0);
            EXPECT_EQ (processor->aux1CustomPath, "kept");
            EXPECT_FALSE (processor->unsavedChanges);
            EXPECT_FALSE (processor->isSuspended());
        }
    }
}

//==============================================================================
TEST_F (HostedPluginSlots, OnlyFilesInAStandardFolderOrTheKnownListAreLoaded)
{
    const auto description = describe (Kind::gain);
    processor->pluginLoadPolicy.standardFolders.clear();

    EXPECT_FALSE (processor->isPluginPathAllowed (description.fileOrIdentifier));
    processor->addMasterInsertPlugin (description);
    ASSERT_TRUE (waitForCreations());
    EXPECT_TRUE (processor->masterInserts.empty());

    // Scanned by the user: known, so loaded from anywhere.
    processor->knownPluginList.addType (description);
    EXPECT_TRUE (processor->isPluginPathAllowed (description.fileOrIdentifier));
    processor->addMasterInsertPlugin (description);
    ASSERT_TRUE (waitForCreations());
    EXPECT_EQ (processor->masterInserts.size(), 1u);

    // Crashed a scan since: never again, known or not.
    writeBlockedPlugins ({TestPlugins::bundleName (Kind::gain)});
    EXPECT_FALSE (processor->isPluginPathAllowed (description.fileOrIdentifier));
    processor->addMasterInsertPlugin (description);
    ASSERT_TRUE (waitForCreations());
    EXPECT_EQ (processor->masterInserts.size(), 1u);
}

TEST_F (HostedPluginSlots, ABlockedPluginIsNeverOpened)
{
    // The crashing plug-in lies in a standard folder; opening it would abort this test program.
    writeBlockedPlugins ({"Something Else.vst3", TestPlugins::bundleName (Kind::crash)});
    const auto crash = describeCrashWithoutLoading();
    processor->knownPluginList.addType (crash);

    for (const auto& target : everySlot)
    {
        SCOPED_TRACE (target.what);
        add (target, crash);
    }

    ASSERT_TRUE (waitForCreations());
    EXPECT_EQ (countSlots(), 0);
}

//==============================================================================
TEST_F (HostedPluginSlots, ARemovedSlotIsDestroyedLaterOnTheMessageThread)
{
    processor->addInputInsertPlugin (describe (Kind::gain));
    processor->addInputInsertPlugin (describe (Kind::state));
    processor->addTrackInsertPlugin (describe (Kind::gain), 0);
    processor->addTrackInsertPlugin (describe (Kind::state), 1);
    processor->addMasterInsertPlugin (describe (Kind::gain));
    processor->addMasterInsertPlugin (describe (Kind::state));
    processor->addInstrumentPlugin (describe (Kind::quadSynth));
    processor->addBuiltInInstrument (BuiltInInstruments::PolySynth);
    ASSERT_TRUE (waitForCreations());

    struct Chain
    {
        const char* what;
        std::function<std::vector<std::weak_ptr<void>>()> slots;
        std::function<void (int)> remove;
    };

    const auto weakSlots = [] (const auto& list)
    {
        std::vector<std::weak_ptr<void>> result;
        for (const auto& slot : list)
            result.push_back (slot);
        return result;
    };

    Processor& p = *processor;
    const Chain chains[] = {
        {"record path", [&] { return weakSlots (p.inputInserts); }, [&] (int i) { p.removeInputInsert (i); }},
        {"track chains", [&] { return weakSlots (p.trackInserts); }, [&] (int i) { p.removeTrackInsert (i); }},
        {"master chain", [&] { return weakSlots (p.masterInserts); }, [&] (int i) { p.removeMasterInsert (i); }},
        {"instruments", [&] { return weakSlots (p.instruments); }, [&] (int i) { p.removeInstrument (i); }},
    };

    for (const auto& chain : chains)
    {
        SCOPED_TRACE (chain.what);
        const auto before = chain.slots();
        ASSERT_EQ (before.size(), 2u);

        // Outside the list: nothing happens.
        p.unsavedChanges = false;
        chain.remove (-1);
        chain.remove (2);
        EXPECT_EQ (chain.slots().size(), 2u);
        EXPECT_FALSE (p.unsavedChanges);

        chain.remove (0);

        // Out of the list at once, the next slot moved up; the slot itself (and its plug-in)
        // still lives until the posted message has been delivered.
        const auto after = chain.slots();
        ASSERT_EQ (after.size(), 1u);
        EXPECT_EQ (after[0].lock(), before[1].lock());
        EXPECT_FALSE (before[0].expired());
        EXPECT_TRUE (p.unsavedChanges);
        EXPECT_FALSE (p.isSuspended());

        runMessages (20);
        EXPECT_TRUE (before[0].expired());
    }
}

TEST_F (HostedPluginSlots, ASecondPluginInAnAuxReturnReplacesTheFirst)
{
    processor->loadAuxPlugin (0, describe (Kind::gain));
    ASSERT_TRUE (waitForCreations());
    ASSERT_NE (processor->aux1Plugin, nullptr);
    EXPECT_EQ (processor->aux1Plugin->getName(), TestPlugins::displayName (Kind::gain));

    // The element a restored return was read from is obsolete once it holds a plug-in again.
    processor->aux1StoredPluginXml = std::make_shared<juce::XmlElement> ("AUX1");

    processor->loadAuxPlugin (0, describe (Kind::state));
    ASSERT_TRUE (waitForCreations());
    ASSERT_NE (processor->aux1Plugin, nullptr);
    EXPECT_EQ (processor->aux1Plugin->getName(), TestPlugins::displayName (Kind::state));
    EXPECT_EQ (processor->aux1CustomPath, TestPlugins::bundle (Kind::state).getFullPathName());
    EXPECT_EQ (processor->aux1StoredPluginXml, nullptr);
    EXPECT_EQ (processor->aux2Plugin, nullptr);
    EXPECT_TRUE (processor->aux2CustomPath.isEmpty());

    // Any index other than 0 is the second return.
    processor->loadAuxPlugin (7, describe (Kind::gain));
    ASSERT_TRUE (waitForCreations());
    ASSERT_NE (processor->aux2Plugin, nullptr);
    EXPECT_EQ (processor->aux2Plugin->getName(), TestPlugins::displayName (Kind::gain));
    EXPECT_EQ (processor->aux1Plugin->getName(), TestPlugins::displayName (Kind::state));
}

TEST_F (HostedPluginSlots, AProcessorDeletedWhileAPluginIsCreatedTakesItWithIt)
{
    processor->addMasterInsertPlugin (describe (Kind::gain));
    processor->loadAuxPlugin (0, describe (Kind::state));
    processor->addTrackInsertPlugin (describe (Kind::gain), 30); // no such track: nothing asked
    EXPECT_EQ (processor->pendingPluginCreations, 2);

    processor.reset();
    runMessages (200); // the creations' messages go with the processor's plug-in formats
}

//==============================================================================
TEST_F (HostedPluginSlots, SlotSettingsChangeOnlySlotsThatExist)
{
    processor->addInputInsertPlugin (describe (Kind::gain));
    processor->addTrackInsertPlugin (describe (Kind::gain), 2);
    processor->addMasterInsertPlugin (describe (Kind::gain));
    processor->addBuiltInInstrument (BuiltInInstruments::MonoSynth);
    ASSERT_TRUE (waitForCreations());

    auto& input = *processor->inputInserts[0];
    auto& track = *processor->trackInserts[0];
    auto& master = *processor->masterInserts[0];
    auto& instrument = *processor->instruments[0];

    struct Case
    {
        const char* what;
        std::function<void (int index)> set;
        std::function<bool()> changed;
    };

    const Case cases[] = {
        {"record path target", [&] (int i) { processor->setInputInsertTarget (i, 5); },
         [&] { return input.targetTrack == 5; }},
        {"track chain bypass", [&] (int i) { processor->setTrackInsertBypass (i, true); },
         [&] { return track.bypass; }},
        {"master chain bypass", [&] (int i) { processor->setMasterInsertBypass (i, true); },
         [&] { return master.bypass; }},
        {"instrument MIDI channel", [&] (int i) { processor->setInstrumentMidiChannel (i, 3); },
         [&] { return instrument.midiChannel == 3; }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        processor->unsavedChanges = false;

        c.set (-1);
        c.set (1);
        EXPECT_FALSE (c.changed());
        EXPECT_FALSE (processor->unsavedChanges);

        // The setting is stored in the reel: changing it is a change of the reel.
        c.set (0);
        EXPECT_TRUE (c.changed());
        EXPECT_TRUE (processor->unsavedChanges);
    }

    processor->setTrackInsertBypass (0, false);
    EXPECT_FALSE (track.bypass);

    for (const auto& [channel, stored] : {std::pair{0, 0}, {16, 16}, {17, 16}, {-3, 0}})
    {
        processor->setInstrumentMidiChannel (0, channel);
        EXPECT_EQ (instrument.midiChannel, stored) << channel;
    }
}

TEST_F (HostedPluginSlots, BuiltInInstrumentsAreMadePreparedAndAppendedAtOnce)
{
    using namespace BuiltInInstruments;
    processor->setRateAndBufferSizeDetails (96000.0, 128);

    struct Case
    {
        int type;
        const char* name;
    };

    const Case cases[] = {{MonoSynth, monoSynthName}, {RhythmMachine, rhythmMachineName}, {PolySynth, polySynthName},
                          {Tannerin, tannerinName},   {StageKeyboard, stageKeyboardName}, {0, polySynthName},
                          {9, polySynthName}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.type);
        processor->unsavedChanges = false;
        processor->addBuiltInInstrument (c.type);

        ASSERT_FALSE (processor->instruments.empty());
        const auto& slot = *processor->instruments.back();
        EXPECT_EQ (slot.builtInType, c.type);
        EXPECT_EQ (slot.name, c.name);
        EXPECT_EQ (slot.instance, nullptr);
        EXPECT_TRUE (processor->unsavedChanges);
        EXPECT_FALSE (processor->isSuspended());

        // Exactly the engine of the type, prepared at the processor's rate (by type, 1 to 5).
        const double rates[] = {slot.monoEngine != nullptr ? slot.monoEngine->sampleRate : 0.0,
                                slot.rhythmEngine != nullptr ? slot.rhythmEngine->sampleRate : 0.0,
                                slot.polyEngine != nullptr ? slot.polyEngine->sampleRate : 0.0,
                                slot.tannerinEngine != nullptr ? slot.tannerinEngine->sampleRate : 0.0,
                                slot.keyboardEngine != nullptr ? slot.keyboardEngine->sampleRate : 0.0};

        for (int type = MonoSynth; type <= StageKeyboard; ++type)
            EXPECT_EQ (rates[type - 1], type == c.type ? 96000.0 : 0.0) << "engine of type " << type;
    }

    EXPECT_EQ (processor->instruments.size(), 7u);
}

TEST_F (HostedPluginSlots, ChangesMadeWhileProcessingIsHeldLeaveItHeld)
{
    processor->addMasterInsertPlugin (describe (Kind::gain));
    processor->addMasterInsertPlugin (describe (Kind::gain));
    ASSERT_TRUE (waitForCreations());

    // As while a reel's rack is being restored.
    processor->suspendProcessing (true);

    processor->addBuiltInInstrument (BuiltInInstruments::MonoSynth);
    EXPECT_TRUE (processor->isSuspended());
    processor->removeMasterInsert (0);
    EXPECT_TRUE (processor->isSuspended());
    processor->addInputInsertPlugin (describe (Kind::gain));
    ASSERT_TRUE (waitForCreations());
    EXPECT_EQ (processor->inputInserts.size(), 1u);
    EXPECT_TRUE (processor->isSuspended());

    processor->suspendProcessing (false);
}

TEST_F (HostedPluginSlots, SlotChangesWaitForABlockInProgress)
{
    processor->addBuiltInInstrument (BuiltInInstruments::MonoSynth);

    // A block callback holds the audio lock: a slot change waits for it, and nothing changes
    // while it holds it.
    std::atomic<bool> holding{false}, release{false};
    std::thread audio (
        [&]
        {
            const juce::ScopedLock lock (processor->audioLock);
            holding = true;
            while (! release)
                std::this_thread::sleep_for (std::chrono::milliseconds (1));
        });

    while (! holding)
        std::this_thread::yield();

    const auto start = juce::Time::getMillisecondCounterHiRes();
    std::thread releaser (
        [&]
        {
            std::this_thread::sleep_for (std::chrono::milliseconds (100));
            EXPECT_EQ (processor->instruments.size(), 1u); // still unchanged while the lock is held
            release = true;
        });

    processor->removeInstrument (0);
    EXPECT_GE (juce::Time::getMillisecondCounterHiRes() - start, 99.0);
    EXPECT_TRUE (processor->instruments.empty());

    audio.join();
    releaser.join();
}

//==============================================================================
TEST_F (HostedPluginSlots, TheEditorIsFoundInTheTopLevelWindows)
{
    TavrelDelayAudioProcessorEditor editor (*processor);
    juce::Component outer, middle, unrelated;
    outer.addChildComponent (unrelated);
    outer.addChildComponent (middle);
    middle.addChildComponent (editor);

    EXPECT_EQ (findProcessorEditor (&outer), &editor);
    EXPECT_EQ (findProcessorEditor (&editor), &editor);
    EXPECT_EQ (findProcessorEditor (&unrelated), nullptr);
    EXPECT_EQ (findProcessorEditor (nullptr), nullptr);

    EXPECT_EQ (refreshEditorConsole(), nullptr);

    {
        // Windows that are not on the desktop still count as top-level windows: no display needed.
        juce::DocumentWindow other ("Other", juce::Colours::black, 0, false);
        juce::DocumentWindow main ("Main", juce::Colours::black, 0, false);
        main.setContentNonOwned (&outer, false);

        EXPECT_EQ (refreshEditorConsole(), &editor);
        main.clearContentComponent();
    }

    middle.removeChildComponent (&editor);
}
