#include "tests/instrumentui/TannerinTestSupport.h"
#include "ui/instruments/TannerinBreakoutComponent.h"
#include "ui/instruments/TannerinBreakoutWindow.h"
#include "ui/instruments/TannerinIds.h"

namespace
{
using namespace TannerinTest;

struct PerformanceStrip : ::testing::Test
{
    TavrelDelayAudioProcessor processor;
    std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> slot = makeSlideSlot();
    TannerinEngine& engine = *slot->tannerinEngine;
    juce::TextButton editorTouch;
    FakeKeys keys;
    std::unique_ptr<TannerinBreakoutComponent> strip;

    void SetUp() override
    {
        engine.slidePitch = 55.0f;
        editorTouch.setClickingTogglesState (true);
        strip = std::make_unique<TannerinBreakoutComponent> (processor, slot.get(), &editorTouch);
        strip->isKeyPhysicallyDown = [this] (int code) { return keys (code); };
        strip->setSize (1200, 300);
    }

    bool onPressed() const { return strip->gateButton.getState() == juce::Button::buttonDown; }

    void pressSpace()
    {
        keys.down.insert (juce::KeyPress::spaceKey);
        EXPECT_TRUE (strip->keyPressed (space));
        strip->keyStateChanged (true);
    }

    void releaseSpace()
    {
        keys.down.erase (juce::KeyPress::spaceKey);
        strip->keyStateChanged (false);
    }
};
} // namespace

TEST_F (PerformanceStrip, LaysOutRibbonAndGateUnderThePictureAndHidesItsTouch)
{
    EXPECT_EQ (strip->ribbon.getBounds(), juce::Rectangle<int> (20, 190, 1160, 40));
    EXPECT_EQ (strip->gateButton.getBounds(), juce::Rectangle<int> (20, 240, 1160, 40));
    EXPECT_EQ (strip->pictureArea(), juce::Rectangle<float> (20, 20, 1160, 140));
    EXPECT_EQ (strip->gateButton.getButtonText(), "ON");
    EXPECT_FALSE (strip->touchButton.isVisible());
    EXPECT_DOUBLE_EQ (strip->ribbon.getValue(), 55.0);
    EXPECT_TRUE (strip->getWantsKeyboardFocus());
    EXPECT_FALSE (strip->ribbon.getWantsKeyboardFocus());
    EXPECT_FALSE (strip->gateButton.getWantsKeyboardFocus());
}

TEST_F (PerformanceStrip, SpaceHoldsTheGateAndRepeatsChangeNothing)
{
    pressSpace();
    EXPECT_TRUE (engine.gate);
    EXPECT_TRUE (onPressed());

    // A key repeat while ON is already down, then another key's change while space is held.
    EXPECT_TRUE (strip->keyPressed (space));
    strip->keyStateChanged (true);
    EXPECT_TRUE (engine.gate);

    // The pointer crossing ON while space holds it: the gate stays open.
    strip->gateButton.setState (juce::Button::buttonOver);
    strip->gateButton.setState (juce::Button::buttonNormal);
    EXPECT_TRUE (engine.gate);
    EXPECT_TRUE (strip->isGatePressed());

    releaseSpace();
    EXPECT_FALSE (engine.gate);
    EXPECT_FALSE (onPressed());

    // Latched: space only moves ON; the gate stays open.
    engine.gateLatch = true;
    engine.gateOn();
    pressSpace();
    releaseSpace();
    EXPECT_TRUE (engine.gate);
    EXPECT_FALSE (onPressed());

    // Other keys are left to the window.
    EXPECT_FALSE (strip->keyPressed (juce::KeyPress ('a')));
}

TEST_F (PerformanceStrip, OnIsMomentaryWithTheMouse)
{
    click (strip->gateButton, false);
    EXPECT_TRUE (engine.gate);
    static_cast<juce::Component&> (strip->gateButton).mouseUp (RackUiTest::mouseEventAt (strip->gateButton, {10, 10}));
    EXPECT_FALSE (engine.gate);

    // Letting go with the pointer still over ON (down to hover) ends the note too.
    strip->gateButton.setState (juce::Button::buttonDown);
    EXPECT_TRUE (engine.gate);
    strip->gateButton.setState (juce::Button::buttonOver);
    EXPECT_FALSE (engine.gate);

    // Hovering alone opens nothing.
    strip->gateButton.setState (juce::Button::buttonNormal);
    strip->gateButton.setState (juce::Button::buttonOver);
    EXPECT_FALSE (engine.gate);

    // Latched, ON neither opens nor closes.
    engine.gateLatch = true;
    strip->gateButton.setState (juce::Button::buttonDown);
    EXPECT_FALSE (engine.gate);
}

TEST_F (PerformanceStrip, RibbonSetsThePitchAndPlaysTheGateOnlyWithTouch)
{
    strip->ribbon.setValue (70.25, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (engine.slidePitch, 70.25f);
    EXPECT_TRUE (processor.unsavedChanges);

    struct Case
    {
        const char* name;
        bool touch, latch, onHeld;
        bool gateWhileDragging, gateAfter;
    };
    const Case cases[] = {
        {"touch off", false, false, false, false, false},
        {"touch on", true, false, false, true, false},
        {"touch on, ON held", true, false, true, true, true},
        {"touch on, latched", true, true, false, false, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        engine.gateOff();
        engine.gateLatch = c.latch;
        strip->gateButton.setState (juce::Button::buttonNormal);
        editorTouch.setToggleState (c.touch, juce::dontSendNotification);
        strip->timerCallback(); // TOUCH reaches the window within a tick
        ASSERT_EQ (strip->touchButton.getToggleState(), c.touch);

        if (c.onHeld)
            strip->gateButton.setState (juce::Button::buttonDown);
        const bool heldGate = engine.gate;

        strip->ribbon.onDragStart();
        EXPECT_EQ ((bool)engine.gate, c.gateWhileDragging || heldGate);
        strip->ribbon.onDragEnd();
        EXPECT_EQ ((bool)engine.gate, c.gateAfter);
    }
}

TEST_F (PerformanceStrip, RibbonFollowsPitchChangesMadeElsewhereOverAHundredthOfASemitone)
{
    engine.slidePitch = 55.01f;
    strip->timerCallback();
    EXPECT_DOUBLE_EQ (strip->ribbon.getValue(), 55.0);

    engine.slidePitch = 62.5f;
    strip->timerCallback();
    EXPECT_DOUBLE_EQ (strip->ribbon.getValue(), 62.5);
    EXPECT_FALSE (processor.unsavedChanges); // following is not an edit
}

TEST_F (PerformanceStrip, ClosingWhileOnIsHeldReleasesTheGate)
{
    pressSpace();
    ASSERT_TRUE (engine.gate);
    strip.reset();
    EXPECT_FALSE (engine.gate);

    // A latched gate is the player's choice and stays open.
    strip = std::make_unique<TannerinBreakoutComponent> (processor, slot.get(), nullptr);
    engine.gateLatch = true;
    engine.gateOn();
    strip->gateButton.setState (juce::Button::buttonDown);
    strip.reset();
    EXPECT_TRUE (engine.gate);
}

TEST_F (PerformanceStrip, WithoutAnEngineEverythingIsInertButSpaceIsStillTaken)
{
    const auto hostedSlot = makeInstrumentPlugin();
    for (auto* noEngineSlot : {(TavrelDelayAudioProcessor::InstrumentPlugin*)nullptr, hostedSlot.get()})
    {
        TannerinBreakoutComponent empty (processor, noEngineSlot, nullptr);
        empty.setSize (800, 300);
        EXPECT_DOUBLE_EQ (empty.ribbon.getValue(), 36.0);
        EXPECT_TRUE (empty.keyPressed (space));
        empty.ribbon.setValue (60.0, juce::sendNotificationSync);
        empty.gateButton.setState (juce::Button::buttonDown);
        empty.keyStateChanged (false);
        empty.timerCallback();
        EXPECT_FALSE (processor.unsavedChanges);

        // The picture still draws, its glow on note 60.
        const auto image = empty.createComponentSnapshot (empty.getLocalBounds());
        EXPECT_TRUE (image.isValid());
    }
}

TEST (PerformanceWindow, OpensAsARealWindowWithoutASlotAndClosesOnEscape)
{
    RACKUI_REQUIRE_DISPLAY();
    TavrelDelayAudioProcessor processor;

    juce::Component::SafePointer<TannerinBreakoutWindow> window = new TannerinBreakoutWindow (processor, nullptr, nullptr);
    ASSERT_NE (window.getComponent(), nullptr);
    EXPECT_TRUE (RackUiTest::hasNativeWindow (*window));
    EXPECT_EQ (window->getName(), TannerinIds::performanceTitle);
    EXPECT_TRUE (window->isAlwaysOnTop());
    EXPECT_TRUE (window->isResizable());

    auto* content = window->getPerformanceComponent();
    ASSERT_NE (content, nullptr);
    EXPECT_EQ (content->getHeight(), 300);
    EXPECT_EQ (content->getWidth(), TannerinBreakoutWindow::widthForDisplay (
                                        juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea.getWidth()));

    // The size limits hold under the shared constrainer.
    window->setBoundsConstrained ({0, 0, 100, 100});
    EXPECT_GE (window->getWidth(), 600);
    EXPECT_GE (window->getHeight(), 200);

    EXPECT_TRUE (window->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (window.getComponent(), nullptr);
}

TEST (PerformanceWindow, WidthFitsTheDisplay)
{
    EXPECT_EQ (TannerinBreakoutWindow::widthForDisplay (1920), 1400);
    EXPECT_EQ (TannerinBreakoutWindow::widthForDisplay (1280), 1240);
    EXPECT_EQ (TannerinBreakoutWindow::widthForDisplay (0), 1400);
}
