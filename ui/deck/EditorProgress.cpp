#include "ui/deck/SaveProgressThread.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

void TavrelDelayAudioProcessorEditor::saveReelWithProgress (int slot, const juce::String& newReelName,
                                                            std::function<void (juce::Result)> onDone)
{
    auto* save = new SaveProgressThread (audioProcessor, slot, newReelName, this);
    save->setWindowLook (&getLookAndFeel());
    save->onComplete = [safeThis = juce::Component::SafePointer<TavrelDelayAudioProcessorEditor> (this),
                        done = std::move (onDone)] (juce::Result result) {
        if (safeThis == nullptr)
            return;

        // The reel on disk is as it was before the save: say why, nothing is lost.
        if (result.failed())
            juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Save Failed",
                                                    result.getErrorMessage(), "OK", safeThis.getComponent());

        safeThis->repaint();

        if (done)
            done (result);
    };
    save->launchThread();
}
