#include "ConsoleTestSupport.h"

#include "app/SafeAlertWindow.h"

using namespace ConsoleTest;

namespace
{
/** A strip whose millisecond counter the test sets. */
struct ClockedStrip : public ChannelStripComponent
{
    using ChannelStripComponent::ChannelStripComponent;
    juce::uint32 now = 100000;
    juce::uint32 getMillisecondCounter() const override { return now; }
};

/** The open alert window, answered with result; its title. */
juce::String answerDialog (int result)
{
    auto* window = dynamic_cast<SafeAlertWindow*> (juce::Component::getCurrentlyModalComponent());
    if (window == nullptr)
        return {};
    const auto title = window->getName();
    window->exitModalState (result);
    runMessages (50);
    return title;
}

#define CONSOLE_NEEDS_DISPLAY()                                                                                        \
    if (! displayAvailable())                                                                                          \
        GTEST_SKIP() << "needs a display";
} // namespace

TEST_F (ConsoleFixture, TheSourceKeyNamesTheChosenInput)
{
    struct Case
    {
        int menuId, storedSource;
        const char* text;
        juce::uint32 colour;
    };
    const Case cases[] = {{2, 1, "IN 2", 0xffffffff},     {105, 105, "VST 3", 0xffffffff}, {204, 204, "TRK 5", 0xffffffff},
                          {301, 301, "AX1 R", 0xffffffff}, {999, -1, "OFF", 0xff808080},    {24 + 1, 24, "OFF", 0xffffffff}};

    auto& s = strip (2);
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        s.applyInputSourceChoice (c.menuId);
        EXPECT_EQ (processor->trackInputSources[2], c.storedSource);
        EXPECT_EQ (s.sourceButton.getButtonText(), c.text);
        EXPECT_EQ (s.sourceButton.findColour (juce::TextButton::textColourOffId), juce::Colour (c.colour));
    }

    // A dismissed menu changes nothing.
    s.applyInputSourceChoice (0);
    EXPECT_EQ (processor->trackInputSources[2], 24);
}

TEST_F (ConsoleFixture, TheSourceMenuListsInstrumentsAndOtherTracks)
{
    processor->addBuiltInInstrument (1);
    processor->parameters.state.setProperty ("TrackName_5", "Vox", nullptr);
    processor->trackInputSources[0] = 204;

    juce::StringArray texts;
    juce::Array<int> ticked;
    const auto menu = strip (0).buildInputSourceMenu();
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        texts.add (item.text);
        if (item.isTicked)
            ticked.add (item.itemID);
    }

    const auto name = processor->instruments[0]->name;
    EXPECT_TRUE (texts.contains ("Inst 1 L (" + name + ")"));
    EXPECT_TRUE (texts.contains ("Inst 1 R (" + name + ")"));
    EXPECT_TRUE (texts.contains ("From Track 5 (Vox)"));
    EXPECT_TRUE (texts.contains ("From Track 2"));
    EXPECT_FALSE (texts.contains ("From Track 1")); // the strip's own track
    EXPECT_TRUE (texts.contains ("Disconnect (Mute)"));
    EXPECT_TRUE (texts.contains ("(No Inputs Enabled)")); // no device in this test
    EXPECT_EQ (ticked, juce::Array<int> ({204}));
}

// Tracks 1, 2 and 5 in group 2 arm, solo and take automation modes together, and only while the
// group exists.
TEST_F (ConsoleFixture, GroupedTracksArmSoloAndTakeModesTogether)
{
    ASSERT_TRUE (processor->prepareReel (8, 2.0, 44100.0).wasOk());
    for (int track : {0, 1, 4})
        processor->channelGroups[(size_t) track] = 2;
    ASSERT_TRUE (processor->isGroupActive (2));
    // The new reel's tracks are disarmed; the strips' keys follow on their tick.
    for (auto* s : console->strips)
        s->timerCallback();

    const auto solo = [this] (int track) { return parameter (*processor, "SOLO_" + juce::String (track)).getValue(); };

    ASSERT_TRUE (click (strip (0).soloButton));
    EXPECT_EQ (solo (1), 1.0f);
    EXPECT_EQ (solo (2), 1.0f);
    EXPECT_EQ (solo (5), 1.0f);
    EXPECT_EQ (solo (3), 0.0f);
    EXPECT_TRUE (strip (4).soloButton.getToggleState()); // the partner's key follows its attachment

    ASSERT_TRUE (click (strip (1).armButton));
    EXPECT_TRUE (processor->tracks[0].armed);
    EXPECT_TRUE (processor->tracks[1].armed);
    EXPECT_TRUE (processor->tracks[4].armed);
    EXPECT_FALSE (processor->tracks[2].armed);

    strip (4).applyAutomationModeChoice (5);
    for (int track : {0, 1, 4})
        EXPECT_EQ (processor->automationModes[(size_t) track].load(), 4) << track;
    EXPECT_EQ (processor->automationModes[2].load(), 0);
    EXPECT_EQ (strip (4).autoButton.getButtonText(), "WRT");

    // With the group gone, each strip acts alone.
    processor->groupActive[2] = false;
    ASSERT_TRUE (click (strip (0).muteButton));
    EXPECT_EQ (parameter (*processor, "MUTE_1").getValue(), 1.0f);
    EXPECT_EQ (parameter (*processor, "MUTE_2").getValue(), 0.0f);

    strip (4).applyAutomationModeChoice (2);
    EXPECT_EQ (processor->automationModes[4].load(), 1); // Read
    EXPECT_EQ (processor->automationModes[0].load(), 4);
}

TEST_F (ConsoleFixture, TheContextMenuAssignsGroups)
{
    auto& s = strip (3);
    processor->clearUnsavedChanges();

    s.handleContextMenuResult (100 + 3);
    EXPECT_EQ (processor->channelGroups[3].load(), 3);
    EXPECT_TRUE (processor->unsavedChanges.load());

    processor->clearUnsavedChanges();
    s.handleContextMenuResult (100);
    EXPECT_EQ (processor->channelGroups[3].load(), 0);
    EXPECT_TRUE (processor->unsavedChanges.load());

    // Only existing groups are offered, with their colour names.
    juce::StringArray texts;
    const auto menu = s.buildContextMenu();
    for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
        texts.add (it.getItem().text);
    EXPECT_TRUE (texts.contains ("Track 4"));
    EXPECT_TRUE (texts.contains (processor->getGroupName (2) + " (Blue)"));
    EXPECT_FALSE (texts.contains (processor->getGroupName (6) + " (Cyan)"));
    EXPECT_TRUE (texts.contains ("Erase Track (Clear Audio)"));
}

// The context menu opens on a right-click in the meter, or on two clicks there within 400 ms.
TEST_F (ConsoleFixture, TheContextMenuOpensOnlyFromTheMeter)
{
    CONSOLE_NEEDS_DISPLAY();
    ClockedStrip s (0, *processor);
    s.setSize (68, 1020);
    const juce::ModifierKeys right (juce::ModifierKeys::rightButtonModifier);

    s.mouseDown (mouseEvent (s, {30.0f, 100.0f}, right)); // on a knob
    EXPECT_EQ (s.lastMeterClickTime, 0u);

    s.mouseDown (mouseEvent (s, {30.0f, 20.0f})); // first left click
    EXPECT_EQ (s.lastMeterClickTime, s.now);
    s.now += 500;
    s.mouseDown (mouseEvent (s, {30.0f, 20.0f}));
    EXPECT_EQ (s.lastMeterClickTime, s.now); // too slow: no menu
    s.now += 300;
    s.mouseDown (mouseEvent (s, {30.0f, 20.0f}));
    EXPECT_EQ (s.lastMeterClickTime, 0u); // opened
    juce::PopupMenu::dismissAllActiveMenus();
    runMessages (30);

    // A right-click in the meter opens it at once.
    s.now += 1000;
    s.mouseDown (mouseEvent (s, {30.0f, 20.0f}));
    s.now += 1000;
    s.mouseDown (mouseEvent (s, {30.0f, 20.0f}, right));
    EXPECT_EQ (s.lastMeterClickTime, 0u);
    juce::PopupMenu::dismissAllActiveMenus();
    runMessages (30);
}

TEST_F (ConsoleFixture, ErasingATrackAsksFirstAndZeroesItsTapeInPlace)
{
    CONSOLE_NEEDS_DISPLAY();
    ASSERT_TRUE (processor->prepareReel (8, 2.0, 44100.0).wasOk());
    auto& track = processor->tracks[2];
    auto& audio = track.getAudio();
    juce::FloatVectorOperations::fill (audio.getWritePointer (0), 0.5f, audio.getNumSamples());
    track.recordedLength = 1000;
    processor->clearUnsavedChanges();
    const float* tape = audio.getReadPointer (0);

    strip (2).handleContextMenuResult (1);
    EXPECT_EQ (answerDialog (0), "Erase Track 3?");
    EXPECT_EQ (audio.getMagnitude (0, audio.getNumSamples()), 0.5f);
    EXPECT_EQ (track.recordedLength, 1000);

    strip (2).handleContextMenuResult (1);
    EXPECT_EQ (answerDialog (1), "Erase Track 3?");
    EXPECT_EQ (audio.getMagnitude (0, audio.getNumSamples()), 0.0f);
    EXPECT_EQ (track.recordedLength, 0);
    EXPECT_TRUE (track.dirty.load());
    EXPECT_EQ (audio.getReadPointer (0), tape); // the audio thread's buffer was never replaced
    EXPECT_EQ (processor->tracks[3].dirty.load(), false);
}

TEST_F (ConsoleFixture, ClearingAutomationResetsTheModeOfTheTrackAskedAbout)
{
    CONSOLE_NEEDS_DISPLAY();
    processor->automationModes[1] = TavrelDelayAudioProcessor::automationWrite;

    strip (1).handleContextMenuResult (3);
    // Paging while the question is open does not move it to another track.
    console->showTrackPage (8);
    EXPECT_EQ (answerDialog (1), "Clear Automation?");
    EXPECT_EQ (processor->automationModes[1].load(), 0);
    EXPECT_EQ (processor->automationModes[9].load(), 0);
}
