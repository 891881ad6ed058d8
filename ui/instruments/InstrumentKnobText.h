#pragma once

#include <juce_core/juce_core.h>

#include <cmath>

/** The value text of an instrument editor's knob, chosen by the knob's unit suffix. */
inline juce::String formatKnobValue (const juce::String& suffix, double value)
{
    const auto nearest = [] (double v) { return (int)std::nearbyint (v); };
    const auto signedWhole = [&] (double v)
    {
        const auto n = nearest (v);
        return (n > 0 ? "+" : "") + juce::String (n);
    };

    if (suffix == " oct")
        return signedWhole (value);
    if (suffix == " st" || suffix == " ct")
        return signedWhole (value) + suffix;
    if (suffix == " ms")
        return value >= 1000.0 ? juce::String (value / 1000.0, 1) + " s" : juce::String (nearest (value)) + " ms";
    if (suffix == " Hz")
    {
        if (value >= 1000.0)
            return juce::String (value / 1000.0, 1) + " kHz";
        if (value < 10.0)
            return juce::String (value, 1) + " Hz";
        return juce::String (nearest (value)) + " Hz";
    }
    return juce::String (value, 1) + suffix;
}
