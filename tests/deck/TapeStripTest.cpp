#include "DeckTestSupport.h"

#include "engine/tape/TapeDefectCell.h"

using DeckTest::DeckFixture;
using DeckTest::mouseEvent;

namespace
{
/** The tape strip alone at 600 x 80 pixels over the fixture's processor. */
struct StripFixture : public DeckFixture
{
    void SetUp() override
    {
        DeckFixture::SetUp();
        strip().setBounds (0, 0, 600, 80);
    }

    TapeStripComponent& strip() { return editor->tapeStrip; }

    void pressStrip (float x, float y, juce::ModifierKeys mods = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier))
    {
        clock += 1000;
        strip().mouseDown (mouseEvent (strip(), {x, y}, mods));
    }
    void dragStrip (float x, float y) { strip().mouseDrag (mouseEvent (strip(), {x, y})); }
    void releaseStrip (float x, float y) { strip().mouseUp (mouseEvent (strip(), {x, y})); }

    const TapeDefectCell& cellAt (double seconds) const
    {
        return processor->tracks.front().getHead().defects[(size_t) (seconds * 400.0)];
    }
};
} // namespace

TEST_F (StripFixture, LoopMarkerKeepsItsRepeatWhenDragged)
{
    processor->loopIn = 95.0; // third repeat, 5 s into it
    processor->loopOut = 118.0;
    processor->loopEnabled = true;

    pressStrip (100.0f, 40.0f); // x of 5 s in the whole 30-s view
    EXPECT_TRUE (strip().draggingLoopIn);
    dragStrip (200.0f, 40.0f); // the view's 10-s point
    EXPECT_DOUBLE_EQ (processor->loopIn.load(), 100.0);
    releaseStrip (200.0f, 40.0f);
    EXPECT_FALSE (strip().draggingLoopIn);

    // With looping off the markers cannot be grabbed: the press scrubs instead.
    processor->loopEnabled = false;
    pressStrip (200.0f, 40.0f);
    EXPECT_FALSE (strip().draggingLoopIn);
    EXPECT_TRUE (strip().scrubbing);
    releaseStrip (200.0f, 40.0f);
}

TEST_F (StripFixture, BrushesPaintTheirCellValues)
{
    processor->clearAllTapeDefects();
    const struct
    {
        int brush;
        float x, y; // 600 px = 30 s; y 80 px = 8 lanes, lane 0 at the bottom
        double seconds;
        int lane;
        float value;
    } strokes[] = {
        {TapeDefectKind::dropout, 60.0f, 75.0f, 3.0, 0, 0.08f},
        {TapeDefectKind::flutter, 120.0f, 5.0f, 6.0, 7, 10.08f},
        {TapeDefectKind::crinkle, 180.0f, 45.0f, 9.0, 3, 21.0f},
        {TapeDefectKind::drag, 240.0f, 35.0f, 12.0, 4, 30.015f},
    };
    for (const auto& s : strokes)
    {
        strip().brushType = s.brush;
        pressStrip (s.x, s.y);
        const auto& cell = cellAt (s.seconds);
        for (int lane = 0; lane < 8; ++lane)
            EXPECT_NEAR (cell.lanes[lane], lane == s.lane ? s.value : 0.0f, 1.0e-4f) << "brush " << s.brush << " lane " << lane;
        for (const auto& track : processor->tracks)
            EXPECT_NEAR (track.getHead().defects[(size_t) (s.seconds * 400.0)].lanes[s.lane], s.value, 1.0e-4f);
    }

    // A splice at any height marks all eight lanes, by a drag as well as a press.
    strip().brushType = TapeDefectKind::splice;
    pressStrip (300.0f, 10.0f);
    dragStrip (400.0f, 70.0f);
    for (const double seconds : {15.0, 20.0})
        for (int lane = 0; lane < 8; ++lane)
            EXPECT_EQ (cellAt (seconds).lanes[lane], -1.0f) << seconds << " lane " << lane;
    EXPECT_FALSE (strip().scrubbing);

    // Zoomed in, a brush is narrower on tape: a 2-s view paints 1/15 of the width.
    processor->clearAllTapeDefects();
    strip().viewStart = 10.0;
    strip().viewLength = 2.0;
    strip().brushType = TapeDefectKind::dropout;
    pressStrip (300.0f, 75.0f); // 11 s
    EXPECT_GT (cellAt (11.0).lanes[0], 0.07f);
    EXPECT_EQ (cellAt (11.0 + 0.01).lanes[0], 0.0f); // 0.12 s / 15 = 3 cells either side
}

TEST_F (StripFixture, ScrubTurnsMovementIntoSpeedAndReleaseStops)
{
    pressStrip (100.0f, 40.0f);
    EXPECT_TRUE (processor->reelHeld.load());
    EXPECT_EQ (processor->transportState.load(), TavrelDelayAudioProcessor::transportScrub);
    dragStrip (150.0f, 40.0f);
    strip().timerCallback();
    EXPECT_FLOAT_EQ (processor->scrubSpeed.load(), 5.0f);
    strip().timerCallback();
    EXPECT_FLOAT_EQ (processor->scrubSpeed.load(), 3.0f);

    // In the low-CPU mode the tick does nothing; release still stops.
    setParameter (ParameterIds::LIGHT_GUI, 1.0f);
    dragStrip (300.0f, 40.0f);
    processor->scrubSpeed = 0.0f;
    strip().timerCallback();
    EXPECT_EQ (processor->scrubSpeed.load(), 0.0f);
    releaseStrip (300.0f, 40.0f);
    EXPECT_FALSE (processor->reelHeld.load());
    EXPECT_EQ (processor->transportState.load(), TavrelDelayAudioProcessor::transportStop);
}

TEST_F (StripFixture, SecondQuickPressOrRightPressAsksForTheWaveformMenu)
{
    int menus = 0;
    strip().showWaveformMenu = [&menus] { ++menus; };

    pressStrip (100.0f, 40.0f);
    releaseStrip (100.0f, 40.0f);
    clock += 100; // 100 ms after the first press
    strip().mouseDown (mouseEvent (strip(), {100.0f, 40.0f}));
    EXPECT_EQ (menus, 1);
    EXPECT_FALSE (strip().scrubbing);

    // A third quick press does not open it again.
    clock += 100;
    strip().mouseDown (mouseEvent (strip(), {100.0f, 40.0f}));
    EXPECT_EQ (menus, 1);
    strip().mouseUp (mouseEvent (strip(), {100.0f, 40.0f}));

    pressStrip (100.0f, 40.0f, DeckTest::rightButton);
    EXPECT_EQ (menus, 2);
    EXPECT_FALSE (strip().scrubbing);

    strip().waveformMenuChosen (3);
    EXPECT_EQ (strip().waveformTrack, 2);
    strip().waveformMenuChosen (0);
    EXPECT_EQ (strip().waveformTrack, 2);
}

TEST_F (StripFixture, WheelZoomsAroundThePointerAndPans)
{
    // At the right edge of the whole view, zooming in keeps 30 s in place.
    juce::MouseWheelDetails wheel{0.0f, 0.2f, false, false, false};
    strip().mouseWheelMove (mouseEvent (strip(), {600.0f, 40.0f}), wheel);
    EXPECT_NEAR (strip().viewLength, 21.0, 1.0e-5);
    EXPECT_NEAR (strip().viewStart + strip().viewLength, 30.0, 1.0e-9);

    wheel.deltaY = 0.6f;
    for (int i = 0; i < 5; ++i)
        strip().mouseWheelMove (mouseEvent (strip(), {300.0f, 40.0f}), wheel);
    EXPECT_DOUBLE_EQ (strip().viewLength, 2.0);

    juce::MouseWheelDetails pan{0.5f, 0.0f, false, false, false};
    const double before = strip().viewStart;
    strip().mouseWheelMove (mouseEvent (strip(), {300.0f, 40.0f}), pan);
    EXPECT_NEAR (strip().viewStart, before - 0.5, 1.0e-6);
}

TEST_F (StripFixture, HoverFollowsTheLaneUnderThePointer)
{
    strip().mouseMove (mouseEvent (strip(), {50.0f, 79.0f}));
    EXPECT_EQ (strip().hoverLane, 0);
    strip().mouseMove (mouseEvent (strip(), {50.0f, 0.0f}));
    EXPECT_EQ (strip().hoverLane, 7);
    strip().mouseExit (mouseEvent (strip(), {50.0f, 0.0f}));
    EXPECT_EQ (strip().hoverLane, -1);
}
