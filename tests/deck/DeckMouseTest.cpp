#include "DeckTestSupport.h"

#include <cmath>

using DeckTest::DeckFixture;

namespace
{
// Design positions at scale 1 in the skeuomorphic deck.
const juce::Point<float> leftHub{1057.0f, 225.0f};
const juce::Point<float> armPivot{997.0f, 300.0f};

/** A point on the resting arm's axis (arm angle 0), the distance along it from the pivot. */
juce::Point<float> alongArm (float distance)
{
    const float turn = -0.5f;
    return armPivot + juce::Point<float> (distance * std::sin (turn), distance * std::cos (turn));
}
} // namespace

TEST_F (DeckFixture, GrabbingAReelScrubsAndLettingGoStops)
{
    press (leftHub);
    EXPECT_EQ (ed().grabbedReel, 0);
    EXPECT_TRUE (processor->reelHeld.load());
    EXPECT_EQ (processor->transportState.load(), TavrelDelayAudioProcessor::transportScrub);

    // From the right of the hub a quarter turn counter-clockwise on screen, in one event.
    press (leftHub + juce::Point<float> (50.0f, 0.0f));
    drag (leftHub + juce::Point<float> (0.0f, -50.0f));
    EXPECT_NEAR (processor->scrubSpeed.load(), 40.0f * juce::MathConstants<float>::halfPi, 1.0e-3f);
    EXPECT_NEAR (processor->scrubSpeed.load(), 62.8f, 0.05f);

    // Crossing the seam left of the hub is a small step, not a turn of 2 pi.
    drag (leftHub + juce::Point<float> (-50.0f, -1.0f));
    drag (leftHub + juce::Point<float> (-50.0f, 1.0f));
    EXPECT_LT (std::abs (processor->scrubSpeed.load()), 2.0f);

    release (leftHub);
    EXPECT_EQ (ed().grabbedReel, -1);
    EXPECT_FALSE (processor->reelHeld.load());
    EXPECT_EQ (processor->scrubSpeed.load(), 0.0f);
    EXPECT_EQ (processor->transportState.load(), TavrelDelayAudioProcessor::transportStop);
}

TEST_F (DeckFixture, TheArmIsHitUpTo120UnitsAlongIt)
{
    press (alongArm (119.0f));
    EXPECT_TRUE (ed().armGrabbed);
    EXPECT_GT (processor->parameters.getRawParameterValue (ParameterIds::ARM_GRAB)->load(), 0.5f);

    // Pulled 100 units left of the pivot: 0.25 rad.
    drag ({armPivot.x - 100.0f, 300.0f});
    EXPECT_NEAR (processor->parameters.getRawParameterValue (ParameterIds::ARM_ANGLE)->load(), 0.25f, 1.0e-4f);
    drag ({armPivot.x - 400.0f, 300.0f});
    EXPECT_NEAR (processor->parameters.getRawParameterValue (ParameterIds::ARM_ANGLE)->load(), 0.6f, 1.0e-4f);

    release (alongArm (119.0f));
    EXPECT_FALSE (ed().armGrabbed);
    EXPECT_LT (processor->parameters.getRawParameterValue (ParameterIds::ARM_GRAB)->load(), 0.5f);

    press (alongArm (121.0f));
    EXPECT_FALSE (ed().armGrabbed);
}

TEST_F (DeckFixture, DoublePressOnTheReelsTogglesReverseOnce)
{
    const juce::Point<float> reelArea{1250.0f, 120.0f}; // between the reels, on no hub
    auto reverse = [this] { return processor->parameters.getRawParameterValue (ParameterIds::REVERSE)->load(); };

    press (reelArea);
    clock += 100; // the next press 100 ms later
    editor->mouseDown (DeckTest::mouseEvent (*editor, reelArea));
    EXPECT_GT (reverse(), 0.5f);

    // A third press right after starts counting anew.
    clock += 100;
    editor->mouseDown (DeckTest::mouseEvent (*editor, reelArea));
    EXPECT_GT (reverse(), 0.5f);
    clock += 100;
    editor->mouseDown (DeckTest::mouseEvent (*editor, reelArea));
    EXPECT_LT (reverse(), 0.5f);
}

TEST_F (DeckFixture, RightPressOnAReelDropsTheCoverInsteadOfGrabbing)
{
    ed().dustCover->putAwayAtOnce();
    press (leftHub, DeckTest::rightButton);
    EXPECT_EQ (ed().grabbedReel, -1);
    EXPECT_FALSE (ed().dustCover->isLifted());
}

TEST_F (DeckFixture, PressOutsideTheSettingsOverlayOnlyClosesIt)
{
    ed().toggleSettingsOverlay();
    ASSERT_NE (ed().deckPanel.findChildWithID ("settings_panel"), nullptr);

    const juce::Point<float> rightHub{1427.0f, 225.0f}; // outside the centred panel
    press (rightHub);
    EXPECT_EQ (ed().deckPanel.findChildWithID ("settings_panel"), nullptr);
    EXPECT_EQ (ed().grabbedReel, -1);

    press (rightHub);
    EXPECT_EQ (ed().grabbedReel, 1);
    release (rightHub);
}

TEST_F (DeckFixture, TheMinimalDeckIsHit100UnitsFurtherRight)
{
    ed().useModernUI = true;
    ed().resized();
    press (leftHub);
    EXPECT_EQ (ed().grabbedReel, -1);
    press (leftHub + juce::Point<float> (100.0f, 0.0f));
    EXPECT_EQ (ed().grabbedReel, 0);
    release (leftHub);
}

// MASTER FX opens one master insert window (the rack makes it) and brings it back to the front;
// a press on the deck outside it and outside MASTER FX closes it.
TEST_F (DeckFixture, MasterInsertWindowOpensOnceAndClosesOnAPressOutside)
{
    int made = 0;
    TavrelDelayAudioProcessorEditor::makeMasterInsertWindow = [&made] (TavrelDelayAudioProcessor&)
    {
        ++made;
        auto* window = new juce::DocumentWindow ("Master Bus Inserts", juce::Colours::grey, 0);
        window->setBounds (0, 0, 200, 100);
        return window;
    };

    ed().openMasterInsertWindow();
    ed().openMasterInsertWindow();
    EXPECT_EQ (made, 1);
    ASSERT_NE (ed().masterInsertWindow.getComponent(), nullptr);

    press ({100.0f, 50.0f}); // inside the window
    EXPECT_NE (ed().masterInsertWindow.getComponent(), nullptr);

    press (leftHub);
    EXPECT_EQ (ed().masterInsertWindow.getComponent(), nullptr);
    release (leftHub);

    ed().openMasterInsertWindow();
    EXPECT_EQ (made, 2);
    ed().closeAllSecondaryWindows();
    EXPECT_EQ (ed().masterInsertWindow.getComponent(), nullptr);

    TavrelDelayAudioProcessorEditor::makeMasterInsertWindow = nullptr;
}
