#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "rack/PluginScanIds.h"
#include "tests/rack/TestPlugins.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_events/juce_events.h>

/** A processor of its own per test, with the test plug-ins' folder as its only standard plug-in
    folder and a per-user folder of its own ("BlockedPlugins.txt", "known_plugins.xml").

    Every plug-in instance is gone when the test ends: the processor is deleted in TearDown (on
    this thread, the message thread) and the messages that still hold removed slots are
    delivered, long before JUCE shuts down. */
class HostingTest : public ::testing::Test
{
protected:
    using Kind = TestPlugins::Kind;
    using SlotKind = TavrelDelayAudioProcessor::HostedSlotKind;

    void SetUp() override
    {
        DRAVIN8_SKIP_WITHOUT_TEST_PLUGINS();
        processor = std::make_unique<TavrelDelayAudioProcessor>();
        processor->pluginLoadPolicy.standardFolders = {TestPlugins::folder()};
    }

    void TearDown() override
    {
        processor.reset();
        runMessages (50);
    }

    static void runMessages (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** Runs the message loop until no creation is pending (false after 20 s). */
    static bool waitForCreations (TavrelDelayAudioProcessor& p)
    {
        const auto end = juce::Time::getMillisecondCounter() + 20000;

        while (p.pendingPluginCreations > 0 && juce::Time::getMillisecondCounter() < end)
            runMessages (5);

        return p.pendingPluginCreations == 0;
    }

    bool waitForCreations() { return waitForCreations (*processor); }

    /** The description JUCE's VST3 format reads from a test plug-in's bundle (never the crashing
        or hanging one: reading their description loads them). */
    juce::PluginDescription describe (Kind kind) const { return describeFile (TestPlugins::bundle (kind)); }

    juce::PluginDescription describeFile (const juce::File& bundle) const
    {
        juce::OwnedArray<juce::PluginDescription> found;
        processor->pluginFormatManager.getFormat (0)->findAllTypesForFile (found, bundle.getFullPathName());
        return found.size() == 1 ? *found[0] : juce::PluginDescription();
    }

    /** A description of the crashing plug-in that would really create it, made without
        loading it: every test plug-in is the same binary under another name, so the gain
        plug-in's description with the other name and file names the crashing one exactly. */
    juce::PluginDescription describeCrashWithoutLoading() const
    {
        auto description = describe (Kind::gain);
        description.name = TestPlugins::displayName (Kind::crash);
        description.descriptiveName = description.name;
        description.fileOrIdentifier = TestPlugins::bundle (Kind::crash).getFullPathName();
        return description;
    }

    void writeBlockedPlugins (const juce::StringArray& names) const
    {
        const auto folder = Platform::getUserDataFolder();
        folder.createDirectory();
        folder.getChildFile (PluginScanIds::blockedPluginsFileName)
            .replaceWithText (names.joinIntoString ("\r\n") + "\r\n");
    }

    static juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance& instance, const juce::String& name)
    {
        for (auto* parameter : instance.getParameters())
            if (parameter->getName (100) == name)
                return parameter;

        return nullptr;
    }

    /** Runs one block of constant 1.0 on every input channel through the instance, with a
        middle C when it takes MIDI; returns its output. */
    static juce::AudioBuffer<float> processOnes (juce::AudioPluginInstance& instance, int numSamples = 256)
    {
        const int channels = juce::jmax (1, instance.getTotalNumInputChannels(), instance.getTotalNumOutputChannels());
        juce::AudioBuffer<float> buffer (channels, numSamples);
        buffer.clear();

        for (int ch = 0; ch < instance.getTotalNumInputChannels(); ++ch)
            juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), 1.0f, numSamples);

        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (1, 60, 1.0f), 0);
        instance.processBlock (buffer, midi);
        return buffer;
    }

    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
};
