// The stage keyboard panel's controls, learning and keyboard strip; layout and painting are in
// BuiltInKeyboardEditorLayout.cpp.

#include "ui/instruments/BuiltInKeyboardEditor.h"

#include "instruments/BuiltInInstruments.h"
#include "instruments/StageKeyboardEngine.h"
#include "ui/instruments/EmbeddedInstrumentKeyboard.h"
#include "ui/instruments/InstrumentLearnMode.h"
#include "ui/instruments/InstrumentPresetMenu.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/LookImages.h"

namespace
{
const juce::Colour keyColour (0xffd0c0b0);
const juce::Colour modelOnColour (0xffb0a090);
const juce::Colour captionColour (0xffe0e0e0);
const juce::Colour lcdTextColour (0xff5aff5a);

// Preset attributes in writing order.
constexpr const char* masterVolAttr = "masterVol";
constexpr const char* modelAttr = "model";
constexpr const char* driveAttr = "drive";
constexpr const char* bassAttr = "bass";
constexpr const char* trebleAttr = "treble";
constexpr const char* tremRateAttr = "tremRate";
constexpr const char* tremDepthAttr = "tremDepth";

constexpr double decibelsPerUnit = 12.0;
} // namespace

const std::array<const char*, BuiltInKeyboardEditor::numModels> BuiltInKeyboardEditor::modelNames{
    "RHODES", "WURLI", "TACK PIANO", "FM PIANO", "TONEWHEEL", "TRANSISTOR"};

const std::array<BuiltInKeyboardEditor::KnobRow, BuiltInKeyboardEditor::numKnobs> BuiltInKeyboardEditor::knobRows{{
    {"VOLUME", "VOL", 0.0, 2.0, KnobRow::twoDecimals},
    {"DRIVE", "DRIVE", 0.0, 1.0, KnobRow::twoDecimals},
    {"BASS EQ", "BASS", -1.0, 1.0, KnobRow::decibels},
    {"TREB EQ", "TREBLE", -1.0, 1.0, KnobRow::decibels},
    {"TREM RATE", "TREMRATE", 0.1, 15.0, KnobRow::hertz},
    {"TREM DEPTH", "TREMDEPTH", 0.0, 1.0, KnobRow::twoDecimals},
}};

juce::String BuiltInKeyboardEditor::valueText (KnobRow::Text kind, double value)
{
    switch (kind)
    {
        case KnobRow::decibels:
            return (value > 0.0 ? "+" : "") + juce::String (value * decibelsPerUnit, 1) + " dB";
        case KnobRow::hertz:
            return juce::String (value, 1) + " Hz";
        case KnobRow::twoDecimals:
        default:
            return juce::String (value, 2);
    }
}

BuiltInKeyboardEditor::BuiltInKeyboardEditor (TavrelDelayAudioProcessor& processorToUse, InstrumentPlugin* slotToEdit)
    : processor (&processorToUse), slot (slotToEdit)
{
    background = LookImages::instrumentBackground();

    if (! hasEngine())
        return;

    auto& engine = *slot->keyboardEngine;

    for (int i = 0; i < numModels; ++i)
    {
        auto& button = modelButtons[(size_t)i];
        button.setButtonText (modelNames[(size_t)i]);
        button.setClickingTogglesState (true);
        button.setRadioGroupId (modelRadioGroup);
        button.setColour (juce::TextButton::buttonColourId, keyColour);
        button.setColour (juce::TextButton::buttonOnColourId, modelOnColour);
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
        button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
        button.setLookAndFeel (&buttonLook);
        addAndMakeVisible (button);
        button.onClick = [this, i]
        {
            if (! hasEngine() || ! modelButtons[(size_t)i].getToggleState())
                return;
            slot->keyboardEngine->model = i;
            markChanged();
        };
    }

    if (juce::isPositiveAndBelow (engine.model, numModels))
        modelButtons[(size_t)engine.model].setToggleState (true, juce::dontSendNotification);

    for (int k = 0; k < numKnobs; ++k)
        addKnob (k);
    for (int k = 0; k < numKnobs; ++k)
        knobs[(size_t)k].setComponentID (knobRows[(size_t)k].componentId);

    presetName = slot->presetName;
    presetButton.setButtonText (presetName);
    presetButton.setLookAndFeel (&lcdLook);
    presetButton.setColour (juce::TextButton::textColourOffId, lcdTextColour);
    presetButton.setColour (juce::TextButton::textColourOnId, lcdTextColour);
    presetButton.onClick = [this]
    {
        if (slot == nullptr)
            return;
        showInstrumentPresetMenu (
            &presetButton, slot->presetName, presetCategory, [this] { return createPresetXml(); },
            [this] (const juce::XmlElement& xml) { applyPresetXml (xml); });
    };
    addAndMakeVisible (presetButton);

    for (auto* button : {&learnButton, &kbdButton})
    {
        button->setClickingTogglesState (true);
        button->setColour (juce::TextButton::buttonColourId, keyColour);
        button->setColour (juce::TextButton::buttonOnColourId, juce::Colours::white);
        button->setColour (juce::TextButton::textColourOffId, juce::Colours::black);
        button->setColour (juce::TextButton::textColourOnId, juce::Colours::black);
        button->setLookAndFeel (&buttonLook);
    }

    learnButton.onClick = [this] { learnButtonClicked(); };
    glassPane.onClick = [this] (const juce::MouseEvent& e) { learnControl (e); };
    addChildComponent (glassPane);
    glassPane.setAlwaysOnTop (true);
    addAndMakeVisible (learnButton);
    learnButton.setAlwaysOnTop (true);

    kbdButton.setToggleState (InstrumentUiState::keyboardShown, juce::dontSendNotification);
    kbdButton.onClick = [this] { kbdButtonClicked(); };
    addAndMakeVisible (kbdButton);

    if (InstrumentUiState::keyboardShown)
        showKeyboard (true);

    // The keys go to the on-screen keyboard through this panel, never to a button or knob.
    for (auto* child : getChildren())
        if (child != keyboard.get())
            child->setWantsKeyboardFocus (false);
    for (auto& knob : knobs)
        for (auto* part : knob.getChildren())
            part->setWantsKeyboardFocus (false);
    setWantsKeyboardFocus (true);

    lookAndFeelChanged();
    startTimer (timerIntervalMs);
    setSize (designWidth, InstrumentUiState::keyboardShown ? baseHeight + keyboardHeight : baseHeight);
}

BuiltInKeyboardEditor::~BuiltInKeyboardEditor()
{
    stopTimer();
    isClosing = true;
    setLookAndFeel (nullptr);
    presetButton.setLookAndFeel (nullptr);
    for (auto& button : modelButtons)
        button.setLookAndFeel (nullptr);
    learnButton.setLookAndFeel (nullptr);
    kbdButton.setLookAndFeel (nullptr);
    keyboard.reset();
}

bool BuiltInKeyboardEditor::hasEngine() const noexcept
{
    return slot != nullptr && slot->keyboardEngine != nullptr;
}

float& BuiltInKeyboardEditor::engineField (int knobIndex) const
{
    auto& engine = *slot->keyboardEngine;
    switch (knobIndex)
    {
        case 0: return engine.masterVol;
        case 1: return engine.drive;
        case 2: return engine.bass;
        case 3: return engine.treble;
        case 4: return engine.tremRate;
        case 5:
        default: return engine.tremDepth;
    }
}

void BuiltInKeyboardEditor::addKnob (int index)
{
    const auto& row = knobRows[(size_t)index];
    auto& knob = knobs[(size_t)index];

    knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 65, 16);
    knob.setRange (row.minimum, row.maximum, 0.0);
    knob.setNumDecimalPlacesToDisplay (2);
    const auto kind = row.text;
    knob.textFromValueFunction = [kind] (double v) { return valueText (kind, v); };

    // A typed number is read in the unit the box shows: "6 dB" on a tone knob is half way up.
    if (kind == KnobRow::decibels)
        knob.valueFromTextFunction = [] (const juce::String& text)
        { return text.retainCharacters ("-+.0123456789").getDoubleValue() / decibelsPerUnit; };

    knob.setValue (engineField (index), juce::dontSendNotification);
    knob.updateText();
    knob.setColour (juce::Slider::textBoxTextColourId, juce::Colours::white);
    knob.setColour (juce::Slider::textBoxOutlineColourId, juce::Colours::transparentBlack);
    knob.addListener (this);
    addAndMakeVisible (knob);

    auto* label = labels.add (new juce::Label ({}, row.caption));
    label->setJustificationType (juce::Justification::centred);
    label->setColour (juce::Label::textColourId, captionColour);
    label->setFont (LookFonts::font ("Sans-Serif", 10.0f, juce::Font::bold));
    addAndMakeVisible (label);
}

void BuiltInKeyboardEditor::markChanged()
{
    processor->unsavedChanges.exchange (true);
}

void BuiltInKeyboardEditor::sliderValueChanged (juce::Slider* changed)
{
    if (! hasEngine())
        return;

    for (int k = 0; k < numKnobs; ++k)
    {
        if (changed == &knobs[(size_t)k])
        {
            engineField (k) = (float)changed->getValue();
            markChanged();
            return;
        }
    }
}

//==============================================================================
std::unique_ptr<juce::XmlElement> BuiltInKeyboardEditor::createPresetXml() const
{
    auto xml = std::make_unique<juce::XmlElement> ("PRESET");
    if (! hasEngine())
        return xml;

    const auto& e = *slot->keyboardEngine;
    xml->setAttribute (masterVolAttr, (double)e.masterVol);
    xml->setAttribute (modelAttr, e.model);
    xml->setAttribute (driveAttr, (double)e.drive);
    xml->setAttribute (bassAttr, (double)e.bass);
    xml->setAttribute (trebleAttr, (double)e.treble);
    xml->setAttribute (tremRateAttr, (double)e.tremRate);
    xml->setAttribute (tremDepthAttr, (double)e.tremDepth);
    return xml;
}

void BuiltInKeyboardEditor::applyPresetXml (const juce::XmlElement& xml)
{
    if (! hasEngine())
        return;

    auto& e = *slot->keyboardEngine;
    e.masterVol = (float)xml.getDoubleAttribute (masterVolAttr, 1.0);
    e.model = xml.getIntAttribute (modelAttr, 0);
    e.drive = (float)xml.getDoubleAttribute (driveAttr, 0.0);
    e.bass = (float)xml.getDoubleAttribute (bassAttr, 0.0);
    e.treble = (float)xml.getDoubleAttribute (trebleAttr, 0.0);
    e.tremRate = (float)xml.getDoubleAttribute (tremRateAttr, 4.0);
    e.tremDepth = (float)xml.getDoubleAttribute (tremDepthAttr, 0.0);

    // A preset file may be edited by hand or damaged: the engine never plays outside its ranges.
    e.clampSettings();

    knobs[0].setValue (e.masterVol, juce::dontSendNotification);
    for (int i = 0; i < numModels; ++i)
        modelButtons[(size_t)i].setToggleState (i == e.model, juce::dontSendNotification);
    for (int k = 1; k < numKnobs; ++k)
        knobs[(size_t)k].setValue (engineField (k), juce::dontSendNotification);

    markChanged();
}

//==============================================================================
void BuiltInKeyboardEditor::learnButtonClicked()
{
    InstrumentLearnMode::learnButtonClicked (*processor, learnButton, glassPane, learnTarget, *this);
}

void BuiltInKeyboardEditor::learnControl (const juce::MouseEvent& e)
{
    // The keyboard strip's buttons carry IDs too, but no instrument setting behind them.
    auto* found = InstrumentLearnMode::controlUnder (*this, glassPane, e);
    if (found == nullptr || slot == nullptr || found == &learnButton
        || (keyboard != nullptr && (found == keyboard.get() || keyboard->isParentOf (found))))
        return;

    InstrumentLearnMode::arm (*processor, *found, slot->builtInType, learnTarget, *this);
}

void BuiltInKeyboardEditor::kbdButtonClicked()
{
    InstrumentUiState::keyboardShown = kbdButton.getToggleState();
    showKeyboard (kbdButton.getToggleState());

    if (onKeyboardToggled)
        onKeyboardToggled();

    resized();
    grabKeyboardFocus();
}

void BuiltInKeyboardEditor::showKeyboard (bool shouldShow)
{
    keyboard.reset();
    if (! shouldShow)
        return;

    keyboard = std::make_unique<EmbeddedInstrumentKeyboard> (*processor, slot);
    addAndMakeVisible (*keyboard);
}

//==============================================================================
void BuiltInKeyboardEditor::mouseDown (const juce::MouseEvent&)
{
    grabKeyboardFocus();
}

bool BuiltInKeyboardEditor::keyPressed (const juce::KeyPress& key)
{
    if (keyboard != nullptr)
        return keyboard->keyPressed (key);
    return false;
}

bool BuiltInKeyboardEditor::keyStateChanged (bool isKeyDown)
{
    if (keyboard != nullptr)
        return keyboard->keyStateChanged (isKeyDown);
    return false;
}

void BuiltInKeyboardEditor::focusLost (FocusChangeType cause)
{
    // The strip gets its keys through the editor, so it never sees the focus go: the key-up of a
    // typed note would reach another window and the note would hang.
    if (keyboard != nullptr)
        keyboard->focusLost (cause);
}

void BuiltInKeyboardEditor::timerCallback()
{
    InstrumentLearnMode::followProcessor (*processor, learnButton, learnWasArmed, learnTarget, *this);

    if (! hasEngine())
        return;

    for (int k = 0; k < numKnobs; ++k)
    {
        auto& knob = knobs[(size_t)k];
        const double field = engineField (k);
        if (std::abs (knob.getValue() - field) > 0.001 && ! knob.isMouseButtonDown())
            knob.setValue (field, juce::dontSendNotification);
    }
}
