#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <atomic>
#include <functional>

/** An audio device with no hardware behind it: it offers the sample rates, block sizes and
    named channels it is configured with and drives its callback from a thread of its own (paced
    in real time or as fast as possible) or, in manual mode, only when asked. Device opening, rate
    changes and the block callback can so be exercised on machines without a sound card. */
class SimulatedAudioDevice : public juce::AudioIODevice
{
public:
    enum class Clock
    {
        realTime,   // one block every blockSize / sampleRate seconds
        freeRunning, // blocks back to back
        manual      // no thread: processBlocks() runs the callback on the caller's thread
    };

    struct Config
    {
        juce::String name { "Simulated Device" };
        juce::Array<double> sampleRates { 44100.0, 48000.0, 88200.0, 96000.0 };
        juce::Array<int> bufferSizes { 64, 128, 256, 480, 512, 1024, 2048 };
        int defaultBufferSize = 512;
        juce::StringArray inputChannelNames { "Input 1", "Input 2" };
        juce::StringArray outputChannelNames { "Output 1", "Output 2" };
        Clock clock = Clock::freeRunning;

        /** Fills the active inputs for each block; silence when empty. Called on the device thread. */
        std::function<void (float* const* inputs, int numInputs, int numSamples, juce::int64 firstSample)> inputGenerator;

        /** Sees every block the callback wrote. Called on the device thread. */
        std::function<void (const float* const* outputs, int numOutputs, int numSamples)> outputObserver;
    };

    explicit SimulatedAudioDevice (Config config);
    ~SimulatedAudioDevice() override;

    juce::StringArray getOutputChannelNames() override;
    juce::StringArray getInputChannelNames() override;
    juce::Array<double> getAvailableSampleRates() override;
    juce::Array<int> getAvailableBufferSizes() override;
    int getDefaultBufferSize() override;

    juce::String open (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels,
                       double sampleRate, int bufferSizeSamples) override;
    void close() override;
    bool isOpen() override;
    void start (juce::AudioIODeviceCallback* callback) override;
    void stop() override;
    bool isPlaying() override;
    juce::String getLastError() override;

    int getCurrentBufferSizeSamples() override;
    double getCurrentSampleRate() override;
    int getCurrentBitDepth() override;
    juce::BigInteger getActiveOutputChannels() const override;
    juce::BigInteger getActiveInputChannels() const override;
    int getOutputLatencyInSamples() override;
    int getInputLatencyInSamples() override;

    /** Manual clock: runs the callback for this many blocks on the calling thread.
        Returns the number of blocks run (0 when the device is not playing). */
    int processBlocks (int numBlocks);

    /** Acts as a driver whose rate was changed from outside the program: the callback sees
        audioDeviceStopped and then audioDeviceAboutToStart at the new rate. */
    void simulateSampleRateChange (double newSampleRate);

    /** Blocks delivered since the device was opened. */
    juce::int64 getCallbackCount() const noexcept { return callbackCount.load(); }

private:
    class ClockThread;

    void renderOneBlock();
    void startClock();
    void stopClock();

    Config config;
    juce::BigInteger activeInputs, activeOutputs;
    double currentRate = 0.0;
    int currentBufferSize = 0;
    bool opened = false;
    juce::String lastError;

    juce::CriticalSection callbackLock;
    juce::AudioIODeviceCallback* currentCallback = nullptr;
    juce::AudioBuffer<float> inputBuffer, outputBuffer;
    juce::int64 samplePosition = 0;
    std::atomic<juce::int64> callbackCount { 0 };
    std::unique_ptr<ClockThread> clockThread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimulatedAudioDevice)
};
