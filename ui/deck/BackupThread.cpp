#include "ui/deck/BackupThread.h"

#include "storage/ReelLibrary.h"
#include "ui/deck/FlowDialog.h"

namespace
{
constexpr int updaterIntervalMs = 50;
} // namespace

BackupThread::ProgressUpdater::ProgressUpdater (BackupThread& ownerThread, std::atomic<double>& progressSource)
    : owner (ownerThread), source (&progressSource)
{
}

void BackupThread::ProgressUpdater::timerCallback()
{
    owner.setProgress (source->load());
}

BackupThread::BackupThread (ReelLibrary* libraryToRead, const juce::String& reelToBackUp, const juce::File& archive,
                            juce::Component* componentToCentreAround)
    : ProgressWindowThread ("Backing up Tape...", true, true, componentToCentreAround),
      updater (*this, progressValue),
      library (libraryToRead),
      reelName (reelToBackUp),
      destination (archive)
{
    updater.startTimer (updaterIntervalMs);
}

BackupThread::~BackupThread()
{
    updater.stopTimer();
}

void BackupThread::run()
{
    if (library == nullptr)
        return;

    // The writer asks between reads whether to stop; a true answer makes it remove its
    // unfinished archive before it returns.
    result = library->zipReel (reelName, destination, &progressValue, [this] { return threadShouldExit(); });
}

juce::String BackupThread::describe (const juce::Result& outcome, bool cancelled, const juce::String& name,
                                     const juce::File& archive, juce::String& title)
{
    // A cancel that came too late to stop the writer still leaves a complete backup: say so.
    if (outcome.wasOk())
    {
        title = "Backup Complete";
        return "'" + name + "' was backed up to:\n" + archive.getFullPathName();
    }

    title = cancelled ? "Backup Cancelled" : "Backup Failed";
    return outcome.getErrorMessage() + "\nNo backup of '" + name + "' was written.";
}

void BackupThread::threadComplete (bool)
{
    updater.stopTimer();

    // run() has returned: result is final and read on this thread only from here on.
    const auto outcome = result;
    auto finished = std::move (onFinished);
    auto* noticeLook = look;
    juce::String title;
    const auto message = describe (outcome, wasCancelRequested(), reelName, destination, title);
    delete this;

    if (finished)
        finished (outcome);

    FlowDialog::notify (title, message, outcome.wasOk() ? 3 : 2, noticeLook);
}
