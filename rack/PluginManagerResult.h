#pragma once

#include <juce_core/juce_core.h>

class TavrelDelayAudioProcessor;

/** What the rack and the insert windows do with the plug-in manager's answer. */
class PluginManagerResult
{
public:
    /** Forgets the known plug-ins of filesToForget, then scans the files of filesToScan that are
        not known yet behind the scanner's progress window (which writes "known_plugins.xml" when
        it ends); with nothing new to scan the list is written at once. */
    static void apply (TavrelDelayAudioProcessor& processor, const juce::StringArray& filesToScan,
                       const juce::StringArray& filesToForget);

    /** Finds the plug-in files and opens the plug-in manager on them; its answer goes to apply
        while the processor exists. */
    static void openManager (TavrelDelayAudioProcessor& processor);
};
