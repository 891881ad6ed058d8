#pragma once

#include "app/SafeAlertWindow.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The questions and notices of the editor's menus and reel flows, all made the same way: a
    SafeAlertWindow with its message also in "bodyText", Return on the button that answers 1 and
    Escape on the one that answers 0, entered modally without blocking, deleted when it closes. */
namespace FlowDialog
{
/** Icon numbers as the dialogs name them: 0 none, 1 question, 2 warning, 3 information. */
juce::MessageBoxIconType iconFor (int iconType) noexcept;

/** A new dialog (not yet shown), in the given look when there is one. */
SafeAlertWindow* create (const juce::String& title, const juce::String& message, int iconType,
                         juce::LookAndFeel* look = nullptr);

/** Adds a button: result 1 takes Return, result 0 Escape, others no key unless asked. */
void addButton (SafeAlertWindow& dialog, const juce::String& text, int result, bool returnKey = false);

/** Shows the dialog modally; onResult gets the answer while the dialog (and what was typed into
    it) still exists; the dialog is deleted right after. */
void show (SafeAlertWindow* dialog, std::function<void (int result, SafeAlertWindow& dialog)> onResult);

/** A question answered by yesText (result 1, Return) or "Cancel" (result 0, Escape); onYes runs
    only for the first. */
void ask (const juce::String& title, const juce::String& message, int iconType, const juce::String& yesText,
          juce::LookAndFeel* look, std::function<void()> onYes);

/** A notice with one "OK" button (result 1, Return and Escape). */
void notify (const juce::String& title, const juce::String& message, int iconType, juce::LookAndFeel* look = nullptr,
             std::function<void()> onDismissed = {});

/** The open dialog on top, or null (for tests and for callers that must not stack questions). */
juce::AlertWindow* findOpenDialog (const juce::String& title = {});
} // namespace FlowDialog
