#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TavrelDelayAudioProcessorEditor;

/** The "SHORTCUTS" page of the settings panel: one row per shortcut action with the bound key;
    clicking a key button makes the editor bind the next key pressed to that action. The map,
    its file and the key handling are the editor's. */
class ShortcutsTab : public juce::Component
{
public:
    explicit ShortcutsTab (TavrelDelayAudioProcessorEditor& editor);
    /** Cancels a binding still awaited, so no later key press calls into the deleted page. */
    ~ShortcutsTab() override;

    void resized() override;

    /** The description of the action's key, or "None" when it has no key. */
    static juce::String keyTextFor (const TavrelDelayAudioProcessorEditor& editor, const juce::String& action);

    juce::Label instructions;
    juce::TextButton resetButton;
    juce::OwnedArray<juce::Label> actionLabels;
    juce::OwnedArray<juce::TextButton> keyButtons;

private:
    void startLearning (int row);
    void refreshKeyTexts();

    TavrelDelayAudioProcessorEditor& editor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ShortcutsTab)
};
