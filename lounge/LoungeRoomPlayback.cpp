#include "lounge/LoungeRoomComponent.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "lounge/LoungeFetch.h"
#include "lounge/LoungeIds.h"
#include "platform/Platform.h"
#include "storage/GuardedAudioReader.h"

// The tape cache, the download job, the player and its transport keys, and the mix into
// the studio's output.

void LoungeRoomComponent::playTape (const juce::String& address)
{
    playing = false;
    busy = true;
    player.stop();
    repaint();

    places.cacheFolder.createDirectory();
    const auto cache = getLoungeCacheFile (places.cacheFolder, address);

    if (cache.existsAsFile() && cache.getSize() >= minCachedBytes)
    {
        playFile (cache);
        busy = false;
        repaint();
        return;
    }

    juce::Component::SafePointer<LoungeRoomComponent> room (this);

    // downloadLoungeTape: the whole file into a ".temp" beside the cache file, which it
    // replaces only when the download is complete, within the limits and not too short.
    launchJob ([room, address, cache]
    {
        const auto temp = cache.getSiblingFile (cache.getFileName() + LoungeIds::downloadSuffix);

        LoungeFetch::Limits limits;
        limits.connectTimeoutMs = tapeConnectTimeoutMs;
        limits.totalTimeoutMs = tapeTotalTimeoutMs;
        limits.maxBytes = maxTapeBytes;
        const auto result = LoungeFetch::fetchToFile (juce::URL (address.replace (" ", "%20")), temp, limits);
        auto accepted = result.ok() && result.bytes >= minDownloadBytes;

        // In one step: a tape playing from the old file keeps reading it.
        accepted = accepted && Platform::replaceFile (temp, cache);
        temp.deleteFile();

        juce::MessageManager::callAsync ([room, accepted, cache]
        {
            if (room != nullptr)
                room->finishDownload (accepted, cache);
        });
    });
}

void LoungeRoomComponent::finishDownload (bool accepted, const juce::File& cacheFile)
{
    if (accepted)
        playFile (cacheFile);

    busy = false;
    repaint();
}

void LoungeRoomComponent::playFile (const juce::File& file)
{
    player.stop();
    player.setSource (nullptr);
    readerSource.reset();
    playing = false;
    tapeLengthSeconds = 0.0;
    playButton.setToggleState (false, juce::dontSendNotification);

    // By content, not by name: a tape cached under its ".ogg" name may be a shared WAV mixdown.
    auto reader = GuardedAudioReader::open (audioFormats, file, nullptr, true);

    if (reader == nullptr || reader->sampleRate <= 0.0)
        return;

    const auto rate = reader->sampleRate;
    tapeLengthSeconds = (double) reader->lengthInSamples / rate;
    readerSource = std::make_unique<juce::AudioFormatReaderSource> (reader.release(), true);
    player.setSource (readerSource.get(), readAheadSamples, &readAheadThread, rate);

    player.start();
    playing = true;
    playButton.setToggleState (true, juce::dontSendNotification);
    stopButton.setToggleState (false, juce::dontSendNotification);
}

//==============================================================================
void LoungeRoomComponent::pressPlay()
{
    if (player.getTotalLength() <= 0)
        return;

    player.start();
    playing = true;
    playButton.setToggleState (true, juce::dontSendNotification);
    stopButton.setToggleState (false, juce::dontSendNotification);
    repaint();
}

void LoungeRoomComponent::pressStop()
{
    player.stop();
    playing = false;
    playButton.setToggleState (false, juce::dontSendNotification);
    stopButton.setToggleState (true, juce::dontSendNotification);
    repaint();
}

void LoungeRoomComponent::moveBy (double seconds)
{
    // Forward may pass the tape's end: the next block then ends the stream.
    setPosition (juce::jmax (0.0, currentPosition() + seconds));
    repaint();
}

double LoungeRoomComponent::currentPosition() const
{
    return player.getCurrentPosition(); // 0 until the player has a rate
}

void LoungeRoomComponent::setPosition (double seconds)
{
    player.setPosition (seconds); // ignored until the player has a rate
}

double LoungeRoomComponent::knownLength() const
{
    return tapeLengthSeconds > 0.0 ? tapeLengthSeconds : 60.0;
}

void LoungeRoomComponent::endOfStream()
{
    player.stop(); // already stopped by the player itself: returns at once
    setPosition (0.0);
    playing = false;
    playButton.setToggleState (false, juce::dontSendNotification);
    stopButton.setToggleState (true, juce::dontSendNotification);
    repaint();
}

//==============================================================================
void LoungeRoomComponent::mixIntoOutput (juce::AudioBuffer<float>& output) noexcept
{
    const auto rate = processor.getSampleRate();
    const auto block = processor.getBlockSize();

    if (rate > 0.0 && (std::abs (rate - preparedRate) > 1.0 || block > preparedBlockSize))
    {
        preparedRate = rate;
        preparedBlockSize = juce::jmax (minPreparedBlock, block);
        player.prepareToPlay (preparedBlockSize, rate);
    }

    const auto n = output.getNumSamples();

    if (mixBuffer.getNumSamples() < n)
        mixBuffer.setSize (juce::jmax (1, output.getNumChannels()), juce::jmax (minPreparedBlock, n), false, false, false);

    // The player runs every block, playing or not: a stop waits for the block that fades it
    // out, and the end of a tape is found by the player itself (the timer then rewinds it).
    // Stopped, it gives silence.
    mixBuffer.clear (0, n);
    player.getNextAudioBlock (juce::AudioSourceChannelInfo (&mixBuffer, 0, n));

    for (int ch = 0; ch < juce::jmin (output.getNumChannels(), mixBuffer.getNumChannels()); ++ch)
        output.addFrom (ch, 0, mixBuffer, ch, 0, n, outputGain);
}
