#include "tests/instrumentui/SynthEditorFixture.h"
#include "ui/instruments/BuiltInPolySynthEditor.h"

#include <gtest/gtest.h>

namespace
{
namespace Ids = InstrumentEditorIds;

struct PolyEditorTest : SynthEditorFixture<BuiltInPolySynthEditor, 3>
{
    PolySynthEngine& engine() { return *slot->polyEngine; }

    void controller (int number, int value)
    {
        juce::MidiBuffer incoming, filtered;
        incoming.addEvent (juce::MidiMessage::controllerEvent (1, number, value), 0);
        processor.dispatchMidiMap (incoming, filtered);
        editor->timerCallback();
    }
};
} // namespace

TEST_F (PolyEditorTest, KnobsShowTheirValuesInTheirUnits)
{
    expectShownTexts ({{Ids::octaveA, 1.0, "+1"},
                       {Ids::envToFreqA, 12.0, "+12 st"},
                       {Ids::volume, 2.0, "2.0"},
                       {Ids::lfoRate, 0.3, "0.3 Hz"},
                       {Ids::lfoRate, 0.01, "0.0 Hz"},
                       {Ids::fineB, -100.0, "-100 ct"}});
    EXPECT_DOUBLE_EQ (knob (Ids::lfoRate).getMinimum(), 0.01);
}

TEST_F (PolyEditorTest, ChoicesWriteTheirFlagsAndFollowThem)
{
    // OSC B MODE stands for two flags.
    struct Mode
    {
        int id;
        bool lowFrequency, keyTracking;
    };

    for (const auto& m : {Mode{4, true, false}, Mode{3, false, false}, Mode{2, true, true}, Mode{1, false, true}})
    {
        choice (Ids::modeB).setSelectedId (m.id, juce::sendNotificationSync);
        EXPECT_EQ (engine().osc2LfoMode, m.lowFrequency) << "item " << m.id;
        EXPECT_EQ (engine().osc2KeyTrack, m.keyTracking) << "item " << m.id;
    }

    choice (Ids::sync).setSelectedId (2, juce::sendNotificationSync);
    EXPECT_TRUE (engine().syncMode);
    choice (Ids::lfoTarget).setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (engine().lfoTarget, 2);
    knob (Ids::octaveB).setValue (-2.0, juce::sendNotificationSync);
    EXPECT_EQ (engine().osc2Octave, -2);
    knob (Ids::keyTrack).setValue (0.25, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (engine().filterKeyTrack, 0.25f);
    EXPECT_TRUE (processor.hasUnsavedChanges());

    // And the other way, at the next tick.
    engine().syncMode = false;
    engine().osc2LfoMode = true;
    engine().osc2KeyTrack = false;
    engine().lfoWave = 3;
    engine().osc1Octave = 2;
    editor->timerCallback();
    EXPECT_EQ (choice (Ids::sync).getText(), "Off");
    EXPECT_EQ (choice (Ids::modeB).getText(), "LO Freq + KBD Off");
    EXPECT_EQ (choice (Ids::lfoWave).getText(), "Sine");
    EXPECT_EQ (shownText (knob (Ids::octaveA)), "+2");
}

TEST_F (PolyEditorTest, LearnedControllersMoveTheirControlsWithinOneTick)
{
    processor.midiMap = {{40, "INST_3_O2MODE"}, {41, "INST_3_LFOTARGET"}, {42, "INST_3_SYNC"}, {43, "INST_3_CUTOFF"}};
    processor.saveGlobalMidiMap();

    struct Case
    {
        int cc, value;
        const char* id;
        const char* text;
    };

    for (const auto& c :
         {Case{40, 42, Ids::modeB, "Normal"}, Case{40, 43, Ids::modeB, "LO Freq"}, Case{40, 85, Ids::modeB, "KBD Off"},
          Case{40, 126, Ids::modeB, "KBD Off"}, Case{40, 127, Ids::modeB, "LO Freq + KBD Off"},
          Case{41, 126, Ids::lfoTarget, "Filter"}, Case{41, 127, Ids::lfoTarget, "Pulse Width"},
          Case{42, 64, Ids::sync, "Sync Osc A"}, Case{42, 63, Ids::sync, "Off"}})
    {
        controller (c.cc, c.value);
        EXPECT_EQ (choice (c.id).getText(), c.text) << "controller " << c.cc << " at " << c.value;
    }

    controller (43, 127);
    EXPECT_DOUBLE_EQ (knob (Ids::cutoff).getValue(), 20000.0);
    EXPECT_EQ (shownText (knob (Ids::cutoff)), "20.0 kHz");
}

TEST_F (PolyEditorTest, DefaultPresetGivesTheStartingSoundAndARoundTripGivesItBack)
{
    // A new slot has the engine's own oscillator B wave (Pulse); the "Default" preset has Sawtooth.
    EXPECT_EQ (choice (Ids::waveB).getText(), "Pulse");

    engine().masterVol = 1.5f;
    engine().syncMode = true;
    engine().osc2LfoMode = true;
    engine().osc2KeyTrack = false;
    engine().lfoWave = 2;
    engine().osc2Fine = -33.25f;

    const auto saved = editor->createPresetXml();
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (saved->getNumAttributes(), 37);
    EXPECT_EQ (saved->getAttributeName (0), "globalTune");
    EXPECT_EQ (saved->getAttributeName (36), "lfoTarget");
    EXPECT_EQ (saved->getStringAttribute ("syncMode"), "1");
    EXPECT_EQ (saved->getStringAttribute ("osc2KeyTrack"), "0");

    editor->applyPresetXml (juce::XmlElement ("PRESET"));
    EXPECT_FLOAT_EQ (engine().masterVol, 1.0f);
    EXPECT_FLOAT_EQ (engine().velSens, 0.5f);
    EXPECT_FLOAT_EQ (engine().osc1PW, 0.5f);
    EXPECT_FLOAT_EQ (engine().osc2PW, 0.5f);
    EXPECT_FLOAT_EQ (engine().osc2Mix, 1.0f);
    EXPECT_FLOAT_EQ (engine().filterKeyTrack, 0.5f);
    EXPECT_EQ (choice (Ids::waveB).getText(), "Sawtooth");
    EXPECT_EQ (choice (Ids::modeB).getText(), "Normal");
    EXPECT_EQ (choice (Ids::sync).getText(), "Off");
    EXPECT_EQ (shownText (knob (Ids::volume)), "1.0");
    EXPECT_TRUE (processor.hasUnsavedChanges());

    editor->applyPresetXml (*saved);
    EXPECT_EQ (engine().osc2Fine, -33.25f);
    EXPECT_EQ (choice (Ids::modeB).getText(), "LO Freq + KBD Off");
    EXPECT_EQ (choice (Ids::sync).getText(), "Sync Osc A");
    EXPECT_EQ (choice (Ids::lfoWave).getText(), "Square");
    EXPECT_EQ (shownText (knob (Ids::volume)), "1.5");
}

TEST_F (PolyEditorTest, LaysOutEightSectionsInTwoRowsEndingTogether)
{
    ASSERT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 1350, 555));

    using R = juce::Rectangle<int>;
    // Both rows end at 1235; the header buttons at 1227.
    expectLayout ({R (124, 84, 268, 205), R (404, 84, 268, 205), R (684, 84, 201, 205), R (897, 84, 338, 205),
                   R (124, 301, 215, 195), R (351, 301, 286, 195), R (649, 301, 286, 195), R (947, 301, 288, 195)},
                  1247);

    // Controls centred in equal cells.
    EXPECT_EQ (knob (Ids::volume).getBounds(), R (132, 174, 50, 66));
    EXPECT_EQ (editor->findCaption (knob (Ids::volume))->getBounds(), R (124, 154, 67, 20));
    EXPECT_EQ (knob (Ids::velocity).getBounds(), R (124 + 201 + 33 - 25, 174, 50, 66));
    EXPECT_EQ (choice (Ids::waveA).getBounds(), R (691, 134, 86, 24));
    EXPECT_EQ (choice (Ids::sync).getBounds(), R (791, 134, 86, 24));
    EXPECT_EQ (editor->findCaption (choice (Ids::sync))->getBounds(), R (784, 114, 100, 20));
    EXPECT_EQ (knob (Ids::lfoRate).getBounds(), R (124 + 53 - 25, 411, 50, 66));

    ASSERT_EQ (editor->captionLabels.size(), 36);
    EXPECT_EQ (editor->captionLabels[0]->getText(), "WAVE A");
    EXPECT_EQ (editor->captionLabels[6]->getText(), "MASTER");
    EXPECT_EQ (editor->captionLabels[35]->getText(), "RELEASE");
}

TEST_F (PolyEditorTest, KbdMakesNewPolyEditorsTaller)
{
    click (editor->kbdButton);
    ASSERT_TRUE (InstrumentUiState::keyboardShown);

    BuiltInPolySynthEditor second (processor, slot.get());
    EXPECT_EQ (second.getBounds(), juce::Rectangle<int> (0, 0, 1350, 875));
    ASSERT_NE (second.keyboard, nullptr);
    EXPECT_EQ (second.keyboard->getBounds(), juce::Rectangle<int> (0, 555, 1350, 320));
}

TEST_F (PolyEditorTest, MidiLearnNamesThePolySynthesizer)
{
    RACKUI_REQUIRE_DISPLAY();
    editor->addToDesktop (0);
    editor->setVisible (true);
    ASSERT_TRUE (RackUiTest::hasNativeWindow (*editor));
    RackUiTest::pump (100);

    click (editor->learnButton);
    auto& mode = choice (Ids::modeB);
    const auto at = editor->glassPane.getLocalPoint (&mode, mode.getLocalBounds().getCentre()).toFloat();
    editor->glassPane.mouseDown (RackUiTest::mouseEventAt (editor->glassPane, at));
    EXPECT_EQ (processor.midiLearnTarget, "INST_3_O2MODE");

    click (editor->learnButton);
    EXPECT_FALSE (processor.midiLearnArmed.load());
    editor->removeFromDesktop();
}
