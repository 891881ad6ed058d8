#include "ui/looks/DetentedSlider.h"

#include <cmath>

double DetentedSlider::applyDetents (double value, bool ctrlHeld) noexcept
{
    if (ctrlHeld)
        return std::round (value * 10.0) / 10.0;

    if (value > 0.96 && value < 1.04)
        return 1.0;

    return value;
}

void DetentedSlider::mouseDrag (const juce::MouseEvent& e)
{
    if (isEnabled())
        juce::Slider::mouseDrag (e);

    if (getThumbBeingDragged() < 0)
        return;

    const double value = getValue();
    double snapped = value;

    if (snapValue)
        snapped = snapValue (value);

    if (snapped == value)
        snapped = applyDetents (value, e.mods.isCtrlDown());

    // Notified, so the parameter behind the knob gets the snapped value, not the raw one.
    if (snapped != value)
        setValue (snapped, juce::sendNotificationSync);
}
