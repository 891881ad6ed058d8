#pragma once

#include <juce_core/juce_core.h>

#include <vector>

class TapeTrack;

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

    /** Bytes of tape the tracks hold now (what re-sizing them frees first). */
    static juce::int64 getHeldBytes (const std::vector<TapeTrack>& tracks) noexcept;

    /** Fails, with a message for the user, for a rate outside 8 to 192 kHz or a length that is
        not a number or over 3600 s. */
    static juce::Result checkRateAndLength (double sampleRate, double tapeSeconds);

    /** Everything checkRateAndLength checks, plus the track count and whether the memory
        available now can hold the reel (a reel that does not fit would push other memory out to
        disk and drop out while it plays, or the system would end the program). heldBytes is
        the tape memory the caller lets go of before it allocates the new reel (the open
        reel's tracks), which counts as available. */
    static juce::Result checkReel (int numTracks, double sampleRate, double tapeSeconds, juce::int64 heldBytes = 0);
};
