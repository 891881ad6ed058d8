#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/instruments/TannerinGateHold.h"
#include "ui/instruments/TannerinSliderLook.h"
#include "ui/looks/CustomLookAndFeel.h"
#include "ui/looks/MidiGlassPane.h"
#include "ui/looks/RackButtonLook.h"
#include "ui/looks/RhythmLCDLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <memory>

class TannerinBreakoutWindow;
class TannerinEngine;

/** The editor of an instrument slot holding the built-in slide instrument: a 1350 x 500
    faceplate with six panels (GLOBAL, SLIDE CONTROL, OSCILLATORS, FILTER and the two envelopes),
    a preset display and MIDI LEARN. Every control writes straight into the slot's engine and
    marks the reel changed; a 33 ms timer brings the controls back to the engine's values, so
    learned controllers, presets and reel loads show up. The gate is played with GATE, the space
    bar, LATCH and, with TOUCH on, by grabbing the SLIDE strip; KBD opens the performance window.

    Without a slot or a slide engine the editor stays empty: no controls, no timer, no size. */
class BuiltInTannerinEditor : public juce::Component,
                              public juce::Slider::Listener,
                              public juce::ComboBox::Listener,
                              public juce::Timer
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    static constexpr int designWidth = 1350;
    static constexpr int designHeight = 500;

    /** The knobs, in the order of their fields and captions. */
    enum Knob
    {
        master, octave, vibRate, vibDepth, vibDelay, vibAttack,
        level1, tune2, fine2, level2,
        cutoff, resonance, envMod,
        filterAttack, filterDecay, filterSustain, filterRelease,
        ampAttack, ampDecay, ampSustain, ampRelease,
        knobCount
    };

    /** One knob's caption, ID, range and value text; its engine field is fieldOf. */
    struct KnobInfo
    {
        const char* caption;
        const char* id;
        double minimum, maximum;
        bool wholeSteps;
        double skew;
        const char* suffix;
    };
    static const std::array<KnobInfo, knobCount> knobInfo;

    /** The panels, in the order of sectionAreas. */
    enum Section { globalSection, slideSection, oscillatorSection, filterSection, filterEnvSection, ampEnvSection };
    static const char* const sectionTitles[6];

    BuiltInTannerinEditor (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot);
    ~BuiltInTannerinEditor() override;

    void parentHierarchyChanged() override;
    void lookAndFeelChanged() override;
    void paint (juce::Graphics&) override;
    void paintOverChildren (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;
    void resized() override;
    void sliderValueChanged (juce::Slider*) override;
    void comboBoxChanged (juce::ComboBox*) override;
    void timerCallback() override;

    /** A "PRESET" element of the sound (no attributes without an engine); owned by the caller. */
    std::unique_ptr<juce::XmlElement> createPresetXml() const;

    /** Applies a preset element: missing attributes take their defaults. */
    void applyPresetXml (const juce::XmlElement&);

    /** The capture layer's click in learn mode: arms the control under the pointer. */
    void learnControl (const juce::MouseEvent&);

    /** The slot's slide engine, or null. */
    TannerinEngine* engine() const;

    /** The knob's value in the engine. */
    static double fieldValue (const TannerinEngine&, int knob);
    static void setField (TannerinEngine&, int knob, double value);

    /** The keyboard picture's area in the SLIDE CONTROL panel. */
    juce::Rectangle<float> pictureArea() const;

    /** GATE pressed with the mouse or held by the space bar. */
    bool isGatePressed() const { return gateHold.isHeld(); }

    /** Asks for the physical key, since key-up events may go to another window. Tests replace it. */
    std::function<bool (int keyCode)> isKeyPhysicallyDown = [] (int keyCode)
    { return juce::KeyPress::isKeyCurrentlyDown (keyCode); };

    CustomLookAndFeel customLook;
    RackButtonLook buttonLook;
    TannerinSliderLook slideLook;
    RhythmLCDLook lcdLook;
    juce::TextButton presetButton;
    juce::String presetName{"Default"};
    TavrelDelayAudioProcessor& processor;
    juce::Image background;
    juce::TextButton learnButton;
    MidiGlassPane glassPane;
    juce::Component::SafePointer<juce::Component> learnTarget;
    bool learnWasArmed = false;
    juce::Slider slideSlider;
    std::array<juce::Slider, knobCount> knobs;
    juce::ComboBox wave1Box, wave2Box, filterTypeBox;
    juce::TextButton gateButton, latchButton;
    juce::OwnedArray<juce::Label> captionLabels;
    juce::TextButton keyboardButton, lightsButton, touchButton;
    juce::Component::SafePointer<TannerinBreakoutWindow> performanceWindow;
    std::array<juce::Rectangle<int>, 6> sectionAreas;
    InstrumentPlugin* slot = nullptr;
    bool isClosing = false;

private:
    void addKnob (int knob);
    void addCaption (const juce::String& text);
    void setUpBox (juce::ComboBox&, const juce::StringArray& items, int field, const char* id);
    void setUpButton (juce::TextButton&, const char* text, juce::uint32 buttonColour, juce::uint32 onColour);
    void latchClicked();
    void openPerformanceWindow();
    void showPresets();
    void learnClicked();
    void layoutKnobRow (juce::Rectangle<int> area, int firstKnob, int count, int firstCaption, int offset);
    void drawSection (juce::Graphics&, juce::Rectangle<int> area, const juce::String& title) const;
    void markChanged();

    TannerinGateHold gateHold{gateButton};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BuiltInTannerinEditor)
};
