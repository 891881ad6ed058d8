#include <juce_audio_devices/juce_audio_devices.h>

#include <gtest/gtest.h>

#include <atomic>

namespace
{
struct CountingCallback : public juce::AudioIODeviceCallback
{
    void audioDeviceIOCallbackWithContext (const float* const*, int, float* const* outputs, int numOutputs,
                                           int numSamples, const juce::AudioIODeviceCallbackContext&) override
    {
        for (int ch = 0; ch < numOutputs; ++ch)
            juce::FloatVectorOperations::clear (outputs[ch], numSamples);
        ++blocks;
    }

    void audioDeviceAboutToStart (juce::AudioIODevice*) override {}
    void audioDeviceStopped() override {}

    std::atomic<int> blocks { 0 };
};
} // namespace

// The program runs here against a JACK server with its dummy driver (started by the test
// command); this proves JUCE's JACK device opens it and real-time callbacks arrive.
TEST (JackDevice, OpensTheServerAndReceivesCallbacks)
{
    juce::AudioDeviceManager manager;
    manager.setCurrentAudioDeviceType ("JACK", true);
    const auto error = manager.initialiseWithDefaultDevices (2, 2);

    auto* device = manager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr) << "no JACK device opened: " << error;
    EXPECT_EQ (device->getTypeName(), "JACK");
    EXPECT_EQ (device->getCurrentSampleRate(), 48000.0);

    CountingCallback callback;
    manager.addAudioCallback (&callback);
    juce::Thread::sleep (1000);
    manager.removeAudioCallback (&callback);
    manager.closeAudioDevice();

    // 48000 / 512 = about 94 callbacks a second; allow for a slow start.
    EXPECT_GE (callback.blocks.load(), 30);
    EXPECT_LE (callback.blocks.load(), 200);
}
