#include "ui/deck/DeckControls.h"

#include "engine/TavrelDelayAudioProcessor.h"

#include <cfenv>
#include <cmath>

const double DeckControls::musicalRatios[numMusicalRatios] = {0.125, 0.166667, 0.2,      0.25, 0.333333, 0.5, 0.666667,
                                                              0.75,  1.0,      1.25,     1.333333, 1.5, 2.0};

const DeckControls::Brush DeckControls::brushes[5] = {
    {"Dropout", 1, "Brush: Dropout"},
    {"Crinkle", 4, "Brush: Crinkle"},
    {"Drag (Tension)", 5, "Brush: Drag"},
    {"Flutter", 3, "Brush: Flutter"},
    {"Splice (Razor)", 2, "Brush: Splice"},
};

namespace
{
struct IntervalLabel
{
    double ratio;
    const char* text;
};

const IntervalLabel intervalLabels[] = {
    {0.125, "1/8x (-3 Oct)"}, {0.25, "1/4x (-2 Oct)"}, {0.333, "1/3x (-P5 & -1 Oct)"}, {0.5, "1/2x (-1 Oct)"},
    {0.666, "2/3x (-P5)"},    {0.75, "3/4x (-P4)"},    {1.0, "1.0x (Normal)"},         {1.25, "5/4x (+M3)"},
    {1.333, "4/3x (+P4)"},    {1.5, "1.5x (+P5)"},     {2.0, "2.0x (+1 Oct)"},
};

juce::String twoDigits (juce::int64 value)
{
    return juce::String (value).paddedLeft ('0', 2);
}
} // namespace

double DeckControls::tapePositionSeconds (const TavrelDelayAudioProcessor& processor)
{
    // Track 1 is the deck's clock; a reel being rebuilt, or one without a rate, reads as the
    // start of the tape rather than as a division by zero.
    if (processor.tracks.empty())
        return 0.0;

    const auto& first = processor.tracks.front();
    if (! (first.sampleRate > 0.0))
        return 0.0;

    const double seconds = first.position / first.sampleRate;
    return std::isfinite (seconds) ? seconds : 0.0;
}

double DeckControls::counterSeconds (const TavrelDelayAudioProcessor& processor)
{
    const double seconds = tapePositionSeconds (processor) - processor.zeroOffset.load();
    return std::isfinite (seconds) ? seconds : 0.0;
}

double DeckControls::tapeLengthSeconds (const TavrelDelayAudioProcessor& processor)
{
    const double rate = processor.getSampleRate();
    if (rate > 0.0 && ! processor.tracks.empty())
        return (double) processor.tracks.front().audio.getNumSamples() / rate;
    return 600.0;
}

juce::String DeckControls::counterText (double seconds)
{
    if (! std::isfinite (seconds))
        seconds = 0.0;

    // Over a billion seconds the counter has nothing sensible to show; keep the integer safe.
    const double magnitude = juce::jmin (std::abs (seconds), 1.0e12);
    const auto whole = (juce::int64) magnitude;
    return (seconds < 0.0 ? "-" : "") + twoDigits (whole / 60) + ":" + twoDigits (whole % 60);
}

juce::String DeckControls::formatCounterEntry (const juce::String& typed)
{
    const bool negative = typed.containsChar ('-');
    auto digits = typed.retainCharacters ("0123456789");
    if (digits.length() > 4)
        digits = digits.getLastCharacters (4);

    if (digits.isNotEmpty())
    {
        const auto padded = digits.paddedLeft ('0', 4);
        return (negative ? "-" : "") + padded.substring (0, 2) + ":" + padded.substring (2);
    }

    if (negative && typed != "-")
        return "-";

    return typed;
}

bool DeckControls::parseCounterEntry (const juce::String& text, double& seconds)
{
    const auto s = text.trim();
    if (s.isEmpty())
        return false;

    if (! s.containsChar (':'))
    {
        seconds = s.getDoubleValue();
        if (! std::isfinite (seconds))
            seconds = 0.0;
        return true;
    }

    const auto minutes = s.upToFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();
    const auto secs = s.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();
    const double value = (double) std::llabs (minutes) * 60.0 + (double) secs;
    seconds = s.startsWithChar ('-') ? -value : value;
    return true;
}

double DeckControls::snapVarispeed (double value, bool musicalSnap)
{
    if (! musicalSnap)
        return value;

    double best = value;
    double bestDistance = 100.0;
    for (const double ratio : musicalRatios)
    {
        const double distance = std::abs (value - ratio);
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = ratio;
        }
    }
    return best;
}

juce::String DeckControls::varispeedText (double value, bool musicalSnap)
{
    if (musicalSnap)
        for (const auto& label : intervalLabels)
            if (std::abs (value - label.ratio) <= 0.01)
                return label.text;

    // Halves go to the even neighbour, as the default rounding mode does.
    return juce::String ((juce::int64) std::nearbyint (value * 100.0)) + "%";
}

juce::String DeckControls::masterVolumeText (double gain)
{
    if (! (gain > 0.001))
        return "-inf dB";

    const double decibels = juce::jmax (-100.0, 20.0 * std::log10 (gain));
    return juce::String (decibels, 1) + " dB";
}

juce::String DeckControls::formatText (int format)
{
    switch (format)
    {
        case 0: return "1\" MSTR";
        case 1: return "1/2\" STD";
        case 2: return "1/4\" HOME";
        case 3: return "CASSETTE";
        default: return "FORMAT";
    }
}

float DeckControls::nextFormatValue (float normalised)
{
    int index = (int) std::round (normalised * 3.0f) + 1;
    if (index > 3 || index < 0)
        index = 0;
    return (float) index / 3.0f;
}

int DeckControls::nextPageStart (int pageStart, int numTracks)
{
    const int next = pageStart + 8;
    return next < numTracks ? next : 0;
}

juce::String DeckControls::trackPageText (int pageStart, int numTracks)
{
    return "TRACKS " + juce::String (pageStart + 1) + "-" + juce::String (juce::jmin (numTracks, pageStart + 8));
}

juce::String DeckControls::saveButtonText (int slot)
{
    if (slot == 1)
        return "SAVE (AUTO-SAVE)";
    if (slot >= 2 && slot <= 4)
        return "SAVE (SLOT " + juce::String (slot) + ")";
    return "SAVE REEL";
}

juce::String DeckControls::brushButtonText (int value)
{
    for (const auto& brush : brushes)
        if (brush.value == value)
            return brush.buttonText;
    return {};
}
