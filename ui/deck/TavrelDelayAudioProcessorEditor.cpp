#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "app/SafeAudioSetupWindow.h"
#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/deck/DeckLayout.h"
#include "ui/deck/EditorIds.h"
#include "ui/looks/LookImages.h"

namespace
{
const juce::Colour toggleFill (0xffd0c0b0);
const juce::Colour toggleFillOn (0xffb0a090);

/** The beige key that darkens when on, with black text either way. */
void setToggleColours (juce::TextButton& button)
{
    button.setColour (juce::TextButton::buttonColourId, toggleFill);
    button.setColour (juce::TextButton::buttonOnColourId, toggleFillOn);
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
}

template <typename AttachmentType>
struct HeldAttachment : public TavrelDelayAudioProcessorEditor::Attachment
{
    template <typename Control>
    HeldAttachment (juce::AudioProcessorValueTreeState& state, const juce::String& parameterId, Control& control)
        : attachment (state, parameterId, control)
    {
    }

    AttachmentType attachment;
};
} // namespace

juce::String TavrelDelayAudioProcessorEditor::DeckTooltipWindow::getTipFor (juce::Component& component)
{
    return isEnabled() ? juce::TooltipWindow::getTipFor (component) : juce::String();
}

template <typename AttachmentType, typename Control>
void TavrelDelayAudioProcessorEditor::attach (AttachmentSlot slot, const juce::String& parameterId, Control& control)
{
    // The old attachment goes first, so the control is never bound twice.
    knobAttachments[(size_t) slot].reset();
    knobAttachments[(size_t) slot] =
        std::make_unique<HeldAttachment<AttachmentType>> (audioProcessor.parameters, parameterId, control);
}

TavrelDelayAudioProcessorEditor::TavrelDelayAudioProcessorEditor (TavrelDelayAudioProcessor& processorToEdit)
    : juce::AudioProcessorEditor (processorToEdit), audioProcessor (processorToEdit), tapeStrip (processorToEdit)
{
    setWantsKeyboardFocus (true);
    loadShortcuts();

    // The interface (minimal or skeuomorphic) and its look, for the editor and every window.
    readTheme();
    juce::LookAndFeel& look = useModernUI ? static_cast<juce::LookAndFeel&> (modernLook) : customLook;
    setLookAndFeel (&look);
    juce::LookAndFeel::setDefaultLookAndFeel (&look);

    tapeRoomBackdrop = LookImages::tapeRoomBackdrop();

    // The tape room: shown first, in place of the deck.
    tapeRoom = std::make_unique<TapeRoomComponent> (
        &audioProcessor.reelLibrary,
        [this] (const juce::String& reelName) { openReelFromLibrary (reelName); },
        [this] (const juce::String& reelName) { saveReelIfOpen (reelName); });
    tapeRoom->onOpenAudioSettings = [this] (std::function<void()> onClosed) { openAudioSetupWindow (std::move (onClosed)); };
    tapeRoom->deviceManager = audioProcessor.deviceManager;
    addChildComponent (*tapeRoom);

    // The deck panel: its children take the clicks, the panel itself lets them through.
    deckPanel.setInterceptsMouseClicks (false, true);
    deckPanel.setSize (DeckLayout::designWidth, DeckLayout::designHeight);
    addAndMakeVisible (deckPanel);

    console = std::make_unique<StudioConsoleComponent> (audioProcessor);
    maskingTapeVisible = audioProcessor.parameters.state.getProperty ("ShowMaskingTape", false);
    console->setMaskingTapeVisible (maskingTapeVisible);
    deckPanel.addAndMakeVisible (*console);

    // The dust cover: above everything added so far, below every control added after it.
    dustCover = std::make_unique<DustCoverComponent>();
    dustCover->setLookAndFeel (&customLook);
    dustCover->onLifted = [this] { hideDustCoverPermanently(); };
    deckPanel.addAndMakeVisible (*dustCover);
    dustCover->setBounds (deckPanel.getLocalBounds());
    if (! readShowDustCover())
        dustCover->putAwayAtOnce();
    dustCover->toFront (false);

    buildTopBar();
    // Reel flows: SAVE REEL and EJECT (EditorReelSave.cpp).
    saveReelButton.onClick = [this] { saveReelClicked(); };
    ejectButton.onClick = [this] { ejectClicked(); };
    buildKnobs();

    // Tooltips follow "SHOW_TIPS"; without the parameter they stay on.
    if (auto* showTips = audioProcessor.parameters.getRawParameterValue (ParameterIds::SHOW_TIPS))
        tooltipWindow.setEnabled (*showTips > 0.5f);

    // Varispeed: reset to normal speed, value shown while dragged.
    varispeedKnob.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    varispeedKnob.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    varispeedKnob.setComponentID (ParameterIds::VARISPEED);
    varispeedKnob.setDoubleClickReturnValue (true, 1.0);
    varispeedKnob.setPopupDisplayEnabled (true, false, &deckPanel, 2000);
    deckPanel.addAndMakeVisible (varispeedKnob);
    if (audioProcessor.parameters.getParameter (ParameterIds::VARISPEED) != nullptr)
        attach<juce::AudioProcessorValueTreeState::SliderAttachment> (varispeedSlot, ParameterIds::VARISPEED,
                                                                      varispeedKnob);

    formatButton.setComponentID (EditorIds::format);
    formatButton.setButtonText ("1\" MASTER");
    formatButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
    formatButton.setColour (juce::TextButton::textColourOffId, juce::Colour (0xffffd700));
    formatButton.setColour (juce::TextButton::textColourOnId, juce::Colour (0xffffd700));
    formatButton.setColour (juce::ComboBox::outlineColourId, juce::Colours::black);
    formatButton.setLookAndFeel (&formatLook);
    deckPanel.addAndMakeVisible (formatButton);

    buildSwitches();
    buildToolRow();
    buildTransport();

    masterVolumeSlider.setSliderStyle (juce::Slider::LinearVertical);
    masterVolumeSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    masterVolumeSlider.setComponentID (ParameterIds::MASTER_VOL);
    masterVolumeSlider.setDoubleClickReturnValue (true, 1.0);
    masterVolumeSlider.setPopupDisplayEnabled (true, false, &deckPanel, 2000);
    deckPanel.addAndMakeVisible (masterVolumeSlider);
    masterVolumeAttachment = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (
        audioProcessor.parameters, ParameterIds::MASTER_VOL, masterVolumeSlider);

    deckArtwork = LookImages::deckArtwork();
    maskingTapeArtwork = LookImages::maskingTapeArtwork();

    connectDeckControls();

    setSize (defaultWidth, defaultHeight);
    setResizable (true, true);
    setResizeLimits (850, 566, 3400, 2266);
    startTimer (timerMilliseconds);
}

void TavrelDelayAudioProcessorEditor::buildTopBar()
{
    addTopBarButton (ejectButton, "EJECT", toggleFill, "Eject Tape: Return to the Tape Room to manage reels.");
    addTopBarButton (saveReelButton, "SAVE REEL", juce::Colour (0xffc0392b),
                     "Save Reel: Persist current audio and settings to disk.");
    saveReelButton.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    addTopBarButton (mixdownButton, "MIXDOWN", toggleFill,
                     "Mixdown: Bounce the tape mix to a WAV file (Live or Offline).");
    mixdownButton.onClick = [this] { mixdownClicked(); };
    addTopBarButton (setupButton, "SETUP", juce::Colour (0xff7f8c8d),
                     "Settings: Configure audio, latency, and calibration.");
    setupButton.setColour (juce::TextButton::textColourOffId, juce::Colours::white);

    addToggleButton (midiLearnButton, "MIDI LEARN",
                     "MIDI Learn Mode: 1. Click this. 2. Click any knob. 3. Move your MIDI controller.", {}, {});
    midiLearnButton.setColour (juce::TextButton::buttonOnColourId, juce::Colours::white);

    // The glass pane catches clicks over the whole editor while MIDI learn picks a control.
    addChildComponent (midiGlassPane);
    midiGlassPane.setAlwaysOnTop (true);

    trackPageButton.setButtonText ("TRACKS 1-8");
    setToggleColours (trackPageButton);
    trackPageButton.setLookAndFeel (&buttonLook);
    deckPanel.addAndMakeVisible (trackPageButton);

    masterFxButton.setButtonText ("MASTER FX");
    masterFxButton.setTooltip ("Open Master Bus Inserts");
    setToggleColours (masterFxButton);
    masterFxButton.setLookAndFeel (&buttonLook);
    deckPanel.addAndMakeVisible (masterFxButton);

    // Every press, drag and release on a deck control also reaches the editor's mouse handling.
    deckPanel.addMouseListener (this, true);

    addTopBarButton (betaFeedbackButton, "BETA FEEDBACK", juce::Colour (0xff849c82),
                     "Send Feedback: Opens email client with system specs included.");
}

void TavrelDelayAudioProcessorEditor::buildKnobs()
{
    const struct
    {
        juce::Slider& knob;
        const char* parameterId;
        AttachmentSlot slot;
        const char* tooltip;
    } knobs[] = {
        {driveKnob, ParameterIds::DRIVE, driveSlot, "Input Drive: Pushes the magnetic tape into harmonic saturation."},
        {ageKnob, ParameterIds::AGE, ageSlot, "Tape Age: Simulates oxide shedding and frequency loss."},
        {noiseKnob, ParameterIds::NOISE, noiseSlot, "Hiss Level: Controls the noise floor of the tape formulation."},
        {wowKnob, ParameterIds::WOW, wowSlot, "Wow: Slow motor speed fluctuations (low frequency pitch drift)."},
        {flutterKnob, ParameterIds::FLUTTER, flutterSlot, "Flutter: Fast capstan imperfections (high frequency jitter)."},
        {wearRateKnob, ParameterIds::DEGRADE_RATE, wearRateSlot, "Wear Rate: How fast the tape degrades when Auto-Wear is ON."},
        {stickinessKnob, ParameterIds::DIGITAL_FINGER, stickinessSlot, "Stickiness: Simulates pitch warbles from sticky tape."},
        {headGapKnob, ParameterIds::TIME, timeSlot, "Head Gap: Delay time between Record and Repro heads."},
    };

    for (const auto& k : knobs)
    {
        addKnob (k.knob, k.parameterId, k.slot);
        k.knob.setTooltip (k.tooltip);
    }
}

void TavrelDelayAudioProcessorEditor::buildSwitches()
{
    const struct
    {
        juce::TextButton& button;
        const char* parameterId;
        const char* text;
        AttachmentSlot slot;
        const char* tooltip;
    } switches[] = {
        {soundOnSoundButton, ParameterIds::SOUND_ON_SOUND, "S.O.S.", soundOnSoundSlot,
         "Sound On Sound: Disables the erase head for infinite overdubbing."},
        {punchInButton, ParameterIds::PUNCH_IN, "PUNCH", punchInSlot,
         "Punch-In Mode: Forces the Tape Head distance to 0ms for flawless, delay-free overdubbing."},
        {wearButton, ParameterIds::DEGRADE_ON, "WEAR", wearSlot, "Auto-Wear: Simulates physical tape degradation over time."},
    };

    for (const auto& s : switches)
    {
        addToggleButton (s.button, s.text, s.tooltip, s.parameterId, {});
        attach<juce::AudioProcessorValueTreeState::ButtonAttachment> (s.slot, s.parameterId, s.button);
    }
}

void TavrelDelayAudioProcessorEditor::buildToolRow()
{
    addToggleButton (cursorToolButton, "Ptr", "Cursor: Scrub tape or move loop points.", {}, {});
    cursorToolButton.setRadioGroupId (101);
    cursorToolButton.setToggleState (true, juce::dontSendNotification);
    addToggleButton (brushToolButton, "Brush: Dropout", "Select a Tape Defect Brush to draw on the strip.", {}, {});
    brushToolButton.setRadioGroupId (101);

    addToggleButton (clickButton, "CLICK", "Toggle Metronome", EditorIds::clickToggle, {});
    addToggleButton (monitorMuteButton, "MON", "Toggle Input Monitor Mute", ParameterIds::DIRECT_MON, {});
    addToggleButton (waveButton, "WAVE", "Show Waveform Visualization", ParameterIds::SHOW_WAVE, {});

    zoomSlider.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    zoomSlider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    zoomSlider.setRange (0.0, 1.0, 0.01);
    zoomSlider.setValue (0.0, juce::dontSendNotification);
    zoomSlider.setTooltip ("Zoom: Adjust the waveform and defect visualizer scale.");
    zoomSlider.setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xffbdc3c7));
    deckPanel.addAndMakeVisible (zoomSlider);

    clearDefectsButton.setComponentID (EditorIds::clearDefects);
    clearDefectsButton.setButtonText ("CLR");
    clearDefectsButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffc0392b));
    clearDefectsButton.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
    clearDefectsButton.setLookAndFeel (&buttonLook);
    deckPanel.addAndMakeVisible (clearDefectsButton);

    deckPanel.addAndMakeVisible (tapeStrip);

    undoButton.setButtonText ("UNDO");
    undoButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xfff1c40f));
    undoButton.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    undoButton.setLookAndFeel (&buttonLook);
    deckPanel.addAndMakeVisible (undoButton);

    addLoopButton (loopClearButton, "CLR", EditorIds::loopClear, toggleFill, {});
    addLoopButton (loopInButton, "IN", EditorIds::loopIn, toggleFill, {});
    addLoopButton (loopOutButton, "OUT", EditorIds::loopOut, toggleFill, {});
    addLoopButton (loopButton, "LOOP", EditorIds::loopToggle, toggleFill, {});
    loopButton.setColour (juce::TextButton::buttonOnColourId, toggleFillOn);
    loopButton.setClickingTogglesState (true);
    addLoopButton (loopCutButton, "CUT", EditorIds::loopCut, juce::Colour (0xffe74c3c), {});

    counterLabel.setText ("00:00", juce::dontSendNotification);
    counterLabel.setJustificationType (juce::Justification::centred);
    counterLabel.setColour (juce::Label::backgroundColourId, juce::Colour (0xff111111));
    counterLabel.setColour (juce::Label::textColourId, juce::Colour (0xffff0000));
    counterLabel.setColour (juce::Label::textWhenEditingColourId, juce::Colours::white);
    counterLabel.setFont (juce::Font ("Courier New", 22.0f, juce::Font::bold));
    counterLabel.setEditable (true, false, false);
    counterLabel.setTooltip ("Click to enter a specific time (e.g. 0420) and press Enter to jump.");
    deckPanel.addAndMakeVisible (counterLabel);
}

void TavrelDelayAudioProcessorEditor::buildTransport()
{
    addTransportButton (returnToZeroButton, EditorIds::returnToZero, "Return To Zero");
    addTransportButton (zeroButton, EditorIds::zero, "Reset Counter");
    addTransportButton (rewindButton, EditorIds::rewind, "Rewind");
    addTransportButton (fastForwardButton, EditorIds::fastForward, "Fast Forward");
    addTransportButton (stopButton, EditorIds::stop, "Stop");
    addTransportButton (playButton, EditorIds::play, "Play");
    addTransportButton (recordButton, EditorIds::record, "Master Record Arm");
}

void TavrelDelayAudioProcessorEditor::addTopBarButton (juce::TextButton& button, const juce::String& text,
                                                       juce::Colour fill, const juce::String& tooltip)
{
    button.setButtonText (text);
    button.setColour (juce::TextButton::buttonColourId, fill);
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    button.setTooltip (tooltip);
    if (&button.getLookAndFeel() != &buttonLook)
        button.setLookAndFeel (&buttonLook);
    deckPanel.addAndMakeVisible (button);
}

void TavrelDelayAudioProcessorEditor::addTransportButton (juce::Button& button, const juce::String& componentId,
                                                          const juce::String& tooltip)
{
    button.setButtonText ({});
    button.setComponentID (componentId);
    button.setTooltip (tooltip);
    button.setColour (juce::TextButton::buttonColourId, juce::Colours::transparentBlack);
    deckPanel.addAndMakeVisible (button);
}

void TavrelDelayAudioProcessorEditor::addLoopButton (juce::TextButton& button, const juce::String& text,
                                                     const juce::String& componentId, juce::Colour fill,
                                                     std::function<void()> onClick)
{
    button.setButtonText (text);
    button.setComponentID (componentId);
    button.setColour (juce::TextButton::buttonColourId, fill);
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    button.setLookAndFeel (&buttonLook);
    button.onClick = std::move (onClick);
    deckPanel.addAndMakeVisible (button);
}

void TavrelDelayAudioProcessorEditor::addToggleButton (juce::TextButton& button, const juce::String& text,
                                                       const juce::String& tooltip, const juce::String& componentId,
                                                       std::function<void()> onClick)
{
    if (componentId.isNotEmpty())
        button.setComponentID (componentId);
    button.setButtonText (text);
    button.setTooltip (tooltip);
    button.setClickingTogglesState (true);
    setToggleColours (button);
    button.setLookAndFeel (&buttonLook);
    button.onClick = std::move (onClick);
    deckPanel.addAndMakeVisible (button);
}

void TavrelDelayAudioProcessorEditor::addKnob (juce::Slider& knob, const juce::String& parameterId, AttachmentSlot slot)
{
    knob.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    knob.setComponentID (parameterId);

    if (auto* parameter = audioProcessor.parameters.getParameter (parameterId))
    {
        const auto& range = parameter->getNormalisableRange();
        const float normalisedDefault = juce::jlimit (0.0f, 1.0f, parameter->getDefaultValue());
        knob.setDoubleClickReturnValue (true, (double) range.snapToLegalValue (range.convertFrom0to1 (normalisedDefault)));
    }

    deckPanel.addAndMakeVisible (knob);
    attach<juce::AudioProcessorValueTreeState::SliderAttachment> (slot, parameterId, knob);
}

void TavrelDelayAudioProcessorEditor::saveReelIfOpen (const juce::String& reelName)
{
    if (reelName == audioProcessor.reelName)
        audioProcessor.saveReel (0);
}

void TavrelDelayAudioProcessorEditor::openAudioSetupWindow (std::function<void()> onClosed)
{
    auto* window = new SafeAudioSetupWindow (&audioProcessor, &getEditorLook(), useModernUI);

    // The window may outlive the editor (it belongs to the desktop): the follow-up runs only
    // while the editor is there.
    window->onClose = [safe = juce::Component::SafePointer<juce::Component> (this), onClosed = std::move (onClosed)]
    {
        if (safe != nullptr && onClosed)
            onClosed();
    };
}

