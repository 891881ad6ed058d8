#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The program's modal message box: a framework alert window that stays on top of every other
    window (insert windows and plug-in editors are on top themselves) and centres itself again,
    keeping its size, when the main display's user area changes while it is open.

    Callers create it with new, add their buttons (Return on result 1, Escape on result 0), combo
    boxes or text editors, store the message again in the component property "bodyText" (the
    looks draw the body from it), enter the modal state with a callback and delete it on
    dismissal. */
class SafeAlertWindow : public juce::AlertWindow, private juce::Timer
{
public:
    SafeAlertWindow (const juce::String& title, const juce::String& message, juce::MessageBoxIconType iconType);

    /** One check of the main display: when its user area differs from the last one seen, a
        visible window is centred again with its size kept. Null (no main display) does nothing.
        The timer calls it with the framework's main display every 300 ms. */
    void checkMainDisplay (const juce::Displays::Display* mainDisplay);

    /** The component property holding the message the looks draw as the window's body. */
    static constexpr const char* bodyTextProperty = "bodyText";

    /** The main display's user area at the last check; empty when there was no main display. */
    juce::Rectangle<int> getLastUserArea() const noexcept { return lastUserArea; }

private:
    void timerCallback() override;

    juce::Rectangle<int> lastUserArea;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SafeAlertWindow)
};
