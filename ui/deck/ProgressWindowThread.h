#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A worker thread behind a modal progress window (saving, exporting, backing up).

    Unlike its framework base, a press on Cancel never ends the worker by force and never blocks
    the message thread: it asks the worker to stop (threadShouldExit() turns true), keeps the
    window up with "Cancelling..." and its button disabled while the interface runs on, and calls
    threadComplete only once run() has returned, so the worker can always clean up after itself
    (a half-written file is removed, never left behind).

    Create it with new and call launchThread(); a subclass that owns itself deletes itself in
    threadComplete. The window's body is drawn from its "bodyText" property, which starts as one
    space (an empty body under the title and bar). */
class ProgressWindowThread : public juce::ThreadWithProgressWindow
{
public:
    ProgressWindowThread (const juce::String& windowTitle, bool hasProgressBar, bool hasCancelButton,
                          juce::Component* componentToCentreAround = nullptr);

    /** Waits for run() to return, however long it takes: the worker is never killed. */
    ~ProgressWindowThread() override;

    /** Draws the window with look (null: the default look). The look must outlive the window
        or be taken away from it first. */
    void setWindowLook (juce::LookAndFeel* look);

    /** Whether Cancel was pressed while the worker ran. */
    bool wasCancelRequested() const noexcept { return cancelRequested; }

    static constexpr const char* cancellingText = "Cancelling...";

private:
    void timerCallback() override;

    bool cancelRequested = false;
    bool completed = false;

    JUCE_DECLARE_NON_COPYABLE (ProgressWindowThread)
};
