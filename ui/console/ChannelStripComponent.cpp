// The channel strip's controls: building them, binding them to the strip's track, and laying
// them out in either look.

#include "ui/console/ChannelStripComponent.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/console/ConsoleIds.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/looks/NoiseTexture.h"

namespace
{
const juce::Colour keyFill (0xffd0c0b0);
const juce::Colour keyFillOn (0xffb0a090);
const juce::Colour eqColour (0xffe67e22);
const juce::Colour auxColour (0xff3498db);

/** The beige console key that darkens when on. */
void setKeyColours (juce::TextButton& button, bool blackTextOff)
{
    button.setColour (juce::TextButton::buttonColourId, keyFill);
    button.setColour (juce::TextButton::buttonOnColourId, keyFillOn);
    if (blackTextOff)
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
}

/** A knob of size side at the top of its row, centred across the strip. */
juce::Rectangle<int> knobInRow (juce::Rectangle<int> row, int stripWidth, int side)
{
    return {(stripWidth - side) / 2, row.getY() + (juce::jmin (row.getHeight(), side) - side) / 2, side, side};
}

/** A row's left and right halves, each with a pixel of air. */
void placePair (juce::Rectangle<int> row, int stripWidth, juce::Component& left, juce::Component& right)
{
    const int half = stripWidth / 2;
    left.setBounds (1, row.getY(), juce::jmax (0, half - 2), row.getHeight());
    right.setBounds (half + 1, row.getY(), juce::jmax (0, stripWidth - half - 2), row.getHeight());
}
} // namespace

std::function<juce::DocumentWindow* (TavrelDelayAudioProcessor&, int)> ChannelStripComponent::makeInsertWindow;

ChannelStripComponent::ChannelStripComponent (int stripIndex, TavrelDelayAudioProcessor& processorToUse)
    : trackIndex (stripIndex), trackNumber (stripIndex + 1), processor (processorToUse)
{
    labelLook.texture = createNoiseTexture (128, 0.4f);

    nameLabel.setJustificationType (juce::Justification::centred);
    nameLabel.setEditable (true, false, false);
    nameLabel.setLookAndFeel (&labelLook);
    nameLabel.setColour (juce::Label::textColourId, juce::Colours::transparentBlack);
    nameLabel.onTextChange = [this] {
        processor.parameters.state.setProperty (ParameterIds::forTrack (ParameterIds::TrackName_, trackNumber),
                                                nameLabel.getText(), nullptr);
    };
    addAndMakeVisible (nameLabel);

    sourceButton.setButtonText ("SRC");
    sourceButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
    sourceButton.setTooltip ("Input Source: Select Hardware Input (1/2) or VST Input.");
    sourceButton.setLookAndFeel (&sourceLook);
    sourceButton.onClick = [this] { showInputSourceMenu(); };
    addAndMakeVisible (sourceButton);

    setupKnob (trimKnob, juce::Colour (0xffecf0f1), "Input Trim: Adjusts gain before hitting the tape.");

    printEqButton.setName (ConsoleIds::printEqName);
    printEqButton.setButtonText ("PRINT EQ");
    printEqButton.setTooltip (
        "Toggle Pre-Tape EQ: If ON, EQ is recorded to tape. If OFF, EQ is monitoring only.");
    printEqButton.setClickingTogglesState (true);
    setKeyColours (printEqButton, true);
    printEqButton.setLookAndFeel (&buttonLook);
    addAndMakeVisible (printEqButton);

    insertButton.setName (ConsoleIds::insertName);
    insertButton.setButtonText ("INS");
    insertButton.setTooltip ("Track Inserts: Open post-tape plugin rack.");
    setKeyColours (insertButton, true);
    insertButton.setLookAndFeel (&buttonLook);
    insertButton.onClick = [this] { openInsertWindow(); };
    addAndMakeVisible (insertButton);

    setupKnob (eqHighKnob, eqColour, "High Shelf: 10kHz Boost/Cut.");
    setupKnob (eqMidFreqKnob, eqColour, "Mid Frequency: Sweepable 250Hz - 5kHz.");
    setupKnob (eqMidGainKnob, eqColour, "Mid Gain: Boost or Cut the selected frequency.");
    setupKnob (eqLowKnob, eqColour, "Low Shelf: 100Hz Boost/Cut.");
    setupKnob (aux1Knob, auxColour, "Aux 1 Send (Post-Fader).");
    setupKnob (aux2Knob, auxColour, "Aux 2 Send (Post-Fader).");
    setupKnob (panKnob, juce::Colour (0xff9b59b6), "Pan: Left/Right stereo placement.");

    volumeFader.setSliderStyle (juce::Slider::LinearVertical);
    volumeFader.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    volumeFader.setTooltip ("Channel Volume: Controls playback level of this track.");
    volumeFader.setDoubleClickReturnValue (true, 1.0, juce::ModifierKeys::altModifier);
    volumeFader.setPopupDisplayEnabled (true, false, nullptr, 2000);
    // Touch and latch automation and the group faders read the touch flag on the audio thread;
    // a Ctrl-drag moves the fader without touching it.
    volumeFader.onDragStart = [this] {
        if (trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::numChannels
            && ! juce::ModifierKeys::currentModifiers.isCtrlDown())
            processor.faderTouched[(size_t) trackIndex] = true;
    };
    volumeFader.onDragEnd = [this] {
        if (trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::numChannels)
            processor.faderTouched[(size_t) trackIndex] = false;
    };
    addAndMakeVisible (volumeFader);

    armButton.setButtonText ("R");
    armButton.setTooltip ("Record Arm: Enables this track for recording.");
    armButton.setClickingTogglesState (true);
    armButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
    armButton.setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffc0392b));
    armButton.setColour (juce::TextButton::textColourOffId, juce::Colour (0xff808080));
    armButton.setColour (juce::TextButton::textColourOnId, juce::Colours::white);
    armButton.onClick = [this] { onArmClicked(); };
    addAndMakeVisible (armButton);

    monitorButton.setButtonText ("T");
    monitorButton.setTooltip ("Monitor Mode: Toggle between Input (Blue) and Repro/Tape (Orange).");
    monitorButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff555555));
    monitorButton.onClick = [this] { onMonitorClicked(); };
    addAndMakeVisible (monitorButton);

    muteButton.setButtonText ("MUTE");
    muteButton.setTooltip ("Mute Track");
    muteButton.setClickingTogglesState (true);
    setKeyColours (muteButton, false);
    muteButton.setLookAndFeel (&buttonLook);
    muteButton.onClick = [this] { onLinkedToggleClicked (muteButton, ParameterIds::MUTE_); };
    addAndMakeVisible (muteButton);

    soloButton.setButtonText ("SOLO");
    soloButton.setTooltip ("Solo Track (Mutes others)");
    soloButton.setClickingTogglesState (true);
    setKeyColours (soloButton, true);
    soloButton.setLookAndFeel (&buttonLook);
    soloButton.onClick = [this] { onLinkedToggleClicked (soloButton, ParameterIds::SOLO_); };
    addAndMakeVisible (soloButton);

    phaseButton.setButtonText (juce::CharPointer_UTF8 ("\xc3\x98"));
    phaseButton.setTooltip ("Phase Invert (Polarity)");
    phaseButton.setClickingTogglesState (true);
    setKeyColours (phaseButton, true);
    phaseButton.setLookAndFeel (&buttonLook);
    addAndMakeVisible (phaseButton);

    autoButton.setButtonText ("OFF");
    autoButton.setTooltip ("Automation Read/Write (Placeholder)");
    setKeyColours (autoButton, true);
    autoButton.setLookAndFeel (&buttonLook);
    autoButton.onClick = [this] { showAutomationModeMenu(); };
    addAndMakeVisible (autoButton);

    bindControls();
    updateTrackName();
    refreshArmButton();
    updateMonitorButton();
    updateAutomationIndicator();

    startTimer (timerMilliseconds);
    updateInputSourceLabel();
    setPaintingIsUnclipped (true);
}

ChannelStripComponent::~ChannelStripComponent()
{
    stopTimer();

    if (auto* window = insertWindow.getComponent())
        delete window;

    nameLabel.setLookAndFeel (nullptr);
    sourceButton.setLookAndFeel (nullptr);
    for (auto* button : {&printEqButton, &insertButton, &muteButton, &soloButton, &phaseButton, &autoButton})
        button->setLookAndFeel (nullptr);

    // The attachments go before the controls they bind.
    muteAttachment.reset();
    soloAttachment.reset();
    phaseAttachment.reset();
    trimAttachment.reset();
    printEqAttachment.reset();
    eqHighAttachment.reset();
    eqMidFreqAttachment.reset();
    eqMidGainAttachment.reset();
    eqLowAttachment.reset();
    aux1Attachment.reset();
    aux2Attachment.reset();
    volumeAttachment.reset();
    panAttachment.reset();
}

juce::uint32 ChannelStripComponent::getMillisecondCounter() const
{
    return juce::Time::getMillisecondCounter();
}

juce::RangedAudioParameter* ChannelStripComponent::trackParameter (const char* prefix) const
{
    return processor.parameters.getParameter (ParameterIds::forTrack (prefix, trackNumber));
}

void ChannelStripComponent::setupKnob (RightClickSlider& knob, juce::Colour fill, const juce::String& tooltip)
{
    // The ID, the reset value and the binding follow the track: bindControls.
    knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    knob.setColour (juce::Slider::rotarySliderFillColourId, fill);
    knob.setTooltip (tooltip);
    addAndMakeVisible (knob);
}

void ChannelStripComponent::bindControls()
{
    struct KnobBinding
    {
        const char* prefix;
        RightClickSlider& knob;
        std::unique_ptr<SliderAttachment>& attachment;
    };

    const KnobBinding knobs[] = {
        {ParameterIds::TRIM_, trimKnob, trimAttachment},
        {ParameterIds::EQ_HIGH_, eqHighKnob, eqHighAttachment},
        {ParameterIds::EQ_MID_FREQ_, eqMidFreqKnob, eqMidFreqAttachment},
        {ParameterIds::EQ_MID_GAIN_, eqMidGainKnob, eqMidGainAttachment},
        {ParameterIds::EQ_LOW_, eqLowKnob, eqLowAttachment},
        {ParameterIds::AUX1_, aux1Knob, aux1Attachment},
        {ParameterIds::AUX2_, aux2Knob, aux2Attachment},
        {ParameterIds::PAN_, panKnob, panAttachment},
        {ParameterIds::VOL_, volumeFader, volumeAttachment},
    };

    for (const auto& binding : knobs)
    {
        const auto id = ParameterIds::forTrack (binding.prefix, trackNumber);
        binding.knob.setComponentID (id);
        binding.attachment.reset();

        if (auto* parameter = processor.parameters.getParameter (id))
        {
            if (&binding.knob != &volumeFader)
                binding.knob.setDoubleClickReturnValue (true, parameter->convertFrom0to1 (parameter->getDefaultValue()),
                                                        juce::ModifierKeys::altModifier);
            binding.attachment = std::make_unique<SliderAttachment> (processor.parameters, id, binding.knob);
        }
    }

    // The attachment gave the fader the parameter's own text; the console shows decibels.
    installFaderTextFunction();

    struct ButtonBinding
    {
        const char* prefix;
        juce::TextButton& button;
        std::unique_ptr<ButtonAttachment>& attachment;
    };

    const ButtonBinding buttons[] = {
        {ParameterIds::MUTE_, muteButton, muteAttachment},
        {ParameterIds::SOLO_, soloButton, soloAttachment},
        {ParameterIds::PHASE_, phaseButton, phaseAttachment},
        {ParameterIds::EQ_PRE_, printEqButton, printEqAttachment},
    };

    for (const auto& binding : buttons)
    {
        const auto id = ParameterIds::forTrack (binding.prefix, trackNumber);
        binding.button.setComponentID (id);
        binding.attachment.reset();

        if (processor.parameters.getParameter (id) != nullptr)
            binding.attachment = std::make_unique<ButtonAttachment> (processor.parameters, id, binding.button);
    }

    monitorButton.setComponentID (ParameterIds::forTrack (ParameterIds::MON_, trackNumber));
    armButton.setComponentID (ConsoleIds::armPrefix + juce::String (trackNumber));
}

void ChannelStripComponent::installFaderTextFunction()
{
    volumeFader.textFromValueFunction = [] (double value) { return faderValueText (value); };
    volumeFader.updateText();
}

juce::String ChannelStripComponent::faderValueText (double gain)
{
    if (gain <= 0.001)
        return "-inf dB";

    return juce::String (juce::jmax (-100.0, 20.0 * std::log10 (gain)), 1) + " dB";
}

void ChannelStripComponent::setTrackIndex (int track)
{
    trackIndex = track;
    trackNumber = track + 1;

    bindControls();
    updateTrackName();
    updateInputSourceLabel();
    updateMonitorButton();
    updateAutomationIndicator();
    refreshArmButton();
    repaint();
}

void ChannelStripComponent::updateTrackName()
{
    const auto name = processor.parameters.state.getProperty (
        juce::Identifier (ParameterIds::forTrack (ParameterIds::TrackName_, trackNumber)));
    nameLabel.setText (name.toString(), juce::dontSendNotification);
}

bool ChannelStripComponent::trackExists() const
{
    return trackIndex >= 0 && trackIndex < processor.numTracks && trackIndex < (int) processor.tracks.size();
}

void ChannelStripComponent::refreshArmButton()
{
    const bool armed = trackExists() && processor.tracks[(size_t) trackIndex].armed;
    if (armButton.getToggleState() != armed)
        armButton.setToggleState (armed, juce::dontSendNotification);
}

void ChannelStripComponent::onMonitorClicked()
{
    if (auto* monitor = trackParameter (ParameterIds::MON_))
        monitor->setValueNotifyingHost (monitor->getValue() >= 0.5f ? 0.0f : 1.0f);

    updateMonitorButton();
}

void ChannelStripComponent::updateMonitorButton()
{
    auto* monitor = trackParameter (ParameterIds::MON_);
    if (monitor == nullptr)
        return;

    const bool tape = monitor->getValue() >= 0.5f;
    const auto text = tape ? "T" : "IN";
    if (monitorButton.getButtonText() != text)
        monitorButton.setButtonText (text);

    const juce::Colour colour (tape ? 0xffffa500 : 0xff6495ed);
    monitorButton.setColour (juce::TextButton::textColourOffId, colour);
    monitorButton.setColour (juce::TextButton::textColourOnId, colour);
}

void ChannelStripComponent::openInsertWindow()
{
    if (auto* window = insertWindow.getComponent())
    {
        window->toFront (true);
        return;
    }

    if (makeInsertWindow)
        insertWindow = makeInsertWindow (processor, trackIndex);
}

bool ChannelStripComponent::isMinimalLook() const
{
    return ModernLookAndFeel::getDefault() != nullptr;
}

void ChannelStripComponent::resized()
{
    const bool minimal = isMinimalLook();
    const int w = getWidth();
    auto area = getLocalBounds();

    const auto bottomZone = area.removeFromBottom (minimal ? 42 : 160);
    area.removeFromTop (50);

    const auto sourceRow = area.removeFromTop (minimal ? 24 : 20);
    sourceButton.setBounds (2, sourceRow.getY(), w - 4, sourceRow.getHeight());
    area.removeFromTop (4);

    const int knobRow = minimal ? 72 : 54;
    const int knobSide = minimal ? 58 : 44;
    for (auto* knob : {&trimKnob, &eqHighKnob, &eqMidFreqKnob, &eqMidGainKnob, &eqLowKnob, &aux1Knob, &aux2Knob,
                       &panKnob})
        knob->setBounds (knobInRow (area.removeFromTop (knobRow), w, knobSide));
    area.removeFromTop (4);

    const int keyRow = minimal ? 30 : 20;
    for (auto* key : {&printEqButton, &insertButton})
    {
        const auto row = area.removeFromTop (keyRow);
        key->setBounds (4, row.getY(), w - 8, row.getHeight());
    }
    area.removeFromTop (4);

    const int buttonRow = minimal ? 32 : 24;
    const int rowGap = minimal ? 4 : 2;
    placePair (area.removeFromTop (buttonRow), w, autoButton, phaseButton);
    area.removeFromTop (rowGap);
    placePair (area.removeFromTop (buttonRow), w, muteButton, soloButton);
    area.removeFromTop (rowGap);
    placePair (area.removeFromTop (buttonRow), w, monitorButton, armButton);
    area.removeFromTop (6);

    area.removeFromTop (4);
    const int faderWidth = minimal ? 64 : 44;
    volumeFader.setBounds ((w - faderWidth) / 2, area.getY(), faderWidth, area.getHeight());

    nameLabel.setTransform ({});
    nameLabel.setBounds (0, bottomZone.getY() + (minimal ? 0 : 50), w, minimal ? 42 : 40);

    // A strip of tape is never stuck on quite straight.
    const float tilt = juce::degreesToRadians (trackIndex % 2 == 0 ? -2.0f : 1.5f);
    const auto centre = nameLabel.getBounds().toFloat().getCentre();
    nameLabel.setTransform (juce::AffineTransform::rotation (tilt, centre.x, centre.y));
}
