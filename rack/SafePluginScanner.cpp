#include "rack/SafePluginScanner.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/PluginScanner.h"

namespace
{
// Every scanner alive; touched on the message thread only.
juce::Array<SafePluginScanner*>& runningScanners()
{
    static juce::Array<SafePluginScanner*> scanners;
    return scanners;
}
} // namespace

SafePluginScanner::SafePluginScanner (TavrelDelayAudioProcessor& processorToUse, const juce::StringArray& filesToScan,
                                      PluginScanOptions options)
    : PluginScanThread (processorToUse.pluginFormatManager, processorToUse.knownPluginList, filesToScan, options),
      processor (processorToUse), scanOptions (std::move (options))
{
    auto* window = new SafeAlertWindow (windowTitle, preparingText, juce::MessageBoxIconType::NoIcon);
    window->getProperties().set (SafeAlertWindow::bodyTextProperty, preparingText);
    window->addButton (cancelButtonText, 0, juce::KeyPress (juce::KeyPress::escapeKey));
    window->setAlwaysOnTop (true);
    progressWindow = window;

    // The thread posts these only while this object exists; the modal callback can come after
    // onScanFinished deleted it (dismissing the window calls it too), hence the weak reference.
    onProgress = [this] (const juce::String& text) { showProgressText (text); };
    onFinished = [this] { onScanFinished(); };

    window->enterModalState (true,
                             juce::ModalCallbackFunction::create (
                                 [weak = juce::WeakReference<SafePluginScanner> (this)] (int result)
                                 {
                                     if (auto* scanner = weak.get())
                                         scanner->onCancel (result);
                                 }),
                             true);

    runningScanners().add (this);
    startThread();
}

SafePluginScanner::~SafePluginScanner()
{
    runningScanners().removeFirstMatchingValue (this);

    // Normally gone already. Deleted here rather than dismissed: at shutdown no message loop may
    // run again to delete it (the modal manager copes with a window deleted under it).
    delete progressWindow.getComponent();

    // The base class stops the scan; the thread uses nothing of this class.
}

void SafePluginScanner::deleteAll()
{
    while (! runningScanners().isEmpty())
        delete runningScanners().getLast();
}

int SafePluginScanner::getNumRunning()
{
    return runningScanners().size();
}

void SafePluginScanner::onCancel (int result)
{
    juce::ignoreUnused (result);
    cancel();
}

void SafePluginScanner::showProgressText (const juce::String& text)
{
    if (auto* window = progressWindow.getComponent())
    {
        window->getProperties().set (SafeAlertWindow::bodyTextProperty, text);
        window->repaint();
    }
}

void SafePluginScanner::onScanFinished()
{
    saveScannedPluginList (*this);

    // The modal manager deletes the window; the callback it then makes finds no scanner.
    if (auto* window = progressWindow.getComponent())
        window->exitModalState (1);

    delete this;
}

bool saveScannedPluginList (SafePluginScanner& scanner)
{
    auto& processor = scanner.getProcessor();
    const PluginScanner writer (processor.pluginFormatManager, processor.knownPluginList, scanner.getScanOptions());
    return writer.saveKnownPluginList();
}
