#include "resources/tools/LookPainting.h"

namespace LookPainting
{
juce::Image instrumentBackground()
{
    // A synthesizer cabinet: walnut end cheeks, a dark brushed-steel front panel where the
    // editors lay out their sections (from x 160 to 1760 and y 75 to 900), and metal trims.
    constexpr int width = 1920, height = 971;
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);

    g.drawImageAt (woodGrain (width, height, juce::Colour (0xff7a4a2a), juce::Colour (0xff2e1a0e), 71), 0, 0);

    // The front panel between the cheeks, lit a little from above.
    const juce::Rectangle<int> panel (118, 22, width - 236, height - 44);
    g.drawImageAt (brushedMetal (panel.getWidth(), panel.getHeight(), juce::Colour (0xff2a2b2e), 0.35f, 72),
                   panel.getX(), panel.getY());
    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.07f), 0.0f, (float)panel.getY(),
                                             juce::Colours::black.withAlpha (0.25f), 0.0f, (float)panel.getBottom(), false));
    g.fillRect (panel);
    speckle (image, panel, 0.04f, 73);

    // Shadows the cheeks cast on the panel, and the panel's bevel.
    for (int side = 0; side < 2; ++side)
    {
        const float x = side == 0 ? (float)panel.getX() : (float)panel.getRight() - 26.0f;
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (side == 0 ? 0.55f : 0.0f), x, 0.0f,
                                                 juce::Colours::black.withAlpha (side == 0 ? 0.0f : 0.55f), x + 26.0f, 0.0f, false));
        g.fillRect (x, (float)panel.getY(), 26.0f, (float)panel.getHeight());
    }
    g.setColour (juce::Colours::white.withAlpha (0.18f));
    g.drawHorizontalLine (panel.getY(), (float)panel.getX(), (float)panel.getRight());
    g.setColour (juce::Colours::black.withAlpha (0.7f));
    g.drawHorizontalLine (panel.getBottom() - 1, (float)panel.getX(), (float)panel.getRight());

    // Chrome trims along the top and bottom edges of the panel, with their screws.
    for (const float y : {(float)panel.getY() + 8.0f, (float)panel.getBottom() - 40.0f})
    {
        const juce::Rectangle<float> trim ((float)panel.getX() + 30.0f, y, (float)panel.getWidth() - 60.0f, 32.0f);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xffd8dadc), 0.0f, trim.getY(), juce::Colour (0xff6c6f73), 0.0f,
                                                 trim.getBottom(), false));
        g.fillRoundedRectangle (trim, 5.0f);
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.drawRoundedRectangle (trim, 5.0f, 1.5f);

        for (const float sx : {trim.getX() + 22.0f, trim.getCentreX(), trim.getRight() - 22.0f})
            screw (g, {sx, trim.getCentreY()}, 9.0f, sx * 0.013f);
    }

    // The recessed field the sections sit in: slightly darker, with a hairline edge.
    const juce::Rectangle<float> field (160.0f, 75.0f, 1600.0f, 825.0f);
    g.setColour (juce::Colours::black.withAlpha (0.22f));
    g.fillRoundedRectangle (field, 10.0f);
    g.setColour (juce::Colours::white.withAlpha (0.08f));
    g.drawRoundedRectangle (field.translated (0.0f, 1.5f), 10.0f, 1.5f);
    g.setColour (juce::Colours::black.withAlpha (0.55f));
    g.drawRoundedRectangle (field, 10.0f, 1.5f);

    // Brass screws holding the cheeks.
    for (const float x : {58.0f, (float)width - 58.0f})
        for (const float y : {120.0f, (float)height - 120.0f})
            screw (g, {x, y}, 13.0f, x * 0.01f + y * 0.003f, false);

    return image;
}
} // namespace LookPainting
