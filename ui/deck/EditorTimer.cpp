// The editor's 41 ms refresh: moves what the audio thread and the other parts leave in the
// processor into the deck (faders moved by groups, the counter, transport lamps, button texts,
// switch lamps, MIDI learn, blinking) and chooses how much of the editor to repaint.

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/deck/DeckControls.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include <cmath>

namespace
{
constexpr const char* reelEjectedTitle = "Reel Ejected";
constexpr const char* reelEjectedFallback =
    "The Audio Device Sample Rate changed.\nThe reel was auto-ejected to prevent speed/pitch corruption.";

bool parameterAbove (TavrelDelayAudioProcessor& processor, const char* id, float threshold, bool& exists)
{
    auto* value = processor.parameters.getRawParameterValue (id);
    exists = value != nullptr;
    return exists && value->load() > threshold;
}

bool parameterOn (TavrelDelayAudioProcessor& processor, const char* id)
{
    bool exists = false;
    return parameterAbove (processor, id, 0.5f, exists);
}

void setFillIfDifferent (juce::TextButton& button, juce::Colour fill, juce::Colour fillOn, juce::Colour text)
{
    if (button.findColour (juce::TextButton::buttonColourId) == fill)
        return;
    button.setColour (juce::TextButton::buttonColourId, fill);
    button.setColour (juce::TextButton::buttonOnColourId, fillOn);
    button.setColour (juce::TextButton::textColourOffId, text);
    button.setColour (juce::TextButton::textColourOnId, text);
}
} // namespace

void TavrelDelayAudioProcessorEditor::timerCallback()
{
    auto& p = audioProcessor;
    const juce::uint32 now = millisecondClock ? millisecondClock() : juce::Time::getMillisecondCounter();

    // 1. Faders moved by their group on the audio thread, each taken once.
    p.applyPendingFaderValues();

    // 2. Tooltips.
    {
        bool exists = false;
        const bool tipsOn = parameterAbove (p, ParameterIds::SHOW_TIPS, 0.5f, exists);
        if (exists && tooltipWindow.isEnabled() != tipsOn)
            tooltipWindow.setEnabled (tipsOn);
    }

    // 3. Update badge of the tape room.
    if (p.updateAvailable.load() && tapeRoom != nullptr && ! tapeRoom->updateButton.isVisible())
        tapeRoom->showUpdateButton (p.updateNotes);

    // 4. A device rate change closed the reel: back to the tape room, and the processor's own
    //    account of what happened (where unsaved recordings went) for the user.
    if (p.reelEjectedByDevice.exchange (false))
    {
        const auto message = p.reelEjectedMessage.isNotEmpty() ? p.reelEjectedMessage : juce::String (reelEjectedFallback);

        if (! tapeRoomShowing)
        {
            if (tapeRoom != nullptr)
                tapeRoom->refreshReelList();
            tapeRoomShowing = true;
            backgroundCache = {};
            resized();
            repaint();
        }

        FlowDialog::notify (reelEjectedTitle, message, 3, &getEditorLook());
        return;
    }

    // 5. A save, load or slot change holds the processor.
    if (p.isSuspended())
        return;

    // 6. Counter and tape motion.
    const double t = DeckControls::counterSeconds (p);
    double motion = counterTimeTaken ? t - lastCounterSeconds : 0.0;
    if (std::abs (motion) > 100.0)
        motion = 0.0; // a locate or a reel change
    lastCounterSeconds = t;
    counterTimeTaken = true;
    const bool movingForward = motion > 0.5;
    const bool movingBackward = motion < -0.5;

    if (! counterLabel.isBeingEdited())
        counterLabel.setText (DeckControls::counterText (t), juce::dontSendNotification);

    // 7. Transport lamps.
    {
        const int s = p.transportState.load();
        const bool fastForwardLit = s == TavrelDelayAudioProcessor::transportFastForward || movingForward;
        const bool rewindLit = s == TavrelDelayAudioProcessor::transportRewind || movingBackward;
        const bool stopLit = s == TavrelDelayAudioProcessor::transportStop && ! fastForwardLit && ! rewindLit;
        const bool playLit = ! stopLit
                             && (s == TavrelDelayAudioProcessor::transportPlay
                                 || s == TavrelDelayAudioProcessor::transportRecord);

        const bool recording = s == TavrelDelayAudioProcessor::transportRecord;
        const bool anyArmed = p.anyTrackArmed();
        const bool blinkOn = ((now / 300u) % 2u) == 0u;
        bool recordLit = false;
        if (recording && anyArmed)
            recordLit = true;
        else if ((stopLit && p.recordReady.load()) || (recording && ! anyArmed))
            recordLit = blinkOn;

        stopButton.setToggleState (stopLit, juce::dontSendNotification);
        playButton.setToggleState (playLit, juce::dontSendNotification);
        recordButton.setToggleState (recordLit, juce::dontSendNotification);
        rewindButton.setToggleState (rewindLit, juce::dontSendNotification);
        fastForwardButton.setToggleState (fastForwardLit, juce::dontSendNotification);
    }

    // 8. Save button text, unless the save flow shows its short message.
    {
        const auto text = DeckControls::saveButtonText (p.currentSlot.load());
        const auto current = saveReelButton.getButtonText();
        if (current != "SAVED!" && current != "NO TAPE!" && current != text)
            saveReelButton.setButtonText (text);
    }

    // 9. Format display.
    if (auto* format = p.parameters.getRawParameterValue (ParameterIds::FORMAT))
    {
        const auto text = DeckControls::formatText ((int) format->load());
        if (formatButton.getButtonText() != text)
        {
            formatButton.setButtonText (text);
            formatButton.repaint();
        }
    }

    // 10. Switch lamps without an attachment.
    {
        bool exists = false;
        const bool monitorOn = parameterAbove (p, ParameterIds::DIRECT_MON, 0.5f, exists);
        if (exists)
            monitorMuteButton.setToggleState (monitorOn, juce::dontSendNotification);
        const bool waveOn = parameterAbove (p, ParameterIds::SHOW_WAVE, 0.5f, exists);
        if (exists)
            waveButton.setToggleState (waveOn, juce::dontSendNotification);
        clickButton.setToggleState (p.clickTrack != nullptr, juce::dontSendNotification);
        loopButton.setToggleState (p.loopEnabled.load(), juce::dontSendNotification);
    }

    // 11. Zoom knob follows the strip's view (the wheel zooms it too).
    zoomSlider.setValue ((30.0 - tapeStrip.viewLength) / 28.0, juce::dontSendNotification);

    // 12. MIDI learn.
    if (p.midiLearnArmed.load())
    {
        midiLearnLit = true;
        if (! midiLearnButton.getToggleState())
            midiLearnButton.setToggleState (true, juce::dontSendNotification);
    }
    else if (midiLearnLit)
    {
        // Learn ended by itself once a controller was bound.
        midiLearnLit = false;
        midiLearnButton.setToggleState (false, juce::dontSendNotification);
        midiGlassPane.setVisible (false);
        if (auto* highlighted = midiLearnHighlight.get())
        {
            highlighted->repaint();
            midiLearnHighlight = nullptr;
        }
        repaint();
    }

    // 13. There is no edit history to undo.
    undoButton.setVisible (false);

    // 14. MASTER FX shows green while any master insert is in use.
    {
        bool inUse = false;
        for (const auto& slot : p.masterInserts)
            inUse = inUse || (slot != nullptr && (slot->instance != nullptr || slot->builtInType != 0));

        if (inUse)
            setFillIfDifferent (masterFxButton, juce::Colour (0xff849c82), juce::Colour (0xff6e826c), juce::Colours::white);
        else
            setFillIfDifferent (masterFxButton, juce::Colour (0xffd0c0b0), juce::Colour (0xffb0a090), juce::Colours::black);
    }

    // 15. Live mixdown: the button blinks STOP REC while the bounce runs.
    if (p.liveBounceActive.load())
    {
        if (! mixdownButton.isVisible())
            mixdownButton.setVisible (true);
        if (mixdownButton.getButtonText() != "STOP REC")
        {
            mixdownButton.setButtonText ("STOP REC");
            mixdownButton.repaint();
        }
        const auto fill = ((now / 500u) % 2u) == 0u ? juce::Colour (0xffff0000) : juce::Colour (0xff330000);
        if (mixdownButton.findColour (juce::TextButton::buttonColourId) != fill)
            mixdownButton.setColour (juce::TextButton::buttonColourId, fill);
    }
    else if (mixdownButton.isVisible())
    {
        mixdownButton.setVisible (false);
    }

    // 16. Repaint only what can have moved.
    const int w = getWidth();
    const int h = getHeight();
    const double tapeSpeed = p.tapeMechanics.speed;
    const double armAngle = p.tapeMechanics.armAngle;
    if (parameterOn (p, ParameterIds::LIGHT_GUI))
        repaint (w / 2, h / 3, w / 2, 200);
    else if (p.transportState.load() == TavrelDelayAudioProcessor::transportStop && std::abs (tapeSpeed) <= 0.1
             && ! armGrabbed && std::abs (armAngle) <= 0.005)
        repaint (w / 2, h / 3, 300, 200);
    else
    {
        const int left = juce::jmax (0, (int) (w * 0.25));
        repaint (left, 0, w - left, h);
    }
}
