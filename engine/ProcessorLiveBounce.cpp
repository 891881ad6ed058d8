// Live bounce: the final output, as the user hears it, written to a WAV file while it plays.
// The audio thread only hands each block to the writer's queue; the "Live Bounce Thread"
// writes the file.

#include "engine/TavrelDelayAudioProcessor.h"

namespace
{
constexpr int streamBufferBytes = 16384;
constexpr int queueSamples = 32768;
constexpr int bounceChannels = 2;
constexpr int bounceBits = 24;
} // namespace

void TavrelDelayAudioProcessor::startLiveBounce (const juce::File& file)
{
    // A bounce already running is finished and its file closed before the next one opens.
    stopLiveBounce();

    const auto rate = getSampleRate();

    if (file.getFullPathName().isEmpty() || file.isDirectory() || rate <= 0.0)
        return;

    auto* format = audioFormatManager.findFormatForFileExtension ("wav");

    if (format == nullptr)
        return;

    auto stream = std::make_unique<juce::FileOutputStream> (file, streamBufferBytes);

    if (! stream->openedOk())
        return;

    // An old file of that name is replaced, but only once the new one can be written.
    if (! stream->setPosition (0) || stream->truncate().failed())
        return;

    std::unique_ptr<juce::AudioFormatWriter> writer (
        format->createWriterFor (stream.get(), rate, (unsigned int)bounceChannels, bounceBits, {}, 0));

    if (writer == nullptr)
        return;

    stream.release(); // the writer owns it now

    auto threaded =
        std::make_unique<juce::AudioFormatWriter::ThreadedWriter> (writer.release(), liveBounceThread, queueSamples);
    std::unique_ptr<juce::AudioFormatWriter::ThreadedWriter> previous;

    {
        const juce::ScopedLock lock (liveBounceLock);
        previous = std::move (liveBounceWriter);
        liveBounceWriter = std::move (threaded);
        liveBounceActive = true;
    }
}

void TavrelDelayAudioProcessor::stopLiveBounce()
{
    if (! liveBounceActive.exchange (false))
        return;

    std::unique_ptr<juce::AudioFormatWriter::ThreadedWriter> finished;

    {
        const juce::ScopedLock lock (liveBounceLock);
        finished = std::move (liveBounceWriter);
    }

    // Deleting the writer flushes what is left in its queue and closes the file.
    finished.reset();
}

bool TavrelDelayAudioProcessor::pushLiveBounceBlock (const juce::AudioBuffer<float>& output, int numSamples) noexcept
{
    if (! liveBounceActive.load() || numSamples <= 0 || output.getNumChannels() < bounceChannels)
        return false;

    const juce::ScopedTryLock lock (liveBounceLock);

    if (! lock.isLocked() || liveBounceWriter == nullptr)
        return false;

    // A block the queue has no room for is left out whole.
    return liveBounceWriter->write (output.getArrayOfReadPointers(), juce::jmin (numSamples, output.getNumSamples()));
}
