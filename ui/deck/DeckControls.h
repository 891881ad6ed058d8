#pragma once

#include <juce_core/juce_core.h>

class TavrelDelayAudioProcessor;

/** The deck controls' texts and numbers, apart from the components that show them: the tape
    counter and its typed entry, the varispeed snap and names, the master fader's decibels, the
    tape formats, the console pages and the defect brushes. Also the deck's one time reference,
    track 1's position, read safely. */
struct DeckControls
{
    //==============================================================================
    // Time reference.

    /** Track 1's position in seconds; 0 when the reel has no track, its rate is not above 0 or
        the result is not a finite number. */
    static double tapePositionSeconds (const TavrelDelayAudioProcessor& processor);

    /** The counter time: the tape position relative to the zero point (finite, 0 on bad input). */
    static double counterSeconds (const TavrelDelayAudioProcessor& processor);

    /** The tape's length in seconds: track 1's samples at the processor's rate, 600 when there
        is no rate or no track. */
    static double tapeLengthSeconds (const TavrelDelayAudioProcessor& processor);

    //==============================================================================
    // Counter.

    /** "-" before negative times, then whole minutes and seconds, each at least two digits:
        00:00, -01:05, 123:09. A time that is not finite shows 00:00. */
    static juce::String counterText (double seconds);

    /** What the counter's editor shows for typed text: the last four digits as MM:SS, "-" kept
        in front. Returns the text unchanged when it needs no change. */
    static juce::String formatCounterEntry (const juce::String& typed);

    /** The counter time (seconds from the zero point) of committed text: plain seconds, or
        minutes ":" seconds (seconds not limited to 59); text that is no number reads as 0.
        False for empty text (nothing to do). */
    static bool parseCounterEntry (const juce::String& text, double& seconds);

    //==============================================================================
    // Varispeed, master fader, format, pages.

    static constexpr int numMusicalRatios = 13;
    static const double musicalRatios[numMusicalRatios];

    /** Nearest musical ratio when snapping is on (the smaller of two equally near), else value. */
    static double snapVarispeed (double value, bool musicalSnap);

    /** The interval's name near a labelled ratio with snapping on, else the whole percentage. */
    static juce::String varispeedText (double value, bool musicalSnap);

    /** "-inf dB" at or below 0.001, else the gain in dB (not below -100) with one decimal. */
    static juce::String masterVolumeText (double gain);

    /** The format display's text for "FORMAT" 0..3; "FORMAT" for anything else. */
    static juce::String formatText (int format);

    /** The normalised "FORMAT" value after the one given: the next of the four, wrapping. */
    static float nextFormatValue (float normalised);

    /** The first track of the console page after the one starting at pageStart. */
    static int nextPageStart (int pageStart, int numTracks);

    /** "TRACKS 1-8" and so on. */
    static juce::String trackPageText (int pageStart, int numTracks);

    /** The SAVE button's text for the slot the reel runs on. */
    static juce::String saveButtonText (int slot);

    //==============================================================================
    // Defect brushes.

    struct Brush
    {
        const char* menuText;
        int value;
        const char* buttonText;
    };

    /** In menu order: Dropout, Crinkle, Drag (Tension), Flutter, Splice (Razor). */
    static const Brush brushes[5];

    /** The brush button's text for a brush value; empty for none. */
    static juce::String brushButtonText (int value);
};
