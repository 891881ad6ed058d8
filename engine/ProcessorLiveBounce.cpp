// Live bounce: the final output, as the user hears it, written to a WAV file while it plays.
// The audio thread only hands each block to the writer's queue; the "Live Bounce Thread"
// writes the file. Blocks the queue has no room for are counted, and reported afterwards.

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
    liveBounceDroppedBlocks = 0;
    liveBounceDroppedSamples = 0;
    liveBounceRate = rate;

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
    const auto n = juce::jmin (numSamples, output.getNumSamples());

    // A block the queue has no room for (the disk is too slow) is left out whole, and counted
    // so that the user learns the file has gaps.
    if (lock.isLocked() && liveBounceWriter != nullptr
        && liveBounceWriter->write (output.getArrayOfReadPointers(), n))
        return true;

    if (liveBounceActive.load())
    {
        liveBounceDroppedBlocks.fetch_add (1);
        liveBounceDroppedSamples.fetch_add (n);
    }

    return false;
}

juce::String TavrelDelayAudioProcessor::getLiveBounceReport() const
{
    const auto blocks = liveBounceDroppedBlocks.load();

    if (blocks <= 0)
        return {};

    const auto seconds = liveBounceRate > 0.0 ? (double)liveBounceDroppedSamples.load() / liveBounceRate : 0.0;

    return "The bounce has gaps: the disk could not keep up, and " + juce::String (seconds, 2) + " seconds of audio ("
           + juce::String (blocks) + (blocks == 1 ? " block" : " blocks")
           + ") are missing from the file. Record it again, ideally to a faster disk.";
}
