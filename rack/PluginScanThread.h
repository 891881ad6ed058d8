#pragma once

#include "rack/PluginScanner.h"

#include <juce_core/juce_core.h>

#include <functional>

/** Runs a targeted scan of several files on its own thread, "ScannerThread", reporting progress
    to the message thread; the part of the scanner that sits behind the progress window.

    Create it, set the callbacks, call startThread(), all on the message thread; delete it there
    too, at the earliest from onFinished. Callbacks posted before it was deleted are dropped.
    The log starts afresh once for the whole scan and "known_plugins.xml" is written after every
    file, so a scan that ends early still leaves everything scanned so far saved. */
class PluginScanThread : public juce::Thread
{
public:
    PluginScanThread (juce::AudioPluginFormatManager& formats, juce::KnownPluginList& list,
                      juce::StringArray filesToScan, PluginScanOptions options = PluginScanOptions::createDefault());

    /** Cancels the scan and waits for the thread (a child process still loading is killed). */
    ~PluginScanThread() override;

    /** Called on the message thread before each file with makeProgressText's text. */
    std::function<void (const juce::String& text)> onProgress;

    /** Called on the message thread once, after the last file or after a cancel. */
    std::function<void()> onFinished;

    /** Stops after the file being scanned; a file still loading is given up, not blocked. */
    void cancel() { signalThreadShouldExit(); }

    /** "Scanning 2 of 5:" and the file name on its own line, for file index 1 of 5. */
    static juce::String makeProgressText (int index, int count, const juce::String& path);

private:
    void run() override;
    void post (std::function<void (PluginScanThread&)> callback);

    PluginScanner scanner;
    const juce::StringArray files;
    juce::WeakReference<PluginScanThread> self;

    JUCE_DECLARE_WEAK_REFERENCEABLE (PluginScanThread)
    JUCE_DECLARE_NON_COPYABLE (PluginScanThread)
};
