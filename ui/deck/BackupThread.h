#pragma once

#include "ui/deck/ProgressWindowThread.h"

#include <atomic>
#include <functional>

class ReelLibrary;

/** Writes one reel folder into a backup archive on a worker thread behind the window "Backing up
    Tape...", with a progress bar and Cancel. Create it with new and launch it; it deletes itself
    when done.

    Cancel asks the archive writer to stop at its next read; the writer then removes its
    unfinished archive (an older file at the destination stays as it was). Whatever the outcome
    (written, cancelled or failed) the user is told in a notice. */
class BackupThread : public ProgressWindowThread
{
public:
    /** Copies the writer's progress into the window's bar every 50 ms. */
    struct ProgressUpdater : public juce::Timer
    {
        ProgressUpdater (BackupThread& owner, std::atomic<double>& source);
        void timerCallback() override;

        BackupThread& owner;
        std::atomic<double>* source;
    };

    BackupThread (ReelLibrary* library, const juce::String& reelName, const juce::File& destination,
                  juce::Component* componentToCentreAround = nullptr);
    ~BackupThread() override;

    void run() override;
    void threadComplete (bool userPressedCancel) override;

    std::atomic<double> progressValue{0.0};
    ProgressUpdater updater;
    ReelLibrary* library;
    const juce::String reelName;
    const juce::File destination;

    /** Called on the message thread with the outcome, just before the notice; may be empty. */
    std::function<void (const juce::Result&)> onFinished;

    /** The look of the window and of the notice; null draws them with the default look. It must
        outlive the notice or be taken away from it (the tape room does so as it goes). */
    juce::LookAndFeel* look = nullptr;

    /** The texts of the closing notice. */
    static juce::String describe (const juce::Result& outcome, bool cancelled, const juce::String& reelName,
                                  const juce::File& destination, juce::String& title);

private:
    juce::Result result{juce::Result::fail ("The backup did not run.")};

    JUCE_DECLARE_NON_COPYABLE (BackupThread)
};
