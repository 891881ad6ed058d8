#pragma once

#include "ui/looks/RackButtonLook.h"

/** The rhythm machine's keys: the rack key face with small two-line text that stays vintage
    under the minimal look. */
class RhythmButtonLook : public RackButtonLook
{
public:
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted,
                         bool shouldDrawButtonAsDown) override;
};
