#include "rack/BuiltInEffectEditor.h"

#include "effects/FetCompEngine.h"
#include "effects/OptoCompEngine.h"
#include "rack/EffectEditorIds.h"
#include "rack/EffectFaceplate.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

namespace Id = EffectEditorIds;

namespace
{
const char* const mfxTypeNames[] = {"PHASER", "FLANGER", "CHORUS", "ADT", "DISTORT", "VIBRATO", "TREMOLO"};
constexpr int mfxDistort = 4;
constexpr int mfxAdt = 3;
} // namespace

//==============================================================================
BuiltInEffectEditor::ContentLayer::ContentLayer (TavrelDelayAudioProcessor& owner, int type, InsertPlugin* slot)
    : processor (owner), settings (slot), effectType (type), isInsert (slot != nullptr)
{
    background = EffectFaceplate::get();

    const auto field = [this] (auto member, auto fallback) { return settings != nullptr ? settings->*member : fallback; };
    using P = InsertPlugin;

    switch (effectType)
    {
        case 1:
            addChoice (choiceBox, choiceAttachment, Id::INT_REV_TYPE, "ALGORITHM", {"Spring", "Plate", "Hall", "Dream"},
                       field (&P::revType, 1));
            addKnob (knobs[0], knobAttachments[0], Id::INT_REV_DECAY, "DECAY", field (&P::revDecay, 0.5f), 0.0, 1.0);
            addKnob (knobs[1], knobAttachments[1], Id::INT_REV_DAMP, "DAMPING", field (&P::revDamp, 0.5f), 0.0, 1.0);
            addKnob (knobs[2], knobAttachments[2], Id::INT_REV_MIX, "MIX", field (&P::revMix, 0.5f), 0.0, 1.0);
            addKnob (knobs[3], knobAttachments[3], Id::INT_REV_PAN, "PAN", field (&P::revPan, 0.0f), -1.0, 1.0);
            for (int k = 0; k < 3; ++k)
                knobs[(size_t)k].textFromValueFunction = &percentText;
            knobs[3].textFromValueFunction = &panText;
            break;

        case 2:
            addChoice (choiceBox, choiceAttachment, Id::INT_ECHO_AGE, "TAPE AGE", {"Clean", "Worn", "Old"},
                       field (&P::echoAge, 1));
            addKnob (knobs[4], knobAttachments[4], Id::INT_ECHO_DRIVE, "INPUT GAIN", field (&P::echoDrive, -6.0f), -24.0, 24.0);
            addKnob (knobs[0], knobAttachments[0], Id::INT_ECHO_TIME, "TIME", field (&P::echoTime, 300.0f), 50.0, 1000.0);
            addKnob (knobs[1], knobAttachments[1], Id::INT_ECHO_FB, "FEEDBACK", field (&P::echoFb, 0.4f), 0.0, 1.2);
            addKnob (knobs[2], knobAttachments[2], Id::INT_ECHO_MIX, "MIX", field (&P::echoMix, 0.5f), 0.0, 1.0);
            addKnob (knobs[3], knobAttachments[3], Id::INT_ECHO_PAN, "PAN", field (&P::echoPan, 0.0f), -1.0, 1.0);
            knobs[1].textFromValueFunction = &percentText;
            knobs[2].textFromValueFunction = &percentText;
            knobs[3].textFromValueFunction = &panText;
            knobs[4].textFromValueFunction = &signedDbText;
            setUpSyncButton (echoSyncButton, echoSyncAttachment, Id::INT_ECHO_SYNC, settings != nullptr ? &settings->echoSync : nullptr);
            break;

        case 3:
            addChoice (choiceBox, choiceAttachment, Id::INT_LA_MODE, "MODE", {"Compress", "Limit"}, field (&P::laMode, 0));
            addKnob (knobs[0], knobAttachments[0], Id::INT_LA_GAIN, "GAIN", field (&P::laGain, 50.0f), 0.0, 100.0);
            addKnob (knobs[1], knobAttachments[1], Id::INT_LA_PEAK, "PEAK REDUCTION", field (&P::laReduction, 0.0f), 0.0, 100.0);
            for (int k = 0; k < 2; ++k)
                knobs[(size_t)k].textFromValueFunction = [] (double v) { return juce::String (juce::roundToInt (v)); };
            break;

        case 4:
            addKnob (knobs[0], knobAttachments[0], Id::INT_GN_LVL, "GAIN", field (&P::gainLevel, 0.0f), -24.0, 24.0);
            knobs[0].textFromValueFunction = &signedDbText;
            break;

        case 5:
            eqDisplay = std::make_unique<InteractiveEQDisplay> (settings);
            // A drag changes the reel like any other control of the editor.
            eqDisplay->onChange = [this] { markChanged(); };
            addAndMakeVisible (*eqDisplay);
            break;

        case 6:
            setUpTypeButtons();
            addKnob (knobs[0], knobAttachments[0], Id::INT_MFX_P1, "AMOUNT", field (&P::mfxP1, 0.5f), 0.0, 1.0);
            addKnob (knobs[1], knobAttachments[1], Id::INT_MFX_P2, "SPEED / MIX", field (&P::mfxP2, 0.5f), 0.0, 1.0);
            setUpSyncButton (mfxSyncButton, mfxSyncAttachment, Id::INT_MFX_SYNC, settings != nullptr ? &settings->mfxSync : nullptr);
            break;

        case 7:
            addChoice (choiceBox, choiceAttachment, Id::INT_FET_RATIO, "RATIO", {"4:1", "8:1", "12:1", "20:1", "ALL"},
                       field (&P::fetRatio, 0));
            addKnob (knobs[0], knobAttachments[0], Id::INT_FET_IN, "INPUT", field (&P::fetInput, 0.0f), -24.0, 24.0);
            addKnob (knobs[1], knobAttachments[1], Id::INT_FET_OUT, "OUTPUT", field (&P::fetOutput, 0.0f), -24.0, 24.0);
            addKnob (knobs[2], knobAttachments[2], Id::INT_FET_ATT, "ATTACK", field (&P::fetAttack, 0.8f), 0.02, 0.8);
            addKnob (knobs[3], knobAttachments[3], Id::INT_FET_REL, "RELEASE", field (&P::fetRelease, 500.0f), 50.0, 1100.0);
            knobs[0].textFromValueFunction = &signedDbText;
            knobs[1].textFromValueFunction = &signedDbText;
            knobs[2].textFromValueFunction = [] (double v) { return juce::String (v, 2) + " ms"; };
            knobs[3].textFromValueFunction = [] (double v) { return juce::String (juce::roundToInt (v)) + " ms"; };
            break;

        default:
            break;
    }

    // An insert's pan follows its track: the knob is for the aux returns only.
    if (isInsert && (effectType == 1 || effectType == 2))
    {
        knobs[3].setVisible (false);
        labels.getLast()->setVisible (false);
    }

    if (effectType == 2 || effectType == 6)
        startTimer (66);
    else if (effectType == 3 || effectType == 7)
        startTimer (33);

    // The tempo-dependent texts show at once rather than on the first tick.
    if (effectType == 2 || effectType == 6)
        timerCallback();
    for (auto& knob : knobs)
        if (knob.isVisible() || knob.getParentComponent() != nullptr)
            knob.updateText();

    lookAndFeelChanged();
}

BuiltInEffectEditor::ContentLayer::~ContentLayer()
{
    stopTimer();
    for (auto& button : typeButtons)
        button.setLookAndFeel (nullptr);
    mfxSyncButton.setLookAndFeel (nullptr);
    echoSyncButton.setLookAndFeel (nullptr);
}

void BuiltInEffectEditor::ContentLayer::addCaption (const juce::String& text, juce::Component& control)
{
    auto* label = labels.add (new juce::Label ({}, text));
    label->setJustificationType (juce::Justification::centred);
    label->setColour (juce::Label::textColourId, juce::Colour (0xffe0e0e0));
    label->setFont (LookFonts::font ("Sans-Serif", 11.0f, juce::Font::bold));
    addAndMakeVisible (label);
    captionedControls.add (&control);
}

void BuiltInEffectEditor::ContentLayer::addChoice (juce::ComboBox& box,
                                                   std::unique_ptr<juce::AudioProcessorValueTreeState::ComboBoxAttachment>& slot,
                                                   const juce::String& identifier, const juce::String& labelText,
                                                   const juce::StringArray& items, int insertValue)
{
    box.addItemList (items, 1);
    box.setName (identifier.contains ("REV")    ? "Velmora ANALOG REVERB"
                 : identifier.contains ("ECHO") ? "Velmora TAPE ECHO"
                 : identifier.contains ("GN")   ? "Velmora LINE AMP"
                                                : "Velmora OPTO COMP");
    box.setJustificationType (juce::Justification::centred);
    box.setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff151515));
    box.setColour (juce::ComboBox::textColourId, juce::Colour (0xfffff0dd));
    box.setColour (juce::ComboBox::outlineColourId, juce::Colours::black.withAlpha (0.5f));
    box.setColour (juce::ComboBox::arrowColourId, juce::Colour (0x00000000));
    addAndMakeVisible (box);

    if (isInsert)
    {
        box.setSelectedId (insertValue + 1, juce::dontSendNotification);
        box.addListener (this);
    }
    else if (processor.parameters.getParameter (identifier) != nullptr)
    {
        slot = std::make_unique<juce::AudioProcessorValueTreeState::ComboBoxAttachment> (processor.parameters, identifier, box);
    }
    addCaption (labelText, box);
}

void BuiltInEffectEditor::ContentLayer::addKnob (juce::Slider& knob,
                                                 std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment>& slot,
                                                 const juce::String& identifier, const juce::String& labelText,
                                                 double insertValue, double minimum, double maximum)
{
    knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 60, 16);
    knob.setTextBoxIsEditable (true);
    knob.setColour (juce::Slider::textBoxTextColourId, juce::Colours::white);
    knob.setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0x00000000));
    knob.setComponentID (identifier);
    addAndMakeVisible (knob);

    if (isInsert)
    {
        knob.setRange (minimum, maximum, 0.0);
        knob.setValue (insertValue, juce::dontSendNotification);
        knob.setDoubleClickReturnValue (true, insertValue);
        knob.addListener (this);
    }
    else if (auto* parameter = processor.parameters.getParameter (identifier))
    {
        knob.setDoubleClickReturnValue (true, parameter->convertFrom0to1 (parameter->getDefaultValue()));
        slot = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (processor.parameters, identifier, knob);
    }
    addCaption (labelText, knob);
}

void BuiltInEffectEditor::ContentLayer::setUpSyncButton (juce::TextButton& button,
                                                         std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment>& attachment,
                                                         const juce::String& identifier, bool* field)
{
    button.setButtonText ("BPM SYNC");
    button.setClickingTogglesState (true);
    button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
    button.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffffa500).darker (0.2f));
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    button.setLookAndFeel (&buttonLook);
    addAndMakeVisible (button);

    if (isInsert && field != nullptr)
    {
        button.setToggleState (*field, juce::dontSendNotification);
        button.onClick = [this, &button, field] {
            *field = button.getToggleState();
            markChanged();
        };
    }
    else if (processor.parameters.getParameter (identifier) != nullptr)
    {
        attachment = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (processor.parameters, identifier, button);
    }
}

void BuiltInEffectEditor::ContentLayer::setUpTypeButtons()
{
    const int current = isInsert ? settings->mfxType : (int)rawParameter (Id::INT_MFX_TYPE, 0.0f);
    for (int i = 0; i < (int)typeButtons.size(); ++i)
    {
        auto& button = typeButtons[(size_t)i];
        button.setButtonText (mfxTypeNames[i]);
        button.setClickingTogglesState (true);
        button.setRadioGroupId (404);
        button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
        button.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffb0a090));
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
        button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
        button.setLookAndFeel (&buttonLook);
        button.setToggleState (i == current, juce::dontSendNotification);
        button.onClick = [this, i] {
            if (isInsert)
            {
                settings->mfxType = i;
                markChanged();
            }
            else if (auto* parameter = processor.parameters.getParameter (Id::INT_MFX_TYPE))
            {
                const float normalised = (float)i / 6.0f;
                parameter->setValue (normalised);
                parameter->sendValueChangedMessageToListeners (normalised);
            }
        };
        addAndMakeVisible (button);
    }
}

void BuiltInEffectEditor::ContentLayer::markChanged()
{
    processor.unsavedChanges.exchange (true);
}

float BuiltInEffectEditor::ContentLayer::rawParameter (const char* identifier, float fallback) const
{
    if (auto* value = processor.parameters.getRawParameterValue (identifier))
        return value->load();
    return fallback;
}

void BuiltInEffectEditor::ContentLayer::sliderValueChanged (juce::Slider* slider)
{
    if (! isInsert)
        return;

    const float v = (float)slider->getValue();
    const int k = (int)(slider - knobs.data());
    auto& s = *settings;
    switch (effectType)
    {
        case 1:
            if (k == 0) s.revDecay = v;
            if (k == 1) s.revDamp = v;
            if (k == 2) s.revMix = v;
            if (k == 3) s.revPan = v;
            break;
        case 2:
            if (k == 0) s.echoTime = v;
            if (k == 1) s.echoFb = v;
            if (k == 2) s.echoMix = v;
            if (k == 3) s.echoPan = v;
            if (k == 4) s.echoDrive = v;
            break;
        case 3:
            if (k == 0) s.laGain = v;
            if (k == 1) s.laReduction = v;
            break;
        case 4:
            if (k == 0) s.gainLevel = v;
            break;
        case 6:
            if (k == 0) s.mfxP1 = v;
            if (k == 1) s.mfxP2 = v;
            break;
        case 7:
            if (k == 0) s.fetInput = v;
            if (k == 1) s.fetOutput = v;
            if (k == 2) s.fetAttack = v;
            if (k == 3) s.fetRelease = v;
            break;
        default:
            break;
    }
    markChanged();
}

void BuiltInEffectEditor::ContentLayer::comboBoxChanged (juce::ComboBox* box)
{
    if (isInsert && box == &choiceBox)
    {
        const int index = box->getSelectedId() - 1;
        if (effectType == 1) settings->revType = index;
        if (effectType == 2) settings->echoAge = index;
        if (effectType == 3) settings->laMode = index;
        if (effectType == 7) settings->fetRatio = index;
    }
    markChanged();
}

void BuiltInEffectEditor::ContentLayer::timerCallback()
{
    if (effectType == 2)
    {
        const bool sync = isInsert ? settings->echoSync : rawParameter (Id::INT_ECHO_SYNC, 0.0f) > 0.5f;
        knobs[0].textFromValueFunction = [sync] (double v) { return echoTimeText (v, sync); };
        knobs[0].updateText();
    }
    else if (effectType == 6)
    {
        const int type = isInsert ? settings->mfxType : (int)rawParameter (Id::INT_MFX_TYPE, 0.0f);
        const bool sync = isInsert ? settings->mfxSync : rawParameter (Id::INT_MFX_SYNC, 0.0f) > 0.5f;
        const bool adt = type == mfxAdt, distort = type == mfxDistort;
        labels[0]->setText (adt ? "VARIANCE" : distort ? "DRIVE" : "DEPTH", juce::dontSendNotification);
        labels[1]->setText (adt ? "WIDTH" : distort ? "MIX" : "RATE", juce::dontSendNotification);
        mfxSyncButton.setEnabled (! distort);
        knobs[0].textFromValueFunction = &percentText;
        knobs[1].textFromValueFunction = [type, sync] (double v) { return modulationRateText (v, type, sync); };
        knobs[0].updateText();
        knobs[1].updateText();
    }
    else if ((effectType == 3 || effectType == 7) && isInsert)
    {
        float reduction = 0.0f;
        if (effectType == 3 && settings->optoEngine != nullptr)
            reduction = settings->optoEngine->meterReductionDb.load();
        if (effectType == 7 && settings->fetEngine != nullptr)
            reduction = settings->fetEngine->meterReductionDb.load();
        meterLevel += (reduction - meterLevel) * 0.3f;
        const auto panel = panelArea();
        const int c = panel.getX() + panel.getWidth() / 2, g = panel.getY() + panel.getHeight() / 2;
        repaint (c - 105, g - 90, 210, 140);
    }
}

//==============================================================================
juce::String BuiltInEffectEditor::ContentLayer::percentText (double v)
{
    return juce::String (juce::roundToInt (v * 100.0)) + " %";
}

juce::String BuiltInEffectEditor::ContentLayer::panText (double v)
{
    if (v < -0.01)
        return "L " + juce::String (juce::roundToInt (-v * 100.0));
    if (v > 0.01)
        return "R " + juce::String (juce::roundToInt (v * 100.0));
    return "C";
}

juce::String BuiltInEffectEditor::ContentLayer::signedDbText (double v)
{
    return (v > 0.0 ? "+" : "") + juce::String (v, 1) + " dB";
}

juce::String BuiltInEffectEditor::ContentLayer::echoTimeText (double v, bool sync)
{
    if (! sync)
        return juce::String (juce::roundToInt (v)) + " ms";
    static const char* const notes[] = {"1/2", "1/4 D", "1/4", "1/8 D", "1/8", "1/16"};
    const double a = juce::jlimit (0.0, 1.0, (v - 50.0) / 950.0);
    return notes[juce::jlimit (0, 5, (int)(a * 5.99))];
}

juce::String BuiltInEffectEditor::ContentLayer::modulationRateText (double v, int mfxType, bool sync)
{
    if (mfxType == mfxDistort)
        return percentText (v);
    if (sync)
    {
        static const char* const notes[] = {"1 Bar", "1/2", "1/4", "1/8", "1/16", "1/32"};
        return notes[juce::jlimit (0, 5, (int)(v * 5.99))];
    }
    return juce::String (v * 14.9 + 0.1, 1) + " Hz";
}

float BuiltInEffectEditor::ContentLayer::needleAngle (float reductionDb) noexcept
{
    return juce::jlimit (-0.75f, 0.65f, 0.4f - reductionDb * 1.05f / 20.0f);
}

//==============================================================================
BuiltInEffectEditor::BuiltInEffectEditor (TavrelDelayAudioProcessor& processor, int effectType, InsertPlugin* settings)
    : content (processor, effectType, settings)
{
    content.setBounds (0, 0, designWidth, designHeight);
    addAndMakeVisible (content);
    setSize (designWidth, designHeight);
    lookAndFeelChanged();
}

BuiltInEffectEditor::~BuiltInEffectEditor()
{
    isClosing = true;
    setLookAndFeel (nullptr);
}

juce::String BuiltInEffectEditor::windowTitle (int effectType)
{
    static const char* const titles[] = {"Velmora Analog Reverb", "Velmora Tape Echo", "Velmora Opto Comp",
                                         "Velmora Line Amp", "Velmora Equalizer", "Velmora Multi-Modulator",
                                         "Velmora FET-Q9"};
    return effectType >= 1 && effectType <= 7 ? titles[effectType - 1] : "";
}

void BuiltInEffectEditor::parentHierarchyChanged()
{
    lookAndFeelChanged();
}

void BuiltInEffectEditor::lookAndFeelChanged()
{
    if (isClosing)
        return;
    juce::LookAndFeel* wanted = ModernLookAndFeel::getDefault();
    if (wanted == nullptr)
        wanted = &customLook;
    if (&getLookAndFeel() != wanted)
        setLookAndFeel (ModernLookAndFeel::getDefault() != nullptr ? nullptr : &customLook);
}

void BuiltInEffectEditor::paint (juce::Graphics& g)
{
    if (auto* modern = ModernLookAndFeel::getDefault())
        g.fillAll (modern->isDark() ? juce::Colours::black : juce::Colour (modern->cBg));
    else
        g.fillAll (juce::Colour (0xffa0a0a0));
}

void BuiltInEffectEditor::resized()
{
    const float s = juce::jmin ((float)getHeight() / (float)designHeight, (float)getWidth() / (float)designWidth);
    content.setTransform (juce::AffineTransform::scale (s).translated (((float)getWidth() - designWidth * s) / 2.0f,
                                                                       ((float)getHeight() - designHeight * s) / 2.0f));
}
