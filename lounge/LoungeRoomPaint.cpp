#include "lounge/LoungeRoomComponent.h"

#include "lounge/LoungeIds.h"

// The room's drawing: a 1920 x 1080 design scaled to fit and centred, the tape machine
// drawn in code over the room picture, the counter and the line of users present.

struct LoungeRoomComponent::Design
{
    explicit Design (juce::Rectangle<int> bounds)
        : w ((float) bounds.getWidth()), h ((float) bounds.getHeight()),
          s (juce::jmin (w / 1920.0f, h / 1080.0f)),
          ox ((w - 1920.0f * s) / 2.0f), oy ((h - 1080.0f * s) / 2.0f),
          x (ox + (745.0f + 435.0f / 2.0f) * s), top (oy + 320.0f * s), ry (top + 130.0f * s),
          x0 (x - 80.0f * s), y0 (ry + 80.0f * s), hy (y0 + 30.0f * s)
    {
    }

    float w, h, s, ox, oy;
    float x, top, ry;  // deck centre, top of the machine, reel centre height
    float x0, y0, hy;  // head block's corner and the head line

    juce::Point<float> leftPivot() const { return { x - 135.0f * s, ry + 65.0f * s }; }
    juce::Point<float> rightPivot() const { return { x + 135.0f * s, ry + 65.0f * s }; }
};

namespace
{
juce::Point<float> armTip (juce::Point<float> pivot, float angle, float s)
{
    return { pivot.x - 60.0f * s * std::sin (angle), pivot.y + 60.0f * s * std::cos (angle) };
}

const juce::Colour silver { 0xffc0c0c0 };
} // namespace

void LoungeRoomComponent::paint (juce::Graphics& g)
{
    const Design d (getLocalBounds());
    const auto s = d.s;

    if (background.isValid())
        g.drawImage (background, getLocalBounds().toFloat(), juce::RectanglePlacement::fillDestination);
    else
        g.fillAll (juce::Colour (0xff321e0f));

    // Pack radii follow the position: the left reel empties as the right one fills.
    const auto position = currentPosition();
    const auto length = knownLength();
    const auto p = (float) juce::jlimit (0.0, 1.0, position / length);
    const auto packLeft = 22.0f * s + (1.0f - p) * (68.0f * s - 22.0f * s);
    const auto packRight = 22.0f * s + p * (68.0f * s - 22.0f * s);

    drawHeadBlock (g, d);

    // Tape path from the left pack over the arms, guides, heads and capstan to the right pack.
    {
        const auto leftTip = armTip (d.leftPivot(), armSwing + 0.5f, s);
        const auto rightTip = armTip (d.rightPivot(), armSwing - 0.5f, s);
        const auto gY = d.hy - 25.0f * s, gL = d.x0 - 30.0f * s, gR = d.x0 + 190.0f * s, cap = d.x0 + 175.0f * s;
        const auto lt = leftTip.translated (0.0f, 8.0f * s), rt = rightTip.translated (0.0f, 8.0f * s);

        juce::Path tape;
        tape.startNewSubPath (d.x - 95.0f * s - (packLeft - 2.0f), d.ry + 10.0f * s);
        tape.quadraticTo (lt.x - 20.0f, lt.y, lt.x, lt.y);
        tape.cubicTo (lt.x + 20.0f, lt.y, gL - 30.0f, gY, gL, gY - 12.0f * s);
        tape.cubicTo (gL + 20.0f, gY - 12.0f * s, d.x0, d.hy, d.x0 + 10.0f, d.hy);
        tape.lineTo (cap, d.hy);
        tape.cubicTo (cap + 30.0f, d.hy, gR - 20.0f, gY, gR, gY - 12.0f * s);
        tape.cubicTo (gR + 30.0f, gY, rt.x - 20.0f, rt.y, rt.x, rt.y);
        tape.quadraticTo (rt.x + 20.0f, rt.y, d.x + 95.0f * s + packRight - 2.0f, d.ry + 10.0f * s);

        g.setColour (juce::Colour (0xff3e2723));
        g.strokePath (tape, juce::PathStrokeType (5.0f * s));
    }

    drawTensionArm (g, d.leftPivot(), armSwing + 0.5f, s);
    drawTensionArm (g, d.rightPivot(), armSwing - 0.5f, s);

    // Guide rollers and capstan.
    g.setColour (silver);
    for (auto cx : { d.x0 - 30.0f * s, d.x0 + 190.0f * s })
        g.fillEllipse (cx - 12.0f * s, d.hy - 25.0f * s - 12.0f * s, 24.0f * s, 24.0f * s);
    g.fillEllipse (d.x0 + 175.0f * s - 4.0f, d.hy - 4.0f, 8.0f, 8.0f);

    drawReel (g, { d.x - 95.0f * s, d.ry }, packLeft, s);
    drawReel (g, { d.x + 95.0f * s, d.ry }, packRight, s);

    if (busy)
    {
        const juce::Point<float> c (d.x, d.top + 255.0f * s);
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 204));
        g.fillEllipse (juce::Rectangle<float> (40.0f * s, 40.0f * s).withCentre (c));

        juce::Path arc;
        arc.addCentredArc (c.x, c.y, 20.0f * s, 20.0f * s, 0.0f, 2.0f * reelAngle, 2.0f * reelAngle + 2.0f, true);
        g.setColour (juce::Colour (0xff90ee90));
        g.strokePath (arc, juce::PathStrokeType (4.0f));
    }

    // Counter.
    {
        const juce::Rectangle<float> counter (d.x - 70.0f * s, d.top + 360.0f * s, 140.0f * s, 35.0f * s);
        g.setColour (juce::Colour (0xff000000));
        g.fillRoundedRectangle (counter, 4.0f);
        g.setColour (juce::Colour (0xffff0000));
        g.setFont (juce::Font ("Courier New", 20.0f * s, juce::Font::bold));
        g.drawText (formatTime (position) + " / " + formatTime (length), counter.toNearestInt(), juce::Justification::centred, false);
    }

    // Users present.
    {
        juce::String line (LoungeIds::usersOnline);
        const auto users = worker.getOnlineUsers();

        for (const auto& [name, detail] : users)
            line << name << " (" << detail << ")   ";

        if (users.empty())
            line << LoungeIds::justYou;

        g.setColour (juce::Colour (0xff90ee90).withAlpha (0.8f));
        g.setFont (juce::Font ("Courier New", 14.0f, juce::Font::bold));
        g.drawText (line, 0, getHeight() - 25, getWidth(), 25, juce::Justification::centred, true);
    }
}

void LoungeRoomComponent::drawHeadBlock (juce::Graphics& g, const Design& d) const
{
    const auto s = d.s;
    g.setColour (juce::Colour (0xff222222));
    g.fillRoundedRectangle (d.x0, d.y0, 160.0f * s, 40.0f * s, 4.0f);
    drawScrew (g, d.x0 + 8.0f, d.y0 + 8.0f, 8.0f * s);
    drawScrew (g, d.x0 + 160.0f * s - 8.0f, d.y0 + 8.0f, 8.0f * s);

    // Erase, record and play heads; the play head's gap is gold.
    for (auto offset : { 15.0f, 60.0f, 105.0f })
    {
        const auto x = d.x0 + offset * s;
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xff888888), x, d.hy - 28.0f * s,
                                                 juce::Colour (0xff666666), x, d.hy, false));
        g.fillRoundedRectangle (x + 5.0f, d.hy - 28.0f * s, 28.0f * s - 10.0f, 28.0f * s, 1.0f);
        g.setColour (juce::Colour (0xff444444));
        g.fillRect (x + 6.0f, d.hy - 10.0f, 28.0f * s - 12.0f, 10.0f);

        if (offset == 105.0f)
        {
            g.setColour (juce::Colour (0xffffd700));
            g.fillRect (x + 14.0f * s - 1.0f, d.hy - 8.0f, 2.0f, 8.0f);
        }
    }
}

void LoungeRoomComponent::drawTensionArm (juce::Graphics& g, juce::Point<float> pivot, float angle, float s) const
{
    // Drawn pointing down from the pivot, then turned about it.
    const auto length = 60.0f * s;
    juce::Path bar;
    bar.startNewSubPath (pivot.x - 6.0f, pivot.y);
    bar.lineTo (pivot.x + 6.0f, pivot.y);
    bar.lineTo (pivot.x + 4.0f, pivot.y + length);
    bar.lineTo (pivot.x - 4.0f, pivot.y + length);
    bar.closeSubPath();
    const auto turn = juce::AffineTransform::rotation (angle, pivot.x, pivot.y);

    g.setColour (juce::Colours::black.withAlpha (0.3f));
    g.fillPath (bar, turn.translated (2.0f, 2.0f));

    const auto from = juce::Point<float> (pivot.x - 6.0f, pivot.y).transformedBy (turn);
    const auto to = juce::Point<float> (pivot.x + 4.0f, pivot.y + length).transformedBy (turn);
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffe0e0e0), from, juce::Colour (0xff999999), to, false));
    g.fillPath (bar, turn);
    g.setColour (juce::Colour (0xff555555));
    g.strokePath (bar, juce::PathStrokeType (1.0f), turn);

    drawScrew (g, pivot.x, pivot.y, 8.0f * s);

    const auto tip = armTip (pivot, angle, s);
    g.setGradientFill (juce::ColourGradient (juce::Colours::white, tip.x - 3.0f, tip.y - 3.0f,
                                             juce::Colour (0xff808080), tip.x + 8.0f, tip.y + 8.0f, true));
    g.fillEllipse (tip.x - 8.0f, tip.y - 8.0f, 16.0f, 16.0f);
}

void LoungeRoomComponent::drawReel (juce::Graphics& g, juce::Point<float> c, float packRadius, float s) const
{
    g.setColour (juce::Colour (0xff2a1a15));
    g.fillEllipse (juce::Rectangle<float> (2.0f * packRadius, 2.0f * packRadius).withCentre (c));

    // The flange, 76 s in radius, with three windows through which the pack shows.
    const auto flange = 76.0f * s;
    juce::Path reel;
    reel.setUsingNonZeroWinding (false);
    reel.addEllipse (juce::Rectangle<float> (2.0f * flange, 2.0f * flange).withCentre (c));

    for (int i = 0; i < 3; ++i)
    {
        const auto start = reelAngle + (float) i * juce::MathConstants<float>::twoPi / 3.0f + 0.25f;
        reel.addPieSegment (juce::Rectangle<float> (2.0f * 64.0f * s, 2.0f * 64.0f * s).withCentre (c),
                            start, start + 1.55f, 26.0f / 64.0f);
    }

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xeef2f2f2), c.x - flange, c.y - flange,
                                             juce::Colour (0xee8c8c8c), c.x + flange, c.y + flange, false));
    g.fillPath (reel);
    g.setColour (juce::Colour (0xff6a6a6a));
    g.drawEllipse (juce::Rectangle<float> (2.0f * flange, 2.0f * flange).withCentre (c), 1.5f);

    // Hub with its three drive keys.
    const auto hub = 12.0f * s;
    g.setColour (juce::Colour (0xff555555));
    g.fillEllipse (juce::Rectangle<float> (2.0f * hub, 2.0f * hub).withCentre (c));
    g.setColour (juce::Colour (0xffd0d0d0));

    for (int i = 0; i < 3; ++i)
    {
        const auto a = reelAngle + (float) i * juce::MathConstants<float>::twoPi / 3.0f;
        g.drawLine (juce::Line<float> (c, c.getPointOnCircumference (hub * 0.8f, a)), 2.0f);
    }
}

void LoungeRoomComponent::drawScrew (juce::Graphics& g, float x, float y, float n)
{
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffdddddd), x - n, y - n, juce::Colour (0xff555555), x + n, y + n, false));
    g.fillEllipse (x - n / 2.0f, y - n / 2.0f, n, n);

    const auto arm = 0.3f * n;
    g.setColour (juce::Colour (0xff383838)); // 0xff555555 at two thirds
    g.drawLine (x - arm, y - arm, x + arm, y + arm, 2.0f);
    g.drawLine (x - arm, y + arm, x + arm, y - arm, 2.0f);
}

//==============================================================================
void LoungeRoomComponent::resized()
{
    const auto w = getWidth(), h = getHeight();
    const auto listHeight = juce::jmin (h, 150);
    tapeList.setBounds (0, h - listHeight, w, listHeight);
    exitButton.setBounds (20, 20, 100, 30);
    nameEditor.setBounds (w - 170, 20, 150, 24);

    const auto s = juce::jmin ((float) w / 1920.0f, (float) h / 1080.0f);
    const auto b = (int) (50.0f * s), gap = (int) (8.0f * s), bh = (int) (30.0f * s);
    auto x = (int) (((float) w - 1920.0f * s) / 2.0f + 745.0f * s + 435.0f * s / 2.0f - (float) (5 * b + 4 * gap) / 2.0f);
    const auto y = (int) (((float) h - 1080.0f * s) / 2.0f + 830.0f * s) - (int) (60.0f * s) - bh;

    for (auto* button : { &rtzButton, &rewButton, &stopButton, &playButton, &ffButton })
    {
        button->setBounds (x, y, b, bh);
        x += b + gap;
    }
}

juce::String LoungeRoomComponent::formatTime (double seconds)
{
    const auto whole = (int) seconds;
    return juce::String (whole / 60).paddedLeft ('0', 2) + ":" + juce::String (whole % 60).paddedLeft ('0', 2);
}
