#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Ctrl+Tab / Alt+Tab of the secondary windows: brings the top-level window after the active one
    (wrapping to the first; the first when none is active) to the front with keyboard focus. Does
    nothing while at most one top-level window exists. */
void focusNextTopLevelWindow();

/** The keys every secondary window shares: Escape closes it (through its close button, which
    may delete it), Ctrl+Tab or Alt+Tab moves to the next top-level window. True when the key was
    one of these. */
bool handleSecondaryWindowKey (const juce::KeyPress& key, juce::DocumentWindow& window);
