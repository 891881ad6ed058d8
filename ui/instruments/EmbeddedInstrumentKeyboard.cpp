#include "ui/instruments/EmbeddedInstrumentKeyboard.h"

#include "ui/instruments/InstrumentUiState.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

namespace
{
constexpr int noteChannel = 1;

const juce::String& unlockedText = MusicalTypingPadlock::unlockedText();
const juce::String& lockedText = MusicalTypingPadlock::lockedText();
} // namespace

EmbeddedInstrumentKeyboard::EmbeddedInstrumentKeyboard (TavrelDelayAudioProcessor& owner,
                                                        TavrelDelayAudioProcessor::InstrumentPlugin* instrumentSlot)
    : processor (owner),
      slot (instrumentSlot),
      keyboardComponent (owner.keyboardState, juce::MidiKeyboardComponent::horizontalKeyboard)
{
    const auto setUpButton = [this] (juce::TextButton& button, const juce::String& text, const char* id,
                                     std::function<void()> onClick)
    {
        button.setButtonText (text);
        button.setComponentID (id);
        button.setLookAndFeel (&buttonLook);
        button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
        button.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xff444444));
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        button.setColour (juce::TextButton::textColourOnId, juce::Colours::white);
        button.onClick = std::move (onClick);
        addAndMakeVisible (button);
    };

    setUpButton (keySizeButton, "Key Size: S", keySizeButtonId, [this] { cycleKeySize(); });
    setUpButton (lockButton, unlockedText, lockButtonId, [this] { setFocusLock (lockButton.getToggleState()); });
    lockButton.setClickingTogglesState (true);
    lockButton.setTooltip ("Lock Keyboard Focus");
    setUpButton (octaveDownButton, "-", octaveDownButtonId, [this] { stepOctave (-1); });
    setUpButton (octaveUpButton, "+", octaveUpButtonId, [this] { stepOctave (1); });
    setUpButton (velocityDownButton, "-", velocityDownButtonId, [this] { stepVelocity (-1); });
    setUpButton (velocityUpButton, "+", velocityUpButtonId, [this] { stepVelocity (1); });

    const auto setUpLabel = [this] (juce::Label& label, const juce::String& text, const char* id)
    {
        label.setText (text, juce::dontSendNotification);
        label.setComponentID (id);
        label.setColour (juce::Label::textColourId, juce::Colour (0xff808080));
        label.setFont (LookFonts::font ("sans-serif", 12.0f, juce::Font::bold));
        label.setJustificationType (juce::Justification::centred);
        addAndMakeVisible (label);
    };

    setUpLabel (octaveCaption, "OCTAVE:", "OCTAVE_CAPTION");
    setUpLabel (octaveValueLabel, "4", octaveValueId);
    setUpLabel (velocityCaption, "VELOCITY:", "VELOCITY_CAPTION");
    setUpLabel (velocityValueLabel, "102", velocityValueId);

    keyboardComponent.setComponentID (keysId);
    keyboardComponent.setAvailableRange (0, 127);
    keyboardComponent.setKeyWidth ((float)InstrumentUiState::keyWidth);
    keySizeButton.setButtonText (MusicalTypingKeys::keySizeText (keyboardComponent.getKeyWidth()));
    keyboardComponent.setBlackNoteLengthProportion (0.6f);
    // A click on a key gives the focus to the strip, so typing goes on at the strip's octave
    // and to its slot rather than through the piano's own key map.
    keyboardComponent.setWantsKeyboardFocus (false);
    addAndMakeVisible (keyboardComponent);

    // A click on a piano key must also choose this strip's slot as the target.
    addMouseListener (this, true);
    updateDisplay();
    setWantsKeyboardFocus (true);
    startTimer (100);
}

EmbeddedInstrumentKeyboard::~EmbeddedInstrumentKeyboard()
{
    // A locked strip leaves no window modal behind it.
    if (auto* window = lockedWindow.getComponent(); window != nullptr && window->isCurrentlyModal (false))
        window->exitModalState (0);
    stopTimer();
    removeMouseListener (this);
    // A strip hidden or closed while a note key is down would leave that note sounding: its
    // focusLost no longer runs once destruction has begun.
    MusicalTypingKeys::releaseAll (heldNotes, processor.keyboardState);
    // The same for a piano key the mouse still holds: the piano never takes the focus, so only
    // this ends its note (the framework's piano does not when it is destroyed).
    keyboardComponent.focusLost (juce::Component::focusChangedDirectly);

    for (auto* button : {&keySizeButton, &lockButton, &octaveDownButton, &octaveUpButton, &velocityDownButton,
                         &velocityUpButton})
        button->setLookAndFeel (nullptr);
}

std::unique_ptr<EmbeddedInstrumentKeyboard> makeEmbeddedInstrumentKeyboard (TavrelDelayAudioProcessor& processor,
                                                                            TavrelDelayAudioProcessor::InstrumentPlugin* slot)
{
    return std::make_unique<EmbeddedInstrumentKeyboard> (processor, slot);
}

void EmbeddedInstrumentKeyboard::makeSlotTheTarget()
{
    const auto& slots = processor.instruments;
    for (size_t i = 0; i < slots.size(); ++i)
    {
        if (slots[i].get() == slot && slot != nullptr)
        {
            processor.keyboardTargetSlot.store ((int)i);
            return;
        }
    }
}

void EmbeddedInstrumentKeyboard::stepOctave (int direction)
{
    octave = juce::jlimit (MusicalTypingKeys::lowestOctave, MusicalTypingKeys::highestOctave, octave + direction);
    updateDisplay();
}

void EmbeddedInstrumentKeyboard::stepVelocity (int direction)
{
    velocity = MusicalTypingKeys::stepVelocity (velocity, direction);
    updateDisplay();
}

void EmbeddedInstrumentKeyboard::updateDisplay()
{
    octaveValueLabel.setText (juce::String (octave), juce::dontSendNotification);
    velocityValueLabel.setText (juce::String (MusicalTypingKeys::velocityDisplayValue (velocity)),
                                juce::dontSendNotification);
    processor.keyboardOctave.store (octave);
    processor.keyboardVelocity.store (velocity);

    keyboardComponent.setLowestVisibleKey (MusicalTypingKeys::lowestVisibleKey (octave, keyboardComponent.getKeyWidth()));
}

void EmbeddedInstrumentKeyboard::cycleKeySize()
{
    const float width = keyboardComponent.getKeyWidth();
    const int next = MusicalTypingKeys::nextKeyWidth (width);
    keyboardComponent.setKeyWidth ((float)next);
    keySizeButton.setButtonText (MusicalTypingKeys::keySizeText ((float)next));
    InstrumentUiState::keyWidth = next;
    updateDisplay();
}

void EmbeddedInstrumentKeyboard::setFocusLock (bool locked)
{
    lockButton.setButtonText (locked ? lockedText : unlockedText);
    auto* window = getTopLevelComponent();

    if (locked)
    {
        if (window != nullptr)
        {
            wasAlwaysOnTop = window->isAlwaysOnTop();
            window->setAlwaysOnTop (true);
            window->enterModalState (true, nullptr, false);
            lockedWindow = window;
        }
        if (isShowing())
            grabKeyboardFocus();
        return;
    }

    if (auto* previous = lockedWindow.getComponent())
    {
        if (previous->isCurrentlyModal (false))
            previous->exitModalState (0);
        previous->setAlwaysOnTop (wasAlwaysOnTop);
    }
    lockedWindow = nullptr;
}

bool EmbeddedInstrumentKeyboard::keyPressed (const juce::KeyPress& key)
{
    // Ctrl and Alt keys are the window's shortcuts (Ctrl+S saves, Ctrl+Z undoes), never notes.
    const auto mods = key.getModifiers();
    if (mods.isCtrlDown() || mods.isAltDown() || mods.isCommandDown())
        return false;

    const int code = key.getKeyCode();
    switch (juce::CharacterFunctions::toLowerCase ((juce::juce_wchar)code))
    {
        case 'z': stepOctave (-1); return true;
        case 'x': stepOctave (1); return true;
        case 'c': stepVelocity (-1); return true;
        case 'v': stepVelocity (1); return true;
        default: break;
    }

    // Punctuation may come as a text character with another key code.
    int offset = keyToNoteOffset (code);
    if (offset < 0 && key.getTextCharacter() != 0)
        offset = keyToNoteOffset ((int)key.getTextCharacter());
    if (offset < 0)
        return false;

    const int note = octave * 12 + 12 + offset;
    if (heldNotes.contains (note))
        return true; // key repeat: the note already sounds

    heldNotes.add (note);
    makeSlotTheTarget();
    processor.keyboardState.noteOn (noteChannel, note, velocity);
    return true;
}

bool EmbeddedInstrumentKeyboard::keyStateChanged (bool)
{
    MusicalTypingKeys::releaseLiftedNotes (heldNotes, octave, processor.keyboardState, isKeyPhysicallyDown);
    return false;
}

void EmbeddedInstrumentKeyboard::focusLost (FocusChangeType)
{
    MusicalTypingKeys::releaseAll (heldNotes, processor.keyboardState);
}

void EmbeddedInstrumentKeyboard::mouseDown (const juce::MouseEvent& e)
{
    makeSlotTheTarget();
    if (e.eventComponent == this && isShowing())
        grabKeyboardFocus();
}

void EmbeddedInstrumentKeyboard::timerCallback()
{
    if (! lockButton.getToggleState() || ! isShowing())
        return;

    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    if (focused != this && ! isParentOf (focused))
        grabKeyboardFocus();
}

void EmbeddedInstrumentKeyboard::paint (juce::Graphics& g)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        g.fillAll (juce::Colour (modern->cChassis1));
        g.setColour (juce::Colour (modern->cDark).withAlpha ((juce::uint8)0x33));
        g.drawRect (getLocalBounds(), 1);
        return;
    }

    g.fillAll (juce::Colour (0xff151515));
    g.setColour (juce::Colours::black);
    g.drawRect (getLocalBounds(), 2);
}

void EmbeddedInstrumentKeyboard::resized()
{
    const int rowHeight = juce::jmin (getHeight(), toolbarHeight);
    auto row = juce::Rectangle<int> (0, 2, getWidth(), juce::jmax (rowHeight - 4, 0)).reduced (10, 0);

    keySizeButton.setBounds (row.removeFromRight (100));
    lockButton.setBounds (row.removeFromRight (40));
    row.removeFromRight (20);
    velocityUpButton.setBounds (row.removeFromRight (25));
    velocityValueLabel.setBounds (row.removeFromRight (40));
    velocityDownButton.setBounds (row.removeFromRight (25));
    velocityCaption.setBounds (row.removeFromRight (70));
    row.removeFromRight (30);
    octaveUpButton.setBounds (row.removeFromRight (25));
    octaveValueLabel.setBounds (row.removeFromRight (30));
    octaveDownButton.setBounds (row.removeFromRight (25));
    octaveCaption.setBounds (row.removeFromRight (60));

    keyboardComponent.setBounds (0, rowHeight, getWidth(), getHeight() - rowHeight);
}
