#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/instruments/TannerinGateHold.h"
#include "ui/instruments/TannerinSliderLook.h"
#include "ui/looks/RackButtonLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The content of the slide instrument's performance window: the keyboard picture, a pitch
    ribbon under it and a wide momentary gate bar "ON". Played with the mouse and the space bar;
    the pitch and the gate go straight into the slot's slide engine, looked up on every use so
    that a slot without one (or none at all) leaves everything inert. */
class TannerinBreakoutComponent : public juce::Component, private juce::Slider::Listener, private juce::Timer
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    TannerinBreakoutComponent (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot,
                               juce::Button* editorTouchButton);
    ~TannerinBreakoutComponent() override;

    void mouseDown (const juce::MouseEvent&) override;
    void parentHierarchyChanged() override;
    void lookAndFeelChanged() override;
    void paint (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;
    void resized() override;

    /** The 33 ms tick: follows the editor's TOUCH, moves the ribbon to a pitch changed
        elsewhere, repaints. */
    void timerCallback() override;

    /** The keyboard picture's area for the current size. */
    juce::Rectangle<float> pictureArea() const;

    /** The slot's slide engine, or null. */
    TannerinEngine* engine() const;

    /** ON pressed with the mouse or held by the space bar. */
    bool isGatePressed() const { return gateHold.isHeld(); }

    /** Asks for the physical key, since key-up events may go to another window. Tests replace it. */
    std::function<bool (int keyCode)> isKeyPhysicallyDown = [] (int keyCode)
    { return juce::KeyPress::isKeyCurrentlyDown (keyCode); };

    TavrelDelayAudioProcessor& processor;
    InstrumentPlugin* slot = nullptr;
    juce::Slider ribbon;
    juce::TextButton gateButton;
    TannerinSliderLook slideLook;
    RackButtonLook buttonLook;
    juce::TextButton touchButton;
    juce::Component::SafePointer<juce::Button> editorTouchButton;

private:
    void sliderValueChanged (juce::Slider*) override;

    TannerinGateHold gateHold{gateButton};
    juce::LookAndFeel* ownLook = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TannerinBreakoutComponent)
};
