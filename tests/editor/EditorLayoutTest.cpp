#include "EditorTestSupport.h"

#include "engine/ParameterIds.h"
#include "ui/deck/DeckLayout.h"
#include "ui/deck/EditorIds.h"

#include <functional>

using EditorTest::EditorFixture;
using Editor = TavrelDelayAudioProcessorEditor;
using R = juce::Rectangle<int>;

namespace
{
struct Placement
{
    const char* name;
    std::function<juce::Component&(Editor&)> control;
    R skeuomorphic;
    R minimal;
};

// Every control the deck lays out, with its rectangle in both interfaces (deck design units).
const std::vector<Placement>& placements()
{
    static const std::vector<Placement> table = {
        {"console", [] (Editor& e) -> juce::Component& { return *e.console; }, {122, 85, 760, 1020}, {30, 30, 960, 1110}},
        {"master volume", [] (Editor& e) -> juce::Component& { return e.masterVolumeSlider; }, {249, 145, 44, 150}, {175, 90, 54, 150}},
        {"MASTER FX", [] (Editor& e) -> juce::Component& { return e.masterFxButton; }, {125, 300, 180, 24}, {33, 260, 174, 28}},
        {"TRACKS", [] (Editor& e) -> juce::Component& { return e.trackPageButton; }, {125, 330, 180, 24}, {33, 295, 174, 28}},
        {"MIDI LEARN", [] (Editor& e) -> juce::Component& { return e.midiLearnButton; }, {1472, 20, 90, 22}, {1540, 35, 120, 32}},
        {"EJECT", [] (Editor& e) -> juce::Component& { return e.ejectButton; }, {1367, 20, 100, 22}, {1408, 35, 120, 32}},
        {"MIXDOWN", [] (Editor& e) -> juce::Component& { return e.mixdownButton; }, {782, 10, 140, 32}, {1530, 912, 140, 32}},
        {"counter", [] (Editor& e) -> juce::Component& { return e.counterLabel; }, {1187, 454, 110, 32}, {1285, 430, 120, 34}},
        {"FORMAT", [] (Editor& e) -> juce::Component& { return e.formatButton; }, {1192, 173, 100, 24}, {1288, 158, 100, 24}},
        {"tape strip", [] (Editor& e) -> juce::Component& { return e.tapeStrip; }, {896, 895, 681, 70}, {1020, 1010, 640, 100}},
        {"rtz", [] (Editor& e) -> juce::Component& { return e.returnToZeroButton; }, {1039, 500, 50, 35}, {1058, 480, 65, 50}},
        {"zero", [] (Editor& e) -> juce::Component& { return e.zeroButton; }, {1097, 500, 50, 35}, {1143, 480, 65, 50}},
        {"rew", [] (Editor& e) -> juce::Component& { return e.rewindButton; }, {1163, 500, 50, 35}, {1228, 480, 65, 50}},
        {"stop", [] (Editor& e) -> juce::Component& { return e.stopButton; }, {1221, 500, 50, 35}, {1313, 480, 65, 50}},
        {"play", [] (Editor& e) -> juce::Component& { return e.playButton; }, {1279, 500, 50, 35}, {1398, 480, 65, 50}},
        {"rec", [] (Editor& e) -> juce::Component& { return e.recordButton; }, {1337, 500, 50, 35}, {1483, 480, 65, 50}},
        {"ff", [] (Editor& e) -> juce::Component& { return e.fastForwardButton; }, {1395, 500, 50, 35}, {1568, 480, 65, 50}},
        {"varispeed", [] (Editor& e) -> juce::Component& { return e.varispeedKnob; }, {947, 585, 65, 65}, {1065, 585, 90, 90}},
        {"wow", [] (Editor& e) -> juce::Component& { return e.wowKnob; }, {1122, 585, 65, 65}, {1215, 585, 90, 90}},
        {"flutter", [] (Editor& e) -> juce::Component& { return e.flutterKnob; }, {1297, 585, 65, 65}, {1365, 585, 90, 90}},
        {"drive", [] (Editor& e) -> juce::Component& { return e.driveKnob; }, {1472, 585, 65, 65}, {1515, 585, 90, 90}},
        {"age", [] (Editor& e) -> juce::Component& { return e.ageKnob; }, {947, 695, 65, 65}, {1065, 735, 90, 90}},
        {"noise", [] (Editor& e) -> juce::Component& { return e.noiseKnob; }, {1122, 695, 65, 65}, {1215, 735, 90, 90}},
        {"stickiness", [] (Editor& e) -> juce::Component& { return e.stickinessKnob; }, {1297, 695, 65, 65}, {1365, 735, 90, 90}},
        {"head gap", [] (Editor& e) -> juce::Component& { return e.headGapKnob; }, {1472, 695, 65, 65}, {1515, 735, 90, 90}},
        {"Ptr", [] (Editor& e) -> juce::Component& { return e.cursorToolButton; }, {900, 850, 35, 28}, {997, 964, 36, 28}},
        {"Brush", [] (Editor& e) -> juce::Component& { return e.brushToolButton; }, {938, 850, 102, 28}, {1037, 964, 100, 28}},
        {"CLR defects", [] (Editor& e) -> juce::Component& { return e.clearDefectsButton; }, {1043, 850, 32, 28}, {1141, 964, 36, 28}},
        {"CLICK", [] (Editor& e) -> juce::Component& { return e.clickButton; }, {1097, 850, 42, 28}, {1193, 964, 44, 28}},
        {"MON", [] (Editor& e) -> juce::Component& { return e.monitorMuteButton; }, {1142, 850, 42, 28}, {1241, 964, 44, 28}},
        {"WAVE", [] (Editor& e) -> juce::Component& { return e.waveButton; }, {1187, 850, 42, 28}, {1289, 964, 44, 28}},
        {"zoom", [] (Editor& e) -> juce::Component& { return e.zoomSlider; }, {1190, 810, 36, 36}, {1292, 920, 38, 38}},
        {"PUNCH", [] (Editor& e) -> juce::Component& { return e.punchInButton; }, {1247, 850, 50, 28}, {1453, 964, 48, 28}},
        {"S.O.S.", [] (Editor& e) -> juce::Component& { return e.soundOnSoundButton; }, {1300, 850, 50, 28}, {1401, 964, 48, 28}},
        {"WEAR", [] (Editor& e) -> juce::Component& { return e.wearButton; }, {1353, 850, 50, 28}, {1349, 964, 48, 28}},
        {"wear rate", [] (Editor& e) -> juce::Component& { return e.wearRateKnob; }, {1360, 810, 36, 36}, {1354, 920, 38, 38}},
        {"loop_clear", [] (Editor& e) -> juce::Component& { return e.loopClearButton; }, {1425, 850, 32, 28}, {1517, 964, 36, 28}},
        {"loop_in", [] (Editor& e) -> juce::Component& { return e.loopInButton; }, {1460, 850, 32, 28}, {1557, 964, 36, 28}},
        {"loop_out", [] (Editor& e) -> juce::Component& { return e.loopOutButton; }, {1495, 850, 32, 28}, {1597, 964, 36, 28}},
        {"LOOP", [] (Editor& e) -> juce::Component& { return e.loopButton; }, {1530, 850, 42, 28}, {1637, 964, 46, 28}},
    };
    return table;
}

struct FitCase
{
    int width, height;
    float scale, offsetX, offsetY;
};
} // namespace

TEST (DeckFit, ScalesTheDesignSpaceUniformlyAndCentresIt)
{
    const FitCase cases[] = {
        {1360, 906, 0.79965f, 0.70f, 0.0f},
        {850, 566, 0.49956f, 0.62f, 0.0f},
        {3400, 1133, 1.0f, 850.5f, 0.0f},
        {1000, 1133, 0.58858f, 0.0f, 233.07f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height));
        const auto fit = DeckLayout::fitInto (c.width, c.height);
        EXPECT_NEAR (fit.scale, c.scale, 0.00001f);
        EXPECT_NEAR (fit.offsetX, c.offsetX, 0.01f);
        EXPECT_NEAR (fit.offsetY, c.offsetY, 0.01f);
    }
}

TEST_F (EditorFixture, OpensOnTheTapeRoomAt1360x906WithItsResizeLimits)
{
    auto& editor = makeEditor();

    EXPECT_EQ (editor.getBounds(), R (0, 0, 1360, 906));
    EXPECT_TRUE (editor.tapeRoomShowing);
    EXPECT_TRUE (editor.tapeRoom->isVisible());
    EXPECT_EQ (editor.tapeRoom->getBounds(), editor.getLocalBounds());
    EXPECT_FALSE (editor.deckPanel.isVisible());
    EXPECT_TRUE (editor.isTimerRunning());
    EXPECT_EQ (editor.getTimerInterval(), 41);

    auto* limits = editor.getConstrainer();
    ASSERT_NE (limits, nullptr);
    EXPECT_TRUE (editor.isResizable());
    EXPECT_EQ (limits->getMinimumWidth(), 850);
    EXPECT_EQ (limits->getMinimumHeight(), 566);
    EXPECT_EQ (limits->getMaximumWidth(), 3400);
    EXPECT_EQ (limits->getMaximumHeight(), 2266);

    // Sizes outside the limits are brought back inside them.
    juce::Rectangle<int> tooSmall (0, 0, 400, 300), tooLarge (0, 0, 5000, 4000);
    limits->checkBounds (tooSmall, editor.getBounds(), {0, 0, 10000, 10000}, false, false, true, true);
    limits->checkBounds (tooLarge, editor.getBounds(), {0, 0, 10000, 10000}, false, false, true, true);
    EXPECT_EQ (tooSmall.getWidth(), 850);
    EXPECT_EQ (tooSmall.getHeight(), 566);
    EXPECT_EQ (tooLarge.getWidth(), 3400);
    EXPECT_EQ (tooLarge.getHeight(), 2266);
}

TEST_F (EditorFixture, TheThemeFileChoosesTheInterface)
{
    // No theme file: the skeuomorphic interface, and a theme written for later.
    {
        auto& editor = makeEditor();
        EXPECT_FALSE (editor.useModernUI);
        EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &editor.customLook);
        EXPECT_EQ (&editor.getLookAndFeel(), &editor.customLook);

        const auto written = juce::parseXML (EditorTest::themeFile());
        ASSERT_NE (written, nullptr);
        EXPECT_EQ (written->getTagName(), "THEME");
        EXPECT_TRUE (editor.modernLook.isDark());
        EXPECT_TRUE (editor.dustCover->isVisible());
    }

    // A theme asking for the minimal interface, with a light background of its own.
    juce::XmlElement theme ("THEME");
    theme.setAttribute ("useModernUI", "1");
    theme.setAttribute ("cBg", "fff0f0f0");
    ASSERT_TRUE (theme.writeTo (EditorTest::themeFile()));

    auto& editor = makeEditor();
    EXPECT_TRUE (editor.useModernUI);
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &editor.modernLook);
    EXPECT_EQ (editor.modernLook.cBg, 0xfff0f0f0u);
    showDeck();
    EXPECT_FALSE (editor.dustCover->isVisible());
    EXPECT_EQ (editor.console->getBounds(), R (30, 30, 960, 1110));
}

TEST_F (EditorFixture, TheDeckPanelIsScaledAndCentredIntoTheEditor)
{
    auto& editor = makeEditor();
    showDeck();

    EXPECT_FALSE (editor.tapeRoom->isVisible());
    EXPECT_TRUE (editor.deckPanel.isVisible());
    EXPECT_EQ (editor.deckPanel.getBounds(), R (0, 0, 1699, 1133));

    const auto corner = juce::Point<float> (0.0f, 0.0f).transformedBy (editor.deckPanel.getTransform());
    const auto far = juce::Point<float> (1699.0f, 1133.0f).transformedBy (editor.deckPanel.getTransform());
    EXPECT_NEAR (corner.x, 0.70f, 0.01f);
    EXPECT_NEAR (corner.y, 0.0f, 0.01f);
    EXPECT_NEAR (far.x - corner.x, 1699.0f * 0.79965f, 0.05f);
    EXPECT_NEAR (far.y, 906.0f, 0.05f);

    // A resize only changes the transform.
    editor.setSize (3400, 1133);
    EXPECT_EQ (editor.deckPanel.getBounds(), R (0, 0, 1699, 1133));
    EXPECT_NEAR (juce::Point<float>().transformedBy (editor.deckPanel.getTransform()).x, 850.5f, 0.01f);
    EXPECT_EQ (editor.midiGlassPane.getBounds(), R (0, 0, 3400, 1133));
}

TEST_F (EditorFixture, EveryControlSitsAtItsRectangleInBothInterfaces)
{
    auto& editor = makeEditor();
    showDeck();

    for (const bool minimal : {false, true, false})
    {
        switchInterface (minimal);

        for (const auto& p : placements())
        {
            SCOPED_TRACE (juce::String (p.name) + (minimal ? " (minimal)" : " (skeuomorphic)"));
            auto& control = p.control (editor);
            EXPECT_EQ (control.getParentComponent(), &editor.deckPanel);
            EXPECT_EQ (control.getBounds(), minimal ? p.minimal : p.skeuomorphic);
        }

        EXPECT_FLOAT_EQ (editor.counterLabel.getFont().getHeight(), minimal ? 26.0f : 22.0f);
        EXPECT_TRUE (editor.counterLabel.getFont().isBold());
    }
}

TEST_F (EditorFixture, TheDeckShowsOnlyItsOwnTopBarAndMixdownWhileABounceRuns)
{
    auto& editor = makeEditor();
    showDeck();

    EXPECT_TRUE (editor.ejectButton.isVisible());
    EXPECT_FALSE (editor.saveReelButton.isVisible());
    EXPECT_FALSE (editor.setupButton.isVisible());
    EXPECT_FALSE (editor.betaFeedbackButton.isVisible());
    EXPECT_FALSE (editor.undoButton.isVisible());
    EXPECT_TRUE (editor.counterLabel.isVisible());
    EXPECT_FALSE (editor.mixdownButton.isVisible());

    processor->liveBounceActive = true;
    EXPECT_FALSE (editor.mixdownButton.isVisible()) << "shown from the next layout on";
    editor.resized();
    EXPECT_TRUE (editor.mixdownButton.isVisible());
    EXPECT_EQ (editor.deckPanel.getChildren().getLast(), &editor.mixdownButton);

    processor->liveBounceActive = false;
    editor.resized();
    EXPECT_FALSE (editor.mixdownButton.isVisible());
}

TEST_F (EditorFixture, ControlsCarryTheirIdsTextsAndStartingStates)
{
    auto& editor = makeEditor();

    const char* ids[] = {EditorIds::returnToZero, EditorIds::zero, EditorIds::rewind, EditorIds::fastForward,
                         EditorIds::stop, EditorIds::play, EditorIds::record, EditorIds::loopClear,
                         EditorIds::loopIn, EditorIds::loopOut, EditorIds::loopToggle, EditorIds::loopCut,
                         EditorIds::clickToggle, EditorIds::clearDefects, EditorIds::format, EditorIds::tapeStrip,
                         ParameterIds::DRIVE, ParameterIds::AGE, ParameterIds::NOISE, ParameterIds::WOW,
                         ParameterIds::FLUTTER, ParameterIds::DEGRADE_RATE, ParameterIds::DIGITAL_FINGER,
                         ParameterIds::TIME, ParameterIds::VARISPEED, ParameterIds::MASTER_VOL,
                         ParameterIds::SOUND_ON_SOUND, ParameterIds::PUNCH_IN, ParameterIds::DEGRADE_ON,
                         ParameterIds::DIRECT_MON, ParameterIds::SHOW_WAVE};
    for (const auto* id : ids)
        EXPECT_NE (editor.deckPanel.findChildWithID (id), nullptr) << id;

    // Transport keys are faces drawn by the look: no text, no fill of their own.
    for (auto* key : {&editor.playButton, &editor.recordButton, &editor.returnToZeroButton})
    {
        EXPECT_TRUE (key->getButtonText().isEmpty());
        EXPECT_EQ (key->findColour (juce::TextButton::buttonColourId).getAlpha(), 0);
    }
    EXPECT_EQ (editor.recordButton.getTooltip(), "Master Record Arm");

    EXPECT_EQ (editor.formatButton.getButtonText(), "1\" MASTER");
    EXPECT_EQ (editor.trackPageButton.getButtonText(), "TRACKS 1-8");
    EXPECT_EQ (editor.counterLabel.getText(), "00:00");
    EXPECT_EQ (editor.counterLabel.findColour (juce::Label::textColourId), juce::Colour (0xffff0000));
    EXPECT_EQ (editor.loopCutButton.findColour (juce::TextButton::buttonColourId), juce::Colour (0xffe74c3c));
    EXPECT_EQ (editor.midiLearnButton.findColour (juce::TextButton::buttonOnColourId), juce::Colours::white);

    // The cursor tool is on and the brush off, in one radio group.
    EXPECT_TRUE (editor.cursorToolButton.getToggleState());
    EXPECT_FALSE (editor.brushToolButton.getToggleState());
    EXPECT_EQ (editor.cursorToolButton.getRadioGroupId(), 101);
    EXPECT_EQ (editor.brushToolButton.getRadioGroupId(), 101);

    // Everything added after the dust cover lies above it; the console lies below.
    auto& children = editor.deckPanel.getChildren();
    const auto coverIndex = children.indexOf (editor.dustCover.get());
    EXPECT_LT (children.indexOf (editor.console.get()), coverIndex);
    EXPECT_GT (children.indexOf (&editor.playButton), coverIndex);
    EXPECT_GT (children.indexOf (&editor.ejectButton), coverIndex);
}

TEST_F (EditorFixture, EveryKnobAndSwitchIsBoundToItsParameter)
{
    auto& editor = makeEditor();
    auto& parameters = processor->parameters;

    const std::pair<juce::Slider*, const char*> knobs[] = {
        {&editor.driveKnob, ParameterIds::DRIVE},       {&editor.ageKnob, ParameterIds::AGE},
        {&editor.noiseKnob, ParameterIds::NOISE},       {&editor.wowKnob, ParameterIds::WOW},
        {&editor.flutterKnob, ParameterIds::FLUTTER},   {&editor.wearRateKnob, ParameterIds::DEGRADE_RATE},
        {&editor.stickinessKnob, ParameterIds::DIGITAL_FINGER}, {&editor.headGapKnob, ParameterIds::TIME},
        {&editor.varispeedKnob, ParameterIds::VARISPEED}, {&editor.masterVolumeSlider, ParameterIds::MASTER_VOL},
    };

    for (const auto& [knob, id] : knobs)
    {
        SCOPED_TRACE (id);
        auto* parameter = parameters.getParameter (id);
        ASSERT_NE (parameter, nullptr);
        const auto& range = parameter->getNormalisableRange();

        // Parameter to knob.
        parameter->setValueNotifyingHost (0.25f);
        EXPECT_NEAR (knob->getValue(), range.convertFrom0to1 (parameter->getValue()), 1.0e-3 * (range.end - range.start));

        // Knob to parameter.
        knob->setValue (range.convertFrom0to1 (0.75f), juce::sendNotificationSync);
        EXPECT_NEAR (parameter->getValue(), 0.75f, 0.02f);

        // Double-click returns to the default.
        if (knob != &editor.varispeedKnob && knob != &editor.masterVolumeSlider)
        {
            EXPECT_NEAR (knob->getDoubleClickReturnValue(), range.convertFrom0to1 (parameter->getDefaultValue()),
                         1.0e-3 * (range.end - range.start));
        }
    }
    EXPECT_NEAR (editor.varispeedKnob.getDoubleClickReturnValue(), 1.0, 1.0e-6);
    EXPECT_NEAR (editor.masterVolumeSlider.getDoubleClickReturnValue(), 1.0, 1.0e-6);

    const std::pair<juce::Button*, const char*> switches[] = {
        {&editor.soundOnSoundButton, ParameterIds::SOUND_ON_SOUND},
        {&editor.punchInButton, ParameterIds::PUNCH_IN},
        {&editor.wearButton, ParameterIds::DEGRADE_ON},
    };

    for (const auto& [button, id] : switches)
    {
        SCOPED_TRACE (id);
        auto* parameter = parameters.getParameter (id);
        ASSERT_NE (parameter, nullptr);

        parameter->setValueNotifyingHost (1.0f);
        EXPECT_TRUE (button->getToggleState());
        parameter->setValueNotifyingHost (0.0f);
        EXPECT_FALSE (button->getToggleState());

        button->setToggleState (true, juce::sendNotificationSync);
        EXPECT_GT (parameter->getValue(), 0.5f);
    }
}

TEST_F (EditorFixture, OverlaysAreCentredOnTheDeck)
{
    auto& editor = makeEditor();

    juce::Component settings, import;
    settings.setComponentID (EditorIds::settingsPanel);
    settings.setSize (500, 550);
    import.setComponentID (EditorIds::importPanel);
    import.setSize (400, 300);
    editor.deckPanel.addAndMakeVisible (import);
    editor.deckPanel.addAndMakeVisible (settings);

    editor.resized();

    EXPECT_EQ (settings.getBounds(), R (599, 216, 500, 700));
    EXPECT_EQ (import.getBounds(), R (649, 416, 400, 300));
    EXPECT_EQ (editor.deckPanel.getChildren().getLast(), &import);

    editor.deckPanel.removeChildComponent (&settings);
    editor.deckPanel.removeChildComponent (&import);
}
