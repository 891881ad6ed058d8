#include "rack/FocusNextTopLevelWindow.h"

void focusNextTopLevelWindow()
{
    const int count = juce::TopLevelWindow::getNumTopLevelWindows();
    if (count <= 1)
        return;

    int activeIndex = -1;
    for (int i = 0; i < count; ++i)
        if (auto* window = juce::TopLevelWindow::getTopLevelWindow (i); window != nullptr && window->isActiveWindow())
            activeIndex = i;

    const int nextIndex = activeIndex < 0 ? 0 : (activeIndex + 1) % count;
    if (auto* next = juce::TopLevelWindow::getTopLevelWindow (nextIndex))
        next->toFront (true);
}

bool handleSecondaryWindowKey (const juce::KeyPress& key, juce::DocumentWindow& window)
{
    if (key == juce::KeyPress::escapeKey)
    {
        window.closeButtonPressed();
        return true;
    }
    const auto mods = key.getModifiers();
    if (key.getKeyCode() == juce::KeyPress::tabKey && (mods.isCtrlDown() || mods.isAltDown()))
    {
        focusNextTopLevelWindow();
        return true;
    }
    return false;
}
