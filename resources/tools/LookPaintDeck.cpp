#include "resources/tools/LookPainting.h"

#include <cmath>

namespace LookPainting
{
namespace
{
// The deck is designed in units of a 1699 x 1133 panel; its pictures are 3000 x 2000.
constexpr float designWidth = 1699.0f, designHeight = 1133.0f;
constexpr float pictureWidth = 3000.0f, pictureHeight = 2000.0f;

juce::AffineTransform designToPicture()
{
    return juce::AffineTransform::scale (pictureWidth / designWidth, pictureHeight / designHeight);
}

/** Draws a picture-sized texture under the current design transform, pixel for pixel. */
void drawTexture (juce::Graphics& g, const juce::Image& texture, juce::Rectangle<float> designArea)
{
    const auto topLeft = designArea.getTopLeft().transformedBy (designToPicture());
    g.setOpacity (1.0f); // images take the opacity of the current colour
    g.drawImageTransformed (texture, juce::AffineTransform::translation (std::floor (topLeft.x), std::floor (topLeft.y))
                                         .followedBy (designToPicture().inverted()));
}

juce::Rectangle<int> pictureRect (juce::Rectangle<float> designArea)
{
    return designArea.transformedBy (designToPicture()).getSmallestIntegerContainer();
}

/** A metal plate: texture clipped to a rounded shape, a bevel and a soft drop shadow. */
void plate (juce::Graphics& g, juce::Rectangle<float> area, float corner, juce::Colour metal, float streak,
            juce::uint32 seed, float shadow = 0.5f)
{
    juce::Path shape;
    shape.addRoundedRectangle (area, corner);
    softShadow (g, shape, {2.0f, 4.0f}, 5.0f, shadow);

    const auto px = pictureRect (area);
    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (shape);
        drawTexture (g, brushedMetal (px.getWidth() + 2, px.getHeight() + 2, metal, streak, seed), area);

        // Light falls from above: a soft gradient over the plate.
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colours::white.withAlpha (0.10f), area.getY(),
                                                           juce::Colours::black.withAlpha (0.14f), area.getBottom()));
        g.fillRect (area);
    }

    g.setColour (juce::Colours::white.withAlpha (0.45f));
    g.drawRoundedRectangle (area.reduced (1.0f), corner, 1.2f);
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.drawRoundedRectangle (area, corner, 1.0f);
}

/** A recess cut into a plate: dark inside, lit on its lower lip, shaded under its upper edge. */
void recess (juce::Graphics& g, juce::Rectangle<float> area, float corner, juce::Colour inside)
{
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.fillRoundedRectangle (area.translated (0.0f, 1.2f), corner);
    g.setColour (inside);
    g.fillRoundedRectangle (area, corner);
    g.setGradientFill (juce::ColourGradient::vertical (juce::Colours::black.withAlpha (0.55f), area.getY(),
                                                       juce::Colours::black.withAlpha (0.0f), area.getY() + 10.0f));
    g.fillRoundedRectangle (area, corner);
    g.setColour (juce::Colours::black.withAlpha (0.7f));
    g.drawRoundedRectangle (area, corner, 1.0f);
}

void vents (juce::Graphics& g, juce::Rectangle<float> area, int count)
{
    const float pitch = area.getWidth() / (float)count;

    for (int i = 0; i < count; ++i)
        recess (g, juce::Rectangle<float> (area.getX() + (float)i * pitch + pitch * 0.3f, area.getY(), pitch * 0.4f,
                                           area.getHeight()),
                pitch * 0.2f, juce::Colour (0xff070707));
}
} // namespace

juce::Image deckArtwork()
{
    juce::Image image (juce::Image::RGB, (int)pictureWidth, (int)pictureHeight, false);
    juce::Graphics g (image);

    // The walnut cabinet everything sits in.
    g.drawImageAt (woodGrain ((int)pictureWidth, (int)pictureHeight, juce::Colour (0xff8a5a36), juce::Colour (0xff3b2214), 11), 0, 0);
    g.addTransform (designToPicture());
    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.08f), 850.0f, 0.0f, juce::Colours::black.withAlpha (0.35f),
                                             850.0f, designHeight, false));
    g.fillRect (0.0f, 0.0f, designWidth, designHeight);

    // Inner frame: a black trim between the wood and the machine.
    g.setColour (juce::Colour (0xff121212));
    g.fillRoundedRectangle (96.0f, 60.0f, 1512.0f, 1058.0f, 10.0f);
    g.setColour (juce::Colours::white.withAlpha (0.12f));
    g.drawRoundedRectangle (96.0f, 60.0f, 1512.0f, 1058.0f, 10.0f, 1.0f);

    // Console bay: dark anodised, the console sits in it.
    {
        const juce::Rectangle<float> bay (108.0f, 72.0f, 776.0f, 1040.0f);
        plate (g, bay, 8.0f, juce::Colour (0xff2c2d30), 5.0f, 21, 0.6f);
        recess (g, juce::Rectangle<float> (116.0f, 80.0f, 760.0f, 1026.0f), 6.0f, juce::Colour (0xff1d1e20));
    }

    // Transport plate, brushed aluminium.
    const juce::Rectangle<float> transport (886.0f, 72.0f, 716.0f, 906.0f);
    plate (g, transport, 12.0f, juce::Colour (0xffb4b7bb), 16.0f, 31);

    // Reel tables: rubber mats on machined platters under the reels.
    for (const float x : {1057.0f, 1427.0f})
    {
        const juce::Point<float> c (x, 225.0f);
        const auto platter = juce::Rectangle<float> (186.0f, 186.0f).withCentre (c);
        juce::Path p;
        p.addEllipse (platter);
        softShadow (g, p, {2.0f, 5.0f}, 6.0f, 0.55f);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xff9a9ea3), platter.getX(), platter.getY(), juce::Colour (0xff3d4044),
                                                 platter.getRight(), platter.getBottom(), false));
        g.fillEllipse (platter);
        g.setColour (juce::Colour (0xff151515));
        g.fillEllipse (platter.reduced (7.0f));

        for (int ring = 0; ring < 6; ++ring)
        {
            g.setColour (juce::Colours::white.withAlpha (0.035f));
            g.drawEllipse (platter.reduced (14.0f + (float)ring * 12.0f), 1.0f);
        }

        g.setColour (juce::Colours::white.withAlpha (0.4f));
        g.drawEllipse (platter.reduced (0.8f), 1.0f);
    }

    // Brand on the plate between the reels, under the format window.
    engrave (g, "DRAVIN 8", {1182.0f, 118.0f, 120.0f, 28.0f}, condensedFont (24.0f), juce::Colour (0xff26282b));
    engrave (g, "MULTITRACK", {1182.0f, 145.0f, 120.0f, 14.0f}, condensedFont (10.0f), juce::Colour (0xff35383c));

    // Format window and the reverse warning window below it.
    recess (g, {1186.0f, 168.0f, 112.0f, 34.0f}, 3.0f, juce::Colour (0xff111111));
    recess (g, {1196.0f, 205.0f, 92.0f, 14.0f}, 2.0f, juce::Colour (0xff1b1b1b));

    // Tension-arm bosses and guide-roller posts.
    for (const float x : {997.0f, 1487.0f})
    {
        const auto boss = juce::Rectangle<float> (40.0f, 40.0f).withCentre ({x, 300.0f});
        juce::Path p;
        p.addEllipse (boss);
        softShadow (g, p, {1.5f, 3.0f}, 3.0f, 0.4f);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xffd8dadc), boss.getX(), boss.getY(), juce::Colour (0xff6b6e72),
                                                 boss.getRight(), boss.getBottom(), false));
        g.fillEllipse (boss);
        g.setColour (juce::Colour (0xff2a2a2a));
        g.fillEllipse (boss.reduced (10.0f));
    }

    for (const float x : {1087.0f, 1417.0f})
    {
        const auto post = juce::Rectangle<float> (46.0f, 46.0f).withCentre ({x, 342.0f});
        g.setColour (juce::Colour (0xff2b2d30));
        g.fillEllipse (post);
        g.setColour (juce::Colours::white.withAlpha (0.35f));
        g.drawEllipse (post.translated (0.0f, 1.0f), 1.0f);
    }

    // Head well: the dark recess the head block, capstan and pinch roller sit in.
    recess (g, {1104.0f, 318.0f, 282.0f, 98.0f}, 10.0f, juce::Colour (0xff26272a));
    engrave (g, "ERASE   RECORD   REPRODUCE", {1104.0f, 400.0f, 282.0f, 14.0f}, condensedFont (9.0f, false),
             juce::Colour (0xff8c8f94));

    // Tape-time counter bezel.
    engrave (g, "TAPE TIME", {1179.0f, 432.0f, 126.0f, 14.0f}, condensedFont (10.0f), juce::Colour (0xff303236));
    recess (g, {1181.0f, 448.0f, 122.0f, 40.0f}, 5.0f, juce::Colour (0xff0c0c0c));

    // Transport key well.
    recess (g, {1029.0f, 492.0f, 426.0f, 52.0f}, 6.0f, juce::Colour (0xff151515));

    // Knob field: a darker sub-panel with seats for the eight knobs.
    {
        const juce::Rectangle<float> field (914.0f, 566.0f, 666.0f, 226.0f);
        plate (g, field, 8.0f, juce::Colour (0xff3a3c40), 7.0f, 41, 0.35f);

        for (const float y : {585.0f, 695.0f})
            for (const float x : {947.0f, 1122.0f, 1297.0f, 1472.0f})
            {
                const auto seat = juce::Rectangle<float> (78.0f, 78.0f).withCentre ({x + 32.5f, y + 32.5f});
                g.setColour (juce::Colour (0xff1a1b1d));
                g.fillEllipse (seat);
                g.setColour (juce::Colours::white.withAlpha (0.12f));
                g.drawEllipse (seat.translated (0.0f, 1.0f), 1.0f);
            }

        g.setColour (juce::Colours::black.withAlpha (0.45f));
        g.fillRect (930.0f, 679.0f, 634.0f, 1.2f);
        g.setColour (juce::Colours::white.withAlpha (0.14f));
        g.fillRect (930.0f, 680.2f, 634.0f, 1.0f);
    }

    // Tool row strip and the tape-strip screen.
    recess (g, {892.0f, 802.0f, 704.0f, 80.0f}, 6.0f, juce::Colour (0xff2e3033));
    recess (g, {890.0f, 889.0f, 693.0f, 82.0f}, 6.0f, juce::Colour (0xff050505));

    // Screws holding the transport plate.
    for (const auto& p : {juce::Point<float> (899.0f, 86.0f), juce::Point<float> (1589.0f, 86.0f),
                          juce::Point<float> (899.0f, 962.0f), juce::Point<float> (1589.0f, 962.0f),
                          juce::Point<float> (899.0f, 520.0f), juce::Point<float> (1589.0f, 520.0f)})
        screw (g, p, 6.0f, p.x * 0.013f + p.y * 0.007f);

    // Front panel below the transport: name plate and ventilation.
    {
        const juce::Rectangle<float> front (886.0f, 986.0f, 716.0f, 126.0f);
        plate (g, front, 8.0f, juce::Colour (0xff222325), 4.0f, 51, 0.5f);
        const juce::Rectangle<float> badge (918.0f, 1006.0f, 300.0f, 84.0f);
        plate (g, badge, 6.0f, juce::Colour (0xffc9ccd0), 12.0f, 52, 0.6f);
        engrave (g, "VELMORA", badge.withHeight (24.0f).translated (0.0f, 6.0f), condensedFont (16.0f), juce::Colour (0xff2a2c30));
        engrave (g, "DRAVIN 8", badge.withTrimmedTop (26.0f).withHeight (34.0f), condensedFont (32.0f), juce::Colour (0xff15171a));
        engrave (g, "MULTITRACK TAPE RECORDER", badge.withTrimmedTop (60.0f).withHeight (16.0f), condensedFont (10.5f, false),
                 juce::Colour (0xff2f3135));
        vents (g, {1250.0f, 1014.0f, 320.0f, 70.0f}, 14);

        for (const auto& p : {juce::Point<float> (898.0f, 998.0f), juce::Point<float> (1590.0f, 998.0f),
                              juce::Point<float> (898.0f, 1100.0f), juce::Point<float> (1590.0f, 1100.0f)})
            screw (g, p, 5.0f, p.x * 0.02f);
    }

    // Chrome trim along the top rail where the EJECT and MIDI LEARN keys sit.
    plate (g, {1356.0f, 14.0f, 216.0f, 34.0f}, 5.0f, juce::Colour (0xff2a2b2e), 4.0f, 61, 0.5f);

    g.setColour (juce::Colours::white.withAlpha (0.0f));
    return image;
}

juce::Image maskingTape()
{
    juce::Image image (juce::Image::ARGB, (int)pictureWidth, (int)pictureHeight, true);
    juce::Graphics g (image);
    g.addTransform (designToPicture());
    Noise noise (81);

    // One torn piece of paper tape per channel strip, where the strips write their names:
    // console at x 122, strips from 200 in, 70 wide, name label 995..1035.
    const float nudge[] = {-5.0f, -2.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

    for (int i = 0; i < 8; ++i)
    {
        const float x = 122.0f + 200.0f + 70.0f * (float)i + nudge[i];
        const juce::Rectangle<float> piece (x - 1.0f, 992.0f, 70.0f, 46.0f);
        const float tilt = juce::degreesToRadians (i % 2 == 0 ? -2.0f : 1.5f);

        // Torn ends: ragged left and right edges.
        juce::Path tape;
        tape.startNewSubPath (piece.getX() + 1.5f, piece.getY());
        tape.lineTo (piece.getRight() - 1.0f, piece.getY());

        for (float y = piece.getY(); y <= piece.getBottom(); y += 3.0f)
            tape.lineTo (piece.getRight() + noise.nextSigned() * 1.8f, y);

        tape.lineTo (piece.getX() + 1.0f, piece.getBottom());

        for (float y = piece.getBottom(); y >= piece.getY(); y -= 3.0f)
            tape.lineTo (piece.getX() + noise.nextSigned() * 1.8f, y);

        tape.closeSubPath();
        tape.applyTransform (juce::AffineTransform::rotation (tilt, piece.getCentreX(), piece.getCentreY()));

        softShadow (g, tape, {0.6f, 1.2f}, 1.5f, 0.35f);
        g.setColour (juce::Colour (0xf2e8d9b0));
        g.fillPath (tape);

        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (tape);
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colours::white.withAlpha (0.25f), piece.getY(),
                                                           juce::Colour (0x00000000), piece.getCentreY()));
        g.fillRect (piece.expanded (4.0f));

        // Crepe paper: fine creases across the tape, and a few darker wrinkles.
        for (float cx = piece.getX(); cx < piece.getRight() + 4.0f; cx += 1.6f)
        {
            g.setColour (juce::Colours::black.withAlpha (0.02f + 0.03f * noise.next()));
            g.drawLine (cx, piece.getY() - 3.0f, cx + noise.nextSigned() * 1.5f, piece.getBottom() + 3.0f, 0.6f);
        }

        for (int w = 0; w < 3; ++w)
        {
            const float wx = piece.getX() + 8.0f + noise.next() * (piece.getWidth() - 16.0f);
            g.setColour (juce::Colours::black.withAlpha (0.06f));
            g.drawLine (wx, piece.getY(), wx + noise.nextSigned() * 6.0f, piece.getBottom(), 1.2f);
            g.setColour (juce::Colours::white.withAlpha (0.12f));
            g.drawLine (wx + 1.0f, piece.getY(), wx + 1.0f + noise.nextSigned() * 6.0f, piece.getBottom(), 0.8f);
        }
    }

    return image;
}

juce::Image dustCover()
{
    juce::Image image (juce::Image::ARGB, (int)pictureWidth, (int)pictureHeight, true);
    juce::Graphics g (image);
    g.addTransform (designToPicture());

    // The lid lies exactly where the cover takes clicks: x 900.5 to 1459.5, y 72 to 362.5.
    const juce::Rectangle<float> lid (901.0f, 72.0f, 558.0f, 290.0f);
    juce::Path outline;
    outline.addRoundedRectangle (lid, 14.0f);

    softShadow (g, outline, {6.0f, 12.0f}, 14.0f, 0.55f);

    // Smoked acrylic: dark, brown-grey, see-through.
    g.setColour (juce::Colour (0x9e1c1814));
    g.fillPath (outline);

    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (outline);

        // Broad reflections of the studio's lights across the glass.
        juce::Path band;
        band.addQuadrilateral (lid.getX() + 40.0f, lid.getBottom(), lid.getX() + 200.0f, lid.getY(), lid.getX() + 290.0f, lid.getY(),
                               lid.getX() + 130.0f, lid.getBottom());
        g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.16f), lid.getX() + 150.0f, lid.getY(),
                                                 juce::Colours::white.withAlpha (0.02f), lid.getX() + 90.0f, lid.getBottom(), false));
        g.fillPath (band);

        juce::Path thin;
        thin.addQuadrilateral (lid.getX() + 320.0f, lid.getBottom(), lid.getX() + 440.0f, lid.getY(), lid.getX() + 462.0f,
                               lid.getY(), lid.getX() + 342.0f, lid.getBottom());
        g.setColour (juce::Colours::white.withAlpha (0.08f));
        g.fillPath (thin);

        // Glass gets darker toward the bottom, where it curves down toward the deck.
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colours::white.withAlpha (0.07f), lid.getY(),
                                                           juce::Colours::black.withAlpha (0.25f), lid.getBottom()));
        g.fillRect (lid);

        // Settled dust.
        Noise noise (91);

        for (int i = 0; i < 900; ++i)
        {
            const float x = lid.getX() + noise.next() * lid.getWidth(), y = lid.getY() + noise.next() * lid.getHeight();
            const float r = 0.25f + noise.next() * 0.7f;
            g.setColour (juce::Colours::white.withAlpha (0.08f + noise.next() * 0.2f));
            g.fillEllipse (x, y, r, r);
        }
    }

    // The frame: a rounded black moulding with a lit top edge.
    g.setColour (juce::Colour (0xff141414));
    g.strokePath (outline, juce::PathStrokeType (9.0f));
    g.setColour (juce::Colours::white.withAlpha (0.22f));
    juce::Path inner;
    inner.addRoundedRectangle (lid.reduced (4.5f), 10.0f);
    g.strokePath (inner, juce::PathStrokeType (1.2f));
    g.setColour (juce::Colours::white.withAlpha (0.3f));
    g.drawLine (lid.getX() + 14.0f, lid.getY() - 3.0f, lid.getRight() - 14.0f, lid.getY() - 3.0f, 1.2f);

    // Hinges along the top, and a grip at the front edge to lift it by.
    for (const float x : {lid.getX() + 90.0f, lid.getRight() - 130.0f})
    {
        const juce::Rectangle<float> hinge (x, lid.getY() - 8.0f, 40.0f, 14.0f);
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xffe0e0e0), hinge.getY(), juce::Colour (0xff55585c),
                                                           hinge.getBottom()));
        g.fillRoundedRectangle (hinge, 3.0f);
        g.setColour (juce::Colours::black.withAlpha (0.6f));
        g.drawRoundedRectangle (hinge, 3.0f, 0.8f);
        screw (g, hinge.getCentre().translated (-11.0f, 0.0f), 3.2f, x * 0.1f);
        screw (g, hinge.getCentre().translated (11.0f, 0.0f), 3.2f, x * 0.2f);
    }

    const juce::Rectangle<float> grip (lid.getCentreX() - 50.0f, lid.getBottom() - 10.0f, 100.0f, 16.0f);
    g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xff4a4a4a), grip.getY(), juce::Colour (0xff0e0e0e), grip.getBottom()));
    g.fillRoundedRectangle (grip, 6.0f);
    g.setColour (juce::Colours::white.withAlpha (0.3f));
    g.drawLine (grip.getX() + 8.0f, grip.getY() + 1.5f, grip.getRight() - 8.0f, grip.getY() + 1.5f, 1.0f);
    engrave (g, "LIFT", grip.translated (0.0f, 0.5f), condensedFont (9.0f), juce::Colour (0xffb8b8b8));

    return image;
}
} // namespace LookPainting
