#include "rack/PluginScanThread.h"

#include <juce_events/juce_events.h>

PluginScanThread::PluginScanThread (juce::AudioPluginFormatManager& formats, juce::KnownPluginList& list,
                                    juce::StringArray filesToScan, PluginScanOptions options)
    : juce::Thread ("ScannerThread"), scanner (formats, list, std::move (options)), files (std::move (filesToScan))
{
    // Made here, on the message thread: the scanner thread only copies it.
    self = this;
}

PluginScanThread::~PluginScanThread()
{
    stopThread (10000);
}

juce::String PluginScanThread::makeProgressText (int index, int count, const juce::String& path)
{
    return "Scanning " + juce::String (index + 1) + " of " + juce::String (count) + ":\n" +
           PluginScanner::getFileNameOf (path);
}

void PluginScanThread::run()
{
    scanner.startScanLog();

    for (int i = 0; i < files.size() && ! threadShouldExit(); ++i)
    {
        post (
            [text = makeProgressText (i, files.size(), files[i])] (PluginScanThread& thread)
            {
                // A copy: the callback may delete the thread object that holds it.
                if (auto progress = thread.onProgress)
                    progress (text);
            });

        scanner.scanFile (files[i]);
        scanner.saveKnownPluginList();
    }

    post (
        [] (PluginScanThread& thread)
        {
            if (auto finished = thread.onFinished)
                finished();
        });
}

void PluginScanThread::post (std::function<void (PluginScanThread&)> callback)
{
    juce::MessageManager::callAsync (
        [weak = self, callback = std::move (callback)]
        {
            if (auto* thread = weak.get())
                callback (*thread);
        });
}
