#pragma once

#include "app/SafeAlertWindow.h"
#include "rack/PluginScanThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TavrelDelayAudioProcessor;

/** A targeted scan of chosen plug-in files into the processor's known plug-in list, on the
    thread "ScannerThread", behind a modal progress window "Scanning Plugins" with a Cancel
    button (result 0, Escape). Each file is loaded in a child process: a plug-in that crashes or
    hangs is blocked and the scan goes on. "known_plugins.xml" is written after every file and
    once more at the end, so a cancelled scan keeps what it found.

    Create it with new on the message thread and keep no pointer: it deletes itself when the scan
    ends, after a Cancel too. */
class SafePluginScanner : public PluginScanThread
{
public:
    SafePluginScanner (TavrelDelayAudioProcessor& processor, const juce::StringArray& files,
                       PluginScanOptions options = PluginScanOptions::createDefault());
    ~SafePluginScanner() override;

    /** Modal callback of the progress window: stops after the file being scanned (a file still
        loading is given up without being blocked). */
    void onCancel (int result);

    /** Shows text as the progress window's message, when the window is still there. */
    void showProgressText (const juce::String& text);

    /** At the end of the scan: saves the list, dismisses the window and deletes the scanner. */
    void onScanFinished();

    /** Stops and deletes every scanner still running (each file still loading is given up, not
        blocked). The program calls it at shutdown before the processor goes: a scanner owns
        itself and would otherwise go on writing into a deleted processor's list. */
    static void deleteAll();

    /** How many scanners are running. */
    static int getNumRunning();

    TavrelDelayAudioProcessor& getProcessor() const noexcept { return processor; }
    const PluginScanOptions& getScanOptions() const noexcept { return scanOptions; }

    /** The progress window; null once it was dismissed. */
    SafeAlertWindow* getProgressWindow() const noexcept { return progressWindow.getComponent(); }

    static constexpr const char* windowTitle = "Scanning Plugins";
    static constexpr const char* preparingText = "Preparing to scan...";
    static constexpr const char* cancelButtonText = "Cancel";

private:
    TavrelDelayAudioProcessor& processor;
    const PluginScanOptions scanOptions;

    // Owned by the modal manager (deleted when dismissed): late callbacks find null here.
    juce::Component::SafePointer<SafeAlertWindow> progressWindow;

    JUCE_DECLARE_WEAK_REFERENCEABLE (SafePluginScanner)
    JUCE_DECLARE_NON_COPYABLE (SafePluginScanner)
};

/** Writes "known_plugins.xml" in the scanner's per-user folder from the processor's list. */
bool saveScannedPluginList (SafePluginScanner& scanner);
