// What the deck's controls do when used: transport, counter entry, varispeed, format, loop
// points, defect brushes, strip zoom, switches, MIDI learn, console paging, the top bar, and the
// editor operations other parts call (closing secondary windows, refreshing the console).

#include "engine/ParameterIds.h"
#include "engine/ProcessingHold.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/ProgramWindows.h"
#include "ui/deck/DeckControls.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"
#include "ui/panels/SettingsPanel.h"

#include "app/AppTexts.h"

#include <limits>


namespace
{
/** Deck commands MIDI learn can bind besides the parameters and the track arm keys. */
const char* const learnableCommands[] = {"play_button", "stop_button", "rec_button", "rew_button", "ff_button",
                                         "rtz_button",  "zero_button", "loop_clear", "loop_in",    "loop_out",
                                         "loop_toggle", "loop_cut",    "click_toggle", "clear_defects"};

constexpr const char* feedbackAddress = "beta@velmora.example";

bool isMomentaryTransport (TavrelDelayAudioProcessor& processor)
{
    auto* momentary = processor.parameters.getRawParameterValue (ParameterIds::MOMENTARY_TRANSPORT);
    return momentary != nullptr && *momentary > 0.5f;
}

/** The winding keys: a click winds in latched mode; in momentary mode the tape winds only while
    the key is held, and letting go (or sliding off) stops a wind this key started. */
void connectWindKey (juce::Button& key, TavrelDelayAudioProcessor& processor, int windState)
{
    key.onClick = [&processor, windState]
    {
        if (! isMomentaryTransport (processor))
            processor.setTransportState (windState);
    };

    key.onStateChange = [&key, &processor, windState]
    {
        if (! isMomentaryTransport (processor))
            return;

        if (key.isDown())
        {
            if (processor.transportState.load() != windState)
                processor.setTransportState (windState);
        }
        else if (processor.transportState.load() == windState)
        {
            processor.setTransportState (TavrelDelayAudioProcessor::transportStop);
        }
    };
}

juce::String operatingSystemName()
{
    using OS = juce::SystemStats::OperatingSystemType;
    switch (juce::SystemStats::getOperatingSystemType())
    {
        case OS::Win2000: return "Windows 2000";
        case OS::WinXP: return "Windows XP";
        case OS::WinVista: return "Windows Vista";
        case OS::Windows7: return "Windows 7";
        case OS::Windows8_0: return "Windows 8.0";
        case OS::Windows8_1: return "Windows 8.1";
        case OS::Windows10: return "Windows 10";
        case OS::Windows11: return "Windows 11";
        default: break;
    }
    const auto name = juce::SystemStats::getOperatingSystemName();
    return name.isNotEmpty() ? name : juce::String ("Unknown OS");
}
} // namespace

void TavrelDelayAudioProcessorEditor::connectDeckControls()
{
    auto& p = audioProcessor;

    playButton.onClick = [&p] { p.setTransportState (TavrelDelayAudioProcessor::transportPlay); };
    stopButton.onClick = [&p] { p.setTransportState (TavrelDelayAudioProcessor::transportStop); };
    recordButton.onClick = [&p] { p.recordButtonPressed(); };
    connectWindKey (rewindButton, p, TavrelDelayAudioProcessor::transportRewind);
    connectWindKey (fastForwardButton, p, TavrelDelayAudioProcessor::transportFastForward);
    returnToZeroButton.onClick = [&p] { p.returnToZero(); };
    zeroButton.onClick = [&p] { p.setZeroPoint(); };

    counterLabel.onEditorShow = [this]
    {
        if (auto* counterEditor = counterLabel.getCurrentTextEditor())
            counterEditor->onTextChange = [this, counterEditor] { formatCounterEntry (*counterEditor); };
    };
    counterLabel.onTextChange = [this] { locateToCounterText(); };

    varispeedKnob.snapValue = [this] (double value) { return snapVarispeedToInterval (value); };
    varispeedKnob.textFromValueFunction = [this] (double value) { return varispeedValueToText (value); };
    masterVolumeSlider.textFromValueFunction = [] (double value) { return formatMasterVolumeText (value); };

    formatButton.onClick = [this] { cycleTapeFormat(); };

    loopInButton.onClick = [this]
    {
        audioProcessor.loopIn = juce::jmax (0.0, DeckControls::tapePositionSeconds (audioProcessor));
        repaint();
    };
    loopOutButton.onClick = [this]
    {
        audioProcessor.loopOut = DeckControls::tapePositionSeconds (audioProcessor);
        if (audioProcessor.loopIn.load() > audioProcessor.loopOut.load())
        {
            const double in = audioProcessor.loopIn.load();
            audioProcessor.loopIn = audioProcessor.loopOut.load();
            audioProcessor.loopOut = in;
        }
        repaint();
    };
    loopClearButton.onClick = [this]
    {
        audioProcessor.loopIn = 0.0;
        audioProcessor.loopOut = 0.0;
        audioProcessor.loopEnabled = false;
        repaint();
    };
    loopButton.onClick = [this]
    {
        audioProcessor.loopEnabled = ! audioProcessor.loopEnabled.load();
        repaint();
    };
    loopCutButton.onClick = [this] { audioProcessor.cutLoopRegion(); };

    cursorToolButton.onClick = [this] { selectCursorTool(); };
    brushToolButton.onClick = [this] { showBrushMenu(); };
    clearDefectsButton.onClick = [this]
    {
        audioProcessor.clearAllTapeDefects();
        tapeStrip.repaint();
    };
    zoomSlider.onValueChange = [this] { zoomTapeStrip(); };

    clickButton.onClick = [this]
    {
        const double tempo = audioProcessor.bpm.load();
        const int numerator = audioProcessor.timeSigNumerator.load();
        const int denominator = audioProcessor.timeSigDenominator.load();
        audioProcessor.setClickEnabled (clickButton.getToggleState(), tempo > 0.0 ? tempo : 120.0,
                                        numerator > 0 ? numerator : 4, denominator > 0 ? denominator : 4);
    };
    monitorMuteButton.onClick = [this]
    { setParameterNotifying (ParameterIds::DIRECT_MON, monitorMuteButton.getToggleState() ? 1.0f : 0.0f); };
    waveButton.onClick = [this]
    { setParameterNotifying (ParameterIds::SHOW_WAVE, waveButton.getToggleState() ? 1.0f : 0.0f); };
    undoButton.onClick = [this] { flashUndo(); };

    midiLearnButton.onClick = [this] { midiLearnButtonClicked(); };
    midiGlassPane.onClick = [this] (const juce::MouseEvent& e) { pickMidiLearnTarget (e); };
    trackPageButton.onClick = [this] { showNextTrackPage(); };
    masterFxButton.onClick = [this] { openMasterInsertWindow(); };
    setupButton.onClick = [this] { toggleSettingsOverlay(); };
    betaFeedbackButton.onClick = [this] { sendBetaFeedback(); };
}

void TavrelDelayAudioProcessorEditor::setParameterNotifying (const juce::String& parameterId, float normalisedValue)
{
    if (auto* parameter = audioProcessor.parameters.getParameter (parameterId))
        parameter->setValueNotifyingHost (normalisedValue);
}

//==============================================================================
void TavrelDelayAudioProcessorEditor::formatCounterEntry (juce::TextEditor& counterEditor)
{
    const auto typed = counterEditor.getText();
    const auto shown = DeckControls::formatCounterEntry (typed);
    if (shown != typed)
    {
        counterEditor.setText (shown, false);
        counterEditor.moveCaretToEnd();
    }
}

void TavrelDelayAudioProcessorEditor::locateToCounterText()
{
    double counterTime = 0.0;
    if (! DeckControls::parseCounterEntry (counterLabel.getText(), counterTime))
        return;

    const double target =
        juce::jlimit (0.0, juce::jmax (0.0, DeckControls::tapeLengthSeconds (audioProcessor)),
                      audioProcessor.zeroOffset.load() + counterTime);

    // The audio thread outputs silence while every head moves, so no block sees half a locate.
    const ProcessingHold hold (audioProcessor);
    for (auto& track : audioProcessor.tracks)
        if (track.sampleRate > 0.0)
            track.position = target * track.sampleRate;
    if (audioProcessor.clickTrack != nullptr && audioProcessor.clickTrack->sampleRate > 0.0)
        audioProcessor.clickTrack->position = target * audioProcessor.clickTrack->sampleRate;
}

double TavrelDelayAudioProcessorEditor::snapVarispeedToInterval (double value) const
{
    return DeckControls::snapVarispeed (value, audioProcessor.varispeedMusicalSnap.load());
}

juce::String TavrelDelayAudioProcessorEditor::varispeedValueToText (double value) const
{
    return DeckControls::varispeedText (value, audioProcessor.varispeedMusicalSnap.load());
}

juce::String TavrelDelayAudioProcessorEditor::formatMasterVolumeText (double value)
{
    return DeckControls::masterVolumeText (value);
}

void TavrelDelayAudioProcessorEditor::cycleTapeFormat()
{
    if (auto* format = audioProcessor.parameters.getParameter (ParameterIds::FORMAT))
        format->setValueNotifyingHost (DeckControls::nextFormatValue (format->getValue()));
}

//==============================================================================
void TavrelDelayAudioProcessorEditor::selectCursorTool()
{
    tapeStrip.brushType = 0;
    brushToolButton.setToggleState (false, juce::dontSendNotification);
}

void TavrelDelayAudioProcessorEditor::showBrushMenu()
{
    brushToolButton.setToggleState (true, juce::dontSendNotification);

    juce::PopupMenu menu;
    menu.addSectionHeader ("Select Tape Brush");
    for (const auto& brush : DeckControls::brushes)
        menu.addItem (brush.value, brush.menuText, true, brush.value == tapeStrip.brushType);

    juce::Component::SafePointer<TavrelDelayAudioProcessorEditor> safeThis (this);
    menu.showMenuAsync (juce::PopupMenu::Options().withMousePosition(),
                        [safeThis] (int result)
                        {
                            if (safeThis != nullptr)
                                safeThis->brushMenuChosen (result);
                        });
}

void TavrelDelayAudioProcessorEditor::brushMenuChosen (int result)
{
    const auto text = DeckControls::brushButtonText (result);
    if (result > 0 && text.isNotEmpty())
    {
        tapeStrip.brushType = result;
        brushToolButton.setButtonText (text);
        return;
    }

    // Dismissed: the tool that was in use stays.
    if (tapeStrip.brushType == 0)
        cursorToolButton.setToggleState (true, juce::dontSendNotification);
}

void TavrelDelayAudioProcessorEditor::zoomTapeStrip()
{
    double place = std::fmod (DeckControls::tapePositionSeconds (audioProcessor), TapeStripComponent::repeatSeconds);
    if (place < 0.0)
        place += TapeStripComponent::repeatSeconds;

    const double length = juce::jlimit (2.0, 30.0, 30.0 - 28.0 * zoomSlider.getValue());
    double fraction = (place - tapeStrip.viewStart) / tapeStrip.viewLength;
    if (! (fraction >= 0.0 && fraction <= 1.0))
        fraction = 0.5;

    tapeStrip.viewLength = length;
    tapeStrip.viewStart = juce::jlimit (0.0, 30.0 - length, place - length * fraction);
    tapeStrip.repaint();
}

void TavrelDelayAudioProcessorEditor::flashUndo()
{
    undoButton.setButtonText ("UNDID");
    juce::Component::SafePointer<TavrelDelayAudioProcessorEditor> safeThis (this);
    juce::Timer::callAfterDelay (1000,
                                 [safeThis]
                                 {
                                     if (safeThis != nullptr)
                                         safeThis->undoButton.setButtonText ("UNDO");
                                 });
}

//==============================================================================
void TavrelDelayAudioProcessorEditor::midiLearnButtonClicked()
{
    if (midiLearnButton.getToggleState())
    {
        midiGlassPane.setVisible (true);
        midiGlassPane.toFront (false);
        return;
    }

    audioProcessor.clearMidiLearnTarget();
    midiGlassPane.setVisible (false);
    if (auto* highlighted = midiLearnHighlight.get())
        highlighted->repaint();
    midiLearnHighlight = nullptr;
    repaint();
}

void TavrelDelayAudioProcessorEditor::pickMidiLearnTarget (const juce::MouseEvent& e)
{
    const auto screenPosition = e.getScreenPosition();
    midiGlassPane.setVisible (false);
    auto* found = juce::Desktop::getInstance().findComponentAt (screenPosition);
    midiGlassPane.setVisible (true);

    if (found != nullptr && (found == &midiLearnButton || midiLearnButton.isParentOf (found)))
    {
        if (e.mods.isPopupMenu())
            mouseDown (e.getEventRelativeTo (&midiLearnButton));
        else
            midiLearnButton.setToggleState (false, juce::sendNotification);
        return;
    }

    if (found == nullptr)
        return;

    const auto id = found->getComponentID();
    if (id.isEmpty())
        return;

    bool learnable = audioProcessor.parameters.getParameter (id) != nullptr || id.startsWith ("ARM_");
    for (const auto* command : learnableCommands)
        learnable = learnable || id == command;
    if (! learnable)
        return;

    if (auto* previous = midiLearnHighlight.get())
        previous->repaint();
    midiLearnHighlight = found;
    found->repaint();
    repaint();
    audioProcessor.setMidiLearnTarget (id);
}

//==============================================================================
void TavrelDelayAudioProcessorEditor::showNextTrackPage()
{
    consolePageStart = DeckControls::nextPageStart (consolePageStart, audioProcessor.numTracks);
    if (console != nullptr)
        console->showTrackPage (consolePageStart);
    trackPageButton.setButtonText (DeckControls::trackPageText (consolePageStart, audioProcessor.numTracks));
}

void TavrelDelayAudioProcessorEditor::toggleSettingsOverlay()
{
    if (auto* open = deckPanel.findChildWithID (EditorIds::settingsPanel))
    {
        deckPanel.removeChildComponent (open);
        delete open;
        return;
    }

    closeAllSecondaryWindows();

    juce::Component::SafePointer<TavrelDelayAudioProcessorEditor> safeThis (this);
    auto* panel = new SettingsPanel (audioProcessor, *this,
                                     [safeThis]
                                     {
                                         // Never deleted from inside its own button's handler.
                                         juce::MessageManager::callAsync (
                                             [safeThis]
                                             {
                                                 if (safeThis != nullptr)
                                                     safeThis->closeSettingsOverlay();
                                             });
                                     },
                                     0);
    panel->setComponentID (EditorIds::settingsPanel);
    deckPanel.addAndMakeVisible (panel);
    panel->toFront (false);
    panel->setBounds (juce::Rectangle<int> (SettingsPanel::shownWidth, SettingsPanel::shownHeight)
                          .withCentre (deckPanel.getLocalBounds().getCentre()));
}

void TavrelDelayAudioProcessorEditor::closeSettingsOverlay()
{
    if (auto* open = deckPanel.findChildWithID (EditorIds::settingsPanel))
    {
        deckPanel.removeChildComponent (open);
        delete open;
    }
}

juce::String TavrelDelayAudioProcessorEditor::betaFeedbackBody()
{
    const auto specs = juce::String ("\n\n--- System Specs ---\n") + "OS: " + operatingSystemName() + "\n"
                       + "CPU: " + juce::String (juce::SystemStats::getCpuSpeedInMegahertz()) + "MHz ("
                       + juce::String (juce::SystemStats::getNumCpus()) + " cores)\n"
                       + "RAM: " + juce::String (juce::SystemStats::getMemorySizeInMegabytes()) + "MB\n"
                       + "App Version: " + AppTexts::applicationVersion + "\n";
    return "Describe your issue or feedback here:" + specs;
}

void TavrelDelayAudioProcessorEditor::sendBetaFeedback()
{
    const juce::String subject = "Velmora Dravin 8 Beta Feedback";
    const auto body = betaFeedbackBody();
    juce::SystemClipboard::copyTextToClipboard (body);

    juce::AlertWindow::showMessageBoxAsync (
        juce::MessageBoxIconType::InfoIcon, "Beta Feedback",
        juce::String ("System specs have been copied to your clipboard!\n\nIf your email client didn't open, please email ")
            + feedbackAddress + " and paste the info.");

    juce::URL ("mailto:" + juce::String (feedbackAddress))
        .withParameter ("subject", subject)
        .withParameter ("body", body)
        .launchInDefaultBrowser();
}

//==============================================================================
void TavrelDelayAudioProcessorEditor::refreshConsole()
{
    if (console != nullptr)
    {
        console->refreshAll();
        console->repaint();
    }
}
