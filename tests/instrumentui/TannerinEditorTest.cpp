#include "storage/FactoryPresets.h"
#include "tests/instrumentui/TannerinTestSupport.h"
#include "tests/support/TempDir.h"
#include "ui/instruments/InstrumentPresetMenu.h"
#include "ui/instruments/BuiltInTannerinEditor.h"
#include "ui/instruments/TannerinBreakoutComponent.h"
#include "ui/instruments/TannerinBreakoutWindow.h"
#include "ui/instruments/TannerinIds.h"
#include "ui/looks/ModernLookAndFeel.h"

namespace
{
using namespace TannerinTest;
using Editor = BuiltInTannerinEditor;

struct SlideEditor : ::testing::Test
{
    TavrelDelayAudioProcessor processor;
    std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> slot = makeSlideSlot();
    TannerinEngine& engine = *slot->tannerinEngine;
    FakeKeys keys;
    std::unique_ptr<Editor> editor;

    void SetUp() override { open(); }

    void open()
    {
        editor = std::make_unique<Editor> (processor, slot.get());
        editor->isKeyPhysicallyDown = [this] (int code) { return keys (code); };
    }

    juce::Slider& knob (int k) { return editor->knobs[(size_t)k]; }

    bool gatePressed() const { return editor->isGatePressed(); }
};

juce::StringArray captionTexts (const Editor& e)
{
    juce::StringArray texts;
    for (auto* label : e.captionLabels)
        texts.add (label->getText());
    return texts;
}
} // namespace

TEST_F (SlideEditor, BuildsTheFaceplateAtItsDesignSize)
{
    EXPECT_EQ (editor->getWidth(), 1350);
    EXPECT_EQ (editor->getHeight(), 500);

    EXPECT_EQ (editor->presetButton.getBounds(), juce::Rectangle<int> (1087, 48, 130, 20));
    EXPECT_EQ (editor->learnButton.getBounds(), juce::Rectangle<int> (987, 48, 90, 20));
    EXPECT_EQ (editor->sectionAreas[Editor::globalSection], juce::Rectangle<int> (127, 83, 430, 180));
    EXPECT_EQ (editor->sectionAreas[Editor::slideSection], juce::Rectangle<int> (572, 83, 650, 180));
    EXPECT_EQ (editor->sectionAreas[Editor::oscillatorSection], juce::Rectangle<int> (127, 278, 323, 150));
    EXPECT_EQ (editor->sectionAreas[Editor::filterSection], juce::Rectangle<int> (465, 278, 242, 150));
    EXPECT_EQ (editor->sectionAreas[Editor::filterEnvSection], juce::Rectangle<int> (722, 278, 242, 150));
    EXPECT_EQ (editor->sectionAreas[Editor::ampEnvSection], juce::Rectangle<int> (979, 278, 242, 150));

    EXPECT_EQ (editor->slideSlider.getBounds(), juce::Rectangle<int> (592, 188, 610, 40));
    EXPECT_EQ (editor->touchButton.getBounds(), juce::Rectangle<int> (1007, 91, 65, 24));
    EXPECT_EQ (editor->lightsButton.getBounds(), juce::Rectangle<int> (1077, 91, 65, 24));
    EXPECT_EQ (editor->keyboardButton.getBounds(), juce::Rectangle<int> (1147, 91, 65, 24));
    EXPECT_EQ (editor->gateButton.getBounds(), juce::Rectangle<int> (242, 128, 120, 24));
    EXPECT_EQ (editor->latchButton.getBounds(), juce::Rectangle<int> (372, 128, 70, 24));
    EXPECT_EQ (editor->wave1Box.getBounds(), juce::Rectangle<int> (127, 323, 80, 22));
    EXPECT_EQ (editor->wave2Box.getBounds(), juce::Rectangle<int> (369, 323, 80, 22));

    // Knob rows: the GLOBAL row at offset 100, the oscillators' at 86, each caption above its knob.
    const int globalXs[] = {142, 213, 285, 357, 428, 500};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ (knob (k).getBounds(), juce::Rectangle<int> (globalXs[k], 183, 40, 56)) << k;
    const int oscXs[] = {147, 227, 308, 389};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ (knob (Editor::level1 + k).getBounds(), juce::Rectangle<int> (oscXs[k], 364, 40, 56)) << k;
    EXPECT_EQ (editor->captionLabels[3]->getBounds(), juce::Rectangle<int> (127, 165, 70, 20));

    // The picture spans the strip's x range, 55 high.
    EXPECT_EQ (editor->pictureArea(), juce::Rectangle<float> (592, 123, 610, 55));

    EXPECT_EQ (captionTexts (*editor),
               juce::StringArray ({"WAVE 1", "WAVE 2", "TYPE", "MASTER", "OCTAVE", "VIB RATE", "VIB DEPTH", "VIB DELAY",
                                   "VIB ATTACK", "LEVEL 1", "TUNE 2", "FINE 2", "LEVEL 2", "CUTOFF", "RESONANCE", "ENV MOD",
                                   "ATTACK", "DECAY", "SUSTAIN", "RELEASE", "ATTACK", "DECAY", "SUSTAIN", "RELEASE"}));
    EXPECT_EQ (editor->wave1Box.getText(), "Sine");
    EXPECT_EQ (editor->filterTypeBox.getText(), "Low Pass");
    EXPECT_TRUE (editor->lightsButton.getToggleState());
    EXPECT_FALSE (editor->touchButton.getToggleState());
    EXPECT_EQ (editor->presetButton.getButtonText(), "Default");
    EXPECT_TRUE (editor->isTimerRunning());
    EXPECT_EQ (editor->getTimerInterval(), 33);
    EXPECT_TRUE (editor->background.isValid());
}

TEST_F (SlideEditor, WithoutASlideEngineTheEditorIsEmpty)
{
    const auto hosted = makeInstrumentPlugin();
    for (auto* noEngine : {(TavrelDelayAudioProcessor::InstrumentPlugin*)nullptr, hosted.get()})
    {
        Editor empty (processor, noEngine);
        EXPECT_EQ (empty.getNumChildComponents(), 0);
        EXPECT_TRUE (empty.getBounds().isEmpty());
        EXPECT_FALSE (empty.isTimerRunning());
        EXPECT_TRUE (empty.keyPressed (space)); // space is still taken
        EXPECT_EQ (empty.createPresetXml()->getNumAttributes(), 0);
        empty.applyPresetXml (juce::XmlElement ("PRESET"));
        EXPECT_FALSE (processor.unsavedChanges);
    }
}

TEST_F (SlideEditor, KnobsShowTheirValuesInTheirUnits)
{
    struct Case
    {
        int knob;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {Editor::octave, 1, "+1"},          {Editor::tune2, 12, "+12 st"},     {Editor::vibDelay, 1500, "1.5 s"},
        {Editor::cutoff, 2000, "2.0 kHz"},  {Editor::vibRate, 6, "6.0 Hz"},    {Editor::resonance, 0.1, "0.1"},
        {Editor::fine2, -5, "-5 ct"},       {Editor::ampAttack, 407, "407 ms"}, {Editor::envMod, 250, "250 Hz"},
    };
    for (const auto& c : cases)
        EXPECT_EQ (knob (c.knob).getTextFromValue (c.value), c.text) << c.text;

    // Typed values are read in the unit they are shown in.
    EXPECT_DOUBLE_EQ (knob (Editor::cutoff).getValueFromText ("2.5 kHz"), 2500.0);
    EXPECT_DOUBLE_EQ (knob (Editor::vibDelay).getValueFromText ("1.2 s"), 1200.0);
    EXPECT_DOUBLE_EQ (knob (Editor::vibDelay).getValueFromText ("350 ms"), 350.0);
    EXPECT_DOUBLE_EQ (knob (Editor::tune2).getValueFromText ("-7 st"), -7.0);
}

TEST_F (SlideEditor, EditingWritesTheEngineAndMarksTheReel)
{
    struct Case
    {
        int knob;
        double value;
        float TannerinEngine::* field;
    };
    const Case cases[] = {
        {Editor::master, 0.4, &TannerinEngine::masterVol},     {Editor::vibRate, 11.0, &TannerinEngine::lfoRate},
        {Editor::vibAttack, 800, &TannerinEngine::lfoAttack},  {Editor::level2, 0.7, &TannerinEngine::osc2Mix},
        {Editor::fine2, -33.0, &TannerinEngine::osc2Fine},     {Editor::cutoff, 5000, &TannerinEngine::synthCutoff},
        {Editor::filterSustain, 0.25, &TannerinEngine::fEnvS}, {Editor::ampRelease, 1500, &TannerinEngine::aEnvR},
    };
    for (const auto& c : cases)
    {
        processor.unsavedChanges = false;
        knob (c.knob).setValue (c.value, juce::sendNotificationSync);
        EXPECT_FLOAT_EQ (engine.*c.field, (float)c.value) << Editor::knobInfo[(size_t)c.knob].id;
        EXPECT_TRUE (processor.unsavedChanges);
    }

    knob (Editor::octave).setValue (-2.0, juce::sendNotificationSync);
    EXPECT_EQ (engine.globalOctave, -2);
    knob (Editor::tune2).setValue (7.4, juce::sendNotificationSync); // whole semitones
    EXPECT_FLOAT_EQ (engine.osc2Tune, 7.0f);

    editor->slideSlider.setValue (66.6, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (engine.slidePitch, 66.6f);

    processor.unsavedChanges = false;
    editor->wave1Box.setSelectedId (3, juce::sendNotificationSync);
    editor->wave2Box.setSelectedId (2, juce::sendNotificationSync);
    editor->filterTypeBox.setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (engine.waveShape, 2);
    EXPECT_EQ (engine.osc2Wave, 1);
    EXPECT_EQ (engine.filterType, 2);
    EXPECT_TRUE (processor.unsavedChanges);

    click (editor->lightsButton);
    EXPECT_FALSE (engine.lightsOn);
}

TEST_F (SlideEditor, TheTimerBringsTheControlsToTheEngine)
{
    engine.synthCutoff = 3000.0f;
    engine.globalOctave = -1;
    engine.slidePitch = 47.0f;
    engine.filterType = 1;
    engine.aEnvS = 0.5f;
    engine.masterVol = knob (Editor::master).getValue() + 0.0005; // within the dead band
    const double masterBefore = knob (Editor::master).getValue();

    editor->timerCallback();
    EXPECT_DOUBLE_EQ (knob (Editor::cutoff).getValue(), 3000.0);
    EXPECT_DOUBLE_EQ (knob (Editor::octave).getValue(), -1.0);
    EXPECT_DOUBLE_EQ (editor->slideSlider.getValue(), 47.0);
    EXPECT_EQ (editor->filterTypeBox.getText(), "High Pass");
    EXPECT_DOUBLE_EQ (knob (Editor::ampSustain).getValue(), 0.5);
    EXPECT_DOUBLE_EQ (knob (Editor::master).getValue(), masterBefore);
    EXPECT_FALSE (processor.unsavedChanges); // following is not an edit
}

TEST_F (SlideEditor, SpaceAndGateHoldTheGateAndLatchKeepsItOpen)
{
    keys.down.insert (juce::KeyPress::spaceKey);
    EXPECT_TRUE (editor->keyPressed (space));
    EXPECT_TRUE (engine.gate);
    EXPECT_TRUE (gatePressed());
    editor->keyStateChanged (true); // space still down: nothing
    EXPECT_TRUE (engine.gate);

    keys.down.clear();
    editor->keyStateChanged (false);
    EXPECT_FALSE (engine.gate);
    EXPECT_FALSE (gatePressed());

    // GATE with the mouse is momentary, and any key change while space is up ends it.
    click (editor->gateButton, false);
    EXPECT_TRUE (engine.gate);
    editor->keyStateChanged (true);
    EXPECT_FALSE (engine.gate);
    EXPECT_FALSE (gatePressed());
    editor->gateButton.setState (juce::Button::buttonDown);
    editor->gateButton.setState (juce::Button::buttonOver); // let go over the button
    EXPECT_FALSE (engine.gate);

    // LATCH opens and holds; space only changes GATE's look.
    click (editor->latchButton);
    EXPECT_TRUE (engine.gateLatch);
    EXPECT_TRUE (engine.gate);
    keys.down.insert (juce::KeyPress::spaceKey);
    editor->keyPressed (space);
    keys.down.clear();
    editor->keyStateChanged (false);
    EXPECT_TRUE (engine.gate);
    EXPECT_FALSE (gatePressed());

    // Unlatching closes, unless GATE is held.
    editor->gateButton.setState (juce::Button::buttonDown);
    click (editor->latchButton);
    EXPECT_FALSE (engine.gateLatch);
    EXPECT_TRUE (engine.gate);
    editor->gateButton.setState (juce::Button::buttonNormal);
    EXPECT_FALSE (engine.gate);
    EXPECT_FALSE (editor->keyPressed (juce::KeyPress ('x')));
}

TEST_F (SlideEditor, WithTouchGrabbingTheSlideStripPlaysTheGate)
{
    editor->slideSlider.onDragStart();
    EXPECT_FALSE (engine.gate); // TOUCH off

    click (editor->touchButton);
    ASSERT_TRUE (editor->touchButton.getToggleState());
    editor->slideSlider.onDragStart();
    EXPECT_TRUE (engine.gate);
    editor->slideSlider.onDragEnd();
    EXPECT_FALSE (engine.gate);

    editor->gateButton.setState (juce::Button::buttonDown);
    editor->slideSlider.onDragStart();
    editor->slideSlider.onDragEnd();
    EXPECT_TRUE (engine.gate); // GATE still held
    editor->gateButton.setState (juce::Button::buttonNormal);

    engine.gateLatch = true;
    editor->slideSlider.onDragStart();
    EXPECT_FALSE (engine.gate);
}

TEST_F (SlideEditor, ButtonsActOnTheSlotsCurrentEngine)
{
    // A slot whose engine was made anew (a reel load re-creates engines): the controls play the
    // new one, never the one they were built with.
    slot->createEngine (48000.0);
    auto& fresh = *slot->tannerinEngine;
    click (editor->latchButton);
    EXPECT_TRUE (fresh.gateLatch);
    EXPECT_TRUE (fresh.gate);
    click (editor->lightsButton);
    EXPECT_FALSE (fresh.lightsOn);
}

TEST_F (SlideEditor, PresetsRoundTripTheSoundButNotThePlayingState)
{
    engine.masterVol = 0.6f;
    engine.globalOctave = -2;
    engine.waveShape = 2;
    engine.osc2Tune = -7.0f;
    engine.synthCutoff = 1234.5f;
    engine.aEnvR = 321.0f;
    engine.lfoAttack = 77.0f;
    click (editor->touchButton);

    const auto xml = editor->createPresetXml();
    ASSERT_EQ (xml->getTagName(), "PRESET");
    const juce::StringArray order{"masterVol", "globalOctave", "waveShape", "osc2Wave", "osc1Mix", "osc2Mix", "osc2Tune",
                                  "osc2Fine", "filterType", "synthCutoff", "synthRes", "synthEnvMod", "fEnvA", "fEnvD",
                                  "fEnvS", "fEnvR", "aEnvA", "aEnvD", "aEnvS", "aEnvR", "lfoRate", "lfoAmt", "lfoDelay",
                                  "lfoAttack", "autoGate"};
    juce::StringArray names;
    for (int i = 0; i < xml->getNumAttributes(); ++i)
        names.add (xml->getAttributeName (i));
    EXPECT_EQ (names, order);
    EXPECT_EQ (xml->getStringAttribute ("globalOctave"), "-2");
    EXPECT_EQ (xml->getStringAttribute ("autoGate"), "1");

    // Another slot with its own pitch, latch and lights takes the sound only.
    auto other = makeSlideSlot();
    auto& target = *other->tannerinEngine;
    target.slidePitch = 40.0f;
    target.gateLatch = true;
    target.lightsOn = false;
    Editor second (processor, other.get());
    processor.unsavedChanges = false;
    second.applyPresetXml (*xml);

    EXPECT_FLOAT_EQ (target.masterVol, 0.6f);
    EXPECT_EQ (target.globalOctave, -2);
    EXPECT_EQ (target.waveShape, 2);
    EXPECT_FLOAT_EQ (target.osc2Tune, -7.0f);
    EXPECT_FLOAT_EQ (target.synthCutoff, 1234.5f);
    EXPECT_FLOAT_EQ (target.aEnvR, 321.0f);
    EXPECT_FLOAT_EQ (target.lfoAttack, 77.0f);
    EXPECT_FLOAT_EQ (target.slidePitch, 40.0f);
    EXPECT_TRUE (target.gateLatch);
    EXPECT_FALSE (target.lightsOn);
    EXPECT_TRUE (second.touchButton.getToggleState());
    EXPECT_DOUBLE_EQ (second.knobs[Editor::cutoff].getValue(), 1234.5);
    EXPECT_EQ (second.wave1Box.getText(), "Square");
    EXPECT_TRUE (processor.unsavedChanges);

    // Missing attributes take the defaults, TOUCH included; out-of-range values stay in the
    // engine while the knob shows its end.
    juce::XmlElement sparse ("PRESET");
    sparse.setAttribute ("synthRes", 3.0);
    second.applyPresetXml (sparse);
    EXPECT_FLOAT_EQ (target.synthRes, 3.0f);
    EXPECT_DOUBLE_EQ (second.knobs[Editor::resonance].getValue(), 0.95);
    EXPECT_FLOAT_EQ (target.masterVol, 1.0f);
    EXPECT_EQ (target.globalOctave, 1);
    EXPECT_FLOAT_EQ (target.osc2Mix, 0.3f);
    EXPECT_FLOAT_EQ (target.aEnvA, 407.0f);
    EXPECT_FLOAT_EQ (target.aEnvR, 1100.0f);
    EXPECT_FALSE (second.touchButton.getToggleState());
}

TEST_F (SlideEditor, FactoryAndSavedPresetsLoadThroughThePresetMenu)
{
    TempDir user{"slidepresets"};
    ASSERT_GT (FactoryPresets::installTannerinPresets (user.getFile()), 0);

    auto menu = std::make_shared<InstrumentPresetMenu> (
        &editor->presetButton, slot->presetName, TannerinIds::presetCategory, [this] { return editor->createPresetXml(); },
        [this] (const juce::XmlElement& xml) { editor->applyPresetXml (xml); }, user.getFile());
    const auto choose = [&] (const juce::String& name)
    {
        menu->buildMenu();
        const int index = menu->getPresets().listNames().indexOf (name);
        ASSERT_GE (index, 0) << name;
        menu->handlePresetMenuChoice (InstrumentPresetMenu::firstPreset + index);
    };

    engine.slidePitch = 50.0f;
    choose ("Bowed Cello");
    EXPECT_EQ (slot->presetName, "Bowed Cello");
    EXPECT_EQ (editor->presetButton.getButtonText(), "Bowed Cello");
    EXPECT_EQ (engine.globalOctave, -1);
    EXPECT_EQ (engine.waveShape, 1);
    EXPECT_FLOAT_EQ (engine.osc2Fine, 7.0f);
    EXPECT_FLOAT_EQ (engine.fEnvA, 150.0f);
    EXPECT_FLOAT_EQ (engine.lfoAttack, 600.0f);
    EXPECT_DOUBLE_EQ (knob (Editor::vibAttack).getValue(), 600.0);
    EXPECT_FLOAT_EQ (engine.slidePitch, 50.0f); // the file's pitch is not part of the sound
    EXPECT_FALSE (engine.gateLatch);

    // A sound saved with TOUCH on comes back whole after other edits.
    knob (Editor::cutoff).setValue (777.0, juce::sendNotificationSync);
    click (editor->touchButton);
    ASSERT_TRUE (menu->getPresets().save ("Mine", *editor->createPresetXml()).wasOk());
    knob (Editor::cutoff).setValue (5000.0, juce::sendNotificationSync);
    click (editor->touchButton);
    choose ("Mine");
    EXPECT_FLOAT_EQ (engine.synthCutoff, 777.0f);
    EXPECT_EQ (engine.globalOctave, -1);
    EXPECT_TRUE (editor->touchButton.getToggleState());
}

TEST_F (SlideEditor, MidiLearnArmsTheControlUnderTheClick)
{
    const auto learnAt = [this] (juce::Component& c)
    {
        const auto p = editor->getLocalPoint (&c, c.getLocalBounds().getCentre()).toFloat();
        editor->learnControl (RackUiTest::mouseEventAt (editor->glassPane, p));
    };

    editor->setVisible (true); // as in its window
    click (editor->learnButton);
    ASSERT_TRUE (editor->learnButton.getToggleState());
    EXPECT_TRUE (editor->glassPane.isVisible());

    // A caption, MIDI LEARN itself: nothing armed.
    learnAt (*editor->captionLabels[13]);
    learnAt (editor->learnButton);
    EXPECT_FALSE (processor.midiLearnArmed);

    const auto* cutoffKnob = &knob (Editor::cutoff);
    editor->learnControl (RackUiTest::mouseEventAt (
        editor->glassPane, editor->getLocalPoint (&knob (Editor::cutoff), juce::Point<int> (20, 15)).toFloat()));
    EXPECT_TRUE (processor.midiLearnArmed);
    EXPECT_EQ (processor.midiLearnTarget, "INST_4_CUTOFF");
    EXPECT_EQ (editor->learnTarget.getComponent(), cutoffKnob);

    // The armed control wears a white frame.
    const auto edge = editor->getLocalPoint (&knob (Editor::cutoff), juce::Point<int> (20, 2));
    const auto framed = editor->createComponentSnapshot (editor->getLocalBounds()).getPixelAt (edge.x, edge.y);
    EXPECT_GT (framed.getBrightness(), 0.75f);

    // A choice box armed by a click on its text.
    learnAt (editor->filterTypeBox);
    EXPECT_EQ (processor.midiLearnTarget, "INST_4_FILTTYPE");
    editor->timerCallback();

    // Bound (the processor disarms): MIDI LEARN shows off, the capture layer stays.
    processor.clearMidiLearnTarget();
    editor->timerCallback();
    EXPECT_FALSE (editor->learnButton.getToggleState());
    EXPECT_TRUE (editor->glassPane.isVisible());
    EXPECT_EQ (editor->learnTarget.getComponent(), nullptr);

    // A click on a control arms again and the timer shows MIDI LEARN on.
    learnAt (editor->slideSlider);
    EXPECT_EQ (processor.midiLearnTarget, "INST_4_SLIDE");
    editor->timerCallback();
    EXPECT_TRUE (editor->learnButton.getToggleState());

    // Leaving learn mode disarms and removes the layer.
    click (editor->learnButton);
    EXPECT_FALSE (processor.midiLearnArmed);
    EXPECT_FALSE (editor->glassPane.isVisible());
}

TEST_F (SlideEditor, KbdOpensOnePerformanceWindowThatFollowsTouchAndGoesWithTheEditor)
{
    RACKUI_REQUIRE_DISPLAY();

    click (editor->keyboardButton);
    juce::Component::SafePointer<TannerinBreakoutWindow> window = editor->performanceWindow.getComponent();
    ASSERT_NE (window.getComponent(), nullptr);
    EXPECT_TRUE (RackUiTest::hasNativeWindow (*window));

    click (editor->keyboardButton);
    EXPECT_EQ (editor->performanceWindow.getComponent(), window.getComponent());

    click (editor->touchButton);
    auto* strip = window->getPerformanceComponent();
    strip->timerCallback();
    EXPECT_TRUE (strip->touchButton.getToggleState());

    // The ribbon plays the same engine as the editor.
    strip->ribbon.setValue (71.0, juce::sendNotificationSync);
    editor->timerCallback();
    EXPECT_DOUBLE_EQ (editor->slideSlider.getValue(), 71.0);

    // Closed by the player, it opens anew; the editor takes a window still open with it.
    window->closeButtonPressed();
    EXPECT_EQ (editor->performanceWindow.getComponent(), nullptr);
    click (editor->keyboardButton);
    window = editor->performanceWindow.getComponent();
    ASSERT_NE (window.getComponent(), nullptr);
    editor.reset();
    EXPECT_EQ (window.getComponent(), nullptr);
}

TEST_F (SlideEditor, LooksFollowTheDefaultLook)
{
    // Classic: its own look, light captions, white value texts.
    EXPECT_EQ (&editor->getLookAndFeel(), &editor->customLook);
    EXPECT_EQ (editor->captionLabels[5]->findColour (juce::Label::textColourId), juce::Colour (0xffe0e0e0));
    EXPECT_EQ (editor->learnButton.findColour (juce::TextButton::textColourOffId), juce::Colours::black);
    EXPECT_EQ (editor->keyboardButton.findColour (juce::TextButton::textColourOffId), juce::Colours::white); // readable on its dark key

    ModernLookAndFeel modern;
    modern.setDarkMode (false);
    juce::LookAndFeel::setDefaultLookAndFeel (&modern);
    editor->sendLookAndFeelChange();
    EXPECT_EQ (&editor->getLookAndFeel(), &modern);
    EXPECT_EQ (editor->captionLabels[5]->findColour (juce::Label::textColourId), juce::Colour (modern.cDark));
    EXPECT_EQ (knob (Editor::master).findColour (juce::Slider::textBoxTextColourId), juce::Colour (modern.cDark));
    EXPECT_EQ (editor->wave1Box.findColour (juce::ComboBox::backgroundColourId), juce::Colours::white);
    EXPECT_EQ (editor->keyboardButton.findColour (juce::TextButton::textColourOffId), juce::Colour (modern.cDark));

    const auto image = editor->createComponentSnapshot (editor->getLocalBounds());
    EXPECT_EQ (image.getPixelAt (5, 5), juce::Colour (modern.cBg));

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    editor->sendLookAndFeelChange();
    EXPECT_EQ (&editor->getLookAndFeel(), &editor->customLook);
}

TEST (TannerinScreens, EditorAndPerformanceWindowDraw)
{
    TavrelDelayAudioProcessor processor;
    auto slot = makeSlideSlot();
    slot->tannerinEngine->slidePitch = 61.4f;
    slot->presetName = "Ether Lead";

    Editor editor (processor, slot.get());
    editor.timerCallback();
    RackUiTest::saveScreenshot (editor, "slide-editor.png");

    TannerinBreakoutComponent strip (processor, slot.get(), &editor.touchButton);
    strip.setSize (1400, 300);
    strip.timerCallback();
    RackUiTest::saveScreenshot (strip, "slide-performance.png");

    ModernLookAndFeel modern;
    modern.setDarkMode (true);
    juce::LookAndFeel::setDefaultLookAndFeel (&modern);
    editor.sendLookAndFeelChange();
    strip.sendLookAndFeelChange();
    RackUiTest::saveScreenshot (editor, "slide-editor-minimal.png");
    RackUiTest::saveScreenshot (strip, "slide-performance-minimal.png");
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    editor.sendLookAndFeelChange();
    strip.sendLookAndFeelChange();

    EXPECT_EQ (strip.createComponentSnapshot (strip.getLocalBounds()).getPixelAt (5, 5), juce::Colour (0xff2b2b2b));
}
