#include "resources/tools/LookPainting.h"

namespace LookPainting
{
juce::Image tapeRoomBackdrop()
{
    constexpr int width = 1536, height = 1024;
    juce::Image image (juce::Image::RGB, width, height, false);
    juce::Graphics g (image);
    Noise noise (101);

    // A tape library: dark wooden shelving, wall to wall, full of tape boxes.
    g.drawImageAt (woodGrain (width, height, juce::Colour (0xff5a3a22), juce::Colour (0xff1e120a), 103), 0, 0);

    const juce::Colour boxColours[] = {juce::Colour (0xffd9cdb0), juce::Colour (0xffc3732a), juce::Colour (0xff2f5f8a),
                                       juce::Colour (0xffe8e2d2), juce::Colour (0xff8a2f24), juce::Colour (0xff3d3f42),
                                       juce::Colour (0xffb99a5b), juce::Colour (0xff5f7f5a)};
    constexpr int shelves = 4;
    const float shelfPitch = (float)height / (float)shelves;

    for (int s = 0; s < shelves; ++s)
    {
        const float floorY = shelfPitch * (float)(s + 1) - 26.0f;

        // Back of the bay in shadow.
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colours::black.withAlpha (0.65f), floorY - shelfPitch + 26.0f,
                                                           juce::Colours::black.withAlpha (0.35f), floorY));
        g.fillRect (0.0f, floorY - shelfPitch + 26.0f, (float)width, shelfPitch - 26.0f);

        // Boxes standing on the shelf, spines out, now and then one leaning.
        float x = 8.0f + noise.next() * 20.0f;

        while (x < (float)width - 40.0f)
        {
            if (noise.next() < 0.06f)
            {
                x += 30.0f + noise.next() * 60.0f; // a gap
                continue;
            }

            const float w = 26.0f + noise.next() * 16.0f;
            const float h = shelfPitch * (0.66f + noise.next() * 0.16f);
            const auto colour = boxColours[(int)(noise.next() * 7.99f)].withMultipliedBrightness (0.75f + noise.next() * 0.3f);
            const float lean = noise.next() < 0.08f ? 0.12f + noise.next() * 0.1f : 0.0f;

            juce::Graphics::ScopedSaveState state (g);
            g.addTransform (juce::AffineTransform::rotation (lean, x + w, floorY));

            const juce::Rectangle<float> box (x, floorY - h, w, h);
            g.setColour (juce::Colours::black.withAlpha (0.45f));
            g.fillRect (box.translated (3.0f, 0.0f));
            g.setGradientFill (juce::ColourGradient (colour.brighter (0.15f), box.getX(), 0.0f, colour.darker (0.45f), box.getRight(), 0.0f, false));
            g.fillRect (box);

            // Spine label with a handwritten-looking title and a track-count stripe.
            const juce::Rectangle<float> label (box.getX() + 4.0f, box.getY() + h * 0.12f, w - 8.0f, h * 0.42f);
            g.setColour (juce::Colour (0xffefe9da).withMultipliedBrightness (0.85f + noise.next() * 0.15f));
            g.fillRect (label);

            for (float ly = label.getY() + 8.0f; ly < label.getBottom() - 6.0f; ly += 10.0f + noise.next() * 8.0f)
            {
                g.setColour (juce::Colour (0xff1b1b40).withAlpha (0.55f));
                g.drawLine (label.getCentreX() + noise.nextSigned() * 2.0f, ly, label.getCentreX() + noise.nextSigned() * 2.0f,
                            ly + 6.0f + noise.next() * 12.0f, 1.6f);
            }

            g.setColour (boxColours[(int)(noise.next() * 7.99f)]);
            g.fillRect (box.getX(), box.getBottom() - h * 0.18f, w, 6.0f);
            g.setColour (juce::Colours::white.withAlpha (0.12f));
            g.drawLine (box.getX() + 1.0f, box.getY(), box.getX() + 1.0f, box.getBottom(), 1.0f);

            x += w + 1.0f + (lean > 0.0f ? 8.0f : 0.0f);
        }

        // The shelf board itself, lit on its front edge.
        const juce::Rectangle<float> board (0.0f, floorY, (float)width, 26.0f);
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xff7a5234), board.getY(), juce::Colour (0xff3a2414), board.getBottom()));
        g.fillRect (board);
        g.setColour (juce::Colours::white.withAlpha (0.18f));
        g.drawLine (0.0f, floorY + 1.0f, (float)width, floorY + 1.0f, 1.5f);
        g.setColour (juce::Colours::black.withAlpha (0.5f));
        g.fillRect (0.0f, floorY + 26.0f, (float)width, 10.0f);
    }

    // Warm light pooling from a lamp above the middle, and falling off into the corners.
    g.setGradientFill (juce::ColourGradient (juce::Colour (0x40ffcf8a), width * 0.5f, -80.0f, juce::Colour (0x00000000),
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
        case LookImageId::count: return {};
        default: return transportCap (id);
    }
}
} // namespace LookPainting
