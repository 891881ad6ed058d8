#pragma once

#include "ui/looks/RightClickSlider.h"

#include <functional>

/** The varispeed knob: while dragged it snaps, through snapValue when the owner set one, else
    to 1.0 near unity and, with Ctrl held, to tenths. */
class DetentedSlider : public RightClickSlider
{
public:
    DetentedSlider() = default;

    /** Maps a dragged value to a snapped one; a value it returns unchanged gets the built-in
        detents. */
    std::function<double (double)> snapValue;

    void mouseDrag (const juce::MouseEvent&) override;

    /** The built-in detents: Ctrl rounds to tenths (halves away from zero); otherwise values
        strictly between 0.96 and 1.04 become 1.0. */
    static double applyDetents (double value, bool ctrlHeld) noexcept;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DetentedSlider)
};
