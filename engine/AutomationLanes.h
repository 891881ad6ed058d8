#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_audio_processors/juce_audio_processors.h>

/** The arithmetic of the fader automation lanes: one lane per console channel (24 tracks,
    then aux returns 1 and 2) holding the fader's normalised value 100 times a second from
    the zero point for 60 minutes. The processor keeps the lanes; these functions size,
    fill, address and write them. */
class AutomationLanes
{
public:
    static constexpr int numChannels = 26;
    static constexpr int rowsPerSecond = 100;
    static constexpr int numRows = 360000;

    /** Sizes the lanes (26 x 360000) and fills each with its channel's current normalised
        fader value (0 for a channel without a fader parameter). Returns true. */
    static bool create (juce::AudioBuffer<float>& lanes, juce::AudioProcessorValueTreeState& parameters);

    /** Fills one lane with a value and marks the lanes as holding data. */
    static void fillLane (juce::AudioBuffer<float>& lanes, int channel, float value) noexcept;

    /** A channel exists on a reel of numTracks tracks when it is one of its tracks or an aux return. */
    static bool channelExists (int channel, int numTracks) noexcept
    {
        return channel >= 0 && channel < numChannels && (channel < numTracks || channel >= 24);
    }

    /** The row for a tape position: seconds since the zero point x 100, truncated, limited
        to the lane (0 before the zero point). */
    static int getRow (double secondsSinceZero, int laneLength) noexcept;

    /** How many rows one block's write covers: 1 while the tape stands, otherwise the rows
        the tape passes in the block plus two of margin. */
    static int getStep (bool rolling, double tapeSpeed, int bufferLength, double sampleRate) noexcept;

    /** Writes value at row and the step - 1 rows after it (forward) or before it (backward);
        rows outside the lane are skipped. Marks the lanes as holding data. */
    static void writeRows (juce::AudioBuffer<float>& lanes, int channel, float value, int row, int step,
                           bool forward) noexcept;
};
