#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The lock buttons of the keyboard strip and the musical keyboard window carry the padlock
    characters U+1F512 / U+1F513 as their text, which no font installed with the program draws:
    this look draws them as a padlock picture instead and leaves every other text to Base. */
namespace MusicalTypingPadlock
{
inline const juce::String& lockedText()
{
    static const juce::String text = juce::String::fromUTF8 ("\xf0\x9f\x94\x92");
    return text;
}

inline const juce::String& unlockedText()
{
    static const juce::String text = juce::String::fromUTF8 ("\xf0\x9f\x94\x93");
    return text;
}

/** A padlock filling about two thirds of the area's height, centred; open with its shackle
    lifted and swung to the right. */
inline void draw (juce::Graphics& g, juce::Rectangle<float> area, bool locked, juce::Colour colour)
{
    const float size = juce::jmin (area.getWidth(), area.getHeight()) * 0.66f;
    if (size < 4.0f)
        return;

    const float lift = locked ? 0.0f : size * 0.12f;
    const auto box = juce::Rectangle<float> (size * 0.8f, size).withCentre (area.getCentre().translated (0.0f, lift * 0.5f));
    const auto body = box.withTrimmedTop (size * 0.45f);
    const float shackleWidth = body.getWidth() * 0.62f;
    const float shift = locked ? 0.0f : body.getWidth() * 0.3f;

    juce::Path shackle;
    const float left = body.getCentreX() - shackleWidth * 0.5f + shift;
    const float top = box.getY() - lift;
    shackle.startNewSubPath (left, body.getY() - (locked ? 0.0f : lift));
    shackle.lineTo (left, top + shackleWidth * 0.5f);
    shackle.addCentredArc (left + shackleWidth * 0.5f, top + shackleWidth * 0.5f, shackleWidth * 0.5f,
                           shackleWidth * 0.5f, 0.0f, -juce::MathConstants<float>::halfPi,
                           juce::MathConstants<float>::halfPi);
    shackle.lineTo (left + shackleWidth, body.getY());

    g.setColour (colour);
    g.strokePath (shackle, juce::PathStrokeType (juce::jmax (1.2f, size * 0.11f)));
    g.fillRoundedRectangle (body, size * 0.08f);
    g.setColour (colour.contrasting (0.8f));
    g.fillEllipse (juce::Rectangle<float> (size * 0.14f, size * 0.14f).withCentre (body.getCentre()));
}
} // namespace MusicalTypingPadlock

template <typename Base>
class PadlockButtonLook : public Base
{
public:
    void drawButtonText (juce::Graphics& g, juce::TextButton& button, bool highlighted, bool down) override
    {
        const auto& text = button.getButtonText();
        const bool locked = text == MusicalTypingPadlock::lockedText();
        if (! locked && text != MusicalTypingPadlock::unlockedText())
        {
            Base::drawButtonText (g, button, highlighted, down);
            return;
        }

        const auto colourId = button.getToggleState() ? juce::TextButton::textColourOnId : juce::TextButton::textColourOffId;
        MusicalTypingPadlock::draw (g, button.getLocalBounds().toFloat().translated (0.0f, down ? 1.0f : 0.0f), locked,
                                    button.findColour (colourId));
    }
};
