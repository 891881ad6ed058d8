#include "ui/instruments/TannerinBreakoutComponent.h"

#include "instruments/TannerinEngine.h"
#include "ui/instruments/SlideKeyboardPicture.h"
#include "ui/instruments/TannerinIds.h"
#include "ui/looks/ModernLookAndFeel.h"

TannerinBreakoutComponent::TannerinBreakoutComponent (TavrelDelayAudioProcessor& owner, InstrumentPlugin* instrument,
                                                      juce::Button* editorTouch)
    : processor (owner), slot (instrument), editorTouchButton (editorTouch)
{
    ribbon.setSliderStyle (juce::Slider::LinearHorizontal);
    ribbon.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    ribbon.setRange (SlideKeyboardPicture::lowestNote, SlideKeyboardPicture::highestNote);
    if (auto* e = engine())
        ribbon.setValue (e->slidePitch, juce::dontSendNotification);
    ribbon.setLookAndFeel (&slideLook);
    ribbon.addListener (this);
    ribbon.onDragStart = [this]
    {
        auto* e = engine();
        if (e != nullptr && touchButton.getToggleState() && ! e->gateLatch)
            e->gateOn();
    };
    ribbon.onDragEnd = [this]
    {
        auto* e = engine();
        if (e != nullptr && touchButton.getToggleState() && ! e->gateLatch && ! isGatePressed())
            e->gateOff();
    };
    addAndMakeVisible (ribbon);

    touchButton.setButtonText (TannerinIds::touchText);
    touchButton.setLookAndFeel (&buttonLook);
    touchButton.setClickingTogglesState (true);
    if (editorTouchButton != nullptr)
        touchButton.setToggleState (editorTouchButton->getToggleState(), juce::dontSendNotification);
    touchButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
    touchButton.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffc0392b));
    touchButton.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    addChildComponent (touchButton);

    gateButton.setButtonText (TannerinIds::performanceGateText);
    gateButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
    gateButton.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffff0000));
    gateButton.setLookAndFeel (&buttonLook);
    gateButton.onStateChange = [this] { gateHold.buttonStateChanged (engine()); };
    addAndMakeVisible (gateButton);

    ribbon.setWantsKeyboardFocus (false);
    gateButton.setWantsKeyboardFocus (false);
    touchButton.setWantsKeyboardFocus (false);
    setWantsKeyboardFocus (true);

    setSize (1400, 300);
    startTimer (TannerinIds::timerMs);
}

TannerinBreakoutComponent::~TannerinBreakoutComponent()
{
    stopTimer();

    // ON held by the mouse or the space bar has no release left to come once the window is
    // gone: close the gate here rather than leave the instrument droning.
    if (auto* e = engine(); e != nullptr && isGatePressed() && ! e->gateLatch)
        e->gateOff();

    gateButton.onStateChange = nullptr;
    ribbon.removeListener (this);
    ribbon.setLookAndFeel (nullptr);
    gateButton.setLookAndFeel (nullptr);
    touchButton.setLookAndFeel (nullptr);
    setLookAndFeel (nullptr);
}

TannerinEngine* TannerinBreakoutComponent::engine() const
{
    return slot != nullptr ? slot->tannerinEngine.get() : nullptr;
}

void TannerinBreakoutComponent::mouseDown (const juce::MouseEvent&)
{
    grabKeyboardFocus();
}

void TannerinBreakoutComponent::parentHierarchyChanged()
{
    lookAndFeelChanged();
}

void TannerinBreakoutComponent::lookAndFeelChanged()
{
    auto* modern = ModernLookAndFeel::getDefault();
    if (ownLook != modern)
    {
        ownLook = modern;
        setLookAndFeel (modern); // null inherits again
    }

    for (auto* child : getChildren())
        child->sendLookAndFeelChange();
}

void TannerinBreakoutComponent::paint (juce::Graphics& g)
{
    auto* modern = ModernLookAndFeel::getDefault();
    g.fillAll (modern != nullptr ? juce::Colour (modern->cBg) : juce::Colour (0xff2b2b2b));

    const auto area = pictureArea();
    if (modern != nullptr)
    {
        g.setColour (juce::Colours::white);
        g.fillRoundedRectangle (area, 4.0f);
        g.setColour (modern->isDark() ? juce::Colour (modern->cChassis1) : juce::Colour (0xffbdc3c7));
        g.drawRoundedRectangle (area, 4.0f, 1.0f);
    }
    else
    {
        g.setColour (juce::Colour (0xfff5f5f0));
        g.fillRect (area);
    }

    SlideKeyboardPicture::draw (g, area, SlideKeyboardPicture::performanceTicks, SlideKeyboardPicture::glowFor (engine()));
}

juce::Rectangle<float> TannerinBreakoutComponent::pictureArea() const
{
    return SlideKeyboardPicture::makeArea (20.0f, 20.0f, (float)getWidth() - 40.0f, (float)getHeight() - 160.0f);
}

bool TannerinBreakoutComponent::keyPressed (const juce::KeyPress& key)
{
    return gateHold.keyPressed (key, engine());
}

bool TannerinBreakoutComponent::keyStateChanged (bool)
{
    gateHold.keyStateChanged (isKeyPhysicallyDown (juce::KeyPress::spaceKey), engine());
    return false;
}

void TannerinBreakoutComponent::resized()
{
    const int w = getWidth(), h = getHeight();
    ribbon.setBounds (20, h - 110, w - 40, 40);
    touchButton.setVisible (false);
    gateButton.setBounds (20, h - 60, w - 40, 40);
}

void TannerinBreakoutComponent::sliderValueChanged (juce::Slider* slider)
{
    if (slider != &ribbon)
        return;
    if (auto* e = engine())
    {
        e->slidePitch = (float)ribbon.getValue();
        processor.unsavedChanges = true;
    }
}

void TannerinBreakoutComponent::timerCallback()
{
    if (editorTouchButton != nullptr && editorTouchButton->getToggleState() != touchButton.getToggleState())
        touchButton.setToggleState (editorTouchButton->getToggleState(), juce::dontSendNotification);

    if (auto* e = engine())
    {
        const bool grabbed = ribbon.isMouseButtonDown();
        if (! grabbed && std::abs (ribbon.getValue() - (double)e->slidePitch) > 0.01)
            ribbon.setValue (e->slidePitch, juce::dontSendNotification);
    }

    repaint();
}
