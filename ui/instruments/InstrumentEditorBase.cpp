#include "ui/instruments/InstrumentEditorBase.h"

#include "instruments/BuiltInInstruments.h"
#include "storage/InstrumentXml.h"
#include "ui/instruments/InstrumentKnobText.h"
#include "ui/instruments/InstrumentLearnMode.h"
#include "ui/instruments/InstrumentPresetMenu.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/LookImages.h"

#include <cmath>

namespace
{
const juce::Colour headerButtonColour (0xffd0c0b0);
const juce::Colour presetTextColour (0xff5aff5a);
} // namespace

InstrumentEditorBase::InstrumentEditorBase (TavrelDelayAudioProcessor& p, InstrumentPlugin* s, juce::String category,
                                            Face faceToUse)
    : processor (p), slot (s), presetCategory (std::move (category)), face (faceToUse)
{
    background = LookImages::instrumentBackground();
}

InstrumentEditorBase::~InstrumentEditorBase()
{
    stopTimer();
    isClosing = true;
    presetButton.setLookAndFeel (nullptr);
    learnButton.setLookAndFeel (nullptr);
    kbdButton.setLookAndFeel (nullptr);
    setLookAndFeel (nullptr);
}

//==============================================================================
juce::Label& InstrumentEditorBase::addCaption (const char* text)
{
    auto* label = captionLabels.add (new juce::Label ({}, text));
    label->setJustificationType (juce::Justification::centred);
    label->setColour (juce::Label::textColourId, juce::Colour (0xffe0e0e0));
    label->setFont (LookFonts::font ("Sans-Serif", 11.0f, juce::Font::bold));
    addAndMakeVisible (label);
    return *label;
}

juce::Slider& InstrumentEditorBase::addKnob (const KnobDescription& description, Binding binding)
{
    auto& knob = *knobs.add (new juce::Slider());
    knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 65, 16);
    knob.setRange (description.minimum, description.maximum, description.interval);
    if (description.skew != 1.0)
        knob.setSkewFactor (description.skew);

    const juce::String suffix (description.suffix);
    knob.textFromValueFunction = [suffix] (double v) { return formatKnobValue (suffix, v); };
    knob.setValue (binding.read(), juce::dontSendNotification);
    knob.updateText();
    knob.setColour (juce::Slider::textBoxTextColourId, juce::Colours::white);
    knob.setColour (juce::Slider::textBoxOutlineColourId, juce::Colours::transparentBlack);
    knob.setComponentID (description.id);
    knob.addListener (this);
    addAndMakeVisible (knob);

    controls.push_back ({&knob, nullptr, &addCaption (description.caption), std::move (binding)});
    return knob;
}

juce::ComboBox& InstrumentEditorBase::addChoice (const char* id, const char* caption, const juce::StringArray& items,
                                                 Binding binding)
{
    auto& box = *choices.add (new juce::ComboBox());
    box.addItemList (items, 1);
    box.setSelectedId ((int)binding.read(), juce::dontSendNotification);
    box.setJustificationType (juce::Justification::centred);
    box.setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff151515));
    box.setColour (juce::ComboBox::textColourId, juce::Colour (0xfffff0dd));
    box.setColour (juce::ComboBox::arrowColourId, juce::Colours::transparentBlack);
    box.setComponentID (id);
    box.addListener (this);
    addAndMakeVisible (box);

    controls.push_back ({nullptr, &box, &addCaption (caption), std::move (binding)});
    return box;
}

void InstrumentEditorBase::finishSetUp (int width)
{
    presetName = slot->presetName;
    presetButton.setButtonText (presetName);
    presetButton.setLookAndFeel (&lcdLook);
    presetButton.setColour (juce::TextButton::textColourOffId, presetTextColour);
    presetButton.onClick = [this]
    {
        showInstrumentPresetMenu (
            &presetButton, slot != nullptr ? slot->presetName : presetName, presetCategory,
            [this] { return createPresetXml(); }, [this] (const juce::XmlElement& xml) { applyPresetXml (xml); });
    };
    addAndMakeVisible (presetButton);

    for (auto* button : {&learnButton, &kbdButton})
    {
        button->setLookAndFeel (&buttonLook);
        button->setColour (juce::TextButton::buttonColourId, headerButtonColour);
        button->setColour (juce::TextButton::buttonOnColourId, juce::Colours::white);
        button->setColour (juce::TextButton::textColourOffId, juce::Colours::black);
        button->setColour (juce::TextButton::textColourOnId, juce::Colours::black);
        button->setClickingTogglesState (true);
    }

    glassPane.setAlwaysOnTop (true);
    glassPane.onClick = [this] (const juce::MouseEvent& e) { learnControl (e); };
    addChildComponent (glassPane);
    learnButton.setAlwaysOnTop (true);
    learnButton.onClick = [this] { learnButtonClicked(); };
    addAndMakeVisible (learnButton);

    kbdButton.setToggleState (InstrumentUiState::keyboardShown, juce::dontSendNotification);
    kbdButton.onClick = [this] { kbdButtonClicked(); };
    addAndMakeVisible (kbdButton);

    if (InstrumentUiState::keyboardShown)
    {
        keyboard = std::make_unique<EmbeddedInstrumentKeyboard> (processor, slot);
        addAndMakeVisible (*keyboard);
    }

    // Typed notes reach the keyboard through the editor, whatever was clicked last.
    for (auto* child : getChildren())
        if (child != keyboard.get())
            child->setWantsKeyboardFocus (false);
    setWantsKeyboardFocus (true);

    startTimer (timerIntervalMs);
    setSize (width, InstrumentUiState::keyboardShown ? panelHeight + keyboardHeight : panelHeight);
    lookAndFeelChanged();
}

//==============================================================================
const InstrumentEditorBase::Control* InstrumentEditorBase::findControl (const juce::Component* component) const
{
    for (const auto& control : controls)
        if (control.component() == component)
            return &control;
    return nullptr;
}

juce::Slider* InstrumentEditorBase::findKnob (const juce::String& componentId) const
{
    for (auto* knob : knobs)
        if (knob->getComponentID() == componentId)
            return knob;
    return nullptr;
}

juce::ComboBox* InstrumentEditorBase::findChoice (const juce::String& componentId) const
{
    for (auto* box : choices)
        if (box->getComponentID() == componentId)
            return box;
    return nullptr;
}

juce::Label* InstrumentEditorBase::findCaption (const juce::Component& component) const
{
    const auto* control = findControl (&component);
    return control != nullptr ? control->caption : nullptr;
}

void InstrumentEditorBase::markChanged()
{
    processor.unsavedChanges.exchange (true);
}

void InstrumentEditorBase::sliderValueChanged (juce::Slider* knob)
{
    if (! hasEngine())
        return;

    if (const auto* control = findControl (knob))
        control->binding.write (knob->getValue());
    markChanged();
}

void InstrumentEditorBase::comboBoxChanged (juce::ComboBox* box)
{
    if (! hasEngine())
        return;

    if (const auto* control = findControl (box))
        control->binding.write ((double)box->getSelectedId());
    markChanged();
}

void InstrumentEditorBase::refreshControls (bool evenWhileHeld)
{
    for (const auto& control : controls)
    {
        const auto value = control.binding.read();

        // A control the user is holding keeps what the user gives it.
        if (! evenWhileHeld && control.component()->isMouseButtonDown (true))
            continue;

        if (control.knob != nullptr && std::abs (control.knob->getValue() - value) > 0.001)
            control.knob->setValue (value, juce::dontSendNotification);

        if (control.box != nullptr && control.box->getSelectedId() != (int)value)
            control.box->setSelectedId ((int)value, juce::dontSendNotification);
    }
}

void InstrumentEditorBase::timerCallback()
{
    InstrumentLearnMode::followProcessor (processor, learnButton, learnWasArmed, learnTarget, *this);

    if (hasEngine())
        refreshControls (false);
}

//==============================================================================
std::unique_ptr<juce::XmlElement> InstrumentEditorBase::createPresetXml() const
{
    auto xml = std::make_unique<juce::XmlElement> (InstrumentPresets::presetTag);
    if (hasEngine())
        InstrumentXml::writeSoundSettings (*xml, *slot);
    return xml;
}

void InstrumentEditorBase::applyPresetXml (const juce::XmlElement& xml)
{
    if (! hasEngine())
        return;

    InstrumentXml::readSoundSettings (xml, *slot);
    refreshControls (true);
    markChanged();
}

//==============================================================================
void InstrumentEditorBase::learnButtonClicked()
{
    InstrumentLearnMode::learnButtonClicked (processor, learnButton, glassPane, learnTarget, *this);
}

void InstrumentEditorBase::learnControl (const juce::MouseEvent& e)
{
    if (! hasEngine())
        return;

    // Captions and header buttons sit on the editor itself and stay unlearnable; the keyboard
    // strip's buttons and piano carry IDs too, but no instrument setting behind them.
    auto* found = InstrumentLearnMode::controlUnder (*this, glassPane, e);
    if (found == nullptr || slot == nullptr || found == &learnButton
        || (keyboard != nullptr && (found == keyboard.get() || keyboard->isParentOf (found))))
        return;

    InstrumentLearnMode::arm (processor, *found, slot->builtInType, learnTarget, *this);
}

void InstrumentEditorBase::paintOverChildren (juce::Graphics& g)
{
    InstrumentLearnMode::paintTargetFrame (g, processor, learnTarget, *this);
}

//==============================================================================
void InstrumentEditorBase::kbdButtonClicked()
{
    InstrumentUiState::keyboardShown = kbdButton.getToggleState();

    if (kbdButton.getToggleState())
    {
        keyboard = std::make_unique<EmbeddedInstrumentKeyboard> (processor, slot);
        addAndMakeVisible (*keyboard);
    }
    else
    {
        keyboard.reset();
    }

    if (onKeyboardToggled)
        onKeyboardToggled();

    resized();
    grabKeyboardFocus();
}

bool InstrumentEditorBase::keyPressed (const juce::KeyPress& key)
{
    return keyboard != nullptr && keyboard->keyPressed (key);
}

bool InstrumentEditorBase::keyStateChanged (bool isKeyDown)
{
    return keyboard != nullptr && keyboard->keyStateChanged (isKeyDown);
}

void InstrumentEditorBase::focusLost (FocusChangeType cause)
{
    // The strip gets its keys through the editor, so it never sees the focus go: the key-up of a
    // typed note would reach another window and the note would hang.
    if (keyboard != nullptr)
        keyboard->focusLost (cause);
}

void InstrumentEditorBase::mouseDown (const juce::MouseEvent&)
{
    grabKeyboardFocus();
}
