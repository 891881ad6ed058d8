#include "rack/FocusNextTopLevelWindow.h"

#include <juce_gui_basics/juce_gui_basics.h>

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
