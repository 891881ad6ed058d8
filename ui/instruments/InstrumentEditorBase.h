#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/instruments/EmbeddedInstrumentKeyboard.h"
#include "ui/instruments/InstrumentEditorIds.h"
#include "ui/looks/CustomLookAndFeel.h"
#include "ui/looks/MidiGlassPane.h"
#include "ui/looks/RackButtonLook.h"
#include "ui/looks/RhythmLCDLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

/** What the synthesizer editors have in common: the header (preset display, "MIDI LEARN",
    "KBD"), the learn pane, the on-screen keyboard, the look switching, knobs and choice boxes
    bound to engine fields, the timer that mirrors the engine into them, and the drawing and
    layout pieces of the panel.

    The editor edits its slot's engine directly on the message thread. A derived editor makes its
    controls with addKnob / addChoice (each with a binding that reads and writes its engine
    field), then calls finishSetUp; without a slot or an engine it makes nothing and stays
    empty, and every handler does nothing. */
class InstrumentEditorBase : public juce::Component,
                             public juce::Slider::Listener,
                             public juce::ComboBox::Listener,
                             public juce::Timer
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    static constexpr int timerIntervalMs = 41;
    static constexpr int keyboardHeight = 320;
    static constexpr int panelHeight = 555;

    ~InstrumentEditorBase() override;

    void mouseDown (const juce::MouseEvent&) override;
    void parentHierarchyChanged() override;
    void lookAndFeelChanged() override;
    void paintOverChildren (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;

    void sliderValueChanged (juce::Slider*) override;
    void comboBoxChanged (juce::ComboBox*) override;
    void timerCallback() override;

    /** A "PRESET" element with the engine's settings (no attributes without an engine). */
    std::unique_ptr<juce::XmlElement> createPresetXml() const;

    /** Gives the engine the element's settings (missing ones the default sound's), shows them
        and marks the reel changed. */
    void applyPresetXml (const juce::XmlElement&);

    /** The learn pane's click: the control under it becomes the learn target. */
    void learnControl (const juce::MouseEvent&);

    /** The knob or choice box with this component ID, or nullptr. */
    juce::Slider* findKnob (const juce::String& componentId) const;
    juce::ComboBox* findChoice (const juce::String& componentId) const;

    /** The caption of a control, or nullptr. */
    juce::Label* findCaption (const juce::Component& control) const;

    CustomLookAndFeel customLook;
    RackButtonLook buttonLook;
    RhythmLCDLook lcdLook;
    juce::TextButton presetButton;
    juce::String presetName{"Default"};
    TavrelDelayAudioProcessor& processor;
    juce::Image background;
    juce::TextButton learnButton{"MIDI LEARN"};
    MidiGlassPane glassPane;
    juce::Component::SafePointer<juce::Component> learnTarget;
    bool learnWasArmed = false;
    juce::TextButton kbdButton{"KBD"};
    std::unique_ptr<EmbeddedInstrumentKeyboard> keyboard;

    /** Set by the owner; called after the keyboard was shown or hidden. */
    std::function<void()> onKeyboardToggled;

    /** One caption per control, in creation order. */
    juce::OwnedArray<juce::Label> captionLabels;

    InstrumentPlugin* slot = nullptr;
    bool isClosing = false;

protected:
    /** How a control reaches its engine field: a knob's value, or a choice box's item ID. */
    struct Binding
    {
        std::function<double()> read;
        std::function<void (double)> write;
    };

    struct KnobSpec
    {
        const char* id;
        const char* caption;
        double minimum, maximum;
        double skew;
        const char* suffix;
        double interval = 0.0;
    };

    InstrumentEditorBase (TavrelDelayAudioProcessor&, InstrumentPlugin*, juce::String presetCategory);

    /** Whether the slot holds the engine this editor edits. */
    virtual bool hasEngine() const = 0;

    juce::Slider& addKnob (const KnobSpec&, Binding);
    juce::ComboBox& addChoice (const char* id, const char* caption, const juce::StringArray& items, Binding);

    /** The set-up after the controls: preset, learn and keyboard buttons, the keyboard when it
        is to be shown, focus, the timer and the size (taller by the keyboard when shown). */
    void finishSetUp (int width);

    /** A float engine field. */
    template <typename Editor, typename Engine> static Binding floatBinding (const Editor* editor, float Engine::*field)
    {
        return {[editor, field] { return (double)(editor->engine()->*field); },
                [editor, field] (double v) { editor->engine()->*field = (float)v; }};
    }

    /** An int engine field behind a knob: the knob's value truncated toward zero. */
    template <typename Editor, typename Engine>
    static Binding truncatingBinding (const Editor* editor, int Engine::*field)
    {
        return {[editor, field] { return (double)(editor->engine()->*field); },
                [editor, field] (double v) { editor->engine()->*field = (int)v; }};
    }

    /** An int engine index behind a choice box: item ID = index + 1. */
    template <typename Editor, typename Engine> static Binding itemBinding (const Editor* editor, int Engine::*field)
    {
        return {[editor, field] { return (double)(editor->engine()->*field + 1); },
                [editor, field] (double id) { editor->engine()->*field = (int)id - 1; }};
    }

    /** The filter's CUTOFF, RESONANCE and ENV MOD knobs, alike on both synthesizers. */
    template <typename Editor> void addFilterKnobs (const Editor* editor)
    {
        using Engine = std::remove_pointer_t<decltype (editor->engine())>;
        addKnob ({InstrumentEditorIds::cutoff, "CUTOFF", 20.0, 20000.0, 0.3, " Hz"},
                 floatBinding (editor, &Engine::synthCutoff));
        addKnob ({InstrumentEditorIds::resonance, "RESONANCE", 0.0, 0.95, 1.0, ""},
                 floatBinding (editor, &Engine::synthRes));
        addKnob ({InstrumentEditorIds::envMod, "ENV MOD", 0.0, 10000.0, 1.0, " Hz"},
                 floatBinding (editor, &Engine::synthEnvMod));
    }

    /** The filter and amplifier envelopes' eight knobs, alike on both synthesizers. */
    template <typename Editor> void addEnvelopeKnobs (const Editor* editor)
    {
        using Engine = std::remove_pointer_t<decltype (editor->engine())>;
        addKnob ({InstrumentEditorIds::filterAttack, "ATTACK", 1.0, 5000.0, 0.3, " ms"},
                 floatBinding (editor, &Engine::fEnvA));
        addKnob ({InstrumentEditorIds::filterDecay, "DECAY", 10.0, 5000.0, 0.3, " ms"},
                 floatBinding (editor, &Engine::fEnvD));
        addKnob ({InstrumentEditorIds::filterSustain, "SUSTAIN", 0.0, 1.0, 1.0, ""},
                 floatBinding (editor, &Engine::fEnvS));
        addKnob ({InstrumentEditorIds::filterRelease, "RELEASE", 10.0, 5000.0, 0.3, " ms"},
                 floatBinding (editor, &Engine::fEnvR));
        addKnob ({InstrumentEditorIds::ampAttack, "ATTACK", 2.0, 5000.0, 0.3, " ms"},
                 floatBinding (editor, &Engine::aEnvA));
        addKnob ({InstrumentEditorIds::ampDecay, "DECAY", 10.0, 5000.0, 0.3, " ms"},
                 floatBinding (editor, &Engine::aEnvD));
        addKnob ({InstrumentEditorIds::ampSustain, "SUSTAIN", 0.0, 1.0, 1.0, ""},
                 floatBinding (editor, &Engine::aEnvS));
        addKnob ({InstrumentEditorIds::ampRelease, "RELEASE", 10.0, 5000.0, 0.3, " ms"},
                 floatBinding (editor, &Engine::aEnvR));
    }

    //==============================================================================
    // Drawing and layout pieces; c and d are the panel's width and left edge for this width.

    /** The background (theme colour, or the picture over the top 555 pixels), the title in
        (d, 42, c, 40) and the rule under it. */
    void paintFace (juce::Graphics&, const juce::String& title, int c, int d) const;

    /** A section's rounded panel and its title. */
    void paintSection (juce::Graphics&, juce::Rectangle<int> area, const juce::String& title) const;

    /** A sunken groove: one line in the minimal look; otherwise a dark band of darkHeight and a
        light line under it. */
    void paintGroove (juce::Graphics&, int x, int y, int width, int darkHeight) const;

    /** The header buttons, the learn pane and the keyboard. */
    void layOutHeader (int c, int d);

    /** Knobs spread over n + 1 equal steps of the section, 58 x 74, captions 100 wide above. */
    void layOutKnobsInSteps (juce::Rectangle<int> section, int rowOffset, std::initializer_list<const char*> ids);

    /** Knobs centred in n equal cells of the section, 50 x 66, captions a cell wide above. */
    void layOutKnobsInCells (juce::Rectangle<int> section, int rowOffset, std::initializer_list<const char*> ids);

    /** Choice boxes centred in n equal cells of the section at y + 50, 86 x 24. */
    void layOutChoicesInCells (juce::Rectangle<int> section, std::initializer_list<const char*> ids);

    /** A 100 x 24 choice box at (x, y), its caption 100 x 20 right above it. */
    void placeChoice (const char* id, int x, int y);

private:
    struct Control
    {
        juce::Slider* knob = nullptr;
        juce::ComboBox* box = nullptr;
        juce::Label* caption = nullptr;
        Binding binding;

        juce::Component* component() const { return knob != nullptr ? (juce::Component*)knob : box; }
    };

    juce::Label& addCaption (const char* text);
    const Control* findControl (const juce::Component*) const;
    void placeCaption (const juce::Component& control, juce::Rectangle<int> bounds);

    void refreshControls (bool evenWhileHeld);
    void markChanged();
    void learnButtonClicked();
    void kbdButtonClicked();

    juce::String presetCategory;
    juce::OwnedArray<juce::Slider> knobs;
    juce::OwnedArray<juce::ComboBox> choices;
    std::vector<Control> controls;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstrumentEditorBase)
};
