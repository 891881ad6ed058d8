#include "app/QuitSaveThread.h"

#include "app/AppTexts.h"
#include "app/SafeAlertWindow.h"
#include "engine/TavrelDelayAudioProcessor.h"

QuitSaveThread::QuitSaveThread (TavrelDelayAudioProcessor& processorToSave, std::function<void (juce::Result)> onDone)
    : juce::ThreadWithProgressWindow (AppTexts::savingBeforeQuitTitle, true, false), processor (&processorToSave),
      onFinished (std::move (onDone))
{
    if (auto* window = getAlertWindow())
        window->getProperties().set (SafeAlertWindow::bodyTextProperty, " ");
}

void QuitSaveThread::run()
{
    setProgress (-1.0);
    setStatusMessage (AppTexts::savingStatus);
    result = processor->saveReel (0);
}

void QuitSaveThread::threadComplete (bool)
{
    auto done = std::move (onFinished);
    const auto outcome = result;
    delete this;

    if (done)
        done (outcome);
}
