#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Drawing rules shared by the look-and-feels and the control looks. */
namespace LookDrawing
{
/** HSL lightness, (largest channel + smallest channel) / 2 / 255. */
float lightness (juce::Colour colour) noexcept;

/** True when the component is the control MIDI learn waits for: its nearest enclosing
    processor editor edits a TavrelDelayAudioProcessor whose learn flag is set and whose
    learn target is the component's ID. */
bool isMidiLearnTarget (const juce::Component& component);

/** True when the component has an ancestor of the given type. */
template <typename Type> bool hasAncestor (const juce::Component& component)
{
    return component.findParentComponentOfClass<Type>() != nullptr;
}

/** A raised key of colour c on a body: see the control looks. Pressed (or on), the face sinks
    to y = pressedTop and gets an outline of the given colour and thickness. */
struct RaisedKey
{
    juce::Colour body;
    float pressedTop = 3.0f;
    juce::Colour pressedOutline;
    float pressedOutlineThickness = 1.0f;
};

void drawRaisedKey (juce::Graphics& g, float width, float height, juce::Colour c, bool down, const RaisedKey& key);

/** The text of a button drawn fitted into (2, y, w - 4, h - 4), y = 5 when pressed or on, else 1. */
void drawKeyText (juce::Graphics& g, juce::Button& button, const juce::Font& font, juce::Colour colour, bool down,
                  int maxLines);
} // namespace LookDrawing
