#pragma once

#include "app/SafeWindowConstrainer.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/instruments/MusicalTypingKeys.h"
#include "ui/instruments/MusicalTypingPadlock.h"
#include "ui/looks/MarlixButtonLook.h"

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The separate "Musical Keyboard" window: the computer keyboard as a note keyboard for the
    instrument slots, with an on-screen keyboard, the choice of slot (or all of them), key size,
    "Global QWERTY", a focus lock and octave and velocity steppers. Notes go into the processor's
    keyboard state on channel 1. The window keeps its own octave and velocity, taken from the
    processor when it opens and written back on every change. It deletes itself when closed. */
class MusicalTypingWindow : public juce::DocumentWindow, private juce::Timer
{
public:
    /** Builds the window and shows it. */
    explicit MusicalTypingWindow (TavrelDelayAudioProcessor& processor);
    ~MusicalTypingWindow() override;

    /** Brings the remembered window forward, or opens one, remembers it and lets the keys it
        does not use go to onUnhandledKey (the main editor's own key handler). */
    static MusicalTypingWindow* openOrShow (TavrelDelayAudioProcessor& processor,
                                            juce::Component::SafePointer<juce::Component>& remembered,
                                            std::function<bool (const juce::KeyPress&)> onUnhandledKey);

    /** Keys the window does not use; empty until its creator sets it. */
    std::function<bool (const juce::KeyPress&)> onUnhandledKey;

    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;
    void resized() override;
    void activeWindowStatusChanged() override;
    void closeButtonPressed() override;

    /** Rebuilds the output choice from the processor's slots, keeping the chosen item when it
        still exists (else the first instrument, else "All Instruments (Omni)"); the processor's
        target is not changed here. */
    void refreshOutputList();

    /** Shows octave and velocity, hands them to the processor and scrolls the keys to the octave. */
    void updateOctaveVelocity();

    /** Steps the white-key width S 35, M 55, L 75, XL 95, S (remembered for later keyboards). */
    void cycleKeySize();

    /** The note a key code plays at the window's octave, -1 for keys that play nothing. */
    int keyToNote (int keyCode) const noexcept { return MusicalTypingKeys::noteFor (keyCode, octave); }

    int getOctave() const noexcept { return octave; }
    float getVelocity() const noexcept { return velocity; }
    const juce::Array<int>& getHeldNotes() const noexcept { return heldNotes; }

    /** Whether the physical key of a character is down now; tests replace it. */
    MusicalTypingKeys::KeyDownQuery isKeyPhysicallyDown = &MusicalTypingKeys::isCharacterKeyDown;

    // Remembered while the program runs, never saved.
    static inline int lastWidth = 600;
    static inline int lastHeight = 235;
    static inline bool lockKeyboardFocus = false;
    static inline int refreshTick = 0;

    static constexpr const char* windowTitle = "Musical Keyboard";
    static constexpr int minimumWidth = 300, minimumHeight = 235, maximumWidth = 2000, maximumHeight = 800;

    // Component IDs, for tests and screens.
    static constexpr const char* outputBoxId = "OUTPUT";
    static constexpr const char* keySizeButtonId = "KEY_SIZE";
    static constexpr const char* lockButtonId = "KEY_LOCK";
    static constexpr const char* globalQwertyButtonId = "GLOBAL_QWERTY";
    static constexpr const char* octaveDownButtonId = "OCTAVE_DOWN";
    static constexpr const char* octaveUpButtonId = "OCTAVE_UP";
    static constexpr const char* velocityDownButtonId = "VELOCITY_DOWN";
    static constexpr const char* velocityUpButtonId = "VELOCITY_UP";
    static constexpr const char* octaveValueId = "OCTAVE_VALUE";
    static constexpr const char* velocityValueId = "VELOCITY_VALUE";
    static constexpr const char* keysId = "KEYS";

private:
    void timerCallback() override;
    void addButton (juce::TextButton& button, const juce::String& text, const char* id, std::function<void()> onClick);
    void addValueLabel (juce::Label& label, const juce::String& text, const char* id);
    void setFocusLock (bool locked);
    void stepOctave (int direction);
    void stepVelocity (int direction);

    TavrelDelayAudioProcessor& processor;
    juce::MidiKeyboardComponent keyboard;
    juce::ComboBox outputBox;
    juce::Label outputLabel;
    juce::TextButton keySizeButton, lockButton, globalQwertyButton, octaveDownButton, octaveUpButton, velocityDownButton,
        velocityUpButton;
    juce::Label octaveCaption, octaveValueLabel, velocityCaption, velocityValueLabel;
    PadlockButtonLook<MarlixButtonLook> buttonLook;
    juce::Array<int> heldNotes;
    int octave = 4;
    float velocity = 0.8f;
    SafeWindowConstrainer constrainer;
    juce::Component* content = nullptr; // owned by the window

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MusicalTypingWindow)
};
