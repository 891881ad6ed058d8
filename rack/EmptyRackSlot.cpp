#include "rack/EmptyRackSlot.h"

EmptyRackSlot::EmptyRackSlot (const juce::String& buttonText, std::function<void()> onClick) : RackUnit ("Empty")
{
    button.setButtonText (buttonText);
    button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
    button.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffb0a090));
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
    button.setLookAndFeel (&look.get());
    button.onClick = std::move (onClick);
    addAndMakeVisible (button);
}

EmptyRackSlot::~EmptyRackSlot()
{
    button.setLookAndFeel (nullptr);
}

void EmptyRackSlot::resized()
{
    button.setBounds (25, 5, juce::jmax (0, getWidth() - 50), juce::jmax (0, getHeight() - 10));
}
