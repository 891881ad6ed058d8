#include "resources/tools/LookPainting.h"

#include <cmath>

namespace LookPainting
{
juce::Image reel()
{
    constexpr float size = 600.0f, c = 300.0f, pi = juce::MathConstants<float>::pi;
    juce::Image image (juce::Image::ARGB, 600, 600, true);
    juce::Graphics g (image);

    // The flange with three windows cut out (even-odd fill leaves them transparent), so the
    // tape pack drawn beneath shows through.
    juce::Path windows;

    for (int i = 0; i < 3; ++i)
    {
        const float mid = (float)i * 2.0f * pi / 3.0f + pi / 3.0f;
        const float half = 0.72f;
        juce::Path w;
        w.addCentredArc (c, c, 262.0f, 262.0f, 0.0f, mid - half, mid + half, true);
        w.addCentredArc (c, c, 82.0f, 82.0f, 0.0f, mid + half * 0.62f, mid - half * 0.62f, false);
        w.closeSubPath();
        windows.addPath (w.createPathWithRoundedCorners (26.0f));
    }

    juce::Path flange;
    flange.addEllipse (0.0f, 0.0f, size, size);
    flange.addPath (windows);
    flange.setUsingNonZeroWinding (false);

    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (flange);
        g.setOpacity (1.0f);
        g.drawImageAt (spunMetal (600, juce::Colour (0xffb9bcbf), 14.0f, 71), 0, 0);

        // A slight dish toward the rim, and a rolled outer edge.
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.0f), c, c, juce::Colours::black.withAlpha (0.22f),
                                                 c + 300.0f, c, true));
        g.fillEllipse (0.0f, 0.0f, size, size);
    }

    g.setColour (juce::Colours::white.withAlpha (0.5f));
    g.drawEllipse (3.0f, 3.0f, size - 6.0f, size - 6.0f, 3.0f);
    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.drawEllipse (0.8f, 0.8f, size - 1.6f, size - 1.6f, 1.6f);
    g.setColour (juce::Colours::black.withAlpha (0.25f));
    g.drawEllipse (14.0f, 14.0f, size - 28.0f, size - 28.0f, 1.2f);

    // Machined window edges: a dark cut on the side away from the light, a bright one toward it.
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.strokePath (windows, juce::PathStrokeType (5.0f), juce::AffineTransform::translation (1.5f, 2.0f));
    g.setColour (juce::Colours::white.withAlpha (0.45f));
    g.strokePath (windows, juce::PathStrokeType (2.0f), juce::AffineTransform::translation (-1.0f, -1.0f));
    g.setColour (juce::Colour (0xff4a4c4f));
    g.strokePath (windows, juce::PathStrokeType (1.2f));

    // Hub: a raised boss with three drive slots around the spindle hole.
    const auto boss = juce::Rectangle<float> (150.0f, 150.0f).withCentre ({c, c});
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.fillEllipse (boss.translated (3.0f, 5.0f).expanded (3.0f));
    g.setOpacity (1.0f);
    g.drawImageAt (spunMetal (150, juce::Colour (0xffa9adb2), 10.0f, 72), (int)boss.getX(), (int)boss.getY());
    g.setColour (juce::Colours::white.withAlpha (0.5f));
    g.drawEllipse (boss.reduced (1.5f), 2.0f);
    g.setColour (juce::Colours::black.withAlpha (0.4f));
    g.drawEllipse (boss.reduced (22.0f), 1.2f);

    for (int i = 0; i < 3; ++i)
    {
        const float a = (float)i * 2.0f * pi / 3.0f;
        juce::Path slot;
        slot.addRoundedRectangle (c - 7.0f, c - 52.0f, 14.0f, 26.0f, 5.0f);
        slot.applyTransform (juce::AffineTransform::rotation (a, c, c));
        g.setColour (juce::Colour (0xff1b1b1d));
        g.fillPath (slot);
        g.setColour (juce::Colours::white.withAlpha (0.3f));
        g.strokePath (slot, juce::PathStrokeType (1.0f), juce::AffineTransform::translation (0.8f, 1.0f));
    }

    for (int i = 0; i < 3; ++i)
    {
        const float a = (float)i * 2.0f * pi / 3.0f + pi / 3.0f;
        screw (g, {c + std::sin (a) * 56.0f, c - std::cos (a) * 56.0f}, 7.5f, a * 1.7f, true);
    }

    const auto spindle = juce::Rectangle<float> (38.0f, 38.0f).withCentre ({c, c});
    g.setColour (juce::Colour (0xff101010));
    g.fillEllipse (spindle);
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.drawEllipse (spindle.expanded (1.5f), 1.5f);

    // The maker's mark on one spoke.
    {
        juce::Graphics::ScopedSaveState state (g);
        g.addTransform (juce::AffineTransform::rotation (0.0f, c, c));
        engrave (g, "VELMORA", juce::Rectangle<float> (c - 60.0f, 178.0f, 120.0f, 22.0f), condensedFont (17.0f),
                 juce::Colour (0xff3c3f44));
        engrave (g, "1/2\" PRECISION", juce::Rectangle<float> (c - 70.0f, 200.0f, 140.0f, 16.0f), condensedFont (11.0f, false),
                 juce::Colour (0xff45484d));
    }

    return image;
}
} // namespace LookPainting
