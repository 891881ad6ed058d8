#include "DeckTestSupport.h"

#include "ui/deck/EditorIds.h"

using DeckTest::DeckFixture;
using DeckTest::runMessages;

TEST_F (DeckFixture, CounterShowsTheTimeFromTheZeroPoint)
{
    const struct
    {
        double tape, zero;
        const char* text;
    } cases[] = {{0.0, 65.5, "-01:05"}, {7389.9, 0.0, "123:09"}, {260.0, 0.0, "04:20"}, {30.0, 30.0, "00:00"}};
    for (const auto& c : cases)
    {
        putTapeAt (c.tape);
        processor->zeroOffset = c.zero;
        ed().timerCallback();
        EXPECT_EQ (ed().counterLabel.getText(), c.text);
    }
}

// Without a track, or with a track whose rate is 0, the deck reads time 0: never an index past
// the tracks or a division by zero turned into an integer.
TEST_F (DeckFixture, NoTrackOrNoRateReadsAsTimeZero)
{
    putTapeAt (100.0);
    for (auto& track : processor->tracks)
        track.sampleRate = 0.0;
    ed().timerCallback();
    EXPECT_EQ (ed().counterLabel.getText(), "00:00");
    (void) ed().createComponentSnapshot (ed().getLocalBounds(), true, 0.25f);
    ed().zoomTapeStrip();
    EXPECT_DOUBLE_EQ (ed().tapeStrip.viewLength, 30.0);

    auto kept = std::move (processor->tracks);
    processor->tracks.clear();
    processor->zeroOffset = 0.0;
    ed().timerCallback();
    EXPECT_EQ (ed().counterLabel.getText(), "00:00");
    (void) ed().createComponentSnapshot (ed().getLocalBounds(), true, 0.25f);
    ed().loopInButton.onClick();
    EXPECT_EQ (processor->loopIn.load(), 0.0);
    ed().counterLabel.setText ("01:00", juce::dontSendNotification);
    ed().locateToCounterText();
    processor->tracks = std::move (kept);
}

TEST_F (DeckFixture, TransportLampsFollowTheStateAndTheTapeMotion)
{
    processor->transportState = TavrelDelayAudioProcessor::transportStop;
    ed().timerCallback();
    EXPECT_TRUE (ed().stopButton.getToggleState());
    EXPECT_FALSE (ed().playButton.getToggleState());

    // A stopped deck whose tape still runs forward lights fast forward, not stop.
    putTapeAt (10.0);
    ed().timerCallback();
    EXPECT_TRUE (ed().fastForwardButton.getToggleState());
    EXPECT_FALSE (ed().stopButton.getToggleState());

    // Winding back.
    putTapeAt (5.0);
    ed().timerCallback();
    EXPECT_TRUE (ed().rewindButton.getToggleState());

    // A jump of more than 100 s is a locate, not motion.
    putTapeAt (400.0);
    ed().timerCallback();
    EXPECT_FALSE (ed().fastForwardButton.getToggleState());
    EXPECT_TRUE (ed().stopButton.getToggleState());

    processor->transportState = TavrelDelayAudioProcessor::transportPlay;
    ed().timerCallback();
    EXPECT_TRUE (ed().playButton.getToggleState());
    EXPECT_FALSE (ed().stopButton.getToggleState());
    processor->transportState = TavrelDelayAudioProcessor::transportStop;
}

TEST_F (DeckFixture, RecordLampBlinksAt300MillisecondsWhenReadyAndIsSteadyWhenRecording)
{
    processor->recordReady = true;
    const struct
    {
        juce::uint32 at;
        bool lit;
    } blink[] = {{0, true}, {299, true}, {300, false}, {599, false}, {600, true}};
    for (const auto& b : blink)
    {
        clock = b.at;
        ed().timerCallback();
        EXPECT_EQ (ed().recordButton.getToggleState(), b.lit) << b.at;
    }
    processor->recordReady = false;

    // Recording with an armed track: steady; without one: blinking.
    processor->transportState = TavrelDelayAudioProcessor::transportRecord;
    processor->tracks.front().setArmed (true);
    for (const juce::uint32 at : {0u, 300u})
    {
        clock = at;
        ed().timerCallback();
        EXPECT_TRUE (ed().recordButton.getToggleState()) << at;
    }
    for (auto& track : processor->tracks)
        track.setArmed (false);
    clock = 300;
    ed().timerCallback();
    EXPECT_FALSE (ed().recordButton.getToggleState());
    processor->transportState = TavrelDelayAudioProcessor::transportStop;
}

TEST_F (DeckFixture, SaveFormatAndSwitchTextsFollowTheProcessor)
{
    processor->currentSlot = 3;
    ed().timerCallback();
    EXPECT_EQ (ed().saveReelButton.getButtonText(), "SAVE (SLOT 3)");
    ed().saveReelButton.setButtonText ("SAVED!");
    processor->currentSlot = 1;
    ed().timerCallback();
    EXPECT_EQ (ed().saveReelButton.getButtonText(), "SAVED!");

    const char* formats[] = {"1\" MSTR", "1/2\" STD", "1/4\" HOME", "CASSETTE"};
    for (int i = 0; i < 4; ++i)
    {
        setParameter (ParameterIds::FORMAT, (float) i / 3.0f);
        ed().timerCallback();
        EXPECT_EQ (ed().formatButton.getButtonText(), formats[i]);
    }

    processor->loopEnabled = true;
    setParameter (ParameterIds::SHOW_WAVE, 1.0f);
    ed().tapeStrip.viewLength = 2.0;
    ed().timerCallback();
    EXPECT_TRUE (ed().loopButton.getToggleState());
    EXPECT_TRUE (ed().waveButton.getToggleState());
    EXPECT_DOUBLE_EQ (ed().zoomSlider.getValue(), 1.0);
}

TEST_F (DeckFixture, LiveMixdownButtonBlinksStopRec)
{
    processor->liveBounceActive = true;
    clock = 0;
    ed().timerCallback();
    EXPECT_TRUE (ed().mixdownButton.isVisible());
    EXPECT_EQ (ed().mixdownButton.getButtonText(), "STOP REC");
    EXPECT_EQ (ed().mixdownButton.findColour (juce::TextButton::buttonColourId), juce::Colour (0xffff0000));
    clock = 500;
    ed().timerCallback();
    EXPECT_EQ (ed().mixdownButton.findColour (juce::TextButton::buttonColourId), juce::Colour (0xff330000));
    processor->liveBounceActive = false;
    ed().timerCallback();
    EXPECT_FALSE (ed().mixdownButton.isVisible());
}

TEST_F (DeckFixture, GroupMovedFadersAreTakenOnce)
{
    processor->pendingFaderValues[2] = 0.8f;
    processor->pendingFaderValues[24] = 0.3f;
    ed().timerCallback();
    EXPECT_NEAR (processor->parameters.getParameter ("VOL_3")->getValue(), 0.8f, 1.0e-6f);
    EXPECT_NEAR (processor->parameters.getParameter (ParameterIds::AUX1_RETURN)->getValue(), 0.3f, 1.0e-6f);
    EXPECT_EQ (processor->pendingFaderValues[2].load(), -1.0f);
}

// A device rate change closed the reel: the deck goes back to the tape room and tells the user
// what the processor said (where the unsaved recordings went), once.
TEST_F (DeckFixture, ReelEjectedByTheDeviceShowsTheProcessorsMessageOnce)
{
    const juce::String message = "The Audio Device Sample Rate changed.\nThe reel was auto-ejected to prevent "
                                 "speed/pitch corruption.\nIts recordings were kept as the tape \"Rescued Tape\".";
    processor->reelEjectedMessage = message;
    processor->reelEjectedByDevice = true;

    ed().timerCallback();
    EXPECT_TRUE (ed().tapeRoomShowing);
    EXPECT_TRUE (ed().tapeRoom->isVisible());
    EXPECT_FALSE (ed().deckPanel.isVisible());

    auto* dialog = FlowDialog::findOpenDialog ("Reel Ejected");
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getProperties()["bodyText"].toString(), message);
    EXPECT_FALSE (processor->reelEjectedByDevice.load());

    dialog->exitModalState (0);
    runMessages (30);
    ed().timerCallback();
    EXPECT_EQ (FlowDialog::findOpenDialog ("Reel Ejected"), nullptr);
}

TEST_F (DeckFixture, MidiLearnEndsByItselfOnceAControllerIsBound)
{
    ed().midiLearnButton.triggerClick();
    runMessages (5);
    EXPECT_TRUE (ed().midiGlassPane.isVisible());
    ed().midiLearnHighlight = &ed().wowKnob;
    processor->midiLearnArmed = true;
    ed().timerCallback();
    EXPECT_TRUE (ed().midiLearnButton.getToggleState());

    processor->midiLearnArmed = false;
    ed().timerCallback();
    EXPECT_FALSE (ed().midiLearnButton.getToggleState());
    EXPECT_FALSE (ed().midiGlassPane.isVisible());
    EXPECT_EQ (ed().midiLearnHighlight.get(), nullptr);
}
