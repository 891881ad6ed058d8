#pragma once

#include "instruments/InstrumentPresets.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

/** The preset menu of a built-in instrument editor's preset button: save the current sound
    under a name, delete the current preset, return to the default sound, or load a preset of
    the instrument's folder. It knows nothing of the instruments: the editor hands it one
    function that builds a "PRESET" element from the engine and one that applies such an
    element (an empty one meaning every default) to the engine and its controls.

    The state lives as long as the menu or its save dialog is shown and holds the button only
    weakly, so closing the editor meanwhile makes every choice do nothing. */
class InstrumentPresetMenu : public std::enable_shared_from_this<InstrumentPresetMenu>
{
public:
    using CreateXml = std::function<std::unique_ptr<juce::XmlElement>()>;
    using ApplyXml = std::function<void (const juce::XmlElement&)>;

    enum Result
    {
        savePreset = 1,
        deletePreset = 2,
        defaultSound = 10,
        firstPreset = 100
    };

    static constexpr const char* defaultName = "Default";
    static constexpr const char* nameField = "name";

    InstrumentPresetMenu (juce::Component* presetButton, juce::String& presetName, const juce::String& category,
                          CreateXml createXml, ApplyXml applyXml,
                          const juce::File& userDataFolder = Platform::getUserDataFolder());

    /** Lists the folder (making it when missing) and builds the menu. */
    juce::PopupMenu buildMenu();

    /** The menu's callback; 0 and unlisted results do nothing. */
    void handlePresetMenuChoice (int result);

    /** Opens the "Save Preset" dialog, on top and modal; returns it (it deletes itself when
        closed). */
    juce::AlertWindow* openSaveDialog();

    /** The save dialog's callback: saves under the trimmed name for result 1. A name that is
        not a legal file name, or a file that cannot be written, is reported in a message box
        and leaves the preset name as it was. */
    void savePresetFromDialog (int result, juce::AlertWindow* dialog);

    /** The message box of the last failed save, while it is open. */
    juce::AlertWindow* getFailureBox() const { return failureBox.getComponent(); }

    const InstrumentPresets& getPresets() const noexcept { return presets; }

private:
    void setPresetName (const juce::String& name);

    juce::Component::SafePointer<juce::Component> button;
    juce::String& presetName;
    InstrumentPresets presets;
    juce::StringArray names;
    CreateXml createXml;
    ApplyXml applyXml;
    juce::Component::SafePointer<juce::AlertWindow> failureBox;
};

/** Builds the menu and shows it asynchronously at the button; returns at once. presetName is
    the slot's preset name (or the editor's own when it has no slot) and must outlive the
    button. */
void showInstrumentPresetMenu (juce::Component* presetButton, juce::String& presetName, const juce::String& category,
                               InstrumentPresetMenu::CreateXml createXml, InstrumentPresetMenu::ApplyXml applyXml);
