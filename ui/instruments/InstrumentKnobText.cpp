#include "ui/instruments/InstrumentKnobText.h"

#include <cmath>

namespace
{
// Rounds half to even (the default floating-point rounding mode), so 2.5 reads 2 and 3.5 reads 4.
juce::String whole (double value)
{
    return juce::String ((juce::int64)std::nearbyint (value));
}

juce::String signedWhole (double value)
{
    return (value > 0.0 ? "+" : "") + whole (value);
}
} // namespace

juce::String formatKnobValue (const juce::String& suffix, double value)
{
    if (suffix == " oct")
        return signedWhole (value);

    if (suffix == " st" || suffix == " ct")
        return signedWhole (value) + suffix;

    if (suffix == " ms")
        return value >= 1000.0 ? juce::String (value / 1000.0, 1) + " s" : whole (value) + " ms";

    if (suffix == " Hz")
    {
        if (value >= 1000.0)
            return juce::String (value / 1000.0, 1) + " kHz";

        return value < 10.0 ? juce::String (value, 1) + " Hz" : whole (value) + " Hz";
    }

    return juce::String (value, 1) + suffix;
}
