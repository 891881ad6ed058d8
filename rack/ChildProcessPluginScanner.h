#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>

/** Reads the descriptions in a plug-in file by loading it in a child process of our own
    executable (see PluginScanChild), so that a plug-in that crashes or hangs while loaded takes
    down only that child. The parent waits up to a time-out, then kills the child.

    Installed on a KnownPluginList with setCustomScanner, it reports every file as scanned: crash
    blocking is "BlockedPlugins.txt"'s job (PluginScanner), and JUCE's own blocked list stays
    empty. What really happened to the last file is in getLastOutcome(). */
class ChildProcessPluginScanner : public juce::KnownPluginList::CustomScanner
{
public:
    enum class Outcome
    {
        notRun,    // no file has been given to this scanner yet
        loaded,    // the child loaded the file and reported what it holds (perhaps nothing)
        crashed,   // the child died while loading it
        timedOut,  // the child was still busy at the time-out and was killed
        cancelled, // the scan was cancelled while the child was busy; it was killed
        notStarted // the child could not be started or never reached the scan
    };

    ChildProcessPluginScanner (juce::File executableToStart, int timeoutMilliseconds,
                               std::function<bool()> cancelCheck = {});

    bool findPluginTypesFor (juce::AudioPluginFormat& format, juce::OwnedArray<juce::PluginDescription>& result,
                             const juce::String& fileOrIdentifier) override;

    Outcome getLastOutcome() const noexcept { return lastOutcome; }

    /** Loads one file in a child process and adds the descriptions it found to result. Cancels
        (killing the child) when the calling JUCE thread is asked to exit or shouldCancel says so. */
    static Outcome scanInChildProcess (const juce::File& executable, const juce::String& formatName,
                                       const juce::String& fileOrIdentifier, int timeoutMilliseconds,
                                       juce::OwnedArray<juce::PluginDescription>& result,
                                       const std::function<bool()>& shouldCancel = {});

private:
    const juce::File executable;
    const int timeoutMs;
    const std::function<bool()> cancelCheck;
    Outcome lastOutcome = Outcome::notRun;

    JUCE_DECLARE_NON_COPYABLE (ChildProcessPluginScanner)
};
