#include "instruments/StageKeyboardEngine.h"
#include "tests/rackui/RackUiTestSupport.h"
#include "ui/instruments/BuiltInKeyboardEditor.h"
#include "ui/instruments/EmbeddedInstrumentKeyboard.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/instruments/InternalInstrumentWindow.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
using Editor = BuiltInKeyboardEditor;

struct StageKeyboardEditorTest : ::testing::Test
{
    void SetUp() override
    {
        InstrumentUiState::keyboardShown = false;
        processor = std::make_unique<TavrelDelayAudioProcessor>();
        ASSERT_TRUE (processor->addBuiltInInstrument (5));
        slot = processor->instruments.back().get();
        processor->unsavedChanges = false;
    }

    void TearDown() override
    {
        for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
            if (auto* w = dynamic_cast<InternalInstrumentWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)))
                delete w;
        InstrumentUiState::keyboardShown = false;
        InternalInstrumentWindow::forgetRememberedWidths();
        processor.reset();
    }

    StageKeyboardEngine& engine() { return *slot->keyboardEngine; }

    /** The editor inside a real window, laid out at its design size. */
    Editor& openInWindow()
    {
        window = new InternalInstrumentWindow (*processor, *slot);
        auto* editor = dynamic_cast<Editor*> (window->getEditor());
        EXPECT_NE (editor, nullptr);
        RackUiTest::pump (50);
        return *editor;
    }

    /** A press at the centre of a control, as the learning pane gets it. */
    static void pressPaneOver (Editor& editor, juce::Component& control)
    {
        const auto screen = control.localPointToGlobal (control.getLocalBounds().getCentre().toFloat());
        auto e = RackUiTest::mouseEventAt (editor.glassPane, editor.glassPane.getLocalPoint (nullptr, screen));
        editor.learnControl (e);
    }

    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    TavrelDelayAudioProcessor::InstrumentPlugin* slot = nullptr;
    InternalInstrumentWindow* window = nullptr;
};
} // namespace

TEST_F (StageKeyboardEditorTest, KnobTextsFollowTheirUnits)
{
    Editor editor (*processor, slot);
    struct Case
    {
        int knob;
        double value;
        const char* text;
    };
    for (const auto& c : {Case{2, 0.5, "+6.0 dB"}, Case{2, -1.0, "-12.0 dB"}, Case{3, 0.0, "0.0 dB"},
                          Case{4, 4.0, "4.0 Hz"}, Case{0, 1.0, "1.00"}, Case{5, 0.333, "0.33"}})
        EXPECT_EQ (editor.knobs[(size_t)c.knob].getTextFromValue (c.value), c.text) << c.knob << " " << c.value;

    // A number typed into a tone knob's box is read in decibels, as the box shows them.
    EXPECT_DOUBLE_EQ (editor.knobs[2].getValueFromText ("+6.0 dB"), 0.5);
    EXPECT_DOUBLE_EQ (editor.knobs[3].getValueFromText ("-3"), -0.25);
}

TEST_F (StageKeyboardEditorTest, StartsFromTheEngineAndLaysOutTheDesign)
{
    engine().model = 3;
    engine().tremRate = 7.5f;
    engine().bass = -0.25f;
    slot->presetName = "Warm";

    Editor editor (*processor, slot);
    EXPECT_EQ (editor.getWidth(), 1350);
    EXPECT_EQ (editor.getHeight(), 480);
    EXPECT_EQ (editor.presetButton.getButtonText(), "Warm");
    EXPECT_EQ (editor.keyboard, nullptr);

    for (int i = 0; i < Editor::numModels; ++i)
    {
        EXPECT_EQ (editor.modelButtons[(size_t)i].getToggleState(), i == 3) << i;
        EXPECT_EQ (editor.modelButtons[(size_t)i].getX(), 217 + 155 * i);
        EXPECT_EQ (editor.modelButtons[(size_t)i].getY(), 127);
        EXPECT_TRUE (editor.modelButtons[(size_t)i].getComponentID().isEmpty());
    }

    const int centres[] = {218, 400, 582, 765, 947, 1129};
    const char* ids[] = {"VOL", "DRIVE", "BASS", "TREBLE", "TREMRATE", "TREMDEPTH"};
    for (int k = 0; k < Editor::numKnobs; ++k)
    {
        EXPECT_EQ (editor.knobs[(size_t)k].getBounds(), juce::Rectangle<int> (centres[k] - 30, 262, 60, 76)) << k;
        EXPECT_EQ (editor.labels[k]->getBounds(), juce::Rectangle<int> (centres[k] - 50, 242, 100, 20)) << k;
        EXPECT_EQ (editor.knobs[(size_t)k].getComponentID(), ids[k]);
    }
    EXPECT_DOUBLE_EQ (editor.knobs[4].getValue(), 7.5);
    EXPECT_DOUBLE_EQ (editor.knobs[2].getValue(), -0.25);

    EXPECT_EQ (editor.presetButton.getBounds(), juce::Rectangle<int> (1086, 47, 130, 20));
    EXPECT_EQ (editor.learnButton.getBounds(), juce::Rectangle<int> (986, 47, 90, 20));
    EXPECT_EQ (editor.kbdButton.getBounds(), juce::Rectangle<int> (926, 47, 50, 20));
    EXPECT_EQ (editor.glassPane.getBounds(), editor.getLocalBounds());
    EXPECT_FALSE (editor.glassPane.isVisible());
}

TEST_F (StageKeyboardEditorTest, ControlsWriteTheEngineAndMarkTheReelChanged)
{
    Editor editor (*processor, slot);
    const std::vector<std::pair<double, float StageKeyboardEngine::*>> knobs{
        {1.7, &StageKeyboardEngine::masterVol}, {0.4, &StageKeyboardEngine::drive},
        {-0.6, &StageKeyboardEngine::bass},     {0.9, &StageKeyboardEngine::treble},
        {12.5, &StageKeyboardEngine::tremRate}, {0.8, &StageKeyboardEngine::tremDepth}};

    for (size_t k = 0; k < knobs.size(); ++k)
    {
        processor->unsavedChanges = false;
        editor.knobs[k].setValue (knobs[k].first, juce::sendNotificationSync);
        EXPECT_FLOAT_EQ (engine().*knobs[k].second, (float)knobs[k].first) << k;
        EXPECT_TRUE (processor->unsavedChanges.load()) << k;
    }

    processor->unsavedChanges = false;
    editor.modelButtons[4].triggerClick();
    RackUiTest::pump (20);
    EXPECT_EQ (engine().model, 4);
    EXPECT_TRUE (editor.modelButtons[4].getToggleState());
    EXPECT_FALSE (editor.modelButtons[0].getToggleState());
    EXPECT_TRUE (processor->unsavedChanges.load());
}

TEST_F (StageKeyboardEditorTest, TimerBringsKnobsBackInLineExceptTheHeldOne)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& editor = openInWindow();
    ASSERT_TRUE (RackUiTest::hasNativeWindow (*window));

    // A bound controller at full travel: 14.9 x 1 + 0.1 Hz.
    processor->setInstrumentParameterFromMidi (0, "TREMRATE", 1.0f);
    engine().model = 2;
    editor.timerCallback();
    EXPECT_DOUBLE_EQ (editor.knobs[4].getValue(), 15.0);
    EXPECT_TRUE (editor.modelButtons[0].getToggleState()) << "the model buttons are not followed";

    // Hold the knob with a real mouse press: the controller does not pull it from under the user.
    auto* peer = window->getPeer();
    auto& knob = editor.knobs[4];
    const auto centre = peer->globalToLocal (knob.localPointToGlobal (knob.getLocalBounds().getCentre().toFloat()));
    const auto now = juce::Time::currentTimeMillis();
    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, centre,
                            juce::ModifierKeys::leftButtonModifier, 0.0f, 0.0f, now);
    ASSERT_TRUE (knob.isMouseButtonDown());
    const double held = knob.getValue();

    processor->setInstrumentParameterFromMidi (0, "TREMRATE", 0.0f);
    editor.timerCallback();
    EXPECT_DOUBLE_EQ (knob.getValue(), held);

    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, centre, juce::ModifierKeys(), 0.0f, 0.0f,
                            now + 10);
    engine().tremRate = 0.1f;
    editor.timerCallback();
    EXPECT_NEAR (knob.getValue(), 0.1, 1.0e-6);
}

TEST_F (StageKeyboardEditorTest, PresetsRoundTripAndFillGapsWithDefaults)
{
    Editor editor (*processor, slot);
    engine().model = 5;
    engine().masterVol = 1.5f;
    engine().treble = -0.5f;
    engine().tremRate = 9.0f;

    const auto xml = editor.createPresetXml();
    EXPECT_EQ (xml->getTagName(), "PRESET");
    EXPECT_EQ (xml->getNumAttributes(), 7);
    EXPECT_EQ (xml->getAttributeName (0), "masterVol");
    EXPECT_EQ (xml->getIntAttribute ("model"), 5);

    // Lacking tremRate and model: 4 Hz and RHODES.
    processor->unsavedChanges = false;
    editor.applyPresetXml (*juce::parseXML ("<PRESET masterVol=\"0.5\" treble=\"0.25\"/>"));
    EXPECT_EQ (engine().model, 0);
    EXPECT_FLOAT_EQ (engine().tremRate, 4.0f);
    EXPECT_FLOAT_EQ (engine().masterVol, 0.5f);
    EXPECT_TRUE (editor.modelButtons[0].getToggleState());
    EXPECT_FALSE (editor.modelButtons[5].getToggleState());
    EXPECT_DOUBLE_EQ (editor.knobs[4].getValue(), 4.0);
    EXPECT_DOUBLE_EQ (editor.knobs[3].getValue(), 0.25);
    EXPECT_TRUE (processor->unsavedChanges.load());

    editor.applyPresetXml (*xml);
    EXPECT_EQ (engine().model, 5);
    EXPECT_FLOAT_EQ (engine().tremRate, 9.0f);
    EXPECT_TRUE (editor.modelButtons[5].getToggleState());

    // A damaged or hand-edited file never puts the engine outside its ranges.
    editor.applyPresetXml (*juce::parseXML ("<PRESET masterVol=\"40\" model=\"9\" tremRate=\"-3\" drive=\"nan\"/>"));
    EXPECT_FLOAT_EQ (engine().masterVol, 2.0f);
    EXPECT_EQ (engine().model, 5);
    EXPECT_TRUE (editor.modelButtons[5].getToggleState());
    EXPECT_FLOAT_EQ (engine().tremRate, 0.1f);
    EXPECT_TRUE (std::isfinite (engine().drive));
    EXPECT_DOUBLE_EQ (editor.knobs[0].getValue(), 2.0);
}

TEST_F (StageKeyboardEditorTest, WithoutAnEngineThePanelIsEmptyAndInert)
{
    slot->keyboardEngine.reset();
    Editor editor (*processor, slot);
    EXPECT_EQ (editor.getNumChildComponents(), 0);
    EXPECT_EQ (editor.createPresetXml()->getNumAttributes(), 0);
    editor.applyPresetXml (*juce::parseXML ("<PRESET model=\"2\"/>"));
    editor.timerCallback();
    editor.setSize (1350, 480);
    EXPECT_FALSE (processor->unsavedChanges.load());

    Editor noSlot (*processor, nullptr);
    EXPECT_EQ (noSlot.getNumChildComponents(), 0);
}

TEST_F (StageKeyboardEditorTest, LearningArmsOnlyControlsWithAnId)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& editor = openInWindow();
    ASSERT_TRUE (RackUiTest::hasNativeWindow (*window));

    editor.learnButton.triggerClick();
    RackUiTest::pump (20);
    ASSERT_TRUE (editor.glassPane.isVisible());

    // A model button and MIDI LEARN itself carry no learnable id.
    pressPaneOver (editor, editor.modelButtons[1]);
    pressPaneOver (editor, editor.learnButton);
    EXPECT_FALSE (processor->midiLearnArmed.load());
    EXPECT_EQ (editor.learnTarget.getComponent(), nullptr);

    pressPaneOver (editor, editor.knobs[4]);
    EXPECT_TRUE (processor->midiLearnArmed.load());
    EXPECT_EQ (processor->midiLearnTarget, "INST_5_TREMRATE");
    EXPECT_EQ (editor.learnTarget.getComponent(), &editor.knobs[4]);

    // The controller is bound: the button goes off, the pane stays, the next press arms again.
    editor.timerCallback();
    processor->clearMidiLearnTarget();
    editor.timerCallback();
    EXPECT_FALSE (editor.learnButton.getToggleState());
    EXPECT_TRUE (editor.glassPane.isVisible());
    EXPECT_EQ (editor.learnTarget.getComponent(), nullptr);

    // Pressed on its value box, as one control.
    const double before = editor.knobs[5].getValue();
    auto* valueBox = dynamic_cast<juce::Label*> (editor.knobs[5].getChildComponent (0));
    ASSERT_NE (valueBox, nullptr);
    pressPaneOver (editor, *valueBox);
    EXPECT_EQ (processor->midiLearnTarget, "INST_5_TREMDEPTH");
    EXPECT_EQ (editor.learnTarget.getComponent(), &editor.knobs[5]);
    EXPECT_DOUBLE_EQ (editor.knobs[5].getValue(), before);
    editor.timerCallback();
    EXPECT_TRUE (editor.learnButton.getToggleState());

    // MIDI LEARN off ends it all.
    editor.learnButton.triggerClick();
    RackUiTest::pump (20);
    EXPECT_FALSE (processor->midiLearnArmed.load());
    EXPECT_FALSE (editor.glassPane.isVisible());
    EXPECT_EQ (editor.learnTarget.getComponent(), nullptr);

    // The keyboard strip's buttons have IDs of their own, but no setting to learn.
    editor.kbdButton.triggerClick();
    editor.learnButton.triggerClick();
    RackUiTest::pump (20);
    ASSERT_NE (editor.keyboard, nullptr);
    auto* octaveUp = editor.keyboard->findChildWithID (EmbeddedInstrumentKeyboard::octaveUpButtonId);
    ASSERT_NE (octaveUp, nullptr);
    pressPaneOver (editor, *octaveUp);
    EXPECT_FALSE (processor->midiLearnArmed.load());
}

TEST_F (StageKeyboardEditorTest, KbdShowsTheStripAndTheNextEditorOpensWithIt)
{
    Editor editor (*processor, slot);
    int toggled = 0;
    editor.onKeyboardToggled = [&] { ++toggled; };

    editor.kbdButton.triggerClick();
    RackUiTest::pump (20);
    EXPECT_TRUE (InstrumentUiState::keyboardShown);
    EXPECT_EQ (toggled, 1);
    ASSERT_NE (editor.keyboard, nullptr);
    EXPECT_TRUE (editor.keyboard->isVisible());

    // Typed notes reach the strip through the panel; without the strip keys pass on.
    EXPECT_FALSE (editor.keyboard->getHeldNotes().size() > 0);
    EXPECT_TRUE (editor.keyPressed (juce::KeyPress ('a')));
    EXPECT_EQ (editor.keyboard->getHeldNotes().size(), 1);

    Editor next (*processor, slot);
    EXPECT_EQ (next.getHeight(), 800);
    ASSERT_NE (next.keyboard, nullptr);
    EXPECT_EQ (next.keyboard->getBounds(), juce::Rectangle<int> (0, 480, 1350, 320));
    EXPECT_TRUE (next.kbdButton.getToggleState());

    editor.kbdButton.triggerClick();
    RackUiTest::pump (20);
    EXPECT_FALSE (InstrumentUiState::keyboardShown);
    EXPECT_EQ (editor.keyboard, nullptr);
    EXPECT_EQ (toggled, 2);
    EXPECT_FALSE (editor.keyPressed (juce::KeyPress ('a')));
}

TEST_F (StageKeyboardEditorTest, FollowsTheMinimalLookAndBack)
{
    ModernLookAndFeel modern;
    modern.cBg = 0xff202428; // a dark theme: the header keys get white text
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&modern);
        Editor editor (*processor, slot);
        editor.lookAndFeelChanged();

        EXPECT_EQ (&editor.getLookAndFeel(), &modern);
        EXPECT_EQ (editor.labels[0]->findColour (juce::Label::textColourId), juce::Colour (modern.cDark));
        EXPECT_EQ (editor.knobs[0].findColour (juce::Slider::textBoxTextColourId), juce::Colour (modern.cDark));
        EXPECT_EQ (editor.learnButton.findColour (juce::TextButton::textColourOffId), juce::Colours::white);
        EXPECT_EQ (editor.modelButtons[0].findColour (juce::TextButton::buttonOnColourId), juce::Colour (modern.cAccent));
        EXPECT_EQ (editor.modelButtons[0].findColour (juce::TextButton::textColourOnId), juce::Colours::white);
        const auto image = editor.createComponentSnapshot ({0, 0, 40, 40});
        EXPECT_EQ (image.getPixelAt (5, 5), juce::Colour (modern.cBg));

        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        editor.lookAndFeelChanged();
        EXPECT_EQ (&editor.getLookAndFeel(), &editor.customLook);
        EXPECT_EQ (editor.labels[0]->findColour (juce::Label::textColourId), juce::Colour (0xffe0e0e0));
        EXPECT_EQ (editor.learnButton.findColour (juce::TextButton::textColourOffId), juce::Colours::black);
        EXPECT_EQ (editor.modelButtons[0].findColour (juce::TextButton::buttonOnColourId), juce::Colour (0xffb0a090));
    }
}
