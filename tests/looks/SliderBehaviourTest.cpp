#include "tests/looks/LookTestSupport.h"
#include "ui/looks/DetentedSlider.h"
#include "ui/looks/MidiGlassPane.h"
#include "ui/looks/RightClickSlider.h"

#include <gtest/gtest.h>

namespace
{
/** A right-click slider on a clock the test sets. */
class ClockedSlider : public RightClickSlider
{
public:
    juce::uint32 now = 0;

protected:
    juce::uint32 getMillisecondCounter() const override { return now; }
};

struct RightClickFixture : public ::testing::Test
{
    ClockedSlider slider;

    void SetUp() override
    {
        // A rotary knob: a press alone never moves it, so any change is the reset.
        slider.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
        slider.setRange (0.0, 1.0);
        slider.setDoubleClickReturnValue (true, 0.5);
        slider.setValue (0.9);
        slider.setSize (60, 60);
    }

    void pressAt (juce::uint32 time, juce::ModifierKeys mods = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier))
    {
        slider.now = time;
        slider.mouseDown (LookTest::mouseEvent (slider, {30.0f, 30.0f}, mods));
        slider.mouseUp (LookTest::mouseEvent (slider, {30.0f, 30.0f}, mods));
    }
};

struct Listener : public juce::Slider::Listener
{
    std::vector<double> values;
    void sliderValueChanged (juce::Slider* s) override { values.push_back (s->getValue()); }
};
} // namespace

TEST_F (RightClickFixture, ASecondPressWithin400MsResets)
{
    pressAt (10000);
    pressAt (10399);
    EXPECT_DOUBLE_EQ (slider.getValue(), 0.5);
    EXPECT_EQ (slider.lastClickTime, 0u);

    // After a reset the next quick press counts as a first press again.
    slider.setValue (0.9);
    pressAt (10499);
    EXPECT_DOUBLE_EQ (slider.getValue(), 0.9);
}

TEST_F (RightClickFixture, PressesFourHundredMsApartDoNotReset)
{
    pressAt (10000);
    pressAt (10400);
    EXPECT_DOUBLE_EQ (slider.getValue(), 0.9);
    EXPECT_EQ (slider.lastClickTime, 10400u);
}

TEST_F (RightClickFixture, RightClickResetsOnlyWhenResetIsEnabled)
{
    pressAt (10000, juce::ModifierKeys (juce::ModifierKeys::rightButtonModifier));
    EXPECT_DOUBLE_EQ (slider.getValue(), 0.5);

    slider.setDoubleClickReturnValue (false, 0.5);
    slider.setValue (0.9);
    pressAt (20000, juce::ModifierKeys (juce::ModifierKeys::rightButtonModifier));
    EXPECT_DOUBLE_EQ (slider.getValue(), 0.9);

    // A double click with reset disabled is the framework's (nothing for a knob).
    slider.mouseDoubleClick (LookTest::mouseEvent (slider, {30.0f, 30.0f}));
    EXPECT_DOUBLE_EQ (slider.getValue(), 0.9);
}

namespace
{
/** A horizontal varispeed slider wide enough that every hundredth has its own pixels. */
struct DetentFixture : public ::testing::Test
{
    DetentedSlider slider;
    Listener listener;

    void SetUp() override
    {
        slider.setSliderStyle (juce::Slider::LinearHorizontal);
        slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        slider.setRange (0.5, 2.0, 0.01);
        slider.setValue (1.5, juce::dontSendNotification);
        slider.setSize (3000, 30);
        slider.setVelocityModeParameters (1.0, 1, 0.0, false); // Ctrl must not switch to velocity drags here
        slider.addListener (&listener);
    }

    /** Drags from 1.5 to the value; returns the slider's value afterwards. */
    double dragTo (double value, bool ctrl = false)
    {
        auto mods = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier
                                        | (ctrl ? juce::ModifierKeys::ctrlModifier : 0));
        const juce::Point<float> from ((float)slider.getPositionOfValue (1.5), 15.0f);
        const juce::Point<float> to ((float)slider.getPositionOfValue (value), 15.0f);
        slider.mouseDown (LookTest::mouseEvent (slider, from, mods));
        slider.mouseDrag (LookTest::mouseEvent (slider, to, mods, 1, true));
        const double result = slider.getValue();
        slider.mouseUp (LookTest::mouseEvent (slider, to, mods, 1, true));
        return result;
    }
};
} // namespace

TEST_F (DetentFixture, DraggingSnapsToUnityAndWithCtrlToTenths)
{
    struct Case
    {
        double dragged;
        bool ctrl;
        double shown;
    };

    const Case cases[] = {{1.03, false, 1.0}, {0.97, false, 1.0}, {1.04, false, 1.04}, {0.96, false, 0.96},
                          {0.87, true, 0.9},  {1.26, true, 1.3}, {0.94, true, 0.9},  {1.5, false, 1.5}};

    for (const auto& c : cases)
    {
        slider.setValue (1.5, juce::dontSendNotification);
        EXPECT_NEAR (dragTo (c.dragged, c.ctrl), c.shown, 1e-9) << c.dragged << (c.ctrl ? " with Ctrl" : "");
    }
}

TEST_F (DetentFixture, TheSnappedValueReachesTheListeners)
{
    // The parameter behind the knob listens like this: its last value must be the snapped one.
    listener.values.clear();
    dragTo (1.03);
    ASSERT_FALSE (listener.values.empty());
    EXPECT_DOUBLE_EQ (listener.values.back(), 1.0);
}

TEST_F (DetentFixture, TheOwnersSnapComesFirstAndFallsBackToTheDetents)
{
    // Snap to octaves only around 0.5 and 2.0; everything else is left to the detents.
    slider.snapValue = [] (double v) { return v > 1.9 ? 2.0 : (v < 0.6 ? 0.5 : v); };
    EXPECT_DOUBLE_EQ (dragTo (1.95), 2.0);
    EXPECT_DOUBLE_EQ (dragTo (1.02), 1.0);
    EXPECT_DOUBLE_EQ (dragTo (1.2), 1.2);
}

TEST (MidiGlassPane, TakesEveryClickAndHandsItToItsOwner)
{
    juce::Component parent;
    parent.setSize (200, 100);
    parent.setVisible (true);
    juce::TextButton control;
    control.setBounds (10, 10, 80, 30);
    parent.addAndMakeVisible (control);
    MidiGlassPane pane;
    pane.setBounds (parent.getLocalBounds());
    parent.addAndMakeVisible (pane);

    EXPECT_EQ (parent.getComponentAt (20, 20), &pane);

    pane.mouseDown (LookTest::mouseEvent (pane, {20.0f, 20.0f})); // no owner: nothing happens

    juce::Point<float> clicked;
    pane.onClick = [&clicked] (const juce::MouseEvent& e) { clicked = e.position; };
    pane.mouseDown (LookTest::mouseEvent (pane, {20.0f, 25.0f}));
    EXPECT_EQ (clicked, juce::Point<float> (20.0f, 25.0f));
}
