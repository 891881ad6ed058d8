#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class SafeAlertWindow;

/** The tape room's dialogs and notices, all built one way: a SafeAlertWindow whose message is
    also its "bodyText" (the look draws the body from it), drawn with the tape room's look,
    modal with the keyboard focus, deleted when dismissed. */
namespace TapeRoomDialogs
{
/** A dialog window, not shown yet: callers add their fields and buttons, then call show(). */
SafeAlertWindow* create (const juce::String& title, const juce::String& message, juce::MessageBoxIconType icon,
                         juce::LookAndFeel& look);

/** Enters the modal state; onResult gets the pressed button's value (1 confirms, 0 cancels)
    and runs before the window is deleted. */
void show (SafeAlertWindow* window, std::function<void (int)> onResult);

/** A notice: one "OK" button (Return), no callback. Returns the window, which deletes itself
    when dismissed. */
SafeAlertWindow* showNotice (const juce::String& title, const juce::String& message, juce::LookAndFeel& look,
                             juce::MessageBoxIconType icon = juce::MessageBoxIconType::WarningIcon);

/** Takes look away from every window on the desktop that still draws with it; called before
    the look goes. */
void releaseLook (juce::LookAndFeel& look);
} // namespace TapeRoomDialogs
