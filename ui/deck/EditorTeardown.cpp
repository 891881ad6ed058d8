#include "ui/deck/EditorIds.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

namespace
{
/** Deletes a separate window the editor opened, when it still exists and is one. */
void closeOwnedWindow (juce::Component::SafePointer<juce::Component>& window)
{
    if (auto* documentWindow = dynamic_cast<juce::DocumentWindow*> (window.getComponent()))
        delete documentWindow;
    window = nullptr;
}

void clearLooks (juce::Component& component)
{
    component.setLookAndFeel (nullptr);
    for (auto* child : component.getChildren())
        clearLooks (*child);
}
} // namespace

TavrelDelayAudioProcessorEditor::~TavrelDelayAudioProcessorEditor()
{
    stopTimer();

    closeOwnedWindow (masterInsertWindow);
    closeOwnedWindow (musicalTypingWindow);
    closeOwnedWindow (performanceWindow);
    closeFlowWindows(); // theme editor and track reorder windows

    // Overlays delete themselves when closed; one still open when the editor goes has no other
    // owner.
    for (const auto* id : {EditorIds::importPanel, EditorIds::settingsPanel, EditorIds::exportOverlay, EditorIds::aboutPanel})
    {
        while (auto* overlay = deckPanel.findChildWithID (id))
        {
            deckPanel.removeChildComponent (overlay);
            delete overlay;
        }
    }

    // No component may keep a look that dies with the editor, nor may the application's default.
    clearLooks (deckPanel);
    if (tapeRoom != nullptr)
        tapeRoom->setLookAndFeel (nullptr);
    setLookAndFeel (nullptr);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    deckPanel.removeMouseListener (this);
}
