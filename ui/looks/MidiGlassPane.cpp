#include "ui/looks/MidiGlassPane.h"

void MidiGlassPane::mouseDown (const juce::MouseEvent& e)
{
    if (onClick)
        onClick (e);
}
