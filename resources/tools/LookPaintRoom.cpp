#include "resources/tools/LookPainting.h"

#include <cmath>

namespace LookPainting
{
namespace
{
const juce::Colour boxColours[] = {juce::Colour (0xffb8322a), juce::Colour (0xff2c5d8f), juce::Colour (0xffe6e0d2),
                                   juce::Colour (0xff2a2a2c), juce::Colour (0xff8a5530), juce::Colour (0xff3f6b4a),
                                   juce::Colour (0xffd0782c), juce::Colour (0xffc9b98f)};

juce::Colour pick (Noise& noise)
{
    return boxColours[(int)(noise.next() * 7.99f)].withMultipliedBrightness (0.8f + noise.next() * 0.25f);
}

/** The printed reel on a tape box: flange, hub and three windows. */
void reelMark (juce::Graphics& g, juce::Point<float> c, float r, juce::Colour ink)
{
    // A flange with three windows and a hub, printed in one ink.
    juce::Path mark;
    mark.addEllipse (juce::Rectangle<float> (r * 2.0f, r * 2.0f).withCentre (c));

    for (int i = 0; i < 3; ++i)
    {
        const float mid = (float)i * juce::MathConstants<float>::twoPi / 3.0f + juce::MathConstants<float>::pi / 3.0f;
        juce::Path window;
        window.addCentredArc (c.x, c.y, r * 0.82f, r * 0.82f, 0.0f, mid - 0.7f, mid + 0.7f, true);
        window.addCentredArc (c.x, c.y, r * 0.32f, r * 0.32f, 0.0f, mid + 0.45f, mid - 0.45f, false);
        window.closeSubPath();
        mark.addPath (window.createPathWithRoundedCorners (r * 0.08f));
    }

    mark.addEllipse (juce::Rectangle<float> (r * 0.2f, r * 0.2f).withCentre (c));
    mark.setUsingNonZeroWinding (false);
    g.setColour (ink);
    g.fillPath (mark);
}

/** A tape box standing on the shelf with its spine out: brand band, reel mark, a handwritten
    sticker with the session's name. */
void spine (juce::Graphics& g, juce::Rectangle<float> box, Noise& noise)
{
    const auto colour = pick (noise);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillRect (box.translated (2.5f, 0.0f));
    g.setGradientFill (juce::ColourGradient (colour.brighter (0.18f), box.getX(), 0.0f, colour.darker (0.5f), box.getRight(), 0.0f, false));
    g.fillRect (box);

    const auto band = box.withHeight (box.getHeight() * 0.16f).translated (0.0f, box.getHeight() * 0.05f);
    const auto bandColour = colour.getPerceivedBrightness() > 0.6f ? juce::Colour (0xff1d1d1f) : juce::Colour (0xffefe9dc);
    g.setColour (bandColour.withAlpha (0.85f));
    g.fillRect (band);
    reelMark (g, band.getCentre(), juce::jmin (band.getWidth(), band.getHeight()) * 0.3f, colour);

    const auto sticker = juce::Rectangle<float> (box.getX() + 3.0f, box.getY() + box.getHeight() * 0.3f, box.getWidth() - 6.0f,
                                                 box.getHeight() * (0.32f + noise.next() * 0.12f));
    g.setColour (juce::Colour (0xfff3eedf).withMultipliedBrightness (0.82f + noise.next() * 0.18f));
    g.fillRect (sticker);

    // Marker scrawl running down the sticker.
    juce::Path ink;
    float y = sticker.getY() + 5.0f;
    ink.startNewSubPath (sticker.getCentreX(), y);

    while (y < sticker.getBottom() - 6.0f)
    {
        y += 3.0f + noise.next() * 4.0f;
        ink.lineTo (sticker.getCentreX() + noise.nextSigned() * sticker.getWidth() * 0.22f, y);

        if (noise.next() < 0.15f)
        {
            y += 5.0f;
            ink.startNewSubPath (sticker.getCentreX(), y);
        }
    }

    g.setColour (juce::Colour (0xff1b1f4a).withAlpha (0.75f));
    g.strokePath (ink, juce::PathStrokeType (1.4f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    g.setColour (bandColour.withAlpha (0.6f));
    g.fillRect (box.getX(), box.getBottom() - box.getHeight() * 0.1f, box.getWidth(), 3.0f);
    g.setColour (juce::Colours::white.withAlpha (0.14f));
    g.drawLine (box.getX() + 0.8f, box.getY(), box.getX() + 0.8f, box.getBottom(), 1.0f);
}

/** A box turned to show its front, leaning on the back of the shelf. */
void boxFront (juce::Graphics& g, juce::Rectangle<float> box, Noise& noise)
{
    const auto colour = pick (noise);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillRect (box.translated (4.0f, 2.0f));
    g.setGradientFill (juce::ColourGradient (colour.brighter (0.15f), box.getX(), box.getY(), colour.darker (0.35f), box.getRight(),
                                             box.getBottom(), false));
    g.fillRect (box);
    const auto ink = colour.getPerceivedBrightness() > 0.6f ? juce::Colour (0xff2a2a2c) : juce::Colour (0xffefe9dc);
    reelMark (g, box.getCentre().translated (0.0f, -box.getHeight() * 0.08f), box.getWidth() * 0.3f, ink.withAlpha (0.8f));
    g.setColour (ink.withAlpha (0.8f));
    g.fillRect (box.getX() + box.getWidth() * 0.15f, box.getBottom() - box.getHeight() * 0.16f, box.getWidth() * 0.7f, 3.0f);
    g.setColour (juce::Colour (0xfff3eedf));
    g.fillRect (box.getX() + box.getWidth() * 0.2f, box.getY() + box.getHeight() * 0.06f, box.getWidth() * 0.6f, box.getHeight() * 0.1f);
}
} // namespace

juce::Image tapeRoomBackdrop()
{
    constexpr int width = 1536, height = 1024;
    juce::Image image (juce::Image::RGB, width, height, false);
    juce::Graphics g (image);
    Noise noise (101);

    // A tape library: dark wooden shelving units, wall to wall, full of tape boxes.
    g.drawImageAt (woodGrain (width, height, juce::Colour (0xff5a3a22), juce::Colour (0xff1e120a), 103), 0, 0);

    constexpr int shelves = 4;
    const float pitch = (float)height / (float)shelves;
    const float uprights[] = {0.0f, 512.0f, 1024.0f, (float)width};

    for (int s = 0; s < shelves; ++s)
    {
        const float floorY = pitch * (float)(s + 1) - 24.0f, top = floorY - pitch + 24.0f;

        g.setGradientFill (juce::ColourGradient::vertical (juce::Colours::black.withAlpha (0.7f), top, juce::Colours::black.withAlpha (0.35f), floorY));
        g.fillRect (0.0f, top, (float)width, floorY - top);

        for (int bay = 0; bay < 3; ++bay)
        {
            float x = uprights[bay] + 22.0f + noise.next() * 10.0f;
            const float end = uprights[bay + 1] - 22.0f;
            const float boxHeight = pitch * 0.74f;

            while (x < end - 30.0f)
            {
                const float r = noise.next();

                if (r < 0.05f && end - x > 200.0f)
                {
                    x += 40.0f + noise.next() * 50.0f; // a gap
                }
                else if (r < 0.10f && end - x > boxHeight + 10.0f)
                {
                    // One box turned face out, leaning back a little.
                    juce::Graphics::ScopedSaveState state (g);
                    g.addTransform (juce::AffineTransform::rotation (-0.06f, x, floorY));
                    boxFront (g, {x, floorY - boxHeight, boxHeight, boxHeight}, noise);
                    x += boxHeight + 6.0f;
                }
                else if (r < 0.15f && end - x > boxHeight + 10.0f)
                {
                    // A stack lying flat.
                    const int count = 3 + (int)(noise.next() * 4.0f);
                    const float thick = 20.0f;

                    for (int i = 0; i < count; ++i)
                    {
                        juce::Graphics::ScopedSaveState state (g);
                        const float shift = noise.nextSigned() * 6.0f;
                        g.addTransform (juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi, x + shift, floorY - (float)i * thick));
                        spine (g, {x + shift, floorY - (float)i * thick, thick, boxHeight}, noise);
                    }

                    x += boxHeight + 8.0f;
                }
                else
                {
                    const float w = 22.0f + noise.next() * 6.0f;
                    const bool lean = noise.next() < 0.05f;
                    juce::Graphics::ScopedSaveState state (g);

                    if (lean)
                        g.addTransform (juce::AffineTransform::rotation (0.14f, x + w, floorY));

                    spine (g, {x, floorY - boxHeight + noise.nextSigned() * 2.0f, w, boxHeight}, noise);
                    x += w + 1.0f + (lean ? 12.0f : 0.0f);
                }
            }
        }

        // The shelf board, lit on its front edge.
        const juce::Rectangle<float> board (0.0f, floorY, (float)width, 24.0f);
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xff7a5234), board.getY(), juce::Colour (0xff3a2414), board.getBottom()));
        g.fillRect (board);
        g.setColour (juce::Colours::white.withAlpha (0.18f));
        g.drawLine (0.0f, floorY + 1.0f, (float)width, floorY + 1.0f, 1.5f);
        g.setColour (juce::Colours::black.withAlpha (0.5f));
        g.fillRect (0.0f, floorY + 24.0f, (float)width, 8.0f);
    }

    // Uprights between the bays.
    for (const float x : {512.0f, 1024.0f})
    {
        const juce::Rectangle<float> post (x - 12.0f, 0.0f, 24.0f, (float)height);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xff6a4428), post.getX(), 0.0f, juce::Colour (0xff2a1a0e), post.getRight(), 0.0f, false));
        g.fillRect (post);
        g.setColour (juce::Colours::black.withAlpha (0.4f));
        g.fillRect (post.getRight(), 0.0f, 10.0f, (float)height);
    }

    // Warm light pooling from a lamp above the middle, falling off into the corners.
    g.setGradientFill (juce::ColourGradient (juce::Colour (0x48ffcf8a), width * 0.5f, -80.0f, juce::Colour (0x00000000),
                                             width * 0.5f, (float)height * 0.95f, true));
    g.fillRect (0, 0, width, height);
    g.setGradientFill (juce::ColourGradient (juce::Colour (0x00000000), width * 0.5f, height * 0.45f, juce::Colour (0x99000000),
                                             0.0f, 0.0f, true));
    g.fillRect (0, 0, width, height);
    return image;
}

juce::Image paint (LookImageId id)
{
    switch (id)
    {
        case LookImageId::knobStripDefault: return knobStrip (KnobColour::cream);
        case LookImageId::knobStripEq: return knobStrip (KnobColour::beige);
        case LookImageId::knobStripAuxPan: return knobStrip (KnobColour::greyGreen);
        case LookImageId::faderCap: return faderCap();
        case LookImageId::sliderThumb: return sliderThumb();
        case LookImageId::panelButton: return panelButton (false);
        case LookImageId::panelButtonLit: return panelButton (true);
        case LookImageId::reel: return reel();
        case LookImageId::dustCover: return dustCover();
        case LookImageId::deckArtwork: return deckArtwork();
        case LookImageId::maskingTape: return maskingTape();
        case LookImageId::tapeRoomBackdrop: return tapeRoomBackdrop();
        case LookImageId::instrumentBackground: return instrumentBackground();
        case LookImageId::count: return {};
        default: return transportCap (id);
    }
}
} // namespace LookPainting
