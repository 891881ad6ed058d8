#include "ui/deck/ProgressWindowThread.h"

#include "app/SafeAlertWindow.h"

namespace
{
// Only an upper bound handed to the framework base; this class never asks it to stop the worker.
constexpr int baseCancelTimeOutMs = 10000;
} // namespace

ProgressWindowThread::ProgressWindowThread (const juce::String& windowTitle, bool hasProgressBar, bool hasCancelButton,
                                            juce::Component* componentToCentreAround)
    : juce::ThreadWithProgressWindow (windowTitle, hasProgressBar, hasCancelButton, baseCancelTimeOutMs, {},
                                      componentToCentreAround)
{
    if (auto* window = getAlertWindow())
        window->getProperties().set (SafeAlertWindow::bodyTextProperty, " ");
}

ProgressWindowThread::~ProgressWindowThread()
{
    // The base would give the worker a time-out and then kill it; wait for it instead.
    signalThreadShouldExit();
    stopThread (-1);

    if (auto* window = getAlertWindow())
        window->setLookAndFeel (nullptr);
}

void ProgressWindowThread::setWindowLook (juce::LookAndFeel* look)
{
    if (auto* window = getAlertWindow())
        window->setLookAndFeel (look);
}

void ProgressWindowThread::timerCallback()
{
    if (completed)
        return; // the base's timer cannot be stopped from here; it finds nothing more to do

    auto* window = getAlertWindow();
    const bool running = isThreadRunning();

    if (running && (cancelRequested || window->isCurrentlyModal (false)))
        return; // the bar follows the progress value by itself

    if (running)
    {
        // Cancel was pressed. Ask the worker to stop and wait for it here, a tick at a time, with
        // the window kept modal so nothing else starts meanwhile.
        cancelRequested = true;
        signalThreadShouldExit();
        window->getProperties().set (SafeAlertWindow::bodyTextProperty, cancellingText);

        for (auto* child : window->getChildren())
            if (auto* button = dynamic_cast<juce::Button*> (child))
                button->setEnabled (false);

        window->enterModalState (false);
        window->repaint();
        return;
    }

    completed = true;
    window->exitModalState (1);
    window->setVisible (false);
    threadComplete (cancelRequested);
    // (this may be deleted now)
}
