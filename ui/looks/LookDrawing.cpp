#include "ui/looks/LookDrawing.h"

#include "engine/TavrelDelayAudioProcessor.h"

namespace LookDrawing
{
float lightness (juce::Colour colour) noexcept
{
    const auto r = colour.getRed(), g = colour.getGreen(), b = colour.getBlue();
    const int largest = juce::jmax (r, g, b), smallest = juce::jmin (r, g, b);
    return (float)(largest + smallest) / 2.0f / 255.0f;
}

bool isMidiLearnTarget (const juce::Component& component)
{
    auto* editor = component.findParentComponentOfClass<juce::AudioProcessorEditor>();

    if (editor == nullptr)
        return false;

    auto* processor = dynamic_cast<TavrelDelayAudioProcessor*> (editor->getAudioProcessor());

    return processor != nullptr && processor->midiLearnArmed.load()
           && component.getComponentID().isNotEmpty() && processor->midiLearnTarget == component.getComponentID();
}

void drawRaisedKey (juce::Graphics& g, float width, float height, juce::Colour c, bool down, const RaisedKey& key)
{
    const float w = juce::jmax (0.0f, width - 4.0f), h = juce::jmax (0.0f, height - 4.0f);

    g.setColour (key.body);
    g.fillRoundedRectangle (0.0f, 0.0f, width, height, 4.0f);

    if (down)
    {
        const juce::Rectangle<float> face (2.0f, key.pressedTop, w, h);
        g.setColour (c.darker (0.2f));
        g.fillRoundedRectangle (face, 3.0f);
        g.setColour (key.pressedOutline);
        g.drawRoundedRectangle (face, 3.0f, key.pressedOutlineThickness);
        return;
    }

    g.setColour (c.darker (0.6f));
    g.fillRoundedRectangle (2.0f, 5.0f, w, h, 3.0f);

    const juce::Rectangle<float> face (2.0f, 1.0f, w, h);
    g.setGradientFill (juce::ColourGradient::vertical (c.brighter (0.1f), 1.0f, c.darker (0.1f), h + 1.0f));
    g.fillRoundedRectangle (face, 3.0f);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x4c));
    g.drawRoundedRectangle (face, 3.0f, 1.0f);
}

void drawKeyText (juce::Graphics& g, juce::Button& button, const juce::Font& font, juce::Colour colour, bool down,
                  int maxLines)
{
    g.setFont (font);
    g.setColour (colour);
    g.drawFittedText (button.getButtonText(), 2, down ? 5 : 1, button.getWidth() - 4, button.getHeight() - 4,
                      juce::Justification::centred, maxLines);
}
} // namespace LookDrawing
