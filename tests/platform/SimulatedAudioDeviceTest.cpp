#include "platform/SimulatedAudioDeviceType.h"

#include <gtest/gtest.h>

#include <atomic>

namespace
{
struct RecordingCallback : public juce::AudioIODeviceCallback
{
    void audioDeviceIOCallbackWithContext (const float* const* inputs, int numInputs, float* const* outputs,
                                           int numOutputs, int numSamples,
                                           const juce::AudioIODeviceCallbackContext&) override
    {
        lastBlockSize = numSamples;
        lastNumInputs = numInputs;
        if (numInputs > 0)
            lastFirstInput = inputs[0][0];
        for (int ch = 0; ch < numOutputs; ++ch)
            juce::FloatVectorOperations::fill (outputs[ch], 0.25f, numSamples);
        ++blocks;
    }

    void audioDeviceAboutToStart (juce::AudioIODevice* device) override
    {
        startedRate = device->getCurrentSampleRate();
        ++starts;
    }

    void audioDeviceStopped() override { ++stops; }

    std::atomic<int> blocks { 0 }, starts { 0 }, stops { 0 }, lastBlockSize { 0 }, lastNumInputs { 0 };
    std::atomic<double> startedRate { 0.0 };
    std::atomic<float> lastFirstInput { 0.0f };
};

SimulatedAudioDevice::Config manualConfig()
{
    SimulatedAudioDevice::Config config;
    config.name = "Test Interface";
    config.clock = SimulatedAudioDevice::Clock::manual;
    config.inputChannelNames = { "Mic 1", "Mic 2", "Line 3", "Line 4" };
    config.inputGenerator = [] (float* const* inputs, int numInputs, int numSamples, juce::int64 first)
    {
        for (int ch = 0; ch < numInputs; ++ch)
            for (int i = 0; i < numSamples; ++i)
                inputs[ch][i] = (float) ((first + i) % 100) / 100.0f;
    };
    return config;
}
} // namespace

class SimulatedDeviceManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        manager.addAudioDeviceType (std::make_unique<SimulatedAudioDeviceType> (juce::Array<SimulatedAudioDevice::Config> { manualConfig() }));
        manager.setCurrentAudioDeviceType (SimulatedAudioDeviceType::typeName, true);
    }

    void TearDown() override { manager.closeAudioDevice(); }

    SimulatedAudioDevice& device()
    {
        auto* d = dynamic_cast<SimulatedAudioDevice*> (manager.getCurrentAudioDevice());
        EXPECT_NE (d, nullptr);
        return *d;
    }

    juce::AudioDeviceManager manager;
};

TEST_F (SimulatedDeviceManagerTest, OpensAtChosenRateAndBlockSizeWithNamedInputs)
{
    juce::AudioDeviceManager::AudioDeviceSetup setup;
    setup.outputDeviceName = "Test Interface";
    setup.inputDeviceName = "Test Interface";
    setup.sampleRate = 96000.0;
    setup.bufferSize = 256;
    setup.useDefaultInputChannels = false;
    setup.inputChannels.setRange (0, 4, true);
    setup.useDefaultOutputChannels = true;

    ASSERT_EQ (manager.initialise (4, 2, nullptr, false, {}, &setup), juce::String());
    ASSERT_NE (manager.getCurrentAudioDevice(), nullptr);
    EXPECT_EQ (device().getCurrentSampleRate(), 96000.0);
    EXPECT_EQ (device().getCurrentBufferSizeSamples(), 256);
    EXPECT_EQ (device().getInputChannelNames(), juce::StringArray ({ "Mic 1", "Mic 2", "Line 3", "Line 4" }));
    EXPECT_EQ (device().getActiveInputChannels().countNumberOfSetBits(), 4);
}

TEST_F (SimulatedDeviceManagerTest, ManualClockDrivesTheCallbackWithGeneratedInput)
{
    ASSERT_EQ (manager.initialiseWithDefaultDevices (2, 2), juce::String());
    RecordingCallback callback;
    manager.addAudioCallback (&callback);

    EXPECT_EQ (device().processBlocks (3), 3);
    EXPECT_EQ (callback.blocks.load(), 3);
    EXPECT_EQ (callback.lastBlockSize.load(), 512);
    EXPECT_EQ (callback.lastNumInputs.load(), 2);
    // Third block starts at sample 1024: 1024 % 100 = 24.
    EXPECT_FLOAT_EQ (callback.lastFirstInput.load(), 0.24f);

    manager.removeAudioCallback (&callback);
}

TEST_F (SimulatedDeviceManagerTest, RateChangeFromOutsideRestartsTheCallback)
{
    ASSERT_EQ (manager.initialiseWithDefaultDevices (2, 2), juce::String());
    RecordingCallback callback;
    manager.addAudioCallback (&callback);
    const int startsBefore = callback.starts.load();

    device().simulateSampleRateChange (48000.0);

    EXPECT_EQ (callback.stops.load(), 1);
    EXPECT_EQ (callback.starts.load(), startsBefore + 1);
    EXPECT_EQ (callback.startedRate.load(), 48000.0);
    manager.removeAudioCallback (&callback);
}

TEST_F (SimulatedDeviceManagerTest, UnsupportedRateIsRefusedWithAnError)
{
    SimulatedAudioDevice device (manualConfig());
    const auto error = device.open (juce::BigInteger (3), juce::BigInteger (3), 12345.0, 512);
    EXPECT_TRUE (error.contains ("12345"));
    EXPECT_FALSE (device.isOpen());
}

TEST (SimulatedDevice, RealTimeClockPacesBlocks)
{
    auto config = manualConfig();
    config.clock = SimulatedAudioDevice::Clock::realTime;
    SimulatedAudioDevice device (config);
    ASSERT_EQ (device.open (juce::BigInteger (3), juce::BigInteger (3), 48000.0, 480), juce::String());

    RecordingCallback callback;
    device.start (&callback);
    juce::Thread::sleep (300); // 30 blocks of 10 ms in real time
    device.stop();

    EXPECT_GE (callback.blocks.load(), 15);
    EXPECT_LE (callback.blocks.load(), 45);
    EXPECT_EQ (callback.stops.load(), 1);
}
