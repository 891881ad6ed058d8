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
#include <utility>
#include <vector>

/** What the synthesizer editors have in common: the header (preset display, "MIDI LEARN",
    "KBD"), the learn pane, the on-screen keyboard, the look switching, knobs and choice boxes
    bound to engine fields, the timer that mirrors the engine into them, and the drawing and
    layout helpers of the panel.

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

    struct KnobDescription
    {
        const char* id;
        const char* caption;
        double minimum, maximum;
        double skew;
        const char* suffix;
        double interval = 0.0;
    };

    /** The face: its title, and the panel's width and left edge as shares of the editor's width. */
    struct Face
    {
        const char* title;
        float widthShare, leftShare;
    };

    InstrumentEditorBase (TavrelDelayAudioProcessor&, InstrumentPlugin*, juce::String presetCategory, Face);

    /** Whether the slot holds the engine this editor edits. */
    virtual bool hasEngine() const = 0;

    juce::Slider& addKnob (const KnobDescription&, Binding);
    juce::ComboBox& addChoice (const char* id, const char* caption, const juce::StringArray& items, Binding);

    /** The set-up after the controls: preset, learn and keyboard buttons, the keyboard when it
        is to be shown, focus, the timer and the size (taller by the keyboard when shown). */
    void finishSetUp (int width);

    template <typename Editor>
    using EngineOf = std::remove_pointer_t<decltype (std::declval<const Editor&>().engine())>;

    /** A float or int engine field behind a knob (an int takes the value truncated toward zero);
        with an item offset of 1, an int index behind a choice box (item ID = index + 1). */
    template <typename Editor, typename Engine, typename Value>
    static Binding fieldBinding (const Editor* editor, Value Engine::*field, int itemOffset = 0)
    {
        return {[editor, field, itemOffset] { return (double)(editor->engine()->*field) + itemOffset; },
                [editor, field, itemOffset] (double v) { editor->engine()->*field = (Value)(v - itemOffset); }};
    }

    template <typename Editor, typename Engine> static Binding itemBinding (const Editor* editor, int Engine::*field)
    {
        return fieldBinding (editor, field, 1);
    }

    /** Knobs of float engine fields, in order. */
    template <typename Editor>
    void addFloatKnobs (const Editor* editor,
                        std::initializer_list<std::pair<KnobDescription, float EngineOf<Editor>::*>> knobsAndFields)
    {
        for (const auto& [description, field] : knobsAndFields)
            addKnob (description, fieldBinding (editor, field));
    }

    /** The filter's CUTOFF, RESONANCE and ENV MOD knobs, alike on both synthesizers. */
    template <typename Editor> void addFilterKnobs (const Editor* editor)
    {
        namespace Ids = InstrumentEditorIds;
        using Engine = EngineOf<Editor>;
        addFloatKnobs (editor, {{{Ids::cutoff, "CUTOFF", 20.0, 20000.0, 0.3, " Hz"}, &Engine::synthCutoff},
                                {{Ids::resonance, "RESONANCE", 0.0, 0.95, 1.0, ""}, &Engine::synthRes},
                                {{Ids::envMod, "ENV MOD", 0.0, 10000.0, 1.0, " Hz"}, &Engine::synthEnvMod}});
    }

    /** The filter and amplifier envelopes' eight knobs, alike on both synthesizers. */
    template <typename Editor> void addEnvelopeKnobs (const Editor* editor)
    {
        namespace Ids = InstrumentEditorIds;
        using Engine = EngineOf<Editor>;
        addFloatKnobs (editor, {{{Ids::filterAttack, "ATTACK", 1.0, 5000.0, 0.3, " ms"}, &Engine::fEnvA},
                                {{Ids::filterDecay, "DECAY", 10.0, 5000.0, 0.3, " ms"}, &Engine::fEnvD},
                                {{Ids::filterSustain, "SUSTAIN", 0.0, 1.0, 1.0, ""}, &Engine::fEnvS},
                                {{Ids::filterRelease, "RELEASE", 10.0, 5000.0, 0.3, " ms"}, &Engine::fEnvR},
                                {{Ids::ampAttack, "ATTACK", 2.0, 5000.0, 0.3, " ms"}, &Engine::aEnvA},
                                {{Ids::ampDecay, "DECAY", 10.0, 5000.0, 0.3, " ms"}, &Engine::aEnvD},
                                {{Ids::ampSustain, "SUSTAIN", 0.0, 1.0, 1.0, ""}, &Engine::aEnvS},
                                {{Ids::ampRelease, "RELEASE", 10.0, 5000.0, 0.3, " ms"}, &Engine::aEnvR}});
    }

    //==============================================================================
    // Drawing and layout helpers.

    /** The panel's width (c) and left edge (d) at the editor's width. */
    int panelWidth() const;
    int panelLeft() const;

    /** The background (theme colour, or the picture over the top 555 pixels), the title in
        (d, 42, c, 40) and the rule under it. */
    void paintFace (juce::Graphics&) const;

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
    Face face;
    juce::OwnedArray<juce::Slider> knobs;
    juce::OwnedArray<juce::ComboBox> choices;
    std::vector<Control> controls;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstrumentEditorBase)
};
