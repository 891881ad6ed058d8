#pragma once

#include "app/SafeWindowConstrainer.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include "platform/ProgramWindows.h"

class ModernLookAndFeel;
class TavrelDelayAudioProcessorEditor;

/** "Edit Minimal Theme Colors": one swatch per colour of the minimal look; a swatch opens the
    framework's colour selector, and every change is saved to "modern_theme.xml" and shown on the
    editor at once. "Reset to Defaults (Dark Mode)" restores the dark theme and closes the window.
    Create it with new; it deletes itself when closed. */
class ThemeEditorWindow : public juce::DocumentWindow
{
public:
    ThemeEditorWindow (TavrelDelayAudioProcessorEditor& editor, ModernLookAndFeel& look);
    ~ThemeEditorWindow() override;

    void closeButtonPressed() override;

    /** Adds a label and a swatch bound to one colour member of the look. */
    void addColourRow (const juce::String& text, juce::uint32& colour);

    /** Saves the colours and shows them on the editor. */
    void applyTheme();

    /** Shows a new colour on a swatch: its colour, its ARGB text and a text colour that reads
        on it. */
    static void paintSwatch (juce::TextButton& swatch, juce::uint32 colour);

    /** Listens to one open colour selector; owned by that selector, so it never outlives it, and
        it ignores changes once the window is gone. */
    struct ColorChangeListener : public juce::ChangeListener
    {
        ColorChangeListener (juce::uint32& colourToEdit, juce::TextButton& swatch, ThemeEditorWindow& window);
        void changeListenerCallback (juce::ChangeBroadcaster* source) override;

        juce::uint32& colour;
        juce::Component::SafePointer<juce::TextButton> swatch;
        juce::Component::SafePointer<ThemeEditorWindow> window;
    };

    juce::Component::SafePointer<TavrelDelayAudioProcessorEditor> editor;
    ModernLookAndFeel* look;
    juce::OwnedArray<juce::Label> labels;
    juce::OwnedArray<juce::TextButton> colourButtons;
    juce::TextButton resetButton;
    SafeWindowConstrainer constrainer;

    /** The swatches show their own colours, whatever the minimal look makes of buttons. */
    juce::LookAndFeel_V4 swatchLook;

private:
    void resetToDarkMode();

    // Closing all secondary windows may delete this one.
    ProgramWindows::Registration programWindow{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ThemeEditorWindow)
};
