#pragma once

#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

/** Ten pads that play the rhythm machine's voices by mouse or computer keyboard, with a pad
    velocity. They do not touch the engine: they make the slot the keyboard target and press
    notes on the processor's shared keyboard state (channel 1), which the next block hands to
    the slot. */
class DrumPadsComponent : public juce::Component
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    struct PadDef
    {
        juce::String name;
        juce::String keyHint;
        int note = 0;
        int keyCode = 0;
    };

    /** One pad: pressed while the mouse holds it (or a key, through the owner). */
    class Pad : public juce::Component
    {
    public:
        explicit Pad (const PadDef& def);

        void mouseEnter (const juce::MouseEvent&) override;
        void mouseExit (const juce::MouseEvent&) override;
        void mouseDown (const juce::MouseEvent&) override;
        void mouseUp (const juce::MouseEvent&) override;
        void paint (juce::Graphics&) override;

        /** Sets the pressed state; a change repaints and calls onTrigger. */
        void setDown (bool down);

        juce::String padName;
        juce::String keyHint;
        int padNote = 0;
        bool isDown = false;
        std::function<void (int note, bool down)> onTrigger;

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Pad)
    };

    static constexpr int numPads = 10;

    DrumPadsComponent (TavrelDelayAudioProcessor& processor, InstrumentPlugin* slot);
    ~DrumPadsComponent() override;

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;
    void focusLost (FocusChangeType) override;
    void resized() override;

    /** Presses or releases a note for this slot on the processor's keyboard state. */
    void triggerPad (int note, bool down);

    /** The velocity text (0..127) and the processor's keyboard velocity follow padVelocity. */
    void updateVelocity();
    void changeVelocity (float delta);

    /** The pads' notes held by the computer keyboard are released when their key is up;
        isKeyDown decides for a key code (the framework's key state by default). */
    void releaseKeysNoLongerDown (const std::function<bool (int keyCode)>& isKeyDown);

    TavrelDelayAudioProcessor* processor = nullptr;
    InstrumentPlugin* slot = nullptr;
    juce::TextButton minusButton{"-"}, plusButton{"+"};
    juce::Label velocityCaption, velocityLabel;
    juce::LookAndFeel_V4 smallButtonLook;
    juce::Array<int> heldNotes;
    float padVelocity = 0.8f;
    std::vector<PadDef> padDefs;
    juce::OwnedArray<Pad> pads;

private:
    Pad* findPadForNote (int note) const;
    const PadDef* findDefForNote (int note) const;
    void makeSlotKeyboardTarget();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DrumPadsComponent)
};
