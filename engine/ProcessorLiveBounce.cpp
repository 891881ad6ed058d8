// Live bounce: the output written to a WAV file while it plays.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::startLiveBounce (const juce::File& file)
{
    // Not built yet: nothing is written.
    juce::ignoreUnused (file);
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
