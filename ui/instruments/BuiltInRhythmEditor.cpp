// The rhythm machine's panel: construction, the click and knob handlers, MIDI learn and the
// timer that mirrors the engine.

#include "ui/instruments/BuiltInRhythmEditor.h"

#include "instruments/BuiltInInstruments.h"
#include "instruments/RhythmEngine.h"
#include "ui/instruments/BuiltInRhythmEditorIds.h"
#include "ui/instruments/DrumPadsWindow.h"
#include "ui/instruments/InstrumentLearnMode.h"
#include "ui/instruments/RhythmBreakoutWindow.h"
#include "ui/looks/LookFonts.h"

namespace
{
const juce::Colour captionColour (0xffd3d3d3);
const juce::Colour faceTan (0xffd0c0b0);
const juce::Colour sage (0xff849c82);
const juce::Colour sampleTextColour = juce::Colours::white.withAlpha ((juce::uint8)0xe6);
constexpr int patternRadioGroup = 0x52594d; // any id no other group of the editor uses

void setButtonColours (juce::TextButton& button, juce::Colour off, juce::Colour on, juce::Colour textOff,
                       juce::Colour textOn)
{
    button.setColour (juce::TextButton::buttonColourId, off);
    button.setColour (juce::TextButton::buttonOnColourId, on);
    button.setColour (juce::TextButton::textColourOffId, textOff);
    button.setColour (juce::TextButton::textColourOnId, textOn);
}
} // namespace

BuiltInRhythmEditor::BuiltInRhythmEditor (TavrelDelayAudioProcessor& p, InstrumentPlugin* s)
    : processor (p), slot (s)
{
    // Header buttons exist even without an engine, so the destructor can treat both cases alike.
    presetButton.setLookAndFeel (&lcdLook);
    learnButton.setLookAndFeel (&buttonLook);
    matrixButton.setLookAndFeel (&buttonLook);
    padsButton.setLookAndFeel (&buttonLook);

    presetName = "Default";
    background = loadBackground();

    auto* engine = getEngine();

    if (engine == nullptr)
        return;

    createControls (*engine);
    tempoKnob.setEnabled (! engine->rmSync);

    presetName = slot->presetName;
    presetButton.setButtonText (presetName);
    presetButton.setColour (juce::TextButton::textColourOffId, juce::Colour (0xff5aff5a));
    addAndMakeVisible (presetButton);

    masterVolumeKnob.setComponentID (RhythmEditorIds::volume);
    tempoKnob.setComponentID (RhythmEditorIds::tempo);
    stepsKnob.setComponentID (RhythmEditorIds::steps);
    swingKnob.setComponentID (RhythmEditorIds::swing);
    syncButton.setComponentID (RhythmEditorIds::sync);
    playButton.setComponentID (RhythmEditorIds::play);

    for (int k = 0; k < numVoices; ++k)
    {
        voiceLevelKnobs[k].setComponentID (RhythmEditorIds::voiceLevelPrefix + juce::String (k));
        voiceTuneKnobs[k].setComponentID (RhythmEditorIds::voiceTunePrefix + juce::String (k));
        voiceLengthKnobs[k].setComponentID (RhythmEditorIds::voiceLengthPrefix + juce::String (k));
    }

    learnButton.setButtonText (RhythmEditorIds::learnText);
    learnButton.setClickingTogglesState (true);
    setButtonColours (learnButton, faceTan, juce::Colours::white, juce::Colours::black, juce::Colours::black);
    learnButton.setAlwaysOnTop (true);
    learnButton.onClick = [this] { learnClicked(); };
    addAndMakeVisible (learnButton);

    glassPane.setAlwaysOnTop (true);
    glassPane.onClick = [this] (const juce::MouseEvent& e) { learnControl (e); };
    addChildComponent (glassPane);

    matrixButton.setButtonText (RhythmEditorIds::matrixText);
    setButtonColours (matrixButton, faceTan, juce::Colours::white, juce::Colours::black, juce::Colours::black);
    matrixButton.onClick = [this] { openSequencer(); };
    addAndMakeVisible (matrixButton);

    padsButton.setButtonText (RhythmEditorIds::padsText);
    setButtonColours (padsButton, faceTan, faceTan, juce::Colours::black, juce::Colours::black);
    padsButton.onClick = [this] { openPads(); };
    addAndMakeVisible (padsButton);

    // Keys go to the editor (and on to its window), never to a button or knob.
    for (auto* child : getChildren())
        child->setWantsKeyboardFocus (false);
    setWantsKeyboardFocus (true);

    lookAndFeelChanged();
    startTimer (timerMilliseconds);
    setSize (designWidth, designHeight);
}

BuiltInRhythmEditor::~BuiltInRhythmEditor()
{
    isClosing = true;
    delete sequencerWindow.getComponent();

    setLookAndFeel (nullptr);
    presetButton.setLookAndFeel (nullptr);
    learnButton.setLookAndFeel (nullptr);
    matrixButton.setLookAndFeel (nullptr);
    padsButton.setLookAndFeel (nullptr);
    syncButton.setLookAndFeel (nullptr);
    playButton.setLookAndFeel (nullptr);
    clearButton.setLookAndFeel (nullptr);
    for (auto* list : {&patternButtons, &stepButtons, &sampleButtons})
        for (auto* button : *list)
            button->setLookAndFeel (nullptr);

    delete padsWindow.getComponent();
    stopTimer();
}

RhythmEngine* BuiltInRhythmEditor::getEngine() const noexcept
{
    return slot != nullptr ? slot->rhythmEngine.get() : nullptr;
}

juce::String BuiltInRhythmEditor::learnIdFor (const juce::String& componentId) const
{
    const int type = slot != nullptr ? slot->builtInType : BuiltInInstruments::RhythmMachine;
    return BuiltInInstruments::makeMidiLearnId (type, componentId);
}

juce::Array<juce::Slider*> BuiltInRhythmEditor::getKnobs()
{
    juce::Array<juce::Slider*> knobs;
    for (int k = 0; k < numVoices; ++k)
        knobs.addArray (juce::Array<juce::Slider*>{&voiceLevelKnobs[k], &voiceTuneKnobs[k], &voiceLengthKnobs[k]});
    knobs.addArray (juce::Array<juce::Slider*>{&masterVolumeKnob, &tempoKnob, &stepsKnob, &swingKnob});
    return knobs;
}

//==============================================================================
void BuiltInRhythmEditor::createControls (RhythmEngine& engine)
{
    for (int i = 0; i < RhythmEngine::numPatterns; ++i)
    {
        auto* button = patternButtons.add (new juce::TextButton (RhythmEngine::getPatternName (i)));
        button->setLookAndFeel (&buttonLook);
        setButtonColours (*button, faceTan, sage, juce::Colours::black, juce::Colour (0xfff7f3e8));
        button->setClickingTogglesState (true);
        button->setRadioGroupId (patternRadioGroup);
        button->setToggleState (i == engine.rmPattern, juce::dontSendNotification);
        button->onClick = [this, i] { patternClicked (i); };
        addAndMakeVisible (button);
    }

    for (int row = 0; row < numVoices; ++row)
    {
        auto* label = voiceLabels.add (new juce::Label ({}, RhythmEditorIds::voiceNames[row]));
        label->setJustificationType (juce::Justification::centredRight);
        label->setColour (juce::Label::textColourId, captionColour);
        label->setFont (juce::Font (11.0f));
        addAndMakeVisible (label);

        for (int s = 0; s < numSteps; ++s)
        {
            auto* button = stepButtons.add (new juce::TextButton());
            button->setLookAndFeel (&buttonLook);
            button->setColour (juce::TextButton::buttonColourId, juce::Colour (0xff333333));
            button->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffe8dfd5));
            button->setColour (juce::TextButton::textColourOnId, juce::Colours::black);
            button->setClickingTogglesState (true);
            button->setToggleState (engine.steps[row][s], juce::dontSendNotification);
            button->onClick = [this, row, s] { stepClicked (row, s); };
            addAndMakeVisible (button);
        }
    }

    for (int k = 0; k < numVoices; ++k)
    {
        setUpKnob (voiceLevelKnobs[k], 0.0, 1.0, 0.0, false, "VOL", engine.voiceLevel[k]);
        setUpKnob (voiceTuneKnobs[k], -12.0, 12.0, 0.0, false, "TUNE", engine.voiceTune[k]);
        setUpKnob (voiceLengthKnobs[k], 0.0, 1.0, 0.0, false, "LGTH", engine.voiceLength[k]);

        auto* sample = sampleButtons.add (new juce::TextButton (RhythmEditorIds::sampleButtonInitialText));
        sample->setLookAndFeel (&lcdLook);
        sample->setTooltip (RhythmEditorIds::sampleButtonTooltip);
        sample->setColour (juce::TextButton::textColourOffId, sampleTextColour);
        sample->onClick = [this, k, sample] { showSampleMenu (k, *sample); };
        addAndMakeVisible (sample);
    }

    setUpKnob (masterVolumeKnob, 0.0, 1.0, 0.0, true, "MAIN VOL", engine.rmVolume);
    setUpKnob (tempoKnob, 40.0, 240.0, 0.0, true, "TEMPO", engine.rmBpm);
    setUpKnob (stepsKnob, 1.0, 16.0, 1.0, true, "STEPS", engine.rmSeqLen);
    setUpKnob (swingKnob, 0.0, 1.0, 0.0, true, "SWING", engine.rmSwing);

    clearButton.setButtonText (RhythmEditorIds::clearText);
    clearButton.setLookAndFeel (&buttonLook);
    setButtonColours (clearButton, juce::Colour (0xff222222), juce::Colour (0xff222222), juce::Colours::white,
                      juce::Colours::white);
    clearButton.onClick = [this] { clearClicked(); };
    addAndMakeVisible (clearButton);

    syncButton.setButtonText (RhythmEditorIds::syncText);
    syncButton.setLookAndFeel (&buttonLook);
    setButtonColours (syncButton, juce::Colour (0xff222222), sage, juce::Colours::white, juce::Colours::white);
    syncButton.setClickingTogglesState (true);
    syncButton.setToggleState (engine.rmSync, juce::dontSendNotification);
    syncButton.onClick = [this]
    {
        if (auto* e = getEngine())
        {
            e->rmSync = syncButton.getToggleState();
            tempoKnob.setEnabled (! e->rmSync);
            markUnsaved();
        }
    };
    addAndMakeVisible (syncButton);

    playButton.setButtonText (engine.playing ? RhythmEditorIds::playOnText : RhythmEditorIds::playOffText);
    playButton.setLookAndFeel (&buttonLook);
    setButtonColours (playButton, juce::Colour (0xff222222), sage, juce::Colours::white, juce::Colours::white);
    playButton.setClickingTogglesState (true);
    playButton.setToggleState (engine.playing, juce::dontSendNotification);
    playButton.onClick = [this]
    {
        if (auto* e = getEngine())
        {
            e->playing = playButton.getToggleState();
            playButton.setButtonText (e->playing ? RhythmEditorIds::playOnText : RhythmEditorIds::playOffText);
            markUnsaved();
        }
    };
    addAndMakeVisible (playButton);
}

void BuiltInRhythmEditor::setUpKnob (juce::Slider& knob, double min, double max, double interval, bool hasTextBox,
                                     const juce::String& caption, double value)
{
    knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob.setRange (min, max, interval);

    const bool wholeNumbers = max > 1.0 && min >= 1.0; // tempo and steps
    knob.textFromValueFunction = [wholeNumbers] (double v)
    { return wholeNumbers ? juce::String (juce::roundToInt (v)) : juce::String::formatted ("%.2f", v); };

    if (hasTextBox)
    {
        knob.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 65, 16);
        knob.setColour (juce::Slider::textBoxTextColourId, juce::Colours::white);
        knob.setColour (juce::Slider::textBoxOutlineColourId, juce::Colours::transparentBlack);
    }
    else
    {
        knob.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    }

    knob.setValue (value, juce::dontSendNotification);
    knob.updateText(); // the text box was filled before the text function was set
    knob.addListener (this);
    addAndMakeVisible (knob);

    auto* label = captionLabels.add (new juce::Label ({}, caption));
    label->setJustificationType (juce::Justification::centred);
    label->setColour (juce::Label::textColourId, captionColour);
    label->setFont (LookFonts::font ("Sans-Serif", 10.0f, juce::Font::bold));
    addAndMakeVisible (label);
}

//==============================================================================
float BuiltInRhythmEditor::readEngineValue (const juce::Slider& knob) const
{
    auto* e = getEngine();
    if (e == nullptr)
        return 0.0f;

    if (&knob == &masterVolumeKnob)
        return e->rmVolume;
    if (&knob == &tempoKnob)
        return e->rmBpm;
    if (&knob == &stepsKnob)
        return (float)e->rmSeqLen;
    if (&knob == &swingKnob)
        return e->rmSwing;

    for (int k = 0; k < numVoices; ++k)
    {
        if (&knob == &voiceLevelKnobs[k])
            return e->voiceLevel[k];
        if (&knob == &voiceTuneKnobs[k])
            return e->voiceTune[k];
        if (&knob == &voiceLengthKnobs[k])
            return e->voiceLength[k];
    }
    return 0.0f;
}

void BuiltInRhythmEditor::applyEngineValue (juce::Slider& knob, double value)
{
    auto* e = getEngine();
    if (e == nullptr)
        return;

    const auto v = (float)value;

    if (&knob == &masterVolumeKnob)
        e->rmVolume = v;
    else if (&knob == &tempoKnob)
        e->rmBpm = v;
    else if (&knob == &stepsKnob)
        e->rmSeqLen = juce::jlimit (1, numSteps, (int)value);
    else if (&knob == &swingKnob)
        e->rmSwing = v;
    else
        for (int k = 0; k < numVoices; ++k)
        {
            if (&knob == &voiceLevelKnobs[k])
                e->voiceLevel[k] = v;
            else if (&knob == &voiceTuneKnobs[k])
                e->voiceTune[k] = v;
            else if (&knob == &voiceLengthKnobs[k])
                e->voiceLength[k] = v;
        }
}

void BuiltInRhythmEditor::sliderValueChanged (juce::Slider* knob)
{
    if (knob == nullptr || getEngine() == nullptr)
        return;

    applyEngineValue (*knob, knob->getValue());
    markUnsaved();
}

void BuiltInRhythmEditor::markUnsaved()
{
    processor.unsavedChanges.exchange (true);
}

//==============================================================================
void BuiltInRhythmEditor::patternClicked (int pattern)
{
    auto* e = getEngine();
    if (e == nullptr)
        return;

    e->rmPattern = pattern;
    if (pattern != customPattern)
        e->loadPattern (pattern);
    markUnsaved();
    refreshStepButtons();
}

void BuiltInRhythmEditor::stepClicked (int row, int step)
{
    auto* e = getEngine();
    if (e == nullptr)
        return;

    e->steps[row][step] = stepButtons[row * numSteps + step]->getToggleState();
    e->rmPattern = customPattern;
    patternButtons[customPattern]->setToggleState (true, juce::dontSendNotification);
    markUnsaved();
}

void BuiltInRhythmEditor::clearClicked()
{
    auto* e = getEngine();
    if (e == nullptr)
        return;

    for (auto& row : e->steps)
        for (auto& cell : row)
            cell = false;
    e->rmPattern = customPattern;
    patternButtons[customPattern]->setToggleState (true, juce::dontSendNotification);
    markUnsaved();
    refreshStepButtons();
}

void BuiltInRhythmEditor::refreshStepButtons()
{
    auto* e = getEngine();
    if (e == nullptr || stepButtons.size() != numVoices * numSteps)
        return;

    for (int row = 0; row < numVoices; ++row)
        for (int s = 0; s < numSteps; ++s)
            stepButtons[row * numSteps + s]->setToggleState (e->steps[row][s], juce::dontSendNotification);
}

void BuiltInRhythmEditor::openSequencer()
{
    if (auto* window = sequencerWindow.getComponent())
    {
        window->toFront (true);
        return;
    }
    sequencerWindow = new RhythmBreakoutWindow (processor, slot);
}

void BuiltInRhythmEditor::openPads()
{
    if (auto* window = padsWindow.getComponent())
    {
        window->toFront (true);
        return;
    }
    padsWindow = new DrumPadsWindow (processor, slot);
}

//==============================================================================
void BuiltInRhythmEditor::learnClicked()
{
    InstrumentLearnMode::learnButtonClicked (processor, learnButton, glassPane, learnTarget, *this);
}

void BuiltInRhythmEditor::learnControl (const juce::MouseEvent& e)
{
    auto* found = InstrumentLearnMode::controlUnder (*this, glassPane, e);
    if (found == nullptr || slot == nullptr || found == &learnButton)
        return;

    InstrumentLearnMode::arm (processor, *found, slot->builtInType, learnTarget, *this);
}

//==============================================================================
void BuiltInRhythmEditor::timerCallback()
{
    InstrumentLearnMode::followProcessor (processor, learnButton, learnWasArmed, learnTarget, *this);

    auto* e = getEngine();
    if (e == nullptr)
        return;

    for (int row = 0; row < numVoices; ++row)
        for (int s = 0; s < numSteps; ++s)
        {
            auto* button = stepButtons[row * numSteps + s];
            if (button->getToggleState() != e->steps[row][s])
                button->setToggleState (e->steps[row][s], juce::dontSendNotification);
        }

    if (e->rmPattern == customPattern && ! patternButtons[customPattern]->getToggleState())
        patternButtons[customPattern]->setToggleState (true, juce::dontSendNotification);

    const int step = e->playing ? e->currentStep : -1;
    if (step != shownStep)
    {
        shownStep = step;
        repaint (matrixArea);
    }

    for (auto* knob : getKnobs())
    {
        const auto value = readEngineValue (*knob);
        if (std::abs (knob->getValue() - (double)value) > 0.001 && ! knob->isMouseButtonDown())
            knob->setValue (value, juce::dontSendNotification);
    }

    if (! syncButton.isMouseButtonDown() && syncButton.getToggleState() != e->rmSync)
    {
        syncButton.setToggleState (e->rmSync, juce::dontSendNotification);
        tempoKnob.setEnabled (! e->rmSync);
    }

    // The engine drives the tempo display while it follows the project.
    if (e->rmSync && tempoKnob.getValue() != (double)e->rmBpm)
        tempoKnob.setValue (e->rmBpm, juce::dontSendNotification);

    for (int k = 0; k < numVoices; ++k)
    {
        auto* button = sampleButtons[k];
        const auto text = e->sampleName[k].isNotEmpty() ? e->sampleName[k] : juce::String (RhythmEditorIds::sampleButtonEmptyText);
        if (button->getButtonText() != text)
            button->setButtonText (text);

        const auto colour = k == dropVoice ? juce::Colour (0xffffa500) : sampleTextColour;
        if (button->findColour (juce::TextButton::textColourOffId) != colour)
            button->setColour (juce::TextButton::textColourOffId, colour);
    }

    if (playButton.getToggleState() != e->playing)
    {
        playButton.setToggleState (e->playing, juce::dontSendNotification);
        playButton.setButtonText (e->playing ? RhythmEditorIds::playOnText : RhythmEditorIds::playOffText);
    }
}
