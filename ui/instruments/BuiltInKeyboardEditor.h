#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/instruments/EmbeddedInstrumentKeyboard.h"
#include "ui/looks/CustomLookAndFeel.h"
#include "ui/looks/MidiGlassPane.h"
#include "ui/looks/RackButtonLook.h"
#include "ui/looks/RhythmLCDLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <memory>

/** The front panel of the stage keyboard (built-in instrument type 5): six model buttons, six
    tone and tremolo knobs, the preset display, MIDI LEARN with its learning pane, and KBD, which
    shows the on-screen keyboard strip under the panel.

    Every control writes straight into the slot's engine on the message thread and marks the reel
    as changed; a 41 ms timer brings the knobs back in line when a preset or a MIDI controller
    changed the engine. Without a slot or an engine the panel stays empty and inert.

    Layout and painting are in BuiltInKeyboardEditorLayout.cpp. */
class BuiltInKeyboardEditor : public juce::Component, private juce::Slider::Listener, private juce::Timer
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    static constexpr int designWidth = 1350;
    static constexpr int baseHeight = 480;
    static constexpr int keyboardHeight = 320;
    static constexpr int timerIntervalMs = 41;
    static constexpr int modelRadioGroup = 505;
    static constexpr int numModels = 6;
    static constexpr int numKnobs = 6;

    static constexpr const char* presetCategory = "StageKeyboard";
    static constexpr const char* title = "Velmora STAGE KEYBOARD";
    static constexpr const char* learnText = "MIDI LEARN";
    static constexpr const char* kbdText = "KBD";

    /** The model buttons' texts, in model order. */
    static const std::array<const char*, numModels> modelNames;

    /** One knob: caption, component ID (also its MIDI-learn control ID), range and engine field. */
    struct KnobRow
    {
        const char* caption;
        const char* componentId;
        double minimum;
        double maximum;
        enum Text { twoDecimals, decibels, hertz } text;
    };

    /** VOLUME, DRIVE, BASS EQ, TREB EQ, TREM RATE, TREM DEPTH. */
    static const std::array<KnobRow, numKnobs> knobRows;

    /** The knob value texts: "+6.0 dB" (the -1..1 range read as +-12 dB), "4.0 Hz", "1.00". */
    static juce::String valueText (KnobRow::Text kind, double value);

    BuiltInKeyboardEditor (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot);
    ~BuiltInKeyboardEditor() override;

    /** The engine settings as a "PRESET" element (empty without an engine). */
    std::unique_ptr<juce::XmlElement> createPresetXml() const;

    /** Reads a "PRESET" element into the engine and the controls; a missing attribute takes its
        default, and every value is held to its range. */
    void applyPresetXml (const juce::XmlElement& xml);

    /** Called after KBD showed or hid the keyboard strip (the instrument window resizes). */
    std::function<void()> onKeyboardToggled;

    /** The learning pane's click: arms MIDI learn for the control under the mouse. */
    void learnControl (const juce::MouseEvent&);

    // juce::Component
    void mouseDown (const juce::MouseEvent&) override;
    void parentHierarchyChanged() override;
    void lookAndFeelChanged() override;
    void paint (juce::Graphics&) override;
    void paintOverChildren (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;
    void resized() override;

    /** One timer tick (public so that tests need not wait for it). */
    void timerCallback() override;

    //==============================================================================
    CustomLookAndFeel customLook;
    RackButtonLook buttonLook;
    RhythmLCDLook lcdLook;
    juce::TextButton presetButton;
    juce::String presetName{"Default"};
    TavrelDelayAudioProcessor* processor = nullptr;
    juce::Image background;
    juce::TextButton learnButton{learnText};
    MidiGlassPane glassPane;
    juce::Component::SafePointer<juce::Component> learnTarget;
    bool learnWasArmed = false;
    juce::TextButton kbdButton{kbdText};
    std::unique_ptr<EmbeddedInstrumentKeyboard> keyboard;
    std::array<juce::TextButton, numModels> modelButtons;
    std::array<juce::Slider, numKnobs> knobs;
    juce::OwnedArray<juce::Label> labels;
    juce::Rectangle<int> modelSection, toneSection;
    InstrumentPlugin* slot = nullptr;
    bool isClosing = false;

private:
    bool hasEngine() const noexcept;
    float& engineField (int knobIndex) const;
    void addKnob (int index);
    void markChanged();
    void learnButtonClicked();
    void kbdButtonClicked();
    void showKeyboard (bool shouldShow);

    void sliderValueChanged (juce::Slider*) override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BuiltInKeyboardEditor)
};
