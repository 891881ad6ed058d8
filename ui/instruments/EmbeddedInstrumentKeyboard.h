#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/instruments/MusicalTypingKeys.h"
#include "ui/instruments/MusicalTypingPadlock.h"
#include "ui/looks/RackButtonLook.h"

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The keyboard strip under an instrument editor's panel: an on-screen piano on the processor's
    keyboard state, played by mouse and by the computer keyboard, with a toolbar for octave,
    velocity, key size and a focus lock. Clicking it or typing a note makes its own slot the
    processor's keyboard target, so the notes reach that instrument only. The editor forwards
    its own key events to keyPressed and keyStateChanged. */
class EmbeddedInstrumentKeyboard : public juce::Component, private juce::Timer
{
public:
    /** The strip's height in the editors that show it. */
    static constexpr int preferredHeight = 320;
    /** Height of the toolbar row above the keys (less when the strip is lower). */
    static constexpr int toolbarHeight = 30;

    /** slot may be null (an editor without a slot): the strip then plays without choosing a target. */
    EmbeddedInstrumentKeyboard (TavrelDelayAudioProcessor& processor, TavrelDelayAudioProcessor::InstrumentPlugin* slot);
    ~EmbeddedInstrumentKeyboard() override;

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;
    void focusLost (FocusChangeType) override;
    void resized() override;

    /** Semitones above the octave's C for a typed key code (either case), -1 for other keys. */
    static int keyToNoteOffset (int keyCode) noexcept { return MusicalTypingKeys::offsetOf (keyCode); }

    /** Shows octave and velocity, hands them to the processor and scrolls the keys to the
        octave (one octave lower while the keys are narrow). */
    void updateDisplay();

    /** Steps the white-key width S 35, M 55, L 75, XL 95, S; the new width is also remembered for
        keyboards made later. */
    void cycleKeySize();

    int getOctave() const noexcept { return octave; }
    float getVelocity() const noexcept { return velocity; }
    const juce::Array<int>& getHeldNotes() const noexcept { return heldNotes; }
    bool isFocusLocked() const noexcept { return lockButton.getToggleState(); }

    /** Whether the physical key of a character is down now; tests replace it. */
    MusicalTypingKeys::KeyDownQuery isKeyPhysicallyDown = &MusicalTypingKeys::isCharacterKeyDown;

    // Component IDs, for tests and screens.
    static constexpr const char* keySizeButtonId = "KEY_SIZE";
    static constexpr const char* lockButtonId = "KEY_LOCK";
    static constexpr const char* octaveDownButtonId = "OCTAVE_DOWN";
    static constexpr const char* octaveUpButtonId = "OCTAVE_UP";
    static constexpr const char* velocityDownButtonId = "VELOCITY_DOWN";
    static constexpr const char* velocityUpButtonId = "VELOCITY_UP";
    static constexpr const char* octaveValueId = "OCTAVE_VALUE";
    static constexpr const char* velocityValueId = "VELOCITY_VALUE";
    static constexpr const char* keysId = "KEYS";

private:
    void timerCallback() override;
    void makeSlotTheTarget();
    void setFocusLock (bool locked);
    void stepOctave (int direction);
    void stepVelocity (int direction);

    TavrelDelayAudioProcessor& processor;
    TavrelDelayAudioProcessor::InstrumentPlugin* slot;
    juce::MidiKeyboardComponent keyboardComponent;
    juce::TextButton keySizeButton, lockButton, octaveDownButton, octaveUpButton, velocityDownButton, velocityUpButton;
    juce::Label octaveCaption, octaveValueLabel, velocityCaption, velocityValueLabel;
    PadlockButtonLook<RackButtonLook> buttonLook;
    juce::Array<int> heldNotes;
    int octave = 4;
    float velocity = 0.8f;
    // The window made modal by the lock, so that its modal state ends with the strip.
    juce::Component::SafePointer<juce::Component> lockedWindow;
    bool wasAlwaysOnTop = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EmbeddedInstrumentKeyboard)
};

/** A new strip for an editor's slot, owned by the caller. */
std::unique_ptr<EmbeddedInstrumentKeyboard> makeEmbeddedInstrumentKeyboard (TavrelDelayAudioProcessor& processor,
                                                                            TavrelDelayAudioProcessor::InstrumentPlugin* slot);
