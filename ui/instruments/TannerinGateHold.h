#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TannerinEngine;

/** The momentary gate of the slide instrument's screens: a button (GATE in the editor, ON in the
    performance window) held with the mouse or by the space bar. The owner forwards the button's
    state changes and its own key callbacks here, with the slot's engine of the moment (null
    leaves the gate alone).

    The gate follows the button's pressed state: pressing opens it, leaving the pressed state
    closes it, including a release with the pointer still over the button. While the space bar
    holds it, the pointer crossing the button changes nothing. */
class TannerinGateHold
{
public:
    explicit TannerinGateHold (juce::Button& gateButton);

    /** The button's state-change handler. */
    void buttonStateChanged (TannerinEngine* engine);

    /** Space (any modifiers) opens the gate unless latched or already held, and shows the button
        pressed; always true for space, false for every other key. */
    bool keyPressed (const juce::KeyPress&, TannerinEngine* engine);

    /** Any key change while space is up: closes the gate unless latched (whoever opened it) and
        shows the button normal. */
    void keyStateChanged (bool spaceIsDown, TannerinEngine* engine);

    /** Pressed with the mouse, or held by the space bar. */
    bool isHeld() const;

private:
    juce::Button& button;
    juce::Button::ButtonState lastState = juce::Button::buttonNormal;
    bool heldBySpace = false;

    JUCE_DECLARE_NON_COPYABLE (TannerinGateHold)
};
