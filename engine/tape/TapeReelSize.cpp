#include "engine/tape/TapeReelSize.h"

#include "engine/tape/TapeTrack.h"
#include "platform/AvailableMemory.h"

#include <cmath>

bool TapeReelSize::isValidTrackCount (int numTracks) noexcept
{
    return numTracks == 8 || numTracks == 16 || numTracks == 24;
}

juce::int64 TapeReelSize::getSampleBytes (int numTracks, double sampleRate, double tapeSeconds) noexcept
{
    return (juce::int64)juce::jmax (0, numTracks) * TapeTrack::getLengthInSamples (sampleRate, tapeSeconds) *
           (juce::int64)sizeof (float);
}

juce::int64 TapeReelSize::getHeldBytes (const std::vector<TapeTrack>& tracks) noexcept
{
    juce::int64 bytes = 0;

    for (const auto& track : tracks)
        bytes += (juce::int64)track.getAudio().getNumSamples() * track.getAudio().getNumChannels() *
                 (juce::int64)sizeof (float);

    return bytes;
}

juce::Result TapeReelSize::checkRateAndLength (double sampleRate, double tapeSeconds)
{
    if (! (sampleRate >= minimumSampleRate && sampleRate <= maximumSampleRate))
        return juce::Result::fail ("A reel cannot run at " + juce::String (sampleRate, 1) +
                                   " Hz: the sample rate must be between 8 and 192 kHz.");

    if (! (std::isfinite (tapeSeconds) && tapeSeconds <= maximumSeconds))
        return juce::Result::fail ("A reel cannot be " + juce::String (tapeSeconds / 60.0, 1) +
                                   " minutes long: the longest reel is 60 minutes.");

    return juce::Result::ok();
}

juce::Result TapeReelSize::checkReel (int numTracks, double sampleRate, double tapeSeconds, juce::int64 heldBytes)
{
    if (! isValidTrackCount (numTracks))
        return juce::Result::fail ("A reel cannot have " + juce::String (numTracks) + " tracks: it has 8, 16 or 24.");

    if (auto result = checkRateAndLength (sampleRate, tapeSeconds); result.failed())
        return result;

    const auto needed = getSampleBytes (numTracks, sampleRate, tapeSeconds);
    const auto available = Platform::getAvailableMemoryBytes();

    // Room is left for the rest of the program: its buffers, plug-ins and windows.
    constexpr juce::int64 headroom = (juce::int64)128 * 1024 * 1024;
    const auto usable = available + juce::jmax ((juce::int64)0, heldBytes) - headroom;

    if (available > 0 && needed > usable)
        return juce::Result::fail ("This reel needs " + juce::File::descriptionOfSizeInBytes (needed) +
                                   " of memory, but only " +
                                   juce::File::descriptionOfSizeInBytes (juce::jmax ((juce::int64)0, usable)) +
                                   " is available now. Close other programs, or choose a shorter reel, fewer "
                                   "tracks or a lower sample rate.");

    return juce::Result::ok();
}
