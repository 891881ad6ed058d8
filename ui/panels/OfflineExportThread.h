#pragma once

#include "engine/OfflineRenderResult.h"
#include "ui/deck/ProgressWindowThread.h"

#include <functional>

class TavrelDelayAudioProcessor;

/** Renders a stretch of the reel into a WAV file on a worker thread behind the window
    "Exporting Tape...", with a progress bar and Cancel. Cancel stops the renderer at its next
    block; the renderer then leaves the target as it was (no half-written mixdown).

    Create it with new and launch it; it deletes itself when done. The completion callback runs
    only for a finished file; a failure is told to the user in an alert, as is a cancel. It is
    also the renderer thread of the bounce to tape. */
class OfflineExportThread : public ProgressWindowThread
{
public:
    /** excludedTracks is moved in (the caller's array is emptied). */
    OfflineExportThread (TavrelDelayAudioProcessor& processor, const juce::String& outputPath, double startSeconds,
                         double endSeconds, juce::Array<int>& excludedTracks, bool ignoreVarispeed,
                         juce::Component* componentToCentreAround = nullptr);

    void setCompletionCallback (std::function<void (const juce::File&)> callback);

    /** Called on the message thread with the render's outcome before anything else; may be
        empty. */
    std::function<void (const OfflineRenderResult&)> onFinished;

    void run() override;
    void threadComplete (bool userPressedCancel) override;

    static constexpr const char* title = "Exporting Tape...";

private:
    TavrelDelayAudioProcessor& processor;
    const juce::String outputPath;
    const double start, end;
    juce::Array<int> excluded;
    const bool ignoreVarispeed;
    std::function<void (const juce::File&)> completion;
    OfflineRenderResult result;

    JUCE_DECLARE_NON_COPYABLE (OfflineExportThread)
};
