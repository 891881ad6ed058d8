// The console's construction, paging, layout and aux-return sections.

#include "ui/console/StudioConsoleComponent.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/TrackInsertWindow.h"
#include "ui/instruments/InternalInstrumentWindow.h"
#include "ui/looks/ModernLookAndFeel.h"

namespace
{
const juce::Colour keyFill (0xffd0c0b0);
const juce::Colour keyFillOn (0xffb0a090);

void setKeyColours (juce::TextButton& button)
{
    button.setColour (juce::TextButton::buttonColourId, keyFill);
    button.setColour (juce::TextButton::buttonOnColourId, keyFillOn);
    button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
}
} // namespace

StudioConsoleComponent::StudioConsoleComponent (TavrelDelayAudioProcessor& processorToShow)
    : processor (processorToShow)
{
    setInterceptsMouseClicks (true, true);

    for (auto* button : {&aux1MuteButton, &aux2MuteButton, &aux1AutoButton, &aux2AutoButton})
        button->setLookAndFeel (&buttonLook);

    startTimer (timerMilliseconds);

    for (int i = 0; i < stripsPerPage; ++i)
        addAndMakeVisible (strips.add (new ChannelStripComponent (i, processor)));

    ChannelStripComponent::makeInsertWindow = [] (TavrelDelayAudioProcessor& p, int track) -> juce::DocumentWindow*
    { return new TrackInsertWindow (p, track); };
    StudioRackComponent::makeInstrumentWindow = [] (TavrelDelayAudioProcessor& p, TavrelDelayAudioProcessor::InstrumentPlugin& slot)
        -> juce::DocumentWindow* { return new InternalInstrumentWindow (p, slot); };

    rack = std::make_unique<StudioRackComponent> (processor);
    rack->onRoutingChanged = [this]
    {
        refreshAll();
        repaint();
    };
    addAndMakeVisible (*rack);

    setUpAuxSection (aux1ReturnFader, aux1PanKnob, aux1MuteButton, aux1AutoButton, aux1Channel);
    setUpAuxSection (aux2ReturnFader, aux2PanKnob, aux2MuteButton, aux2AutoButton, aux2Channel);

    auto& state = processor.parameters;
    if (state.getParameter (ParameterIds::AUX1_RETURN) != nullptr)
        aux1ReturnAttachment = std::make_unique<SliderAttachment> (state, ParameterIds::AUX1_RETURN, aux1ReturnFader);
    if (state.getParameter (ParameterIds::AUX2_RETURN) != nullptr)
        aux2ReturnAttachment = std::make_unique<SliderAttachment> (state, ParameterIds::AUX2_RETURN, aux2ReturnFader);
    if (state.getParameter (ParameterIds::AUX1_PAN) != nullptr)
        aux1PanAttachment = std::make_unique<SliderAttachment> (state, ParameterIds::AUX1_PAN, aux1PanKnob);
    if (state.getParameter (ParameterIds::AUX2_PAN) != nullptr)
        aux2PanAttachment = std::make_unique<SliderAttachment> (state, ParameterIds::AUX2_PAN, aux2PanKnob);

    // The attachments gave the faders the parameters' texts; the console shows decibels.
    for (auto* fader : {&aux1ReturnFader, &aux2ReturnFader})
        fader->textFromValueFunction = [] (double value) { return ChannelStripComponent::faderValueText (value); };

    if (state.getParameter (ParameterIds::AUX1_MUTE) != nullptr)
        aux1MuteAttachment = std::make_unique<ButtonAttachment> (state, ParameterIds::AUX1_MUTE, aux1MuteButton);
    if (state.getParameter (ParameterIds::AUX2_MUTE) != nullptr)
        aux2MuteAttachment = std::make_unique<ButtonAttachment> (state, ParameterIds::AUX2_MUTE, aux2MuteButton);
}

StudioConsoleComponent::~StudioConsoleComponent()
{
    stopTimer();

    for (auto* button : {&aux1MuteButton, &aux2MuteButton, &aux1AutoButton, &aux2AutoButton})
        button->setLookAndFeel (nullptr);

    aux1MuteAttachment.reset();
    aux2MuteAttachment.reset();
    aux1ReturnAttachment.reset();
    aux2ReturnAttachment.reset();
    aux1PanAttachment.reset();
    aux2PanAttachment.reset();
    rack.reset();
    strips.clear();
}

void StudioConsoleComponent::setUpAuxSection (RightClickSlider& fader, RightClickSlider& pan, juce::TextButton& mute,
                                              juce::TextButton& autoButton, int channel)
{
    const bool first = channel == aux1Channel;

    fader.setSliderStyle (juce::Slider::LinearVertical);
    fader.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    fader.setComponentID (first ? ParameterIds::AUX1_RETURN : ParameterIds::AUX2_RETURN);
    if (auto* parameter = processor.parameters.getParameter (fader.getComponentID()))
        fader.setDoubleClickReturnValue (true, parameter->convertFrom0to1 (parameter->getDefaultValue()),
                                         juce::ModifierKeys::altModifier);
    fader.setPopupDisplayEnabled (true, false, this, 2000);
    fader.onDragStart = [this, channel] { processor.faderTouched[(size_t) channel] = true; };
    fader.onDragEnd = [this, channel] { processor.faderTouched[(size_t) channel] = false; };
    addAndMakeVisible (fader);

    pan.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    pan.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    pan.setComponentID (first ? ParameterIds::AUX1_PAN : ParameterIds::AUX2_PAN);
    pan.setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xff3498db));
    pan.setDoubleClickReturnValue (true, 0.0, juce::ModifierKeys::altModifier);
    addAndMakeVisible (pan);

    mute.setButtonText ("MUTE");
    mute.setComponentID (first ? ParameterIds::AUX1_MUTE : ParameterIds::AUX2_MUTE);
    mute.setClickingTogglesState (true);
    setKeyColours (mute);
    addAndMakeVisible (mute);

    autoButton.setButtonText ("AUTO");
    setKeyColours (autoButton);
    autoButton.onClick = [this, channel, &autoButton] { showAuxAutomationMenu (channel, autoButton); };
    addAndMakeVisible (autoButton);
}

//==============================================================================
void StudioConsoleComponent::refreshAll()
{
    if (rack != nullptr)
        rack->rebuild();

    for (auto* strip : strips)
    {
        strip->updateTrackName();
        strip->updateInputSourceLabel();
        // A plug-in that arrived in a track's insert chain shows on its INS key at once.
        strip->updateInsertButton();
    }
}

void StudioConsoleComponent::setMaskingTapeVisible (bool shouldBeVisible)
{
    maskingTapeVisible = shouldBeVisible;
    for (auto* strip : strips)
        strip->nameLabel.setVisible (shouldBeVisible);
}

void StudioConsoleComponent::showTrackPage (int firstTrack)
{
    firstTrackShown = firstTrack;

    for (int i = 0; i < strips.size(); ++i)
    {
        auto* strip = strips[i];
        strip->setTrackIndex (firstTrack + i);
        const bool inReel = firstTrack + i < processor.numTracks;
        strip->setEnabled (inReel);
        strip->setAlpha (inReel ? 1.0f : 0.3f);
    }
}

void StudioConsoleComponent::closeInsertWindowsOutside (juce::Point<int> screenPosition)
{
    for (auto* strip : strips)
    {
        auto* window = strip->insertWindow.getComponent();
        if (window == nullptr)
            continue;

        if (! window->getScreenBounds().contains (screenPosition)
            && ! strip->insertButton.getScreenBounds().contains (screenPosition))
            delete window;
    }
}

//==============================================================================
juce::PopupMenu StudioConsoleComponent::buildAuxAutomationMenu (int channel) const
{
    const int mode = channel >= 0 && channel < TavrelDelayAudioProcessor::numChannels
                         ? processor.automationModes[(size_t) channel].load()
                         : -1;
    juce::PopupMenu menu;
    menu.addSectionHeader ("Automation Mode");
    menu.addItem (1, "Off", true, mode == 0);
    menu.addItem (2, "Read", true, mode == 1);
    menu.addItem (3, "Touch", true, mode == 2);
    menu.addItem (4, "Latch", true, mode == 3);
    menu.addSeparator();
    menu.addItem (5, "Write (Overwrite)", true, mode == 4);
    return menu;
}

void StudioConsoleComponent::showAuxAutomationMenu (int channel, juce::Button&)
{
    juce::Component::SafePointer<StudioConsoleComponent> safeConsole (this);
    buildAuxAutomationMenu (channel).showMenuAsync (juce::PopupMenu::Options().withMousePosition(),
                                                    [safeConsole, channel] (int result) {
                                                        if (auto* console = safeConsole.getComponent())
                                                            console->applyAuxAutomationChoice (channel, result);
                                                    });
}

void StudioConsoleComponent::applyAuxAutomationChoice (int channel, int result)
{
    if (result < 1 || result > 5 || channel < 0 || channel >= TavrelDelayAudioProcessor::numChannels)
        return;

    processor.automationModes[(size_t) channel] = result - 1;
    if (channel == aux1Channel)
        refreshAuxAutomationButton (aux1AutoButton, channel);
    else if (channel == aux2Channel)
        refreshAuxAutomationButton (aux2AutoButton, channel);
}

void StudioConsoleComponent::refreshAuxAutomationButton (juce::TextButton& button, int channel)
{
    const int mode = processor.automationModes[(size_t) channel].load();
    juce::String text;
    juce::Colour colour;
    ChannelStripComponent::automationFaceFor (mode, text, colour);

    if (button.getButtonText() != text)
        button.setButtonText (text);
    button.setColour (juce::TextButton::textColourOffId, colour);
    button.setColour (juce::TextButton::textColourOnId, colour);
    button.setToggleState (mode >= 1 && mode <= 4, juce::dontSendNotification);
}

//==============================================================================
StudioConsoleComponent::AuxLayout StudioConsoleComponent::auxLayout (bool minimal)
{
    if (minimal)
        return {{25, 105}, 54, 850, 130, 46};
    return {{35, 95}, 44, 625, 110, 32};
}

juce::Rectangle<int> StudioConsoleComponent::getRackBounds() const
{
    const bool minimal = ModernLookAndFeel::getDefault() != nullptr;
    const int top = minimal ? 300 : 275;
    const int below = minimal ? 320 : 470;
    return {3, top, 188, juce::jmax (0, juce::jmax (0, getHeight() - top) - below)};
}

void StudioConsoleComponent::resized()
{
    static constexpr int nudge[stripsPerPage] = {-5, -2, 0, 0, 0, 0, 0, 0};
    const int stripsLeft = juce::jmin (getWidth(), 200);
    const int pitch = (getWidth() - stripsLeft) / stripsPerPage;

    for (int i = 0; i < strips.size(); ++i)
        strips[i]->setBounds (stripsLeft + pitch * i + nudge[i], 0, pitch - 2, getHeight());

    if (rack != nullptr)
        rack->setBounds (getRackBounds());

    const auto layout = auxLayout (ModernLookAndFeel::getDefault() != nullptr);
    RightClickSlider* faders[] = {&aux1ReturnFader, &aux2ReturnFader};
    RightClickSlider* pans[] = {&aux1PanKnob, &aux2PanKnob};
    juce::TextButton* mutes[] = {&aux1MuteButton, &aux2MuteButton};
    juce::TextButton* autos[] = {&aux1AutoButton, &aux2AutoButton};

    for (int aux = 0; aux < 2; ++aux)
    {
        const int x = layout.columnX[aux], width = layout.columnWidth;
        autos[aux]->setBounds (x, layout.faderY - 48, width, 20);
        mutes[aux]->setBounds (x, layout.faderY - 26, width, 20);
        faders[aux]->setBounds (x, layout.faderY, width, layout.faderHeight);
        pans[aux]->setBounds (x + (width - layout.panSide) / 2, layout.faderY + layout.faderHeight + 16,
                              layout.panSide, layout.panSide);
    }
}
