#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The bounds constrainer of every secondary window: keeps the window inside the main display's
    user area while it is moved or resized, and when that area changes (resolution, task bar,
    display removed) fits the window's preferred size into it, keeping its aspect ratio, and
    centres it.

    The owning window holds it as a member and, once it has its size, calls setConstrainer with
    it, sets targetWindow to itself and preferredWidth/preferredHeight to its size, and sets its
    bounds once more so that checkBounds applies. */
class SafeWindowConstrainer : public juce::ComponentBoundsConstrainer, private juce::Timer
{
public:
    SafeWindowConstrainer();

    /** The window refitted after a display change; not owned, and forgotten when it is deleted. */
    juce::Component::SafePointer<juce::Component> targetWindow;

    /** The size restored after a display change. */
    int preferredWidth = 800;
    int preferredHeight = 600;

    /** Installs this constrainer on the window with the window's current size as the preferred
        size, and applies it to the window's bounds once. */
    void attachTo (juce::ResizableWindow& window);

    void checkBounds (juce::Rectangle<int>& bounds, const juce::Rectangle<int>& previousBounds,
                      const juce::Rectangle<int>& limits, bool isStretchingTop, bool isStretchingLeft,
                      bool isStretchingBottom, bool isStretchingRight) override;

    /** One check of the main display: when its user area differs from the last one seen, the
        target window gets its refitted bounds. Null (no main display) does nothing. The timer
        calls it with the framework's main display every 300 ms. */
    void checkMainDisplay (const juce::Displays::Display* mainDisplay);

    /** Moves bounds, keeping its size, so that its right and bottom edges and then its left and
        top edges lie inside area: a rectangle larger than area ends on its left and top edges. */
    static void moveInside (juce::Rectangle<int>& bounds, juce::Rectangle<int> area);

    /** The preferred size fitted into area at its aspect ratio (truncated) and centred there. */
    static juce::Rectangle<int> fitPreferredSize (int width, int height, juce::Rectangle<int> area);

    /** The main display's user area at the last check; empty when there was no main display. */
    juce::Rectangle<int> getLastUserArea() const noexcept { return lastUserArea; }

private:
    void timerCallback() override;

    juce::Rectangle<int> lastUserArea;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SafeWindowConstrainer)
};
