#include "ui/instruments/MusicalTypingWindow.h"

#include "rack/FocusNextTopLevelWindow.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/looks/LookFonts.h"

namespace
{
constexpr int noteChannel = 1;

const juce::String& unlockedText = MusicalTypingPadlock::unlockedText();
const juce::String& lockedText = MusicalTypingPadlock::lockedText();
} // namespace

MusicalTypingWindow::MusicalTypingWindow (TavrelDelayAudioProcessor& owner)
    : juce::DocumentWindow (windowTitle, juce::Colours::black, juce::DocumentWindow::closeButton, true),
      processor (owner),
      keyboard (owner.keyboardState, juce::MidiKeyboardComponent::horizontalKeyboard)
{
    octave = juce::jlimit (MusicalTypingKeys::lowestOctave, MusicalTypingKeys::highestOctave, processor.keyboardOctave.load());
    velocity = juce::jlimit (MusicalTypingKeys::lowestVelocity, MusicalTypingKeys::highestVelocity,
                             processor.keyboardVelocity.load());

    content = new juce::Component ("MusicalTypingContent");
    setContentOwned (content, false);

    outputLabel.setText ("Output:", juce::dontSendNotification);
    outputLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    content->addAndMakeVisible (outputLabel);
    outputBox.setComponentID (outputBoxId);
    outputBox.setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff222222));
    outputBox.setColour (juce::ComboBox::textColourId, juce::Colours::white);
    outputBox.onChange = [this] { processor.keyboardTargetSlot.store (outputBox.getSelectedId() - 2); };
    content->addAndMakeVisible (outputBox);

    addButton (keySizeButton, "Key Size: S", keySizeButtonId, [this] { cycleKeySize(); });

    addButton (globalQwertyButton, "Global QWERTY", globalQwertyButtonId,
               [this] { processor.musicalTypingGlobal.store (globalQwertyButton.getToggleState()); });
    globalQwertyButton.setClickingTogglesState (true);
    globalQwertyButton.setToggleState (processor.musicalTypingGlobal.load(), juce::dontSendNotification);
    globalQwertyButton.setTooltip ("Allows playing notes even when the main DAW interface is focused.");

    addButton (lockButton, unlockedText, lockButtonId, [this] { setFocusLock (lockButton.getToggleState()); });
    lockButton.setClickingTogglesState (true);
    lockButton.setToggleState (lockKeyboardFocus, juce::dontSendNotification);
    lockButton.setButtonText (lockKeyboardFocus ? lockedText : unlockedText);
    lockButton.setTooltip ("Lock Keyboard Focus");

    addButton (octaveDownButton, "-", octaveDownButtonId, [this] { stepOctave (-1); });
    addButton (octaveUpButton, "+", octaveUpButtonId, [this] { stepOctave (1); });
    addButton (velocityDownButton, "-", velocityDownButtonId, [this] { stepVelocity (-1); });
    addButton (velocityUpButton, "+", velocityUpButtonId, [this] { stepVelocity (1); });

    addValueLabel (octaveCaption, "OCTAVE:", "OCTAVE_CAPTION");
    addValueLabel (octaveValueLabel, "4", octaveValueId);
    addValueLabel (velocityCaption, "VELOCITY:", "VELOCITY_CAPTION");
    addValueLabel (velocityValueLabel, "102", velocityValueId);

    keyboard.setComponentID (keysId);
    keyboard.setAvailableRange (0, 127);
    // The piano takes the focus when the window opens or is clicked; its own key map would then
    // play typed keys at its octave and velocity instead of the window's. Typed keys pass through
    // it to the window.
    keyboard.clearKeyMappings();
    processor.musicalTypingActive.store (true);
    processor.keyboardOctave.store (octave);
    processor.keyboardVelocity.store (velocity);
    setAlwaysOnTop (true);
    keyboard.setKeyWidth ((float)InstrumentUiState::keyWidth);
    keySizeButton.setButtonText (MusicalTypingKeys::keySizeText (keyboard.getKeyWidth()));
    keyboard.setBlackNoteLengthProportion (0.6f);
    content->addAndMakeVisible (keyboard);
    updateOctaveVelocity();

    content->setSize (600, 235);
    setUsingNativeTitleBar (true);
    setResizable (true, true);
    constrainer.setSizeLimits (minimumWidth, minimumHeight, maximumWidth, maximumHeight);
    setResizeLimits (minimumWidth, minimumHeight, maximumWidth, maximumHeight);

#if JUCE_WINDOWS
    // Owned by the active window, so it stays with it. Elsewhere a native parent would embed the
    // window inside that one instead; always-on-top keeps it above there.
    if (auto* active = juce::TopLevelWindow::getActiveTopLevelWindow(); active != nullptr && active != this)
        if (auto* peer = active->getPeer())
            addToDesktop (getDesktopWindowStyleFlags(), peer->getNativeHandle());
#endif

    refreshOutputList();
    startTimer (100);

    // Typed keys go to the window, except while the on-screen keys have the focus.
    for (auto* child : content->getChildren())
        if (child != &keyboard)
            child->setWantsKeyboardFocus (false);
    setWantsKeyboardFocus (true);

    int width = lastWidth >= minimumWidth ? lastWidth : 600;
    int height = lastHeight >= minimumHeight ? lastHeight : 280;
    if (const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
    {
        width = juce::jmin (width, display->userArea.getWidth() - 40);
        height = juce::jmin (height, display->userArea.getHeight() - 40);
    }
    centreWithSize (width, height);

    constrainer.attachTo (*this);
    setVisible (true);

    if (lockKeyboardFocus)
    {
        setAlwaysOnTop (true);
        enterModalState (true, nullptr, false);
    }
    content->grabKeyboardFocus();
}

MusicalTypingWindow::~MusicalTypingWindow()
{
    stopTimer();
    // Notes still sounding from held keys would hang once nobody watches their keys.
    MusicalTypingKeys::releaseAll (heldNotes, processor.keyboardState);
    processor.musicalTypingActive.store (false);
    if (isCurrentlyModal (false))
        exitModalState (0);

    for (auto* button : {&keySizeButton, &lockButton, &globalQwertyButton, &octaveDownButton, &octaveUpButton,
                         &velocityDownButton, &velocityUpButton})
        button->setLookAndFeel (nullptr);
    clearContentComponent();
}

MusicalTypingWindow* MusicalTypingWindow::openOrShow (TavrelDelayAudioProcessor& processor,
                                                      juce::Component::SafePointer<juce::Component>& remembered,
                                                      std::function<bool (const juce::KeyPress&)> onUnhandledKey)
{
    if (auto* open = dynamic_cast<MusicalTypingWindow*> (remembered.getComponent()))
    {
        open->toFront (true);
        return open;
    }

    auto* window = new MusicalTypingWindow (processor);
    window->onUnhandledKey = std::move (onUnhandledKey);
    remembered = window;
    return window;
}

void MusicalTypingWindow::addButton (juce::TextButton& button, const juce::String& text, const char* id,
                                     std::function<void()> onClick)
{
    button.setButtonText (text);
    button.setComponentID (id);
    button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
    button.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffb0a090));
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
    button.setLookAndFeel (&buttonLook);
    button.onClick = std::move (onClick);
    button.setVisible (true);
    content->addAndMakeVisible (button);
}

void MusicalTypingWindow::addValueLabel (juce::Label& label, const juce::String& text, const char* id)
{
    label.setText (text, juce::dontSendNotification);
    label.setComponentID (id);
    label.setColour (juce::Label::textColourId, juce::Colour (0xff808080));
    label.setFont (LookFonts::font ("sans-serif", 12.0f, juce::Font::bold));
    label.setJustificationType (juce::Justification::centred);
    content->addAndMakeVisible (label);
}

void MusicalTypingWindow::stepOctave (int direction)
{
    const int stepped = octave + direction;
    if (stepped < MusicalTypingKeys::lowestOctave || stepped > MusicalTypingKeys::highestOctave)
        return;
    octave = stepped;
    updateOctaveVelocity();
}

void MusicalTypingWindow::stepVelocity (int direction)
{
    velocity = MusicalTypingKeys::stepVelocity (velocity, direction);
    updateOctaveVelocity();
}

void MusicalTypingWindow::updateOctaveVelocity()
{
    octaveValueLabel.setText (juce::String (octave), juce::dontSendNotification);
    velocityValueLabel.setText (juce::String (MusicalTypingKeys::velocityDisplayValue (velocity)),
                                juce::dontSendNotification);
    processor.keyboardOctave.store (octave);
    processor.keyboardVelocity.store (velocity);

    keyboard.setLowestVisibleKey (MusicalTypingKeys::lowestVisibleKey (octave, keyboard.getKeyWidth()));
}

void MusicalTypingWindow::cycleKeySize()
{
    const float width = keyboard.getKeyWidth();
    const int next = MusicalTypingKeys::nextKeyWidth (width);
    keyboard.setKeyWidth ((float)next);
    keySizeButton.setButtonText (MusicalTypingKeys::keySizeText ((float)next));
    InstrumentUiState::keyWidth = next;
    updateOctaveVelocity();
}

void MusicalTypingWindow::refreshOutputList()
{
    int id = outputBox.getSelectedId();
    if (id == 0)
        id = processor.keyboardTargetSlot.load() + 2;

    outputBox.clear (juce::dontSendNotification);
    outputBox.addItem ("All Instruments (Omni)", 1);
    const auto& slots = processor.instruments;
    for (size_t i = 0; i < slots.size(); ++i)
    {
        const auto name = slots[i] != nullptr ? slots[i]->name : juce::String();
        outputBox.addItem (name.isNotEmpty() ? name : "Instrument " + juce::String ((int)i + 1), (int)i + 2);
    }

    if (id <= 0 || id > outputBox.getNumItems())
        id = slots.empty() ? 1 : 2;
    outputBox.setSelectedId (id, juce::dontSendNotification);
}

void MusicalTypingWindow::setFocusLock (bool locked)
{
    lockKeyboardFocus = locked;
    lockButton.setButtonText (locked ? lockedText : unlockedText);
    setAlwaysOnTop (locked);

    if (locked)
    {
        enterModalState (true, nullptr, false);
        content->grabKeyboardFocus();
    }
    else
    {
        exitModalState (0);
    }
}

bool MusicalTypingWindow::keyPressed (const juce::KeyPress& key)
{
    const auto mods = key.getModifiers();
    const bool ctrlOrAlt = mods.isCtrlDown() || mods.isAltDown();
    const auto passOn = [this, &key] { return onUnhandledKey != nullptr && onUnhandledKey (key); };

    if (key.getKeyCode() == juce::KeyPress::escapeKey)
    {
        closeButtonPressed(); // deletes this window
        return true;
    }
    if (key.getKeyCode() == juce::KeyPress::tabKey && ctrlOrAlt)
    {
        focusNextTopLevelWindow();
        return true;
    }
    if (ctrlOrAlt)
        return passOn();

    const int code = MusicalTypingKeys::characterOf (key);
    switch (juce::CharacterFunctions::toLowerCase ((juce::juce_wchar)code))
    {
        case 'z': stepOctave (-1); return true;
        case 'x': stepOctave (1); return true;
        case 'c': stepVelocity (-1); return true;
        case 'v': stepVelocity (1); return true;
        default: break;
    }

    const int note = keyToNote (code);
    if (note < 0)
        return passOn();
    if (heldNotes.contains (note))
        return true; // key repeat: the note already sounds

    heldNotes.add (note);
    processor.keyboardState.noteOn (noteChannel, note, velocity);
    return true;
}

bool MusicalTypingWindow::keyStateChanged (bool)
{
    MusicalTypingKeys::releaseLiftedNotes (heldNotes, octave, processor.keyboardState, isKeyPhysicallyDown);
    return false;
}

void MusicalTypingWindow::activeWindowStatusChanged()
{
    if (! isActiveWindow())
        MusicalTypingKeys::releaseAll (heldNotes, processor.keyboardState);
    juce::DocumentWindow::activeWindowStatusChanged();
}

void MusicalTypingWindow::closeButtonPressed()
{
    delete this;
}

void MusicalTypingWindow::timerCallback()
{
    if (++refreshTick >= 10)
    {
        refreshTick = 0;
        refreshOutputList();
    }

    if (lockButton.getToggleState() && content != nullptr)
    {
        auto* focused = juce::Component::getCurrentlyFocusedComponent();
        if (focused != content && ! content->isParentOf (focused))
            content->grabKeyboardFocus();
    }
}

void MusicalTypingWindow::resized()
{
    juce::DocumentWindow::resized();

    if (getWidth() >= minimumWidth && getHeight() >= minimumHeight && isVisible() && ! isMinimised())
    {
        lastWidth = getWidth();
        lastHeight = getHeight();
        constrainer.targetWindow = this;
        constrainer.preferredWidth = getWidth();
        constrainer.preferredHeight = getHeight();
    }

    if (content == nullptr)
        return;

    auto area = content->getLocalBounds().reduced (10);

    auto top = area.removeFromTop (25);
    keySizeButton.setBounds (top.removeFromRight (100));
    lockButton.setBounds (top.removeFromRight (40));
    top.removeFromRight (5);
    globalQwertyButton.setBounds (top.removeFromRight (110));
    top.removeFromRight (10);
    outputLabel.setBounds (top.removeFromLeft (60));
    outputBox.setBounds (top.removeFromLeft (200));

    area.removeFromTop (10);
    auto row = area.removeFromTop (25);
    octaveCaption.setBounds (row.removeFromLeft (60));
    octaveDownButton.setBounds (row.removeFromLeft (25));
    octaveValueLabel.setBounds (row.removeFromLeft (30));
    octaveUpButton.setBounds (row.removeFromLeft (25));
    row.removeFromLeft (30);
    velocityCaption.setBounds (row.removeFromLeft (70));
    velocityDownButton.setBounds (row.removeFromLeft (25));
    velocityValueLabel.setBounds (row.removeFromLeft (40));
    velocityUpButton.setBounds (row.removeFromLeft (25));

    area.removeFromTop (10);
    keyboard.setBounds (area);
}
