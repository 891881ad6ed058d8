#include "ui/panels/OfflineExportThread.h"

#include "engine/TavrelDelayAudioProcessor.h"

OfflineExportThread::OfflineExportThread (TavrelDelayAudioProcessor& processorToRender, const juce::String& path,
                                          double startSeconds, double endSeconds, juce::Array<int>& excludedTracks,
                                          bool ignoreSpeed, juce::Component* componentToCentreAround)
    : ProgressWindowThread (title, true, true, componentToCentreAround),
      processor (processorToRender),
      outputPath (path),
      start (startSeconds),
      end (endSeconds),
      ignoreVarispeed (ignoreSpeed)
{
    excluded.swapWith (excludedTracks);
    excludedTracks.clear();
}

void OfflineExportThread::setCompletionCallback (std::function<void (const juce::File&)> callback)
{
    completion = std::move (callback);
}

void OfflineExportThread::run()
{
    result = processor.renderOfflineMixdown (
        juce::File (outputPath), start, end,
        [this] (float fraction) {
            setProgress ((double) fraction);
            return ! threadShouldExit();
        },
        excluded, ignoreVarispeed);
}

void OfflineExportThread::threadComplete (bool)
{
    const auto outcome = result;
    auto finished = std::move (onFinished);
    auto done = std::move (completion);
    const juce::File target (outputPath);
    delete this;

    if (finished)
        finished (outcome);

    if (outcome.wasFinished())
    {
        if (done)
            done (target);
        return;
    }

    const auto message = outcome.wasCancelled() ? juce::String ("The export was cancelled; no mixdown was written.")
                                                : "The mixdown could not be written.\n" + outcome.error;
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon,
                                            outcome.wasCancelled() ? "Export Cancelled" : "Export Failed", message);
}
