#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** Writes a whole metronome tape: a click on every step of a tempo grid whose first bar
    starts at the reel's zero point, with a high click on the first beat of a bar, a lower
    one on the other beats and the lowest on the steps between beats.

    Plain functions on plain data, so that the grid can be checked without a processor. */
class ClickTrackRenderer
{
public:
    /** Tempo and signature as the click uses them. */
    struct Tempo
    {
        double bpm = 120.0;
        int beatsPerBar = 4;
        int beatUnit = 4;
    };

    static constexpr double minimumBpm = 20.0;
    static constexpr double maximumBpm = 300.0;

    /** The sounds of the three kinds of click. */
    enum Sound
    {
        barSound = 0,
        beatSound = 1,
        subdivisionSound = 2
    };

    /** The tempo limited to what the click can render: 20 to 300 BPM (120 for a value that
        is not a number) and at least 1 beat per bar and 1 as the beat unit. Reels and settings
        boxes may hold anything, and a zero here would make the grid divide by zero. */
    static Tempo clampTempo (double bpm, int beatsPerBar, int beatUnit) noexcept;

    /** Length of one click in samples: 50 ms. */
    static int getClickLength (double sampleRate) noexcept;

    /** One click of a kind at a rate: a decaying sine of 1600 Hz at 2.0 for the bar, 800 Hz
        at 1.5 for the beat, 600 Hz at 0.8 for the subdivision. */
    static std::vector<float> makeClickSound (Sound sound, double sampleRate);

    /** Fills the tape with clicks (clearing it first). subdivision 0 clicks on the beats,
        1 on eighths of a beat, 2 on sixteenths. The tape stays silent when the rate or the
        tempo cannot give a grid (a rate, tempo, beat unit or bar of 0 or less, or steps
        shorter than a sample); the render never divides by zero and always ends. */
    static void render (float* tape, juce::int64 tapeLength, double sampleRate, const Tempo& tempo, int subdivision,
                        double zeroOffsetSeconds);

    /** Which click sounds at sample offset b after the zero point on a grid of that many
        samples per bar, beat and step (all above 0). */
    static Sound classifyStep (juce::int64 offsetFromZero, juce::int64 barSamples, juce::int64 beatSamples,
                               juce::int64 stepSamples) noexcept;
};
