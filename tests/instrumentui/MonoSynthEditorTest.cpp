#include "platform/Platform.h"
#include "tests/instrumentui/SynthEditorFixture.h"
#include "ui/instruments/BuiltInInstrumentEditor.h"

#include <gtest/gtest.h>

namespace
{
namespace Ids = InstrumentEditorIds;

struct MonoEditorTest : SynthEditorFixture<BuiltInInstrumentEditor, 1>
{
    MonoSynthEngine& engine() { return *slot->monoEngine; }
};

juce::MidiBuffer controller (int number, int value)
{
    juce::MidiBuffer buffer;
    buffer.addEvent (juce::MidiMessage::controllerEvent (1, number, value), 0);
    return buffer;
}
} // namespace

TEST_F (MonoEditorTest, KnobsShowTheirValuesInTheirUnits)
{
    expectShownTexts ({{Ids::cutoff, 1000.0, "1.0 kHz"},
                       {Ids::cutoff, 950.0, "950 Hz"},
                       {Ids::lfoRate, 9.5, "9.5 Hz"},
                       {Ids::glide, 1000.0, "1.0 s"},
                       {Ids::glide, 999.6, "1000 ms"},
                       {Ids::octave, 0.0, "0"},
                       {Ids::octave, 2.0, "+2"},
                       {Ids::octave, -1.0, "-1"},
                       {Ids::tune, -5.0, "-5 ct"},
                       {Ids::tune2, 12.0, "+12 st"},
                       {Ids::filterSustain, 0.2, "0.2"},
                       {Ids::noise, 0.0, "0.0"}});
}

TEST_F (MonoEditorTest, EditingWritesTheEngineAndMarksTheReelChanged)
{
    knob (Ids::cutoff).setValue (2500.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (engine().synthCutoff, 2500.0f);
    EXPECT_TRUE (processor.hasUnsavedChanges());

    processor.clearUnsavedChanges();
    knob (Ids::octave).setValue (-2.0, juce::sendNotificationSync);
    EXPECT_EQ (engine().globalOctave, -2);
    EXPECT_TRUE (processor.hasUnsavedChanges());

    processor.clearUnsavedChanges();
    choice (Ids::wave2).setSelectedId (3, juce::sendNotificationSync);
    choice (Ids::lfoTarget).setSelectedId (2, juce::sendNotificationSync);
    EXPECT_EQ (engine().osc2Wave, 2);
    EXPECT_EQ (engine().lfoTarget, 1);
    EXPECT_TRUE (processor.hasUnsavedChanges());

    // A real drag upwards on the knob turns it up.
    auto& release = knob (Ids::ampRelease);
    const auto before = engine().aEnvR;
    const auto centre = release.getLocalBounds().getCentre().toFloat();
    const juce::ModifierKeys left (juce::ModifierKeys::leftButtonModifier);
    release.mouseDown (RackUiTest::mouseEventAt (release, centre, left));
    release.mouseDrag (RackUiTest::mouseEventAt (release, centre.translated (0.0f, -60.0f), left, true));
    release.mouseUp (RackUiTest::mouseEventAt (release, centre.translated (0.0f, -60.0f)));
    EXPECT_GT (engine().aEnvR, before);
    EXPECT_FLOAT_EQ (engine().aEnvR, (float)release.getValue());
}

TEST_F (MonoEditorTest, TheTimerBringsTheControlsToTheEngineAndLeavesThemAloneOtherwise)
{
    engine().synthCutoff = 440.0f;
    engine().globalOctave = 3;
    engine().osc1Wave = 1;
    engine().lfoTarget = 1;
    engine().fEnvS = 0.2004f; // within the tolerance: left as it is

    editor->timerCallback();
    EXPECT_DOUBLE_EQ (knob (Ids::cutoff).getValue(), 440.0);
    EXPECT_EQ (shownText (knob (Ids::cutoff)), "440 Hz");
    EXPECT_DOUBLE_EQ (knob (Ids::octave).getValue(), 3.0);
    EXPECT_EQ (choice (Ids::wave1).getText(), "Square");
    EXPECT_EQ (choice (Ids::lfoTarget).getText(), "Filter");
    EXPECT_DOUBLE_EQ (knob (Ids::filterSustain).getValue(), (double)0.2f);

    // Mirroring is not editing.
    EXPECT_FALSE (processor.hasUnsavedChanges());
}

TEST_F (MonoEditorTest, AKnobHeldByTheMouseIsNotMovedByTheTimer)
{
    RACKUI_REQUIRE_DISPLAY();
    editor->addToDesktop (0);
    editor->setVisible (true);
    auto* peer = editor->getPeer();
    ASSERT_TRUE (RackUiTest::hasNativeWindow (*editor));

    auto& cutoff = knob (Ids::cutoff);
    const auto at = editor->getLocalPoint (&cutoff, cutoff.getLocalBounds().getCentre()).toFloat();
    const auto send = [&] (juce::ModifierKeys mods)
    {
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, at, mods,
                                juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                juce::Time::currentTimeMillis());
    };

    send (juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier));
    ASSERT_TRUE (cutoff.isMouseButtonDown());
    const auto held = cutoff.getValue();

    // A bound controller moves the field meanwhile: the knob stays with the user's hand.
    engine().synthCutoff = 5000.0f;
    editor->timerCallback();
    EXPECT_DOUBLE_EQ (cutoff.getValue(), held);

    send ({});
    editor->timerCallback();
    EXPECT_DOUBLE_EQ (cutoff.getValue(), 5000.0);
    editor->removeFromDesktop();
}

TEST_F (MonoEditorTest, LearnedControllersMoveTheirKnobsWithinOneTick)
{
    processor.midiMap = {{21, "INST_1_CUTOFF"}, {22, "INST_1_WAVE1"}, {23, "INST_1_LFOTARGET"}, {24, "INST_1_GLIDE"}};
    processor.saveGlobalMidiMap();
    juce::MidiBuffer filtered;

    struct Case
    {
        int cc, value;
        const char* id;
        double knobValue;
        const char* choiceText;
    };

    for (const auto& c : {Case{21, 127, Ids::cutoff, 20000.0, nullptr}, Case{21, 0, Ids::cutoff, 20.0, nullptr},
                          Case{24, 127, Ids::glide, 1000.0, nullptr}, Case{22, 63, Ids::wave1, 0.0, "Sawtooth"},
                          Case{22, 64, Ids::wave1, 0.0, "Square"}, Case{22, 126, Ids::wave1, 0.0, "Square"},
                          Case{22, 127, Ids::wave1, 0.0, "Triangle"}, Case{23, 126, Ids::lfoTarget, 0.0, "Pitch"},
                          Case{23, 127, Ids::lfoTarget, 0.0, "Filter"}})
    {
        processor.dispatchMidiMap (controller (c.cc, c.value), filtered);
        editor->timerCallback();

        if (c.choiceText != nullptr)
            EXPECT_EQ (choice (c.id).getText(), c.choiceText) << "controller " << c.cc << " at " << c.value;
        else
            EXPECT_NEAR (knob (c.id).getValue(), c.knobValue, 0.01) << "controller " << c.cc << " at " << c.value;
    }
}

TEST_F (MonoEditorTest, MidiLearnPicksTheClickedControlAndEndsWhenAControllerIsBound)
{
    RACKUI_REQUIRE_DISPLAY();
    editor->addToDesktop (0);
    editor->setVisible (true);
    ASSERT_TRUE (RackUiTest::hasNativeWindow (*editor));
    RackUiTest::pump (100);

    click (editor->learnButton);
    ASSERT_TRUE (editor->learnButton.getToggleState());
    ASSERT_TRUE (editor->glassPane.isVisible());

    const auto clickOnPane = [this] (juce::Component& over, juce::Point<int> at)
    {
        const auto position = editor->glassPane.getLocalPoint (&over, at).toFloat();
        editor->glassPane.mouseDown (RackUiTest::mouseEventAt (editor->glassPane, position));
    };
    const auto centreOf = [] (juce::Component& c) { return c.getLocalBounds().getCentre(); };

    // A caption has no identity of its own: nothing is learned.
    auto* caption = editor->findCaption (knob (Ids::cutoff));
    ASSERT_NE (caption, nullptr);
    clickOnPane (*caption, centreOf (*caption));
    EXPECT_TRUE (processor.midiLearnTarget.isEmpty());
    EXPECT_TRUE (editor->glassPane.isVisible());

    // A choice box (through the text that covers it), and a knob through its value box.
    clickOnPane (choice (Ids::wave1), centreOf (choice (Ids::wave1)));
    EXPECT_EQ (processor.midiLearnTarget, "INST_1_WAVE1");

    auto& cutoff = knob (Ids::cutoff);
    clickOnPane (cutoff, {cutoff.getWidth() / 2, cutoff.getHeight() - 4});
    EXPECT_EQ (processor.midiLearnTarget, "INST_1_CUTOFF");
    EXPECT_EQ (editor->learnTarget.getComponent(), &cutoff);
    EXPECT_TRUE (processor.midiLearnArmed.load());
    editor->timerCallback();
    EXPECT_TRUE (editor->learnButton.getToggleState());

    // While armed the target is marked: a light veil over the knob.
    const auto area = editor->getLocalArea (&cutoff, cutoff.getLocalBounds());
    const auto marked = LookTest::snapshot (*editor).getPixelAt (area.getX() + 3, area.getCentreY());
    editor->learnTarget = nullptr;
    const auto plain = LookTest::snapshot (*editor).getPixelAt (area.getX() + 3, area.getCentreY());
    editor->learnTarget = &cutoff;
    EXPECT_GT (marked.getBrightness(), plain.getBrightness());

    // The processor takes the next controller; the tick after turns learn off and forgets the
    // target, but the pane stays for the next pick.
    juce::MidiBuffer filtered;
    processor.dispatchMidiMap (controller (30, 100), filtered);
    ASSERT_TRUE (RackUiTest::pumpUntil ([this] { return processor.midiMap.count (30) == 1; }));
    EXPECT_EQ (processor.midiMap.find (30)->second, "INST_1_CUTOFF");
    editor->timerCallback();
    EXPECT_FALSE (editor->learnButton.getToggleState());
    EXPECT_EQ (editor->learnTarget.getComponent(), nullptr);
    EXPECT_TRUE (editor->glassPane.isVisible());

    processor.dispatchMidiMap (controller (30, 127), filtered);
    editor->timerCallback();
    EXPECT_DOUBLE_EQ (cutoff.getValue(), 20000.0);

    // Two clicks on MIDI LEARN leave learn mode and hide the pane.
    click (editor->learnButton);
    EXPECT_TRUE (editor->learnButton.getToggleState());
    click (editor->learnButton);
    EXPECT_FALSE (editor->learnButton.getToggleState());
    EXPECT_FALSE (editor->glassPane.isVisible());
    EXPECT_FALSE (processor.midiLearnArmed.load());

    editor->removeFromDesktop();
}

TEST_F (MonoEditorTest, PresetsCarryEverySettingAndDefaultRestoresTheStartingSound)
{
    engine().globalOctave = -2;
    engine().osc2Wave = 2;
    engine().synthCutoff = 1234.5f;
    engine().fEnvS = 0.2f;
    engine().aEnvR = 1000.0f;

    const auto xml = editor->createPresetXml();
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PRESET");
    EXPECT_EQ (xml->getNumAttributes(), 23);
    EXPECT_EQ (xml->getAttributeName (0), "globalOctave");
    EXPECT_EQ (xml->getAttributeName (22), "lfoTarget");
    EXPECT_EQ (xml->getStringAttribute ("globalOctave"), "-2");
    EXPECT_EQ (xml->getStringAttribute ("aEnvR"), "1000.0");
    EXPECT_EQ (xml->getStringAttribute ("fEnvS"), "0.2000000029802322");

    // "Default" is an empty preset: every setting takes the starting sound's value.
    editor->applyPresetXml (juce::XmlElement ("PRESET"));
    EXPECT_EQ (engine().globalOctave, 0);
    EXPECT_EQ (engine().osc2Wave, 1);
    EXPECT_FLOAT_EQ (engine().osc2Tune, -12.0f);
    EXPECT_FLOAT_EQ (engine().synthGlide, 50.0f);
    EXPECT_FLOAT_EQ (engine().synthCutoff, 1000.0f);
    EXPECT_FLOAT_EQ (engine().aEnvR, 500.0f);
    EXPECT_TRUE (processor.hasUnsavedChanges());
    EXPECT_EQ (choice (Ids::wave2).getText(), "Square");
    EXPECT_EQ (shownText (knob (Ids::cutoff)), "1.0 kHz");

    // And back: the saved preset gives every value again, bit for bit, and shows it.
    editor->applyPresetXml (*xml);
    EXPECT_EQ (engine().globalOctave, -2);
    EXPECT_EQ (engine().osc2Wave, 2);
    EXPECT_EQ (engine().synthCutoff, 1234.5f);
    EXPECT_EQ (engine().fEnvS, 0.2f);
    EXPECT_DOUBLE_EQ (knob (Ids::octave).getValue(), -2.0);
    EXPECT_EQ (choice (Ids::wave2).getText(), "Triangle");
    EXPECT_EQ (shownText (knob (Ids::ampRelease)), "1.0 s");
}

TEST_F (MonoEditorTest, ADamagedPresetLeavesEverySettingInRange)
{
    juce::XmlElement hostile ("PRESET");
    hostile.setAttribute ("synthCutoff", "nan");
    hostile.setAttribute ("synthRes", 40.0);
    hostile.setAttribute ("globalOctave", 99);
    hostile.setAttribute ("osc1Wave", -7);
    hostile.setAttribute ("aEnvA", "-inf");

    editor->applyPresetXml (hostile);
    EXPECT_FLOAT_EQ (engine().synthCutoff, 1000.0f);
    EXPECT_LE (engine().synthRes, 0.95f);
    EXPECT_EQ (engine().globalOctave, 3);
    EXPECT_GE (engine().osc1Wave, 0);
    EXPECT_TRUE (std::isfinite (engine().aEnvA));
    EXPECT_EQ (shownText (knob (Ids::cutoff)), "1.0 kHz");
}

TEST_F (MonoEditorTest, LaysOutItsSectionsAndControlsAtTheDesignSize)
{
    ASSERT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 1100, 555));

    using R = juce::Rectangle<int>;
    expectLayout ({R (99, 87, 175, 185), R (286, 87, 438, 185), R (736, 87, 264, 185), R (99, 284, 245, 145),
                   R (356, 284, 316, 145), R (684, 284, 316, 145)},
                  1012);

    // Knobs step across their section; captions sit 20 above them.
    EXPECT_EQ (knob (Ids::octave).getBounds(), R (128, 192, 58, 74));
    EXPECT_EQ (knob (Ids::tune).getBounds(), R (186, 192, 58, 74));
    EXPECT_EQ (editor->findCaption (knob (Ids::octave))->getBounds(), R (107, 172, 100, 20));
    EXPECT_EQ (knob (Ids::ampRelease).getBounds(), R (684 - 29 + 252, 344, 58, 74));
    EXPECT_EQ (choice (Ids::wave1).getBounds(), R (361, 142, 100, 24));
    EXPECT_EQ (choice (Ids::wave2).getBounds(), R (549, 142, 100, 24));
    EXPECT_EQ (choice (Ids::lfoTarget).getBounds(), R (818, 142, 100, 24));
    EXPECT_EQ (editor->findCaption (choice (Ids::lfoTarget))->getBounds(), R (818, 122, 100, 20));

    // Captions in creation order, each once.
    ASSERT_EQ (editor->captionLabels.size(), 23);
    EXPECT_EQ (editor->captionLabels[0]->getText(), "WAVE 1");
    EXPECT_EQ (editor->captionLabels[3]->getText(), "LEVEL 1");
    EXPECT_EQ (editor->captionLabels[22]->getText(), "TUNE");
}

TEST_F (MonoEditorTest, KbdShowsTheKeyboardUnderThePanelAndNewEditorsOpenWithIt)
{
    int toggles = 0;
    editor->onKeyboardToggled = [&] { ++toggles; };
    const juce::KeyPress keyA ('a', {}, 'a');
    EXPECT_FALSE (editor->keyPressed (keyA));

    click (editor->kbdButton);
    EXPECT_TRUE (InstrumentUiState::keyboardShown);
    EXPECT_EQ (toggles, 1);
    ASSERT_NE (editor->keyboard, nullptr);
    EXPECT_TRUE (editor->keyboard->isVisible());

    // Typed notes go through the editor to the strip and on to the processor.
    EXPECT_TRUE (editor->keyPressed (keyA));
    EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));

    // The owner makes the editor taller; the keyboard then fills the bottom 320 pixels.
    editor->setSize (1100, 875);
    EXPECT_EQ (editor->keyboard->getBounds(), juce::Rectangle<int> (0, 555, 1100, 320));

    BuiltInInstrumentEditor second (processor, slot.get());
    EXPECT_EQ (second.getBounds(), juce::Rectangle<int> (0, 0, 1100, 875));
    EXPECT_TRUE (second.kbdButton.getToggleState());
    ASSERT_NE (second.keyboard, nullptr);
    EXPECT_EQ (second.keyboard->getBounds(), juce::Rectangle<int> (0, 555, 1100, 320));

    // The faceplate picture keeps its proportions over the top 555 pixels; the strip has the rest.
    second.keyboard->setVisible (false);
    const auto image = LookTest::snapshot (second);
    EXPECT_EQ (image.getPixelAt (5, 540).getAlpha(), 255);
    EXPECT_EQ (image.getPixelAt (5, 600).getAlpha(), 0);

    click (editor->kbdButton);
    EXPECT_FALSE (InstrumentUiState::keyboardShown);
    EXPECT_EQ (editor->keyboard, nullptr);
    EXPECT_EQ (toggles, 2);

    BuiltInInstrumentEditor third (processor, slot.get());
    EXPECT_EQ (third.getBounds(), juce::Rectangle<int> (0, 0, 1100, 555));
    EXPECT_EQ (third.keyboard, nullptr);
}

TEST_F (MonoEditorTest, TheLookSwitchesColoursBetweenMinimalAndClassic)
{
    ModernLookAndFeel modern;
    const auto caption = editor->findCaption (knob (Ids::cutoff));
    const auto textOf = [] (juce::Component& c, int id) { return c.findColour (id); };

    {
        LookTest::ScopedDefaultLook scoped (modern);
        editor->sendLookAndFeelChange();
        const juce::Colour dark (modern.cDark);

        EXPECT_EQ (&editor->getLookAndFeel(), &modern);
        EXPECT_EQ (textOf (*caption, juce::Label::textColourId), dark);
        EXPECT_EQ (textOf (knob (Ids::glide), juce::Slider::textBoxTextColourId), dark);
        EXPECT_EQ (textOf (editor->learnButton, juce::TextButton::textColourOffId), dark);
        EXPECT_EQ (textOf (choice (Ids::wave1), juce::ComboBox::backgroundColourId), juce::Colours::white);
        EXPECT_EQ (textOf (choice (Ids::wave1), juce::ComboBox::outlineColourId), juce::Colour (0xffbdc3c7));
        EXPECT_EQ (textOf (editor->presetButton, juce::TextButton::textColourOffId), juce::Colour (0xff5aff5a));
        EXPECT_TRUE (LookTest::near (LookTest::pixel (*editor, 3, 3), juce::Colour (modern.cBg)));

        // A dark theme turns the header texts white and the boxes dark.
        modern.cBg = 0xff202428;
        editor->sendLookAndFeelChange();
        EXPECT_EQ (textOf (editor->kbdButton, juce::TextButton::textColourOnId), juce::Colours::white);
        EXPECT_EQ (textOf (choice (Ids::wave1), juce::ComboBox::backgroundColourId), juce::Colour (0xff222222));
    }

    editor->sendLookAndFeelChange();
    EXPECT_EQ (&editor->getLookAndFeel(), &editor->customLook);
    EXPECT_EQ (textOf (*caption, juce::Label::textColourId), juce::Colour (0xffe0e0e0));
    EXPECT_EQ (textOf (knob (Ids::glide), juce::Slider::textBoxTextColourId), juce::Colours::white);
    EXPECT_EQ (textOf (editor->learnButton, juce::TextButton::textColourOffId), juce::Colours::black);
    EXPECT_EQ (textOf (choice (Ids::wave1), juce::ComboBox::textColourId), juce::Colour (0xfffff0dd));
    EXPECT_EQ (textOf (editor->presetButton, juce::TextButton::textColourOffId), juce::Colour (0xff5aff5a));
}

TEST_F (MonoEditorTest, AnEditorWithoutAnEngineIsEmptyAndDoesNothing)
{
    auto empty = makeInstrumentPlugin();
    empty->builtInType = 1;

    for (auto* target : {(TavrelDelayAudioProcessor::InstrumentPlugin*)nullptr, empty.get()})
    {
        BuiltInInstrumentEditor bare (processor, target);
        EXPECT_EQ (bare.getNumChildComponents(), 0);
        EXPECT_TRUE (bare.getBounds().isEmpty());
        EXPECT_FALSE (bare.isTimerRunning());
        EXPECT_EQ (bare.createPresetXml()->getNumAttributes(), 0);

        bare.applyPresetXml (juce::XmlElement ("PRESET"));
        bare.timerCallback();
        bare.learnControl (RackUiTest::mouseEventAt (bare, {1.0f, 1.0f}));
        EXPECT_FALSE (processor.hasUnsavedChanges());
        EXPECT_TRUE (processor.midiLearnTarget.isEmpty());
    }
}

TEST_F (MonoEditorTest, ThePresetButtonOpensTheMenuOfItsInstrumentsPresets)
{
    RACKUI_REQUIRE_DISPLAY();
    editor->addToDesktop (0);
    editor->setVisible (true);
    ASSERT_TRUE (RackUiTest::hasNativeWindow (*editor));

    const auto folder = Platform::getUserDataFolder().getChildFile ("Presets/MonoBass");
    folder.deleteRecursively();

    editor->presetButton.triggerClick();
    EXPECT_TRUE (RackUiTest::pumpUntil ([&] { return folder.isDirectory(); }));
    EXPECT_TRUE (RackUiTest::pumpUntil ([] { return juce::PopupMenu::dismissAllActiveMenus(); }));
    RackUiTest::pump (30);
    editor->removeFromDesktop();
}
