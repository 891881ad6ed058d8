#pragma once

#include <juce_core/juce_core.h>

/** The limits of a reel held in memory. A reel costs tracks x seconds x rate float samples
    (24 tracks of 60 minutes at 48 kHz are about 16.6 GB), so every size is computed in 64 bits
    and checked before anything is allocated. */
struct TapeReelSize
{
    static constexpr double minimumSampleRate = 8000.0;
    static constexpr double maximumSampleRate = 192000.0;
    static constexpr double maximumSeconds = 3600.0;

    /** True for the track counts a reel can have: 8, 16 or 24. */
    static bool isValidTrackCount (int numTracks) noexcept;

    /** Bytes of tape samples of a reel (one float per sample, every track). */
    static juce::int64 getSampleBytes (int numTracks, double sampleRate, double tapeSeconds) noexcept;

    /** Fails, with a message for the user, for a rate outside 8 to 192 kHz or a length that is
        not a number or over 3600 s. */
    static juce::Result checkRateAndLength (double sampleRate, double tapeSeconds);

    /** Everything checkRateAndLength checks, plus the track count and whether the computer's
        memory can hold the reel at all (a reel that does not fit in the physical memory would
        page to disk and drop out while it plays). */
    static juce::Result checkReel (int numTracks, double sampleRate, double tapeSeconds);
};
