#include "ui/looks/RightClickSlider.h"

RightClickSlider::RightClickSlider()
{
    setBufferedToImage (true);
}

juce::uint32 RightClickSlider::getMillisecondCounter() const
{
    return juce::Time::getMillisecondCounter();
}

void RightClickSlider::mouseDown (const juce::MouseEvent& e)
{
    const auto now = getMillisecondCounter();
    const auto previous = lastClickTime;
    lastClickTime = now;

    // Unsigned difference: the first press after start counts only while the counter is small.
    if (e.mods.isRightButtonDown() || now - previous < doublePressMs)
    {
        lastClickTime = 0;

        if (isDoubleClickReturnEnabled())
        {
            setValue (getDoubleClickReturnValue(), juce::sendNotificationAsync);
            return;
        }
    }

    juce::Slider::mouseDown (e);
}

void RightClickSlider::mouseDoubleClick (const juce::MouseEvent& e)
{
    if (isDoubleClickReturnEnabled())
        setValue (getDoubleClickReturnValue(), juce::sendNotificationAsync);
    else if (isEnabled())
        juce::Slider::mouseDoubleClick (e);
}
