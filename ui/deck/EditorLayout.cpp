#include "ui/deck/DeckLayout.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessorEditor::resized()
{
    // The background is drawn at the editor's size: rebuild it at the next paint.
    backgroundCache = {};

    const int width = getWidth();
    const int height = getHeight();
    const auto fit = DeckLayout::fitInto (width, height);

    // Overlays are centred on the deck whichever screen shows.
    const auto deckCentre = juce::Rectangle<int> (DeckLayout::designWidth, DeckLayout::designHeight).getCentre();
    if (auto* importPanel = deckPanel.findChildWithID (EditorIds::importPanel))
    {
        importPanel->setBounds (importPanel->getBounds().withCentre (deckCentre));
        importPanel->toFront (false);
    }
    if (auto* settingsPanel = deckPanel.findChildWithID (EditorIds::settingsPanel))
        settingsPanel->setBounds (juce::Rectangle<int> (500, 700).withCentre (deckCentre));

    if (tapeRoomShowing)
    {
        tapeRoom->setVisible (true);
        tapeRoom->setTransform ({});
        tapeRoom->setBounds (0, 0, width, height);
        deckPanel.setVisible (false);
        return;
    }

    tapeRoom->setVisible (false);
    deckPanel.setVisible (true);
    deckPanel.setBounds (0, 0, DeckLayout::designWidth, DeckLayout::designHeight);
    deckPanel.setTransform (fit.getTransform());

    if (dustCover != nullptr)
    {
        dustCover->setBounds (deckPanel.getLocalBounds());
        // The cover only ever lies on the skeuomorphic deck, and comes back there only when it
        // was not lifted (by the user, or by the setting at start-up).
        if (useModernUI)
            dustCover->setVisible (false);
        else if (! dustCover->isLifted())
            dustCover->setVisible (true);
    }

    midiGlassPane.setBounds (0, 0, width, height);
    layOutDeckControls();
}

void TavrelDelayAudioProcessorEditor::layOutDeckControls()
{
    const auto d = DeckLayout::forInterface (useModernUI);

    console->setBounds (d.console);
    masterVolumeSlider.setBounds (d.masterVolume);
    masterFxButton.setBounds (d.masterFx);
    trackPageButton.setBounds (d.trackPage);
    midiLearnButton.setBounds (d.midiLearn);
    ejectButton.setBounds (d.eject);
    mixdownButton.setBounds (d.mixdown);
    formatButton.setBounds (d.format);
    tapeStrip.setBounds (d.tapeStrip);

    counterLabel.setBounds (d.counter);
    counterLabel.setVisible (true);
    counterLabel.setFont (juce::Font ("Courier New", d.counterFontHeight, juce::Font::bold));

    // Transport keys, left to right.
    juce::Button* transport[] = {&returnToZeroButton, &zeroButton, &rewindButton, &stopButton,
                                 &playButton, &recordButton, &fastForwardButton};
    for (size_t i = 0; i < d.transport.size(); ++i)
        transport[i]->setBounds (d.transport[i]);

    varispeedKnob.setBounds (d.varispeed);
    wowKnob.setBounds (d.wow);
    flutterKnob.setBounds (d.flutter);
    driveKnob.setBounds (d.drive);
    ageKnob.setBounds (d.age);
    noiseKnob.setBounds (d.noise);
    stickinessKnob.setBounds (d.stickiness);
    headGapKnob.setBounds (d.headGap);

    cursorToolButton.setBounds (d.cursorTool);
    brushToolButton.setBounds (d.brushTool);
    clearDefectsButton.setBounds (d.clearDefects);
    clickButton.setBounds (d.click);
    monitorMuteButton.setBounds (d.monitor);
    waveButton.setBounds (d.wave);
    zoomSlider.setBounds (d.zoom);
    punchInButton.setBounds (d.punch);
    soundOnSoundButton.setBounds (d.soundOnSound);
    wearButton.setBounds (d.wear);
    wearRateKnob.setBounds (d.wearRate);
    loopClearButton.setBounds (d.loopClear);
    loopInButton.setBounds (d.loopIn);
    loopOutButton.setBounds (d.loopOut);
    loopButton.setBounds (d.loop);

    // The deck shows only what it has room for; the rest is reached through menus and shortcuts.
    saveReelButton.setVisible (false);
    setupButton.setVisible (false);
    betaFeedbackButton.setVisible (false);
    undoButton.setVisible (false);
    ejectButton.setVisible (true);

    mixdownButton.setVisible (audioProcessor.liveBounceActive.load());
    mixdownButton.toFront (false);
}
