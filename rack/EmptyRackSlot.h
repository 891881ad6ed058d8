#pragma once

#include "rack/RackUnit.h"
#include "ui/looks/RackButtonLook.h"

#include <functional>

/** A free rack position: one button that offers to load something into it. */
class EmptyRackSlot : public RackUnit
{
public:
    EmptyRackSlot (const juce::String& buttonText, std::function<void()> onClick);
    ~EmptyRackSlot() override;

    void resized() override;

    juce::TextButton button;
    juce::SharedResourcePointer<RackButtonLook> look;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EmptyRackSlot)
};
