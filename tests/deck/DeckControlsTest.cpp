#include "DeckTestSupport.h"

#include "ui/deck/EditorIds.h"
#include "ui/panels/SettingsPanel.h"

using DeckTest::DeckFixture;
using DeckTest::runMessages;
using DeckTest::runMessagesUntil;

// Typing into the counter reformats as MM:SS and Return locates, counted from the zero point.
TEST_F (DeckFixture, TypedCounterTimeLocatesFromTheZeroPoint)
{
    if (! DeckTest::displayAvailable())
        GTEST_SKIP() << "the counter's editor needs keyboard focus, so a window";

    // On screen, so the counter's text editor keeps the keyboard focus while typing.
    editor->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
    editor->setVisible (true);
    editor->toFront (true);
    runMessages (50);

    processor->zeroOffset = 10.0;
    auto& counter = ed().counterLabel;
    counter.showEditor();
    juce::Component::SafePointer<juce::TextEditor> typing (counter.getCurrentTextEditor());
    ASSERT_NE (typing, nullptr);
    typing->setText ({}, false);

    const struct
    {
        juce::juce_wchar key;
        const char* shown;
    } keys[] = {{'4', "00:04"}, {'2', "00:42"}, {'0', "04:20"}};
    for (const auto& k : keys)
    {
        typing->keyPressed (juce::KeyPress (k.key, 0, k.key));
        ASSERT_TRUE (runMessagesUntil ([&] { return typing != nullptr && typing->getText() == k.shown; }))
            << (typing != nullptr ? typing->getText() : juce::String ("editor closed"));
    }

    typing->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    ASSERT_TRUE (runMessagesUntil ([&] { return std::abs (tapeSeconds() - 270.0) < 1.0e-6; })) << tapeSeconds();
    for (const auto& track : processor->tracks)
        EXPECT_DOUBLE_EQ (track.position, 270.0 * track.sampleRate);
    editor->removeFromDesktop();
}

TEST_F (DeckFixture, LocateIsLimitedToTheTape)
{
    const struct
    {
        const char* text;
        double expected;
    } cases[] = {{"99:00", 600.0}, {"-00:05", 0.0}, {"nonsense", 0.0}};
    for (const auto& c : cases)
    {
        putTapeAt (123.0);
        ed().counterLabel.setText (c.text, juce::dontSendNotification);
        ed().locateToCounterText();
        EXPECT_DOUBLE_EQ (tapeSeconds(), c.expected) << c.text;
    }
}

TEST_F (DeckFixture, VarispeedAndMasterFaderTexts)
{
    auto& knob = ed().varispeedKnob;
    ASSERT_TRUE (knob.snapValue);

    processor->varispeedMusicalSnap = true;
    EXPECT_DOUBLE_EQ (knob.snapValue (0.52), 0.5);
    EXPECT_EQ (knob.getTextFromValue (0.5), "1/2x (-1 Oct)");
    EXPECT_DOUBLE_EQ (knob.snapValue (0.18), 0.166667);
    EXPECT_EQ (knob.getTextFromValue (0.166667), "17%");

    processor->varispeedMusicalSnap = false;
    EXPECT_DOUBLE_EQ (knob.snapValue (0.52), 0.52);
    EXPECT_EQ (knob.getTextFromValue (0.52), "52%");

    EXPECT_EQ (ed().masterVolumeSlider.getTextFromValue (0.5), "-6.0 dB");
    EXPECT_EQ (ed().masterVolumeSlider.getTextFromValue (0.0005), "-inf dB");
}

TEST_F (DeckFixture, FormatButtonCyclesTheFourTapesAndShowsThem)
{
    const char* expected[] = {"1/2\" STD", "1/4\" HOME", "CASSETTE", "1\" MSTR", "1/2\" STD"};
    setParameter (ParameterIds::FORMAT, 0.0f);
    for (const auto* text : expected)
    {
        ed().formatButton.triggerClick();
        runMessages (20);
        ed().timerCallback();
        EXPECT_EQ (ed().formatButton.getButtonText(), text);
    }
}

TEST_F (DeckFixture, TrackPagesCycleThroughTheReel)
{
    const struct
    {
        int tracks;
        std::vector<const char*> pages;
    } cases[] = {
        {24, {"TRACKS 9-16", "TRACKS 17-24", "TRACKS 1-8", "TRACKS 9-16"}},
        {16, {"TRACKS 9-16", "TRACKS 1-8", "TRACKS 9-16"}},
        {8, {"TRACKS 1-8", "TRACKS 1-8"}},
    };
    for (const auto& c : cases)
    {
        processor->numTracks = c.tracks;
        ed().consolePageStart = 0;
        for (const auto* page : c.pages)
        {
            ed().trackPageButton.triggerClick();
            runMessages (5);
            EXPECT_EQ (ed().trackPageButton.getButtonText(), page) << c.tracks << " tracks";
        }
    }
    processor->numTracks = 8;
}

TEST_F (DeckFixture, WindKeysLatchOrWindOnlyWhileHeld)
{
    // Latched: a click winds until another transport key.
    setParameter (ParameterIds::MOMENTARY_TRANSPORT, 0.0f);
    ed().rewindButton.triggerClick();
    runMessages (10);
    EXPECT_EQ (processor->transportState.load(), TavrelDelayAudioProcessor::transportRewind);
    ed().stopButton.triggerClick();
    runMessages (10);
    EXPECT_EQ (processor->transportState.load(), TavrelDelayAudioProcessor::transportStop);

    // Momentary: held winds, released stops; a click alone does nothing.
    setParameter (ParameterIds::MOMENTARY_TRANSPORT, 1.0f);
    auto& ff = ed().fastForwardButton;
    ff.setState (juce::Button::buttonDown);
    EXPECT_EQ (processor->transportState.load(), TavrelDelayAudioProcessor::transportFastForward);
    ff.setState (juce::Button::buttonOver);
    EXPECT_EQ (processor->transportState.load(), TavrelDelayAudioProcessor::transportStop);
    // A click is a short press: it winds only while the key shows pressed, then stops.
    bool wound = false;
    ff.onClick = [&, click = ff.onClick]
    {
        wound = processor->transportState.load() == TavrelDelayAudioProcessor::transportFastForward;
        click();
    };
    ff.triggerClick();
    ASSERT_TRUE (runMessagesUntil ([&] { return wound; }));
    (void) ff.createComponentSnapshot (ff.getLocalBounds()); // the key shows pressed once painted
    EXPECT_TRUE (runMessagesUntil (
        [&] { return wound && ! ff.isDown() && processor->transportState.load() == TavrelDelayAudioProcessor::transportStop; },
        2000));
}

TEST_F (DeckFixture, LoopButtonsSetAndOrderThePoints)
{
    putTapeAt (40.0);
    ed().loopInButton.triggerClick();
    runMessages (5);
    putTapeAt (12.0);
    ed().loopOutButton.triggerClick();
    runMessages (5);
    EXPECT_DOUBLE_EQ (processor->loopIn.load(), 12.0);
    EXPECT_DOUBLE_EQ (processor->loopOut.load(), 40.0);

    ed().loopButton.triggerClick();
    runMessages (5);
    EXPECT_TRUE (processor->loopEnabled.load());

    ed().loopClearButton.triggerClick();
    runMessages (5);
    EXPECT_EQ (processor->loopIn.load(), 0.0);
    EXPECT_EQ (processor->loopOut.load(), 0.0);
    EXPECT_FALSE (processor->loopEnabled.load());
}

TEST_F (DeckFixture, BrushMenuChoiceAndDismissal)
{
    // Dismissed in cursor mode: the cursor tool stays on.
    ed().showBrushMenu();
    EXPECT_TRUE (ed().brushToolButton.getToggleState());
    ed().brushMenuChosen (0);
    EXPECT_TRUE (ed().cursorToolButton.getToggleState());
    EXPECT_FALSE (ed().brushToolButton.getToggleState());
    EXPECT_EQ (ed().tapeStrip.brushType, 0);

    ed().showBrushMenu();
    ed().brushMenuChosen (4);
    EXPECT_EQ (ed().tapeStrip.brushType, 4);
    EXPECT_EQ (ed().brushToolButton.getButtonText(), "Brush: Crinkle");

    // Dismissed while a brush is chosen: that brush stays.
    ed().showBrushMenu();
    ed().brushMenuChosen (0);
    EXPECT_EQ (ed().tapeStrip.brushType, 4);

    ed().cursorToolButton.triggerClick();
    runMessages (5);
    EXPECT_EQ (ed().tapeStrip.brushType, 0);
    EXPECT_FALSE (ed().brushToolButton.getToggleState());
    EXPECT_EQ (ed().brushToolButton.getButtonText(), "Brush: Crinkle");
    juce::PopupMenu::dismissAllActiveMenus();
}

TEST_F (DeckFixture, ZoomKeepsThePlayheadInItsPlace)
{
    putTapeAt (15.0);
    ed().zoomSlider.setValue (1.0, juce::sendNotificationSync);
    EXPECT_DOUBLE_EQ (ed().tapeStrip.viewLength, 2.0);
    EXPECT_DOUBLE_EQ (ed().tapeStrip.viewStart, 14.0);

    // A playhead outside the window lands in its middle.
    putTapeAt (95.0); // 5 s into the repeat
    ed().zoomSlider.setValue (0.9, juce::sendNotificationSync);
    EXPECT_NEAR (ed().tapeStrip.viewLength, 4.8, 1.0e-9);
    EXPECT_NEAR (ed().tapeStrip.viewStart, 5.0 - 2.4, 1.0e-9);

    ed().zoomSlider.setValue (0.0, juce::sendNotificationSync);
    EXPECT_DOUBLE_EQ (ed().tapeStrip.viewLength, 30.0);
    EXPECT_DOUBLE_EQ (ed().tapeStrip.viewStart, 0.0);
}

TEST_F (DeckFixture, SwitchesSetTheirParameters)
{
    ed().waveButton.triggerClick();
    ed().monitorMuteButton.triggerClick();
    runMessages (10);
    EXPECT_GT (processor->parameters.getRawParameterValue (ParameterIds::SHOW_WAVE)->load(), 0.5f);
    EXPECT_GT (processor->parameters.getRawParameterValue (ParameterIds::DIRECT_MON)->load(), 0.5f);
    ed().waveButton.triggerClick();
    runMessages (10);
    EXPECT_LT (processor->parameters.getRawParameterValue (ParameterIds::SHOW_WAVE)->load(), 0.5f);
}

TEST_F (DeckFixture, UndoOnlyFlashesItsCaption)
{
    ed().undoButton.triggerClick();
    runMessages (5);
    EXPECT_EQ (ed().undoButton.getButtonText(), "UNDID");
    EXPECT_TRUE (runMessagesUntil ([&] { return ed().undoButton.getButtonText() == "UNDO"; }, 3000));
}

TEST_F (DeckFixture, SetupTogglesTheSettingsOverlayAndItsCloseButtonRemovesIt)
{
    ed().toggleSettingsOverlay();
    auto* overlay = ed().deckPanel.findChildWithID (EditorIds::settingsPanel);
    ASSERT_NE (overlay, nullptr);
    EXPECT_EQ (overlay->getBounds(), juce::Rectangle<int> (500, 700).withCentre ({1699 / 2, 1133 / 2}));
    ed().toggleSettingsOverlay();
    EXPECT_EQ (ed().deckPanel.findChildWithID (EditorIds::settingsPanel), nullptr);

    // Its own close button: removed after the click handler has returned.
    ed().toggleSettingsOverlay();
    auto* panel = dynamic_cast<SettingsPanel*> (ed().deckPanel.findChildWithID (EditorIds::settingsPanel));
    ASSERT_NE (panel, nullptr);
    panel->onClose();
    EXPECT_NE (ed().deckPanel.findChildWithID (EditorIds::settingsPanel), nullptr);
    EXPECT_TRUE (runMessagesUntil ([&] { return ed().deckPanel.findChildWithID (EditorIds::settingsPanel) == nullptr; }));
}

// Learn mode: a click through the glass pane on a knob outlines it and arms the processor with
// its parameter; a click on the deck background does nothing; a left click on MIDI LEARN ends it.
TEST_F (DeckFixture, MidiLearnPicksAControlByItsIdentifier)
{
    if (! DeckTest::displayAvailable())
        GTEST_SKIP() << "picking finds the control under the pointer on the screen";

    ed().dustCover->putAwayAtOnce();
    ed().dustCover->setVisible (false);
    editor->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
    editor->setVisible (true);
    runMessages (50);
    ASSERT_NE (editor->getPeer()->getNativeHandle(), nullptr);

    ed().midiLearnButton.triggerClick();
    ASSERT_TRUE (runMessagesUntil ([&] { return ed().midiGlassPane.isVisible(); }));

    const auto clickAt = [this] (juce::Component& target, juce::Point<int> local)
    {
        const auto onPane = ed().midiGlassPane.getLocalPoint (&target, local).toFloat();
        ed().pickMidiLearnTarget (DeckTest::mouseEvent (ed().midiGlassPane, onPane));
    };

    clickAt (ed().deckPanel, {1000, 1000}); // the deck's face, no control
    EXPECT_EQ (ed().midiLearnHighlight.get(), nullptr);

    clickAt (ed().wowKnob, ed().wowKnob.getLocalBounds().getCentre());
    EXPECT_EQ (ed().midiLearnHighlight.get(), &ed().wowKnob);
    EXPECT_EQ (processor->midiLearnTarget, ParameterIds::WOW);
    EXPECT_TRUE (processor->midiLearnArmed.load());

    clickAt (ed().playButton, ed().playButton.getLocalBounds().getCentre());
    EXPECT_EQ (processor->midiLearnTarget, "play_button");

    clickAt (ed().midiLearnButton, ed().midiLearnButton.getLocalBounds().getCentre());
    EXPECT_FALSE (ed().midiLearnButton.getToggleState());
    EXPECT_FALSE (ed().midiGlassPane.isVisible());
    EXPECT_EQ (ed().midiLearnHighlight.get(), nullptr);
    EXPECT_FALSE (processor->midiLearnArmed.load());

    editor->removeFromDesktop();
}
