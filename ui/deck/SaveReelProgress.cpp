#include "ui/deck/SaveReelProgress.h"

#include "app/SafeAlertWindow.h"

SaveReelProgress::SaveReelProgress (TavrelDelayAudioProcessor& processor, int slot, const juce::String& newReelName,
                                    std::function<void (juce::Result)> whenFinished)
    : juce::ThreadWithProgressWindow (windowTitle, true, false), save (processor, slot, newReelName),
      onFinished (std::move (whenFinished))
{
    if (auto* window = getAlertWindow())
        window->getProperties().set (SafeAlertWindow::bodyTextProperty, " ");
}

SaveReelProgress::~SaveReelProgress()
{
    if (auto* window = getAlertWindow())
        window->setLookAndFeel (nullptr);
}

void SaveReelProgress::run()
{
    setProgress (-1.0);
    setStatusMessage (save.getStatusMessage());
    save.startThread();

    // The save itself is never cut short; this thread only reports how far it is.
    while (save.isThreadRunning())
    {
        setProgress (save.getProgress());
        save.waitForThreadToExit (50);
    }
}

void SaveReelProgress::threadComplete (bool)
{
    auto done = std::move (onFinished);
    const auto result = save.getResult();
    delete this;

    if (done)
        done (result);
}
