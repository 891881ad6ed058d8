#include "resources/tools/LookPainting.h"

#include <cmath>

namespace LookPainting
{
namespace
{
constexpr float pi = juce::MathConstants<float>::pi;

// The framework's default rotary travel, which every knob of the program keeps: 7 o'clock to
// 5 o'clock through 12, clockwise from 12 o'clock.
constexpr float knobStart = 1.2f * pi;
constexpr float knobEnd = 2.8f * pi;

juce::Colour knobBase (KnobColour colour)
{
    switch (colour)
    {
        case KnobColour::beige: return juce::Colour (0xffc9b38a);
        case KnobColour::greyGreen: return juce::Colour (0xff8c9c88);
        case KnobColour::cream: break;
    }

    return juce::Colour (0xffeee3c8);
}

juce::Point<float> polar (juce::Point<float> c, float radius, float angle)
{
    return {c.x + std::sin (angle) * radius, c.y - std::cos (angle) * radius};
}
} // namespace

juce::Image knobFrame (KnobColour colour, float proportion, int size)
{
    juce::Image image (juce::Image::ARGB, size, size, true);
    juce::Graphics g (image);
    const float s = (float)size / 128.0f;
    g.addTransform (juce::AffineTransform::scale (s));

    const juce::Point<float> c (64.0f, 64.0f);
    const float angle = knobStart + proportion * (knobEnd - knobStart);
    const auto base = knobBase (colour);

    // Shadow on the panel, light from the upper left.
    juce::Path body;
    body.addEllipse (juce::Rectangle<float> (100.0f, 100.0f).withCentre (c));
    softShadow (g, body, {2.5f, 4.0f}, 5.0f, 0.55f);

    // Black skirt with a fine scale ring, then the coloured cap with its knurled side.
    const auto skirt = juce::Rectangle<float> (100.0f, 100.0f).withCentre (c);
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff3c3c3c), skirt.getX(), skirt.getY(), juce::Colour (0xff0c0c0c),
                                             skirt.getRight(), skirt.getBottom(), false));
    g.fillEllipse (skirt);
    g.setColour (juce::Colours::white.withAlpha (0.18f));
    g.drawEllipse (skirt.reduced (0.8f), 1.2f);

    // Pointer line on the skirt, turning with the knob.
    g.setColour (juce::Colour (0xfff4efe2));
    g.drawLine (juce::Line<float> (polar (c, 42.0f, angle), polar (c, 49.0f, angle)), 3.2f);

    const auto side = juce::Rectangle<float> (80.0f, 80.0f).withCentre (c);
    g.setGradientFill (juce::ColourGradient (base.brighter (0.15f), side.getX(), side.getY(), base.darker (0.9f),
                                             side.getRight(), side.getBottom(), false));
    g.fillEllipse (side);

    // Knurls: thin ridges around the side that turn with the knob.
    for (int i = 0; i < 48; ++i)
    {
        const float a = angle + (float)i / 48.0f * 2.0f * pi;
        const float light = 0.5f + 0.5f * std::cos (a - (-0.8f)); // facing the light or not
        g.setColour (juce::Colours::black.withAlpha (0.18f + 0.12f * (1.0f - light)));
        g.drawLine (juce::Line<float> (polar (c, 34.5f, a), polar (c, 39.5f, a)), 1.3f);
        g.setColour (juce::Colours::white.withAlpha (0.10f * light));
        g.drawLine (juce::Line<float> (polar (c, 34.5f, a + 0.04f), polar (c, 39.5f, a + 0.04f)), 0.8f);
    }

    // Domed top.
    const auto top = juce::Rectangle<float> (66.0f, 66.0f).withCentre (c);
    g.setColour (base.darker (0.5f));
    g.fillEllipse (top.expanded (1.2f));
    juce::ColourGradient dome (base.brighter (0.35f), c.x - 12.0f, c.y - 14.0f, base.darker (0.25f), c.x + 30.0f,
                               c.y + 30.0f, true);
    dome.addColour (0.55, base);
    g.setGradientFill (dome);
    g.fillEllipse (top);

    // Engraved pointer on the top.
    const auto from = polar (c, 8.0f, angle), to = polar (c, 30.0f, angle);
    g.setColour (juce::Colours::white.withAlpha (0.45f));
    g.drawLine (juce::Line<float> (from, to).withShortenedStart (0.0f), 4.2f);
    g.setColour (juce::Colour (0xff1d1a16));
    g.drawLine (juce::Line<float> (from.translated (-0.4f, -0.6f), to.translated (-0.4f, -0.6f)), 3.4f);

    // Fixed highlight: the room's light does not turn with the knob.
    juce::ColourGradient glint (juce::Colours::white.withAlpha (0.55f), c.x - 14.0f, c.y - 18.0f,
                                juce::Colours::white.withAlpha (0.0f), c.x - 14.0f + 22.0f, c.y - 18.0f + 18.0f, true);
    g.setGradientFill (glint);
    g.fillEllipse (top.reduced (3.0f));

    return image;
}

juce::Image knobStrip (KnobColour colour)
{
    juce::Image strip (juce::Image::ARGB, 128, 128 * 128, true);
    juce::Graphics g (strip);

    for (int k = 0; k < 128; ++k)
        g.drawImageAt (knobFrame (colour, (float)k / 127.0f), 0, k * 128);

    return strip;
}

juce::Image faderCap()
{
    juce::Image image (juce::Image::ARGB, 90, 136, true);
    juce::Graphics g (image);
    const auto cream = juce::Colour (0xffeee4cc);

    juce::Path body;
    body.addRoundedRectangle (14.0f, 6.0f, 62.0f, 122.0f, 7.0f);
    softShadow (g, body, {2.0f, 4.0f}, 5.0f, 0.6f);

    // Sides in shade, top face lit: a cap seen from above and a little in front.
    g.setColour (cream.darker (0.9f));
    g.fillPath (body);
    g.setGradientFill (juce::ColourGradient (cream.brighter (0.1f), 14.0f, 0.0f, cream.darker (0.35f), 76.0f, 0.0f, false));
    g.fillRoundedRectangle (16.0f, 7.0f, 58.0f, 117.0f, 6.0f);

    // Two concave grip fields of ridges, each ridge lit on its upper edge.
    for (int half = 0; half < 2; ++half)
        for (int i = 0; i < 8; ++i)
        {
            const float y = half == 0 ? 14.0f + (float)i * 6.0f : 78.0f + (float)i * 6.0f;
            g.setColour (juce::Colours::black.withAlpha (0.22f));
            g.fillRect (20.0f, y + 2.5f, 50.0f, 1.6f);
            g.setColour (juce::Colours::white.withAlpha (0.55f));
            g.fillRect (20.0f, y + 1.2f, 50.0f, 1.2f);
        }

    // Centre line across the cap.
    g.setColour (juce::Colour (0xff181818));
    g.fillRect (16.0f, 65.0f, 58.0f, 4.0f);
    g.setColour (juce::Colours::white.withAlpha (0.8f));
    g.fillRect (16.0f, 69.0f, 58.0f, 1.0f);

    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.drawRoundedRectangle (14.5f, 6.5f, 61.0f, 121.0f, 7.0f, 1.0f);
    return image;
}

juce::Image sliderThumb()
{
    juce::Image image (juce::Image::ARGB, 50, 50, true);
    juce::Graphics g (image);

    juce::Path body;
    body.addRoundedRectangle (7.0f, 5.0f, 36.0f, 38.0f, 4.0f);
    softShadow (g, body, {1.5f, 3.0f}, 3.0f, 0.6f);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff6a6a6a), 7.0f, 5.0f, juce::Colour (0xff1e1e1e), 43.0f, 43.0f, false));
    g.fillPath (body);
    g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xff555555), 7.0f, juce::Colour (0xff2a2a2a), 41.0f));
    g.fillRoundedRectangle (9.0f, 7.0f, 32.0f, 32.0f, 3.0f);

    for (int i = 0; i < 5; ++i)
    {
        const float x = 14.0f + (float)i * 5.5f;
        g.setColour (juce::Colours::black.withAlpha (0.55f));
        g.fillRect (x + 1.0f, 11.0f, 1.5f, 24.0f);
        g.setColour (juce::Colours::white.withAlpha (0.22f));
        g.fillRect (x, 11.0f, 1.0f, 24.0f);
    }

    g.setColour (juce::Colour (0xfff0e6cc));
    g.fillRect (24.0f, 8.0f, 2.0f, 30.0f);
    return image;
}

juce::Image panelButton (bool lit)
{
    juce::Image image (juce::Image::ARGB, 96, 60, true);
    juce::Graphics g (image);

    // Black anodised frame with a bevel, and a warm grey key face inside it.
    g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xff3a3a3a), 0.0f, juce::Colour (0xff101010), 60.0f));
    g.fillRoundedRectangle (0.0f, 0.0f, 96.0f, 60.0f, 5.0f);
    g.setColour (juce::Colours::white.withAlpha (0.16f));
    g.drawRoundedRectangle (0.5f, 0.5f, 95.0f, 59.0f, 5.0f, 1.0f);
    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (5.0f, 5.0f, 86.0f, 50.0f, 3.5f);

    const auto face = lit ? juce::Colour (0xffd9d2c2) : juce::Colour (0xffc4bdb0);
    const float sink = lit ? 1.0f : 0.0f;
    g.setColour (face.darker (0.7f));
    g.fillRoundedRectangle (7.0f, 8.0f + sink, 82.0f, 45.0f - sink, 3.0f);
    g.setGradientFill (juce::ColourGradient::vertical (face.brighter (0.12f), 6.0f, face.darker (0.12f), 50.0f));
    g.fillRoundedRectangle (7.0f, 6.0f + sink, 82.0f, 43.0f, 3.0f);
    g.setColour (juce::Colours::white.withAlpha (0.5f));
    g.drawLine (9.0f, 7.0f + sink, 87.0f, 7.0f + sink, 1.0f);

    // Two LEDs in the top corners of the face: white and blue.
    const juce::Colour ledColours[] = {juce::Colour (0xfffdfbf2), juce::Colour (0xff3aa0ff)};
    const float ledX[] = {14.0f, 82.0f};

    for (int i = 0; i < 2; ++i)
    {
        const juce::Point<float> c (ledX[i], 13.0f + sink);
        g.setColour (juce::Colour (0xff1a1a1a));
        g.fillEllipse (juce::Rectangle<float> (8.0f, 8.0f).withCentre (c));

        if (lit)
        {
            g.setGradientFill (juce::ColourGradient (ledColours[i].withAlpha (0.6f), c.x, c.y, ledColours[i].withAlpha (0.0f),
                                                     c.x + 9.0f, c.y, true));
            g.fillEllipse (juce::Rectangle<float> (18.0f, 18.0f).withCentre (c));
            g.setColour (ledColours[i]);
            g.fillEllipse (juce::Rectangle<float> (5.5f, 5.5f).withCentre (c));
            g.setColour (juce::Colours::white);
            g.fillEllipse (juce::Rectangle<float> (2.0f, 2.0f).withCentre (c.translated (-0.8f, -0.8f)));
        }
        else
        {
            g.setColour (ledColours[i].darker (2.2f).withSaturation (0.3f));
            g.fillEllipse (juce::Rectangle<float> (5.5f, 5.5f).withCentre (c));
            g.setColour (juce::Colours::white.withAlpha (0.3f));
            g.fillEllipse (juce::Rectangle<float> (1.6f, 1.6f).withCentre (c.translated (-1.0f, -1.0f)));
        }
    }

    return image;
}

juce::Image transportCap (LookImageId id)
{
    const bool lit = id == LookImageId::playCapLit || id == LookImageId::stopCapLit || id == LookImageId::recCapLit
                     || id == LookImageId::rewCapLit || id == LookImageId::ffCapLit || id == LookImageId::rtzCapLit
                     || id == LookImageId::zeroCapLit;
    const bool rec = id == LookImageId::recCap || id == LookImageId::recCapLit;

    juce::Image image (juce::Image::ARGB, 100, 70, true);
    juce::Graphics g (image);

    // A chunky piano-key cap: dark well, key side, and its face (sunk a little when lit).
    g.setColour (juce::Colour (0xff0b0b0b));
    g.fillRoundedRectangle (0.0f, 0.0f, 100.0f, 70.0f, 7.0f);

    juce::Colour face;

    if (rec)
        face = lit ? juce::Colour (0xffff3b2a) : juce::Colour (0xff7a1a14);
    else
        face = lit ? juce::Colour (0xfffff0cf) : juce::Colour (0xff9a9892);

    const float sink = lit ? 3.0f : 0.0f;
    g.setColour (face.darker (1.4f));
    g.fillRoundedRectangle (4.0f, 8.0f + sink, 92.0f, 58.0f - sink, 6.0f);
    const juce::Rectangle<float> top (4.0f, 3.0f + sink, 92.0f, 56.0f);
    g.setGradientFill (juce::ColourGradient::vertical (face.brighter (lit ? 0.05f : 0.25f), top.getY(),
                                                       face.darker (0.25f), top.getBottom()));
    g.fillRoundedRectangle (top, 6.0f);

    if (lit)
    {
        // Light from inside the key.
        juce::ColourGradient glow (juce::Colours::white.withAlpha (0.55f), top.getCentreX(), top.getCentreY(),
                                   juce::Colours::white.withAlpha (0.0f), top.getCentreX() + 46.0f, top.getCentreY(), true);
        g.setGradientFill (glow);
        g.fillRoundedRectangle (top, 6.0f);
    }

    g.setColour (juce::Colours::white.withAlpha (lit ? 0.7f : 0.45f));
    g.drawLine (top.getX() + 6.0f, top.getY() + 1.2f, top.getRight() - 6.0f, top.getY() + 1.2f, 1.4f);
    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.drawRoundedRectangle (top, 6.0f, 1.0f);

    const auto ink = rec ? (lit ? juce::Colour (0xffffffff) : juce::Colour (0xffe8c8c0))
                         : (lit ? juce::Colour (0xff2a1c08) : juce::Colour (0xff1a1a1a));
    const auto area = top.reduced (6.0f, 8.0f);

    auto chevrons = [&g, &area, ink] (bool right)
    {
        juce::Path p;
        const float cx = area.getCentreX(), cy = area.getCentreY();

        for (int i = 0; i < 2; ++i)
        {
            const float x0 = cx + (right ? -16.0f : 16.0f) + (right ? 1.0f : -1.0f) * (float)i * 15.0f;
            const float tip = x0 + (right ? 14.0f : -14.0f);
            p.addTriangle (x0, cy - 12.0f, tip, cy, x0, cy + 12.0f);
        }

        g.setColour (ink);
        g.fillPath (p);
    };

    switch (id)
    {
        case LookImageId::rewCap:
        case LookImageId::rewCapLit: chevrons (false); break;
        case LookImageId::ffCap:
        case LookImageId::ffCapLit: chevrons (true); break;
        default:
        {
            juce::String text = "PLAY";

            if (id == LookImageId::stopCap || id == LookImageId::stopCapLit)
                text = "STOP";
            else if (rec)
                text = "REC";
            else if (id == LookImageId::rtzCap || id == LookImageId::rtzCapLit)
                text = "RTZ";
            else if (id == LookImageId::zeroCap || id == LookImageId::zeroCapLit)
                text = "ZERO";

            engrave (g, text, area, condensedFont (24.0f), ink);
            break;
        }
    }

    return image;
}
} // namespace LookPainting
