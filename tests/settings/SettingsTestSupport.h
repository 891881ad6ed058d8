#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "tests/support/TempDir.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include <gtest/gtest.h>
#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <set>

namespace SettingsTest
{
inline void runMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

template <typename Predicate> bool runMessagesUntil (Predicate done, int timeoutMs = 3000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    while (! done() && juce::Time::getMillisecondCounter() < end)
        runMessages (5);
    return done();
}

inline bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

/** Closes every dialog still open. */
inline void dismissAllDialogs()
{
    for (int guard = 0; guard < 20; ++guard)
    {
        auto* dialog = FlowDialog::findOpenDialog();
        if (dialog == nullptr)
            return;
        dialog->exitModalState (0);
        runMessages (20);
    }
}

/** A device that opens at whatever rate and buffer it offers and never calls back: the device
    manager, the selector and the status text see a real open device without a sound card. */
class FakeDevice : public juce::AudioIODevice
{
public:
    explicit FakeDevice (const juce::String& name, bool hasInputs, bool hasOutputs)
        : juce::AudioIODevice (name, "Fake"), inputs (hasInputs), outputs (hasOutputs)
    {
    }

    juce::StringArray getOutputChannelNames() override
    {
        return outputs ? juce::StringArray{"Out 1", "Out 2"} : juce::StringArray();
    }
    juce::StringArray getInputChannelNames() override
    {
        return inputs ? juce::StringArray{"In 1", "In 2", "In 3", "In 4"} : juce::StringArray();
    }
    juce::Array<double> getAvailableSampleRates() override { return {44100.0, 48000.0, 96000.0}; }
    juce::Array<int> getAvailableBufferSizes() override { return {256, 480, 512, 1024}; }
    int getDefaultBufferSize() override { return 512; }

    juce::String open (const juce::BigInteger& in, const juce::BigInteger& out, double rate, int buffer) override
    {
        activeInputs = in;
        activeInputs.setRange (inputs ? 4 : 0, 256, false);
        activeOutputs = out;
        activeOutputs.setRange (outputs ? 2 : 0, 256, false);
        sampleRate = rate > 0.0 ? rate : 48000.0;
        bufferSize = buffer > 0 ? buffer : 512;
        opened = true;
        return {};
    }
    void close() override { opened = false; }
    bool isOpen() override { return opened; }
    void start (juce::AudioIODeviceCallback* callback) override
    {
        if (callback != nullptr)
            callback->audioDeviceAboutToStart (this);
        playing = true;
    }
    void stop() override { playing = false; }
    bool isPlaying() override { return playing; }
    juce::String getLastError() override { return {}; }
    int getCurrentBufferSizeSamples() override { return bufferSize; }
    double getCurrentSampleRate() override { return sampleRate; }
    int getCurrentBitDepth() override { return 24; }
    juce::BigInteger getActiveOutputChannels() const override { return activeOutputs; }
    juce::BigInteger getActiveInputChannels() const override { return activeInputs; }
    int getOutputLatencyInSamples() override { return 0; }
    int getInputLatencyInSamples() override { return 0; }

private:
    bool inputs, outputs;
    bool opened = false, playing = false;
    juce::BigInteger activeInputs, activeOutputs;
    double sampleRate = 48000.0;
    int bufferSize = 512;
};

/** One input device "Fake In" (4 channels) and one output device "Fake Out" (2 channels). */
class FakeDeviceType : public juce::AudioIODeviceType
{
public:
    FakeDeviceType() : juce::AudioIODeviceType ("Fake") {}

    void scanForDevices() override {}
    juce::StringArray getDeviceNames (bool wantInputNames) const override
    {
        return {wantInputNames ? "Fake In" : "Fake Out"};
    }
    int getDefaultDeviceIndex (bool) const override { return 0; }
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override
    {
        return device != nullptr && device->getName() == (asInput ? "Fake In" : "Fake Out") ? 0 : -1;
    }
    bool hasSeparateInputsAndOutputs() const override { return true; }
    juce::AudioIODevice* createDevice (const juce::String& outputName, const juce::String& inputName) override
    {
        const bool in = inputName.isNotEmpty();
        const bool out = outputName.isNotEmpty();
        return new FakeDevice (out ? outputName : inputName, in, out);
    }
};

/** A device manager that knows only the fake device type. */
struct FakeDeviceManager
{
    FakeDeviceManager()
    {
        manager.addAudioDeviceType (std::make_unique<FakeDeviceType>());
        manager.setCurrentAudioDeviceType ("Fake", true);
        manager.closeAudioDevice(); // choosing the type opened its default devices
    }

    /** Opens the fake devices; an empty name leaves that side closed. */
    juce::String open (double rate, int buffer, const juce::String& input = "Fake In",
                       const juce::String& output = "Fake Out")
    {
        juce::AudioDeviceManager::AudioDeviceSetup setup;
        setup.inputDeviceName = input;
        setup.outputDeviceName = output;
        setup.sampleRate = rate;
        setup.bufferSize = buffer;
        setup.inputChannels.setRange (0, 4, true);
        setup.outputChannels.setRange (0, 2, true);
        setup.useDefaultInputChannels = false;
        setup.useDefaultOutputChannels = false;
        return manager.setAudioDeviceSetup (setup, true);
    }

    juce::AudioDeviceManager manager;
};

/** A processor with an empty library in a temporary folder, and its editor. */
struct SettingsFixture : public ::testing::Test
{
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    std::unique_ptr<TavrelDelayAudioProcessorEditor> editor;
    std::set<int> keysDown;

    void SetUp() override
    {
        processor = std::make_unique<TavrelDelayAudioProcessor>();
        processor->autoSaveTickMilliseconds = 1 << 30;
        if (processor->firstRunJob != nullptr)
        {
            ASSERT_TRUE (processor->firstRunJob->waitForThreadToExit (60000));
        }
        makeEditor();
    }

    void TearDown() override
    {
        dismissAllDialogs();
        editor.reset();
        runMessages (20);
        processor.reset();
    }

    void makeEditor()
    {
        editor.reset();
        editor.reset (static_cast<TavrelDelayAudioProcessorEditor*> (processor->createEditor()));
        // Physical keys as the test holds them.
        editor->isKeyPhysicallyDown = [this] (int code) { return keysDown.count (code) > 0; };
    }

    juce::File userFile (const juce::String& name) const { return Platform::getUserDataFolder().getChildFile (name); }

    float parameter (const char* id) const { return processor->parameters.getRawParameterValue (id)->load(); }

    /** A short reel, opened on the deck. */
    void openReel (const juce::String& name = "Song")
    {
        ASSERT_TRUE (processor->reelLibrary.createReel (name, 4.0, 48000.0, 8).wasOk());
        ASSERT_TRUE (editor->openReelAndResetView (name, 0));
    }
};
} // namespace SettingsTest
