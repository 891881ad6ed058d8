#pragma once

#include <juce_core/juce_core.h>

/** How an offline mixdown ended, for the export panel. Only a finished render leaves a file
    at the target; a cancelled or failed one leaves whatever was there before. */
struct OfflineRenderResult
{
    enum class Outcome
    {
        finished,  // the whole range was written and the file moved over the target
        cancelled, // the progress callback asked to stop
        failed     // nothing usable was written; error says why
    };

    Outcome outcome = Outcome::failed;
    juce::String error;
    juce::int64 samplesWritten = 0;

    bool wasFinished() const noexcept { return outcome == Outcome::finished; }
    bool wasCancelled() const noexcept { return outcome == Outcome::cancelled; }
    bool failed() const noexcept { return outcome == Outcome::failed; }
};
