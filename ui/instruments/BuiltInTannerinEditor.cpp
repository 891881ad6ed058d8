#include "ui/instruments/BuiltInTannerinEditor.h"

#include "instruments/TannerinEngine.h"
#include "ui/instruments/InstrumentKnobText.h"
#include "ui/instruments/InstrumentLearnMode.h"
#include "ui/instruments/InstrumentPresetMenu.h"
#include "ui/instruments/SlideKeyboardPicture.h"
#include "ui/instruments/TannerinBreakoutWindow.h"
#include "ui/instruments/TannerinIds.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/LookImages.h"

namespace Id = TannerinIds;

const std::array<BuiltInTannerinEditor::KnobInfo, BuiltInTannerinEditor::knobCount> BuiltInTannerinEditor::knobInfo = {{
    {"MASTER", Id::masterVol, 0.0, 1.0, false, 1.0, ""},
    {"OCTAVE", Id::octave, -3.0, 3.0, true, 1.0, " oct"},
    {"VIB RATE", Id::lfoRate, 1.0, 20.0, false, 1.0, " Hz"},
    {"VIB DEPTH", Id::lfoAmt, 0.0, 2.0, false, 1.0, ""},
    {"VIB DELAY", Id::lfoDelay, 0.0, 2000.0, false, 1.0, " ms"},
    {"VIB ATTACK", Id::lfoAttack, 0.0, 2000.0, false, 1.0, " ms"},
    {"LEVEL 1", Id::mix1, 0.0, 1.0, false, 1.0, ""},
    {"TUNE 2", Id::tune2, -24.0, 24.0, true, 1.0, " st"},
    {"FINE 2", Id::fine2, -100.0, 100.0, false, 1.0, " ct"},
    {"LEVEL 2", Id::mix2, 0.0, 1.0, false, 1.0, ""},
    {"CUTOFF", Id::cutoff, 20.0, 20000.0, false, 0.3, " Hz"},
    {"RESONANCE", Id::res, 0.0, 0.95, false, 1.0, ""},
    {"ENV MOD", Id::envMod, 0.0, 10000.0, false, 1.0, " Hz"},
    {"ATTACK", Id::filterAttack, 1.0, 2000.0, false, 0.3, " ms"},
    {"DECAY", Id::filterDecay, 10.0, 2000.0, false, 0.3, " ms"},
    {"SUSTAIN", Id::filterSustain, 0.0, 1.0, false, 1.0, ""},
    {"RELEASE", Id::filterRelease, 10.0, 2000.0, false, 0.3, " ms"},
    {"ATTACK", Id::ampAttack, 2.0, 2000.0, false, 0.3, " ms"},
    {"DECAY", Id::ampDecay, 10.0, 2000.0, false, 0.3, " ms"},
    {"SUSTAIN", Id::ampSustain, 0.0, 1.0, false, 1.0, ""},
    {"RELEASE", Id::ampRelease, 10.0, 2000.0, false, 0.3, " ms"},
}};

const char* const BuiltInTannerinEditor::sectionTitles[6] = {"GLOBAL", "SLIDE CONTROL", "OSCILLATORS",
                                                             "FILTER", "FILTER ENVELOPE", "AMP ENVELOPE"};

namespace
{
float TannerinEngine::* const floatFields[BuiltInTannerinEditor::knobCount] = {
    &TannerinEngine::masterVol, nullptr, &TannerinEngine::lfoRate, &TannerinEngine::lfoAmt,
    &TannerinEngine::lfoDelay, &TannerinEngine::lfoAttack, &TannerinEngine::osc1Mix, &TannerinEngine::osc2Tune,
    &TannerinEngine::osc2Fine, &TannerinEngine::osc2Mix, &TannerinEngine::synthCutoff, &TannerinEngine::synthRes,
    &TannerinEngine::synthEnvMod, &TannerinEngine::fEnvA, &TannerinEngine::fEnvD, &TannerinEngine::fEnvS,
    &TannerinEngine::fEnvR, &TannerinEngine::aEnvA, &TannerinEngine::aEnvD, &TannerinEngine::aEnvS,
    &TannerinEngine::aEnvR,
};

/** Reads a typed value back in the units its text shows ("2.0 kHz", "1.5 s", "+12 st"). */
double valueFromKnobText (const juce::String& suffix, const juce::String& text)
{
    const auto t = text.trim();
    double value = t.retainCharacters ("+-0123456789.").getDoubleValue();
    const auto unit = t.trimCharactersAtStart ("+-0123456789. ").toLowerCase();
    if (suffix == " Hz" && unit.startsWith ("k"))
        value *= 1000.0;
    else if (suffix == " ms" && unit == "s")
        value *= 1000.0;
    return value;
}

const juce::StringArray waveItems{"Sine", "Sawtooth", "Square"};
const juce::StringArray filterItems{"Low Pass", "High Pass", "Band Pass"};
} // namespace

//==============================================================================
BuiltInTannerinEditor::BuiltInTannerinEditor (TavrelDelayAudioProcessor& owner, InstrumentPlugin* instrument)
    : processor (owner), slot (instrument)
{
    background = LookImages::instrumentBackground();

    auto* e = engine();
    if (e == nullptr)
        return;

    slideSlider.setSliderStyle (juce::Slider::LinearHorizontal);
    slideSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    slideSlider.setRange (SlideKeyboardPicture::lowestNote, SlideKeyboardPicture::highestNote);
    slideSlider.setValue (e->slidePitch, juce::dontSendNotification);
    slideSlider.setLookAndFeel (&slideLook);
    slideSlider.addListener (this);
    // The strip plays the gate only with TOUCH on, and never against LATCH or a held GATE.
    slideSlider.onDragStart = [this]
    {
        auto* en = engine();
        if (en != nullptr && touchButton.getToggleState() && ! en->gateLatch)
            en->gateOn();
    };
    slideSlider.onDragEnd = [this]
    {
        auto* en = engine();
        if (en != nullptr && touchButton.getToggleState() && ! en->gateLatch && ! isGatePressed())
            en->gateOff();
    };
    slideSlider.setComponentID (Id::slide);
    addAndMakeVisible (slideSlider);

    setUpBox (wave1Box, waveItems, e->waveShape, Id::wave1);
    setUpBox (wave2Box, waveItems, e->osc2Wave, Id::wave2);
    setUpBox (filterTypeBox, filterItems, e->filterType, Id::filterType);
    addCaption ("WAVE 1");
    addCaption ("WAVE 2");
    addCaption ("TYPE");

    setUpButton (gateButton, Id::gateText, 0xff222222, 0xffff0000);
    gateButton.onStateChange = [this] { gateHold.buttonStateChanged (engine()); };

    setUpButton (latchButton, Id::latchText, 0xff222222, 0xffffa500);
    latchButton.setClickingTogglesState (true);
    latchButton.setToggleState (e->gateLatch, juce::dontSendNotification);
    latchButton.onClick = [this] { latchClicked(); };

    setUpButton (keyboardButton, Id::keyboardText, 0xff222222, 0);
    keyboardButton.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    keyboardButton.onClick = [this] { openPerformanceWindow(); };

    setUpButton (lightsButton, Id::lightsText, 0xff222222, 0xff00b386);
    lightsButton.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    lightsButton.setClickingTogglesState (true);
    lightsButton.setToggleState (e->lightsOn, juce::dontSendNotification);
    lightsButton.onClick = [this]
    {
        if (auto* en = engine())
            en->lightsOn = lightsButton.getToggleState();
    };

    setUpButton (touchButton, Id::touchText, 0xff222222, 0xffc0392b);
    touchButton.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    touchButton.setClickingTogglesState (true);

    for (int k = 0; k < knobCount; ++k)
        addKnob (k);
    knobs[octave].setRange (-3.0, 3.0, 1.0);
    knobs[tune2].setRange (-24.0, 24.0, 1.0);

    setWantsKeyboardFocus (true);
    startTimer (Id::timerMs);

    presetName = slot->presetName;
    presetButton.setButtonText (presetName);
    presetButton.setLookAndFeel (&lcdLook);
    presetButton.setColour (juce::TextButton::textColourOffId, juce::Colour (0xff5aff5a));
    presetButton.onClick = [this] { showPresets(); };
    addAndMakeVisible (presetButton);

    learnButton.setButtonText (Id::learnText);
    learnButton.setClickingTogglesState (true);
    learnButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
    learnButton.setColour (juce::TextButton::buttonOnColourId, juce::Colours::white);
    learnButton.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    learnButton.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
    learnButton.setLookAndFeel (&buttonLook);
    learnButton.onClick = [this] { learnClicked(); };

    glassPane.setAlwaysOnTop (true);
    addChildComponent (glassPane);
    learnButton.setAlwaysOnTop (true);
    addAndMakeVisible (learnButton);
    glassPane.onClick = [this] (const juce::MouseEvent& event) { learnControl (event); };

    setSize (designWidth, designHeight);
    lookAndFeelChanged();
}

BuiltInTannerinEditor::~BuiltInTannerinEditor()
{
    isClosing = true;
    stopTimer();

    // The window plays this slot through our TOUCH button: it must not outlive us.
    delete performanceWindow.getComponent();

    // GATE held by the mouse or the space bar has no release left to come once the panel is
    // gone: close the gate rather than leave the instrument droning.
    if (auto* e = engine(); e != nullptr && isGatePressed() && ! e->gateLatch)
        e->gateOff();

    gateButton.onStateChange = nullptr;
    for (auto* b : {&gateButton, &latchButton, &keyboardButton, &lightsButton, &touchButton, &learnButton, &presetButton})
        b->setLookAndFeel (nullptr);
    slideSlider.setLookAndFeel (nullptr);
    setLookAndFeel (nullptr);
}

TannerinEngine* BuiltInTannerinEditor::engine() const
{
    return slot != nullptr ? slot->tannerinEngine.get() : nullptr;
}

void BuiltInTannerinEditor::addCaption (const juce::String& text)
{
    auto* label = captionLabels.add (new juce::Label ({}, text));
    label->setJustificationType (juce::Justification::centred);
    label->setColour (juce::Label::textColourId, juce::Colour (0xffe0e0e0));
    label->setFont (LookFonts::font ("Sans-Serif", 10.0f, juce::Font::bold));
    addAndMakeVisible (label);
}

void BuiltInTannerinEditor::setUpBox (juce::ComboBox& box, const juce::StringArray& items, int field, const char* id)
{
    box.addItemList (items, 1);
    box.setSelectedId (field + 1, juce::dontSendNotification);
    box.setJustificationType (juce::Justification::centred);
    box.setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff151515));
    box.setColour (juce::ComboBox::textColourId, juce::Colour (0xfffff0dd));
    box.setColour (juce::ComboBox::arrowColourId, juce::Colours::transparentBlack);
    box.addListener (this);
    box.setComponentID (id);
    addAndMakeVisible (box);
}

void BuiltInTannerinEditor::setUpButton (juce::TextButton& button, const char* text, juce::uint32 buttonColour,
                                         juce::uint32 onColour)
{
    button.setButtonText (text);
    button.setLookAndFeel (&buttonLook);
    button.setColour (juce::TextButton::buttonColourId, juce::Colour (buttonColour));
    if (onColour != 0)
        button.setColour (juce::TextButton::buttonOnColourId, juce::Colour (onColour));
    addAndMakeVisible (button);
}

void BuiltInTannerinEditor::addKnob (int k)
{
    const auto& info = knobInfo[(size_t)k];
    auto& knob = knobs[(size_t)k];
    const juce::String suffix (info.suffix);

    knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 65, 16);
    if (info.skew != 1.0)
        knob.setSkewFactor (info.skew, false);
    knob.setRange (info.minimum, info.maximum);
    knob.textFromValueFunction = [suffix] (double v) { return formatKnobValue (suffix, v); };
    knob.valueFromTextFunction = [suffix] (const juce::String& text) { return valueFromKnobText (suffix, text); };
    if (auto* e = engine())
        knob.setValue (fieldValue (*e, k), juce::dontSendNotification);
    knob.updateText();
    knob.setColour (juce::Slider::textBoxTextColourId, juce::Colours::white);
    knob.setColour (juce::Slider::textBoxOutlineColourId, juce::Colours::transparentBlack);
    knob.addListener (this);
    knob.setComponentID (info.id);
    addAndMakeVisible (knob);

    addCaption (info.caption);
}

double BuiltInTannerinEditor::fieldValue (const TannerinEngine& e, int knob)
{
    if (knob == octave)
        return e.globalOctave;
    return e.*floatFields[knob];
}

void BuiltInTannerinEditor::setField (TannerinEngine& e, int knob, double value)
{
    if (knob == octave)
        e.globalOctave = (int)value;
    else
        e.*floatFields[knob] = (float)value;
}

void BuiltInTannerinEditor::markChanged()
{
    processor.unsavedChanges = true;
}

//==============================================================================
void BuiltInTannerinEditor::sliderValueChanged (juce::Slider* slider)
{
    auto* e = engine();
    if (e == nullptr)
        return;

    if (slider == &slideSlider)
        e->slidePitch = (float)slideSlider.getValue();
    else
        for (int k = 0; k < knobCount; ++k)
            if (slider == &knobs[(size_t)k])
                setField (*e, k, slider->getValue());

    markChanged();
}

void BuiltInTannerinEditor::comboBoxChanged (juce::ComboBox* box)
{
    auto* e = engine();
    if (e == nullptr)
        return;

    const int value = box->getSelectedId() - 1;
    if (box == &wave1Box)
        e->waveShape = value;
    else if (box == &wave2Box)
        e->osc2Wave = value;
    else if (box == &filterTypeBox)
        e->filterType = value;

    markChanged();
}

//==============================================================================
void BuiltInTannerinEditor::latchClicked()
{
    auto* e = engine();
    if (e == nullptr)
        return;

    e->gateLatch = latchButton.getToggleState();
    if (e->gateLatch)
        e->gateOn();
    else if (! isGatePressed())
        e->gateOff();
}

bool BuiltInTannerinEditor::keyPressed (const juce::KeyPress& key)
{
    return gateHold.keyPressed (key, engine());
}

bool BuiltInTannerinEditor::keyStateChanged (bool)
{
    gateHold.keyStateChanged (isKeyPhysicallyDown (juce::KeyPress::spaceKey), engine());
    return false;
}

void BuiltInTannerinEditor::focusLost (FocusChangeType)
{
    // The space bar's key-up now goes elsewhere.
    gateHold.releaseSpaceHold (engine());
}

void BuiltInTannerinEditor::openPerformanceWindow()
{
    if (auto* window = performanceWindow.getComponent())
    {
        window->toFront (true);
        return;
    }
    performanceWindow = new TannerinBreakoutWindow (processor, slot, &touchButton);
}

//==============================================================================
void BuiltInTannerinEditor::timerCallback()
{
    InstrumentLearnMode::followProcessor (processor, learnButton, learnWasArmed, learnTarget, *this);

    auto* e = engine();
    if (e == nullptr)
        return;

    const auto follow = [] (juce::Slider& s, double value)
    {
        if (std::abs (s.getValue() - value) > 0.001 && ! s.isMouseButtonDown())
            s.setValue (value, juce::dontSendNotification);
    };
    const auto followBox = [] (juce::ComboBox& box, int value)
    {
        if (box.getSelectedId() != value + 1 && ! box.isMouseButtonDown())
            box.setSelectedId (value + 1, juce::dontSendNotification);
    };

    follow (slideSlider, e->slidePitch);
    for (int k : {master, octave, vibRate, vibDepth, vibDelay, vibAttack})
        follow (knobs[(size_t)k], fieldValue (*e, k));
    followBox (wave1Box, e->waveShape);
    followBox (wave2Box, e->osc2Wave);
    for (int k : {level1, level2, tune2, fine2, cutoff, resonance, envMod})
        follow (knobs[(size_t)k], fieldValue (*e, k));
    followBox (filterTypeBox, e->filterType);
    for (int k = filterAttack; k <= ampRelease; ++k)
        follow (knobs[(size_t)k], fieldValue (*e, k));

    repaint (sectionAreas[slideSection]);
}
