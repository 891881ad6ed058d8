#include "ui/instruments/TannerinGateHold.h"

#include "instruments/TannerinEngine.h"

TannerinGateHold::TannerinGateHold (juce::Button& gateButton) : button (gateButton)
{
    lastState = button.getState();
}

bool TannerinGateHold::isHeld() const
{
    return heldBySpace || button.getState() == juce::Button::buttonDown;
}

void TannerinGateHold::buttonStateChanged (TannerinEngine* engine)
{
    const auto previous = lastState;
    lastState = button.getState();

    // The space bar opened the gate and will close it; hover changes of the button do not count.
    if (engine == nullptr || engine->gateLatch || heldBySpace)
        return;

    if (lastState == juce::Button::buttonDown && previous != juce::Button::buttonDown)
        engine->gateOn();
    else if (previous == juce::Button::buttonDown && lastState != juce::Button::buttonDown)
        engine->gateOff(); // released, over the button (hover) or off it
}

bool TannerinGateHold::keyPressed (const juce::KeyPress& key, TannerinEngine* engine)
{
    if (key.getKeyCode() != juce::KeyPress::spaceKey)
        return false;

    if (engine != nullptr)
    {
        if (! engine->gateLatch && ! isHeld())
            engine->gateOn();
        heldBySpace = true;
        button.setState (juce::Button::buttonDown);
    }
    return true;
}

void TannerinGateHold::keyStateChanged (bool spaceIsDown, TannerinEngine* engine)
{
    if (spaceIsDown || engine == nullptr)
        return;

    heldBySpace = false;
    if (! engine->gateLatch)
        engine->gateOff();
    button.setState (juce::Button::buttonNormal);
}
