#include "rack/EffectFaceplate.h"

namespace
{
// A fixed cache key of our own: the picture is drawn, not decoded from embedded bytes.
constexpr juce::int64 cacheKey = 0x4456384546505431LL;

void screw (juce::Graphics& g, float x, float y, float r)
{
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.fillEllipse (x - r - 2.0f, y - r - 1.0f, (r + 2.0f) * 2.0f, (r + 2.0f) * 2.0f);
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffe8e8e8), x - r, y - r, juce::Colour (0xff707070), x + r, y + r, false));
    g.fillEllipse (x - r, y - r, r * 2.0f, r * 2.0f);
    g.setColour (juce::Colour (0xff404040));
    g.drawLine (x - r * 0.7f, y - r * 0.7f, x + r * 0.7f, y + r * 0.7f, 3.0f);
    g.drawLine (x - r * 0.7f, y + r * 0.7f, x + r * 0.7f, y - r * 0.7f, 3.0f);
}
} // namespace

juce::Image EffectFaceplate::draw()
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    const float w = (float)width, h = (float)height;

    // Steel chassis brushed along x: a gradient with fine deterministic streaks.
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff9a9c9e), 0.0f, 0.0f, juce::Colour (0xff6e7072), 0.0f, h, false));
    g.fillAll();
    juce::Random random (0x5eed);
    for (int y = 0; y < height; y += 2)
    {
        g.setColour ((random.nextBool() ? juce::Colours::white : juce::Colours::black).withAlpha (random.nextFloat() * 0.05f));
        g.fillRect (0, y, width, 1 + random.nextInt (2));
    }

    // Rack ears with their slots and screws.
    for (float x : {0.0f, w - 110.0f})
    {
        g.setColour (juce::Colours::black.withAlpha (0.18f));
        g.fillRect (x, 0.0f, 110.0f, h);
        g.setColour (juce::Colours::white.withAlpha (0.12f));
        g.drawVerticalLine ((int)x + (x == 0.0f ? 109 : 0), 0.0f, h);
        for (float y : {120.0f, h - 120.0f})
        {
            g.setColour (juce::Colour (0xff1a1a1a));
            g.fillRoundedRectangle (x + 30.0f, y - 22.0f, 50.0f, 44.0f, 22.0f);
            screw (g, x + 55.0f, y, 16.0f);
        }
    }

    // The recessed panel the editor lays its controls in.
    const juce::Rectangle<float> panel (157.0f, 65.0f, 1626.0f, 837.0f);
    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.fillRoundedRectangle (panel.expanded (10.0f).translated (0.0f, 8.0f), 22.0f);
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff34302b), panel.getX(), panel.getY(), juce::Colour (0xff1b1916),
                                             panel.getX(), panel.getBottom(), false));
    g.fillRoundedRectangle (panel, 16.0f);
    for (int i = 0; i < 1600; ++i)
    {
        g.setColour (juce::Colours::white.withAlpha (random.nextFloat() * 0.05f));
        g.fillRect (panel.getX() + random.nextFloat() * panel.getWidth(), panel.getY() + random.nextFloat() * panel.getHeight(),
                    2.0f, 2.0f);
    }
    g.setColour (juce::Colours::white.withAlpha (0.16f));
    g.drawRoundedRectangle (panel.reduced (1.0f), 16.0f, 2.0f);
    g.setColour (juce::Colours::black.withAlpha (0.8f));
    g.drawRoundedRectangle (panel.expanded (3.0f), 18.0f, 5.0f);

    // Corner screws of the panel.
    for (auto p : {panel.getTopLeft() + juce::Point<float> (30, 30), panel.getTopRight() + juce::Point<float> (-30, 30),
                   panel.getBottomLeft() + juce::Point<float> (30, -30), panel.getBottomRight() + juce::Point<float> (-30, -30)})
        screw (g, p.x, p.y, 11.0f);

    // Ventilation slots along the chassis' lower edge.
    for (float x = 260.0f; x < w - 260.0f; x += 46.0f)
    {
        g.setColour (juce::Colour (0xff2a2a2a));
        g.fillRoundedRectangle (x, h - 52.0f, 28.0f, 12.0f, 6.0f);
    }
    return image;
}

juce::Image EffectFaceplate::get()
{
    auto image = juce::ImageCache::getFromHashCode (cacheKey);
    if (! image.isValid())
    {
        image = draw();
        juce::ImageCache::addImageToCache (image, cacheKey);
    }
    return image;
}
