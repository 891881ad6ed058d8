#pragma once

#include "ui/deck/ProgressWindowThread.h"

#include <atomic>
#include <functional>

class ReelLibrary;

/** Copies a reel folder into a new reel on a worker thread behind the window "Duplicating
    Tape...", with a progress bar and Cancel: a long tape takes a while to copy, and the
    interface stays alive meanwhile. Create it with new and launch it; it deletes itself when
    done.

    A failed copy is taken away again by the library and the user is told in a notice; a
    cancelled one is taken away without a notice. */
class DuplicateThread : public ProgressWindowThread
{
public:
    DuplicateThread (const ReelLibrary& library, const juce::File& sourceFolder, const juce::String& newName,
                     juce::Component* componentToCentreAround = nullptr);

    void run() override;
    void threadComplete (bool userPressedCancel) override;

    /** Called on the message thread with the outcome, before any notice; may be empty. */
    std::function<void (const juce::Result&)> onFinished;

    /** The look of the window and of the notice; null draws them with the default look. */
    juce::LookAndFeel* look = nullptr;

    static constexpr const char* windowTitle = "Duplicating Tape...";

private:
    const ReelLibrary& library;
    const juce::File sourceFolder;
    const juce::String newName;
    std::atomic<double> progressValue{0.0};
    juce::Result result{juce::Result::fail ("The duplicate did not run.")};

    JUCE_DECLARE_NON_COPYABLE (DuplicateThread)
};
