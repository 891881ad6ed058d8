#include "platform/SimulatedAudioDevice.h"

class SimulatedAudioDevice::ClockThread : public juce::Thread
{
public:
    explicit ClockThread (SimulatedAudioDevice& d) : juce::Thread ("Simulated audio clock"), device (d) {}

    void run() override
    {
        const auto blockMs = 1000.0 * device.currentBufferSize / device.currentRate;
        auto nextDeadline = juce::Time::getMillisecondCounterHiRes();

        while (! threadShouldExit())
        {
            device.renderOneBlock();

            if (device.config.clock == Clock::realTime)
            {
                nextDeadline += blockMs;
                const auto now = juce::Time::getMillisecondCounterHiRes();

                if (nextDeadline > now)
                    juce::Thread::sleep (juce::jmax (0, (int) (nextDeadline - now)));
                else if (now - nextDeadline > 20.0 * blockMs)
                    nextDeadline = now; // fell far behind (debugger, loaded machine): do not burst
            }
            else
            {
                juce::Thread::yield();
            }
        }
    }

private:
    SimulatedAudioDevice& device;
};

SimulatedAudioDevice::SimulatedAudioDevice (Config c)
    : juce::AudioIODevice (c.name, "Simulated"), config (std::move (c))
{
}

SimulatedAudioDevice::~SimulatedAudioDevice()
{
    close();
}

juce::StringArray SimulatedAudioDevice::getOutputChannelNames() { return config.outputChannelNames; }
juce::StringArray SimulatedAudioDevice::getInputChannelNames() { return config.inputChannelNames; }
juce::Array<double> SimulatedAudioDevice::getAvailableSampleRates() { return config.sampleRates; }
juce::Array<int> SimulatedAudioDevice::getAvailableBufferSizes() { return config.bufferSizes; }
int SimulatedAudioDevice::getDefaultBufferSize() { return config.defaultBufferSize; }

juce::String SimulatedAudioDevice::open (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels,
                                         double sampleRate, int bufferSizeSamples)
{
    close();
    lastError = {};

    if (sampleRate <= 0.0 && ! config.sampleRates.isEmpty())
        sampleRate = config.sampleRates.getFirst();

    if (! config.sampleRates.contains (sampleRate))
    {
        lastError = "Sample rate " + juce::String (sampleRate) + " Hz is not supported by " + getName();
        return lastError;
    }

    if (bufferSizeSamples <= 0)
        bufferSizeSamples = config.defaultBufferSize;

    activeInputs = inputChannels;
    activeInputs.setRange (config.inputChannelNames.size(), juce::jmax (0, activeInputs.getHighestBit() + 1), false);
    activeOutputs = outputChannels;
    activeOutputs.setRange (config.outputChannelNames.size(), juce::jmax (0, activeOutputs.getHighestBit() + 1), false);

    currentRate = sampleRate;
    currentBufferSize = bufferSizeSamples;
    inputBuffer.setSize (juce::jmax (1, activeInputs.countNumberOfSetBits()), bufferSizeSamples);
    outputBuffer.setSize (juce::jmax (1, activeOutputs.countNumberOfSetBits()), bufferSizeSamples);
    samplePosition = 0;
    callbackCount = 0;
    opened = true;
    return {};
}

void SimulatedAudioDevice::close()
{
    stop();
    opened = false;
}

bool SimulatedAudioDevice::isOpen() { return opened; }

void SimulatedAudioDevice::start (juce::AudioIODeviceCallback* callback)
{
    if (! opened || callback == nullptr)
        return;

    stop();
    callback->audioDeviceAboutToStart (this);

    {
        const juce::ScopedLock sl (callbackLock);
        currentCallback = callback;
    }

    startClock();
}

void SimulatedAudioDevice::stop()
{
    stopClock();

    juce::AudioIODeviceCallback* previous = nullptr;
    {
        const juce::ScopedLock sl (callbackLock);
        previous = std::exchange (currentCallback, nullptr);
    }

    if (previous != nullptr)
        previous->audioDeviceStopped();
}

bool SimulatedAudioDevice::isPlaying()
{
    const juce::ScopedLock sl (callbackLock);
    return currentCallback != nullptr;
}

juce::String SimulatedAudioDevice::getLastError() { return lastError; }
int SimulatedAudioDevice::getCurrentBufferSizeSamples() { return currentBufferSize; }
double SimulatedAudioDevice::getCurrentSampleRate() { return currentRate; }
int SimulatedAudioDevice::getCurrentBitDepth() { return 32; }
juce::BigInteger SimulatedAudioDevice::getActiveOutputChannels() const { return activeOutputs; }
juce::BigInteger SimulatedAudioDevice::getActiveInputChannels() const { return activeInputs; }
int SimulatedAudioDevice::getOutputLatencyInSamples() { return 0; }
int SimulatedAudioDevice::getInputLatencyInSamples() { return 0; }

int SimulatedAudioDevice::processBlocks (int numBlocks)
{
    if (! isPlaying())
        return 0;

    for (int i = 0; i < numBlocks; ++i)
        renderOneBlock();

    return numBlocks;
}

void SimulatedAudioDevice::simulateSampleRateChange (double newSampleRate)
{
    juce::AudioIODeviceCallback* callback = nullptr;
    {
        const juce::ScopedLock sl (callbackLock);
        callback = currentCallback;
    }

    if (callback == nullptr)
    {
        currentRate = newSampleRate;
        return;
    }

    stop();
    currentRate = newSampleRate;
    start (callback);
}

void SimulatedAudioDevice::renderOneBlock()
{
    const juce::ScopedLock sl (callbackLock);

    if (currentCallback == nullptr)
        return;

    const int numInputs = activeInputs.countNumberOfSetBits();
    const int numOutputs = activeOutputs.countNumberOfSetBits();
    inputBuffer.clear();
    outputBuffer.clear();

    if (config.inputGenerator && numInputs > 0)
        config.inputGenerator (inputBuffer.getArrayOfWritePointers(), numInputs, currentBufferSize, samplePosition);

    const juce::AudioIODeviceCallbackContext context;
    currentCallback->audioDeviceIOCallbackWithContext (inputBuffer.getArrayOfReadPointers(), numInputs,
                                                       outputBuffer.getArrayOfWritePointers(), numOutputs,
                                                       currentBufferSize, context);

    if (config.outputObserver)
        config.outputObserver (outputBuffer.getArrayOfReadPointers(), numOutputs, currentBufferSize);

    samplePosition += currentBufferSize;
    ++callbackCount;
}

void SimulatedAudioDevice::startClock()
{
    if (config.clock == Clock::manual)
        return;

    clockThread = std::make_unique<ClockThread> (*this);
    clockThread->startThread (juce::Thread::Priority::highest);
}

void SimulatedAudioDevice::stopClock()
{
    if (clockThread != nullptr)
    {
        clockThread->stopThread (2000);
        clockThread.reset();
    }
}
