#include "ui/deck/DeckLayout.h"

juce::AffineTransform DeckLayout::Fit::getTransform() const
{
    return juce::AffineTransform::scale (scale).translated (offsetX, offsetY);
}

DeckLayout::Fit DeckLayout::fitInto (int width, int height)
{
    Fit fit;
    fit.scale = juce::jmin ((float) height / (float) designHeight, (float) width / (float) designWidth);
    fit.offsetX = ((float) width - (float) designWidth * fit.scale) * 0.5f;
    fit.offsetY = ((float) height - (float) designHeight * fit.scale) * 0.5f;
    return fit;
}

DeckLayout DeckLayout::forInterface (bool minimal)
{
    using R = juce::Rectangle<int>;
    DeckLayout d;

    // The deck area and the console beside it; the right area holds the transport, the knobs and
    // the tool row, all placed around its centre.
    const int left = minimal ? 10 : 102;
    const int deckWidth = minimal ? 1600 : 1500;
    const int consoleWidth = minimal ? 960 : 760;
    const int rightX = consoleWidth + 20;
    const int rightWidth = deckWidth - rightX - 20;
    const int rightCentre = (int) ((double) rightWidth * 0.5 + rightX + (minimal ? -10 : 10));

    d.console = minimal ? R (30, 30, 960, 1110) : R (122, 85, 760, 1020);
    d.masterVolume = minimal ? R (175, 90, 54, 150) : R (249, 145, 44, 150);
    d.masterFx = minimal ? R (33, 260, 174, 28) : R (125, 300, 180, 24);
    d.trackPage = minimal ? R (33, 295, 174, 28) : R (125, 330, 180, 24);
    d.midiLearn = minimal ? R (1540, 35, 120, 32) : R (1472, 20, 90, 22);
    d.eject = minimal ? R (1408, 35, 120, 32) : R (1367, 20, 100, 22);
    d.counter = minimal ? R (1285, 430, 120, 34) : R (1187, 454, 110, 32);
    d.counterFontHeight = minimal ? 26.0f : 22.0f;
    d.format = minimal ? R (1288, 158, 100, 24) : R (1192, 173, 100, 24);
    d.tapeStrip = minimal ? R (1020, 1010, 640, 100) : R (896, 895, 681, 70);

    // Transport row: rtz, zero, rew, stop, play, rec, ff, each one gap right of the one before;
    // the skeuomorphic deck leaves a double gap between the counter keys and the tape keys.
    {
        const int w = minimal ? 65 : 50;
        const int h = minimal ? 50 : 35;
        const int y = minimal ? 480 : 500;
        const int gap = minimal ? 20 : 8;
        int x = left + rightCentre + (minimal ? 65 : 0) - (7 * w + (minimal ? 6 : 7) * gap) / 2;

        for (size_t i = 0; i < d.transport.size(); ++i)
        {
            d.transport[i] = R (x, y, w, h);
            x += w + gap * ((i == 1 && ! minimal) ? 2 : 1);
        }
    }

    // Knob grid: four columns, two rows.
    {
        const int knob = minimal ? 90 : 65;
        const double pitch = minimal ? 150.0 : rightWidth / 4.0;
        const double x0 = minimal ? rightCentre + 65 - (knob + 3 * pitch) / 2
                                  : left + rightX + pitch / 2 - knob / 2.0 + 10;
        const int row1 = 585;
        const int row2 = minimal ? 735 : 695;
        const auto at = [&] (int column, int y) { return R ((int) (x0 + column * pitch), y, knob, knob); };

        d.varispeed = at (0, row1);
        d.wow = at (1, row1);
        d.flutter = at (2, row1);
        d.drive = at (3, row1);
        d.age = at (0, row2);
        d.noise = at (1, row2);
        d.stickiness = at (2, row2);
        d.headGap = at (3, row2);
    }

    // Tool row over the tape strip. The skeuomorphic right-hand group hangs from the right edge
    // of the deck area; the minimal one runs left to right.
    if (minimal)
    {
        const int y = 964;
        d.cursorTool = R (997, y, 36, 28);
        d.brushTool = R (1037, y, 100, 28);
        d.clearDefects = R (1141, y, 36, 28);
        d.click = R (1193, y, 44, 28);
        d.monitor = R (1241, y, 44, 28);
        d.wave = R (1289, y, 44, 28);
        d.zoom = R (1292, y - 44, 38, 38);
        d.wear = R (1349, y, 48, 28);
        d.wearRate = R (1354, y - 44, 38, 38);
        d.soundOnSound = R (1401, y, 48, 28);
        d.punch = R (1453, y, 48, 28);
        d.loopClear = R (1517, y, 36, 28);
        d.loopIn = R (1557, y, 36, 28);
        d.loopOut = R (1597, y, 36, 28);
        d.loop = R (1637, y, 46, 28);
    }
    else
    {
        const int y = 850;
        const int rightEdge = left + rightX + rightWidth;
        d.cursorTool = R (900, y, 35, 28);
        d.brushTool = R (938, y, 102, 28);
        d.clearDefects = R (1043, y, 32, 28);
        d.click = R (1097, y, 42, 28);
        d.monitor = R (1142, y, 42, 28);
        d.wave = R (1187, y, 42, 28);
        d.zoom = R (1190, y - 40, 36, 36);
        d.loop = R (rightEdge - 52, y, 42, 28);
        d.loopOut = R (d.loop.getX() - 35, y, 32, 28);
        d.loopIn = R (d.loopOut.getX() - 35, y, 32, 28);
        d.loopClear = R (d.loopIn.getX() - 35, y, 32, 28);
        d.wear = R (d.loopClear.getX() - 72, y, 50, 28);
        d.wearRate = R (1360, y - 40, 36, 36);
        d.soundOnSound = R (d.loopClear.getX() - 125, y, 50, 28);
        d.punch = R (d.soundOnSound.getX() - 53, y, 50, 28);
    }

    // MIXDOWN sits in the top bar of the skeuomorphic deck; in the minimal one it is centred over
    // the loop buttons, 52 above them.
    if (minimal)
    {
        const int spanCentre = (d.loopClear.getX() + d.loop.getRight()) / 2;
        d.mixdown = R (spanCentre - 70, d.loopClear.getY() - 52, 140, 32);
    }
    else
    {
        d.mixdown = R (782, 10, 140, 32);
    }

    return d;
}
