// Device preparation and the sizing of the reel in memory.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"
#include "engine/tape/TapeReelSize.h"

namespace
{
/** Seconds of tape of the TAPE_LENGTH choices; any other value gives 10 minutes. */
double tapeLengthSeconds (int choice)
{
    switch (choice)
    {
        case 0:
            return 300.0;
        case 1:
            return 600.0;
        case 2:
            return 1200.0;
        case 3:
            return 1800.0;
        case 4:
            return 2700.0;
        case 5:
            return 3600.0;
        default:
            return 600.0;
    }
}

void sizeBuffer (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples)
{
    if (buffer.getNumChannels() != numChannels || buffer.getNumSamples() != numSamples)
        buffer.setSize (numChannels, numSamples);
}
} // namespace

void TavrelDelayAudioProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    fadeInGain = 0.0f;

    // The open reel keeps its length; a fresh one takes the length chosen for new reels.
    const auto& reference = tracks.front();
    double seconds;

    if (reference.getAudio().getNumSamples() > 0 && reference.sampleRate > 0.0)
        seconds = reference.getAudio().getNumSamples() / reference.sampleRate;
    else
        seconds =
            tapeLengthSeconds (juce::roundToInt (parameters.getRawParameterValue (ParameterIds::TAPE_LENGTH)->load()));

    prepareReel (numTracks, juce::jmin (seconds, TapeReelSize::maximumSeconds), sampleRate);
    sizeBlockBuffers (samplesPerBlock);
}

void TavrelDelayAudioProcessor::releaseResources() {}

bool TavrelDelayAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainOutputChannelSet() != juce::AudioChannelSet::disabled();
}

juce::Result TavrelDelayAudioProcessor::prepareReel (int trackCount, double tapeSeconds, double sampleRate)
{
    if (auto check = TapeReelSize::checkReel (trackCount, sampleRate, tapeSeconds); check.failed())
    {
        reelError = check.getErrorMessage();
        return check;
    }

    const juce::ScopedLock lock (audioLock);

    tracks.resize ((size_t)trackCount);
    numTracks = trackCount;
    auto result = juce::Result::ok();

    for (auto& track : tracks)
    {
        result = track.prepare (sampleRate, tapeSeconds);

        if (result.failed())
            break;
    }

    if (result.failed())
    {
        // A reel with tapes of different lengths would not play: every track gets the
        // shortest tape, which frees what the others took.
        for (auto& track : tracks)
            track.prepare (sampleRate, 0.0);

        result = juce::Result::fail (result.getErrorMessage() + " The reel was emptied.");
    }

    const auto blockSize = getBlockSize() > 0 ? getBlockSize() : 512;
    trackOutputBuffers.resize ((size_t)numTracks);

    for (auto& buffer : trackOutputBuffers)
        sizeBuffer (buffer, 1, blockSize);

    reelError = result.failed() ? result.getErrorMessage() : juce::String();
    return result;
}

void TavrelDelayAudioProcessor::sizeBlockBuffers (int samplesPerBlock)
{
    const auto blockSize = juce::jmax (1, samplesPerBlock);

    trackOutputBuffers.resize ((size_t)numTracks);

    for (auto& buffer : trackOutputBuffers)
        sizeBuffer (buffer, 1, blockSize);

    trackInputBuffers.resize ((size_t)maxTracks);

    for (auto& buffer : trackInputBuffers)
    {
        sizeBuffer (buffer, 1, blockSize);
        buffer.clear();
    }

    sizeBuffer (instrumentRenderBuffer, 64, blockSize);
    sizeBuffer (trackInsertBuffer, 2, blockSize);
    sizeBuffer (masterInsertBuffer, 64, blockSize);
    sizeBuffer (instrumentOutputs, 16, blockSize);
}
