#include "ConsoleTestSupport.h"

#include "ui/looks/ModernLookAndFeel.h"

using namespace ConsoleTest;

namespace
{
juce::Slider& sliderOf (ChannelStripComponent& strip, RightClickSlider ChannelStripComponent::*member)
{
    return strip.*member;
}

const std::pair<const char*, RightClickSlider ChannelStripComponent::*> sliders[] = {
    {ParameterIds::TRIM_, &ChannelStripComponent::trimKnob},
    {ParameterIds::EQ_HIGH_, &ChannelStripComponent::eqHighKnob},
    {ParameterIds::EQ_MID_FREQ_, &ChannelStripComponent::eqMidFreqKnob},
    {ParameterIds::EQ_MID_GAIN_, &ChannelStripComponent::eqMidGainKnob},
    {ParameterIds::EQ_LOW_, &ChannelStripComponent::eqLowKnob},
    {ParameterIds::AUX1_, &ChannelStripComponent::aux1Knob},
    {ParameterIds::AUX2_, &ChannelStripComponent::aux2Knob},
    {ParameterIds::PAN_, &ChannelStripComponent::panKnob},
    {ParameterIds::VOL_, &ChannelStripComponent::volumeFader},
};

const std::pair<const char*, juce::TextButton ChannelStripComponent::*> toggles[] = {
    {ParameterIds::MUTE_, &ChannelStripComponent::muteButton},
    {ParameterIds::SOLO_, &ChannelStripComponent::soloButton},
    {ParameterIds::PHASE_, &ChannelStripComponent::phaseButton},
    {ParameterIds::EQ_PRE_, &ChannelStripComponent::printEqButton},
};
} // namespace

// Paging rebinds the eight strips instead of building new ones: every component ID and every
// attachment moves to the new track, and the old track's parameters are left alone.
TEST_F (ConsoleFixture, PagingMovesIdsAndAttachmentsToTheNextEightTracks)
{
    console->showTrackPage (8);
    auto& first = strip (0);

    EXPECT_EQ (first.trackIndex, 8);
    EXPECT_EQ (first.volumeFader.getComponentID(), "VOL_9");
    EXPECT_EQ (first.armButton.getComponentID(), "ARM_9");
    EXPECT_EQ (first.monitorButton.getComponentID(), "MON_9");
    EXPECT_EQ (strip (7).volumeFader.getComponentID(), "VOL_16");

    for (const auto& [prefix, member] : sliders)
    {
        SCOPED_TRACE (prefix);
        auto& slider = sliderOf (first, member);
        EXPECT_EQ (slider.getComponentID(), ParameterIds::forTrack (prefix, 9));

        // The parameter moves the control, and the control moves the parameter of track 9 only.
        auto& ninth = parameter (*processor, ParameterIds::forTrack (prefix, 9));
        auto& firstTrack = parameter (*processor, ParameterIds::forTrack (prefix, 1));
        const float before = firstTrack.getValue();
        ninth.setValueNotifyingHost (0.3f);
        EXPECT_NEAR (slider.getValue(), ninth.convertFrom0to1 (0.3f), 1e-3);
        slider.setValue (slider.proportionOfLengthToValue (0.7), juce::sendNotificationSync);
        EXPECT_NEAR (ninth.getValue(), 0.7f, 0.02f);
        EXPECT_FLOAT_EQ (firstTrack.getValue(), before);
    }

    for (const auto& [prefix, member] : toggles)
    {
        SCOPED_TRACE (prefix);
        auto& button = first.*member;
        EXPECT_EQ (button.getComponentID(), ParameterIds::forTrack (prefix, 9));
        parameter (*processor, ParameterIds::forTrack (prefix, 9)).setValueNotifyingHost (1.0f);
        EXPECT_TRUE (button.getToggleState());
        EXPECT_EQ (parameter (*processor, ParameterIds::forTrack (prefix, 1)).getValue(), 0.0f);
    }
}

TEST_F (ConsoleFixture, StripsBeyondTheReelAreDisabledAndDimmed)
{
    ASSERT_EQ (processor->numTracks, 8);
    console->showTrackPage (8);
    for (auto* s : console->strips)
    {
        EXPECT_FALSE (s->isEnabled());
        EXPECT_NEAR (s->getAlpha(), 0.3f, 1.0f / 255.0f); // stored in 8 bits
    }

    console->showTrackPage (0);
    for (auto* s : console->strips)
    {
        EXPECT_TRUE (s->isEnabled());
        EXPECT_FLOAT_EQ (s->getAlpha(), 1.0f);
    }
}

// The attachment installs the parameter's own text; the strip's decibel text must survive a
// rebinding.
TEST_F (ConsoleFixture, TheFaderReadsDecibelsOnEveryPage)
{
    const std::pair<double, const char*> cases[] = {
        {0.0005, "-inf dB"}, {0.001, "-inf dB"}, {1.0, "0.0 dB"}, {0.5, "-6.0 dB"}, {2.0, "6.0 dB"}};

    for (int page : {0, 16, 8})
    {
        console->showTrackPage (page);
        for (const auto& [gain, text] : cases)
            EXPECT_EQ (strip (2).volumeFader.getTextFromValue (gain), text) << "page " << page << ", gain " << gain;
    }
}

TEST_F (ConsoleFixture, NameEditsAndRefreshReachTheStateTree)
{
    strip (3).nameLabel.setText ("Bass", juce::sendNotificationSync);
    EXPECT_EQ (processor->parameters.state.getProperty ("TrackName_4").toString(), "Bass");

    processor->parameters.state.setProperty ("TrackName_2", "Keys", nullptr);
    console->refreshAll();
    EXPECT_EQ (strip (1).nameLabel.getText(), "Keys");

    // After paging, the same strip edits its new track.
    console->showTrackPage (8);
    strip (3).nameLabel.setText ("Organ", juce::sendNotificationSync);
    EXPECT_EQ (processor->parameters.state.getProperty ("TrackName_12").toString(), "Organ");
    EXPECT_EQ (processor->parameters.state.getProperty ("TrackName_4").toString(), "Bass");
}

TEST_F (ConsoleFixture, TheMonitorKeyFlipsBetweenTapeAndInput)
{
    auto& monitor = parameter (*processor, "MON_1");
    monitor.setValueNotifyingHost (1.0f);
    strip (0).updateMonitorButton();
    EXPECT_EQ (strip (0).monitorButton.getButtonText(), "T");

    ASSERT_TRUE (click (strip (0).monitorButton));
    EXPECT_EQ (monitor.getValue(), 0.0f);
    EXPECT_EQ (strip (0).monitorButton.getButtonText(), "IN");
    EXPECT_EQ (strip (0).monitorButton.findColour (juce::TextButton::textColourOffId), juce::Colour (0xff6495ed));

    ASSERT_TRUE (click (strip (0).monitorButton));
    EXPECT_EQ (monitor.getValue(), 1.0f);
    EXPECT_EQ (strip (0).monitorButton.findColour (juce::TextButton::textColourOffId), juce::Colour (0xffffa500));
}

// Touch and latch automation read the touch flag: a Ctrl-drag moves the fader untouched.
TEST_F (ConsoleFixture, DraggingTheFaderTouchesItsChannelUnlessCtrlIsHeld)
{
    console->showTrackPage (8);
    auto& fader = strip (1).volumeFader;

    juce::ModifierKeys::currentModifiers = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
    fader.onDragStart();
    EXPECT_FALSE (processor->faderTouched[9].load());
    juce::ModifierKeys::currentModifiers = {};

    fader.onDragStart();
    EXPECT_TRUE (processor->faderTouched[9].load());
    EXPECT_FALSE (processor->faderTouched[1].load());
    fader.onDragEnd();
    EXPECT_FALSE (processor->faderTouched[9].load());
}

TEST_F (ConsoleFixture, TheStripsAndAuxSectionsSitWhereTheLayoutPutsThem)
{
    console->resized();
    EXPECT_EQ (strip (0).getBounds(), juce::Rectangle<int> (195, 0, 68, 1020));
    EXPECT_EQ (strip (1).getBounds(), juce::Rectangle<int> (268, 0, 68, 1020));
    EXPECT_EQ (strip (7).getBounds(), juce::Rectangle<int> (690, 0, 68, 1020));

    EXPECT_EQ (console->aux1ReturnFader.getBounds(), juce::Rectangle<int> (35, 625, 44, 110));
    EXPECT_EQ (console->aux2MuteButton.getBounds(), juce::Rectangle<int> (95, 599, 44, 20));
    EXPECT_EQ (console->aux2AutoButton.getBounds(), juce::Rectangle<int> (95, 577, 44, 20));
    EXPECT_EQ (console->aux1PanKnob.getBounds(), juce::Rectangle<int> (41, 751, 32, 32));
    EXPECT_EQ (console->getRackBounds(), juce::Rectangle<int> (3, 275, 188, 275));

    // Classic strip rows: meter 50, source 20 + 4, knob rows of 54 with 44-pixel knobs.
    auto& s = strip (0);
    EXPECT_EQ (s.sourceButton.getBounds(), juce::Rectangle<int> (2, 50, 64, 20));
    EXPECT_EQ (s.trimKnob.getBounds(), juce::Rectangle<int> (12, 74, 44, 44));
    EXPECT_EQ (s.panKnob.getBounds(), juce::Rectangle<int> (12, 74 + 7 * 54, 44, 44));
    EXPECT_EQ (s.printEqButton.getBounds(), juce::Rectangle<int> (4, 510, 60, 20));
    EXPECT_EQ (s.autoButton.getBounds(), juce::Rectangle<int> (1, 554, 32, 24));
    EXPECT_EQ (s.phaseButton.getBounds(), juce::Rectangle<int> (35, 554, 32, 24));
    EXPECT_EQ (s.armButton.getBounds(), juce::Rectangle<int> (35, 606, 32, 24));
    EXPECT_EQ (s.volumeFader.getBounds(), juce::Rectangle<int> (12, 640, 44, 1020 - 160 - 640));
}

TEST (ConsoleMinimalLayout, TheFaderSpansFromTheButtonRowsToTheBottomZone)
{
    ModernLookAndFeel modern;
    juce::LookAndFeel::setDefaultLookAndFeel (&modern);
    {
        TavrelDelayAudioProcessor processor;
        ChannelStripComponent strip (0, processor);
        strip.setSize (93, 1000);

        const int buttonRowsEnd = strip.armButton.getBottom();
        EXPECT_EQ (strip.volumeFader.getY(), buttonRowsEnd + 10);
        EXPECT_EQ (strip.volumeFader.getBottom(), 1000 - 42);
        EXPECT_EQ (strip.volumeFader.getWidth(), 64);
        EXPECT_EQ (strip.nameLabel.getBounds(), juce::Rectangle<int> (0, 958, 93, 42));
    }
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}
