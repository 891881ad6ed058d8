#include "lounge/LoungeTransportLook.h"

#include "lounge/LoungeIds.h"

void LoungeTransportLook::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                                bool highlighted, bool down)
{
    auto body = button.getLocalBounds().toFloat().reduced (1.0f);
    const auto pressed = down || button.getToggleState();

    // A dark well, then the key cap: lighter at the top, pushed in while down or latched.
    g.setColour (juce::Colour (0xff1a1a1a));
    g.fillRoundedRectangle (body, 3.0f);

    auto cap = body.reduced (2.0f).translated (0.0f, pressed ? 1.0f : 0.0f);
    const auto top = pressed ? juce::Colour (0xffb0b0b0) : juce::Colour (0xffe8e8e8);
    const auto bottom = pressed ? juce::Colour (0xff808080) : juce::Colour (0xff9a9a9a);
    g.setGradientFill (juce::ColourGradient (top.brighter (highlighted ? 0.1f : 0.0f), cap.getX(), cap.getY(),
                                             bottom, cap.getX(), cap.getBottom(), false));
    g.fillRoundedRectangle (cap, 2.0f);
    g.setColour (juce::Colour (0xff555555));
    g.drawRoundedRectangle (cap, 2.0f, 1.0f);
}

void LoungeTransportLook::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool down)
{
    const auto pressed = down || button.getToggleState();
    auto area = button.getLocalBounds().toFloat().reduced (4.0f).translated (0.0f, pressed ? 1.0f : 0.0f);
    const auto size = juce::jmin (area.getWidth(), area.getHeight()) * 0.55f;
    auto glyph = area.withSizeKeepingCentre (size, size);
    const auto id = button.getComponentID();

    g.setColour (button.getToggleState() ? juce::Colour (0xff2e7d32) : juce::Colour (0xff2a2a2a));

    const auto triangle = [&g] (juce::Rectangle<float> r, bool pointsRight)
    {
        juce::Path p;
        if (pointsRight)
            p.addTriangle (r.getX(), r.getY(), r.getRight(), r.getCentreY(), r.getX(), r.getBottom());
        else
            p.addTriangle (r.getRight(), r.getY(), r.getX(), r.getCentreY(), r.getRight(), r.getBottom());
        g.fillPath (p);
    };

    if (id == LoungeIds::playButtonId)
        triangle (glyph, true);
    else if (id == LoungeIds::stopButtonId)
        g.fillRect (glyph.reduced (size * 0.08f));
    else if (id == LoungeIds::ffButtonId || id == LoungeIds::rewButtonId)
    {
        const auto right = id == LoungeIds::ffButtonId;
        triangle (glyph.withWidth (size * 0.5f), right);
        triangle (glyph.withTrimmedLeft (size * 0.5f), right);
    }
    else if (id == LoungeIds::rtzButtonId)
    {
        g.fillRect (glyph.withWidth (size * 0.18f));
        triangle (glyph.withTrimmedLeft (size * 0.22f), false);
    }
    else
        LookAndFeel_V4::drawButtonText (g, button, false, down);
}
